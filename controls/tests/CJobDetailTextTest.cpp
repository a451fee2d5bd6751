// The job detail dialog's window-free rules.

#include "controls/CJobDetailText.h"
#include "testsupport/TestLocale.h"

#include <gtest/gtest.h>

namespace {

TEST(JobDetailText, TabulateLaysOutTokensByDepthWithCommentsOnTheirOwnLines)
{
    // Five lines: TRUNC, "(", tab SYSDATE comma, tab 'MI', ")" and the rest.
    EXPECT_EQ(CJobDetailText::Tabulate("TRUNC(SYSDATE,'MI')+1/24"), "TRUNC\r\n(\r\n\tSYSDATE,\r\n\t'MI'\r\n)+1/24");
    EXPECT_EQ(CJobDetailText::Tabulate("/*every hour*/ SYSDATE+1/24 "), "/*every hour*/\r\nSYSDATE+1/24");
    EXPECT_EQ(CJobDetailText::Tabulate("  "), "");
    EXPECT_EQ(CJobDetailText::Tabulate("a(b(c))"), "a\r\n(\r\n\tb\r\n\t(\r\n\t\tc\r\n\t)\r\n)");
    // An unclosed comment runs to the end; a stray ")" never indents negatively.
    EXPECT_EQ(CJobDetailText::Tabulate("x /* open"), "x/* open\r\n");
    EXPECT_EQ(CJobDetailText::Tabulate(")a"), "\r\n)a");
    // Tabulating what is already tabulated changes nothing.
    const std::string once = CJobDetailText::Tabulate("NEXT_DAY(TRUNC(SYSDATE),'MON')+8/24");
    EXPECT_EQ(CJobDetailText::Tabulate(once), once);
}

TEST(JobDetailText, StatementsForTheSyntaxCheckAndTheEvaluation)
{
    EXPECT_EQ(CJobDetailText::TestStatement("x := 1;\r\ny := 'it''s';"), "BEGIN x := 1;\ny := 'it''s'; END;");
    EXPECT_EQ(CJobDetailText::EvaluateStatement("TRUNC(SYSDATE)\r\n+1"),
              "select TRUNC(SYSDATE)  +1 col1, SYSDATE col2 from dual");
}

TEST(JobDetailText, IntervalFromAScheduleCarriesItsDescriptionWhileItFits)
{
    CScheduleResult result;
    result.description = "Run job every 1 Hour (from the end of the last execution).";
    result.interval = "SYSDATE+1/24";
    EXPECT_EQ(CJobDetailText::IntervalFromSchedule(result),
              "/*Run job every 1 Hour (from the end of the last execution).*/\r\nSYSDATE+1/24");
    result.description = std::string(190, 'd');
    EXPECT_EQ(CJobDetailText::IntervalFromSchedule(result), "SYSDATE+1/24");
    result.interval.clear();
    EXPECT_EQ(CJobDetailText::IntervalFromSchedule(result), "");
}

TEST(JobDetailText, RecordOwnerAndDates)
{
    CJobDetailText::Inputs inputs;
    inputs.jobNumber = 12;
    inputs.what = "p;";
    inputs.interval = "SYSDATE+1";
    inputs.nextDate = 46000.5;
    inputs.schema = "SCOTT";
    inputs.parse = false;
    inputs.instance = 3;
    inputs.instanceMustRun = false;
    const CJobListData job = CJobDetailText::Record(inputs);
    EXPECT_EQ(job.m_jobNumber, 12);
    EXPECT_EQ(job.m_what, "p;");
    EXPECT_EQ(job.m_interval, "SYSDATE+1");
    EXPECT_DOUBLE_EQ(job.m_nextDate, 46000.5);
    EXPECT_EQ(job.m_schemaUser, "SCOTT");
    EXPECT_EQ(job.m_parse, 0);
    EXPECT_EQ(job.m_instance, 3);
    EXPECT_TRUE(job.m_force); // the instance need not be running
    EXPECT_FALSE(job.m_broken);
    EXPECT_DOUBLE_EQ(job.m_lastDate, 0.0);

    EXPECT_EQ(CJobDetailText::NextDateLiteral(46000.5), "TO_DATE('9/12/2025 12:0:0', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(CJobDetailText::NextDateLiteral(0.0), "TO_DATE('30/12/1899 0:0:0', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(CJobDetailText::ToEditText("a\r\nb\nc"), "a\nb\nc");
    EXPECT_EQ(CJobDetailText::FromEditText("a\nb"), "a\r\nb");

    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    CJobListData other;
    other.m_logUser = "SCOTT";
    EXPECT_FALSE(CJobDetailText::NotOwner(other, "scott"));
    other.m_logUser = "ISLER";
    EXPECT_FALSE(CJobDetailText::NotOwner(other, "isler"));
    EXPECT_TRUE(CJobDetailText::NotOwner(other, "scott"));
}

} // namespace
