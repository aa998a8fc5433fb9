#pragma once
// The two pop-up menus: "c" for the device list, "c1" for the port list, built from the items of
// menu_items.h. Each item's caption is its objectName; its identifier is the dynamic property
// "id".

#include "app/menu_items.h"

#include <functional>
#include <map>
#include <string>

class QAction;
class QMenu;
class QObject;
class QWidget;

namespace app {

using Menus = std::map<std::string, QMenu*, std::less<>>;

Menus buildMenus(QWidget& window);
// nullptr when the menu has no such item.
QAction* findMenuItem(const Menus& menus, const MenuItem& item);
// Runs action when the item is picked, once the menu has closed. Throws std::logic_error when
// the item is not in its menu.
void bindMenuItem(QObject& context, const Menus& menus, const MenuItem& item,
                  std::function<void()> action);

} // namespace app
