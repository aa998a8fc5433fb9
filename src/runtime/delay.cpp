#include "runtime/delay_pump.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace runtime {

namespace {

std::atomic<EventPump*> installedPump{nullptr};

} // namespace

void installEventPump(EventPump* pump) {
    installedPump.store(pump);
}

EventPump* pumpForThisThread() {
    EventPump* pump = installedPump.load();
    return pump != nullptr && pump->isPumpThread() ? pump : nullptr;
}

std::int64_t delayMilliseconds(std::int64_t amount, int unit) {
    double multiplier = 1.0;
    switch (unit) {
    case 1:
        multiplier = 1000.0;
        break;
    case 2:
        multiplier = 60000.0;
        break;
    case 3:
        multiplier = 3600000.0;
        break;
    default:
        break;
    }
    // The due time is counted in 100 ns units in a signed 64-bit integer.
    constexpr double kLongest = 9.2e18 / 10000.0;
    const double milliseconds = std::trunc(static_cast<double>(amount) * multiplier);
    if (!(milliseconds > 0.0)) {
        return 0;
    }
    return static_cast<std::int64_t>(std::min(milliseconds, kLongest));
}

} // namespace runtime
