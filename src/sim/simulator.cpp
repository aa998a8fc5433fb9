#include "sim/simulator.h"

#include "service/codec.h"
#include "sim/control.h"
#include "sim/faults.h"
#include "sim/generator.h"
#include "sim/replies.h"
#include "sim/scenario.h"
#include "sim/sim_server.h"
#include "sim/state.h"
#include "sim/statistics.h"

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

namespace sim {

namespace {

constexpr std::size_t kLogLimit = 20000;
constexpr std::size_t kLedLimit = 100000;
constexpr std::size_t kPayloadLimit = 64u * 1024 * 1024;

struct EndpointPath {
    Endpoint endpoint;
    std::string_view path;
};

constexpr std::array kServicePaths{
    EndpointPath{Endpoint::SignIn, "/sinterface/getUserInfo"},
    EndpointPath{Endpoint::PoolList, "/sinterface/getDev"},
    EndpointPath{Endpoint::Ports, "/sinterface/port/get"},
    EndpointPath{Endpoint::SlotInfo, "/sinterface/getSlotInfo"},
    EndpointPath{Endpoint::LedLight, "/sinterface/ledLight"},
    EndpointPath{Endpoint::DeleteBatch, "/sinterface/port/deleteBatch"},
};

std::optional<Endpoint> routeOf(std::string_view path, bool statsServer) {
    if (statsServer) {
        if (path.starts_with("/file/")) {
            return Endpoint::StatsFile;
        }
        return std::nullopt;
    }
    for (const auto& entry : kServicePaths) {
        if (entry.path == path) {
            return entry.endpoint;
        }
    }
    return std::nullopt;
}

std::pair<std::string, std::string> splitTarget(std::string_view target) {
    const auto q = target.find('?');
    if (q == std::string_view::npos) {
        return {std::string(target), std::string()};
    }
    return {std::string(target.substr(0, q)), std::string(target.substr(q + 1))};
}

std::optional<long long> toNumber(std::string_view text) {
    long long value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

struct Reply {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
};

Reply textReply(int status, std::string body, std::string type = "text/plain") {
    return Reply{status, std::move(type), std::move(body)};
}

const std::string kNotFoundPage =
    "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1>"
    "<p>This is a 404 Not Found page: the requested file does not exist.</p></body></html>";

const std::string kServerErrorPage =
    "<html><head><title>500 Internal Server Error</title></head><body>"
    "<h1>Internal Server Error</h1></body></html>";

} // namespace

struct Simulator::Impl {
    Impl(Simulator& owner, Options o)
        : self(&owner), options(std::move(o)), rng(options.seed), faults(options.faults) {}

    Simulator* self;
    Options options;
    mutable std::mutex mutex; // guards everything below but the servers
    ServiceState state;
    std::mt19937 rng;
    std::map<Endpoint, Fault> faults;
    std::deque<LoggedRequest> log;
    std::vector<LedLighting> leds;
    std::string error;

    std::vector<std::unique_ptr<SimServer>> servers; // service servers, then the stats server
    std::vector<std::thread> threads;
    std::vector<int> servicePorts;
    int statsPort = 0;
    std::atomic<bool> running{false};
    std::atomic<bool> anyRefusal{false};

    std::mutex tickMutex;
    std::condition_variable tickWake;
    bool tickStop = false;
    std::thread ticker;

    void updateRefusalFlag() {
        anyRefusal = std::any_of(faults.begin(), faults.end(),
                                 [](const auto& f) { return f.second.refuseShare > 0; });
    }

    void record(LoggedRequest entry) {
        std::lock_guard lock(mutex);
        log.push_back(std::move(entry));
        while (log.size() > kLogLimit) {
            log.pop_front();
        }
    }

    bool roll(double share) {
        if (share <= 0) {
            return false;
        }
        return std::uniform_real_distribution<double>(0.0, 1.0)(rng) < share;
    }

