#include "app/outer_frame.h"

#include "app/layout.h"

#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

namespace app {

#ifdef _WIN32

void placeOuterFrame(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const int left = client.left() - frame.left();
    const int top = client.top() - frame.top();
    const int right = frame.right() - client.right();
    const int bottom = frame.bottom() - client.bottom();
    window.setGeometry(kMainWindowLeft + left, kMainWindowTop + top,
                       kMainWindowWidth - left - right, kMainWindowHeight - top - bottom);
}

// The frame as the screen shows it, with the client area drawn by Qt on top: right after
// start-up the screen may not show the client's pixels yet.
QPixmap grabWholeWindow(QWidget& window) {
    const QPixmap client = window.grab();
    const QRect frame = window.frameGeometry();
    QScreen* screen = window.screen();
    if (screen == nullptr) {
        return client;
    }
    QPixmap whole = screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    QPainter painter(&whole);
    painter.drawPixmap(window.geometry().topLeft() - frame.topLeft(), client);
    return whole;
}

#else

void placeOuterFrame(QWidget&) {}

QPixmap grabWholeWindow(QWidget& window) {
    return window.grab();
}

#endif

} // namespace app
