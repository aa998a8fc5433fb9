#include "overlay/gui_call.h"

#include <QEvent>

#include <deque>
#include <mutex>

namespace overlay::detail {

namespace {

// Guards making the queue, which any thread may do first.
std::mutex creation;

// Lives on the GUI thread; each event posted to it runs whatever the queue holds. The event
// itself is never looked at, so no memory written by the posting thread is read through Qt.
class GuiTaskQueue final : public QObject {
public:
    void post(std::function<void()> task) {
        {
            const std::lock_guard lock(m_mutex);
            m_tasks.push_back(std::move(task));
        }
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

protected:
    void customEvent(QEvent*) override {
        {
            // Orders the queue's making, perhaps on another thread, before its use here.
            const std::lock_guard made(creation);
        }
        for (;;) {
            std::function<void()> task;
            {
                const std::lock_guard lock(m_mutex);
                if (m_tasks.empty()) {
                    return;
                }
                task = std::move(m_tasks.front());
                m_tasks.pop_front();
            }
            task();
        }
    }

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_tasks;
};

} // namespace

bool postTask(std::function<void()> task) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return false;
    }
    // One queue, made on first use by whichever thread comes first and moved to the GUI
    // thread; it lives as long as the process.
    static GuiTaskQueue* queue = nullptr;
    {
        const std::lock_guard lock(creation);
        if (queue == nullptr) {
            queue = new GuiTaskQueue;
            queue->moveToThread(app->thread());
        }
    }
    queue->post(std::move(task));
    return true;
}

} // namespace overlay::detail
