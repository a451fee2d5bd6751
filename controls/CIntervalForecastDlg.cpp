#include "controls/CIntervalForecastDlg.h"

#include "controls/QVCtrlStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

CIntervalForecastDlg::CIntervalForecastDlg(CIntervalForecastRun::Evaluate evaluate, LONG jobNumber,
                                           const std::string& interval, const std::string& nextDateExpression,
                                           ApplyFix applyFix, QWidget* parent)
    : QDialog(parent), m_evaluate(std::move(evaluate)), m_interval(interval), m_nextDate(nextDateExpression),
      m_applyFix(std::move(applyFix))
{
    setObjectName(QStringLiteral("IntervalForecastDlg"));
    setWindowTitle(QString::fromStdString(QVCtrlStrings().Format(IDS_FC_TITLE, long(jobNumber < 0 ? 0 : jobNumber))));
    auto* layout = new QVBoxLayout(this);

    auto* intervalRow = new QHBoxLayout;
    intervalRow->addWidget(new QLabel(QVCtrlString(IDS_FC_INTERVAL_LABEL), this));
    m_intervalText = new QLabel(QString::fromStdString(interval).simplified(), this);
    m_intervalText->setObjectName(QStringLiteral("interval"));
    m_intervalText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_intervalText->setWordWrap(true);
    intervalRow->addWidget(m_intervalText, 1);
    layout->addLayout(intervalRow);

    auto* runsRow = new QHBoxLayout;
    auto* runsLabel = new QLabel(QVCtrlString(IDS_FC_RUNS_LABEL), this);
    m_runs = new QSpinBox(this);
    m_runs->setObjectName(QStringLiteral("runs"));
    m_runs->setRange(1, CIntervalForecast::kMaxRuns);
    m_runs->setValue(CIntervalForecast::kDefaultRuns);
    runsLabel->setBuddy(m_runs);
    m_again = new QPushButton(QVCtrlString(IDS_FC_AGAIN), this);
    m_again->setObjectName(QStringLiteral("forecast"));
    runsRow->addWidget(runsLabel);
    runsRow->addWidget(m_runs);
    runsRow->addWidget(m_again);
    runsRow->addStretch(1);
    layout->addLayout(runsRow);

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("runsTable"));
    m_table->setHorizontalHeaderLabels({QVCtrlString(IDS_FC_COLUMN_RUN), QVCtrlString(IDS_FC_COLUMN_DATE),
                                        QVCtrlString(IDS_FC_COLUMN_DAY)});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table, 1);

    m_warnings = new QWidget(this);
    m_warnings->setObjectName(QStringLiteral("warnings"));
    m_warningLayout = new QVBoxLayout(m_warnings);
    m_warningLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_warnings);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    layout->addWidget(m_status);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_again, &QPushButton::clicked, this, &CIntervalForecastDlg::Run);
    resize(460, 420);
    Run();
}

void CIntervalForecastDlg::Run()
{
    const int generation = ++m_generation;
    m_busy = true;
    m_again->setEnabled(false);
    m_status->setText(QVCtrlString(IDS_FC_WORKING));
    QPointer<CIntervalForecastDlg> self(this);
    const bool started = CIntervalForecastRun::Start(
        m_evaluate, this, m_interval, m_nextDate, m_runs->value(),
        [self, generation](const CIntervalForecastResult& result) {
            if (self && generation == self->m_generation)
                self->Show(result);
        });
    if (!started) {
        CIntervalForecastResult failed;
        failed.failed = true;
        failed.error = QVCtrlStrings().Load(IDS_FC_NOT_CONNECTED);
        Show(failed);
    }
}

QList<QPushButton*> CIntervalForecastDlg::FixButtons() const
{
    return m_warnings->findChildren<QPushButton*>();
}

void CIntervalForecastDlg::Show(const CIntervalForecastResult& result)
{
    m_result = result;
    m_busy = false;
    m_again->setEnabled(true);
    m_table->setRowCount(static_cast<int>(result.runs.size()));
    for (int row = 0; row < static_cast<int>(result.runs.size()); ++row) {
        const DATE date = result.runs[static_cast<size_t>(row)];
        m_table->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        m_table->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(CIntervalForecast::DateText(date))));
        m_table->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(CIntervalForecast::Weekday(date))));
    }
    m_table->resizeColumnsToContents();

    while (QLayoutItem* item = m_warningLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const CIntervalWarning& warning : result.warnings) {
        auto* row = new QWidget(m_warnings);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        auto* text = new QLabel(QString::fromStdString(warning.message), row);
        text->setWordWrap(true);
        rowLayout->addWidget(text, 1);
        if (!warning.fix.empty() && m_applyFix) {
            auto* fix = new QPushButton(
                QString::fromStdString(QVCtrlStrings().Format(IDS_FC_APPLY_FIX, warning.fix.c_str())), row);
            const std::string fixed = warning.fix;
            connect(fix, &QPushButton::clicked, this, [this, fixed] {
                if (!m_applyFix(fixed))
                    return;
                m_interval = fixed;
                m_intervalText->setText(QString::fromStdString(fixed));
                Run();
            });
            rowLayout->addWidget(fix);
        }
        m_warningLayout->addWidget(row);
    }
    if (result.failed)
        m_status->setText(QString::fromStdString(QVCtrlStrings().Format(IDS_FC_FAILED, result.error.c_str())));
    else if (result.warnings.empty())
        m_status->setText(QVCtrlString(IDS_FC_NO_WARNINGS));
    else
        m_status->clear();
}
