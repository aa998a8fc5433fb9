#include "app/service_bindings.h"

#include "service/operations.h"
#include "service/session.h"

#include <memory>

namespace app {

ServiceActions serviceActions() {
    // The operator is signed in with one session at a time; the window's thread alone touches it.
    auto current = std::make_shared<std::shared_ptr<service::Session>>();
    const auto endCurrent = [current] {
        if (*current) {
            (*current)->end();
            current->reset();
        }
    };

    ServiceActions actions;
    actions.signIn = [current, endCurrent](runtime::Window& window) {
        // A new sign-in replaces whatever the previous one started.
        endCurrent();
        service::signIn(window, [current](const std::shared_ptr<service::Session>& session) {
            *current = session;
        });
    };
    actions.prepareSignInAgain = [endCurrent](runtime::Window& window) {
        endCurrent();
        service::prepareSignInAgain(window);
    };
    actions.listUnseatedSlots = [](runtime::Window& window) { service::listUnseatedSlots(window); };
    actions.markPoolsWithNewTasks = [](runtime::Window& window) {
        service::markPoolsWithNewTasks(window);
    };
    actions.deletePortsInBatches = [](runtime::Window& window) {
        service::deletePortsInBatches(window);
    };
    actions.checkPortsByKeyword = [](runtime::Window& window) {
        service::checkPortsByKeyword(window);
    };
    actions.listPorts = [](runtime::Window& window) { service::listPorts(window); };
    actions.lightPortLed = [](runtime::Window& window, int row) {
        service::lightPortLed(window, row);
    };
    actions.sessionWindow = [current](runtime::Window& window) {
        if (const std::shared_ptr<service::Session>& session = *current) {
            return std::shared_ptr<runtime::Window>(session, &session->window());
        }
        return std::shared_ptr<runtime::Window>(std::shared_ptr<void>(), &window);
    };
    actions.endSession = endCurrent;
    return actions;
}

} // namespace app
