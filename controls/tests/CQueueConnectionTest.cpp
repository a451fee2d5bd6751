// Connecting a queue through the queue logon dialog, against the demo
// databases that "oradmin demo" provisions (names file and client) in each
// test's own data root, with the remembered users in its own store.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CPropertiesDlg.h"
#include "controls/CQueueConnection.h"
#include "controls/CQueueLogonDlg.h"
#include "controls/CSchedulerMainDlg.h"
#include "framework/TwRememberedUsers.h"
#include "generic/VkAppStore.h"
#include "generic/VkModalScript.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <atomic>
#include <functional>
#include <set>

namespace {

using qvtest::WaitUntil;

void Choose(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Types into a combo's edit field as the user would.
void Type(QComboBox* combo, const QString& text)
{
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
}

class QueueConnection : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        queue = std::make_unique<CSchedulerMainDlg>();
        queue->resize(800, 300);
        queue->show();
        list().Worker().SetViewWarningHandler([](const std::string&) {});
        list().Worker().SetRequestHook([this](LONG kind) {
            if (kind == ReqRefresh)
                ++refreshes;
        });
    }
    void TearDown() override
    {
        if (queue)
            list().Worker().Stop([] { return true; });
        queue.reset();
    }
    CJobListCtrl& list() { return queue->List(); }
    QString statusText() { return queue->StatusBar().PaneTextOf(CJobListStatusCtrl::PaneText); }

    // Answers the next queue logon dialog with these details.
    void AnswerLogon(const QString& user, const QString& password, const QString& host, bool adminView)
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<CQueueLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg)
                return int(QDialog::Rejected);
            Type(dlg->userCombo(), user);
            dlg->passwordEdit()->setText(password);
            Choose(dlg->databaseCombo(), host);
            dlg->checkBox()->setChecked(adminView);
            return int(QDialog::Accepted);
        });
    }

    VkModalScript modal;
    std::unique_ptr<CSchedulerMainDlg> queue;
    std::atomic<int> refreshes{0};
};

} // namespace

TEST_F(QueueConnection, DialogShowsTheQueuesTextsNamesAndHostDetails)
{
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CQueueLogonDlg*>(d);
        EXPECT_EQ(dlg->windowTitle(), "Queue Logon");
        EXPECT_TRUE(dlg->windowFlags() & Qt::WindowContextHelpButtonHint);
        EXPECT_TRUE(dlg->AdministratorViewOffered());
        EXPECT_TRUE(dlg->checkBox()->isVisible());
        EXPECT_EQ(dlg->checkBox()->text(), "&Administrator View");
        EXPECT_FALSE(dlg->checkBox()->isChecked());
        EXPECT_FALSE(dlg->entryList()->isVisible()); // no list mode
        EXPECT_FALSE(dlg->headingLabel()->isVisible());
        std::set<QString> hosts;
        for (int i = 0; i < dlg->databaseCombo()->count(); ++i)
            hosts.insert(dlg->databaseCombo()->itemText(i));
        EXPECT_EQ(hosts, (std::set<QString>{"DEMO", "DOWN", "LEGACY", "REMOTE"}));
        // Nobody remembered yet: the first name is chosen and OK waits for a user.
        EXPECT_TRUE(dlg->userCombo()->currentText().isEmpty());
        EXPECT_FALSE(dlg->okButton()->isEnabled());

        Choose(dlg->databaseCombo(), "REMOTE");
        EXPECT_TRUE(dlg->messageLabel()->text().startsWith("Host details:\n\nAddress: TCP (port "));
        EXPECT_TRUE(dlg->messageLabel()->text().contains(" on dbserver.example.com\n"));
        EXPECT_EQ(dlg->messageIcon(), TwLogonDlg::MessageIcon::Information);
        Choose(dlg->databaseCombo(), "LEGACY");
        EXPECT_TRUE(dlg->messageLabel()->text().endsWith("SID: LEGACY\n"));
        Type(dlg->databaseCombo(), "NOWHERE");
        EXPECT_EQ(dlg->messageLabel()->text(), "No details available.");
        Type(dlg->userCombo(), "scott");
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        return int(QDialog::Rejected);
    });
    list().SetLogon("OLD", "olduser", "oldpw");
    EXPECT_FALSE(CQueueConnection::Connect(list(), true));
    // Cancel: details unchanged, nothing remembered, no worker started.
    EXPECT_EQ(list().Worker().Host(), "OLD");
    EXPECT_EQ(list().Worker().UserName(), "olduser");
    EXPECT_FALSE(list().Worker().Started());
    EXPECT_TRUE(TwRememberedUsers::Load().empty());
    EXPECT_TRUE(modal.Exhausted());
    EXPECT_EQ(modal.Unexpected(), 0);

    const std::pair<int, UINT> contexts[] = {{326, 70}, {286, 70}, {327, 71}, {284, 71}, {292, 72},
                                              {285, 72}, {291, 73}, {3, 74},   {423, 75},  {1, 0}};
    for (const auto& [id, context] : contexts)
        EXPECT_EQ(CQueueLogonDlg::HelpContextOf(id), context) << id;
    CQueueLogonDlg dlg("Queue", nullptr);
    EXPECT_EQ(dlg.checkBox()->property("helpContext").toUInt(), 75u);
    EXPECT_EQ(dlg.refreshButton()->property("helpContext").toUInt(), 74u);
}

