// A refresh of 2,000 pools (refreshPools from start to "刷新完成") through the in-memory window
// and, when the app is built, through the Qt main window.

#include "bench_support.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/immortal.h"
#include "runtime/threads.h"
#include "service/operations.h"
#include "support/memory_window.h"

#include <atomic>
#include <cstdlib>
#include <deque>

#ifdef POOLDESK_BENCH_WITH_APP
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#else
#include <QCoreApplication>
#endif

namespace {

using benchsupport::Clock;
using benchsupport::median;
using benchsupport::millisecondsSince;

constexpr int kPools = 2000;
constexpr int kRuns = 3;
const std::string kKey = "bench-key";

void checkRows(runtime::Window& window) {
    if (window.rowCount(controls::kDeviceList) != kPools ||
        window.rowCount(controls::kPoolSummaryList) != kPools) {
        std::fprintf(stderr, "refresh added %d rows\n", window.rowCount(controls::kDeviceList));
        std::exit(1);
    }
}

// Each refresh starts a statistics watch that keeps its window, so windows are never freed.
double benchMemoryWindow() {
    static runtime::Immortal<std::deque<runtime::MemoryWindow>> windows;
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        runtime::MemoryWindow& window = windows.value.emplace_back();
        window.setText(controls::kKeyBox, kKey);
        const auto session =
            service::Session::start(window, service::endpoints().netherlands, kKey);
        const auto start = Clock::now();
        service::refreshPools(*session);
        times.push_back(millisecondsSince(start));
        checkRows(window);
    }
    return median(times);
}

#ifdef POOLDESK_BENCH_WITH_APP
double benchQtWindow(int run) {
    static runtime::Immortal<std::deque<app::MainWindow>> windows;
    app::MainWindow& mainWindow = windows.value.emplace_back(app::MainWindowOptions{
        .settingsFile = QDir::tempPath().toStdString() + "/bench-pz-" + std::to_string(run),
        .startOverlay = false,
        .exitOnClose = false,
        .ledWorker = {}});
    mainWindow.show();
    runtime::Window& window = mainWindow.window();
    window.setText(controls::kKeyBox, kKey);
    QCoreApplication::processEvents();

    std::atomic<bool> done{false};
    const auto session = service::Session::start(window, service::endpoints().netherlands, kKey);
    const auto start = Clock::now();
    session->startWorker([&](service::Session& refreshing) {
        service::refreshPools(refreshing);
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    mainWindow.syncViews();
    const double elapsed = millisecondsSince(start);
    checkRows(window);
    return elapsed;
}
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef POOLDESK_BENCH_WITH_APP
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    runtime::initProcessState();
    sim::Simulator simulator(benchsupport::loopbackOptions());
    if (!benchsupport::startSimulator(simulator)) {
        return 1;
    }
    for (int i = 0; i < kPools; ++i) {
        simulator.addPool(kKey, runtime::gbk("卡池") + std::to_string(10000 + i));
    }
    std::printf("pool list: %d pools; median of %d runs\n", kPools, kRuns);
    std::printf("%-58s %10.1f ms\n", "refreshPools, in-memory window", benchMemoryWindow());
#ifdef POOLDESK_BENCH_WITH_APP
    std::vector<double> qtTimes;
    for (int run = 0; run < kRuns; ++run) {
        qtTimes.push_back(benchQtWindow(run));
    }
    std::printf("%-58s %10.1f ms\n", "refreshPools, Qt window, views synced (target < 1000)",
                median(qtTimes));
#else
    std::printf("Qt window figures: the app is not built\n");
#endif
    std::fflush(stdout);
    // The statistics watches started by the refreshes still run against the windows.
    std::_Exit(0);
}
