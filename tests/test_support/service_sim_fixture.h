#pragma once
// A MemoryWindow in front of a simulator (support/test_simulator.h: in process on free loopback
// ports, or the Windows tests' shared one, emptied), with the client's endpoints pointed at it.

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/endpoints.h"
#include "service/session.h"
#include "sim/simulator.h"
#include "test_support/memory_window.h"
#include "test_support/test_simulator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <initializer_list>
#include <memory>
#include <thread>

namespace servicetest {

using runtime::gbk;
using runtime::Text;

inline constexpr std::string_view kKey = "key-7";

class ServiceSimTest : public testing::Test {
protected:
    void SetUp() override {
        m_sim = support::startTestSimulator();
        ASSERT_TRUE(m_sim->running()) << m_sim->error();
        service::setEndpoints(
            service::applyEndpointOverride(service::defaultEndpoints(), m_sim->endpointsLine()));
        m_sim->addUser(Text(kKey));
        m_session = sessionOn(m_window);
    }

    // A session signed in with kKey on the Netherlands route, whose work acts on window.
    static std::shared_ptr<service::Session> sessionOn(runtime::Window& window) {
        return service::Session::start(window, service::endpoints().netherlands, Text(kKey));
    }

    void TearDown() override {
        // The workers the test started against the window (a statistics watch) stop with it,
        // before the simulator goes.
        m_session->end();
        m_session.reset();
        m_ownedWindow.reset();
        m_sim->stop();
    }

    // Requests of one kind, in arrival order (a watch left by an earlier test may add others).
    std::vector<sim::LoggedRequest> requests(sim::Endpoint endpoint) const {
        std::vector<sim::LoggedRequest> found;
        for (auto& request : m_sim->requestLog()) {
            if (request.endpoint == endpoint) {
                found.push_back(std::move(request));
            }
        }
        return found;
    }

    void answerRaw(sim::Endpoint endpoint, std::string body) {
        sim::Fault fault;
        fault.rawBody = std::move(body);
        m_sim->setFault(endpoint, fault);
    }

    // Refused from the request after the first `answered` ones on.
    void refuse(sim::Endpoint endpoint, int answered = 0) {
        sim::Fault fault;
        fault.refuseShare = 1.0;
        fault.afterRequests = answered;
        m_sim->setFault(endpoint, fault);
    }

    // Waits (up to 20 s) until done() holds.
    template <typename Predicate> static bool eventually(Predicate done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < deadline) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Waits (up to 20 s) until the log panel holds line.
    bool waitForLine(std::string_view line) {
        return eventually([&] {
            const auto written = m_window.lines(controls::kLogPanel);
            return std::find(written.begin(), written.end(), line) != written.end();
        });
    }

    // The log lines from the first-th on that start with one of the prefixes.
    std::vector<Text> logLinesStartingWith(std::initializer_list<Text> prefixes,
                                           std::size_t first = 0) {
        const auto all = m_window.lines(controls::kLogPanel);
        std::vector<Text> found;
        for (std::size_t i = first; i < all.size(); ++i) {
            if (std::any_of(prefixes.begin(), prefixes.end(),
                            [&](const Text& prefix) { return all[i].starts_with(prefix); })) {
                found.push_back(all[i]);
            }
        }
        return found;
    }

    std::vector<Text> column(std::string_view list, int column) {
        std::vector<Text> cells;
        for (int row = 0; row < m_window.rowCount(list); ++row) {
            cells.push_back(m_window.cellText(list, row, column));
        }
        return cells;
    }

    std::unique_ptr<support::TestSimulator> m_sim;
    // Each test its own window; it stops the workers started against it when it goes.
    std::unique_ptr<runtime::MemoryWindow> m_ownedWindow =
        std::make_unique<runtime::MemoryWindow>();
    runtime::MemoryWindow& m_window = *m_ownedWindow;
    std::shared_ptr<service::Session> m_session;
};

// The log line of a failed request starts with what failed and carries the engine's message.
MATCHER_P(FailureLineFor, what, "") {
    const Text prefix = runtime::concat({gbk("请求失败（"), gbk(what), gbk("）：")});
    return arg.size() > prefix.size() && arg.compare(0, prefix.size(), prefix) == 0;
}

} // namespace servicetest
