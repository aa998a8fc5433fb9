// The trend window's 30 days: one pool read every 10 s for --days days (259,200 passes for 30),
// its counters from the simulator's drift (one drift step a pass), stored through the history
// store as the watch would; then the time to read the 30 days back and draw them at the window's
// size, and the rows the deduplication left. Twenty minutes three hours ago were not read (a
// gap). With --screenshot FILE it also saves a trend window over the last 6 hours as PNG.
//
//   pooldesk_bench_app_trend [--days 30] [--ports 400] [--repeats 9] [--screenshot FILE]

// Before any Qt header: the simulator's state has a member named like a Qt keyword macro.
#include "sim/statistics.h"

namespace {

// A pool of `ports` ports, each with a card.
sim::PoolState poolWithPorts(int ports) {
    sim::PoolState pool{"A1", {}, std::nullopt};
    for (int port = 1; port <= ports; ++port) {
        pool.slots.push_back({"A1." + std::to_string(port), "8986" + std::to_string(port)});
    }
    return pool;
}

} // namespace

#include "../offscreen_platform.h"
#include "../process_memory.h"
#include "../service/bench_args.h"
#include "app/trend_window.h"
#include "history/history_reader.h"
#include "history/history_store.h"
#include "service/stats_record.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using history::Clock;
using Steady = std::chrono::steady_clock;

double millisecondsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    benchsupport::offscreenUnlessNamed();
    QApplication application(argc, argv);
    const int days = benchargs::sizeOption(argc, argv, "days", 30);
    const int ports = benchargs::sizeOption(argc, argv, "ports", 400);
    const int repeats = benchargs::sizeOption(argc, argv, "repeats", 9);

    const auto path = std::filesystem::temp_directory_path() / "pooldesk-bench-trend.sqlite";
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path.string() + suffix);
    }
    const sim::PoolState pool = poolWithPorts(ports);

    const Clock::time_point now = Clock::now();
    const int passes = days * 24 * 360;
    const auto storing = Steady::now();
    {
        auto store = history::HistoryStore::open({.path = path.string()});
        if (!store) {
            std::fprintf(stderr, "cannot open %s: %s\n", path.string().c_str(),
                         store.error().c_str());
            return 1;
        }
        std::vector<service::PoolStatistics> pass(1);
        pass[0].pool = "A1";
        const int outageFrom = passes - 3 * 360;
        for (int i = 0; i < passes; ++i) {
            if (i >= outageFrom && i < outageFrom + 120) {
                continue;
            }
            pass[0].cells = *service::statsCells(sim::derivedStatsRecord(pool, i, true));
            pass[0].readAt = now - std::chrono::seconds(10) * (passes - i);
            if (!(*store)->storePass(pass)) {
                std::fprintf(stderr, "pass %d not stored\n", i);
                return 1;
            }
        }
    }
    std::printf("stored %d passes of one pool in %.1f s; file %.1f MB\n", passes,
                millisecondsSince(storing) / 1000,
                static_cast<double>(std::filesystem::file_size(path)) / 1e6);

    app::TrendChart chart;
    chart.resize(936, 440); // the chart's size in a trend window of 960 x 560
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> queried;
    std::vector<double> drawn;
    std::size_t rows = 0;
    for (int r = 0; r < repeats; ++r) {
        history::HistoryReader reader(path.string());
        const auto start = Steady::now();
        auto points = reader.points("A1", now - std::chrono::days(days), now);
        queried.push_back(millisecondsSince(start));
        if (!points) {
            std::fprintf(stderr, "cannot read: %s\n", points.error().c_str());
            return 1;
        }
        rows = points->size();
        const auto drawing = Steady::now();
        chart.setRows(std::move(*points), now - std::chrono::days(days), now);
        QPainter painter(&image);
        chart.render(&painter);
        painter.end();
        drawn.push_back(millisecondsSince(drawing));
    }
    std::vector<double> total(queried.size());
    for (std::size_t i = 0; i < total.size(); ++i) {
        total[i] = queried[i] + drawn[i];
    }
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("%d days of one pool: %zu rows after deduplication (of %d passes)\n", days, rows,
                passes);
    std::printf("read %.1f ms, draw %.1f ms, together %.1f ms (median of %d; worst together "
                "%.1f ms; target 100 ms)\n",
                median(queried), median(drawn), median(total), repeats,
                *std::max_element(total.begin(), total.end()));
    std::printf("resident memory %.1f MB\n",
                static_cast<double>(benchsupport::residentKilobytes()) / 1e3);
    if (const char* screenshot = benchargs::textOption(argc, argv, "screenshot")) {
        app::TrendWindow window(nullptr, {.historyPath = path.string(), .pool = "A1", .log = {}});
        window.setSpan(app::TrendSpan::SixHours);
        window.resize(960, 560);
        window.show();
        QApplication::processEvents();
        const app::trend::Scale scale = window.chart().scale();
        window.chart().setHoverAt(
            QPointF(scale.x(now - std::chrono::minutes(100)), scale.plot().center().y()));
        std::printf("screenshot %s: %s\n", screenshot,
                    window.grab().save(QString::fromLocal8Bit(screenshot)) ? "saved" : "failed");
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path.string() + suffix);
    }
    return 0;
}
