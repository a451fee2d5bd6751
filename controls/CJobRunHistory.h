#pragma once
// What the job queue's refreshes observed of a job, and what can be told
// from two observations in a row. DBMS_JOB keeps no run log: a successful
// run moves LAST_DATE (to its start) and resets FAILURES, a failed run
// raises FAILURES, both add their seconds to TOTAL_TIME, and the sixteenth
// failure sets BROKEN. Window-free, so that every rule can be tested alone.

#include "controls/CJobListData.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <vector>

// One job as one refresh saw it. Dates are automation dates, 0 for none.
struct CJobObservation {
    LONG job = -1;
    DATE observed = 0;  // the server's clock at the refresh
    DATE lastDate = 0;
    DATE thisDate = 0;
    DATE nextDate = 0;
    LONG failures = 0;
    LONG totalTime = 0; // seconds
    bool broken = false;
    uint32_t whatHash = 0; // tells a job re-created with another body
    bool gone = false;     // the refresh no longer listed the job

    static CJobObservation FromJob(const CJobListData& job, DATE observed);
    // A marker for a job a refresh did not list any more.
    static CJobObservation Gone(LONG job, DATE observed);
    // FNV-1a of the job's text: the same body gives the same number.
    static uint32_t HashWhat(const std::string& what);
};

// A run (or several runs between two refreshes) told from two observations.
struct CJobRun {
    enum Result { Succeeded, Failed, Broken };
    DATE start = 0;        // 0 when no refresh saw it start
    DATE observed = 0;     // the refresh that saw it had ended
    double duration = -1; // seconds; -1 when the refreshes cannot tell
    Result result = Succeeded;
    int count = 1;         // runs this entry stands for (refreshes missed)
};

class CJobRunHistory {
public:
    // What changed from one observation of a job to the next.
    enum Change : unsigned {
        None = 0,
        Ran = 1u << 0,       // at least one successful run
        Failed = 1u << 1,    // at least one failed run
        JustBroken = 1u << 2, // broken now, not before
        Running = 1u << 3,   // THIS_DATE set
        Recreated = 1u << 4, // another job under the same number
    };

    // The changes from before (null: never seen) to after.
    static unsigned Compare(const CJobObservation* before, const CJobObservation& after);
    // The runs told by one step; empty when none ended in between.
    static std::vector<CJobRun> Step(const CJobObservation& before, const CJobObservation& after);
    // The runs of one job's observations in the order they were made,
    // oldest first; removal and re-creation start the count afresh.
    static std::vector<CJobRun> DeriveRuns(const std::vector<CJobObservation>& sequence);
    // The same job as before, or another one created under its number.
    static bool SameJob(const CJobObservation& before, const CJobObservation& after);
};
