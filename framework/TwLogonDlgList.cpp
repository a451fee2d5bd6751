#include "framework/TwLogonDlgList.h"

#include "framework/TwLogonStrings.h"

#include <QHeaderView>

TwLogonDlgList::TwLogonDlgList(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setHeaderLabels({TwLogonString(IDS_TW_LOGON_COLUMN_TITLE), TwLogonString(IDS_TW_LOGON_COLUMN_USER),
                     TwLogonString(IDS_TW_LOGON_COLUMN_HOST), TwLogonString(IDS_TW_LOGON_COLUMN_HOST)});
    setColumnWidth(TitleColumn, 120);
    setColumnWidth(UserColumn, 100);
    setColumnWidth(HostColumn, 100);
    // The password column is there for the data, never for the eye.
    setColumnHidden(PasswordColumn, true);
}

void TwLogonDlgList::SetEntries(const std::vector<TwLogonEntry>& entries)
{
    clear();
    for (const TwLogonEntry& e : entries) {
        auto* item = new QTreeWidgetItem(this);
        item->setText(TitleColumn, QString::fromStdString(e.title));
        item->setText(UserColumn, QString::fromStdString(e.user));
        item->setText(HostColumn, QString::fromStdString(e.database));
        item->setText(PasswordColumn, QString::fromStdString(e.password));
    }
}

std::vector<TwLogonEntry> TwLogonDlgList::Entries() const
{
    std::vector<TwLogonEntry> entries;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = topLevelItem(i);
        entries.push_back({item->text(TitleColumn).toStdString(), item->text(HostColumn).toStdString(),
                           item->text(UserColumn).toStdString(), item->text(PasswordColumn).toStdString()});
    }
    return entries;
}

std::vector<QTreeWidgetItem*> TwLogonDlgList::SelectedRows() const
{
    std::vector<QTreeWidgetItem*> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->isSelected())
            rows.push_back(topLevelItem(i));
    return rows;
}
