#include "service/pool_membership.h"

#include "runtime/text.h"

namespace service {

bool portBelongsToPool(std::string_view port, std::string_view pool) {
    // GBK trail bytes are never ".", so the first "." byte starts the port's own number.
    const auto dot = port.find('.');
    if (dot == std::string_view::npos || pool.empty()) {
        return runtime::findText(port, pool) >= 0;
    }
    return port.substr(0, dot) == pool;
}

} // namespace service
