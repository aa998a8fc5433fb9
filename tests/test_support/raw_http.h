#pragma once
// A bare HTTP/1.1 exchange over a fresh loopback connection: the request goes out byte for
// byte (GBK query values unencoded, as the client sends them) and everything up to the
// server's close comes back. Portable: the Windows tests drive the simulator's control endpoint
// with it.

#include "test_support/loopback_socket.h"

#include <charconv>
#include <optional>
#include <string>

namespace simtest {

struct RawReply {
    bool connected = false;
    std::string bytes; // everything received
    int status = 0;    // 0 when no status line arrived
    std::string headers;
    std::string body;
    std::optional<std::size_t> contentLength;
};

inline RawReply exchange(int port, const std::string& request) {
    RawReply reply;
    const auto connection = http::testing::Socket::connectToLoopback(port);
    if (!connection.valid()) {
        return reply;
    }
    reply.connected = true;
    connection.sendAll(request);
    char buffer[65536];
    for (;;) {
        const long got = connection.receive(buffer, sizeof buffer, 10000);
        if (got <= 0) {
            break;
        }
        reply.bytes.append(buffer, static_cast<std::size_t>(got));
    }
    const auto headerEnd = reply.bytes.find("\r\n\r\n");
    if (reply.bytes.starts_with("HTTP/1.1 ") && headerEnd != std::string::npos && headerEnd >= 12) {
        std::from_chars(reply.bytes.data() + 9, reply.bytes.data() + 12, reply.status);
        reply.headers = reply.bytes.substr(0, headerEnd);
        reply.body = reply.bytes.substr(headerEnd + 4);
        const auto at = reply.headers.find("Content-Length: ");
        if (at != std::string::npos) {
            reply.contentLength = std::stoul(reply.headers.substr(at + 16));
        }
    }
    return reply;
}

inline RawReply get(int port, const std::string& target) {
    return simtest::exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

inline RawReply post(int port, const std::string& target, const std::string& body) {
    return simtest::exchange(port, "POST " + target +
                                       " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                       std::to_string(body.size()) + "\r\n\r\n" + body);
}

} // namespace simtest
