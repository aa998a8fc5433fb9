#include "app/trend_chart.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <optional>

namespace app::trend {

const std::array<const char*, kCounterCount> kCounterNames{
    "总端口数", "有号码", "读不出号码", "没有插卡", "已做TG", "已做GG",
    "已做WS",   "已做wx", "注册超时",   "有信号",   "已做RCS"};

namespace {

using Seconds = std::chrono::duration<double>;

// Keeps, of the points falling into one pixel column, the first, the lowest, the highest and the
// last: the polyline looks the same and has at most four points a column.
class ColumnReducer {
public:
    explicit ColumnReducer(QPolygonF& out) : m_out(out) {}
    ~ColumnReducer() { flush(); }
    ColumnReducer(const ColumnReducer&) = delete;
    ColumnReducer& operator=(const ColumnReducer&) = delete;

    void add(QPointF point) {
        const double column = std::floor(point.x());
        if (!m_open || column != m_column) {
            flush();
            m_open = true;
            m_column = column;
            m_first = m_last = point;
            m_lowest = m_highest = point.y();
            return;
        }
        m_last = point;
        m_lowest = std::min(m_lowest, point.y());
        m_highest = std::max(m_highest, point.y());
    }

private:
    void flush() {
        if (!m_open) {
            return;
        }
        append(m_first);
        append({m_last.x(), m_lowest});
        append({m_last.x(), m_highest});
        append(m_last);
        m_open = false;
    }
    void append(QPointF point) {
        if (m_out.isEmpty() || m_out.back() != point) {
            m_out.append(point);
        }
    }

    QPolygonF& m_out;
    bool m_open = false;
    double m_column = 0;
    QPointF m_first;
    QPointF m_last;
    double m_lowest = 0;
    double m_highest = 0;
};

QDateTime localTime(Clock::time_point time) {
    return QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count());
}

Clock::time_point timeOf(const QDateTime& local) {
    return Clock::time_point(std::chrono::milliseconds(local.toMSecsSinceEpoch()));
}

} // namespace

ValueAxis valueAxis(double smallest, double largest) {
    if (largest < smallest) {
        std::swap(smallest, largest);
    }
    if (largest - smallest < 1) {
        // A flat line sits in the middle of a small range, not on an edge.
        const double room = std::max(1.0, std::abs(largest) * 0.1);
        smallest = smallest >= 0 ? std::max(0.0, smallest - room) : smallest - room;
        largest += room;
    }
    const double raw = (largest - smallest) / 5;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double factor = normal <= 1 ? 1 : normal <= 2 ? 2 : normal <= 5 ? 5 : 10;
    // Counters are whole numbers: no step below 1.
    const double step = std::max(1.0, factor * magnitude);
    ValueAxis axis{.low = std::floor(smallest / step) * step,
                   .high = std::ceil(largest / step) * step,
                   .step = step};
    if (axis.high <= axis.low) {
        axis.high = axis.low + step;
    }
    return axis;
}

Scale::Scale(QRectF plot, Clock::time_point from, Clock::time_point to, double low, double high)
    : m_plot(plot), m_from(from), m_to(to > from ? to : from + std::chrono::seconds(1)), m_low(low),
      m_high(high > low ? high : low + 1) {}

double Scale::x(Clock::time_point time) const {
    return m_plot.left() +
           Seconds(time - m_from).count() / Seconds(m_to - m_from).count() * m_plot.width();
}

double Scale::y(double value) const {
    return m_plot.bottom() - (value - m_low) / (m_high - m_low) * m_plot.height();
}

Clock::time_point Scale::timeAt(double x) const {
    const double share = (x - m_plot.left()) / m_plot.width();
    return m_from + std::chrono::duration_cast<Clock::duration>(Seconds(m_to - m_from) * share);
}

std::vector<QPolygonF> counterRuns(std::span<const history::StoredPoint> rows, std::size_t counter,
                                   const Scale& scale) {
    std::vector<QPolygonF> runs;
    std::optional<ColumnReducer> reducer;
    const history::StoredPoint* previous = nullptr;
    for (const history::StoredPoint& row : rows) {
        const Clock::time_point start = std::max(row.readAt, scale.from());
        const Clock::time_point end = std::min(row.seenUntil, scale.to());
        if (end < start) {
            continue;
        }
        const bool joins = previous && row.readAt - previous->seenUntil <= history::kGapAfter;
        if (!joins) {
            reducer.reset();
            runs.emplace_back();
            reducer.emplace(runs.back());
        }
        const double y = scale.y(static_cast<double>(row.counters.at(counter)));
        reducer->add({scale.x(start), y});
        reducer->add({scale.x(end), y});
        previous = &row;
    }
    reducer.reset();
    return runs;
}

std::pair<double, double> valueBounds(std::span<const history::StoredPoint> rows,
                                      std::span<const std::size_t> counters) {
    bool any = false;
    double smallest = 0;
    double largest = 0;
    for (const history::StoredPoint& row : rows) {
        for (const std::size_t counter : counters) {
            const auto value = static_cast<double>(row.counters.at(counter));
            smallest = any ? std::min(smallest, value) : value;
            largest = any ? std::max(largest, value) : value;
            any = true;
        }
    }
    return {smallest, largest};
}

std::vector<TimeTick> timeTicks(const Scale& scale, double minSpacing) {
    constexpr std::array<int, 13> kSteps{60,    300,   600,   900,   1800,   3600,  7200,
                                         10800, 21600, 43200, 86400, 172800, 604800};
    const double pixelsPerSecond =
        scale.plot().width() / Seconds(scale.to() - scale.from()).count();
    int step = kSteps.back();
    for (const int candidate : kSteps) {
        if (candidate * pixelsPerSecond >= minSpacing) {
            step = candidate;
            break;
        }
    }
    constexpr int kDay = 86400;
    std::vector<TimeTick> ticks;
    // Counted from the local midnight before the span, so ticks fall on round local times.
    QDateTime tick(localTime(scale.from()).date().startOfDay());
    const QDateTime last = localTime(scale.to());
    while (tick <= last && ticks.size() < 1000) {
        if (tick >= localTime(scale.from())) {
            const bool midnight = tick.time() == QTime(0, 0);
            ticks.push_back({timeOf(tick), tick.toString(midnight ? QStringLiteral("MM-dd")
                                                                  : QStringLiteral("HH:mm"))});
        }
        tick = step >= kDay ? tick.addDays(step / kDay) : tick.addSecs(step);
    }
    return ticks;
}

const history::StoredPoint* nearestRow(std::span<const history::StoredPoint> rows,
                                       Clock::time_point time) {
    if (rows.empty()) {
        return nullptr;
    }
    const auto after = std::upper_bound(
        rows.begin(), rows.end(), time,
        [](Clock::time_point t, const history::StoredPoint& row) { return t < row.readAt; });
    if (after == rows.begin()) {
        return &*after;
    }
    const history::StoredPoint& before = *std::prev(after);
    if (time <= before.seenUntil || after == rows.end()) {
        return &before;
    }
    return time - before.seenUntil <= after->readAt - time ? &before : &*after;
}

} // namespace app::trend
