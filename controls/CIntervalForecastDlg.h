#pragma once
// The forecast of a job's next runs: the dates the interval gives one after
// another, with their weekdays, and what is wrong with the interval, each
// fix one click away when the caller can apply it.

#include "controls/CIntervalForecastRun.h"

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

class CIntervalForecastDlg : public QDialog {
    Q_OBJECT
public:
    // Applies a fixed interval; false when it could not be applied.
    using ApplyFix = std::function<bool(const std::string& interval)>;

    // jobNumber < 0: a job not yet saved. applyFix may be empty (no fix
    // buttons then).
    CIntervalForecastDlg(CIntervalForecastRun::Evaluate evaluate, LONG jobNumber, const std::string& interval,
                         const std::string& nextDateExpression, ApplyFix applyFix, QWidget* parent = nullptr);

    // Forecasts again with the runs asked for (also done once on creation).
    void Run();

    QTableWidget* Table() const { return m_table; }
    QSpinBox* RunsBox() const { return m_runs; }
    QLabel* Status() const { return m_status; }
    bool Busy() const { return m_busy; }
    // The fix buttons shown now.
    QList<QPushButton*> FixButtons() const;
    const CIntervalForecastResult& Result() const { return m_result; }

private:
    void Show(const CIntervalForecastResult& result);

    CIntervalForecastRun::Evaluate m_evaluate;
    std::string m_interval;
    std::string m_nextDate;
    ApplyFix m_applyFix;
    QLabel* m_intervalText = nullptr;
    QSpinBox* m_runs = nullptr;
    QPushButton* m_again = nullptr;
    QTableWidget* m_table = nullptr;
    QWidget* m_warnings = nullptr;
    QVBoxLayout* m_warningLayout = nullptr;
    QLabel* m_status = nullptr;
    bool m_busy = false;
    int m_generation = 0; // answers of an older run are dropped
    CIntervalForecastResult m_result;
};
