#pragma once
// The service's side of the simulator: which request a path asks for, and the answer each
// request gets from the state.

#include "sim/replies.h"
#include "sim/simulator.h"
#include "sim/state.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

struct Reply {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
};

Reply textReply(int status, std::string body, std::string type = "text/plain");

extern const std::string kNotFoundPage;
extern const std::string kServerErrorPage;

// The service request a path names; the statistics server serves "/file/..." only.
std::optional<Endpoint> routeOf(std::string_view path, bool statsServer);
// Path and raw query of a request target.
std::pair<std::string, std::string> splitTarget(std::string_view target);
// A non-negative decimal number, nothing else.
std::optional<long long> toNumber(std::string_view text);

// The service's answer; changes the state and the LED log as the request asks. Called under the
// simulator's lock.
Reply answerRequest(ServiceState& state, std::vector<LedLighting>& leds, Endpoint endpoint,
                    const std::string& method, const QueryParams& params, const std::string& path,
                    const std::string& body);

} // namespace sim
