#pragma once
// The responsive delay's event pump for the GUI thread: waits in Qt's event dispatcher (the
// thread sleeps between events) and dispatches what arrives.

#include "runtime/delay.h"

class QThread;
class QWidget;

namespace app {

class BusyPicture;

class QtEventPump final : public runtime::EventPump {
public:
    // Pumps the events of the thread that constructs it.
    QtEventPump();

    bool isPumpThread() const override;
    void processPendingEvents() override;
    void waitAndProcessEvents(std::chrono::milliseconds timeout) override;

    // Requests started on the pump thread then run while the window stays live, showing the
    // busy picture and the cancel button during the wait.
    void attachWindow(BusyPicture* busyPicture, QWidget* cancelButton);
    bool keepsWindowLive() const override;
    bool waitLive(runtime::LiveWaitSignal& signal) override;

private:
    QThread* m_thread;
    BusyPicture* m_busyPicture = nullptr;
    QWidget* m_cancelButton = nullptr;
};

// Installs a QtEventPump for the calling thread while it lives.
class ScopedEventPump final {
public:
    ScopedEventPump();
    ~ScopedEventPump();
    ScopedEventPump(const ScopedEventPump&) = delete;
    ScopedEventPump& operator=(const ScopedEventPump&) = delete;

    QtEventPump& pump() { return m_pump; }

private:
    QtEventPump m_pump;
};

} // namespace app
