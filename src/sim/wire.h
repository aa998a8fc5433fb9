#pragma once
// The control channel's records: what the simulator's /__sim/ commands take and give back, so
// that a test in another process (a Windows test under Wine against the Linux simulator) can do
// what an in-process test does. Portable, without the servers: the remote side links it too.
//
// A record is one line of name=value items joined by "&", each value with every byte outside
// [A-Za-z0-9._~-] written as %XX, so GBK texts, line breaks and zero bytes travel unchanged.

#include "sim/simulator.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sim::wire {

using Record = std::vector<std::pair<std::string, std::string>>;

std::string encode(std::string_view bytes);
// Strict: a "%" not followed by two hex digits, or a "+", is kept as it is.
std::string decode(std::string_view text);

// "a=1&b=x%20y", without a line break.
std::string recordLine(const Record& record);
// One record per non-empty line ("\n" or "\r\n").
std::vector<Record> parseRecords(std::string_view text);
std::optional<std::string> field(const Record& record, std::string_view name);

Record toRecord(const LoggedRequest& request);
Record toRecord(const LedLighting& lighting);
Record toRecord(const PendingPort& port);
Record toRecord(const Slot& slot);
// nullopt when a field is missing or unreadable.
std::optional<LoggedRequest> loggedRequestOf(const Record& record);
std::optional<LedLighting> ledLightingOf(const Record& record);
std::optional<PendingPort> pendingPortOf(const Record& record);
std::optional<Slot> slotOf(const Record& record);

// The items of /__sim/fault that set every field of fault but its raw body, which travels as
// the POST body (rawbody=1): "latency=0&refuse=0.5&...".
std::string faultQuery(const Fault& fault);

} // namespace sim::wire
