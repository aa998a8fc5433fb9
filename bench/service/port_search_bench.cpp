// Search over the last port query of 30 pools holding 100,000 ports together, as a keystroke
// runs it: each prefix of a typed text searched anew. Prints the time per keystroke and the
// number of matches; with the app built, also the time a keystroke takes to fill the real port
// list with its results (the views brought up to date, offscreen), as the search box does it.
// Sizes: --ports, --pools, --runs (the median of that many fills is printed).
#include "bench_args.h"
#include "runtime/codepage.h"
#include "service/port_search.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#ifdef POOLDESK_BENCH_WITH_APP
#include "../offscreen_platform.h"
#include "app/main_window.h"
#include "app/qt_window.h"
#include "runtime/controls.h"
#include "service/port_search_view.h"
#include "service/snapshot.h"

#include <QApplication>
#include <QDir>
#include <QTreeView>
#endif

namespace {

using Clock = std::chrono::steady_clock;

int g_pools = 30;
int g_ports = 100000;
int g_runs = 5;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<service::PoolPorts> makePools() {
    std::vector<service::PoolPorts> pools(static_cast<std::size_t>(g_pools));
    const runtime::Text statuses[] = {runtime::gbk("未做TG"), runtime::gbk("已做GG"),
                                      runtime::gbk("注册超时"), "OK"};
    for (int pool = 0; pool < g_pools; ++pool) {
        pools[pool].pool = runtime::gbk("卡池") + std::to_string(pool);
    }
    for (int port = 0; port < g_ports; ++port) {
        service::PoolPorts& pool = pools[port % g_pools];
        pool.rows.add(pool.pool + "." + std::to_string(port), statuses[port % 4],
                      "2026-12-10 12:00:00");
    }
    return pools;
}

void benchMatching(const std::vector<service::PoolPorts>& pools) {
    std::printf("matching only, per keystroke:\n");
    const runtime::Text typed[] = {runtime::gbk("未做tg"), runtime::gbk("卡池17.99"), "ok"};
    for (const runtime::Text& text : typed) {
        // Each keystroke: one more character of the text (a GBK character is two bytes).
        for (std::size_t length = 1; length <= text.size(); ++length) {
            const std::string_view prefix = std::string_view(text).substr(0, length);
            const auto start = Clock::now();
            const std::vector<service::PortMatch> matches = service::searchPorts(pools, prefix);
            std::printf("  %-12s %7zu matches  %6.2f ms\n", runtime::gbkToUtf8(prefix).c_str(),
                        matches.size(), millisecondsSince(start));
        }
    }
}

#ifdef POOLDESK_BENCH_WITH_APP
// The search box's keystroke on the real window: the results replace the port list, the views
// are synced and the events they post handled. The median of g_runs fills per needle.
void benchFillingThePortList(const std::vector<service::PoolPorts>& pools) {
    app::MainWindow mainWindow({.settingsFile = QDir::tempPath().toStdString() + "/bench-pz.ini",
                                .startOverlay = false,
                                .exitOnClose = false,
                                .ledWorker = {}});
    mainWindow.show();
    app::QtWindow& window = mainWindow.qtWindow();
    service::Snapshot snapshot;
    std::vector<runtime::Text> names;
    for (const service::PoolPorts& pool : pools) {
        names.push_back(pool.pool);
        snapshot.setPortQuery(pool.pool, {.rows = pool.rows, .readAt = {}});
    }
    snapshot.addPools(names);
    QTreeView* ports = window.controls().views.at(std::string(controls::kPortList));
    ports->setColumnHidden(service::kSearchPoolColumn, false);
    QCoreApplication::processEvents();
    const auto fill = [&](std::string_view needle) {
        service::showSearchResults(window, snapshot, needle);
        mainWindow.syncViews();
        QCoreApplication::processEvents();
        ports->viewport()->repaint(); // the rows in sight painted, as the operator sees them
    };

    std::printf("filling the port list (views synced, offscreen), median of %d:\n", g_runs);
    // Every port, then keystrokes narrowing it as an operator types a pool and port; ".99" finds
    // about 1,000 ports spread over every pool.
    const runtime::Text needles[] = {".",   runtime::gbk("卡池1"),    runtime::gbk("卡池17."),
                                     ".99", runtime::gbk("卡池17.9"), runtime::gbk("卡池17.99")};
    for (const runtime::Text& needle : needles) {
        std::vector<double> fills;
        for (int run = 0; run < g_runs; ++run) {
            // Each run starts from the whole list, as typing on from a wide search does.
            fill(".");
            const auto start = Clock::now();
            fill(needle);
            fills.push_back(millisecondsSince(start));
        }
        std::sort(fills.begin(), fills.end());
        std::printf("  %-12s %7d rows     %7.2f ms\n", runtime::gbkToUtf8(needle).c_str(),
                    window.rowCount(controls::kPortList), fills[fills.size() / 2]);
    }
}
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef POOLDESK_BENCH_WITH_APP
    benchsupport::offscreenUnlessNamed();
    QApplication application(argc, argv);
#endif
    g_ports = benchargs::sizeOption(argc, argv, "ports", g_ports);
    g_pools = benchargs::sizeOption(argc, argv, "pools", g_pools);
    g_runs = benchargs::sizeOption(argc, argv, "runs", g_runs);
    const std::vector<service::PoolPorts> pools = makePools();
    std::printf("%d ports in %d pools\n", g_ports, g_pools);
    benchMatching(pools);
#ifdef POOLDESK_BENCH_WITH_APP
    benchFillingThePortList(pools);
#endif
    return 0;
}
