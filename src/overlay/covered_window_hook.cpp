#include "overlay/covered_window_hook.h"

#include "overlay/mask_overlay.h"
#include "overlay/overlay_operations.h"
#include "overlay/overlay_registry.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QVariant>

namespace overlay::detail {

CoveredWindowHook* CoveredWindowHook::instance() {
    static QPointer<CoveredWindowHook> hook;
    if (hook.isNull() && QCoreApplication::instance() != nullptr) {
        hook = new CoveredWindowHook(QCoreApplication::instance());
    }
    return hook.data();
}

CoveredWindowHook::CoveredWindowHook(QObject* parent) : QObject(parent) {}

void CoveredWindowHook::hook(QWidget* window) {
    if (isHooked(window)) {
        return;
    }
    window->installEventFilter(this);
    m_hooked.emplace(window, connect(window, &QObject::destroyed, this,
                                     [this](QObject* dying) { onDestroyed(dying); }));
    window->setProperty(procProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
}

void CoveredWindowHook::unhook(QWidget* window, bool dying) {
    const auto it = m_hooked.find(window);
    if (it == m_hooked.end()) {
        return;
    }
    disconnect(it->second);
    m_hooked.erase(it);
    if (!dying) {
        window->removeEventFilter(this);
        window->setProperty(procProperty, QVariant());
    }
}

bool CoveredWindowHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Move) {
        for (const OverlayHandle handle : OverlayRegistry::instance().handlesWithin(watched)) {
            layoutOverlayNow(handle);
        }
    }
    return QObject::eventFilter(watched, event);
}

void CoveredWindowHook::onDestroyed(QObject* window) {
    // Overlays of children go too: the children are destroyed right after their parent.
    for (const OverlayHandle handle : OverlayRegistry::instance().handlesWithin(window)) {
        removeOverlayNow(handle, window);
    }
    const auto it = m_hooked.find(window);
    if (it != m_hooked.end()) {
        disconnect(it->second);
        m_hooked.erase(it);
    }
}

} // namespace overlay::detail
