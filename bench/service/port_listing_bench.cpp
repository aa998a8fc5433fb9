// Lists a pool with 20,000 pending ports (listPorts up to the count label) through the in-memory
// window and, when the app is built, through the Qt main window; compares with a bare fetch (over
// libcurl; WinHTTP on Windows) and parse of the same reply, and reports the resident memory the
// listing adds.
//
//   pooldesk_bench_service_port_listing [--ports 20000] [--runs 5]

#include "bare_client.h"
#include "bench_args.h"
#include "bench_support.h"

#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/threads.h"
#include "service/codec.h"
#include "service/operations.h"
#include "service/requests.h"
#include "test_support/memory_window.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

#ifdef POOLDESK_BENCH_WITH_APP
#include "../offscreen_platform.h"
#include "app/main_window.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#endif

namespace {

using benchsupport::Clock;
using benchsupport::median;
using benchsupport::millisecondsSince;
using benchsupport::residentKilobytes;

int g_ports = 20000;
int g_runs = 5;
const std::string kKey = "bench-key";
const std::string kPool = "P1";

struct PortRow {
    std::string port, status, time;
};

// The same line, field and status rules as the listing, on plain strings.
std::vector<PortRow> parsePorts(std::string_view body, std::string_view pool) {
    std::vector<PortRow> rows;
    for (const auto& line : runtime::splitText(body, "\r\n")) {
        const auto fields = runtime::splitText(line, "|");
        if (fields.size() < 2 || runtime::findText(fields[0], pool) < 0) {
            continue;
        }
        const auto pieces = runtime::splitText(service::percentDecode(fields[1]), "-");
        rows.push_back(
            {fields[0], pieces.empty() ? "" : pieces[0], pieces.size() < 2 ? "" : pieces[1]});
    }
    return rows;
}

void printFigure(const char* what, double value, const char* unit) {
    std::printf("%-58s %10.1f %s\n", what, value, unit);
}

void printRatio(const char* what, double value) {
    std::printf("%-58s %10.2f\n", what, value);
}

// One listing through the in-memory window, in milliseconds; memory added when asked for.
double listInMemoryWindow(long* addedKilobytes) {
    runtime::MemoryWindow window;
    window.setSelectedRow(controls::kDeviceList, window.appendRow(controls::kDeviceList, kPool));
    const auto session = service::Session::start(window, service::endpoints().netherlands, kKey);
    const long before = residentKilobytes();
    const auto start = Clock::now();
    service::listPorts(*session);
    const double milliseconds = millisecondsSince(start);
    if (addedKilobytes != nullptr) {
        *addedKilobytes = residentKilobytes() - before;
    }
    if (window.text(controls::kPortCountLabel) !=
        runtime::gbk("端口数量：") + std::to_string(g_ports)) {
        std::fprintf(stderr, "in-memory listing is incomplete\n");
        std::exit(1);
    }
    return milliseconds;
}

// One fetch and parse by a bare client, in milliseconds.
template <typename Client> double fetchBare(Client& client) {
    const std::string url =
        service::serviceUrl(service::endpoints().netherlands, "/sinterface/port/get?ukey=" + kKey);
    const auto start = Clock::now();
    const auto rows = parsePorts(client.request(url, nullptr), kPool);
    const double milliseconds = millisecondsSince(start);
    if (rows.size() != static_cast<std::size_t>(g_ports)) {
        std::fprintf(stderr, "bare fetch parsed %zu rows\n", rows.size());
        std::exit(1);
    }
    return milliseconds;
}

#ifdef POOLDESK_BENCH_WITH_APP
struct QtFigures {
    double listing = 0;      // worker start to count label written
    double withViewSync = 0; // and the list view brought up to date
    long addedKilobytes = 0;
};

QtFigures benchQtWindow() {
    app::MainWindow mainWindow({.settingsFile = QDir::tempPath().toStdString() + "/bench-pz.ini",
                                .startOverlay = false,
                                .exitOnClose = false,
                                .ledWorker = {}});
    mainWindow.show();
    runtime::Window& window = mainWindow.window();
    window.appendRow(controls::kDeviceList, kPool);
    mainWindow.syncViews();
    auto* devices = qobject_cast<QAbstractItemView*>(mainWindow.control(controls::kDeviceList));
    devices->setCurrentIndex(devices->model()->index(0, 0));

    std::vector<double> listing;
    std::vector<double> synced;
    QtFigures figures;
    const auto session = service::Session::start(window, service::endpoints().netherlands, kKey);
    for (int run = 0; run < g_runs; ++run) {
        const long before = residentKilobytes();
        std::atomic<bool> done{false};
        const auto start = Clock::now();
        session->startWorker([&](service::Session& listing) {
            service::listPorts(listing);
            done = true;
        });
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        listing.push_back(millisecondsSince(start));
        mainWindow.syncViews();
        QCoreApplication::processEvents();
        synced.push_back(millisecondsSince(start));
        if (run == 0) {
            figures.addedKilobytes = residentKilobytes() - before;
        }
        if (window.rowCount(controls::kPortList) != g_ports) {
            std::fprintf(stderr, "Qt listing has %d rows\n", window.rowCount(controls::kPortList));
            std::exit(1);
        }
    }
    figures.listing = median(listing);
    figures.withViewSync = median(synced);
    return figures;
}
#endif

// One scenario text: the simulator takes it in one exchange, also when it runs in another process.
std::string pendingPortsScenario() {
    std::string scenario;
    scenario.reserve(static_cast<std::size_t>(g_ports) * 40);
    for (int i = 0; i < g_ports; ++i) {
        scenario +=
            "task " + kKey + " " + kPool + "." + std::to_string(10000 + i) + " 未做TG 12:00\n";
    }
    return scenario;
}

} // namespace

