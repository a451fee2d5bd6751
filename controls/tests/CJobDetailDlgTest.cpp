// The job detail dialog over a queue whose answers the test gives: captions,
// enable rules, the pages' links, waiting and abandoning, and what a save
// sends and says.

#include "controls/CJobDetailDlg.h"
#include "controls/CJobDetailQueue.h"
#include "controls/CJobDetail_CredTab.h"
#include "controls/CJobDetail_HistoryTab.h"
#include "controls/CJobHistoryStore.h"
#include "controls/CJobDetail_SQLTab.h"
#include "controls/CJobDetail_ScheduleTab.h"
#include "controls/CJobDetail_WhatTab.h"
#include "controls/COracleExplorerTree.h"
#include "controls/tests/ScheduleTestSupport.h"
#include "generic/VkAppStore.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QScreen>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>

#include <deque>

namespace {

// Records every request and holds its reply until the test answers it.
class FakeQueue : public CJobDetailQueue {
public:
    struct Sent {
        std::string kind;
        std::string text;
        CJobListData job;
        TwReplyCallback reply;
    };

    std::string Host() const override { return "DEMO"; }
    std::string UserName() const override { return user; }
    std::string Password() const override { return std::string(); } // the tree stays logged off
    std::vector<std::string> SchemaNames() const override { return {"ADAMS", "SCOTT", "SYSTEM"}; }
    long ServerMajorVersion() const override { return version; }
    bool TestSql(const std::string& statement, QObject*, TwReplyCallback reply) override
    {
        sent.push_back({"test", statement, {}, std::move(reply)});
        return true;
    }
    bool Evaluate(const std::string& query, QObject*, TwReplyCallback reply) override
    {
        sent.push_back({"evaluate", query, {}, std::move(reply)});
        return true;
    }
    bool SaveJob(const CJobListData& job, QObject*, TwReplyCallback reply) override
    {
        sent.push_back({"save", std::string(), job, std::move(reply)});
        return true;
    }
    void WhenRefreshed(QObject* context, std::function<void()> handler) override
    {
        refreshed.push_back({QPointer<QObject>(context), std::move(handler)});
    }
    // What a refresh of the queue calls.
    void Refreshed()
    {
        for (auto& [context, handler] : refreshed)
            if (context)
                handler();
    }

    // Answers the oldest open request.
    void Answer(TwRequestOutcome outcome)
    {
        ASSERT_FALSE(sent.empty());
        Sent request = std::move(sent.front());
        sent.pop_front();
        done.push_back(request);
        request.reply(outcome);
    }
    void Fail(const std::string& message)
    {
        TwRequestOutcome outcome;
        outcome.failed = true;
        outcome.message = message;
        Answer(std::move(outcome));
    }
    void Succeed(double number = 0)
    {
        TwRequestOutcome outcome;
        outcome.number = number;
        Answer(std::move(outcome));
    }
    // Answers the oldest request, an evaluation, with what the demo
    // database returns for its query (or its error).
    void Evaluated()
    {
        ASSERT_FALSE(sent.empty());
        ASSERT_EQ(sent.front().kind, "evaluate");
        if (!session.Connected()) {
            session.SetUserName("scott/tiger@DEMO");
            ASSERT_TRUE(session.Connect());
        }
        auto cursor = session.Cursor();
        std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql(sent.front().text.c_str()));
        TwRequestOutcome outcome;
        if (!data || (data->Fetch(1) <= 0 && cursor.OracleError() != 0 && cursor.OracleError() != 1403)) {
            outcome.failed = true;
            outcome.message = cursor.Error();
        } else {
            outcome.evaluation.reset(data->GetCopy());
        }
        Answer(std::move(outcome));
    }

    std::string user = "SCOTT";
    long version = 10;
    std::deque<Sent> sent;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> refreshed;
    VkOracle::OCISession session;
    std::vector<Sent> done;
};

