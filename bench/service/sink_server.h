#pragma once
// A minimal HTTP/1.1 server on 127.0.0.1 that reads each request in full and answers "ok":
// a stand-in service for measuring the client when the simulator cannot take a request. The same
// on POSIX and Windows.

#include "test_support/loopback_socket.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace bench {

class SinkServer final {
public:
    SinkServer() : m_listener(http::testing::Socket::listenOnLoopback(m_port)) {
        m_thread = std::thread([this] { serve(); });
    }
    ~SinkServer() {
        m_stopping = true;
        m_thread.join();
    }
    SinkServer(const SinkServer&) = delete;
    SinkServer& operator=(const SinkServer&) = delete;

    int port() const { return m_port; }

    // Bodies of the requests answered so far, in order; cleared by the call. The sink keeps its
    // own copies' memory for the next requests.
    std::vector<std::string> takeBodies() {
        std::lock_guard lock(m_mutex);
        std::vector<std::string> bodies(m_bodies.begin(), m_bodies.begin() + m_recorded);
        m_recorded = 0;
        return bodies;
    }

private:
    void serve() {
        while (!m_stopping) {
            const http::testing::Socket client = m_listener.accept(100);
            if (client.valid()) {
                answer(client);
            }
        }
    }

    void answer(const http::testing::Socket& client) {
        // The receive buffer and the recorded bodies reuse their memory from round to round,
        // so the sink's cost is the same in every loop measured, whatever large blocks the
        // process freed before (glibc returns those to the system, and touching fresh pages is
        // what costs most here).
        std::string& request = m_request;
        request.clear();
        char buffer[65536];
        std::size_t headerEnd = std::string::npos;
        std::size_t total = 0;
        for (;;) {
            const long received = client.receive(buffer, sizeof buffer, 10000);
            if (received <= 0) {
                return;
            }
            request.append(buffer, static_cast<std::size_t>(received));
            if (headerEnd == std::string::npos) {
                headerEnd = request.find("\r\n\r\n");
                if (headerEnd == std::string::npos) {
                    continue;
                }
                std::size_t contentLength = 0;
                for (const char* name : {"Content-Length:", "content-length:"}) {
                    const auto at = request.find(name);
                    if (at != std::string::npos && at < headerEnd) {
                        contentLength = std::strtoul(request.c_str() + at + 15, nullptr, 10);
                    }
                }
                total = headerEnd + 4 + contentLength;
            }
            if (request.size() >= total) {
                break;
            }
        }
        static constexpr char kReply[] =
            "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
        {
            // Recorded before the answer, so a caller that has its reply finds the body here.
            std::lock_guard lock(m_mutex);
            if (m_recorded == m_bodies.size()) {
                m_bodies.emplace_back();
            }
            m_bodies[m_recorded++].assign(request, headerEnd + 4);
        }
        client.sendAll(std::string_view(kReply, sizeof kReply - 1));
    }

    int m_port = 0;
    http::testing::Socket m_listener;
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::vector<std::string> m_bodies;
    std::size_t m_recorded = 0;
    std::string m_request;
    std::thread m_thread;
};

} // namespace bench
