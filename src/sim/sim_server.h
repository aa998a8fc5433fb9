#pragma once
// An HTTP server that can close a connection before answering, as a refusing service does.

#include <httplib.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

namespace sim {

class SimServer final : public httplib::Server {
public:
    // Every connection carries one request. Given the request line ("GET /path?query HTTP/1.1") and
    // the local port, true closes the connection unread. Only consulted while refusing() says some
    // request may be refused.
    std::function<bool(std::string_view requestLine, int localPort)> refuse;
    std::function<bool()> refusing;

private:
    bool process_and_close_socket(socket_t sock) override;
};

struct SimServerSettings {
    int threads = 16;             // worker threads
    std::size_t payloadLimit = 0; // bodies beyond it are answered 413
};

using SimHandler = std::function<void(const httplib::Request&, httplib::Response&)>;

// A server that hands every GET and POST (its whole body read) to handler, one request per
// connection, refusing connections as refuse says while refusing() holds.
std::unique_ptr<SimServer> makeSimServer(const SimServerSettings& settings, SimHandler handler,
                                         std::function<bool()> refusing,
                                         std::function<bool(std::string_view, int)> refuse);

} // namespace sim
