#include "controls/CQueueCompareCommands.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobListMenu.h"
#include "controls/CQueueCompareDlg.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QPointer>

#include <algorithm>

namespace {

// Interface thread only; a closed queue leaves a null behind, dropped on
// the next look.
std::vector<QPointer<CJobListCtrl>>& OpenQueues()
{
    static std::vector<QPointer<CJobListCtrl>> queues;
    return queues;
}

} // namespace

void CQueueCompareCommands::Attach(CJobListCtrl& list)
{
    OpenQueues().emplace_back(&list);
    QPointer<CJobListCtrl> guarded(&list);
    QObject::connect(&list, &CJobListCtrl::commandRequested, &list, [guarded](UINT command) {
        if (guarded && command == ID_JL_COMPARE)
            Compare(*guarded);
    });
}

std::vector<CJobListCtrl*> CQueueCompareCommands::OtherQueues(const CJobListCtrl& list)
{
    auto& queues = OpenQueues();
    queues.erase(std::remove(queues.begin(), queues.end(), nullptr), queues.end());
    std::vector<CJobListCtrl*> others;
    for (const auto& queue : queues)
        if (queue.data() != &list)
            others.push_back(queue.data());
    return others;
}

bool CQueueCompareCommands::Compare(CJobListCtrl& list)
{
    const std::vector<CJobListCtrl*> others = OtherQueues(list);
    if (others.empty()) {
        VkModalService::MessageBox(&list, QVCtrlString(IDS_QC_NO_OTHER), QVCtrlString(IDS_QC_TITLE),
                                   MB_OK | MB_ICONINFORMATION);
        return false;
    }
    // No interaction hold: the dialog follows the lists as they refresh.
    CQueueCompareDlg dialog(&list, others, &list);
    VkModalService::DoModal(&dialog);
    return true;
}
