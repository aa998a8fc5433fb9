#pragma once
// Workers with an owner: each gets a stop token, and the owner asks them to stop and waits for
// them before it goes, so nothing a worker uses disappears under it. A worker reads its token
// through currentStopToken(); a thread that no owner started has one that never stops.

#include "runtime/threads.h"

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace runtime {

// The calling worker's stop token.
std::stop_token currentStopToken();
// True once the calling worker's owner asked it to stop.
bool stopRequested();

// Within its scope the calling thread's stop token is `token`: a worker that works for
// something that may end before its owner does (a signed-in session) stops on either.
class StopTokenScope final {
public:
    explicit StopTokenScope(std::stop_token token);
    ~StopTokenScope();
    StopTokenScope(const StopTokenScope&) = delete;
    StopTokenScope& operator=(const StopTokenScope&) = delete;

private:
    std::stop_token m_token;
    const std::stop_token* m_previous;
};

class WorkerOwner final {
public:
    WorkerOwner() = default;
    ~WorkerOwner();
    WorkerOwner(const WorkerOwner&) = delete;
    WorkerOwner& operator=(const WorkerOwner&) = delete;

    // Starts routine(argument) on a thread of its own; false once stopping has begun or when no
    // thread could be made.
    bool start(WorkerRoutine routine, std::int32_t argument = 0);

    // Asks every worker to stop and waits until they have ended, calling whileWaiting between
    // looks (a GUI thread keeps serving the calls its workers wait on). Later starts fail.
    void stopAndWait(const std::function<void()>& whileWaiting = {});

private:
    struct Worker {
        std::shared_ptr<std::atomic<bool>> ended;
        std::jthread thread;
    };

    std::mutex m_mutex;
    bool m_stopping = false;
    std::list<Worker> m_workers;
};

} // namespace runtime
