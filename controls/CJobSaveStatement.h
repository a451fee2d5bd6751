#pragma once
// How a saved job record becomes the block the server runs: DBMS_JOB.CHANGE
// for a job the queue shows, DBMS_JOB.SUBMIT (in the form of the server's
// version) for any other. The job detail dialog, the import and the copy
// all save through this one path.

#include "controls/CJobListData.h"

#include <string>

class CJobSaveStatement {
public:
    // Removes each run of blanks after ";", "," or "(" or before "(" or ")",
    // and makes every other run one blank (a run at the end too).
    static std::string NormaliseInterval(const std::string& interval);
    // "TO_DATE('d/m/yyyy h:m:s', 'DD/MM/YYYY HH24:MI:SS')" without leading
    // zeros; an unreadable date gives 30/12/1899 0:0:0.
    static std::string DateLiteral(DATE date);
    // Text placed inside quotes: carriage returns dropped (what only),
    // quotes doubled.
    static std::string QuotedWhat(const std::string& what);
    static std::string QuotedInterval(const std::string& interval);

    static std::string ChangeBlock(const CJobListData& job);
    // Four arguments before version 8; with instance and force after.
    static std::string SubmitBlock(const CJobListData& job, long serverMajorVersion);
    // The schema to switch to around a submit: the record's schema when it
    // is set and is not the logged-on user (ignoring case), else empty.
    static std::string SubmitSchema(const CJobListData& job, const std::string& user);
};
