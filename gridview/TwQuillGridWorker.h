#pragma once
// The grid's background worker: one thread with its own Oracle session takes
// queued requests in order, runs the grid's statement with a row limit and
// answers by posting status records and results to its receiver (the grid).
// The user interface can pause, stop and abort a run between rows; while
// monitor mode is on the statement re-runs after each refresh interval.

#include "framework/TwRequestWorker.h"
#include "gridview/TwCellSqlItem.h"
#include "gridview/TwQuillGridMessages.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QObject;

using TwGridRequestOutcome = TwRequestOutcome;

class TwQuillGridWorker : public TwRequestWorker {
public:
    static constexpr DWORD kManualRefresh = kNeverRefresh;
    static constexpr long kBatchRows = 20;

    // Messages go to receiver, which must outlive Stop().
    explicit TwQuillGridWorker(QObject* receiver);
    // Stops the worker when Stop() was not called, never asking.
    ~TwQuillGridWorker();

    void SetSqlText(const std::string& text);
    std::string SqlText() const;
    // Negative: no limit.
    void SetMaximumRows(LONG rows) { m_maximumRows = rows; }
    LONG MaximumRows() const { return m_maximumRows; }
    // Turning it on starts the monitor's wait at once.
    void SetMonitorMode(bool on);
    bool MonitorMode() const { return m_monitorMode; }

    // Called on the worker thread after each row a run adds, with the rows
    // so far (tests pause or stop a run at a known row with it).
    void SetRowHook(std::function<void(long rows)> hook);

    // Starts the worker on the first call and queues a connect; false when
    // the thread cannot be started.
    bool Connect();
    // Queues a request; false when it could not be queued, or, with wait,
    // when it failed or no answer came in time. Waiting blocks: only for
    // threads other than the interface thread.
    bool PostRequest(LONG kind, const std::string* text = nullptr, bool wait = false,
                     const std::string* schema = nullptr, TwGridRequestOutcome* outcome = nullptr);

    // Run state: pause toggles between running and paused; stop and abort
    // act on a run that is going on.
    LONG RunState() const;
    void TogglePause();
    void StopRun();
    void AbortRun();

    // Cell SQL items, processed after each run.
    void SetCellSqlItems(std::vector<TwCellSqlItem> items);
    std::vector<TwCellSqlItem> CellSqlItems() const;

    std::string ServerVersion() const;

private:
    void Handle(TwWorkerRequest& request) override;
    bool NeedsConnection(LONG kind) const override;
    bool WantsAutoRefresh() const override { return m_monitorMode; }
    void OnStopping() override;

    void HandleConnect();
    void HandleRun(const std::string& text, const std::string& schema);
    void RunStatement(const std::string& text, const std::string& schema);
    void HandleParse(TwWorkerRequest& request, bool evaluate);
    void ReportCursorError(const VkOracle::OCISession::OCICursor& cursor);
    // False when there was no item to process.
    bool ProcessCellSql();
    bool SetRunState(LONG state);

    std::atomic<LONG> m_maximumRows{-1};
    std::atomic<bool> m_monitorMode{false};

    std::string m_sqlText;                  // under m_lock
    std::string m_version;                  // under m_lock
    std::function<void(long)> m_rowHook;

    mutable std::mutex m_runStateLock;
    LONG m_runState = GvIdle;
    VkEvent m_pauseEvent{true, true};

    mutable std::mutex m_cellLock;
    std::vector<TwCellSqlItem> m_cellItems; // under m_cellLock
};
