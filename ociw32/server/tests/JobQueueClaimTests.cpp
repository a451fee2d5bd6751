// A job queue runner's claim: a run is claimed only while its job is due,
// unbroken, run by no other session and the parameter leaves room for the
// runner; a run claims the runner's next job with its bookkeeping; two
// queues racing over the same due jobs run each of them exactly once.
#include "EngineFixture.h"

#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/SqliteUtil.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <sstream>
#include <thread>

namespace oraenginetest {
namespace {

using VkOracle::OraDbmsJob;

class JobQueueClaimTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        // The queue's lock held here: no queue process starts and races the test.
        m_queueLock = ::open(VkOracle::QueueLockFilePath(m_db).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        ASSERT_GE(m_queueLock, 0);
        ASSERT_EQ(::flock(m_queueLock, LOCK_EX | LOCK_NB), 0);
        ASSERT_EQ(Run("CREATE TABLE RUNS (JOB NUMBER)"), "ok");
        ASSERT_EQ(Run("GRANT INSERT ON RUNS TO SCOTT"), "ok");
        ASSERT_EQ(Run("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 2"), "ok");
        m_scott = &Logon("SCOTT", "TIGER");
    }
    void TearDown() override
    {
        m_cores.clear();
        if (m_queueLock >= 0)
            ::close(m_queueLock);
        DemoEngineTest::TearDown();
    }

    // A job of SCOTT's that records its run in RUNS; its number.
    std::string Submit(const std::string& next)
    {
        EXPECT_EQ(Run(*m_scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'INSERT INTO SYSTEM.RUNS VALUES (JOB);', " +
                                    next + ", 'SYSDATE + 1'); COMMIT; END;"),
                  "ok");
        return Run(*m_scott, "SELECT MAX(JOB) FROM USER_JOBS");
    }
    // A runner's session, as a queue process keeps it.
    std::shared_ptr<VkOracle::OraSessionCore> Core()
    {
        std::shared_ptr<VkOracle::OraSessionCore> core;
        const VkOracle::OraResult r = VkOracle::OraSessionCore::OpenInternal(m_db, "SCOTT", &core);
        EXPECT_TRUE(r.Ok()) << r.message;
        m_cores.push_back(core);
        return core;
    }
    // One queue run: "ran", "not due" or "taken", with the first line of the error, if any.
    static std::string RunQueued(const std::shared_ptr<VkOracle::OraSessionCore>& core, const std::string& job,
                                 OraDbmsJob::QueueSlot* slot)
    {
        VkOracle::PlsqlInterpreter interpreter(core);
        OraDbmsJob jobs(interpreter);
        OraDbmsJob::QueueRun outcome = OraDbmsJob::QueueRun::Ran;
        const VkOracle::OraResult r = jobs.RunQueued(std::stoll(job), slot, &outcome);
        const std::string text = outcome == OraDbmsJob::QueueRun::Ran     ? "ran"
                                 : outcome == OraDbmsJob::QueueRun::Taken ? "taken"
                                                                          : "not due";
        return r.Ok() ? text : text + " " + r.message.substr(0, r.message.find('\n'));
    }
    // LAST_DATE, THIS_DATE, FAILURES and the session running it (or NULL).
    std::string State(const std::string& job)
    {
        return Run("SELECT J.LAST_DATE, J.THIS_DATE, NVL(J.FAILURES, 0), R.SID FROM DBA_JOBS J, DBA_JOBS_RUNNING R"
                   " WHERE R.JOB (+) = J.JOB AND J.JOB = " + job);
    }

    VkOracle::OraSession* m_scott = nullptr;
    std::vector<std::shared_ptr<VkOracle::OraSessionCore>> m_cores;
    int m_queueLock = -1;
    std::mutex m_writers;
    const std::string kNow = "2026-12-07 10:30:00";
};

TEST_F(JobQueueClaimTest, OnlyADueUnbrokenFreeJobWithRoomForTheRunnerIsClaimed)
{
    const std::string due = Submit("SYSDATE"), later = Submit("SYSDATE + 1"), broken = Submit("SYSDATE"),
                      held = Submit("SYSDATE");
    ASSERT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.BROKEN(" + broken + ", TRUE); COMMIT; END;"), "ok");
    // Another live session runs `held`.
    const auto other = Core();
    ASSERT_TRUE(VkOracle::SqliteExec(other->Db(), "INSERT INTO inst.cat_jobs_running VALUES (" + held + ", " +
                                                              std::to_string(other->Sid()) + ")"));
    const auto core = Core();
    const std::string sid = std::to_string(core->Sid());
    const struct {
        const char* processes; // set first, when not null
        int runner;
        const std::string& job;
        const char* outcome;
    } cases[] = {
        {"0", 0, due, "not due"},
        {"2", 2, due, "not due"},
        {nullptr, 0, later, "not due"},
        {nullptr, 0, broken, "not due"},
        {nullptr, 0, held, "taken ORA-00054: resource busy and acquire with NOWAIT specified"},
        {nullptr, 1, due, "ran"},
        {nullptr, 1, due, "not due"}, // ran: due tomorrow now
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.job + " by runner " + std::to_string(c.runner));
        if (c.processes) {
            ASSERT_EQ(Run(std::string("ALTER SYSTEM SET JOB_QUEUE_PROCESSES = ") + c.processes), "ok");
        }
        OraDbmsJob::QueueSlot slot;
        slot.runner = c.runner;
        slot.writers = &m_writers;
        EXPECT_EQ(RunQueued(core, c.job, &slot), c.outcome);
        EXPECT_EQ(slot.claimed, 0);
    }
    EXPECT_EQ(State(due), kNow + "|NULL|0|NULL");
    EXPECT_EQ(State(later), "NULL|NULL|0|NULL");
    // The session running `held` still does, and nothing else was touched.
    EXPECT_EQ(State(held), "NULL|NULL|0|" + std::to_string(other->Sid()));
    EXPECT_EQ(Run("SELECT JOB FROM RUNS"), due);
}

