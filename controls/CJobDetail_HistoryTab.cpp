#include "controls/CJobDetail_HistoryTab.h"

#include "controls/CJobHistoryChart.h"
#include "controls/CJobHistoryStore.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkDateFormat.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

QString DateText(DATE date)
{
    if (date == 0)
        return QVCtrlString(IDS_JH_NOT_SEEN);
    return QString::fromStdString(VkDateFormat::FormatDateToShortDateFormat(date) + " " +
                                  VkDateFormat::FormatDateToTimeFormat(date));
}

} // namespace

CJobDetail_HistoryTab::CJobDetail_HistoryTab(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("historyTab"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("historyStatus"));
    m_status->setWordWrap(true);
    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("historyTable"));
    m_table->setHorizontalHeaderLabels(
        {QVCtrlString(IDS_JH_COL_START), QVCtrlString(IDS_JH_COL_DURATION), QVCtrlString(IDS_JH_COL_RESULT)});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(0, 150);
    m_chart = new CJobHistoryChart(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_table, 2);
    layout->addWidget(m_chart, 1);
}

QStringList CJobDetail_HistoryTab::RowTexts(const CJobRun& run)
{
    const QString duration =
        run.duration >= 0
            ? QString::fromStdString(QVCtrlStrings().Format(IDS_JH_SECONDS, static_cast<long>(std::lround(run.duration))))
            : QVCtrlString(IDS_JH_NOT_SEEN);
    const UINT resultId = run.result == CJobRun::Succeeded ? IDS_JH_SUCCEEDED
                          : run.result == CJobRun::Failed  ? IDS_JH_FAILED
                                                           : IDS_JH_BROKE;
    QString result = QVCtrlString(resultId);
    if (run.count > 1)
        result = QString::fromStdString(QVCtrlStrings().Format(IDS_JH_RUNS, result.toStdString().c_str(), run.count));
    return {DateText(run.start != 0 ? run.start : run.observed), duration, result};
}

void CJobDetail_HistoryTab::ShowProblem(const std::string& problem)
{
    m_status->setText(QString::fromStdString(QVCtrlStrings().Format(IDS_JH_UNAVAILABLE, problem.c_str())));
}

void CJobDetail_HistoryTab::ShowObservations(const std::vector<CJobObservation>& observations)
{
    const std::vector<CJobRun> runs = CJobRunHistory::DeriveRuns(observations);
    // A reload after a refresh keeps where the reader was.
    const int scrolled = m_table->verticalScrollBar()->value();
    m_table->setRowCount(static_cast<int>(runs.size()));
    // Newest first: the run one looks for is usually the last.
    for (size_t i = 0; i < runs.size(); ++i) {
        const CJobRun& run = runs[runs.size() - 1 - i];
        const QStringList cells = RowTexts(run);
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 2 && run.result != CJobRun::Succeeded)
                item->setForeground(run.result == CJobRun::Broken ? QColor(200, 0, 0) : QColor(230, 140, 0));
            m_table->setItem(static_cast<int>(i), column, item);
        }
    }
    m_table->verticalScrollBar()->setValue(scrolled);
    m_chart->SetRuns(runs);
    m_status->setText(runs.empty() ? QVCtrlString(IDS_JH_EMPTY)
                                   : QString::fromStdString(
                                         QVCtrlStrings().Format(IDS_JH_COUNT, static_cast<long>(runs.size()))));
}

void CJobDetail_HistoryTab::Load(const std::string& queueKey, LONG job, const std::filesystem::path& file)
{
    const unsigned id = ++m_loadId;
    m_loading = true;
    // A reload after a refresh keeps what is shown until the new answer.
    if (!m_shown)
        m_status->setText(QVCtrlString(IDS_JH_LOADING));
    struct Result {
        std::vector<CJobObservation> rows;
        std::string problem;
    };
    QPointer<CJobDetail_HistoryTab> tab(this);
    // The answer goes to the application, which outlives the page; the page
    // is looked for there, on the interface thread.
    auto deliver = [tab, id](std::shared_ptr<Result> result) {
        if (!tab || tab->m_loadId != id)
            return;
        tab->m_loading = false;
        tab->m_shown = true;
        tab->ShowObservations(result->rows);
        if (!result->problem.empty())
            tab->ShowProblem(result->problem);
        emit tab->loaded();
    };
    // The data root is read here: tests switch it between dialogs.
    const std::filesystem::path path = file.empty() ? CJobHistoryStore::DefaultPath() : file;
    QThreadPool::globalInstance()->start([queueKey, job, path, deliver]() mutable {
        auto result = std::make_shared<Result>();
        CJobHistoryStore store;
        if (store.Open(path))
            result->rows = store.Load(queueKey, job);
        else
            result->problem = store.Problem();
        QMetaObject::invokeMethod(
            qApp, [deliver = std::move(deliver), result] { deliver(result); }, Qt::QueuedConnection);
    });
}
