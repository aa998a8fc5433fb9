#include "app/trend_chart_widget.h"

#include "app/qt_text.h"

#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QVarLengthArray>

#include <algorithm>

namespace app {

namespace {

// Room around the plot for the value labels (left), the legend (top) and the time labels.
constexpr double kLeft = 64;
constexpr double kTop = 32;
constexpr double kRight = 20;
constexpr double kBottom = 32;

QString numberText(double value) {
    return QString::number(static_cast<long long>(std::llround(value)));
}

QString readOutTime(trend::Clock::time_point time) {
    return QDateTime::fromMSecsSinceEpoch(
               std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch())
                   .count())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

TrendChart::TrendChart(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setMinimumSize(480, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_counters.assign(trend::kDefaultCounters.begin(), trend::kDefaultCounters.end());
}

QColor TrendChart::counterColor(std::size_t counter) {
    static const std::array<QColor, trend::kCounterCount> colors{
        QColor(0x55, 0x55, 0x55), QColor(0x1f, 0x77, 0xb4), QColor(0x8c, 0x56, 0x4b),
        QColor(0x7f, 0x7f, 0x7f), QColor(0xd6, 0x27, 0x28), QColor(0x94, 0x67, 0xbd),
        QColor(0x17, 0xbe, 0xcf), QColor(0xbc, 0xbd, 0x22), QColor(0xe3, 0x77, 0xc2),
        QColor(0x2c, 0xa0, 0x2c), QColor(0xff, 0x7f, 0x0e)};
    return colors.at(counter);
}

void TrendChart::setRows(std::vector<history::StoredPoint> rows, trend::Clock::time_point from,
                         trend::Clock::time_point to) {
    m_rows = std::move(rows);
    m_from = from;
    m_to = to;
    update();
}

void TrendChart::setCounters(std::vector<std::size_t> counters) {
    m_counters = std::move(counters);
    update();
}

void TrendChart::setHoverAt(std::optional<QPointF> at) {
    m_hover = at;
    update();
}

trend::Scale TrendChart::scale() const {
    const auto [smallest, largest] = trend::valueBounds(m_rows, m_counters);
    const trend::ValueAxis axis = trend::valueAxis(smallest, largest);
    const QRectF plot(kLeft, kTop, std::max(1.0, width() - kLeft - kRight),
                      std::max(1.0, height() - kTop - kBottom));
    return trend::Scale(plot, m_from, m_to, axis.low, axis.high);
}

void TrendChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    const auto [smallest, largest] = trend::valueBounds(m_rows, m_counters);
    const trend::ValueAxis axis = trend::valueAxis(smallest, largest);
    const trend::Scale scale = this->scale();
    paintAxes(painter, scale, axis);
    paintLegend(painter);

    painter.save();
    painter.setClipRect(scale.plot().adjusted(-1, -1, 1, 1));
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const std::size_t counter : m_counters) {
        const QColor color = counterColor(counter);
        painter.setPen(QPen(color, 2, Qt::SolidLine, Qt::SquareCap));
        painter.setBrush(color);
        for (const QPolygonF& run : trend::counterRuns(m_rows, counter, scale)) {
            if (run.size() == 1) {
                // A row seen in one pass only, between two gaps.
                painter.drawEllipse(run.front(), 2.5, 2.5);
            } else {
                // Separate segments: a wide polyline whose points go up and down within one
                // pixel column (a month's rows) is stroked as one path, a hundred times slower.
                QVarLengthArray<QLineF, 1024> segments;
                for (qsizetype i = 1; i < run.size(); ++i) {
                    segments.append(QLineF(run[i - 1], run[i]));
                }
                painter.drawLines(segments.data(), static_cast<int>(segments.size()));
            }
        }
    }
    painter.restore();

