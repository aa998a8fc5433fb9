#pragma once
// Loopback servers for the engine tests, on plain sockets so one server serves both the
// libcurl and the WinHTTP builds: a small HTTP/1.1 server with the routes the tests ask for
// (one request per connection), and a raw listener for replies no well-behaved server would
// send.

#include "test_support/loopback_socket.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace http::testing {

struct SeenRequest {
    std::string method;
    std::string target; // path and query as requested
    std::string body;
    std::multimap<std::string, std::string> headers; // names in lower case
};

// Routes: /echo... (any method; body "METHOD target|body"), /status/404, /redirect (302 to
// /echo/target), /cookies/set, /cookies/echo (the Cookie lines
// joined by " | "), /cookies/redirect (302 to /cookies/echo, setting hop=1), /nul, /big?size=N,
// /truncated, /utf8, /trickle?interval=MS (one body byte per interval).
class TestServer final {
public:
    TestServer();
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int port() const { return m_port; }
    std::string url(std::string_view target) const;
    SeenRequest lastRequest() const;

private:
    void acceptConnections();
    void serve(const Socket& client);
    void record(const SeenRequest& request);

    Socket m_listener;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    std::vector<std::thread> m_connections; // on m_thread only
    mutable std::mutex m_mutex;
    SeenRequest m_last;
};

// Accepts connections on 127.0.0.1; for each, reads the request head (and a body as long as
// its Content-Length) and writes `reply` as it is, then closes. With answer false it reads and
// never writes until destroyed.
class RawServer final {
public:
    explicit RawServer(std::string reply, bool answer = true);
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string url(std::string_view target) const;
    std::string lastRequest() const;

private:
    void serve();

    std::string m_reply;
    bool m_answer;
    Socket m_listener;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::string m_lastRequest;
};

// A loopback port on which nothing listens (connections are refused).
int closedPort();

} // namespace http::testing
