#include "app/service_bindings.h"

#include "service/operations.h"
#include "service/session.h"

#include <memory>

namespace app {

ServiceActions serviceActions(std::shared_ptr<service::StatisticsSink> history) {
    // The operator is signed in with one session at a time; the window's thread alone touches it.
    auto current = std::make_shared<std::shared_ptr<service::Session>>();
    const auto endCurrent = [current] {
        if (*current) {
            (*current)->end();
            current->reset();
        }
    };

    ServiceActions actions;
    actions.signIn = [current, endCurrent, history](runtime::Window& window) {
        // A new sign-in replaces whatever the previous one started.
        endCurrent();
        service::signIn(window,
                        [current, history](const std::shared_ptr<service::Session>& session) {
                            session->setStatisticsSink(history);
                            *current = session;
                        });
    };
    actions.prepareSignInAgain = [endCurrent](runtime::Window& window) {
        endCurrent();
        service::prepareSignInAgain(window);
    };
    // The operations of a signed-in operator run on the session's window (bindings.cpp): without
    // a session there is nobody to ask the service for.
    const auto ofSession = [](void (*operation)(service::Session&)) {
        return [operation](runtime::Window& window) {
            if (service::Session* session = service::Session::of(window)) {
                operation(*session);
            }
        };
    };
    actions.listUnseatedSlots = ofSession(service::listUnseatedSlots);
    actions.markPoolsWithNewTasks = ofSession(service::markPoolsWithNewTasks);
    actions.deletePortsInBatches = ofSession(service::deletePortsInBatches);
    actions.checkPortsByKeyword = [](runtime::Window& window) {
        service::checkPortsByKeyword(window);
    };
    actions.listPorts = ofSession(service::listPorts);
    actions.lightPortLed = [](runtime::Window& window, int row) {
        if (service::Session* session = service::Session::of(window)) {
            service::lightPortLed(*session, row);
        }
    };
    actions.sessionWindow = [current](runtime::Window& window) {
        if (const std::shared_ptr<service::Session>& session = *current) {
            return std::shared_ptr<runtime::Window>(session, &session->window());
        }
        return std::shared_ptr<runtime::Window>(std::shared_ptr<void>(), &window);
    };
    actions.endSession = endCurrent;
    actions.signedInKey = [current] { return *current ? (*current)->key() : runtime::Text(); };
    actions.currentSession = [current] { return *current; };
    return actions;
}

} // namespace app
