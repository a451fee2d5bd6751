#pragma once
// The job detail dialog's History page: the runs the queue's refreshes have
// observed for the job (start, duration, result; newest first) over a chart
// of their durations. The history is read on a pool thread, never on the
// interface thread, and shown when it arrives.

#include "controls/CJobRunHistory.h"

#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

class CJobHistoryChart;
class QLabel;
class QTableWidget;

class CJobDetail_HistoryTab : public QWidget {
    Q_OBJECT

public:
    explicit CJobDetail_HistoryTab(QWidget* parent = nullptr);

    // Reads the job's history of the queue (file: empty for the data
    // root's) and shows it when read; loaded() follows.
    void Load(const std::string& queueKey, LONG job, const std::filesystem::path& file = {});
    // Shows these observations' runs.
    void ShowObservations(const std::vector<CJobObservation>& observations);
    bool Loading() const { return m_loading; }

    QTableWidget* table() const { return m_table; }
    CJobHistoryChart* chart() const { return m_chart; }
    QLabel* status() const { return m_status; }

    // A run's cells: start, duration and result texts.
    static QStringList RowTexts(const CJobRun& run);

signals:
    void loaded();

private:
    void ShowProblem(const std::string& problem);

    bool m_loading = false;
    bool m_shown = false;
    unsigned m_loadId = 0;
    QLabel* m_status;
    QTableWidget* m_table;
    CJobHistoryChart* m_chart;
};
