#pragma once
// A read-only look at pooldesk-history.sqlite for the trend window, on a connection of its own
// beside the writer's (in WAL mode a reader never waits for the writer, nor the writer for it).
// The file may not be there yet (no pass stored so far): then there is nothing to show, and the
// next look tries again.

#include "history/history_store.h"

#include <cstdint>
#include <expected>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace history {

class HistoryReader final {
public:
    explicit HistoryReader(std::string utf8Path);
    ~HistoryReader();
    HistoryReader(const HistoryReader&) = delete;
    HistoryReader& operator=(const HistoryReader&) = delete;

    // The rows of pool (GBK) that overlap [from, to], oldest first; none while the file is
    // missing; SQLite's message when it cannot be read.
    std::expected<std::vector<StoredPoint>, std::string>
    points(std::string_view pool, Clock::time_point from, Clock::time_point to);
    // True when something was committed since the last call, or the file appeared (cheap: no
    // rows are read). The first call answers true.
    bool changed();

private:
    bool open();

    std::string m_path;
    std::unique_ptr<Database> m_db;
    std::int64_t m_dataVersion = -1;
};

} // namespace history
