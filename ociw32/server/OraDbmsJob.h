#pragma once
// The DBMS_JOB package on the job table: SUBMIT, ISUBMIT, CHANGE, WHAT,
// NEXT_DATE, INTERVAL, INSTANCE, BROKEN, REMOVE and RUN, with Oracle's
// rules (own jobs only, ORA-23421; RUN commits and keeps the run's
// bookkeeping; 16 failures break a job).

#include "ociw32/server/PlsqlInterpreter.h"

#include <string>

namespace VkOracle {

class OraDbmsJob {
public:
    explicit OraDbmsJob(PlsqlInterpreter& interpreter) : m_in(interpreter) {}
    // Runs DBMS_JOB.<procedure>; false when the package has no such procedure.
    bool Call(const std::string& procedure, const PlsqlStmt& call, PlsqlScope* scope);

    // Runs a job's WHAT in the interpreter's session with Oracle's run
    // bookkeeping; the result is the job's own error, if any.
    OraResult RunJob(int64_t job);

private:
    int64_t OwnJob(const OraValue& job);
    void CheckWhat(const OraValue& what);
    void CheckInterval(const OraValue& interval);
    void Update(int64_t job, const std::string& assignments, const OraValue& a = {}, const OraValue& b = {});

    PlsqlInterpreter& m_in;
};

} // namespace VkOracle
