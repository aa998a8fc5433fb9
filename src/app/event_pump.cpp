#include "app/event_pump.h"

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

ScopedEventPump::ScopedEventPump() {
    runtime::installEventPump(&m_pump);
}

ScopedEventPump::~ScopedEventPump() {
    runtime::installEventPump(nullptr);
}

} // namespace app
