#pragma once
// The last values a session showed: its pools, the last port query per pool with the time it was
// read, the statistics per pool. Updated by the showing halves; read by whatever needs to know
// what the operator sees (alerts, search, export, history) without looking at a widget.
// Thread-safe: workers write, the window's thread reads copies.

#include "service/values.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

namespace service {

class Snapshot final {
public:
    struct PortQuery {
        PortRows rows; // as listed: the pool's own ports, in the reply's order
        std::chrono::system_clock::time_point readAt;
    };

    void addPools(const std::vector<Text>& pools);
    std::vector<Text> pools() const;

    void setPortQuery(std::string_view pool, PortQuery query);
    std::optional<PortQuery> portQuery(std::string_view pool) const;
    // The first `count` of these name, status, time rows leave every pool's last query: the
    // service was told of them, so they are no longer pending.
    void forgetPorts(const runtime::RowTexts& ports, std::size_t count);

    void setStatistics(const PoolStatistics& statistics);
    std::optional<PoolStatistics> statistics(std::string_view pool) const;

private:
    mutable std::mutex m_mutex;
    std::vector<Text> m_pools;
    std::map<Text, PortQuery, std::less<>> m_portQueries;
    std::map<Text, PoolStatistics, std::less<>> m_statistics;
};

} // namespace service
