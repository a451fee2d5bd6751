#pragma once
// The DBMS_JOB package on the job table: SUBMIT, ISUBMIT, CHANGE, WHAT,
// NEXT_DATE, INTERVAL, INSTANCE, BROKEN, REMOVE and RUN, with Oracle's
// rules (own jobs only, ORA-23421; RUN commits and keeps the run's
// bookkeeping; 16 failures break a job).

#include "ociw32/server/PlsqlInterpreter.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
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

    enum class QueueRun { Ran, NotDue, Taken };
private:
    struct JobRow;

public:
    // A job queue runner: its number, the turn its process's runners take
    // for their own writes (so that they never meet in SQLite's lock), and
    // the hand-over of its next job, which is claimed in the transaction
    // that books the run before it.
    struct QueueSlot {
        int runner = 0;
        std::mutex* writers = nullptr;
        // Asked while a run's bookkeeping is open: the runner's next job when
        // it may be claimed there (same owner), else 0.
        std::function<int64_t()> takeNext;
        int64_t next = 0;    // out: what takeNext gave
        int64_t claimed = 0; // in and out: a job already claimed for this runner
        std::shared_ptr<JobRow> claimedRow; // as the claim read it
    };
    // A job queue run: as RunJob, once the job is claimed in the transaction
    // that checks it is still due and unbroken, that no other session runs
    // it (else Taken, ORA-00054) and that JOB_QUEUE_PROCESSES still leaves
    // room for the runner (else NotDue, as for a job no longer due). The
    // job's work is committed with its bookkeeping.
    OraResult RunQueued(int64_t job, QueueSlot* slot, QueueRun* outcome);
    // Lets go of a job claimed for this session that will not run now: it
    // is not counted as run or failed (unless the lock is not to be had
    // within a moment: then the claim ends with the session, as a failure).
    void ReleaseClaim(int64_t job, std::mutex* writers);

private:
    // The job's row; with `committedImage` as this session may see it, else
    // the table's own (a row the queue has claimed).
    bool ReadRow(int64_t job, JobRow* row, bool committedImage);
    OraResult Run(int64_t job, QueueSlot* slot, QueueRun* outcome);
    OraResult Claim(int64_t job, const QueueSlot& slot, int64_t start, JobRow* row, QueueRun* outcome);
    // Claims a job in the write transaction open.
    QueueRun ClaimIn(int64_t job, int runner, int64_t start);
    OraResult Mark(int64_t job, int64_t start);
    OraResult Finish(int64_t job, const JobRow& row, int64_t start, OraValue next, std::map<std::string, PlsqlVar>& vars,
                     OraResult r, QueueSlot* slot);
    int64_t OwnJob(const OraValue& job);
    void CheckWhat(const OraValue& what);
    void CheckInterval(const OraValue& interval);
    void Update(int64_t job, const std::string& assignments, const OraValue& a = {}, const OraValue& b = {});

    PlsqlInterpreter& m_in;
};

} // namespace VkOracle
