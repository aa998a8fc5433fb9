#pragma once
// The statistics history on disk: pooldesk-history.sqlite, one row per pool per pass whose
// counters changed since that pool's last row; an unchanged record only moves the last row's
// "seen until". Pool names are stored as UTF-8 TEXT (converted from GBK here, at the border),
// times as milliseconds since 1970 UTC. Used by one thread at a time (the history writer).

#include "history/sqlite.h"
#include "service/values.h"

#include <chrono>
#include <cstdint>
#include <expected>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace history {

using Clock = std::chrono::system_clock;
// The counters of a record: each cell's leading integer (the count before its percentage).
using Counters = std::array<std::int64_t, service::kStatsCellCount>;

// A row of a pool's history: its counters from readAt until seenUntil.
struct StoredPoint {
    Clock::time_point readAt;
    Clock::time_point seenUntil;
    Counters counters;
    bool operator==(const StoredPoint&) const = default;
};

// A pool not read for longer than this starts a new row even when its counters did not change,
// so that the time it was not read stays a gap in its history.
inline constexpr std::chrono::seconds kGapAfter{60};

class HistoryStore final {
public:
    // One line for the log, UTF-8.
    using Log = std::function<void(const std::string&)>;
    struct Options {
        std::string path; // UTF-8
        Log log = {};
        // Limits the file to this many pages (0: no limit): a full disk, for tests.
        std::int64_t maxPages = 0;
    };

    // Opens the database at options.path, creating it when missing. One that cannot be opened,
    // is not a database or fails its check is moved aside as <path>.bad-YYYYMMDD-HHMMSS (with
    // one log line) and a new one is started. The error when neither works (an unwritable
    // folder).
    static std::expected<std::unique_ptr<HistoryStore>, std::string> open(const Options& options);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    // Stores one pass in one transaction: all of it or, on an error (returned), nothing.
    std::expected<void, std::string> storePass(std::span<const service::PoolStatistics> records);
    // Deletes the rows last seen before cutoff.
    std::expected<void, std::string> prune(Clock::time_point cutoff);

    // The rows of pool (GBK) that overlap [from, to], oldest first.
    std::vector<StoredPoint> points(std::string_view pool, Clock::time_point from,
                                    Clock::time_point to);

private:
    struct LastRow {
        std::int64_t readAt = 0;
        std::int64_t seenUntil = 0;
        Counters counters{};
    };
    struct Statements;

    explicit HistoryStore(std::unique_ptr<Database> db);
    // The pool's id, its row made on first sight; the name converted to UTF-8 only then.
    std::int64_t poolId(const std::string& gbkName);
    const LastRow* lastRow(std::int64_t pool);
    void storeRecord(const service::PoolStatistics& record);

    std::unique_ptr<Database> m_db;
    std::unique_ptr<Statements> m_statements;
    // What the database holds, to decide without reading it; dropped when a write fails.
    std::map<std::string, std::int64_t, std::less<>> m_poolIds; // by GBK name
    std::map<std::int64_t, LastRow> m_lastRows;
};

// The rows of pool (GBK) in db that overlap [from, to], oldest first. Throws SqliteError.
std::vector<StoredPoint> readPoints(Database& db, std::string_view pool, Clock::time_point from,
                                    Clock::time_point to);

// The counters of a record's cells.
Counters countersOf(const service::StatsCells& cells);

} // namespace history
