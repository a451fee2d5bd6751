#include "generic/VkDateFormat.h"

#include "platform/Variant.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cmath>

namespace {

bool ToDateTime(double value, QDate& date, QTime& time)
{
    VkDateFormat::Parts parts;
    if (!VkDateFormat::FromAutomationDate(value, parts))
        return false;
    date = QDate(parts.year, parts.month, parts.day);
    time = QTime(parts.hour, parts.minute, parts.second);
    return date.isValid() && time.isValid();
}

// Rewrites numeric month fields ("M", "MM") of a Qt date format as "MMM",
// leaving quoted text and longer month fields alone.
QString WithAbbreviatedMonth(const QString& format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (!quoted && c == u'M') {
            qsizetype run = 0;
            while (i + run < format.size() && format[i + run] == u'M')
                ++run;
            out += run <= 2 ? QStringLiteral("MMM") : format.mid(i, run);
            i += run;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

// Drops the seconds field of a Qt time format with the separator before it.
QString WithoutSeconds(const QString& format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (!quoted && c == u's') {
            while (!out.isEmpty() && !out.back().isLetter() && out.back() != u'\'' && !out.back().isSpace())
                out.chop(1);
            while (i < format.size() && (format[i] == u's' || format[i] == u'z' || format[i] == u'.'))
                ++i;
            continue;
        }
        out += c;
        ++i;
    }
    return out.trimmed();
}

// Drops the time zone fields ("t") outside quoted text.
QString WithoutTimeZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u't')
            continue;
        out += c;
    }
    return out.trimmed();
}

} // namespace

// The platform's conversions are the one definition of automation dates.
bool VkDateFormat::ToAutomationDate(const Parts& p, double& date)
{
    date = 0.0;
    if (p.year < 100 || p.year > 9999 || p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour < 0
        || p.hour > 23 || p.minute < 0 || p.minute > 59 || p.second < 0 || p.second > 59
        || !QDate(p.year, p.month, p.day).isValid())
        return false;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(p.year);
    time.wMonth = static_cast<WORD>(p.month);
    time.wDay = static_cast<WORD>(p.day);
    time.wHour = static_cast<WORD>(p.hour);
    time.wMinute = static_cast<WORD>(p.minute);
    time.wSecond = static_cast<WORD>(p.second);
    DATE value = 0;
    if (!SystemTimeToVariantTime(&time, &value))
        return false;
    date = value;
    return true;
}

bool VkDateFormat::FromAutomationDate(double date, Parts& parts)
{
    parts = Parts{};
    SYSTEMTIME time{};
    if (!std::isfinite(date) || !VariantTimeToSystemTime(date, &time))
        return false;
    parts = {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
    return true;
}

std::string VkDateFormat::FormatDateToShortDateFormat(double value, bool abbreviatedMonth)
{
    QDate date;
    QTime time;
    if (!ToDateTime(value, date, time))
        return {};
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (abbreviatedMonth)
        format = WithAbbreviatedMonth(format);
    return locale.toString(date, format).toStdString();
}

std::string VkDateFormat::FormatDateToTimeFormat(double value, bool noSeconds)
{
    QDate date;
    QTime time;
    if (!ToDateTime(value, date, time))
        return {};
    const QLocale locale;
    // The long format has the seconds; it may also name a time zone, which
    // a bare time has not.
    QString format = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    if (noSeconds)
        format = WithoutSeconds(format);
    return locale.toString(time, format).toStdString();
}
