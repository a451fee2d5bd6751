#include "controls/CScheduleBuilder.h"
#include "controls/tests/ScheduleTestSupport.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using S = CScheduleSettings;

// Defaults of the table below: every-at and day-at 10:00:00.
S Settings(int start, int repeat)
{
    S s;
    s.start = start;
    s.repeat = repeat;
    s.everyAt = {10, 0, 0};
    s.dayAt = {10, 0, 0};
    s.untilTime = {11, 0, 0};
    s.startMoment = {2027, 3, 5, 14, 30, 0};
    return s;
}

S Every(int start, LONG amount, int unit)
{
    S s = Settings(start, S::RepeatEvery);
    s.everyAmount = amount;
    s.everyUnit = unit;
    return s;
}

S Days(int start, const std::function<void(CDISDaysModel&)>& pick)
{
    S s = Settings(start, S::RepeatDayDate);
    pick(s.days);
    return s;
}

CScheduleResult Build(const S& s)
{
    const FixedScheduleFormatter formatter;
    return CScheduleBuilder(formatter).Build(s);
}

struct Case {
    const char* name;
    S settings;
    const char* nextDate; // nullptr: same as the interval
    const char* interval;
    const char* description;
};

const char* const kIntraDay =
    "DECODE(LEAST(SYSDATE+.020833,TRUNC(SYSDATE)+.33333),SYSDATE+.020833,TRUNC(SYSDATE)+.33333,"
    "DECODE(LEAST(SYSDATE+.020833,TRUNC(SYSDATE)+.75000),SYSDATE+.020833,SYSDATE+.020833,TRUNC(SYSDATE+1)+.33333))";

