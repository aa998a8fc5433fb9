#pragma once
// The statistics record the file server holds for a pool: 12 "-"-separated counts.

#include "sim/state.h"

namespace sim {

// Fields: 0 total, 1 with a card, 2 no card, 3 has number, 4 unreadable, 5 has signal,
// 6 registration timed out, 7 RCS, 8 TG, 9 WS, 10 GG, 11 wx. The "done" counts grow with
// step and start over after a full cycle, so a watched pool keeps changing. Drifting, the cycle
// is 30 times slower and the ports with a number and with a signal rise and fall on slow waves
// (periods of 500 and 720 steps), so that a day's trend moves the way a real rack's does.
Text derivedStatsRecord(const PoolState& pool, int step, bool drifting = false);

// The pool's fixed record when it has one, else the derived one.
Text statsRecordFor(const PoolState& pool, int step, bool drifting = false);

} // namespace sim
