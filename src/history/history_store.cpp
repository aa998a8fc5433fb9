#include "history/history_store.h"

#include "runtime/codepage.h"
#include "service/stats_record.h"

#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

namespace history {

namespace {

// A pool's rows close when its counters change; the open one's "seen until" lives in pools, so
// that a pass over quiet pools touches that small table only, not a page of records per pool.
constexpr std::string_view kSchema = R"sql(
CREATE TABLE IF NOT EXISTS pools(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE,
  last_read_at INTEGER, seen_until INTEGER);
CREATE TABLE IF NOT EXISTS records(
  pool INTEGER NOT NULL REFERENCES pools(id),
  read_at INTEGER NOT NULL,
  seen_until INTEGER NOT NULL,
  c1 INTEGER NOT NULL, c2 INTEGER NOT NULL, c3 INTEGER NOT NULL, c4 INTEGER NOT NULL,
  c5 INTEGER NOT NULL, c6 INTEGER NOT NULL, c7 INTEGER NOT NULL, c8 INTEGER NOT NULL,
  c9 INTEGER NOT NULL, c10 INTEGER NOT NULL, c11 INTEGER NOT NULL,
  PRIMARY KEY(pool, read_at)) WITHOUT ROWID;
)sql";
constexpr std::string_view kRowColumns =
    "read_at, seen_until, c1, c2, c3, c4, c5, c6, c7, c8, c9, c10, c11";
constexpr std::string_view kCounterColumns =
    "r.c1, r.c2, r.c3, r.c4, r.c5, r.c6, r.c7, r.c8, r.c9, r.c10, r.c11";
// A row's "seen until", the open row's from pools.
constexpr std::string_view kSeenUntil = "CASE WHEN r.read_at = p.last_read_at THEN "
                                        "max(r.seen_until, p.seen_until) ELSE r.seen_until END";

std::int64_t millisecondsOf(Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

Clock::time_point timeOf(std::int64_t milliseconds) {
    return Clock::time_point(std::chrono::milliseconds(milliseconds));
}

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The suffix a broken database is moved aside with: .bad-YYYYMMDD-HHMMSS, local time.
std::string badSuffix() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char stamp[32];
    std::strftime(stamp, sizeof stamp, ".bad-%Y%m%d-%H%M%S", &local);
    return stamp;
}

// Opens and checks the database, sets WAL and makes the tables.
std::unique_ptr<Database> openChecked(const HistoryStore::Options& options) {
    auto db = std::make_unique<Database>(options.path);
    sqlite3_busy_timeout(db->handle(), 2000);
    {
        // A file that is not a database fails here, at its first read.
        Statement check(*db, "PRAGMA quick_check");
        const std::string verdict = check.step() ? check.text(0) : std::string();
        if (verdict != "ok") {
            throw SqliteError(SQLITE_CORRUPT, "check failed: " + verdict);
        }
    }
    db->execute("PRAGMA journal_mode=WAL");
    // In WAL mode a killed process loses no committed pass (a power cut may lose the last one).
    db->execute("PRAGMA synchronous=NORMAL");
    if (options.maxPages > 0) {
        db->execute("PRAGMA max_page_count=" + std::to_string(options.maxPages));
    }
    db->execute(kSchema);
    return db;
}

// Moves path and its WAL files aside under one suffix; the error when the main file could not be.
std::optional<std::string> moveAside(const std::string& path, const std::string& suffix) {
    std::error_code error;
    std::filesystem::rename(fsPath(path), fsPath(path + suffix), error);
    if (error) {
        return error.message();
    }
    // A WAL left beside a new file of the same name would be played into it.
    for (const char* companion : {"-wal", "-shm"}) {
        std::error_code ignored;
        if (std::filesystem::exists(fsPath(path + companion), ignored)) {
            std::filesystem::rename(fsPath(path + companion), fsPath(path + suffix + companion),
                                    ignored);
        }
    }
    return std::nullopt;
}

} // namespace

