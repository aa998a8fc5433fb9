// CPU time of the GUI thread and of the process during a 10-second responsive delay on the GUI
// thread, with the main window shown and idle.
#include "app/main_window.h"
#include "runtime/delay.h"
#include "runtime/state.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

double cpuMs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    runtime::initProcessState();
    QTemporaryDir folder;
    app::MainWindow mainWindow(
        {.settingsFile = folder.filePath(QStringLiteral("pz.ini")).toStdString(),
         .startOverlay = false,
         .exitOnClose = false});
    mainWindow.show();
    QCoreApplication::processEvents();

    const double threadStart = cpuMs(CLOCK_THREAD_CPUTIME_ID);
    const double processStart = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const auto wallStart = std::chrono::steady_clock::now();
    runtime::responsiveDelay(10, 1);
    const double wallMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart)
            .count();
    const double threadMs = cpuMs(CLOCK_THREAD_CPUTIME_ID) - threadStart;
    const double processMs = cpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
    std::printf("responsive delay of 10 s on the GUI thread (window shown, idle): took %.0f ms\n",
                wallMs);
    std::printf("  GUI thread CPU: %.2f ms = %.3f%% of a core\n", threadMs,
                100.0 * threadMs / wallMs);
    std::printf("  process CPU:    %.2f ms = %.3f%% of a core  (target < 1%%)\n", processMs,
                100.0 * processMs / wallMs);
    return 0;
}
