// The logon dialog: names, remembered users, messages and list mode,
// driven through the modal service.

#include "framework/TwLogonDlg.h"
#include "framework/TwRememberedUsers.h"
#include "generic/VkAppStore.h"
#include "generic/VkModalScript.h"
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

const char* const s_names = "ORCL = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h1)(PORT = 1521))"
                            "(CONNECT_DATA = (SID = ORCL)))\n"
                            "OTHER = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = EXTPROC0)))\n";

class TwLogonDlgTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        const std::string home = (root() / "oracle").string();
        RegSetValueEx(key, "ORACLE_HOME", REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                      static_cast<DWORD>(home.size() + 1));
        RegCloseKey(key);
        fs::create_directories(root() / "oracle/network/ADMIN");
    }

    void WriteNames(const std::string& content)
    {
        std::ofstream(root() / "oracle/network/ADMIN/tnsnames.ora") << content;
    }

    static QStringList Items(QComboBox* combo)
    {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return items;
    }

    static void SelectUser(TwLogonDlg& dlg, const QString& user)
    {
        const int index = dlg.userCombo()->findText(user, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        ASSERT_GE(index, 0) << user.toStdString();
        dlg.userCombo()->setCurrentIndex(index);
        emit dlg.userCombo()->activated(index);
    }
};

TEST_F(TwLogonDlgTest, OkRemembersTheUserEncryptedAndReopeningSelectsIt)
{
    WriteNames(s_names);
    {
        TwLogonDlg dlg;
        VkModalScript script;
        script.AnswerDialog([](QDialog* d) {
            auto* dlg = static_cast<TwLogonDlg*>(d);
            EXPECT_EQ(Items(dlg->databaseCombo()), (QStringList{"ORCL", "OTHER"}));
            dlg->userCombo()->setEditText("SCOTT");
            dlg->passwordEdit()->setText("P");
            dlg->databaseCombo()->setCurrentIndex(0);
            emit dlg->databaseCombo()->activated(0);
            return QDialog::Accepted;
        });
        EXPECT_EQ(VkModalService::DoModal(&dlg), QDialog::Accepted);
        EXPECT_EQ(dlg.User(), "SCOTT");
        EXPECT_EQ(dlg.Password(), "P");
        EXPECT_EQ(dlg.Database(), "ORCL");
    }

    // The registry holds an encrypted record, never the password as text.
    std::string exported;
    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("vkreg").string()
                                     + "' export 'HKEY_CURRENT_USER\\Software\\Tarnwick\\QVCtrl\\SchedulerCtrl'",
                                 &exported),
              0);
    EXPECT_NE(exported.find("[HKEY_CURRENT_USER\\Software\\Tarnwick\\QVCtrl\\SchedulerCtrl\\Login\\Users]"),
              std::string::npos)
        << exported;
    EXPECT_NE(exported.find("\"SCOTT\"=hex"), std::string::npos) << exported;
    EXPECT_NE(exported.find("\"Last User\"=\"SCOTT\""), std::string::npos) << exported;
    EXPECT_EQ(exported.find("P|ORCL"), std::string::npos);
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    EXPECT_EQ(store.GetEncryptedString("Login\\Users", "SCOTT", ""), "P|ORCL");
    store.Close();

    TwLogonDlg again;
    again.show();
    EXPECT_EQ(again.userCombo()->currentText(), "SCOTT");
    EXPECT_EQ(again.passwordEdit()->text(), "P");
    EXPECT_EQ(again.databaseCombo()->currentText(), "ORCL");
    EXPECT_EQ(again.messageLabel()->text(), "Host details:\n\nAddress: TCP (port 1521) on h1\nSID: ORCL\n");
    EXPECT_EQ(again.messageIcon(), TwLogonDlg::MessageIcon::Information);
    EXPECT_TRUE(again.okButton()->isEnabled());
}

