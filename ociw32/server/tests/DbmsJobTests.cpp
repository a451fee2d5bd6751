// DBMS_JOB on the demo queue: the calls the program sends, ownership,
// run bookkeeping (dates, failures, breaking, removal of one-off jobs).
#include "EngineFixture.h"

#include <atomic>
#include <thread>

namespace oraenginetest {
namespace {

class DbmsJobTest : public ScottEngineTest {
protected:
    std::string Job(int job, const char* columns = "WHAT, INTERVAL, BROKEN, FAILURES")
    {
        return Run(Scott(), std::string("SELECT ") + columns + " FROM USER_JOBS WHERE JOB = " + std::to_string(job));
    }
    // Submits through the ":jobno" OUT bind; the new number, or -1 with the error in *error.
    int64_t Submit(const std::string& block, std::string* error = nullptr)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = Scott().Parse(block, &st);
        if (r.Ok()) {
            VkOracle::OraValue zero;
            zero.kind = VkOracle::OraValue::Kind::Number;
            zero.number = VkOracle::OraNumFromDouble(0.0);
            r = st->Bind(":jobno", zero);
        }
        uint64_t rows = 0;
        if (r.Ok())
            r = st->Execute(&rows);
        VkOracle::OraValue out;
        if (r.Ok())
            r = st->BoundValue("JOBNO", &out);
        if (!r.Ok()) {
            if (error)
                *error = r.message;
            return -1;
        }
        return out.kind == VkOracle::OraValue::Kind::Number ? out.number.i : -2;
    }
};

TEST_F(DbmsJobTest, SubmitHandsOutTheNextNumberThroughTheOutBind)
{
    const int64_t first = Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'refresh_stats;', TO_DATE('8/12/2026 6:0:0', "
                                 "'DD/MM/YYYY HH24:MI:SS'), 'SYSDATE + 1', FALSE, 0, FALSE); END;");
    EXPECT_EQ(first, 13); // twelve demo jobs before it
    EXPECT_EQ(Job(13, "WHAT, INTERVAL, BROKEN, FAILURES, LOG_USER, SCHEMA_USER, NEXT_DATE, LAST_DATE"),
              "refresh_stats;|SYSDATE + 1|N|NULL|SCOTT|SCOTT|2026-12-08 06:00:00|NULL");
    // The version 7 form, without instance and force.
    EXPECT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'log_action(''A'');', SYSDATE, 'null', TRUE); END;"), 14);
    EXPECT_EQ(Job(14), "log_action('A');|null|N|NULL");
    // Uncommitted until the caller commits: another session does not see it.
    VkOracle::OraSession& other = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(other, "SELECT COUNT(*) FROM USER_JOBS WHERE JOB >= 13"), "0");
    ASSERT_TRUE(Scott().Commit().Ok());
    EXPECT_EQ(Run(other, "SELECT COUNT(*) FROM USER_JOBS WHERE JOB >= 13"), "2");
}

TEST_F(DbmsJobTest, SubmitChecksWhatUnlessToldNotToParse)
{
    std::string error;
    EXPECT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'no_such_proc;', SYSDATE, 'null', FALSE, 0, FALSE); END;", &error), -1);
    EXPECT_EQ(FirstLine(error), "ORA-06550: line 1, column 7:");
    EXPECT_NE(error.find("PLS-00201: identifier 'NO_SUCH_PROC' must be declared"), std::string::npos) << error;
    EXPECT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'no_such_proc;', SYSDATE, 'null', TRUE, 0, FALSE); END;"), 13);
    EXPECT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'refresh_stats;', SYSDATE, 'SYSDATE - 1', TRUE); END;", &error), -1);
    EXPECT_EQ(FirstLine(error), "ORA-23420: interval must evaluate to a time in the future");
}

