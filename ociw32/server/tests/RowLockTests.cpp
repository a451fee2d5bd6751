// Row locks: a session's open transaction delays only the sessions that want
// the same rows (or keys it freed or took); everyone else writes at once and
// reads the committed image of the rows it changed. Job administration never
// waits for a transaction on user data.
#include "EngineFixture.h"

#include "ociw32/server/OraJobQueue.h"

#include <sqlite3.h>

#include <chrono>
#include <future>
#include <thread>

namespace oraenginetest {
namespace {

const char kBusy[] = "ORA-00054: resource busy and acquire with NOWAIT specified";
const char kCancelled[] = "ORA-01013: user requested cancel of current operation";

class RowLockTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        m_a = &Logon("SCOTT", "TIGER");
        m_b = &Logon("SCOTT", "TIGER");
        m_bSid = Run(*m_b, "SELECT USERENV('SESSIONID') FROM DUAL");
    }

    // Runs `sql` in B on a thread of its own.
    std::future<std::string> StartB(const std::string& sql)
    {
        return std::async(std::launch::async, [this, sql] { return Run(*m_b, sql); });
    }
    // B's statement, which must not wait: its result, or "waited" after 20 s.
    std::string AtOnce(const std::string& sql)
    {
        std::future<std::string> f = StartB(sql);
        if (f.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            Run(*m_a, "ROLLBACK"); // frees B so that the test ends
            return "waited: " + f.get();
        }
        return f.get();
    }
    // True once V$SESSION shows B waiting (false after 30 s).
    bool BIsWaiting() { return ShowsWaiting(m_bSid); }

    VkOracle::OraSession* m_a = nullptr;
    VkOracle::OraSession* m_b = nullptr;
    std::string m_bSid;
};

// The case: while A has one EMP row changed, B writes other rows,
// other tables and the job queue at once.
TEST_F(RowLockTest, WritersOfOtherRowsTablesAndJobsGoAtOnce)
{
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(AtOnce("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7499"), "rows=1");
    EXPECT_EQ(AtOnce("INSERT INTO DEPT VALUES (50, 'LAB', 'BOSTON')"), "rows=1");
    EXPECT_EQ(AtOnce("DELETE FROM BONUS"), "rows=0");
    const struct {
        const char* what;
        std::string sql;
    } jobs[] = {
        {"SUBMIT", "DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'NULL;', SYSDATE + 1, 'SYSDATE + 1'); END;"},
        {"CHANGE", "BEGIN DBMS_JOB.CHANGE(2, 'NULL;', SYSDATE + 2, NULL); END;"},
        {"BROKEN", "BEGIN DBMS_JOB.BROKEN(3, TRUE); END;"},
        {"REMOVE", "BEGIN DBMS_JOB.REMOVE(4); END;"},
    };
    for (const auto& j : jobs) {
        SCOPED_TRACE(j.what);
        EXPECT_EQ(AtOnce(j.sql), "ok");
    }
    EXPECT_EQ(AtOnce("COMMIT"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*) FROM USER_JOBS WHERE JOB = 4 OR (JOB = 3 AND BROKEN = 'Y')"), "1");
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*) FROM DEPT"), "5");
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO IN (7369, 7499) ORDER BY EMPNO"), "800\n1601");
}

// A transaction on user data never holds up job administration, and a job
// changed in one transaction keeps other sessions off that job only.
TEST_F(RowLockTest, AJobRowWaitsOnlyForTheSameJob)
{
    ASSERT_EQ(Run(*m_a, "BEGIN DBMS_JOB.WHAT(2, 'NULL;'); END;"), "ok");
    EXPECT_EQ(AtOnce("BEGIN DBMS_JOB.WHAT(3, 'NULL;'); END;"), "ok");
    std::future<std::string> same = StartB("BEGIN DBMS_JOB.BROKEN(2, TRUE); END;");
    ASSERT_TRUE(BIsWaiting());
    EXPECT_FALSE(Finished(same));
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    EXPECT_EQ(same.get(), "ok");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT WHAT, BROKEN FROM USER_JOBS WHERE JOB = 2"), "NULL;|Y");
}