    bool shouldRefuse(std::string_view requestLine, bool statsServer, int port) {
        const auto firstSpace = requestLine.find(' ');
        const auto lastSpace = requestLine.rfind(' ');
        if (firstSpace == std::string_view::npos || lastSpace <= firstSpace) {
            return false;
        }
        const auto [path, query] =
            splitTarget(requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1));
        const auto endpoint = routeOf(path, statsServer);
        if (!endpoint) {
            return false;
        }
        {
            std::lock_guard lock(mutex);
            const auto it = faults.find(*endpoint);
            if (it == faults.end() || !roll(it->second.refuseShare)) {
                return false;
            }
        }
        record(LoggedRequest{
            std::string(requestLine.substr(0, firstSpace)), path, query, 0, {}, port, endpoint, 0});
        return true;
    }

    // The service's answer; mutates the state as the request asks. Called under the lock.
    Reply answer(Endpoint endpoint, const std::string& method, const QueryParams& params,
                 const std::string& path, const std::string& body) {
        const auto keyOf = [&](std::string_view name) { return queryValue(params, name); };
        switch (endpoint) {
        case Endpoint::SignIn: {
            const auto key = keyOf("ukey");
            if (!key) {
                return textReply(400, R"({"status":400,"msg":"missing ukey"})", "application/json");
            }
            return Reply{200, "application/json", signInReply(state.findUser(*key))};
        }
        case Endpoint::PoolList: {
            const auto key = keyOf("uKey");
            if (!key) {
                return textReply(400, R"({"ret":400,"msg":"missing uKey"})", "application/json");
            }
            return Reply{200, "application/json", poolListReply(state.findUser(*key))};
        }
        case Endpoint::Ports: {
            const auto key = keyOf("ukey");
            if (!key) {
                return textReply(400, "error: missing ukey");
            }
            const auto* user = state.findUser(*key);
            if (user == nullptr || !user->accepted) {
                return textReply(200, "error: unknown key");
            }
            return textReply(200, portsReply(user->pending));
        }
        case Endpoint::SlotInfo: {
            const auto key = keyOf("uKey");
            const auto pool = keyOf("slot");
            if (!key || !pool) {
                return textReply(400, R"({"ret":400,"msg":"missing uKey or slot"})",
                                 "application/json");
            }
            const auto* user = state.findUser(*key);
            if (user == nullptr || !user->accepted) {
                return Reply{200, "application/json", R"({"ret":1,"msg":"unknown key"})"};
            }
            return Reply{200, "application/json", slotInfoReply(state.findPool(*key, *pool))};
        }
        case Endpoint::LedLight:
            return lightLed(params);
        case Endpoint::DeleteBatch: {
            if (method != "POST") {
                return textReply(405, R"({"ret":405,"msg":"POST only"})", "application/json");
            }
            const auto key = keyOf("ukey");
            if (!key) {
                return textReply(400, R"({"ret":400,"msg":"missing ukey"})", "application/json");
            }
            const auto* user = state.findUser(*key);
            if (user == nullptr || !user->accepted) {
                return Reply{200, "application/json", R"({"ret":1,"msg":"unknown key"})"};
            }
            const auto lines = parseDeleteBody(body);
            std::vector<Text> ports;
            ports.reserve(lines.tasks.size());
            for (const auto& task : lines.tasks) {
                ports.push_back(task.port);
            }
            const auto removed = state.removePending(*key, ports);
            return Reply{200, "application/json",
                         R"({"ret":0,"deleted":)" + std::to_string(removed) + R"(,"lines":)" +
                             std::to_string(lines.tasks.size()) + R"(,"broken":)" +
                             std::to_string(lines.broken) + "}"};
        }
        case Endpoint::StatsFile: {
            constexpr std::string_view prefix = "/file/";
            constexpr std::string_view suffix = ".txt";
            if (path.size() > prefix.size() + suffix.size() && path.ends_with(suffix)) {
                const auto name =
                    path.substr(prefix.size(), path.size() - prefix.size() - suffix.size());
                if (const auto owner = state.findStatsFile(name)) {
                    const auto* pool = state.findPool(owner->first, owner->second);
                    if (pool != nullptr) {
                        return textReply(200, statsRecordFor(*pool, state.statsStep()));
                    }
                }
            }
            return textReply(404, kNotFoundPage, "text/html");
        }
        }
        return textReply(404, "no such request");
    }

