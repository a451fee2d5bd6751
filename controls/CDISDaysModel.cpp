#include "controls/CDISDaysModel.h"

#include <algorithm>

void CDISDaysModel::Clear()
{
    m_weekdays.fill(false);
    ClearOptions();
    m_optionsEnabled = true;
    ClearMonthDays();
}

void CDISDaysModel::WorkingDays()
{
    for (int d = 0; d < 7; ++d)
        m_weekdays[d] = d < 5;
    ClearMonthDays();
    ApplyWeekdayRule();
}

void CDISDaysModel::AllDays()
{
    m_weekdays.fill(true);
    ClearMonthDays();
    ApplyWeekdayRule();
}

void CDISDaysModel::ClickWeekday(int weekday)
{
    if (weekday < 0 || weekday > 6)
        return;
    m_weekdays[weekday] = !m_weekdays[weekday];
    ClearMonthDays();
    ApplyWeekdayRule();
}

void CDISDaysModel::ClickMonthDay(int day)
{
    if (day < 1 || day > 31)
        return;
    m_monthDays[day - 1] = !m_monthDays[day - 1];
    m_weekdays.fill(false);
    ClearOptions();
    m_optionsEnabled = true;
}

void CDISDaysModel::ClickFirstLast(Choice choice)
{
    if (!m_optionsEnabled || choice == None)
        return;
    m_firstLast = choice;
    ClearMonthDays();
    if (m_period == NoPeriod)
        m_period = Month;
}

void CDISDaysModel::ClickPeriod(Period period)
{
    if (!m_optionsEnabled || period == NoPeriod)
        return;
    m_period = period;
    ClearMonthDays();
    if (m_firstLast == None)
        m_firstLast = First;
}

bool CDISDaysModel::Click(UINT id)
{
    switch (id) {
    case ID_CLEAR: Clear(); return true;
    case ID_WORKING_DAYS: WorkingDays(); return true;
    case ID_ALL_DAYS: AllDays(); return true;
    case ID_FIRST: ClickFirstLast(First); return true;
    case ID_LAST: ClickFirstLast(Last); return true;
    case ID_MONTH: ClickPeriod(Month); return true;
    case ID_QUARTER: ClickPeriod(Quarter); return true;
    default: break;
    }
    if (id >= ID_MONDAY && id < ID_MONDAY + 7) {
        ClickWeekday(static_cast<int>(id - ID_MONDAY));
        return true;
    }
    if (id >= ID_DAY_1 && id < ID_DAY_1 + 31) {
        ClickMonthDay(static_cast<int>(id - ID_DAY_1) + 1);
        return true;
    }
    return false;
}

bool CDISDaysModel::Weekday(int weekday) const
{
    return weekday >= 0 && weekday < 7 && m_weekdays[weekday];
}

bool CDISDaysModel::MonthDay(int day) const
{
    return day >= 1 && day <= 31 && m_monthDays[day - 1];
}

std::vector<int> CDISDaysModel::EffectiveWeekdays() const
{
    std::vector<int> days;
    if (AllWeekdays())
        return days;
    for (int d = 0; d < 7; ++d)
        if (m_weekdays[d])
            days.push_back(d);
    return days;
}

bool CDISDaysModel::AllWeekdays() const
{
    return std::all_of(m_weekdays.begin(), m_weekdays.end(), [](bool on) { return on; });
}

std::vector<int> CDISDaysModel::MonthDays() const
{
    std::vector<int> days;
    for (int d = 0; d < 31; ++d)
        if (m_monthDays[d])
            days.push_back(d + 1);
    return days;
}

void CDISDaysModel::ApplyWeekdayRule()
{
    const auto checked = std::count(m_weekdays.begin(), m_weekdays.end(), true);
    m_optionsEnabled = checked < 2;
    if (!m_optionsEnabled)
        ClearOptions();
}

void CDISDaysModel::ClearMonthDays()
{
    m_monthDays.fill(false);
}

void CDISDaysModel::ClearOptions()
{
    m_firstLast = None;
    m_period = NoPeriod;
}
