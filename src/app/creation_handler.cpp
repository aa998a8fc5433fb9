#include "app/creation_handler.h"

#include "app/qt_text.h"
#include "app/settings.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "runtime/threads.h"
#include "runtime/window.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QSignalBlocker>

#include <mutex>
#include <set>

#include "overlay/mask_overlay.h"

namespace app {
namespace {

// The window owns the overlay worker like any other: it asks for the mask and ends, and the mask
// goes with it, as a window goes with the thread that made it.
void startOverlayWorker(runtime::Window& window, QWidget& shapeBox) {
    window.startWorker([target = &shapeBox](std::int32_t) { overlay::maskShapeBox(target); });
}

// Settings files whose key could not be read at start: an empty key box there means "not
// read", and closing must not write it over the stored key.
struct UnreadKeys {
    std::mutex mutex;
    std::set<std::string, std::less<>> files;
};

UnreadKeys& unreadKeys() {
    static UnreadKeys instance;
    return instance;
}

void rememberKeyRead(const std::string& file, bool read) {
    UnreadKeys& unread = unreadKeys();
    const std::scoped_lock lock(unread.mutex);
    if (read) {
        unread.files.erase(file);
    } else {
        unread.files.insert(file);
    }
}

bool keyWasRead(const std::string& file) {
    UnreadKeys& unread = unreadKeys();
    const std::scoped_lock lock(unread.mutex);
    return !unread.files.contains(file);
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
    const std::optional<runtime::Text> key = readStoredKey(context.settingsFile);
    rememberKeyRead(context.settingsFile, key.has_value());
    context.window.setText(controls::kKeyBox, key.value_or(runtime::Text{}));
    if (const runtime::Text line = settingsLocationLine(context.settingsFile); !line.empty()) {
        context.window.writeLine(controls::kLogPanel, line);
    }
    if (!key) {
        context.window.writeLine(controls::kLogPanel,
                                 runtime::gbk("读不出设置文件 pz.ini，其中保存的密钥不会被覆盖"));
    }
    runtime::setLedDuration(runtime::LedDuration::TwentyMinutes);
    if (context.startOverlay) {
        startOverlayWorker(context.window, context.shapeBox);
    }
}

bool saveKeyOnClose(runtime::Window& window, const std::string& settingsFile) {
    // A filter typed just before closing has not reached the file yet.
    const std::optional<runtime::ProfileWrite> filter = writeDeferredFilter(settingsFile);
    const runtime::Text key = window.text(controls::kKeyBox);
    if (key.empty() && !keyWasRead(settingsFile)) {
        return !filter || *filter == runtime::ProfileWrite::Written;
    }
    return writeKey(settingsFile, key) == runtime::ProfileWrite::Written &&
           (!filter || *filter == runtime::ProfileWrite::Written);
}

} // namespace app
