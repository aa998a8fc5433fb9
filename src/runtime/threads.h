#pragma once
// Worker threads, re-entrant locks and the run directory.

#include <cstdint>
#include <functional>
#include <string>

namespace runtime {

using WorkerRoutine = std::function<void(std::int32_t)>;

// Starts a detached thread running routine(argument); true when the thread was created.
// Nobody keeps a handle or waits for it.
bool startWorker(WorkerRoutine routine, std::int32_t argument = 0);

using LockHandle = std::uint32_t;

// A new re-entrant lock; handles are never 0 and live until the process ends.
LockHandle createLock();
// Acquire / release; re-entrant on one thread. A handle createLock did not return is ignored.
void enterLock(LockHandle handle);
void leaveLock(LockHandle handle);

// Folder of the executable, without a trailing separator (native encoding).
std::string runDirectory();

} // namespace runtime
