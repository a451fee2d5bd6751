#pragma once
// The job detail dialog's rules that need no window: tabulating an
// expression, the statements it sends for a syntax check and an evaluation,
// what an evaluation's answer means, the Interval text made from a schedule
// result, and the record handed over for saving.

#include "controls/CJobListData.h"
#include "controls/CScheduleResult.h"
#include "framework/OCISession.h"

#include <string>

class CJobDetailText {
public:
    // Lays the text out one token to a line, indented by parenthesis depth
    // (tabs), comments on lines of their own; lines end in "\r\n".
    static std::string Tabulate(const std::string& text);

    // "BEGIN %s END;" with the PL/SQL body, carriage returns removed.
    static std::string TestStatement(const std::string& what);
    // The one-row query that evaluates a date expression beside SYSDATE;
    // line breaks become blanks.
    static std::string EvaluateStatement(const std::string& expression);

    enum class Evaluation { Failed, NoData, NotADate, Date };
    // What an evaluation's answer (null: the request failed) says; date and
    // serverNow get the two dates when it is a date.
    static Evaluation Classify(const VkOracle::OCISession::OCIQueryData* data, DATE* date = nullptr,
                               DATE* serverNow = nullptr);

    // The Interval text for a schedule result: the tabulated interval with
    // its description as a leading comment while both fit in 200
    // characters, else the tabulated bare interval.
    static std::string IntervalFromSchedule(const CScheduleResult& result);

    // The date as the Next Date text shows it: a TO_DATE literal.
    static std::string NextDateLiteral(DATE date);

    // Windows line ends for the edits' texts and back.
    static std::string ToEditText(const std::string& text);
    static std::string FromEditText(const std::string& text);

    // What the pages hold, as the save needs it.
    struct Inputs {
        LONG jobNumber = -1;
        std::string what;
        std::string interval;
        DATE nextDate = 0;
        std::string schema;
        bool parse = true;
        LONG instance = 0;
        bool instanceMustRun = true;
    };
    // A fresh record with only the fields the dialog sets.
    static CJobListData Record(const Inputs& inputs);

    // Whether the job was submitted by someone other than user (ignoring case).
    static bool NotOwner(const CJobListData& job, const std::string& user);
};
