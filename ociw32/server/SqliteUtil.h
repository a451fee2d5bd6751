#pragma once
// Small RAII helpers over the SQLite C API for the engine's own catalogue
// statements (never for user SQL, which goes through the compiler).

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace VkOracle {

class SqliteStmt {
public:
    SqliteStmt(sqlite3* db, const std::string& sql);
    // Borrows a statement kept prepared elsewhere: reset, not finalized, at the end.
    explicit SqliteStmt(sqlite3_stmt* kept) : m_stmt(kept), m_kept(true) {}
    ~SqliteStmt();
    SqliteStmt(const SqliteStmt&) = delete;
    SqliteStmt& operator=(const SqliteStmt&) = delete;

    bool Ok() const { return m_stmt != nullptr; }
    SqliteStmt& Bind(int index, const std::string& text);
    SqliteStmt& Bind(int index, int64_t value);
    SqliteStmt& BindNull(int index);
    // True while a row is available.
    bool Step();
    // Runs to completion; false on error.
    bool Run();
    std::string Text(int column) const;
    int64_t Int(int column) const;
    bool IsNull(int column) const;
    int LastCode() const { return m_rc; }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
    bool m_kept = false;
};

// Runs statements without results; false on the first error (message in *error).
bool SqliteExec(sqlite3* db, const std::string& sql, std::string* error = nullptr);
// "'text'" with quotes doubled.
std::string SqlQuote(const std::string& text);
// "\"name\"" with double quotes doubled.
std::string SqlQuoteIdent(const std::string& name);

} // namespace VkOracle
