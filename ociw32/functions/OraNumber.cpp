#include "ociw32/functions/OraNumber.h"

#include "platform/VkAscii.h"
#include "platform/VkNumberText.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace VkOracle {

namespace {

// |value| = 0.d1d2d3... x 10^exp; digits has no trailing zeros, empty for zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exp = 0;
};

void StripTrailingZeros(Decimal* d)
{
    while (!d->digits.empty() && d->digits.back() == '0')
        d->digits.pop_back();
    if (d->digits.empty()) {
        d->exp = 0;
        d->negative = false;
    }
}

Decimal ToDecimal(const OraNum& v)
{
    Decimal d;
    if (v.isInt) {
        d.negative = v.i < 0;
        const uint64_t mag = d.negative ? 0 - static_cast<uint64_t>(v.i) : static_cast<uint64_t>(v.i);
        d.digits = std::to_string(mag);
        if (mag == 0)
            d.digits.clear();
        d.exp = static_cast<int>(d.digits.size());
    } else {
        if (!std::isfinite(v.d) || v.d == 0.0)
            return d;
        const std::string text = VkFormatDouble(v.d, std::chars_format::scientific, 14);
        const char* p = text.c_str();
        if (*p == '-') {
            d.negative = true;
            ++p;
        }
        for (; *p && *p != 'e'; ++p)
            if (VkIsAsciiDigit(*p))
                d.digits += *p;
        d.exp = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
    }
    StripTrailingZeros(&d);
    return d;
}

OraNum FromDecimal(const Decimal& d)
{
    if (d.digits.empty())
        return OraNumFromInt(0);
    if (d.exp >= static_cast<int>(d.digits.size()) && d.exp <= 19) {
        uint64_t v = 0;
        bool overflow = false;
        for (int k = 0; k < d.exp && !overflow; ++k) {
            const uint64_t digit = k < static_cast<int>(d.digits.size()) ? d.digits[k] - '0' : 0;
            overflow = __builtin_mul_overflow(v, uint64_t(10), &v) || __builtin_add_overflow(v, digit, &v);
        }
        const uint64_t limit = d.negative ? uint64_t(1) << 63 : (uint64_t(1) << 63) - 1;
        if (!overflow && v <= limit)
            return OraNumFromInt(d.negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v));
    }
    const std::string text = (d.negative ? "-0." : "0.") + d.digits + "e" + std::to_string(d.exp);
    return OraNumFromDouble(VkStrtod(text.c_str()));
}

// Keeps `places` digits after the decimal point.
void RoundDecimal(Decimal* d, int places, bool truncate)
{
    const long keep = static_cast<long>(d->exp) + places;
    if (keep >= static_cast<long>(d->digits.size()))
        return;
    if (keep < 0) {
        d->digits.clear();
        StripTrailingZeros(d);
        return;
    }
    const bool up = !truncate && d->digits[keep] >= '5';
    d->digits.resize(keep);
    if (up) {
        long k = keep - 1;
        while (k >= 0 && d->digits[k] == '9')
            d->digits[k--] = '0';
        if (k >= 0) {
            ++d->digits[k];
        } else {
            d->digits.insert(d->digits.begin(), '1');
            ++d->exp;
        }
    }
    StripTrailingZeros(d);
}

// Integer and fraction digit strings of |d|: "" for a zero integer part.
void SplitDecimal(const Decimal& d, std::string* intPart, std::string* fracPart)
{
    intPart->clear();
    fracPart->clear();
    const int n = static_cast<int>(d.digits.size());
    for (int k = 0; k < d.exp; ++k)
        *intPart += k < n ? d.digits[k] : '0';
    if (d.exp < 0)
        fracPart->append(-d.exp, '0');
    for (int k = d.exp < 0 ? 0 : d.exp; k < n; ++k)
        *fracPart += d.digits[k];
}

std::string Scientific(double v, int fracDigits)
{
    return VkAsciiUpper(VkFormatDouble(v, std::chars_format::scientific, fracDigits));
}

// A number format model taken apart.
struct Model {
    bool fm = false, blankZero = false, dollar = false, local = false, iso = false;
    bool signLead = false, signTrail = false, mi = false, pr = false;
    bool eeee = false, roman = false, romanLower = false, tm = false, tmSci = false;
    bool hexLower = false;
    int hex = 0;               // X count (plus leading zeros)
    bool hexZeros = false;     // "0XX": pad with zeros
    std::string intLayout;     // '9', '0' and ',' before the decimal point
    bool point = false;
    std::string fracLayout;    // '9' and '0' after it
    int vDigits = 0;           // digits after V
};

