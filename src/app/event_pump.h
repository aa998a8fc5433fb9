#pragma once
// The responsive delay's event pump for the GUI thread: waits in Qt's event dispatcher (the
// thread sleeps between events) and dispatches what arrives.

#include "runtime/delay.h"

class QThread;

namespace app {

class QtEventPump final : public runtime::EventPump {
public:
    // Pumps the events of the thread that constructs it.
    QtEventPump();

    bool isPumpThread() const override;
    void processPendingEvents() override;
    void waitAndProcessEvents(std::chrono::milliseconds timeout) override;

private:
    QThread* m_thread;
};

// Installs a QtEventPump for the calling thread while it lives.
class ScopedEventPump final {
public:
    ScopedEventPump();
    ~ScopedEventPump();
    ScopedEventPump(const ScopedEventPump&) = delete;
    ScopedEventPump& operator=(const ScopedEventPump&) = delete;

private:
    QtEventPump m_pump;
};

} // namespace app
