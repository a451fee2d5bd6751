#include "framework/TwLogonDlg.h"

#include "framework/TwHostDetails.h"
#include "framework/TwLogonStrings.h"
#include "framework/TwRememberedUsers.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkPaths.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The combo's item text for the first name that begins with text, ignoring
// case (the select-string rule of a combo box); -1 when none does.
int SelectString(QComboBox* combo, const QString& text)
{
    if (text.isEmpty())
        return -1;
    const int exact = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return exact >= 0 ? exact : combo->findText(text, Qt::MatchStartsWith);
}

} // namespace

TwLogonDlg::TwLogonDlg(QWidget* parent) : QDialog(parent), m_names(true)
{
    setWindowTitle(TwLogonString(IDS_TW_LOGON_CAPTION));

    m_heading = new QLabel(this);
    m_heading->setWordWrap(true);
    m_heading->hide();
    m_listTitle = new QLabel(this);
    m_list = new TwLogonDlgList(this);

    m_userCombo = new QComboBox(this);
    m_userCombo->setEditable(true);
    m_userCombo->setInsertPolicy(QComboBox::NoInsert);
    m_passwordEdit = new QLineEdit(this);
    m_passwordEdit->setEchoMode(QLineEdit::Password);
    m_databaseCombo = new QComboBox(this);
    m_databaseCombo->setEditable(true);
    m_databaseCombo->setInsertPolicy(QComboBox::NoInsert);

    auto* form = new QFormLayout;
    auto addRow = [&](UINT label, QWidget* field) {
        auto* caption = new QLabel(TwLogonString(label), this);
        caption->setBuddy(field);
        form->addRow(caption, field);
    };
    addRow(IDS_TW_LOGON_USER, m_userCombo);
    addRow(IDS_TW_LOGON_PASSWORD, m_passwordEdit);
    addRow(IDS_TW_LOGON_HOST, m_databaseCombo);

    m_messageImage = new QLabel(this);
    m_messageText = new QLabel(TwLogonString(IDS_TW_LOGON_NO_INFORMATION), this);
    m_messageText->setWordWrap(true);
    m_messageText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_messageText->setMinimumHeight(m_messageText->fontMetrics().lineSpacing() * 5);
    m_messageText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* message = new QHBoxLayout;
    message->addWidget(m_messageImage, 0, Qt::AlignTop);
    message->addWidget(m_messageText, 1);

    m_check = new QCheckBox(this);
    m_check->hide();

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->addButton(TwLogonString(IDS_TW_LOGON_HELP), QDialogButtonBox::HelpRole);
    m_refresh = m_buttons->addButton(TwLogonString(IDS_TW_LOGON_REFRESH), QDialogButtonBox::ActionRole);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_listTitle);
    layout->addWidget(m_list, 1);
    layout->addLayout(form);
    layout->addLayout(message);
    layout->addWidget(m_check);
    layout->addWidget(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &TwLogonDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &TwLogonDlg::reject);
    connect(m_buttons, &QDialogButtonBox::helpRequested, this, &TwLogonDlg::Help);
    connect(m_refresh, &QPushButton::clicked, this, &TwLogonDlg::DoLoad);
    connect(m_userCombo, &QComboBox::activated, this, &TwLogonDlg::OnUserSelected);
    connect(m_userCombo->lineEdit(), &QLineEdit::textEdited, this, &TwLogonDlg::OnUserEdited);
    connect(m_passwordEdit, &QLineEdit::textChanged, this, &TwLogonDlg::OnPasswordChanged);
    connect(m_databaseCombo, &QComboBox::activated, this, &TwLogonDlg::OnDatabaseSelected);
    connect(m_databaseCombo->lineEdit(), &QLineEdit::textEdited, this, &TwLogonDlg::OnDatabaseEdited);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TwLogonDlg::ProcessListSelection);
}

void TwLogonDlg::SetHeading(const QString& heading, int height)
{
    m_heading->setText(heading);
    m_heading->setMinimumHeight(heading.isEmpty() ? 0 : height);
}

void TwLogonDlg::SetCaption(const QString& caption) { m_caption = caption; }

void TwLogonDlg::SetHelp(UINT helpId, const std::string& helpFile, const std::string& helpTextFile)
{
    m_helpId = helpId;
    m_helpFile = helpFile;
    m_helpTextFile = helpTextFile;
}

void TwLogonDlg::SetCheckBox(const QString& text, bool checked)
{
    m_wantCheckBox = true;
    m_check->setText(text);
    m_check->setChecked(checked);
}

