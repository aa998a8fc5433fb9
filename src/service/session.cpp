#include "service/session.h"

#include "runtime/controls.h"
#include "runtime/delay.h"
#include "runtime/worker_owner.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

namespace service {

using runtime::Text;

// Lets calls into the window through while open. Closing it lets no new call in and returns
// once no other thread is inside; a call of the closing thread's own (further up its stack)
// finishes after the close and is the last one. Two atomics a call: a listing of 100,000 ports
// passes it 300,000 times.
class Session::Gate final {
public:
    class Entry final {
    public:
        explicit Entry(Gate& gate) : m_gate(gate), m_entered(gate.enter()) {}
        ~Entry() {
            if (m_entered) {
                m_gate.leave();
            }
        }
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;
        explicit operator bool() const { return m_entered; }

    private:
        Gate& m_gate;
        bool m_entered;
    };

    void close() {
        m_closed.store(true);
        // A worker inside may be waiting for this (the window's) thread to carry out its call.
        const int own = t_gate == this ? t_depth : 0;
        while (m_inside.load() > own) {
            runtime::responsiveDelay(std::chrono::milliseconds(1));
        }
    }

    bool closed() const { return m_closed.load(); }

private:
    // Sequentially consistent on both sides: a call that got in is seen by close(), or the call
    // sees the gate closed.
    bool enter() {
        m_inside.fetch_add(1);
        if (m_closed.load()) {
            m_inside.fetch_sub(1);
            return false;
        }
        if (t_depth == 0) {
            t_gate = this;
        }
        if (t_gate == this) {
            ++t_depth;
        }
        return true;
    }

    void leave() {
        if (t_gate == this && --t_depth == 0) {
            t_gate = nullptr;
        }
        m_inside.fetch_sub(1);
    }

    // The gate the calling thread is inside, and how deep: the closing thread's own calls are not
    // waited for (they are further up its stack).
    static thread_local const Gate* t_gate;
    static thread_local int t_depth;

    std::atomic<bool> m_closed{false};
    std::atomic<int> m_inside{0};
};

thread_local const Session::Gate* Session::Gate::t_gate = nullptr;
thread_local int Session::Gate::t_depth = 0;

class Session::GatedWindow final : public runtime::Window {
public:
    GatedWindow(Session& session, runtime::Window& window, Gate& gate)
        : m_session(session), m_window(window), m_gate(gate) {}

    Session& session() { return m_session; }

    // After the gate closed: the busy animation shown by the session's work, and not hidden by
    // it, is hidden now, once for each time it was shown.
    void giveBackBusyAnimation() {
        int held = 0;
        {
            const std::lock_guard lock(m_busyMutex);
            held = std::exchange(m_busyHeld, 0);
        }
        for (; held > 0; --held) {
            m_window.setVisible(controls::kBusyPicture, false);
        }
    }

    bool startWorker(runtime::WorkerRoutine routine, std::int32_t argument = 0) override {
        return m_session.launch(std::move(routine), argument);
    }

    Text text(std::string_view control) override {
        return through([&] { return m_window.text(control); });
    }
    void setText(std::string_view control, std::string_view text) override {
        through([&] { m_window.setText(control, text); });
    }
    bool isChecked(std::string_view control) override {
        return through([&] { return m_window.isChecked(control); });
    }
    void setLeft(std::string_view control, int left) override {
        through([&] { m_window.setLeft(control, left); });
    }
    void setVisible(std::string_view control, bool visible) override {
        through([&] {
            if (control == controls::kBusyPicture) {
                const std::lock_guard lock(m_busyMutex);
                m_busyHeld = visible ? m_busyHeld + 1 : std::max(0, m_busyHeld - 1);
            }
            m_window.setVisible(control, visible);
        });
    }
    void setDisabled(std::string_view control, bool disabled) override {
        through([&] { m_window.setDisabled(control, disabled); });
    }
    void writeLine(std::string_view control, std::string_view line) override {
        through([&] { m_window.writeLine(control, line); });
    }

