#pragma once
// The card-pool operations, as the main window's bindings start them. Every operation talks to
// the window only through the Window facade, so it runs headless against a MemoryWindow.
// "Worker" entries are thread bodies: the caller starts them with runtime::startWorker.

#include "runtime/text.h"
#include "runtime/window.h"
#include "service/requests.h"

#include <cstdint>
#include <vector>

namespace service {

// Button "确定" (window thread): route choice, sign-in request, refresh worker started.
void signIn(runtime::Window& window);
// "重新登录" (window thread): ends the statistics watch, empties the pool, port and statistics
// lists and brings the sign-in panel back with the key and route as they were.
void prepareSignInAgain(runtime::Window& window);
// Worker: pool list into 超级列表框1 and 超级列表框5, then the statistics watch is started.
void refreshPools(runtime::Window& window);
// The pending-port request for the key.
Reply queryPorts(std::string_view key);
// The port names of a pending-port reply, one per "name|status" line.
std::vector<runtime::Text> portNamesOf(std::string_view reply);
// Worker for "查看最新任务": pending ports of the selected pool into 超级列表框2.
void listPorts(runtime::Window& window);
// "关键词勾选" (window thread).
void checkPortsByKeyword(runtime::Window& window);
// "查看没插好端口" (window thread).
void listUnseatedSlots(runtime::Window& window);

// Worker, one per checked row of 超级列表框2.
void lightPortLed(runtime::Window& window, std::int32_t row);
// "已拔出清除" (window thread).
void deletePortsInBatches(runtime::Window& window);
// Worker started by the refresh; loops until a pass ends on the pool "xxx" or a sign-in again
// ends the watches started before it.
void watchPoolStatistics(runtime::Window& window);
void endStatisticsWatches();
// "刷新" (window thread).
void markPoolsWithNewTasks(runtime::Window& window);

} // namespace service
