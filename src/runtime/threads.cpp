#include "runtime/threads.h"

#include "runtime/immortal.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace runtime {

namespace {

// A re-entrant lock that knows its owner, so a release by a thread that does not hold it is
// ignored instead of corrupting the lock.
class ReentrantLock final {
public:
    void enter() {
        const auto self = std::this_thread::get_id();
        std::unique_lock lock(m_mutex);
        if (m_depth > 0 && m_owner == self) {
            ++m_depth;
            return;
        }
        m_released.wait(lock, [this] { return m_depth == 0; });
        m_owner = self;
        m_depth = 1;
    }

    void leave() {
        std::unique_lock lock(m_mutex);
        if (m_depth == 0 || m_owner != std::this_thread::get_id()) {
            return;
        }
        if (--m_depth == 0) {
            m_owner = {};
            lock.unlock();
            m_released.notify_one();
        }
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    std::thread::id m_owner;
    unsigned m_depth = 0;
};

class LockRegistry final {
public:
    LockHandle create() {
        const std::scoped_lock lock(m_mutex);
        m_locks.emplace_back();
        return static_cast<LockHandle>(m_locks.size());
    }

    ReentrantLock* find(LockHandle handle) {
        const std::scoped_lock lock(m_mutex);
        if (handle == 0 || handle > m_locks.size()) {
            return nullptr;
        }
        return &m_locks[handle - 1];
    }

private:
    std::mutex m_mutex;
    std::deque<ReentrantLock> m_locks; // a deque never moves its elements
};

// Never destroyed: detached workers may still take locks while the process exits.
LockRegistry& registry() {
    static Immortal<LockRegistry> instance;
    return instance.value;
}

} // namespace

void runGuarded(const WorkerRoutine& routine, std::int32_t argument) {
    // An exception escaping a thread would end the whole program; a failed worker must only end
    // itself, and say so once.
    try {
        routine(argument);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pooldesk: a worker ended on an error: %s\n", error.what());
    } catch (...) {
        std::fputs("pooldesk: a worker ended on an unknown error\n", stderr);
    }
}

LockHandle createLock() {
    return registry().create();
}

void enterLock(LockHandle handle) {
    if (ReentrantLock* lock = registry().find(handle)) {
        lock->enter();
    }
}

void leaveLock(LockHandle handle) {
    if (ReentrantLock* lock = registry().find(handle)) {
        lock->leave();
    }
}

} // namespace runtime
