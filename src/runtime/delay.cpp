#include "runtime/delay_pump.h"
#include "runtime/worker_owner.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <shared_mutex>

namespace runtime {

namespace {

// Any thread asks the installed pump whether it is that pump's thread, while the pump's own
// thread may be removing and destroying it: the lock keeps the pump alive for the question.
// Only the pump's thread gets the pointer back, and only it removes the pump.
std::shared_mutex installation;
EventPump* installedPump = nullptr;

} // namespace

void installEventPump(EventPump* pump) {
    const std::unique_lock lock(installation);
    installedPump = pump;
}

EventPump* pumpForThisThread() {
    const std::shared_lock lock(installation);
    return installedPump != nullptr && installedPump->isPumpThread() ? installedPump : nullptr;
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

bool responsiveDelay(std::int64_t amount, int unit) {
    return responsiveDelay(std::chrono::milliseconds(delayMilliseconds(amount, unit)));
}

bool responsiveDelay(std::chrono::milliseconds length) {
    using Clock = std::chrono::steady_clock;
    // steady_clock counts nanoseconds in 64 bits; a century is as good as forever here.
    constexpr std::chrono::milliseconds kCentury{100LL * 366 * 24 * 3600 * 1000};
    const Clock::time_point deadline = Clock::now() + std::clamp(length, length.zero(), kCentury);
    // A worker whose owner asks it to stop ends its wait early; it looks every 50 ms.
    const bool stoppable = currentStopToken().stop_possible();
    for (;;) {
        const auto remaining = deadline - Clock::now();
        if (remaining <= Clock::duration::zero() || stopRequested()) {
            return true;
        }
        auto wait = std::chrono::ceil<std::chrono::milliseconds>(remaining);
        if (stoppable) {
            wait = std::min(wait, std::chrono::milliseconds(50));
        }
        // Looked up on every pass: the pump may be installed or removed while a delay runs.
        if (EventPump* pump = pumpForThisThread()) {
            pump->waitAndProcessEvents(wait);
        } else {
            waitWithoutPump(wait);
        }
    }
}

bool processPendingEvents() {
    // A GUI toolkit on this thread dispatches the native messages along with its own events.
    if (EventPump* pump = pumpForThisThread()) {
        pump->processPendingEvents();
        return true;
    }
    return dispatchNativeEvents();
}

} // namespace runtime
