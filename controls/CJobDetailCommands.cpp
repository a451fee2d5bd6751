#include "controls/CJobDetailCommands.h"

#include "controls/CJobDetailDlg.h"
#include "controls/CJobDetailQueue.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
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
