#include "controls/CJobListModel.h"

#include "controls/CJobRunHistory.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkDateFormat.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

QString DateText(DATE date)
{
    if (date == 0)
        return QString();
    return QString::fromStdString(VkDateFormat::FormatDateToShortDateFormat(date) + " " +
                                  VkDateFormat::FormatDateToTimeFormat(date));
}

QString YesNo(bool flag)
{
    return QVCtrlString(flag ? IDS_JL_YES : IDS_JL_NO);
}

int Compare(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive);
}

} // namespace

const std::array<CJobListModel::Column, CJobListModel::kColumnCount>& CJobListModel::Columns()
{
    static const std::array<Column, kColumnCount> columns{{
        {ColJob, 50},
        {ColLastDate, 130},
        {ColNextDate, 130},
        {ColWhat, 200},
        {ColInterval, 150},
        {ColBroken, 65},
        {ColRunning, 65},
        {ColThisDate, 130},
        {ColFailures, 70},
        {ColLogUser, 100},
        {ColPrivUser, 100},
        {ColSchemaUser, 100},
        {ColTotalTime, 70},
    }};
    return columns;
}

int CJobListModel::ColumnIndex(int id)
{
    const auto& columns = Columns();
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].id == id)
            return static_cast<int>(i);
    return -1;
}

QString CJobListModel::Caption(int id)
{
    return QVCtrlString(IDS_JL_COLUMN_CAPTION + static_cast<UINT>(id));
}

QString CJobListModel::ToolTip(int id)
{
    return QVCtrlString(IDS_JL_COLUMN_TIP + static_cast<UINT>(id));
}

QString CJobListModel::CollapseWhiteSpace(const std::string& text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString::fromStdString(text).replace(blanks, QStringLiteral(" ")).trimmed();
}

QString CJobListModel::CellText(const CJobListData& job, int id)
{
    switch (id) {
    case ColJob: return QString::number(job.m_jobNumber);
    case ColLastDate: return DateText(job.m_lastDate);
    case ColNextDate: return DateText(job.m_nextDate);
    case ColWhat: return CollapseWhiteSpace(job.m_what);
    case ColInterval: return QString::fromStdString(job.m_interval);
    case ColBroken: return YesNo(job.m_broken);
    case ColRunning: return YesNo(job.m_running != 0);
    case ColFailures: return QString::number(job.m_failures);
    case ColThisDate: return DateText(job.m_thisDate);
    case ColLogUser: return QString::fromStdString(job.m_logUser);
    case ColPrivUser: return QString::fromStdString(job.m_privUser);
    case ColSchemaUser: return QString::fromStdString(job.m_schemaUser);
    case ColTotalTime: return QString::number(job.m_totalTime);
    default: return QString();
    }
}

QColor CJobListModel::TextColour(const CJobListData& job)
{
    if (job.m_broken)
        return QColor(220, 0, 0);
    if (job.m_running)
        return QColor(0, 180, 0);
    if (job.m_failures > 0)
        return QColor(255, 135, 0);
    return QColor();
}

bool CJobListModel::NeedsAttention(const CJobListData& job)
{
    return job.m_broken || job.m_running || job.m_failures >= 1;
}

std::array<QColor, 2> CJobListModel::BandColours(const QColor& captionColour)
{
    // Luminosity 230 and 227 on a 0-240 scale.
    const QColor hsl = captionColour.toHsl();
    const auto band = [&](int luminosity) {
        return QColor::fromHsl(hsl.hslHue() < 0 ? 0 : hsl.hslHue(), hsl.hslSaturation(),
                               (luminosity * 255 + 120) / 240);
    };
    return {band(230), band(227)};
}