// B's change of A's row waits until A ends: after COMMIT it works on A's
// value, after ROLLBACK on the old one; Break ends the wait.
TEST_F(RowLockTest, TheSameRowWaitsForTheHolder)
{
    const struct {
        const char* end;
        const char* expected;
    } cases[] = {{"COMMIT", "901"}, {"ROLLBACK", "801"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.end);
        ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 800 WHERE EMPNO = 7369"), "rows=1");
        ASSERT_EQ(Run(*m_a, "COMMIT"), "ok");
        ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = SAL + 100 WHERE EMPNO = 7369"), "rows=1");
        std::future<std::string> update = StartB("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7369");
        ASSERT_TRUE(BIsWaiting());
        EXPECT_FALSE(Finished(update));
        EXPECT_EQ(Run(*m_a, c.end), "ok");
        EXPECT_EQ(update.get(), "rows=1");
        EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
        EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO = 7369"), c.expected);
    }
    ASSERT_EQ(Run(*m_a, "DELETE FROM EMP WHERE EMPNO = 7369"), "rows=1");
    std::future<std::string> update = StartB("UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369");
    ASSERT_TRUE(BIsWaiting());
    while (!Finished(update)) {
        m_b->Break();
        std::this_thread::yield();
    }
    EXPECT_EQ(update.get(), kCancelled);
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM EMP"), "14"); // B goes on
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
}

TEST_F(RowLockTest, ForUpdateNowaitFailsOnlyOnHeldRows)
{
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7499 FOR UPDATE NOWAIT"), "1600");
    // B's lock holds A off in turn, without any change.
    EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO = 7499 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_b, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO = 7499 FOR UPDATE NOWAIT"), "1600");
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
}

// Others read the committed image of the rows A changed, deleted or added:
// directly, through a view and through the job views; A reads its own.
TEST_F(RowLockTest, ReadersSeeOnlyCommittedValues)
{
    const std::string rowid = Run(*m_b, "SELECT ROWID FROM EMP WHERE EMPNO = 7369");
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_a, "DELETE FROM EMP WHERE EMPNO = 7499"), "rows=1");
    ASSERT_EQ(Run(*m_a, "INSERT INTO DEPT VALUES (60, 'NEW', 'NOWHERE')"), "rows=1");
    ASSERT_EQ(Run(*m_a, "BEGIN DBMS_JOB.WHAT(2, 'NULL;'); END;"), "ok");
    const struct {
        const char* sql;
        std::string b, a;
    } reads[] = {
        {"SELECT SAL FROM EMP WHERE EMPNO = 7369", "800", "1"},
        {"SELECT COUNT(*) FROM EMP", "14", "13"},
        {"SELECT SUM(SAL) FROM EMP", "29025", "26626"},
        {"SELECT SAL FROM EMP_DEPT_V WHERE EMPNO = 7369", "800", "1"},
        {"SELECT COUNT(*) FROM DEPT", "4", "5"},
        {"SELECT WHAT FROM USER_JOBS WHERE JOB = 2", "raise_salary(7369, 5);", "NULL;"},
        {"SELECT WHAT FROM DBA_JOBS WHERE JOB = 2", "raise_salary(7369, 5);", "NULL;"},
    };
    for (const auto& r : reads) {
        SCOPED_TRACE(r.sql);
        EXPECT_EQ(Run(*m_b, r.sql), r.b);
        EXPECT_EQ(Run(*m_a, r.sql), r.a);
    }
    // The held row keeps its ROWID in the committed image.
    EXPECT_EQ(Run(*m_b, "SELECT ROWID FROM EMP WHERE EMPNO = 7369"), rowid);
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7369"), "1");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM DEPT"), "5");
}

TEST_F(RowLockTest, SavepointsReleaseTheLocksTakenAfterThem)
{
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_a, "SAVEPOINT S1"), "ok");
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 2 WHERE EMPNO = 7369"), "rows=1");
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 3 WHERE EMPNO = 7499"), "rows=1");
    ASSERT_EQ(Run(*m_a, "INSERT INTO DEPT VALUES (70, 'X', 'Y')"), "rows=1");
    EXPECT_EQ(Run(*m_a, "ROLLBACK TO SAVEPOINT S1"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO IN (7369, 7499) ORDER BY EMPNO"), "1\n1600");
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*) FROM DEPT"), "4");
    EXPECT_EQ(AtOnce("UPDATE EMP SET SAL = 4 WHERE EMPNO = 7499"), "rows=1");
    EXPECT_EQ(Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(*m_a, "ROLLBACK TO SAVEPOINT S9"), "ORA-01086: savepoint 'S9' never established");
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO IN (7369, 7499) ORDER BY EMPNO"), "800\n4");
}

