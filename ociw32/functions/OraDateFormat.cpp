#include "ociw32/functions/OraDateFormat.h"

#include "ociw32/functions/OraClock.h"
#include "ociw32/functions/OraDate.h"
#include "platform/VkAscii.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace VkOracle {

namespace {

enum class El {
    Literal, Punct, SYYYY, YYYY, YCommaYYY, YYY, YY, Y, IYYY, IYY, IY, I, RRRR, RR, SYEAR, YEAR,
    SCC, CC, Q, MONTH, MON, MM, RM, WW, IW, W, DDD, DD, DAY, DY, D, J, HH24, HH12, HH, MI, SSSSS,
    SS, AM, AMDots, AD, ADDots, FM, FX
};

enum class Case { Upper, Capital, Lower };

struct Token {
    El el = El::Literal;
    std::string text; // literal or punctuation text; the element as written otherwise
    Case wordCase = Case::Upper;
    bool th = false;
    bool sp = false;
};

struct ElementName {
    const char* name;
    El el;
};

// Longest names first where one is a prefix of another.
const ElementName kElements[] = {
    {"SYYYY", El::SYYYY}, {"SYEAR", El::SYEAR}, {"SSSSS", El::SSSSS}, {"SCC", El::SCC},
    {"SS", El::SS},       {"Y,YYY", El::YCommaYYY}, {"YYYY", El::YYYY}, {"YEAR", El::YEAR},
    {"YYY", El::YYY},     {"YY", El::YY},       {"Y", El::Y},         {"IYYY", El::IYYY},
    {"IYY", El::IYY},     {"IW", El::IW},       {"IY", El::IY},       {"I", El::I},
    {"RRRR", El::RRRR},   {"RR", El::RR},       {"RM", El::RM},       {"CC", El::CC},
    {"Q", El::Q},         {"MONTH", El::MONTH}, {"MON", El::MON},     {"MM", El::MM},
    {"MI", El::MI},       {"WW", El::WW},       {"W", El::W},         {"DDD", El::DDD},
    {"DD", El::DD},       {"DAY", El::DAY},     {"DY", El::DY},       {"D", El::D},
    {"J", El::J},         {"HH24", El::HH24},   {"HH12", El::HH12},   {"HH", El::HH},
    {"A.M.", El::AMDots}, {"P.M.", El::AMDots}, {"AM", El::AM},       {"PM", El::AM},
    {"A.D.", El::ADDots}, {"B.C.", El::ADDots}, {"AD", El::AD},       {"BC", El::AD},
    {"FM", El::FM},       {"FX", El::FX},
};

bool IsNumeric(El el)
{
    switch (el) {
    case El::SYYYY: case El::YYYY: case El::YCommaYYY: case El::YYY: case El::YY: case El::Y:
    case El::IYYY: case El::IYY: case El::IY: case El::I: case El::RRRR: case El::RR:
    case El::SCC: case El::CC: case El::Q: case El::MM: case El::WW: case El::IW: case El::W:
    case El::DDD: case El::DD: case El::D: case El::J: case El::HH24: case El::HH12: case El::HH:
    case El::MI: case El::SSSSS: case El::SS:
        return true;
    default:
        return false;
    }
}

int MaxDigits(El el)
{
    switch (el) {
    case El::SYYYY: case El::YYYY: case El::RRRR: case El::IYYY: return 4;
    case El::YCommaYYY: return 4;
    case El::YYY: case El::IYY: case El::DDD: return 3;
    case El::Y: case El::I: case El::D: case El::Q: case El::W: return 1;
    case El::J: return 7;
    case El::SSSSS: return 5;
    default: return 2;
    }
}

bool StartsWithNoCase(const std::string& s, size_t pos, const char* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (pos + i >= s.size() ||
            VkAsciiToUpper(s[pos + i]) != prefix[i])
            return false;
    }
    return true;
}

Case CaseOf(const std::string& written)
{
    std::string letters;
    for (char c : written)
        if (VkIsAsciiAlpha(c))
            letters += c;
    if (letters.empty() || VkIsAsciiLower(letters[0]))
        return letters.empty() ? Case::Upper : Case::Lower;
    if (letters.size() > 1 && VkIsAsciiLower(letters[1]))
        return Case::Capital;
    return Case::Upper;
}

