#include "ociw32/functions/OraDate.h"

#include "platform/VkAscii.h"

#include <algorithm>

namespace VkOracle {

const char* const kOraDayNames[7] = {"SUNDAY",   "MONDAY", "TUESDAY", "WEDNESDAY",
                                     "THURSDAY", "FRIDAY", "SATURDAY"};
const char* const kOraMonthNames[12] = {"JANUARY", "FEBRUARY", "MARCH",     "APRIL",
                                        "MAY",     "JUNE",     "JULY",      "AUGUST",
                                        "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER"};

namespace {

// Oracle years skip 0; the arithmetic below uses astronomical years.
int Astro(int year) { return year < 0 ? year + 1 : year; }
int FromAstro(int year) { return year <= 0 ? year - 1 : year; }

int64_t FloorDiv(int64_t a, int64_t b)
{
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

int64_t StartOfDay(int64_t seconds) { return OraDayNumber(seconds) * kSecondsPerDay; }

int64_t DateOf(int year, int month, int day)
{
    return OraDaysFromCivil(year, month, day) * kSecondsPerDay;
}

bool InRange(int64_t v) { return v >= kOraDateMin && v <= kOraDateMax; }

enum class Unit { None, Century, Year, IsoYear, Quarter, Month, Week, IsoWeek, MonthWeek, Day,
                  WeekDay, Hour, Minute };

std::string Upper(const std::string& s)
{
    std::string out;
    for (char c : s)
        if (!VkIsAsciiSpace(c))
            out += VkAsciiToUpper(c);
    return out;
}

// Maps a ROUND/TRUNC format to its unit; *err is set for formats that are not units.
Unit UnitOf(const std::string& fmt, int* err)
{
    const std::string f = Upper(fmt);
    *err = 0;
    struct { const char* name; Unit unit; } const units[] = {
        {"CC", Unit::Century},   {"SCC", Unit::Century},   {"SYYYY", Unit::Year},
        {"YYYY", Unit::Year},    {"YEAR", Unit::Year},     {"SYEAR", Unit::Year},
        {"YYY", Unit::Year},     {"YY", Unit::Year},       {"Y", Unit::Year},
        {"IYYY", Unit::IsoYear}, {"IYY", Unit::IsoYear},   {"IY", Unit::IsoYear},
        {"I", Unit::IsoYear},    {"Q", Unit::Quarter},     {"MONTH", Unit::Month},
        {"MON", Unit::Month},    {"MM", Unit::Month},      {"RM", Unit::Month},
        {"WW", Unit::Week},      {"IW", Unit::IsoWeek},    {"W", Unit::MonthWeek},
        {"DDD", Unit::Day},      {"DD", Unit::Day},        {"J", Unit::Day},
        {"DAY", Unit::WeekDay},  {"DY", Unit::WeekDay},    {"D", Unit::WeekDay},
        {"HH", Unit::Hour},      {"HH12", Unit::Hour},     {"HH24", Unit::Hour},
        {"MI", Unit::Minute},
    };
    for (const auto& u : units)
        if (f == u.name)
            return u.unit;
    static const char* const otherElements[] = {"SS", "SSSSS", "AM", "PM", "A.M.", "P.M.",
                                                "AD", "BC", "A.D.", "B.C.", "RR", "RRRR",
                                                "Y,YYY", "FM", "FX", "DL", "DS", "TS"};
    for (const char* e : otherElements)
        if (f == e) {
            *err = 1899;
            return Unit::None;
        }
    *err = 1821;
    return Unit::None;
}

int CenturyStart(int year)
{
    if (year > 0)
        return ((year - 1) / 100) * 100 + 1;
    return -(((-year - 1) / 100) * 100 + 100);
}

int NextCenturyStart(int start)
{
    int next = start + 100;
    return next == 0 ? 1 : (start < 0 && next > 0 ? 1 : next);
}

} // namespace


bool IsValidOraDate(int64_t seconds) { return InRange(seconds); }

bool IsLeapYear(int year)
{
    const int y = Astro(year);
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

int DaysInYear(int year) { return IsLeapYear(year) ? 366 : 365; }

// Civil-to-days after H. Hinnant's public-domain algorithm.
int64_t OraDaysFromCivil(int year, int month, int day)
{
    int64_t y = Astro(year) - (month <= 2 ? 1 : 0);
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t mp = (month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void OraCivilFromDays(int64_t days, int* year, int* month, int* day)
{
    const int64_t z = days + 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    *year = FromAstro(static_cast<int>(y));
    *month = m;
    *day = d;
}

bool OraDateFromParts(const OraDateParts& p, int64_t* seconds)
{
    if (p.year == 0 || p.year < -4712 || p.year > 9999 || p.month < 1 || p.month > 12 ||
        p.day < 1 || p.day > DaysInMonth(p.year, p.month) || p.hour < 0 || p.hour > 23 ||
        p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59)
        return false;
    *seconds = DateOf(p.year, p.month, p.day) + p.hour * 3600 + p.minute * 60 + p.second;
    return true;
}

OraDateParts OraPartsFromDate(int64_t seconds)
{
    OraDateParts p;
    OraCivilFromDays(OraDayNumber(seconds), &p.year, &p.month, &p.day);
    const int sod = OraSecondOfDay(seconds);
    p.hour = sod / 3600;
    p.minute = sod / 60 % 60;
    p.second = sod % 60;
    return p;
}

int64_t OraDayNumber(int64_t seconds) { return FloorDiv(seconds, kSecondsPerDay); }

int OraSecondOfDay(int64_t seconds)
{
    return static_cast<int>(seconds - OraDayNumber(seconds) * kSecondsPerDay);
}

int OraWeekday(int64_t seconds)
{
    // 1970-01-01 was a Thursday.
    int64_t w = (OraDayNumber(seconds) + 4) % 7;
    return static_cast<int>(w < 0 ? w + 7 : w);
}

int OraDayOfYear(int64_t seconds)
{
    const OraDateParts p = OraPartsFromDate(seconds);
    return static_cast<int>(OraDayNumber(seconds) - OraDaysFromCivil(p.year, 1, 1)) + 1;
}

int64_t OraJulianDay(int64_t seconds) { return OraDayNumber(seconds) + 2440588; }

int64_t OraDateFromJulianDay(int64_t julian) { return (julian - 2440588) * kSecondsPerDay; }

int64_t OraIsoYearStart(int year)
{
    const int64_t jan4 = OraDaysFromCivil(year, 1, 4) * kSecondsPerDay;
    const int mondayOffset = (OraWeekday(jan4) + 6) % 7; // days since Monday
    return jan4 - mondayOffset * kSecondsPerDay;
}

int OraIsoYear(int64_t seconds)
{
    const int year = OraPartsFromDate(seconds).year;
    const int next = year == -1 ? 1 : year + 1;
    if (year < 9999 && seconds >= OraIsoYearStart(next))
        return next;
    if (seconds < OraIsoYearStart(year))
        return year == 1 ? -1 : year - 1;
    return year;
}

int OraIsoWeek(int64_t seconds)
{
    const int64_t start = OraIsoYearStart(OraIsoYear(seconds));
    return static_cast<int>((StartOfDay(seconds) - start) / (7 * kSecondsPerDay)) + 1;
}

bool EncodeOracleDate(int64_t seconds, unsigned char out[7])
{
    if (!InRange(seconds))
        return false;
    const OraDateParts p = OraPartsFromDate(seconds);
    if (p.year > 0) {
        out[0] = static_cast<unsigned char>(p.year / 100 + 100);
        out[1] = static_cast<unsigned char>(p.year % 100 + 100);
    } else {
        out[0] = static_cast<unsigned char>(100 - (-p.year) / 100);
        out[1] = static_cast<unsigned char>(100 - (-p.year) % 100);
    }
    out[2] = static_cast<unsigned char>(p.month);
    out[3] = static_cast<unsigned char>(p.day);
    out[4] = static_cast<unsigned char>(p.hour + 1);
    out[5] = static_cast<unsigned char>(p.minute + 1);
    out[6] = static_cast<unsigned char>(p.second + 1);
    return true;
}

bool DecodeOracleDate(const unsigned char in[7], int64_t* seconds)
{
    const int c = in[0];
    const int y = in[1];
    int year;
    if (c >= 100 && y >= 100) {
        if (y > 199)
            return false;
        year = (c - 100) * 100 + (y - 100);
    } else if (c <= 100 && y <= 100) {
        year = -((100 - c) * 100 + (100 - y));
    } else {
        return false;
    }
    OraDateParts p;
    p.year = year;
    p.month = in[2];
    p.day = in[3];
    p.hour = in[4] - 1;
    p.minute = in[5] - 1;
    p.second = in[6] - 1;
    return OraDateFromParts(p, seconds);
}

int OraAddMonths(int64_t date, int64_t months, int64_t* result)
{
    const OraDateParts p = OraPartsFromDate(date);
    if (months > 200000 || months < -200000)
        return 1841;
    const int64_t index = static_cast<int64_t>(Astro(p.year)) * 12 + (p.month - 1) + months;
    const int astroYear = static_cast<int>(FloorDiv(index, 12));
    const int month = static_cast<int>(index - static_cast<int64_t>(astroYear) * 12) + 1;
    const int year = FromAstro(astroYear);
    if (year < -4712 || year > 9999)
        return 1841;
    const int last = DaysInMonth(year, month);
    const int day = (p.day == DaysInMonth(p.year, p.month) || p.day > last) ? last : p.day;
    const int64_t r = DateOf(year, month, day) + OraSecondOfDay(date);
    if (!InRange(r))
        return 1841;
    *result = r;
    return 0;
}

int64_t OraLastDay(int64_t date)
{
    const OraDateParts p = OraPartsFromDate(date);
    return DateOf(p.year, p.month, DaysInMonth(p.year, p.month)) + OraSecondOfDay(date);
}

int OraNextDay(int64_t date, const std::string& dayName, int64_t* result)
{
    std::string name;
    for (char c : dayName)
        name += VkAsciiToUpper(c);
    const size_t first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return 1846;
    name = name.substr(first);
    if (name.size() < 3)
        return 1846;
    int target = -1;
    for (int d = 0; d < 7 && target < 0; ++d) {
        const std::string full = kOraDayNames[d];
        // The abbreviation decides; Oracle ignores whatever follows it.
        if (name.compare(0, 3, full, 0, 3) == 0)
            target = d;
    }
    if (target < 0)
        return 1846;
    int delta = (target - OraWeekday(date) + 7) % 7;
    if (delta == 0)
        delta = 7;
    const int64_t r = date + delta * kSecondsPerDay;
    if (!InRange(r))
        return 1841;
    *result = r;
    return 0;
}

double OraMonthsBetween(int64_t date1, int64_t date2)
{
    const OraDateParts a = OraPartsFromDate(date1);
    const OraDateParts b = OraPartsFromDate(date2);
    const double months = (Astro(a.year) - Astro(b.year)) * 12.0 + (a.month - b.month);
    const bool aLast = a.day == DaysInMonth(a.year, a.month);
    const bool bLast = b.day == DaysInMonth(b.year, b.month);
    if (a.day == b.day || (aLast && bLast))
        return months;
    const double secA = a.day * 86400.0 + OraSecondOfDay(date1);
    const double secB = b.day * 86400.0 + OraSecondOfDay(date2);
    return months + (secA - secB) / (31.0 * 86400.0);
}

namespace {

int64_t TruncTo(Unit unit, int64_t date)
{
    const OraDateParts p = OraPartsFromDate(date);
    const int64_t day = StartOfDay(date);
    switch (unit) {
    case Unit::Century:
        return DateOf(CenturyStart(p.year), 1, 1);
    case Unit::Year:
        return DateOf(p.year, 1, 1);
    case Unit::IsoYear:
        return OraIsoYearStart(OraIsoYear(date));
    case Unit::Quarter:
        return DateOf(p.year, (p.month - 1) / 3 * 3 + 1, 1);
    case Unit::Month:
        return DateOf(p.year, p.month, 1);
    case Unit::Week: {
        const int64_t jan1 = DateOf(p.year, 1, 1);
        return jan1 + (day - jan1) / (7 * kSecondsPerDay) * 7 * kSecondsPerDay;
    }
    case Unit::IsoWeek:
        return day - ((OraWeekday(date) + 6) % 7) * kSecondsPerDay;
    case Unit::MonthWeek: {
        const int64_t first = DateOf(p.year, p.month, 1);
        return first + (day - first) / (7 * kSecondsPerDay) * 7 * kSecondsPerDay;
    }
    case Unit::Day:
        return day;
    case Unit::WeekDay:
        return day - OraWeekday(date) * kSecondsPerDay;
    case Unit::Hour:
        return day + p.hour * 3600;
    case Unit::Minute:
        return day + p.hour * 3600 + p.minute * 60;
    case Unit::None:
        break;
    }
    return date;
}

int64_t RoundTo(Unit unit, int64_t date)
{
    const OraDateParts p = OraPartsFromDate(date);
    const int64_t start = TruncTo(unit, date);
    const int64_t halfWeek = 7 * kSecondsPerDay / 2;
    auto nextYear = [](int y) { return y == -1 ? 1 : y + 1; };
    switch (unit) {
    case Unit::Century: {
        const int cs = CenturyStart(p.year);
        const int offset = p.year > 0 ? p.year - cs : Astro(p.year) - Astro(cs);
        return offset >= 50 ? DateOf(NextCenturyStart(cs), 1, 1) : start;
    }
    case Unit::Year:
        return p.month >= 7 ? DateOf(nextYear(p.year), 1, 1) : start;
    case Unit::IsoYear:
        return OraIsoYearStart(p.month >= 7 ? nextYear(p.year) : p.year);
    case Unit::Quarter: {
        const int qm = (p.month - 1) / 3 * 3 + 1;
        if (p.month > qm + 1 || (p.month == qm + 1 && p.day >= 16))
            return qm == 10 ? DateOf(nextYear(p.year), 1, 1) : DateOf(p.year, qm + 3, 1);
        return start;
    }
    case Unit::Month:
        if (p.day >= 16)
            return p.month == 12 ? DateOf(nextYear(p.year), 1, 1) : DateOf(p.year, p.month + 1, 1);
        return start;
    case Unit::Week: {
        if (date - start < halfWeek)
            return start;
        const int64_t nextJan1 = DateOf(nextYear(p.year), 1, 1);
        return std::min(start + 7 * kSecondsPerDay, nextJan1);
    }
    case Unit::MonthWeek: {
        if (date - start < halfWeek)
            return start;
        const int64_t nextFirst =
            p.month == 12 ? DateOf(nextYear(p.year), 1, 1) : DateOf(p.year, p.month + 1, 1);
        return std::min(start + 7 * kSecondsPerDay, nextFirst);
    }
    case Unit::IsoWeek:
    case Unit::WeekDay:
        return date - start >= halfWeek ? start + 7 * kSecondsPerDay : start;
    case Unit::Day:
        return p.hour >= 12 ? start + kSecondsPerDay : start;
    case Unit::Hour:
        return p.minute >= 30 ? start + 3600 : start;
    case Unit::Minute:
        return p.second >= 30 ? start + 60 : start;
    case Unit::None:
        break;
    }
    return date;
}

} // namespace

int OraRoundDate(int64_t date, const std::string& fmt, int64_t* result)
{
    int err = 0;
    const Unit unit = UnitOf(fmt, &err);
    if (err)
        return err;
    const int64_t r = RoundTo(unit, date);
    if (!InRange(r))
        return 1841;
    *result = r;
    return 0;
}

int OraTruncDate(int64_t date, const std::string& fmt, int64_t* result)
{
    int err = 0;
    const Unit unit = UnitOf(fmt, &err);
    if (err)
        return err;
    const int64_t r = TruncTo(unit, date);
    if (!InRange(r))
        return 1841;
    *result = r;
    return 0;
}

} // namespace VkOracle
