#pragma once
// The overlay operations proper; GUI thread only (the public functions marshal to it).

#include "overlay/mask_overlay.h"

class QObject;

namespace overlay::detail {

OverlayHandle showOverlayNow(QWidget* target);
// dying: a window of the overlay's parent chain that is being destroyed and must not be
// called into beyond dropping the hook's bookkeeping.
void removeOverlayNow(OverlayHandle overlay, const QObject* dying = nullptr);
void layoutOverlayNow(OverlayHandle overlay);

} // namespace overlay::detail
