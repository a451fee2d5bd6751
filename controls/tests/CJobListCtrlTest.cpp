// The job list control: the worker's messages delivered by hand, its
// selection, menu, keys and commands, and a real queue on the demo database.

#include "controls/CJobAlertNotifier.h"
#include "controls/CJobDetailQueue.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobRunHistory.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <functional>


namespace {

using qvtest::WaitUntil;

CJobListData Job(LONG number, bool broken = false, BYTE running = 0, LONG failures = 0)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = "job_" + std::to_string(number) + ";";
    job.m_broken = broken;
    job.m_running = running;
    job.m_failures = failures;
    return job;
}

std::unique_ptr<CJobNewListRecord> List(std::vector<CJobListData> jobs)
{
    auto list = std::make_unique<CJobNewListRecord>();
    list->m_jobs = std::move(jobs);
    return list;
}

std::vector<CJobListData> Numbered(LONG first, LONG count)
{
    std::vector<CJobListData> jobs;
    for (LONG n = first; n < first + count; ++n)
        jobs.push_back(Job(n));
    return jobs;
}

// Delivers a message as the worker would post it.
void Send(QObject* to, UINT message, WPARAM wParam = 0, std::unique_ptr<VkMessageRecord> record = nullptr)
{
    VkSendMessage(to, message, wParam, 0, std::move(record));
}

std::vector<QString> MenuTexts(QMenu& menu)
{
    std::vector<QString> texts;
    for (QAction* action : menu.actions())
        texts.push_back(action->isSeparator() ? QString("|") : action->text());
    return texts;
}

class JobListCtrl : public ::testing::Test {
protected:
    JobListCtrl()
    {
        dlg.resize(800, 300);
        dlg.show();
    }
    CJobListCtrl& list() { return dlg.List(); }

    VkModalScript modal;
    CSchedulerMainDlg dlg;
};

TEST_F(JobListCtrl, NewListKeepsTheSelectionByJobNumberAndDropsRemovedJobs)
{
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 60)));
    ASSERT_EQ(list().Model().rowCount(), 60);
    list().SelectJobs({4, 7, 30});
    QApplication::processEvents();
    list().verticalScrollBar()->setValue(10);
    ASSERT_EQ(list().verticalScrollBar()->value(), 10);
    QSignalSpy resets(&list().Model(), &QAbstractItemModel::modelReset);

    // The next list: job 7 is gone, others are new, in another order.
    std::vector<CJobListData> next = Numbered(1, 65);
    next.erase(next.begin() + 6);
    std::reverse(next.begin(), next.end());
    const int installingBefore = CJobQueueWorker::InstallingCounter();
    Send(&list(), JLM_NEWLIST, 0, List(next));

    EXPECT_EQ(resets.count(), 1); // one step, not row by row
    EXPECT_EQ(list().Model().rowCount(), 64);
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{4, 30}));
    EXPECT_EQ(list().verticalScrollBar()->value(), 10);
    EXPECT_TRUE(list().isEnabled());
    EXPECT_EQ(CJobQueueWorker::InstallingCounter(), installingBefore);
    // Sorted on the current column (the job number) despite the server's order.
    EXPECT_EQ(list().Model().Job(0).m_jobNumber, 1);
    EXPECT_EQ(list().Model().Job(63).m_jobNumber, 65);

    // No list at all empties it.
    Send(&list(), JLM_NEWLIST, 0, nullptr);
    EXPECT_EQ(list().Model().rowCount(), 0);
    EXPECT_TRUE(list().SelectedJobNumbers().empty());
}

TEST_F(JobListCtrl, UserSortColumnIsKeptForTheNextList)
{
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 5)));
    list().sortByColumn(CJobListModel::ColumnIndex(CJobListModel::ColJob), Qt::DescendingOrder);
    list().SelectJobs({2});
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 8)));
    EXPECT_EQ(list().Model().Job(0).m_jobNumber, 8);
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{2}));
    EXPECT_EQ(list().SelectedRows(), (std::vector<int>{6}));
}