CJobListModel::CJobListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CJobListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CJobListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CJobListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount)
        return QVariant();
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const int id = Columns()[static_cast<size_t>(index.column())].id;
    const bool flashOn = row.flashing && m_flashEffects && m_flashPhase;
    switch (role) {
    case Qt::DisplayRole:
        return CellText(row.job, id);
    case Qt::ToolTipRole:
        if (id == ColJob && !ChangeText(row.changes).isEmpty())
            return ChangeText(row.changes);
        // The full body, since the cell shows it on one line.
        return id == ColWhat ? QVariant(QString::fromStdString(row.job.m_what)) : QVariant();
    case Qt::DecorationRole:
        if (id == ColJob && ChangeColour(row.changes).isValid())
            return ChangeColour(row.changes);
        return QVariant();
    case ChangeRole:
        return row.changes;
    case Qt::ForegroundRole: {
        if (flashOn)
            return QColor(Qt::white);
        const QColor colour = TextColour(row.job);
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    case Qt::BackgroundRole:
        if (flashOn)
            return TextColour(row.job).isValid() ? TextColour(row.job) : QColor(Qt::darkGray);
        if (m_bands[0].isValid())
            return m_bands[static_cast<size_t>(index.row() % 2)];
        return QVariant();
    case Qt::TextAlignmentRole:
        if (id == ColJob || id == ColFailures || id == ColTotalTime)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CJobListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    const int id = Columns()[static_cast<size_t>(section)].id;
    if (role == Qt::DisplayRole)
        return Caption(id);
    if (role == Qt::ToolTipRole)
        return ToolTip(id);
    return QVariant();
}

bool CJobListModel::Less(const CJobListData& a, const CJobListData& b, int id)
{
    switch (id) {
    case ColJob: return a.m_jobNumber < b.m_jobNumber;
    case ColLastDate: return a.m_lastDate < b.m_lastDate;
    case ColNextDate: return a.m_nextDate < b.m_nextDate;
    case ColWhat: return CollapseWhiteSpace(a.m_what).compare(CollapseWhiteSpace(b.m_what), Qt::CaseInsensitive) < 0;
    case ColInterval: return Compare(a.m_interval, b.m_interval) < 0;
    case ColBroken: return a.m_broken < b.m_broken;
    case ColRunning: return (a.m_running != 0) < (b.m_running != 0);
    case ColFailures: return a.m_failures < b.m_failures;
    case ColThisDate: return a.m_thisDate < b.m_thisDate;
    case ColLogUser: return Compare(a.m_logUser, b.m_logUser) < 0;
    case ColPrivUser: return Compare(a.m_privUser, b.m_privUser) < 0;
    case ColSchemaUser: return Compare(a.m_schemaUser, b.m_schemaUser) < 0;
    case ColTotalTime: return a.m_totalTime < b.m_totalTime;
    default: return false;
    }
}

void CJobListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    const int id = Columns()[static_cast<size_t>(column)].id;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<LONG> beforeJobs;
    for (const QModelIndex& index : before)
        beforeJobs.push_back(m_rows[static_cast<size_t>(index.row())].job.m_jobNumber);
    // Stable, with the job number breaking ties, so equal cells keep a
    // predictable order across refreshes.
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const Row& a, const Row& b) {
        const bool less = order == Qt::AscendingOrder ? Less(a.job, b.job, id) : Less(b.job, a.job, id);
        const bool more = order == Qt::AscendingOrder ? Less(b.job, a.job, id) : Less(a.job, b.job, id);
        if (less || more)
            return less;
        return a.job.m_jobNumber < b.job.m_jobNumber;
    });
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after.push_back(index(FindRow(beforeJobs[static_cast<size_t>(i)]), before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CJobListModel::Resort()
{
    if (m_sortColumn >= 0)
        sort(m_sortColumn, m_sortOrder);
}

void CJobListModel::InstallList(std::vector<CJobListData> jobs)
{
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(jobs.size());
    for (auto& job : jobs) {
        const bool flashing = NeedsAttention(job);
        m_rows.push_back(Row{std::move(job), flashing});
    }
    endResetModel();
    Resort();
}

void CJobListModel::SetChanges(const std::map<LONG, unsigned>& changes)
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const auto found = changes.find(m_rows[i].job.m_jobNumber);
        const unsigned now = found == changes.end() ? 0u : found->second;
        if (now != m_rows[i].changes) {
            m_rows[i].changes = now;
            EmitRowChanged(static_cast<int>(i));
        }
    }
}

