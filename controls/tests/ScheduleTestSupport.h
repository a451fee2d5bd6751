#pragma once
// Fixed time and date formats for schedule tests: times as HH:MM:SS, dates
// as "5 March 2027".

#include "controls/CScheduleFormatter.h"

#include <cstdio>
#include <string>

class FixedScheduleFormatter : public CScheduleFormatter {
public:
    std::string TimeText(const CScheduleTime& t) const override
    {
        char text[32];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
        return text;
    }
    std::string LongDateText(int year, int month, int day) const override
    {
        static const char* const names[] = {"January", "February", "March",     "April",   "May",      "June",
                                            "July",    "August",   "September", "October", "November", "December"};
        return std::to_string(day) + " " + names[(month - 1) % 12] + " " + std::to_string(year);
    }
};
