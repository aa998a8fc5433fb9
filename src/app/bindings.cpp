#include "app/bindings.h"

#include "app/list_model.h"
#include "app/port_commands.h"
#include "app/qt_text.h"
#include "app/qt_window.h"
#include "app/settings.h"
#include "runtime/controls.h"
#include "runtime/threads.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include <memory>

namespace app {
namespace {

// Menu items run once the menu has closed, like a command picked from it.
void onItem(QWidget& context, const Menus& menus, std::string_view root, std::string_view caption,
            std::function<void()> action) {
    const auto found = menus.find(root);
    if (found == menus.end()) {
        return;
    }
    QAction* item = found->second->findChild<QAction*>(fromUtf8(caption));
    if (!item) {
        return;
    }
    QObject::connect(item, &QAction::triggered, &context, std::move(action), Qt::QueuedConnection);
}

} // namespace

void bindEvents(QWidget& mainWindow, BindingContext context) {
    using namespace controls;
    QtWindow& window = context.window;
    const Controls& controls = window.controls();
    const auto shared = std::make_shared<const ServiceActions>(std::move(context.actions));

    if (auto* filter = qobject_cast<QLineEdit*>(controls.widgets.at(std::string(kFilterBox)))) {
        QObject::connect(filter, &QLineEdit::textChanged, &mainWindow,
                         [file = context.settingsFile](const QString& text) {
                             // A failed write is not reported: the next keystroke tries again.
                             writeFilter(file, toGbk(text));
                         });
    }
    for (const RouteChoice& route : kRouteChoices) {
        auto* radio = qobject_cast<QAbstractButton*>(controls.widgets.at(std::string(route.radio)));
        if (radio == nullptr) {
            continue;
        }
        QObject::connect(radio, &QAbstractButton::toggled, &mainWindow,
                         [file = context.settingsFile, setting = route.setting](bool checked) {
                             if (checked) {
                                 writeRoute(file, setting);
                             }
                         });
    }
    if (auto* button =
            qobject_cast<QPushButton*>(controls.widgets.at(std::string(kSignInButton)))) {
        QObject::connect(button, &QPushButton::clicked, &mainWindow, [&window, shared] {
            if (shared->signIn) {
                shared->signIn(window);
            }
        });
    }
    const std::pair<std::string_view, std::string_view> listMenus[] = {{kDeviceList, kDeviceMenu},
                                                                       {kPortList, kPortMenu}};
    for (const auto& [list, root] : listMenus) {
        QTreeView* view = controls.views.at(std::string(list));
        QObject::connect(view, &QWidget::customContextMenuRequested, &mainWindow,
                         [&window, root = root] { window.popUpMenu(root); });
    }

    const auto onGuiThread = [&window, shared](WindowAction ServiceActions::*member) {
        return [&window, shared, member] {
            if (const WindowAction& action = (*shared).*member) {
                action(window);
            }
        };
    };
    const Menus& menus = context.menus;
    onItem(mainWindow, menus, kDeviceMenu, "查看没插好端口",
           onGuiThread(&ServiceActions::listUnseatedSlots));
    onItem(mainWindow, menus, kDeviceMenu, "查看最新任务", [&window, shared] {
        if (shared->listPorts) {
            runtime::startWorker([&window, shared](std::int32_t) { shared->listPorts(window); });
        }
    });
    onItem(mainWindow, menus, kDeviceMenu, "刷新",
           onGuiThread(&ServiceActions::markPoolsWithNewTasks));
    onItem(mainWindow, menus, kDeviceMenu, "重新登录",
           onGuiThread(&ServiceActions::prepareSignInAgain));
    onItem(mainWindow, menus, kPortMenu, "已拔出清除",
           [&window, report = onGuiThread(&ServiceActions::deletePortsInBatches)] {
               const QString question = pulledOutQuestion(window);
               if (question.isEmpty() || window.confirm(question)) {
                   report();
               }
           });
    onItem(mainWindow, menus, kPortMenu, "全部复制", [&window] { copyAllPorts(window); });
    onItem(mainWindow, menus, kPortMenu, "全选", [&window] { setAllPortsChecked(window, 1); });
    onItem(mainWindow, menus, kPortMenu, "关键词勾选",
           onGuiThread(&ServiceActions::checkPortsByKeyword));
    onItem(mainWindow, menus, kPortMenu, "取消全选", [&window] { setAllPortsChecked(window, 0); });
    onItem(mainWindow, menus, kPortMenu, "点亮勾选端口10分钟",
           [&window, shared] { lightCheckedPorts(window, 2, shared->lightPortLed); });
    onItem(mainWindow, menus, kPortMenu, "点亮勾选端口20分钟",
           [&window, shared] { lightCheckedPorts(window, 1, shared->lightPortLed); });
}

} // namespace app
