#include "history/history_reader.h"

#include <sqlite3.h>

#include <filesystem>
#include <system_error>

namespace history {

HistoryReader::HistoryReader(std::string utf8Path) : m_path(std::move(utf8Path)) {}

HistoryReader::~HistoryReader() = default;

bool HistoryReader::open() {
    if (m_db) {
        return true;
    }
    std::error_code error;
    const std::filesystem::path file(std::u8string(m_path.begin(), m_path.end()));
    if (!std::filesystem::exists(file, error)) {
        return false;
    }
    m_db = std::make_unique<Database>(m_path, Access::ReadOnly);
    // The writer's checkpoint holds its lock for moments only.
    sqlite3_busy_timeout(m_db->handle(), 200);
    return true;
}

std::expected<std::vector<StoredPoint>, std::string>
HistoryReader::points(std::string_view pool, Clock::time_point from, Clock::time_point to) {
    try {
        if (!open()) {
            return std::vector<StoredPoint>{};
        }
        return readPoints(*m_db, pool, from, to);
    } catch (const SqliteError& error) {
        // A file moved aside and started anew is opened again on the next look.
        m_db.reset();
        return std::unexpected(std::string(error.what()));
    }
}

bool HistoryReader::changed() {
    try {
        if (!open()) {
            return false;
        }
        Statement version(*m_db, "PRAGMA data_version");
        const std::int64_t now = version.step() ? version.integer(0) : -1;
        const bool changed = now != m_dataVersion;
        m_dataVersion = now;
        return changed;
    } catch (const SqliteError&) {
        m_db.reset();
        m_dataVersion = -1;
        return true;
    }
}

} // namespace history