// A key A's pending delete freed, or A's pending insert took, is A's until
// it ends: B's insert of it waits, then fails or goes on as A decided.
TEST_F(RowLockTest, AKeyHeldByAPendingChangeMakesAnInsertWait)
{
    const struct {
        const char* change;
        const char* end;
        const char* expected;
    } cases[] = {
        {"DELETE FROM DEPT WHERE DEPTNO = 40", "ROLLBACK", "ORA-00001: unique constraint (SCOTT.PK_DEPT) violated"},
        {"DELETE FROM DEPT WHERE DEPTNO = 40", "COMMIT", "rows=1"},
        {"INSERT INTO DEPT VALUES (80, 'A', 'A')", "COMMIT", "ORA-00001: unique constraint (SCOTT.PK_DEPT) violated"},
        {"INSERT INTO DEPT VALUES (90, 'A', 'A')", "ROLLBACK", "rows=1"},
        {"UPDATE DEPT SET DEPTNO = 41 WHERE DEPTNO = 40", "ROLLBACK",
         "ORA-00001: unique constraint (SCOTT.PK_DEPT) violated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.change) + " " + c.end);
        ASSERT_EQ(Run(*m_a, c.change), "rows=1");
        const std::string key = std::string(c.change).find("40") != std::string::npos   ? "40"
                                : std::string(c.change).find("80") != std::string::npos ? "80"
                                                                                        : "90";
        std::future<std::string> insert = StartB("INSERT INTO DEPT VALUES (" + key + ", 'B', 'B')");
        ASSERT_TRUE(BIsWaiting());
        EXPECT_FALSE(Finished(insert));
        EXPECT_EQ(Run(*m_a, c.end), "ok");
        EXPECT_EQ(insert.get(), c.expected);
        EXPECT_EQ(Run(*m_b, "ROLLBACK"), "ok");
        // Back to the demo's four departments for the next case.
        Run(*m_a, "DELETE FROM DEPT WHERE DEPTNO > 40");
        Run(*m_a, "INSERT INTO DEPT SELECT 40, 'OPERATIONS', 'BOSTON' FROM DUAL WHERE NOT EXISTS"
                  " (SELECT 1 FROM DEPT WHERE DEPTNO = 40)");
        ASSERT_EQ(Run(*m_a, "COMMIT"), "ok");
    }
}

TEST_F(RowLockTest, DdlFailsOnlyOnTablesOthersHold)
{
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(AtOnce("ALTER TABLE BONUS ADD (NOTE VARCHAR2(10))"), "ok");
    EXPECT_EQ(AtOnce("CREATE TABLE SCRATCH (N NUMBER)"), "ok");
    EXPECT_EQ(AtOnce("ALTER TABLE EMP ADD (BADGE NUMBER)"), kBusy);
    EXPECT_EQ(AtOnce("DROP TABLE EMP"), kBusy);
    EXPECT_EQ(AtOnce("LOCK TABLE EMP IN EXCLUSIVE MODE NOWAIT"), kBusy);
    EXPECT_EQ(AtOnce("LOCK TABLE DEPT IN EXCLUSIVE MODE NOWAIT"), "ok");
    // B's table lock keeps A's changes off DEPT until B ends.
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    std::future<std::string> change =
        std::async(std::launch::async, [this] { return Run(*m_a, "UPDATE DEPT SET LOC = 'X' WHERE DEPTNO = 10"); });
    EXPECT_EQ(change.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(change.get(), "rows=1");
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
}

// The queue's coordinator passes over a due job whose row a transaction holds.
TEST_F(RowLockTest, TheJobQueueSkipsAJobAnotherSessionHolds)
{
    // Job 1 is SCOTT's and due, like 9 and 11.
    ASSERT_EQ(Run(*m_a, "BEGIN DBMS_JOB.INTERVAL(1, 'SYSDATE + 1/24'); END;"), "ok");
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db), 2);
    EXPECT_EQ(Run(System(), "SELECT JOB FROM DBA_JOBS WHERE LAST_DATE = SYSDATE ORDER BY JOB"), "9\n11");
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db), 1);
    EXPECT_EQ(Run(System(), "SELECT JOB FROM DBA_JOBS WHERE LAST_DATE = SYSDATE ORDER BY JOB"), "1\n9\n11");
}

