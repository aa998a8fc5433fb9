#pragma once
// The automatic new-task check: every N minutes (pz.ini [alerts] minutes, 1-120; 0 or missing
// is off) one check runs on the signed-in session's worker (service::checkForNewTasks) and,
// when pools gained ports, hands the gains to notify on the GUI thread. The comparison belongs
// to the session: a new sign-in starts from a fresh one, and 重新登录 ends a check under way.

#include "runtime/profile.h"
#include "service/task_alerts.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace app {

inline constexpr int kMostCheckMinutes = 120;

// The interval kept in pz.ini; 0 when off, missing or not a whole number of 1-120.
int readCheckMinutes(const std::string& settingsFile);
runtime::ProfileWrite writeCheckMinutes(const std::string& settingsFile, int minutes);

// What the operator typed when asked for the interval: 0-120, or nullopt for anything else.
std::optional<int> parseCheckMinutes(std::string_view answer);

struct AutoCheckOptions {
    std::string settingsFile;
    // The signed-in session; null while nobody is.
    std::function<std::shared_ptr<service::Session>()> session;
    // Pools gained ports (GUI thread, the session still signed in).
    std::function<void(const std::vector<service::PoolGain>&)> notify;
    // How long a minute of the interval lasts; shortened by the benchmark.
    std::chrono::milliseconds minute{std::chrono::minutes(1)};
};

class AutoCheck final : public QObject {
public:
    AutoCheck(QObject* parent, AutoCheckOptions options);

    int minutes() const { return m_minutes; }
    // Switches the check to every `minutes` (0 = off) and keeps it in pz.ini.
    runtime::ProfileWrite setMinutes(int minutes);
    // Starts one check now: false when nobody is signed in or the last check is still running.
    bool checkNow();
    // Checks that ran to their end (good or failed), since construction.
    int checksDone() const { return m_shared->done.load(); }

private:
    struct Shared {
        std::atomic<bool> running{false};
        std::atomic<int> done{0};
    };

    AutoCheckOptions m_options;
    int m_minutes = 0;
    QTimer m_timer;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    // The comparison of the session it was made for.
    std::weak_ptr<service::Session> m_comparedSession;
    std::shared_ptr<service::NewTaskComparison> m_comparison;
};

} // namespace app
