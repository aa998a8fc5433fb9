#include "app/busy_picture.h"

#include <algorithm>

namespace app {

BusyPicture::BusyPicture(QWidget* parent)
    : QLabel(parent), m_movie(QStringLiteral(":/app/busy.gif")) {
    m_movie.setCacheMode(QMovie::CacheAll);
    setMovie(&m_movie);
    m_movie.jumpToFrame(0);
}

void BusyPicture::hold() {
    ++m_holders;
    show();
}

void BusyPicture::release() {
    m_holders = std::max(0, m_holders - 1);
    setVisible(m_holders > 0);
}

void BusyPicture::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    m_movie.start();
}

void BusyPicture::hideEvent(QHideEvent* event) {
    m_movie.stop();
    QLabel::hideEvent(event);
}

} // namespace app
