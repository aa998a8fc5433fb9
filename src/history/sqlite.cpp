#include "history/sqlite.h"

#include <sqlite3.h>

namespace history {

Database::Database(const std::string& utf8Path, Access access) {
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                                 : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int code = sqlite3_open_v2(utf8Path.c_str(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        // A handle comes back even when opening failed; it only carries the message.
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
        sqlite3_close(m_db);
        m_db = nullptr;
        throw SqliteError(code & 0xFF, message);
    }
    sqlite3_extended_result_codes(m_db, 0);
}

Database::~Database() {
    // Statements are owned by their Statement objects and gone by now.
    sqlite3_close(m_db);
}

void Database::check(int code) const {
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE) {
        throw SqliteError(code & 0xFF, sqlite3_errmsg(m_db));
    }
}

void Database::execute(std::string_view sql) {
    const std::string text(sql);
    char* message = nullptr;
    const int code = sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &message);
    if (code != SQLITE_OK) {
        const std::string what = message ? message : sqlite3_errstr(code);
        sqlite3_free(message);
        throw SqliteError(code & 0xFF, what);
    }
}

Statement::Statement(Database& db, std::string_view sql) : m_db(db) {
    m_db.check(sqlite3_prepare_v2(db.handle(), sql.data(), static_cast<int>(sql.size()),
                                  &m_statement, nullptr));
}

Statement::~Statement() {
    sqlite3_finalize(m_statement);
}

Statement& Statement::bind(int index, std::int64_t value) {
    m_db.check(sqlite3_bind_int64(m_statement, index, value));
    return *this;
}

Statement& Statement::bind(int index, std::string_view utf8) {
    m_db.check(sqlite3_bind_text64(m_statement, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                                   SQLITE_UTF8));
    return *this;
}

bool Statement::step() {
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW) {
        return true;
    }
    if (code != SQLITE_DONE) {
        // The statement is ready again after a failure (SQLite's own reset keeps the code).
        sqlite3_reset(m_statement);
        m_db.check(code);
    }
    return false;
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() {
    sqlite3_reset(m_statement);
}

std::int64_t Statement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

std::string Statement::text(int column) const {
    const auto* bytes = sqlite3_column_text(m_statement, column);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes),
                               static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                 : std::string();
}

Transaction::Transaction(Database& db) : m_db(db) {
    m_db.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (m_open) {
        try {
            m_db.execute("ROLLBACK");
        } catch (const SqliteError&) {
            // SQLite already rolled back on its own (a full disk, an I/O error).
        }
    }
}

void Transaction::commit() {
    m_db.execute("COMMIT");
    m_open = false;
}

} // namespace history
