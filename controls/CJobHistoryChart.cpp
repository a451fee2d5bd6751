#include "controls/CJobHistoryChart.h"

#include "controls/CJobListModel.h"
#include "controls/QVCtrlStrings.h"

#include <QPainter>

#include <algorithm>

namespace {

unsigned ChangeOf(const CJobRun& run)
{
    switch (run.result) {
    case CJobRun::Broken: return CJobRunHistory::JustBroken;
    case CJobRun::Failed: return CJobRunHistory::Failed;
    default: return CJobRunHistory::Ran;
    }
}

} // namespace

CJobHistoryChart::CJobHistoryChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("historyChart"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void CJobHistoryChart::SetRuns(const std::vector<CJobRun>& runs)
{
    m_bars.clear();
    std::copy_if(runs.begin(), runs.end(), std::back_inserter(m_bars), [](const CJobRun& r) { return r.duration >= 0; });
    update();
}

double CJobHistoryChart::ScaleTop() const
{
    double top = 0;
    for (const CJobRun& run : m_bars)
        top = std::max(top, run.duration);
    return top;
}

void CJobHistoryChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect all = rect().adjusted(1, 1, -1, -1);
    painter.fillRect(all, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(all);

    const QFontMetrics metrics(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(all.adjusted(4, 2, -4, 0), Qt::AlignLeft | Qt::AlignTop, QVCtrlString(IDS_JH_CHART_TITLE));
    const double top = ScaleTop();
    const QString topText = QString::number(top, 'f', 0);
    const int left = all.left() + metrics.horizontalAdvance(topText) + 8;
    const QRect plot(QPoint(left, all.top() + metrics.height() + 6), QPoint(all.right() - 4, all.bottom() - 4));
    if (plot.width() <= 0 || plot.height() <= 0)
        return;
    painter.drawText(QRect(all.left(), plot.top() - metrics.height() / 2, left - all.left() - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, topText);
    painter.drawText(QRect(all.left(), plot.bottom() - metrics.height() / 2, left - all.left() - 4, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    if (m_bars.empty())
        return;

    // At least a pixel a bar: the newest runs win when there are more.
    const int shown = std::min<int>(static_cast<int>(m_bars.size()), std::max(1, plot.width() - 2));
    const double step = static_cast<double>(plot.width() - 2) / shown;
    const size_t first = m_bars.size() - static_cast<size_t>(shown);
    for (int i = 0; i < shown; ++i) {
        const CJobRun& run = m_bars[first + static_cast<size_t>(i)];
        const double share = top > 0 ? run.duration / top : 0;
        const int height = std::max(1, static_cast<int>(share * (plot.height() - 1)));
        const int x = plot.left() + 1 + static_cast<int>(i * step);
        const int width = std::max(1, static_cast<int>(step) - (step > 4 ? 2 : 0));
        painter.fillRect(QRect(x, plot.bottom() - height, width, height), CJobListModel::ChangeColour(ChangeOf(run)));
    }
}
