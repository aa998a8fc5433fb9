#pragma once
// The installed event pump, and what each platform does on a thread without one.

#include "runtime/delay.h"

namespace runtime {

// The pump when one is installed and the calling thread is its thread; else nullptr.
EventPump* pumpForThisThread();

// Milliseconds of a delay: amount x unit multiplier, truncated toward zero and kept within
// what a 100-nanosecond due time can express.
std::int64_t delayMilliseconds(std::int64_t amount, int unit);

// Waits up to timeout on a thread without a pump: a plain sleep on POSIX; on Windows a wait
// that also wakes for the thread's native messages and dispatches them.
void waitWithoutPump(std::chrono::milliseconds timeout);

// Dispatches the thread's waiting native messages (Windows); nothing elsewhere. True when it
// dispatched any.
bool dispatchNativeEvents();

} // namespace runtime