TEST_F(JobListCtrl, RowMessagesUpdateAndRemoveRowsAndDriveFlashing)
{
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 3)));
    EXPECT_FALSE(list().FlashTimerActive());

    // A run thread marks the row running, then hands back its previous state.
    Send(&list(), JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(Job(2, false, 1)));
    const int row = list().FindRow(2);
    EXPECT_EQ(list().Model().Job(row).m_running, 1);
    EXPECT_TRUE(list().Model().IsFlashing(row));
    EXPECT_TRUE(list().FlashTimerActive());
    const bool phase = list().Model().FlashPhase();
    list().FlashStep();
    EXPECT_NE(list().Model().FlashPhase(), phase);

    Send(&list(), JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(Job(2)));
    EXPECT_EQ(list().Model().Job(row).m_running, 0);
    EXPECT_FALSE(list().FlashTimerActive());

    // An update for a job not shown only drops the record.
    Send(&list(), JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(Job(99, true)));
    EXPECT_EQ(list().Model().rowCount(), 3);
    EXPECT_EQ(list().FindRow(99), -1);

    Send(&list(), JLM_JOBREMOVED, 2);
    Send(&list(), JLM_JOBREMOVED, 42);
    EXPECT_EQ(list().Model().rowCount(), 2);
    EXPECT_EQ(list().FindRow(2), -1);
}

// The worker's marks mark the rows until a list without them, and a job
// that failed or broke in this refresh raises one desktop alert a list,
// unless the queue's switch is off.
TEST_F(JobListCtrl, RunHistoryChangesMarkRowsAndRaiseAlerts)
{
    QSignalSpy alerts(&list().Notifier(), &CJobAlertNotifier::alertRequested);
    EXPECT_TRUE(list().NotifyAlerts());
    auto first = List({Job(1), Job(2), Job(3, true, 0, 16), Job(4)});
    first->m_changes = {{1, CJobRunHistory::Ran}, {2, CJobRunHistory::Ran | CJobRunHistory::Failed},
                        {3, CJobRunHistory::Failed | CJobRunHistory::JustBroken}, {4, CJobRunHistory::Running}};
    first->m_marks = first->m_changes;
    Send(&list(), JLM_NEWLIST, 0, std::move(first));
    const CJobListModel& model = list().Model();
    struct Mark {
        LONG job;
        QString text;
        QColor colour;
    };
    const Mark marks[] = {{1, "Just ran", CJobListModel::ChangeColour(CJobRunHistory::Ran)},
                          {2, "Just failed", CJobListModel::ChangeColour(CJobRunHistory::Failed)},
                          {3, "Just broken", CJobListModel::ChangeColour(CJobRunHistory::JustBroken)},
                          {4, "", QColor()}};
    for (const Mark& mark : marks) {
        const QModelIndex cell = model.index(list().FindRow(mark.job), 0);
        EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), mark.text) << mark.job;
        EXPECT_EQ(cell.data(Qt::DecorationRole).value<QColor>(), mark.colour) << mark.job;
        EXPECT_EQ(cell.data(CJobListModel::ChangeRole).toUInt(), model.Changes(list().FindRow(mark.job)));
    }
    EXPECT_NE(CJobListModel::ChangeColour(CJobRunHistory::Ran), CJobListModel::ChangeColour(CJobRunHistory::Failed));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0][0].toString(), "Job alert: Host:     User:  ");
    EXPECT_EQ(alerts[0][1].toString(), "Job 2 failed (0 failures in a row).\nJob 3 is broken.");

    // The next list without changes clears the marks and raises nothing.
    Send(&list(), JLM_NEWLIST, 0, List({Job(1), Job(2), Job(3, true, 0, 16)}));
    EXPECT_EQ(model.Changes(list().FindRow(1)), 0u);
    EXPECT_FALSE(model.index(list().FindRow(3), 0).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(alerts.size(), 1);

    // Switched off: marked, but no alert.
    list().SetNotifyAlerts(false);
    auto second = List({Job(1, true)});
    second->m_changes = {{1, CJobRunHistory::JustBroken}};
    second->m_marks = second->m_changes;
    Send(&list(), JLM_NEWLIST, 0, std::move(second));
    EXPECT_EQ(model.Changes(list().FindRow(1)), unsigned(CJobRunHistory::JustBroken));
    EXPECT_EQ(alerts.size(), 1);
}

