#pragma once
// The common end of paste and drop: the jobs of a "Quorvane JLData" block
// become new jobs of this queue after the copy dialog agreed. The dialog and
// the saving of a new job belong to other parts of the control, reached
// through CJobPasteTarget.

#include "controls/CJobListData.h"
#include "platform/WinTypes.h"

#include <QByteArray>

#include <functional>
#include <string>

struct CJobCopyChoice {
    bool accepted = false;
    bool makeBroken = false; // "Make broken"
};

class CJobPasteTarget {
public:
    virtual ~CJobPasteTarget() = default;
    // The host of this queue (the copy dialog's "to" text).
    virtual std::string Host() const = 0;
    // The copy dialog for count jobs from fromHost to toHost.
    virtual CJobCopyChoice AskCopy(size_t count, const std::string& fromHost, const std::string& toHost) = 0;
    // Wait cursor (and a repaint first) around the saves.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // Queues the save of job as a new job of this queue (a broken record is
    // broken right after); done later gets the new job number, 0 on failure
    // (its text is in the status bar). False, and no call of done, when
    // nothing could be queued.
    virtual bool SaveNewJob(const CJobListData& job, std::function<void(LONG number)> done) = 0;
    // Queues a refresh of the whole list.
    virtual bool RequestRefresh() = 0;
};

class CJobPaste {
public:
    // False when the block holds no jobs (or is not a whole container) or
    // the dialog was cancelled; true once the saves were started. They run
    // one after the other, each queued when the one before has answered,
    // then the refresh is queued, the wait ends and finished (when given) is
    // called, whether or not they succeeded. target must outlive the saves.
    static bool PasteRecords(const QByteArray& block, CJobPasteTarget& target,
                             std::function<void()> finished = {});
};
