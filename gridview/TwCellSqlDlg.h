#pragma once
// The "Cell PL/SQL" dialog: the cell text, a description and the SQL or
// PL/SQL text of one grid cell. Save accepts, Delete removes the cell's
// SQL, Cancel changes nothing.

#include "gridview/TwCellSqlItem.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

class TwCellSqlDlg : public QDialog {
    Q_OBJECT

public:
    // Result code of Delete (Save is Accepted, Cancel Rejected).
    static constexpr int kDeleted = 2;

    explicit TwCellSqlDlg(const TwCellSqlItem& item, QWidget* parent = nullptr);

    // The item as the controls stand (row and column as given).
    TwCellSqlItem Item() const;

private:
    TwCellSqlItem m_item;
    QLineEdit* m_cellText;
    QLineEdit* m_description;
    QPlainTextEdit* m_sql;
};
