#include "app/application.h"

#include "app/command_line.h"
#include "app/console.h"
#include "app/demo.h"
#include "app/main_window.h"
#include "app/outer_frame.h"
#include "app/qt_text.h"
#include "app/qt_translation.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "service/endpoints.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

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

// beforeExit runs first: the process ends without unwinding. The exit code is 1 when the file
// could not be written or the picture does not show what was asked for (complete false).
[[noreturn]] void saveScreenshotAndQuit(MainWindow& window, const QString& file,
                                        const std::function<void()>& beforeExit,
                                        bool complete = true) {
    window.syncViews();
    const bool saved = grabWholeWindow(window).save(file, "PNG");
    if (!saved) {
        writeOutput(stderr, QStringLiteral("pooldesk: could not write %1\n").arg(file));
    }
    if (beforeExit) {
        beforeExit();
    }
    std::fflush(nullptr);
    std::_Exit(saved && complete ? 0 : 1);
}

// In the demo the screenshot shows the signed-in window: the sign-in button is pressed and the
// picture taken once the pools are listed (or after 30 s, showing what went wrong, exit code 1).
void signInThenScreenshot(MainWindow& window, QTimer& poll, const QString& file,
                          const std::function<void()>& beforeExit) {
    if (auto* button = qobject_cast<QAbstractButton*>(window.control(controls::kSignInButton))) {
        button->click();
    }
    const QDeadlineTimer deadline(30000);
    QObject::connect(
        &poll, &QTimer::timeout, &window, [&window, &poll, file, beforeExit, deadline] {
            const bool signedIn = window.window().rowCount(controls::kDeviceList) > 0;
            if (!signedIn && deadline.hasExpired()) {
                std::fputs("pooldesk: the demo did not list its pools within 30 s\n", stderr);
            }
            if (signedIn || deadline.hasExpired()) {
                poll.stop();
                // Under Wine the frame's size may not be known yet when the window is first placed
                // (the window came out 130 px too narrow): placed again now, pictured once settled.
                placeOuterFrame(window);
                QTimer::singleShot(300, &window, [&window, file, beforeExit, signedIn] {
                    saveScreenshotAndQuit(window, file, beforeExit, signedIn);
                });
            }
        });
    poll.start(100);
}

} // namespace

int runApplication(int argc, char** argv, const ShownHook& onShown) {
    // Read before the Qt application exists: answering --help needs no display.
    QStringList arguments = programArguments(argc, argv);
    const bool demoAsked = takeDemoOption(arguments);
    const CommandLine commandLine = parseCommandLine(arguments);
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
    // Before the first widget: Qt's buttons, dialogs and menus then read Chinese.
    const auto qtTranslation = installQtTranslation();
    QApplication::setWindowIcon(programIcon());

    QDir::setCurrent(QDir(runtime::runDirectory()).path());
    runtime::initProcessState();
    runtime::registerStateAtExit();
    applyEndpointOverrides(commandLine);

    MainWindowOptions options;
    std::unique_ptr<DemoSimulator> demo;
    if (demoAsked) {
        demo = std::make_unique<DemoSimulator>();
        QString error;
        if (!demo->start(error)) {
            reachStartingConsole();
            std::fprintf(stderr, "pooldesk: the demo cannot start: %s\n", qPrintable(error));
            // Started from the Start menu there is no console to read: say it in a box.
            if (commandLine.screenshotFile.isEmpty()) {
                QMessageBox::critical(nullptr, QStringLiteral("PoolDesk"),
                                      QStringLiteral("演示无法启动：%1").arg(error));
            }
            return 1;
        }
        service::setEndpoints(
            service::applyEndpointOverride(service::endpoints(), demo->endpoints()));
        options.settingsFile = demo->settingsFile();
        // Closing the window then returns from the event loop, so the simulator is stopped.
        options.exitOnClose = false;
    }
    const std::function<void()> beforeExit = [&demo] { demo.reset(); };

    MainWindow window(std::move(options));
    window.show();
    placeOuterFrame(window);
    QTimer signInPoll;
    if (!commandLine.screenshotFile.isEmpty()) {
        QTimer::singleShot(
            0, &window,
            [&window, &signInPoll, &beforeExit, demoAsked, file = commandLine.screenshotFile] {
                if (demoAsked) {
                    signInThenScreenshot(window, signInPoll, file, beforeExit);
                } else {
                    saveScreenshotAndQuit(window, file, beforeExit);
                }
            });
    }
    if (onShown) {
        QTimer::singleShot(0, &window, [&window, onShown] { onShown(window); });
    }
    return QApplication::exec();
}

} // namespace app
