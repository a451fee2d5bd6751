#include "controls/CQueueCompareDlg.h"

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CQueueCompareCopy.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"
#include "platform/Variant.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

const QColor kDiffers(255, 236, 150);
const QColor kOneSide(200, 230, 255);

QString DateText(DATE date)
{
    SYSTEMTIME time {};
    if (date == 0 || !VariantTimeToSystemTime(date, &time))
        return QString();
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(time.wYear, 4, 10, QChar('0'))
        .arg(time.wMonth, 2, 10, QChar('0'))
        .arg(time.wDay, 2, 10, QChar('0'))
        .arg(time.wHour, 2, 10, QChar('0'))
        .arg(time.wMinute, 2, 10, QChar('0'))
        .arg(time.wSecond, 2, 10, QChar('0'));
}

std::vector<CJobListData> JobsOf(CJobListCtrl* list)
{
    std::vector<CJobListData> jobs;
    if (!list)
        return jobs;
    const CJobListModel& model = list->Model();
    for (int row = 0; row < model.rowCount(); ++row)
        jobs.push_back(model.Job(row));
    return jobs;
}

} // namespace

QString CQueueCompareDlg::QueueName(CJobListCtrl& list)
{
    const QString name = QString::fromStdString(QVCtrlStrings().Format(
        IDS_QC_QUEUE_NAME, list.Worker().UserName().c_str(), list.Worker().Host().c_str()));
    if (list.IsConnected())
        return name;
    return QString::fromStdString(QVCtrlStrings().Format(IDS_QC_NOT_CONNECTED, name.toStdString().c_str()));
}

CQueueCompareDlg::CQueueCompareDlg(CJobListCtrl* left, const std::vector<CJobListCtrl*>& others, QWidget* parent)
    : QDialog(parent), m_left(left)
{
    setObjectName(QStringLiteral("CQueueCompareDlg"));
    setWindowTitle(QVCtrlString(IDS_QC_TITLE));
    resize(960, 420);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QString::fromStdString(QVCtrlStrings().Format(
                                 IDS_QC_WITH_LABEL, left ? QueueName(*left).toStdString().c_str() : "")),
                             this);
    m_other = new QComboBox(this);
    m_other->setObjectName(QStringLiteral("otherQueue"));
    label->setBuddy(m_other);
    for (CJobListCtrl* other : others) {
        m_others.emplace_back(other);
        m_other->addItem(QueueName(*other));
    }
    top->addWidget(label);
    top->addWidget(m_other, 1);
    layout->addLayout(top);

    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("compareTable"));
    const UINT headings[] = {IDS_QC_COLUMN_JOB,    IDS_QC_COLUMN_INTERVAL, IDS_QC_COLUMN_NEXT,
                             IDS_QC_COLUMN_BROKEN, IDS_QC_COLUMN_SCHEMA,   IDS_QC_COLUMN_WHAT,
                             IDS_QC_COLUMN_JOB,    IDS_QC_COLUMN_INTERVAL, IDS_QC_COLUMN_NEXT,
                             IDS_QC_COLUMN_BROKEN, IDS_QC_COLUMN_SCHEMA};
    QStringList labels;
    for (UINT heading : headings)
        labels << QVCtrlString(heading);
    m_table->setHorizontalHeaderLabels(labels);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(m_summary);

    auto* buttons = new QDialogButtonBox(this);
    m_copyLeft = buttons->addButton(QVCtrlString(IDS_QC_COPY_LEFT), QDialogButtonBox::ActionRole);
    m_copyRight = buttons->addButton(QVCtrlString(IDS_QC_COPY_RIGHT), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Close);
    buttons->addButton(QVCtrlString(IDS_QD_HELP), QDialogButtonBox::HelpRole)->setAutoDefault(false);
    m_copyLeft->setObjectName(QStringLiteral("copyLeft"));
    m_copyRight->setObjectName(QStringLiteral("copyRight"));
    m_copyLeft->setAutoDefault(false);
    m_copyRight->setAutoDefault(false);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &CQueueCompareDlg::Help);
    connect(m_copyRight, &QPushButton::clicked, this, [this] { CopySelected(true); });
    connect(m_copyLeft, &QPushButton::clicked, this, [this] { CopySelected(false); });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &CQueueCompareDlg::UpdateButtons);
    connect(m_other, qOverload<int>(&QComboBox::currentIndexChanged), this, &CQueueCompareDlg::ChooseOther);

    if (m_left)
        Follow(m_left);
    ChooseOther(m_other->currentIndex());
}

