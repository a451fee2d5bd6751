#pragma once
// The background query worker of one job queue: one thread with its own
// Oracle session takes queued requests in order and answers by posting
// status records and job data to its receiver (the job list window). The
// user interface thread never waits on the server except in a synchronous
// request, and then for at most the reply time-out. A run request gets a
// thread and session of its own, since the server answers it only when the
// job has finished.

#include "controls/CJobListData.h"
#include "controls/CJobQueueMessages.h"
#include "framework/OCISession.h"
#include "framework/TwWorkerState.h"
#include "platform/SyncObjects.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

// What a synchronous request got back: its own outcome, so that a late
// answer to a caller who gave up can never be taken for the next caller's.
struct CJobRequestOutcome {
    bool failed = false;
    std::string message;
    double jobNumber = 0; // submitted or changed job
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> evaluation;
};

class CJobQueueWorker : public TwWorkerState {
public:
    static constexpr DWORD kReplyTimeoutMs = 20000;
    static constexpr DWORD kNeverRefresh = 0xFFFFFFFF;
    static constexpr LONG kMaxQueued = 9999;

    // Messages go to receiver, which must outlive Stop().
    explicit CJobQueueWorker(QObject* receiver);
    // Stops the worker (without asking) when Stop() was not called.
    ~CJobQueueWorker();
    CJobQueueWorker(const CJobQueueWorker&) = delete;
    CJobQueueWorker& operator=(const CJobQueueWorker&) = delete;

    void SetAdministratorView(bool on) { m_adminView = on; }
    // Seconds; kNeverRefresh for no automatic refresh.
    void SetRefreshInterval(DWORD seconds) { m_refreshInterval = seconds; }
    DWORD RefreshInterval() const { return m_refreshInterval; }
    void SetWarnAboutView(bool warn) { m_warnAboutView = warn; }
    // Shows the missing-view warning and returns when it was dismissed;
    // called on the worker thread. Without one (or after null) the modal
    // service shows it on the user interface thread.
    void SetViewWarningHandler(std::function<void(const std::string&)> handler);
    // Called on the worker thread before each request is handled (tests hold
    // the worker busy with it).
    void SetRequestHook(std::function<void(LONG kind)> hook);
    void SetReplyTimeout(DWORD milliseconds) { m_replyTimeout = milliseconds; }

    // Starts the worker on the first call and queues a connect with the
    // current logon details; false when the thread cannot be started.
    bool Connect();
    // Queues a request; false when it could not be queued (stopped, or the
    // queue is full), or, with wait, when it failed or no answer came in
    // time ("Timed out waiting for a response."). text, job and schema are
    // copied; a null job queues a fresh record.
    bool PostRequest(LONG kind, const std::string* text = nullptr, const CJobListData* job = nullptr,
                     bool wait = false, const std::string* schema = nullptr,
                     CJobRequestOutcome* outcome = nullptr);

    // Synchronous requests of the dialogs; on failure error gets the message.
    bool TestSql(const std::string& statement, std::string& error);
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> Evaluate(const std::string& query, std::string& error);
    // Runs a submit block (output bind ":jobno"); the new job number, 0 on failure.
    LONG Submit(const std::string& block, const std::string& schema, std::string& error);
    // Runs a change block for job; its number, 0 on failure.
    LONG Change(const std::string& block, const CJobListData& job, std::string& error);

    // -1 connecting, 0 connected, 1 not connected.
    bool IsConnected() const { return ConnectionState() == 0; }
    bool Started() const { return m_thread.Joinable(); }
    long ServerMajorVersion() const { return m_majorVersion; }
    bool RunningViewVisible() const { return m_runningViewVisible; }
    std::vector<std::string> SchemaUsers() const;
    size_t QueuedRequests() const;
    size_t RunningJobs() const;

    // The user interface holds back new lists while the user interacts.
    void BeginInteraction();
    void EndInteraction();
    // Raised by the user interface while it installs a list, in every
    // queue of the process; no automatic refresh starts meanwhile.
    static std::atomic<int>& InstallingCounter();

    // Stop flag, shutdown request, then a wait for the thread in rounds of
    // the reply time-out; after each round askRetry decides whether to keep
    // waiting. Giving up interrupts the server calls of the worker and its
    // run threads and then waits for them to end. Null askRetry asks the
    // user through the modal service.
    void Stop(std::function<bool()> askRetry = nullptr);
    bool Stopping() const { return m_stop; }

private:
    struct Request;
    struct RunThread;

    void Main();
    void Handle(Request& request);
    void HandleConnect(const Request& request);
    void HandleDisconnect(bool report);
    void HandleRefresh();
    LONG ReadJobList();
    void HandleSubmit(const Request& request);
    void HandleChange(const Request& request);
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
    void QueueReconnect();
    void ReapRunThreads(bool all);

    // Sets the last message and failed flag, then posts a status record.
    void Report(const std::string& text, LONG image, bool failed, LONG frames = 1, bool animate = false,
                bool bounce = false, const std::string& tip = std::string());
    void ReportBusy();
    void Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record = nullptr);

    QObject* m_receiver;

    std::deque<std::unique_ptr<Request>> m_queue;
    VkSemaphore m_pending{0, kMaxQueued};
    VkEvent m_listAccepted{true, true};
    VkEvent m_stopEvent{true, false};
    VkThread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<DWORD> m_refreshInterval{100};
    std::atomic<bool> m_adminView{false};
    std::atomic<bool> m_warnAboutView{true};
    std::atomic<DWORD> m_replyTimeout{kReplyTimeoutMs};
    int m_interactionHolds = 0; // user interface thread only

    std::function<void(const std::string&)> m_viewWarning;
    std::function<void(LONG)> m_requestHook;

    // Worker thread state.
    std::unique_ptr<VkOracle::OCISession> m_session;
    // The session while it exists, for Stop() to interrupt (under m_runLock).
    std::atomic<VkOracle::OCISession*> m_activeSession{nullptr};
    std::string m_sessionConnect;
    bool m_autoRefreshArmed = true;
    bool m_reconnectedAfterFailure = false;
    std::atomic<long> m_majorVersion{0};
    std::atomic<bool> m_runningViewVisible{false};
    std::vector<std::string> m_schemaUsers; // under m_lock
    double m_submittedJob = 0;

    // Run threads, shared with them.
    mutable std::mutex m_runLock;
    std::vector<std::shared_ptr<RunThread>> m_runThreads;
};
