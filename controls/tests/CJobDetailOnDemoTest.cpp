// The job detail dialog on a real queue of the demo database: jobs created
// and changed through it as a second session reads them from USER_JOBS, the
// syntax check and the evaluations answered by the server.

#include "controls/CDISDays.h"
#include "controls/CJobDetailCommands.h"
#include "controls/CJobDetailDlg.h"
#include "controls/CJobDetailQueue.h"
#include "controls/CJobDetail_CredTab.h"
#include "controls/CJobDetail_SQLTab.h"
#include "controls/CJobDetail_ScheduleTab.h"
#include "controls/CJobDetail_WhatTab.h"
#include "controls/CJobListCtrl.h"
#include "controls/COracleExplorerTree.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/WaitUntil.h"

#include "controls/CIntervalForecastDlg.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>

#include <regex>

namespace {

using qvtest::WaitUntil;

// One job as a second session reads it.
struct ServerJob {
    bool found = false;
    std::string what, interval, nextDate, logUser;
};

class JobDetailOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        main = std::make_unique<CSchedulerMainDlg>();
        main->show();
        list().Worker().SetViewWarningHandler([](const std::string&) {});
        queue = std::make_unique<CJobListDetailQueue>(list());
    }
    void TearDown() override
    {
        if (main)
            list().Worker().Stop([] { return true; });
        queue.reset();
        main.reset();
    }
    CJobListCtrl& list() { return main->List(); }

    void Connect(const char* user, const char* password)
    {
        list().SetLogon("DEMO", user, password);
        ASSERT_TRUE(list().Connect());
        ASSERT_TRUE(WaitUntil([&] {
            return list().IsConnected() && list().Model().rowCount() > 0 && !list().Worker().SchemaUsers().empty();
        }));
    }

    std::unique_ptr<CJobDetailDlg> Open(const CJobListData* job = nullptr)
    {
        auto dlg = std::make_unique<CJobDetailDlg>(*queue, job);
        dlg->show();
        return dlg;
    }

    // Presses a save button and waits until the dialog has said its last word.
    void Press(CJobDetailDlg& dlg, QPushButton* button)
    {
        modal.AnswerMessage(IDOK);
        button->click();
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Waiting(); }));
    }
    void Press(CJobDetailDlg& dlg, QAction* action)
    {
        modal.AnswerMessage(IDOK);
        action->trigger();
        ASSERT_TRUE(WaitUntil([&] { return !dlg.Waiting(); }));
    }
    std::string LastMessage() const
    {
        return modal.Messages().empty() ? std::string() : modal.Messages().back().text.toStdString();
    }
    // The number in "New job has been successfully created. ID is %ld."; 0 if another text.
    long CreatedNumber() const
    {
        std::smatch match;
        const std::string text = LastMessage();
        static const std::regex created("New job has been successfully created\\. ID is ([0-9]+)\\.");
        return std::regex_match(text, match, created) ? std::stol(match[1]) : 0;
    }

    // Reads USER_JOBS of user in a session of its own.
    ServerJob Read(long job, const char* logon = "scott/tiger@DEMO")
    {
        VkOracle::OCISession session;
        session.SetUserName(logon);
        ServerJob row;
        if (!session.Connect())
            return row;
        auto cursor = session.Cursor();
        const std::string sql = "select WHAT, INTERVAL, TO_CHAR(NEXT_DATE, 'YYYY-MM-DD HH24:MI:SS'), LOG_USER "
                                "from USER_JOBS where JOB = " +
                                std::to_string(job);
        std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql(sql.c_str()));
        if (data && data->Fetch(1) == 1) {
            row.found = true;
            row.what = data->GetString(0, 0);
            row.interval = data->GetString(0, 1);
            row.nextDate = data->GetString(0, 2);
            row.logUser = data->GetString(0, 3);
        }
        return row;
    }
    long Count(const char* logon = "scott/tiger@DEMO")
    {
        VkOracle::OCISession session;
        session.SetUserName(logon);
        if (!session.Connect())
            return -1;
        auto cursor = session.Cursor();
        std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql("select COUNT(*) from USER_JOBS"));
        return data && data->Fetch(1) == 1 ? data->GetLong(0, 0) : -1;
    }
    // The server's value of a date expression, as TO_CHAR gives it.
    std::string ServerDate(const std::string& expression)
    {
        VkOracle::OCISession session;
        session.SetUserName("scott/tiger@DEMO");
        if (!session.Connect())
            return {};
        auto cursor = session.Cursor();
        const std::string sql = "select TO_CHAR(" + expression + ", 'YYYY-MM-DD HH24:MI:SS') from dual";
        std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql(sql.c_str()));
        return data && data->Fetch(1) == 1 ? data->GetString(0, 0) : std::string();
    }

    template <typename T>
    static T* Child(QWidget* parent, const char* name)
    {
        T* widget = parent->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    // Starts on 1 January 2031 at 10:00.
    static void StartOnFixedDay(CJobDetailDlg& dlg)
    {
        Child<QDateEdit>(dlg.scheduleTab(), "startDate")->setDate(QDate(2031, 1, 1));
        Child<QTimeEdit>(dlg.scheduleTab(), "startTime")->setTime(QTime(10, 0));
    }

    std::unique_ptr<CSchedulerMainDlg> main;
    std::unique_ptr<CJobListDetailQueue> queue;
    VkModalScript modal;
};

