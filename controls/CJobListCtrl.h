#pragma once
// The job list control: the table of a queue's jobs over CJobListModel, the
// owner of the queue's background worker and the receiver of everything
// the worker posts. It installs each freshly read list in one step keeping
// the selection, scroll position and sort, updates and removes single rows,
// colours and flashes the rows that need attention, and turns keys, the
// double-click and its context menu into commands.

#include "controls/CJobListMenu.h"
#include "controls/CJobListModel.h"
#include "controls/CJobListViewState.h"
#include "controls/CJobQueueWorker.h"

#include <QPointer>
#include <QTableView>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class CArchive;
class CJobAlertNotifier;
class CJobListActions;
class CJobListStatusCtrl;
class QMenu;

class CJobListCtrl : public QTableView {
    Q_OBJECT

public:
    static constexpr int kFlashMs = 500;
    enum CountMode { CountRunning, CountBroken };
    // Shows a context menu and returns the chosen action (null for none);
    // replaced by tests.
    using MenuRunner = std::function<QAction*(QMenu& menu, const QPoint& globalPos)>;

    explicit CJobListCtrl(QWidget* parent = nullptr);
    // Stops the worker when Shutdown() was not called, never asking.
    ~CJobListCtrl() override;

    // Stops the worker: for the owner's close handling. Waits in rounds of
    // the reply time-out and asks through the modal service whether to
    // keep waiting; giving up interrupts the worker's server calls.
    void Shutdown();

    CJobQueueWorker& Worker() { return *m_worker; }
    CJobListModel& Model() { return m_model; }
    // Run, remove, stop, break, copy, paste and drag of the selected jobs.
    CJobListActions& Actions() { return *m_actions; }
    // Raises the desktop notification of jobs that fail or break.
    CJobAlertNotifier& Notifier() { return *m_notifier; }
    void SetStatusBar(CJobListStatusCtrl* status) { m_status = status; }
    // Shows text on the status bar (when there is one), busy or done.
    void ShowStatus(const std::string& text, bool busy);

    // Logon details, kept by the worker.
    void SetLogon(const std::string& host, const std::string& user, const std::string& password);
    void SetAdministratorView(bool on);
    bool AdministratorView() const { return m_adminView; }
    // Whether a job that fails or breaks raises a desktop notification.
    void SetNotifyAlerts(bool on) { m_notifyAlerts = on; }
    bool NotifyAlerts() const { return m_notifyAlerts; }
    bool IsConnected() const { return m_worker->IsConnected(); }

    // Starts the worker (first time) and connects; false when it could not.
    bool Connect();
    // Connects again with the same details, only when not connected.
    bool Reconnect();
    bool RequestRefresh();

    // The one save path of the queue (job dialog, import, copy): changes the
    // job when its number is in the list (and forceSubmit is false), else
    // submits it; the outcome (number: the job's number; failed and message
    // when it failed) comes to reply on context's thread. A record with its
    // broken flag set is broken once saved; a job submitted anew is read
    // into the list. False when the request could not be queued (no reply).
    bool SaveJob(const CJobListData& job, bool forceSubmit, QObject* context, TwReplyCallback reply);

    // Installs a new list (null: empties the list), keeping the selection
    // by job number, the scroll positions and the sort.
    void InstallList(std::unique_ptr<CJobNewListRecord> list);
    void AddJob(const CJobListData& job, bool last) { m_model.AddJob(job, last); }
    int FindRow(LONG jobNumber) const { return m_model.FindRow(jobNumber); }
    std::vector<int> SelectedRows() const;
    std::vector<LONG> SelectedJobNumbers() const;
    void SelectJobs(const std::vector<LONG>& jobNumbers);
    // Selected rows with and without the flag.
    void CountSelected(CountMode mode, int& with, int& without) const;
    // "Host: %s    User:  %s", with a leading text when one is given.
    QString QueueCaption(const QString& leading = QString()) const;

    // The context menu's items for the present state.
    std::vector<CJobListMenuItem> MenuItems() const;
    void SetMenuRunner(MenuRunner runner) { m_menuRunner = std::move(runner); }
    // Carries out a command of the menu or the keys; the commands of other
    // parts of the control are handed on through commandRequested.
    void OnCommand(UINT command);

    // Held around user interactions: no new list is handed over meanwhile.
    void BeginInteraction();
    void EndInteraction();

    // The column layout (order, widths) and sort state, for the control's
    // saved state; Restore is false, changing nothing, for data it cannot read.
    QByteArray SaveLayout() const;
    bool RestoreLayout(const QByteArray& layout);
    // Font, colours, flash switch and column layout as saved with the queue.
    CJobListViewState ViewState() const;
    void ApplyViewState(const CJobListViewState& state);
    // The saved queue: the view state, then host, user name, password (plain
    // text), administrator view (32-bit) and refresh interval (32-bit).
    // Loading also turns the missing-view warning off. Loading throws
    // CArchiveException for damaged data; what was read until then stays.
    void Serialize(CArchive& ar);

    // One step of the flashing (normally the flash timer's).
    void FlashStep();
    bool FlashTimerActive() const { return m_flash.isActive(); }

signals:
    // A command for the parts of the control beyond the list (job detail,
    // actions, export and import, connection and properties dialogs).
    void commandRequested(UINT command);
    // A refresh's list is shown (its history observations are written by then).
    void listInstalled();

protected:
    bool event(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void HandleMessage(class VkMessageEvent& message);
    // JLM_TESTSQL, JLM_SAVEJOB, JLM_EVALUATE: queued, answered later.
    void HandleDialogRequest(class VkMessageEvent& message);
    void UpdateFlashTimer();
    // The desktop notification for the jobs that failed or broke.
    void RaiseAlerts(const std::map<LONG, unsigned>& changes);
    // The run history's problem, told after the list is in.
    void TellHistoryProblem(const std::string& problem);
    void FillMenu(QMenu& menu, const std::vector<CJobListMenuItem>& items);

    CJobListModel m_model;
    std::unique_ptr<CJobQueueWorker> m_worker;
    QPointer<CJobListStatusCtrl> m_status; // a sibling; may go first
    bool m_adminView = false;
    bool m_notifyAlerts = true;
    QTimer m_flash;
    MenuRunner m_menuRunner;
    CJobListActions* m_actions = nullptr; // a child
    CJobAlertNotifier* m_notifier = nullptr; // a child
};
