#include "ociw32/server/SqliteUtil.h"

namespace VkOracle {

SqliteStmt::SqliteStmt(sqlite3* db, const std::string& sql)
{
    m_rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &m_stmt, nullptr);
    if (m_rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqliteStmt::~SqliteStmt()
{
    if (!m_kept) {
        sqlite3_finalize(m_stmt);
    } else if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

SqliteStmt& SqliteStmt::Bind(int index, const std::string& text)
{
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
    return *this;
}

SqliteStmt& SqliteStmt::Bind(int index, int64_t value)
{
    if (m_stmt)
        sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

SqliteStmt& SqliteStmt::BindNull(int index)
{
    if (m_stmt)
        sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool SqliteStmt::Step()
{
    if (!m_stmt)
        return false;
    m_rc = sqlite3_step(m_stmt);
    return m_rc == SQLITE_ROW;
}

bool SqliteStmt::Run()
{
    if (!m_stmt)
        return false;
    while ((m_rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    return m_rc == SQLITE_DONE;
}

std::string SqliteStmt::Text(int column) const
{
    const unsigned char* t = sqlite3_column_text(m_stmt, column);
    return t ? std::string(reinterpret_cast<const char*>(t), static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
             : std::string();
}

int64_t SqliteStmt::Int(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

bool SqliteStmt::IsNull(int column) const
{
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

bool SqliteExec(sqlite3* db, const std::string& sql, std::string* error)
{
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) == SQLITE_OK)
        return true;
    if (error)
        *error = msg ? msg : "SQLite error";
    sqlite3_free(msg);
    return false;
}

std::string SqlQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

std::string SqlQuoteIdent(const std::string& name)
{
    std::string out = "\"";
    for (char c : name) {
        if (c == '\0')
            continue; // SQLite text ends at NUL; names never need one
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

} // namespace VkOracle
