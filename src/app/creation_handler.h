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
// ledMode = 1 and starts the overlay worker (not waited for).
void runCreationHandler(const CreationContext& context);

// Saves the key box to pz.ini; false when the file cannot be written.
bool saveKeyOnClose(runtime::Window& window, const std::string& settingsFile);

} // namespace app
