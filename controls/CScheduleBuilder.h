#pragma once
// Turns the schedule page's settings into the next-date and interval
// expressions DBMS_JOB wants and the sentence that describes them. One way
// only: expressions are never read back into settings.

#include "controls/CScheduleFormatter.h"
#include "controls/CScheduleResult.h"
#include "controls/CScheduleSettings.h"

#include <string>

class CScheduleBuilder {
public:
    // Longest interval text the job queue stores.
    static constexpr std::size_t MaxInterval = 200;

    explicit CScheduleBuilder(const CScheduleFormatter& formatter) : m_formatter(formatter) {}

    CScheduleResult Build(const CScheduleSettings& settings) const;

    // The page does not describe the job: its expressions are edited as text.
    static CScheduleResult UserDefined();
    static CScheduleResult Invalid();

    // "TO_DATE('d/m/yyyy h:m:s', ...)" of a moment.
    static std::string DateLiteral(const VkDateFormat::Parts& moment);
    // SYSDATE plus amount units, whole form (units Seconds to Years).
    static std::string UnitExpression(LONG amount, int unit);
    // SYSDATE plus amount units as a day fraction (Seconds to Hours).
    static std::string DecimalUnitExpression(LONG amount, int unit);
    // 1st, 2nd, 3rd, 4th, ..., 11th, ..., 21st, ...
    static std::string DayOrdinal(int day);
    // The text with its one "%g" or "%.Nf" replaced by value, always with a
    // decimal point whatever the locale.
    static std::string FormatNumber(const std::string& format, double value);
    // Every "+0." shortened to "+.".
    static std::string DropLeadingZeros(std::string text);

private:
    struct StartPart {
        std::string text;     // empty for As dictated by Repeat
        std::string nextDate; // empty for As dictated by Repeat
    };

    StartPart Start(const CScheduleSettings& settings) const;
    CScheduleResult RunOnce(const CScheduleSettings& settings, const StartPart& start) const;
    CScheduleResult Every(const CScheduleSettings& settings, const StartPart& start) const;
    CScheduleResult DayDate(const CScheduleSettings& settings, const StartPart& start) const;

    const CScheduleFormatter& m_formatter;
};
