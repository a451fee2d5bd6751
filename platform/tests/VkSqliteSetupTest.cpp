#include "platform/VkSqliteSetup.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

// The test program's main() sets SQLite up as the programs do, before any
// test opens a database.

TEST(VkSqliteSetupTest, SettingsTakeForTheWholeProcess)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE t(a, b); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 500) INSERT INTO t SELECT i, printf('%0200d', i) FROM n",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    // With statistics kept, 500 rows of 200 bytes show up here.
    EXPECT_EQ(sqlite3_memory_used(), 0);
    sqlite3_close(db);
}

TEST(VkSqliteSetupTest, TooLateChangesNothing)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    EXPECT_FALSE(VkSetUpSqlite());
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT 40 + 2", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 42);
    sqlite3_finalize(st);
    sqlite3_close(db);
}
