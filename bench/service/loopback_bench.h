#pragma once
// Shared pieces of the service benchmarks: a simulator on loopback with the client pointed at
// it, the window the operations drive (the real Qt window when the app is built), and a bare
// libcurl client sending the same requests for comparison.

#include "runtime/state.h"
#include "runtime/threads.h"
#include "service/endpoints.h"
#include "service/session.h"
#include "sim/simulator.h"
#include "support/memory_window.h"

#include <curl/curl.h>

#ifdef POOLDESK_BENCH_WITH_APP
#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#else
#include <QCoreApplication>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;
inline const std::string kKey = "bench-key";

inline double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The simulator, the Qt application object and the window under test.
class Bench final {
public:
    Bench(int& argc, char** argv) {
#ifdef POOLDESK_BENCH_WITH_APP
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        m_app = std::make_unique<QApplication>(argc, argv);
#else
        m_app = std::make_unique<QCoreApplication>(argc, argv);
#endif
        sim::Options options;
        options.servicePorts = {0};
        options.statsPort = 0;
        m_sim = std::make_unique<sim::Simulator>(options);
        if (!m_sim->start()) {
            std::fprintf(stderr, "simulator: %s\n", m_sim->error().c_str());
            std::exit(1);
        }
        runtime::initProcessState();
        const auto endpoints =
            service::applyEndpointOverride(service::defaultEndpoints(), m_sim->endpointsLine());
        service::setEndpoints(endpoints);
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
        m_session = service::Session::start(*m_window, endpoints.netherlands, kKey);
        if (runtime::ledLock.load() == 0) {
            runtime::ledLock = runtime::createLock();
        }
        m_sim->addUser(kKey);
        curl_global_init(CURL_GLOBAL_DEFAULT);
    }

    ~Bench() {
        curl_global_cleanup();
    }

    sim::Simulator& sim() {
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

    // Lets the GUI thread's timers run (the views follow their lists) for a moment.
    void processEvents() {
        QCoreApplication::processEvents();
    }

private:
    std::unique_ptr<QCoreApplication> m_app;
    std::unique_ptr<sim::Simulator> m_sim;
#ifdef POOLDESK_BENCH_WITH_APP
    std::unique_ptr<app::MainWindow> m_mainWindow;
#else
    std::unique_ptr<runtime::MemoryWindow> m_memoryWindow;
#endif
    runtime::Window* m_window = nullptr;
    std::shared_ptr<service::Session> m_session;
    const char* m_windowName = "";
};

inline size_t collectBody(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// One request the way the engine makes it: its own handle and connection. Returns the body.
inline std::string bareRequest(const std::string& url, const std::string* postBody) {
    std::string reply;
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &reply);
    curl_slist* headers = nullptr;
    if (postBody) {
        // The engine sends its body at once; so does this loop (no 100-continue round trip).
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, postBody->data());
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(postBody->size()));
    }
    curl_easy_perform(handle);
    curl_easy_cleanup(handle);
    curl_slist_free_all(headers);
    return reply;
}

} // namespace bench