TEST_F(DbmsJobTest, ChangesOnlyOwnJobs)
{
    const struct {
        const char* block;
        const char* firstLine;
        int job;
        const char* columns;
        const char* row;
    } cases[] = {
        {"BEGIN DBMS_JOB.CHANGE(1, 'log_action(''X'');', TO_DATE('9/12/2026 1:2:3', 'DD/MM/YYYY HH24:MI:SS'), 'SYSDATE + 2');END;",
         "ok", 1, "WHAT, INTERVAL, NEXT_DATE", "log_action('X');|SYSDATE + 2|2026-12-09 01:02:03"},
        {"BEGIN DBMS_JOB.CHANGE(2, NULL, NULL, 'SYSDATE + 3');END;", "ok", 2, "WHAT, INTERVAL",
         "raise_salary(7369, 5);|SYSDATE + 3"},
        {"BEGIN DBMS_JOB.WHAT(3, 'refresh_stats;'); END;", "ok", 3, "WHAT", "refresh_stats;"},
        {"BEGIN DBMS_JOB.INTERVAL(3, 'SYSDATE + 7'); END;", "ok", 3, "INTERVAL", "SYSDATE + 7"},
        {"BEGIN DBMS_JOB.NEXT_DATE(3, SYSDATE + 1); END;", "ok", 3, "NEXT_DATE", "2026-12-08 10:30:00"},
        {"BEGIN DBMS_JOB.NEXT_DATE(3, '09-DEC-26'); END;", "ok", 3, "NEXT_DATE", "2026-12-09 00:00:00"},
        {"BEGIN DBMS_JOB.NEXT_DATE(3, 'soon'); END;", "ORA-01858: a non-numeric character was found where a numeric was expected", 3, "NEXT_DATE", "2026-12-09 00:00:00"},
        {"BEGIN DBMS_JOB.BROKEN(5, TRUE); END;", "ok", 5, "BROKEN, NEXT_DATE", "Y|4000-01-01 00:00:00"},
        {"BEGIN DBMS_JOB.BROKEN(6, FALSE); END;", "ok", 6, "BROKEN, NEXT_DATE, FAILURES", "N|2026-12-07 10:30:00|16"},
        {"BEGIN DBMS_JOB.REMOVE(2); END;", "ok", 2, "COUNT(*)", "0"},
        {"BEGIN DBMS_JOB.REMOVE(10); END;", "ORA-23421: job number 10 is not a job in the job queue", 10, nullptr, nullptr},
        {"BEGIN DBMS_JOB.BROKEN(99, TRUE); END;", "ORA-23421: job number 99 is not a job in the job queue", 0, nullptr, nullptr},
        {"BEGIN DBMS_JOB.RUN(11);END;", "ORA-23421: job number 11 is not a job in the job queue", 0, nullptr, nullptr},
        {"BEGIN DBMS_JOB.WHAT(3, 'not valid'); END;", "ORA-06550: line 1, column 11:", 3, "WHAT", "refresh_stats;"},
        {"BEGIN DBMS_JOB.FROB(3); END;", "ORA-06550: line 1, column 7:", 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        EXPECT_EQ(FirstLine(Run(Scott(), c.block)), c.firstLine);
        if (c.columns) {
            EXPECT_EQ(Job(c.job, c.columns), c.row);
        }
    }
    // The other user's job is untouched.
    EXPECT_EQ(Run(System(), "SELECT COUNT(*) FROM DBA_JOBS WHERE JOB = 10"), "1");
}

TEST_F(DbmsJobTest, RunKeepsOraclesBookkeeping)
{
    // Success: last date is the start, next date from the interval, failures reset.
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(1);END;"), "ok");
    EXPECT_EQ(Job(1, "LAST_DATE, THIS_DATE, NEXT_DATE, FAILURES, BROKEN"),
              "2026-12-07 10:30:00|NULL|2026-12-07 11:30:00|0|N");
    // Failure: ORA-12011, one more failure, retried after 2^(n-1) minutes.
    const std::string failed = Run(Scott(), "BEGIN DBMS_JOB.RUN(4);END;");
    EXPECT_EQ(FirstLine(failed), "ORA-12011: execution of 1 jobs failed");
    EXPECT_NE(failed.find("ORA-06512: at line 1"), std::string::npos) << failed;
    EXPECT_EQ(Job(4, "FAILURES, BROKEN, NEXT_DATE, THIS_DATE"), "4|N|2026-12-07 10:38:00|NULL");
    // A broken job run by hand and failing counts on and stays broken.
    EXPECT_EQ(FirstLine(Run(Scott(), "BEGIN DBMS_JOB.RUN(6);END;")), "ORA-12011: execution of 1 jobs failed");
    EXPECT_EQ(Job(6, "FAILURES, BROKEN, NEXT_DATE"), "17|Y|4000-01-01 00:00:00");
    // A job without interval disappears after a successful run.
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(7);END;"), "ok");
    EXPECT_EQ(Job(7, "COUNT(*)"), "0");
    // A job that cannot compile fails at run time like any other failure.
    EXPECT_EQ(FirstLine(Run(Scott(), "BEGIN DBMS_JOB.RUN(8);END;")), "ORA-12011: execution of 1 jobs failed");
    EXPECT_EQ(Job(8, "FAILURES"), "1");
    // A successful run of a broken job repairs it.
    ASSERT_EQ(Run(Scott(), "BEGIN DBMS_JOB.BROKEN(9, TRUE); END;"), "ok");
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(9);END;"), "ok");
    EXPECT_EQ(Job(9, "BROKEN, FAILURES, NEXT_DATE"), "N|0|2026-12-13 00:00:00");
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM AUDIT_LOG WHERE ACTION = 'WEEKLY'"), "1");
}

TEST_F(DbmsJobTest, RunFailuresBreakTheJobAtSixteen)
{
    // Job 4 has failed three times already.
    for (int i = 0; i < 13; ++i)
        ASSERT_EQ(FirstLine(Run(Scott(), "BEGIN DBMS_JOB.RUN(4);END;")), "ORA-12011: execution of 1 jobs failed");
    EXPECT_EQ(Job(4, "FAILURES, BROKEN, NEXT_DATE"), "16|Y|4000-01-01 00:00:00");
}

TEST_F(DbmsJobTest, WhatSeesJobNextDateAndBroken)
{
    ASSERT_EQ(Run(Scott(), "CREATE TABLE T (N NUMBER)"), "ok");
    const int64_t job = Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'INSERT INTO T (N) VALUES (job); next_date := SYSDATE + 3;',"
                               " SYSDATE, 'SYSDATE + 1'); END;");
    ASSERT_EQ(job, 13);
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(13);END;"), "ok");
    EXPECT_EQ(Run(Scott(), "SELECT N FROM T"), "13");
    EXPECT_EQ(Job(13, "NEXT_DATE"), "2026-12-10 10:30:00");
    ASSERT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'broken := TRUE;', SYSDATE, 'SYSDATE + 1'); END;"), 14);
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(14);END;"), "ok");
    EXPECT_EQ(Job(14, "BROKEN"), "Y");
    // The run is listed as running while it runs.
    ASSERT_EQ(Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'INSERT INTO T (N) SELECT COUNT(*) FROM SYS.DBA_JOBS_RUNNING;',"
                     " SYSDATE, 'SYSDATE + 1'); END;"), 15);
    ASSERT_EQ(Run(Scott(), "DELETE FROM T"), "rows=1");
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(15);END;"), "ok");
    EXPECT_EQ(Run(Scott(), "SELECT N FROM T"), "1");
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM SYS.DBA_JOBS_RUNNING"), "0");
}

