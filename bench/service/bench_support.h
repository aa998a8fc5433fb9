#pragma once
// Shared pieces of the service benchmarks: a simulator with the client pointed at it (in this
// process where pooldesk-sim builds; on Windows the build machine's one, named by the file in
// POOLDESK_SIM_ENDPOINTS_FILE), wall-clock medians and the process's resident memory.

#include "../process_memory.h"
#include "runtime/state.h"
#include "service/endpoints.h"
#include "test_support/test_simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// The simulator, emptied, with the client's endpoints and route pointed at it and the key's user
// added; null (after a message) when none answers.
inline std::unique_ptr<support::TestSimulator> startSimulator(const std::string& key) {
    auto simulator = support::startTestSimulator();
    if (!simulator->running()) {
        std::fprintf(stderr, "simulator: %s\n", simulator->error().c_str());
        return nullptr;
    }
    simulator->clearState();
    simulator->clearFaults();
    simulator->clearRequestLog();
    service::setEndpoints(
        service::applyEndpointOverride(service::defaultEndpoints(), simulator->endpointsLine()));
    simulator->addUser(key);
    return simulator;
}

} // namespace benchsupport
