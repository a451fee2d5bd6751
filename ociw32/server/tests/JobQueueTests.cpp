// Job queue processes: a pass runs the due, unbroken jobs in their owners'
// sessions; the queue process runs only when the parameter asks.
#include "EngineFixture.h"

#include "ociw32/server/OraJobQueue.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace oraenginetest {
namespace {

class JobQueueTest : public DemoEngineTest {
protected:
    std::string Jobs(const char* where)
    {
        return Run(System(), std::string("SELECT JOB, LAST_DATE, FAILURES FROM DBA_JOBS WHERE ") + where + " ORDER BY JOB");
    }
};

TEST_F(JobQueueTest, APassRunsTheDueUnbrokenJobsOnce)
{
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db), 3);
    EXPECT_EQ(Jobs("LAST_DATE = SYSDATE"), "1|2026-12-07 10:30:00|0\n9|2026-12-07 10:30:00|0\n11|2026-12-07 10:30:00|0");
    // Their next dates are in the future now; the broken ones never ran.
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db), 0);
    EXPECT_EQ(Jobs("BROKEN = 'Y'"), "6|2026-11-17 10:30:00|16\n8|2026-11-07 10:30:00|0");
    // A failing job counts its failure and the pass goes on.
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(scott, "BEGIN DBMS_JOB.NEXT_DATE(4, SYSDATE); DBMS_JOB.NEXT_DATE(5, SYSDATE); COMMIT; END;"), "ok");
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db), 2);
    EXPECT_EQ(Jobs("JOB IN (4, 5)"), "4|2026-12-05 10:30:00|4\n5|2026-12-07 10:30:00|0");
    EXPECT_EQ(Run(System(), "SELECT COUNT(*) FROM SYS.DBA_JOBS_RUNNING"), "0");
}

TEST_F(JobQueueTest, ParametersNeedAlterSystemAndSensibleValues)
{
    const struct {
        const char* user;
        const char* sql;
        const char* result;
    } cases[] = {
        {"APPUSER", "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1", "ORA-01031: insufficient privileges"},
        {"SYSTEM", "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = -1", "ORA-02017: integer value required"},
        {"SYSTEM", "ALTER SYSTEM SET JOB_QUEUE_INTERVAL = 0",
         "ORA-02097: parameter cannot be modified because specified value is invalid"},
        {"SYSTEM", "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 'x'", "ORA-02017: integer value required"},
        {"SYSTEM", "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0", "ok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        VkOracle::OraSession& s = std::string(c.user) == "APPUSER" ? Logon("APPUSER", "APPUSER") : System();
        EXPECT_EQ(Run(s, c.sql), c.result);
    }
}

TEST_F(JobQueueTest, TheQueueProcessRunsDueJobsWhenEnabled)
{
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_INTERVAL = 1"), "ok");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER"); // a logon starts the queue of the database
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string ran;
    while (std::chrono::steady_clock::now() < deadline) {
        ran = Run("SELECT COUNT(*) FROM DBA_JOBS WHERE LAST_DATE = SYSDATE");
        if (ran == "3")
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(ran, "3");
    ASSERT_TRUE(Server().Shutdown(m_db).Ok()); // ends the queue process
}

// Setting the parameter to 0 while a pass runs holds back the jobs not yet
// started; the one running ends normally.
TEST_F(JobQueueTest, SettingProcessesToZeroStopsNewRunsAtOnce)
{
    ASSERT_EQ(Run("CREATE TABLE GATE (OPEN NUMBER)"), "ok");
    ASSERT_EQ(Run("GRANT SELECT ON GATE TO SCOTT"), "ok");
    // Logged on first: a logon while the parameter is above 0 would start the
    // database's queue process, which would race this test's pass.
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    // Due before the demo's jobs: waits until the test opens the gate.
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'DECLARE N NUMBER := 0; BEGIN WHILE N = 0 LOOP"
                         " SELECT COUNT(*) INTO N FROM SYSTEM.GATE; IF N = 0 THEN DBMS_LOCK.SLEEP(0.01); END IF;"
                         " END LOOP; END;', SYSDATE - 1000, 'SYSDATE + 1'); COMMIT; END;"),
              "ok");
    const std::string gated = Run("SELECT MAX(JOB) FROM DBA_JOBS");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    std::atomic<int> ran{-1};
    std::thread pass([&] { ran = VkOracle::OraJobQueue::RunDueJobs(m_db, true); });
    while (ran < 0 && Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + gated) != "1")
        std::this_thread::yield();
    EXPECT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0"), "ok");
    EXPECT_EQ(Run("INSERT INTO GATE VALUES (1)"), "rows=1");
    EXPECT_EQ(Run("COMMIT"), "ok");
    pass.join();
    EXPECT_EQ(ran.load(), 1);
    EXPECT_EQ(Jobs("LAST_DATE = SYSDATE"), gated + "|2026-12-07 10:30:00|0");
    // Enabled again, the held-back jobs run.
    EXPECT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    EXPECT_EQ(VkOracle::OraJobQueue::RunDueJobs(m_db, true), 3);
}