TEST_F(QueueConnection, ConnectWithAdministratorViewShowsEveryJobAndRemembersTheUser)
{
    AnswerLogon("scott", "tiger", "DEMO", true);
    ASSERT_TRUE(CQueueConnection::Connect(list(), true));
    EXPECT_TRUE(list().AdministratorView());
    EXPECT_EQ(list().Worker().ConnectString(), "scott/tiger@DEMO");
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() > 0 && statusText().startsWith("Retrieved"); }))
        << statusText().toStdString();
    std::set<std::string> owners;
    for (int row = 0; row < list().Model().rowCount(); ++row)
        owners.insert(list().Model().Job(row).m_logUser);
    EXPECT_GT(owners.size(), 1u) << "administrator view shows other users' jobs too";
    EXPECT_TRUE(owners.count("SCOTT"));

    // The user is remembered in the shared store, password encrypted.
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    EXPECT_EQ(store.GetEncryptedString("Login\\Users", "scott", ""), "tiger|DEMO");
    EXPECT_EQ(store.GetString("Login", "Last User", ""), "scott");
    store.Close();

    // Reopening offers the last user with its password and host, and the
    // queue's current administrator view.
    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CQueueLogonDlg*>(d);
        EXPECT_EQ(dlg->userCombo()->currentText(), "scott");
        EXPECT_EQ(dlg->passwordEdit()->text(), "tiger");
        EXPECT_EQ(dlg->databaseCombo()->currentText(), "DEMO");
        EXPECT_TRUE(dlg->messageLabel()->text().contains("Service Name: DEMO\n"));
        EXPECT_TRUE(dlg->checkBox()->isChecked());
        EXPECT_TRUE(dlg->okButton()->isEnabled());
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(CQueueConnection::Connect(list(), true));
    EXPECT_TRUE(list().IsConnected());
    EXPECT_TRUE(modal.Exhausted());
}

