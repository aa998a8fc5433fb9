#pragma once
// The scenario file: a line-based description of the service's state.

#include "sim/state.h"

#include <string>
#include <string_view>

namespace sim {

// Applies a scenario (UTF-8 text) to state. False and "line N: ..." on the first bad line;
// the lines before it stay applied.
bool applyScenario(ServiceState& state, std::string_view utf8Text, std::string& errorMessage);

} // namespace sim
