#pragma once
// Where the statistics history is kept and for how long: pooldesk-history.sqlite beside the
// settings file, and pz.ini's [history] days (1-365, 30 when missing or not a number).

#include <string>

namespace app {

// The history file beside settingsFile (a path in the platform's file-name text: GBK on
// Windows), as the UTF-8 path SQLite takes.
std::string historyFileBeside(const std::string& settingsFile);

int readHistoryDays(const std::string& settingsFile);

} // namespace app
