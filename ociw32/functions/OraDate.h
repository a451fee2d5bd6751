#pragma once
// Oracle DATE values: seconds since 1970-01-01 00:00:00 (proleptic Gregorian,
// one-second resolution, years -4712..9999 without a year 0), their civil
// fields, the 7-byte external form and the calendar functions built on them.
//
// Oracle itself switches to the Julian calendar before 1582-10-15; we keep the
// Gregorian rules throughout, so only dates before that day differ from Oracle's.
// Functions that can fail return 0 or an Oracle error code (1841 when a result
// leaves the supported range).

#include <cstdint>
#include <string>

namespace VkOracle {

constexpr int64_t kSecondsPerDay = 86400;

// Civil fields of a DATE. `year` counts as Oracle does: -1 is 1 BC, no year 0.
struct OraDateParts {
    int year = 1970;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

constexpr int64_t kOraDateMin = -210831897600; // -4712-01-01 00:00:00
constexpr int64_t kOraDateMax = 253402300799;  // 9999-12-31 23:59:59

bool IsValidOraDate(int64_t seconds);
bool IsLeapYear(int year);              // Oracle year numbering
int DaysInMonth(int year, int month);   // 0 for a month outside 1..12
int DaysInYear(int year);

// Days since 1970-01-01 of a civil day (no validation) and back.
int64_t OraDaysFromCivil(int year, int month, int day);
void OraCivilFromDays(int64_t days, int* year, int* month, int* day);

// Validates every field and the range; false when any is out of bounds.
bool OraDateFromParts(const OraDateParts& parts, int64_t* seconds);
OraDateParts OraPartsFromDate(int64_t seconds);

int64_t OraDayNumber(int64_t seconds);       // days since 1970-01-01, floored
int OraSecondOfDay(int64_t seconds);         // 0..86399
int OraWeekday(int64_t seconds);             // 0 = Sunday .. 6 = Saturday
int OraDayOfYear(int64_t seconds);           // 1..366
int64_t OraJulianDay(int64_t seconds);       // 2000-01-01 = 2451545
int64_t OraDateFromJulianDay(int64_t julian);
int OraIsoYear(int64_t seconds);             // year the ISO week belongs to
int OraIsoWeek(int64_t seconds);             // 1..53
int64_t OraIsoYearStart(int year);           // Monday of ISO week 1, as a DATE

// The 7-byte external DATE (type 12): century+100, year+100, month, day,
// hour+1, minute+1, second+1; BC years store 100 minus the value.
bool EncodeOracleDate(int64_t seconds, unsigned char out[7]);
bool DecodeOracleDate(const unsigned char in[7], int64_t* seconds);

// ADD_MONTHS: month-end and shorter-month days go to the target month's end.
int OraAddMonths(int64_t date, int64_t months, int64_t* result);
int64_t OraLastDay(int64_t date);
// NEXT_DAY: `dayName` is an English day name or its abbreviation (any case,
// extra trailing characters ignored). 1846 when it names no day.
int OraNextDay(int64_t date, const std::string& dayName, int64_t* result);
double OraMonthsBetween(int64_t date1, int64_t date2);
// ROUND/TRUNC(date, fmt) for every unit format; 1899 for a format element that
// is no unit (SS, AM, ...), 1821 for text that is no format at all.
int OraRoundDate(int64_t date, const std::string& fmt, int64_t* result);
int OraTruncDate(int64_t date, const std::string& fmt, int64_t* result);

// Day names and month names in English, upper case; index 0 = Sunday/January.
extern const char* const kOraDayNames[7];
extern const char* const kOraMonthNames[12];

} // namespace VkOracle
