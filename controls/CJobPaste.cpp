#include "controls/CJobPaste.h"

#include "controls/CJobClipboard.h"

#include <memory>

namespace {

// One paste in progress; kept alive by the save it waits for.
struct PasteRun : std::enable_shared_from_this<PasteRun> {
    PasteRun(CJobPasteTarget& target, bool makeBroken, std::function<void()> finished)
        : target(target), makeBroken(makeBroken), finished(std::move(finished))
    {
    }

    void SaveNext()
    {
        while (next < list.m_items.size()) {
            CJobListData& job = *list.m_items[next++];
            if (makeBroken)
                job.m_broken = true;
            auto self = shared_from_this();
            if (target.SaveNewJob(job, [self](LONG) { self->SaveNext(); }))
                return;
            // Not queued: the status bar says why; the others are still tried.
        }
        // Also when every save failed: the list shows what the server holds.
        target.RequestRefresh();
        target.EndWait();
        if (finished)
            finished();
    }

    CJobTransferList list;
    CJobPasteTarget& target;
    bool makeBroken;
    std::function<void()> finished;
    size_t next = 0;
};

} // namespace

bool CJobPaste::PasteRecords(const QByteArray& block, CJobPasteTarget& target, std::function<void()> finished)
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
    auto run = std::make_shared<PasteRun>(target, choice.makeBroken, std::move(finished));
    run->list.m_sourceHost = list.m_sourceHost;
    run->list.m_items = std::move(list.m_items);
    target.BeginWait();
    run->SaveNext();
    return true;
}