std::string ApplyCase(const std::string& upper, Case c)
{
    std::string out = upper;
    bool wordStart = true;
    for (char& ch : out) {
        if (c == Case::Lower || (c == Case::Capital && !wordStart))
            ch = VkAsciiToLower(ch);
        wordStart = !VkIsAsciiAlpha(ch);
    }
    return out;
}

// Splits a format model into tokens; 1821 for text that is no element.
int Tokenize(const std::string& fmt, std::vector<Token>* tokens)
{
    size_t i = 0;
    while (i < fmt.size()) {
        const unsigned char c = static_cast<unsigned char>(fmt[i]);
        if (c == '"') {
            const size_t end = fmt.find('"', i + 1);
            if (end == std::string::npos)
                return 1821;
            tokens->push_back({El::Literal, fmt.substr(i + 1, end - i - 1)});
            i = end + 1;
            continue;
        }
        const ElementName* match = nullptr;
        if (VkIsAsciiAlpha(c)) {
            for (const ElementName& e : kElements)
                if (StartsWithNoCase(fmt, i, e.name)) {
                    match = &e;
                    break;
                }
        }
        if (!match) {
            if (VkIsAsciiAlpha(c))
                return 1821;
            tokens->push_back({El::Punct, std::string(1, fmt[i])});
            ++i;
            continue;
        }
        Token t;
        t.el = match->el;
        const size_t len = std::char_traits<char>::length(match->name);
        t.text = fmt.substr(i, len);
        t.wordCase = CaseOf(t.text);
        i += len;
        if (IsNumeric(t.el)) {
            static const char* const suffixes[] = {"SPTH", "THSP", "SP", "TH"};
            for (const char* s : suffixes)
                if (StartsWithNoCase(fmt, i, s)) {
                    const std::string sfx(s);
                    t.sp = sfx.find("SP") != std::string::npos;
                    t.th = sfx.find("TH") != std::string::npos;
                    // The suffix's own case decides the case of "st"/"nd" and of words.
                    if (t.th && !t.sp)
                        t.wordCase = CaseOf(fmt.substr(i, 2));
                    else if (t.sp)
                        t.wordCase = CaseOf(t.text + fmt.substr(i, sfx.size()));
                    i += sfx.size();
                    break;
                }
        }
        tokens->push_back(t);
    }
    return 0;
}

const char* const kOnes[] = {"ZERO", "ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX", "SEVEN",
                             "EIGHT", "NINE", "TEN", "ELEVEN", "TWELVE", "THIRTEEN", "FOURTEEN",
                             "FIFTEEN", "SIXTEEN", "SEVENTEEN", "EIGHTEEN", "NINETEEN"};
const char* const kTens[] = {"", "", "TWENTY", "THIRTY", "FORTY", "FIFTY", "SIXTY", "SEVENTY",
                             "EIGHTY", "NINETY"};

std::string SpellBelowThousand(int n)
{
    std::string out;
    if (n >= 100) {
        out = std::string(kOnes[n / 100]) + " HUNDRED";
        n %= 100;
        if (n == 0)
            return out;
        out += ' ';
    }
    if (n < 20)
        return out + kOnes[n];
    out += kTens[n / 10];
    if (n % 10)
        out += std::string("-") + kOnes[n % 10];
    return out;
}

std::string Ordinal(const std::string& words)
{
    const size_t cut = words.find_last_of(" -");
    const std::string head = cut == std::string::npos ? "" : words.substr(0, cut + 1);
    const std::string last = cut == std::string::npos ? words : words.substr(cut + 1);
    static const struct { const char* word; const char* ordinal; } irregular[] = {
        {"ONE", "FIRST"}, {"TWO", "SECOND"}, {"THREE", "THIRD"}, {"FIVE", "FIFTH"},
        {"EIGHT", "EIGHTH"}, {"NINE", "NINTH"}, {"TWELVE", "TWELFTH"}};
    for (const auto& w : irregular)
        if (last == w.word)
            return head + w.ordinal;
    if (!last.empty() && last.back() == 'Y')
        return head + last.substr(0, last.size() - 1) + "IETH";
    return head + last + "TH";
}

