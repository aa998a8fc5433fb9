#include "service/port_search.h"

namespace service {

namespace {

unsigned char folded(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 'A' && value <= 'Z' ? static_cast<unsigned char>(value + ('a' - 'A')) : value;
}

bool isLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Compares character by character from a character start of haystack: ASCII letters folded,
// both bytes of a GBK character as they are (a trail byte may lie in 'A'-'Z'). False when the
// needle ends inside a character of the haystack.
bool matchesAt(std::string_view haystack, std::size_t at, std::string_view needle) {
    for (std::size_t i = 0; i < needle.size();) {
        const auto byte = static_cast<unsigned char>(haystack[at + i]);
        if (isLeadByte(byte) && at + i + 1 < haystack.size()) {
            if (i + 1 >= needle.size() || haystack.substr(at + i, 2) != needle.substr(i, 2)) {
                return false;
            }
            i += 2;
            continue;
        }
        if (folded(haystack[at + i]) != folded(needle[i])) {
            return false;
        }
        ++i;
    }
    return true;
}

} // namespace

bool containsFolded(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) {
        return true;
    }
    if (needle.size() > haystack.size()) {
        return false;
    }
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t at = 0; at <= last;) {
        if (matchesAt(haystack, at, needle)) {
            return true;
        }
        at += isLeadByte(static_cast<unsigned char>(haystack[at])) && at + 1 < haystack.size() ? 2
                                                                                               : 1;
    }
    return false;
}

std::vector<PortMatch> searchPorts(const std::vector<PoolPorts>& pools, std::string_view needle) {
    std::vector<PortMatch> matches;
    for (std::size_t pool = 0; pool < pools.size(); ++pool) {
        const PortRows& rows = pools[pool].rows;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const PortRows::View port = rows.at(row);
            if (containsFolded(port.name, needle) || containsFolded(port.status, needle)) {
                matches.push_back({pool, row});
            }
        }
    }
    return matches;
}

} // namespace service
