#pragma once
// The composite window of the scheduler control: the job list above and its
// status bar along the bottom, the bar shown or hidden on request.

#include "platform/WinTypes.h"

#include <QWidget>

class CJobListCtrl;
class CJobListStatusCtrl;

// Posted by the status bar: run the reconnect operation.
constexpr UINT SMD_RECONNECT = 0x0400 + 1001;
// Re-lay out the auto-adjusted children.
constexpr UINT SMD_RELAYOUT = 0x0400 + 800;

class CSchedulerMainDlg : public QWidget {
    Q_OBJECT

public:
    explicit CSchedulerMainDlg(QWidget* parent = nullptr);

    CJobListCtrl& List() { return *m_list; }
    CJobListStatusCtrl& StatusBar() { return *m_status; }

    void ShowStatusBar(bool show);
    bool StatusBarShown() const { return m_showStatusBar; }
    QString HelpFile() const;
    QString HelpTopic() const;
    static constexpr int kHelpContext = 10000;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Relayout();

    CJobListCtrl* m_list;
    CJobListStatusCtrl* m_status;
    bool m_showStatusBar = true;
};
