// Sessions that want what another session's open transaction holds wait for
// it as long as it lasts, and only NOWAIT (and DDL) gives ORA-00054. A wait
// ends at the holder's COMMIT or ROLLBACK, at its process's death, at Break
// (ORA-01013) or when the waiter is killed (ORA-00028). A waiting session
// shows STATUS 'ACTIVE' in V$SESSION, which is how these tests see it wait.
#include "EngineFixture.h"

#include <sqlite3.h>

#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

namespace oraenginetest {
namespace {

const char kBusy[] = "ORA-00054: resource busy and acquire with NOWAIT specified";

class LockWaitTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        m_holder = &Logon("SCOTT", "TIGER");
        m_waiter = &Logon("SCOTT", "TIGER");
        m_waiterSid = Run(*m_waiter, "SELECT USERENV('SESSIONID') FROM DUAL");
    }
    void TearDown() override
    {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
        DemoEngineTest::TearDown();
    }

    // Runs `sql` in the waiter on a thread of its own.
    std::future<std::string> Start(const std::string& sql)
    {
        return std::async(std::launch::async, [this, sql] { return Run(*m_waiter, sql); });
    }
    // True once V$SESSION shows the waiter waiting (false after 30 s).
    bool WaiterIsWaiting() { return ShowsWaiting(m_waiterSid); }
    std::string Sal(VkOracle::OraSession& s) { return Run(s, "SELECT SAL FROM EMP WHERE EMPNO = 7369"); }

    VkOracle::OraSession* m_holder = nullptr;
    VkOracle::OraSession* m_waiter = nullptr;
    std::string m_waiterSid;
    pid_t m_child = -1;
};

// A writer waits past the old 10-second limit and goes on with the holder's
// committed value once it commits; after a rollback it starts from the old one.
TEST_F(LockWaitTest, AWriterWaitsUntilTheHolderEndsItsTransaction)
{
    struct {
        const char* end;
        const char* expected;
        bool longWait;
    } cases[] = {{"COMMIT", "901", true}, {"ROLLBACK", "801", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 800 WHERE EMPNO = 7369"), "rows=1");
        ASSERT_EQ(Run(*m_holder, "COMMIT"), "ok");
        ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = SAL + 100 WHERE EMPNO = 7369"), "rows=1");
        std::future<std::string> update = Start("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7369");
        ASSERT_TRUE(WaiterIsWaiting());
        // Still waiting after longer than waits used to last.
        const auto wait = std::chrono::seconds(c.longWait ? 11 : 0);
        EXPECT_EQ(update.wait_for(wait), std::future_status::timeout) << update.get();
        EXPECT_EQ(Sal(*m_holder), "900"); // the holder sees its own change
        EXPECT_EQ(Run(*m_holder, c.end), "ok");
        EXPECT_EQ(update.get(), "rows=1");
        EXPECT_EQ(Run(*m_waiter, "COMMIT"), "ok");
        EXPECT_EQ(Sal(*m_holder), c.expected);
        EXPECT_EQ(Run("SELECT STATUS FROM V$SESSION WHERE SID = " + m_waiterSid), "INACTIVE");
    }
}

// Others read the last committed state without waiting; the holder reads its own.
TEST_F(LockWaitTest, ReadersNeitherWaitNorSeeUncommittedChanges)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_holder, "INSERT INTO DEPT VALUES (50, 'LOCKS', 'HERE')"), "rows=1");
    EXPECT_EQ(Sal(*m_waiter), "800");
    EXPECT_EQ(Run(*m_waiter, "SELECT COUNT(*) FROM DEPT WHERE DEPTNO = 50"), "0");
    EXPECT_EQ(Sal(*m_holder), "1");
    EXPECT_EQ(Run(*m_holder, "SELECT COUNT(*) FROM DEPT WHERE DEPTNO = 50"), "1");
    EXPECT_EQ(Run(*m_holder, "ROLLBACK"), "ok");
    EXPECT_EQ(Sal(*m_holder), "800");
}

