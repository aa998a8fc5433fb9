#include "overlay/mask_window.h"

#include "overlay/mask_overlay.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QString>
#include <QWindow>

namespace overlay::detail {

namespace {

constexpr Qt::WindowFlags maskWindowFlags =
    Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
    Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint;

bool isMouseInput(QEvent::Type type) {
    return type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
           type == QEvent::MouseButtonDblClick || type == QEvent::MouseMove;
}

} // namespace

MaskWindow::MaskWindow(QWidget* coveredWindow) : QWidget(coveredWindow, maskWindowFlags) {
    setObjectName(QString::fromUtf16(overlayClassName.data(),
                                     static_cast<qsizetype>(overlayClassName.size())));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::ArrowCursor);
    setWindowOpacity(overlayAlpha / 255.0);
}

void MaskWindow::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void MaskWindow::showEvent(QShowEvent* event) {
    // Installing twice keeps one filter.
    if (QWindow* native = windowHandle()) {
        native->installEventFilter(this);
    }
    QWidget::showEvent(event);
}

bool MaskWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && isMouseInput(event->type())) {
        return passToCoveredWindow(event);
    }
    return QWidget::eventFilter(watched, event);
}

// Window systems that honour input transparency never send the overlay mouse input; where the
// platform does not (some Wayland compositors, the offscreen platform), the input still belongs
// to the window underneath, so it is handed on there.
bool MaskWindow::passToCoveredWindow(QEvent* event) {
    QWidget* covered = parentWidget();
    QWindow* target = covered == nullptr ? nullptr : covered->windowHandle();
    if (target == nullptr) {
        return true;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPointF global = mouse->globalPosition();
    const QPointF local = target->mapFromGlobal(global);
    QMouseEvent forwarded(mouse->type(), local, local, global, mouse->button(), mouse->buttons(),
                          mouse->modifiers(), mouse->pointingDevice());
    forwarded.setTimestamp(mouse->timestamp());
    QGuiApplication::sendEvent(target, &forwarded);
    return true;
}

} // namespace overlay::detail
