#pragma once
// The geometry of a trend: where a time and a value fall in the plot, the lines of one counter
// split where the pool was not read, and the axes' ticks. Pure computation, so the drawing widget
// (trend_chart_widget.h) only paints what this returns.

#include "history/history_store.h"

#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <chrono>
#include <cstddef>
#include <span>
#include <vector>

namespace app::trend {

using Clock = std::chrono::system_clock;

// The counters as the statistics list's columns 1-11 name them, in the records' order.
inline constexpr std::size_t kCounterCount = history::Counters{}.size();
extern const std::array<const char*, kCounterCount> kCounterNames; // UTF-8
// Shown when a trend window opens: 有号码, 已做TG, 有信号.
inline constexpr std::array<std::size_t, 3> kDefaultCounters{1, 4, 9};

// The value axis: from low to high in steps of step (1, 2 or 5 times a power of ten).
struct ValueAxis {
    double low = 0;
    double high = 1;
    double step = 1;
};
// An axis holding [smallest, largest] with about five steps.
ValueAxis valueAxis(double smallest, double largest);

// Maps [from, to] x [low, high] onto the plot rectangle (time to the right, values upwards).
class Scale {
public:
    Scale(QRectF plot, Clock::time_point from, Clock::time_point to, double low, double high);
    double x(Clock::time_point time) const;
    double y(double value) const;
    Clock::time_point timeAt(double x) const;
    const QRectF& plot() const { return m_plot; }
    Clock::time_point from() const { return m_from; }
    Clock::time_point to() const { return m_to; }

private:
    QRectF m_plot;
    Clock::time_point m_from;
    Clock::time_point m_to;
    double m_low;
    double m_high;
};

// The lines of one counter: each row holds its value from readAt to seenUntil, and joins the next
// row unless the pool went unread between them for longer than history::kGapAfter (a gap, drawn
// as none). Rows are clipped to the scale's time span. Where many rows fall into one pixel column
// only its first, lowest, highest and last points are kept, so a month draws as fast as an hour.
std::vector<QPolygonF> counterRuns(std::span<const history::StoredPoint> rows, std::size_t counter,
                                   const Scale& scale);

// The smallest and largest value of the given counters over rows; {0, 0} for no rows.
std::pair<double, double> valueBounds(std::span<const history::StoredPoint> rows,
                                      std::span<const std::size_t> counters);

struct TimeTick {
    Clock::time_point at;
    QString label; // local time
};
// Ticks on round local times (whole minutes, hours or days) at least minSpacing pixels apart.
std::vector<TimeTick> timeTicks(const Scale& scale, double minSpacing);

// The row nearest to time (the one holding it, else the closest end of one); null for no rows.
const history::StoredPoint* nearestRow(std::span<const history::StoredPoint> rows,
                                       Clock::time_point time);

} // namespace app::trend
