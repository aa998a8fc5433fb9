#pragma once
// Worker threads, re-entrant locks and the run directory.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace runtime {

using WorkerRoutine = std::function<void(std::int32_t)>;

// Runs routine(argument); an exception ends it with one line on stderr instead of the program.
void runGuarded(const WorkerRoutine& routine, std::int32_t argument);

using LockHandle = std::uint32_t;

// A new re-entrant lock; handles are never 0 and live until the process ends.
LockHandle createLock();
// Acquire / release; re-entrant on one thread. A handle createLock did not return is ignored.
void enterLock(LockHandle handle);
void leaveLock(LockHandle handle);

// Holds a lock for its scope.
class LockGuard final {
public:
    explicit LockGuard(LockHandle handle) : m_handle(handle) { enterLock(m_handle); }
    ~LockGuard() { leaveLock(m_handle); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    LockHandle m_handle;
};

// Folder of the executable, without a trailing separator, as the platform names it (UTF-16 on
// Windows, bytes elsewhere).
std::filesystem::path runDirectory();

} // namespace runtime