bool TwLogonDlg::CheckBoxChecked() const { return m_check->isChecked(); }

void TwLogonDlg::SetListMode(bool listMode, const QString& listTitle)
{
    m_listMode = listMode;
    m_listTitle->setText(listTitle);
}

QPushButton* TwLogonDlg::okButton() const { return m_buttons->button(QDialogButtonBox::Ok); }

void TwLogonDlg::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        InitDialog();
    }
    QDialog::showEvent(event);
}

void TwLogonDlg::InitDialog()
{
    m_list->SetEntries(m_entries);
    m_list->setVisible(m_listMode);
    m_listTitle->setVisible(m_listMode);
    m_heading->setVisible(!m_heading->text().isEmpty());
    if (!m_caption.isEmpty())
        setWindowTitle(m_caption);
    m_check->setVisible(m_wantCheckBox);
    DoLoad();
    if (m_listMode) {
        m_list->selectAll();
        okButton()->setEnabled(true);
    }
    (m_userCombo->currentText().isEmpty() ? static_cast<QWidget*>(m_userCombo) : m_passwordEdit)->setFocus();
}

void TwLogonDlg::ShowMessage(const QString& text, MessageIcon icon)
{
    m_messageIcon = icon;
    m_messageText->setText(text);
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxInformation;
    if (icon == MessageIcon::Warning)
        pixmap = QStyle::SP_MessageBoxWarning;
    else if (icon == MessageIcon::Error)
        pixmap = QStyle::SP_MessageBoxCritical;
    const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
    m_messageImage->setPixmap(icon == MessageIcon::None ? QPixmap() : style()->standardIcon(pixmap).pixmap(size));
}

std::string TwLogonDlg::LoadUserInfo(QComboBox* userCombo, const std::string* user)
{
    userCombo->clear();
    std::string lastUser;
    const std::vector<TwRememberedUser> users = TwRememberedUsers::Load(&lastUser);
    std::string database;
    for (const TwRememberedUser& u : users) {
        if (u.user == lastUser)
            database = u.database;
        userCombo->addItem(Q(u.user), Q(u.password));
    }
    const std::string& wanted = user ? *user : lastUser;
    int index = SelectString(userCombo, Q(wanted));
    if (index < 0 && wanted.empty() && userCombo->count() > 0)
        index = 0;
    if (index >= 0) {
        userCombo->setCurrentIndex(index);
    } else {
        userCombo->setCurrentIndex(-1);
        userCombo->setEditText(Q(wanted));
    }
    return database;
}

void TwLogonDlg::HandleUserChange(QComboBox* userCombo, QLineEdit* password)
{
    const int index = userCombo->currentIndex();
    if (index >= 0 && userCombo->itemText(index) == userCombo->currentText())
        password->setText(userCombo->itemData(index).toString());
}

void TwLogonDlg::CheckEnableOK()
{
    if (m_listMode)
        return;
    okButton()->setEnabled(!m_databaseCombo->currentText().isEmpty() && !m_userCombo->currentText().isEmpty());
}