TEST_F(JobQueueClaimTest, ARunClaimsTheRunnersNextJobWithItsBookkeeping)
{
    const std::string first = Submit("SYSDATE"), second = Submit("SYSDATE"), third = Submit("SYSDATE"),
                      later = Submit("SYSDATE + 1");
    const auto core = Core();
    const std::string sid = std::to_string(core->Sid());
    std::deque<std::string> next{second};
    OraDbmsJob::QueueSlot slot;
    slot.writers = &m_writers;
    slot.takeNext = [&]() -> int64_t {
        if (next.empty())
            return 0;
        const int64_t job = std::stoll(next.front());
        next.pop_front();
        return job;
    };
    ASSERT_EQ(RunQueued(core, first, &slot), "ran");
    // Booked, and the next job claimed and marked in the same commit.
    EXPECT_EQ(State(first), kNow + "|NULL|0|NULL");
    EXPECT_EQ(State(second), "NULL|" + kNow + "|0|" + sid);
    EXPECT_EQ(std::to_string(slot.next) + "/" + std::to_string(slot.claimed), second + "/" + second);
    // Run without a second claim, handing over nothing.
    ASSERT_EQ(RunQueued(core, second, &slot), "ran");
    EXPECT_EQ(State(second), kNow + "|NULL|0|NULL");
    EXPECT_EQ(slot.next, 0);
    EXPECT_EQ(Run("SELECT COUNT(*), COUNT(DISTINCT JOB) FROM RUNS"), "2|2");

    // A next job not due is handed over unclaimed; its own run then says so.
    ASSERT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.NEXT_DATE(" + first + ", SYSDATE); COMMIT; END;"), "ok");
    next = {later};
    ASSERT_EQ(RunQueued(core, first, &slot), "ran");
    EXPECT_EQ(std::to_string(slot.next) + "/" + std::to_string(slot.claimed), later + "/0");
    EXPECT_EQ(State(later), "NULL|NULL|0|NULL");
    EXPECT_EQ(RunQueued(core, later, &slot), "not due");

    // A claimed job that is not run after all is let go uncounted, still due.
    ASSERT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.NEXT_DATE(" + first + ", SYSDATE); COMMIT; END;"), "ok");
    next = {third};
    ASSERT_EQ(RunQueued(core, first, &slot), "ran");
    ASSERT_EQ(State(third), "NULL|" + kNow + "|0|" + sid);
    {
        VkOracle::PlsqlInterpreter interpreter(core);
        OraDbmsJob(interpreter).ReleaseClaim(std::stoll(third), &m_writers);
    }
    EXPECT_EQ(State(third), "NULL|NULL|0|NULL");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE NEXT_DATE <= SYSDATE AND JOB = " + third), "1");
}

