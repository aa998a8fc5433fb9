#include "app/history_settings.h"

#include "history/history_writer.h"
#include "runtime/codepage.h"
#include "runtime/profile.h"

#include <algorithm>
#include <charconv>

namespace app {

namespace {

constexpr int kMostDays = 365;

} // namespace

std::string historyFileBeside(const std::string& settingsFile) {
#ifdef _WIN32
    // After the conversion: a GBK trail byte may look like a backslash.
    const std::string path = runtime::gbkToUtf8(settingsFile);
    const std::size_t separator = path.find_last_of("\\/");
#else
    const std::string& path = settingsFile;
    const std::size_t separator = path.find_last_of('/');
#endif
    const std::string folder =
        separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
    return folder + "pooldesk-history.sqlite";
}

int readHistoryDays(const std::string& settingsFile) {
    const runtime::Text stored = runtime::readSetting(settingsFile, "history", "days");
    int days = 0;
    const auto [end, error] = std::from_chars(stored.data(), stored.data() + stored.size(), days);
    if (error != std::errc() || end != stored.data() + stored.size()) {
        return history::kDefaultKeepDays;
    }
    return std::clamp(days, 1, kMostDays);
}

} // namespace app
