#pragma once
// What the end-to-end tests share: a simulator (support/test_simulator.h) that the client's
// endpoints point at, the real main window (offscreen) with its own pz.ini, event pumping and
// screenshots as artifacts.

#include "app/main_window.h"
#include "service/endpoints.h"
#include "sim/simulator.h"
#include "test_support/qt_pump.h"
#include "test_support/test_simulator.h"
#include "test_support/window_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string_view>

namespace e2e {

// Processes events until done() holds; false when the time-out passed first.
template <typename Predicate> bool pumpUntil(Predicate done, int timeoutMs = 20000) {
    return support::pumpUntil(done, timeoutMs);
}

// Where screenshots go: $POOLDESK_ARTIFACTS_DIR, or ./artifacts.
inline QString artifactsFolder() {
    const QString configured = qEnvironmentVariable("POOLDESK_ARTIFACTS_DIR");
    const QString folder = configured.isEmpty() ? QStringLiteral("artifacts") : configured;
    QDir().mkpath(folder);
    return folder;
}

class RoadFixture : public testing::Test {
protected:
    // Starts the simulator with one accepted key and points the client's routes at it.
    void startSimulator(const std::string& key) {
        m_sim = support::startTestSimulator();
        ASSERT_TRUE(m_sim->running()) << m_sim->error();
        service::setEndpoints(
            service::applyEndpointOverride(service::defaultEndpoints(), m_sim->endpointsLine()));
        m_sim->addUser(key);
    }

    void openMainWindow() {
        ASSERT_TRUE(m_folder.isValid());
        m_mainWindow =
            app::testing::openWindow(m_folder.filePath(QStringLiteral("pz.ini")).toStdString());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_mainWindow.get()));
    }

    template <typename Widget> Widget* control(std::string_view name) {
        auto* widget = qobject_cast<Widget*>(m_mainWindow->control(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Saves the window as <artifacts>/<prefix><name>.png once the views caught up.
    void screenshot(const QString& prefix, const QString& name) {
        m_mainWindow->syncViews();
        QCoreApplication::processEvents();
        const QString path =
            artifactsFolder() + QStringLiteral("/") + prefix + name + QStringLiteral(".png");
        EXPECT_TRUE(m_mainWindow->grab().save(path)) << path.toStdString();
    }

    std::unique_ptr<support::TestSimulator> m_sim;
    QTemporaryDir m_folder;
    // The statistics watch started by the sign-in keeps using the window until the process ends.
    std::unique_ptr<app::MainWindow> m_mainWindow;
};

} // namespace e2e
