#pragma once
// The page "点灯": every LED lighting this client started (from the port list's menu or relit
// here), with its port, pool, duration, start, the time left counting down each second and how
// it went. A row leaves when its duration is over; a later lighting of the same port takes its
// row. The service has no request that switches an LED off: removing a row, or "全部熄灭提醒"
// for all of them, only forgets the reminder, and the LED blinks until its time is over.

#include "app/port_commands.h"
#include "runtime/state.h"
#include "service/session.h"
#include "service/values.h"

#include <QTimer>
#include <QWidget>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace app {

// Layout names of the page's list and button.
inline constexpr std::string_view kLedList = "点灯列表";
inline constexpr std::string_view kLedClearAll = "全部熄灭提醒";

struct LedLighting {
    runtime::Text port;
    runtime::Text pool;
    runtime::LedDuration duration = runtime::LedDuration::TenMinutes;
    std::chrono::system_clock::time_point startedAt;
    bool lit = false;
    runtime::Text result; // "点亮成功", or why it did not light (GBK)
};

std::chrono::seconds ledDurationLength(runtime::LedDuration duration);

class LedPanel final : public QWidget {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;
    using SessionSource = std::function<std::shared_ptr<service::Session>()>;

    // Fills page (the tab's page); session: the signed-in session, null while nobody is.
    LedPanel(QWidget* page, SessionSource session);

    // Replaces the clock the panel starts, counts and ends lightings by (tests); call before any
    // lighting starts.
    void setClock(Clock clock);

    // The body of the port list's LED workers: lights the row's port and records the lighting.
    LedWorker worker();

    // Adds or replaces the lighting's row; any thread.
    void record(LedLighting lighting);
    // Lights the row's port again for its duration, on a worker of the signed-in session.
    bool relight(int row);
    void remove(int row);
    // Forgets every row; sends nothing.
    void clearAll();
    // Counts down and drops the rows whose time is over (each second by itself).
    void tick();

    const std::vector<LedLighting>& lightings() const { return m_lightings; }
    QTreeWidget* list() const { return m_list; }

private:
    void show(std::size_t index);
    void popUpRowMenu(const QPoint& at);

    SessionSource m_session;
    Clock m_clock;
    QTreeWidget* m_list;
    QPushButton* m_clearAll;
    QTimer m_ticker;
    std::vector<LedLighting> m_lightings; // in the list's order
};

} // namespace app
