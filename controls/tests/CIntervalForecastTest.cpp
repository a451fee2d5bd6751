// Interval forecasts: the statements sent for each step, the warnings the
// text alone gives, and whole forecasts of schedule-builder intervals
// evaluated by the DEMO database.

#include "controls/CIntervalForecast.h"
#include "controls/CIntervalForecastRun.h"
#include "controls/CJobQueueWorker.h"
#include "generic/VkDateFormat.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestLocale.h"
#include "testsupport/WaitUntil.h"
#include "testsupport/WorkerReceiver.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

DATE At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    double date = 0;
    EXPECT_TRUE(VkDateFormat::ToAutomationDate({year, month, day, hour, minute, second}, date));
    return date;
}

const char* const kLiteral = "TO_DATE('7/12/2026 10:0:0', 'DD/MM/YYYY HH24:MI:SS')";

// 1: SYSDATE is replaced as a word in any case, never inside strings,
// quoted names, comments or longer words.
TEST(IntervalForecast, SubstituteReplacesOnlyTheSysdateWord)
{
    const DATE at = At(2026, 12, 7, 10);
    const struct {
        const char* interval;
        std::string expected;
    } cases[] = {
        {"SYSDATE + 1", std::string(kLiteral) + " + 1"},
        {"trunc(sysdate)+1", std::string("trunc(") + kLiteral + ")+1"},
        {"SysDate", kLiteral},
        {"'SYSDATE' || SYSDATE_X || \"SYSDATE\"", "'SYSDATE' || SYSDATE_X || \"SYSDATE\""},
        {"X.SYSDATE2 + MYSYSDATE", "X.SYSDATE2 + MYSYSDATE"},
        {"SYSDATE -- SYSDATE\n+ 1 /* SYSDATE */", std::string(kLiteral) + " -- SYSDATE\n+ 1 /* SYSDATE */"},
        {"'unterminated SYSDATE", "'unterminated SYSDATE"},
        {"", ""},
    };
    for (const auto& k : cases)
        EXPECT_EQ(CIntervalForecast::Substitute(k.interval, at), k.expected) << k.interval;
    // The step query keeps a trailing comment from swallowing the rest.
    const std::string step = CIntervalForecast::StepStatement("SYSDATE + 1 -- daily", at);
    EXPECT_NE(step.find(std::string("(") + kLiteral + " + 1 -- daily\n)"), std::string::npos) << step;
    EXPECT_NE(step.find("SYSDATE col2 from dual"), std::string::npos) << step;
}

// 2: what the text alone warns about, and the fixes offered.
TEST(IntervalForecast, LintTextWarningsAndFixes)
{
    using Kind = CIntervalWarning::Kind;
    const DATE next = At(2026, 12, 7, 6, 30);
    const DATE now = At(2026, 12, 7, 5, 0);
    const struct {
        const char* interval;
        DATE now;
        std::vector<Kind> kinds;
        const char* fix; // of the first warning
    } cases[] = {
        {"", now, {Kind::Empty}, ""},
        {"  null ", now, {Kind::Empty}, ""},
        {"SYSDATE + 1", now, {Kind::Drifts}, "TRUNC(SYSDATE) + 1 + 390/1440"},
        {"sysdate+7", now, {Kind::Drifts}, "TRUNC(SYSDATE) + 7 + 390/1440"},
        {"SYSDATE + 1/24", now, {Kind::Drifts}, "TRUNC(SYSDATE, 'HH24') + 1/24 + 30/1440"},
        {"SYSDATE + 2/24", now, {Kind::Drifts}, "TRUNC(SYSDATE, 'HH24') + 2/24 + 30/1440"},
        {"SYSDATE + 15/1440", now, {Kind::Drifts}, "TRUNC(SYSDATE, 'MI') + 15/1440"},
        {"SYSDATE + 0.5", now, {Kind::Drifts}, "TRUNC(SYSDATE, 'HH24') + 12/24 + 30/1440"},
        {"ADD_MONTHS(SYSDATE, 1)", now, {Kind::Drifts}, ""},
        {"TRUNC(SYSDATE) + 1 + 6/24", now, {}, nullptr},
        {"TRUNC ( SYSDATE , 'MM')", now, {}, nullptr},
        {"NEXT_DAY(TRUNC(SYSDATE), 'MON') + 6/24", now, {}, nullptr},
        {"TRUNC(SYSDATE) + 1", At(2026, 12, 8), {Kind::NextInPast}, ""},
        {"SYSDATE + 1", At(2026, 12, 8), {Kind::Drifts, Kind::NextInPast}, "TRUNC(SYSDATE) + 1 + 390/1440"},
        {"TRUNC(SYSDATE) + 1", 0, {}, nullptr},
    };
    for (const auto& k : cases) {
        const std::vector<CIntervalWarning> got = CIntervalForecast::LintText(k.interval, next, k.now);
        std::vector<Kind> kinds;
        for (const auto& w : got) {
            kinds.push_back(w.kind);
            EXPECT_FALSE(w.message.empty());
        }
        EXPECT_EQ(kinds, k.kinds) << k.interval;
        if (k.fix && !got.empty()) {
            EXPECT_EQ(got[0].fix, k.fix) << k.interval;
        }
    }
}

