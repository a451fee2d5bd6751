#include "controls/CScheduleBuilder.h"

#include "controls/QVCtrlStrings.h"

#include <charconv>
#include <vector>

namespace {

std::string Text(UINT id)
{
    return QVCtrlStrings().Load(id);
}

template <typename... Args>
std::string Format(UINT id, Args... args)
{
    return QVCtrlStrings().Format(id, args...);
}

std::string UnitName(int unit)
{
    return Text(IDS_SCH_SECONDS + static_cast<UINT>(unit));
}

std::string WithoutLastChar(std::string text)
{
    if (!text.empty())
        text.pop_back();
    return text;
}

CScheduleResult Failed(std::string description, const std::string& nextDate)
{
    CScheduleResult result;
    result.description = std::move(description);
    result.nextDate = nextDate;
    result.valid = false;
    return result;
}

bool ValidTime(const CScheduleTime& t)
{
    return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

} // namespace

CScheduleResult CScheduleBuilder::UserDefined()
{
    CScheduleResult result;
    result.description = Text(IDS_SCH_USER_DEFINED);
    result.userDefined = true;
    return result;
}

CScheduleResult CScheduleBuilder::Invalid()
{
    CScheduleResult result;
    result.description = Text(IDS_SCH_INVALID);
    result.valid = false;
    return result;
}

std::string CScheduleBuilder::DateLiteral(const VkDateFormat::Parts& m)
{
    return Format(IDS_SCH_DATE_LITERAL, long{m.day}, long{m.month}, long{m.year}, long{m.hour}, long{m.minute},
                  long{m.second});
}

std::string CScheduleBuilder::UnitExpression(LONG amount, int unit)
{
    // Weeks and years multiply in 64 bits so that large amounts cannot wrap.
    const long n = amount;
    switch (unit) {
    case CScheduleSettings::Seconds: return Format(IDS_SCH_UNIT_SECONDS, n);
    case CScheduleSettings::Minutes: return Format(IDS_SCH_UNIT_MINUTES, n);
    case CScheduleSettings::Hours: return Format(IDS_SCH_UNIT_HOURS, n);
    case CScheduleSettings::Days: return Format(IDS_SCH_UNIT_DAYS, n);
    case CScheduleSettings::Weeks: return Format(IDS_SCH_UNIT_WEEKS, 7 * n);
    case CScheduleSettings::Months: return Format(IDS_SCH_UNIT_MONTHS, n);
    case CScheduleSettings::Years: return Format(IDS_SCH_UNIT_YEARS, 12 * n);
    default: return {};
    }
}

std::string CScheduleBuilder::DecimalUnitExpression(LONG amount, int unit)
{
    static const double perDay[CScheduleSettings::IntraDayUnitCount] = {86400.0, 1440.0, 24.0};
    if (unit < 0 || unit >= CScheduleSettings::IntraDayUnitCount)
        return {};
    return DropLeadingZeros(FormatNumber(Text(IDS_SCH_DECIMAL_UNIT), amount / perDay[unit]));
}

std::string CScheduleBuilder::DayOrdinal(int day)
{
    UINT suffix = IDS_SCH_SUFFIX_TH;
    const int tens = day % 100;
    if (tens < 11 || tens > 13) {
        switch (day % 10) {
        case 1: suffix = IDS_SCH_SUFFIX_ST; break;
        case 2: suffix = IDS_SCH_SUFFIX_ND; break;
        case 3: suffix = IDS_SCH_SUFFIX_RD; break;
        default: break;
        }
    }
    return std::to_string(day) + Text(suffix);
}

std::string CScheduleBuilder::FormatNumber(const std::string& format, double value)
{
    const auto percent = format.find('%');
    if (percent == std::string::npos)
        return format;
    std::size_t at = percent + 1;
    int precision = 6;
    if (at < format.size() && format[at] == '.') {
        precision = 0;
        for (++at; at < format.size() && format[at] >= '0' && format[at] <= '9'; ++at)
            precision = precision * 10 + (format[at] - '0');
    }
    if (at >= format.size() || (format[at] != 'g' && format[at] != 'f'))
        return format;
    // to_chars follows the C locale, never the user's decimal separator.
    char buffer[128];
    const auto style = format[at] == 'g' ? std::chars_format::general : std::chars_format::fixed;
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, style, precision);
    if (ec != std::errc())
        return format;
    return format.substr(0, percent) + std::string(buffer, end) + format.substr(at + 1);
}

