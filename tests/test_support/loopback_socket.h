#pragma once
// Plain TCP sockets on 127.0.0.1 for the test servers, the same on POSIX and Windows.

#include <cstdint>
#include <string>
#include <string_view>

namespace http::testing {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;
#else
using SocketHandle = int;
#endif

class Socket final {
public:
    Socket() = default;
    explicit Socket(SocketHandle handle) : m_handle(handle) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : m_handle(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    bool valid() const;
    void close();
    SocketHandle release();

    // A listening socket on 127.0.0.1 and a port the system picks; throws when it cannot.
    static Socket listenOnLoopback(int& port);
    // A connection to 127.0.0.1:port, or an invalid socket when it is refused.
    static Socket connectToLoopback(int port);
    // The next connection, or an invalid socket when none arrives within timeoutMs.
    Socket accept(int timeoutMs) const;
    // Up to size bytes once data arrives within timeoutMs: the count, 0 at the end of the
    // stream or on an error, -1 when nothing arrived in time.
    long receive(char* data, std::size_t size, int timeoutMs) const;
    bool sendAll(std::string_view bytes) const;

private:
    SocketHandle m_handle = invalidHandle();
    static SocketHandle invalidHandle();
};

} // namespace http::testing