std::string OrdinalSuffix(int64_t n)
{
    const int64_t a = n < 0 ? -n : n;
    if (a % 100 >= 11 && a % 100 <= 13)
        return "TH";
    switch (a % 10) {
    case 1: return "ST";
    case 2: return "ND";
    case 3: return "RD";
    default: return "TH";
    }
}

std::string SpellYear(int year)
{
    const int hi = year / 100;
    const int lo = year % 100;
    if (year < 1000 || (hi % 10 == 0 && lo < 10))
        return SpellOracleNumber(year);
    if (lo == 0)
        return SpellBelowThousand(hi) + " HUNDRED";
    return SpellBelowThousand(hi) + " " + SpellBelowThousand(lo);
}

const char* const kRoman[] = {"I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX", "X",
                              "XI", "XII"};

std::string PadRight(std::string s, size_t width)
{
    if (s.size() < width)
        s.append(width - s.size(), ' ');
    return s;
}

std::string ZeroPad(int64_t value, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
    return buf;
}

} // namespace

std::string SpellOracleNumber(int64_t n)
{
    if (n < 0)
        return "MINUS " + SpellOracleNumber(-n);
    if (n == 0)
        return "ZERO";
    std::string out;
    const struct { int64_t unit; const char* name; } scales[] = {
        {1000000000, "BILLION"}, {1000000, "MILLION"}, {1000, "THOUSAND"}};
    for (const auto& s : scales) {
        if (n >= s.unit) {
            out += SpellOracleNumber(n / s.unit) + " " + s.name;
            n %= s.unit;
            if (n)
                out += ' ';
        }
    }
    if (n)
        out += SpellBelowThousand(static_cast<int>(n));
    return out;
}

bool FormatOracleDate(int64_t seconds, const std::string& fmt, std::string* out, int* errorCode)
{
    int dummy = 0;
    int& err = errorCode ? *errorCode : dummy;
    err = 0;
    if (!IsValidOraDate(seconds)) {
        err = 1841;
        return false;
    }
    std::vector<Token> tokens;
    if ((err = Tokenize(fmt, &tokens)) != 0)
        return false;

    const OraDateParts p = OraPartsFromDate(seconds);
    const int absYear = p.year < 0 ? -p.year : p.year;
    const int weekday = OraWeekday(seconds);
    const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    const bool pm = p.hour >= 12;
    bool fill = false; // FM: no padding
    std::string result;

    auto number = [&](const Token& t, int64_t value, int width) {
        std::string s;
        if (t.sp) {
            s = SpellOracleNumber(value);
            if (t.th)
                s = Ordinal(s);
            s = ApplyCase(s, t.wordCase);
        } else {
            s = fill ? std::to_string(value) : ZeroPad(value, width);
            if (t.th)
                s += ApplyCase(OrdinalSuffix(value), t.wordCase);
        }
        result += s;
    };
    auto word = [&](const Token& t, const std::string& upper, size_t padTo) {
        result += ApplyCase(fill ? upper : PadRight(upper, padTo), t.wordCase);
    };
    auto sign = [&](bool negative) {
        if (negative)
            result += '-';
        else if (!fill)
            result += ' ';
    };

    for (const Token& t : tokens) {
        switch (t.el) {
        case El::Literal:
        case El::Punct: result += t.text; break;
        case El::FM: fill = !fill; break;
        case El::FX: break;
        case El::SYYYY: sign(p.year < 0); number(t, absYear, 4); break;
        case El::YYYY:
        case El::RRRR: number(t, absYear, 4); break;
        case El::YCommaYYY:
            result += std::to_string(absYear / 1000) + "," + ZeroPad(absYear % 1000, 3);
            break;
        case El::YYY: number(t, absYear % 1000, 3); break;
        case El::YY:
        case El::RR: number(t, absYear % 100, 2); break;
        case El::Y: number(t, absYear % 10, 1); break;
        case El::IYYY: number(t, std::abs(OraIsoYear(seconds)), 4); break;
        case El::IYY: number(t, std::abs(OraIsoYear(seconds)) % 1000, 3); break;
        case El::IY: number(t, std::abs(OraIsoYear(seconds)) % 100, 2); break;
        case El::I: number(t, std::abs(OraIsoYear(seconds)) % 10, 1); break;
        case El::SYEAR:
            sign(p.year < 0);
            word(t, SpellYear(absYear), 0);
            break;
        case El::YEAR: word(t, SpellYear(absYear), 0); break;
        case El::SCC: sign(p.year < 0); number(t, (absYear + 99) / 100, 2); break;
        case El::CC: number(t, (absYear + 99) / 100, 2); break;
        case El::Q: number(t, (p.month - 1) / 3 + 1, 1); break;
        case El::MONTH: word(t, kOraMonthNames[p.month - 1], 9); break;
        case El::MON: word(t, std::string(kOraMonthNames[p.month - 1]).substr(0, 3), 0); break;
        case El::MM: number(t, p.month, 2); break;
        case El::RM: word(t, kRoman[p.month - 1], 4); break;
        case El::WW: number(t, (OraDayOfYear(seconds) - 1) / 7 + 1, 2); break;
        case El::IW: number(t, OraIsoWeek(seconds), 2); break;
        case El::W: number(t, (p.day - 1) / 7 + 1, 1); break;
        case El::DDD: number(t, OraDayOfYear(seconds), 3); break;
        case El::DD: number(t, p.day, 2); break;
        case El::D: number(t, weekday + 1, 1); break;
        case El::DAY: word(t, kOraDayNames[weekday], 9); break;
        case El::DY: word(t, std::string(kOraDayNames[weekday]).substr(0, 3), 0); break;
        case El::J: number(t, OraJulianDay(seconds), 7); break;
        case El::HH24: number(t, p.hour, 2); break;
        case El::HH12:
        case El::HH: number(t, hour12, 2); break;
        case El::MI: number(t, p.minute, 2); break;
        case El::SS: number(t, p.second, 2); break;
        case El::SSSSS: number(t, OraSecondOfDay(seconds), 5); break;
        case El::AM: word(t, pm ? "PM" : "AM", 0); break;
        case El::AMDots: word(t, pm ? "P.M." : "A.M.", 0); break;
        case El::AD: word(t, p.year < 0 ? "BC" : "AD", 0); break;
        case El::ADDots: word(t, p.year < 0 ? "B.C." : "A.D.", 0); break;
        }
    }
    *out = result;
    return true;
}

