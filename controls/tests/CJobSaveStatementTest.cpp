// The save path: the blocks a job record becomes, and saving on the demo
// server read back by a second session.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobSaveStatement.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkDateFormat.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using qvtest::WaitUntil;

DATE Date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    VkDateFormat::Parts parts;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    parts.hour = hour;
    parts.minute = minute;
    parts.second = second;
    double date = 0;
    VkDateFormat::ToAutomationDate(parts, date);
    return date;
}

TEST(CJobSaveStatement, IntervalsAreNormalised)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"SYSDATE + 1", "SYSDATE + 1"},
        {"SYSDATE   +\t1", "SYSDATE + 1"},
        {"TRUNC( SYSDATE , 'MM' )", "TRUNC(SYSDATE ,'MM')"},
        {"ADD_MONTHS (TRUNC(SYSDATE),\n 1)", "ADD_MONTHS(TRUNC(SYSDATE),1)"},
        {"SYSDATE + 1  ", "SYSDATE + 1 "},
        {"NEXT_DAY(SYSDATE, 'MONDAY')\r\n", "NEXT_DAY(SYSDATE,'MONDAY') "},
        {"a;  b", "a;b"},
        {"", ""},
        {"   ", " "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CJobSaveStatement::NormaliseInterval(c.in), c.out) << "[" << c.in << "]";
}

TEST(CJobSaveStatement, DatesAreLiteralsWithoutLeadingZeros)
{
    EXPECT_EQ(CJobSaveStatement::DateLiteral(Date(2026, 3, 4, 5, 6, 7)),
              "TO_DATE('4/3/2026 5:6:7', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(CJobSaveStatement::DateLiteral(Date(2026, 12, 31, 23, 59, 59)),
              "TO_DATE('31/12/2026 23:59:59', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(CJobSaveStatement::DateLiteral(0), "TO_DATE('30/12/1899 0:0:0', 'DD/MM/YYYY HH24:MI:SS')");
}

TEST(CJobSaveStatement, BlocksForChangeAndBothSubmitForms)
{
    CJobListData job;
    job.m_jobNumber = 42;
    job.m_what = "log_action('it's');\r\nnull;";
    job.m_nextDate = Date(2026, 1, 2, 3, 4, 5);
    job.m_interval = "TRUNC( SYSDATE ) + 1";
    EXPECT_EQ(CJobSaveStatement::ChangeBlock(job),
              "BEGIN DBMS_JOB.CHANGE(42, 'log_action(''it''s'');\nnull;', TO_DATE('2/1/2026 3:4:5', "
              "'DD/MM/YYYY HH24:MI:SS'), 'TRUNC(SYSDATE) + 1');END;");
    EXPECT_EQ(CJobSaveStatement::SubmitBlock(job, 7),
              "BEGIN DBMS_JOB.SUBMIT(:jobno, 'log_action(''it''s'');\nnull;', TO_DATE('2/1/2026 3:4:5', "
              "'DD/MM/YYYY HH24:MI:SS'), 'TRUNC(SYSDATE) + 1', TRUE); END;");
    job.m_parse = 1;
    job.m_instance = 3;
    job.m_force = true;
    EXPECT_EQ(CJobSaveStatement::SubmitBlock(job, 10),
              "BEGIN DBMS_JOB.SUBMIT(:jobno, 'log_action(''it''s'');\nnull;', TO_DATE('2/1/2026 3:4:5', "
              "'DD/MM/YYYY HH24:MI:SS'), 'TRUNC(SYSDATE) + 1', FALSE, 3, TRUE); END;");
}

TEST(CJobSaveStatement, TheSchemaIsSwitchedOnlyForAnotherUser)
{
    CJobListData job;
    EXPECT_EQ(CJobSaveStatement::SubmitSchema(job, "SCOTT"), "");
    job.m_schemaUser = "scott";
    EXPECT_EQ(CJobSaveStatement::SubmitSchema(job, "SCOTT"), "");
    job.m_schemaUser = "APPUSER";
    EXPECT_EQ(CJobSaveStatement::SubmitSchema(job, "scott"), "APPUSER");
}

// Saving through a connected queue, read back by a second session.
class SaveOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        dlg = std::make_unique<CSchedulerMainDlg>();
        list().Worker().SetViewWarningHandler([](const std::string&) {});
    }
    void TearDown() override
    {
        if (dlg)
            list().Worker().Stop([] { return true; });
        dlg.reset();
    }
    CJobListCtrl& list() { return dlg->List(); }
    void Connect(const char* database, const char* user, const char* password, int jobs)
    {
        list().SetLogon(database, user, password);
        ASSERT_TRUE(list().Connect());
        ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == jobs; }));
    }
    // Saves and waits for the answer.
    TwRequestOutcome Save(const CJobListData& job, bool forceSubmit = false)
    {
        std::optional<TwRequestOutcome> answer;
        EXPECT_TRUE(list().SaveJob(job, forceSubmit, &context, [&](TwRequestOutcome& outcome) {
            answer.emplace(std::move(outcome));
        }));
        EXPECT_TRUE(WaitUntil([&] { return answer.has_value(); }));
        return answer ? std::move(*answer) : TwRequestOutcome{};
    }
    static std::string Sql(const std::string& connect, const std::string& statement)
    {
        std::string output;
        qvtest::RunCommand("'" + qvtest::BinPath("ocisql").string() + "' " + connect + " --tsv -c \"" + statement +
                               "\"",
                           &output);
        return output;
    }

    QObject context;
    VkModalScript modal;
    std::unique_ptr<CSchedulerMainDlg> dlg;
};

