#include "test_support/test_server.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace http::testing {
namespace {

constexpr int kPollMs = 50;

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, last - first + 1));
}

// Bytes arriving on a connection, read as the parser asks for them.
class Reader final {
public:
    Reader(const Socket& socket, const std::atomic<bool>& stopping)
        : m_socket(socket), m_stopping(stopping) {}

    // Everything up to and including the delimiter; false when the peer stops first.
    bool until(std::string_view delimiter, std::string& out) {
        for (;;) {
            const std::size_t at = m_buffer.find(delimiter);
            if (at != std::string::npos) {
                out = m_buffer.substr(0, at + delimiter.size());
                m_buffer.erase(0, at + delimiter.size());
                return true;
            }
            if (!fill()) {
                return false;
            }
        }
    }
    bool exactly(std::size_t size, std::string& out) {
        while (m_buffer.size() < size) {
            if (!fill()) {
                return false;
            }
        }
        out.append(m_buffer, 0, size);
        m_buffer.erase(0, size);
        return true;
    }

private:
    bool fill() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!m_stopping && std::chrono::steady_clock::now() < deadline) {
            char piece[16384];
            const long got = m_socket.receive(piece, sizeof piece, kPollMs);
            if (got > 0) {
                m_buffer.append(piece, static_cast<std::size_t>(got));
                return true;
            }
            if (got == 0) {
                return false;
            }
        }
        return false;
    }

    const Socket& m_socket;
    const std::atomic<bool>& m_stopping;
    std::string m_buffer;
};

// The request head and body; Content-Length and chunked bodies, "100 Continue" when asked.
bool readRequest(Reader& reader, const Socket& client, SeenRequest& request) {
    std::string head;
    if (!reader.until("\r\n\r\n", head)) {
        return false;
    }
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const std::size_t firstSpace = requestLine.find(' ');
    const std::size_t lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string::npos || lastSpace <= firstSpace) {
        return false;
    }
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    while (lineEnd + 4 < head.size()) {
        const std::size_t next = head.find("\r\n", lineEnd + 2);
        const std::string line = head.substr(lineEnd + 2, next - lineEnd - 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos) {
            request.headers.emplace(lowerAscii(line.substr(0, colon)),
                                    trimmed(std::string_view(line).substr(colon + 1)));
        }
        lineEnd = next;
    }
    const auto header = [&request](const char* name) {
        const auto found = request.headers.find(name);
        return found == request.headers.end() ? std::string() : lowerAscii(found->second);
    };
    if (header("expect") == "100-continue") {
        client.sendAll("HTTP/1.1 100 Continue\r\n\r\n");
    }
    if (header("transfer-encoding") == "chunked") {
        for (;;) {
            std::string sizeLine;
            if (!reader.until("\r\n", sizeLine)) {
                return false;
            }
            const std::size_t size = std::stoul(sizeLine, nullptr, 16);
            std::string ignored;
            if (size == 0) {
                return reader.until("\r\n", ignored);
            }
            if (!reader.exactly(size, request.body) || !reader.exactly(2, ignored)) {
                return false;
            }
        }
    }
    const std::string length = header("content-length");
    return length.empty() || reader.exactly(std::stoul(length), request.body);
}

struct Reply {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::size_t declaredLength = std::string::npos; // a Content-Length other than the body's
};

std::string statusLine(int status) {
    switch (status) {
    case 200:
        return "HTTP/1.1 200 OK\r\n";
    case 302:
        return "HTTP/1.1 302 Found\r\n";
    default:
        return "HTTP/1.1 404 Not Found\r\n";
    }
}

std::string queryValue(const std::string& target, const std::string& name) {
    const std::size_t at = target.find(name + "=");
    if (at == std::string::npos) {
        return {};
    }
    const std::size_t start = at + name.size() + 1;
    return target.substr(start, target.find('&', start) - start);
}

} // namespace

TestServer::TestServer() {
    m_listener = Socket::listenOnLoopback(m_port);
    m_thread = std::thread([this] { acceptConnections(); });
}

TestServer::~TestServer() {
    m_stopping = true;
    m_thread.join();
}

void TestServer::acceptConnections() {
    while (!m_stopping) {
        Socket client = m_listener.accept(kPollMs);
        if (client.valid()) {
            m_connections.emplace_back(
                [this, connection = std::move(client)] { serve(connection); });
        }
    }
    for (std::thread& connection : m_connections) {
        connection.join();
    }
}