class JobDetailDlg : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    }
    std::unique_ptr<CJobDetailDlg> Open(const CJobListData* job = nullptr)
    {
        auto dlg = std::make_unique<CJobDetailDlg>(queue, job, nullptr,
                                                   QDateTime(QDate(2027, 3, 5), QTime(9, 15, 42)), &formatter);
        dlg->show();
        return dlg;
    }
    static CJobListData Existing(const char* owner = "SCOTT")
    {
        CJobListData job;
        job.m_jobNumber = 41;
        job.m_what = "dbms_output.put_line('x');\nnull;";
        job.m_interval = "SYSDATE+1";
        job.m_nextDate = 46000.5;
        job.m_logUser = owner;
        return job;
    }
    std::string LastMessage() const
    {
        return modal.Messages().empty() ? std::string() : modal.Messages().back().text.toStdString();
    }

    FixedScheduleFormatter formatter;
    FakeQueue queue;
    VkModalScript modal;
};

TEST_F(JobDetailDlg, CreateModeCaptionsPagesAndEnableRule)
{
    auto dlg = Open();
    EXPECT_EQ(dlg->windowTitle(), "Create New Job");
    EXPECT_EQ(dlg->Header(), "Host: DEMO    User:  SCOTT");
    EXPECT_EQ(dlg->defaultButton()->text(), "Create");
    EXPECT_FALSE(dlg->createNewButton()->isVisible());
    ASSERT_EQ(dlg->tabs()->count(), 4);
    EXPECT_EQ(dlg->tabs()->tabText(0), "Schedule");
    EXPECT_EQ(dlg->tabs()->tabText(1), "What");
    EXPECT_EQ(dlg->tabs()->tabText(2), "Custom");
    EXPECT_EQ(dlg->tabs()->tabText(3), "Advanced");
    EXPECT_EQ(dlg->HelpTopic(), "text\\AddMod.txt");
    dlg->tabs()->setCurrentIndex(CJobDetailDlg::TabAdvanced);
    EXPECT_EQ(dlg->HelpTopic(), "text\\AdvTab.txt");
    // Every page's topic is shipped.
    const std::filesystem::path help = std::filesystem::path(QT_TESTCASE_SOURCEDIR) / "../help/qvctrl.chm";
    for (int tab = 0; tab < dlg->tabs()->count(); ++tab) {
        dlg->tabs()->setCurrentIndex(tab);
        EXPECT_FALSE(VkHelpTopicPath(help, dlg->HelpTopic()).empty()) << dlg->HelpTopic();
    }

    // The first schedule result (now, never) is on the Advanced page.
    EXPECT_EQ(dlg->advancedTab()->nextDate(), "SYSDATE");
    EXPECT_EQ(dlg->advancedTab()->interval(), "");
    EXPECT_FALSE(dlg->advancedTab()->evaluateIntervalAction()->isEnabled());
    EXPECT_TRUE(dlg->advancedTab()->evaluateNextDateAction()->isEnabled());
    EXPECT_EQ(dlg->customTab()->schema(), "SCOTT");
    EXPECT_TRUE(dlg->customTab()->parse());
    EXPECT_TRUE(dlg->customTab()->instanceMustRun());

    // No PL/SQL yet: nothing can be saved.
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
    dlg->whatTab()->setWhat("null;");
    EXPECT_TRUE(dlg->defaultButton()->isEnabled());
    dlg->whatTab()->clearAction()->trigger();
    EXPECT_EQ(dlg->whatTab()->what(), "");
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());

    // A Custom change enables Create whatever else holds.
    dlg->customTab()->parseCheck()->click();
    EXPECT_TRUE(dlg->defaultButton()->isEnabled());

    // An invalid schedule disables it again at the next change.
    dlg->whatTab()->setWhat("null;");
    auto* byRepeat = dlg->scheduleTab()->findChild<QAbstractButton*>("startByRepeat");
    ASSERT_NE(byRepeat, nullptr);
    byRepeat->click();
    EXPECT_FALSE(dlg->scheduleTab()->lastResult().valid);
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
}

