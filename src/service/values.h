#pragma once
// What the service tells, as values the operations hand on: the window only shows them, and the
// app keeps the last ones it showed (Snapshot). Texts are GBK.

#include "runtime/state.h"
#include "runtime/text.h"
#include "service/requests.h"
#include "service/stats_record.h"

#include <chrono>
#include <expected>
#include <vector>

namespace service {

using runtime::Text;

// A port with pending work, from one "name|status-time" line of the port query.
struct PortRow {
    Text name;
    Text status; // percent-decoded, the part before the first "-"
    Text time;   // the part after it; empty when the status has no "-"
    bool operator==(const PortRow&) const = default;
};

// A slot of a pool in which no card was detected.
struct SlotRow {
    Text slot;
    bool operator==(const SlotRow&) const = default;
};

// A pool's statistics record as its row shows it: the eleven cells after the pool's name.
struct PoolStatistics {
    Text pool;
    StatsCells cells;
    std::chrono::system_clock::time_point readAt;
};

// What came of lighting a port's LED: lit, or the reply of the last try that was not.
struct LedOutcome {
    Text port;
    runtime::LedDuration duration = runtime::LedDuration::TenMinutes;
    bool lit = false;
    Reply lastReply; // of the last try
};

// A request that did not succeed, or a successful reply that could not be read: the reply as it
// came, which requestFailedLine turns into the operator's line.
using ReadFailure = Reply;
template <typename Value> using Read = std::expected<Value, ReadFailure>;

} // namespace service