    Reply lightLed(const QueryParams& params) {
        const auto key = queryValue(params, "ukey");
        const auto port = queryValue(params, "slot");
        if (!key || !port) {
            return textReply(400, R"({"code":"FAIL","msg":"missing ukey or slot"})",
                             "application/json");
        }
        LedLighting lit{*key,
                        *port,
                        queryValue(params, "on_duration").value_or(""),
                        queryValue(params, "off_duration").value_or(""),
                        queryValue(params, "total_duration").value_or(""),
                        std::chrono::system_clock::now(),
                        {},
                        false};
        const auto total = toNumber(lit.totalDuration);
        lit.expiry = lit.time + std::chrono::milliseconds(total.value_or(0));
        const auto* user = state.findUser(*key);
        std::string message;
        if (user == nullptr || !user->accepted) {
            message = "unknown key";
        } else if (!total || !toNumber(lit.onDuration) || !toNumber(lit.offDuration)) {
            message = "bad duration";
        } else if (!state.portExists(*key, *port)) {
            message = "no such port";
        } else {
            lit.accepted = true;
        }
        leds.push_back(lit);
        if (leds.size() > kLedLimit) {
            leds.erase(leds.begin(), leds.begin() + static_cast<std::ptrdiff_t>(kLedLimit / 2));
        }
        if (lit.accepted) {
            return Reply{200, "application/json", R"({"code":"OK","msg":"led on"})"};
        }
        return Reply{200, "application/json", R"({"code":"FAIL","msg":")" + message + "\"}"};
    }

    void handle(const httplib::Request& req, httplib::Response& res, bool statsServer) {
        const auto [path, query] = splitTarget(req.target);
        if (path.starts_with(kControlPrefix)) {
            // Through the public interface, which takes the lock itself.
            const auto reply =
                runControl(*self, std::string_view(path).substr(kControlPrefix.size()),
                           ControlRequest{req.method, parseRawQuery(query), req.body});
            res.status = reply.status;
            res.set_content(reply.body, "text/plain");
            return;
        }
        LoggedRequest entry{req.method,
                            path,
                            query,
                            req.body.size(),
                            req.body,
                            req.local_port,
                            routeOf(path, statsServer),
                            0};
        if (!entry.endpoint) {
            res.status = 404;
            res.set_content(statsServer ? kNotFoundPage : "no such request", "text/plain");
            entry.status = res.status;
            record(std::move(entry));
            return;
        }
        Fault fault;
        int errorStatus = 0;
        {
            std::lock_guard lock(mutex);
            if (const auto it = faults.find(*entry.endpoint); it != faults.end()) {
                fault = it->second;
                if (roll(fault.error500Share)) {
                    errorStatus = 500;
                } else if (roll(fault.error404Share)) {
                    errorStatus = 404;
                }
            }
        }
        if (fault.latencyMs > 0 && !sleepWhileRunning(fault.latencyMs)) {
            return;
        }
        if (errorStatus != 0) {
            res.status = errorStatus;
            res.set_content(errorStatus == 500 ? kServerErrorPage : kNotFoundPage, "text/html");
            entry.status = errorStatus;
            record(std::move(entry));
            return;
        }
        Reply reply;
        {
            std::lock_guard lock(mutex);
            reply = answer(*entry.endpoint, req.method, parseRawQuery(query), path, req.body);
        }
        if (fault.rawBody) {
            reply = Reply{200, "text/plain", *fault.rawBody};
        }
        if (fault.malformedJson) {
            reply.body = malformedJsonOf(reply.body);
        }
        if (!fault.htmlCharset.empty()) {
            reply.body = htmlPageInCharset(fault.htmlCharset, reply.body);
            reply.contentType = "text/html";
        }
        res.status = reply.status;
        entry.status = fault.cutAfterHeaders ? 0 : reply.status;
        if (fault.trickleMs > 0) {
            sendTrickling(res, std::move(reply), fault.trickleMs);
        } else if (fault.hugeReplyMegabytes > 0 || fault.cutAfterHeaders) {
            sendShaped(res, std::move(reply), fault);
        } else {
            res.set_content(std::move(reply.body), reply.contentType);
        }
        record(std::move(entry));
    }

