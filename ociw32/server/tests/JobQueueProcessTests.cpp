// The job queue process of a database: runs happen there, not in the
// clients; n processes run n jobs at once in sessions kept between jobs;
// shutdown ends it; what it does is in its log.
#include "EngineFixture.h"

#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/OraJobQueueLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace oraenginetest {
namespace {

class JobQueueProcessTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        // A gate jobs wait on until the test opens it.
        ASSERT_EQ(Run("CREATE TABLE GATE (OPEN NUMBER)"), "ok");
        ASSERT_EQ(Run("GRANT SELECT ON GATE TO PUBLIC"), "ok");
        ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_INTERVAL = 1"), "ok");
    }

    // Polls (the queue is another process) until done() holds; false after 30 s.
    static bool WaitFor(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    std::string Log()
    {
        std::string text;
        EXPECT_TRUE(VkOracle::OraJobQueueLog::Read(m_db, &text));
        return text;
    }
    // Log lines without their time stamps that match `pattern`.
    std::vector<std::string> LogLines(const std::string& pattern)
    {
        std::vector<std::string> lines;
        const std::regex stamped(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*)$)");
        const std::regex wanted(pattern);
        std::istringstream in(Log());
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            EXPECT_TRUE(std::regex_match(line, m, stamped)) << line;
            const std::string text = m.size() > 1 ? m[1].str() : line;
            if (std::regex_search(text, wanted))
                lines.push_back(text);
        }
        return lines;
    }

    // Submits, as SCOTT, a job that waits for the gate; its number.
    std::string SubmitGated(VkOracle::OraSession& scott)
    {
        EXPECT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'DECLARE N NUMBER := 0; BEGIN WHILE N = 0"
                             " LOOP SELECT COUNT(*) INTO N FROM SYSTEM.GATE; IF N = 0 THEN DBMS_LOCK.SLEEP(0.01);"
                             " END IF; END LOOP; END;', SYSDATE - 1000, 'SYSDATE + 1'); COMMIT; END;"),
                  "ok");
        return Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    }
    // A gated job running in the queue process (one runner) with no client
    // session left; its number, empty when it did not start.
    std::string GatedRunWithoutClients()
    {
        const std::string job = SubmitGated(Logon("SCOTT", "TIGER"));
        EXPECT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
        Logon("SCOTT", "TIGER");
        const bool running =
            WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job) == "1"; });
        EXPECT_TRUE(running);
        LogoffAll();
        return running ? job : std::string();
    }
    std::string Running() { return Run("SELECT COUNT(*) || '/' || COUNT(DISTINCT SID) FROM DBA_JOBS_RUNNING"); }
};

// No client runs a job: with the queue's lock held elsewhere (as if it ran
// but were busy), logons and calls with due jobs return and run none.
TEST_F(JobQueueProcessTest, ClientsNeverRunJobsThemselves)
{
    const int lock = ::open(VkOracle::QueueLockFilePath(m_db).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    for (int i = 0; i < 50; ++i)
        ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE, 'SYSDATE + 1'); END;"), "ok");
    ASSERT_EQ(Run(scott, "COMMIT"), "ok");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 4"), "ok");
    for (int i = 0; i < 3; ++i) {
        VkOracle::OraSession& s = Logon("SCOTT", "TIGER");
        EXPECT_EQ(Run(s, "SELECT 1 FROM DUAL"), "1");
    }
    LogoffAll();
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE LAST_DATE = SYSDATE"), "0");
    EXPECT_EQ(Log(), "");
    ::close(lock);
    // Once the lock is free, the next logon starts the queue, which runs them.
    LogoffAll();
    EXPECT_TRUE(WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS WHERE LAST_DATE = SYSDATE") == "53"; }))
        << Log();
    EXPECT_TRUE(VkOracle::OraJobQueueRunning(m_db));
    EXPECT_EQ(LogLines("^Job queue process started").size(), 1u);
}

TEST_F(JobQueueProcessTest, JobsKeepRunningWithNoClientConnected)
{
    ASSERT_EQ(Run("CREATE TABLE TICKS (N NUMBER)"), "ok");
    ASSERT_EQ(Run("GRANT INSERT ON TICKS TO SCOTT"), "ok");
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    // On the pinned clock SYSDATE never moves: due again at every look.
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'INSERT INTO SYSTEM.TICKS VALUES (1);',"
                         " SYSDATE, 'SYSDATE'); COMMIT; END;"),
              "ok");
    const std::string job = Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER"); // starts the queue
    LogoffAll();
    EXPECT_TRUE(WaitFor([&] { return LogLines("^Job " + job + " run by session \\d+ \\(SCOTT\\): completed$").size() >= 2; }))
        << Log();
    EXPECT_GE(std::stoi(Run("SELECT COUNT(*) FROM TICKS")), 2);
}

