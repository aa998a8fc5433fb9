#include "sim/statistics.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace sim {

namespace {

constexpr int kCycle = 20;
constexpr int kDriftSlowdown = 30;

// middle + swing * sin(2 pi step / period), rounded.
int wave(int step, int middle, int swing, int period) {
    const double turn = 2 * std::numbers::pi * (step % period) / period;
    return middle + static_cast<int>(std::lround(swing * std::sin(turn)));
}

// FNV-1a: a port's stable traits come from its name, so a record is the same on every run.
std::uint32_t nameHash(std::string_view name) {
    std::uint32_t h = 2166136261u;
    for (const char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

} // namespace

Text derivedStatsRecord(const PoolState& pool, int step, bool drifting) {
    const int cycleStep = drifting ? step / kDriftSlowdown : step;
    const int phase = ((cycleStep % (kCycle + 1)) + kCycle + 1) % (kCycle + 1);
    // Percent of ports (by their own trait) without a readable number, and without a signal.
    const int unreadable = drifting ? wave(step, 2, 2, 500) : 0;
    const int signalLost = drifting ? wave(step, 10, 8, 720) : 0;
    std::array<long long, 12> f{};
    f[0] = static_cast<long long>(pool.slots.size());
    for (const auto& s : pool.slots) {
        if (!s.iccid || s.iccid->empty()) {
            ++f[2];
            continue;
        }
        ++f[1];
        const auto h = nameHash(s.slot);
        if (h % 10 == 0 || static_cast<int>((h >> 19) % 100) < unreadable) {
            ++f[4];
            continue;
        }
        ++f[3];
        if (h % 7 != 0 && static_cast<int>((h >> 11) % 100) >= signalLost) {
            ++f[5];
        }
        if (h % 13 == 0) {
            ++f[6];
        }
        // Each task is done on a port once the cycle passes that port's own moment.
        for (int field = 7; field <= 11; ++field) {
            const auto moment = static_cast<int>((h >> (5 * (field - 7))) % kCycle) + 1;
            if (moment <= phase) {
                ++f[static_cast<std::size_t>(field)];
            }
        }
    }
    Text out;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (i > 0) {
            out.push_back('-');
        }
        out += std::to_string(f[i]);
    }
    return out;
}

Text statsRecordFor(const PoolState& pool, int step, bool drifting) {
    return pool.statsRecord ? *pool.statsRecord : derivedStatsRecord(pool, step, drifting);
}

} // namespace sim
