#pragma once
// Where the client sends its requests: the three route endpoints and the statistics file
// server. Built-in defaults, overridable by POOLDESK_ENDPOINTS or --endpoints with the text
// "malaysia=HOST[:PORT],netherlands=HOST:PORT,hongkong=HOST:PORT,stats=HOST:PORT"
// (any subset, in any order).

#include "runtime/text.h"

#include <string_view>

namespace service {

struct Endpoints {
    runtime::Text malaysia;
    runtime::Text netherlands;
    runtime::Text hongKong;
    runtime::Text statsServer;
};

Endpoints defaultEndpoints();
// Applies an override text to base; unknown keys and malformed items are ignored.
Endpoints applyEndpointOverride(Endpoints base, std::string_view overrideText);

// The process-wide endpoints (copies; safe from any thread).
Endpoints endpoints();
void setEndpoints(Endpoints value);

inline constexpr std::string_view kEndpointsEnvironmentVariable = "POOLDESK_ENDPOINTS";

} // namespace service
