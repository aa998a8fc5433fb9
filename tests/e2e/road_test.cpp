// The operator's road on the real main window (offscreen) against the simulator: type the key,
// click "确定", wait for the pools, list a pool's latest tasks, check ports by keyword. Each
// state is saved as a PNG into $POOLDESK_ARTIFACTS_DIR (default ./artifacts).

#include "app/main_window.h"
#include "app/qt_window.h"
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
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using runtime::gbk;

using e2e::pumpUntil;

class RoadTest : public e2e::RoadFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(startSimulator(kKey));
        m_sim->addPool(kKey, "A1");
        m_sim->addPool(kKey, "B2");
        m_sim->addPendingPort(kKey, "A1.01", gbk("未做TG"), "12:00");
        m_sim->addPendingPort(kKey, "B2.01", gbk("未做TG"), "12:10");
        m_sim->addPendingPort(kKey, "A1.02", gbk("有号码"), "12:20");
        m_sim->addPendingPort(kKey, "A1.03", gbk("已做TG"), "12:30");
        ASSERT_NO_FATAL_FAILURE(openMainWindow());
    }

    void screenshot(const QString& name) { RoadFixture::screenshot(QStringLiteral("road-"), name); }

    QString shownCell(QAbstractItemView* view, int row, int column, int role = Qt::DisplayRole) {
        return view->model()->data(view->model()->index(row, column), role).toString();
    }

    const std::string kKey = "road-key";
};

TEST_F(RoadTest, SignInListLatestTasksAndCheckByKeyword) {
    runtime::Window& window = m_mainWindow->window();
    screenshot(QStringLiteral("1-sign-in"));

    // Sign in.
    QTest::keyClicks(control<QLineEdit>(controls::kKeyBox), QString::fromStdString(kKey));
    QTest::mouseClick(control<QPushButton>(controls::kSignInButton), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>(controls::kSignInMessage)->text(),
              QStringLiteral("验证成功！准备初始化中..."));
    EXPECT_EQ(m_mainWindow->signedInKey(), kKey);
    EXPECT_EQ(m_mainWindow->control(controls::kSignInPanel)->x(), 1999);

    // The pools arrive in the device list.
    auto* devices = control<QAbstractItemView>(controls::kDeviceList);
    ASSERT_TRUE(pumpUntil([&] {
        return m_mainWindow->qtWindow()
            .canvasLines(controls::kLogPanel)
            .contains(QStringLiteral("刷新完成"));
    }));
    m_mainWindow->syncViews();
    ASSERT_EQ(devices->model()->rowCount(), 2);
    EXPECT_EQ(shownCell(devices, 0, 0), QStringLiteral("A1"));
    EXPECT_EQ(shownCell(devices, 1, 0), QStringLiteral("B2"));
    EXPECT_FALSE(m_mainWindow->control(controls::kBusyPicture)->isVisible());
    screenshot(QStringLiteral("2-pools"));

    // "查看最新任务" on pool A1.
    const QRect firstRow = devices->visualRect(devices->model()->index(0, 0));
    QTest::mouseClick(devices->viewport(), Qt::LeftButton, {}, firstRow.center());
    ASSERT_EQ(window.selectedRow(controls::kDeviceList), 0);
    QAction* latestTasks = m_mainWindow->menuItem(controls::kDeviceMenu, "查看最新任务");
    ASSERT_NE(latestTasks, nullptr);
    latestTasks->trigger();
    auto* countLabel = control<QLabel>(controls::kPortCountLabel);
    ASSERT_TRUE(pumpUntil([&] { return countLabel->text() == QStringLiteral("端口数量：3"); }));
    auto* ports = control<QAbstractItemView>(controls::kPortList);
    EXPECT_TRUE(pumpUntil([&] { return ports->isEnabled(); }));
    m_mainWindow->syncViews();
    ASSERT_EQ(ports->model()->rowCount(), 3);
    EXPECT_EQ(shownCell(ports, 0, 0), QStringLiteral("A1.01"));
    EXPECT_EQ(shownCell(ports, 0, 1), QStringLiteral("未做TG"));
    EXPECT_EQ(shownCell(ports, 0, 2), QStringLiteral("12:00"));
    EXPECT_EQ(shownCell(ports, 2, 1), QStringLiteral("已做TG"));
    screenshot(QStringLiteral("3-latest-tasks"));

    // "关键词勾选" with the keyword TG.
    m_mainWindow->qtWindow().answerNextInputBox(QStringLiteral("TG"));
    QAction* byKeyword = m_mainWindow->menuItem(controls::kPortMenu, "关键词勾选");
    ASSERT_NE(byKeyword, nullptr);
    const auto checked = [&](int row) {
        return ports->model()->data(ports->model()->index(row, 0), Qt::CheckStateRole).toInt();
    };
    byKeyword->trigger(); // menu commands run once the menu has closed
    EXPECT_TRUE(pumpUntil([&] {
        m_mainWindow->syncViews();
        return checked(0) == Qt::Checked;
    }));
    EXPECT_EQ(m_mainWindow->qtWindow().lastInputPrompt(),
              QStringLiteral("输入状态关键词，例如未做TG"));
    EXPECT_EQ(checked(0), Qt::Checked);
    EXPECT_EQ(checked(1), Qt::Unchecked);
    EXPECT_EQ(checked(2), Qt::Checked);
    screenshot(QStringLiteral("4-checked-by-keyword"));
}

} // namespace