// Two processes, jobs of two owners: each run sees its own owner's user and
// schema in a session the process keeps from job to job.
TEST_F(JobQueueProcessTest, KeptSessionsTakeOnEachOwner)
{
    ASSERT_EQ(Run("CREATE TABLE SEEN (WHO VARCHAR2(30), DATE_TEXT VARCHAR2(30))"), "ok");
    ASSERT_EQ(Run("GRANT INSERT ON SEEN TO PUBLIC"), "ok");
    for (const char* owner : {"SCOTT", "APPUSER", "SCOTT", "APPUSER"}) {
        VkOracle::OraSession& s = Logon(owner, owner == std::string("SCOTT") ? "TIGER" : "APPUSER");
        // SCOTT's jobs change the date format, which must not reach the next run.
        const std::string alter = owner == std::string("SCOTT")
                                      ? " EXECUTE IMMEDIATE ''ALTER SESSION SET NLS_DATE_FORMAT = ''''YYYY''''''; "
                                      : " ";
        ASSERT_EQ(Run(s, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'BEGIN INSERT INTO SYSTEM.SEEN VALUES (USER,"
                         " TO_CHAR(TO_DATE(''2026-12-07'', ''YYYY-MM-DD'')));" + alter + "END;', SYSDATE,"
                         " 'SYSDATE + 1'); COMMIT; END;"),
                  "ok");
    }
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER");
    LogoffAll();
    // The demo's three due jobs run too.
    EXPECT_TRUE(WaitFor([&] { return LogLines(": completed$").size() == 7; })) << Log();
    EXPECT_EQ(Run("SELECT WHO, DATE_TEXT, COUNT(*) FROM SEEN GROUP BY WHO, DATE_TEXT ORDER BY 1"),
              "APPUSER|07-DEC-26|2\nSCOTT|07-DEC-26|2");
    // One process, one session for every run.
    std::set<std::string> bySession;
    const std::regex sid(R"(run by session (\d+))");
    for (const std::string& line : LogLines(": completed$")) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(line, m, sid));
        bySession.insert(m[1]);
    }
    EXPECT_EQ(bySession.size(), 1u) << Log();
}

TEST_F(JobQueueProcessTest, FourProcessesRunFourLongJobsAtOnce)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    std::vector<std::string> jobs;
    for (int i = 0; i < 4; ++i)
        jobs.push_back(SubmitGated(scott));
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 4"), "ok");
    Logon("SCOTT", "TIGER");
    // Four at once, each in a session of its own; the demo's due jobs wait.
    EXPECT_TRUE(WaitFor([&] { return Running() == "4/4"; })) << Running();
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB IN (" + jobs[0] + ", " + jobs[1] + ", " + jobs[2] +
                  ", " + jobs[3] + ")"),
              "4");
    ASSERT_EQ(Run("INSERT INTO GATE VALUES (1)"), "rows=1");
    ASSERT_EQ(Run("COMMIT"), "ok");
    EXPECT_TRUE(WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS WHERE LAST_DATE = SYSDATE") == "7"; }));
}