    if (m_rows.empty()) {
        painter.setPen(Qt::darkGray);
        painter.drawText(scale.plot(), Qt::AlignCenter, fromUtf8("这段时间没有记录"));
    }
    paintReadOut(painter, scale);
}

void TrendChart::paintAxes(QPainter& painter, const trend::Scale& scale,
                           const trend::ValueAxis& axis) {
    const QRectF plot = scale.plot();
    const QFontMetricsF metrics(font());
    painter.setPen(QColor(0xe4, 0xe4, 0xe4));
    for (double value = axis.low; value <= axis.high + axis.step / 2; value += axis.step) {
        const double y = scale.y(value);
        painter.setPen(QColor(0xe4, 0xe4, 0xe4));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, y - metrics.height() / 2, kLeft - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, numberText(value));
    }
    for (const trend::TimeTick& tick :
         trend::timeTicks(scale, metrics.horizontalAdvance(QStringLiteral("00:00")) * 2)) {
        const double x = scale.x(tick.at);
        painter.setPen(QColor(0xe4, 0xe4, 0xe4));
        painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        painter.setPen(Qt::black);
        painter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 4));
        const double half = metrics.horizontalAdvance(tick.label) / 2;
        painter.drawText(QPointF(x - half, plot.bottom() + 6 + metrics.ascent()), tick.label);
    }
    painter.setPen(Qt::black);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
}

void TrendChart::paintLegend(QPainter& painter) {
    const QFontMetricsF metrics(font());
    double x = kLeft;
    const double y = (kTop - metrics.height()) / 2;
    for (const std::size_t counter : m_counters) {
        const QString name = fromUtf8(trend::kCounterNames.at(counter));
        painter.fillRect(QRectF(x, y + metrics.height() / 2 - 2, 16, 4), counterColor(counter));
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x + 20, y + metrics.ascent()), name);
        x += 20 + metrics.horizontalAdvance(name) + 16;
    }
}

void TrendChart::paintReadOut(QPainter& painter, const trend::Scale& scale) {
    if (!m_hover || !scale.plot().contains(*m_hover)) {
        return;
    }
    const trend::Clock::time_point at = scale.timeAt(m_hover->x());
    const history::StoredPoint* row = trend::nearestRow(m_rows, at);
    if (row == nullptr) {
        return;
    }
    // The read-out names a time the row holds: the mouse's, or the row's nearest end.
    const trend::Clock::time_point shown = std::clamp(at, row->readAt, row->seenUntil);
    const double x = scale.x(std::clamp(shown, scale.from(), scale.to()));
    painter.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    painter.drawLine(QPointF(x, scale.plot().top()), QPointF(x, scale.plot().bottom()));

    QStringList lines{readOutTime(shown)};
    for (const std::size_t counter : m_counters) {
        const auto value = static_cast<double>(row->counters.at(counter));
        painter.setPen(Qt::NoPen);
        painter.setBrush(counterColor(counter));
        painter.drawEllipse(QPointF(x, scale.y(value)), 3.5, 3.5);
        lines << fromUtf8(trend::kCounterNames.at(counter)) + QStringLiteral("  ") +
                     numberText(value);
    }
    const QFontMetricsF metrics(font());
    double boxWidth = 0;
    for (const QString& line : lines) {
        boxWidth = std::max(boxWidth, metrics.horizontalAdvance(line));
    }
    QRectF box(0, 0, boxWidth + 16, metrics.height() * static_cast<double>(lines.size()) + 10);
    // Beside the line, on the side with room.
    box.moveTopLeft({x + 12 + box.width() <= scale.plot().right() ? x + 12 : x - 12 - box.width(),
                     scale.plot().top() + 8});
    painter.setPen(Qt::gray);
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRect(box);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(
            QPointF(box.left() + 8, box.top() + 5 + metrics.ascent() + metrics.height() * i),
            lines.at(i));
    }
}

void TrendChart::mouseMoveEvent(QMouseEvent* event) {
    setHoverAt(event->position());
}

void TrendChart::leaveEvent(QEvent*) {
    setHoverAt(std::nullopt);
}

} // namespace app
