#pragma once
// Run, remove, stop and break or unbreak the selected jobs of a queue: one
// question for the whole selection, then one worker request per selected
// job, never waiting for the server. The decisions (which question, which
// requests) are made here without a window; the job list and the modal
// service are reached through CJobActionTarget.

#include "controls/CJobListData.h"
#include "platform/WinTypes.h"

#include <string>
#include <vector>

enum class CJobAction { Run, Remove, Stop, Break, StopAll };

struct CJobActionRequest {
    LONG kind = 0;
    CJobListData job; // a copy of the row's record
};

// What the actions work on: the job list, its worker and the modal service
// in the control, a recording fake in tests.
class CJobActionTarget {
public:
    virtual ~CJobActionTarget() = default;
    // The selected rows' records, in list order.
    virtual std::vector<CJobListData> SelectedJobs() const = 0;
    // Every row's record, in list order.
    virtual std::vector<CJobListData> AllJobs() const = 0;
    // Held while the question is open: no new list is installed meanwhile.
    virtual void BeginInteraction() = 0;
    virtual void EndInteraction() = 0;
    // Yes/No question; true for Yes.
    virtual bool Confirm(const std::string& question) = 0;
    // Queues a request without waiting; false when it could not be queued.
    virtual bool PostRequest(LONG kind, const CJobListData& job) = 0;
};

class CJobActions {
public:
    // The action of a job list command (4115 ... 4119); false for others.
    static bool FromCommand(UINT command, CJobAction& action);

    // The question for the selection (all for stop all).
    static std::string Question(CJobAction action, const std::vector<CJobListData>& selected);
    // The requests a Yes posts, in order. Run leaves out jobs already shown
    // running (a second run would only wait for the first and then report
    // it failed); stop asks for every selected job, running or not; stop
    // all stops every job shown running in the queue.
    static std::vector<CJobActionRequest> Requests(CJobAction action, const std::vector<CJobListData>& selected,
                                                   const std::vector<CJobListData>& all);

    // Asks and, on Yes, posts. The number of requests posted; -1 when the
    // user said No.
    static int Perform(CJobAction action, CJobActionTarget& target);
};