// The run history's problem is told once, after the list is in.
TEST_F(JobListCtrl, AHistoryProblemIsToldThroughTheModalService)
{
    modal.AnswerMessage(IDOK);
    auto list1 = List({Job(1)});
    list1->m_historyProblem = "The run history file x is damaged.";
    Send(&list(), JLM_NEWLIST, 0, std::move(list1));
    EXPECT_TRUE(modal.Messages().empty()); // not from inside the installing
    ASSERT_TRUE(WaitUntil([&] { return !modal.Messages().empty(); }));
    EXPECT_EQ(modal.Messages()[0].text, "The run history file x is damaged.");
    EXPECT_EQ(list().Model().rowCount(), 1);
}

TEST_F(JobListCtrl, StatusVersionAndServerTimeReachTheStatusBar)
{
    auto status = std::make_unique<CJobStatusRecord>();
    status->m_text = "Retrieved 9 jobs";
    status->m_image = IDB_TW_DONE;
    Send(&list(), JLM_STATUS, 0, std::move(status));
    Send(&list(), JLM_VERSION, 0, std::make_unique<CJobTextRecord>("10.2.0.1.0"));
    Send(&list(), JLM_SERVERTIME, 0, std::make_unique<CJobDateRecord>(CJobListStatusCtrl::LocalNow()));
    auto& bar = dlg.StatusBar();
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneText), "Retrieved 9 jobs");
    EXPECT_EQ(bar.Image(), IDB_TW_DONE);
    EXPECT_EQ(bar.PaneTextOf(CJobListStatusCtrl::PaneVersion), "Ver: 10.2.0.1.0  ");
    EXPECT_TRUE(bar.ServerTimeKnown());
    EXPECT_FALSE(bar.PaneTextOf(CJobListStatusCtrl::PaneTime).isEmpty());
}

TEST_F(JobListCtrl, CountsCaptionsAndCommandsOfAQueueThatIsNotConnected)
{
    Send(&list(), JLM_NEWLIST, 0, List({Job(1, true, 1), Job(2, false, 1), Job(3, true), Job(4)}));
    list().SelectJobs({1, 2, 3});
    int with = 0, without = 0;
    list().CountSelected(CJobListCtrl::CountRunning, with, without);
    EXPECT_EQ(with, 2);
    EXPECT_EQ(without, 1);
    list().CountSelected(CJobListCtrl::CountBroken, with, without);
    EXPECT_EQ(with, 2);
    EXPECT_EQ(without, 1);

    list().SetLogon("DEMO", "scott", "tiger");
    EXPECT_EQ(list().QueueCaption(), "Host: DEMO    User:  scott");
    EXPECT_EQ(list().QueueCaption("Import"), "Import    Host: DEMO    User:  scott");

    QSignalSpy commands(&list(), &CJobListCtrl::commandRequested);
    // Not connected: double-click and the delete key do nothing; the
    // refresh key is harmless.
    QTest::keyClick(&list(), Qt::Key_Delete);
    QTest::keyClick(&list(), Qt::Key_F5);
    const QRect cell = list().visualRect(list().Model().index(list().FindRow(4), 0));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(commands.count(), 0);
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{4}));

    list().OnCommand(ID_JL_NONE);
    EXPECT_EQ(commands.count(), 0);
    list().OnCommand(ID_JL_PROPERTIES);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toUInt(), static_cast<UINT>(ID_JL_PROPERTIES));
}

TEST_F(JobListCtrl, ContextMenuHoldsNewListsWhileOpenAndCarriesOutTheChoice)
{
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 2)));
    QSignalSpy commands(&list(), &CJobListCtrl::commandRequested);
    std::vector<QString> shown;
    list().SetMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        shown = MenuTexts(menu);
        for (QAction* action : menu.actions())
            if (action->data().toUInt() == ID_JL_PROPERTIES)
                return action;
        return nullptr;
    });
    const QPoint at = list().viewport()->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list().viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list().viewport(), &event);
    EXPECT_EQ(shown, (std::vector<QString>{"Reconnect", "Change connection...", "|", "Properties..."}));
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toUInt(), static_cast<UINT>(ID_JL_PROPERTIES));

    // A disabled list (while a list is installed) opens no menu.
    shown.clear();
    list().setEnabled(false);
    QCoreApplication::sendEvent(list().viewport(), &event);
    EXPECT_TRUE(shown.empty());
    list().setEnabled(true);
}

