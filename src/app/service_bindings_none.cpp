#include "app/service_bindings.h"

namespace app {

// Built when the service library is not part of the build: every action stays empty.
ServiceActions serviceActions() {
    return {};
}

} // namespace app