TEST_F(JobDetailDlg, ScheduleResultFillsTheAdvancedPageUntilTheUserEditsIt)
{
    auto dlg = Open();
    dlg->scheduleTab()->findChild<QSpinBox*>("everyAmount")->setValue(30);
    dlg->scheduleTab()->findChild<QComboBox*>("everyUnit")->setCurrentIndex(CScheduleSettings::Minutes);
    EXPECT_EQ(dlg->advancedTab()->interval(),
              "/*Run job initially as soon as possible, repeat every 30 Minutes thereafter (from the end of the last "
              "execution).*/\nSYSDATE+30/1440");
    EXPECT_EQ(dlg->advancedTab()->nextDate(), "SYSDATE");

    // Typing on the Advanced page makes the schedule user-defined.
    dlg->advancedTab()->intervalEdit()->setPlainText("SYSDATE + 1");
    EXPECT_TRUE(dlg->scheduleTab()->lastResult().userDefined);
    EXPECT_FALSE(dlg->scheduleTab()->findChild<QAbstractButton*>("startNow")->isChecked());
    EXPECT_EQ(dlg->advancedTab()->interval(), "SYSDATE + 1");

    // Format tabulates; the interval never takes more than 300 characters.
    dlg->advancedTab()->intervalEdit()->setPlainText("TRUNC(SYSDATE,'MI')+1/24");
    dlg->advancedTab()->formatIntervalAction()->trigger();
    EXPECT_EQ(dlg->advancedTab()->interval(), "TRUNC\n(\n\tSYSDATE,\n\t'MI'\n)+1/24");
    dlg->advancedTab()->intervalEdit()->setPlainText(QString(400, QLatin1Char('x')));
    EXPECT_EQ(dlg->advancedTab()->interval().size(), 300u);
}

TEST_F(JobDetailDlg, ModifyModeLoadsTheJobAndAnotherUsersJobCanOnlyBeSavedAsNew)
{
    const CJobListData own = Existing();
    auto dlg = Open(&own);
    EXPECT_EQ(dlg->windowTitle(), "View Modify Job");
    EXPECT_EQ(dlg->Header(), "Job No. : 41    Host: DEMO    User:  SCOTT");
    EXPECT_EQ(dlg->defaultButton()->text(), "Save");
    EXPECT_TRUE(dlg->createNewButton()->isVisible());
    EXPECT_TRUE(dlg->scheduleTab()->lastResult().userDefined);
    EXPECT_EQ(dlg->whatTab()->what(), "dbms_output.put_line('x');\nnull;");
    EXPECT_EQ(dlg->advancedTab()->nextDate(), "TO_DATE('9/12/2025 12:0:0', 'DD/MM/YYYY HH24:MI:SS')");
    EXPECT_EQ(dlg->advancedTab()->interval(), "SYSDATE+1");
    EXPECT_TRUE(dlg->defaultButton()->isEnabled());
    EXPECT_TRUE(modal.Messages().empty());
    dlg.reset();

    modal.AnswerMessage(IDOK);
    const CJobListData foreign = Existing("ADAMS");
    dlg = Open(&foreign);
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_EQ(LastMessage(), "This job is not owned by the current user (SCOTT). You will not be allowed to save "
                             "changes to this job.");
    EXPECT_EQ(modal.Messages().back().caption, "Job Scheduler");
    EXPECT_EQ(modal.Messages().back().style, MB_OK | MB_ICONSTOP);
    EXPECT_TRUE(dlg->NotOwner());
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
    EXPECT_TRUE(dlg->createNewButton()->isEnabled());
    // Whatever changes, Save stays off; pressing it anyway sends nothing.
    dlg->customTab()->parseCheck()->click();
    dlg->whatTab()->setWhat("null;");
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
    dlg->SaveDefault();
    EXPECT_TRUE(queue.sent.empty());
}

