#pragma once
// Helpers shared by the end-to-end tests on the real main window.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QString>

namespace e2e {

// Processes events until done() holds; false when the time-out passed first.
template <typename Predicate> bool pumpUntil(Predicate done, int timeoutMs = 20000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Where screenshots go: $POOLDESK_ARTIFACTS_DIR, or ./artifacts.
inline QString artifactsFolder() {
    const QString configured = qEnvironmentVariable("POOLDESK_ARTIFACTS_DIR");
    const QString folder = configured.isEmpty() ? QStringLiteral("artifacts") : configured;
    QDir().mkpath(folder);
    return folder;
}

} // namespace e2e
