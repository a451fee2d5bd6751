#include "controls/CJobSaveRule.h"

#include "controls/CJobQueueWorker.h"
#include "controls/CJobSaveStatement.h"

bool CJobSaveRule::Save(CJobQueueWorker& worker, const CJobListData& job, bool queueHasJob, QObject* context,
                        BreakSaved breakSaved, TwReplyCallback reply)
{
    TwReplyCallback done = [broken = job.m_broken, breakSaved = std::move(breakSaved),
                            reply = std::move(reply)](TwRequestOutcome& outcome) {
        // Neither SUBMIT nor CHANGE takes the broken flag.
        if (broken && breakSaved && !outcome.failed && outcome.number > 0) {
            CJobListData saved;
            saved.m_jobNumber = static_cast<LONG>(outcome.number);
            saved.m_broken = false;
            breakSaved(saved);
        }
        if (reply)
            reply(outcome);
    };
    if (queueHasJob)
        return worker.Change(CJobSaveStatement::ChangeBlock(job), job, context, std::move(done));
    return worker.Submit(CJobSaveStatement::SubmitBlock(job, worker.ServerMajorVersion()),
                         CJobSaveStatement::SubmitSchema(job, worker.UserName()), context, std::move(done));
}
