#pragma once
// ASCII classification, case mapping and trimming for identifiers, keywords,
// SQL text, command words and configuration text. <cctype> (toupper, isalpha,
// strcasecmp, ...) follows the process locale, which the program takes from
// the environment: in a Turkish locale toupper('i') stays 'i', so "scott"
// would never match "SCOTT". These never look at the locale. Bytes outside
// ASCII are left as they are and are neither letters, digits nor blanks.
// Data that Oracle case-maps (UPPER() on a column) goes through
// ociw32/functions/OraText.h instead.

#include <string>
#include <string_view>

constexpr bool VkIsAsciiUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool VkIsAsciiLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool VkIsAsciiAlpha(char c) { return VkIsAsciiUpper(c) || VkIsAsciiLower(c); }
constexpr bool VkIsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool VkIsAsciiAlnum(char c) { return VkIsAsciiAlpha(c) || VkIsAsciiDigit(c); }
constexpr bool VkIsAsciiHexDigit(char c)
{
    return VkIsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
// Blank, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool VkIsAsciiSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr char VkAsciiToUpper(char c) { return VkIsAsciiLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char VkAsciiToLower(char c) { return VkIsAsciiUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }

inline std::string VkAsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = VkAsciiToUpper(c);
    return out;
}

inline std::string VkAsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = VkAsciiToLower(c);
    return out;
}

// The text without leading and trailing ASCII white space.
inline std::string VkAsciiTrim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && VkIsAsciiSpace(s[b]))
        ++b;
    while (e > b && VkIsAsciiSpace(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

// Equal when ASCII letters are compared without case (strcasecmp without the
// locale).
constexpr bool VkAsciiEqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (VkAsciiToUpper(a[i]) != VkAsciiToUpper(b[i]))
            return false;
    }
    return true;
}
