#pragma once
// The frame of the service benchmarks that measure against a floor: a simulator with the client
// pointed at it (bench_support.h), the window the operations drive (the real Qt window when the
// app is built, else the in-memory one) and the bare client that sends the same requests.

#include "bare_client.h"
#include "bench_support.h"
#include "service/endpoints.h"
#include "service/session.h"

#include "runtime/state.h"
#include "runtime/threads.h"
#include "test_support/memory_window.h"

#ifdef POOLDESK_BENCH_WITH_APP
#include "../offscreen_platform.h"
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#endif

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace bench {

using benchsupport::Clock;
using benchsupport::median;
using benchsupport::secondsOf;
inline const std::string kKey = "bench-key";

// The simulator, the Qt application object and the window under test.
class Bench final {
public:
    Bench(int& argc, char** argv) {
#ifdef POOLDESK_BENCH_WITH_APP
        benchsupport::offscreenUnlessNamed();
        m_app = std::make_unique<QApplication>(argc, argv);
#else
        (void)argc;
        (void)argv;
#endif
        runtime::initProcessState();
        m_sim = benchsupport::startSimulator(kKey);
        if (!m_sim) {
            std::exit(1);
        }
#ifdef POOLDESK_BENCH_WITH_APP
        m_mainWindow = std::make_unique<app::MainWindow>(app::MainWindowOptions{
            .settingsFile = QDir::tempPath().toStdString() + "/pooldesk-bench-pz.ini",
            .startOverlay = false,
            .exitOnClose = false,
            .ledWorker = {}});
        m_mainWindow->show();
        m_window = &m_mainWindow->window();
        m_windowName = "Qt main window (offscreen)";
#else
        m_memoryWindow = std::make_unique<runtime::MemoryWindow>();
        m_window = m_memoryWindow.get();
        m_windowName = "in-memory window";
#endif
        if (runtime::ledLock.load() == 0) {
            runtime::ledLock = runtime::createLock();
        }
        m_session = service::Session::start(*m_window, service::endpoints().netherlands, kKey);
    }

    support::TestSimulator& sim() {
        return *m_sim;
    }
    runtime::Window& window() {
        return *m_window;
    }
    // Signed in with kKey on the Netherlands route, working on window().
    service::Session& session() {
        return *m_session;
    }
    const char* windowName() const {
        return m_windowName;
    }
    BareClient& bare() {
        return m_bare;
    }
#ifdef _WIN32
    BareAsyncClient& bareAsync() {
        return m_bareAsync;
    }
#endif

    // Lets the GUI thread's timers run (the views follow their lists) for a moment.
    void processEvents() {
#ifdef POOLDESK_BENCH_WITH_APP
        QCoreApplication::processEvents();
#endif
    }

private:
    std::unique_ptr<support::TestSimulator> m_sim;
#ifdef POOLDESK_BENCH_WITH_APP
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<app::MainWindow> m_mainWindow;
#else
    std::unique_ptr<runtime::MemoryWindow> m_memoryWindow;
#endif
    runtime::Window* m_window = nullptr;
    std::shared_ptr<service::Session> m_session;
    const char* m_windowName = "";
    BareClient m_bare;
#ifdef _WIN32
    BareAsyncClient m_bareAsync;
#endif
};

} // namespace bench