std::string FormatOracleDate(int64_t seconds, const std::string& fmt)
{
    std::string out;
    return FormatOracleDate(seconds, fmt, &out, nullptr) ? out : std::string();
}

namespace {

// Field values collected from the input; -1 = not given.
struct Fields {
    int year = -1;       // full year as read (positive)
    int yearDigits = 0;
    El yearEl = El::Literal;
    bool negativeYear = false;
    int bc = -1;         // 1 BC, 0 AD
    int month = -1;
    int day = -1;
    int dayOfYear = -1;
    int64_t julian = -1;
    int hour = -1;
    bool hour12 = false;
    int pm = -1;
    int minute = -1;
    int second = -1;
    int secondOfDay = -1;
};

int FormatCategory(El el)
{
    switch (el) {
    case El::SYYYY: case El::YYYY: case El::YCommaYYY: case El::YYY: case El::YY: case El::Y:
    case El::RRRR: case El::RR:
        return 1812;
    case El::MM: case El::MON: case El::MONTH: case El::RM: return 1816;
    case El::HH: case El::HH12: case El::HH24: return 1813;
    case El::D: case El::DY: case El::DAY: return 1817;
    default: return 1810;
    }
}

// Format-level errors of an input model, found before any input is read.
int CheckInputFormat(const std::vector<Token>& tokens)
{
    std::vector<El> seen;
    bool hasHH24 = false, hasMeridian = false, hasJ = false, hasDDD = false;
    for (const Token& t : tokens) {
        switch (t.el) {
        case El::Literal: case El::Punct: case El::FM: case El::FX: continue;
        case El::SCC: case El::CC: case El::Q: case El::WW: case El::IW: case El::W:
        case El::IYYY: case El::IYY: case El::IY: case El::I: case El::SYEAR: case El::YEAR:
            return 1820;
        default: break;
        }
        if (t.sp)
            return 1820;
        for (El s : seen)
            if (s == t.el || (FormatCategory(s) != 1810 && FormatCategory(s) == FormatCategory(t.el)))
                return FormatCategory(t.el);
        seen.push_back(t.el);
        hasHH24 |= t.el == El::HH24;
        hasMeridian |= t.el == El::AM || t.el == El::AMDots;
        hasJ |= t.el == El::J;
        hasDDD |= t.el == El::DDD;
    }
    if (hasHH24 && hasMeridian)
        return 1818;
    if (hasJ && hasDDD)
        return 1811;
    return 0;
}

class InputParser {
public:
    InputParser(const std::string& text, const std::vector<Token>& tokens)
        : m_text(text), m_tokens(tokens) {}

