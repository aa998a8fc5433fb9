#pragma once
// One pass of the statistics watch, on its own so that it can be measured without the wait
// between passes.

#include "runtime/text.h"
#include "service/session.h"
#include "service/stats_freshness.h"

#include <optional>

namespace service {

// The column of 超级列表框5 that shows when a row's record was last read.
inline constexpr int kStatsTimeColumn = 12;

// Fetches every pool's record of 超级列表框5 once and fills its row; returns the last pool name
// read, nullopt when the list had no row. freshness carries over from the watch's earlier
// passes: a pool that stays unreadable is greyed and reported as it goes stale.
std::optional<runtime::Text> readPoolStatisticsOnce(Session& session, StatsFreshness& freshness);
// One pass with nothing remembered from earlier ones.
std::optional<runtime::Text> readPoolStatisticsOnce(Session& session);

} // namespace service