// NOWAIT fails at once while another session holds the lock and takes it
// when it is free; the lock then holds until the transaction ends.
TEST_F(LockWaitTest, NowaitFailsAtOnceOnlyWhileAnotherSessionHoldsTheLock)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    const char* const nowaits[] = {
        "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT",
        "SELECT ENAME FROM EMP WHERE EMPNO = 7369 FOR UPDATE OF SAL NOWAIT",
        "LOCK TABLE EMP IN EXCLUSIVE MODE NOWAIT",
    };
    for (const char* sql : nowaits) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(*m_waiter, sql), kBusy) << sql;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2)) << sql;
    }
    EXPECT_EQ(Run(*m_holder, "ROLLBACK"), "ok");
    // Free now: the waiter locks the row and holds it until its COMMIT.
    EXPECT_EQ(Run(*m_waiter, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), "800");
    EXPECT_EQ(Run(*m_holder, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_holder, "LOCK TABLE EMP IN SHARE MODE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_waiter, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_holder, "LOCK TABLE EMP IN EXCLUSIVE MODE NOWAIT"), "ok");
    EXPECT_EQ(Run(*m_waiter, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_holder, "COMMIT"), "ok");
    // Without NOWAIT, FOR UPDATE waits like a writer.
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 2 WHERE EMPNO = 7369"), "rows=1");
    std::future<std::string> select = Start("SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE");
    ASSERT_TRUE(WaiterIsWaiting());
    EXPECT_EQ(Run(*m_holder, "COMMIT"), "ok");
    EXPECT_EQ(select.get(), "2");
    EXPECT_EQ(Run(*m_waiter, "ROLLBACK"), "ok");
}

// Break ends the wait of a FOR UPDATE and of LOCK TABLE as it ends a writer's.
TEST_F(LockWaitTest, BreakEndsEveryKindOfWait)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = SAL"), "rows=14");
    ASSERT_EQ(Run(*m_holder, "UPDATE DEPT SET LOC = LOC"), "rows=4");
    for (const char* sql : {"SELECT SAL FROM EMP FOR UPDATE", "LOCK TABLE EMP IN EXCLUSIVE MODE",
                            "BEGIN UPDATE DEPT SET LOC = LOC; END;"}) {
        SCOPED_TRACE(sql);
        std::future<std::string> waiting = Start(sql);
        ASSERT_TRUE(WaiterIsWaiting()) << waiting.get();
        while (!Finished(waiting)) {
            m_waiter->Break();
            std::this_thread::yield();
        }
        EXPECT_EQ(waiting.get().rfind("ORA-01013: user requested cancel of current operation", 0), 0u);
        EXPECT_EQ(Run(*m_waiter, "SELECT COUNT(*) FROM DEPT"), "4"); // the session goes on
    }
    EXPECT_EQ(Run(*m_holder, "COMMIT"), "ok");
}

// A killed waiter stops waiting; killing the holder does not wait for the
// holder's own transaction.
TEST_F(LockWaitTest, KillingAWaiterEndsItsWaitAndTheKillNeverWaits)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    std::future<std::string> update = Start("UPDATE EMP SET SAL = 2 WHERE EMPNO = 7369");
    ASSERT_TRUE(WaiterIsWaiting());
    const std::string serial = Run("SELECT SERIAL# FROM V$SESSION WHERE SID = " + m_waiterSid);
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + m_waiterSid + "," + serial + "'"), "ok");
    EXPECT_EQ(update.get(), "ORA-00028: your session has been killed");
    const std::string holderSid = Run(*m_holder, "SELECT USERENV('SESSIONID') FROM DUAL");
    const std::string holderSerial = Run("SELECT SERIAL# FROM V$SESSION WHERE SID = " + holderSid);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + holderSid + "," + holderSerial + "'"), "ok");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
}

// DDL does not wait for another session's transaction: ORA-00054 after a
// moment, and the table is unchanged. It goes through once the change ends.
TEST_F(LockWaitTest, DdlOnATableWithAnotherSessionsChangeFailsWithBusy)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(Run(*m_waiter, "ALTER TABLE EMP ADD (BADGE NUMBER)"), kBusy);
    EXPECT_EQ(Run(*m_waiter, "DROP TABLE EMP"), kBusy);
    const std::string columns = "SELECT COUNT(*) FROM USER_TAB_COLUMNS WHERE TABLE_NAME = 'EMP'";
    EXPECT_EQ(Run(*m_waiter, columns), "8");
    EXPECT_EQ(Run(*m_holder, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_waiter, "ALTER TABLE EMP ADD (BADGE NUMBER)"), "ok");
    EXPECT_EQ(Run(*m_waiter, columns), "9");
}

