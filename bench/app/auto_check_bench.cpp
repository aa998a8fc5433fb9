// A working day of automatic new-task checks (480, one a minute) with the minute shortened to a
// few milliseconds, against the local simulator, on the real main window (offscreen): port
// queries per check, and resident memory after the first 20 checks and after the last. Every
// 20th check finds new ports, so the comparison, the log line and the in-window notice run too.
#include "../process_memory.h"
#include "app/auto_check.h"
#include "app/main_window.h"
#include "app/task_notice.h"
#include "runtime/codepage.h"
#include "runtime/state.h"
#include "service/endpoints.h"
#include "service/session.h"
#include "sim/simulator.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr const char* kKey = "bench-key";
constexpr int kChecks = 480;
constexpr int kWarmUp = 20;
constexpr int kPools = 30;

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    runtime::initProcessState();
    sim::Options options;
    options.servicePorts = {0, 0, 0};
    sim::Simulator simulator(options);
    if (!simulator.start()) {
        std::fprintf(stderr, "simulator: %s\n", simulator.error().c_str());
        return 1;
    }
    simulator.addUser(kKey);
    simulator.generate(kKey, kPools, 40, 7);
    service::setEndpoints(
        service::applyEndpointOverride(service::defaultEndpoints(), simulator.endpointsLine()));
    QTemporaryDir folder;
    app::MainWindow mainWindow(
        {.settingsFile = folder.filePath(QStringLiteral("pz.ini")).toStdString(),
         .startOverlay = false,
         .exitOnClose = false});
    mainWindow.show();

    const std::shared_ptr<service::Session> session =
        service::Session::start(mainWindow.window(), service::endpoints().netherlands, kKey);
    session->snapshot().addPools(simulator.pools(kKey));
    int notices = 0;
    auto* notice = new app::TaskNotice(
        mainWindow, [](const runtime::Text&) {}, false);
    app::AutoCheck check(&mainWindow, {.settingsFile = mainWindow.settingsFile(),
                                       .session = [session] { return session; },
                                       .notify =
                                           [&](const std::vector<service::PoolGain>& gains) {
                                               ++notices;
                                               notice->show(gains);
                                           },
                                       .minute = std::chrono::milliseconds(3)});
    check.setMinutes(1);

    long warmRss = 0;
    int queries = 0;
    int checksSeen = 0;
    int mismatched = 0;
    int added = 0;
    const auto start = std::chrono::steady_clock::now();
    while (checksSeen < kChecks) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        const int done = check.checksDone();
        if (done == checksSeen) {
            continue;
        }
        // One check at a time: the next one cannot start before this one is counted, since a
        // tick while one runs is skipped, and a finished one is seen within a few milliseconds.
        int thisRound = 0;
        for (const auto& request : simulator.requestLog()) {
            thisRound += request.endpoint == sim::Endpoint::Ports ? 1 : 0;
        }
        simulator.clearRequestLog();
        queries += thisRound;
        mismatched += thisRound == done - checksSeen ? 0 : 1;
        checksSeen = done;
        if (checksSeen == kWarmUp) {
            warmRss = benchsupport::residentKilobytes();
        }
        if (checksSeen % 20 == 0) {
            const auto pools = simulator.pools(kKey);
            const auto& pool = pools[static_cast<std::size_t>(added) % pools.size()];
            simulator.addPendingPort(kKey, pool + ".bench" + std::to_string(added),
                                     runtime::gbk("未做TG"), "12:00");
            ++added;
        }
    }
    check.setMinutes(0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long endRss = benchsupport::residentKilobytes();
    session->end();

    std::printf("automatic checks: %d in %.1f s (interval 3 ms), %d pools, %zu pending ports\n",
                checksSeen, seconds, kPools, simulator.pendingPorts(kKey).size());
    std::printf("port queries: %d (%.3f per check; rounds whose count differed from the checks "
                "seen: %d)\n",
                queries, static_cast<double>(queries) / checksSeen, mismatched);
    std::printf("notices: %d (new ports added %d times)\n", notices, added);
    std::printf("RSS after %d checks: %ld kB, after %d: %ld kB, growth %ld kB (target < 5120)\n",
                kWarmUp, warmRss, checksSeen, endRss, endRss - warmRss);
    return 0;
}
