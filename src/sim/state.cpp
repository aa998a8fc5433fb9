#include "sim/state.h"

#include "service/codec.h"

#include <algorithm>
#include <unordered_set>

namespace sim {

UserState& ServiceState::user(const Text& key) {
    ++m_revision;
    return m_users[key];
}

int ServiceState::statsStep() const {
    if (!drifting()) {
        return m_statsStep;
    }
    const auto drifted = (std::chrono::steady_clock::now() - m_driftStart) / m_driftEvery;
    return m_statsStep + static_cast<int>(drifted % 1'000'000'000);
}

void ServiceState::startDrift(std::chrono::milliseconds every) {
    m_driftEvery = every;
    m_driftStart = std::chrono::steady_clock::now();
}

const UserState* ServiceState::findUser(const Text& key) const {
    const auto it = m_users.find(key);
    return it == m_users.end() ? nullptr : &it->second;
}

PoolState& ServiceState::pool(const Text& key, const Text& name) {
    auto& owner = user(key);
    const auto [it, added] = owner.poolIndex.try_emplace(name, owner.pools.size());
    if (added) {
        owner.pools.push_back(PoolState{name, {}, std::nullopt});
    }
    return owner.pools[it->second];
}

const PoolState* ServiceState::findPool(const Text& key, const Text& name) const {
    const auto* found = findUser(key);
    if (found == nullptr) {
        return nullptr;
    }
    const auto it = found->poolIndex.find(name);
    return it == found->poolIndex.end() ? nullptr : &found->pools[it->second];
}

bool ServiceState::portExists(const Text& key, const Text& port) const {
    const auto* found = findUser(key);
    if (found == nullptr || port.empty()) {
        return false;
    }
    for (const auto& p : found->pools) {
        for (const auto& s : p.slots) {
            if (s.slot == port) {
                return true;
            }
        }
    }
    return std::any_of(found->pending.begin(), found->pending.end(),
                       [&](const PendingPort& t) { return t.port == port; });
}

std::size_t ServiceState::removePending(const Text& key, const std::vector<Text>& ports) {
    const auto it = m_users.find(key);
    if (it == m_users.end()) {
        return 0;
    }
    const std::unordered_set<Text> listed(ports.begin(), ports.end());
    return std::erase_if(it->second.pending,
                         [&](const PendingPort& t) { return listed.contains(t.port); });
}

std::optional<std::pair<Text, Text>> ServiceState::findStatsFile(const Text& fileName) const {
    if (m_statsFilesRevision != m_revision) {
        m_statsFiles.clear();
        for (const auto& [key, u] : m_users) {
            for (const auto& p : u.pools) {
                const auto name =
                    service::statsFileName(key + "-" + p.name, service::kStatsFileKey);
                m_statsFiles.emplace(name, std::make_pair(key, p.name));
            }
        }
        m_statsFilesRevision = m_revision;
    }
    const auto it = m_statsFiles.find(fileName);
    if (it == m_statsFiles.end()) {
        return std::nullopt;
    }
    return it->second;
}

void ServiceState::clear() {
    m_users.clear();
    m_statsStep = 0;
    m_driftEvery = std::chrono::milliseconds(0);
    ++m_revision;
}

} // namespace sim
