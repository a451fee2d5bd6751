// ALTER SYSTEM KILL SESSION: a session busy in a call fails at once with
// ORA-00028 (a job stopped from the program must really stop), an idle one
// learns it at its next call; the killer's own mistakes get their errors.

#include "EngineFixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace oraenginetest {
namespace {

class KillSessionTest : public DemoEngineTest {
protected:
    // "sid, serial" of the only session of user.
    std::string Target(const std::string& user)
    {
        const std::string row =
            Run("SELECT SID || ', ' || SERIAL# FROM V$SESSION WHERE USERNAME = '" + user + "'");
        return row;
    }
};

// 1: a sleeping block ends within a moment of the kill, not when it wakes.
TEST_F(KillSessionTest, ABusySessionIsInterruptedWithOra00028)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    const std::string target = Target("SCOTT");
    ASSERT_NE(target.find(", "), std::string::npos) << target;
    // The committed change tells the test that the block is under way.
    oraenginetest::BackgroundStatement block(
        scott, "BEGIN UPDATE DEPT SET LOC = 'ASLEEP' WHERE DEPTNO = 40; COMMIT; DBMS_LOCK.SLEEP(600); END;");
    ASSERT_TRUE(block.Parsed());
    EXPECT_TRUE(block.WaitUntil([&] { return Run("SELECT LOC FROM SCOTT.DEPT WHERE DEPTNO = 40") == "ASLEEP"; }))
        << block.Result().message;
    const auto killedAt = std::chrono::steady_clock::now();
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + target + "'"), "ok");
    const VkOracle::OraResult& result = block.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - killedAt, std::chrono::seconds(5));
    EXPECT_EQ(result.message.rfind("ORA-00028: your session has been killed", 0), 0u) << result.message;
    EXPECT_EQ(Run("SELECT STATUS FROM V$SESSION WHERE USERNAME = 'SCOTT'"), "KILLED");
}

// 2: a job run by DBMS_JOB.RUN in the killed session ends as a failure and
// leaves no row in DBA_JOBS_RUNNING.
TEST_F(KillSessionTest, AKilledJobRunLeavesNoRunningRow)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(scott, "DECLARE J NUMBER; BEGIN DBMS_JOB.SUBMIT(J, 'DBMS_LOCK.SLEEP(600);', SYSDATE + 1000, NULL); COMMIT; END;")
                  .substr(0, 2),
              "ok");
    const std::string job = Run("SELECT MAX(JOB) FROM DBA_JOBS WHERE LOG_USER = 'SCOTT'");
    const std::string target = Target("SCOTT");
    oraenginetest::BackgroundStatement run(scott, "BEGIN DBMS_JOB.RUN(" + job + "); END;");
    ASSERT_TRUE(run.Parsed());
    EXPECT_TRUE(run.WaitUntil([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job) == "1"; }))
        << run.Result().message;
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + target + "'"), "ok");
    const VkOracle::OraResult& result = run.Wait();
    // The run fails as a job fails; its session is dead from now on.
    EXPECT_EQ(result.message.rfind("ORA-12011", 0), 0u) << result.message;
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = " + job), "0");
    EXPECT_EQ(Run("SELECT FAILURES || ' ' || NVL(TO_CHAR(THIS_DATE), '-') FROM DBA_JOBS WHERE JOB = " + job), "1 -");
}

// 3: an idle session hears of it at its next call; the killer's errors.
TEST_F(KillSessionTest, AnIdleSessionLearnsAtItsNextCallAndBadTargetsFail)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    const std::string target = Target("SCOTT");
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + target + "'"), "ok");
    EXPECT_EQ(Run(scott, "SELECT 1 FROM DUAL").rfind("ORA-00028", 0), 0u);
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '99999, 1'").rfind("ORA-00030", 0), 0u);
    const std::string self = Target("SYSTEM");
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + self + "'").rfind("ORA-00027", 0), 0u);
}

} // namespace
} // namespace oraenginetest
