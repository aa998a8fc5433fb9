#pragma once
// Raw query parsing and the reply texts of each service request, as the client reads them.

#include "sim/state.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace sim {

using QueryParams = std::vector<std::pair<std::string, std::string>>;

// Splits a raw query at "&" and each item at its first "=", then percent-decodes names and
// values ("+" is a space); escaped UTF-8 becomes GBK. The client escapes the bytes that would
// change the request's meaning, and its transport sends other characters as escaped UTF-8.
QueryParams parseRawQuery(std::string_view query);
// The first value of a parameter; names match exactly ("ukey" is not "uKey").
std::optional<std::string> queryValue(const QueryParams& params, std::string_view name);

// A JSON string of GBK text: quotes, backslashes and control bytes escaped at character
// starts only, so the trail byte of a double-byte character (which may be 0x5C) stays as is.
Text jsonString(std::string_view gbkText);

Text signInReply(const UserState* user);
Text poolListReply(const UserState* user);
// One line per task: port + "|" + percentEncode(status + "-" + time) + "\r\n".
Text portsReply(const std::vector<PendingPort>& pending);
// One object per slot, each beginning with {"slot":"..." and holding no "}".
Text slotInfoReply(const PoolState* pool);

struct DeleteLines {
    std::vector<PendingPort> tasks; // port, decoded status and time
    std::size_t broken = 0;         // lines without a port or without "|"
};
// Body lines port + "|" + percent code, separated by "\r\n" (a bare "\n" is accepted too).
DeleteLines parseDeleteBody(std::string_view body);

} // namespace sim
