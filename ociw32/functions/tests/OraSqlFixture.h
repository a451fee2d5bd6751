#pragma once
// Runs one-value SELECTs through a real SQLite connection with the Oracle
// functions registered, and renders the outcome as text for table-driven
// checks: "NULL", "I:42", "R:1.5", "T:text" or the error message.

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraFunctions.h"
#include "platform/VkNumberText.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <string>

namespace oratest {

// 2026-12-07 10:30:00, a Monday; the clock every fixture pins.
inline int64_t PinnedNow()
{
    VkOracle::OraDateParts p;
    p.year = 2026;
    p.month = 12;
    p.day = 7;
    p.hour = 10;
    p.minute = 30;
    int64_t s = 0;
    VkOracle::OraDateFromParts(p, &s);
    return s;
}

class OraSqlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        VkOracle::RegisterOracleFunctions(m_db);
        VkOracle::SetConnectionClock(m_db, {VkOracle::OraClockMode::Pinned, PinnedNow()});
    }
    void TearDown() override { sqlite3_close(m_db); }

    // The single value of "SELECT <expr>".
    std::string Eval(const std::string& expr) { return Query("SELECT " + expr); }

    std::string Query(const std::string& sql)
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
            return std::string("PREPARE: ") + sqlite3_errmsg(m_db);
        std::string out;
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            switch (sqlite3_column_type(stmt, 0)) {
            case SQLITE_NULL: out = "NULL"; break;
            case SQLITE_INTEGER: out = "I:" + std::to_string(sqlite3_column_int64(stmt, 0)); break;
            case SQLITE_FLOAT:
                out = "R:" + VkFormatDouble(sqlite3_column_double(stmt, 0), std::chars_format::general, 10);
                break;
            default:
                out = "T:" + std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                         static_cast<size_t>(sqlite3_column_bytes(stmt, 0)));
            }
        } else if (rc == SQLITE_DONE) {
            out = "NO ROW";
        } else {
            out = sqlite3_errmsg(m_db);
        }
        sqlite3_finalize(stmt);
        return out;
    }

    // Runs a table of expression/expected pairs, naming the failing row.
    template <typename Table>
    void Check(const Table& table)
    {
        for (const auto& row : table)
            EXPECT_EQ(Eval(row.first), row.second) << "SELECT " << row.first;
    }

    sqlite3* m_db = nullptr;
};

using Cases = std::initializer_list<std::pair<std::string, std::string>>;

} // namespace oratest
