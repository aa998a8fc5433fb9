#pragma once
// What the window shows and refuses while it waits for a request started on its own thread:
// no input to anything but the "取消" button (Escape cancels too), so that no other command
// starts in between, and, once the wait is long enough to notice, the busy animation, that
// button and the wait cursor. Lives for one wait.

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace app {

class BusyPicture;

class LiveWaitGuard final : public QObject {
public:
    LiveWaitGuard(BusyPicture& busyPicture, QWidget& cancelButton, std::function<void()> onCancel);
    ~LiveWaitGuard() override;
    LiveWaitGuard(const LiveWaitGuard&) = delete;
    LiveWaitGuard& operator=(const LiveWaitGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    BusyPicture& m_busyPicture;
    QWidget& m_cancelButton;
    std::function<void()> m_onCancel;
    QTimer m_showTimer;
    bool m_shown = false;
};

} // namespace app