TEST_F(DbmsJobTest, CheckSyntaxParsesWithoutRunning)
{
    const struct {
        const char* what;
        const char* firstLine;
    } cases[] = {
        {"refresh_stats;", "ok"},
        {"raise_salary(7369, 5);", "ok"},
        {"emp_pkg.fire(0);", "ok"},
        {"BEGIN log_action('WEEKLY'); refresh_stats; END;", "ok"},
        {"dbms_output.put_line('x');", "ok"},
        {"refresh_stat;", "ORA-06550: line 1, column 7:"},
        {"raise_salary(7369, 5)", "ORA-06550: line 1, column 29:"},
        {"raise_salary;", "ORA-06550: line 1, column 7:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = Scott().Parse(std::string("BEGIN ") + c.what + " END;", &st);
        EXPECT_EQ(FirstLine(r.Ok() ? "ok" : r.message), c.firstLine);
    }
    // Parsing ran nothing: the salary is unchanged.
    EXPECT_EQ(Run(Scott(), "SELECT SAL FROM EMP WHERE EMPNO = 7369"), "800");
}

} // namespace
} // namespace oraenginetest

namespace oraenginetest {
namespace {

// DBMS_JOB as each version declares it: 7.3 has no instances, so neither
// the INSTANCE procedure nor the INSTANCE and FORCE arguments.
class DbmsJobVersionTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Version() const override { return GetParam(); }
    bool Old() const { return Version()[0] == '7'; }
    // The first two lines of a failure (ORA-06550 and the PLS- error), or "ok".
    std::string Outcome(const std::string& block)
    {
        const std::string r = Run(block);
        const size_t second = r.find('\n');
        return second == std::string::npos ? r : r.substr(0, r.find('\n', second + 1));
    }
};

TEST_P(DbmsJobVersionTest, InstanceArgumentsExistFromVersion8On)
{
    ASSERT_EQ(Run("BEGIN DBMS_JOB.ISUBMIT(5, 'NULL;', SYSDATE + 1, 'SYSDATE + 1'); COMMIT; END;"), "ok");
    EXPECT_EQ(Run("DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'NULL;', SYSDATE + 1, 'SYSDATE + 1', FALSE); END;"), "ok");
    EXPECT_EQ(Run("BEGIN DBMS_JOB.CHANGE(5, 'NULL;', NULL, NULL); END;"), "ok");
    const std::string wrongSubmit =
        Outcome("DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'NULL;', SYSDATE, NULL, FALSE, 0); END;");
    const std::string wrongChange = Outcome("BEGIN DBMS_JOB.CHANGE(5, 'NULL;', NULL, NULL, 0); END;");
    const std::string wrongRun = Outcome("BEGIN DBMS_JOB.RUN(5, TRUE); END;");
    const std::string instance = Outcome("BEGIN DBMS_JOB.INSTANCE(5, 1); END;");
    if (Old()) {
        EXPECT_NE(wrongSubmit.find("PLS-00306: wrong number or types of arguments in call to"), std::string::npos)
            << wrongSubmit;
        EXPECT_EQ(wrongSubmit.rfind("ORA-06550: line 1, column ", 0), 0u) << wrongSubmit;
        EXPECT_NE(wrongChange.find("PLS-00306"), std::string::npos) << wrongChange;
        EXPECT_NE(wrongRun.find("PLS-00306"), std::string::npos) << wrongRun;
        EXPECT_NE(instance.find("PLS-00302: component 'INSTANCE' must be declared"), std::string::npos) << instance;
    } else {
        EXPECT_EQ(wrongSubmit, "ok");
        EXPECT_EQ(wrongChange, "ok");
        EXPECT_EQ(instance, "ok");
    }
    // Nothing of the refused calls changed the job.
    EXPECT_EQ(Run("SELECT WHAT FROM DBA_JOBS WHERE JOB = 5"), "NULL;");
}

INSTANTIATE_TEST_SUITE_P(Versions, DbmsJobVersionTest, ::testing::Values("7.3.4.0.0", "10.2.0.1.0"));

} // namespace
} // namespace oraenginetest