    // A huge reply repeats the reply (or filler) to the size asked; a cut reply announces the
    // full length and stops half-way, which closes the connection.
    static void sendShaped(httplib::Response& res, Reply reply, const Fault& fault) {
        auto pattern = std::make_shared<std::string>(std::move(reply.body));
        std::size_t total = pattern->size();
        if (fault.hugeReplyMegabytes > 0) {
            total = static_cast<std::size_t>(fault.hugeReplyMegabytes) * 1024 * 1024;
            if (pattern->empty()) {
                pattern->assign(4096, 'x');
            }
        }
        const std::size_t stopAt = fault.cutAfterHeaders ? total / 2 : total;
        res.set_content_provider(
            total, reply.contentType,
            [pattern, stopAt](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset >= stopAt) {
                    return false;
                }
                length = std::min({length, stopAt - offset, std::size_t{64 * 1024}});
                std::string piece;
                piece.reserve(length);
                while (piece.size() < length) {
                    const auto at = (offset + piece.size()) % pattern->size();
                    piece.append(*pattern, at,
                                 std::min(length - piece.size(), pattern->size() - at));
                }
                return sink.write(piece.data(), piece.size());
            });
    }

    // A stopping simulator cuts the wait short (false), so a long latency never holds stop().
    bool sleepWhileRunning(int milliseconds) const {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < until) {
            if (!running) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(std::min(milliseconds, 20)));
        }
        return true;
    }

    // One byte per interval; a closed connection or a stopping simulator ends it.
    void sendTrickling(httplib::Response& res, Reply reply, int intervalMs) {
        auto body = std::make_shared<std::string>(std::move(reply.body));
        res.set_content_provider(
            body->size(), reply.contentType,
            [this, body, intervalMs](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                return sleepWhileRunning(intervalMs) && sink.write(body->data() + offset, 1);
            });
    }

    std::unique_ptr<SimServer> makeServer(bool statsServer) {
        auto server = std::make_unique<SimServer>();
        const int threads = std::max(2, options.threads);
        server->new_task_queue = [threads] {
            return std::make_unique<httplib::ThreadPool>(static_cast<std::size_t>(threads))
                .release();
        };
        // One request per connection: a refusal or a cut then always meets a fresh request.
        server->set_keep_alive_max_count(1);
        server->set_payload_max_length(kPayloadLimit);
        server->set_read_timeout(5);
        // SO_REUSEADDR only: no SO_REUSEPORT, so a port in use makes start() fail instead of
        // sharing the port with another process.
        server->set_socket_options([](socket_t sock) {
            int yes = 1;
            ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        const auto handler = [this, statsServer](const httplib::Request& req,
                                                 httplib::Response& res) {
            handle(req, res, statsServer);
        };
        server->Get("[\\s\\S]*", handler);
        // POST bodies are read through a content reader: the plain route would refuse a
        // form-encoded body over 8 KB (the client's deletion batches are form-encoded and
        // reach megabytes).
        server->Post("[\\s\\S]*", [this, statsServer](const httplib::Request& req,
                                                      httplib::Response& res,
                                                      const httplib::ContentReader& reader) {
            httplib::Request withBody = req;
            const bool announcedTooLarge =
                req.has_header("Content-Length") &&
                std::strtoull(req.get_header_value("Content-Length").c_str(), nullptr, 10) >
                    kPayloadLimit;
            bool withinLimit = !announcedTooLarge;
            const bool read = withinLimit && reader([&withBody, &withinLimit](const char* data,
                                                                              std::size_t length) {
                                  withBody.body.append(data, length);
                                  withinLimit = withBody.body.size() <= kPayloadLimit;
                                  return withinLimit;
                              });
            if (!read) {
                res.status = withinLimit ? 400 : 413;
                res.set_content(withinLimit ? "broken body" : "payload too large", "text/plain");
                return;
            }
            handle(withBody, res, statsServer);
        });
        server->refusing = [this] { return anyRefusal.load(); };
        server->refuse = [this, statsServer](std::string_view line, int port) {
            return shouldRefuse(line, statsServer, port);
        };
        return server;
    }

    bool bindServer(SimServer& server, int port, int& boundPort) {
        if (port == 0) {
            boundPort = server.bind_to_any_port("127.0.0.1");
            if (boundPort <= 0) {
                error = "cannot listen on a free port of 127.0.0.1";
                return false;
            }
            return true;
        }
        if (!server.bind_to_port("127.0.0.1", port)) {
            error = "cannot listen on 127.0.0.1:" + std::to_string(port) +
                    " (in use, or a port below 1024 without root)";
            return false;
        }
        boundPort = port;
        return true;
    }
};

Simulator::Simulator(Options options) : m_impl(std::make_unique<Impl>(*this, std::move(options))) {
    m_impl->updateRefusalFlag();
}

Simulator::~Simulator() {
    stop();
}

bool Simulator::start() {
    auto& d = *m_impl;
    if (d.running) {
        return true;
    }
    {
        std::lock_guard lock(d.mutex);
        d.error.clear();
        if (d.options.demo) {
            demoState(d.state);
        }
        if (!d.options.scenarioFile.empty()) {
            std::ifstream in(d.options.scenarioFile, std::ios::binary);
            if (!in) {
                d.error = "cannot read the scenario file " + d.options.scenarioFile;
                return false;
            }
            std::stringstream text;
            text << in.rdbuf();
            std::string message;
            if (!applyScenario(d.state, text.str(), message)) {
                d.error = d.options.scenarioFile + ": " + message;
                return false;
            }
        }
        if (d.options.pools > 0) {
            generateState(d.state, d.options.generatedKey, d.options.pools,
                          std::max(0, d.options.portsPerPool), d.options.seed);
        }
    }
    if (d.options.servicePorts.empty()) {
        d.error = "no service port given";
        return false;
    }
    d.servicePorts.clear();
    for (const int port : d.options.servicePorts) {
        auto server = d.makeServer(false);
        int bound = 0;
        if (!d.bindServer(*server, port, bound)) {
            d.servers.clear();
            return false;
        }
        d.servicePorts.push_back(bound);
        d.servers.push_back(std::move(server));
    }
    auto stats = d.makeServer(true);
    if (!d.bindServer(*stats, d.options.statsPort, d.statsPort)) {
        d.servers.clear();
        return false;
    }
    d.servers.push_back(std::move(stats));
    for (auto& server : d.servers) {
        d.threads.emplace_back([s = server.get()] { s->listen_after_bind(); });
    }
    // stop() only reaches a server that has begun listening.
    for (auto& server : d.servers) {
        while (!server->is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    d.running = true;
    if (d.options.demo) {
        d.tickStop = false;
        d.ticker = std::thread([&d] {
            std::unique_lock lock(d.tickMutex);
            while (
                !d.tickWake.wait_for(lock, std::chrono::seconds(5), [&d] { return d.tickStop; })) {
                std::lock_guard stateLock(d.mutex);
                d.state.advanceStatistics(1);
            }
        });
    }
    return true;
}

void Simulator::stop() {
    auto& d = *m_impl;
    if (d.ticker.joinable()) {
        {
            std::lock_guard lock(d.tickMutex);
            d.tickStop = true;
        }
        d.tickWake.notify_all();
        d.ticker.join();
    }
    // First, so that a trickling reply stops before the servers wait for their handlers.
    d.running = false;
    for (auto& server : d.servers) {
        server->stop();
    }
    for (auto& thread : d.threads) {
        thread.join();
    }
    d.threads.clear();
    d.servers.clear();
}

bool Simulator::running() const {
    return m_impl->running;
}

std::string Simulator::error() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->error;
}

std::vector<int> Simulator::servicePorts() const {
    return m_impl->servicePorts;
}

int Simulator::statsPort() const {
    return m_impl->statsPort;
}

std::string Simulator::endpointsLine() const {
    const auto& ports = m_impl->servicePorts;
    if (ports.empty()) {
        return {};
    }
    const auto at = [&](std::size_t i) {
        return "127.0.0.1:" + std::to_string(ports[i < ports.size() ? i : 0]);
    };
    return "malaysia=" + at(2) + ",netherlands=" + at(0) + ",hongkong=" + at(1) +
           ",stats=127.0.0.1:" + std::to_string(m_impl->statsPort);
}

void Simulator::addUser(const Text& key, bool accepted) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.user(key).accepted = accepted;
}

void Simulator::addPool(const Text& key, const Text& pool, int portCount) {
    std::lock_guard lock(m_impl->mutex);
    auto& p = m_impl->state.pool(key, pool);
    for (int n = 1; n <= portCount; ++n) {
        const Text number = (n < 10 ? "0" : "") + std::to_string(n);
        p.slots.push_back(
            Slot{pool + "." + number, "8986" + std::to_string(1000000000000000LL + n)});
    }
}

void Simulator::addPendingPort(const Text& key, const Text& port, const Text& status,
                               const Text& time) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.user(key).pending.push_back(PendingPort{port, status, time});
}