TEST_F(JobListCtrl, StatusBarCanBeHiddenAndGivesItsHeightToTheList)
{
    QApplication::processEvents();
    const int full = dlg.height();
    EXPECT_EQ(list().height(), full - CJobListStatusCtrl::kHeight);
    EXPECT_TRUE(dlg.StatusBar().isVisible());
    dlg.ShowStatusBar(false);
    EXPECT_EQ(list().height(), full);
    EXPECT_FALSE(dlg.StatusBar().isVisible());
    dlg.ShowStatusBar(true);
    EXPECT_EQ(list().height(), full - CJobListStatusCtrl::kHeight);
    EXPECT_TRUE(dlg.StatusBar().isVisible());
    dlg.resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(list().width(), 600);
    EXPECT_EQ(dlg.StatusBar().y(), 400 - CJobListStatusCtrl::kHeight);
    EXPECT_EQ(dlg.HelpFile(), "..\\help\\qvctrl.chm");
    EXPECT_EQ(dlg.HelpTopic(), "text\\QueueLogon.txt");
}

TEST_F(JobListCtrl, LayoutAndSortStateTravelWithTheSavedState)
{
    Send(&list(), JLM_NEWLIST, 0, List(Numbered(1, 4)));
    list().setColumnWidth(CJobListModel::ColumnIndex(CJobListModel::ColWhat), 321);
    list().sortByColumn(CJobListModel::ColumnIndex(CJobListModel::ColJob), Qt::DescendingOrder);
    const QByteArray saved = list().SaveLayout();

    CSchedulerMainDlg other;
    CJobListCtrl& restored = other.List();
    Send(&restored, JLM_NEWLIST, 0, List(Numbered(1, 4)));
    EXPECT_EQ(restored.Model().Job(0).m_jobNumber, 1);
    ASSERT_TRUE(restored.RestoreLayout(saved));
    EXPECT_EQ(restored.columnWidth(CJobListModel::ColumnIndex(CJobListModel::ColWhat)), 321);
    EXPECT_EQ(restored.Model().Job(0).m_jobNumber, 4);
    EXPECT_EQ(restored.Model().SortOrder(), Qt::DescendingOrder);

    // Garbage changes nothing.
    EXPECT_FALSE(restored.RestoreLayout(QByteArray("not a layout")));
    EXPECT_FALSE(restored.RestoreLayout(QByteArray()));
    EXPECT_EQ(restored.columnWidth(CJobListModel::ColumnIndex(CJobListModel::ColWhat)), 321);
}

// A queue on the demo database, as the user sees it.
class JobListOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        dlg = std::make_unique<CSchedulerMainDlg>();
        dlg->resize(800, 300);
        dlg->show();
        list().Worker().SetViewWarningHandler([this](const std::string& text) { warnings.push_back(text); });
    }
    void TearDown() override
    {
        open.Set();
        if (dlg)
            list().Worker().Stop([] { return true; });
        dlg.reset();
    }
    CJobListCtrl& list() { return dlg->List(); }
    CJobListStatusCtrl& bar() { return dlg->StatusBar(); }
    QString statusText() { return bar().PaneTextOf(CJobListStatusCtrl::PaneText); }

    void ConnectAndWaitForList(const char* user, const char* password, int jobs)
    {
        list().SetLogon("DEMO", user, password);
        ASSERT_TRUE(list().Connect());
        ASSERT_TRUE(WaitUntil([&] {
            return list().Model().rowCount() == jobs && statusText() == QString("Retrieved %1 jobs").arg(jobs);
        })) << statusText().toStdString();
    }

    VkModalScript modal;
    std::unique_ptr<CSchedulerMainDlg> dlg;
    std::vector<std::string> warnings;
    VkEvent reached{true, false}, open{true, false}; // holds the worker in a request
};