TEST(CScheduleBuilder, ValidSchedulesGiveTheirExpressionsAndSentence)
{
    const char* const on = "TO_DATE('5/3/2027 14:30:0', 'DD/MM/YYYY HH24:MI:SS')";
    const Case cases[] = {
        {"now once", Settings(S::StartNow, S::RepeatNever), "SYSDATE", "", "Run job as soon as possible."},
        {"on once", Settings(S::StartOn, S::RepeatNever), on, "", "Run job once only at 14:30:00 on 5 March 2027."},
        {"now every 30 minutes", Every(S::StartNow, 30, S::Minutes), "SYSDATE", "SYSDATE+30/1440",
         "Run job initially as soon as possible, repeat every 30 Minutes thereafter (from the end of the last "
         "execution)."},
        {"repeat every 1 day", Every(S::StartByRepeat, 1, S::Days), nullptr, "TRUNC(SYSDATE+1)+10/24",
         "Run job every 1 Day at 10:00:00."},
        {"now every 2 weeks at 08:30", [] { S s = Every(S::StartNow, 2, S::Weeks); s.everyAt = {8, 30, 0}; return s; }(),
         "SYSDATE", "TRUNC(SYSDATE+14)+8.5/24",
         "Run job initially as soon as possible, repeat every 2 Weeks thereafter at 08:30:00."},
        {"now every 1 year", Every(S::StartNow, 1, S::Years), "SYSDATE", "TRUNC(ADD_MONTHS(SYSDATE,12))+10/24",
         "Run job initially as soon as possible, repeat every 1 Year thereafter at 10:00:00."},
        {"on every 3 months", Every(S::StartOn, 3, S::Months), on, "TRUNC(ADD_MONTHS(SYSDATE,3))+10/24",
         "Run job initially at 14:30:00 on 5 March 2027, repeat every 3 Months thereafter at 10:00:00."},
        {"repeat every 1 second", Every(S::StartByRepeat, 1, S::Seconds), nullptr, "SYSDATE+1/86400",
         "Run job every 1 Second (from the end of the last execution)."},
        {"repeat every 5 hours", Every(S::StartByRepeat, 5, S::Hours), nullptr, "SYSDATE+5/24",
         "Run job every 5 Hours (from the end of the last execution)."},
        {"odd every-at time", [] { S s = Every(S::StartByRepeat, 1, S::Days); s.everyAt = {10, 0, 1}; return s; }(),
         nullptr, "TRUNC(SYSDATE+1)+10.0003/24", "Run job every 1 Day at 10:00:01."},
        // Weeks and years of the largest amount do not wrap round.
        {"largest weeks", Every(S::StartNow, 2147483647, S::Weeks), "SYSDATE", "TRUNC(SYSDATE+15032385529)+10/24",
         "Run job initially as soon as possible, repeat every 2147483647 Weeks thereafter at 10:00:00."},
        {"Mon Wed Fri", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(0); d.ClickWeekday(2); d.ClickWeekday(4); }),
         nullptr, "TRUNC(LEAST(NEXT_DAY(SYSDATE,'Mon'),NEXT_DAY(SYSDATE,'Wed'),NEXT_DAY(SYSDATE,'Fri')))+10/24",
         "Run every Monday, Wednesday and Friday at 10:00:00."},
        {"one weekday", Days(S::StartNow, [](CDISDaysModel& d) { d.ClickWeekday(6); }), "SYSDATE",
         "TRUNC(NEXT_DAY(SYSDATE,'Sun'))+10/24",
         "Run job initially as soon as possible then run every Sunday at 10:00:00."},
        {"working days", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.WorkingDays(); }), nullptr,
         "TRUNC(LEAST(NEXT_DAY(SYSDATE,'Mon'),NEXT_DAY(SYSDATE,'Tue'),NEXT_DAY(SYSDATE,'Wed'),NEXT_DAY(SYSDATE,"
         "'Thu'),NEXT_DAY(SYSDATE,'Fri')))+10/24",
         "Run every Monday, Tuesday, Wednesday, Thursday and Friday at 10:00:00."},
        {"first Monday of month", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(0); d.ClickFirstLast(CDISDaysModel::First); }),
         nullptr, "TRUNC(NEXT_DAY(LAST_DAY(SYSDATE),'Mon'))+10/24", "Run on the first Monday of every month at 10:00:00."},
        {"last Friday of month", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(4); d.ClickFirstLast(CDISDaysModel::Last); }),
         nullptr, "TRUNC(NEXT_DAY(LAST_DAY(ADD_MONTHS(SYSDATE, 1))-7,'Fri'))+10/24",
         "Run on the last Friday of every month at 10:00:00."},
        {"first Tuesday of quarter", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(1); d.ClickPeriod(CDISDaysModel::Quarter); }),
         nullptr, "TRUNC(NEXT_DAY(LAST_DAY(TRUNC(SYSDATE, 'Q')),'Tue'))+10/24",
         "Run on the first Tuesday of every quarter at 10:00:00."},
        {"last Monday of quarter", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(0); d.ClickFirstLast(CDISDaysModel::Last); d.ClickPeriod(CDISDaysModel::Quarter); }),
         nullptr, "TRUNC(NEXT_DAY(ADD_MONTHS(TRUNC(SYSDATE, 'Q'), 3)-8,'Mon'))+10/24",
         "Run on the last Monday of every quarter at 10:00:00."},
        {"first day of month", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickFirstLast(CDISDaysModel::First); }),
         nullptr, "TRUNC(ADD_MONTHS(SYSDATE, 1), 'MONTH')+10/24", "Run on the first day of every month at 10:00:00."},
        {"last day of month", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickFirstLast(CDISDaysModel::Last); }),
         nullptr, "TRUNC(LAST_DAY(ADD_MONTHS(SYSDATE, 1)))+10/24", "Run on the last day of every month at 10:00:00."},
        {"first day of quarter", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickPeriod(CDISDaysModel::Quarter); }),
         nullptr, "TRUNC(ADD_MONTHS(TRUNC(SYSDATE, 'Q'), 3)-1)+10/24", "Run on the first day of every quarter at 10:00:00."},
        {"last day of quarter", Days(S::StartNow, [](CDISDaysModel& d) { d.ClickFirstLast(CDISDaysModel::Last); d.ClickPeriod(CDISDaysModel::Quarter); }),
         "SYSDATE", "TRUNC(LAST_DAY(ADD_MONTHS(TRUNC(SYSDATE, 'Q'), 3)))+10/24",
         "Run job initially as soon as possible then run on the last day of every quarter at 10:00:00."},
        {"days 1 and 15", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickMonthDay(15); d.ClickMonthDay(1); }),
         nullptr,
         "LEAST(TO_DATE('1-'||TO_CHAR(ADD_MONTHS(SYSDATE, 1),'MON-YYYY'),'DD-MON-YYYY'),TO_DATE('15-'||TO_CHAR("
         "ADD_MONTHS(SYSDATE, 1),'MON-YYYY'),'DD-MON-YYYY'))+10/24",
         "Run on the 1st, 15th day of every month at 10:00:00."},
        {"day 22 alone", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickMonthDay(22); }), nullptr,
         "TO_DATE('22-'||TO_CHAR(ADD_MONTHS(SYSDATE, 1),'MON-YYYY'),'DD-MON-YYYY')+10/24",
         "Run on the 22nd day of every month at 10:00:00."},
        {"nothing selected", Days(S::StartNow, [](CDISDaysModel&) {}), "SYSDATE", "TRUNC(SYSDATE+1)+10/24",
         "Run job initially as soon as possible then run job every day at 10:00:00."},
        {"all days without until", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.AllDays(); }), nullptr,
         "TRUNC(SYSDATE+1)+10/24", "Run job every day at 10:00:00."},
        // Until only counts while all seven weekdays are checked.
        {"until ignored on one weekday", [] { S s = Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickWeekday(0); }); s.until = true; return s; }(),
         nullptr, "TRUNC(NEXT_DAY(SYSDATE,'Mon'))+10/24", "Run every Monday at 10:00:00."},
        {"intra-day", [] {
             S s = Days(S::StartByRepeat, [](CDISDaysModel& d) { d.AllDays(); });
             s.until = true;
             s.untilTime = {18, 0, 0};
             s.repeatAmount = 30;
             s.repeatUnit = S::Minutes;
             s.dayAt = {8, 0, 0};
             return s;
         }(),
         nullptr, kIntraDay, "Run job every day between 08:00:00 and 18:00:00 at 30 Minute intervals."},
        {"intra-day on", [] {
             S s = Days(S::StartOn, [](CDISDaysModel& d) { d.AllDays(); });
             s.until = true;
             s.untilTime = {18, 0, 0};
             s.repeatAmount = 2;
             s.repeatUnit = S::Hours;
             s.dayAt = {8, 0, 0};
             return s;
         }(),
         "TO_DATE('5/3/2027 14:30:0', 'DD/MM/YYYY HH24:MI:SS')",
         "DECODE(LEAST(SYSDATE+.083333,TRUNC(SYSDATE)+.33333),SYSDATE+.083333,TRUNC(SYSDATE)+.33333,"
         "DECODE(LEAST(SYSDATE+.083333,TRUNC(SYSDATE)+.75000),SYSDATE+.083333,SYSDATE+.083333,TRUNC(SYSDATE+1)+.33333))",
         "Run job initially at 14:30:00 on 5 March 2027 then run job every day between 08:00:00 and 18:00:00 at 2 "
         "Hour intervals."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const CScheduleResult r = Build(k.settings);
        EXPECT_TRUE(r.valid);
        EXPECT_FALSE(r.userDefined);
        EXPECT_EQ(r.interval, k.interval);
        EXPECT_EQ(r.nextDate, k.nextDate ? k.nextDate : k.interval);
        EXPECT_EQ(r.description, k.description);
    }
    EXPECT_EQ(std::string(kIntraDay).size(), 199u);
}

