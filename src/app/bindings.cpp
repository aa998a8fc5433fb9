#include "app/bindings.h"

#include "app/csv_export.h"
#include "app/history_settings.h"
#include "app/list_model.h"
#include "app/port_commands.h"
#include "app/port_search_box.h"
#include "app/qt_text.h"
#include "app/qt_window.h"
#include "app/settings.h"
#include "app/trend_window.h"
#include "runtime/controls.h"
#include "runtime/live_wait.h"
#include "runtime/threads.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <memory>

namespace app {

void bindEvents(QWidget& mainWindow, BindingContext context) {
    using namespace controls;
    QtWindow& window = context.window;
    const Controls& controls = window.controls();
    const auto shared = std::make_shared<const ServiceActions>(std::move(context.actions));

    if (auto* filter = qobject_cast<QLineEdit*>(controls.widgets.at(std::string(kFilterBox)))) {
        // Written once typing pauses, not on every keystroke: a write costs milliseconds, more on
        // a network share or under a virus scanner.
        auto* pause = new QTimer(filter);
        pause->setSingleShot(true);
        pause->setInterval(kFilterWritePauseMs);
        QObject::connect(filter, &QLineEdit::textChanged, pause,
                         [pause, file = context.settingsFile](const QString& text) {
                             deferFilterWrite(file, toGbk(text));
                             pause->start();
                         });
        QObject::connect(pause, &QTimer::timeout, &mainWindow,
                         [&window, file = context.settingsFile] {
                             const auto written = writeDeferredFilter(file);
                             if (written && *written != runtime::ProfileWrite::Written) {
                                 window.writeLine(kLogPanel, settingsWriteLine(*written));
                             }
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
                const runtime::LiveWaitScope live;
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

    // Workers and requests for the signed-in operator belong to the session: 重新登录 ends them.
    const auto workWindow = [&window, shared]() -> std::shared_ptr<runtime::Window> {
        if (shared->sessionWindow) {
            return shared->sessionWindow(window);
        }
        return {std::shared_ptr<void>(), &window};
    };
    // Requests of the signed-in operator, on the GUI thread.
    const auto forSession = [workWindow, shared](WindowAction ServiceActions::*member) {
        return [workWindow, shared, member] {
            if (const WindowAction& action = (*shared).*member) {
                const runtime::LiveWaitScope live;
                action(*workWindow());
            }
        };
    };
    // Actions on the window itself: they end the session, or send nothing.
    const auto onWindow = [&window, shared](WindowAction ServiceActions::*member) {
        return [&window, shared, member] {
            if (const WindowAction& action = (*shared).*member) {
                action(window);
            }
        };
    };
    const Menus& menus = context.menus;
    const auto onItem = [&mainWindow, &menus](const MenuItem& item, std::function<void()> action) {
        bindMenuItem(mainWindow, menus, item, std::move(action));
    };
    onItem(items::kUnseatedSlots, forSession(&ServiceActions::listUnseatedSlots));
    onItem(items::kLatestTasks, [workWindow, shared] {
        if (shared->listPorts) {
            const std::shared_ptr<runtime::Window> target = workWindow();
            target->startWorker([target, shared](std::int32_t) { shared->listPorts(*target); });
        }
    });
    onItem(items::kMarkNewTasks, forSession(&ServiceActions::markPoolsWithNewTasks));
    onItem(items::kSignInAgain, onWindow(&ServiceActions::prepareSignInAgain));
    onItem(items::kPulledOut,
           [&window, report = forSession(&ServiceActions::deletePortsInBatches)] {
               const QString question = pulledOutQuestion(window);
               if (question.isEmpty() || window.confirm(question)) {
                   report();
               }
           });
    onItem(items::kCopyAll, [&window] { copyAllPorts(window); });
    onItem(items::kCheckAll, [&window] { setAllPortsChecked(window, 1); });
    onItem(items::kCheckByKeyword, onWindow(&ServiceActions::checkPortsByKeyword));
    onItem(items::kUncheckAll, [&window] { setAllPortsChecked(window, 0); });
    onItem(items::kLightTenMinutes, [workWindow, shared] {
        lightCheckedPorts(*workWindow(), runtime::LedDuration::TenMinutes, shared->lightPortLed);
    });
    onItem(items::kLightTwentyMinutes, [workWindow, shared] {
        lightCheckedPorts(*workWindow(), runtime::LedDuration::TwentyMinutes, shared->lightPortLed);
    });
    onItem(items::kExportPortsCsv,
           [&mainWindow, &window, list = controls.lists.at(std::string(kPortList))] {
               exportListAsCsv(mainWindow, window, *list, false);
           });

    if (auto* box = qobject_cast<QLineEdit*>(controls.widgets.at(std::string(kSearchBox)))) {
        bindPortSearch(*box, window, [shared]() -> service::Session* {
            // The app holds the current session, so it outlives this call on the GUI thread.
            return shared->currentSession ? shared->currentSession().get() : nullptr;
        });
    }

    // The statistics list's own menu.
    QTreeView* statistics = controls.views.at(std::string(kPoolSummaryList));
    auto* statisticsMenu = new QMenu(statistics);
    const auto openTrend = [&mainWindow, &window,
                            historyPath =
                                historyFileBeside(context.settingsFile)](const QModelIndex& row) {
        if (!row.isValid()) {
            return;
        }
        const QString pool = row.siblingAtColumn(0).data().toString();
        openTrendWindow(mainWindow, {.historyPath = historyPath,
                                     .pool = toGbk(pool),
                                     .log = [&window](const runtime::Text& line) {
                                         window.writeLine(kLogPanel, line);
                                     }});
    };
    // The row the menu was opened on.
    auto menuRow = std::make_shared<QPersistentModelIndex>();
    QAction* trend = statisticsMenu->addAction(fromUtf8("趋势…"));
    QObject::connect(trend, &QAction::triggered, &mainWindow,
                     [openTrend, menuRow] { openTrend(*menuRow); });
    QObject::connect(statistics, &QAbstractItemView::doubleClicked, &mainWindow, openTrend);
    QObject::connect(
        statisticsMenu->addAction(fromUtf8("导出CSV…")), &QAction::triggered, &mainWindow,
        [&mainWindow, &window, list = controls.lists.at(std::string(kPoolSummaryList))] {
            exportListAsCsv(mainWindow, window, *list, true);
        });
    QObject::connect(statistics, &QWidget::customContextMenuRequested, statisticsMenu,
                     [statisticsMenu, statistics, trend, menuRow](const QPoint& at) {
                         *menuRow = statistics->indexAt(at);
                         trend->setEnabled(menuRow->isValid());
                         statisticsMenu->popup(statistics->viewport()->mapToGlobal(at));
                     });
}

} // namespace app