void TestServer::serve(const Socket& client) {
    Reader reader(client, m_stopping);
    SeenRequest request;
    if (!readRequest(reader, client, request)) {
        return;
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    const std::string& method = request.method;
    Reply reply;
    reply.headers.emplace_back("Content-Type", "text/plain");
    if (path.starts_with("/echo")) {
        record(request);
        reply.body = method + " " + request.target + "|" + request.body;
    } else if (path == "/status/404") {
        reply.status = 404;
        reply.body = "no such page";
    } else if (path == "/redirect" && (method == "GET" || method == "POST")) {
        record(request);
        reply.status = 302;
        reply.headers.emplace_back("Location", "/echo/target");
        reply.headers.emplace_back("Set-Cookie", "hop=1; path=/");
        reply.body = "moved";
    } else if (path == "/cookies/redirect") {
        reply.status = 302;
        reply.headers.emplace_back("Location", "/cookies/echo");
        reply.headers.emplace_back("Set-Cookie", "hop=1; path=/");
    } else if (path == "/cookies/set") {
        reply.headers.emplace_back("Set-Cookie", "sid=42; path=/");
        reply.headers.emplace_back("Set-Cookie", "lang=zh; HttpOnly");
        reply.headers.emplace_back("Set-Cookie", "old=deleted; path=/");
        reply.body = "set";
    } else if (path == "/cookies/echo") {
        record(request);
        for (auto [at, end] = request.headers.equal_range("cookie"); at != end; ++at) {
            reply.body += (reply.body.empty() ? "" : " | ") + at->second;
        }
    } else if (path == "/nul") {
        reply.headers[0].second = "application/octet-stream";
        reply.body.assign("ab\0cd", 5);
    } else if (path == "/utf8") {
        reply.headers[0].second = "text/html";
        reply.body = "<html><meta charset=\"utf-8\">\xe5\x88\xb7\xe6\x96\xb0</html>";
    } else if (path == "/big") {
        reply.headers[0].second = "application/octet-stream";
        reply.body.resize(std::stoul(queryValue(request.target, "size")));
        for (std::size_t i = 0; i < reply.body.size(); ++i) {
            reply.body[i] = static_cast<char>('a' + i % 26);
        }
    } else if (path == "/truncated") {
        reply.body.assign(100, 'p'); // the connection drops after these 100 of 1000 bytes
        reply.declaredLength = 1000;
    } else if (path == "/trickle") {
        // 1000 bytes announced, then one every `interval` ms until the client gives up.
        const auto interval =
            std::chrono::milliseconds(std::stoi(queryValue(request.target, "interval")));
        if (!client.sendAll(statusLine(200) + "Content-Length: 1000\r\n\r\n")) {
            return;
        }
        for (int sent = 0; sent < 1000 && !m_stopping; ++sent) {
            std::this_thread::sleep_for(interval);
            if (!client.sendAll("t")) {
                return;
            }
        }
        return;
    } else {
        reply.status = 404;
        reply.body.clear();
    }

    std::string head = statusLine(reply.status);
    for (const auto& [name, value] : reply.headers) {
        head += name + ": " + value + "\r\n";
    }
    const std::size_t length =
        reply.declaredLength != std::string::npos ? reply.declaredLength : reply.body.size();
    head += "Content-Length: " + std::to_string(length) + "\r\nConnection: close\r\n\r\n";
    if (client.sendAll(head) && method != "HEAD") {
        client.sendAll(reply.body);
    }
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
    m_listener = Socket::listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

RawServer::~RawServer() {
    m_stopping = true;
    m_thread.join();
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
        const Socket client = m_listener.accept(kPollMs);
        if (!client.valid()) {
            continue;
        }
        std::string request;
        std::size_t wanted = std::string::npos;
        while (!m_stopping && request.size() < wanted) {
            char buffer[4096];
            const long got = client.receive(buffer, sizeof(buffer), kPollMs);
            if (got < 0) {
                continue;
            }
            if (got == 0) {
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
            client.sendAll(m_reply);
        } else {
            while (!m_stopping) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
    }
}

int closedPort() {
    int port = 0;
    Socket::listenOnLoopback(port);
    return port;
}

} // namespace http::testing