TEST_F(TwLogonDlgTest, AnotherUsersPasswordFillsInAndTheDatabaseStays)
{
    WriteNames(s_names);
    TwRememberedUsers::Remember("SCOTT", "P", "ORCL");
    TwRememberedUsers::Remember("ZOE", "a|b", "ORCL");
    TwRememberedUsers::Remember("ADAM", "Q", "OTHER");
    TwLogonDlg dlg;
    dlg.show();
    EXPECT_EQ(Items(dlg.userCombo()), (QStringList{"ADAM", "SCOTT", "ZOE"}));
    EXPECT_EQ(dlg.userCombo()->currentText(), "ADAM");
    EXPECT_EQ(dlg.passwordEdit()->text(), "Q");
    EXPECT_EQ(dlg.databaseCombo()->currentText(), "OTHER");
    EXPECT_EQ(dlg.messageLabel()->text(), "Host details:\n\nAddress: IPC (key EXTPROC0)\n");
    SelectUser(dlg, "SCOTT");
    EXPECT_EQ(dlg.passwordEdit()->text(), "P");
    EXPECT_EQ(dlg.databaseCombo()->currentText(), "OTHER");
    // A password holding the separator comes back whole.
    SelectUser(dlg, "ZOE");
    EXPECT_EQ(dlg.passwordEdit()->text(), "a|b");
}

TEST_F(TwLogonDlgTest, RecordsAreOnePerNameAndDamagedOnesReadSafely)
{
    TwRememberedUsers::Remember("SCOTT", "P", "ORCL");
    // User names compare as the registry's value names do, without case.
    TwRememberedUsers::Remember("scott", "lower", "OTHER");
    {
        VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
        store.SetEncryptedString("Login\\Users", "NOBAR", "justapassword");
        store.SetString("Login\\Users", "PLAIN", "not encrypted");
        store.Close();
    }
    std::string last;
    const auto users = TwRememberedUsers::Load(&last);
    EXPECT_EQ(last, "scott");
    ASSERT_EQ(users.size(), 3u);
    EXPECT_EQ(users[0].user, "NOBAR");
    EXPECT_EQ(users[0].password, "justapassword");
    EXPECT_EQ(users[0].database, "");
    EXPECT_EQ(users[1].user, "PLAIN");
    EXPECT_EQ(users[1].password, "");
    EXPECT_EQ(users[2].password, "lower");
    EXPECT_EQ(users[2].database, "OTHER");
}

TEST_F(TwLogonDlgTest, OkNeedsADatabaseAndAUser)
{
    TwLogonDlg dlg;
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<TwLogonDlg*>(d);
        EXPECT_EQ(dlg->databaseCombo()->count(), 0);
        EXPECT_EQ(dlg->messageIcon(), TwLogonDlg::MessageIcon::Error);
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        dlg->userCombo()->setEditText("SCOTT");
        emit dlg->userCombo()->lineEdit()->textEdited("SCOTT");
        EXPECT_FALSE(dlg->okButton()->isEnabled());
        dlg->accept(); // refused while the database is empty
        EXPECT_TRUE(dlg->isVisible());
        dlg->databaseCombo()->setEditText("TYPED");
        emit dlg->databaseCombo()->lineEdit()->textEdited("TYPED");
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        EXPECT_EQ(dlg->messageLabel()->text(), "No details available.");
        return QDialog::Accepted;
    });
    EXPECT_EQ(VkModalService::DoModal(&dlg), QDialog::Accepted);
    EXPECT_EQ(dlg.Database(), "TYPED");
}

TEST_F(TwLogonDlgTest, NamesFileMessagesAndRefresh)
{
    {
        HKEY key = nullptr;
        RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", KEY_ALL_ACCESS, &key);
        RegDeleteValue(key, "ORACLE_HOME");
        RegCloseKey(key);
        TwLogonDlg dlg;
        dlg.show();
        EXPECT_EQ(dlg.messageLabel()->text().toStdString(),
                  "TNSNAMES.ORA file is unavailable or corrupt (searched in '' and ''). No hostnames could be loaded. "
                  "Please correct and press 'Refresh'. ");
        EXPECT_EQ(dlg.messageIcon(), TwLogonDlg::MessageIcon::Error);
    }
    SetUp();
    WriteNames("# no names yet\n");
    TwLogonDlg dlg;
    dlg.show();
    const std::string folder = (root() / "oracle/network/ADMIN").string();
    EXPECT_EQ(dlg.messageLabel()->text().toStdString(),
              "No names available in TNSNAMES.ORA file (located in '" + folder + "'). Please correct and press 'Refresh'.");
    EXPECT_EQ(dlg.messageIcon(), TwLogonDlg::MessageIcon::Warning);

    const fs::path file = root() / "oracle/network/ADMIN/tnsnames.ora";
    fs::remove(file);
    fs::create_symlink("/proc/self/mem", file); // opens, but cannot be read
    dlg.refreshButton()->click();
    EXPECT_EQ(dlg.messageLabel()->text(), "Exception while accessing TNSNAMES.ORA file.");
    EXPECT_EQ(dlg.messageIcon(), TwLogonDlg::MessageIcon::Error);
    EXPECT_EQ(dlg.databaseCombo()->count(), 0);

    fs::remove(file);
    WriteNames(s_names);
    dlg.refreshButton()->click();
    EXPECT_EQ(Items(dlg.databaseCombo()), (QStringList{"ORCL", "OTHER"}));
    EXPECT_EQ(dlg.messageIcon(), TwLogonDlg::MessageIcon::Information);
}