// The History page follows the queue's refreshes while the dialog is open,
// without "Reading..." in between.
TEST_F(JobDetailDlg, TheHistoryPageFollowsTheQueuesRefreshes)
{
    const std::string key = CJobHistoryStore::QueueKey("DEMO", "SCOTT");
    auto observe = [&](DATE last, LONG total) {
        CJobHistoryStore store;
        ASSERT_TRUE(store.Open(CJobHistoryStore::DefaultPath()));
        CJobObservation o;
        o.job = 41;
        o.observed = last + 0.01;
        o.lastDate = last;
        o.totalTime = total;
        ASSERT_TRUE(store.Record(key, {o}));
    };
    observe(46000.0, 0);
    observe(46001.0, 5);
    const CJobListData own = Existing();
    auto dlg = Open(&own);
    CJobDetail_HistoryTab* history = dlg->historyTab();
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(qvtest::WaitUntil([&] { return !history->Loading(); }));
    EXPECT_EQ(history->table()->rowCount(), 1);

    observe(46002.0, 12);
    queue.Refreshed();
    EXPECT_TRUE(history->Loading());
    EXPECT_EQ(history->status()->text(), "Runs observed: 1") << "kept while reading again";
    ASSERT_TRUE(qvtest::WaitUntil([&] { return !history->Loading(); }));
    ASSERT_EQ(history->table()->rowCount(), 2);
    EXPECT_EQ(history->table()->item(0, 1)->text(), "7 s"); // newest first

    // A closed dialog is not called any more.
    dlg.reset();
    queue.Refreshed();
}

TEST_F(JobDetailDlg, VersionSevenOffersOnlyTheParseSetting)
{
    queue.version = 7;
    auto dlg = Open();
    EXPECT_FALSE(dlg->customTab()->instanceGroup()->isEnabled());
    EXPECT_FALSE(dlg->customTab()->schemaGroup()->isEnabled());
    EXPECT_FALSE(dlg->customTab()->instanceEdit()->isEnabled());
    EXPECT_TRUE(dlg->customTab()->parseCheck()->isEnabled());
    queue.version = 10;
    auto later = Open();
    EXPECT_TRUE(later->customTab()->instanceEdit()->isEnabled());
    EXPECT_EQ(later->customTab()->instanceEdit()->maximum(), 99);
}

TEST_F(JobDetailDlg, WaitingDisablesTheDialogAndCancelAbandonsTheAnswer)
{
    auto dlg = Open();
    dlg->whatTab()->setWhat("null;");
    dlg->whatTab()->checkSyntaxAction()->trigger();
    ASSERT_EQ(queue.sent.size(), 1u);
    EXPECT_EQ(queue.sent.front().text, "BEGIN null; END;");
    EXPECT_TRUE(dlg->Waiting());
    EXPECT_FALSE(dlg->tabs()->isEnabled());
    EXPECT_FALSE(dlg->defaultButton()->isEnabled());
    EXPECT_TRUE(dlg->cancelButton()->isEnabled());
    EXPECT_EQ(dlg->cursor().shape(), Qt::BusyCursor);

    // Cancel gives up the wait, not the dialog; the late answer is dropped.
    dlg->cancelButton()->click();
    EXPECT_FALSE(dlg->Waiting());
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->defaultButton()->isEnabled());
    queue.Fail("late");
    EXPECT_TRUE(modal.Messages().empty());

    // An answer that comes is shown.
    modal.AnswerMessage(IDOK);
    dlg->CheckSyntax();
    queue.Succeed();
    EXPECT_EQ(LastMessage(), "PL/SQL is valid.");
    EXPECT_EQ(modal.Messages().back().style, MB_OK | MB_ICONINFORMATION);
    EXPECT_TRUE(dlg->tabs()->isEnabled());
}