TEST_F(JobDetailOnDemo, JobsCreatedFromEachKindOfScheduleReachTheServer)
{
    Connect("scott", "tiger");
    struct Case {
        const char* name;
        std::function<void(CJobDetailDlg&)> choose;
        bool startsNow;
    };
    const std::vector<Case> cases = {
        {"now, never", [](CJobDetailDlg&) {}, true},
        {"every 30 minutes",
         [](CJobDetailDlg& dlg) {
             StartOnFixedDay(dlg);
             Child<QSpinBox>(dlg.scheduleTab(), "everyAmount")->setValue(30);
             Child<QComboBox>(dlg.scheduleTab(), "everyUnit")->setCurrentIndex(CScheduleSettings::Minutes);
         },
         false},
        {"weekdays at 08:00",
         [](CJobDetailDlg& dlg) {
             StartOnFixedDay(dlg);
             Child<CDISDays>(dlg.scheduleTab(), "days")->button(CDISDaysModel::ID_WORKING_DAYS)->click();
             Child<QTimeEdit>(dlg.scheduleTab(), "dayAt")->setTime(QTime(8, 0));
         },
         false},
        {"first Monday of the month",
         [](CJobDetailDlg& dlg) {
             Child<QAbstractButton>(dlg.scheduleTab(), "startByRepeat")->click();
             Child<CDISDays>(dlg.scheduleTab(), "days")->button(CDISDaysModel::ID_MONDAY)->click();
             Child<CDISDays>(dlg.scheduleTab(), "days")->button(CDISDaysModel::ID_FIRST)->click();
             Child<QTimeEdit>(dlg.scheduleTab(), "dayAt")->setTime(QTime(6, 30));
         },
         false},
        {"every day from 08:00 until 18:00 every 30 minutes",
         [](CJobDetailDlg& dlg) {
             StartOnFixedDay(dlg);
             Child<CDISDays>(dlg.scheduleTab(), "days")->button(CDISDaysModel::ID_ALL_DAYS)->click();
             Child<QTimeEdit>(dlg.scheduleTab(), "dayAt")->setTime(QTime(8, 0));
             Child<QComboBox>(dlg.scheduleTab(), "repeatUnit")->setCurrentIndex(CScheduleSettings::Minutes);
             Child<QSpinBox>(dlg.scheduleTab(), "repeatAmount")->setValue(30);
             Child<QTimeEdit>(dlg.scheduleTab(), "untilTime")->setTime(QTime(18, 0));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto dlg = Open();
        c.choose(*dlg);
        ASSERT_TRUE(dlg->scheduleTab()->lastResult().valid) << dlg->scheduleTab()->lastResult().description;
        const std::string nextDate = dlg->scheduleTab()->lastResult().nextDate;
        const std::string interval = dlg->scheduleTab()->lastResult().interval;
        dlg->whatTab()->setWhat("null;");
        const std::string expectedNext = ServerDate(nextDate);
        Press(*dlg, dlg->defaultButton());
        const long number = CreatedNumber();
        ASSERT_GT(number, 0) << LastMessage();
        EXPECT_EQ(dlg->result(), QDialog::Accepted);

        const ServerJob job = Read(number);
        ASSERT_TRUE(job.found);
        EXPECT_EQ(job.what, "null;");
        EXPECT_EQ(job.logUser, "SCOTT");
        // The interval keeps its expression (behind the description comment).
        if (interval.empty())
            EXPECT_TRUE(job.interval.empty() || job.interval == "null") << job.interval;
        else
            EXPECT_NE(job.interval.find(interval), std::string::npos) << job.interval;
        if (c.startsNow)
            EXPECT_LE(job.nextDate.compare(ServerDate("SYSDATE")), 0) << job.nextDate;
        else
            EXPECT_EQ(job.nextDate, expectedNext) << nextDate;
        // The new job shows in the list.
        EXPECT_TRUE(WaitUntil([&] { return list().FindRow(number) >= 0; }));
    }
}

TEST_F(JobDetailOnDemo, ModifyChangesWhatAndIntervalAndKeepsQuotesAndLineBreaks)
{
    Connect("scott", "tiger");
    list().SelectJobs({list().Model().Job(0).m_jobNumber});
    const long number = list().Model().Job(0).m_jobNumber;
    const std::string what = "dbms_output.put_line('it''s \"quoted\"');\n-- a second line\nnull;";
    modal.AnswerDialog([&](QDialog* shown) {
        auto* dlg = qobject_cast<CJobDetailDlg*>(shown);
        EXPECT_NE(dlg, nullptr);
        if (!dlg)
            return int(QDialog::Rejected);
        EXPECT_EQ(dlg->windowTitle(), "View Modify Job");
        dlg->whatTab()->setWhat(what);
        dlg->advancedTab()->intervalEdit()->setPlainText("TRUNC( SYSDATE , 'MI' )\n+ 1");
        modal.AnswerMessage(IDOK);
        dlg->defaultButton()->click();
        EXPECT_TRUE(WaitUntil([&] { return !dlg->Waiting() && !dlg->isVisible(); }));
        return dlg->result();
    });
    EXPECT_EQ(CJobDetailCommands::Modify(list()), QDialog::Accepted);
    EXPECT_EQ(LastMessage(), "Job number " + std::to_string(number) + " has been sucessfully modified.");
    const ServerJob job = Read(number);
    EXPECT_EQ(job.what, what);
    EXPECT_EQ(job.interval, "TRUNC(SYSDATE ,'MI') + 1");
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobDetailOnDemo, CheckSyntaxShowsTheServersVerdictAndCreatesNothing)
{
    Connect("scott", "tiger");
    const long before = Count();
    auto dlg = Open();
    dlg->whatTab()->setWhat("dbms_output.put_line('ok');");
    Press(*dlg, dlg->whatTab()->checkSyntaxAction());
    EXPECT_EQ(LastMessage(), "PL/SQL is valid.");
    // The page's schema tree logs on with the queue's connection.
    EXPECT_EQ(dlg->whatTab()->tree()->UserName(), "scott");
    EXPECT_TRUE(WaitUntil([&] { return dlg->whatTab()->tree()->Connected(); }));

    dlg->whatTab()->setWhat("x := ;");
    Press(*dlg, dlg->whatTab()->checkSyntaxAction());
    EXPECT_EQ(LastMessage().rfind("PL/SQL test has failed. More information:\n\n", 0), 0u) << LastMessage();
    EXPECT_NE(LastMessage().find("PLS-"), std::string::npos) << LastMessage();

    // Saving the bad body stops at the same check.
    Press(*dlg, dlg->defaultButton());
    EXPECT_NE(LastMessage().find("PLS-"), std::string::npos) << LastMessage();
    EXPECT_EQ(dlg->tabs()->currentIndex(), CJobDetailDlg::TabWhat);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(Count(), before);
}

TEST_F(JobDetailOnDemo, EvaluateADateANonDateAndAFailingExpression)
{
    Connect("scott", "tiger");
    auto dlg = Open();
    dlg->advancedTab()->nextDateEdit()->setPlainText("TO_DATE('1/2/2031 7:05:00', 'DD/MM/YYYY HH24:MI:SS')");
    Press(*dlg, dlg->advancedTab()->evaluateNextDateAction());
    EXPECT_EQ(LastMessage().rfind("Expression evaluates to:\n\n", 0), 0u) << LastMessage();
    EXPECT_NE(LastMessage().find("2031"), std::string::npos) << LastMessage();
    EXPECT_NE(LastMessage().find("Date\\time at server was "), std::string::npos);
    EXPECT_EQ(modal.Messages().back().style, MB_OK | MB_ICONINFORMATION);

    dlg->advancedTab()->intervalEdit()->setPlainText("42");
    Press(*dlg, dlg->advancedTab()->evaluateIntervalAction());
    EXPECT_EQ(LastMessage(), "Expression does not evaluate to a date.");

    dlg->advancedTab()->intervalEdit()->setPlainText("TO_DATE('31/02/2031', 'DD/MM/YYYY')");
    Press(*dlg, dlg->advancedTab()->evaluateIntervalAction());
    EXPECT_EQ(LastMessage().rfind("Select statement failed. More Information:\n\nORA-", 0), 0u) << LastMessage();
    EXPECT_EQ(modal.Messages().back().style, MB_OK | MB_ICONEXCLAMATION);
}

// The Advanced page's Forecast starts at what the Next Date text gives, and
// a fix it offers replaces the Interval text (saved only with the dialog).
TEST_F(JobDetailOnDemo, ForecastFromTheAdvancedPageAndItsFixGoesIntoTheInterval)
{
    Connect("scott", "tiger");
    auto dlg = Open();
    dlg->advancedTab()->nextDateEdit()->setPlainText("TO_DATE('1/2/2031 7:05:00', 'DD/MM/YYYY HH24:MI:SS')");
    dlg->advancedTab()->intervalEdit()->setPlainText("SYSDATE + 1");
    ASSERT_TRUE(dlg->advancedTab()->forecastAction()->isEnabled());
    QStringList dates;
    modal.AnswerDialog([&](QDialog* shown) {
        auto* forecast = dynamic_cast<CIntervalForecastDlg*>(shown);
        EXPECT_NE(forecast, nullptr);
        if (!forecast)
            return int(QDialog::Rejected);
        EXPECT_TRUE(WaitUntil([&] { return !forecast->Busy(); }));
        for (DATE d : forecast->Result().runs)
            dates << QString::fromStdString(CIntervalForecast::DateText(d));
        EXPECT_EQ(forecast->FixButtons().size(), 1);
        if (!forecast->FixButtons().isEmpty())
            forecast->FixButtons().front()->click();
        EXPECT_TRUE(WaitUntil([&] { return !forecast->Busy(); }));
        // Forecast again from the fixed interval: nothing left to warn about.
        EXPECT_TRUE(forecast->Result().warnings.empty());
        return int(QDialog::Rejected);
    });
    Press(*dlg, dlg->advancedTab()->forecastAction());
    ASSERT_EQ(dates.size(), 10);
    EXPECT_EQ(dates[0], "2031-02-01 07:05:00");
    EXPECT_EQ(dates[9], "2031-02-10 07:05:00");
    EXPECT_EQ(dlg->advancedTab()->interval(), "TRUNC(SYSDATE) + 1 + 425/1440");
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobDetailOnDemo, NextDateThatIsNoDateStopsTheSave)
{
    Connect("scott", "tiger");
    const long before = Count();
    auto dlg = Open();
    dlg->whatTab()->setWhat("null;");
    dlg->advancedTab()->nextDateEdit()->setPlainText("'tomorrow'");
    Press(*dlg, dlg->defaultButton());
    EXPECT_EQ(LastMessage(), "Expression does not evaluate to a date.");
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->tabs()->currentIndex(), CJobDetailDlg::TabAdvanced);
    EXPECT_EQ(Count(), before);
}

TEST_F(JobDetailOnDemo, AnotherUsersJobCannotBeSavedButCanBeCreatedAnew)
{
    list().SetAdministratorView(true);
    Connect("system", "manager");
    int row = -1;
    for (int r = 0; r < list().Model().rowCount() && row < 0; ++r)
        if (list().Model().Job(r).m_logUser == "SCOTT")
            row = r;
    ASSERT_GE(row, 0);
    const CJobListData scotts = list().Model().Job(row);
    const long scottsBefore = Count();

    modal.AnswerMessage(IDOK);
    auto dlg = Open(&scotts);
    EXPECT_EQ(LastMessage(), "This job is not owned by the current user (system). You will not be allowed to save "
                             "changes to this job.");
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
    ASSERT_TRUE(dlg->createNewButton()->isEnabled());
    dlg->advancedTab()->nextDateEdit()->setPlainText("SYSDATE+1");
    // SCOTT's procedure is known in SCOTT's schema only: the job is parsed
    // there when it is submitted, not beforehand.
    dlg->customTab()->parseCheck()->click();
    dlg->customTab()->schemaList()->setCurrentText("SCOTT");
    ASSERT_EQ(dlg->customTab()->schema(), "SCOTT");
    Press(*dlg, dlg->createNewButton());
    const long number = CreatedNumber();
    ASSERT_GT(number, 0) << LastMessage();
    EXPECT_TRUE(dlg->isVisible()); // Create New keeps the dialog
    const ServerJob created = Read(number, "system/manager@DEMO");
    ASSERT_TRUE(created.found);
    EXPECT_EQ(created.logUser, "SYSTEM");
    EXPECT_EQ(created.what, scotts.m_what);
    EXPECT_EQ(Count(), scottsBefore); // SCOTT's jobs untouched
}

TEST_F(JobDetailOnDemo, EnterAndDoubleClickOnAJobOpenItAndNewOpensAnEmptyDialog)
{
    Connect("scott", "tiger");
    CJobDetailCommands::Attach(list());
    const CJobListData first = list().Model().Job(0);
    std::vector<std::string> opened;
    auto look = [&](QDialog* shown) {
        auto* dlg = qobject_cast<CJobDetailDlg*>(shown);
        EXPECT_NE(dlg, nullptr);
        if (dlg)
            opened.push_back(dlg->Header().toStdString() + "|" + dlg->whatTab()->what());
        return int(QDialog::Rejected);
    };
    const std::string modify = "Job No. : " + std::to_string(first.m_jobNumber) + "    Host: DEMO    User:  scott|" +
                               first.m_what;
    list().SelectJobs({first.m_jobNumber});
    modal.AnswerDialog(look);
    QTest::keyClick(&list(), Qt::Key_Return);
    modal.AnswerDialog(look);
    const QRect cell = list().visualRect(list().Model().index(0, 1));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    modal.AnswerDialog(look);
    list().OnCommand(ID_JL_NEW);
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_EQ(opened[0], modify);
    EXPECT_EQ(opened[1], modify);
    EXPECT_EQ(opened[2], "Host: DEMO    User:  scott|");
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
