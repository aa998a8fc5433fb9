#pragma once
// A thin owner of the SQLite C API: a connection, its prepared statements and transactions, each
// released on every way out. A failing call throws SqliteError carrying SQLite's code and text.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace history {

class SqliteError final : public std::runtime_error {
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    // SQLite's primary result code (SQLITE_FULL, SQLITE_NOTADB, ...).
    int code() const { return m_code; }

private:
    int m_code;
};

enum class Access {
    ReadWrite, // creates the file when missing
    ReadOnly,  // the file must be there; nothing is ever written through this connection
};

class Database final {
public:
    // Opens the database file at utf8Path.
    explicit Database(const std::string& utf8Path, Access access = Access::ReadWrite);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs one or more statements that return no rows.
    void execute(std::string_view sql);
    sqlite3* handle() const { return m_db; }
    // Throws SqliteError for a result code that is an error.
    void check(int code) const;

private:
    sqlite3* m_db = nullptr;
};

class Statement final {
public:
    Statement(Database& db, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 1, columns from 0, as in SQLite.
    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::string_view utf8);
    // True while a row is there to read; false when the statement is done.
    bool step();
    // Steps a statement that returns no row.
    void run();
    // Ready to bind and step again (bindings are kept until bound anew).
    void reset();
    std::int64_t integer(int column) const;
    std::string text(int column) const;

private:
    Database& m_db;
    sqlite3_stmt* m_statement = nullptr;
};

// BEGIN at construction; ROLLBACK at destruction unless commit() went through.
class Transaction final {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Database& m_db;
    bool m_open = true;
};

} // namespace history
