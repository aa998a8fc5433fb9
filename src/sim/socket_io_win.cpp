#include "sim/socket_io.h"

// httplib.h brings winsock2.h and ws2tcpip.h.

#include <array>

namespace sim::socket_io {
namespace {

bool waitFor(socket_t sock, short events, int timeoutMs) {
    WSAPOLLFD pfd{sock, events, 0};
    return ::WSAPoll(&pfd, 1, timeoutMs) > 0;
}

int chunk(std::size_t size) {
    constexpr std::size_t kLargest = 1 << 30;
    return static_cast<int>(size < kLargest ? size : kLargest);
}

} // namespace

bool waitReadable(socket_t sock, int timeoutMs) {
    return waitFor(sock, POLLRDNORM, timeoutMs);
}

bool waitWritable(socket_t sock, int timeoutMs) {
    return waitFor(sock, POLLWRNORM, timeoutMs);
}

long long receive(socket_t sock, char* buffer, std::size_t size, bool peek) {
    return ::recv(sock, buffer, chunk(size), peek ? MSG_PEEK : 0);
}

long long send(socket_t sock, const char* data, std::size_t size) {
    return ::send(sock, data, chunk(size), 0);
}

void addressOf(socket_t sock, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    int size = sizeof address;
    const int rc = peer ? ::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &size)
                        : ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size);
    if (rc != 0 || address.ss_family != AF_INET) {
        return;
    }
    auto* in = reinterpret_cast<sockaddr_in*>(&address);
    std::array<char, INET_ADDRSTRLEN> text{};
    if (::inet_ntop(AF_INET, &in->sin_addr, text.data(), text.size()) != nullptr) {
        ip = text.data();
    }
    port = ntohs(in->sin_port);
}

void setNoDelay(socket_t sock) {
    BOOL yes = TRUE;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
}

void setReuseAddress(socket_t sock) {
    // Winsock's SO_REUSEADDR lets another socket take a port in use; exclusive use makes a
    // taken port fail to bind, as SO_REUSEADDR alone does on POSIX.
    BOOL yes = TRUE;
    ::setsockopt(sock, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&yes),
                 sizeof yes);
}

void closeSocket(socket_t sock) {
    ::shutdown(sock, SD_BOTH);
    ::closesocket(sock);
}

void pauseOneMillisecond() {
    ::Sleep(1);
}

} // namespace sim::socket_io
