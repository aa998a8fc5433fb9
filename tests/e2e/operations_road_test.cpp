// The operator's road through the port operations on the real main window (offscreen) against
// the simulator: sign in, watch the pool statistics arrive, list a pool's latest tasks, mark the
// pools with new tasks, check all, light the checked ports for 10 minutes and clear the
// pulled-out ports. Each state is saved as a PNG into $POOLDESK_ARTIFACTS_DIR (default
// ./artifacts).

#include "app/main_window.h"
#include "app/qt_window.h"
#include "app/tab_control.h"
#include "history/sqlite.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/endpoints.h"
#include "sim/simulator.h"
#include "test_support/e2e_support.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using runtime::gbk;

using e2e::pumpUntil;

class OperationsRoadTest : public e2e::RoadFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(startSimulator(kKey));
        m_sim->addPool(kKey, "A1", 3);
        m_sim->addPool(kKey, "B2", 1);
        m_sim->setStatsRecord(kKey, "A1", "100-0-5-80-15-60-3-8-40-20-10-5");
        m_sim->addPendingPort(kKey, "A1.01", gbk("未做TG"), "12:00");
        m_sim->addPendingPort(kKey, "A1.02", gbk("有号码"), "12:20");
        m_sim->addPendingPort(kKey, "A1.03", gbk("已做TG"), "12:30");
        m_sim->addPendingPort(kKey, "B2.01", gbk("未做TG"), "12:10");
        ASSERT_NO_FATAL_FAILURE(openMainWindow());
    }

    void screenshot(const QString& name) {
        RoadFixture::screenshot(QStringLiteral("operations-"), name);
    }

    void choose(std::string_view menu, std::string_view caption) {
        QAction* item = m_mainWindow->menuItem(menu, caption);
        ASSERT_NE(item, nullptr) << caption;
        item->trigger(); // menu commands run once the menu has closed
    }

    int linesContaining(const QString& text) {
        int count = 0;
        for (const auto& line : m_mainWindow->qtWindow().canvasLines(controls::kLogPanel)) {
            count += line.contains(text) ? 1 : 0;
        }
        return count;
    }

    const std::string kKey = "operations-key";
};

