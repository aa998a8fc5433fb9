#pragma once
// pooldesk-sim's command line.

#include "sim/simulator.h"

#include <string>
#include <vector>

namespace sim {

struct CommandLine {
    Options options;
    bool help = false;
    std::string error; // non-empty when the arguments could not be read
};

CommandLine parseCommandLine(const std::vector<std::string>& arguments);
std::string helpText();

} // namespace sim
