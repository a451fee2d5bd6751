#include "controls/CQueueCompareCopy.h"

#include "controls/CJobClipboard.h"
#include "controls/CJobCopyTarget.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobPaste.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QPointer>

#include <memory>

namespace {

// The changes, one save at a time, each queued when the last answered.
struct ChangeRun : std::enable_shared_from_this<ChangeRun> {
    void Next()
    {
        while (next < plan.change.size() && target) {
            const CJobListData job = plan.change[next];
            const bool unbreak = plan.unbreak[next];
            ++next;
            auto self = shared_from_this();
            const bool queued = target->SaveJob(job, false, target, [self, job, unbreak](TwRequestOutcome& outcome) {
                // The save only ever breaks; a job to be running again is
                // unbroken here.
                if (self->target && unbreak && !outcome.failed) {
                    CJobListData broken = job;
                    broken.m_broken = true;
                    self->target->Worker().PostRequest(ReqToggleBroken, nullptr, &broken);
                }
                self->Next();
            });
            if (queued)
                return;
        }
        if (target)
            target->RequestRefresh();
        if (finished)
            finished();
    }

    CQueueCompareCopy::Plan plan;
    QPointer<CJobListCtrl> target;
    std::function<void()> finished;
    size_t next = 0;
};

void Change(const CQueueCompareCopy::Plan& plan, CJobListCtrl& source, CJobListCtrl& target, QWidget* owner,
            std::function<void()> finished)
{
    if (plan.change.empty()) {
        if (finished)
            finished();
        return;
    }
    const std::string question =
        QVCtrlStrings().Format(IDS_QC_CHANGE_QUESTION, long(plan.change.size()), target.Worker().Host().c_str(),
                               source.Worker().Host().c_str());
    if (VkModalService::MessageBox(owner, QString::fromStdString(question), QVCtrlString(IDS_QC_TITLE),
                                   MB_YESNO | MB_ICONQUESTION)
        != IDYES) {
        if (finished)
            finished();
        return;
    }
    auto run = std::make_shared<ChangeRun>();
    run->plan = plan;
    run->target = &target;
    run->finished = std::move(finished);
    run->Next();
}

} // namespace

CQueueCompareCopy::Plan CQueueCompareCopy::Build(const std::vector<CJobDiffRow>& rows, const std::vector<int>& chosen,
                                                 const std::vector<CJobListData>& left,
                                                 const std::vector<CJobListData>& right, bool toRight)
{
    Plan plan;
    for (int index : chosen) {
        if (index < 0 || index >= static_cast<int>(rows.size()))
            continue;
        const CJobDiffRow& row = rows[static_cast<size_t>(index)];
        const int from = toRight ? row.left : row.right;
        const int to = toRight ? row.right : row.left;
        if (from < 0)
            continue;
        const CJobListData& source = (toRight ? left : right)[static_cast<size_t>(from)];
        if (to < 0) {
            plan.create.push_back(source);
            continue;
        }
        if ((row.fields & (JobDiffInterval | JobDiffNextDate | JobDiffBroken)) == 0)
            continue;
        const CJobListData& target = (toRight ? right : left)[static_cast<size_t>(to)];
        CJobListData changed = source;
        changed.m_jobNumber = target.m_jobNumber;
        changed.m_schemaUser = target.m_schemaUser;
        plan.change.push_back(changed);
        plan.unbreak.push_back(target.m_broken && !source.m_broken);
    }
    return plan;
}

bool CQueueCompareCopy::Start(const Plan& plan, CJobListCtrl& source, CJobListCtrl& target, QWidget* owner,
                              std::function<void()> finished)
{
    if (plan.Empty())
        return false;
    QPointer<CJobListCtrl> from(&source);
    QPointer<CJobListCtrl> to(&target);
    QPointer<QWidget> guardedOwner(owner);
    auto changes = [plan, from, to, guardedOwner, finished]() {
        if (from && to)
            Change(plan, *from, *to, guardedOwner, finished);
        else if (finished)
            finished();
    };
    if (plan.create.empty()) {
        changes();
        return true;
    }
    auto* copyTarget = target.findChild<CJobCopyTarget*>(QString(), Qt::FindDirectChildrenOnly);
    if (!copyTarget)
        return false;
    CJobTransferList list;
    list.m_sourceHost = source.Worker().Host();
    for (const CJobListData& job : plan.create)
        list.Add(job);
    const QByteArray block = CJobClipboard::Write(list);
    // The copy dialog may be declined; the changes are still offered.
    if (!CJobPaste::PasteRecords(block, *copyTarget, changes))
        changes();
    return true;
}
