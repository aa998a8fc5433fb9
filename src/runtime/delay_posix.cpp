#include "runtime/delay_pump.h"

#include <algorithm>
#include <thread>

namespace runtime {

bool responsiveDelay(std::int64_t amount, int unit) {
    using Clock = std::chrono::steady_clock;
    // steady_clock counts nanoseconds in 64 bits; a century is as good as forever here.
    constexpr std::int64_t kCentury = 100LL * 366 * 24 * 3600 * 1000;
    const std::chrono::milliseconds length{std::min(delayMilliseconds(amount, unit), kCentury)};
    const Clock::time_point deadline = Clock::now() + length;
    for (;;) {
        const auto remaining = deadline - Clock::now();
        if (remaining <= Clock::duration::zero()) {
            return true;
        }
        // Looked up on every pass: the pump may be removed while a delay is running.
        if (EventPump* pump = pumpForThisThread()) {
            pump->waitAndProcessEvents(std::chrono::ceil<std::chrono::milliseconds>(remaining));
        } else {
            std::this_thread::sleep_for(remaining);
        }
    }
}

void processPendingEvents() {
    if (EventPump* pump = pumpForThisThread()) {
        pump->processPendingEvents();
    }
}

} // namespace runtime
