// What copying compared rows one way creates and changes.

#include "controls/CQueueCompareCopy.h"

#include <gtest/gtest.h>

namespace {

CJobListData Job(LONG number, const std::string& what, const std::string& interval, bool broken = false,
                 const std::string& schema = "SCOTT")
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = what;
    job.m_interval = interval;
    job.m_nextDate = 45000.0;
    job.m_broken = broken;
    job.m_schemaUser = schema;
    return job;
}

} // namespace

TEST(QueueCompareCopy, CreatesWhatTheTargetLacksAndChangesWhatDiffers)
{
    const std::vector<CJobListData> left = {
        Job(1, "same;", "SYSDATE + 1"),          // row 0: the same
        Job(2, "left only;", "SYSDATE + 1"),     // row 1
        Job(3, "interval;", "SYSDATE + 1"),      // row 2: interval differs
        Job(4, "broken;", "SYSDATE + 1"),        // row 3: right broken
        Job(5, "schema;", "SYSDATE + 1", false, "APPUSER"), // row 4: schema alone
    };
    const std::vector<CJobListData> right = {
        Job(11, "same;", "SYSDATE + 1"),
        Job(13, "interval;", "SYSDATE + 7"),
        Job(14, "broken;", "SYSDATE + 1", true),
        Job(15, "schema;", "SYSDATE + 1"),
        Job(16, "right only;", "SYSDATE + 1"),   // row 5
    };
    const auto rows = CJobQueueDiff::Compare(left, right);
    ASSERT_EQ(rows.size(), 6u);
    const std::vector<int> all = {0, 1, 2, 3, 4, 5};

    struct Case {
        const char* name;
        std::vector<int> chosen;
        bool toRight;
        std::vector<std::string> create;
        std::vector<LONG> change;       // the target numbers
        std::vector<std::string> changedInterval;
        std::vector<bool> unbreak;
    };
    const Case cases[] = {
        {"everything to the right", all, true, {"left only;"}, {13, 14}, {"SYSDATE + 1", "SYSDATE + 1"}, {false, true}},
        {"everything to the left", all, false, {"right only;"}, {3, 4}, {"SYSDATE + 7", "SYSDATE + 1"},
         {false, false}},
        {"the same row and the schema row", {0, 4}, true, {}, {}, {}, {}},
        {"a row without a source job", {5}, true, {}, {}, {}, {}},
        {"out of range", {-1, 6}, true, {}, {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CQueueCompareCopy::Plan plan = CQueueCompareCopy::Build(rows, c.chosen, left, right, c.toRight);
        std::vector<std::string> created;
        for (const CJobListData& job : plan.create)
            created.push_back(job.m_what);
        EXPECT_EQ(created, c.create);
        std::vector<LONG> numbers;
        std::vector<std::string> intervals;
        for (const CJobListData& job : plan.change) {
            numbers.push_back(job.m_jobNumber);
            intervals.push_back(job.m_interval);
        }
        EXPECT_EQ(numbers, c.change);
        EXPECT_EQ(intervals, c.changedInterval);
        EXPECT_EQ(plan.unbreak, c.unbreak);
        EXPECT_EQ(plan.Empty(), c.create.empty() && c.change.empty());
    }
}

TEST(QueueCompareCopy, AChangeKeepsTheTargetsSchema)
{
    const std::vector<CJobListData> left = {Job(1, "a;", "SYSDATE + 1", false, "APPUSER")};
    const std::vector<CJobListData> right = {Job(9, "a;", "SYSDATE + 2", false, "SCOTT")};
    const auto plan = CQueueCompareCopy::Build(CJobQueueDiff::Compare(left, right), {0}, left, right, true);
    ASSERT_EQ(plan.change.size(), 1u);
    EXPECT_EQ(plan.change[0].m_schemaUser, "SCOTT");
    EXPECT_EQ(plan.change[0].m_jobNumber, 9);
    EXPECT_EQ(plan.change[0].m_interval, "SYSDATE + 1");
}
