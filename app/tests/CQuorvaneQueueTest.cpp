// Queue windows through the running program: the registered scheduler
// control on the demo databases, driven by the program's own commands.

#include "app/CMainFrame.h"
#include "app/CQuorvaneApp.h"
#include "app/CQuorvaneDoc.h"
#include "app/CQuorvaneView.h"
#include "app/CSchedulerCtrl.h"
#include "framework/TwCommandIds.h"
#include "framework/TwLogonDlg.h"
#include "framework/TwMDIClientWnd.h"
#include "generic/VkCommandActions.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QDateTime>
#include <QTest>

#include <filesystem>
#include <functional>

namespace {

using qvtest::WaitUntil;

int Threads()
{
    return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                          std::filesystem::directory_iterator()));
}

std::string Sql(const std::string& connect, const std::string& statement)
{
    std::string output;
    qvtest::RunCommand("'" + qvtest::BinPath("ocisql").string() + "' " + connect + " --tsv -c \"" + statement + "\"",
                       &output);
    return output;
}

class QueueWindows : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        // The clipboard outlives a test; jobs another test copied would turn Paste on.
        QGuiApplication::clipboard()->clear();
        std::string output;
        if (qvtest::RunCommand("'" + qvtest::BinPath("oradmin").string() + "' demo", &output, true) != 0)
            FAIL() << "the demo databases could not be provisioned:\n" << output;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
        ASSERT_TRUE(qvtest::RegisterModule("QVCtrl"));
        app = std::make_unique<CQuorvaneApp>();
        ASSERT_TRUE(app->InitInstance({"-nologo"}));
        frame = static_cast<CMainFrame*>(app->MainFrame());
        frame->resize(1000, 700);
        frame->show();
        threadsAtStart = Threads();
    }
    void TearDown() override
    {
        app.reset();
        FreshRootTest::TearDown();
    }

    // Answers the next logon dialog; a null user cancels it.
    void AnswerLogon(const char* user, const QString& password = {}, const QString& database = {})
    {
        modal.AnswerDialog([=](QDialog* d) {
            auto* dlg = dynamic_cast<TwLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (!dlg || !user)
                return int(QDialog::Rejected);
            dlg->userCombo()->lineEdit()->setText(QString::fromLatin1(user));
            dlg->passwordEdit()->setText(password);
            const int index = dlg->databaseCombo()->findText(database);
            EXPECT_GE(index, 0) << database.toStdString();
            dlg->databaseCombo()->setCurrentIndex(index);
            emit dlg->databaseCombo()->activated(index);
            return int(QDialog::Accepted);
        });
    }

    // Connect New Queue as the menu runs it; the new document or null.
    CQuorvaneDoc* NewQueue(const char* user, const QString& password = {}, const QString& database = {})
    {
        AnswerLogon(user, password, database);
        const int before = Template()->DocumentCount();
        EXPECT_TRUE(app->Router().Update(ID_FILE_NEW).IsEnabled());
        EXPECT_TRUE(app->Router().Execute(ID_FILE_NEW));
        if (Template()->DocumentCount() == before)
            return nullptr;
        return static_cast<CQuorvaneDoc*>(Template()->Documents().back());
    }
    VkMultiDocTemplate* Template() const { return app->FirstTemplate(); }
    static CQuorvaneView* View(CQuorvaneDoc* doc) { return doc->Views().at(0); }
    static QTableView* List(CQuorvaneDoc* doc) { return View(doc)->findChild<QTableView*>("JobList"); }
    static QString Status(CQuorvaneDoc* doc) { return View(doc)->findChild<QLabel*>("statusText")->text(); }
    bool Enabled(UINT id) const { return app->Router().Update(id).IsEnabled(); }
    void Activate(CQuorvaneDoc* doc)
    {
        app->MDIFrame()->setActiveSubWindow(doc->Frames().at(0));
        ASSERT_EQ(app->MDIFrame()->activeSubWindow(), doc->Frames().at(0));
    }
    static bool Connected(CQuorvaneDoc* doc, const QString& title)
    {
        return doc->GetTitle() == title && doc->Control()->Items() > 0;
    }
    static void SelectJobs(CQuorvaneDoc* doc, std::initializer_list<int> jobs)
    {
        QTableView* list = List(doc);
        list->clearSelection();
        QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row)
            for (int job : jobs)
                if (model->index(row, 0).data().toInt() == job)
                    list->selectionModel()->select(model->index(row, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    VkModalScript modal;
    std::unique_ptr<CQuorvaneApp> app;
    CMainFrame* frame = nullptr;
    int threadsAtStart = 0;
};

TEST_F(QueueWindows, CancelledLogonLeavesNoWindowAndNoCount)
{
    const QString title = frame->windowTitle();
    EXPECT_EQ(NewQueue(nullptr), nullptr);
    EXPECT_EQ(Template()->DocumentCount(), 0);
    EXPECT_EQ(app->OpenDocumentCount(), 0);
    EXPECT_TRUE(app->MDIFrame()->subWindowList().isEmpty());
    EXPECT_EQ(frame->windowTitle(), title);
    EXPECT_EQ(modal.Dialogs().size(), 1u);
}

TEST_F(QueueWindows, ScottOnDemoShowsHisJobsConnected)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(app->OpenDocumentCount(), 1);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); })) << doc->GetTitle().toStdString();
    EXPECT_TRUE(frame->windowTitle().endsWith("(1 Queue)")) << frame->windowTitle().toStdString();
    EXPECT_EQ(doc->Control()->Items(), 9);
    EXPECT_EQ(frame->CurrentMenuPopups().size(), 7);
    EXPECT_EQ(modal.Unexpected(), 0);
    // The status bar knows the server.
    EXPECT_TRUE(WaitUntil([&] { return !View(doc)->findChild<QLabel*>("statusVersion")->text().isEmpty(); }));
    EXPECT_TRUE(WaitUntil([&] { return !View(doc)->findChild<QLabel*>("statusTime")->text().isEmpty(); }));
}

