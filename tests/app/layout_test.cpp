// The window as the operator meets it: every control, list column and menu item.
#include "app/busy_picture.h"
#include "app/menus.h"
#include "app/tab_control.h"
#include "test_support/window_fixture.h"

#include "runtime/controls.h"

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>

namespace app::testing {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

struct ExpectedControl {
    const char* name;
    quint32 id;
    const char* kind; // class name from the meta-object
    const char* parent;
    QRect geometry;
    const char* caption;
};

const ExpectedControl kControls[] = {
    {"分组框1", 0x16016ADA, "QGroupBox", "window", {3, 0, 1144, 648}, ""},
    {"单选框1", 0x16017148, "QRadioButton", "分组框1", {413, 328, 80, 24}, "马来线路"},
    {"单选框2", 0x16017149, "QRadioButton", "分组框1", {512, 328, 80, 24}, "荷兰线路"},
    {"单选框3", 0x16017174, "QRadioButton", "分组框1", {608, 328, 80, 24}, "香港线路"},
    {"标签12", 0x16016ADB, "QLabel", "分组框1", {352, 240, 72, 24}, "请输入key："},
    {"编辑框5", 0x16016ADC, "QLineEdit", "分组框1", {432, 240, 232, 24}, ""},
    {"按钮14", 0x16016ADD, "QPushButton", "分组框1", {680, 240, 64, 24}, "确定"},
    {"主窗标签", 0x16016AE1, "QLabel", "分组框1", {408, 288, 280, 24}, ""},
    {"选择夹1", 0x16013104, "QWidget", "window", {16, 40, 1128, 472}, ""},
    {"超级列表框1", 0x16013105, "QTreeView", "page 0", {16, 32, 376, 432}, ""},
    {"超级列表框2", 0x1601310E, "QTreeView", "page 0", {400, 32, 720, 432}, ""},
    {"超级列表框5", 0x160170EB, "QTreeView", "page 1", {16, 32, 1096, 424}, ""},
    {"编辑框1", 0x16016FBF, "QLineEdit", "window", {24, 8, 184, 24}, ""},
    {"标签1", 0x160170EA, "QLabel", "window", {448, 8, 208, 24}, ""},
    {"画板1", 0x1601310F, "QWidget", "window", {16, 520, 1128, 136}, ""},
    {"图片框1", 0x1601311E, "QLabel", "window", {1048, 528, 64, 64}, ""},
    {"外形框1", 0x1601710F, "QFrame", "window", {1224, 80, 336, 392}, ""},
};

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        return group->title();
    }
    return {};
}

using LayoutTest = WindowTest;

TEST_F(LayoutTest, WindowSitsAt50x50WithItsIdentifier) {
    EXPECT_EQ(mainWindow().geometry(), QRect(50, 50, 1158, 694));
    EXPECT_EQ(mainWindow().property("id").toUInt(), 0x52010001u);
}

TEST_F(LayoutTest, EveryControlHasItsNameIdKindParentGeometryAndCaption) {
    auto* tabs = dynamic_cast<TabControl*>(mainWindow().control(controls::kTabs));
    ASSERT_NE(tabs, nullptr);
    for (const ExpectedControl& expected : kControls) {
        SCOPED_TRACE(expected.name);
        QWidget* widget = mainWindow().control(expected.name);
        ASSERT_NE(widget, nullptr);
        // Found by objectName too, as end-to-end tests and tools look controls up.
        EXPECT_EQ(mainWindow().findChild<QWidget*>(utf8(expected.name)), widget);
        EXPECT_EQ(widget->property("id").toUInt(), expected.id);
        EXPECT_TRUE(widget->inherits(expected.kind)) << widget->metaObject()->className();
        EXPECT_EQ(widget->geometry(), expected.geometry);
        EXPECT_EQ(captionOf(widget), utf8(expected.caption));
        const QString parent = utf8(expected.parent);
        if (parent == QStringLiteral("window")) {
            EXPECT_EQ(widget->parentWidget(), &mainWindow());
        } else if (parent.startsWith(QStringLiteral("page "))) {
            EXPECT_EQ(widget->parentWidget(), tabs->page(parent.mid(5).toInt()));
        } else {
            EXPECT_EQ(widget->parentWidget(), mainWindow().control(expected.parent));
        }
    }
}