void Simulator::setSlots(const Text& key, const Text& pool, std::vector<Slot> slots) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.pool(key, pool).slots = std::move(slots);
}

void Simulator::setStatsRecord(const Text& key, const Text& pool, std::optional<Text> record) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.pool(key, pool).statsRecord = std::move(record);
}

void Simulator::advanceStatistics(int steps) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.advanceStatistics(steps);
}

void Simulator::generate(const Text& key, int pools, int portsPerPool, unsigned seed) {
    std::lock_guard lock(m_impl->mutex);
    generateState(m_impl->state, key, pools, portsPerPool, seed);
}

bool Simulator::loadScenarioText(std::string_view text, std::string* errorMessage) {
    std::lock_guard lock(m_impl->mutex);
    std::string message;
    const bool ok = applyScenario(m_impl->state, text, message);
    if (!ok && errorMessage != nullptr) {
        *errorMessage = message;
    }
    return ok;
}

void Simulator::clearState() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->state.clear();
}

std::vector<Text> Simulator::pools(const Text& key) const {
    std::lock_guard lock(m_impl->mutex);
    std::vector<Text> names;
    if (const auto* user = m_impl->state.findUser(key)) {
        for (const auto& p : user->pools) {
            names.push_back(p.name);
        }
    }
    return names;
}

