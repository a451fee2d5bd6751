#include "gridview/TwCellSqlDlg.h"

#include "gridview/TwQlVwHelp.h"
#include "gridview/TwQlVwStrings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TwCellSqlDlg::TwCellSqlDlg(const TwCellSqlItem& item, QWidget* parent)
    : QDialog(parent), m_item(item), m_cellText(new QLineEdit), m_description(new QLineEdit),
      m_sql(new QPlainTextEdit)
{
    setWindowTitle(TwQlVwString(IDS_GV_CELL_TITLE));
    m_cellText->setObjectName("cellText");
    m_description->setObjectName("description");
    m_sql->setObjectName("sql");
    m_cellText->setText(QString::fromStdString(item.cellText));
    m_description->setText(QString::fromStdString(item.description));
    m_sql->setPlainText(QString::fromStdString(item.sql));

    auto* layout = new QVBoxLayout(this);
    const auto addLabelled = [&](UINT caption, QWidget* field) {
        auto* label = new QLabel(TwQlVwString(caption));
        label->setBuddy(field);
        layout->addWidget(label);
        layout->addWidget(field);
    };
    addLabelled(IDS_GV_CELL_TEXT, m_cellText);
    addLabelled(IDS_GV_CELL_DESCRIPTION, m_description);
    addLabelled(IDS_GV_CELL_CODE, m_sql);

    auto* buttons = new QDialogButtonBox;
    auto* save = buttons->addButton(TwQlVwString(IDS_GV_CELL_SAVE), QDialogButtonBox::AcceptRole);
    auto* cancel = buttons->addButton(TwQlVwString(IDS_GV_CELL_CANCEL), QDialogButtonBox::RejectRole);
    auto* remove = buttons->addButton(TwQlVwString(IDS_GV_CELL_DELETE), QDialogButtonBox::DestructiveRole);
    // No alert settings exist for cells yet.
    auto* help = buttons->addButton(TwQlVwString(IDS_GV_CELL_HELP), QDialogButtonBox::HelpRole);
    auto* alerts = buttons->addButton(TwQlVwString(IDS_GV_CELL_ALERTS), QDialogButtonBox::ActionRole);
    help->setObjectName("help");
    connect(help, &QPushButton::clicked, this, [this] { TwQlVwShowHelp(this, IDS_GV_HELP_CELL_TOPIC); });
    alerts->setEnabled(false);
    save->setObjectName("save");
    cancel->setObjectName("cancel");
    remove->setObjectName("delete");
    connect(save, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(remove, &QPushButton::clicked, this, [this] { done(kDeleted); });
    layout->addWidget(buttons);
}

TwCellSqlItem TwCellSqlDlg::Item() const
{
    TwCellSqlItem item = m_item;
    item.cellText = m_cellText->text().toStdString();
    item.description = m_description->text().toStdString();
    item.sql = m_sql->toPlainText().toStdString();
    return item;
}