TEST_F(JobListOnDemo, ConnectedQueueShowsItsJobsColouredWithVersionAndServerTime)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    EXPECT_TRUE(list().IsConnected());
    EXPECT_EQ(bar().Image(), IDB_TW_DONE);
    EXPECT_FALSE(bar().Animating());
    EXPECT_TRUE(bar().PaneTextOf(CJobListStatusCtrl::PaneVersion).startsWith("Ver: 10."));
    ASSERT_TRUE(WaitUntil([&] { return bar().ServerTimeKnown(); }));
    EXPECT_FALSE(bar().PaneTextOf(CJobListStatusCtrl::PaneTime).isEmpty());

    int red = 0, orange = 0;
    for (int row = 0; row < list().Model().rowCount(); ++row) {
        const QColor colour = CJobListModel::TextColour(list().Model().Job(row));
        red += colour == QColor(220, 0, 0);
        orange += colour == QColor(255, 135, 0);
        if (row > 0) {
            EXPECT_LT(list().Model().Job(row - 1).m_jobNumber, list().Model().Job(row).m_jobNumber);
        }
    }
    EXPECT_EQ(red, 2);
    EXPECT_GE(orange, 1);
    EXPECT_TRUE(list().FlashTimerActive());

    // The menu of a connected queue with one selected job.
    list().SelectJobs({list().Model().Job(0).m_jobNumber});
    const auto items = list().MenuItems();
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const auto& i) { return i.command == ID_JL_MODIFY; }));

    // A refresh keeps the selection; double-click on a single row asks for the detail dialog.
    const LONG selected = list().Model().Job(3).m_jobNumber;
    list().SelectJobs({selected});
    QSignalSpy resets(&list().Model(), &QAbstractItemModel::modelReset);
    ASSERT_TRUE(list().RequestRefresh());
    ASSERT_TRUE(WaitUntil([&] { return resets.count() == 1; }));
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{selected}));
    QSignalSpy commands(&list(), &CJobListCtrl::commandRequested);
    const QRect cell = list().visualRect(list().Model().index(list().FindRow(selected), 0));
    QTest::mouseDClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands[0][0].toUInt(), static_cast<UINT>(ID_JL_MODIFY));
    // The delete key asks before removing; No keeps the job.
    modal.AnswerMessage(IDNO);
    QTest::keyClick(&list(), Qt::Key_Delete);
    ASSERT_EQ(commands.count(), 2);
    EXPECT_EQ(commands[1][0].toUInt(), static_cast<UINT>(ID_JL_REMOVE));
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_EQ(modal.Messages()[0].text, "Are you sure you want to remove this job?");

    // The refresh key reads the list again.
    QTest::keyClick(&list(), Qt::Key_F5);
    ASSERT_TRUE(WaitUntil([&] { return resets.count() == 2; }));
    EXPECT_EQ(list().Model().rowCount(), 9);
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(JobListOnDemo, ListWaitsWhileTheMenuIsOpen)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    QSignalSpy resets(&list().Model(), &QAbstractItemModel::modelReset);
    // While the menu is open, a refresh is read but not handed over.
    list().SetMenuRunner([&](QMenu&, const QPoint&) -> QAction* {
        bar().ApplyStatus(CJobStatusRecord());
        EXPECT_TRUE(list().RequestRefresh());
        EXPECT_TRUE(WaitUntil([&] { return statusText() == "Retrieved 9 jobs" && bar().Image() == IDB_TW_DONE &&
                                           !bar().Animating(); }));
        // A synchronous request queued behind the held refresh cannot be answered.
        list().Worker().SetReplyTimeout(300);
        std::string error;
        EXPECT_FALSE(qvtest::TestSql(list().Worker(), "select 1 from dual", error));
        list().Worker().SetReplyTimeout(CJobQueueWorker::kReplyTimeoutMs);
        EXPECT_EQ(resets.count(), 0);
        return nullptr;
    });
    const QPoint at = list().viewport()->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list().viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list().viewport(), &event);
    ASSERT_TRUE(WaitUntil([&] { return resets.count() == 1; }));
    EXPECT_EQ(list().Model().rowCount(), 9);
}

TEST_F(JobListOnDemo, IdleQueueRefreshesItselfAndKeepsTheSelection)
{
    list().Worker().SetRefreshInterval(1);
    ConnectAndWaitForList("scott", "tiger", 9);
    const LONG selected = list().Model().Job(5).m_jobNumber;
    list().SelectJobs({selected});
    QSignalSpy resets(&list().Model(), &QAbstractItemModel::modelReset);
    // No request from here: the worker's idle time-out asks the list for one.
    ASSERT_TRUE(WaitUntil([&] { return resets.count() >= 2; }));
    EXPECT_EQ(list().Model().rowCount(), 9);
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{selected}));
    list().Worker().SetRefreshInterval(CJobQueueWorker::kNeverRefresh);
}