// 3: steps that stop a job's schedule.
TEST(IntervalForecast, StepsThatDoNotMoveForwardOrEnd)
{
    CIntervalWarning w;
    const DATE t = At(2026, 12, 7, 10);
    EXPECT_FALSE(CIntervalForecast::CheckStep(t, t + 1.0 / 86400, &w));
    ASSERT_TRUE(CIntervalForecast::CheckStep(t, t, &w));
    EXPECT_EQ(w.kind, CIntervalWarning::Kind::NotForward);
    EXPECT_NE(w.message.find("ORA-23420"), std::string::npos);
    EXPECT_NE(w.message.find("2026-12-07 10:00:00"), std::string::npos);
    ASSERT_TRUE(CIntervalForecast::CheckStep(t, t - 1, &w));
    EXPECT_EQ(w.kind, CIntervalWarning::Kind::NotForward);
    // Less than half a second later is the same Oracle date.
    EXPECT_TRUE(CIntervalForecast::CheckStep(t, t + 0.4 / 86400, &w));
    ASSERT_TRUE(CIntervalForecast::CheckStep(t, 0, &w));
    EXPECT_EQ(w.kind, CIntervalWarning::Kind::Ends);
}

// 4: weekday names and date texts in any locale.
TEST(IntervalForecast, WeekdaysAndDateTextsIgnoreTheLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    EXPECT_EQ(CIntervalForecast::Weekday(At(2026, 12, 7)), "Monday");
    EXPECT_EQ(CIntervalForecast::Weekday(At(2026, 12, 13, 23, 59, 59)), "Sunday");
    EXPECT_EQ(CIntervalForecast::Weekday(At(1899, 12, 30)), "Saturday");
    EXPECT_EQ(CIntervalForecast::Weekday(At(1800, 1, 1)), "Wednesday");
    EXPECT_EQ(CIntervalForecast::DateText(At(2027, 2, 1, 8, 5, 9)), "2027-02-01 08:05:09");
    EXPECT_EQ(CIntervalForecast::ClampRuns(0), 1);
    EXPECT_EQ(CIntervalForecast::ClampRuns(250), 100);
    // A fix never depends on the decimal comma.
    const auto w = CIntervalForecast::LintText("SYSDATE + 0.25", At(2026, 12, 7), 0);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].fix, "TRUNC(SYSDATE, 'HH24') + 6/24");
}

class IntervalForecastOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_worker = std::make_unique<CJobQueueWorker>(&m_receiver);
        m_receiver.requeue = [this](LONG kind) { m_worker->PostRequest(kind); };
        m_worker->SetLoginHandler([this] { ++m_logins; });
        m_worker->SetLogon("DEMO", "scott", "tiger");
        ASSERT_TRUE(m_worker->Connect());
        ASSERT_TRUE(qvtest::WaitUntil([this] { return m_logins > 0; }));
        ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
    }
    void TearDown() override
    {
        if (m_worker)
            m_worker->Stop([] { return true; });
        m_receiver.requeue = nullptr;
    }

    CIntervalForecastResult Forecast(const std::string& interval, DATE next, int runs)
    {
        CIntervalForecastResult got;
        bool done = false;
        QObject context;
        const bool started = CIntervalForecastRun::Start(
            [this](const std::string& query, QObject* ctx, TwReplyCallback reply) {
                return m_worker->Evaluate(query, ctx, std::move(reply));
            },
            &context, interval, next, runs, [&](const CIntervalForecastResult& r) {
                got = r;
                done = true;
            });
        EXPECT_TRUE(started);
        EXPECT_TRUE(qvtest::WaitUntil([&] { return done; }, 60000));
        return got;
    }

    static std::vector<std::string> Texts(const CIntervalForecastResult& r)
    {
        std::vector<std::string> texts;
        for (DATE d : r.runs)
            texts.push_back(CIntervalForecast::Weekday(d).substr(0, 3) + " " + CIntervalForecast::DateText(d));
        return texts;
    }

    qvtest::WorkerReceiver m_receiver;
    std::unique_ptr<CJobQueueWorker> m_worker;
    int m_logins = 0;
};

