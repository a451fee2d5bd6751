#pragma once
// The framework's modal logon dialog: a database ("Host") from the TNS
// names, a user from the remembered users (whose password fills in by
// itself) or typed, and a password. OK remembers the user, the password
// (encrypted) and the database; the caller then reads the three texts and
// connects. In list mode the dialog edits the logon details of several
// entries at once. The dialog never checks a logon against the server.

#include "framework/COracle_TNSNames.h"
#include "framework/TwLogonDlgList.h"
#include "platform/WinTypes.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TwLogonDlg : public QDialog {
    Q_OBJECT
public:
    enum class MessageIcon { None, Information, Warning, Error };

    explicit TwLogonDlg(QWidget* parent = nullptr);

    // Caller settings, before the dialog is shown.
    void SetHeading(const QString& heading, int height = 40);
    void SetCaption(const QString& caption);
    void SetHelp(UINT helpId, const std::string& helpFile, const std::string& helpTextFile);
    void SetCheckBox(const QString& text, bool checked);
    bool CheckBoxChecked() const;
    void SetListMode(bool listMode, const QString& listTitle = QString());
    void SetEntries(const std::vector<TwLogonEntry>& entries) { m_entries = entries; }
    // The entries as edited (valid after OK).
    const std::vector<TwLogonEntry>& Entries() const { return m_entries; }

    void SetUser(const std::string& user) { m_user = user; }
    void SetPassword(const std::string& password) { m_password = password; }
    void SetDatabase(const std::string& database) { m_database = database; }
    const std::string& User() const { return m_user; }
    const std::string& Password() const { return m_password; }
    const std::string& Database() const { return m_database; }

    // Fills the database and user lists; also what "&Refresh" does.
    void DoLoad();
    // Fills userCombo with the remembered users (each item carrying its
    // password), selects user (else the last user, else the first) and
    // returns the database remembered with the last user.
    static std::string LoadUserInfo(QComboBox* userCombo, const std::string* user);
    // Puts the selected user's password into password.
    static void HandleUserChange(QComboBox* userCombo, QLineEdit* password);
    // Single mode: OK needs a database and a user.
    void CheckEnableOK();

    void accept() override;

    QComboBox* userCombo() const { return m_userCombo; }
    QComboBox* databaseCombo() const { return m_databaseCombo; }
    QLineEdit* passwordEdit() const { return m_passwordEdit; }
    QLabel* messageLabel() const { return m_messageText; }
    MessageIcon messageIcon() const { return m_messageIcon; }
    QPushButton* okButton() const;
    QPushButton* refreshButton() const { return m_refresh; }
    TwLogonDlgList* entryList() const { return m_list; }
    QLabel* listTitleLabel() const { return m_listTitle; }
    QLabel* headingLabel() const { return m_heading; }
    QCheckBox* checkBox() const { return m_check; }
    const COracle_TNSNames& Names() const { return m_names; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void InitDialog();
    void ShowMessage(const QString& text, MessageIcon icon);
    void DoDatabaseSel(bool edited);
    void ProcessListSelection();
    void UpdateListSelection();
    void OnUserSelected();
    void OnUserEdited();
    void OnPasswordChanged();
    void OnDatabaseSelected();
    void OnDatabaseEdited();
    void Help();

    COracle_TNSNames m_names;
    std::string m_user, m_password, m_database;
    std::vector<TwLogonEntry> m_entries;
    bool m_listMode = false;
    bool m_initialised = false;
    // Set while the controls are refreshed from the texts, so that the
    // refresh writes nothing back.
    bool m_refreshing = false;
    QString m_caption;
    UINT m_helpId = 0;
    std::string m_helpFile, m_helpTextFile;
    bool m_wantCheckBox = false;
    MessageIcon m_messageIcon = MessageIcon::None;

    QLabel* m_heading;
    QLabel* m_listTitle;
    TwLogonDlgList* m_list;
    QComboBox* m_userCombo;
    QLineEdit* m_passwordEdit;
    QComboBox* m_databaseCombo;
    QLabel* m_messageImage;
    QLabel* m_messageText;
    QCheckBox* m_check;
    QPushButton* m_refresh;
    QDialogButtonBox* m_buttons;
};