// A job's row another transaction holds (an uncommitted DBMS_JOB call) is
// not committed: the job is neither claimed nor claimed as the next one
// until that transaction ends. A run's own row locks end with its booking:
// its work kept when it succeeds, undone when it fails.
TEST_F(JobQueueClaimTest, HeldJobsWaitAndARunsRowLocksEndWithItsBooking)
{
    const std::string first = Submit("SYSDATE"), held = Submit("SYSDATE"), failing = Submit("SYSDATE");
    ASSERT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.WHAT(" + failing + ", 'INSERT INTO SYSTEM.RUNS VALUES (JOB);"
                            " RAISE_APPLICATION_ERROR(-20001, ''no'');'); COMMIT; END;"),
              "ok");
    ASSERT_EQ(Run(*m_scott, "BEGIN DBMS_JOB.NEXT_DATE(" + held + ", SYSDATE); END;"), "ok");
    const auto core = Core();
    auto records = [&] {
        VkOracle::SqliteStmt q(core->Db(), "SELECT (SELECT count(*) FROM main.cat_undo WHERE tbl <> 'cat_jobs'),"
                                           " (SELECT count(*) FROM main.cat_txns)");
        return q.Step() ? std::to_string(q.Int(0)) + "/" + std::to_string(q.Int(1)) : std::string("none");
    };
    EXPECT_EQ(records(), "0/1"); // SCOTT's transaction holds only the job's row
    OraDbmsJob::QueueSlot slot;
    slot.writers = &m_writers;
    EXPECT_EQ(RunQueued(core, held, &slot), "not due");
    EXPECT_EQ(State(held), "NULL|NULL|0|NULL");
    bool offered = false;
    slot.takeNext = [&]() -> int64_t {
        offered = !offered;
        return offered ? std::stoll(held) : 0;
    };
    ASSERT_EQ(RunQueued(core, first, &slot), "ran");
    EXPECT_EQ(std::to_string(slot.next) + "/" + std::to_string(slot.claimed), held + "/0");
    EXPECT_EQ(State(held), "NULL|NULL|0|NULL");
    EXPECT_EQ(records(), "0/1");
    ASSERT_EQ(Run(*m_scott, "COMMIT"), "ok");
    slot.takeNext = nullptr;
    EXPECT_EQ(RunQueued(core, held, &slot), "ran");
    EXPECT_EQ(RunQueued(core, failing, &slot), "ran ORA-20001: no");
    EXPECT_EQ(State(failing), "NULL|NULL|1|NULL");
    // Only the two runs that succeeded left their rows, and no lock is left.
    EXPECT_EQ(Run("SELECT COUNT(*), COUNT(DISTINCT JOB) FROM RUNS"), "2|2");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM RUNS WHERE JOB = " + failing), "0");
    EXPECT_EQ(records(), "0/0");
    VkOracle::SqliteStmt undo(core->Db(), "SELECT count(*) FROM main.cat_undo");
    ASSERT_TRUE(undo.Step());
    EXPECT_EQ(undo.Int(0), 0);
}

// Two queues (each with its own writers' turn, as two processes have)
// with two runners each, all given every due job at once.
TEST_F(JobQueueClaimTest, TwoQueuesRacingRunEveryDueJobExactlyOnce)
{
    ASSERT_EQ(Run(*m_scott, "DECLARE J NUMBER; BEGIN FOR I IN 1..120 LOOP DBMS_JOB.SUBMIT(J,"
                            " 'INSERT INTO SYSTEM.RUNS VALUES (JOB);', SYSDATE, 'SYSDATE + 1'); END LOOP; COMMIT; END;"),
              "ok");
    std::vector<int64_t> due;
    std::istringstream listed(Run("SELECT JOB FROM DBA_JOBS WHERE WHAT LIKE '%RUNS%'"));
    for (std::string job; std::getline(listed, job);)
        due.push_back(std::stoll(job));
    ASSERT_EQ(due.size(), 120u);
    struct Queue {
        std::mutex writers, lock;
        std::deque<int64_t> jobs;
    } queues[2];
    queues[0].jobs.assign(due.begin(), due.end());
    queues[1].jobs.assign(due.rbegin(), due.rend());
    std::atomic<int> ran{0};
    std::vector<std::thread> runners;
    for (int q = 0; q < 2; ++q)
        for (int runner = 0; runner < 2; ++runner) {
            Queue& queue = queues[q];
            const auto core = Core();
            runners.emplace_back([&queue, &ran, core, runner] {
                auto pop = [&queue]() -> int64_t {
                    std::lock_guard<std::mutex> guard(queue.lock);
                    if (queue.jobs.empty())
                        return 0;
                    const int64_t job = queue.jobs.front();
                    queue.jobs.pop_front();
                    return job;
                };
                OraDbmsJob::QueueSlot slot;
                slot.runner = runner;
                slot.writers = &queue.writers;
                slot.takeNext = pop;
                for (int64_t job = pop(); job;) {
                    if (RunQueued(core, std::to_string(job), &slot) == "ran")
                        ++ran;
                    job = slot.next ? slot.next : pop();
                }
            });
        }
    for (std::thread& t : runners)
        t.join();
    EXPECT_EQ(ran.load(), 120);
    EXPECT_EQ(Run("SELECT COUNT(*), COUNT(DISTINCT JOB) FROM RUNS"), "120|120");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE WHAT LIKE '%RUNS%' AND LAST_DATE = SYSDATE AND THIS_DATE IS NULL"
                  " AND FAILURES = 0"),
              "120");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
}

} // namespace
} // namespace oraenginetest
