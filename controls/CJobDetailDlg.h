#pragma once
// The job detail dialog: creates a new job or views and modifies one, over
// four pages (Schedule, What, Custom, Advanced). It reaches the server only
// through its queue's requests; while one is out the dialog is disabled
// with a busy cursor, and Cancel abandons the wait.

#include "controls/CJobListData.h"
#include "controls/CScheduleResult.h"
#include "framework/TwWorkerRequest.h"
#include "platform/WinTypes.h"

#include <QDateTime>
#include <QDialog>

#include <functional>
#include <optional>
#include <string>

class CJobDetailQueue;
class CJobDetail_CredTab;
class CJobDetail_HistoryTab;
class CJobDetail_SQLTab;
class CJobDetail_ScheduleTab;
class CJobDetail_WhatTab;
class CScheduleFormatter;
class QLabel;
class QPushButton;
class QTabWidget;

class CJobDetailDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr UINT kHelpContext = 10005;
    static constexpr UINT kWhatHelpContext = 10008;
    static constexpr UINT kCustomHelpContext = 10009;
    static constexpr UINT kAdvancedHelpContext = 10010;
    // History only in modify mode: a new job has none.
    enum Tab { TabSchedule, TabWhat, TabCustom, TabAdvanced, TabHistory };

    // Modify mode when job is given (it is copied). queue must outlive the
    // dialog. now and formatter (null: the user's locale, not owned) are
    // for the schedule page; the past-start question compares with the
    // clock.
    CJobDetailDlg(CJobDetailQueue& queue, const CJobListData* job, QWidget* parent = nullptr,
                  const QDateTime& now = QDateTime::currentDateTime(), const CScheduleFormatter* formatter = nullptr);
    ~CJobDetailDlg() override;

    bool ModifyMode() const { return m_job.has_value(); }
    bool NotOwner() const { return m_notOwner; }
    // True while a request is out.
    bool Waiting() const { return m_waiting; }
    // The header line over the pages.
    QString Header() const;

    // The buttons' actions: save with the dialog's job number (the default
    // button) or as a new job; syntax check; evaluating an expression.
    void SaveDefault();
    void SaveAsNew();
    void CheckSyntax();
    void EvaluateExpression(const std::string& expression);

    QTabWidget* tabs() const { return m_tabs; }
    CJobDetail_ScheduleTab* scheduleTab() const { return m_schedule; }
    CJobDetail_WhatTab* whatTab() const { return m_what; }
    CJobDetail_CredTab* customTab() const { return m_custom; }
    CJobDetail_SQLTab* advancedTab() const { return m_advanced; }
    // Null in create mode.
    CJobDetail_HistoryTab* historyTab() const { return m_history; }
    QPushButton* defaultButton() const { return m_default; }
    QPushButton* createNewButton() const { return m_createNew; }
    QPushButton* cancelButton() const { return m_cancel; }
    QPushButton* helpButton() const { return m_help; }
    // The help topic for the page shown now.
    std::string HelpTopic() const;

    // Cancel while a request is out abandons the wait and keeps the dialog.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    using Then = std::function<void(TwRequestOutcome&)>;

    void BuildControls(const QDateTime& now, const CScheduleFormatter* formatter);
    void LoadJob();
    void ApplySchedule(const CScheduleResult& result);
    void EnableRule();
    void OnCustomChanged();
    void OnAdvancedEdited();
    // The forecast of the Advanced page's interval from its next date.
    void Forecast();
    void Help();
    void RestoreRect();
    void StoreRect() const;

    void Save(LONG jobNumber);
    void SaveEvaluated(LONG jobNumber);
    void SaveRecord(const CJobListData& job);
    void ShowEvaluateProblem(int evaluation, const std::string& error);

    // Sends one request: waits (disabled) for its answer and hands it to then.
    void Request(const std::function<bool(QObject*, TwReplyCallback)>& start, Then then);
    void BeginWait();
    void EndWait();
    int Message(const std::string& text, UINT style);

    CJobDetailQueue& m_queue;
    std::optional<CJobListData> m_job;
    bool m_notOwner = false;
    bool m_waiting = false;
    unsigned m_waitId = 0;
    bool m_rectRestored = false;
    // The default button after the save that is under way succeeds.
    bool m_closeAfterSave = false;

    QLabel* m_header = nullptr;
    QTabWidget* m_tabs = nullptr;
    CJobDetail_ScheduleTab* m_schedule = nullptr;
    CJobDetail_WhatTab* m_what = nullptr;
    CJobDetail_CredTab* m_custom = nullptr;
    CJobDetail_SQLTab* m_advanced = nullptr;
    CJobDetail_HistoryTab* m_history = nullptr;
    QLabel* m_waitLabel = nullptr;
    QPushButton* m_createNew = nullptr;
    QPushButton* m_default = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};
