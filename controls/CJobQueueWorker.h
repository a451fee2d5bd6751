#pragma once
// The background query worker of one job queue, on the framework's request
// worker: its requests read the job list, submit, change, remove, break and
// stop jobs and test statements, and it answers by posting status records
// and job data to its receiver (the job list window). A run request gets a
// thread and session of its own, since the server answers it only when the
// job has finished.

#include "controls/CJobHistoryRecorder.h"
#include "controls/CJobListData.h"
#include "controls/CJobQueueMessages.h"
#include "framework/TwRequestWorker.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

using CJobRequestOutcome = TwRequestOutcome;

class CJobQueueWorker : public TwRequestWorker {
public:
    // Messages go to receiver, which must outlive Stop().
    explicit CJobQueueWorker(QObject* receiver);
    // Stops the worker when Stop() was not called, never asking.
    ~CJobQueueWorker();

    void SetAdministratorView(bool on) { m_adminView = on; }
    void SetWarnAboutView(bool warn) { m_warnAboutView = warn; }
    // Shows the missing-view warning and returns when it was dismissed;
    // called on the worker thread. Without one (or after null) the modal
    // service shows it on the user interface thread.
    void SetViewWarningHandler(std::function<void(const std::string&)> handler);

    // Starts the worker on the first call and queues a connect with the
    // current logon details; false when the thread cannot be started.
    bool Connect();
    // Queues a request; false when it could not be queued (stopped, or the
    // queue is full), or, with wait, when it failed or no answer came in
    // time ("Timed out waiting for a response."). text, job and schema are
    // copied; a null job queues a fresh record. Waiting blocks: only for
    // threads other than the interface thread.
    bool PostRequest(LONG kind, const std::string* text = nullptr, const CJobListData* job = nullptr,
                     bool wait = false, const std::string* schema = nullptr,
                     CJobRequestOutcome* outcome = nullptr);
    // The same, with the outcome handed to reply on context's thread.
    bool PostRequest(LONG kind, const std::string& text, const CJobListData* job, const std::string& schema,
                     QObject* context, TwReplyCallback reply);

    // Saving a job (besides the inherited TestSql and Evaluate); the job's
    // number comes to reply on context's thread as number (0 when it
    // failed). False when the request could not be queued.
    bool Submit(const std::string& block, const std::string& schema, QObject* context, TwReplyCallback reply);
    bool Change(const std::string& block, const CJobListData& job, QObject* context, TwReplyCallback reply);

    long ServerMajorVersion() const { return m_majorVersion; }
    bool RunningViewVisible() const { return m_runningViewVisible; }
    std::vector<std::string> SchemaUsers() const;
    size_t RunningJobs() const;

    // The user interface holds back new lists while the user interacts.
    void BeginInteraction();
    void EndInteraction();
    // Raised by the user interface while it installs a list, in every
    // queue of the process; no automatic refresh starts meanwhile.
    static std::atomic<int>& InstallingCounter();

private:
    struct Request;
    struct RunThread;

    void Handle(TwWorkerRequest& request) override;
    bool NeedsConnection(LONG kind) const override;
    bool WantsAutoRefresh() const override;
    void OnThreadEnd() override;
    void Interrupt() override;

    void HandleConnect(const Request& request);
    void HandleRefresh();
    LONG ReadJobList();
    // Records a freshly read list in the run history; its changes by job.
    std::map<LONG, unsigned> ObserveList(const std::vector<CJobListData>& jobs);
    void HandleSubmit(Request& request);
    void HandleChange(Request& request);
    void HandleRemove(const Request& request);
    void HandleToggleBroken(const Request& request);
    void HandleParse(const Request& request);
    void HandleEvaluate(Request& request);
    void HandleStopJob(const Request& request);
    void HandleRun(const Request& request);
    void RunJob(std::string connect, CJobListData job, std::shared_ptr<RunThread> entry);
    void ReadSchemaUsers();
    void ShowViewWarning(const std::string& text);
    bool ProbeRunningView();
    void RereadJob(LONG jobNumber);
    void ReapRunThreads(bool all);
    // Waits for the user to leave the list, or for the stop; false when stopping.
    bool WaitForListAccepted();
    void ReportBusy();
    std::unique_ptr<TwWorkerRequest> NewRequest() const override;
    std::unique_ptr<TwWorkerRequest> MakeJobRequest(LONG kind, const std::string* text, const CJobListData* job,
                                                    const std::string* schema) const;

    VkEvent m_listAccepted{true, true};
    std::atomic<bool> m_adminView{false};
    std::atomic<bool> m_warnAboutView{true};
    int m_interactionHolds = 0; // user interface thread only

    std::function<void(const std::string&)> m_viewWarning; // under m_lock

    // Worker thread state.
    std::unique_ptr<CJobHistoryRecorder> m_history;
    DATE m_listReadAt = 0; // the server's clock when the last list was read
    std::string m_sessionConnect;
    bool m_reconnectedAfterFailure = false;
    std::atomic<long> m_majorVersion{0};
    std::atomic<bool> m_runningViewVisible{false};
    std::vector<std::string> m_schemaUsers; // under m_lock

    // Run threads, shared with them.
    mutable std::mutex m_runLock;
    std::vector<std::shared_ptr<RunThread>> m_runThreads;
};
