#pragma once
// What watches for the operator: the automatic new-task check with its notice (menu item
// "自动检查新任务…") and the LED panel on the page "点灯". Built into the main window after its
// layout and menus, before its events are bound.

#include "app/menus.h"
#include "app/service_bindings.h"

#include <string>

class QWidget;

namespace app {

class AutoCheck;
class LedPanel;
class QtWindow;
class TaskNotice;

struct OperatorAidsOptions {
    std::string settingsFile;
    // Whether the port list's LED workers record into the panel (false keeps actions' worker).
    bool recordLightings = true;
    // Whether a notice may go to the system tray when one exists.
    bool useTray = true;
};

// Adds the aids to mainWindow; actions gains the panel's LED worker.
void addOperatorAids(QWidget& mainWindow, QtWindow& window, const Menus& menus,
                     ServiceActions& actions, const OperatorAidsOptions& options);

// The aids of a main window built with addOperatorAids.
LedPanel* ledPanelOf(QWidget& mainWindow);
AutoCheck* autoCheckOf(QWidget& mainWindow);
TaskNotice* taskNoticeOf(QWidget& mainWindow);

// The operator chose "自动检查新任务…": asks for the interval and switches the check.
void askCheckInterval(QtWindow& window, AutoCheck& check);

// Raises the window with pool selected in 超级列表框1 and its pending ports being listed
// ("查看最新任务").
void showPoolPorts(QWidget& mainWindow, QtWindow& window, const Menus& menus,
                   const runtime::Text& pool);

} // namespace app