int ParseModel(const std::string& fmtIn, Model* m)
{
    const std::string f = VkAsciiUpper(fmtIn);
    size_t i = 0;
    bool afterV = false;
    auto at = [&](const char* s) { return f.compare(i, std::char_traits<char>::length(s), s) == 0; };
    while (i < f.size()) {
        const char c = f[i];
        if (at("FM")) { m->fm = true; i += 2; continue; }
        if (at("TM")) {
            m->tm = true;
            i += 2;
            if (i < f.size() && (f[i] == '9' || f[i] == 'E')) {
                m->tmSci = f[i] == 'E';
                ++i;
            }
            if (i != f.size())
                return 1481;
            continue;
        }
        if (at("EEEE")) { m->eeee = true; i += 4; continue; }
        if (at("RN")) { m->roman = true; m->romanLower = fmtIn[i] == 'r'; i += 2; continue; }
        if (at("MI")) {
            if (i + 2 != f.size()) return 1481;
            m->mi = true; i += 2; continue;
        }
        if (at("PR")) {
            if (i + 2 != f.size()) return 1481;
            m->pr = true; i += 2; continue;
        }
        switch (c) {
        case 'S':
            if (i == 0 || (i == 2 && m->fm)) m->signLead = true;
            else if (i + 1 == f.size()) m->signTrail = true;
            else return 1481;
            break;
        case '$': m->dollar = true; break;
        case 'L': m->local = true; break;
        case 'C': m->iso = true; break;
        case 'B': m->blankZero = true; break;
        case 'X': m->hex++; m->hexLower = fmtIn[i] == 'x'; break;
        case 'V': if (afterV || m->point) return 1481; afterV = true; break;
        case '.':
        case 'D':
            if (m->point || afterV) return 1481;
            m->point = true;
            break;
        case ',':
        case 'G':
            if (m->point || m->intLayout.empty()) return 1481;
            m->intLayout += ',';
            break;
        case '9':
        case '0':
            if (m->hex) {
                if (c != '0')
                    return 1481;
                m->hex++;
                m->hexZeros = true;
                break;
            }
            if (afterV) {
                m->vDigits++;
                m->intLayout += c; // shown as integer digits of the scaled value
            } else if (m->point) m->fracLayout += c;
            else m->intLayout += c;
            break;
        default:
            return 1481;
        }
        ++i;
    }
    if (m->hex && m->intLayout.find_first_not_of('0') == std::string::npos) {
        m->hexZeros = m->hexZeros || !m->intLayout.empty();
        m->hex += static_cast<int>(m->intLayout.size()); // leading zeros of "0XX"
        m->intLayout.clear();
    }
    if ((m->roman || m->hex) && (m->point || !m->intLayout.empty()))
        return 1481;
    if ((m->signLead || m->signTrail) + m->mi + m->pr > 1)
        return 1481;
    return 0;
}

std::string Hashes(size_t width) { return std::string(width ? width : 1, '#'); }

std::string Roman(int64_t v)
{
    static const struct { int value; const char* text; } parts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"},
        {50, "L"}, {40, "XL"}, {10, "X"}, {9, "IX"}, {5, "V"}, {4, "IV"}, {1, "I"}};
    std::string out;
    for (const auto& p : parts)
        while (v >= p.value) {
            out += p.text;
            v -= p.value;
        }
    return out;
}

std::string TrimSpaces(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos)
        return "";
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

} // namespace

OraNum OraNumFromDouble(double value)
{
    // (NaN and the infinities fail the range test; no floor() call per value)
    if (value > -9.2e18 && value < 9.2e18) {
        const int64_t i = static_cast<int64_t>(value);
        if (static_cast<double>(i) == value)
            return OraNumFromInt(i);
    }
    return OraNum{false, 0, value};
}

std::string FormatOracleNumber(const OraNum& value)
{
    if (value.isInt)
        return std::to_string(value.i);
    if (std::isnan(value.d))
        return "NaN";
    if (std::isinf(value.d))
        return value.d > 0 ? "~" : "-~";
    const Decimal d = ToDecimal(value);
    if (d.digits.empty())
        return "0";
    std::string intPart, fracPart;
    SplitDecimal(d, &intPart, &fracPart);
    std::string text = intPart;
    if (!fracPart.empty())
        text += "." + fracPart;
    if (text.size() > 40) {
        // Oracle switches to five significant digits in scientific notation.
        return Scientific(value.d, 4);
    }
    return (d.negative ? "-" : "") + text;
}

std::string FormatOracleNumber(double value) { return FormatOracleNumber(OraNumFromDouble(value)); }
std::string FormatOracleNumber(int64_t value) { return std::to_string(value); }

