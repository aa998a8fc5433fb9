#pragma once
// Runs a function on the thread that owns context and returns its result: directly when already
// there, otherwise as a blocking queued call. The GUI thread never waits for a worker here.

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <type_traits>
#include <utility>

namespace app {

template <typename Function>
std::invoke_result_t<Function> callOnOwnerThread(QObject* context, Function&& function) {
    using Result = std::invoke_result_t<Function>;
    if (QThread::currentThread() == context->thread()) {
        return function();
    }
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(context, std::forward<Function>(function),
                                  Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(context, std::forward<Function>(function),
                                  Qt::BlockingQueuedConnection, &result);
        return result;
    }
}

} // namespace app
