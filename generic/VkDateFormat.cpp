#include "generic/VkDateFormat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

#include <cmath>

namespace {

const qint64 s_epochJulianDay = QDate(1899, 12, 30).toJulianDay();

// The automation date range (years 100 to 9999).
constexpr double s_minDate = -657434.0;
constexpr double s_maxDate = 2958465.99999;

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

bool VkDateFormat::ToAutomationDate(const Parts& p, double& date)
{
    date = 0.0;
    const QDate day(p.year, p.month, p.day);
    if (!day.isValid() || p.year < 100 || p.year > 9999 || p.hour < 0 || p.hour > 23 || p.minute < 0
        || p.minute > 59 || p.second < 0 || p.second > 59)
        return false;
    const double days = static_cast<double>(day.toJulianDay() - s_epochJulianDay);
    const double fraction = (p.hour * 3600.0 + p.minute * 60.0 + p.second) / 86400.0;
    // Before the epoch the fraction still counts forward from midnight.
    date = days >= 0 ? days + fraction : days - fraction;
    return true;
}

bool VkDateFormat::FromAutomationDate(double date, Parts& parts)
{
    parts = Parts{};
    if (!std::isfinite(date) || date < s_minDate || date > s_maxDate)
        return false;
    double days = std::trunc(date);
    double fraction = std::fabs(date - days);
    long long seconds = std::llround(fraction * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += date >= 0 ? 1 : -1;
    }
    const QDate day = QDate::fromJulianDay(s_epochJulianDay + static_cast<qint64>(days));
    if (!day.isValid())
        return false;
    parts.year = day.year();
    parts.month = day.month();
    parts.day = day.day();
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
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