TEST_F(JobDetailDlg, SaveChecksEvaluatesThenSavesTheRecord)
{
    auto dlg = Open();
    dlg->whatTab()->setWhat("x := 'it''s';\ny := 2;");
    dlg->customTab()->instanceEdit()->setValue(2);
    dlg->customTab()->mustRunCheck()->click();
    dlg->customTab()->schemaList()->setCurrentIndex(0);
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    ASSERT_EQ(queue.sent.front().kind, "test");
    queue.Succeed();
    ASSERT_EQ(queue.sent.front().kind, "evaluate");
    EXPECT_EQ(queue.sent.front().text, "select SYSDATE col1, SYSDATE col2 from dual");
    queue.Evaluated();
    ASSERT_EQ(queue.sent.front().kind, "save");
    const CJobListData job = queue.sent.front().job;
    EXPECT_EQ(job.m_jobNumber, -1);
    EXPECT_EQ(job.m_what, "x := 'it''s';\ny := 2;");
    EXPECT_EQ(job.m_interval, "");
    EXPECT_GT(job.m_nextDate, 46000.0);
    EXPECT_EQ(job.m_schemaUser, "ADAMS");
    EXPECT_EQ(job.m_parse, 1);
    EXPECT_EQ(job.m_instance, 2);
    EXPECT_TRUE(job.m_force);
    queue.Succeed(77);
    EXPECT_EQ(LastMessage(), "New job has been successfully created. ID is 77.");
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_FALSE(dlg->isVisible());
}

TEST_F(JobDetailDlg, FailuresKeepTheDialogOpenWithItsValues)
{
    auto dlg = Open();
    dlg->whatTab()->setWhat("null");
    // A parse failure shows the server's text and selects the PL/SQL.
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    queue.Fail("ORA-06550: line 1, column 12:\nPLS-00103: Encountered the symbol \"END\"");
    EXPECT_EQ(LastMessage(), "PL/SQL test has failed. More information:\n\nORA-06550: line 1, column 12:\n"
                             "PLS-00103: Encountered the symbol \"END\"");
    EXPECT_EQ(dlg->tabs()->currentIndex(), CJobDetailDlg::TabWhat);
    EXPECT_EQ(dlg->whatTab()->edit()->textCursor().selectedText(), "null");
    EXPECT_TRUE(queue.sent.empty());

    // A next date that is no date stops the save before anything is sent.
    dlg->customTab()->parseCheck()->click();
    dlg->advancedTab()->nextDateEdit()->setPlainText("42");
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    queue.Evaluated();
    EXPECT_EQ(LastMessage(), "Expression does not evaluate to a date.");
    EXPECT_EQ(dlg->tabs()->currentIndex(), CJobDetailDlg::TabAdvanced);
    EXPECT_TRUE(queue.sent.empty());

    // The server refuses the save: its text is shown, the dialog stays.
    dlg->advancedTab()->nextDateEdit()->setPlainText("SYSDATE");
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    queue.Evaluated();
    queue.Fail("ORA-00001: refused");
    EXPECT_EQ(LastMessage(), "ORA-00001: refused");
    EXPECT_EQ(modal.Messages().back().style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->whatTab()->what(), "null");
}

