#include "runtime/worker_owner.h"

#include <chrono>
#include <cstdio>
#include <exception>

namespace runtime {

namespace {

// A plain pointer to the token on the worker's own stack: MinGW's emulated TLS may free a
// thread_local with a destructor before that destructor runs.
thread_local const std::stop_token* workerStopToken = nullptr;

} // namespace

std::stop_token currentStopToken() {
    return workerStopToken != nullptr ? *workerStopToken : std::stop_token();
}

bool stopRequested() {
    return workerStopToken != nullptr && workerStopToken->stop_requested();
}

StopTokenScope::StopTokenScope(std::stop_token token)
    : m_token(std::move(token)), m_previous(workerStopToken) {
    workerStopToken = &m_token;
}

StopTokenScope::~StopTokenScope() {
    workerStopToken = m_previous;
}

WorkerOwner::~WorkerOwner() {
    stopAndWait();
}

bool WorkerOwner::start(WorkerRoutine routine, std::int32_t argument) {
    if (!routine) {
        return false;
    }
    const std::lock_guard lock(m_mutex);
    if (m_stopping) {
        return false;
    }
    // Ended workers are joined here (at once), so the list only holds the running ones.
    m_workers.remove_if([](const Worker& worker) { return worker.ended->load(); });
    auto ended = std::make_shared<std::atomic<bool>>(false);
    try {
        m_workers.push_back({ended, std::jthread([routine = std::move(routine), argument,
                                                  ended](std::stop_token stop) {
                                 workerStopToken = &stop;
                                 runGuarded(routine, argument);
                                 workerStopToken = nullptr;
                                 ended->store(true);
                             })});
    } catch (const std::exception&) { // std::system_error, or no memory for the routine
        return false;
    }
    return true;
}

void WorkerOwner::stopAndWait(const std::function<void()>& whileWaiting) {
    std::list<Worker> workers;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        workers.swap(m_workers);
    }
    for (Worker& worker : workers) {
        worker.thread.request_stop();
    }
    if (whileWaiting) {
        for (const Worker& worker : workers) {
            while (!worker.ended->load()) {
                whileWaiting();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }
    workers.clear(); // joins
}

} // namespace runtime
