#include "app/log_canvas.h"

#include <QPainter>

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
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
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
    std::lock_guard lock(m_mutex);
    return {m_lines.begin(), m_lines.end()};
}

int LogCanvas::visibleLineCount() const {
    return std::max(1, (height() - 2 * kMargin) / m_lineHeight.load());
}

QStringList LogCanvas::visibleLines() const {
    const auto shown = static_cast<std::size_t>(visibleLineCount());
    std::lock_guard lock(m_mutex);
    const std::size_t first = m_lines.size() > shown ? m_lines.size() - shown : 0;
    return {m_lines.begin() + static_cast<std::ptrdiff_t>(first), m_lines.end()};
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