struct HistoryStore::Statements {
    explicit Statements(Database& db)
        : insertPool(db, "INSERT OR IGNORE INTO pools(name) VALUES(?1)"),
          selectPool(db, "SELECT id FROM pools WHERE name = ?1"),
          selectLast(db, "SELECT p.last_read_at, p.seen_until, " + std::string(kCounterColumns) +
                             " FROM pools p JOIN records r ON r.pool = p.id AND r.read_at = "
                             "p.last_read_at WHERE p.id = ?1"),
          moveSeenUntil(db, "UPDATE pools SET seen_until = ?2 WHERE id = ?1"),
          closeRow(db, "UPDATE records SET seen_until = max(seen_until, ?3) "
                       "WHERE pool = ?1 AND read_at = ?2"),
          insertRow(db, "INSERT OR REPLACE INTO records(pool, " + std::string(kRowColumns) +
                            ") VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, "
                            "?14)"),
          openRow(db, "UPDATE pools SET last_read_at = ?2, seen_until = ?2 WHERE id = ?1") {}
    Statement insertPool;
    Statement selectPool;
    Statement selectLast;
    Statement moveSeenUntil;
    Statement closeRow;
    Statement insertRow;
    Statement openRow;
};

Counters countersOf(const service::StatsCells& cells) {
    Counters counters{};
    for (std::size_t i = 0; i < cells.size(); ++i) {
        counters[i] = service::statsFieldValue(cells[i]);
    }
    return counters;
}

std::expected<std::unique_ptr<HistoryStore>, std::string>
HistoryStore::open(const Options& options) {
    try {
        return std::unique_ptr<HistoryStore>(new HistoryStore(openChecked(options)));
    } catch (const SqliteError& first) {
        // Only a file that is itself at fault is moved aside; a full disk or an unwritable
        // folder leaves it where it is.
        const int code = first.code();
        std::error_code ignored;
        if ((code != SQLITE_NOTADB && code != SQLITE_CORRUPT && code != SQLITE_CANTOPEN) ||
            !std::filesystem::exists(fsPath(options.path), ignored)) {
            return std::unexpected(std::string(first.what()));
        }
        const std::string suffix = badSuffix();
        if (const auto failed = moveAside(options.path, suffix)) {
            return std::unexpected(std::string(first.what()) +
                                   "; could not move it aside: " + *failed);
        }
        if (options.log) {
            options.log("history: " + options.path + " could not be used (" + first.what() +
                        "), moved aside as " + options.path + suffix + "; starting a new one");
        }
        try {
            return std::unique_ptr<HistoryStore>(new HistoryStore(openChecked(options)));
        } catch (const SqliteError& second) {
            return std::unexpected(std::string(second.what()));
        }
    }
}

HistoryStore::HistoryStore(std::unique_ptr<Database> db)
    : m_db(std::move(db)), m_statements(std::make_unique<Statements>(*m_db)) {}

HistoryStore::~HistoryStore() {
    m_statements.reset(); // before the connection they belong to
}

std::int64_t HistoryStore::poolId(const std::string& gbkName) {
    if (const auto known = m_poolIds.find(gbkName); known != m_poolIds.end()) {
        return known->second;
    }
    const std::string utf8Name = runtime::gbkToUtf8(gbkName);
    m_statements->insertPool.bind(1, utf8Name).run();
    Statement& select = m_statements->selectPool;
    select.bind(1, utf8Name);
    if (!select.step()) {
        select.reset();
        throw SqliteError(SQLITE_ERROR, "pool row missing after insert");
    }
    const std::int64_t id = select.integer(0);
    select.reset();
    m_poolIds.emplace(gbkName, id);
    return id;
}

const HistoryStore::LastRow* HistoryStore::lastRow(std::int64_t pool) {
    if (const auto known = m_lastRows.find(pool); known != m_lastRows.end()) {
        return &known->second;
    }
    Statement& select = m_statements->selectLast;
    select.bind(1, pool);
    if (!select.step()) {
        select.reset();
        return nullptr;
    }
    LastRow row{.readAt = select.integer(0), .seenUntil = select.integer(1), .counters = {}};
    for (std::size_t i = 0; i < row.counters.size(); ++i) {
        row.counters[i] = select.integer(static_cast<int>(i) + 2);
    }
    select.reset();
    return &m_lastRows.insert_or_assign(pool, row).first->second;
}