bool ParseOracleNumber(const std::string& text, OraNum* value)
{
    size_t i = 0, n = text.size();
    while (i < n && VkIsAsciiSpace(text[i]))
        ++i;
    while (n > i && VkIsAsciiSpace(text[n - 1]))
        --n;
    const std::string s = text.substr(i, n - i);
    size_t k = 0;
    if (k < s.size() && (s[k] == '+' || s[k] == '-'))
        ++k;
    int digits = 0;
    bool fractional = false;
    while (k < s.size() && VkIsAsciiDigit(s[k]))
        ++k, ++digits;
    if (k < s.size() && s[k] == '.') {
        fractional = true;
        ++k;
        while (k < s.size() && VkIsAsciiDigit(s[k]))
            ++k, ++digits;
    }
    if (digits == 0)
        return false;
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        fractional = true;
        ++k;
        if (k < s.size() && (s[k] == '+' || s[k] == '-'))
            ++k;
        int expDigits = 0;
        while (k < s.size() && VkIsAsciiDigit(s[k]))
            ++k, ++expDigits;
        if (expDigits == 0)
            return false;
    }
    if (k != s.size())
        return false;
    if (!fractional) {
        errno = 0;
        const long long v = std::strtoll(s.c_str(), nullptr, 10);
        if (errno == 0) {
            *value = OraNumFromInt(v);
            return true;
        }
    }
    const double d = VkStrtod(s.c_str());
    if (!std::isfinite(d))
        return false;
    *value = OraNumFromDouble(d);
    return true;
}

