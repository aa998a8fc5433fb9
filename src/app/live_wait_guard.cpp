#include "app/live_wait_guard.h"

#include "app/busy_picture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace app {

namespace {

// Shorter waits pass without the window changing its looks.
constexpr std::chrono::milliseconds kNoticeableWait{150};

} // namespace

LiveWaitGuard::LiveWaitGuard(BusyPicture& busyPicture, QWidget& cancelButton,
                             std::function<void()> onCancel)
    : m_busyPicture(busyPicture), m_cancelButton(cancelButton), m_onCancel(std::move(onCancel)) {
    if (auto* button = qobject_cast<QAbstractButton*>(&m_cancelButton)) {
        connect(button, &QAbstractButton::clicked, this, [this] { m_onCancel(); });
    }
    qApp->installEventFilter(this);
    m_showTimer.setSingleShot(true);
    connect(&m_showTimer, &QTimer::timeout, this, [this] {
        m_shown = true;
        m_busyPicture.hold();
        m_cancelButton.show();
        m_cancelButton.raise();
        QApplication::setOverrideCursor(Qt::WaitCursor);
    });
    m_showTimer.start(kNoticeableWait);
}

LiveWaitGuard::~LiveWaitGuard() {
    qApp->removeEventFilter(this);
    if (m_shown) {
        QApplication::restoreOverrideCursor();
        m_cancelButton.hide();
        m_busyPicture.release();
    }
}

bool LiveWaitGuard::eventFilter(QObject* watched, QEvent* event) {
    const bool onCancelButton = watched == &m_cancelButton;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_onCancel();
        }
        return true;
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return !onCancelButton;
    case QEvent::Close:
        // The window stays until the request is answered or cancelled.
        if (auto* widget = qobject_cast<QWidget*>(watched);
            widget != nullptr && widget->isWindow()) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace app
