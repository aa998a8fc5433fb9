#include "runtime/live_wait.h"

#include "runtime/delay_pump.h"

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace runtime {

namespace {

thread_local int liveWaitDepth = 0;
thread_local bool liveWaitAsked = false;

constexpr std::chrono::milliseconds kUnnoticedWait{5};

// Threads that run live-wait work, kept for the next request: starting a thread costs about as
// much as a request to a service on the local network. A thread whose wait was cancelled stays
// busy until its request ends, so there are as many as work needs at once.
class HelperThreads final {
public:
    void run(std::function<void()> job) {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (m_jobs.size() > m_idle) {
            std::thread([this] { serve(); }).detach();
        } else {
            m_jobAdded.notify_one();
        }
    }

private:
    [[noreturn]] void serve() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            ++m_idle;
            m_jobAdded.wait(lock, [this] { return !m_jobs.empty(); });
            --m_idle;
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_jobAdded;
    std::deque<std::function<void()>> m_jobs;
    std::size_t m_idle = 0;
};

// Its threads never end, so it never goes away either.
HelperThreads& helperThreads() {
    static auto* helpers = new HelperThreads;
    return *helpers;
}

} // namespace

bool EventPump::waitLive(LiveWaitSignal& signal) {
    while (!signal.finished()) {
        waitAndProcessEvents(std::chrono::milliseconds(10));
    }
    return true;
}

void LiveWaitSignal::finish() {
    const std::lock_guard lock(m_mutex);
    m_finished = true;
    m_finishedChanged.notify_all();
    if (m_waker) {
        m_waker();
    }
}

bool LiveWaitSignal::waitFor(std::chrono::microseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_finishedChanged.wait_for(lock, timeout, [this] { return m_finished; });
}

bool LiveWaitSignal::finished() const {
    const std::lock_guard lock(m_mutex);
    return m_finished;
}

void LiveWaitSignal::setWaker(std::function<void()> waker) {
    const std::lock_guard lock(m_mutex);
    m_waker = std::move(waker);
}

LiveWaitScope::LiveWaitScope() : m_outer(liveWaitAsked) {
    liveWaitAsked = true;
}

LiveWaitScope::~LiveWaitScope() {
    liveWaitAsked = m_outer;
}

bool waitsLiveHere() {
    const EventPump* pump = pumpForThisThread();
    return liveWaitAsked && pump != nullptr && pump->keepsWindowLive();
}

bool runWhileLive(std::function<void()> work) {
    EventPump* pump = pumpForThisThread();
    if (pump == nullptr || !pump->keepsWindowLive()) {
        work();
        return true;
    }
    auto signal = std::make_shared<LiveWaitSignal>();
    helperThreads().run([work = std::move(work), signal] {
        try {
            work();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "pooldesk: a request ended by an exception: %s\n", error.what());
        }
        signal->finish();
    });
    // Most answers on a local network come within this, too soon for the window to notice.
    if (signal->waitFor(kUnnoticedWait)) {
        return true;
    }
    ++liveWaitDepth;
    const bool finished = pump->waitLive(*signal);
    --liveWaitDepth;
    return finished;
}

bool liveWaitActive() {
    return liveWaitDepth > 0;
}

} // namespace runtime