int FormatOracleNumberModel(const OraNum& value, const std::string& fmt, std::string* out)
{
    Model m;
    if (int err = ParseModel(fmt, &m))
        return err;
    if (m.tm) {
        if (m.tmSci) {
            // Shortest scientific form: as many digits as the value has.
            const Decimal d = ToDecimal(value);
            if (d.digits.empty()) {
                *out = "0E+00";
                return 0;
            }
            char exp[16];
            std::snprintf(exp, sizeof exp, "E%+03d", d.exp - 1);
            *out = (d.negative ? "-" : "") + d.digits.substr(0, 1) +
                   (d.digits.size() > 1 ? "." + d.digits.substr(1) : "") + exp;
        } else
            *out = FormatOracleNumber(value);
        return 0;
    }
    if (m.roman) {
        const OraNum r = OraRoundNumber(value, 0);
        const int64_t v = r.isInt ? r.i : 0;
        std::string s = (v >= 1 && v <= 3999) ? Roman(v) : Hashes(15);
        if (m.romanLower)
            for (char& c : s)
                c = VkAsciiToLower(c);
        *out = m.fm ? s : std::string(15 - std::min<size_t>(15, s.size()), ' ') + s;
        return 0;
    }
    if (m.hex) {
        const OraNum r = OraRoundNumber(value, 0);
        const size_t width = static_cast<size_t>(m.hex) + 1;
        if (!r.isInt || r.i < 0) {
            *out = Hashes(width);
            return 0;
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, m.hexLower ? "%llx" : "%llX", static_cast<unsigned long long>(r.i));
        std::string s = buf;
        if (s.size() > static_cast<size_t>(m.hex)) {
            *out = Hashes(width);
            return 0;
        }
        if (m.hexZeros)
            s = std::string(static_cast<size_t>(m.hex) - s.size(), '0') + s;
        *out = m.fm ? s : std::string(width - s.size(), ' ') + s;
        return 0;
    }

    // Width of the text without FM, also the width of an overflow.
    const size_t sym = (m.dollar || m.local ? 1 : 0) + (m.iso ? 3 : 0);
    const size_t signWidth = m.pr ? 2 : 1;
    const size_t layoutWidth = m.intLayout.size() + (m.point ? 1 : 0) + m.fracLayout.size() +
                               (m.eeee ? 4 : 0);
    const size_t width = layoutWidth + sym + signWidth;

    double scaled = value.AsDouble();
    OraNum v = value;
    if (m.vDigits) {
        scaled *= std::pow(10.0, m.vDigits);
        v = OraRoundNumber(OraNumFromDouble(scaled), 0);
    }
    std::string body;
    bool negative = false;
    if (m.eeee) {
        if (m.intLayout.empty())
            return 1481;
        const int frac = static_cast<int>(m.fracLayout.size());
        std::string s = Scientific(v.AsDouble(), frac);
        negative = !s.empty() && s[0] == '-';
        if (negative)
            s.erase(0, 1);
        if (!m.point && frac == 0) {
            const size_t dot = s.find('.');
            if (dot != std::string::npos)
                s.erase(dot, 1);
        }
        body = std::string(m.intLayout.size() > 1 ? m.intLayout.size() - 1 : 0, ' ') + s;
    } else {
        Decimal d = ToDecimal(v);
        RoundDecimal(&d, static_cast<int>(m.fracLayout.size()), false);
        negative = d.negative;
        std::string intDigits, fracDigits;
        SplitDecimal(d, &intDigits, &fracDigits);
        fracDigits.resize(m.fracLayout.size(), '0');
        size_t positions = 0;
        for (char c : m.intLayout)
            positions += c != ',';
        if (intDigits.size() > positions) {
            *out = Hashes(width);
            return 0;
        }
        if (m.blankZero && d.digits.empty()) {
            *out = m.fm ? "" : std::string(width, ' ');
            return 0;
        }
        const size_t firstZero = m.intLayout.find('0');
        // Zero value without fraction positions still shows one digit.
        const bool showZero = intDigits.empty() && fracDigits.empty() && firstZero == std::string::npos;
        std::string intText(m.intLayout.size(), ' ');
        const size_t lastPos = m.intLayout.find_last_not_of(',');
        long di = static_cast<long>(intDigits.size()) - 1;
        for (long k = static_cast<long>(m.intLayout.size()) - 1; k >= 0; --k) {
            if (m.intLayout[k] == ',')
                continue;
            if (di >= 0)
                intText[k] = intDigits[di--];
            else if (firstZero != std::string::npos && static_cast<size_t>(k) >= firstZero)
                intText[k] = '0';
            else if (showZero && static_cast<size_t>(k) == lastPos)
                intText[k] = '0';
        }
        for (size_t k = 0; k < m.intLayout.size(); ++k)
            if (m.intLayout[k] == ',') {
                bool digitLeft = false;
                for (size_t j = 0; j < k; ++j)
                    digitLeft |= intText[j] != ' ' && intText[j] != ',';
                intText[k] = digitLeft ? ',' : ' ';
            }
        std::string fracText;
        if (m.point) {
            fracText = fracDigits;
            if (m.fm) {
                size_t keep = fracText.size();
                while (keep > 0 && m.fracLayout[keep - 1] == '9' && fracText[keep - 1] == '0')
                    --keep;
                fracText.resize(keep);
            }
            fracText = "." + fracText;
        }
        body = intText + fracText;
    }

    // Currency and a leading sign float next to the first printed character.
    const size_t lead = body.find_first_not_of(' ');
    const std::string blanks = body.substr(0, lead == std::string::npos ? body.size() : lead);
    const std::string digits = lead == std::string::npos ? "" : body.substr(lead);
    std::string prefix;
    if (m.signLead)
        prefix += negative ? '-' : '+';
    else if (!m.signTrail && !m.mi && !m.pr && negative)
        prefix += '-';
    if (m.pr && negative)
        prefix += '<';
    if (m.dollar || m.local)
        prefix += '$';
    if (m.iso)
        prefix += "USD";
    std::string suffix;
    if (m.signTrail)
        suffix = negative ? "-" : "+";
    else if (m.mi)
        suffix = negative ? "-" : " ";
    else if (m.pr)
        suffix = negative ? ">" : " ";
    std::string text = prefix + digits + suffix;
    if (m.fm) {
        *out = TrimSpaces(blanks + text);
        return 0;
    }
    *out = text.size() < width ? std::string(width - text.size(), ' ') + text : text;
    return 0;
}

