#include "platform/VariantText.h"

#include "platform/ComInterfaces.h"
#include "platform/Variant.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

QLocale LocaleFor(LCID lcid) { return lcid == LOCALE_INVARIANT ? QLocale::c() : QLocale(); }

QString Trimmed(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

// A separator of the locale as one character (Qt answers a string).
QChar SeparatorChar(const QString& s, QChar fallback) { return s.size() == 1 ? s[0] : fallback; }

HRESULT ParseRadix(const QString& digits, int radix, VkParsedNumber* out)
{
    if (digits.isEmpty())
        return DISP_E_TYPEMISMATCH;
    ULONGLONG v = 0;
    for (QChar c : digits) {
        int d = -1;
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9')
            d = u - '0';
        else if (u >= 'a' && u <= 'f')
            d = u - 'a' + 10;
        else if (u >= 'A' && u <= 'F')
            d = u - 'A' + 10;
        if (d < 0 || d >= radix)
            return DISP_E_TYPEMISMATCH;
        if (v > (std::numeric_limits<ULONGLONG>::max() - static_cast<ULONGLONG>(d)) / static_cast<ULONGLONG>(radix))
            return DISP_E_OVERFLOW;
        v = v * static_cast<ULONGLONG>(radix) + static_cast<ULONGLONG>(d);
    }
    out->exact = true;
    out->negative = false;
    out->magnitude = v;
    out->value = static_cast<double>(v);
    return S_OK;
}

} // namespace

HRESULT VkParseNumberText(std::string_view text, LCID lcid, VkParsedNumber* out)
{
    const QLocale loc = LocaleFor(lcid);
    const QChar decimal = SeparatorChar(loc.decimalPoint(), u'.');
    QChar group = SeparatorChar(loc.groupSeparator(), u',');
    // A no-break space as group separator: plain blanks are meant too.
    const bool groupIsSpace = group.isSpace();

    QString s = Trimmed(text);
    bool negative = false;
    if (s.size() >= 2 && s.front() == u'(' && s.back() == u')') {
        negative = true;
        s = s.mid(1, s.size() - 2).trimmed();
    } else if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        negative = s.front() == u'-';
        s = s.mid(1).trimmed();
    }
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (negative)
            return DISP_E_TYPEMISMATCH;
        if (kind == u'H')
            return ParseRadix(s.mid(2), 16, out);
        if (kind == u'O')
            return ParseRadix(s.mid(2), 8, out);
        return DISP_E_TYPEMISMATCH;
    }

    std::string digits; // mantissa digits without separators
    long exponent = 0;  // value = digits * 10^exponent
    qsizetype i = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.unicode() >= '0' && c.unicode() <= '9') {
            digits.push_back(static_cast<char>(c.unicode()));
            any = true;
        } else if (any && (c == group || (groupIsSpace && c.isSpace()))) {
            continue;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == decimal) {
        for (++i; i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9'; ++i) {
            digits.push_back(static_cast<char>(s[i].unicode()));
            --exponent;
            any = true;
        }
    }
    if (!any)
        return DISP_E_TYPEMISMATCH;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E' || s[i] == u'd' || s[i] == u'D')) {
        ++i;
        bool expNegative = false;
        if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
            expNegative = s[i] == u'-';
            ++i;
        }
        long e = 0;
        bool expDigits = false;
        for (; i < s.size() && s[i].unicode() >= '0' && s[i].unicode() <= '9'; ++i) {
            e = std::min(e * 10 + (s[i].unicode() - '0'), 100000L);
            expDigits = true;
        }
        if (!expDigits)
            return DISP_E_TYPEMISMATCH;
        exponent += expNegative ? -e : e;
    }
    if (i != s.size())
        return DISP_E_TYPEMISMATCH;

    // Normalise: no leading zeros, trailing zeros moved into the exponent.
    const size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        *out = VkParsedNumber{true, false, 0, 0.0};
        return S_OK;
    }
    digits.erase(0, firstNonZero);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++exponent;
    }

    VkParsedNumber n;
    n.negative = negative;
    const std::string canonical = digits + "e" + std::to_string(exponent);
    double value = 0;
    auto [end, ec] = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small is zero; too large does not fit.
        if (exponent < 0)
            value = 0;
        else
            return DISP_E_OVERFLOW;
    } else if (ec != std::errc() || end != canonical.data() + canonical.size()) {
        return DISP_E_TYPEMISMATCH;
    }
    if (std::isinf(value))
        return DISP_E_OVERFLOW;
    n.value = negative ? -value : value;
    if (exponent >= 0 && digits.size() + static_cast<size_t>(exponent) <= 20) {
        ULONGLONG m = 0;
        bool fits = true;
        for (char c : digits) {
            const ULONGLONG d = static_cast<ULONGLONG>(c - '0');
            if (m > (std::numeric_limits<ULONGLONG>::max() - d) / 10) {
                fits = false;
                break;
            }
            m = m * 10 + d;
        }
        for (long e = 0; fits && e < exponent; ++e) {
            if (m > std::numeric_limits<ULONGLONG>::max() / 10)
                fits = false;
            else
                m *= 10;
        }
        if (fits) {
            n.exact = true;
            n.magnitude = m;
        }
    }
    *out = n;
    return S_OK;
}

