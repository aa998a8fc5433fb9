#include "app/menus.h"

#include "app/layout.h"
#include "app/qt_text.h"
#include "runtime/controls.h"

#include <QAction>
#include <QMenu>

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace app {
namespace {

struct Item {
    std::uint32_t id;
    std::string_view caption;
};

QMenu* buildMenu(QWidget& window, std::string_view root, std::uint32_t id,
                 std::initializer_list<Item> items) {
    auto* menu = new QMenu(&window);
    menu->setObjectName(fromUtf8(root));
    menu->setProperty(kIdProperty, static_cast<quint32>(id));
    menu->setFont(window.font());
    for (const Item& item : items) {
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
                  buildMenu(window, controls::kDeviceMenu, 0x2601320C,
                            {{0x2601320D, "查看没插好端口"},
                             {0x26016FAF, "查看最新任务"},
                             {0x26016FB0, "查看"},
                             {0x26016A33, "刷新"},
                             {0x26017201, "重新登录"}}));
    menus.emplace(std::string(controls::kPortMenu),
                  buildMenu(window, controls::kPortMenu, 0x2601638B,
                            {{0x26016F75, "已拔出清除"},
                             {0x260170E5, "全部复制"},
                             {0x2601711C, "全选"},
                             {0x2601711D, "关键词勾选"},
                             {0x2601711E, "取消全选"},
                             {0x2601712C, "点亮勾选端口10分钟"},
                             {0x26017152, "点亮勾选端口20分钟"}}));
    return menus;
}

} // namespace app