TEST(CScheduleBuilder, FailuresKeepTheStartAndClearTheInterval)
{
    auto intraDay = [](int start, CScheduleTime until) {
        S s = Days(start, [](CDISDaysModel& d) { d.AllDays(); });
        s.until = true;
        s.untilTime = until;
        return s;
    };
    const Case cases[] = {
        {"never by repeat", Settings(S::StartByRepeat, S::RepeatNever), "", "", "Invalid selection - please try again."},
        {"until equals day-at", intraDay(S::StartByRepeat, {10, 0, 0}), "", "",
         "End time is at or before start-time. Please correct."},
        {"until before day-at", intraDay(S::StartNow, {9, 59, 59}), "SYSDATE", "",
         "End time is at or before start-time. Please correct."},
        {"every days of the month", Days(S::StartNow, [](CDISDaysModel& d) { for (int day = 1; day <= 31; ++day) d.ClickMonthDay(day); }),
         "SYSDATE", "", "Interval specification is too long for Oracle, please modify settings (2260 characters used)."},
        {"three days of the month", Days(S::StartByRepeat, [](CDISDaysModel& d) { d.ClickMonthDay(10); d.ClickMonthDay(20); d.ClickMonthDay(30); }),
         "", "", "Interval specification is too long for Oracle, please modify settings (225 characters used)."},
        // Amounts outside the spin range cannot come from the page, but are refused all the same.
        {"zero amount", Every(S::StartNow, 0, S::Hours), "SYSDATE", "", "Invalid selection - please try again."},
        {"bad start date", [] { S s = Settings(S::StartOn, S::RepeatNever); s.startMoment.day = 30; s.startMoment.month = 2; return s; }(),
         "", "", "Invalid selection - please try again."},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        const CScheduleResult r = Build(k.settings);
        EXPECT_FALSE(r.valid);
        EXPECT_FALSE(r.userDefined);
        EXPECT_EQ(r.nextDate, k.nextDate);
        EXPECT_EQ(r.interval, k.interval);
        EXPECT_EQ(r.description, k.description);
    }
}