void HistoryStore::storeRecord(const service::PoolStatistics& record) {
    const std::int64_t pool = poolId(record.pool);
    const Counters counters = countersOf(record.cells);
    const std::int64_t at = millisecondsOf(record.readAt);
    constexpr std::int64_t gapAfter =
        std::chrono::duration_cast<std::chrono::milliseconds>(kGapAfter).count();
    const LastRow* last = lastRow(pool);
    if (last && last->counters == counters && at >= last->readAt &&
        at - last->seenUntil <= gapAfter) {
        const std::int64_t seenUntil = std::max(last->seenUntil, at);
        m_statements->moveSeenUntil.bind(1, pool).bind(2, seenUntil).run();
        m_lastRows[pool].seenUntil = seenUntil;
        return;
    }
    // A row that lived one pass was stored closed already.
    if (last && last->seenUntil != last->readAt) {
        m_statements->closeRow.bind(1, pool).bind(2, last->readAt).bind(3, last->seenUntil).run();
    }
    Statement& insert = m_statements->insertRow;
    insert.bind(1, pool).bind(2, at).bind(3, at);
    for (std::size_t i = 0; i < counters.size(); ++i) {
        insert.bind(static_cast<int>(i) + 4, counters[i]);
    }
    insert.run();
    m_statements->openRow.bind(1, pool).bind(2, at).run();
    m_lastRows.insert_or_assign(pool, LastRow{.readAt = at, .seenUntil = at, .counters = counters});
}

std::expected<void, std::string>
HistoryStore::storePass(std::span<const service::PoolStatistics> records) {
    try {
        Transaction transaction(*m_db);
        for (const service::PoolStatistics& record : records) {
            storeRecord(record);
        }
        transaction.commit();
        return {};
    } catch (const SqliteError& error) {
        // Rolled back: what was remembered of this pass is not in the file.
        m_poolIds.clear();
        m_lastRows.clear();
        return std::unexpected(std::string(error.what()));
    }
}

std::expected<void, std::string> HistoryStore::prune(Clock::time_point cutoff) {
    try {
        Statement remove(*m_db, "DELETE FROM records AS r WHERE seen_until < ?1 AND NOT EXISTS "
                                "(SELECT 1 FROM pools p WHERE p.id = r.pool AND p.last_read_at "
                                "= r.read_at AND p.seen_until >= ?1)");
        remove.bind(1, millisecondsOf(cutoff)).run();
        m_lastRows.clear();
        return {};
    } catch (const SqliteError& error) {
        m_lastRows.clear();
        return std::unexpected(std::string(error.what()));
    }
}

std::vector<StoredPoint> HistoryStore::points(std::string_view pool, Clock::time_point from,
                                              Clock::time_point to) {
    return readPoints(*m_db, pool, from, to);
}

std::vector<StoredPoint> readPoints(Database& db, std::string_view pool, Clock::time_point from,
                                    Clock::time_point to) {
    Statement select(db, "SELECT r.read_at, " + std::string(kSeenUntil) + " AS seen, " +
                             std::string(kCounterColumns) +
                             " FROM records r JOIN pools p ON p.id = r.pool WHERE p.name = ?1 "
                             "AND r.read_at <= ?3 AND seen >= ?2 ORDER BY r.read_at");
    select.bind(1, runtime::gbkToUtf8(pool))
        .bind(2, millisecondsOf(from))
        .bind(3, millisecondsOf(to));
    std::vector<StoredPoint> points;
    while (select.step()) {
        StoredPoint point{.readAt = timeOf(select.integer(0)),
                          .seenUntil = timeOf(select.integer(1)),
                          .counters = {}};
        for (std::size_t i = 0; i < point.counters.size(); ++i) {
            point.counters[i] = select.integer(static_cast<int>(i) + 2);
        }
        points.push_back(point);
    }
    return points;
}

} // namespace history
