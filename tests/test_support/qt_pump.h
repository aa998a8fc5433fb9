#pragma once
// Keeps the GUI thread's events flowing in widget tests.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace support {

// Processes events until done() holds; false when the time-out passed first.
template <typename Predicate> bool pumpUntil(Predicate done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace support
