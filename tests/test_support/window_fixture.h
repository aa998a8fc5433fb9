#pragma once
// A main window on the offscreen platform with its pz.ini in a fresh temporary folder.

#include "app/main_window.h"
#include "app/qt_window.h"
#include "test_support/qt_pump.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace app::testing {

inline std::unique_ptr<MainWindow> openWindow(const std::string& settingsFile,
                                              LedWorker ledWorker = {}) {
    auto window = std::make_unique<MainWindow>(MainWindowOptions{
        .settingsFile = settingsFile,
        .startOverlay = false,
        .exitOnClose = false,
        .ledWorker = std::move(ledWorker),
    });
    window->show();
    return window;
}

// Keeps the GUI thread's events flowing until done() holds or the time is up.
template <typename Predicate> bool pumpUntil(Predicate done, int timeoutMs = 5000) {
    return support::pumpUntil(done, timeoutMs);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_window = openWindow(settingsFile());
    }
    std::string settingsFile() const {
        return m_folder.filePath(QStringLiteral("pz.ini")).toStdString();
    }
    MainWindow& mainWindow() { return *m_window; }
    runtime::Window& window() { return m_window->window(); }

    QTemporaryDir m_folder;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace app::testing
