#include "app/application.h"

#include "app/command_line.h"
#include "app/console.h"
#include "app/main_window.h"
#include "app/outer_frame.h"
#include "app/qt_text.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "service/endpoints.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#ifdef _WIN32
#include <ole2.h>
#endif

namespace app {
namespace {

void applyEndpointOverrides(const CommandLine& commandLine) {
    service::Endpoints endpoints = service::endpoints();
    if (const char* environment =
            std::getenv(std::string(service::kEndpointsEnvironmentVariable).c_str())) {
        endpoints = service::applyEndpointOverride(endpoints, environment);
    }
    if (commandLine.endpoints) {
        endpoints = service::applyEndpointOverride(endpoints, *commandLine.endpoints);
    }
    service::setEndpoints(endpoints);
}

[[noreturn]] void saveScreenshotAndQuit(MainWindow& window, const QString& file) {
    window.syncViews();
    const bool saved = grabWholeWindow(window).save(file, "PNG");
    if (!saved) {
        writeOutput(stderr, QStringLiteral("pooldesk: could not write %1\n").arg(file));
    }
    std::fflush(nullptr);
    std::_Exit(saved ? 0 : 1);
}

} // namespace

int runApplication(int argc, char** argv, const ShownHook& onShown) {
    // Read before the Qt application exists: answering --help needs no display.
    const CommandLine commandLine = parseCommandLine(programArguments(argc, argv));
    if (commandLine.showHelp || commandLine.showVersion || !commandLine.error.isEmpty()) {
        reachStartingConsole();
        if (!commandLine.error.isEmpty()) {
            writeOutput(stderr, QStringLiteral("pooldesk: %1\n").arg(commandLine.error));
            writeOutput(stderr, commandLineHelp());
            return 2;
        }
        writeOutput(stdout, commandLine.showHelp ? commandLineHelp() : versionLine());
        return 0;
    }
#ifdef _WIN32
    OleInitialize(nullptr);
#endif
    QApplication application(argc, argv);

    QDir::setCurrent(QDir(runtime::runDirectory()).path());
    runtime::initProcessState();
    runtime::registerStateAtExit();
    applyEndpointOverrides(commandLine);

    MainWindow window;
    window.show();
    placeOuterFrame(window);
    if (!commandLine.screenshotFile.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, file = commandLine.screenshotFile] {
            saveScreenshotAndQuit(window, file);
        });
    }
    if (onShown) {
        QTimer::singleShot(0, &window, [&window, onShown] { onShown(window); });
    }
    return QApplication::exec();
}

} // namespace app