void CQueueCompareDlg::Follow(CJobListCtrl* list)
{
    // Every change of the list's rows, whatever its cause, means a new
    // comparison; one per turn of the event loop is enough.
    CJobListModel* model = &list->Model();
    std::vector<QMetaObject::Connection> connections{
        connect(model, &QAbstractItemModel::modelReset, this, &CQueueCompareDlg::ScheduleRecompute),
        connect(model, &QAbstractItemModel::rowsInserted, this, &CQueueCompareDlg::ScheduleRecompute),
        connect(model, &QAbstractItemModel::rowsRemoved, this, &CQueueCompareDlg::ScheduleRecompute),
        connect(model, &QAbstractItemModel::dataChanged, this, &CQueueCompareDlg::ScheduleRecompute),
        connect(model, &QAbstractItemModel::layoutChanged, this, &CQueueCompareDlg::ScheduleRecompute),
    };
    if (list != m_left)
        m_rightConnections = std::move(connections);
}

void CQueueCompareDlg::ChooseOther(int index)
{
    for (const auto& connection : m_rightConnections)
        disconnect(connection);
    m_rightConnections.clear();
    m_right = index >= 0 && index < static_cast<int>(m_others.size()) ? m_others[static_cast<size_t>(index)]
                                                                       : nullptr;
    if (m_right && m_right != m_left)
        Follow(m_right);
    Recompute();
}

void CQueueCompareDlg::ScheduleRecompute()
{
    if (m_recomputeQueued)
        return;
    m_recomputeQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_recomputeQueued = false;
        Recompute();
    });
}

void CQueueCompareDlg::Recompute()
{
    m_leftJobs = JobsOf(m_left);
    m_rightJobs = JobsOf(m_right);
    m_rows = CJobQueueDiff::Compare(m_leftJobs, m_rightJobs);
    Fill();
}

bool CQueueCompareDlg::Highlighted(int row, int column) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return false;
    const QTableWidgetItem* item = m_table->item(row, column);
    return item && item->background().style() != Qt::NoBrush;
}

