#pragma once
// The search box above the lists: what the operator types is looked for in every pool's last
// port query (刷新, the automatic check and 查看最新任务 keep them), and the results replace the
// port list, their pool in its last column, shortly after the typing pauses. Escape or an empty box
// brings the selected pool's ports back; a listing of a pool's own (查看最新任务, 查看没插好端口)
// empties the box and ends the search. Nothing is sent to the service.

#include "app/qt_window.h"
#include "service/session.h"

#include <QLineEdit>

#include <functional>

namespace app {

// session gives the signed-in operator's session, or null before a sign-in.
void bindPortSearch(QLineEdit& box, QtWindow& window, std::function<service::Session*()> session);

} // namespace app