void TwLogonDlg::DoLoad()
{
    m_databaseCombo->clear();
    m_names.Load();
    bool warning = false;
    const std::string problem = TwTnsLoadMessage(m_names, &warning, TwLogonLoadTexts());
    const bool namesLoaded = problem.empty();
    if (namesLoaded) {
        int widest = 0;
        std::string name;
        m_names.ResetIter();
        while (m_names.Next(name)) {
            m_databaseCombo->addItem(Q(name));
            widest = std::max(widest, m_databaseCombo->fontMetrics().horizontalAdvance(Q(name)));
        }
        m_databaseCombo->view()->setMinimumWidth(widest + 2 * style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    } else {
        ShowMessage(Q(problem), warning ? MessageIcon::Warning : MessageIcon::Error);
        QApplication::beep();
    }

    const std::string database = LoadUserInfo(m_userCombo, m_listMode ? &m_user : nullptr);
    bool selected = false;
    if (!database.empty()) {
        const int index = SelectString(m_databaseCombo, Q(database));
        if (index >= 0) {
            m_databaseCombo->setCurrentIndex(index);
            selected = true;
        }
    }
    if (m_listMode) {
        const int index = SelectString(m_databaseCombo, Q(m_database));
        if (index >= 0)
            m_databaseCombo->setCurrentIndex(index);
        else
            m_databaseCombo->setEditText(Q(m_database));
        return;
    }
    if (!selected)
        m_databaseCombo->setCurrentIndex(m_databaseCombo->count() > 0 ? 0 : -1);
    OnUserSelected();
    if (namesLoaded)
        OnDatabaseSelected();
    CheckEnableOK();
}

void TwLogonDlg::DoDatabaseSel(bool edited)
{
    CheckEnableOK();
    if (!edited && m_databaseCombo->currentIndex() >= 0)
        m_database = m_databaseCombo->itemText(m_databaseCombo->currentIndex()).toStdString();
    else
        m_database = m_databaseCombo->currentText().toStdString();
    ShowMessage(Q(TwHostDetailsText(m_names, m_database, TwLogonHostDetailsTexts())), MessageIcon::Information);
    UpdateListSelection();
}

void TwLogonDlg::OnUserSelected()
{
    CheckEnableOK();
    HandleUserChange(m_userCombo, m_passwordEdit);
    m_user = m_userCombo->currentText().toStdString();
    UpdateListSelection();
}

void TwLogonDlg::OnUserEdited()
{
    m_user = m_userCombo->currentText().toStdString();
    CheckEnableOK();
    UpdateListSelection();
}

void TwLogonDlg::OnPasswordChanged()
{
    CheckEnableOK();
    UpdateListSelection();
}

void TwLogonDlg::OnDatabaseSelected() { DoDatabaseSel(false); }

void TwLogonDlg::OnDatabaseEdited() { DoDatabaseSel(true); }

void TwLogonDlg::ProcessListSelection()
{
    if (!m_listMode)
        return;
    const std::vector<QTreeWidgetItem*> rows = m_list->SelectedRows();
    std::string user, password, database;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string u = rows[i]->text(TwLogonDlgList::UserColumn).toStdString();
        const std::string p = rows[i]->text(TwLogonDlgList::PasswordColumn).toStdString();
        const std::string d = rows[i]->text(TwLogonDlgList::HostColumn).toStdString();
        if (i == 0) {
            user = u;
            password = p;
            database = d;
            continue;
        }
        // Rows that differ leave the text empty, to be set for all at once.
        if (u != user)
            user.clear();
        if (p != password)
            password.clear();
        if (d != database)
            database.clear();
    }
    m_user = user;
    m_password = password;
    m_database = database;
    const bool any = !rows.empty();
    m_userCombo->setEnabled(any);
    m_passwordEdit->setEnabled(any);
    m_databaseCombo->setEnabled(any);

    m_refreshing = true;
    const int userIndex = m_userCombo->findText(Q(m_user), Qt::MatchFixedString | Qt::MatchCaseSensitive);
    m_userCombo->setCurrentIndex(userIndex);
    m_userCombo->setEditText(Q(m_user));
    m_passwordEdit->setText(Q(m_password));
    const int databaseIndex = m_databaseCombo->findText(Q(m_database), Qt::MatchFixedString);
    m_databaseCombo->setCurrentIndex(databaseIndex);
    m_databaseCombo->setEditText(Q(m_database));
    DoDatabaseSel(true);
    m_refreshing = false;
}

void TwLogonDlg::UpdateListSelection()
{
    if (!m_listMode || m_refreshing)
        return;
    const QString user = m_userCombo->currentText();
    const QString password = m_passwordEdit->text();
    const QString database = m_databaseCombo->currentText();
    for (QTreeWidgetItem* row : m_list->SelectedRows()) {
        row->setText(TwLogonDlgList::UserColumn, user);
        row->setText(TwLogonDlgList::PasswordColumn, password);
        row->setText(TwLogonDlgList::HostColumn, database);
    }
}

void TwLogonDlg::accept()
{
    m_user = m_userCombo->currentText().toStdString();
    m_password = m_passwordEdit->text().toStdString();
    m_database = m_databaseCombo->currentText().toStdString();
    // Enter, or an answerer, may ask for OK while it is not allowed.
    if (!m_listMode && (m_user.empty() || m_database.empty()))
        return;
    TwRememberedUsers::Remember(m_user, m_password, m_database);
    if (m_listMode)
        m_entries = m_list->Entries();
    QDialog::accept();
}

void TwLogonDlg::Help()
{
    if (m_helpFile.empty())
        return;
    std::string file = m_helpFile;
    std::replace(file.begin(), file.end(), '\\', '/');
    VkShowHelpTopic(this, (VkProgramFolder() / file).lexically_normal(), m_helpTextFile);
}
