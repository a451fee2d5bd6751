#pragma once
// Numbers as text in one form in every locale. strtod, atof and printf use the
// decimal point of LC_NUMERIC, which the program takes from the environment:
// in a Turkish or German locale strtod reads "1.5" as 1 and printf writes 0.5
// as "0,5". SQL text, Oracle's number texts and stored values go through these.

#include <charconv>
#include <clocale>
#include <cstdlib>
#include <string>

// strtod as in the C locale: leading blanks, a sign, digits with '.', an
// exponent; *end (when given) is where reading stopped. Returns 0 when nothing
// could be read, and +-HUGE_VAL with errno ERANGE on overflow, as strtod does.
inline double VkStrtod(const char* text, char** end = nullptr)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(0));
    return strtod_l(text, end, cLocale);
}

// printf's "%.<precision>e" (scientific), "%.<precision>f" (fixed) or
// "%.<precision>g" (general), always with '.'; empty when the text would not
// fit in 400 characters.
inline std::string VkFormatDouble(double value, std::chars_format format, int precision)
{
    char buf[400];
    const auto result = std::to_chars(buf, buf + sizeof buf, value, format, precision);
    if (result.ec != std::errc())
        return {};
    return std::string(buf, result.ptr);
}
