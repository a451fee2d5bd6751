// A process that dies in the middle of a job run leaves nothing behind: its
// run, its THIS_DATE and its session vanish for every other process, the
// failure is counted, the job is due again, and no later session inherits
// the dead session's id (so Stop never finds the wrong session).
#include "EngineFixture.h"
#include "ociw32/server/OraDatabaseFiles.h"

#include <sqlite3.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

namespace oraenginetest {
namespace {

// The program's stop query for a job.
std::string StopQuery(const std::string& job)
{
    return "select s.sid, s.serial# from dba_jobs_running r, v$session s where r.job=" + job + " and r.sid = s.sid";
}

class CrashSafeRunTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        // The job sleeps as long as NAPS says: long in the child, not at all later.
        VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
        ASSERT_EQ(Run(scott, "CREATE TABLE NAPS (S NUMBER)"), "ok");
        ASSERT_EQ(Run(scott, "INSERT INTO NAPS VALUES (600)"), "rows=1");
        ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'DECLARE N NUMBER; BEGIN"
                             " SELECT S INTO N FROM NAPS; DBMS_LOCK.SLEEP(N); END;', SYSDATE, 'SYSDATE + 1');"
                             " COMMIT; END;"),
                  "ok");
        m_job = Run("SELECT MAX(JOB) FROM DBA_JOBS WHERE LOG_USER = 'SCOTT'");
        m_scott = &scott;
    }
    void TearDown() override
    {
        if (m_child > 0) {
            ::kill(m_child, SIGKILL);
            ::waitpid(m_child, nullptr, 0);
        }
        EngineTest::TearDown();
    }

    // A child process that logs on and runs the job, killed with SIGKILL
    // once its run shows in DBA_JOBS_RUNNING. The child's session id.
    std::string KillAChildInTheMiddleOfTheRun()
    {
        m_child = ::fork();
        if (m_child == 0) {
            std::unique_ptr<VkOracle::OraSession> s;
            if (VkOracle::TheOraServer().Logon(m_db, "SCOTT", "TIGER", &s).Ok())
                VkOracle::RunSql(*s, "BEGIN DBMS_JOB.RUN(" + m_job + "); END;");
            ::_exit(3);
        }
        EXPECT_GT(m_child, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::string sid;
        while (std::chrono::steady_clock::now() < deadline) {
            sid = Run("SELECT SID FROM DBA_JOBS_RUNNING WHERE JOB = " + m_job);
            if (!sid.empty())
                break;
            std::this_thread::yield();
        }
        EXPECT_FALSE(sid.empty()) << "the child never started the run";
        EXPECT_EQ(Run("SELECT COUNT(*) FROM V$SESSION WHERE PROCESS = '" + std::to_string(m_child) + "'"), "1");
        EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE THIS_DATE IS NOT NULL AND JOB = " + m_job), "1");
        ::kill(m_child, SIGKILL);
        int status = 0;
        EXPECT_EQ(::waitpid(m_child, &status, 0), m_child);
        EXPECT_TRUE(WIFSIGNALED(status));
        m_childPid = std::to_string(m_child);
        m_child = -1;
        return sid;
    }

    std::string m_job;
    std::string m_childPid;
    pid_t m_child = -1;
    VkOracle::OraSession* m_scott = nullptr;
};

// A fresh session of another process finds no trace of the dead run.
TEST_F(CrashSafeRunTest, AKilledProcessLeavesNoRunNoThisDateAndNoSession)
{
    const std::string deadSid = KillAChildInTheMiddleOfTheRun();
    VkOracle::OraSession& reader = Logon("SYSTEM", "MANAGER");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM V$SESSION WHERE PROCESS = '" + m_childPid + "' OR SID = " + deadSid),
              "0");
    // Counted as a failure; due again at the date it had.
    EXPECT_EQ(Run(*m_scott, "SELECT NVL(TO_CHAR(THIS_DATE), '-') || ' ' || FAILURES || ' ' || BROKEN ||"
                            " ' ' || TO_CHAR(NEXT_DATE, 'YYYY-MM-DD HH24:MI') FROM USER_JOBS WHERE JOB = " + m_job),
              "- 1 N 2026-12-07 10:30");
    // The job runs again, this time to its end, and starts afresh.
    EXPECT_EQ(Run(*m_scott, "UPDATE NAPS SET S = 0"), "rows=1");
    EXPECT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.RUN(" + m_job + "); END;"), "ok");
    EXPECT_EQ(Run(*m_scott, "SELECT FAILURES || ' ' || TO_CHAR(LAST_DATE, 'YYYY-MM-DD HH24:MI') FROM USER_JOBS"
                            " WHERE JOB = " + m_job),
              "0 2026-12-07 10:30");
}

