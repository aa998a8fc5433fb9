#include "app/layout.h"

#include "app/busy_picture.h"
#include "app/list_model.h"
#include "app/log_canvas.h"
#include "app/qt_text.h"
#include "app/tab_control.h"
#include "runtime/controls.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

#include <initializer_list>
#include <string_view>
#include <utility>

namespace app {
namespace {

struct Column {
    std::string_view caption;
    int width;
};

class Builder {
public:
    explicit Builder(Controls& controls) : m_controls(controls) {}

    template <typename W>
    W* add(QWidget* parent, std::string_view name, std::uint32_t id, QRect geometry) {
        auto* widget = new W(parent);
        widget->setObjectName(fromUtf8(name));
        widget->setProperty(kIdProperty, static_cast<quint32>(id));
        widget->setGeometry(geometry);
        m_controls.widgets.emplace(std::string(name), widget);
        return widget;
    }

    template <typename W>
    W* addCaptioned(QWidget* parent, std::string_view name, std::uint32_t id, QRect geometry,
                    std::string_view caption) {
        W* widget = add<W>(parent, name, id, geometry);
        widget->setText(fromUtf8(caption));
        return widget;
    }

    QTreeView* addList(QWidget* parent, std::string_view name, std::uint32_t id, QRect geometry,
                       std::initializer_list<Column> columns, bool checkable) {
        QStringList headers;
        for (const Column& column : columns) {
            headers << fromUtf8(column.caption);
        }
        auto* view = add<QTreeView>(parent, name, id, geometry);
        auto* model = new ListModel(std::move(headers), checkable, view);
        view->setModel(model);
        view->setRootIsDecorated(false);
        view->setItemsExpandable(false);
        view->setUniformRowHeights(true);
        view->setAllColumnsShowFocus(true);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        view->header()->setStretchLastSection(false);
        int section = 0;
        for (const Column& column : columns) {
            view->header()->resizeSection(section++, column.width);
        }
        m_controls.lists.emplace(std::string(name), model);
        m_controls.views.emplace(std::string(name), view);
        return view;
    }

private:
    Controls& m_controls;
};

} // namespace

Controls buildLayout(QWidget& window) {
    using namespace controls;
    Controls result;
    Builder b(result);
    window.setProperty(kIdProperty, static_cast<quint32>(kMainWindowId));
    window.setGeometry(kMainWindowLeft, kMainWindowTop, kMainWindowWidth, kMainWindowHeight);

    auto* panel = b.add<QGroupBox>(&window, kSignInPanel, 0x16016ADA, {3, 0, 1144, 648});
    panel->setAutoFillBackground(true);
    b.addCaptioned<QRadioButton>(panel, kRouteMalaysia, 0x16017148, {413, 328, 80, 24}, "马来线路")
        ->setChecked(true);
    b.addCaptioned<QRadioButton>(panel, kRouteNetherlands, 0x16017149, {512, 328, 80, 24},
                                 "荷兰线路");
    b.addCaptioned<QRadioButton>(panel, kRouteHongKong, 0x16017174, {608, 328, 80, 24}, "香港线路");
    b.addCaptioned<QLabel>(panel, kKeyPrompt, 0x16016ADB, {352, 240, 72, 24}, "请输入key：");
    b.add<QLineEdit>(panel, kKeyBox, 0x16016ADC, {432, 240, 232, 24});
    b.addCaptioned<QPushButton>(panel, kSignInButton, 0x16016ADD, {680, 240, 64, 24}, "确定");
    b.add<QLabel>(panel, kSignInMessage, 0x16016AE1, {408, 288, 280, 24});

    auto* tabs = b.add<TabControl>(&window, kTabs, 0x16013104, {16, 40, 1128, 472});
    QWidget* devicePage = tabs->addPage(fromUtf8("设备管理"));
    QWidget* projectPage = tabs->addPage(fromUtf8("项目管理"));
    tabs->addPage(fromUtf8("点灯")); // filled by the LED panel (led_panel.h)
    b.addList(devicePage, kDeviceList, 0x16013105, {16, 32, 376, 432},
              {{"设备", 120}, {"状态", 190}}, false);
    b.addList(devicePage, kPortList, 0x1601310E, {400, 32, 720, 432},
              {{"端口名", 155}, {"状态", 200}, {"时间", 240}, {"卡池", 110}}, true);
    // The pool column shows only while the search box lists results.
    result.views.at(std::string(kPortList))->setColumnHidden(3, true);
    b.addList(projectPage, kPoolSummaryList, 0x160170EB, {16, 32, 1096, 424},
              {{"卡池名", 70},
               {"总端口数", 90},
               {"有号码", 90},
               {"读不出号码", 90},
               {"没有插卡", 90},
               {"已做TG", 90},
               {"已做GG", 90},
               {"已做WS", 90},
               {"已做wx", 90},
               {"注册超时", 90},
               {"有信号", 90},
               {"已做RCS", 90},
               {"更新时间", 80}},
              false);

    b.add<QLineEdit>(&window, kFilterBox, 0x16016FBF, {24, 8, 184, 24});
    b.add<QLabel>(&window, kPortCountLabel, 0x160170EA, {448, 8, 208, 24});
    b.add<QLineEdit>(&window, kSearchBox, 0x16017221, {672, 8, 220, 24})
        ->setPlaceholderText(fromUtf8("搜索全部卡池的端口名或状态"));
    auto* canvas = b.add<LogCanvas>(&window, kLogPanel, 0x1601310F, {16, 520, 1128, 136});
    result.canvases.emplace(std::string(kLogPanel), canvas);
    b.add<BusyPicture>(&window, kBusyPicture, 0x1601311E, {1048, 528, 64, 64})->hide();
    b.addCaptioned<QPushButton>(&window, kCancelWaitButton, 0x16017200, {976, 548, 64, 24}, "取消")
        ->hide();
    auto* shape = b.add<QFrame>(&window, kShapeBox, 0x1601710F, {1224, 80, 336, 392});
    shape->setFrameShape(QFrame::Box);

    // The sign-in panel covers the window until the operator is signed in.
    panel->raise();
    return result;
}

} // namespace app