    int Run(Fields* f)
    {
        bool fill = false;
        bool exact = false;
        for (size_t i = 0; i < m_tokens.size(); ++i) {
            const Token& t = m_tokens[i];
            if (t.el == El::FM) {
                fill = !fill;
                continue;
            }
            if (t.el == El::FX) {
                exact = !exact;
                continue;
            }
            if (!exact)
                SkipSpaces();
            if (AtEnd()) {
                // Elements at the end may be left out; FX wants everything.
                if (exact && t.el != El::Punct)
                    return 1840;
                continue;
            }
            int err = 0;
            if (t.el == El::Punct)
                err = Punct(t, exact);
            else if (t.el == El::Literal)
                err = Literal(t);
            else if (IsNumeric(t.el))
                err = Number(t, NextIsNumeric(i), exact, fill, f);
            else
                err = Word(t, f);
            if (err)
                return err;
        }
        SkipSpaces();
        return AtEnd() ? 0 : 1830;
    }

private:
    bool AtEnd() const { return m_pos >= m_text.size(); }
    unsigned char Cur() const { return static_cast<unsigned char>(m_text[m_pos]); }
    void SkipSpaces()
    {
        while (!AtEnd() && VkIsAsciiSpace(Cur()))
            ++m_pos;
    }

    bool NextIsNumeric(size_t i) const
    {
        for (size_t k = i + 1; k < m_tokens.size(); ++k) {
            if (m_tokens[k].el == El::FM || m_tokens[k].el == El::FX)
                continue;
            return IsNumeric(m_tokens[k].el);
        }
        return false;
    }

    int Punct(const Token& t, bool exact)
    {
        const unsigned char fc = static_cast<unsigned char>(t.text[0]);
        if (VkIsAsciiSpace(fc) && !exact)
            return 0; // spaces were skipped already
        if (exact)
            return Cur() == fc ? (++m_pos, 0) : 1861;
        if (VkIsAsciiAlpha(Cur()))
            return 1861;
        if (!VkIsAsciiDigit(Cur()))
            ++m_pos; // any punctuation stands for any other
        return 0;
    }

    int Literal(const Token& t)
    {
        for (size_t k = 0; k < t.text.size(); ++k) {
            if (m_pos + k >= m_text.size() || VkAsciiToUpper(m_text[m_pos + k]) != VkAsciiToUpper(t.text[k]))
                return 1861;
        }
        m_pos += t.text.size();
        return 0;
    }

    int Number(const Token& t, bool nextNumeric, bool exact, bool fill, Fields* f)
    {
        const bool signed_ = t.el == El::SYYYY;
        if (!exact)
            while (!AtEnd() && !VkIsAsciiAlnum(Cur()) && !(signed_ && (Cur() == '-' || Cur() == '+')))
                ++m_pos;
        bool negative = false;
        if (!AtEnd() && (Cur() == '-' || Cur() == '+')) {
            if (!signed_)
                return 1858;
            negative = Cur() == '-';
            ++m_pos;
        }
        if (t.el == El::MM && !AtEnd() && VkIsAsciiAlpha(Cur()))
            return Month(true, f); // MM also takes a month name
        int maxDigits = MaxDigits(t.el);
        // A two-digit year followed by a separator may carry all four digits.
        if ((t.el == El::YY || t.el == El::RR) && !nextNumeric && !exact)
            maxDigits = 4;
        int64_t value = 0;
        int digits = 0;
        while (!AtEnd() && digits < maxDigits) {
            if (t.el == El::YCommaYYY && Cur() == ',' && digits == 1) {
                ++m_pos;
                continue;
            }
            if (!VkIsAsciiDigit(Cur()))
                break;
            value = value * 10 + (Cur() - '0');
            ++digits;
            ++m_pos;
        }
        if (digits == 0)
            return 1858;
        if (exact && !fill && digits != MaxDigits(t.el))
            return 1862;
        if (t.th)
            for (const char* s : {"ST", "ND", "RD", "TH"})
                if (StartsWithNoCase(m_text, m_pos, s)) {
                    m_pos += 2;
                    break;
                }
        return Store(t.el, value, digits, negative, f);
    }

