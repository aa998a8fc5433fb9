#pragma once
// Runs a function on the GUI thread: directly there, as a blocking queued call from any other
// thread. Without a QApplication (widgets cannot exist) the function is not run and the result
// is a value-initialised one.

#include <QApplication>
#include <QMetaObject>
#include <QThread>

#include <type_traits>
#include <utility>

namespace overlay::detail {

inline bool onGuiThreadNow() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

template <typename Function> auto onGuiThread(Function&& function) {
    using Result = std::invoke_result_t<Function>;
    QApplication* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if constexpr (std::is_void_v<Result>) {
        if (app == nullptr) {
            return;
        }
        if (QThread::currentThread() == app->thread()) {
            function();
        } else {
            QMetaObject::invokeMethod(app, std::forward<Function>(function),
                                      Qt::BlockingQueuedConnection);
        }
    } else {
        Result result{};
        if (app == nullptr) {
            return result;
        }
        if (QThread::currentThread() == app->thread()) {
            result = function();
        } else {
            QMetaObject::invokeMethod(app, std::forward<Function>(function),
                                      Qt::BlockingQueuedConnection, &result);
        }
        return result;
    }
}

} // namespace overlay::detail