void CQueueCompareDlg::Fill()
{
    // The selection is kept by the pair of job numbers it showed.
    std::set<std::pair<LONG, LONG>> selected;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows()) {
        const int row = index.row();
        const auto* leftItem = m_table->item(row, LeftJob);
        const auto* rightItem = m_table->item(row, RightJob);
        selected.emplace(leftItem && !leftItem->text().isEmpty() ? leftItem->text().toLong() : -1,
                         rightItem && !rightItem->text().isEmpty() ? rightItem->text().toLong() : -1);
    }
    const QString yes = QVCtrlString(IDS_QC_YES);
    const QString no = QVCtrlString(IDS_QC_NO);
    m_table->setRowCount(static_cast<int>(m_rows.size()));
    long same = 0, differing = 0, leftOnly = 0, rightOnly = 0;
    for (int row = 0; row < static_cast<int>(m_rows.size()); ++row) {
        const CJobDiffRow& diff = m_rows[static_cast<size_t>(row)];
        const CJobListData* a = diff.left >= 0 ? &m_leftJobs[static_cast<size_t>(diff.left)] : nullptr;
        const CJobListData* b = diff.right >= 0 ? &m_rightJobs[static_cast<size_t>(diff.right)] : nullptr;
        if (diff.kind == CJobDiffKind::OnlyLeft)
            ++leftOnly;
        else if (diff.kind == CJobDiffKind::OnlyRight)
            ++rightOnly;
        else if (diff.fields != JobDiffNone)
            ++differing;
        else
            ++same;
        auto put = [&](int column, const QString& text, bool highlight, const QColor& colour) {
            auto* item = new QTableWidgetItem(text);
            if (highlight)
                item->setBackground(colour);
            m_table->setItem(row, column, item);
        };
        auto side = [&](const CJobListData* job, int first) {
            const bool alone = diff.kind != CJobDiffKind::Matched && job;
            const QColor colour = alone ? kOneSide : kDiffers;
            if (!job) {
                for (int column = first; column < first + 5; ++column)
                    put(column, QString(), false, colour);
                return;
            }
            put(first, QString::number(job->m_jobNumber), alone, colour);
            put(first + 1, QString::fromStdString(job->m_interval), alone || (diff.fields & JobDiffInterval), colour);
            put(first + 2, DateText(job->m_nextDate), alone || (diff.fields & JobDiffNextDate), colour);
            put(first + 3, job->m_broken ? yes : no, alone || (diff.fields & JobDiffBroken), colour);
            put(first + 4, QString::fromStdString(job->m_schemaUser), alone || (diff.fields & JobDiffSchema), colour);
        };
        side(a, LeftJob);
        put(What, QString::fromStdString((a ? a : b)->m_what).simplified(), diff.kind != CJobDiffKind::Matched,
            kOneSide);
        side(b, RightJob);
    }
    m_table->clearSelection();
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const auto* leftItem = m_table->item(row, LeftJob);
        const auto* rightItem = m_table->item(row, RightJob);
        const std::pair<LONG, LONG> key(leftItem->text().isEmpty() ? -1 : leftItem->text().toLong(),
                                        rightItem->text().isEmpty() ? -1 : rightItem->text().toLong());
        if (selected.count(key))
            m_table->selectRow(row);
    }
    const std::string leftName = m_left ? QueueName(*m_left).toStdString() : std::string();
    const std::string rightName = m_right ? QueueName(*m_right).toStdString() : std::string();
    m_summary->setText(QString::fromStdString(QVCtrlStrings().Format(
        IDS_QC_SUMMARY, same, differing, leftOnly, leftName.c_str(), rightOnly, rightName.c_str())));
    UpdateButtons();
}

void CQueueCompareDlg::UpdateButtons()
{
    const bool both = m_left && m_right && m_left != m_right;
    const bool any = !m_table->selectionModel()->selectedRows().isEmpty();
    m_copyRight->setEnabled(both && any && m_right->IsConnected());
    m_copyLeft->setEnabled(both && any && m_left->IsConnected());
}

bool CQueueCompareDlg::CopySelected(bool toRight)
{
    if (!m_left || !m_right || m_left == m_right)
        return false;
    std::vector<int> chosen;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        chosen.push_back(index.row());
    std::sort(chosen.begin(), chosen.end());
    const CQueueCompareCopy::Plan plan = CQueueCompareCopy::Build(m_rows, chosen, m_leftJobs, m_rightJobs, toRight);
    CJobListCtrl& source = toRight ? *m_left : *m_right;
    CJobListCtrl& target = toRight ? *m_right : *m_left;
    if (plan.Empty()) {
        const std::string text =
            QVCtrlStrings().Format(IDS_QC_NOTHING_TO_COPY, QueueName(target).toStdString().c_str());
        VkModalService::MessageBox(this, QString::fromStdString(text), QVCtrlString(IDS_QC_TITLE),
                                   MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return CQueueCompareCopy::Start(plan, source, target, this);
}

void CQueueCompareDlg::Help()
{
    std::string file = QVCtrlStrings().Load(IDS_QC_HELP_FILE);
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), QVCtrlStrings().Load(IDS_QC_HELP_TOPIC));
}