TEST(CScheduleBuilder, MissingChoiceIsUserDefined)
{
    for (auto [start, repeat] : {std::pair{-1, 0}, std::pair{0, -1}, std::pair{-1, -1}}) {
        const CScheduleResult r = Build(Settings(start, repeat));
        EXPECT_EQ(r, CScheduleBuilder::UserDefined());
    }
    const CScheduleResult u = CScheduleBuilder::UserDefined();
    EXPECT_TRUE(u.userDefined && u.valid);
    EXPECT_TRUE(u.nextDate.empty() && u.interval.empty());
    EXPECT_EQ(u.description,
              "User defined date and interval - please select the 'Advanced' tab to view or modify these settings. "
              "Alternatively select new 'When to Start/Repeat' settings.");
    const CScheduleResult i = CScheduleBuilder::Invalid();
    EXPECT_FALSE(i.userDefined || i.valid);
    EXPECT_EQ(i.description, "Invalid selection - please try again.");
}

TEST(CScheduleBuilder, OrdinalSuffixes)
{
    const std::pair<int, const char*> cases[] = {{1, "1st"},   {2, "2nd"},   {3, "3rd"},   {4, "4th"},
                                                 {11, "11th"}, {12, "12th"}, {13, "13th"}, {21, "21st"},
                                                 {22, "22nd"}, {23, "23rd"}, {24, "24th"}, {31, "31st"}};
    for (auto [day, text] : cases)
        EXPECT_EQ(CScheduleBuilder::DayOrdinal(day), text);
}

TEST(CScheduleBuilder, UnitExpressions)
{
    struct UnitCase {
        LONG amount;
        int unit;
        const char* whole;
        const char* decimal; // empty: no decimal form
    };
    const UnitCase cases[] = {
        {45, S::Seconds, "SYSDATE+45/86400", "SYSDATE+.000521"},
        {30, S::Minutes, "SYSDATE+30/1440", "SYSDATE+.020833"},
        {36, S::Hours, "SYSDATE+36/24", "SYSDATE+1.500000"},
        {2, S::Days, "SYSDATE+2", ""},
        {3, S::Weeks, "SYSDATE+21", ""},
        {5, S::Months, "ADD_MONTHS(SYSDATE,5)", ""},
        {2, S::Years, "ADD_MONTHS(SYSDATE,24)", ""},
        {1, 7, "", ""},
    };
    for (const UnitCase& k : cases) {
        EXPECT_EQ(CScheduleBuilder::UnitExpression(k.amount, k.unit), k.whole) << k.unit;
        EXPECT_EQ(CScheduleBuilder::DecimalUnitExpression(k.amount, k.unit), k.decimal) << k.unit;
    }
}

TEST(CScheduleBuilder, NumbersInExpressionsIgnoreTheLocale)
{
    const std::pair<double, const char*> general[] = {{10, "10/24"}, {8.5, "8.5/24"}, {0, "0/24"},
                                                      {23.999722222, "23.9997/24"}};
    for (auto [value, text] : general)
        EXPECT_EQ(CScheduleBuilder::FormatNumber("%g/24", value), text);
    EXPECT_EQ(CScheduleBuilder::FormatNumber("TRUNC(SYSDATE)+%.5f", 0.75), "TRUNC(SYSDATE)+0.75000");
    EXPECT_EQ(CScheduleBuilder::DropLeadingZeros("A+0.5,B+0.25,C+10.5"), "A+.5,B+.25,C+10.5");
    EXPECT_EQ(CScheduleBuilder::DateLiteral({2027, 12, 31, 0, 5, 9}),
              "TO_DATE('31/12/2027 0:5:9', 'DD/MM/YYYY HH24:MI:SS')");
}

} // namespace
