#pragma once
// Automation dates (days since 30 December 1899, the fraction being the time
// of day) and their text in the user's date and time formats.

#include <string>

class VkDateFormat {
public:
    struct Parts {
        int year = 0, month = 0, day = 0;
        int hour = 0, minute = 0, second = 0;
    };

    // The automation date of a calendar date and time; false (and 0.0) when
    // the parts do not name a valid date and time.
    static bool ToAutomationDate(const Parts& parts, double& date);
    // The calendar date and time of an automation date, rounded to the
    // second; false for values outside the representable years.
    static bool FromAutomationDate(double date, Parts& parts);

    // The date in the user's short date format; abbreviatedMonth shows the
    // month as its abbreviated name wherever the format has it as a number.
    static std::string FormatDateToShortDateFormat(double date, bool abbreviatedMonth = false);
    // The time in the user's time format, optionally without the seconds.
    static std::string FormatDateToTimeFormat(double date, bool noSeconds = false);
};
