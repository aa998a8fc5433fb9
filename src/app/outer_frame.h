#pragma once
// Where the layout's window rectangle applies. On Windows it is the outer rectangle, frame
// and title bar included (the controls keep their client-area positions); elsewhere the window
// manager draws the frame and the rectangle is the client area's.

class QPixmap;
class QWidget;

namespace app {

// After the window is shown: on Windows moves and sizes the frame to the layout's rectangle.
void placeOuterFrame(QWidget& window);

// The window as the user sees it: on Windows the screen's pixels of the whole frame, elsewhere
// the client area.
QPixmap grabWholeWindow(QWidget& window);

} // namespace app
