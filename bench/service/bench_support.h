#pragma once
// Shared pieces of the service benchmarks: a simulator on free loopback ports with the client
// pointed at it, wall-clock medians and the process's resident memory.

#include "runtime/state.h"
#include "service/endpoints.h"
#include "sim/simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// VmRSS of this process in kB, 0 when it cannot be read.
inline long residentKilobytes() {
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
}

inline bool startSimulator(sim::Simulator& simulator) {
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return false;
    }
    service::setEndpoints(
        service::applyEndpointOverride(service::defaultEndpoints(), simulator.endpointsLine()));
    return true;
}

inline sim::Options loopbackOptions() {
    sim::Options options;
    options.servicePorts = {0, 0, 0};
    return options;
}

} // namespace benchsupport