TEST_F(LayoutTest, StartStateOfTheControls) {
    EXPECT_TRUE(qobject_cast<QRadioButton*>(mainWindow().control("单选框1"))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(mainWindow().control("单选框2"))->isChecked());
    EXPECT_FALSE(qobject_cast<QRadioButton*>(mainWindow().control("单选框3"))->isChecked());
    EXPECT_FALSE(mainWindow().control(controls::kBusyPicture)->isVisible());
    EXPECT_TRUE(mainWindow().control(controls::kLogPanel)->isVisible());
    // The shape box lies outside the window's visible area.
    EXPECT_FALSE(
        mainWindow().rect().intersects(mainWindow().control(controls::kShapeBox)->geometry()));
    // The sign-in panel covers the rest of the window until the operator signs in.
    QWidget* panel = mainWindow().control(controls::kSignInPanel);
    EXPECT_EQ(mainWindow().childAt(600, 100), panel);
}

TEST_F(LayoutTest, TabControlHasItsPagesStartingOnDevices) {
    auto* tabs = dynamic_cast<TabControl*>(mainWindow().control(controls::kTabs));
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->pageCaption(0), utf8("设备管理"));
    EXPECT_EQ(tabs->pageCaption(1), utf8("项目管理"));
    // The LED panel's page comes after the described two and says that nothing switches off.
    EXPECT_EQ(tabs->pageCaption(2), utf8("点灯"));
    EXPECT_TRUE(tabs->tabBar()->tabToolTip(2).contains(utf8("服务没有熄灯的命令")));
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(mainWindow().control(controls::kPortList)->isVisible());
    EXPECT_FALSE(mainWindow().control(controls::kPoolSummaryList)->isVisible());
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(mainWindow().control(controls::kPortList)->isVisible());
    EXPECT_TRUE(mainWindow().control(controls::kPoolSummaryList)->isVisible());
    // The tab strip stays above the page, in the 32 pixels above the lists.
    EXPECT_LE(tabs->tabBar()->height(), 32);
    EXPECT_TRUE(tabs->tabBar()->isVisible());
}

struct ExpectedList {
    const char* name;
    std::vector<std::pair<const char*, int>> columns;
    bool checkable;
};

TEST_F(LayoutTest, ListsHaveTheirColumnsWidthsAndCheckBoxes) {
    const ExpectedList lists[] = {
        {"超级列表框1", {{"设备", 120}, {"状态", 190}}, false},
        {"超级列表框2", {{"端口名", 155}, {"状态", 200}, {"时间", 240}, {"卡池", 0}}, true},
        {"超级列表框5",
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
         false},
    };
    for (const ExpectedList& expected : lists) {
        SCOPED_TRACE(expected.name);
        auto* view = qobject_cast<QTreeView*>(mainWindow().control(expected.name));
        ASSERT_NE(view, nullptr);
        QAbstractItemModel* model = view->model();
        ASSERT_EQ(model->columnCount(), static_cast<int>(expected.columns.size()));
        int widths = 0;
        for (int column = 0; column < model->columnCount(); ++column) {
            EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(),
                      utf8(expected.columns[static_cast<std::size_t>(column)].first));
            // Width 0: a column that shows only at times (the search results' pool).
            EXPECT_EQ(view->header()->sectionSize(column),
                      expected.columns[static_cast<std::size_t>(column)].second);
            EXPECT_EQ(view->isColumnHidden(column),
                      expected.columns[static_cast<std::size_t>(column)].second == 0);
            widths += view->header()->sectionSize(column);
        }
        // Every column of the layout stays in sight, also beside a vertical scroll bar; the
        // statistics list's last column (更新时间) lies beyond them, reached by scrolling.
        const bool timeColumn = std::string_view(expected.name) == "超级列表框5";
        const int inSight = widths - (timeColumn ? expected.columns.back().second : 0);
        EXPECT_LE(inSight + view->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                  view->contentsRect().width());
        if (timeColumn) {
            EXPECT_GT(widths, view->contentsRect().width());
            EXPECT_NE(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        }
        window().appendRow(expected.name, "x");
        mainWindow().syncViews();
        ASSERT_EQ(model->rowCount(), 1);
        EXPECT_EQ(model->flags(model->index(0, 0)).testFlag(Qt::ItemIsUserCheckable),
                  expected.checkable);
        EXPECT_EQ(model->data(model->index(0, 0), Qt::CheckStateRole).isValid(),
                  expected.checkable);
    }
}

