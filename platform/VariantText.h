#pragma once
// Text forms of automation numbers, booleans and dates, used by the
// VARIANT conversions. Texts are UTF-8; lcid picks the user's locale
// (QLocale()) or, for LOCALE_INVARIANT, the C locale.

#include "platform/WinTypes.h"

#include <string>
#include <string_view>

// A number read from text: exact when it is an integer that fits in 64
// bits (then negative/magnitude hold it), always as a double in value.
struct VkParsedNumber {
    bool exact = false;
    bool negative = false;
    ULONGLONG magnitude = 0;
    double value = 0;
};

// Blanks around, a leading sign or enclosing parentheses (negative), group
// separators in the integer part, the locale's decimal separator, an
// exponent, or &H / &O followed by hexadecimal / octal digits.
// DISP_E_TYPEMISMATCH for anything else, DISP_E_OVERFLOW beyond a double.
HRESULT VkParseNumberText(std::string_view text, LCID lcid, VkParsedNumber* out);
// At most `digits` significant digits, the locale's decimal separator, the
// exponent form ("1E+20") for very large or small magnitudes.
std::string VkFormatRealText(double value, int digits, LCID lcid);
// "True"/"False" in any case, or a number (non-zero is true).
HRESULT VkParseBoolText(std::string_view text, LCID lcid, VARIANT_BOOL* out);
// The locale's short date (four-digit year) and long time; the date alone
// when there is no time of day, the time alone on day 0 (30 Dec 1899).
// VAR_DATEVALUEONLY / VAR_TIMEVALUEONLY force one part. E_INVALIDARG for
// dates outside the automation range.
HRESULT VkFormatDateText(DATE date, LCID lcid, WORD flags, std::string* out);
// A date, a time, or both, in the locale's formats (short or long date,
// two- or four-digit years, with or without seconds) or ISO 8601.
// Two-digit years 00-29 are 2000-2029, 30-99 are 1930-1999.
HRESULT VkParseDateText(std::string_view text, LCID lcid, DATE* out);
