#include "overlay/thread_overlays.h"

#include "overlay/gui_call.h"
#include "overlay/overlay_operations.h"

#include <QCoreApplication>

#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32

// MinGW keeps thread_local objects in emulated TLS, whose storage can be freed before the
// object's destructor runs at thread exit; a fiber-local slot's callback runs while the thread
// is still whole, so the list lives on the heap and that callback destroys it.
void WINAPI destroyThreadOverlays(void* overlays) {
    delete static_cast<ThreadOverlays*>(overlays);
}

ThreadOverlays& threadOverlays() {
    static const DWORD slot = FlsAlloc(destroyThreadOverlays);
    auto* overlays = static_cast<ThreadOverlays*>(FlsGetValue(slot));
    if (overlays == nullptr) {
        overlays = new ThreadOverlays;
        FlsSetValue(slot, overlays);
    }
    return *overlays;
}

#else

ThreadOverlays& threadOverlays() {
    thread_local ThreadOverlays overlays;
    return overlays;
}

#endif

} // namespace

void removeWhenThisThreadEnds(OverlayHandle overlay) {
    threadOverlays().add(overlay);
}

} // namespace overlay::detail