int main(int argc, char** argv) {
#ifdef POOLDESK_BENCH_WITH_APP
    benchsupport::offscreenUnlessNamed();
    QApplication application(argc, argv);
#endif
    g_ports = benchargs::sizeOption(argc, argv, "ports", g_ports);
    g_runs = benchargs::sizeOption(argc, argv, "runs", g_runs);
    runtime::initProcessState();
    bench::BareClient bareClient;
    const auto simulator = benchsupport::startSimulator(kKey);
    std::string scenarioError;
    if (!simulator || !simulator->loadScenarioText(pendingPortsScenario(), &scenarioError)) {
        std::fprintf(stderr, "no simulator with the ports: %s\n", scenarioError.c_str());
        return 1;
    }
    const std::string reply = service::queryPorts(service::endpoints().netherlands, kKey).body;
    std::printf("pending-port reply: %d ports, %zu bytes; median of %d runs\n", g_ports,
                reply.size(), g_runs);

    // The client and its floors take turns, so a change in the machine's load while the
    // benchmark runs weighs on all alike.
    long memoryAdded = 0;
    std::vector<double> inMemory;
    std::vector<double> bareTimes;
#ifdef _WIN32
    bench::BareAsyncClient asyncClient;
    std::vector<double> asyncTimes;
#endif
    for (int run = 0; run < g_runs; ++run) {
        inMemory.push_back(listInMemoryWindow(run == 0 ? &memoryAdded : nullptr));
        bareTimes.push_back(fetchBare(bareClient));
#ifdef _WIN32
        asyncTimes.push_back(fetchBare(asyncClient));
#endif
    }
    const double memoryWindow = median(inMemory);
    const double bare = median(bareTimes);
    printFigure("listPorts, in-memory window", memoryWindow, "ms");
    printFigure((std::string(bench::kFloorName) + ": fetch + parse").c_str(), bare, "ms");
    printRatio("ratio in-memory / bare (under Wine, WinHTTP: target <= 1.3)", memoryWindow / bare);
#ifdef _WIN32
    const double bareAsync = median(asyncTimes);
    printFigure((std::string(bench::kAsyncFloorName) + ": fetch + parse").c_str(), bareAsync, "ms");
    printRatio("ratio in-memory / this floor", memoryWindow / bareAsync);
#endif
    printFigure("resident memory added by a listing, in-memory window", memoryAdded / 1024.0, "MB");
#ifdef POOLDESK_BENCH_WITH_APP
    const QtFigures qt = benchQtWindow();
    printFigure("listPorts, Qt window (worker, to count label)", qt.listing, "ms");
    printFigure("listPorts, Qt window, view synced", qt.withViewSync, "ms");
    printRatio("ratio Qt / bare (target <= 4)", qt.listing / bare);
    printFigure("resident memory added by a listing, Qt window (target < 50)",
                qt.addedKilobytes / 1024.0, "MB");
#else
    std::printf("Qt window figures: not built here\n");
#endif
    return 0;
}
