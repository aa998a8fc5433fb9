#include "overlay/thread_overlays.h"

#include "overlay/gui_call.h"
#include "overlay/overlay_operations.h"

#include <QCoreApplication>

#include <vector>

namespace overlay::detail {

namespace {

class ThreadOverlays final {
public:
    ThreadOverlays() = default;
    ThreadOverlays(const ThreadOverlays&) = delete;
    ThreadOverlays& operator=(const ThreadOverlays&) = delete;

    ~ThreadOverlays() {
        QCoreApplication* app = QCoreApplication::instance();
        if (m_handles.empty() || app == nullptr) {
            return;
        }
        // Queued, never blocking: the GUI thread may be busy or about to quit. A handle that
        // was replaced or removed meanwhile is ignored there.
        postToGuiThread(app, [handles = std::move(m_handles)] {
            for (const OverlayHandle handle : handles) {
                removeOverlayNow(handle);
            }
        });
    }

    void add(OverlayHandle handle) { m_handles.push_back(handle); }

private:
    std::vector<OverlayHandle> m_handles;
};

thread_local ThreadOverlays t_threadOverlays;

} // namespace

void removeWhenThisThreadEnds(OverlayHandle overlay) {
    t_threadOverlays.add(overlay);
}

} // namespace overlay::detail
