#pragma once
// The background worker every Oracle control uses: one thread with its own
// session takes queued requests in order and answers by posting records to
// its receiver. Callers get replies as callbacks on their own thread (the
// interface thread never waits for the server); a blocking form is there for
// threads that may wait. An automatic refresh is asked for (TWM_QUEUE with
// kRefresh) after each idle interval while the derived worker wants one.
// Derived workers handle the request kinds and must call Stop() in their
// destructor, before their own members go.

#include "framework/OCISession.h"
#include "framework/TwWorkerMessages.h"
#include "framework/TwWorkerRequest.h"
#include "framework/TwWorkerState.h"
#include "generic/VkStringTable.h"
#include "platform/SyncObjects.h"

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class QObject;

// The texts a worker shows, from its module's string table.
struct TwWorkerTexts {
    std::string timedOut;        // "Timed out waiting for a response."
    std::string stillWaiting;    // the shutdown question
    std::string caption;         // of the shutdown question
    std::string notConnected;    // a request that needs the server while there is none
    std::string noClient;        // the client library is missing
    std::string connected;       // status and tip after a logon
    std::string notConnectedTip; // tip after a failed logon or a log-off
    std::string disconnected;    // status after a log-off

    // Loads them from table, identifiers in the order above.
    static TwWorkerTexts Load(const VkStringTable& table, const std::array<UINT, 8>& ids);
};

class TwRequestWorker : public TwWorkerState {
public:
    static constexpr LONG kShutdown = 0; // log off, then end the thread
    static constexpr LONG kConnect = 1;
    static constexpr LONG kDisconnect = 2;
    static constexpr LONG kRefresh = 3;
    static constexpr DWORD kReplyTimeoutMs = 20000;
    static constexpr DWORD kNeverRefresh = 0xFFFFFFFF;
    static constexpr LONG kMaxQueued = 9999;

    TwRequestWorker(const TwRequestWorker&) = delete;
    TwRequestWorker& operator=(const TwRequestWorker&) = delete;

    void SetReplyTimeout(DWORD milliseconds) { m_replyTimeout = milliseconds; }
    // Seconds between automatic refreshes; kNeverRefresh for none.
    void SetRefreshInterval(DWORD seconds) { m_refreshInterval = seconds; }
    DWORD RefreshInterval() const { return m_refreshInterval; }
    // Called on the worker thread before each request is handled (tests
    // hold the worker busy with it).
    void SetRequestHook(std::function<void(LONG kind)> hook);

    // A syntax check and a one-row evaluation; the outcome (failed with the
    // server's text, or the row as evaluation) comes to reply on context's
    // thread. False when the request could not be queued.
    bool TestSql(const std::string& statement, QObject* context, TwReplyCallback reply);
    bool Evaluate(const std::string& query, QObject* context, TwReplyCallback reply);

    bool Started() const { return m_thread.Joinable(); }
    bool Stopping() const { return m_stop; }
    size_t QueuedRequests() const;

    // Queues a request (kind, text, schema) without waiting; false when it
    // could not be queued (not started, stopped, or the queue is full).
    bool Queue(std::unique_ptr<TwWorkerRequest> request);
    // Queues a request whose outcome goes to callback on context's thread;
    // false (and no callback) when it could not be queued.
    bool Queue(std::unique_ptr<TwWorkerRequest> request, QObject* context, TwReplyCallback callback);
    // Queues a request and blocks until its answer or the reply time-out;
    // false when it could not be queued, failed or timed out. Never from the
    // interface thread.
    bool QueueAndWait(std::unique_ptr<TwWorkerRequest> request, TwRequestOutcome* outcome = nullptr);

    // Stop flag, shutdown request, then a wait for the thread in rounds of
    // the reply time-out; after each round askRetry decides whether to keep
    // waiting (null: the user is asked through the modal service). Giving up
    // interrupts the worker's server calls and then waits for it to end.
    // Called by the owner from its close handling; the destructors call it
    // with an answer that gives up after one round, so they never ask.
    void Stop(std::function<bool()> askRetry = nullptr);

protected:
    // parseKind and evaluateKind: the derived worker's kinds for TestSql
    // and Evaluate.
    TwRequestWorker(QObject* receiver, TwWorkerTexts texts, LONG parseKind, LONG evaluateKind);
    ~TwRequestWorker();

    // A fresh request of the derived worker's own type.
    virtual std::unique_ptr<TwWorkerRequest> NewRequest() const { return std::make_unique<TwWorkerRequest>(); }
    // One with its kind, text and schema (null: empty).
    std::unique_ptr<TwWorkerRequest> MakeRequest(LONG kind, const std::string* text = nullptr,
                                                 const std::string* schema = nullptr) const;
    // Queues it, waiting for the answer when asked (see QueueAndWait).
    bool Send(std::unique_ptr<TwWorkerRequest> request, bool wait, TwRequestOutcome* outcome);

    // Starts the thread once; false when it cannot be started.
    bool StartThread();

    // Worker thread: what derived workers do.
    virtual void Handle(TwWorkerRequest& request) = 0;
    // Whether the request needs a connected session (others are skipped
    // with "Not connected." when there is none).
    virtual bool NeedsConnection(LONG kind) const = 0;
    // Whether an idle interval that ended should ask for a refresh now.
    virtual bool WantsAutoRefresh() const = 0;
    virtual void OnThreadEnd() {}
    // Any thread, while stopping: wake whatever the worker may wait on, or
    // break the server calls of threads of its own.
    virtual void OnStopping() {}
    virtual void Interrupt() {}

    // The worker's session (worker thread only).
    VkOracle::OCISession& Session() { return *m_session; }
    const TwWorkerTexts& WorkerTexts() const { return m_texts; }
    void ArmAutoRefresh() { m_autoRefreshArmed = true; }

    // Sets the last message and failed flag, then posts a status record.
    void Report(const std::string& text, LONG image, bool failed, LONG frames = 1, bool animate = false,
                bool bounce = false, const std::string& tip = std::string());
    void Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record = nullptr);

    // The shared steps of a logon: false (reported, not connected) when the
    // client library is missing; the outcome on the status bar; the end.
    bool CheckClient();
    void ReportLogon(bool connected);
    void EndLogon(bool connected);
    // Log off; report says so on the status bar.
    void HandleDisconnect(bool report);
    // Asks the receiver for a disconnect (when connected) and a connect.
    void QueueReconnect();
    // Instance not available, start-up or shut-down in progress, not connected.
    static bool ConnectionLost(int oracleError);

    VkEvent m_stopEvent{true, false};
    std::atomic<bool> m_stop{false};

private:
    void Main();
    void Complete(TwWorkerRequest& request);
    DWORD IdleWait() const;

    QObject* m_receiver;
    TwWorkerTexts m_texts;
    const LONG m_parseKind;
    const LONG m_evaluateKind;
    std::deque<std::unique_ptr<TwWorkerRequest>> m_queue; // under m_lock
    VkSemaphore m_pending{0, kMaxQueued};
    VkThread m_thread;
    std::atomic<bool> m_stopped{false};
    std::atomic<DWORD> m_replyTimeout{kReplyTimeoutMs};
    std::atomic<DWORD> m_refreshInterval{100};
    std::function<void(LONG)> m_requestHook; // under m_lock

    // Worker thread state.
    std::unique_ptr<VkOracle::OCISession> m_session;
    // The session while it exists, for Stop() to interrupt.
    std::mutex m_sessionLock;
    VkOracle::OCISession* m_activeSession = nullptr; // under m_sessionLock
    bool m_autoRefreshArmed = true;
};
