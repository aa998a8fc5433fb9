#include "app/event_pump.h"

#include "app/live_wait_guard.h"
#include "runtime/live_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <thread>

namespace app {

QtEventPump::QtEventPump() : m_thread(QThread::currentThread()) {}

bool QtEventPump::isPumpThread() const {
    return QThread::currentThread() == m_thread;
}

void QtEventPump::processPendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::waitAndProcessEvents(std::chrono::milliseconds timeout) {
    if (timeout.count() <= 0) {
        processPendingEvents();
        return;
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(timeout);
    if (loop.exec() != 0) {
        // The application is quitting and nested loops no longer run: wait without them rather
        // than return at once to a caller that would call again.
        std::this_thread::sleep_for(timeout);
    }
}

void QtEventPump::attachWindow(BusyPicture* busyPicture, QWidget* cancelButton) {
    m_busyPicture = busyPicture;
    m_cancelButton = cancelButton;
}

bool QtEventPump::keepsWindowLive() const {
    return m_busyPicture != nullptr && m_cancelButton != nullptr;
}

bool QtEventPump::waitLive(runtime::LiveWaitSignal& signal) {
    QEventLoop loop;
    bool cancelled = false;
    const LiveWaitGuard guard(*m_busyPicture, *m_cancelButton, [&] {
        cancelled = true;
        loop.quit();
    });
    signal.setWaker(
        [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    while (!signal.finished() && !cancelled) {
        if (loop.exec() != 0) {
            // Nested loops no longer run while the application quits.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    signal.setWaker({});
    return !cancelled;
}

ScopedEventPump::ScopedEventPump() {
    runtime::installEventPump(&m_pump);
}

ScopedEventPump::~ScopedEventPump() {
    runtime::installEventPump(nullptr);
}

} // namespace app
