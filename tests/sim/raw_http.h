#pragma once
// A bare HTTP/1.1 exchange over a fresh loopback connection: the request goes out byte for
// byte (GBK query values unencoded, as the client sends them) and everything up to the
// server's close comes back.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return reply;
    }
    reply.connected = true;
    std::size_t sent = 0;
    while (sent < request.size()) {
        const auto n = ::send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    char buffer[65536];
    for (;;) {
        pollfd pfd{sock, POLLIN, 0};
        if (::poll(&pfd, 1, 10000) <= 0) {
            break;
        }
        const auto n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        reply.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(sock);
    const auto headerEnd = reply.bytes.find("\r\n\r\n");
    if (reply.bytes.starts_with("HTTP/1.1 ") && headerEnd != std::string::npos) {
        reply.status = std::stoi(reply.bytes.substr(9, 3));
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
    return exchange(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

inline RawReply post(int port, const std::string& target, const std::string& body) {
    return exchange(port, "POST " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body);
}

} // namespace simtest
