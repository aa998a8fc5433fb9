#pragma once
// Shared pieces of the service benchmarks: a simulator with the client pointed at it (in this
// process where pooldesk-sim builds; on Windows the build machine's one, named by the file in
// POOLDESK_SIM_ENDPOINTS_FILE), wall-clock medians and the process's resident memory.

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

#ifdef _WIN32
#include <psapi.h>
#include <windows.h>
#else
#include <fstream>
#endif

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

// The resident memory (working set on Windows) of this process in kB, 0 when it cannot be read.
inline long residentKilobytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return 0;
    }
    return static_cast<long>(counters.WorkingSetSize / 1024);
#else
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmRSS:") {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return 0;
#endif
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
