#include "controls/CScheduleFormatter.h"

#include "generic/VkDateFormat.h"

#include <QDate>
#include <QLocale>

std::string CScheduleLocaleFormatter::TimeText(const CScheduleTime& time) const
{
    // Any valid day carries the time of day into the formatter.
    double date = 0;
    if (!VkDateFormat::ToAutomationDate({2000, 1, 1, time.hour, time.minute, time.second}, date))
        return {};
    return VkDateFormat::FormatDateToTimeFormat(date);
}

std::string CScheduleLocaleFormatter::LongDateText(int year, int month, int day) const
{
    const QDate date(year, month, day);
    if (!date.isValid())
        return {};
    return QLocale().toString(date, QLocale::LongFormat).toStdString();
}
