#pragma once
// Running code on the GUI thread from any thread: the one helper the overlay and the main
// window use.
//
// The work travels through a queue of our own, guarded by a std::mutex, and a blocking call
// waits on a std::future; Qt's event queue only carries the wake-up. So the hand-over is plain
// C++ synchronisation that ThreadSanitizer sees, which Qt's own queued calls (locked inside an
// uninstrumented Qt) are not. Without a QCoreApplication nothing runs: a blocking call returns
// a value-initialised result at once.

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <functional>
#include <future>
#include <type_traits>
#include <utility>

namespace overlay {

namespace detail {
// Queues task for the GUI thread; false when there is no application to run it.
bool postTask(std::function<void()> task);
} // namespace detail

inline bool onGuiThreadNow() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

// Runs function on the GUI thread and returns its result: directly when already there,
// otherwise it waits for the GUI thread to run it. The GUI thread never waits here.
template <typename Function> std::invoke_result_t<Function> callOnGuiThread(Function&& function) {
    using Result = std::invoke_result_t<Function>;
    if (onGuiThreadNow()) {
        return function();
    }
    std::packaged_task<Result()> task(std::forward<Function>(function));
    std::future<Result> result = task.get_future();
    if (!detail::postTask([&task] { task(); })) {
        return Result();
    }
    return result.get();
}

// Runs function on the GUI thread later, unless guard is gone by then.
template <typename Function> void postToGuiThread(QObject* guard, Function&& function) {
    detail::postTask(
        [guard = QPointer<QObject>(guard), function = std::forward<Function>(function)] {
            if (guard) {
                function();
            }
        });
}

} // namespace overlay
