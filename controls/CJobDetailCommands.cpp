#include "controls/CJobDetailCommands.h"

#include "controls/CIntervalForecastDlg.h"
#include "controls/CJobDetailDlg.h"
#include "controls/CJobDetailQueue.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobSaveStatement.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QPointer>

namespace {

int Open(CJobListCtrl& list, const CJobListData* job)
{
    CJobListDetailQueue queue(list);
    CJobDetailDlg dlg(queue, job, &list);
    return VkModalService::DoModal(&dlg);
}

} // namespace

void CJobDetailCommands::Attach(CJobListCtrl& list)
{
    QPointer<CJobListCtrl> guarded(&list);
    QObject::connect(&list, &CJobListCtrl::commandRequested, &list, [guarded](UINT command) {
        if (guarded)
            OnCommand(*guarded, command);
    });
}

bool CJobDetailCommands::OnCommand(CJobListCtrl& list, UINT command)
{
    switch (command) {
    case ID_JL_NEW:
        New(list);
        return true;
    case ID_JL_MODIFY:
        Modify(list);
        return true;
    case ID_JL_FORECAST:
        Forecast(list);
        return true;
    default:
        return false;
    }
}

int CJobDetailCommands::New(CJobListCtrl& list)
{
    return Open(list, nullptr);
}

int CJobDetailCommands::Modify(CJobListCtrl& list)
{
    const std::vector<int> rows = list.SelectedRows();
    if (rows.empty())
        return QDialog::Rejected;
    // A copy: the list may install a new one while the dialog is open.
    const CJobListData job = list.Model().Job(rows.front());
    return Open(list, &job);
}

int CJobDetailCommands::Forecast(CJobListCtrl& list)
{
    const std::vector<int> rows = list.SelectedRows();
    if (rows.empty())
        return QDialog::Rejected;
    const CJobListData job = list.Model().Job(rows.front());
    QPointer<CJobListCtrl> guarded(&list);
    CIntervalForecastDlg dlg(
        [guarded](const std::string& query, QObject* context, TwReplyCallback reply) {
            return guarded && guarded->Worker().Evaluate(query, context, std::move(reply));
        },
        job.m_jobNumber, job.m_interval, CJobSaveStatement::DateLiteral(job.m_nextDate),
        [guarded, job](const std::string& fixed) {
            if (!guarded)
                return false;
            CJobListData changed = job;
            changed.m_interval = fixed;
            // The answer may come after the dialog is gone; the list outlives it.
            return guarded->SaveJob(changed, false, guarded, [guarded](TwRequestOutcome& outcome) {
                if (outcome.failed && guarded)
                    VkModalService::MessageBox(guarded, QString::fromStdString(outcome.message),
                                               QVCtrlString(IDS_QV_CAPTION), MB_OK | MB_ICONEXCLAMATION);
            });
        },
        &list);
    return VkModalService::DoModal(&dlg);
}
