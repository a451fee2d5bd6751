#pragma once
// How the schedule's sentences show times and dates. The page uses the
// user's locale; tests use fixed formats.

#include "controls/CScheduleSettings.h"

#include <string>

class CScheduleFormatter {
public:
    virtual ~CScheduleFormatter() = default;
    // The time in the user's time format.
    virtual std::string TimeText(const CScheduleTime& time) const = 0;
    // The date in the user's long date format.
    virtual std::string LongDateText(int year, int month, int day) const = 0;
};

class CScheduleLocaleFormatter : public CScheduleFormatter {
public:
    std::string TimeText(const CScheduleTime& time) const override;
    std::string LongDateText(int year, int month, int day) const override;
};
