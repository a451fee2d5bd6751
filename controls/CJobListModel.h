#pragma once
// The rows of the job list: one job record per row, the thirteen columns
// with their identifiers, the cell texts, colours, band colours and
// flashing, and sorting on one column. Window-free so that every rule of
// the list can be checked without a view.

#include "controls/CJobListData.h"

#include <QAbstractTableModel>
#include <QColor>

#include <array>
#include <map>
#include <vector>

class CJobListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // Column identifiers (the order of creation differs: This Run comes
    // before Failures).
    enum ColumnId : int {
        ColJob = 0,
        ColLastDate = 1,
        ColNextDate = 2,
        ColWhat = 3,
        ColInterval = 4,
        ColBroken = 5,
        ColRunning = 6,
        ColFailures = 7,
        ColThisDate = 8,
        ColLogUser = 9,
        ColPrivUser = 10,
        ColSchemaUser = 11,
        ColTotalTime = 12,
    };
    static constexpr int kColumnCount = 13;
    // The column number of JLM_JOBUPDATE that stands for every column.
    static constexpr int kAllColumns = 13;
    // A row's CJobRunHistory::Change flags from recent refreshes (unsigned).
    static constexpr int ChangeRole = Qt::UserRole + 1;

    struct Column {
        int id;
        int width; // pixels
    };
    // In the order of creation.
    static const std::array<Column, kColumnCount>& Columns();
    // Column index of an identifier, -1 for none.
    static int ColumnIndex(int id);
    static QString Caption(int id);
    static QString ToolTip(int id);

    // The cell text of a job in a column (by identifier).
    static QString CellText(const CJobListData& job, int id);
    // Every run of white space as one blank, ends trimmed.
    static QString CollapseWhiteSpace(const std::string& text);
    // Red when broken, else green when running, else orange after
    // failures; invalid (the list's default) otherwise.
    static QColor TextColour(const CJobListData& job);
    static bool NeedsAttention(const CJobListData& job);
    // The two alternating row backgrounds made from a caption colour.
    static std::array<QColor, 2> BandColours(const QColor& captionColour);

    explicit CJobListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Sorts and remembers the column (an index) and order for later lists.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int SortColumn() const { return m_sortColumn; }
    Qt::SortOrder SortOrder() const { return m_sortOrder; }
    // Sorts again on the remembered column; nothing when there is none.
    void Resort();

    // Replaces every row at once, then sorts as before.
    void InstallList(std::vector<CJobListData> jobs);
    void Clear();
    // Appends a copy of job; with last, sorts as before.
    void AddJob(const CJobListData& job, bool last);
    // Copies one column (by identifier) or, with kAllColumns, every field
    // of incoming into the row of the same job; false when no row has it.
    bool UpdateJob(int column, const CJobListData& incoming);
    bool RemoveJob(LONG jobNumber);
    int FindRow(LONG jobNumber) const;
    const CJobListData& Job(int row) const { return m_rows[static_cast<size_t>(row)].job; }
    bool IsFlashing(int row) const { return m_rows[static_cast<size_t>(row)].flashing; }

    // What the last refresh saw change, by job number: "just ran", "just
    // failed" and "just broken" rows are marked until the next list.
    void SetChanges(const std::map<LONG, unsigned>& changes);
    unsigned Changes(int row) const { return m_rows[static_cast<size_t>(row)].changes; }
    // The mark's colour and words for a row's changes; invalid and empty
    // for none worth marking.
    static QColor ChangeColour(unsigned changes);
    static QString ChangeText(unsigned changes);

    // Flashing rows swap text and background colour in the "on" phase while
    // flash effects are enabled.
    void SetFlashEffects(bool on);
    bool FlashEffects() const { return m_flashEffects; }
    void ToggleFlashPhase();
    bool FlashPhase() const { return m_flashPhase; }
    bool HasFlashingRows() const;

    void SetBandColours(const std::array<QColor, 2>& colours);

    // The given rows (all when empty), one line each, cells tab-separated.
    QString RowsAsText(const std::vector<int>& rows) const;

private:
    struct Row {
        CJobListData job;
        bool flashing = false;
        unsigned changes = 0;
    };
    static bool Less(const CJobListData& a, const CJobListData& b, int id);
    void EmitRowChanged(int row);

    std::vector<Row> m_rows;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_flashEffects = true;
    bool m_flashPhase = false;
    std::array<QColor, 2> m_bands;
};