    int selectedRow(std::string_view list) override {
        return through([&] { return m_window.selectedRow(list); }, -1);
    }
    int rowCount(std::string_view list) override {
        return through([&] { return m_window.rowCount(list); });
    }
    Text cellText(std::string_view list, int row, int column) override {
        return through([&] { return m_window.cellText(list, row, column); });
    }
    runtime::RowTexts rowTexts(std::string_view list, int firstRow, int count,
                               int columns) override {
        return through([&] { return m_window.rowTexts(list, firstRow, count, columns); },
                       runtime::RowTexts(columns));
    }
    void setCellText(std::string_view list, int row, int column, std::string_view text) override {
        through([&] { m_window.setCellText(list, row, column, text); });
    }
    int checkState(std::string_view list, int row) override {
        return through([&] { return m_window.checkState(list, row); });
    }
    void setCheckState(std::string_view list, int row, int state) override {
        through([&] { m_window.setCheckState(list, row, state); });
    }
    int appendRow(std::string_view list, std::string_view caption) override {
        return through([&] { return m_window.appendRow(list, caption); }, -1);
    }
    void deleteRow(std::string_view list, int row) override {
        through([&] { m_window.deleteRow(list, row); });
    }
    void deleteAllRows(std::string_view list) override {
        through([&] { m_window.deleteAllRows(list); });
    }
    int findRow(std::string_view list, std::string_view caption) override {
        return through([&] { return m_window.findRow(list, caption); }, -1);
    }
    void setRowGreyed(std::string_view list, int row, bool greyed) override {
        through([&] { m_window.setRowGreyed(list, row, greyed); });
    }

    bool putOnClipboard(std::string_view text) override {
        return through([&] { return m_window.putOnClipboard(text); });
    }
    Text inputBox(std::string_view prompt) override {
        return through([&] { return m_window.inputBox(prompt); });
    }
    void popUpMenu(std::string_view menuRoot) override {
        through([&] { m_window.popUpMenu(menuRoot); });
    }

private:
    // Runs call while the gate is open; otherwise answers `closed` (nothing for a write).
    template <typename Call, typename Result = std::invoke_result_t<Call>>
    Result through(Call call, Result closed = Result()) {
        const Gate::Entry entry(m_gate);
        if (!entry) {
            return closed;
        }
        return call();
    }
    template <typename Call>
    requires std::is_void_v<std::invoke_result_t<Call>>
    void through(Call call) {
        const Gate::Entry entry(m_gate);
        if (entry) {
            call();
        }
    }

    Session& m_session;
    runtime::Window& m_window;
    Gate& m_gate;
    std::mutex m_busyMutex;
    int m_busyHeld = 0;
};

std::shared_ptr<Session> Session::start(runtime::Window& window, Text routeHost, Text key) {
    return std::shared_ptr<Session>(new Session(window, std::move(routeHost), std::move(key)));
}

Session* Session::of(runtime::Window& window) {
    auto* gated = dynamic_cast<GatedWindow*>(&window);
    return gated != nullptr ? &gated->session() : nullptr;
}

Session::Session(runtime::Window& window, Text routeHost, Text key)
    : m_window(window), m_routeHost(std::move(routeHost)), m_key(std::move(key)),
      m_gate(std::make_unique<Gate>()),
      m_gatedWindow(std::make_unique<GatedWindow>(*this, window, *m_gate)) {}

Session::~Session() = default;

runtime::Window& Session::window() {
    return *m_gatedWindow;
}

bool Session::startWorker(std::function<void(Session&)> routine) {
    return launch([routine = std::move(routine), this](std::int32_t) { routine(*this); }, 0);
}

bool Session::launch(runtime::WorkerRoutine routine, std::int32_t argument) {
    const Gate::Entry entry(*m_gate);
    if (!entry || !routine) {
        return false;
    }
    return m_window.startWorker(
        [self = shared_from_this(), routine = std::move(routine)](std::int32_t value) {
            // Stops when the window's owner asks (the window is going) or the session ends.
            std::stop_source either;
            const auto stop = [&either] { either.request_stop(); };
            const std::stop_callback fromWindow(runtime::currentStopToken(), stop);
            const std::stop_callback fromSession(self->m_stop.get_token(), stop);
            const runtime::StopTokenScope scope(either.get_token());
            routine(value);
        },
        argument);
}

void Session::end() {
    if (m_gate->closed()) {
        return;
    }
    m_stop.request_stop();
    m_gate->close();
    m_gatedWindow->giveBackBusyAnimation();
}

void Session::setStatisticsSink(std::shared_ptr<StatisticsSink> sink) {
    const std::lock_guard lock(m_sinkMutex);
    m_statisticsSink = std::move(sink);
}

std::shared_ptr<StatisticsSink> Session::statisticsSink() const {
    const std::lock_guard lock(m_sinkMutex);
    return m_statisticsSink;
}

bool Session::ended() const {
    return m_gate->closed();
}

} // namespace service