QColor CJobListModel::ChangeColour(unsigned changes)
{
    // The worst news wins.
    if (changes & CJobRunHistory::JustBroken)
        return QColor(200, 0, 0);
    if (changes & CJobRunHistory::Failed)
        return QColor(230, 140, 0);
    if (changes & CJobRunHistory::Ran)
        return QColor(0, 160, 60);
    return QColor();
}

QString CJobListModel::ChangeText(unsigned changes)
{
    if (changes & CJobRunHistory::JustBroken)
        return QVCtrlString(IDS_JH_JUST_BROKEN);
    if (changes & CJobRunHistory::Failed)
        return QVCtrlString(IDS_JH_JUST_FAILED);
    if (changes & CJobRunHistory::Ran)
        return QVCtrlString(IDS_JH_JUST_RAN);
    return QString();
}

void CJobListModel::Clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void CJobListModel::AddJob(const CJobListData& job, bool last)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(Row{job, NeedsAttention(job)});
    endInsertRows();
    if (last)
        Resort();
}

bool CJobListModel::UpdateJob(int column, const CJobListData& incoming)
{
    const int row = FindRow(incoming.m_jobNumber);
    if (row < 0)
        return false;
    CJobListData& job = m_rows[static_cast<size_t>(row)].job;
    switch (column) {
    case kAllColumns: {
        // The record's own options (note, submit options) stay with the row.
        const CJobListData kept = job;
        job = incoming;
        job.m_note = kept.m_note;
        break;
    }
    case ColJob: job.m_jobNumber = incoming.m_jobNumber; break;
    case ColLastDate: job.m_lastDate = incoming.m_lastDate; break;
    case ColNextDate: job.m_nextDate = incoming.m_nextDate; break;
    case ColWhat: job.m_what = incoming.m_what; break;
    case ColInterval: job.m_interval = incoming.m_interval; break;
    case ColBroken: job.m_broken = incoming.m_broken; break;
    case ColRunning: job.m_running = incoming.m_running; break;
    case ColFailures: job.m_failures = incoming.m_failures; break;
    case ColThisDate: job.m_thisDate = incoming.m_thisDate; break;
    case ColLogUser: job.m_logUser = incoming.m_logUser; break;
    case ColPrivUser: job.m_privUser = incoming.m_privUser; break;
    case ColSchemaUser: job.m_schemaUser = incoming.m_schemaUser; break;
    case ColTotalTime: job.m_totalTime = incoming.m_totalTime; break;
    default: return true; // no such column: the row stays as it is
    }
    m_rows[static_cast<size_t>(row)].flashing = NeedsAttention(job);
    EmitRowChanged(row);
    return true;
}

bool CJobListModel::RemoveJob(LONG jobNumber)
{
    const int row = FindRow(jobNumber);
    if (row < 0)
        return false;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return true;
}

int CJobListModel::FindRow(LONG jobNumber) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].job.m_jobNumber == jobNumber)
            return static_cast<int>(i);
    return -1;
}

void CJobListModel::SetFlashEffects(bool on)
{
    if (m_flashEffects == on)
        return;
    m_flashEffects = on;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1));
}

void CJobListModel::ToggleFlashPhase()
{
    m_flashPhase = !m_flashPhase;
    if (!m_flashEffects)
        return;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].flashing)
            EmitRowChanged(static_cast<int>(i));
}

bool CJobListModel::HasFlashingRows() const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [](const Row& r) { return r.flashing; });
}

void CJobListModel::SetBandColours(const std::array<QColor, 2>& colours)
{
    m_bands = colours;
    if (!m_rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, kColumnCount - 1), {Qt::BackgroundRole});
}

QString CJobListModel::RowsAsText(const std::vector<int>& rows) const
{
    std::vector<int> which = rows;
    if (which.empty())
        for (int i = 0; i < rowCount(); ++i)
            which.push_back(i);
    QString text;
    for (int row : which) {
        if (row < 0 || row >= rowCount())
            continue;
        QStringList cells;
        for (const Column& column : Columns())
            cells << CellText(Job(row), column.id);
        text += cells.join('\t') + "\r\n";
    }
    return text;
}

void CJobListModel::EmitRowChanged(int row)
{
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}
