#include "controls/CDISDaysModel.h"

#include <gtest/gtest.h>

namespace {

using M = CDISDaysModel;

TEST(CDISDaysModel, StartsEmptyWithOptionsEnabled)
{
    const M m;
    EXPECT_TRUE(m.EffectiveWeekdays().empty());
    EXPECT_TRUE(m.MonthDays().empty());
    EXPECT_EQ(m.FirstLast(), M::None);
    EXPECT_EQ(m.MonthOrQuarter(), M::NoPeriod);
    EXPECT_TRUE(m.OptionsEnabled());
}

TEST(CDISDaysModel, TwoWeekdaysDisableAndClearTheOptions)
{
    M m;
    m.ClickWeekday(0);
    m.ClickFirstLast(M::Last);
    EXPECT_EQ(m.MonthOrQuarter(), M::Month); // First/Last brings Month with it
    m.ClickPeriod(M::Quarter);
    EXPECT_EQ(m.FirstLast(), M::Last);
    EXPECT_TRUE(m.OptionsEnabled());

    m.ClickWeekday(3);
    EXPECT_FALSE(m.OptionsEnabled());
    EXPECT_EQ(m.FirstLast(), M::None);
    EXPECT_EQ(m.MonthOrQuarter(), M::NoPeriod);
    m.ClickFirstLast(M::First); // disabled: ignored
    EXPECT_EQ(m.FirstLast(), M::None);

    m.ClickWeekday(3); // back to one day: enabled, options stay clear
    EXPECT_TRUE(m.OptionsEnabled());
    EXPECT_EQ(m.FirstLast(), M::None);
    EXPECT_EQ(m.EffectiveWeekdays(), std::vector<int>{0});
}

TEST(CDISDaysModel, ButtonsFollowTheirRules)
{
    struct Case {
        const char* name;
        std::vector<UINT> clicks;
        std::vector<int> weekdays; // effective
        std::vector<int> monthDays;
        M::Choice firstLast;
        M::Period period;
        bool enabled;
    };
    const UINT mon = M::ID_MONDAY, sat = M::ID_MONDAY + 5, day1 = M::ID_DAY_1;
    const Case cases[] = {
        {"working days", {M::ID_WORKING_DAYS}, {0, 1, 2, 3, 4}, {}, M::None, M::NoPeriod, false},
        {"all days count as none", {M::ID_ALL_DAYS}, {}, {}, M::None, M::NoPeriod, false},
        {"all days then one off", {M::ID_ALL_DAYS, sat}, {0, 1, 2, 3, 4, 6}, {}, M::None, M::NoPeriod, false},
        {"month day clears weekdays and options", {mon, M::ID_FIRST, day1 + 4}, {}, {5}, M::None, M::NoPeriod, true},
        {"weekday clears month days", {day1, day1 + 30, mon}, {0}, {}, M::None, M::NoPeriod, true},
        {"month day toggles", {day1 + 2, day1, day1 + 2}, {}, {1}, M::None, M::NoPeriod, true},
        {"option clears month days", {day1 + 9, M::ID_QUARTER}, {}, {}, M::First, M::Quarter, true},
        {"last then month keeps last", {M::ID_LAST, M::ID_MONTH}, {}, {}, M::Last, M::Month, true},
        {"working days clear month days", {day1 + 6, M::ID_WORKING_DAYS}, {0, 1, 2, 3, 4}, {}, M::None, M::NoPeriod, false},
        {"clear resets everything", {M::ID_WORKING_DAYS, M::ID_CLEAR}, {}, {}, M::None, M::NoPeriod, true},
        {"clear after options", {mon, M::ID_LAST, M::ID_QUARTER, M::ID_CLEAR}, {}, {}, M::None, M::NoPeriod, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        M m;
        for (UINT id : k.clicks)
            EXPECT_TRUE(m.Click(id)) << id;
        EXPECT_EQ(m.EffectiveWeekdays(), k.weekdays);
        EXPECT_EQ(m.MonthDays(), k.monthDays);
        EXPECT_EQ(m.FirstLast(), k.firstLast);
        EXPECT_EQ(m.MonthOrQuarter(), k.period);
        EXPECT_EQ(m.OptionsEnabled(), k.enabled);
    }
    M m;
    EXPECT_FALSE(m.Click(2004));
    EXPECT_FALSE(m.Click(M::ID_DAY_1 + 31));
}

} // namespace
