#pragma once
// Forecasting a job's runs from its interval, and the warnings worth giving
// about an interval. Window-free: the server evaluates each step (through
// the worker); this class makes the statements and reads what came back.
//
// Oracle computes a job's next date by evaluating the interval when a run
// starts, SYSDATE being the start. A forecast therefore starts at the next
// date and evaluates the interval again and again with SYSDATE standing for
// the previous run.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

struct CIntervalWarning {
    enum class Kind {
        Empty,       // the job runs once and is removed
        Drifts,      // SYSDATE without TRUNC: moves by each run's duration
        NotForward,  // a step does not move forward (ORA-23420 at that run)
        Ends,        // the interval gives no date (NULL): the job ends there
        NextInPast,  // the next date is already past
    };
    Kind kind;
    std::string message;
    std::string fix; // the interval to use instead; empty when none is known
};

class CIntervalForecast {
public:
    static constexpr int kDefaultRuns = 10;
    static constexpr int kMaxRuns = 100;

    // interval with every SYSDATE (a whole word outside strings, quoted
    // names and comments, any case) replaced by the date as a TO_DATE
    // literal.
    static std::string Substitute(const std::string& interval, DATE previous);
    // The one-row query that evaluates one step (the interval and SYSDATE).
    static std::string StepStatement(const std::string& interval, DATE previous);

    // Warnings that the text alone shows: an empty interval, SYSDATE used
    // without TRUNC (with a fix keeping the next date's time of day when
    // the interval is a plain "SYSDATE + step"), a next date before now
    // (now 0: unknown, not checked).
    static std::vector<CIntervalWarning> LintText(const std::string& interval, DATE nextDate, DATE now);
    // The warning for one step of a forecast from previous to next (next 0:
    // the interval gave NULL); none when the step is sound.
    static bool CheckStep(DATE previous, DATE next, CIntervalWarning* warning);

    // "Monday" ... "Sunday" (English, whatever the locale).
    static std::string Weekday(DATE date);
    // "YYYY-MM-DD HH24:MI:SS".
    static std::string DateText(DATE date);
    // The number of runs asked for, kept within 1..kMaxRuns.
    static int ClampRuns(int runs);
};
