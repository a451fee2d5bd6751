#pragma once
// Saving a job record on a queue's worker, the same way from the job list
// and from the command-line tool: DBMS_JOB.CHANGE for a job the queue has,
// DBMS_JOB.SUBMIT (in the record's schema) for any other, and a job saved
// as broken is broken once it exists.

#include "controls/CJobListData.h"
#include "framework/TwRequestWorker.h"

#include <functional>

class CJobQueueWorker;
class QObject;

class CJobSaveRule {
public:
    // Called with the saved job (its new number, not broken) when the
    // record asked for a broken job; the caller queues the toggle its way.
    using BreakSaved = std::function<void(const CJobListData&)>;

    // Queues the save; `reply` hears its outcome after `breakSaved` ran.
    // False when the worker would not take the request.
    static bool Save(CJobQueueWorker& worker, const CJobListData& job, bool queueHasJob, QObject* context,
                     BreakSaved breakSaved, TwReplyCallback reply);
};
