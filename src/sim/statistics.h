#pragma once
// The statistics record the file server holds for a pool: 12 "-"-separated counts.

#include "sim/state.h"

namespace sim {

// Fields: 0 total, 1 with a card, 2 no card, 3 has number, 4 unreadable, 5 has signal,
// 6 registration timed out, 7 RCS, 8 TG, 9 WS, 10 GG, 11 wx. The "done" counts grow with
// step and start over after a full cycle, so a watched pool keeps changing.
Text derivedStatsRecord(const PoolState& pool, int step);

// The pool's fixed record when it has one, else the derived one.
Text statsRecordFor(const PoolState& pool, int step);

} // namespace sim
