#pragma once
// What the schedule page hands to the job detail dialog after each change.

#include <string>

struct CScheduleResult {
    std::string description;
    std::string nextDate; // may be empty
    std::string interval; // may be empty
    // The page does not describe the job; the dialog keeps its own texts.
    bool userDefined = false;
    // The result may be saved.
    bool valid = true;

    bool operator==(const CScheduleResult&) const = default;
};