TEST_F(JobQueueProcessTest, ShutdownImmediateBreaksTheRunsAndCountsAFailure)
{
    const std::string job = GatedRunWithoutClients();
    ASSERT_FALSE(job.empty());
    ASSERT_TRUE(Server().Shutdown(m_db, VkOracle::OraShutdownMode::Immediate).Ok());
    // Returns once the queue has ended, its run broken and booked.
    EXPECT_FALSE(VkOracle::OraJobQueueRunning(m_db));
    const std::vector<std::string> block = LogLines("ORA-");
    ASSERT_GE(block.size(), 2u) << Log();
    EXPECT_EQ(block[0], "ORA-12012: error on auto execute of job " + job);
    // The break lands wherever the run is (in a statement, or compiling
    // one), unless its next statement met the closed instance first; met
    // while compiling, that is a compile error ("PL/SQL: ORA-03114").
    EXPECT_NE(std::find_if(block.begin() + 1, block.end(),
                           [](const std::string& line) {
                               return line.find("ORA-01013: user requested cancel of current operation") !=
                                          std::string::npos ||
                                      line.find("ORA-03114: not connected to ORACLE") != std::string::npos;
                           }),
              block.end())
        << Log();
    EXPECT_EQ(LogLines("^Job queue process stopped: shutdown immediate$").size(), 1u) << Log();
    // Once open again, the job shows its failure and runs nowhere.
    ASSERT_TRUE(Server().Startup(m_db).Ok());
    EXPECT_EQ(Run("SELECT FAILURES, THIS_DATE FROM DBA_JOBS WHERE JOB = " + job), "1|NULL");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job), "0");
}

TEST_F(JobQueueProcessTest, ShutdownAbortKillsTheQueueAndTheNextStartupClearsItsRuns)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    const std::string job = SubmitGated(scott);
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER");
    ASSERT_TRUE(WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job) == "1"; }));
    // No new runs after the restart: what the test sees is what the abort left.
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0"), "ok");
    LogoffAll();
    ASSERT_TRUE(Server().Shutdown(m_db, VkOracle::OraShutdownMode::Abort).Ok());
    EXPECT_FALSE(VkOracle::OraJobQueueRunning(m_db));
    EXPECT_EQ(LogLines("^Job queue process stopped").size(), 0u) << Log(); // killed, it wrote nothing more
    ASSERT_TRUE(Server().Startup(m_db).Ok());
    EXPECT_EQ(Run("SELECT FAILURES, THIS_DATE FROM DBA_JOBS WHERE JOB = " + job), "1|NULL");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job), "0");
}

