#pragma once
// The main window's fixed layout: every control with its layout name (the widget's objectName),
// identifier (dynamic property "id"), parent, geometry and caption.

#include <QString>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class QTreeView;
class QWidget;

namespace app {

class ListModel;
class LogCanvas;

inline constexpr std::uint32_t kMainWindowId = 0x52010001;
inline constexpr int kMainWindowLeft = 50;
inline constexpr int kMainWindowTop = 50;
inline constexpr int kMainWindowWidth = 1158;
inline constexpr int kMainWindowHeight = 694;

// The button that cancels the wait for a request started on the window's thread, shown next to
// the busy animation while such a wait runs.
inline constexpr std::string_view kCancelWaitButton = "取消按钮";

// Property holding a control's or menu item's 32-bit identifier.
inline constexpr char kIdProperty[] = "id";

struct Controls {
    std::map<std::string, QWidget*, std::less<>> widgets;
    std::map<std::string, ListModel*, std::less<>> lists;
    std::map<std::string, QTreeView*, std::less<>> views;
    std::map<std::string, LogCanvas*, std::less<>> canvases;
};

// Builds every control inside window (which takes ownership) and sizes the window.
Controls buildLayout(QWidget& window);

} // namespace app