std::string CScheduleBuilder::DropLeadingZeros(std::string text)
{
    for (auto at = text.find("+0."); at != std::string::npos; at = text.find("+0.", at + 1))
        text.erase(at + 1, 1);
    return text;
}

CScheduleResult CScheduleBuilder::Build(const CScheduleSettings& s) const
{
    if (s.start < CScheduleSettings::StartNow || s.start > CScheduleSettings::StartByRepeat
        || s.repeat < CScheduleSettings::RepeatNever || s.repeat > CScheduleSettings::RepeatDayDate)
        return UserDefined();
    if (s.start == CScheduleSettings::StartOn) {
        double unused = 0;
        if (!VkDateFormat::ToAutomationDate(s.startMoment, unused))
            return Invalid();
    }
    const StartPart start = Start(s);
    switch (s.repeat) {
    case CScheduleSettings::RepeatNever:
        if (s.start == CScheduleSettings::StartByRepeat)
            return Invalid();
        return RunOnce(s, start);
    case CScheduleSettings::RepeatEvery:
        return Every(s, start);
    default:
        return DayDate(s, start);
    }
}

CScheduleBuilder::StartPart CScheduleBuilder::Start(const CScheduleSettings& s) const
{
    const VkDateFormat::Parts& m = s.startMoment;
    switch (s.start) {
    case CScheduleSettings::StartNow:
        return {Text(IDS_SCH_START_NOW), Text(IDS_SCH_SYSDATE)};
    case CScheduleSettings::StartOn:
        return {Format(IDS_SCH_START_ON, m_formatter.TimeText({m.hour, m.minute, m.second}).c_str(),
                       m_formatter.LongDateText(m.year, m.month, m.day).c_str()),
                DateLiteral(m)};
    default:
        return {};
    }
}

CScheduleResult CScheduleBuilder::RunOnce(const CScheduleSettings& s, const StartPart& start) const
{
    CScheduleResult result;
    result.nextDate = start.nextDate;
    if (s.start == CScheduleSettings::StartNow) {
        result.description = Text(IDS_SCH_RUN_ASAP) + ".";
    } else {
        const VkDateFormat::Parts& m = s.startMoment;
        result.description = Format(IDS_SCH_RUN_ONCE_AT, m_formatter.TimeText({m.hour, m.minute, m.second}).c_str(),
                                    m_formatter.LongDateText(m.year, m.month, m.day).c_str());
    }
    return result;
}

CScheduleResult CScheduleBuilder::Every(const CScheduleSettings& s, const StartPart& start) const
{
    if (s.everyAmount < 1 || s.everyUnit < 0 || s.everyUnit >= CScheduleSettings::UnitCount
        || (s.EveryAtEnabled() && !ValidTime(s.everyAt)))
        return Failed(Text(IDS_SCH_INVALID), start.nextDate);

    std::string interval = UnitExpression(s.everyAmount, s.everyUnit);
    std::string atText;
    if (s.EveryAtEnabled()) {
        const std::string atPart = FormatNumber(Text(IDS_SCH_AT_HOURS), s.everyAt.Hours());
        interval = Format(IDS_SCH_TRUNC_AT, interval.c_str(), atPart.c_str());
        atText = m_formatter.TimeText(s.everyAt);
    }
    std::string unitWord = UnitName(s.everyUnit);
    if (s.everyAmount == 1)
        unitWord = WithoutLastChar(unitWord);

    const long amount = s.everyAmount;
    CScheduleResult result;
    result.interval = interval;
    if (start.text.empty()) {
        result.description = atText.empty() ? Format(IDS_SCH_EVERY_FROM_END, amount, unitWord.c_str())
                                            : Format(IDS_SCH_EVERY_AT, amount, unitWord.c_str(), atText.c_str());
        result.nextDate = interval;
    } else {
        result.description = atText.empty()
            ? Format(IDS_SCH_START_EVERY_FROM_END, start.text.c_str(), amount, unitWord.c_str())
            : Format(IDS_SCH_START_EVERY_AT, start.text.c_str(), amount, unitWord.c_str(), atText.c_str());
        result.nextDate = start.nextDate;
    }
    return result;
}

