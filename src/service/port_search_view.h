#pragma once
// The search box's two halves on the window: every pool's last port query searched and shown in
// the port list (the pool in its last column), or the selected pool's own last query shown back.
// Neither sends a request: they show what the session's snapshot holds.

#include "runtime/window.h"
#include "service/snapshot.h"

#include <string_view>

namespace service {

// The port list's column that names each result's pool.
inline constexpr int kSearchPoolColumn = 3;

// Keeps a port query of every pool (刷新, the automatic check) as each pool's last query.
void rememberEveryPoolsPorts(Snapshot& snapshot, const PortRows& ports);

// The ports of every pool whose name or status holds needle, pool by pool; 端口数量 counts them.
void showSearchResults(runtime::Window& window, const Snapshot& snapshot, std::string_view needle);

// A listing of the port list's own (查看最新任务, 查看没插好端口) ends any search: the box is
// emptied, which hides the pool column and searches nothing again.
void endPortSearch(runtime::Window& window);

// The selected pool's last query, as 查看最新任务 showed it (an empty list when it has none).
void showSelectedPoolPorts(runtime::Window& window, const Snapshot& snapshot);

} // namespace service