// 5: the schedule builder's own intervals forecast the dates one expects;
// the server's clock plays no part since SYSDATE stands for each run.
TEST_F(IntervalForecastOnDemo, ScheduleBuilderIntervalsGiveTheExpectedDates)
{
    const CIntervalForecastResult monthly =
        Forecast("TRUNC(NEXT_DAY(LAST_DAY(SYSDATE),'Mon'))+10/24", At(2026, 12, 7, 10), 5);
    ASSERT_FALSE(monthly.failed) << monthly.error;
    EXPECT_EQ(Texts(monthly), (std::vector<std::string>{"Mon 2026-12-07 10:00:00", "Mon 2027-01-04 10:00:00",
                                                        "Mon 2027-02-01 10:00:00", "Mon 2027-03-01 10:00:00",
                                                        "Mon 2027-04-05 10:00:00"}));
    EXPECT_GT(monthly.serverNow, 0);

    const CIntervalForecastResult weekdays = Forecast(
        "TRUNC(LEAST(NEXT_DAY(SYSDATE,'Mon'),NEXT_DAY(SYSDATE,'Tue'),NEXT_DAY(SYSDATE,'Wed'),NEXT_DAY(SYSDATE,"
        "'Thu'),NEXT_DAY(SYSDATE,'Fri')))+10/24",
        At(2026, 12, 10, 10), 4);
    ASSERT_FALSE(weekdays.failed) << weekdays.error;
    EXPECT_EQ(Texts(weekdays), (std::vector<std::string>{"Thu 2026-12-10 10:00:00", "Fri 2026-12-11 10:00:00",
                                                         "Mon 2026-12-14 10:00:00", "Tue 2026-12-15 10:00:00"}));

    const CIntervalForecastResult halfHourly = Forecast(
        "DECODE(LEAST(SYSDATE+.020833,TRUNC(SYSDATE)+.33333),SYSDATE+.020833,TRUNC(SYSDATE)+.33333,"
        "DECODE(LEAST(SYSDATE+.020833,TRUNC(SYSDATE)+.75000),SYSDATE+.020833,SYSDATE+.020833,TRUNC(SYSDATE+1)+.33333))",
        At(2026, 12, 7, 17), 5);
    ASSERT_FALSE(halfHourly.failed) << halfHourly.error;
    EXPECT_EQ(Texts(halfHourly), (std::vector<std::string>{"Mon 2026-12-07 17:00:00", "Mon 2026-12-07 17:30:00",
                                                           "Mon 2026-12-07 18:00:00", "Tue 2026-12-08 08:00:00",
                                                           "Tue 2026-12-08 08:30:00"}));
}

// 6: forecasts that stop early, and a server error.
TEST_F(IntervalForecastOnDemo, StopsAtTheFirstUnsoundStepAndReportsServerErrors)
{
    using Kind = CIntervalWarning::Kind;
    auto kinds = [](const CIntervalForecastResult& r) {
        std::vector<Kind> k;
        for (const auto& w : r.warnings)
            k.push_back(w.kind);
        return k;
    };
    const DATE future = At(2099, 1, 1, 6);
    const CIntervalForecastResult fixed = Forecast("TO_DATE('2099-01-01 06:00', 'YYYY-MM-DD HH24:MI')", future, 10);
    ASSERT_FALSE(fixed.failed) << fixed.error;
    EXPECT_EQ(fixed.runs.size(), 1u);
    EXPECT_EQ(kinds(fixed), std::vector<Kind>{Kind::NotForward});

    const CIntervalForecastResult once = Forecast("", future, 10);
    EXPECT_EQ(once.runs.size(), 1u);
    EXPECT_EQ(kinds(once), std::vector<Kind>{Kind::Empty});

    const CIntervalForecastResult ends = Forecast("CASE WHEN TO_CHAR(SYSDATE, 'DD') <> '03' THEN SYSDATE + 1 END",
                                                  At(2099, 1, 1, 6), 10);
    EXPECT_EQ(ends.runs.size(), 3u) << ends.error;
    EXPECT_EQ(kinds(ends), (std::vector<Kind>{Kind::Drifts, Kind::Ends}));

    const CIntervalForecastResult past = Forecast("TRUNC(SYSDATE) + 1", At(2001, 1, 1), 3);
    EXPECT_EQ(kinds(past), std::vector<Kind>{Kind::NextInPast});
    EXPECT_EQ(past.runs.size(), 3u);

    // A new job (no next date yet) starts from the server's now.
    const CIntervalForecastResult fresh = Forecast("TRUNC(SYSDATE) + 1", 0, 2);
    ASSERT_EQ(fresh.runs.size(), 2u);
    EXPECT_DOUBLE_EQ(fresh.runs[0], fresh.serverNow);

    const CIntervalForecastResult bad = Forecast("SYSDATE + no_such_column", future, 3);
    EXPECT_TRUE(bad.failed);
    EXPECT_EQ(bad.error.rfind("ORA-", 0), 0u) << bad.error;
    const CIntervalForecastResult text = Forecast("'tomorrow'", future, 3);
    EXPECT_TRUE(text.failed);
    EXPECT_EQ(text.error, "The interval does not give a date.");
}

} // namespace