TEST_F(SaveOnDemo, ANewJobArrivesIntactAndAnExistingOneIsChanged)
{
    Connect("DEMO", "scott", "tiger", 9);
    CJobListData job;
    job.m_jobNumber = 9999; // not in the list: submitted
    job.m_what = "log_action('it''s',\r\n 'two lines');";
    job.m_nextDate = Date(2031, 5, 6, 7, 8, 9);
    job.m_interval = "TRUNC( SYSDATE )  + 1";
    const TwRequestOutcome created = Save(job);
    ASSERT_FALSE(created.failed) << created.message;
    const long number = static_cast<long>(created.number);
    ASSERT_GT(number, 9);
    const std::string where = " from user_jobs where job = " + std::to_string(number);
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select interval" + where), "INTERVAL\nTRUNC(SYSDATE) + 1\n");
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select to_char(next_date, 'YYYY-MM-DD HH24:MI:SS') d" + where),
              "D\n2031-05-06 07:08:09\n");
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select replace(what, chr(10), '|') w" + where),
              "W\nlog_action('it''s',| 'two lines');\n");
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select broken" + where), "BROKEN\nN\n");

    // Job 2 is in the list: changed in place.
    CJobListData changed = list().Model().Job(list().FindRow(2));
    changed.m_what = "refresh_stats;";
    changed.m_interval = "SYSDATE + 2";
    const TwRequestOutcome modified = Save(changed);
    ASSERT_FALSE(modified.failed) << modified.message;
    EXPECT_EQ(static_cast<long>(modified.number), 2);
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select what, interval from user_jobs where job = 2"),
              "WHAT\tINTERVAL\nrefresh_stats;\tSYSDATE + 2\n");
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(SaveOnDemo, ABrokenRecordIsBrokenOnceSavedAndForcedSubmitsMakeNewJobs)
{
    Connect("DEMO", "scott", "tiger", 9);
    CJobListData job = list().Model().Job(list().FindRow(1));
    job.m_broken = true;
    const TwRequestOutcome copy = Save(job, true);
    ASSERT_FALSE(copy.failed) << copy.message;
    const long number = static_cast<long>(copy.number);
    EXPECT_NE(number, 1);
    ASSERT_TRUE(WaitUntil([&] {
        return Sql("scott/tiger@DEMO", "select broken from user_jobs where job = " + std::to_string(number)) ==
               "BROKEN\nY\n";
    }));
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select broken from user_jobs where job = 1"), "BROKEN\nN\n");
}

TEST_F(SaveOnDemo, FailuresComeBackWithTheServersText)
{
    Connect("DEMO", "scott", "tiger", 9);
    CJobListData job;
    job.m_what = "this is not plsql";
    job.m_parse = 1; // parsed at submit time
    job.m_nextDate = Date(2031, 1, 1);
    const TwRequestOutcome failed = Save(job);
    EXPECT_TRUE(failed.failed);
    EXPECT_NE(failed.message.find("ORA-"), std::string::npos) << failed.message;
    EXPECT_EQ(Sql("scott/tiger@DEMO", "select count(*) from user_jobs"), "COUNT(*)\n9\n");
}

TEST_F(SaveOnDemo, AVersionSevenServerTakesTheShortSubmit)
{
    Connect("LEGACY", "scott", "tiger", 9);
    CJobListData job;
    job.m_what = "null;";
    job.m_nextDate = Date(2031, 2, 3);
    job.m_interval = "SYSDATE + 1";
    job.m_instance = 5; // not part of a version 7 submit
    const TwRequestOutcome created = Save(job);
    ASSERT_FALSE(created.failed) << created.message;
    EXPECT_EQ(Sql("scott/tiger@LEGACY",
                  "select what from user_jobs where job = " + std::to_string(static_cast<long>(created.number))),
              "WHAT\nnull;\n");
}

} // namespace
