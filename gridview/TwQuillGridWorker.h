#pragma once
// The grid's background worker: one thread with its own Oracle session takes
// queued requests in order, runs the grid's statement with a row limit and
// answers by posting status records and results to its receiver (the grid).
// The user interface can pause, stop and abort a run between rows; while
// monitor mode is on the statement re-runs after each refresh interval.

#include "framework/OCISession.h"
#include "framework/TwWorkerState.h"
#include "gridview/TwCellSqlItem.h"
#include "gridview/TwQuillGridMessages.h"
#include "platform/SyncObjects.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

// What a synchronous request got back, its own so that a late answer can
// never be taken for the next caller's.
struct TwGridRequestOutcome {
    bool failed = false;
    std::string message;
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> evaluation;
};

class TwQuillGridWorker : public TwWorkerState {
public:
    static constexpr DWORD kReplyTimeoutMs = 20000;
    static constexpr DWORD kManualRefresh = 0xFFFFFFFF;
    static constexpr LONG kMaxQueued = 9999;
    static constexpr long kBatchRows = 20;

    // Messages go to receiver, which must outlive Shutdown().
    explicit TwQuillGridWorker(QObject* receiver);
    ~TwQuillGridWorker();
    TwQuillGridWorker(const TwQuillGridWorker&) = delete;
    TwQuillGridWorker& operator=(const TwQuillGridWorker&) = delete;

    void SetSqlText(const std::string& text);
    std::string SqlText() const;
    // Negative: no limit.
    void SetMaximumRows(LONG rows) { m_maximumRows = rows; }
    LONG MaximumRows() const { return m_maximumRows; }
    // Seconds; kManualRefresh for none.
    void SetRefreshInterval(DWORD seconds) { m_refreshInterval = seconds; }
    DWORD RefreshInterval() const { return m_refreshInterval; }
    // Turning it on starts the monitor's wait at once.
    void SetMonitorMode(bool on);
    bool MonitorMode() const { return m_monitorMode; }

    // Called on the worker thread after each row a run adds, with the rows
    // so far (tests pause or stop a run at a known row with it).
    void SetRowHook(std::function<void(long rows)> hook);
    void SetReplyTimeout(DWORD milliseconds) { m_replyTimeout = milliseconds; }

    // Starts the worker on the first call and queues a connect; false when
    // the thread cannot be started.
    bool Connect();
    // Queues a request; false when it could not be queued, or, with wait,
    // when it failed or no answer came in time.
    bool PostRequest(LONG kind, const std::string* text = nullptr, bool wait = false,
                     const std::string* schema = nullptr, TwGridRequestOutcome* outcome = nullptr);
    bool TestSql(const std::string& statement, std::string& error);
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> Evaluate(const std::string& query, std::string& error);

    // Run state: pause toggles between running and paused; stop and abort
    // act on a run that is going on.
    LONG RunState() const;
    void TogglePause();
    void StopRun();
    void AbortRun();

    // Cell SQL items, processed after each run.
    void SetCellSqlItems(std::vector<TwCellSqlItem> items);
    std::vector<TwCellSqlItem> CellSqlItems() const;

    // -1 connecting, 0 connected, 1 not connected.
    bool IsConnected() const { return ConnectionState() == 0; }
    std::string ServerVersion() const;

    // Stop flag, shutdown request, then a wait in rounds of the reply
    // time-out; askRetry decides after each round whether to keep waiting
    // (null asks the user). Giving up interrupts the session's server call.
    void Shutdown(std::function<bool()> askRetry = nullptr);
    bool Stopping() const { return m_stop; }

private:
    struct Request;

    void Main();
    void Handle(Request& request);
    void HandleConnect();
    void HandleDisconnect(bool report);
    void HandleRun(const std::string& text, const std::string& schema);
    void RunStatement(const std::string& text, const std::string& schema);
    void HandleParse(Request& request, bool evaluate);
    void QueueReconnect();
    void ReportCursorError(const VkOracle::OCISession::OCICursor& cursor);
    // False when there was no item to process.
    bool ProcessCellSql();
    bool SetRunState(LONG state);

    void Report(const std::string& text, LONG image, bool failed, LONG frames = 1, bool animate = false,
                bool bounce = false, const std::string& tip = std::string());
    void Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record = nullptr);

    QObject* m_receiver;

    std::deque<std::unique_ptr<Request>> m_queue;
    VkSemaphore m_pending{0, kMaxQueued};
    VkEvent m_stopEvent{true, false};
    VkThread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<DWORD> m_replyTimeout{kReplyTimeoutMs};
    std::atomic<DWORD> m_refreshInterval{100};
    std::atomic<LONG> m_maximumRows{-1};
    std::atomic<bool> m_monitorMode{false};

    std::string m_sqlText;                  // under m_lock
    std::string m_version;                  // under m_lock
    std::function<void(long)> m_rowHook;

    mutable std::mutex m_runStateLock;
    LONG m_runState = GvIdle;
    VkEvent m_pauseEvent{true, true};

    mutable std::mutex m_cellLock;
    std::vector<TwCellSqlItem> m_cellItems;

    // Worker thread state.
    std::unique_ptr<VkOracle::OCISession> m_session;
    std::atomic<VkOracle::OCISession*> m_activeSession{nullptr};
    bool m_monitorArmed = true;
};
