#include "test_server.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace http::testing {
namespace {

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

TestServer::TestServer() : m_server(std::make_unique<httplib::Server>()) {
    httplib::Server& server = *m_server;
    const auto seen = [this](const httplib::Request& request) {
        SeenRequest copy{request.method, request.target, request.body, {}};
        for (const auto& [name, value] : request.headers) {
            if (name != "REMOTE_ADDR" && name != "REMOTE_PORT" && name != "LOCAL_ADDR" &&
                name != "LOCAL_PORT") {
                copy.headers.emplace(lowerAscii(name), value);
            }
        }
        record(copy);
    };
    const auto echo = [seen](const httplib::Request& request, httplib::Response& response) {
        seen(request);
        response.set_content(request.method + " " + request.target + "|" + request.body,
                             "text/plain");
    };
    server.Get("/echo.*", echo);
    server.Post("/echo.*", echo);
    server.Put("/echo.*", echo);
    server.Patch("/echo.*", echo);
    server.Delete("/echo.*", echo);
    server.Options("/echo.*", echo);

    server.Get("/status/404", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content("no such page", "text/plain");
    });
    const auto redirect = [seen](const httplib::Request& request, httplib::Response& response) {
        seen(request);
        response.status = 302;
        response.set_header("Location", "/echo/target");
        response.set_header("Set-Cookie", "hop=1; path=/");
        response.set_content("moved", "text/plain");
    };
    server.Get("/redirect", redirect);
    server.Post("/redirect", redirect);
    server.Get("/cookies/redirect", [](const httplib::Request&, httplib::Response& response) {
        response.status = 302;
        response.set_header("Location", "/cookies/echo");
        response.set_header("Set-Cookie", "hop=1; path=/");
    });
    server.Get("/cookies/set", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Set-Cookie", "sid=42; path=/");
        response.set_header("Set-Cookie", "lang=zh; HttpOnly");
        response.set_header("Set-Cookie", "old=deleted; path=/");
        response.set_content("set", "text/plain");
    });
    server.Get("/cookies/echo",
               [seen](const httplib::Request& request, httplib::Response& response) {
                   seen(request);
                   std::string cookies;
                   for (auto [at, end] = request.headers.equal_range("Cookie"); at != end; ++at) {
                       cookies += (cookies.empty() ? "" : " | ") + at->second;
                   }
                   response.set_content(cookies, "text/plain");
               });
    server.Get("/nul", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(std::string("ab\0cd", 5), "application/octet-stream");
    });
    server.Get("/utf8", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("<html><meta charset=\"utf-8\">\xe5\x88\xb7\xe6\x96\xb0</html>",
                             "text/html");
    });
    server.Get("/big", [](const httplib::Request& request, httplib::Response& response) {
        const std::size_t size = std::stoul(request.get_param_value("size"));
        response.set_content_provider(
            size, "application/octet-stream",
            [](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                std::string piece(std::min<std::size_t>(length, 64 * 1024), '\0');
                for (std::size_t i = 0; i < piece.size(); ++i) {
                    piece[i] = static_cast<char>('a' + (offset + i) % 26);
                }
                return sink.write(piece.data(), piece.size());
            });
    });
    server.Get("/truncated", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            1000, "text/plain", [](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                if (offset > 0) {
                    return false; // the connection drops after the first 100 bytes
                }
                const std::string piece(100, 'p');
                return sink.write(piece.data(), piece.size());
            });
    });

    m_port = server.bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        throw std::runtime_error("cannot bind the test server");
    }
    m_thread = std::thread([&server] { server.listen_after_bind(); });
    // A stop() before the listener runs would be lost and the destructor would wait forever.
    while (!server.is_running()) {
        std::this_thread::yield();
    }
}

TestServer::~TestServer() {
    m_server->stop();
    m_thread.join();
}

std::string TestServer::url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(target);
}

SeenRequest TestServer::lastRequest() const {
    const std::lock_guard lock(m_mutex);
    return m_last;
}

void TestServer::record(const SeenRequest& request) {
    const std::lock_guard lock(m_mutex);
    m_last = request;
}

RawServer::RawServer(std::string reply, bool answer) : m_reply(std::move(reply)), m_answer(answer) {
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
    m_stopping = true;
    m_thread.join();
    ::close(m_listener);
}

std::string RawServer::url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(target);
}

std::string RawServer::lastRequest() const {
    const std::lock_guard lock(m_mutex);
    return m_lastRequest;
}

void RawServer::serve() {
    while (!m_stopping) {
        pollfd listening{m_listener, POLLIN, 0};
        if (::poll(&listening, 1, 50) <= 0) {
            continue;
        }
        const int client = ::accept(m_listener, nullptr, nullptr);
        if (client < 0) {
            continue;
        }
        std::string request;
        std::size_t wanted = std::string::npos;
        while (!m_stopping && request.size() < wanted) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 50) <= 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0) {
                break;
            }
            request.append(buffer, static_cast<std::size_t>(got));
            const std::size_t headEnd = request.find("\r\n\r\n");
            if (wanted == std::string::npos && headEnd != std::string::npos) {
                const std::string head = lowerAscii(request.substr(0, headEnd));
                const std::size_t length = head.find("content-length: ");
                wanted = headEnd + 4 +
                         (length == std::string::npos ? 0 : std::stoul(head.substr(length + 16)));
            }
        }
        {
            const std::lock_guard lock(m_mutex);
            m_lastRequest = request;
        }
        if (m_answer) {
            ::send(client, m_reply.data(), m_reply.size(), MSG_NOSIGNAL);
        } else {
            while (!m_stopping) {
                ::usleep(20'000);
            }
        }
        ::close(client);
    }
}

int closedPort() {
    int port = 0;
    const int fd = listenOnLoopback(port);
    ::close(fd);
    return port;
}

} // namespace http::testing
