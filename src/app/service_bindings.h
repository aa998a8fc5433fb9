#pragma once
// The card-pool operations the window's events start, and the session they work under. Tests of
// the window alone hand it empty actions, whose menu items and button then do nothing.

#include "app/port_commands.h"
#include "runtime/window.h"
#include "service/session.h"
#include "service/statistics_sink.h"

#include <functional>
#include <memory>

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
    // The window as the signed-in session's work sees it (workers started through it belong to
    // the session), holding the session while it is used; the window itself while nobody is
    // signed in. Empty: the window itself.
    std::function<std::shared_ptr<runtime::Window>(runtime::Window&)> sessionWindow;
    // Ends the signed-in session, if any (the window is closing).
    std::function<void()> endSession;
    // The key the operator is signed in with; empty while nobody is.
    std::function<runtime::Text()> signedInKey;
    // The signed-in session; null while nobody is.
    std::function<std::shared_ptr<service::Session>()> currentSession;
};

// history: where each signed-in session's statistics watch hands its passes; none when null.
ServiceActions serviceActions(std::shared_ptr<service::StatisticsSink> history = nullptr);

} // namespace app
