#pragma once
// A running simulator driven over its /__sim/ control endpoint, with the same interface as the
// one in this process: the Windows tests share the build machine's pooldesk-sim through it.

#include "sim/simulator.h"

#include <functional>
#include <memory>
#include <string>

namespace sim {

// Told of every control exchange the simulator did not answer with 200, and of every record it
// sent back that could not be read; the call itself then returns what it could.
using ControlFailed = std::function<void(const std::string& what)>;

// endpointsLine is the simulator's POOLDESK_ENDPOINTS value. Leaves its state as it is;
// running() is false, and error() says why, when no simulator answers there.
std::unique_ptr<SimulatorControl> remoteSimulator(const std::string& endpointsLine,
                                                  ControlFailed controlFailed);

} // namespace sim
