#pragma once
// The port list's own commands: check all, uncheck all, copy all, light checked ports.

#include "runtime/state.h"
#include "runtime/window.h"

#include <QString>

#include <functional>

namespace app {

// Body of one LED worker: lights the port shown in the given row of 超级列表框2.
using LedWorker = std::function<void(runtime::Window& window, int row)>;

// Sets every row of 超级列表框2 to state (1 checked, 0 unchecked).
void setAllPortsChecked(runtime::Window& window, int state);

// Every row as port name + "----" + status + "\r\n", in GBK.
runtime::Text portListText(runtime::Window& window);
// Puts portListText on the clipboard (an empty list gives an empty text).
bool copyAllPorts(runtime::Window& window);

// The question asked before the listed ports are reported as pulled out, naming how many and
// the pools they belong to (the part of a port's name before its first "."); empty for an
// empty list.
QString pulledOutQuestion(runtime::Window& window);

// Sets the LED duration, then starts one worker per checked row of 超级列表框2, each given its
// own row index, waiting 100 ms with the responsive delay after each; unchecked rows are skipped
// at once. Returns the number of workers started.
int lightCheckedPorts(runtime::Window& window, runtime::LedDuration duration,
                      const LedWorker& worker);

} // namespace app