TEST_F(JobQueueProcessTest, AFailedRunIsLoggedWithItsErrorStack)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'DECLARE X NUMBER; BEGIN X := 1 / 0; END;',"
                         " SYSDATE, 'SYSDATE + 1'); COMMIT; END;"),
              "ok");
    const std::string job = Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER");
    ASSERT_TRUE(WaitFor([&] { return !LogLines("^Job " + job + " run by session").empty(); })) << Log();
    EXPECT_EQ(LogLines("^Job " + job + " run by session \\d+ \\(SCOTT\\): failed$").size(), 1u) << Log();
    const std::string log = Log();
    EXPECT_NE(log.find(" ORA-12012: error on auto execute of job " + job + "\n"), std::string::npos) << log;
    const size_t at = log.find("ORA-12012: error on auto execute of job " + job);
    ASSERT_NE(at, std::string::npos);
    const std::vector<std::string> stack = LogLines("^ORA-");
    ASSERT_GE(stack.size(), 2u);
    EXPECT_EQ(stack[1], "ORA-01476: divisor is equal to zero");
    EXPECT_EQ(Run("SELECT FAILURES FROM DBA_JOBS WHERE JOB = " + job), "1");
    struct stat st {};
    ASSERT_EQ(::stat(VkOracle::QueueLogFilePath(m_db).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// The parameter set to 0 while a job runs: that run ends normally, the next
// due job is not started, however long the queue goes on.
TEST_F(JobQueueProcessTest, ProcessesSetToZeroStopsNewRunsAtOnce)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    const std::string first = SubmitGated(scott);
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE, 'SYSDATE + 1'); COMMIT; END;"),
              "ok");
    const std::string second = Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER");
    ASSERT_TRUE(WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + first) == "1"; }));
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0"), "ok");
    ASSERT_EQ(Run("INSERT INTO GATE VALUES (1)"), "rows=1");
    ASSERT_EQ(Run("COMMIT"), "ok");
    EXPECT_TRUE(WaitFor([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS WHERE LAST_DATE = SYSDATE AND JOB = " + first) == "1"; }));
    // The queue is stopped (its runners joined) before the test looks.
    LogoffAll();
    ASSERT_TRUE(Server().Shutdown(m_db, VkOracle::OraShutdownMode::Immediate).Ok());
    ASSERT_TRUE(Server().Startup(m_db).Ok());
    EXPECT_EQ(Run("SELECT LAST_DATE, THIS_DATE FROM DBA_JOBS WHERE JOB = " + second), "NULL|NULL");
    EXPECT_TRUE(LogLines("^Job " + second + " ").empty()) << Log();
}

// Shutdown NORMAL does not break a run; the run's next statement meets the
// closed instance as every session's does, and the queue ends after it.
TEST_F(JobQueueProcessTest, ShutdownNormalLetsTheRunMeetTheClosedInstance)
{
    const std::string job = GatedRunWithoutClients();
    ASSERT_FALSE(job.empty());
    ASSERT_TRUE(Server().Shutdown(m_db, VkOracle::OraShutdownMode::Normal).Ok());
    EXPECT_FALSE(VkOracle::OraJobQueueRunning(m_db));
    EXPECT_EQ(LogLines("^Job queue process stopped: shutdown normal$").size(), 1u) << Log();
    EXPECT_EQ(LogLines("^ORA-12012: error on auto execute of job " + job + "$").size(), 1u) << Log();
}

// A job made due (or the parameter changed) is acted on at once, not at the
// queue's next look an interval later.
TEST_F(JobQueueProcessTest, AJobMadeDueRunsWithoutWaitingForTheNextLook)
{
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_INTERVAL = 3600"), "ok");
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER"); // starts the queue, which looks once
    // The demo's three due jobs: the first look is over.
    ASSERT_TRUE(WaitFor([&] { return LogLines(": completed$").size() == 3; })) << Log();
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE, 'SYSDATE + 1'); COMMIT; END;"),
              "ok");
    const std::string job = Run(scott, "SELECT MAX(JOB) FROM USER_JOBS");
    EXPECT_TRUE(WaitFor([&] { return LogLines("^Job " + job + " run by session \\d+ \\(SCOTT\\): completed$").size() == 1; }))
        << Log();
    // A second runner is taken on as soon as the parameter says so.
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 2"), "ok");
    EXPECT_TRUE(WaitFor([&] { return LogLines("^JOB_QUEUE_PROCESSES = 2$").size() == 1; })) << Log();
}

// Whether the process has ended (a zombie not yet reaped by whoever
// adopted it has ended too).
bool ProcessEnded(int pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text))
        return true;
    const size_t close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

// A test's root removed under a running queue: the process notices and ends.
TEST_F(JobQueueProcessTest, TheQueueEndsWhenItsDatabaseFilesDisappear)
{
    ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 1"), "ok");
    Logon("SCOTT", "TIGER");
    LogoffAll();
    ASSERT_TRUE(VkOracle::OraJobQueueRunning(m_db));
    const int pid = VkOracle::OraJobQueuePid(m_db);
    ASSERT_GT(pid, 0);
    // The queue may be writing there meanwhile: removed until it is gone.
    EXPECT_TRUE(WaitFor([&] {
        std::error_code error;
        std::filesystem::remove_all(m_db.directory, error);
        return !std::filesystem::exists(m_db.directory, error);
    }));
    EXPECT_TRUE(WaitFor([&] { return ProcessEnded(pid); }));
}

} // namespace
} // namespace oraenginetest