namespace oraenginetest {
namespace {

// A job runs with the date format of the session that submitted it, in
// whichever session runs it, and the runner's own format comes back after.
TEST_F(DbmsJobTest, ARunUsesTheDateFormatTheJobWasSubmittedWith)
{
    ASSERT_EQ(Run(Scott(), "CREATE TABLE STAMPS (S VARCHAR2(40))"), "ok");
    ASSERT_EQ(Run(Scott(), "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD\"T\"HH24'"), "ok");
    std::string error;
    const int64_t job = Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'INSERT INTO STAMPS VALUES (TO_CHAR(SYSDATE));', "
                               "SYSDATE + 1, 'SYSDATE + 1'); COMMIT; END;",
                               &error);
    ASSERT_GT(job, 0) << error;
    EXPECT_NE(Job(static_cast<int>(job), "NLS_ENV").find("NLS_DATE_FORMAT='YYYY-MM-DD\"T\"HH24'"), std::string::npos)
        << Job(static_cast<int>(job), "NLS_ENV");

    VkOracle::OraSession& other = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(other, "SELECT TO_CHAR(SYSDATE) FROM DUAL"), "07-DEC-26");
    EXPECT_EQ(Run(other, "BEGIN DBMS_JOB.RUN(" + std::to_string(job) + "); END;"), "ok");
    EXPECT_EQ(Run(other, "SELECT S FROM STAMPS"), "2026-12-07T10");
    EXPECT_EQ(Run(other, "SELECT TO_CHAR(SYSDATE) FROM DUAL"), "07-DEC-26");
    // A format with a quote in it survives the round trip.
    ASSERT_EQ(Run(Scott(), "ALTER SESSION SET NLS_DATE_FORMAT = 'DD \"o''clock\" HH24'"), "ok");
    const int64_t quoted = Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'INSERT INTO STAMPS VALUES (TO_CHAR(SYSDATE));', "
                                  "SYSDATE + 1, 'SYSDATE + 1'); COMMIT; END;");
    ASSERT_GT(quoted, 0);
    EXPECT_EQ(Run(other, "BEGIN DBMS_JOB.RUN(" + std::to_string(quoted) + "); END;"), "ok");
    EXPECT_EQ(Run(other, "SELECT COUNT(*) FROM STAMPS WHERE S = '07 o''clock 10'"), "1");
}