    static int Store(El el, int64_t v, int digits, bool negative, Fields* f)
    {
        switch (el) {
        case El::SYYYY: case El::YYYY: case El::YCommaYYY: case El::YYY: case El::YY: case El::Y:
        case El::RRRR: case El::RR:
            f->year = static_cast<int>(v);
            f->yearDigits = digits;
            f->yearEl = el;
            f->negativeYear = negative;
            if ((el == El::SYYYY || el == El::YYYY || el == El::RRRR || el == El::YCommaYYY) &&
                v == 0)
                return 1841;
            return 0;
        case El::MM:
            if (v < 1 || v > 12)
                return 1843;
            f->month = static_cast<int>(v);
            return 0;
        case El::DD:
            if (v < 1 || v > 31)
                return 1847;
            f->day = static_cast<int>(v);
            return 0;
        case El::DDD:
            if (v < 1 || v > 366)
                return 1848;
            f->dayOfYear = static_cast<int>(v);
            return 0;
        case El::D:
            return v < 1 || v > 7 ? 1846 : 0; // checked, otherwise ignored
        case El::J:
            if (v < 1 || v > 5373484)
                return 1854;
            f->julian = v;
            return 0;
        case El::HH: case El::HH12:
            if (v < 1 || v > 12)
                return 1849;
            f->hour = static_cast<int>(v);
            f->hour12 = true;
            return 0;
        case El::HH24:
            if (v > 23)
                return 1850;
            f->hour = static_cast<int>(v);
            return 0;
        case El::MI:
            if (v > 59)
                return 1851;
            f->minute = static_cast<int>(v);
            return 0;
        case El::SS:
            if (v > 59)
                return 1852;
            f->second = static_cast<int>(v);
            return 0;
        case El::SSSSS:
            if (v > 86399)
                return 1853;
            f->secondOfDay = static_cast<int>(v);
            return 0;
        default:
            return 1820;
        }
    }

    // Matches the longest of the given names at the cursor; -1 when none.
    int MatchName(const char* const* names, int count, size_t length)
    {
        for (int k = 0; k < count; ++k) {
            const std::string n = length ? std::string(names[k]).substr(0, length) : names[k];
            if (StartsWithNoCase(m_text, m_pos, n.c_str())) {
                m_pos += n.size();
                return k;
            }
        }
        return -1;
    }

    int Month(bool fullFirst, Fields* f)
    {
        int m = fullFirst ? MatchName(kOraMonthNames, 12, 0) : -1;
        if (m < 0)
            m = MatchName(kOraMonthNames, 12, 3);
        if (m < 0 && !fullFirst)
            m = MatchName(kOraMonthNames, 12, 0);
        if (m < 0)
            return 1843;
        f->month = m + 1;
        return 0;
    }

    int Word(const Token& t, Fields* f)
    {
        switch (t.el) {
        case El::MONTH:
        case El::MON:
            return Month(true, f);
        case El::RM: {
            static const char* const byLength[] = {"VIII", "XII", "VII", "III", "XI", "IX",
                                                   "VI", "IV", "II", "X", "V", "I"};
            static const int months[] = {8, 12, 7, 3, 11, 9, 6, 4, 2, 10, 5, 1};
            const int k = MatchName(byLength, 12, 0);
            if (k < 0)
                return 1843;
            f->month = months[k];
            return 0;
        }
        case El::DAY:
        case El::DY: {
            if (MatchName(kOraDayNames, 7, 0) < 0 && MatchName(kOraDayNames, 7, 3) < 0)
                return 1846;
            return 0;
        }
        case El::AM:
        case El::AMDots: {
            static const char* const names[] = {"A.M.", "P.M.", "AM", "PM"};
            const int k = MatchName(names, 4, 0);
            if (k < 0)
                return 1855;
            f->pm = k % 2;
            return 0;
        }
        case El::AD:
        case El::ADDots: {
            static const char* const names[] = {"A.D.", "B.C.", "AD", "BC"};
            const int k = MatchName(names, 4, 0);
            if (k < 0)
                return 1856;
            f->bc = k % 2;
            return 0;
        }
        default:
            return 1820;
        }
    }

