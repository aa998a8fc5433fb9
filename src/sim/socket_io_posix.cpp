#include "sim/socket_io.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace sim::socket_io {
namespace {

bool waitFor(socket_t sock, short events, int timeoutMs) {
    pollfd pfd{sock, events, 0};
    int ready = 0;
    do {
        ready = ::poll(&pfd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

} // namespace

bool waitReadable(socket_t sock, int timeoutMs) {
    return waitFor(sock, POLLIN, timeoutMs);
}

bool waitWritable(socket_t sock, int timeoutMs) {
    return waitFor(sock, POLLOUT, timeoutMs);
}

long long receive(socket_t sock, char* buffer, std::size_t size, bool peek) {
    ssize_t n = 0;
    do {
        n = ::recv(sock, buffer, size, peek ? MSG_PEEK : 0);
    } while (n < 0 && errno == EINTR);
    return n;
}

long long send(socket_t sock, const char* data, std::size_t size) {
    ssize_t n = 0;
    do {
        n = ::send(sock, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

void addressOf(socket_t sock, bool peer, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    const int rc = peer ? ::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &size)
                        : ::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size);
    if (rc != 0 || address.ss_family != AF_INET) {
        return;
    }
    const auto* in = reinterpret_cast<const sockaddr_in*>(&address);
    std::array<char, INET_ADDRSTRLEN> text{};
    if (::inet_ntop(AF_INET, &in->sin_addr, text.data(), text.size()) != nullptr) {
        ip = text.data();
    }
    port = ntohs(in->sin_port);
}

void setNoDelay(socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
}

void setReuseAddress(socket_t sock) {
    int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

void closeSocket(socket_t sock) {
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

void pauseOneMillisecond() {
    ::usleep(1000);
}

} // namespace sim::socket_io
