#pragma once
// The entry list of the logon dialog's list mode: one row per logon entry
// with its title, user and database, and the password in a fourth column
// kept out of sight.

#include <QTreeWidget>

#include <string>
#include <vector>

struct TwLogonEntry {
    std::string title;
    std::string database;
    std::string user;
    std::string password;
};

class TwLogonDlgList : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { TitleColumn = 0, UserColumn = 1, HostColumn = 2, PasswordColumn = 3 };

    explicit TwLogonDlgList(QWidget* parent = nullptr);

    void SetEntries(const std::vector<TwLogonEntry>& entries);
    std::vector<TwLogonEntry> Entries() const;
    // The selected rows in list order.
    std::vector<QTreeWidgetItem*> SelectedRows() const;
};
