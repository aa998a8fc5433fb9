#pragma once
// The window-creation handler and the closing handler.

#include <string>

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
};

// Restores the filter and the key from pz.ini, creates ledLock, points routeHost at the
// Netherlands route, sets ledMode = 1 and starts the overlay worker (not waited for).
void runCreationHandler(const CreationContext& context);

// Saves the key box to pz.ini; false when the file cannot be written.
bool saveKeyOnClose(runtime::Window& window, const std::string& settingsFile);

} // namespace app
