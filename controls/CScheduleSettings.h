#pragma once
// What the schedule page's controls say: the start and repeat choices and
// every value beside them. The builder turns it into a schedule result.

#include "controls/CDISDaysModel.h"
#include "generic/VkDateFormat.h"
#include "platform/WinTypes.h"

// A time of day.
struct CScheduleTime {
    int hour = 0, minute = 0, second = 0;
    // hour + minute/60 + second/3600
    double Hours() const { return hour + minute / 60.0 + second / 3600.0; }
};

struct CScheduleSettings {
    enum Start { StartNone = -1, StartNow = 0, StartOn = 1, StartByRepeat = 2 };
    enum Repeat { RepeatNone = -1, RepeatNever = 0, RepeatEvery = 1, RepeatDayDate = 2 };
    // Unit indexes of the every list; the repeat-every list has the first three.
    enum Unit { Seconds = 0, Minutes, Hours, Days, Weeks, Months, Years };
    static constexpr int UnitCount = 7;
    static constexpr int IntraDayUnitCount = 3;

    int start = StartNow;
    // The start date picker's date with the start time picker's time of day.
    VkDateFormat::Parts startMoment;
    int repeat = RepeatNever;
    LONG everyAmount = 1;
    int everyUnit = Hours;
    CScheduleTime everyAt;
    CDISDaysModel days;
    CScheduleTime dayAt;
    bool until = false;
    CScheduleTime untilTime;
    LONG repeatAmount = 1;
    int repeatUnit = Hours;

    // The every-at time counts only for units of a day or longer.
    bool EveryAtEnabled() const { return everyUnit >= Days; }
    // The until group counts only for Every Day/Date on all seven weekdays.
    bool UntilEnabled() const { return repeat == RepeatDayDate && days.AllWeekdays(); }
};
