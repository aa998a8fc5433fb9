#pragma once
// The two pop-up menus: "c" for the device list, "c1" for the port list. Each item's caption is
// its objectName; its identifier is the dynamic property "id".

#include <map>
#include <string>

class QMenu;
class QWidget;

namespace app {

using Menus = std::map<std::string, QMenu*, std::less<>>;

Menus buildMenus(QWidget& window);

} // namespace app
