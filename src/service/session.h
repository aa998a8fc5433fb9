#pragma once
// What a sign-in established (the route and the key) and the work started under it. The work
// (the pool refresh, the statistics watch, port listings, LED lightings) runs on the window's
// workers and sees the window through a gate of the session: once the session ends (重新登录, a
// new sign-in, the window closing) its workers are asked to stop, and nothing they do reaches the
// window any more, whatever they were in the middle of.

#include "runtime/text.h"
#include "runtime/window.h"
#include "service/snapshot.h"
#include "service/statistics_sink.h"

#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

namespace service {

class Session final : public std::enable_shared_from_this<Session> {
public:
    // A session whose work runs on `window`'s workers; the window must outlive the session's use.
    static std::shared_ptr<Session> start(runtime::Window& window, runtime::Text routeHost,
                                          runtime::Text key);
    // The session whose window() this is; null for any other window.
    static Session* of(runtime::Window& window);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const runtime::Text& routeHost() const { return m_routeHost; }
    const runtime::Text& key() const { return m_key; }
    // What the session's operations last showed.
    Snapshot& snapshot() { return m_snapshot; }
    const Snapshot& snapshot() const { return m_snapshot; }
    // Where the statistics watch hands each pass's records (the app's history); none by default.
    void setStatisticsSink(std::shared_ptr<StatisticsSink> sink);
    std::shared_ptr<StatisticsSink> statisticsSink() const;

    // The window as the session's work sees it: while the session lives every call passes; after
    // its end reads answer empty (or -1, 0) and writes do nothing. A worker started through it
    // belongs to the session.
    runtime::Window& window();

    // Starts routine on one of the window's workers. The worker holds the session while it runs
    // and is asked to stop when either the window or the session ends. False once it has ended.
    bool startWorker(std::function<void(Session&)> routine);

    // Asks the session's workers to stop, then waits (keeping the calling thread's events going,
    // so a worker waiting on the window's thread is served) until none of them is inside a window
    // call; from then on nothing of the session reaches the window. The busy animation the work
    // was showing is given back. Idempotent.
    void end();
    bool ended() const;

private:
    class Gate;
    class GatedWindow;

    Session(runtime::Window& window, runtime::Text routeHost, runtime::Text key);
    bool launch(runtime::WorkerRoutine routine, std::int32_t argument);

    runtime::Window& m_window;
    const runtime::Text m_routeHost;
    const runtime::Text m_key;
    std::stop_source m_stop;
    Snapshot m_snapshot;
    mutable std::mutex m_sinkMutex;
    std::shared_ptr<StatisticsSink> m_statisticsSink;
    std::unique_ptr<Gate> m_gate;
    std::unique_ptr<GatedWindow> m_gatedWindow;
};

} // namespace service