std::string VkFormatRealText(double value, int digits, LCID lcid)
{
    if (value == 0 || std::isnan(value))
        return "0";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    if (ec != std::errc())
        return "0";
    std::string s(buf, end);
    const QLocale loc = LocaleFor(lcid);
    const std::string decimal = loc.decimalPoint().toStdString();
    std::string result;
    for (char c : s) {
        if (c == '.')
            result += decimal.empty() ? "." : decimal;
        else if (c == 'e')
            result += 'E';
        else
            result += c;
    }
    return result;
}

HRESULT VkParseBoolText(std::string_view text, LCID lcid, VARIANT_BOOL* out)
{
    const QString s = Trimmed(text);
    if (s.compare(u"True", Qt::CaseInsensitive) == 0 || s.compare(u"#TRUE#", Qt::CaseInsensitive) == 0) {
        *out = VARIANT_TRUE;
        return S_OK;
    }
    if (s.compare(u"False", Qt::CaseInsensitive) == 0 || s.compare(u"#FALSE#", Qt::CaseInsensitive) == 0) {
        *out = VARIANT_FALSE;
        return S_OK;
    }
    VkParsedNumber n;
    const QByteArray utf8 = s.toUtf8();
    HRESULT hr = VkParseNumberText(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), lcid, &n);
    if (FAILED(hr))
        return hr;
    *out = n.value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// ---- Dates ----

namespace {

const QDate DayZero(1899, 12, 30);

// Time-zone marks in Qt's time formats; an automation date has no zone.
QString WithoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.simplified();
}

QString DateFormat(const QLocale& loc, bool fourDigitYear)
{
    if (loc.language() == QLocale::C)
        return fourDigitYear ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("MM/dd/yy");
    QString f = loc.dateFormat(QLocale::ShortFormat);
    if (fourDigitYear && !f.contains(u"yyyy"))
        f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    else if (!fourDigitYear)
        f.replace(QStringLiteral("yyyy"), QStringLiteral("yy"));
    return f;
}

QString TimeFormat(const QLocale& loc)
{
    if (loc.language() == QLocale::C)
        return QStringLiteral("HH:mm:ss");
    return WithoutZone(loc.timeFormat(QLocale::LongFormat));
}

} // namespace

INT VariantTimeToSystemTime(DATE date, SYSTEMTIME* st)
{
    if (!st || std::isnan(date) || date <= -657435.0 || date >= 2958466.0)
        return FALSE;
    const double days = std::trunc(date);
    const double fraction = std::fabs(date - days);
    long long seconds = std::llround(fraction * 86400.0);
    QDate day = DayZero.addDays(static_cast<qint64>(days));
    if (seconds >= 86400) {
        day = day.addDays(1);
        seconds -= 86400;
    }
    if (!day.isValid() || day.year() < 100 || day.year() > 9999)
        return FALSE;
    st->wYear = static_cast<WORD>(day.year());
    st->wMonth = static_cast<WORD>(day.month());
    st->wDay = static_cast<WORD>(day.day());
    st->wDayOfWeek = static_cast<WORD>(day.dayOfWeek() % 7);
    st->wHour = static_cast<WORD>(seconds / 3600);
    st->wMinute = static_cast<WORD>(seconds / 60 % 60);
    st->wSecond = static_cast<WORD>(seconds % 60);
    st->wMilliseconds = 0;
    return TRUE;
}