TEST_F(QueueConnection, OwnJobsWithoutAdministratorViewAndChangeConnectionRepointsTheQueue)
{
    AnswerLogon("scott", "wrong", "DEMO", false);
    ASSERT_TRUE(CQueueConnection::Connect(list(), true));
    ASSERT_TRUE(WaitUntil([&] { return list().Worker().ConnectionState() == TwConnection::NotConnected && statusText().startsWith("ORA-"); }));
    EXPECT_EQ(list().Model().rowCount(), 0);

    // Not connected: the menu offers "Change connection...", which asks again.
    CQueueConnection::Attach(*queue);
    AnswerLogon("scott", "tiger", "DEMO", false);
    list().OnCommand(ID_JL_CHANGE_CONNECTION);
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 9 && statusText() == "Retrieved 9 jobs"; }))
        << statusText().toStdString();
    for (int row = 0; row < list().Model().rowCount(); ++row)
        EXPECT_EQ(list().Model().Job(row).m_logUser, "SCOTT");

    // Connected: reconnect does nothing; the details can still be changed
    // (the queue logs on again as the new user).
    EXPECT_FALSE(CQueueConnection::Reconnect(*&list()));
    AnswerLogon("appuser", "appuser", "DEMO", false);
    ASSERT_TRUE(CQueueConnection::Connect(list(), true));
    ASSERT_TRUE(WaitUntil([&] {
        return list().Model().rowCount() == 2 && statusText() == "Retrieved 2 jobs"
               && list().Model().Job(0).m_logUser == "APPUSER";
    })) << statusText().toStdString();
    EXPECT_EQ(list().QueueCaption(), "Host: DEMO    User:  appuser");
    EXPECT_TRUE(modal.Exhausted());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueConnection, RestoredQueueReconnectsWithoutADialog)
{
    // A queue restored from saved details connects with its stored details.
    list().SetLogon("DEMO", "scott", "tiger");
    ASSERT_TRUE(CQueueConnection::Reconnect(list()));
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 9; }));
    EXPECT_TRUE(modal.Dialogs().empty());
}

TEST_F(QueueConnection, ChangedIntervalRefreshesOnceAtOnce)
{
    list().SetLogon("DEMO", "scott", "tiger");
    ASSERT_TRUE(CQueueConnection::Connect(list(), false));
    ASSERT_TRUE(WaitUntil([&] { return statusText() == "Retrieved 9 jobs"; }));
    const int before = refreshes;

    modal.AnswerDialog([](QDialog* d) {
        auto* dlg = static_cast<CPropertiesDlg*>(d);
        dlg->intervalEdit()->setText("30");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(CQueueConnection::Properties(*queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), 30u);
    ASSERT_TRUE(WaitUntil([&] { return refreshes == before + 1 && statusText() == "Retrieved 9 jobs"; }));

    // Manual: no refresh is asked for.
    modal.AnswerDialog([](QDialog* d) {
        static_cast<CPropertiesDlg*>(d)->manualRadio()->click();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(CQueueConnection::Properties(*queue));
    EXPECT_EQ(list().Worker().RefreshInterval(), CQueueProperties::kNever);
    // A synchronous request proves the worker has taken everything queued before it.
    std::string error;
    EXPECT_TRUE(qvtest::TestSql(list().Worker(), "SELECT SYSDATE FROM DUAL", error)) << error;
    EXPECT_EQ(refreshes, before + 1);
}

TEST_F(QueueConnection, ReconnectWhileConnectingDoesNothing)
{
    // The missing-view warning comes while the logon is still in progress:
    // hold the worker there.
    VkEvent reached{true, false}, release{true, false};
    list().Worker().SetViewWarningHandler([&](const std::string&) {
        reached.Set();
        release.Wait(60000);
    });
    list().SetLogon("DEMO", "appuser", "appuser");
    ASSERT_TRUE(CQueueConnection::Connect(list(), false));
    ASSERT_EQ(reached.Wait(60000), VkWaitResult::Signalled);
    EXPECT_EQ(list().Worker().ConnectionState(), TwConnection::Connecting);
    EXPECT_FALSE(CQueueConnection::Reconnect(list()));
    EXPECT_EQ(list().Worker().QueuedRequests(), 0u);
    release.Set();
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 2 && statusText() == "Retrieved 2 jobs"; }));
    EXPECT_TRUE(list().IsConnected());
    EXPECT_FALSE(CQueueConnection::Reconnect(list()));
}
