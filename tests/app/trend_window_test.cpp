// The trend of one pool: rows to pixels as a table, then the real window opened from the
// statistics list on a stored history, with its gap, its live update and its PNG.

#include "app/history_settings.h"
#include "app/tab_control.h"
#include "app/trend_window.h"
#include "history/history_store.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "test_support/e2e_support.h"
#include "test_support/window_fixture.h"

#include <QImage>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using app::trend::Clock;
using history::StoredPoint;
using namespace std::chrono_literals;

const Clock::time_point kFrom = Clock::time_point(std::chrono::seconds(1'800'000'000));

// A row holding value from kFrom + readAt to kFrom + seenUntil.
StoredPoint row(std::int64_t value, Clock::duration readAt, Clock::duration seenUntil) {
    StoredPoint stored{.readAt = kFrom + readAt, .seenUntil = kFrom + seenUntil, .counters = {}};
    stored.counters.fill(value);
    return stored;
}

TEST(TrendChartGeometry, RowsBecomeStepsSplitAtGapsClippedToTheSpanAndThinnedPerPixelColumn) {
    // 600 s over 600 px, values 0-100 over 100 px: one second a pixel, one count a pixel.
    const app::trend::Scale scale(QRectF(0, 0, 600, 100), kFrom, kFrom + 600s, 0, 100);
    std::vector<StoredPoint> crowded;
    for (int i = 0; i < 10; ++i) {
        // Ten rows inside pixel column 300: kept as its first, lowest, highest and last points.
        crowded.push_back(row(40 + (i * 7) % 20, 300s + i * 50ms, 300s + i * 50ms + 10ms));
    }
    struct Case {
        const char* what;
        std::vector<StoredPoint> rows;
        std::vector<QPolygonF> runs;
    };
    const std::vector<Case> cases{
        {"one row", {row(50, 60s, 120s)}, {QPolygonF({{60, 50}, {120, 50}})}},
        {"rows within the gap limit join",
         {row(50, 60s, 120s), row(20, 180s, 200s)},
         {QPolygonF({{60, 50}, {120, 50}, {180, 80}, {200, 80}})}},
        {"a longer pause is a gap",
         {row(50, 60s, 120s), row(20, 181s, 200s)},
         {QPolygonF({{60, 50}, {120, 50}}), QPolygonF({{181, 80}, {200, 80}})}},
        {"a single pass between gaps is a dot",
         {row(50, 60s, 120s), row(30, 250s, 250s), row(20, 400s, 420s)},
         {QPolygonF({{60, 50}, {120, 50}}), QPolygonF({{250, 70}}),
          QPolygonF({{400, 80}, {420, 80}})}},
        {"clipped to the span",
         {row(10, -100s, 30s), row(90, 590s, 700s)},
         {QPolygonF({{0, 90}, {30, 90}}), QPolygonF({{590, 10}, {600, 10}})}},
        {"thinned per pixel column",
         crowded,
         {QPolygonF({{300, 60}, {300.46, 44}, {300.46, 60}, {300.46, 57}})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<QPolygonF> runs = app::trend::counterRuns(c.rows, 1, scale);
        ASSERT_EQ(runs.size(), c.runs.size());
        for (std::size_t r = 0; r < runs.size(); ++r) {
            ASSERT_EQ(runs[r].size(), c.runs[r].size()) << "run " << r;
            for (qsizetype p = 0; p < runs[r].size(); ++p) {
                EXPECT_NEAR(runs[r][p].x(), c.runs[r][p].x(), 0.01)
                    << "run " << r << " point " << p;
                EXPECT_NEAR(runs[r][p].y(), c.runs[r][p].y(), 0.01)
                    << "run " << r << " point " << p;
            }
        }
    }
    // The read-out's row: the one holding the time, else the nearer end across a gap.
    const std::vector<StoredPoint> rows{row(1, 0s, 100s), row(2, 400s, 500s)};
    EXPECT_EQ(app::trend::nearestRow(rows, kFrom + 50s), &rows[0]);
    EXPECT_EQ(app::trend::nearestRow(rows, kFrom + 240s), &rows[0]);
    EXPECT_EQ(app::trend::nearestRow(rows, kFrom + 260s), &rows[1]);
    EXPECT_EQ(app::trend::nearestRow(rows, kFrom + 900s), &rows[1]);
}

// The record the watch would read: counter i of the pool is value + 20 * i, so no two lines
// cover each other.
service::PoolStatistics record(int value, Clock::time_point readAt) {
    service::PoolStatistics statistics{.pool = "A1", .cells = {}, .readAt = readAt};
    for (std::size_t i = 0; i < statistics.cells.size(); ++i) {
        statistics.cells[i] = std::to_string(value + 20 * static_cast<int>(i)) + "  50\xA3\xA5";
    }
    return statistics;
}

// Whether a pixel near at has (about) color.
bool colorNear(const QImage& image, QPointF at, const QColor& color) {
    for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
            const QPoint p(static_cast<int>(at.x()) + dx, static_cast<int>(at.y()) + dy);
            if (!image.rect().contains(p)) {
                continue;
            }
            const QColor seen = image.pixelColor(p);
            if (std::abs(seen.red() - color.red()) + std::abs(seen.green() - color.green()) +
                    std::abs(seen.blue() - color.blue()) <
                60) {
                return true;
            }
        }
    }
    return false;
}

class TrendWindowTest : public app::testing::WindowTest {};

TEST_F(TrendWindowTest, DoubleClickedPoolShowsItsHistoryWithTheGapFollowsNewPassesAndSavesPng) {
    // An hour read every 10 s rising from 100, half an hour not read, then 20 minutes at 300.
    const Clock::time_point now = Clock::now();
    {
        auto store = history::HistoryStore::open({.path = app::historyFileBeside(settingsFile())});
        ASSERT_TRUE(store.has_value()) << store.error();
        for (int pass = 0; pass < 360; ++pass) {
            const auto at = now - 2h + pass * 10s;
            ASSERT_TRUE((*store)->storePass(std::vector{record(100 + pass / 6, at)}));
        }
        for (int pass = 0; pass < 120; ++pass) {
            ASSERT_TRUE((*store)->storePass(std::vector{record(300, now - 30min + pass * 10s)}));
        }
    }
    window().appendRow(controls::kPoolSummaryList, "A1");
    auto* statistics =
        qobject_cast<QTreeView*>(mainWindow().control(std::string(controls::kPoolSummaryList)));
    ASSERT_NE(statistics, nullptr);
    // The statistics list is on the second page.
    for (QWidget* child : mainWindow().findChildren<QWidget*>()) {
        if (auto* tabs = dynamic_cast<app::TabControl*>(child)) {
            tabs->setCurrentIndex(1);
        }
    }
    ASSERT_TRUE(statistics->isVisible());
    ASSERT_TRUE(app::testing::pumpUntil([&] { return statistics->model()->rowCount() == 1; }));
    const auto doubleClickFirstRow = [&] {
        const QRect first = statistics->visualRect(statistics->model()->index(0, 0));
        // A view takes a double click only on the row the first click pressed.
        QTest::mouseClick(statistics->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(statistics->viewport(), Qt::LeftButton, {}, first.center());
    };
    doubleClickFirstRow();
    app::TrendWindow* trend = nullptr;
    ASSERT_TRUE(app::testing::pumpUntil([&] {
        const auto open = app::trendWindowsOf(mainWindow());
        trend = open.empty() ? nullptr : open.front();
        return trend != nullptr && !trend->chart().rows().empty();
    }));
    EXPECT_EQ(trend->windowTitle(), QStringLiteral("趋势 - A1"));
    trend->setSpan(app::TrendSpan::SixHours);
    trend->resize(960, 560);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(trend));

    const app::TrendChart& chart = trend->chart();
    const app::trend::Scale scale = chart.scale();
    const QImage picture = trend->chart().grab().toImage();
    const QColor numbers = app::TrendChart::counterColor(1); // 有号码
    EXPECT_TRUE(colorNear(picture, {scale.x(now - 2h + 30min), scale.y(150)}, numbers));
    EXPECT_TRUE(colorNear(picture, {scale.x(now - 10min), scale.y(320)}, numbers));
    // The half hour not read is a gap: no counter's line crosses its middle.
    const int gapX = static_cast<int>(scale.x(now - 45min));
    for (int y = static_cast<int>(scale.plot().top()) + 1; y < scale.plot().bottom(); ++y) {
        for (const std::size_t counter : app::trend::kDefaultCounters) {
            ASSERT_FALSE(
                colorNear(picture, QPointF(gapX, y), app::TrendChart::counterColor(counter)))
                << "line in the gap at y " << y;
        }
    }

    // A pass stored while the window is open shows within a poll.
    {
        auto store = history::HistoryStore::open({.path = app::historyFileBeside(settingsFile())});
        ASSERT_TRUE(store.has_value());
        ASSERT_TRUE((*store)->storePass(std::vector{record(301, Clock::now())}));
    }
    EXPECT_TRUE(
        app::testing::pumpUntil([&] { return chart.rows().back().counters[1] == 321; }, 6000));

    // Double-clicking the pool again raises the same window.
    doubleClickFirstRow();
    QCoreApplication::processEvents();
    EXPECT_EQ(app::trendWindowsOf(mainWindow()).size(), 1U);

    trend->chart().setHoverAt(QPointF(scale.x(now - 1h - 30min), scale.plot().center().y()));
    const QString png = m_folder.filePath(QStringLiteral("trend.png"));
    ASSERT_TRUE(trend->savePng(png));
    EXPECT_EQ(QImage(png).size(), trend->chart().size());
    trend->grab().save(e2e::artifactsFolder() + QStringLiteral("/trend-window.png"));
    EXPECT_EQ(mainWindow().qtWindow().canvasLines(controls::kLogPanel).back(),
              QStringLiteral("导出PNG：") + png);
}

} // namespace