CScheduleResult CScheduleBuilder::DayDate(const CScheduleSettings& s, const StartPart& start) const
{
    if (!ValidTime(s.dayAt))
        return Failed(Text(IDS_SCH_INVALID), start.nextDate);

    const std::string prefix =
        start.text.empty() ? Text(IDS_SCH_PREFIX_RUN) : start.text + Text(IDS_SCH_PREFIX_THEN_RUN);
    const std::string timeText = m_formatter.TimeText(s.dayAt);
    std::string atPart = FormatNumber(Text(IDS_SCH_AT_HOURS), s.dayAt.Hours());
    const std::vector<int> weekdays = s.days.EffectiveWeekdays();
    const CDISDaysModel::Choice firstLast = s.days.FirstLast();
    const bool month = s.days.MonthOrQuarter() == CDISDaysModel::Month;
    const std::vector<int> monthDays = s.days.MonthDays();
    auto longName = [](int d) { return Text(IDS_SCH_MON_LONG + static_cast<UINT>(d)); };
    auto shortName = [](int d) { return Text(IDS_SCH_MON_SHORT + static_cast<UINT>(d)); };

    std::string d;
    std::string i;
    if (weekdays.size() == 1 && firstLast != CDISDaysModel::None) {
        const bool first = firstLast == CDISDaysModel::First;
        const UINT textId = month ? (first ? IDS_SCH_FIRST_WEEKDAY_MONTH : IDS_SCH_LAST_WEEKDAY_MONTH)
                                  : (first ? IDS_SCH_FIRST_WEEKDAY_QUARTER : IDS_SCH_LAST_WEEKDAY_QUARTER);
        const UINT sqlId = month ? (first ? IDS_SCH_FIRST_WEEKDAY_MONTH_SQL : IDS_SCH_LAST_WEEKDAY_MONTH_SQL)
                                 : (first ? IDS_SCH_FIRST_WEEKDAY_QUARTER_SQL : IDS_SCH_LAST_WEEKDAY_QUARTER_SQL);
        d = prefix + Format(textId, longName(weekdays[0]).c_str());
        i = Format(sqlId, shortName(weekdays[0]).c_str());
    } else if (!weekdays.empty()) {
        d = prefix + Text(IDS_SCH_EVERY_WEEKDAYS);
        for (std::size_t k = 0; k < weekdays.size(); ++k) {
            if (k > 0)
                d += Text(k + 1 == weekdays.size() ? IDS_SCH_LIST_LAST : IDS_SCH_LIST_SEPARATOR);
            d += longName(weekdays[k]);
        }
        const bool several = weekdays.size() > 1;
        i = several ? "TRUNC(LEAST(" : "TRUNC(";
        for (std::size_t k = 0; k < weekdays.size(); ++k)
            i += (k > 0 ? "," : "") + Format(IDS_SCH_NEXT_DAY_SQL, shortName(weekdays[k]).c_str());
        i += several ? "))" : ")";
    } else if (firstLast != CDISDaysModel::None) {
        const bool first = firstLast == CDISDaysModel::First;
        d = prefix
            + Text(month ? (first ? IDS_SCH_FIRST_DAY_MONTH : IDS_SCH_LAST_DAY_MONTH)
                         : (first ? IDS_SCH_FIRST_DAY_QUARTER : IDS_SCH_LAST_DAY_QUARTER));
        i = Text(month ? (first ? IDS_SCH_FIRST_DAY_MONTH_SQL : IDS_SCH_LAST_DAY_MONTH_SQL)
                       : (first ? IDS_SCH_FIRST_DAY_QUARTER_SQL : IDS_SCH_LAST_DAY_QUARTER_SQL));
    } else if (!monthDays.empty()) {
        d = prefix + Text(IDS_SCH_ON_THE);
        for (std::size_t k = 0; k < monthDays.size(); ++k)
            d += (k > 0 ? Text(IDS_SCH_LIST_SEPARATOR) : std::string()) + DayOrdinal(monthDays[k]);
        d += Text(IDS_SCH_DAY_OF_MONTH_TAIL);
        const bool several = monthDays.size() > 1;
        i = several ? "LEAST(" : "";
        for (std::size_t k = 0; k < monthDays.size(); ++k)
            i += (k > 0 ? "," : "") + Format(IDS_SCH_DAY_OF_MONTH_SQL, long{monthDays[k]});
        i += several ? ")" : "";
    }

    if (!d.empty()) {
        d += Text(IDS_SCH_AT) + timeText;
    } else if (!(s.until && s.UntilEnabled())) {
        d = prefix + Text(IDS_SCH_EVERY_DAY) + Text(IDS_SCH_AT) + timeText;
        i = Text(IDS_SCH_EVERY_DAY_SQL);
    } else {
        if (!ValidTime(s.untilTime) || s.repeatAmount < 1 || s.repeatUnit < 0
            || s.repeatUnit >= CScheduleSettings::IntraDayUnitCount)
            return Failed(Text(IDS_SCH_INVALID), start.nextDate);
        const double from = s.dayAt.Hours();
        const double to = s.untilTime.Hours();
        if (to - from <= 0)
            return Failed(Text(IDS_SCH_END_BEFORE_START), start.nextDate);
        const std::string x = DropLeadingZeros(FormatNumber(Text(IDS_SCH_TODAY_AT_SQL), from / 24));
        const std::string y = DropLeadingZeros(FormatNumber(Text(IDS_SCH_TODAY_AT_SQL), to / 24));
        const std::string z = DropLeadingZeros(FormatNumber(Text(IDS_SCH_TOMORROW_AT_SQL), from / 24));
        const std::string r = DecimalUnitExpression(s.repeatAmount, s.repeatUnit);
        i = Format(IDS_SCH_INTRADAY_SQL, r.c_str(), x.c_str(), r.c_str(), x.c_str(), r.c_str(), y.c_str(),
                   r.c_str(), r.c_str(), z.c_str());
        d = prefix
            + Format(IDS_SCH_BETWEEN, timeText.c_str(), m_formatter.TimeText(s.untilTime).c_str(),
                     long{s.repeatAmount}, WithoutLastChar(UnitName(s.repeatUnit)).c_str());
        atPart.clear();
    }

    if (i.size() > MaxInterval)
        return Failed(Format(IDS_SCH_TOO_LONG, static_cast<long>(i.size())), start.nextDate);
    if (!atPart.empty())
        i += "+" + atPart;
    if (i.empty()) {
        i = Text(IDS_SCH_SYSDATE);
        d = Text(IDS_SCH_RUN_ASAP) + ".";
    } else if (i.size() > MaxInterval) {
        d += Format(IDS_SCH_CHARS_USED, static_cast<long>(i.size()));
    } else {
        d += ".";
    }

    CScheduleResult result;
    result.description = d;
    result.interval = i;
    result.nextDate = start.nextDate.empty() ? i : start.nextDate;
    return result;
}
