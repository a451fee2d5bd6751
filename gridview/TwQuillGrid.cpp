#include "gridview/TwQuillGrid.h"

#include "generic/VkModalService.h"
#include "gridview/TwCellSqlDlg.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridStatusCtrl.h"

#include <QHeaderView>
#include <QMetaObject>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

constexpr int kColumnWidth = 100;
constexpr int kDeliveredRole = Qt::UserRole + 1;
// Cells one slice of an installation creates.
constexpr size_t kInstallCells = 6000;

bool HasDuplicateNames(const std::vector<std::string>& columns)
{
    std::set<std::string> seen;
    for (const std::string& name : columns)
        if (!seen.insert(name).second)
            return true;
    return false;
}

} // namespace

TwQuillGrid::TwQuillGrid(QWidget* parent)
    : QWidget(parent),
      m_table(new QTableWidget(this)),
      m_status(new TwQuillGridStatusCtrl(this)),
      m_worker(std::make_unique<TwQuillGridWorker>(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Rows stay in the server's order until the user sorts them.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_table->horizontalHeader()->setSortIndicatorShown(true);
    // Raised on the worker thread: only queue the signal to this thread.
    m_worker->SetLoginHandler(
        [this] { QMetaObject::invokeMethod(this, [this] { emit loginFinished(); }, Qt::QueuedConnection); });
}

TwQuillGrid::~TwQuillGrid()
{
    // Never asks: one bounded round, then the server call is interrupted.
    Shutdown([] { return false; });
}

void TwQuillGrid::Shutdown(std::function<bool()> askRetry)
{
    m_worker->SetLoginHandler(nullptr);
    m_worker->Stop(std::move(askRetry));
}

void TwQuillGrid::Clear()
{
    m_table->setSortingEnabled(false);
    m_table->clear();
    m_table->setRowCount(0);
    m_table->setColumnCount(0);
    m_table->setSortingEnabled(true);
}

void TwQuillGrid::InstallResult(const TwGridResultRecord& result)
{
    StartInstall(std::make_unique<TwGridResultRecord>(result));
    FillRows(m_installing->m_rows.size());
    FinishInstall();
}

void TwQuillGrid::StartInstall(std::unique_ptr<TwGridResultRecord> result)
{
    // A result still going in is replaced; its sort and scroll state stand.
    if (!m_installing) {
        QHeaderView* header = m_table->horizontalHeader();
        m_saved = {m_table->horizontalScrollBar()->value(), m_table->verticalScrollBar()->value(),
                   header->sortIndicatorSection(), header->sortIndicatorOrder(), m_table->columnCount()};
    }
    m_installing = std::move(result);
    m_installed = 0;
    m_table->setSortingEnabled(false);
    m_table->setRowCount(0);
    m_table->setColumnCount(static_cast<int>(m_installing->m_columns.size()));
    QStringList captions;
    for (const std::string& name : m_installing->m_columns)
        captions << QString::fromStdString(name);
    m_table->setHorizontalHeaderLabels(captions);
    if (m_saved.columns != m_table->columnCount())
        for (int column = 0; column < m_table->columnCount(); ++column)
            m_table->setColumnWidth(column, kColumnWidth);
    m_table->setRowCount(static_cast<int>(m_installing->m_rows.size()));
}

void TwQuillGrid::FillRows(size_t count)
{
    const TwGridResultRecord& result = *m_installing;
    const size_t end = std::min(result.m_rows.size(), m_installed + count);
    for (size_t row = m_installed; row < end; ++row) {
        const auto& cells = result.m_rows[row];
        for (size_t column = 0; column < result.m_columns.size(); ++column) {
            auto* item = new QTableWidgetItem(
                column < cells.size() ? QString::fromStdString(cells[column]) : QString());
            // Cell SQL addresses rows as delivered, whatever the sort.
            item->setData(kDeliveredRole, static_cast<int>(row));
            m_table->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    m_installed = end;
}

void TwQuillGrid::InstallSlice()
{
    if (!m_installing)
        return;
    // A slice small enough that the interface thread keeps answering.
    FillRows(std::max<size_t>(1, kInstallCells / std::max<size_t>(1, m_installing->m_columns.size())));
    if (m_installed < m_installing->m_rows.size())
        QMetaObject::invokeMethod(this, &TwQuillGrid::InstallSlice, Qt::QueuedConnection);
    else
        FinishInstall();
}

void TwQuillGrid::FinishInstall()
{
    std::unique_ptr<TwGridResultRecord> result = std::move(m_installing);
    QHeaderView* header = m_table->horizontalHeader();
    // Enabling sorting sorts again on the current column; a new column
    // set starts in the server's order.
    if (m_saved.columns == m_table->columnCount() && m_saved.sortColumn < m_table->columnCount())
        header->setSortIndicator(m_saved.sortColumn, m_saved.sortOrder);
    else
        header->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);
    m_table->horizontalScrollBar()->setValue(m_saved.horizontal);
    m_table->verticalScrollBar()->setValue(m_saved.vertical);
    for (const auto& values : m_deferredCells)
        ApplyCellValues(*values);
    m_deferredCells.clear();

    if (HasDuplicateNames(result->m_columns))
        VkModalService::MessageBox(this, TwQlVwString(IDS_GV_DUPLICATE_COLUMNS), TwQlVwString(IDS_GV_CAPTION),
                                   MB_OK | MB_ICONEXCLAMATION);
}

bool TwQuillGrid::EditCellSql(int row, int column)
{
    QTableWidgetItem* cell = m_table->item(row, column);
    if (!cell)
        return false;
    const int delivered = cell->data(kDeliveredRole).toInt();
    std::vector<TwCellSqlItem> items = m_worker->CellSqlItems();
    auto found = std::find_if(items.begin(), items.end(), [&](const TwCellSqlItem& item) {
        return item.row == delivered && item.column == column;
    });
    TwCellSqlItem item;
    if (found != items.end()) {
        item = *found;
    } else {
        item.row = delivered;
        item.column = column;
        item.cellText = cell->text().toStdString();
    }
    TwCellSqlDlg dialog(item, this);
    const int result = VkModalService::DoModal(&dialog);
    if (result == TwCellSqlDlg::kDeleted) {
        if (found == items.end())
            return false;
        items.erase(found);
    } else if (result == QDialog::Accepted) {
        item = dialog.Item();
        if (found != items.end())
            *found = item;
        else
            items.push_back(item);
        cell->setText(QString::fromStdString(item.cellText));
        cell->setToolTip(QString::fromStdString(item.description));
    } else {
        return false;
    }
    m_worker->SetCellSqlItems(std::move(items));
    return true;
}

void TwQuillGrid::CaptureList(TwQuillGridState& state) const
{
    state.columns.clear();
    state.widths.clear();
    state.rows.clear();
    for (int column = 0; column < m_table->columnCount(); ++column) {
        QTableWidgetItem* header = m_table->horizontalHeaderItem(column);
        state.columns.push_back(header ? header->text().toStdString() : std::string());
        state.widths.push_back(m_table->columnWidth(column));
    }
    for (int row = 0; row < m_table->rowCount(); ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < m_table->columnCount(); ++column) {
            QTableWidgetItem* item = m_table->item(row, column);
            cells.push_back(item ? item->text().toStdString() : std::string());
        }
        state.rows.push_back(std::move(cells));
    }
}

void TwQuillGrid::RestoreList(const TwQuillGridState& state)
{
    TwGridResultRecord list;
    list.m_columns = state.columns;
    list.m_rows = state.rows;
    Clear();
    InstallResult(list);
    for (size_t column = 0; column < state.widths.size() && column < state.columns.size(); ++column)
        if (state.widths[column] > 0)
            m_table->setColumnWidth(static_cast<int>(column), state.widths[column]);
}

void TwQuillGrid::ApplyCellValues(const TwGridCellValuesRecord& values)
{
    m_table->setSortingEnabled(false);
    for (const auto& value : values.m_values) {
        if (value.column < 0 || value.column >= m_table->columnCount())
            continue;
        for (int row = 0; row < m_table->rowCount(); ++row) {
            QTableWidgetItem* item = m_table->item(row, value.column);
            if (item && item->data(kDeliveredRole).toInt() == value.row) {
                item->setText(QString::fromStdString(value.text));
                break;
            }
        }
    }
    m_table->setSortingEnabled(true);
}

bool TwQuillGrid::event(QEvent* e)
{
    auto* message = dynamic_cast<VkMessageEvent*>(e);
    if (!message)
        return QWidget::event(e);
    switch (message->Message()) {
    case GVM_STATUS:
        if (auto status = message->TakeRecord<TwGridStatusRecord>())
            m_status->ApplyStatus(*status);
        return true;
    case GVM_QUEUE:
        m_worker->PostRequest(static_cast<LONG>(message->WParam()));
        return true;
    case GVM_VERSION:
        if (auto version = message->TakeRecord<TwGridTextRecord>())
            m_status->SetVersion(version->m_text);
        return true;
    case GVM_SERVERTIME:
        if (auto time = message->TakeRecord<TwGridDateRecord>())
            m_status->SetServerTime(time->m_date);
        return true;
    case GVM_RUNSTATE:
        emit runStateChanged(static_cast<LONG>(message->WParam()));
        return true;
    case GVM_NEWRESULT:
        // In slices, so that a large result never holds the interface.
        if (auto result = message->TakeRecord<TwGridResultRecord>()) {
            StartInstall(std::move(result));
            InstallSlice();
        }
        return true;
    case GVM_CELLVALUES:
        if (auto values = message->TakeRecord<TwGridCellValuesRecord>()) {
            if (m_installing)
                m_deferredCells.push_back(std::move(values)); // for rows not there yet
            else
                ApplyCellValues(*values);
        }
        return true;
    default:
        return QWidget::event(e);
    }
}
