#pragma once
// A small painted chart of a job's run durations, one bar a run in the
// order the runs were seen (so that a server clock set back cannot fold the
// chart), coloured by result. Runs whose duration the refreshes could not
// tell are left out.

#include "controls/CJobRunHistory.h"

#include <QWidget>

#include <vector>

class CJobHistoryChart : public QWidget {
    Q_OBJECT

public:
    explicit CJobHistoryChart(QWidget* parent = nullptr);

    void SetRuns(const std::vector<CJobRun>& runs);
    // The runs drawn (those with a duration).
    const std::vector<CJobRun>& Bars() const { return m_bars; }
    // The longest duration, the top of the scale; 0 without bars.
    double ScaleTop() const;

    QSize sizeHint() const override { return {360, 140}; }
    QSize minimumSizeHint() const override { return {160, 90}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<CJobRun> m_bars;
};