TEST_F(TwLogonDlgTest, CallerSettings)
{
    WriteNames(s_names);
    TwLogonDlg dlg;
    dlg.SetCaption("Grid logon");
    dlg.SetHeading("Log on to run the statement");
    dlg.SetCheckBox("&Remember", true);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Grid logon");
    EXPECT_TRUE(dlg.headingLabel()->isVisible());
    EXPECT_TRUE(dlg.checkBox()->isVisible());
    EXPECT_TRUE(dlg.CheckBoxChecked());
    EXPECT_FALSE(dlg.entryList()->isVisible());

    TwLogonDlg plain;
    plain.show();
    EXPECT_EQ(plain.windowTitle(), "Logon");
    EXPECT_FALSE(plain.headingLabel()->isVisible());
    EXPECT_FALSE(plain.checkBox()->isVisible());
}

TEST_F(TwLogonDlgTest, ListModeEditsSeveralEntries)
{
    WriteNames(s_names);
    TwLogonDlg dlg;
    dlg.SetListMode(true, "Queues");
    dlg.SetEntries({{"A", "ORCL", "u1", "p1"}, {"B", "OTHER", "u2", "p2"}, {"C", "ORCL", "u1", "p1"}});
    VkModalScript script;
    script.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<TwLogonDlg*>(d);
        auto* list = dlg->entryList();
        EXPECT_TRUE(list->isVisible());
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        // All rows selected: the texts that differ are empty.
        EXPECT_EQ(list->SelectedRows().size(), 3u);
        EXPECT_EQ(dlg->userCombo()->currentText(), "");
        EXPECT_EQ(dlg->passwordEdit()->text(), "");
        EXPECT_EQ(dlg->databaseCombo()->currentText(), "");

        list->clearSelection();
        EXPECT_FALSE(dlg->userCombo()->isEnabled());
        EXPECT_FALSE(dlg->databaseCombo()->isEnabled());
        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(2)->setSelected(true);
        EXPECT_TRUE(dlg->userCombo()->isEnabled());
        EXPECT_EQ(dlg->userCombo()->currentText(), "u1");
        EXPECT_EQ(dlg->passwordEdit()->text(), "p1");
        EXPECT_EQ(dlg->databaseCombo()->currentText(), "ORCL");
        EXPECT_EQ(dlg->messageLabel()->text(), "Host details:\n\nAddress: TCP (port 1521) on h1\nSID: ORCL\n");

        dlg->passwordEdit()->setText("new");
        dlg->databaseCombo()->setCurrentIndex(1);
        emit dlg->databaseCombo()->activated(1);
        return QDialog::Accepted;
    });
    EXPECT_EQ(VkModalService::DoModal(&dlg), QDialog::Accepted);
    const auto& entries = dlg.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].password, "new");
    EXPECT_EQ(entries[0].database, "OTHER");
    EXPECT_EQ(entries[0].user, "u1");
    EXPECT_EQ(entries[1].password, "p2");
    EXPECT_EQ(entries[1].database, "OTHER");
    EXPECT_EQ(entries[1].user, "u2");
    EXPECT_EQ(entries[2].password, "new");
    EXPECT_EQ(entries[2].title, "C");
}

} // namespace
