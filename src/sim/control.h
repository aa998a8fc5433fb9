#pragma once
// The control endpoint /__sim/COMMAND on every port of a running simulator: what a test or a
// trainer does to it from another process. Records travel as sim/wire.h writes them.

#include "sim/replies.h"
#include "sim/simulator.h"

#include <string>
#include <string_view>

namespace sim {

inline constexpr std::string_view kControlPrefix = "/__sim/";

struct ControlRequest {
    std::string_view method;
    QueryParams params; // the query, percent-decoded
    const std::string& body;
};

struct ControlReply {
    int status = 200;
    std::string body;
};

// Runs one command (the path after kControlPrefix) through the simulator's own interface, so
// it takes the simulator's lock the same way an in-process caller does.
ControlReply runControl(Simulator& simulator, std::string_view command,
                        const ControlRequest& request);

// The command list for --help.
std::string_view controlHelp();

} // namespace sim
