#pragma once
// The mask overlay: a frameless, black, translucent (150/255), mouse-transparent, non-activating
// top-level window that covers the client area of the target's top-level window (the covered
// window), follows it when it or any hooked ancestor moves, and goes away when its target is
// destroyed or a new overlay is requested for the same target.
//
// Per-overlay state lives in dynamic properties:
//   target:                     "VeilMask_hWnd"  the overlay handle
//   target and every ancestor:  "VeilMask_Proc"  non-zero while the window is hooked
//   overlay window:             "VeilMask_Rgn", "VeilMask_Blur", "VeilMask_Brush"  (all 0)
// The hook on a window is an event filter acting on Move (layoutOverlay) and on the window's
// destruction (removeOverlay), nothing else (resizes included).
//
// Every operation may be called from any thread: the work is done on the GUI thread (a direct
// call there, a blocking queued call from elsewhere). An overlay requested from a thread other
// than the GUI thread is removed when that thread ends, as a window goes away with the thread
// that created it; one requested on the GUI thread lives until its target is destroyed or a
// new request replaces it. Without a QApplication nothing is created and 0 is returned.

#include <cstdint>
#include <string_view>

class QWidget;

namespace overlay {

// Opaque, non-zero identifier of a live overlay; 0 means none. Identifiers are never reused.
using OverlayHandle = std::uintptr_t;

inline constexpr int overlayAlpha = 150;
inline constexpr std::u16string_view overlayClassName = u"VeilMask";

inline constexpr const char* hWndProperty = "VeilMask_hWnd";
inline constexpr const char* procProperty = "VeilMask_Proc";
inline constexpr const char* rgnProperty = "VeilMask_Rgn";
inline constexpr const char* blurProperty = "VeilMask_Blur";
inline constexpr const char* brushProperty = "VeilMask_Brush";

// Covers target's top-level window; the new overlay is appended to runtime's maskList.
// 0 when target is not a live widget (nullptr, dangling or unknown pointer): nothing changes.
OverlayHandle showOverlay(QWidget* target);

// The application's one request: showOverlay(shapeBox).
OverlayHandle maskShapeBox(QWidget* shapeBox);

// Destroys the overlay, clears its properties and the target's "VeilMask_hWnd", and unhooks
// the target and every ancestor that no longer carries an overlay of its own. An unknown or
// already removed handle is ignored.
void removeOverlay(OverlayHandle overlay);

// Moves the overlay onto the covered window's client area (screen position and size).
void layoutOverlay(OverlayHandle overlay);

// Records the overlay window class; module 0 is the program's own. True when the class is known
// afterwards (already known counts); false for an empty name.
bool registerOverlayClass(std::u16string_view className, std::uintptr_t module = 0);

// The overlay's window, or nullptr when the handle is not a live overlay. GUI thread only.
QWidget* overlayWindow(OverlayHandle overlay);

} // namespace overlay
