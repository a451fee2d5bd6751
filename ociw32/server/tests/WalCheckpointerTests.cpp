// The job queue runners' log checkpoints: a watched connection's commits no
// longer checkpoint, the checkpointer's thread does once the log has grown
// by its point, and a log that readers keep from starting over does not
// wake it at every commit.
#include "EngineFixture.h"

#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraWalCheckpointer.h"
#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

namespace oraenginetest {
namespace {

class WalCheckpointerTest : public EngineTest {
protected:
    void TearDown() override
    {
        sqlite3_close_v2(m_writer);
        sqlite3_close_v2(m_reader);
        EngineTest::TearDown();
    }
    sqlite3* Open()
    {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(VkOracle::DatabaseFilePath(m_db).c_str(), &db, SQLITE_OPEN_READWRITE, nullptr),
                  SQLITE_OK);
        return db;
    }
    // Commits `count` rows of four pages each.
    void Commit(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(VkOracle::SqliteExec(m_writer, "INSERT INTO scratch VALUES (zeroblob(16000))"));
    }
    int64_t DatabaseBytes() const
    {
        struct stat st {};
        return ::stat(VkOracle::DatabaseFilePath(m_db).c_str(), &st) == 0 ? st.st_size : -1;
    }
    // Polls the other thread's work; false after 30 s.
    static bool WaitFor(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    sqlite3* m_writer = nullptr;
    sqlite3* m_reader = nullptr;
};

TEST_F(WalCheckpointerTest, TheThreadCheckpointsWhatTheWatchedCommitsLeave)
{
    m_writer = Open();
    ASSERT_TRUE(VkOracle::SqliteExec(m_writer, "PRAGMA wal_checkpoint(TRUNCATE); CREATE TABLE scratch (b BLOB)"));
    const int64_t before = DatabaseBytes();
    VkOracle::OraWalCheckpointer checkpointer(m_db);
    checkpointer.Watch(m_writer);
    Commit(300); // some 1 200 pages, past the point
    ASSERT_TRUE(WaitFor([&] { return checkpointer.Checkpoints() >= 1; }));
    // Pages reached the database file (a megabyte and more: the point's worth).
    EXPECT_TRUE(WaitFor([&] { return DatabaseBytes() >= before + 1000000; }))
        << before << " -> " << DatabaseBytes();
}

TEST_F(WalCheckpointerTest, ALogKeptByAReaderWakesTheThreadOncePerPoint)
{
    m_writer = Open();
    m_reader = Open();
    ASSERT_TRUE(VkOracle::SqliteExec(m_writer, "CREATE TABLE scratch (b BLOB)"));
    // An open read keeps the log from starting over.
    ASSERT_TRUE(VkOracle::SqliteExec(m_reader, "BEGIN; SELECT COUNT(*) FROM scratch"));
    VkOracle::OraWalCheckpointer checkpointer(m_db);
    checkpointer.Watch(m_writer);
    Commit(600); // some 2 400 frames: woken at 1 000 and 2 000, at most once more
    ASSERT_TRUE(WaitFor([&] { return checkpointer.Checkpoints() >= 1; }));
    EXPECT_LE(checkpointer.Checkpoints(), 3);
    ASSERT_TRUE(VkOracle::SqliteExec(m_reader, "COMMIT"));
}

} // namespace
} // namespace oraenginetest
