#pragma once
// Creating the jobs of an export file in a queue, one after the other in
// file order, each through the queue's save operation; the next save is
// queued only when the previous one has answered, so the interface never
// waits and "Stop on error" can stop at the first failure.

#include "controls/CImportJobsDlg.h"
#include "controls/CJobListData.h"
#include "framework/TwWorkerRequest.h"

#include <QObject>
#include <QPointer>

#include <filesystem>
#include <functional>
#include <vector>

class QWidget;

class CJobImportRun : public QObject {
    Q_OBJECT

public:
    // The save operation of the queue (CJobListCtrl::SaveJob's shape): false
    // when nothing was queued, else the outcome comes to reply later.
    using Save = std::function<bool(const CJobListData& job, bool forceSubmit, QObject* context,
                                    TwReplyCallback reply)>;

    // owner carries the stop message; the run is a child of parent.
    CJobImportRun(std::vector<CJobListData> jobs, const CJobImportOptions& options, std::filesystem::path path,
                  Save save, QWidget* owner, QObject* parent = nullptr);

    // Queues the first save; finished comes once every job was tried or
    // the run stopped.
    void Start();
    bool IsFinished() const { return m_finished; }
    size_t Saved() const { return m_saved; }
    size_t Failed() const { return m_failed; }
    // The numbers of the jobs made or changed, in file order.
    const std::vector<LONG>& JobNumbers() const { return m_numbers; }

signals:
    void finished();

private:
    void SaveNext();
    void OnOutcome(const TwRequestOutcome& outcome);
    void Finish();

    std::vector<CJobListData> m_jobs;
    CJobImportOptions m_options;
    std::filesystem::path m_path;
    Save m_save;
    QPointer<QWidget> m_owner;
    size_t m_next = 0;
    size_t m_saved = 0;
    size_t m_failed = 0;
    std::vector<LONG> m_numbers;
    bool m_finished = false;
};
