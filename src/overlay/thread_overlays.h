#pragma once
// Overlays requested from a thread other than the GUI thread go away when that thread ends,
// the way a window goes away with the thread that created it: each such thread keeps the
// handles it got, and on thread exit queues their removal onto the GUI thread.

#include "overlay/mask_overlay.h"

namespace overlay::detail {

void removeWhenThisThreadEnds(OverlayHandle overlay);

} // namespace overlay::detail