TEST_F(QueueWindows, FailedLogonsShowNotConnectedAndTheError)
{
    CQuorvaneDoc* wrong = NewQueue("scott", "wrong", "DEMO");
    ASSERT_NE(wrong, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return wrong->GetTitle() == "SCOTT (DEMO) - NOT Connected"; }))
        << wrong->GetTitle().toStdString();
    EXPECT_TRUE(Status(wrong).contains("ORA-01017")) << Status(wrong).toStdString();

    CQuorvaneDoc* down = NewQueue("scott", "tiger", "DOWN");
    ASSERT_NE(down, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return down->GetTitle() == "SCOTT (DOWN) - NOT Connected"; }));
    EXPECT_TRUE(Status(down).contains("ORA-01034")) << Status(down).toStdString();

    // Not connected: only what needs no connection, and the ways back.
    Activate(down);
    for (UINT id : {57634u, 57637u, 32782u, 32774u, 32771u, 32777u, 32772u, 32775u, 32781u, 32778u, 32783u, 32779u,
                    1057u})
        EXPECT_FALSE(Enabled(id)) << id;
    for (UINT id : {133u, 32773u, 1058u, 1059u})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, CommandsFollowConnectionAndSelection)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    Activate(doc);

    SelectJobs(doc, {});
    EXPECT_EQ(doc->Control()->SelectionCount(), 0);
    for (UINT id : {57634u, 32782u, 32781u, 32778u, 32783u, 32779u, 1058u, 1059u, 57637u})
        EXPECT_FALSE(Enabled(id)) << id;
    for (UINT id : {133u, 32773u, 32774u, 32771u, 32777u, 32772u, 32775u, 1057u})
        EXPECT_TRUE(Enabled(id)) << id;

    SelectJobs(doc, {2});
    for (UINT id : {57634u, 32782u, 32781u, 32778u, 32783u, 32779u})
        EXPECT_TRUE(Enabled(id)) << id;

    SelectJobs(doc, {2, 3});
    EXPECT_EQ(doc->Control()->SelectionCount(), 2);
    EXPECT_FALSE(Enabled(32781));
    for (UINT id : {57634u, 32782u, 32778u, 32783u, 32779u})
        EXPECT_TRUE(Enabled(id)) << id;

    // Jobs on the clipboard turn Paste on.
    ASSERT_TRUE(app->Router().Execute(57634));
    EXPECT_TRUE(Enabled(57637));

    // Disconnect, then Reconnect through the menu.
    ASSERT_TRUE(app->Router().Execute(1057));
    ASSERT_TRUE(WaitUntil([&] { return doc->GetTitle() == "SCOTT (DEMO) - NOT Connected"; }));
    EXPECT_TRUE(Enabled(1058));
    EXPECT_FALSE(Enabled(1057));
    ASSERT_TRUE(app->Router().Execute(1058));
    ASSERT_TRUE(WaitUntil([&] { return doc->GetTitle() == "SCOTT (DEMO) - Connected"; }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, RunBreakAndDeleteReachTheServer)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    Activate(doc);
    const std::string scott = "scott/tiger@DEMO";

    SelectJobs(doc, {3});
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32779)); // break
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, "select broken from user_jobs where job = 3") == "BROKEN\nY\n"; }));

    SelectJobs(doc, {1});
    const std::string before = Sql(scott, "select last_date from user_jobs where job = 1");
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32778)); // run
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, "select last_date from user_jobs where job = 1") != before; }));

    SelectJobs(doc, {7});
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32782)); // delete
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, "select count(*) from user_jobs where job = 7") == "COUNT(*)\n0\n"; }));
    ASSERT_TRUE(WaitUntil([&] { return doc->Control()->Items() == 8; }));

    // F5 reads the list again.
    ASSERT_TRUE(app->Router().Execute(133));
    EXPECT_EQ(modal.Messages().size(), 3u);
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, JobsNewCreatesAJobASecondSessionSees)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    Activate(doc);
    const std::string scott = "scott/tiger@DEMO";

    modal.AnswerDialog([&](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Create New Job");
        auto* what = dlg->findChild<QPlainTextEdit*>("WhatEdit");
        auto* amount = dlg->findChild<QSpinBox*>("everyAmount");
        auto* unit = dlg->findChild<QComboBox*>("everyUnit");
        QPushButton* create = nullptr;
        for (QPushButton* button : dlg->findChildren<QPushButton*>())
            if (button->text() == "Create")
                create = button;
        EXPECT_TRUE(what && amount && unit && create);
        if (!what || !amount || !unit || !create)
            return int(QDialog::Rejected);
        what->setPlainText("dbms_lock.sleep(0);");
        amount->setValue(30);
        unit->setCurrentIndex(1); // minutes
        modal.AnswerMessage(IDOK);
        create->click();
        // The dialog waits for the server without blocking and closes once saved.
        EXPECT_TRUE(WaitUntil([&] { return !dlg->isVisible(); }));
        return dlg->result();
    });
    ASSERT_TRUE(Enabled(32775));
    ASSERT_TRUE(app->Router().Execute(32775)); // Jobs > New
    ASSERT_EQ(modal.Messages().size(), 1u);
    const std::string confirmation = modal.Messages().back().text.toStdString();
    const std::string prefix = "New job has been successfully created. ID is ";
    ASSERT_EQ(confirmation.rfind(prefix, 0), 0u) << confirmation;
    const std::string number = confirmation.substr(prefix.size(), confirmation.size() - prefix.size() - 1);

    const std::string row = Sql(scott, "select what, interval, next_date - sysdate from user_jobs where job = " + number);
    EXPECT_EQ(row.rfind("WHAT\tINTERVAL\t", 0), 0u) << row;
    EXPECT_NE(row.find("\ndbms_lock.sleep(0);\t"), std::string::npos) << row;
    EXPECT_NE(row.find("SYSDATE+30/1440"), std::string::npos) << row;
    EXPECT_TRUE(WaitUntil([&] { return doc->Control()->Items() == 10; }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, ClosingAsksOnlyWhileConnected)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    QMdiSubWindow* window = doc->Frames().at(0);

    modal.AnswerMessage(IDNO);
    window->close();
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_EQ(modal.Messages()[0].text, "This queue is logged on. Are you sure you want to close it now?");
    EXPECT_EQ(modal.Messages()[0].caption, "Quorvane");
    EXPECT_EQ(Template()->DocumentCount(), 1);

    Activate(doc);
    ASSERT_TRUE(app->Router().Execute(1057));
    ASSERT_TRUE(WaitUntil([&] { return doc->GetTitle() == "SCOTT (DEMO) - NOT Connected"; }));
    window->close();
    EXPECT_EQ(modal.Messages().size(), 1u);
    ASSERT_TRUE(WaitUntil([&] { return Template()->DocumentCount() == 0; }));
    EXPECT_EQ(app->OpenDocumentCount(), 0);
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, TwoDatabasesAtOnceAndClosingOneKeepsTheOther)
{
    CQuorvaneDoc* demo = NewQueue("scott", "tiger", "DEMO");
    CQuorvaneDoc* legacy = NewQueue("scott", "tiger", "LEGACY");
    ASSERT_TRUE(demo && legacy);
    ASSERT_TRUE(WaitUntil([&] { return Connected(demo, "SCOTT (DEMO) - Connected"); }));
    ASSERT_TRUE(WaitUntil([&] { return Connected(legacy, "SCOTT (LEGACY) - Connected"); }));
    EXPECT_TRUE(frame->windowTitle().endsWith("(2 Queues)")) << frame->windowTitle().toStdString();

    // Closing DEMO from the Queue menu (no question) leaves LEGACY working.
    Activate(demo);
    ASSERT_TRUE(app->Router().Execute(ID_FILE_CLOSE));
    ASSERT_TRUE(WaitUntil([&] { return Template()->DocumentCount() == 1; }));
    Sql("scott/tiger@LEGACY", "begin dbms_job.remove(7); end;");
    Activate(legacy);
    ASSERT_TRUE(app->Router().Execute(133));
    ASSERT_TRUE(WaitUntil([&] { return legacy->Control()->Items() == 8; }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, ASavedQueueOpensAndLogsOnWithoutADialog)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    Activate(doc);
    const QString path = QString::fromStdString((root() / "scott.queue").string());
    modal.AnswerFile(path);
    ASSERT_TRUE(app->Router().Execute(ID_FILE_SAVE));
    // While a queue is active, Open does nothing.
    ASSERT_TRUE(app->Router().Execute(ID_FILE_OPEN));
    EXPECT_EQ(modal.FileDialogs().size(), 1u);

    modal.AnswerMessage(IDYES);
    doc->Frames().at(0)->close();
    ASSERT_TRUE(WaitUntil([&] { return Template()->DocumentCount() == 0; }));

    modal.AnswerFile(path);
    ASSERT_TRUE(app->Router().Execute(ID_FILE_OPEN));
    ASSERT_EQ(Template()->DocumentCount(), 1);
    auto* again = static_cast<CQuorvaneDoc*>(Template()->Documents().front());
    ASSERT_TRUE(WaitUntil([&] { return Connected(again, "SCOTT (DEMO) - Connected"); }));
    EXPECT_EQ(modal.Dialogs().size(), 1u); // only the first logon
    EXPECT_EQ(app->OpenDocumentCount(), 1);

    // A damaged file is refused with a message and leaves no window.
    const std::string bad = (root() / "bad.queue").string();
    {
        FILE* f = std::fopen(bad.c_str(), "wb");
        std::fputs("not a queue at all", f);
        std::fclose(f);
    }
    app->MDIFrame()->setActiveSubWindow(nullptr);
    modal.AnswerFile(QString::fromStdString(bad));
    modal.AnswerMessage(IDOK);
    app->OnQueueOpen();
    EXPECT_EQ(Template()->DocumentCount(), 1);
    ASSERT_EQ(modal.Messages().size(), 2u);
    EXPECT_TRUE(modal.Messages()[1].text.contains("damaged")) << modal.Messages()[1].text.toStdString();
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, ClosingTheProgramWithConnectedQueuesEndsEveryWorker)
{
    CQuorvaneDoc* demo = NewQueue("scott", "tiger", "DEMO");
    CQuorvaneDoc* legacy = NewQueue("system", "manager", "LEGACY");
    ASSERT_TRUE(demo && legacy);
    ASSERT_TRUE(WaitUntil([&] { return demo->GetTitle() == "SCOTT (DEMO) - Connected"; }));
    ASSERT_TRUE(WaitUntil([&] { return legacy->GetTitle() == "SYSTEM (LEGACY) - Connected"; }));
    // Every worker (and the server threads it started) ends with the program.
    app.reset();
    EXPECT_TRUE(WaitUntil([&] { return Threads() <= threadsAtStart; })) << Threads() << " > " << threadsAtStart;
}

} // namespace