// What an open job dialog hears: every refresh, after the list is shown.
TEST_F(JobListOnDemo, TheDialogsQueueHearsEachRefresh)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    CJobListDetailQueue queue(list());
    int heard = 0;
    auto context = std::make_unique<QObject>();
    queue.WhenRefreshed(context.get(), [&] {
        EXPECT_EQ(list().Model().rowCount(), 9);
        ++heard;
    });
    list().RequestRefresh();
    ASSERT_TRUE(WaitUntil([&] { return heard == 1; }));
    context.reset();
    list().RequestRefresh();
    QSignalSpy installed(&list(), &CJobListCtrl::listInstalled);
    ASSERT_TRUE(WaitUntil([&] { return installed.count() == 1; }));
    EXPECT_EQ(heard, 1) << "not after its context is gone";
}

TEST_F(JobListOnDemo, ClosingWhileTheWorkerIsBusyAsksWhetherToKeepWaiting)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    // Hold the worker inside its next request until the user answers.
    list().Worker().SetRequestHook([&](LONG kind) {
        if (kind == ReqRefresh) {
            reached.Set();
            open.Wait();
        }
    });
    ASSERT_TRUE(list().RequestRefresh());
    ASSERT_EQ(reached.Wait(60000), VkWaitResult::Signalled);
    list().Worker().SetReplyTimeout(50); // the length of one waiting round
    // Once released, the worker may still need more than one round on a
    // busy machine; every round asks the same question and Retry waits on.
    std::function<int(const VkMessageBoxRequest&)> keepWaiting = [&](const VkMessageBoxRequest& request) {
        EXPECT_TRUE(request.text.startsWith("Still waiting for a thread to terminate."));
        EXPECT_EQ(request.caption, "Job Scheduler");
        EXPECT_EQ(request.style & MB_TYPEMASK, static_cast<UINT>(MB_RETRYCANCEL));
        open.Set();
        modal.AnswerMessage(keepWaiting);
        return IDRETRY;
    };
    modal.AnswerMessage(keepWaiting);
    list().Shutdown(); // the owner's close handling
    const size_t asked = modal.Messages().size();
    EXPECT_GE(asked, 1u);
    EXPECT_EQ(modal.Unexpected(), 0);
    EXPECT_FALSE(list().Worker().Started());
    dlg.reset(); // nothing left to ask
    EXPECT_EQ(modal.Messages().size(), asked);
}

TEST_F(JobListOnDemo, FailedLogonOffersReconnectAndTheImageRetries)
{
    list().SetLogon("DEMO", "scott", "wrong");
    ASSERT_TRUE(list().Connect());
    ASSERT_TRUE(WaitUntil([&] { return bar().Image() == IDB_TW_NOT_CONNECTED && list().Worker().ConnectionState() == TwConnection::NotConnected; }));
    EXPECT_TRUE(statusText().startsWith("ORA-01017"));
    EXPECT_EQ(bar().PaneTipOf(CJobListStatusCtrl::PaneImage), "Not connected. Double-click here to retry.");
    EXPECT_EQ(list().Model().rowCount(), 0);

    // The user fixes the password; a double-click on the image reconnects.
    list().SetLogon("DEMO", "scott", "tiger");
    auto labels = bar().findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 4);
    QTest::mouseDClick(labels[CJobListStatusCtrl::PaneImage], Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 9; }));
    EXPECT_TRUE(list().IsConnected());
    // Reconnect only acts when not connected.
    EXPECT_FALSE(list().Reconnect());
}

TEST_F(JobListOnDemo, UserWithoutTheRunningViewSeesOwnJobsOnlyWithNoneRunning)
{
    list().SetAdministratorView(true);
    ConnectAndWaitForList("appuser", "appuser", 2);
    EXPECT_EQ(warnings.size(), 1u);
    for (int row = 0; row < list().Model().rowCount(); ++row) {
        EXPECT_EQ(list().Model().Job(row).m_logUser, "APPUSER");
        EXPECT_EQ(list().Model().data(list().Model().index(row, CJobListModel::ColumnIndex(CJobListModel::ColRunning)),
                                      Qt::DisplayRole)
                      .toString(),
                  "No");
    }
}

} // namespace

