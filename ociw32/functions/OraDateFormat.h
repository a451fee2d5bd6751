#pragma once
// Oracle date format models: TO_CHAR(date, fmt) and TO_DATE(text, fmt).
//
// Elements: SYYYY YYYY Y,YYY YYY YY Y IYYY IYY IY I RRRR RR SYEAR YEAR SCC CC Q
// MONTH MON MM RM WW IW W DDD DD D DAY DY J HH HH12 HH24 MI SS SSSSS AM PM A.M.
// P.M. AD BC A.D. B.C., the FM and FX toggles, TH/SP/SPTH suffixes on numbers,
// punctuation and "quoted text". Names are English; word case follows the
// element ("Mon" gives "Jan", "MON" gives "JAN", "mon" gives "jan").
//
// Input rules follow Oracle's lenient matching unless FX is on: any
// punctuation matches any punctuation, separators may be left out when the
// numbers have all their digits, trailing elements may be missing (their
// fields keep the defaults: current year and month, day 1, midnight), MM also
// takes a month name, YY and RR also take a four-digit year.

#include <cstdint>
#include <string>

namespace VkOracle {

// The session default (NLS_DATE_FORMAT).
constexpr const char* kOraDefaultDateFormat = "DD-MON-RR";

// TO_CHAR(date, fmt). On failure returns false with *errorCode set (1821 for
// an unknown element, 1841 for a date out of range); errorCode may be null.
bool FormatOracleDate(int64_t seconds, const std::string& fmt, std::string* out, int* errorCode);
// Convenience form: the text, or empty on failure.
std::string FormatOracleDate(int64_t seconds, const std::string& fmt);

// TO_DATE(text, fmt) with `now` supplying the default year and month and the
// century for YY and RR. On failure returns false with *errorCode set to the
// Oracle error (1830, 1843, 1847, 1858, 1861, 1839, 1841, 1821, ...).
bool ParseOracleDate(const std::string& text, const std::string& fmt, int64_t now,
                     int64_t* seconds, int* errorCode);
// Same, with `now` from the process clock (OracleNow()).
bool ParseOracleDate(const std::string& text, const std::string& fmt, int64_t* seconds,
                     int* errorCode);

// A number in English words, upper case ("TWENTY-ONE"); 0..999999999.
std::string SpellOracleNumber(int64_t n);

} // namespace VkOracle