// A session that already existed (the program's own) sees the run vanish at
// its next call, and the stop query never names a session not running it.
TEST_F(CrashSafeRunTest, TheStopQueryNeverNamesASessionThatDoesNotRunTheJob)
{
    VkOracle::OraSession& program = System();
    const std::string deadSid = KillAChildInTheMiddleOfTheRun();
    EXPECT_EQ(Run(program, StopQuery(m_job)), "");
    // New sessions never take over the dead session's id.
    for (int i = 0; i < 3; ++i) {
        VkOracle::OraSession& later = Logon("SYSTEM", "MANAGER");
        EXPECT_EQ(Run(later, StopQuery(m_job)), "");
        EXPECT_EQ(Run(later, "SELECT COUNT(*) FROM V$SESSION WHERE SID = " + deadSid), "0");
        EXPECT_NE(Run(later, "SELECT USERENV('SESSIONID') FROM DUAL"), deadSid);
    }
    EXPECT_EQ(Run(program, "SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
    // A live run is found, in the session that runs it.
    const std::string scottSid = Run(*m_scott, "SELECT USERENV('SESSIONID') FROM DUAL");
    oraenginetest::BackgroundStatement run(*m_scott, "BEGIN DBMS_JOB.RUN(" + m_job + "); END;");
    ASSERT_TRUE(run.Parsed());
    std::string found;
    run.WaitUntil([&] {
        found = Run(program, StopQuery(m_job));
        return !found.empty();
    });
    m_scott->Break();
    run.Wait();
    EXPECT_EQ(found.find('\n'), std::string::npos) << found;
    EXPECT_EQ(found.substr(0, found.find('|')), scottSid);
    EXPECT_EQ(Run(program, "SELECT FAILURES FROM DBA_JOBS WHERE JOB = " + m_job), "2");
}

// The instance file is never synced; after a machine crash left it damaged,
// the next logon starts it again (it only held what died with the crash).
TEST_F(EngineTest, ADamagedInstanceFileStartsAgainEmpty)
{
    {
        std::ofstream damage(VkOracle::InstanceFilePath(m_db), std::ios::binary | std::ios::trunc);
        for (int i = 0; i < 5000; ++i)
            damage << "not a database ";
    }
    EXPECT_EQ(Run("SELECT COUNT(*) FROM V$SESSION"), "1");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
}

// Session ids come from a counter in the instance file. One without the
// counter (written before there was one) starts it past every id a live
// session still has; after that each logon takes the next id.
TEST_F(EngineTest, ACounterMadeLateStartsPastEveryIdInUse)
{
    VkOracle::OraSession& first = System();
    const long firstSid = std::stol(Run(first, "SELECT USERENV('SESSIONID') FROM DUAL"));
    {
        sqlite3* inst = nullptr;
        ASSERT_EQ(sqlite3_open(VkOracle::InstanceFilePath(m_db).c_str(), &inst), SQLITE_OK);
        // A session of this (live) process with a higher id than the counter gave.
        const std::string sql = "DELETE FROM cat_counters; INSERT INTO cat_sessions(sid, serial, username, pid)"
                                " VALUES (" + std::to_string(firstSid + 40) + ", 1, 'SCOTT', " +
                                std::to_string(::getpid()) + ")";
        EXPECT_EQ(sqlite3_exec(inst, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(inst);
    }
    VkOracle::OraSession& second = Logon("SYSTEM", "MANAGER");
    const long secondSid = std::stol(Run(second, "SELECT USERENV('SESSIONID') FROM DUAL"));
    EXPECT_EQ(secondSid, firstSid + 41);
    VkOracle::OraSession& third = Logon("SYSTEM", "MANAGER");
    EXPECT_EQ(std::stol(Run(third, "SELECT USERENV('SESSIONID') FROM DUAL")), secondSid + 1);
}

} // namespace
} // namespace oraenginetest