// Before-images are exact: what others read meanwhile and what a rollback
// writes back are the committed values to the last digit, rows deleted
// come back under their old ROWID.
TEST_F(RowLockTest, RollbackAndCommittedReadsGiveExactValues)
{
    ASSERT_EQ(Run(*m_a, "CREATE TABLE V (K NUMBER PRIMARY KEY, I NUMBER, D NUMBER, S VARCHAR2(40), T DATE)"), "ok");
    ASSERT_EQ(Run(*m_a, "INSERT INTO V VALUES (1, 9007199254740993, 0.1, 'it''s\ta tab', SYSDATE)"), "rows=1");
    ASSERT_EQ(Run(*m_a, "INSERT INTO V VALUES (2, -42, 1.5E-7, NULL, NULL)"), "rows=1");
    ASSERT_EQ(Run(*m_a, "COMMIT"), "ok");
    const std::string all = "SELECT K, I, D, S, T, ROWID FROM V ORDER BY K";
    const std::string committed = Run(*m_b, all);
    ASSERT_EQ(Run(*m_a, "UPDATE V SET I = I + 1, D = D * 3, S = 'x', T = NULL WHERE K = 1"), "rows=1");
    ASSERT_EQ(Run(*m_a, "DELETE FROM V WHERE K = 2"), "rows=1");
    ASSERT_EQ(Run(*m_a, "INSERT INTO V VALUES (3, 3, 3, '3', NULL)"), "rows=1");
    EXPECT_EQ(Run(*m_b, all), committed);
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(*m_a, all), committed);
    EXPECT_EQ(Run(*m_b, all), committed);
}

