#include "controls/CJobActions.h"

#include "controls/CJobListMenu.h"
#include "controls/CJobQueueMessages.h"
#include "controls/QVCtrlStrings.h"

namespace {

long Count(size_t n)
{
    return static_cast<long>(n);
}

const char* JobWord(long count)
{
    return count == 1 ? "job" : "jobs";
}

// Holds new lists back for as long as the question is open.
class InteractionHold {
public:
    explicit InteractionHold(CJobActionTarget& target) : m_target(target) { m_target.BeginInteraction(); }
    ~InteractionHold() { m_target.EndInteraction(); }
    InteractionHold(const InteractionHold&) = delete;
    InteractionHold& operator=(const InteractionHold&) = delete;

private:
    CJobActionTarget& m_target;
};

} // namespace

bool CJobActions::FromCommand(UINT command, CJobAction& action)
{
    switch (command) {
    case ID_JL_RUN: action = CJobAction::Run; return true;
    case ID_JL_REMOVE: action = CJobAction::Remove; return true;
    case ID_JL_STOP: action = CJobAction::Stop; return true;
    case ID_JL_STOP_ALL: action = CJobAction::StopAll; return true;
    case ID_JL_BREAK: action = CJobAction::Break; return true;
    default: return false;
    }
}

std::string CJobActions::Question(CJobAction action, const std::vector<CJobListData>& selected)
{
    const VkStringTable& texts = QVCtrlStrings();
    const long count = Count(selected.size());
    switch (action) {
    case CJobAction::Run:
        return count == 1 ? texts.Load(IDS_JA_RUN_ONE) : texts.Format(IDS_JA_RUN_MANY, count);
    case CJobAction::Remove:
        return count == 1 ? texts.Load(IDS_JA_REMOVE_ONE) : texts.Format(IDS_JA_REMOVE_MANY, count);
    case CJobAction::Stop: {
        long running = 0;
        for (const CJobListData& job : selected)
            running += job.m_running != 0 ? 1 : 0;
        return running == 1 ? texts.Load(IDS_JA_STOP_ONE) : texts.Format(IDS_JA_STOP_MANY, running);
    }
    case CJobAction::Break: {
        long broken = 0;
        for (const CJobListData& job : selected)
            broken += job.m_broken ? 1 : 0;
        const long unbroken = count - broken;
        if (broken > 0 && unbroken == 0)
            return broken == 1 ? texts.Load(IDS_JA_UNBREAK_ONE) : texts.Format(IDS_JA_UNBREAK_MANY, broken);
        if (unbroken > 0 && broken == 0)
            return unbroken == 1 ? texts.Load(IDS_JA_BREAK_ONE) : texts.Format(IDS_JA_BREAK_MANY, unbroken);
        return texts.Format(IDS_JA_TOGGLE, broken, JobWord(broken), unbroken, JobWord(unbroken));
    }
    case CJobAction::StopAll:
        return texts.Load(IDS_JA_STOP_ALL);
    }
    return std::string();
}

std::vector<CJobActionRequest> CJobActions::Requests(CJobAction action, const std::vector<CJobListData>& selected,
                                                     const std::vector<CJobListData>& all)
{
    std::vector<CJobActionRequest> requests;
    switch (action) {
    case CJobAction::Run:
        for (const CJobListData& job : selected)
            if (job.m_running == 0)
                requests.push_back({ReqRun, job});
        break;
    case CJobAction::Remove:
        for (const CJobListData& job : selected)
            requests.push_back({ReqRemove, job});
        break;
    case CJobAction::Stop:
        for (const CJobListData& job : selected)
            requests.push_back({ReqStopJob, job});
        break;
    case CJobAction::Break:
        // The worker flips each job from its own record's broken flag.
        for (const CJobListData& job : selected)
            requests.push_back({ReqToggleBroken, job});
        break;
    case CJobAction::StopAll:
        for (const CJobListData& job : all)
            if (job.m_running != 0)
                requests.push_back({ReqStopJob, job});
        break;
    }
    return requests;
}

int CJobActions::Perform(CJobAction action, CJobActionTarget& target)
{
    InteractionHold hold(target);
    const std::vector<CJobListData> selected = target.SelectedJobs();
    if (!target.Confirm(Question(action, selected)))
        return -1;
    const std::vector<CJobListData> all =
        action == CJobAction::StopAll ? target.AllJobs() : std::vector<CJobListData>();
    int posted = 0;
    for (const CJobActionRequest& request : Requests(action, selected, all))
        posted += target.PostRequest(request.kind, request.job) ? 1 : 0;
    return posted;
}
