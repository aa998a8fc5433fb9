#include "app/menus.h"

#include "app/layout.h"
#include "app/qt_text.h"
#include "runtime/controls.h"

#include <QAction>
#include <QMenu>

#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace app {
namespace {

template <std::size_t N>
QMenu* buildMenu(QWidget& window, std::string_view root, std::uint32_t id,
                 const std::array<MenuItem, N>& items) {
    auto* menu = new QMenu(&window);
    menu->setObjectName(fromUtf8(root));
    menu->setProperty(kIdProperty, static_cast<quint32>(id));
    menu->setFont(window.font());
    for (const MenuItem& item : items) {
        QAction* action = menu->addAction(fromUtf8(item.caption));
        action->setObjectName(fromUtf8(item.caption));
        action->setProperty(kIdProperty, static_cast<quint32>(item.id));
    }
    return menu;
}

} // namespace

Menus buildMenus(QWidget& window) {
    Menus menus;
    menus.emplace(std::string(controls::kDeviceMenu),
                  buildMenu(window, controls::kDeviceMenu, kDeviceMenuId, kDeviceMenuItems));
    menus.emplace(std::string(controls::kPortMenu),
                  buildMenu(window, controls::kPortMenu, kPortMenuId, kPortMenuItems));
    return menus;
}

QAction* findMenuItem(const Menus& menus, const MenuItem& item) {
    const auto found = menus.find(item.menu);
    return found == menus.end() ? nullptr
                                : found->second->findChild<QAction*>(fromUtf8(item.caption));
}

void bindMenuItem(QObject& context, const Menus& menus, const MenuItem& item,
                  std::function<void()> action) {
    QAction* found = findMenuItem(menus, item);
    if (found == nullptr) {
        // A typo in a caption must not leave an item silently doing nothing.
        throw std::logic_error("menu item cannot be bound: " + std::string(item.menu) + "/" +
                               std::string(item.caption));
    }
    // Menu items run once the menu has closed, like a command picked from it.
    QObject::connect(found, &QAction::triggered, &context, std::move(action), Qt::QueuedConnection);
}

} // namespace app