// Killing a holder (ALTER SYSTEM KILL SESSION) rolls its transaction back
// and frees its rows at once, as Oracle's PMON does.
TEST_F(RowLockTest, AKilledSessionsRowsAreFreedAtOnce)
{
    ASSERT_EQ(Run(*m_a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    const std::string sid = Run(*m_a, "SELECT USERENV('SESSIONID') FROM DUAL");
    const std::string serial = Run("SELECT SERIAL# FROM V$SESSION WHERE SID = " + sid);
    ASSERT_EQ(Run("ALTER SYSTEM KILL SESSION '" + sid + "," + serial + "'"), "ok");
    EXPECT_EQ(AtOnce("SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), "800");
    EXPECT_EQ(AtOnce("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    // The victim's COMMIT (refused, or before it notices the kill, empty)
    // brings nothing of its rolled-back change back.
    const std::string commit = Run(*m_a, "COMMIT");
    EXPECT_TRUE(commit == "ok" || commit == "ORA-00028: your session has been killed") << commit;
    EXPECT_EQ(Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7369"), "801");
}

// A block that goes on working after a change (sleeping, looping) keeps its
// row locks but not SQLite's lock: others write other rows meanwhile.
TEST_F(RowLockTest, ABusyBlockHoldsOnlyItsRows)
{
    const char* const blocks[] = {
        "BEGIN UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369; DBMS_LOCK.SLEEP(600); END;",
        "BEGIN UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369; FOR i IN 1 .. 2000000000 LOOP NULL; END LOOP; END;",
    };
    for (const char* block : blocks) {
        SCOPED_TRACE(block);
        std::future<std::string> busy = std::async(std::launch::async, [this, block] { return Run(*m_a, block); });
        std::string locked;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline &&
               (locked = Run(*m_b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT")) != kBusy) {
            Run(*m_b, "ROLLBACK");
            std::this_thread::yield();
        }
        EXPECT_EQ(locked, kBusy);
        EXPECT_EQ(AtOnce("UPDATE EMP SET SAL = SAL + 1 WHERE EMPNO = 7499"), "rows=1");
        EXPECT_EQ(Run(*m_b, "ROLLBACK"), "ok");
        while (!Finished(busy)) {
            m_a->Break();
            std::this_thread::yield();
        }
        EXPECT_EQ(busy.get().rfind(kCancelled, 0), 0u);
        EXPECT_EQ(Run(*m_a, "SELECT SAL FROM EMP WHERE EMPNO = 7369"), "800"); // the failed block undid itself
    }
}

// Rows a block inserts one after another are locked as runs of rowids: each
// row of a run is still A's alone, read by others as absent, freed by a
// rollback to a savepoint inside the run and by A's death.
class InsertRunTest : public RowLockTest {
protected:
    void SetUp() override
    {
        RowLockTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(Run(*m_a, "CREATE TABLE KR (ID NUMBER PRIMARY KEY, N NUMBER)"), "ok");
    }
    // A inserts rows first..last in one block (a run per 256 rows), uncommitted.
    void Insert(int first, int last)
    {
        ASSERT_EQ(Run(*m_a, "BEGIN FOR i IN " + std::to_string(first) + ".." + std::to_string(last) +
                                " LOOP INSERT INTO KR VALUES (i, i); END LOOP; END;"),
                  "ok");
    }
};

TEST_F(InsertRunTest, EveryRowOfARunIsTheInsertersUntilItEnds)
{
    Insert(1, 3000);
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*), SUM(N) FROM KR"), "3000|4501500");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KR"), "0");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KR WHERE ID BETWEEN 250 AND 520"), "0");
    // The first row of a run, rows inside it and the last: B's change of
    // each waits for A (until B gives up).
    for (int id : {1, 256, 257, 300, 2999, 3000}) {
        SCOPED_TRACE(id);
        std::future<std::string> change = StartB("UPDATE KR SET N = 0 WHERE ID = " + std::to_string(id));
        ASSERT_TRUE(BIsWaiting());
        while (!Finished(change)) {
            m_b->Break();
            std::this_thread::yield();
        }
        EXPECT_EQ(change.get(), kCancelled);
    }
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*), SUM(N) FROM KR"), "3000|4501500");
    std::future<std::string> del = StartB("DELETE FROM KR WHERE ID = 300");
    ASSERT_TRUE(BIsWaiting());
    EXPECT_FALSE(Finished(del));
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    EXPECT_EQ(del.get(), "rows=1");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KR"), "2999");
}

TEST_F(InsertRunTest, ChangesAfterASavepointInsideARunAreUndoneAlone)
{
    // In one block and across calls: the rows after the savepoint go, the
    // rows before stay A's, and a row of the run A changed after the
    // savepoint is still absent for B.
    ASSERT_EQ(Run(*m_a, "BEGIN FOR i IN 1..10 LOOP INSERT INTO KR VALUES (i, i); END LOOP; SAVEPOINT S;"
                        " FOR i IN 11..20 LOOP INSERT INTO KR VALUES (i, i); END LOOP; ROLLBACK TO S; END;"),
              "ok");
    ASSERT_EQ(Run(*m_a, "INSERT INTO KR VALUES (21, 21)"), "rows=1");
    ASSERT_EQ(Run(*m_a, "SAVEPOINT T"), "ok");
    ASSERT_EQ(Run(*m_a, "UPDATE KR SET N = 99 WHERE ID = 3"), "rows=1");
    ASSERT_EQ(Run(*m_a, "INSERT INTO KR VALUES (22, 22)"), "rows=1");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KR"), "0");
    ASSERT_EQ(Run(*m_a, "ROLLBACK TO T"), "ok");
    EXPECT_EQ(Run(*m_a, "SELECT COUNT(*), SUM(N) FROM KR"), "11|76");
    EXPECT_EQ(AtOnce("INSERT INTO KR VALUES (15, 0)"), "rows=1");
    EXPECT_EQ(AtOnce("INSERT INTO KR VALUES (22, 0)"), "rows=1");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KR"), "2");
    EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*), SUM(N) FROM KR"), "13|76");
}

TEST_F(InsertRunTest, AKilledSessionsRunsAreRolledBack)
{
    Insert(1, 600);
    const std::string sid = Run(*m_a, "SELECT USERENV('SESSIONID') FROM DUAL");
    const std::string serial = Run("SELECT SERIAL# FROM V$SESSION WHERE SID = " + sid);
    ASSERT_EQ(Run("ALTER SYSTEM KILL SESSION '" + sid + "," + serial + "'"), "ok");
    EXPECT_EQ(AtOnce("INSERT INTO KR VALUES (300, 0)"), "rows=1");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*), SUM(N) FROM KR"), "1|0");
}

// A database made before row locks gets their tables at its next logon.
TEST_F(RowLockTest, AnOldDatabaseGetsRowLocksAtItsNextLogon)
{
    LogoffAll();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_db.directory + "/" + m_db.sid + ".db").c_str(), &db), SQLITE_OK);
    for (const char* sql : {"DROP TABLE cat_undo", "DROP TABLE cat_txns",
                            "UPDATE cat_db SET value = '2' WHERE key = 'catalog_level'"}) {
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
        sqlite3_free(message);
    }
    sqlite3_close(db);
    VkOracle::OraSession& a = Logon("SCOTT", "TIGER");
    VkOracle::OraSession& b = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(a, "UPDATE EMP SET SAL = 1 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(Run(b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), kBusy);
    EXPECT_EQ(Run(b, "UPDATE EMP SET SAL = 2 WHERE EMPNO = 7499"), "rows=1");
    EXPECT_EQ(Run(a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(b, "COMMIT"), "ok");
    EXPECT_EQ(Run(a, "SELECT SAL FROM EMP WHERE EMPNO IN (7369, 7499) ORDER BY EMPNO"), "800\n2");
}

} // namespace
} // namespace oraenginetest
