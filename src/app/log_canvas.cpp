#include "app/log_canvas.h"

#include <QPainter>
#include <QTime>

#include <algorithm>

namespace app {
namespace {
constexpr int kMargin = 2;
}

LogCanvas::LogCanvas(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    setPalette(colours);
    m_lineHeight = std::max(1, fontMetrics().height());
}

void LogCanvas::writeLine(const QString& line) {
    {
        Line written{QTime::currentTime().toString(QStringLiteral("HH:mm:ss")), line};
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(written));
        while (m_lines.size() > kKeptLines) {
            m_lines.pop_front();
        }
    }
    if (!m_repaintQueued.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_repaintQueued = false;
                update();
            },
            Qt::QueuedConnection);
    }
}

QStringList LogCanvas::lines() const {
    QStringList texts;
    std::lock_guard lock(m_mutex);
    for (const Line& line : m_lines) {
        texts.append(line.text);
    }
    return texts;
}

int LogCanvas::visibleLineCount() const {
    return std::max(1, (height() - 2 * kMargin) / m_lineHeight.load());
}

QStringList LogCanvas::visibleLines() const {
    const auto shown = static_cast<std::size_t>(visibleLineCount());
    std::lock_guard lock(m_mutex);
    QStringList visible;
    for (std::size_t i = m_lines.size() > shown ? m_lines.size() - shown : 0; i < m_lines.size();
         ++i) {
        visible.append(m_lines[i].time + QLatin1Char(' ') + m_lines[i].text);
    }
    return visible;
}

void LogCanvas::paintEvent(QPaintEvent*) {
    m_lineHeight = std::max(1, fontMetrics().height());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    int y = kMargin + fontMetrics().ascent();
    for (const QString& line : visibleLines()) {
        painter.drawText(kMargin, y, line);
        y += m_lineHeight;
    }
}

} // namespace app
