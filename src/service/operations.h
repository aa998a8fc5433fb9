#pragma once
// The card-pool operations, as the main window's bindings start them. Every operation talks to
// the window only through the Window facade, so it runs headless against a MemoryWindow.
// "Worker" entries are thread bodies: the caller starts them with runtime::startWorker.

#include "runtime/text.h"
#include "runtime/window.h"
#include "service/requests.h"
#include "service/session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace service {

using SessionEstablished = std::function<void(const std::shared_ptr<Session>&)>;
// Button "确定" (window thread): route choice, sign-in request; on success a session is made
// (handed to `established` at once), its refresh worker started, and it is returned; null
// otherwise.
std::shared_ptr<Session> signIn(runtime::Window& window,
                                const SessionEstablished& established = {});
// "重新登录" (window thread), after the session ended: empties the pool, port and statistics
// lists and brings the sign-in panel back with the key and route as they were.
void prepareSignInAgain(runtime::Window& window);
// Worker: pool list into 超级列表框1 and 超级列表框5, then the statistics watch is started
// (through the window, so that a session's refresh starts its session's watch).
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

// Worker, one per checked row of 超级列表框2: reads the row's port name once, then lights it.
void lightPortLed(runtime::Window& window, std::int32_t row);
// "已拔出清除" (window thread).
void deletePortsInBatches(runtime::Window& window);
// Worker started by the refresh; loops until a pass ends on the pool "xxx" or its worker is
// asked to stop (its session or its window ended).
void watchPoolStatistics(runtime::Window& window);
// "刷新" (window thread).
void markPoolsWithNewTasks(runtime::Window& window);

} // namespace service
