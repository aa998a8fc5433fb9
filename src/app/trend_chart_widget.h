#pragma once
// The trend picture of one pool: the chosen counters over a time span, with a time axis in local
// time, a value axis, a legend, gaps where the pool was not read, and a read-out of the row
// nearest to the mouse. Drawn with QPainter from trend_chart.h's geometry.

#include "app/trend_chart.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace app {

class TrendChart final : public QWidget {
public:
    explicit TrendChart(QWidget* parent = nullptr);

    // rows: the pool's history overlapping [from, to], oldest first.
    void setRows(std::vector<history::StoredPoint> rows, trend::Clock::time_point from,
                 trend::Clock::time_point to);
    void setCounters(std::vector<std::size_t> counters);
    // Where the read-out stands (a point in widget coordinates), or none.
    void setHoverAt(std::optional<QPointF> at);

    // The plot's scale for the current size and data (the drawing uses the same).
    trend::Scale scale() const;
    const std::vector<history::StoredPoint>& rows() const { return m_rows; }
    static QColor counterColor(std::size_t counter);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void paintAxes(QPainter& painter, const trend::Scale& scale, const trend::ValueAxis& axis);
    void paintLegend(QPainter& painter);
    void paintReadOut(QPainter& painter, const trend::Scale& scale);

    std::vector<history::StoredPoint> m_rows;
    trend::Clock::time_point m_from;
    trend::Clock::time_point m_to;
    std::vector<std::size_t> m_counters;
    std::optional<QPointF> m_hover;
};

} // namespace app
