#include "service/snapshot.h"

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
