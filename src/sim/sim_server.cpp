#include "sim/sim_server.h"

#include "sim/socket_io.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>

namespace sim {

namespace {

constexpr int kTimeoutMs = 5000;

// A buffered stream over an accepted socket: the request line is read a byte at a time.
class SocketStream final : public httplib::Stream {
public:
    explicit SocketStream(socket_t sock) : m_sock(sock) {}

    bool is_readable() const override {
        return m_begin < m_end || socket_io::waitReadable(m_sock, kTimeoutMs);
    }
    bool is_writable() const override { return socket_io::waitWritable(m_sock, kTimeoutMs); }

    ssize_t read(char* ptr, size_t size) override {
        if (m_begin == m_end) {
            if (!is_readable()) {
                return -1;
            }
            const auto n = socket_io::receive(m_sock, m_buffer.data(), m_buffer.size());
            if (n <= 0) {
                return static_cast<ssize_t>(n);
            }
            m_begin = 0;
            m_end = static_cast<std::size_t>(n);
        }
        const auto count = std::min(size, m_end - m_begin);
        std::copy_n(m_buffer.data() + m_begin, count, ptr);
        m_begin += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) {
            return -1;
        }
        return static_cast<ssize_t>(socket_io::send(m_sock, ptr, size));
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        socket_io::addressOf(m_sock, true, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        socket_io::addressOf(m_sock, false, ip, port);
    }
    socket_t socket() const override { return m_sock; }

private:
    socket_t m_sock;
    std::array<char, 4096> m_buffer{};
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
};

// The request line without consuming it, so an accepted request is read normally afterwards.
std::string_view peekRequestLine(socket_t sock, std::array<char, 2048>& buffer) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    long long seen = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!socket_io::waitReadable(sock, 50)) {
            continue;
        }
        const auto n = socket_io::receive(sock, buffer.data(), buffer.size(), true);
        if (n <= 0) {
            return {};
        }
        const std::string_view text(buffer.data(), static_cast<std::size_t>(n));
        if (const auto end = text.find("\r\n"); end != std::string_view::npos) {
            return text.substr(0, end);
        }
        if (static_cast<std::size_t>(n) == buffer.size()) {
            return text;
        }
        if (n == seen) {
            socket_io::pauseOneMillisecond();
        }
        seen = n;
    }
    return {};
}

} // namespace

// One request per connection, then the connection is closed.
bool SimServer::process_and_close_socket(socket_t sock) {
    // Headers and body leave in separate writes; without this the body waits for an ACK.
    socket_io::setNoDelay(sock);
    bool answered = false;
    bool refused = false;
    if (refuse && refusing && refusing()) {
        std::array<char, 2048> buffer{};
        const auto line = peekRequestLine(sock, buffer);
        std::string ip;
        int localPort = 0;
        socket_io::addressOf(sock, false, ip, localPort);
        refused = !line.empty() && refuse(line, localPort);
    }
    if (!refused && socket_io::waitReadable(sock, kTimeoutMs)) {
        SocketStream stream(sock);
        bool closed = false;
        answered = process_request(stream, true, closed, nullptr);
    }
    socket_io::closeSocket(sock);
    return answered;
}

std::unique_ptr<SimServer> makeSimServer(const SimServerSettings& settings, SimHandler handler,
                                         std::function<bool()> refusing,
                                         std::function<bool(std::string_view, int)> refuse) {
    auto server = std::make_unique<SimServer>();
    const int threads = settings.threads;
    server->new_task_queue = [threads] {
        return std::make_unique<httplib::ThreadPool>(static_cast<std::size_t>(threads)).release();
    };
    // One request per connection: a refusal or a cut then always meets a fresh request.
    server->set_keep_alive_max_count(1);
    server->set_payload_max_length(settings.payloadLimit);
    server->set_read_timeout(5);
    // SO_REUSEADDR only: no SO_REUSEPORT, so a port in use makes start() fail instead of
    // sharing the port with another process.
    server->set_socket_options([](socket_t sock) { socket_io::setReuseAddress(sock); });
    server->Get("[\\s\\S]*", handler);
    // POST bodies are read through a content reader: the plain route would refuse a
    // form-encoded body over 8 KB (the client's deletion batches are form-encoded and
    // reach megabytes).
    const std::size_t limit = settings.payloadLimit;
    server->Post("[\\s\\S]*", [handler, limit](const httplib::Request& req, httplib::Response& res,
                                               const httplib::ContentReader& reader) {
        httplib::Request withBody = req;
        const bool announcedTooLarge =
            req.has_header("Content-Length") &&
            std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) > limit;
        bool withinLimit = !announcedTooLarge;
        const bool read = withinLimit && reader([&withBody, &withinLimit,
                                                 limit](const char* data, std::size_t length) {
                              withBody.body.append(data, length);
                              withinLimit = withBody.body.size() <= limit;
                              return withinLimit;
                          });
        if (!read) {
            res.status = withinLimit ? 400 : 413;
            res.set_content(withinLimit ? "broken body" : "payload too large", "text/plain");
            return;
        }
        handler(withBody, res);
    });
    server->refusing = std::move(refusing);
    server->refuse = std::move(refuse);
    return server;
}

} // namespace sim
