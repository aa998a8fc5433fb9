#include "app/auto_check.h"

#include "app/settings.h"
#include "overlay/gui_call.h"

#include <algorithm>

#include <charconv>

namespace app {

namespace {

constexpr std::string_view kSection = "alerts";
constexpr std::string_view kItem = "minutes";

} // namespace

std::optional<int> parseCheckMinutes(std::string_view answer) {
    while (!answer.empty() && answer.front() == ' ') {
        answer.remove_prefix(1);
    }
    while (!answer.empty() && answer.back() == ' ') {
        answer.remove_suffix(1);
    }
    int minutes = -1;
    const auto [end, error] =
        std::from_chars(answer.data(), answer.data() + answer.size(), minutes);
    if (answer.empty() || error != std::errc() || end != answer.data() + answer.size() ||
        minutes < 0 || minutes > kMostCheckMinutes) {
        return std::nullopt;
    }
    return minutes;
}

int readCheckMinutes(const std::string& settingsFile) {
    return parseCheckMinutes(runtime::readSetting(settingsFilePath(settingsFile), kSection, kItem))
        .value_or(0);
}

runtime::ProfileWrite writeCheckMinutes(const std::string& settingsFile, int minutes) {
    return runtime::storeSetting(settingsFilePath(settingsFile), kSection, kItem,
                                 runtime::toText(static_cast<long long>(minutes)));
}

AutoCheck::AutoCheck(QObject* parent, AutoCheckOptions options)
    : QObject(parent), m_options(std::move(options)) {
    connect(&m_timer, &QTimer::timeout, this, [this] { checkNow(); });
    m_minutes = readCheckMinutes(m_options.settingsFile);
    if (m_minutes > 0) {
        m_timer.start(m_options.minute * m_minutes);
    }
}

runtime::ProfileWrite AutoCheck::setMinutes(int minutes) {
    m_minutes = std::clamp(minutes, 0, kMostCheckMinutes);
    m_timer.stop();
    if (m_minutes > 0) {
        m_timer.start(m_options.minute * m_minutes);
    }
    return writeCheckMinutes(m_options.settingsFile, m_minutes);
}

bool AutoCheck::checkNow() {
    const std::shared_ptr<service::Session> session =
        m_options.session ? m_options.session() : nullptr;
    if (!session || m_shared->running.exchange(true)) {
        return false;
    }
    if (m_comparedSession.lock() != session) {
        m_comparedSession = session;
        m_comparison = std::make_shared<service::NewTaskComparison>();
    }
    const std::weak_ptr<service::Session> checked = session;
    const bool started = session->startWorker(
        [this, shared = m_shared, comparison = m_comparison, checked](service::Session& on) {
            // Done, whichever way the check ends: a check that never ends would stop all later.
            const std::unique_ptr<Shared, void (*)(Shared*)> finished(shared.get(), [](Shared* s) {
                ++s->done;
                s->running = false;
            });
            std::vector<service::PoolGain> gains = service::checkForNewTasks(on, *comparison);
            if (!gains.empty() && !on.ended()) {
                // The window's workers end before this object goes, so the call finds it; a
                // session that ended meanwhile is no longer the operator's to be told about.
                overlay::postToGuiThread(this, [this, checked, gains = std::move(gains)] {
                    const std::shared_ptr<service::Session> current =
                        m_options.session ? m_options.session() : nullptr;
                    if (current && current == checked.lock() && m_options.notify) {
                        m_options.notify(gains);
                    }
                });
            }
        });
    if (!started) {
        m_shared->running = false;
    }
    return started;
}

} // namespace app
