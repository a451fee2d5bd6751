#pragma once
// "Compare Queues": this queue and another open one side by side, jobs
// paired by what they run, the fields that differ highlighted, and the
// selected differences copied either way. The lists' own records are
// compared, so nothing here talks to a server; the dialog follows both lists
// as their workers refresh them.

#include "controls/CJobListData.h"
#include "controls/CJobQueueDiff.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class CJobListCtrl;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class CQueueCompareDlg : public QDialog {
    Q_OBJECT

public:
    // Columns: the left job's number, interval, next date, broken flag and
    // schema, the what text, then the same five of the right job.
    enum Column { LeftJob, LeftInterval, LeftNext, LeftBroken, LeftSchema, What,
                  RightJob, RightInterval, RightNext, RightBroken, RightSchema, ColumnCount };

    // left is this queue; others (not empty) are offered to compare with,
    // the first chosen.
    CQueueCompareDlg(CJobListCtrl* left, const std::vector<CJobListCtrl*>& others, QWidget* parent = nullptr);

    // The queue's name as the dialog shows it ("USER@HOST").
    static QString QueueName(CJobListCtrl& list);

    const std::vector<CJobDiffRow>& Rows() const { return m_rows; }
    CJobListCtrl* Right() const { return m_right; }
    // Whether a cell of a row is highlighted as differing.
    bool Highlighted(int row, int column) const;
    // Copies the selected rows' differences to the right or the left.
    bool CopySelected(bool toRight);

    QComboBox* otherCombo() const { return m_other; }
    QTableWidget* table() const { return m_table; }
    QLabel* summaryLabel() const { return m_summary; }
    QPushButton* copyRightButton() const { return m_copyRight; }
    QPushButton* copyLeftButton() const { return m_copyLeft; }

private:
    void ChooseOther(int index);
    void Follow(CJobListCtrl* list);
    void ScheduleRecompute();
    void Recompute();
    void Fill();
    void UpdateButtons();
    void Help();

    QPointer<CJobListCtrl> m_left;
    QPointer<CJobListCtrl> m_right;
    std::vector<QPointer<CJobListCtrl>> m_others;
    std::vector<QMetaObject::Connection> m_rightConnections;
    std::vector<CJobListData> m_leftJobs;
    std::vector<CJobListData> m_rightJobs;
    std::vector<CJobDiffRow> m_rows;
    bool m_recomputeQueued = false;

    QComboBox* m_other;
    QTableWidget* m_table;
    QLabel* m_summary;
    QPushButton* m_copyRight;
    QPushButton* m_copyLeft;
};
