#include "service/snapshot.h"

#include <unordered_map>

namespace service {

void Snapshot::addPools(const std::vector<Text>& pools) {
    const std::lock_guard lock(m_mutex);
    m_pools.insert(m_pools.end(), pools.begin(), pools.end());
}

std::vector<Text> Snapshot::pools() const {
    const std::lock_guard lock(m_mutex);
    return m_pools;
}

void Snapshot::setPortQuery(std::string_view pool, PortQuery query) {
    const std::lock_guard lock(m_mutex);
    m_portQueries.insert_or_assign(Text(pool), std::move(query));
}

std::optional<Snapshot::PortQuery> Snapshot::portQuery(std::string_view pool) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_portQueries.find(pool);
    return found == m_portQueries.end() ? std::nullopt : std::optional(found->second);
}

void Snapshot::forgetPorts(const runtime::RowTexts& ports, std::size_t count) {
    std::unordered_multimap<std::string_view, std::size_t> byName;
    byName.reserve(count);
    for (std::size_t index = 0; index < count; ++index) {
        byName.emplace(ports.cell(index, 0), index);
    }
    const auto reported = [&](const PortRows::View& port) {
        const auto [first, last] = byName.equal_range(port.name);
        for (auto found = first; found != last; ++found) {
            if (ports.cell(found->second, 1) == port.status &&
                ports.cell(found->second, 2) == port.time) {
                return true;
            }
        }
        return false;
    };
    const std::lock_guard lock(m_mutex);
    for (auto& [pool, query] : m_portQueries) {
        PortRows kept;
        bool changed = false;
        for (std::size_t row = 0; row < query.rows.size(); ++row) {
            const PortRows::View port = query.rows.at(row);
            if (reported(port)) {
                changed = true;
            } else {
                kept.add(port.name, port.status, port.time);
            }
        }
        if (changed) {
            query.rows = std::move(kept);
        }
    }
}

void Snapshot::setStatistics(const PoolStatistics& statistics) {
    const std::lock_guard lock(m_mutex);
    m_statistics.insert_or_assign(statistics.pool, statistics);
}

std::optional<PoolStatistics> Snapshot::statistics(std::string_view pool) const {
    const std::lock_guard lock(m_mutex);
    const auto found = m_statistics.find(pool);
    return found == m_statistics.end() ? std::nullopt : std::optional(found->second);
}

} // namespace service
