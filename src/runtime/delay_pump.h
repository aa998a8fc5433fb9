#pragma once
// The installed event pump, shared by the platform sources of the delay.

#include "runtime/delay.h"

namespace runtime {

// The pump when one is installed and the calling thread is its thread; else nullptr.
EventPump* pumpForThisThread();

// Milliseconds of a delay: amount x unit multiplier, truncated toward zero and kept within
// what a 100-nanosecond due time can express.
std::int64_t delayMilliseconds(std::int64_t amount, int unit);

} // namespace runtime
