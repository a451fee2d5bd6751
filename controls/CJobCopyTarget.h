#pragma once
// The paste target of a job list: the copy dialog before pasted or dropped
// jobs are created, and their saving as new jobs through the list's save
// path. Attaching it enables Paste and drops on the list.

#include "controls/CJobPaste.h"

#include <QObject>

class CJobListCtrl;

class CJobCopyTarget : public QObject, public CJobPasteTarget {
    Q_OBJECT

public:
    // Becomes list's child and its paste target.
    explicit CJobCopyTarget(CJobListCtrl* list);
    // Ends a wait that a paste cut short by the list's end left open.
    ~CJobCopyTarget() override;

    std::string Host() const override;
    CJobCopyChoice AskCopy(size_t count, const std::string& fromHost, const std::string& toHost) override;
    void BeginWait() override;
    void EndWait() override;
    bool SaveNewJob(const CJobListData& job, std::function<void(LONG number)> done) override;
    bool RequestRefresh() override;

private:
    CJobListCtrl* m_list;
    int m_waits = 0;
};
