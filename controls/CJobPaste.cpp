#include "controls/CJobPaste.h"

#include "controls/CJobClipboard.h"

bool CJobPaste::PasteRecords(const QByteArray& block, CJobPasteTarget& target)
{
    CJobTransferList list;
    if (!CJobClipboard::Read(block, list))
        return false;
    // Nothing to copy: no dialog asking about nothing.
    if (list.m_items.empty())
        return false;
    const CJobCopyChoice choice = target.AskCopy(list.m_items.size(), list.m_sourceHost, target.Host());
    if (!choice.accepted)
        return false;
    target.BeginWait();
    for (size_t i = 0; i < list.m_items.size(); ++i) {
        CJobListData& job = *list.m_items[i];
        if (choice.makeBroken)
            job.m_broken = true;
        target.SaveNewJob(job, i + 1 == list.m_items.size());
    }
    // Also when every save failed: the list shows what the server holds.
    target.RequestRefresh();
    target.EndWait();
    return true;
}
