#include "app/operator_aids.h"

#include "app/auto_check.h"
#include "app/led_panel.h"
#include "app/qt_text.h"
#include "app/qt_window.h"
#include "app/settings.h"
#include "app/tab_control.h"
#include "app/task_notice.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QTabBar>
#include <QTreeView>

namespace app {

namespace {

constexpr int kLedPage = 2;
constexpr char kAutoCheckName[] = "autoCheck";
constexpr char kTaskNoticeName[] = "taskNotice";
constexpr char kLedPanelName[] = "ledPanel";

template <typename T> T* namedChild(QWidget& mainWindow, const QString& name) {
    return dynamic_cast<T*>(mainWindow.findChild<QObject*>(name));
}

} // namespace

void addOperatorAids(QWidget& mainWindow, QtWindow& window, const Menus& menus,
                     ServiceActions& actions, const OperatorAidsOptions& options) {
    auto* tabs =
        dynamic_cast<TabControl*>(window.controls().widgets.at(std::string(controls::kTabs)));
    auto* panel = new LedPanel(tabs->page(kLedPage), actions.currentSession);
    panel->setObjectName(QString::fromLatin1(kLedPanelName));
    tabs->tabBar()->setTabToolTip(
        kLedPage, fromUtf8("本客户端点亮的端口和剩余时间。服务没有熄灯的命令：移除一行或"
                           "“全部熄灭提醒”只清除提醒，不发送请求，灯亮到时长结束"));
    if (options.recordLightings) {
        actions.lightPortLed = panel->worker();
    }

    auto* notice = new TaskNotice(
        mainWindow,
        [&mainWindow, &window, &menus](const runtime::Text& pool) {
            showPoolPorts(mainWindow, window, menus, pool);
        },
        options.useTray);
    notice->setObjectName(QString::fromLatin1(kTaskNoticeName));
    auto* check =
        new AutoCheck(&mainWindow, {.settingsFile = options.settingsFile,
                                    .session = actions.currentSession,
                                    .notify = [notice](const auto& gains) { notice->show(gains); },
                                    .minute = std::chrono::minutes(1)});
    check->setObjectName(QString::fromLatin1(kAutoCheckName));
    bindMenuItem(mainWindow, menus, items::kAutoCheck,
                 [&window, check] { askCheckInterval(window, *check); });
}

LedPanel* ledPanelOf(QWidget& mainWindow) {
    return namedChild<LedPanel>(mainWindow, QString::fromLatin1(kLedPanelName));
}

AutoCheck* autoCheckOf(QWidget& mainWindow) {
    return namedChild<AutoCheck>(mainWindow, QString::fromLatin1(kAutoCheckName));
}

TaskNotice* taskNoticeOf(QWidget& mainWindow) {
    return namedChild<TaskNotice>(mainWindow, QString::fromLatin1(kTaskNoticeName));
}

void askCheckInterval(QtWindow& window, AutoCheck& check) {
    const runtime::Text current =
        check.minutes() == 0
            ? runtime::gbk("关闭")
            : runtime::concat({runtime::gbk("每 "),
                               runtime::toText(static_cast<long long>(check.minutes())),
                               runtime::gbk(" 分钟")});
    const runtime::Text answer = window.inputBox(runtime::concat(
        {runtime::gbk("自动检查新任务的间隔（分钟，1-120，0 为关闭）。当前："), current}));
    if (answer.empty()) {
        return; // cancelled
    }
    const std::optional<int> minutes = parseCheckMinutes(answer);
    if (!minutes) {
        window.writeLine(controls::kLogPanel,
                         runtime::gbk("自动检查新任务：间隔须是 0 到 120 的整数，未改变"));
        return;
    }
    const runtime::ProfileWrite written = check.setMinutes(*minutes);
    window.writeLine(controls::kLogPanel,
                     *minutes == 0
                         ? runtime::gbk("自动检查新任务：已关闭")
                         : runtime::concat({runtime::gbk("自动检查新任务：每 "),
                                            runtime::toText(static_cast<long long>(*minutes)),
                                            runtime::gbk(" 分钟一次")}));
    if (written != runtime::ProfileWrite::Written) {
        window.writeLine(controls::kLogPanel, settingsWriteLine(written));
    }
}

void showPoolPorts(QWidget& mainWindow, QtWindow& window, const Menus& menus,
                   const runtime::Text& pool) {
    // Out of the taskbar, in whatever size the operator left it.
    mainWindow.setWindowState((mainWindow.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    mainWindow.show();
    mainWindow.raise();
    mainWindow.activateWindow();
    if (auto* tabs =
            dynamic_cast<TabControl*>(window.controls().widgets.at(std::string(controls::kTabs)))) {
        tabs->setCurrentIndex(0);
    }
    window.syncViews();
    const int row = window.findRow(controls::kDeviceList, pool);
    QTreeView* view = window.controls().views.at(std::string(controls::kDeviceList));
    if (row < 0 || view == nullptr) {
        return; // the pool left the list (a new sign-in, another filter)
    }
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->select(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->setCurrentIndex(index);
    view->scrollTo(index);
    if (QAction* latest = findMenuItem(menus, items::kLatestTasks)) {
        latest->trigger();
    }
}

} // namespace app