int ParseOracleNumberModel(const std::string& textIn, const std::string& fmt, OraNum* value)
{
    Model m;
    if (int err = ParseModel(fmt, &m))
        return err;
    std::string s = TrimSpaces(textIn);
    if (m.hex) {
        if (s.empty() || s.size() > static_cast<size_t>(m.hex))
            return 1722;
        uint64_t v = 0;
        for (char c : s) {
            if (!VkIsAsciiHexDigit(c) || v >> 60)
                return 1722;
            v = v * 16 + static_cast<uint64_t>(VkIsAsciiDigit(c)
                                                   ? c - '0'
                                                   : VkAsciiToUpper(c) - 'A' + 10);
        }
        *value = v <= static_cast<uint64_t>(INT64_MAX) ? OraNumFromInt(static_cast<int64_t>(v))
                                                       : OraNumFromDouble(static_cast<double>(v));
        return 0;
    }
    if (m.tm || m.roman)
        return ParseOracleNumber(s, value) ? 0 : 1722;
    bool negative = false;
    if (m.pr && s.size() >= 2 && s.front() == '<' && s.back() == '>') {
        negative = true;
        s = s.substr(1, s.size() - 2);
    } else if ((m.mi || m.signTrail) && !s.empty() && (s.back() == '-' || s.back() == '+')) {
        negative = s.back() == '-';
        s.pop_back();
    } else if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.erase(0, 1);
    }
    if ((m.dollar || m.local) && !s.empty() && s.front() == '$')
        s.erase(0, 1);
    std::string clean;
    int intDigits = 0, fracDigits = 0;
    bool point = false;
    for (size_t k = 0; k < s.size(); ++k) {
        const char c = s[k];
        if (VkIsAsciiDigit(c)) {
            (point ? fracDigits : intDigits)++;
            clean += c;
        } else if (c == ',' && m.intLayout.find(',') != std::string::npos && !point) {
            continue;
        } else if (c == '.' && m.point && !point) {
            point = true;
            clean += c;
        } else if ((c == 'E' || c == 'e') && m.eeee) {
            clean += s.substr(k);
            break;
        } else {
            return 1722;
        }
    }
    size_t positions = 0;
    for (char c : m.intLayout)
        positions += c != ',';
    if (!m.eeee && (static_cast<size_t>(intDigits) > positions ||
                    static_cast<size_t>(fracDigits) > m.fracLayout.size()))
        return 1722;
    OraNum v;
    if (!ParseOracleNumber((negative ? "-" : "") + clean, &v))
        return 1722;
    if (m.vDigits)
        v = OraNumFromDouble(v.AsDouble() / std::pow(10.0, m.vDigits));
    *value = v;
    return 0;
}

int EncodeOracleNumber(const OraNum& value, unsigned char out[21])
{
    if (!value.isInt && !std::isfinite(value.d))
        return 0;
    const Decimal d = ToDecimal(value);
    if (d.digits.empty()) {
        out[0] = 0x80;
        return 1;
    }
    // Align the digits to base-100 pairs around the decimal point.
    std::string digits = d.digits;
    int exp = d.exp;
    if (exp % 2 != 0) {
        digits.insert(digits.begin(), '0');
        ++exp;
    }
    if (digits.size() % 2)
        digits += '0';
    const int exponent = exp / 2 - 1;
    if (exponent > 62 || exponent < -65)
        return 0;
    int n = 0;
    out[n++] = static_cast<unsigned char>(d.negative ? 62 - exponent : 193 + exponent);
    for (size_t k = 0; k < digits.size() && n < 21; k += 2) {
        const int pair = (digits[k] - '0') * 10 + (digits[k + 1] - '0');
        out[n++] = static_cast<unsigned char>(d.negative ? 101 - pair : pair + 1);
    }
    if (d.negative && n < 21)
        out[n++] = 102;
    return n;
}

bool DecodeOracleNumber(const unsigned char* bytes, int length, OraNum* value)
{
    if (!bytes || length < 1 || length > 22)
        return false;
    if (bytes[0] == 0x80) {
        if (length != 1)
            return false;
        *value = OraNumFromInt(0);
        return true;
    }
    const bool negative = (bytes[0] & 0x80) == 0;
    int end = length;
    if (negative && end > 1 && bytes[end - 1] == 102)
        --end;
    if (end < 2 || end > 21)
        return false;
    const int exponent = negative ? 62 - bytes[0] : bytes[0] - 193;
    Decimal d;
    d.negative = negative;
    for (int k = 1; k < end; ++k) {
        const int pair = negative ? 101 - bytes[k] : bytes[k] - 1;
        if (pair < 0 || pair > 99)
            return false;
        d.digits += static_cast<char>('0' + pair / 10);
        d.digits += static_cast<char>('0' + pair % 10);
    }
    d.exp = (exponent + 1) * 2;
    // Leading zero of the first pair.
    size_t lead = 0;
    while (lead < d.digits.size() && d.digits[lead] == '0')
        ++lead;
    if (lead == d.digits.size())
        return false;
    d.digits.erase(0, lead);
    d.exp -= static_cast<int>(lead);
    StripTrailingZeros(&d);
    *value = FromDecimal(d);
    return true;
}

OraNum OraRoundNumber(const OraNum& value, int places)
{
    if (value.isInt && places >= 0)
        return value;
    if (!value.isInt && !std::isfinite(value.d))
        return value;
    Decimal d = ToDecimal(value);
    RoundDecimal(&d, places, false);
    return FromDecimal(d);
}

OraNum OraTruncNumber(const OraNum& value, int places)
{
    if (value.isInt && places >= 0)
        return value;
    if (!value.isInt && !std::isfinite(value.d))
        return value;
    Decimal d = ToDecimal(value);
    RoundDecimal(&d, places, true);
    return FromDecimal(d);
}

} // namespace VkOracle