std::vector<Slot> Simulator::slotsOf(const Text& key, const Text& pool) const {
    std::lock_guard lock(m_impl->mutex);
    const auto* p = m_impl->state.findPool(key, pool);
    return p == nullptr ? std::vector<Slot>() : p->slots;
}

std::vector<PendingPort> Simulator::pendingPorts(const Text& key) const {
    std::lock_guard lock(m_impl->mutex);
    const auto* user = m_impl->state.findUser(key);
    return user == nullptr ? std::vector<PendingPort>() : user->pending;
}

Text Simulator::statsRecord(const Text& key, const Text& pool) const {
    std::lock_guard lock(m_impl->mutex);
    const auto* p = m_impl->state.findPool(key, pool);
    return p == nullptr ? Text() : statsRecordFor(*p, m_impl->state.statsStep());
}

std::vector<LedLighting> Simulator::ledLightings() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->leds;
}

std::vector<LoggedRequest> Simulator::requestLog() const {
    std::lock_guard lock(m_impl->mutex);
    return {m_impl->log.begin(), m_impl->log.end()};
}

void Simulator::clearLedLightings() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->leds.clear();
}

void Simulator::clearRequestLog() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->log.clear();
}

void Simulator::setFault(Endpoint endpoint, Fault fault) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults[endpoint] = std::move(fault);
    m_impl->updateRefusalFlag();
}

void Simulator::clearFaults() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.clear();
    m_impl->updateRefusalFlag();
}

} // namespace sim
