#include "app/busy_picture.h"

namespace app {

BusyPicture::BusyPicture(QWidget* parent)
    : QLabel(parent), m_movie(QStringLiteral(":/app/busy.gif")) {
    m_movie.setCacheMode(QMovie::CacheAll);
    setMovie(&m_movie);
    m_movie.jumpToFrame(0);
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
