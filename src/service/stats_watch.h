#pragma once
// One pass of the statistics watch, on its own so that it can be measured without the wait
// between passes.

#include "runtime/text.h"
#include "runtime/window.h"

#include <optional>

namespace service {

// Fetches every pool's record of 超级列表框5 once and fills its row; returns the last pool name
// read, nullopt when the list had no row.
std::optional<runtime::Text> readPoolStatisticsOnce(runtime::Window& window);

} // namespace service
