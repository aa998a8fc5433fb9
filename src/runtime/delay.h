#pragma once
// The responsive delay and pending-event processing.
//
// A GUI installs an EventPump for its own thread. On that thread the delay keeps processing
// the thread's events until the time is up (sleeping in the wait between events); on any other
// thread it simply sleeps.

#include <chrono>
#include <cstdint>

namespace runtime {

class LiveWaitSignal;

class EventPump {
public:
    virtual ~EventPump() = default;
    // True when the calling thread is the one whose events this pump processes.
    virtual bool isPumpThread() const = 0;
    // Dispatches every event waiting for the pump thread, then returns.
    virtual void processPendingEvents() = 0;
    // Sleeps until an event arrives for the pump thread or the timeout passes, then dispatches
    // what arrived.
    virtual void waitAndProcessEvents(std::chrono::milliseconds timeout) = 0;

    // Whether waitLive can keep a window live; the work then runs on a helper thread.
    virtual bool keepsWindowLive() const { return false; }
    // Dispatches the pump thread's events, input to the window held back but the operator's
    // cancel let through, until the signal says the work has finished; false when the operator
    // cancelled first.
    virtual bool waitLive(LiveWaitSignal& signal);
};

// Installs (or, with nullptr, removes) the pump. The pump must outlive its installation.
void installEventPump(EventPump* pump);

// Waits for length while the calling thread's events keep being processed; always true.
bool responsiveDelay(std::chrono::milliseconds length);
// The same with an amount and a unit code: 0 milliseconds, 1 seconds, 2 minutes, 3 hours; other
// codes count as 0.
bool responsiveDelay(std::int64_t amount, int unit = 0);

// One pass over the calling thread's pending events; nothing on a thread without a pump. False
// when it surely dispatched nothing (an empty native queue), so a second pass right away would
// find nothing either.
bool processPendingEvents();

} // namespace runtime