struct ExpectedMenu {
    const char* root;
    quint32 id;
    std::vector<std::pair<quint32, const char*>> items;
};

TEST_F(LayoutTest, PopUpMenusHaveTheirItemsInOrder) {
    const ExpectedMenu menus[] = {
        {"c",
         0x2601320C,
         {{0x2601320D, "查看没插好端口"},
          {0x26016FAF, "查看最新任务"},
          {0x26016FB0, "查看"},
          {0x26016A33, "刷新"},
          {0x26017201, "重新登录"},
          {0x26017210, "自动检查新任务…"}}},
        {"c1",
         0x2601638B,
         {{0x26016F75, "已拔出清除"},
          {0x260170E5, "全部复制"},
          {0x2601711C, "全选"},
          {0x2601711D, "关键词勾选"},
          {0x2601711E, "取消全选"},
          {0x2601712C, "点亮勾选端口10分钟"},
          {0x26017152, "点亮勾选端口20分钟"},
          {0x26017220, "导出CSV…"}}},
    };
    for (const ExpectedMenu& expected : menus) {
        SCOPED_TRACE(expected.root);
        QMenu* menu = mainWindow().menu(expected.root);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->property("id").toUInt(), expected.id);
        const QList<QAction*> actions = menu->actions();
        ASSERT_EQ(actions.size(), static_cast<qsizetype>(expected.items.size()));
        for (qsizetype i = 0; i < actions.size(); ++i) {
            const auto& [id, caption] = expected.items[static_cast<std::size_t>(i)];
            EXPECT_EQ(actions[i]->text(), utf8(caption));
            EXPECT_EQ(actions[i]->property("id").toUInt(), id);
            EXPECT_EQ(mainWindow().menuItem(expected.root, caption), actions[i]);
        }
        EXPECT_FALSE(menu->isVisible());
    }
    // A caption that is not in its menu cannot be bound silently.
    const Menus portMenu{{"c1", mainWindow().menu("c1")}};
    EXPECT_NO_THROW(bindMenuItem(mainWindow(), portMenu, items::kCopyAll, [] {}));
    EXPECT_THROW(
        bindMenuItem(mainWindow(), portMenu, MenuItem{"c1", 0x260170E5, "全部复制 "}, [] {}),
        std::logic_error);
    EXPECT_THROW(bindMenuItem(mainWindow(), portMenu, items::kLatestTasks, [] {}),
                 std::logic_error);
}

TEST_F(LayoutTest, RightClickInAListPopsItsMenuUpAtTheCursorPlusThree) {
    const std::pair<const char*, const char*> pairs[] = {{"超级列表框1", "c"},
                                                         {"超级列表框2", "c1"}};
    for (const auto& [list, root] : pairs) {
        SCOPED_TRACE(list);
        QCursor::setPos(QPoint(200, 150));
        QWidget* view = mainWindow().control(list);
        emit view->customContextMenuRequested(QPoint(5, 5));
        QMenu* menu = mainWindow().menu(root);
        ASSERT_TRUE(pumpUntil([menu] { return menu->isVisible(); }));
        EXPECT_EQ(menu->pos(), QPoint(203, 153));
        menu->hide();
    }
}

TEST_F(LayoutTest, BusyPictureLoopsA64PixelAnimationOf24FramesAt40Ms) {
    auto* picture = dynamic_cast<BusyPicture*>(mainWindow().control(controls::kBusyPicture));
    ASSERT_NE(picture, nullptr);
    QMovie& movie = picture->movie();
    ASSERT_TRUE(movie.isValid());
    EXPECT_EQ(movie.frameCount(), 24);
    EXPECT_EQ(movie.loopCount(), -1);
    EXPECT_EQ(movie.currentImage().size(), QSize(64, 64));
    QImageReader frames(movie.fileName());
    ASSERT_EQ(frames.imageCount(), 24);
    for (int frame = 0; frame < 24; ++frame) {
        ASSERT_FALSE(frames.read().isNull()) << frame;
        EXPECT_EQ(frames.nextImageDelay(), 40) << frame;
    }
    EXPECT_EQ(movie.state(), QMovie::NotRunning); // hidden: nothing to play
    window().setVisible(controls::kBusyPicture, true);
    EXPECT_EQ(movie.state(), QMovie::Running);
    window().setVisible(controls::kBusyPicture, false);
    EXPECT_EQ(movie.state(), QMovie::NotRunning);
}

} // namespace
} // namespace app::testing
