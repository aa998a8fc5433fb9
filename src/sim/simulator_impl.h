#pragma once
// The simulator's insides, shared by its public interface (simulator.cpp): state, faults, the
// request log and the servers, and how one request is handled.

#include "service/codec.h"
#include "sim/control.h"
#include "sim/faults.h"
#include "sim/replies.h"
#include "sim/reply_shaping.h"
#include "sim/service_answers.h"
#include "sim/sim_server.h"
#include "sim/simulator.h"
#include "sim/state.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace sim {

struct Simulator::Impl {
    static constexpr std::size_t kLogLimit = 20000;
    static constexpr std::size_t kPayloadLimit = 64u * 1024 * 1024;

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
            // A spared request is counted when it is answered, in handle().
            if (it == faults.end() || it->second.afterRequests > 0 ||
                !roll(it->second.refuseShare)) {
                return false;
            }
        }
        record(LoggedRequest{
            std::string(requestLine.substr(0, firstSpace)), path, query, 0, {}, port, endpoint, 0});
        return true;
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
            if (const auto it = faults.find(*entry.endpoint);
                it != faults.end() && it->second.afterRequests > 0) {
                --it->second.afterRequests;
            } else if (it != faults.end()) {
                fault = it->second;
                if (roll(fault.error500Share)) {
                    errorStatus = 500;
                } else if (roll(fault.error404Share)) {
                    errorStatus = 404;
                }
            }
        }
        if (fault.latencyMs > 0 && !sleepWhileRunning(fault.latencyMs, running)) {
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
            reply = answerRequest(state, leds, *entry.endpoint, req.method, parseRawQuery(query),
                                  path, req.body);
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
            sendTrickling(res, std::move(reply), fault.trickleMs, running);
        } else if (fault.hugeReplyMegabytes > 0 || fault.cutAfterHeaders) {
            sendShaped(res, std::move(reply), fault);
        } else {
            res.set_content(std::move(reply.body), reply.contentType);
        }
        record(std::move(entry));
    }

    std::unique_ptr<SimServer> makeServer(bool statsServer) {
        return makeSimServer(
            {std::max(2, options.threads), kPayloadLimit},
            [this, statsServer](const httplib::Request& req, httplib::Response& res) {
                handle(req, res, statsServer);
            },
            [this] { return anyRefusal.load(); },
            [this, statsServer](std::string_view line, int port) {
                return shouldRefuse(line, statsServer, port);
            });
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

} // namespace sim
