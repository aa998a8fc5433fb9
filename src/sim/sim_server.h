#pragma once
// An HTTP server that can close a connection before answering, as a refusing service does.

#include <httplib.h>

#include <functional>
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

} // namespace sim