namespace {

// Fills a job file dialog of the control (shown through the modal service)
// by its widgets: the file name, and the check box of the given text.
int AnswerFileDialog(QDialog* dlg, const std::string& path, const QString& check)
{
    auto* name = dlg->findChild<QComboBox*>();
    EXPECT_NE(name, nullptr);
    if (!name)
        return QDialog::Rejected;
    name->setCurrentText(QString::fromStdString(path));
    for (QCheckBox* box : dlg->findChildren<QCheckBox*>())
        if (box->text() == check)
            box->setChecked(true);
    return QDialog::Accepted;
}

} // namespace

TEST_F(QueueWindows, ExportFromDemoAndImportIntoLegacyThroughTheMenus)
{
    CQuorvaneDoc* demo = NewQueue("scott", "tiger", "DEMO");
    CQuorvaneDoc* legacy = NewQueue("scott", "tiger", "LEGACY");
    ASSERT_TRUE(demo && legacy);
    ASSERT_TRUE(WaitUntil([&] { return Connected(demo, "SCOTT (DEMO) - Connected"); }));
    ASSERT_TRUE(WaitUntil([&] { return Connected(legacy, "SCOTT (LEGACY) - Connected"); }));
    const std::string path = (root() / "moved.qvx").string();

    Activate(demo);
    SelectJobs(demo, {2, 9});
    modal.AnswerDialog([&](QDialog* d) { return AnswerFileDialog(d, path, "Export selected items only"); });
    ASSERT_TRUE(app->Router().Execute(32771)); // File > Export
    ASSERT_TRUE(std::filesystem::exists(path));

    Activate(legacy);
    modal.AnswerDialog([&](QDialog* d) { return AnswerFileDialog(d, path, "Make broken on import"); });
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32772)); // File > Import
    const std::string query = "select what, broken from user_jobs where job > 9 order by job";
    ASSERT_TRUE(WaitUntil([&] {
        return Sql("scott/tiger@LEGACY", query) ==
               "WHAT\tBROKEN\nraise_salary(7369, 5);\tY\nBEGIN log_action('WEEKLY'); refresh_stats; END;\tY\n";
    })) << Sql("scott/tiger@LEGACY", query);
    ASSERT_TRUE(WaitUntil([&] { return legacy->Control()->Items() == 11; }));
    EXPECT_EQ(modal.Dialogs(), (std::vector<QString>{"CQueueLogonDlg", "CQueueLogonDlg", "CExportJobsDlg",
                                                     "CImportJobsDlg"}));
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QueueWindows, CopyAndPasteBetweenQueueWindowsAsksTheCopyDialog)
{
    CQuorvaneDoc* demo = NewQueue("scott", "tiger", "DEMO");
    CQuorvaneDoc* legacy = NewQueue("scott", "tiger", "LEGACY");
    ASSERT_TRUE(demo && legacy);
    ASSERT_TRUE(WaitUntil([&] { return Connected(demo, "SCOTT (DEMO) - Connected"); }));
    ASSERT_TRUE(WaitUntil([&] { return Connected(legacy, "SCOTT (LEGACY) - Connected"); }));

    Activate(demo);
    SelectJobs(demo, {5});
    ASSERT_TRUE(app->Router().Execute(57634)); // Edit > Copy
    Activate(legacy);
    ASSERT_TRUE(Enabled(57637));
    modal.AnswerDialog([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Copy Job(s)");
        auto* header = d->findChild<QLabel*>();
        EXPECT_TRUE(header && header->text() == "1 job ready to be copied. Press Cancel to abort.");
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(app->Router().Execute(57637)); // Edit > Paste
    ASSERT_TRUE(WaitUntil([&] {
        return Sql("scott/tiger@LEGACY", "select what, broken from user_jobs where job > 9") ==
               "WHAT\tBROKEN\nemp_pkg.fire(0);\tN\n";
    }));
    ASSERT_TRUE(WaitUntil([&] { return legacy->Control()->Items() == 10; }));
    EXPECT_EQ(modal.Unexpected(), 0);
}

namespace {

// Jobs > Forecast on SCOTT's hourly job: ten runs an hour apart, a warning
// that SYSDATE drifts, and its fix changes the job on the server.
TEST_F(QueueWindows, ForecastListsTheNextRunsAndItsFixChangesTheJob)
{
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected"); }));
    Activate(doc);
    EXPECT_FALSE(Enabled(32791));
    SelectJobs(doc, {1});
    ASSERT_TRUE(Enabled(32791));

    QStringList dates;
    QStringList fixes;
    modal.AnswerDialog([&](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "Forecast - Job 1");
        auto* table = dlg->findChild<QTableWidget*>("runsTable");
        auto* status = dlg->findChild<QLabel*>("status");
        auto* again = dlg->findChild<QPushButton*>("forecast");
        EXPECT_TRUE(table && status && again);
        if (!table || !status || !again)
            return int(QDialog::Rejected);
        // The forecast runs on the worker; the dialog answers events meanwhile.
        EXPECT_TRUE(WaitUntil([&] { return again->isEnabled(); }));
        for (int row = 0; row < table->rowCount(); ++row)
            dates << table->item(row, 1)->text() + " " + table->item(row, 2)->text();
        QPushButton* fix = nullptr;
        for (QPushButton* button : dlg->findChild<QWidget*>("warnings")->findChildren<QPushButton*>()) {
            fixes << button->text();
            fix = button;
        }
        if (fix) {
            fix->click();
            EXPECT_TRUE(WaitUntil([&] { return again->isEnabled(); }));
        }
        return int(QDialog::Rejected);
    });
    ASSERT_TRUE(app->Router().Execute(32791));
    ASSERT_EQ(dates.size(), 10) << dates.join("\n").toStdString();
    for (int i = 1; i < dates.size(); ++i) {
        const QDateTime a = QDateTime::fromString(dates[i - 1].left(19), "yyyy-MM-dd HH:mm:ss");
        const QDateTime b = QDateTime::fromString(dates[i].left(19), "yyyy-MM-dd HH:mm:ss");
        EXPECT_EQ(a.secsTo(b), 3600) << dates[i - 1].toStdString() << " -> " << dates[i].toStdString();
        EXPECT_TRUE(dates[i].endsWith("day")) << dates[i].toStdString();
    }
    ASSERT_EQ(fixes.size(), 1) << fixes.join("\n").toStdString();
    EXPECT_TRUE(fixes[0].startsWith("Use TRUNC(SYSDATE, 'HH24') + 1/24")) << fixes[0].toStdString();
    EXPECT_TRUE(WaitUntil([&] {
        return Sql("scott/tiger@DEMO", "select interval from user_jobs where job = 1").find("TRUNC(SYSDATE,'HH24') + 1/24")
               != std::string::npos;
    })) << Sql("scott/tiger@DEMO", "select interval from user_jobs where job = 1")
        << (modal.Messages().empty() ? "" : modal.Messages().back().text.toStdString());
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace

namespace {

// Jobs > Run starts a job that sleeps for a minute; Jobs > Stop Safely ends
// the run at once and leaves the job as it was before (not broken, same next
// date), the steps shown on the queue's status bar.
TEST_F(QueueWindows, StopSafelyEndsARunAndPutsTheJobBack)
{
    const std::string scott = "scott/tiger@DEMO";
    Sql(scott, "DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'DBMS_LOCK.SLEEP(60);', "
               "TO_DATE('2099-01-02 06:00', 'YYYY-MM-DD HH24:MI'), 'SYSDATE + 1'); COMMIT; END;");
    const std::string number = Sql(scott, "select max(job) from user_jobs");
    const int job = std::stoi(number.substr(number.find('\n') + 1));
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected") && doc->Control()->Items() == 10; }));
    Activate(doc);
    SelectJobs(doc, {job});
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32778)); // run
    const std::string running = "select count(*) from dba_jobs_running where job = " + std::to_string(job);
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, running) == "COUNT(*)\n1\n"; }, 60000)) << Status(doc).toStdString();

    SelectJobs(doc, {job});
    ASSERT_TRUE(Enabled(32792));
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32792));
    ASSERT_EQ(modal.Messages().size(), 2u);
    EXPECT_TRUE(modal.Messages().back().text.startsWith("Stop job " + QString::number(job) + " safely?"));
    ASSERT_TRUE(WaitUntil([&] { return Status(doc).contains("are as they were"); }, 30000)) << Status(doc).toStdString();
    // The program's own session no longer sees the run (the safe stop waited
    // for that); the run's failure is counted.
    EXPECT_EQ(Sql(scott, "select broken, failures, to_char(next_date, 'YYYY-MM-DD HH24:MI') from user_jobs where job = " +
                             std::to_string(job)),
              "BROKEN\tFAILURES\tTO_CHAR(NEXT_DATE,'YYYY-MM-DDH\nN\t1\t2099-01-02 06:00\n");
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace

namespace {

// Jobs > Compare With... on DEMO against LEGACY: the jobs pair up by what
// they run, LEGACY's changed interval and missing job show highlighted, and
// copying to the right creates the missing job and changes the interval
// back through the queue's own copy and save paths.
TEST_F(QueueWindows, CompareWithShowsAndCopiesTheDifferences)
{
    const std::string legacy = "scott/tiger@LEGACY";
    const std::string fire = Sql(legacy, "select job from user_jobs where what = 'emp_pkg.fire(0);'");
    const std::string raise = Sql(legacy, "select job from user_jobs where what = 'raise_salary(7369, 5);'");
    const int fired = std::stoi(fire.substr(fire.find('\n') + 1));
    const int raised = std::stoi(raise.substr(raise.find('\n') + 1));
    Sql(legacy, "BEGIN DBMS_JOB.REMOVE(" + std::to_string(fired) + "); DBMS_JOB.INTERVAL(" + std::to_string(raised) +
                    ", 'SYSDATE + 2'); COMMIT; END;");

    CQuorvaneDoc* demo = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(demo, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(demo, "SCOTT (DEMO) - Connected"); }));
    // With one queue open there is nothing to compare with.
    Activate(demo);
    ASSERT_TRUE(Enabled(32793));
    modal.AnswerMessage(IDOK);
    ASSERT_TRUE(app->Router().Execute(32793));
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_TRUE(modal.Messages().back().text.startsWith("Open another queue window"));

    CQuorvaneDoc* other = NewQueue("scott", "tiger", "LEGACY");
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(other, "SCOTT (LEGACY) - Connected") && other->Control()->Items() == 8; }));
    Activate(demo);

    // Columns: left job, interval, next date, broken, schema, what, then the right's five.
    constexpr int leftJob = 0, what = 5, rightJob = 6, rightInterval = 7, rightBroken = 9;
    bool seen = false;
    modal.AnswerDialog([&](QDialog* dlg) {
        auto* combo = dlg->findChild<QComboBox*>("otherQueue");
        auto* table = dlg->findChild<QTableWidget*>("compareTable");
        auto* summary = dlg->findChild<QLabel*>("summary");
        auto* copyRight = dlg->findChild<QPushButton*>("copyRight");
        EXPECT_TRUE(combo && table && summary && copyRight);
        if (!combo || !table || !summary || !copyRight)
            return int(QDialog::Rejected);
        seen = true;
        EXPECT_EQ(dlg->windowTitle(), "Compare Queues");
        EXPECT_EQ(combo->count(), 1);
        EXPECT_TRUE(combo->currentText().startsWith("scott@LEGACY")) << combo->currentText().toStdString();
        EXPECT_EQ(table->rowCount(), 9);
        auto rowOf = [table](const QString& text) {
            for (int row = 0; row < table->rowCount(); ++row)
                if (table->item(row, what)->text() == text)
                    return row;
            return -1;
        };
        auto highlighted = [table](int row, int column) {
            return table->item(row, column)->background().style() != Qt::NoBrush;
        };
        const int fireRow = rowOf("emp_pkg.fire(0);");
        const int raiseRow = rowOf("raise_salary(7369, 5);");
        EXPECT_GE(fireRow, 0);
        EXPECT_GE(raiseRow, 0);
        if (fireRow < 0 || raiseRow < 0)
            return int(QDialog::Rejected);
        EXPECT_TRUE(table->item(fireRow, rightJob)->text().isEmpty());
        EXPECT_TRUE(highlighted(fireRow, leftJob));
        EXPECT_TRUE(highlighted(raiseRow, rightInterval));
        EXPECT_FALSE(highlighted(raiseRow, rightBroken));
        EXPECT_EQ(table->item(raiseRow, rightInterval)->text(), "SYSDATE + 2");
        EXPECT_TRUE(summary->text().contains("1 only in scott@DEMO")) << summary->text().toStdString();

        // Both rows across: the copy dialog for the new job, then the
        // question about the change.
        table->clearSelection();
        for (int row : {fireRow, raiseRow})
            table->selectionModel()->select(table->model()->index(row, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        EXPECT_TRUE(copyRight->isEnabled());
        modal.AnswerDialog([](QDialog* copy) {
            EXPECT_STREQ(copy->metaObject()->className(), "CCopyJobDlg");
            return int(QDialog::Accepted);
        });
        modal.AnswerMessage(IDYES);
        QTest::mouseClick(copyRight, Qt::LeftButton);
        // The dialog follows both lists: every row pairs up, the interval agrees.
        EXPECT_TRUE(WaitUntil([&] {
            if (table->rowCount() != 9)
                return false;
            for (int row = 0; row < table->rowCount(); ++row)
                if (table->item(row, leftJob)->text().isEmpty() || table->item(row, rightJob)->text().isEmpty())
                    return false;
            const int row = rowOf("raise_salary(7369, 5);");
            return row >= 0 && !highlighted(row, rightInterval);
        })) << summary->text().toStdString();
        return int(QDialog::Rejected);
    });
    ASSERT_TRUE(app->Router().Execute(32793));
    EXPECT_TRUE(seen);
    EXPECT_EQ(Sql(legacy, "select interval from user_jobs where job = " + std::to_string(raised)),
              "INTERVAL\nADD_MONTHS(TRUNC(SYSDATE,'MM'),1)\n"); // as the save path writes it
    EXPECT_EQ(Sql(legacy, "select count(*) from user_jobs where what = 'emp_pkg.fire(0);'"), "COUNT(*)\n1\n");
    EXPECT_EQ(modal.Unexpected(), 0);
    EXPECT_TRUE(modal.Exhausted());
}

} // namespace

