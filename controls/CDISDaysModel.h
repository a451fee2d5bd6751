#pragma once
// The state and rules of the day picker: weekdays, days of the month, the
// first/last and month/quarter option groups and whether those options may
// be used. Every operation is one click on one of the picker's buttons.

#include "platform/WinTypes.h"

#include <array>
#include <vector>

class CDISDaysModel {
public:
    // Button identifiers of the picker.
    enum : UINT {
        ID_CLEAR = 2001,
        ID_WORKING_DAYS = 2002,
        ID_ALL_DAYS = 2003,
        ID_MONDAY = 2005,   // to ID_MONDAY + 6, Sunday
        ID_FIRST = 2014,
        ID_LAST = 2015,
        ID_MONTH = 2016,
        ID_QUARTER = 2017,
        ID_DAY_1 = 2100,    // to ID_DAY_1 + 30, the 31st
    };
    enum Choice { None = -1, First = 0, Last = 1 };
    enum Period { NoPeriod = -1, Month = 0, Quarter = 1 };

    void Clear();
    void WorkingDays();
    void AllDays();
    // weekday 0 (Monday) to 6 (Sunday); toggles it.
    void ClickWeekday(int weekday);
    // day 1 to 31; toggles it.
    void ClickMonthDay(int day);
    // Disabled options ignore clicks.
    void ClickFirstLast(Choice choice);
    void ClickPeriod(Period period);
    // The click of a picker button by identifier; false for an unknown one.
    bool Click(UINT id);

    bool Weekday(int weekday) const;
    bool MonthDay(int day) const;
    Choice FirstLast() const { return m_firstLast; }
    Period MonthOrQuarter() const { return m_period; }
    bool OptionsEnabled() const { return m_optionsEnabled; }

    // Checked weekdays in Monday-to-Sunday order; all seven count as none.
    std::vector<int> EffectiveWeekdays() const;
    bool AllWeekdays() const;
    // Checked days of the month in ascending order.
    std::vector<int> MonthDays() const;

private:
    void ApplyWeekdayRule();
    void ClearMonthDays();
    void ClearOptions();

    std::array<bool, 7> m_weekdays{};
    std::array<bool, 31> m_monthDays{};
    Choice m_firstLast = None;
    Period m_period = NoPeriod;
    bool m_optionsEnabled = true;
};
