#pragma once
// The service's state: users, their card pools with slots, and their pending port tasks.
// Not thread-safe; the simulator guards it with its lock.

#include "sim/simulator.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace sim {

struct PoolState {
    Text name;
    std::vector<Slot> slots;
    std::optional<Text> statsRecord; // a fixed record; otherwise derived from the slots
};

struct UserState {
    bool accepted = true;
    std::vector<PoolState> pools; // in the order they were added; only ServiceState::pool adds
    std::vector<PendingPort> pending;
    // Pool name -> index in pools: a generated state of 50,000 pools is looked up once a pool.
    std::unordered_map<Text, std::size_t> poolIndex;
};

class ServiceState final {
public:
    // The user, created as an accepted one when unknown.
    UserState& user(const Text& key);
    const UserState* findUser(const Text& key) const;
    // The pool, appended to the user's pools when unknown.
    PoolState& pool(const Text& key, const Text& name);
    const PoolState* findPool(const Text& key, const Text& name) const;

    // A port exists when it is a slot of one of the user's pools or has a pending task.
    bool portExists(const Text& key, const Text& port) const;
    // Removes every pending task of the listed ports; the number removed.
    std::size_t removePending(const Text& key, const std::vector<Text>& ports);

    // The user key and pool whose statistics file has this name (without ".txt").
    std::optional<std::pair<Text, Text>> findStatsFile(const Text& fileName) const;

    // The statistics' step: the steps advanced plus, while drifting, one per drift interval
    // passed since the drift began.
    int statsStep() const;
    void advanceStatistics(int steps) { m_statsStep += steps; }
    // Drift: the generated counters move on by themselves, one step every `every`, and the
    // counts of ports with a number and with a signal wander on a slow wave (statistics.h).
    void startDrift(std::chrono::milliseconds every);
    bool drifting() const { return m_driftEvery.count() > 0; }
    void clear();

    const std::map<Text, UserState>& users() const { return m_users; }

private:
    std::map<Text, UserState> m_users;
    int m_statsStep = 0;
    std::chrono::milliseconds m_driftEvery{0};
    std::chrono::steady_clock::time_point m_driftStart;
    // File name -> (key, pool), rebuilt when the pools changed since it was made.
    mutable std::map<Text, std::pair<Text, Text>> m_statsFiles;
    mutable std::uint64_t m_statsFilesRevision = ~std::uint64_t{0};
    std::uint64_t m_revision = 0;
};

} // namespace sim
