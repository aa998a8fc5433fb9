#pragma once
// The program: start-up in order, the main window, the event loop.

#include <functional>

namespace app {

class MainWindow;

// Called once the main window is shown (benchmarks time the start-up with it).
using ShownHook = std::function<void(MainWindow&)>;

int runApplication(int argc, char** argv, const ShownHook& onShown = {});

} // namespace app
