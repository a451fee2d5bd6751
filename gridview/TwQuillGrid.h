#pragma once
// The grid: the rows of the last run, the status bar under them, and the
// worker that runs the statements. Results and cell values arrive as
// posted messages from the worker.

#include "gridview/TwQuillGridState.h"
#include "gridview/TwQuillGridWorker.h"

#include <QWidget>

#include <memory>
#include <vector>

class QTableWidget;
class TwQuillGridStatusCtrl;

class TwQuillGrid : public QWidget {
    Q_OBJECT

public:
    explicit TwQuillGrid(QWidget* parent = nullptr);
    ~TwQuillGrid() override;

    TwQuillGridWorker& Worker() { return *m_worker; }
    QTableWidget* Table() const { return m_table; }
    TwQuillGridStatusCtrl* StatusCtrl() const { return m_status; }

    // Empties the grid (columns and rows).
    void Clear();
    // Replaces the shown rows, keeping the scroll position and the sort, at
    // once; a result the worker posts goes in in slices between events.
    void InstallResult(const TwGridResultRecord& result);

    // Opens the "Cell PL/SQL" dialog for the shown cell; Save attaches its
    // SQL to the cell (shown after every run), Delete removes it. True when
    // the cell's SQL changed.
    bool EditCellSql(int row, int column);

    // The list's part of the persisted state: columns, widths and cells
    // in the shown order.
    void CaptureList(TwQuillGridState& state) const;
    void RestoreList(const TwQuillGridState& state);

    // Stops the worker; after it the grid shows no more results.
    void Shutdown(std::function<bool()> askRetry = nullptr);

signals:
    void runStateChanged(LONG state);
    void loginFinished();

protected:
    bool event(QEvent* e) override;

private:
    void ApplyCellValues(const TwGridCellValuesRecord& values);
    void StartInstall(std::unique_ptr<TwGridResultRecord> result);
    void FillRows(size_t count);
    void InstallSlice();
    void FinishInstall();

    // The view as it was before an installation began.
    struct SavedView {
        int horizontal = 0;
        int vertical = 0;
        int sortColumn = -1;
        Qt::SortOrder sortOrder = Qt::AscendingOrder;
        int columns = 0;
    };

    QTableWidget* m_table;
    TwQuillGridStatusCtrl* m_status;
    std::unique_ptr<TwQuillGridWorker> m_worker;
    std::unique_ptr<TwGridResultRecord> m_installing; // going in, in slices
    size_t m_installed = 0;
    SavedView m_saved;
    std::vector<std::unique_ptr<TwGridCellValuesRecord>> m_deferredCells;
};
