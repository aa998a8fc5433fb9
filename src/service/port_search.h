#pragma once
// Search over the last port query of every pool: the ports whose name or status holds the typed
// text. ASCII letters match either case; a GBK character matches only as a whole, so a match
// never starts on the trail byte of a character.

#include "service/values.h"

#include <string_view>
#include <vector>

namespace service {

// True when needle occurs in haystack at a character start, ASCII case ignored. An empty needle
// is found in any text.
bool containsFolded(std::string_view haystack, std::string_view needle);

struct PoolPorts {
    Text pool;
    PortRows rows;
};

struct PortMatch {
    std::size_t pool; // index into the searched pools
    std::size_t row;  // index into that pool's rows
};

// Every port of every pool whose name or status holds needle, pool by pool in the given order.
std::vector<PortMatch> searchPorts(const std::vector<PoolPorts>& pools, std::string_view needle);

} // namespace service