TEST_F(OperationsRoadTest, StatisticsLightingAndClearingPulledOutPorts) {
    runtime::Window& window = m_mainWindow->window();
    const runtime::Text mark = gbk("有新任务，请处理");

    QTest::keyClicks(control<QLineEdit>(controls::kKeyBox), QString::fromStdString(kKey));
    QTest::mouseClick(control<QPushButton>(controls::kSignInButton), Qt::LeftButton);
    ASSERT_EQ(m_mainWindow->signedInKey(), kKey);
    ASSERT_TRUE(pumpUntil([&] { return linesContaining(QStringLiteral("刷新完成")) == 1; }));

    // The first statistics pass follows the refresh at once.
    ASSERT_TRUE(pumpUntil(
        [&] { return window.cellText(controls::kPoolSummaryList, 0, 1) == "100"; }, 15000));
    EXPECT_EQ(window.cellText(controls::kPoolSummaryList, 0, 0), "A1");
    EXPECT_EQ(window.cellText(controls::kPoolSummaryList, 0, 5), gbk("40  50％"));
    EXPECT_EQ(window.cellText(controls::kPoolSummaryList, 0, 11), gbk("8  10％"));
    // The pass went on to the history beside pz.ini.
    const auto storedRows = [this] {
        const QString file = m_folder.filePath(QStringLiteral("pooldesk-history.sqlite"));
        if (!QFile::exists(file)) {
            return std::int64_t{0}; // not made yet (opening it here would make it)
        }
        try {
            history::Database db(file.toStdString());
            history::Statement count(db, "SELECT count(*) FROM records r JOIN pools p ON p.id = "
                                         "r.pool WHERE p.name = 'A1' AND r.c1 = 100");
            return count.step() ? count.integer(0) : 0;
        } catch (const history::SqliteError&) {
            return std::int64_t{0}; // not written yet
        }
    };
    EXPECT_TRUE(pumpUntil([&] { return storedRows() == 1; }, 5000));
    auto* tabs = dynamic_cast<app::TabControl*>(m_mainWindow->control(controls::kTabs));
    ASSERT_NE(tabs, nullptr);
    tabs->tabBar()->setCurrentIndex(1);
    screenshot(QStringLiteral("1-statistics"));
    tabs->tabBar()->setCurrentIndex(0);

    // Latest tasks of A1, then the new-task marks.
    auto* devices = control<QAbstractItemView>(controls::kDeviceList);
    m_mainWindow->syncViews();
    QTest::mouseClick(devices->viewport(), Qt::LeftButton, {},
                      devices->visualRect(devices->model()->index(0, 0)).center());
    ASSERT_EQ(window.selectedRow(controls::kDeviceList), 0);
    choose(controls::kDeviceMenu, "查看最新任务");
    auto* countLabel = control<QLabel>(controls::kPortCountLabel);
    ASSERT_TRUE(pumpUntil([&] { return countLabel->text() == QStringLiteral("端口数量：3"); }));
    choose(controls::kDeviceMenu, "刷新");
    ASSERT_TRUE(pumpUntil([&] { return window.cellText(controls::kDeviceList, 0, 1) == mark; }));
    EXPECT_EQ(window.cellText(controls::kDeviceList, 1, 1), mark);

    // Check all and light them for 10 minutes: one lighting per port, 100 ms apart.
    choose(controls::kPortMenu, "全选");
    ASSERT_TRUE(pumpUntil([&] { return window.checkState(controls::kPortList, 2) == 1; }));
    screenshot(QStringLiteral("2-latest-tasks-marked-checked"));
    choose(controls::kPortMenu, "点亮勾选端口10分钟");
    ASSERT_TRUE(pumpUntil([&] { return linesContaining(QStringLiteral("点亮成功")) == 3; }));
    const auto lightings = m_sim->ledLightings();
    ASSERT_EQ(lightings.size(), 3U);
    for (const auto& lighting : lightings) {
        EXPECT_TRUE(lighting.accepted) << lighting.port;
        EXPECT_EQ(lighting.totalDuration, "600000");
    }
    EXPECT_EQ(linesContaining(QStringLiteral("A1.02点亮成功")), 1);
    screenshot(QStringLiteral("3-lit"));

    // Clearing the pulled-out ports asks first; "no" sends nothing and keeps the list.
    app::QtWindow& qtWindow = m_mainWindow->qtWindow();
    qtWindow.answerNextConfirmation(false);
    choose(controls::kPortMenu, "已拔出清除");
    ASSERT_TRUE(pumpUntil([&] { return !qtWindow.lastConfirmationQuestion().isEmpty(); }));
    EXPECT_EQ(qtWindow.lastConfirmationQuestion(),
              QStringLiteral("将向服务报告 3 个端口已拔出（A1），继续？"));
    QTest::qWait(200);
    EXPECT_EQ(m_sim->pendingPorts(kKey).size(), 4U);
    EXPECT_EQ(window.rowCount(controls::kPortList), 3);

    // Enter confirms: the service forgets them, the list empties, A1's mark goes.
    qtWindow.answerNextConfirmation(true);
    choose(controls::kPortMenu, "已拔出清除");
    ASSERT_TRUE(pumpUntil([&] { return m_sim->pendingPorts(kKey).size() == 1; }));
    ASSERT_TRUE(pumpUntil([&] { return window.rowCount(controls::kPortList) == 0; }));
    EXPECT_EQ(m_sim->pendingPorts(kKey)[0].port, "B2.01");
    EXPECT_EQ(window.cellText(controls::kDeviceList, 0, 1), "");
    EXPECT_EQ(window.cellText(controls::kDeviceList, 1, 1), mark);
    EXPECT_TRUE(control<QAbstractItemView>(controls::kPortList)->isEnabled());
    screenshot(QStringLiteral("4-cleared"));
}

} // namespace
