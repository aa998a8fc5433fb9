#include "app/creation_handler.h"

#include "app/qt_text.h"
#include "app/settings.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "runtime/window.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>

#include "overlay/mask_overlay.h"

namespace app {
namespace {

// The window owns the overlay worker like any other: it asks for the mask and ends, and the mask
// goes with it, as a window goes with the thread that made it.
void startOverlayWorker(runtime::Window& window, QWidget& shapeBox) {
    window.startWorker([target = &shapeBox](std::int32_t) { overlay::maskShapeBox(target); });
}

} // namespace

void runCreationHandler(const CreationContext& context) {
    {
        // Restoring the filter is not an edit: it must not write the file back.
        const QSignalBlocker quiet(&context.filterBox);
        context.filterBox.setText(toQString(readFilter(context.settingsFile)));
    }
    const runtime::Text route = readRoute(context.settingsFile);
    for (std::size_t i = 0; i < kRouteChoices.size(); ++i) {
        if (kRouteChoices[i].setting == route && context.routeButtons[i] != nullptr) {
            // Restoring the route is not a choice: it must not write the file back.
            const QSignalBlocker quiet(context.routeButtons[i]);
            context.routeButtons[i]->setChecked(true);
        }
    }
    runtime::ledLock = runtime::createLock();
    context.window.setText(controls::kKeyBox, readKey(context.settingsFile));
    runtime::setLedDuration(runtime::LedDuration::TwentyMinutes);
    if (context.startOverlay) {
        startOverlayWorker(context.window, context.shapeBox);
    }
}

bool saveKeyOnClose(runtime::Window& window, const std::string& settingsFile) {
    return writeKey(settingsFile, window.text(controls::kKeyBox));
}

} // namespace app
