#include "sim/simulator.h"
#include "sim/simulator_impl.h"

#include "service/codec.h"
#include "sim/control.h"
#include "sim/faults.h"
#include "sim/generator.h"
#include "sim/replies.h"
#include "sim/reply_shaping.h"
#include "sim/scenario.h"
#include "sim/service_answers.h"
#include "sim/sim_server.h"
#include "sim/state.h"
#include "sim/statistics.h"

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
    return p == nullptr ? Text()
                        : statsRecordFor(*p, m_impl->state.statsStep(), m_impl->state.drifting());
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
