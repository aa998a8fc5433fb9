#pragma once
// Blocking work (a request) started on the window's thread without freezing the window: the
// work runs on a helper thread while the pump keeps the window painting and ticking, with its
// input held back so that nothing else starts in between, and the operator may cancel the wait.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace runtime {

// Shared by the waiting pump and the work: the work says when it has finished, the pump says
// how to wake it while it waits.
class LiveWaitSignal final {
public:
    void finish();
    bool finished() const;
    // Waits up to `timeout` for the work to finish; true when it has.
    bool waitFor(std::chrono::microseconds timeout);
    // Called by finish() while set; cleared before the waiting side goes away.
    void setWaker(std::function<void()> waker);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
    std::function<void()> m_waker;
};

// Runs work to its end and returns true, or returns false once the operator cancelled the
// wait. On the thread of a pump that keeps a window live the work runs on a helper thread and
// must own everything it touches (after a cancel it finishes unobserved); anywhere else it
// runs right here.
bool runWhileLive(std::function<void()> work);

// A request is waited for live only where the app asked for it: within this scope, on the thread
// of a pump that keeps a window live. The app opens one around each operation the operator
// starts on the window's thread; a request anywhere else runs right where it is called.
class LiveWaitScope final {
public:
    LiveWaitScope();
    ~LiveWaitScope();
    LiveWaitScope(const LiveWaitScope&) = delete;
    LiveWaitScope& operator=(const LiveWaitScope&) = delete;

private:
    bool m_outer;
};

// True where a request is to be waited for live: within a LiveWaitScope, on the thread of a pump
// that keeps a window live.
bool waitsLiveHere();

// True on the pump thread while a live wait runs there.
bool liveWaitActive();

} // namespace runtime
