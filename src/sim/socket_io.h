#pragma once
// The few socket calls the simulator's server makes itself, over BSD sockets or Winsock.

#include <httplib.h>

#include <cstddef>
#include <string>

namespace sim::socket_io {

// True once the socket can be read (or written) within the time.
bool waitReadable(socket_t sock, int timeoutMs);
bool waitWritable(socket_t sock, int timeoutMs);

// recv and send, retried when a signal interrupts them; send never raises SIGPIPE. peek leaves
// the bytes to be read again. A negative result is an error, 0 from receive a closed peer.
long long receive(socket_t sock, char* buffer, std::size_t size, bool peek = false);
long long send(socket_t sock, const char* data, std::size_t size);

// The IPv4 address and port of the socket's own end or its peer's; untouched when unknown.
void addressOf(socket_t sock, bool peer, std::string& ip, int& port);

void setNoDelay(socket_t sock);
void setReuseAddress(socket_t sock);
// Shuts both directions down and closes the socket.
void closeSocket(socket_t sock);
void pauseOneMillisecond();

} // namespace sim::socket_io
