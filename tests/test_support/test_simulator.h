#pragma once
// The simulator as the service and end-to-end tests drive it. Where pooldesk-sim builds, each
// test starts its own in this process on free loopback ports. The Windows tests, run under
// Wine, share the build machine's pooldesk-sim (started by a ctest fixture that writes its
// endpoints to the file named by POOLDESK_SIM_ENDPOINTS_FILE) and drive it over its /__sim/
// control endpoint; each test gets it back empty, without faults and with empty logs.
//
// A control exchange that fails is a test failure.

#include "sim/simulator.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace support {

using sim::Text;

// Stated once, in the simulator's own header.
using TestSimulator = sim::SimulatorControl;

// The simulator for one test, running unless error() says why not: the shared one when
// POOLDESK_SIM_ENDPOINTS_FILE is set, else one of its own in this process.
std::unique_ptr<TestSimulator> startTestSimulator();

// A running simulator reached over its control endpoint (sim::remoteSimulator) whose failed
// control exchanges fail the test.
std::unique_ptr<TestSimulator> remoteSimulator(const std::string& endpointsLine);

} // namespace support
