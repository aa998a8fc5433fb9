#pragma once
// The window-creation handler and the closing handler.

#include <array>
#include <string>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace runtime {
class Window;
}

namespace app {

struct CreationContext {
    runtime::Window& window;
    QLineEdit& filterBox;
    QWidget& shapeBox;
    std::string settingsFile;
    bool startOverlay = true;
    // The route radio buttons, in the order of kRouteChoices.
    std::array<QAbstractButton*, 3> routeButtons{};
};

// Restores the filter, the key and the remembered route from pz.ini, creates ledLock, sets
// ledMode = 1 and starts the overlay worker (owned by the window). A line in the log panel says
// where the settings live when that is not beside the executable, and when pz.ini could not be
// read.
void runCreationHandler(const CreationContext& context);

// Saves the key box (and a filter still waiting to be written) to pz.ini; false when the file
// cannot be written. An empty key box is not written when the key could not be read at start:
// the stored key was never in the box.
bool saveKeyOnClose(runtime::Window& window, const std::string& settingsFile);

} // namespace app