namespace {

// Collects what the list answers a dialog, as posted messages.
class DialogReplies : public QObject {
public:
    std::vector<std::pair<UINT, TwRequestOutcome>> replies;
    bool event(QEvent* e) override
    {
        auto* message = dynamic_cast<VkMessageEvent*>(e);
        if (!message)
            return QObject::event(e);
        if (auto reply = message->TakeRecord<CJobDialogReplyRecord>())
            replies.emplace_back(message->Message(), std::move(reply->m_outcome));
        return true;
    }
};

std::unique_ptr<CJobDialogRequestRecord> DialogRequest(const std::string& text, QObject* replyTo)
{
    auto request = std::make_unique<CJobDialogRequestRecord>();
    request->m_text = text;
    request->m_replyTo = replyTo;
    return request;
}

TEST_F(JobListOnDemo, DialogRequestsAreAnsweredLaterAsPostedMessages)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    DialogReplies dialog;
    // Sent, as a dialog sends them: the list answers after it returned.
    VkSendMessage(&list(), JLM_TESTSQL, 0, 0, DialogRequest("select nonsense from", &dialog));
    VkSendMessage(&list(), JLM_EVALUATE, 0, 0, DialogRequest("select 6 * 7 from dual", &dialog));
    auto save = DialogRequest(std::string(), &dialog);
    save->m_job.m_what = "null;";
    save->m_job.m_nextDate = 46000;
    save->m_job.m_interval = "SYSDATE + 1";
    VkSendMessage(&list(), JLM_SAVEJOB, 0, 0, std::move(save));
    EXPECT_TRUE(dialog.replies.empty());
    ASSERT_TRUE(WaitUntil([&] { return dialog.replies.size() == 3; }));

    EXPECT_EQ(dialog.replies[0].first, JLM_TESTSQL);
    EXPECT_TRUE(dialog.replies[0].second.failed);
    EXPECT_EQ(dialog.replies[0].second.message.rfind("ORA-", 0), 0u) << dialog.replies[0].second.message;
    EXPECT_EQ(dialog.replies[1].first, JLM_EVALUATE);
    ASSERT_TRUE(dialog.replies[1].second.evaluation);
    EXPECT_EQ(dialog.replies[1].second.evaluation->GetString(0, 0), "42");
    EXPECT_EQ(dialog.replies[2].first, JLM_SAVEJOB);
    EXPECT_FALSE(dialog.replies[2].second.failed) << dialog.replies[2].second.message;
    const LONG job = static_cast<LONG>(dialog.replies[2].second.number);
    EXPECT_GT(job, 0);
    // The job is on the server: the next refresh shows it.
    ASSERT_TRUE(list().RequestRefresh());
    ASSERT_TRUE(WaitUntil([&] { return list().FindRow(job) >= 0; }));
}

TEST_F(JobListOnDemo, DialogRequestToABusyWorkerTimesOutWithoutHoldingTheInterface)
{
    ConnectAndWaitForList("scott", "tiger", 9);
    list().Worker().SetRequestHook([&](LONG kind) {
        if (kind == ReqRefresh) {
            reached.Set();
            open.Wait();
        }
    });
    ASSERT_TRUE(list().RequestRefresh());
    ASSERT_EQ(reached.Wait(60000), VkWaitResult::Signalled);
    list().Worker().SetReplyTimeout(100);
    int answers = 0;
    TwRequestOutcome got;
    auto request = DialogRequest("select 1 from dual", nullptr);
    request->m_callback = [&](TwRequestOutcome& outcome) {
        ++answers;
        got = std::move(outcome);
    };
    VkSendMessage(&list(), JLM_TESTSQL, 0, 0, std::move(request));
    ASSERT_TRUE(WaitUntil([&] { return answers > 0; }));
    EXPECT_TRUE(got.failed);
    EXPECT_EQ(got.message, "Timed out waiting for a response.");
    // The late answer goes nowhere.
    open.Set();
    std::string error;
    EXPECT_TRUE(qvtest::TestSql(list().Worker(), "select 1 from dual", error)) << error;
    EXPECT_EQ(answers, 1);
}

} // namespace