// ROLLBACK TO SAVEPOINT undoes only what followed it and frees the rows
// locked after it; those locked before stay locked until the transaction ends.
TEST_F(LockWaitTest, RollbackToSavepointKeepsTheEarlierLocks)
{
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_holder, "SAVEPOINT S1"), "ok");
    ASSERT_EQ(Run(*m_holder, "UPDATE EMP SET SAL = 2 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_holder, "DELETE FROM EMP WHERE EMPNO = 7499"), "rows=1");
    EXPECT_EQ(Run(*m_holder, "ROLLBACK TO SAVEPOINT S1"), "ok");
    EXPECT_EQ(Sal(*m_holder), "1");
    EXPECT_EQ(Run(*m_holder, "SELECT COUNT(*) FROM EMP WHERE EMPNO = 7499"), "1");
    EXPECT_EQ(Run(*m_waiter, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_waiter, "SELECT SAL FROM EMP WHERE EMPNO = 7499 FOR UPDATE NOWAIT"), "1600");
    EXPECT_EQ(Run(*m_waiter, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(*m_holder, "ROLLBACK"), "ok");
    EXPECT_EQ(Sal(*m_waiter), "800");
}

// A process killed with SIGKILL in the middle of a transaction leaves neither
// its changes nor its lock behind.
TEST_F(LockWaitTest, AKilledProcessLeavesNoChangeAndNoLock)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    m_child = ::fork();
    if (m_child == 0) {
        ::close(ready[0]);
        std::unique_ptr<VkOracle::OraSession> s;
        if (VkOracle::TheOraServer().Logon(m_db, "SCOTT", "TIGER", &s).Ok() &&
            VkOracle::RunSql(*s, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369").Ok() &&
            VkOracle::RunSql(*s, "DELETE FROM DEPT WHERE DEPTNO = 40").Ok()) {
            const char ok = 'y';
            if (::write(ready[1], &ok, 1) == 1)
                ::pause();
        }
        ::_exit(3);
    }
    ::close(ready[1]);
    ASSERT_GT(m_child, 0);
    char got = 0;
    ASSERT_EQ(::read(ready[0], &got, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(Run(*m_waiter, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    std::future<std::string> update = Start("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7369");
    ASSERT_TRUE(WaiterIsWaiting());
    ::kill(m_child, SIGKILL);
    int status = 0;
    EXPECT_EQ(::waitpid(m_child, &status, 0), m_child);
    EXPECT_TRUE(WIFSIGNALED(status));
    m_child = -1;
    EXPECT_EQ(update.get(), "rows=1");
    EXPECT_EQ(Run(*m_waiter, "COMMIT"), "ok");
    VkOracle::OraSession& fresh = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Sal(fresh), "801");
    EXPECT_EQ(Run(fresh, "SELECT COUNT(*) FROM DEPT WHERE DEPTNO = 40"), "1");
    EXPECT_EQ(Run(fresh, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), "801");
    EXPECT_EQ(Run(fresh, "ROLLBACK"), "ok");
}

// SQLite's own write lock, which a statement of another session holds for a
// moment, is waited for with short sleeps; the wait still gives way as the
// statement asks: DDL after a moment (ORA-00054), a change at the lock's
// release, at Break or when the session is killed. Here a connection of the
// test holds the lock for as long as the test needs.
TEST_F(LockWaitTest, SqlitesWriteLockIsWaitedForAsTheStatementAsks)
{
    ASSERT_EQ(Run("SELECT COUNT(*) FROM DUAL"), "1"); // logged on before the lock is taken
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_db.directory + "/" + m_db.sid + ".db").c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);

    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(*m_waiter, "CREATE TABLE LATER (A NUMBER)"), kBusy);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    EXPECT_LT(waited, std::chrono::seconds(20));

    std::future<std::string> update = Start("UPDATE EMP SET SAL = 5 WHERE EMPNO = 7369");
    ASSERT_TRUE(WaiterIsWaiting());
    EXPECT_FALSE(Finished(update));
    ASSERT_EQ(sqlite3_exec(raw, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(update.get(), "rows=1");
    EXPECT_EQ(Run(*m_waiter, "ROLLBACK"), "ok");

    ASSERT_EQ(sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    update = Start("UPDATE EMP SET SAL = 6 WHERE EMPNO = 7369");
    ASSERT_TRUE(WaiterIsWaiting());
    while (!Finished(update)) {
        m_waiter->Break();
        std::this_thread::yield();
    }
    EXPECT_EQ(update.get().rfind("ORA-01013: user requested cancel of current operation", 0), 0u);

    update = Start("UPDATE EMP SET SAL = 7 WHERE EMPNO = 7369");
    ASSERT_TRUE(WaiterIsWaiting());
    const std::string serial = Run("SELECT SERIAL# FROM V$SESSION WHERE SID = " + m_waiterSid);
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + m_waiterSid + "," + serial + "'"), "ok");
    EXPECT_EQ(update.get(), "ORA-00028: your session has been killed");

    ASSERT_EQ(sqlite3_exec(raw, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(raw);
    EXPECT_EQ(Sal(*m_holder), "800");
}

} // namespace
} // namespace oraenginetest
