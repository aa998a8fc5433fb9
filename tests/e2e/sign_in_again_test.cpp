// Signing in again from the device menu, and the route remembered across a restart, on the real
// window against the simulator with a real pz.ini.

#include "app/main_window.h"
#include "runtime/controls.h"
#include "runtime/state.h"
#include "service/operations.h"
#include "sim/simulator.h"
#include "test_support/e2e_support.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

using e2e::pumpUntil;

// Two keys on the simulator, pool A1 for the first and B7 for the second, and the window open.
class SignInAgainTest : public e2e::RoadFixture {
protected:
    void openWithTwoKeys() {
        ASSERT_NO_FATAL_FAILURE(startSimulator("first-key"));
        m_sim->addUser("second-key");
        m_sim->addPool("first-key", "A1", 2);
        m_sim->addPool("second-key", "B7", 2);
        ASSERT_NO_FATAL_FAILURE(openMainWindow());
    }
    void clickSignIn(const char* key) {
        control<QLineEdit>(controls::kKeyBox)->setText(QString::fromLatin1(key));
        QTest::mouseClick(control<QPushButton>(controls::kSignInButton), Qt::LeftButton);
    }
};

TEST_F(SignInAgainTest, NewSignInReplacesTheOldOnesPoolsAndTheRouteSurvivesARestart) {
    ASSERT_NO_FATAL_FAILURE(openWithTwoKeys());
    runtime::Window& window = m_mainWindow->window();
    const auto signInWith = [&](const char* key) {
        clickSignIn(key);
        ASSERT_EQ(m_mainWindow->signedInKey(), key);
        ASSERT_TRUE(pumpUntil([&] { return window.rowCount(controls::kPoolSummaryList) == 1; }));
    };

    QTest::mouseClick(m_mainWindow->control(controls::kRouteNetherlands), Qt::LeftButton);
    ASSERT_NO_FATAL_FAILURE(signInWith("first-key"));
    EXPECT_EQ(window.cellText(controls::kDeviceList, 0, 0), "A1");

    m_mainWindow->menuItem(controls::kDeviceMenu, "重新登录")->trigger();
    ASSERT_TRUE(pumpUntil([&] { return m_mainWindow->control(controls::kSignInPanel)->x() == 3; }));
    EXPECT_EQ(window.text(controls::kKeyBox), "first-key");
    EXPECT_TRUE(window.isChecked(controls::kRouteNetherlands));
    EXPECT_EQ(window.rowCount(controls::kDeviceList), 0);
    screenshot(QStringLiteral("sign-in-"), QStringLiteral("again"));

    ASSERT_NO_FATAL_FAILURE(signInWith("second-key"));
    EXPECT_EQ(window.rowCount(controls::kDeviceList), 1);
    EXPECT_EQ(window.cellText(controls::kDeviceList, 0, 0), "B7");
    EXPECT_EQ(window.cellText(controls::kPoolSummaryList, 0, 0), "B7");

    // The next start reads the same pz.ini.
    const std::unique_ptr<app::MainWindow> first = std::move(m_mainWindow);
    ASSERT_NO_FATAL_FAILURE(openMainWindow());
    EXPECT_TRUE(m_mainWindow->window().isChecked(controls::kRouteNetherlands));
    EXPECT_FALSE(m_mainWindow->window().isChecked(controls::kRouteMalaysia));
}

// 重新登录 while the pool refresh still waits for the service: the ended sign-in's refresh lists
// nothing and starts no statistics watch, its busy animation goes, and the next sign-in lists
// its own pools alone.
TEST_F(SignInAgainTest, SignInAgainDuringARefreshEndsEverythingTheOldSignInStarted) {
    ASSERT_NO_FATAL_FAILURE(openWithTwoKeys());
    runtime::Window& window = m_mainWindow->window();
    const auto statsRequests = [&] {
        const auto log = m_sim->requestLog();
        return std::count_if(log.begin(), log.end(), [](const sim::LoggedRequest& request) {
            return request.endpoint == sim::Endpoint::StatsFile;
        });
    };

    m_sim->setFault(sim::Endpoint::PoolList, sim::Fault{.latencyMs = 1500});
    clickSignIn("first-key");
    ASSERT_EQ(m_mainWindow->signedInKey(), "first-key");
    m_mainWindow->menuItem(controls::kDeviceMenu, "重新登录")->trigger();
    QTest::qWait(1200); // the pool list arrives meanwhile
    m_sim->clearFaults();
    EXPECT_EQ(window.rowCount(controls::kDeviceList), 0);
    EXPECT_EQ(window.rowCount(controls::kPoolSummaryList), 0);
    EXPECT_FALSE(m_mainWindow->control(controls::kBusyPicture)->isVisible());
    EXPECT_EQ(m_mainWindow->control(controls::kSignInPanel)->x(), 3);
    EXPECT_EQ(statsRequests(), 0);

    clickSignIn("second-key");
    ASSERT_TRUE(pumpUntil([&] { return statsRequests() == 1; }));
    QTest::qWait(300);
    EXPECT_EQ(statsRequests(), 1);
    EXPECT_EQ(window.rowCount(controls::kDeviceList), 1);
    EXPECT_EQ(window.cellText(controls::kDeviceList, 0, 0), "B7");
    EXPECT_EQ(window.rowCount(controls::kPoolSummaryList), 1);
    EXPECT_EQ(window.cellText(controls::kPoolSummaryList, 0, 0), "B7");
}

} // namespace
