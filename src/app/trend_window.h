#pragma once
// "趋势…": a window of one pool's counters over the last 6 hours, 24 hours, 7 days or 30 days,
// read from the statistics history (read-only, beside the writer) and drawn by TrendChart. It
// looks for new passes every two seconds (a cheap check of the file's version) and redraws when
// one was stored; "导出PNG…" saves the picture.

#include "app/trend_chart_widget.h"
#include "history/history_reader.h"
#include "runtime/text.h"

#include <QWidget>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QTimer;

namespace app {

enum class TrendSpan { SixHours, OneDay, SevenDays, ThirtyDays };
std::chrono::seconds trendSpanLength(TrendSpan span);

struct TrendWindowOptions {
    std::string historyPath; // UTF-8
    runtime::Text pool;      // GBK
    // One line for the operator (the main window's log panel), GBK.
    std::function<void(const runtime::Text&)> log;
    std::function<trend::Clock::time_point()> now = [] { return trend::Clock::now(); };
};

class TrendWindow final : public QWidget {
public:
    TrendWindow(QWidget* parent, TrendWindowOptions options);

    const runtime::Text& pool() const { return m_options.pool; }
    TrendChart& chart() { return *m_chart; }
    void setSpan(TrendSpan span);
    // Reads the span's rows again and redraws.
    void reload();
    // Writes the picture as PNG (beside the file and moved into place) and says so in one line.
    bool savePng(const QString& file);

private:
    void showCheckedCounters();
    void lookForNewPasses();
    void exportPng();

    TrendWindowOptions m_options;
    history::HistoryReader m_reader;
    TrendChart* m_chart;
    QButtonGroup* m_spans;
    std::array<QCheckBox*, trend::kCounterCount> m_counterBoxes{};
    QTimer* m_poll;
    TrendSpan m_span = TrendSpan::OneDay;
    std::string m_lastError;
    int m_quietPolls = 0;
};

// The trend windows open over mainWindow.
std::vector<TrendWindow*> trendWindowsOf(QWidget& mainWindow);

// Shows the trend window of pool, raising the one already open for it.
TrendWindow* openTrendWindow(QWidget& mainWindow, TrendWindowOptions options);

} // namespace app
