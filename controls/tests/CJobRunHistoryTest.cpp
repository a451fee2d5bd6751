// The run history's rules: what two observations of a job in a row tell,
// and the runs a scripted sequence of refreshes gives.

#include "controls/CJobRunHistory.h"

#include <gtest/gtest.h>

namespace {

constexpr DATE kDay0 = 46000.0; // an automation date in 2025
constexpr DATE kMinute = 1.0 / 1440;

CJobObservation Obs(DATE last, LONG failures, LONG total, bool broken = false, DATE thisDate = 0,
                    const char* what = "p;")
{
    CJobObservation o;
    o.job = 7;
    o.lastDate = last;
    o.failures = failures;
    o.totalTime = total;
    o.broken = broken;
    o.thisDate = thisDate;
    o.whatHash = CJobObservation::HashWhat(what);
    return o;
}

using H = CJobRunHistory;

} // namespace

TEST(CJobRunHistory, ChangesBetweenTwoRefreshes)
{
    const DATE t1 = kDay0 + 10 * kMinute;
    const DATE t2 = kDay0 + 20 * kMinute;
    struct Case {
        const char* name;
        bool seenBefore;
        CJobObservation before;
        CJobObservation after;
        unsigned expected;
    };
    const Case cases[] = {
        {"first sighting", false, {}, Obs(t1, 0, 5), H::None},
        {"first sighting while running", false, {}, Obs(t1, 0, 5, false, t2), H::Running},
        {"nothing moved", true, Obs(t1, 0, 5), Obs(t1, 0, 5), H::None},
        {"last date moved", true, Obs(t1, 0, 5), Obs(t2, 0, 9), H::Ran},
        {"first run ever", true, Obs(0, 0, 0), Obs(t1, 0, 3), H::Ran},
        {"running now", true, Obs(t1, 0, 5), Obs(t1, 0, 5, false, t2), H::Running},
        {"failures went up", true, Obs(t1, 0, 5), Obs(t1, 1, 7), H::Failed},
        {"sixteenth failure breaks it", true, Obs(t1, 15, 50), Obs(t1, 16, 52, true), H::Failed | H::JustBroken},
        {"broken by hand", true, Obs(t1, 0, 5), Obs(t1, 0, 5, true), H::JustBroken},
        {"unbroken by hand", true, Obs(t1, 2, 5, true), Obs(t1, 2, 5, false), H::None},
        {"success after failures resets them", true, Obs(t1, 3, 20), Obs(t2, 0, 22), H::Ran},
        {"success then a failure unseen between", true, Obs(t1, 0, 5), Obs(t2, 1, 12), H::Ran | H::Failed},
        {"re-created with another body", true, Obs(t1, 0, 5), Obs(t1, 0, 5, false, 0, "q;"), H::Recreated},
        {"re-created: the total starts again", true, Obs(t1, 0, 50), Obs(t2, 0, 2), H::Recreated},
        {"re-created: no last date any more", true, Obs(t1, 0, 5), Obs(0, 0, 5), H::Recreated},
        {"server clock set back", true, Obs(t2, 0, 5), Obs(t1 - 1, 0, 8), H::Ran},
        {"after a gone marker: a new job", true, CJobObservation::Gone(7, t1), Obs(t2, 4, 9), H::None},
        {"gone now", true, Obs(t1, 0, 5), CJobObservation::Gone(7, t2), H::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(H::Compare(c.seenBefore ? &c.before : nullptr, c.after), c.expected) << c.name;
}

TEST(CJobRunHistory, RunsFromAScriptedSequenceOfRefreshes)
{
    auto at = [](int minutes) { return kDay0 + minutes * kMinute; };
    std::vector<CJobObservation> refreshes = {
        Obs(0, 0, 0),                          // 0: never ran
        Obs(0, 0, 0, false, at(1)),            // 1: running since minute 1
        Obs(at(1), 0, 5),                      // 2: it succeeded, 5 s
        Obs(at(1), 0, 5),                      // 3: nothing
        Obs(at(1), 0, 5, false, at(30)),       // 4: running since minute 30
        Obs(at(1), 1, 8),                      // 5: it failed after 3 s
        Obs(at(1), 3, 20),                     // 6: refreshes missed: two more failures
        Obs(at(90), 1, 30),                    // 7: missed: a success at 90, then a failure
        CJobObservation::Gone(7, at(100)),     // 8: removed
        Obs(0, 0, 0, false, 0, "other;"),      // 9: re-created under the same number
        Obs(at(120), 0, 2, false, 0, "other;"), // 10: its first run, 2 s
        Obs(at(120), 16, 40, true, 0, "other;"), // 11: sixteen failures unseen, broken
        Obs(at(120) - 1, 0, 44, false, 0, "other;"), // 12: clock set back a day, unbroken and ran, 4 s
    };
    for (size_t i = 0; i < refreshes.size(); ++i)
        refreshes[i].observed = at(static_cast<int>(i) * 10 + 5);

    struct Expected {
        DATE start;
        double duration;
        CJobRun::Result result;
        int count;
    };
    const Expected expected[] = {
        {at(1), 5, CJobRun::Succeeded, 1},
        {at(30), 3, CJobRun::Failed, 1},
        {0, -1, CJobRun::Failed, 2},
        {at(90), -1, CJobRun::Succeeded, 1},
        {0, -1, CJobRun::Failed, 1},
        {at(120), 2, CJobRun::Succeeded, 1},
        {0, -1, CJobRun::Broken, 16},
        {at(120) - 1, 4, CJobRun::Succeeded, 1},
    };
    const std::vector<CJobRun> runs = H::DeriveRuns(refreshes);
    ASSERT_EQ(runs.size(), std::size(expected));
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_DOUBLE_EQ(runs[i].start, expected[i].start) << "run " << i;
        EXPECT_DOUBLE_EQ(runs[i].duration, expected[i].duration) << "run " << i;
        EXPECT_EQ(runs[i].result, expected[i].result) << "run " << i;
        EXPECT_EQ(runs[i].count, expected[i].count) << "run " << i;
        EXPECT_GT(runs[i].observed, 0) << "run " << i;
    }
    // Nothing before the first observation, nothing from one alone.
    EXPECT_TRUE(H::DeriveRuns({}).empty());
    EXPECT_TRUE(H::DeriveRuns({refreshes[2]}).empty());
}

TEST(CJobRunHistory, AnObservationTakesWhatTheListShows)
{
    CJobListData job;
    job.m_jobNumber = 12;
    job.m_lastDate = kDay0;
    job.m_thisDate = kDay0 + 1;
    job.m_nextDate = kDay0 + 2;
    job.m_failures = 3;
    job.m_totalTime = 99;
    job.m_broken = true;
    job.m_what = "a;";
    const CJobObservation o = CJobObservation::FromJob(job, kDay0 + 3);
    EXPECT_EQ(o.job, 12);
    EXPECT_EQ(o.observed, kDay0 + 3);
    EXPECT_EQ(o.lastDate, kDay0);
    EXPECT_EQ(o.thisDate, kDay0 + 1);
    EXPECT_EQ(o.nextDate, kDay0 + 2);
    EXPECT_EQ(o.failures, 3);
    EXPECT_EQ(o.totalTime, 99);
    EXPECT_TRUE(o.broken);
    EXPECT_FALSE(o.gone);
    EXPECT_EQ(o.whatHash, CJobObservation::HashWhat("a;"));
    EXPECT_NE(CJobObservation::HashWhat("a;"), CJobObservation::HashWhat("b;"));
}
