#include "controls/CIntervalForecast.h"

#include "controls/CJobSaveStatement.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkDateFormat.h"
#include "platform/VkAscii.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool IsWordChar(char c)
{
    return VkIsAsciiAlnum(c) || c == '_' || c == '$' || c == '#';
}

// Where each SYSDATE word of text starts; strings, quoted names and
// comments are skipped.
std::vector<size_t> SysdatePositions(const std::string& text)
{
    std::vector<size_t> found;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            const size_t end = text.find(c, i + 1);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-') {
            const size_t end = text.find('\n', i);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 2;
        } else if (IsWordChar(c)) {
            size_t end = i;
            while (end < text.size() && IsWordChar(text[end]))
                ++end;
            if (VkAsciiEqualNoCase(std::string_view(text).substr(i, end - i), "SYSDATE"))
                found.push_back(i);
            i = end;
        } else {
            ++i;
        }
    }
    return found;
}

std::string Trimmed(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && VkIsAsciiSpace(text[b]))
        ++b;
    while (e > b && VkIsAsciiSpace(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

// Whether the SYSDATE at pos is TRUNC's first argument ("TRUNC ( SYSDATE").
bool InsideTrunc(const std::string& text, size_t pos)
{
    size_t i = pos;
    while (i > 0 && VkIsAsciiSpace(text[i - 1]))
        --i;
    if (i == 0 || text[i - 1] != '(')
        return false;
    --i;
    while (i > 0 && VkIsAsciiSpace(text[i - 1]))
        --i;
    return i >= 5 && VkAsciiEqualNoCase(std::string_view(text).substr(i - 5, 5), "TRUNC")
           && (i == 5 || !IsWordChar(text[i - 6]));
}

// The step in days of "SYSDATE + a" or "SYSDATE + a/b" (a, b unsigned
// numbers); false for any other shape.
bool PlainStep(const std::string& interval, double* days)
{
    const std::string text = Trimmed(interval);
    if (text.size() < 8 || !VkAsciiEqualNoCase(std::string_view(text).substr(0, 7), "SYSDATE"))
        return false;
    size_t i = 7;
    auto blanks = [&] {
        while (i < text.size() && VkIsAsciiSpace(text[i]))
            ++i;
    };
    auto number = [&](double* value) {
        const size_t start = i;
        while (i < text.size() && (VkIsAsciiDigit(text[i]) || text[i] == '.'))
            ++i;
        if (i == start)
            return false;
        // Digits and one point only, so the C locale's decimal point cannot
        // matter: parse by hand.
        double whole = 0, scale = 0;
        for (size_t k = start; k < i; ++k) {
            if (text[k] == '.') {
                if (scale != 0)
                    return false;
                scale = 1;
            } else if (scale == 0) {
                whole = whole * 10 + (text[k] - '0');
            } else {
                scale /= 10;
                whole += (text[k] - '0') * scale;
            }
        }
        *value = whole;
        return true;
    };
    blanks();
    if (i >= text.size() || text[i] != '+')
        return false;
    ++i;
    blanks();
    double a = 0, b = 1;
    if (!number(&a))
        return false;
    blanks();
    if (i < text.size() && text[i] == '/') {
        ++i;
        blanks();
        if (!number(&b) || b == 0)
            return false;
        blanks();
    }
    if (i != text.size() || a <= 0)
        return false;
    *days = a / b;
    return true;
}

std::string Fraction(long numerator, long denominator)
{
    char text[48];
    std::snprintf(text, sizeof text, "%ld/%ld", numerator, denominator);
    return text;
}

// A fixed-time form of "SYSDATE + step" that keeps the next date's time.
std::string DriftFix(double days, DATE nextDate)
{
    VkDateFormat::Parts at;
    if (!VkDateFormat::FromAutomationDate(nextDate, at))
        at = {};
    const long minutes = std::lround(days * 1440);
    if (minutes <= 0 || std::fabs(days * 1440 - static_cast<double>(minutes)) > 1e-6)
        return {};
    if (minutes % 1440 == 0) {
        std::string fix = "TRUNC(SYSDATE) + " + std::to_string(minutes / 1440);
        const long offset = at.hour * 60L + at.minute;
        if (offset != 0)
            fix += " + " + (at.minute == 0 ? Fraction(at.hour, 24) : Fraction(offset, 1440));
        return fix;
    }
    if (minutes % 60 == 0) {
        std::string fix = "TRUNC(SYSDATE, 'HH24') + " + Fraction(minutes / 60, 24);
        if (at.minute != 0)
            fix += " + " + Fraction(at.minute, 1440);
        return fix;
    }
    return "TRUNC(SYSDATE, 'MI') + " + Fraction(minutes, 1440);
}

} // namespace

std::string CIntervalForecast::Substitute(const std::string& interval, DATE previous)
{
    const std::string literal = CJobSaveStatement::DateLiteral(previous);
    std::string out;
    size_t from = 0;
    for (size_t pos : SysdatePositions(interval)) {
        out += interval.substr(from, pos - from);
        out += literal;
        from = pos + 7;
    }
    out += interval.substr(from);
    return out;
}

std::string CIntervalForecast::StepStatement(const std::string& interval, DATE previous)
{
    // Parenthesised on lines of their own, so that a trailing comment or
    // operator cannot run into the rest of the query.
    return QVCtrlStrings().Format(IDS_JD_EVALUATE_QUERY, ("(" + Substitute(interval, previous) + "\n)").c_str());
}

std::vector<CIntervalWarning> CIntervalForecast::LintText(const std::string& interval, DATE nextDate, DATE now)
{
    std::vector<CIntervalWarning> warnings;
    const VkStringTable& strings = QVCtrlStrings();
    if (Trimmed(interval).empty() || VkAsciiEqualNoCase(Trimmed(interval), "NULL")) {
        warnings.push_back({CIntervalWarning::Kind::Empty, strings.Load(IDS_FC_EMPTY), {}});
    } else {
        for (size_t pos : SysdatePositions(interval)) {
            if (InsideTrunc(interval, pos))
                continue;
            double days = 0;
            std::string fix = PlainStep(interval, &days) ? DriftFix(days, nextDate) : std::string();
            warnings.push_back({CIntervalWarning::Kind::Drifts, strings.Load(IDS_FC_DRIFTS), fix});
            break;
        }
    }
    if (now != 0 && nextDate != 0 && nextDate < now)
        warnings.push_back({CIntervalWarning::Kind::NextInPast, strings.Load(IDS_FC_NEXT_IN_PAST), {}});
    return warnings;
}

bool CIntervalForecast::CheckStep(DATE previous, DATE next, CIntervalWarning* warning)
{
    const VkStringTable& strings = QVCtrlStrings();
    if (next == 0) {
        *warning = {CIntervalWarning::Kind::Ends, strings.Format(IDS_FC_ENDS, DateText(previous).c_str()), {}};
        return true;
    }
    // Dates compare to the second, as Oracle's do.
    if (std::llround(next * 86400) <= std::llround(previous * 86400)) {
        *warning = {CIntervalWarning::Kind::NotForward,
                    strings.Format(IDS_FC_NOT_FORWARD, DateText(previous).c_str(), DateText(next).c_str()), {}};
        return true;
    }
    return false;
}

std::string CIntervalForecast::Weekday(DATE date)
{
    static const char* const names[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday",
                                        "Saturday"};
    // Day 0 (30 December 1899) was a Saturday.
    const long long day = static_cast<long long>(std::floor(date + 1e-9));
    return names[((day + 6) % 7 + 7) % 7];
}

std::string CIntervalForecast::DateText(DATE date)
{
    VkDateFormat::Parts p;
    if (!VkDateFormat::FromAutomationDate(date, p))
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                  p.second);
    return text;
}

int CIntervalForecast::ClampRuns(int runs)
{
    return runs < 1 ? 1 : (runs > kMaxRuns ? kMaxRuns : runs);
}
