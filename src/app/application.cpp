#include "app/application.h"

#include "app/command_line.h"
#include "app/console.h"
#include "app/main_window.h"
#include "app/outer_frame.h"
#include "app/qt_text.h"
#include "app/qt_translation.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "service/endpoints.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
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

// The picture of pooldesk.ico, so the title bar and the task bar show what the executable and
// the Start menu show.
QIcon programIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256}) {
        icon.addFile(QStringLiteral(":/app/icon-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

[[noreturn]] void saveScreenshotAndQuit(MainWindow& window, const QString& file) {
    window.syncViews();
    const bool saved = grabWholeWindow(window).save(file, "PNG");
    if (!saved) {
        std::fprintf(stderr, "pooldesk: could not write %s\n", qPrintable(file));
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
            std::fprintf(stderr, "pooldesk: %s\n", qPrintable(commandLine.error));
            std::fputs(qPrintable(commandLineHelp()), stderr);
            return 2;
        }
        std::fputs(qPrintable(commandLine.showHelp ? commandLineHelp() : versionLine()), stdout);
        return 0;
    }
#ifdef _WIN32
    OleInitialize(nullptr);
#endif
    QApplication application(argc, argv);
    // Before the first widget: Qt's buttons, dialogs and menus then read Chinese.
    const auto qtTranslation = installQtTranslation();
    QApplication::setWindowIcon(programIcon());

    QDir::setCurrent(toQString(runtime::runDirectory()));
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
