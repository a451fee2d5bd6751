// Pairing the jobs of two queues and naming what differs.

#include "controls/CJobQueueDiff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr DATE kDay = 45000.0;

CJobListData Job(LONG number, const std::string& what, const std::string& interval = "SYSDATE + 1",
                 DATE next = kDay, bool broken = false, const std::string& schema = "SCOTT")
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = what;
    job.m_interval = interval;
    job.m_nextDate = next;
    job.m_broken = broken;
    job.m_schemaUser = schema;
    return job;
}

// One row as "kind left right fields", kinds '=' '<' '>', -1 for no side.
std::string Describe(const CJobDiffRow& row)
{
    const char kind = row.kind == CJobDiffKind::Matched ? '=' : row.kind == CJobDiffKind::OnlyLeft ? '<' : '>';
    return std::string(1, kind) + " " + std::to_string(row.left) + " " + std::to_string(row.right) + " "
           + std::to_string(row.fields);
}

std::vector<std::string> Describe(const std::vector<CJobDiffRow>& rows)
{
    std::vector<std::string> out;
    for (const CJobDiffRow& row : rows)
        out.push_back(Describe(row));
    return out;
}

} // namespace

TEST(CJobQueueDiff, FieldsThatDiffer)
{
    struct Case {
        const char* name;
        CJobListData right;
        unsigned fields;
    };
    const CJobListData left = Job(1, "a;");
    const Case cases[] = {
        {"same", Job(9, "a;"), JobDiffNone},
        {"interval blanks only", Job(1, "a;", "  SYSDATE   +  1 "), JobDiffNone},
        {"interval", Job(1, "a;", "SYSDATE + 2"), JobDiffInterval},
        {"next date within the second", Job(1, "a;", "SYSDATE + 1", kDay + 0.4 / 86400), JobDiffNone},
        {"next date a second later", Job(1, "a;", "SYSDATE + 1", kDay + 1.0 / 86400), JobDiffNextDate},
        {"broken", Job(1, "a;", "SYSDATE + 1", kDay, true), JobDiffBroken},
        {"schema case only", Job(1, "a;", "SYSDATE + 1", kDay, false, "scott"), JobDiffNone},
        {"schema", Job(1, "a;", "SYSDATE + 1", kDay, false, "APPUSER"), JobDiffSchema},
        {"all four", Job(1, "a;", "null", 0, true, "SYSTEM"),
         JobDiffInterval | JobDiffNextDate | JobDiffBroken | JobDiffSchema},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CJobQueueDiff::Differences(left, c.right), c.fields) << c.name;
}

TEST(CJobQueueDiff, PairsByWhatAndNumber)
{
    struct Case {
        const char* name;
        std::vector<CJobListData> left;
        std::vector<CJobListData> right;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"both empty", {}, {}, {}},
        {"left only", {Job(1, "a;")}, {}, {"< 0 -1 0"}},
        {"right only", {}, {Job(1, "a;")}, {"> -1 0 0"}},
        {"same text, other numbers", {Job(1, "a;")}, {Job(7, "a;")}, {"= 0 0 0"}},
        {"text blanks at the ends", {Job(1, "a;")}, {Job(1, " a;\n")}, {"= 0 0 0"}},
        {"other text, same number", {Job(1, "a;")}, {Job(1, "b;")}, {"< 0 -1 0", "> -1 0 0"}},
        {"what is case-sensitive", {Job(1, "a;")}, {Job(1, "A;")}, {"< 0 -1 0", "> -1 0 0"}},
        // Duplicates: the number decides where it agrees, even against the
        // list order and a closer match of fields.
        {"duplicates by number",
         {Job(1, "d;", "SYSDATE + 1"), Job(2, "d;", "SYSDATE + 2")},
         {Job(2, "d;", "SYSDATE + 1"), Job(1, "d;", "SYSDATE + 2")},
         {"= 0 1 1", "= 1 0 1"}},
        // Without agreeing numbers the closest pair is taken.
        {"duplicates by fields",
         {Job(1, "d;", "SYSDATE + 1"), Job(2, "d;", "SYSDATE + 2")},
         {Job(5, "d;", "SYSDATE + 2"), Job(6, "d;", "SYSDATE + 1")},
         {"= 0 1 0", "= 1 0 0"}},
        {"more duplicates on one side",
         {Job(1, "d;"), Job(2, "d;"), Job(3, "d;")},
         {Job(3, "d;")},
         {"< 0 -1 0", "< 1 -1 0", "= 2 0 0"}},
        {"one number agrees, the other pair by order",
         {Job(1, "d;"), Job(2, "d;")},
         {Job(8, "d;", "SYSDATE + 1", kDay, true), Job(1, "d;"), Job(9, "d;")},
         {"= 0 1 0", "= 1 2 0", "> -1 0 0"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Describe(CJobQueueDiff::Compare(c.left, c.right)), c.rows) << c.name;
}

TEST(CJobQueueDiff, RowsSayWhetherThereIsAnythingToCopy)
{
    const auto rows = CJobQueueDiff::Compare({Job(1, "a;"), Job(2, "b;"), Job(3, "c;")},
                                             {Job(1, "a;"), Job(2, "b;", "SYSDATE + 7")});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_FALSE(rows[0].Differs());
    EXPECT_TRUE(rows[1].Differs());
    EXPECT_TRUE(rows[2].Differs());
}
