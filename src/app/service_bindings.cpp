#include "app/service_bindings.h"

#include "service/operations.h"

namespace app {

ServiceActions serviceActions() {
    ServiceActions actions;
    actions.signIn = [](runtime::Window& window) { service::signIn(window); };
    actions.prepareSignInAgain = [](runtime::Window& window) {
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
    return actions;
}

} // namespace app