    const std::string& m_text;
    const std::vector<Token>& m_tokens;
    size_t m_pos = 0;
};

int ResolveYear(const Fields& f, int nowYear, int* year)
{
    if (f.year < 0) {
        *year = nowYear;
        return 0;
    }
    int y = f.year;
    const int century = nowYear / 100 * 100;
    switch (f.yearEl) {
    case El::YY:
        if (f.yearDigits <= 2)
            y = century + f.year;
        break;
    case El::RR:
        if (f.yearDigits <= 2) {
            const bool nowLow = nowYear % 100 < 50;
            const bool yearLow = f.year < 50;
            y = century + f.year;
            if (nowLow && !yearLow)
                y -= 100;
            else if (!nowLow && yearLow)
                y += 100;
        }
        break;
    case El::Y:
        y = nowYear - nowYear % 10 + f.year;
        break;
    case El::YYY:
        y = nowYear - nowYear % 1000 + f.year;
        break;
    default:
        break;
    }
    if (f.negativeYear || f.bc == 1)
        y = -y;
    if (y == 0 || y < -4712 || y > 9999)
        return 1841;
    *year = y;
    return 0;
}

int Assemble(const Fields& f, int64_t now, int64_t* seconds)
{
    const OraDateParts today = OraPartsFromDate(now);
    OraDateParts p;
    int err = ResolveYear(f, today.year, &p.year);
    if (err)
        return err;
    p.month = f.month > 0 ? f.month : today.month;
    p.day = f.day > 0 ? f.day : 1;

    if (f.dayOfYear > 0) {
        if (f.dayOfYear > DaysInYear(p.year))
            return 1848;
        OraCivilFromDays(OraDaysFromCivil(p.year, 1, 1) + f.dayOfYear - 1, &p.year, &p.month,
                         &p.day);
    }
    if (f.julian > 0) {
        OraDateParts j = OraPartsFromDate(OraDateFromJulianDay(f.julian));
        if (f.year >= 0 && j.year != p.year)
            return 1831;
        if (f.month > 0 && j.month != p.month)
            return 1833;
        if (f.day > 0 && j.day != p.day)
            return 1834;
        p.year = j.year;
        p.month = j.month;
        p.day = j.day;
    }
    if (p.day > DaysInMonth(p.year, p.month))
        return 1839;

    if (f.hour >= 0) {
        p.hour = f.hour;
        if (f.hour12)
            p.hour = f.hour % 12 + (f.pm == 1 ? 12 : 0);
    }
    p.minute = f.minute >= 0 ? f.minute : 0;
    p.second = f.second >= 0 ? f.second : 0;
    if (f.secondOfDay >= 0) {
        const int h = f.secondOfDay / 3600, m = f.secondOfDay / 60 % 60, s = f.secondOfDay % 60;
        if (f.hour >= 0 && p.hour != h)
            return 1836;
        if (f.minute >= 0 && f.minute != m)
            return 1837;
        if (f.second >= 0 && f.second != s)
            return 1838;
        p.hour = h;
        p.minute = m;
        p.second = s;
    }
    return OraDateFromParts(p, seconds) ? 0 : 1841;
}

} // namespace

bool ParseOracleDate(const std::string& text, const std::string& fmt, int64_t now,
                     int64_t* seconds, int* errorCode)
{
    int dummy = 0;
    int& err = errorCode ? *errorCode : dummy;
    std::vector<Token> tokens;
    if ((err = Tokenize(fmt, &tokens)) != 0 || (err = CheckInputFormat(tokens)) != 0)
        return false;
    Fields f;
    if ((err = InputParser(text, tokens).Run(&f)) != 0)
        return false;
    int64_t result = 0;
    if ((err = Assemble(f, now, &result)) != 0)
        return false;
    *seconds = result;
    return true;
}

bool ParseOracleDate(const std::string& text, const std::string& fmt, int64_t* seconds,
                     int* errorCode)
{
    return ParseOracleDate(text, fmt, OracleNow(), seconds, errorCode);
}

} // namespace VkOracle
