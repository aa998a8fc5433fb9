#pragma once
// The live overlays, by handle. GUI thread only. The registry, not the dynamic properties, is
// what the overlay code trusts: a property can be stale or overwritten by anyone, and a widget
// that is being destroyed no longer answers for its properties.

#include "overlay/mask_overlay.h"

#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace overlay::detail {

struct OverlayRecord {
    OverlayHandle handle = 0;
    QPointer<QWidget> window;
    // Identity only: a record is removed when its target is destroyed.
    QWidget* target = nullptr;
};

class OverlayRegistry final {
public:
    static OverlayRegistry& instance();

    OverlayHandle add(QWidget* window, QWidget* target);
    const OverlayRecord* find(OverlayHandle handle) const;
    std::optional<OverlayRecord> take(OverlayHandle handle);
    void forgetWindow(OverlayHandle handle);

    // The overlay requested for target, or 0.
    OverlayHandle handleOf(const QObject* target) const;
    // Overlays whose target is window itself or lies inside it (same top-level window).
    std::vector<OverlayHandle> handlesWithin(const QObject* window) const;
    bool isNeeded(const QObject* window) const { return !handlesWithin(window).empty(); }

private:
    std::vector<OverlayRecord> m_records;
    OverlayHandle m_nextHandle = 1;
};

} // namespace overlay::detail