INT SystemTimeToVariantTime(const SYSTEMTIME* st, DATE* date)
{
    if (!st || !date || st->wYear < 100 || st->wYear > 9999 || st->wHour > 23 || st->wMinute > 59 || st->wSecond > 59)
        return FALSE;
    const QDate day(st->wYear, st->wMonth, st->wDay);
    if (!day.isValid())
        return FALSE;
    const double days = static_cast<double>(DayZero.daysTo(day));
    const double time = (st->wHour * 3600.0 + st->wMinute * 60.0 + st->wSecond) / 86400.0;
    *date = days >= 0 ? days + time : days - time;
    return TRUE;
}

HRESULT VkFormatDateText(DATE date, LCID lcid, WORD flags, std::string* out)
{
    SYSTEMTIME st{};
    if (!VariantTimeToSystemTime(date, &st))
        return E_INVALIDARG;
    const QLocale loc = LocaleFor(lcid);
    const QDate day(st.wYear, st.wMonth, st.wDay);
    const QTime time(st.wHour, st.wMinute, st.wSecond);
    bool showDate = true;
    bool showTime = true;
    if (flags & VAR_DATEVALUEONLY)
        showTime = false;
    else if (flags & VAR_TIMEVALUEONLY)
        showDate = false;
    else if (day == DayZero)
        showDate = false;
    else if (time == QTime(0, 0))
        showTime = false;
    QString text;
    if (showDate)
        text = loc.toString(day, DateFormat(loc, true));
    if (showTime) {
        if (!text.isEmpty())
            text += u' ';
        text += loc.toString(time, TimeFormat(loc));
    }
    *out = text.toStdString();
    return S_OK;
}

HRESULT VkParseDateText(std::string_view text, LCID lcid, DATE* out)
{
    const QString s = Trimmed(text).simplified();
    if (s.isEmpty())
        return DISP_E_TYPEMISMATCH;
    const QLocale loc = LocaleFor(lcid);

    struct DateFormatCandidate {
        QString format;
        bool twoDigitYear;
    };
    const QList<DateFormatCandidate> dates = {
        {DateFormat(loc, false), true},
        {DateFormat(loc, true), false},
        {loc.dateFormat(QLocale::LongFormat), false},
        {QStringLiteral("yyyy-MM-dd"), false},
    };
    const QStringList times = {
        TimeFormat(loc),
        WithoutZone(loc.timeFormat(QLocale::ShortFormat)),
        QStringLiteral("H:mm:ss"),
        QStringLiteral("H:mm"),
        QStringLiteral("h:mm:ss AP"),
        QStringLiteral("h:mm AP"),
    };

    auto finish = [out](QDate day, QTime time, bool twoDigitYear) -> HRESULT {
        if (twoDigitYear && day.year() >= 1900 && day.year() < 1930)
            day = day.addYears(100);
        SYSTEMTIME st{};
        st.wYear = static_cast<WORD>(day.year());
        st.wMonth = static_cast<WORD>(day.month());
        st.wDay = static_cast<WORD>(day.day());
        st.wHour = static_cast<WORD>(time.hour());
        st.wMinute = static_cast<WORD>(time.minute());
        st.wSecond = static_cast<WORD>(time.second());
        if (day.year() < 100 || day.year() > 9999 || !SystemTimeToVariantTime(&st, out))
            return DISP_E_OVERFLOW;
        return S_OK;
    };

    for (const auto& d : dates) {
        const QDate day = loc.toDate(s, d.format);
        if (day.isValid())
            return finish(day, QTime(0, 0), d.twoDigitYear);
        for (const QString& t : times) {
            const QDateTime both = loc.toDateTime(s, d.format + u' ' + t);
            if (both.isValid())
                return finish(both.date(), both.time(), d.twoDigitYear);
        }
    }
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (iso.isValid())
        return finish(iso.date(), iso.time(), false);
    for (const QString& t : times) {
        const QTime time = loc.toTime(s, t);
        if (time.isValid())
            return finish(DayZero, time, false);
    }
    return DISP_E_TYPEMISMATCH;
}
