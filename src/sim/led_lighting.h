#pragma once
// The LED requests: which lightings the service accepts, and the log of every one asked for.

#include "sim/replies.h"
#include "sim/service_answers.h"
#include "sim/state.h"

#include <vector>

namespace sim {

// Records the lighting in leds (the oldest half goes beyond 100,000) and answers OK when the
// key is accepted, the durations are numbers and the port exists.
Reply lightLed(const ServiceState& state, std::vector<LedLighting>& leds,
               const QueryParams& params);

} // namespace sim
