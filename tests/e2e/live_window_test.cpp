// Requests started on the window's thread keep the window live: it paints and ticks while the
// service takes its time, takes no input meant for anything else meanwhile, and the operator
// can cancel the wait.

#include "app/layout.h"
#include "app/main_window.h"
#include "app/qt_window.h"
#include "runtime/codepage.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "sim/simulator.h"
#include "test_support/e2e_support.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using e2e::pumpUntil;
using runtime::gbk;

class LiveWindowTest : public e2e::RoadFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(startSimulator(kKey));
        m_sim->addPool(kKey, "A1", 3);
        for (const char* port : {"A1.01", "A1.02", "A1.03"}) {
            m_sim->addPendingPort(kKey, port, gbk("未做TG"), "12:00");
        }
        ASSERT_NO_FATAL_FAILURE(openMainWindow());
    }

    void signIn() {
        QTest::keyClicks(control<QLineEdit>(controls::kKeyBox), QString::fromStdString(kKey));
        QTest::mouseClick(control<QPushButton>(controls::kSignInButton), Qt::LeftButton);
    }

    std::size_t requestsTo(std::string_view path) const {
        std::size_t count = 0;
        for (const auto& request : m_sim->requestLog()) {
            count += request.path.find(path) != std::string::npos ? 1 : 0;
        }
        return count;
    }

    const std::string kKey = "live-key";
};

TEST_F(LiveWindowTest, SignInHeldThreeSecondsLeavesTheWindowTickingAndDeaf) {
    m_sim->setFault(sim::Endpoint::SignIn, {.latencyMs = 3000});
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(20);
    bool cancelShown = false;
    QTimer::singleShot(1000, [&] {
        cancelShown = m_mainWindow->control(app::kCancelWaitButton)->isVisible();
        // Typing and a second click meant for the window go nowhere while it waits.
        QTest::keyClicks(control<QLineEdit>(controls::kFilterBox), QStringLiteral("x"));
        QTest::mouseClick(control<QPushButton>(controls::kSignInButton), Qt::LeftButton);
    });
    signIn();
    ticker.stop();

    EXPECT_EQ(m_mainWindow->signedInKey(), kKey);
    EXPECT_GE(ticks, 100);
    EXPECT_TRUE(cancelShown);
    EXPECT_FALSE(m_mainWindow->control(app::kCancelWaitButton)->isVisible());
    EXPECT_EQ(control<QLineEdit>(controls::kFilterBox)->text(), QString());
    EXPECT_EQ(requestsTo("/sinterface/getUserInfo"), 1U);
}

TEST_F(LiveWindowTest, EscapeDuringADeletionKeepsTheUnconfirmedRows) {
    runtime::Window& window = m_mainWindow->window();
    signIn();
    ASSERT_EQ(m_mainWindow->signedInKey(), kKey);
    ASSERT_TRUE(pumpUntil([&] { return window.rowCount(controls::kDeviceList) == 1; }));
    auto* devices = control<QAbstractItemView>(controls::kDeviceList);
    m_mainWindow->syncViews();
    QTest::mouseClick(devices->viewport(), Qt::LeftButton, {},
                      devices->visualRect(devices->model()->index(0, 0)).center());
    m_mainWindow->menuItem(controls::kDeviceMenu, "查看最新任务")->trigger();
    ASSERT_TRUE(pumpUntil([&] { return window.rowCount(controls::kPortList) == 3; }));

    m_sim->setFault(sim::Endpoint::DeleteBatch, {.latencyMs = 3000});
    QTimer::singleShot(300, [&] { QTest::keyClick(m_mainWindow.get(), Qt::Key_Escape); });
    m_mainWindow->qtWindow().answerNextConfirmation(true);
    m_mainWindow->menuItem(controls::kPortMenu, "已拔出清除")->trigger();
    ASSERT_TRUE(pumpUntil([&] { return requestsTo("/sinterface/port/deleteBatch") == 1; }));
    ASSERT_TRUE(pumpUntil(
        [&] { return !m_mainWindow->control(app::kCancelWaitButton)->isVisible(); }, 2500));
    EXPECT_EQ(window.rowCount(controls::kPortList), 3);
    EXPECT_EQ(window.cellText(controls::kPortList, 0, 0), "A1.01");
}

} // namespace
