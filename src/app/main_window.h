#pragma once
// The main window: its layout, pop-up menus and event bindings, and the runtime::Window facade
// the service code drives it through.
//
//   app::MainWindow mainWindow({.settingsFile = dir + "/pz.ini", .exitOnClose = false});
//   mainWindow.show();
//   runtime::Window& window = mainWindow.window();
//
// Construction runs the window-creation handler (pz.ini restored, ledLock, routeHost, ledMode,
// overlay worker), so the process state must be initialised first (runtime::initProcessState,
// service endpoints). Construct and use the window on the GUI thread; window() may then be
// called from any thread.

#include "app/port_commands.h"
#include "runtime/window.h"

#include <QWidget>

#include <memory>
#include <string>
#include <string_view>

class QAction;
class QMenu;

namespace app {

class QtWindow;

struct MainWindowOptions {
    // The settings file; empty means runDirectory() + "/pz.ini".
    std::string settingsFile = {};
    // Starts the mask-overlay worker on 外形框1 at creation.
    bool startOverlay = true;
    // Closing the window ends the process (exit code 0) once the key is saved.
    bool exitOnClose = true;
    // Replaces the body of the LED workers the light-ports commands start (tests record them);
    // empty keeps the service's.
    LedWorker ledWorker = {};
    // Whether a new-task notice may go to the system tray where one exists (else in the window).
    bool useTray = true;
};

class MainWindow final : public QWidget {
public:
    explicit MainWindow(MainWindowOptions options = {});
    ~MainWindow() override;

    // The facade over this window, callable from any thread while the window lives.
    runtime::Window& window();
    // The same object with its test hooks (input-box answers, canvas lines, view sync).
    QtWindow& qtWindow();

    // The control with this layout name (controls.h), or nullptr.
    QWidget* control(std::string_view name) const;
    // Pop-up menu root "c" or "c1", or nullptr.
    QMenu* menu(std::string_view root) const;
    // The item of a pop-up menu with this caption (UTF-8), or nullptr.
    QAction* menuItem(std::string_view root, std::string_view caption) const;

    // Brings every list view up to date with its rows now (GUI thread), e.g. before a grab.
    void syncViews();

    const std::string& settingsFile() const;
    // The key of the signed-in session; empty while nobody is signed in.
    runtime::Text signedInKey() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace app
