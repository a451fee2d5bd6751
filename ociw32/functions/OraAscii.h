#pragma once
// ASCII case mapping and white-space trimming for names, keywords and
// configuration text (Oracle identifiers, tnsnames.ora, command words).
// Column data goes through OraText.h, which knows more than ASCII.

#include <cctype>
#include <string>
#include <string_view>

namespace VkOracle {

inline std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

inline std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

inline std::string AsciiTrim(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return std::string(s.substr(b, e - b));
}

} // namespace VkOracle
