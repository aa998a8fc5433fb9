#pragma once
// The card-pool operations the window's events start. Tests of the window alone hand it empty
// actions, whose menu items and button then do nothing.

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
