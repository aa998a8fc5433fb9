#pragma once
// New-task alerts: an automatic check sends the port query that 刷新 sends, marks the pools as 刷新
// does and compares each pool's pending ports with those of the last check that succeeded. The
// comparison works on values (pool -> names of its pending ports), never on list cells.

#include "service/session.h"
#include "service/values.h"

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace service {

// Each pool's pending ports (pools without any are left out).
using PendingByPool = std::map<Text, std::set<Text, std::less<>>, std::less<>>;

// The ports of a query grouped by the pools they belong to (portBelongsToPool).
PendingByPool pendingByPool(const PortRows& ports, const std::vector<Text>& pools);

// A pool that has ports pending now that were not pending before.
struct PoolGain {
    Text pool;
    std::size_t count = 0;
    bool operator==(const PoolGain&) const = default;
};

// The pools of now that gained ports over before, in the pools' order. A pool absent before
// gained all of its ports; ports that went away count for nothing.
std::vector<PoolGain> gainedPorts(const PendingByPool& before, const PendingByPool& now);

// The checks of one session, one after another. The first good check is the base to compare
// with; a failed check (nullopt) compares nothing, so the next good one is compared with the
// last good one. Thread-safe.
class NewTaskComparison final {
public:
    std::vector<PoolGain> next(std::optional<PendingByPool> check);

private:
    std::mutex m_mutex;
    std::optional<PendingByPool> m_lastGood;
};

// "A1 新增 3 个端口，B2 新增 1 个端口" (GBK).
Text gainsText(const std::vector<PoolGain>& gains);

// One automatic check on the session's window: the port query, the marks, then a failure line
// or, when pools gained ports, one line naming them. Returns the gains.
std::vector<PoolGain> checkForNewTasks(Session& session, NewTaskComparison& comparison);

} // namespace service
