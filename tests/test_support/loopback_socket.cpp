#include "test_support/loopback_socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>

namespace http::testing {

namespace {

#ifdef _WIN32
using Length = int;
constexpr int kNoSignal = 0;

// Winsock needs starting once per process.
void startSockets() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started) {
        throw std::runtime_error("cannot start Winsock");
    }
}

int waitFor(SocketHandle handle, int timeoutMs) {
    WSAPOLLFD wanted{static_cast<SOCKET>(handle), POLLRDNORM, 0};
    return WSAPoll(&wanted, 1, timeoutMs);
}
#else
using Length = socklen_t;
constexpr int kNoSignal = MSG_NOSIGNAL;

void startSockets() {}

int waitFor(SocketHandle handle, int timeoutMs) {
    pollfd wanted{handle, POLLIN, 0};
    return ::poll(&wanted, 1, timeoutMs);
}
#endif

} // namespace

SocketHandle Socket::invalidHandle() {
#ifdef _WIN32
    return static_cast<SocketHandle>(INVALID_SOCKET);
#else
    return -1;
#endif
}

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = other.release();
    }
    return *this;
}

bool Socket::valid() const {
    return m_handle != invalidHandle();
}

void Socket::close() {
    if (!valid()) {
        return;
    }
#ifdef _WIN32
    ::closesocket(static_cast<SOCKET>(m_handle));
#else
    ::close(m_handle);
#endif
    m_handle = invalidHandle();
}

SocketHandle Socket::release() {
    const SocketHandle handle = m_handle;
    m_handle = invalidHandle();
    return handle;
}

Socket Socket::listenOnLoopback(int& port) {
    startSockets();
    Socket listener(static_cast<SocketHandle>(::socket(AF_INET, SOCK_STREAM, 0)));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    Length length = sizeof(address);
    if (!listener.valid() ||
        ::bind(listener.m_handle, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(listener.m_handle, 16) != 0 ||
        ::getsockname(listener.m_handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    port = ntohs(address.sin_port);
    return listener;
}

Socket Socket::connectToLoopback(int port) {
    startSockets();
    Socket connection(static_cast<SocketHandle>(::socket(AF_INET, SOCK_STREAM, 0)));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<unsigned short>(port));
    if (!connection.valid() || ::connect(connection.m_handle, reinterpret_cast<sockaddr*>(&address),
                                         sizeof(address)) != 0) {
        return Socket();
    }
    return connection;
}

Socket Socket::accept(int timeoutMs) const {
    if (waitFor(m_handle, timeoutMs) <= 0) {
        return Socket();
    }
    return Socket(static_cast<SocketHandle>(::accept(m_handle, nullptr, nullptr)));
}

long Socket::receive(char* data, std::size_t size, int timeoutMs) const {
    const int ready = waitFor(m_handle, timeoutMs);
    if (ready == 0) {
        return -1;
    }
    if (ready < 0) {
        return 0;
    }
    const auto got = ::recv(m_handle, data, static_cast<int>(size), 0);
    return got < 0 ? 0 : static_cast<long>(got);
}

bool Socket::sendAll(std::string_view bytes) const {
    while (!bytes.empty()) {
        const auto sent = ::send(m_handle, bytes.data(), static_cast<int>(bytes.size()), kNoSignal);
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

} // namespace http::testing