// A job runs in one session at a time: RUN of a job that another session
// (or the job itself) is running is refused, and the refusal is no failure.
TEST_F(DbmsJobTest, RunOfARunningJobIsRefusedWithOra00054)
{
    ASSERT_EQ(Run(Scott(), "BEGIN DBMS_JOB.WHAT(3, 'DBMS_LOCK.SLEEP(600);'); COMMIT; END;"), "ok");
    VkOracle::OraSession& first = Logon("SCOTT", "TIGER");
    oraenginetest::BackgroundStatement run(first, "BEGIN DBMS_JOB.RUN(3); END;");
    ASSERT_TRUE(run.Parsed());
    EXPECT_TRUE(run.WaitUntil([&] { return Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING WHERE JOB = 3") == "1"; }))
        << run.Result().message;
    const std::string refused = Run(Scott(), "BEGIN DBMS_JOB.RUN(3); END;");
    EXPECT_EQ(FirstLine(refused), "ORA-00054: resource busy and acquire with NOWAIT specified");
    EXPECT_NE(refused.find("ORA-06512: at \"SYS.DBMS_JOB\""), std::string::npos) << refused;
    EXPECT_EQ(Job(3, "FAILURES"), "0");
    // Someone else's job is still not ours to hear about.
    EXPECT_EQ(FirstLine(Run(Logon("APPUSER", "APPUSER"), "BEGIN DBMS_JOB.RUN(3); END;")),
              "ORA-23421: job number 3 is not a job in the job queue");
    const std::string target = Run("SELECT S.SID || ', ' || S.SERIAL# FROM V$SESSION S, DBA_JOBS_RUNNING R"
                                   " WHERE S.SID = R.SID AND R.JOB = 3");
    EXPECT_EQ(Run("ALTER SYSTEM KILL SESSION '" + target + "'"), "ok");
    run.Wait();
    // Once the run is over the job runs again.
    ASSERT_EQ(Run(Scott(), "BEGIN DBMS_JOB.WHAT(3, 'NULL;'); COMMIT; END;"), "ok");
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(3); END;"), "ok");

    // A job that runs itself is refused inside its own run.
    ASSERT_EQ(Run(Scott(), "CREATE TABLE RUN_LOG (T VARCHAR2(200))"), "ok");
    ASSERT_EQ(Run(Scott(), "BEGIN DBMS_JOB.WHAT(3, 'BEGIN DBMS_JOB.RUN(job); EXCEPTION WHEN OTHERS THEN"
                           " INSERT INTO RUN_LOG VALUES (SQLERRM); END;'); COMMIT; END;"),
              "ok");
    EXPECT_EQ(Run(Scott(), "BEGIN DBMS_JOB.RUN(3); END;"), "ok");
    EXPECT_EQ(Run(Scott(), "SELECT T FROM RUN_LOG"), "ORA-00054: resource busy and acquire with NOWAIT specified");
}

} // namespace
} // namespace oraenginetest