namespace {

// Jobs > Run, then a refresh: the job list marks the job that ran and the
// one that failed, a failure raises the queue's desktop alert (until the
// queue's properties switch it off), and the job's History page lists the
// run the refreshes observed.
TEST_F(QueueWindows, RunHistoryMarksTheListAlertsAndShowsOnTheHistoryPage)
{
    const std::string scott = "scott/tiger@DEMO";
    // Two jobs that fail, each run once.
    for (int i = 0; i < 2; ++i)
        Sql(scott, "DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'RAISE_APPLICATION_ERROR(-20001, ''boom'');', "
                   "TO_DATE('2099-01-02 06:00', 'YYYY-MM-DD HH24:MI'), 'SYSDATE + 1'); COMMIT; END;");
    const std::string number = Sql(scott, "select max(job) from user_jobs");
    const int failing2 = std::stoi(number.substr(number.find('\n') + 1));
    const int failing = failing2 - 1;
    CQuorvaneDoc* doc = NewQueue("scott", "tiger", "DEMO");
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return Connected(doc, "SCOTT (DEMO) - Connected") && doc->Control()->Items() == 11; }));
    Activate(doc);
    QObject* notifier = List(doc)->findChild<QObject*>("JobAlertNotifier");
    ASSERT_NE(notifier, nullptr);
    QSignalSpy spy(notifier, SIGNAL(alertRequested(QString, QString)));
    auto alertTexts = [&] {
        QStringList texts;
        for (const QList<QVariant>& alert : spy)
            texts << alert[0].toString() + "\n" + alert[1].toString();
        return texts;
    };

    auto row = [&](int job) {
        QAbstractItemModel* model = List(doc)->model();
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->index(r, 0).data().toInt() == job)
                return model->index(r, 0);
        return QModelIndex();
    };
    constexpr int kChangeRole = Qt::UserRole + 1;
    constexpr unsigned kRan = 1, kFailed = 2;

    // Run job 1 and the failing job, then refresh.
    const std::string before = Sql(scott, "select last_date from user_jobs where job = 1");
    SelectJobs(doc, {1});
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32778));
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, "select last_date from user_jobs where job = 1") != before; }));
    SelectJobs(doc, {failing});
    modal.AnswerMessage(IDYES);
    ASSERT_TRUE(app->Router().Execute(32778));
    const std::string failures = "select failures from user_jobs where job = " + std::to_string(failing);
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, failures) == "FAILURES\n1\n"; }, 30000))
        << Sql(scott, failures) << Status(doc).toStdString();
    ASSERT_TRUE(app->Router().Execute(133)); // F5
    ASSERT_TRUE(WaitUntil([&] { return row(1).data(kChangeRole).toUInt() & kRan; }, 30000));
    ASSERT_TRUE(WaitUntil([&] { return row(failing).data(kChangeRole).toUInt() & kFailed; }));
    EXPECT_EQ(row(1).data(Qt::ToolTipRole).toString(), "Just ran");
    EXPECT_TRUE(row(1).data(Qt::DecorationRole).value<QColor>().isValid());
    EXPECT_EQ(row(failing).data(Qt::ToolTipRole).toString(), "Just failed");
    ASSERT_EQ(spy.size(), 1) << alertTexts().join("|").toStdString();
    EXPECT_EQ(alertTexts()[0].toStdString(), "Job alert: Host: DEMO    User:  scott\nJob " + std::to_string(failing) +
                                                 " failed (1 failures in a row).");

    // Queue > Properties switches the alert off; another failure is marked
    // but raises nothing.
    modal.AnswerDialog([](QDialog* dlg) {
        auto* notify = dlg->findChild<QCheckBox*>("ctl300");
        EXPECT_NE(notify, nullptr);
        if (!notify)
            return int(QDialog::Rejected);
        EXPECT_TRUE(notify->isChecked());
        notify->click();
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(app->Router().Execute(32773));
    const std::string probe = Sql(scott, "BEGIN DBMS_JOB.RUN(" + std::to_string(failing2) + "); END;");
    const std::string failures2 = "select failures from user_jobs where job = " + std::to_string(failing2);
    ASSERT_TRUE(WaitUntil([&] { return Sql(scott, failures2) == "FAILURES\n1\n"; }, 30000)) << Sql(scott, failures2) << probe;
    ASSERT_TRUE(app->Router().Execute(133));
    ASSERT_TRUE(WaitUntil([&] { return row(failing2).data(kChangeRole).toUInt() & kFailed; }, 30000));
    // A mark lasts a quarter of an hour of the server's time, then goes.
    EXPECT_TRUE(row(1).data(kChangeRole).toUInt() & kRan);
    std::string clock;
    ASSERT_EQ(qvtest::Oradmin("clock DEMO offset 30m", &clock), 0) << clock;
    ASSERT_TRUE(app->Router().Execute(133));
    ASSERT_TRUE(WaitUntil([&] { return row(1).data(kChangeRole).toUInt() == 0; }, 30000));

    // The History page of job 1 (Jobs > View / Modify) lists its run.
    QStringList cells;
    modal.AnswerDialog([&](QDialog* dlg) {
        auto* tabs = dlg->findChild<QTabWidget*>();
        auto* table = dlg->findChild<QTableWidget*>("historyTable");
        auto* status = dlg->findChild<QLabel*>("historyStatus");
        EXPECT_TRUE(tabs && table && status);
        if (!tabs || !table || !status)
            return int(QDialog::Rejected);
        EXPECT_EQ(tabs->tabText(tabs->count() - 1), "History");
        tabs->setCurrentIndex(tabs->count() - 1);
        EXPECT_TRUE(WaitUntil([&] { return status->text() != "Reading the run history..."; }));
        EXPECT_EQ(status->text(), "Runs observed: 1");
        for (int r = 0; r < table->rowCount(); ++r)
            for (int c = 0; c < table->columnCount(); ++c)
                cells << (table->item(r, c) ? table->item(r, c)->text() : QString());
        return int(QDialog::Rejected);
    });
    SelectJobs(doc, {1});
    ASSERT_TRUE(app->Router().Execute(32781));
    ASSERT_EQ(cells.size(), 3) << cells.join("|").toStdString();
    EXPECT_TRUE(cells[1].endsWith(" s")) << cells[1].toStdString();
    EXPECT_EQ(cells[2], "Succeeded");

    EXPECT_EQ(spy.size(), 1);
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
