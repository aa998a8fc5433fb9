#pragma once
// The card-pool operations, as the main window's bindings start them: the showing halves, which
// take what the reading halves (reading.h) return and put it on view exactly as the operator
// knows it. Every operation of a signed-in operator takes the Session and talks to the window
// only through the session's window, so it runs headless against a MemoryWindow and an ended
// session's work writes nothing. "Worker" entries are thread bodies, started through the session.

#include "runtime/text.h"
#include "runtime/window.h"
#include "service/reading.h"
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
// Worker: pool list into 超级列表框1 and 超级列表框5, then the session's statistics watch is
// started.
void refreshPools(Session& session);
// Worker for "查看最新任务": pending ports of the selected pool into 超级列表框2.
void listPorts(Session& session);
// "关键词勾选" (window thread; no request).
void checkPortsByKeyword(runtime::Window& window);
// "查看没插好端口" (window thread).
void listUnseatedSlots(Session& session);

// Worker, one per checked row of 超级列表框2: reads the row's port name once, then lights it
// (lightNamedPort).
LedOutcome lightPortLed(Session& session, std::int32_t row);
// Lights port for duration and writes the line that says how it went: port + "点亮成功", or the
// failure line after the last try; none when the worker was asked to stop.
LedOutcome lightNamedPort(Session& session, std::string_view port, runtime::LedDuration duration);
// Why an outcome that is not lit did not light: what the failure line says after its colon.
Text ledFailureReason(const LedOutcome& outcome);
// The port list's showing pieces: one port appended as a row (its index), and 端口数量 set to
// the rows listed.
int appendPortRow(runtime::Window& window, const PortRows::View& port);
void showPortCount(runtime::Window& window);
// "已拔出清除" (window thread): reads the listed ports once, then reports them.
void deletePortsInBatches(Session& session);
DeletionBatch readDeletionBatch(runtime::Window& window);
void reportPulledPorts(Session& session, const DeletionBatch& batch);
// Worker started by the refresh; loops until a pass ends on the pool "xxx" or its worker is
// asked to stop (its session or its window ended).
void watchPoolStatistics(Session& session);
// "刷新" (window thread).
void markPoolsWithNewTasks(Session& session);
// Its showing half: marks the rows of 超级列表框1 whose pool owns one of ports.
void showNewTaskMarks(runtime::Window& window, const PortRows& ports);

} // namespace service