TEST_F(JobDetailDlg, ModifiedJobThatVanishedIsConfirmedWithItsNewNumber)
{
    const CJobListData own = Existing();
    auto dlg = Open(&own);
    dlg->customTab()->parseCheck()->click();
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    queue.Evaluated();
    ASSERT_EQ(queue.sent.front().job.m_jobNumber, 41);
    queue.Succeed(41);
    EXPECT_EQ(LastMessage(), "Job number 41 has been sucessfully modified.");
    EXPECT_EQ(dlg->result(), QDialog::Accepted);

    dlg = Open(&own);
    dlg->customTab()->parseCheck()->click();
    modal.AnswerMessage(IDOK);
    dlg->SaveDefault();
    queue.Evaluated();
    queue.Succeed(93); // no longer in the queue: submitted anew
    EXPECT_EQ(LastMessage(), "New job has been successfully created. ID is 93.");

    // Create New saves as a new job and keeps the dialog open.
    dlg = Open(&own);
    dlg->customTab()->parseCheck()->click();
    modal.AnswerMessage(IDOK);
    dlg->SaveAsNew();
    queue.Evaluated();
    EXPECT_EQ(queue.sent.front().job.m_jobNumber, -1);
    queue.Succeed(94);
    EXPECT_EQ(LastMessage(), "New job has been successfully created. ID is 94.");
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(JobDetailDlg, PastStartIsQuestionedAndNoStaysOnTheSchedule)
{
    auto dlg = Open();
    dlg->whatTab()->setWhat("null;");
    // The page opened in 2027 is moved to a day long past.
    dlg->scheduleTab()->findChild<QDateEdit*>("startDate")->setDate(QDate(2001, 1, 1));
    modal.AnswerMessage(IDNO);
    dlg->tabs()->setCurrentIndex(CJobDetailDlg::TabWhat);
    dlg->SaveDefault();
    EXPECT_EQ(LastMessage(), "The date and time specified in 'When to Start' is in the past (on this machine). Are "
                             "you sure you want to continue?");
    EXPECT_EQ(modal.Messages().back().style, MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(dlg->tabs()->currentIndex(), CJobDetailDlg::TabSchedule);
    EXPECT_TRUE(queue.sent.empty());
    modal.AnswerMessage(IDYES);
    dlg->SaveDefault();
    EXPECT_EQ(queue.sent.size(), 1u);
}

TEST_F(JobDetailDlg, TextDraggedFromTheTreeDropsIntoThePlSqlEdit)
{
    auto dlg = Open();
    dlg->tabs()->setCurrentIndex(CJobDetailDlg::TabWhat);
    QPlainTextEdit* edit = dlg->whatTab()->edit();
    edit->setPlainText("null;\n");
    EXPECT_TRUE(dlg->whatTab()->tree()->dragEnabled());

    // The tree's drag carries the call as plain text.
    QMimeData data;
    data.setText("BEGIN\n  scott.refresh_stats;\nEND;");
    const QPoint at = edit->viewport()->rect().bottomLeft() - QPoint(-2, 2);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &move);
    EXPECT_TRUE(move.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit->viewport(), &drop);
    EXPECT_NE(dlg->whatTab()->what().find("scott.refresh_stats;"), std::string::npos) << dlg->whatTab()->what();
    EXPECT_TRUE(dlg->defaultButton()->isEnabled());
}

TEST_F(JobDetailDlg, RectangleIsRememberedAndFittedOnScreen)
{
    QSize chosen;
    {
        auto dlg = Open();
        chosen = dlg->minimumSize() + QSize(13, 7);
        dlg->setGeometry(QRect(QPoint(4, 5), chosen));
    }
    {
        VkAppStore store("Tarnwick\\QVCtrl", "SchedulerCtrl");
        const RECT rect = store.GetRect("Add Job", "Size", nullptr);
        EXPECT_EQ(rect.right - rect.left, chosen.width());
        EXPECT_EQ(rect.bottom - rect.top, chosen.height());
    }
    auto again = Open();
    EXPECT_EQ(again->size(), chosen);
    again.reset();
    {
        VkAppStore store("Tarnwick\\QVCtrl", "SchedulerCtrl");
        store.SetRect("Add Job", "Size", RECT{-5000, -5000, -5000 + chosen.width(), -5000 + chosen.height()});
    }
    auto fitted = Open();
    EXPECT_TRUE(fitted->screen()->availableGeometry().contains(fitted->geometry().topLeft()));
    EXPECT_EQ(fitted->size(), chosen);
}

} // namespace
