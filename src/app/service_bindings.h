#pragma once
// The card-pool operations the window's events start. Without the service library linked the
// actions are empty and their menu items and button do nothing.

#include "app/port_commands.h"
#include "runtime/window.h"

#include <functional>

namespace app {

using WindowAction = std::function<void(runtime::Window&)>;

struct ServiceActions {
    // Run on the GUI thread.
    WindowAction signIn;
    WindowAction prepareSignInAgain;
    WindowAction listUnseatedSlots;
    WindowAction markPoolsWithNewTasks;
    WindowAction deletePortsInBatches;
    WindowAction checkPortsByKeyword;
    // Worker bodies.
    WindowAction listPorts;
    LedWorker lightPortLed;
};

ServiceActions serviceActions();

} // namespace app
