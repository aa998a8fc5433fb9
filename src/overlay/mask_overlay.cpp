#include "overlay/mask_overlay.h"

#include "overlay/covered_window_hook.h"
#include "overlay/gui_call.h"
#include "overlay/mask_window.h"
#include "overlay/overlay_operations.h"
#include "overlay/overlay_registry.h"
#include "overlay/thread_overlays.h"
#include "runtime/state.h"

#include <QApplication>
#include <QVariant>

#include <optional>

namespace overlay {

namespace detail {

namespace {

bool isLiveWidget(const QWidget* widget) {
    // Compared by address only, so a dangling pointer is never dereferenced.
    return widget != nullptr && QApplication::allWidgets().contains(const_cast<QWidget*>(widget));
}

void clearOverlayProperties(QWidget* window) {
    window->setProperty(rgnProperty, QVariant());
    window->setProperty(blurProperty, QVariant());
    window->setProperty(brushProperty, QVariant());
}

QVariant handleValue(std::uintptr_t value) {
    return QVariant::fromValue(quintptr{value});
}

} // namespace

OverlayHandle showOverlayNow(QWidget* target) {
    CoveredWindowHook* hook = CoveredWindowHook::instance();
    if (hook == nullptr || !isLiveWidget(target)) {
        return 0;
    }
    OverlayRegistry& registry = OverlayRegistry::instance();
    // The registry decides: a "VeilMask_hWnd" left by a window that is gone is just overwritten.
    if (const OverlayHandle previous = registry.handleOf(target); previous != 0) {
        removeOverlayNow(previous);
    }
    if (!registerOverlayClass(overlayClassName)) {
        return 0;
    }

    auto* window = new MaskWindow(target->window());
    const OverlayHandle handle = registry.add(window, target);
    QObject::connect(window, &QObject::destroyed, hook, [handle] {
        // Someone else destroyed the overlay: drop its state, never touch the dying window.
        OverlayRegistry::instance().forgetWindow(handle);
        removeOverlayNow(handle);
    });
    target->setProperty(hWndProperty, handleValue(handle));
    window->setProperty(rgnProperty, handleValue(0));
    window->setProperty(blurProperty, handleValue(0));

    for (QWidget* w = target; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
        hook->hook(w);
    }
    layoutOverlayNow(handle);
    window->setProperty(brushProperty, handleValue(0));
    window->show();

    runtime::appendMask(handle);
    return handle;
}

void removeOverlayNow(OverlayHandle overlay, const QObject* dying) {
    std::optional<OverlayRecord> record = OverlayRegistry::instance().take(overlay);
    if (!record) {
        return;
    }
    if (record->target != dying) {
        record->target->setProperty(hWndProperty, QVariant());
    }
    if (QWidget* window = record->window.data()) {
        clearOverlayProperties(window);
        window->hide();
        window->deleteLater();
    }
    CoveredWindowHook* hook = CoveredWindowHook::instance();
    if (hook == nullptr) {
        return;
    }
    // A window stays hooked while it, or a window inside it, still carries an overlay.
    for (QWidget* w = record->target; w != nullptr;
         w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (!OverlayRegistry::instance().isNeeded(w)) {
            hook->unhook(w, w == dying);
        }
    }
}

void layoutOverlayNow(OverlayHandle overlay) {
    const OverlayRecord* record = OverlayRegistry::instance().find(overlay);
    if (record == nullptr || record->window.isNull()) {
        return;
    }
    QWidget* window = record->window.data();
    QWidget* covered = window->parentWidget();
    if (covered == nullptr) {
        return;
    }
    window->setGeometry(QRect(covered->mapToGlobal(QPoint(0, 0)), covered->size()));
    // No window is cut out of the overlay ("VeilMask_Rgn" is 0): it covers the whole area.
    if (!window->mask().isEmpty()) {
        window->clearMask();
    }
    window->update();
}

} // namespace detail

namespace {

// Widgets exist only under a QApplication: without one nothing runs and the result is empty.
template <typename Function> auto onGuiThreadWithWidgets(Function&& function) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return std::invoke_result_t<Function>();
    }
    return callOnGuiThread(std::forward<Function>(function));
}

} // namespace

OverlayHandle showOverlay(QWidget* target) {
    const bool fromWorker = !onGuiThreadNow();
    const OverlayHandle handle =
        onGuiThreadWithWidgets([target] { return detail::showOverlayNow(target); });
    if (fromWorker && handle != 0) {
        detail::removeWhenThisThreadEnds(handle);
    }
    return handle;
}

OverlayHandle maskShapeBox(QWidget* shapeBox) {
    return showOverlay(shapeBox);
}

void removeOverlay(OverlayHandle overlay) {
    onGuiThreadWithWidgets([overlay] { detail::removeOverlayNow(overlay); });
}

void layoutOverlay(OverlayHandle overlay) {
    onGuiThreadWithWidgets([overlay] { detail::layoutOverlayNow(overlay); });
}

bool registerOverlayClass(std::u16string_view className, std::uintptr_t /*module*/) {
    // Qt windows need no class registration; a nameless class is refused as the system would.
    return !className.empty();
}

QWidget* overlayWindow(OverlayHandle overlay) {
    const detail::OverlayRecord* record = detail::OverlayRegistry::instance().find(overlay);
    return record == nullptr ? nullptr : record->window.data();
}

} // namespace overlay