// What may make the queue act wakes its process: a committed change of its
// parameters or a job made due now touch the instance state (the process
// watches it); other changes, and rollbacks, do not.
TEST_F(JobQueueTest, ParameterChangesAndJobsMadeDueSignalTheQueueAtCommit)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE + 1, 'SYSDATE + 1'); COMMIT; END;"),
              "ok");
    const std::string job = Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, m_db.directory.c_str(), IN_ATTRIB), 0);
    const std::string stateName = m_db.sid + ".state";
    // Whether the state file was touched since the last look.
    auto signalled = [&] {
        bool touched = false;
        alignas(inotify_event) char events[4096];
        for (ssize_t n; (n = ::read(watch, events, sizeof events)) > 0;)
            for (ssize_t at = 0; at < n;) {
                const auto* e = reinterpret_cast<const inotify_event*>(events + at);
                touched = touched || (e->len > 0 && stateName == e->name);
                at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
            }
        return touched;
    };
    const struct {
        const char* sql;
        bool system;
        bool signals;
    } cases[] = {
        {"ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0", true, true},
        {"ALTER SYSTEM SET JOB_QUEUE_INTERVAL = 5", true, true},
        {"BEGIN DBMS_JOB.NEXT_DATE(#J, SYSDATE); COMMIT; END;", false, true},
        {"BEGIN DBMS_JOB.NEXT_DATE(#J, SYSDATE + 1); COMMIT; END;", false, false},
        {"BEGIN DBMS_JOB.NEXT_DATE(#J, SYSDATE); ROLLBACK; END;", false, false},
        {"BEGIN DBMS_JOB.CHANGE(#J, NULL, SYSDATE - 1, NULL); COMMIT; END;", false, true},
        {"BEGIN DBMS_JOB.CHANGE(#J, 'NULL;', NULL, NULL); COMMIT; END;", false, false},
        {"BEGIN DBMS_JOB.BROKEN(#J, TRUE); COMMIT; END;", false, false},
        {"BEGIN DBMS_JOB.BROKEN(#J, FALSE); COMMIT; END;", false, true},
        {"DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;'); COMMIT; END;", false, true},
        {"DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE + 1 / 24); COMMIT; END;", false, false},
        {"UPDATE EMP SET SAL = SAL WHERE 1 = 0", false, false},
    };
    for (const auto& c : cases) {
        std::string sql = c.sql;
        if (const size_t at = sql.find("#J"); at != std::string::npos)
            sql.replace(at, 2, job);
        SCOPED_TRACE(sql);
        signalled();
        const std::string result = Run(c.system ? System() : scott, sql);
        EXPECT_TRUE(result == "ok" || result == "rows=0") << result;
        if (!c.signals) {
            EXPECT_EQ(Run(scott, "COMMIT"), "ok");
        }
        EXPECT_EQ(signalled(), c.signals);
    }
    ::close(watch);
}

} // namespace
} // namespace oraenginetest
