// The job actions on a job list window: its commands and keys reach the
// question and the worker, copy and paste go through the clipboard, drags
// start only from a connected queue and drops take only jobs; and on the
// demo database the requests reach the worker in order.

#include "controls/CJobClipboard.h"
#include "controls/CJobListActions.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobPaste.h"
#include "controls/CSchedulerMainDlg.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <mutex>

namespace {

using qvtest::WaitUntil;

CJobListData Job(LONG number, bool broken = false, BYTE running = 0)
{
    CJobListData job;
    job.m_jobNumber = number;
    job.m_what = "job_" + std::to_string(number) + ";";
    job.m_broken = broken;
    job.m_running = running;
    return job;
}

void Install(CJobListCtrl& list, std::vector<CJobListData> jobs)
{
    auto record = std::make_unique<CJobNewListRecord>();
    record->m_jobs = std::move(jobs);
    VkSendMessage(&list, JLM_NEWLIST, 0, 0, std::move(record));
}

// Stands in for the copy dialog and the new-job save path.
class RecordingPaste : public CJobPasteTarget {
public:
    std::string Host() const override { return host; }
    CJobCopyChoice AskCopy(size_t count, const std::string& from, const std::string& to) override
    {
        asked.push_back(std::to_string(count) + " " + from + " -> " + to);
        return {true, false};
    }
    void BeginWait() override {}
    void EndWait() override {}
    bool SaveNewJob(const CJobListData& job, std::function<void(LONG)> done) override
    {
        saved.push_back(job.m_jobNumber);
        done(0);
        return true;
    }
    bool RequestRefresh() override { return true; }

    std::string host;
    std::vector<std::string> asked;
    std::vector<LONG> saved;
};

class JobListActions : public ::testing::Test {
protected:
    JobListActions()
    {
        dlg.resize(800, 300);
        dlg.show();
        list().SetLogon("DEMO", "scott", "tiger");
        Install(list(), {Job(1, true), Job(2), Job(3, true, 1), Job(4)});
    }
    CJobListCtrl& list() { return dlg.List(); }
    CJobListActions& actions() { return list().Actions(); }

    VkModalScript modal;
    CSchedulerMainDlg dlg;
};

TEST_F(JobListActions, CommandsAskTheirQuestionOwnedByTheList)
{
    const struct {
        UINT command;
        std::vector<LONG> selection;
        const char* question;
    } cases[] = {
        {ID_JL_BREAK, {1, 2, 3}, "2 broken jobs and 1 unbroken job selected. Do you want to toggle these job states now?"},
        {ID_JL_BREAK, {2}, " Do you want to break this job now?"},
        {ID_JL_RUN, {2, 4}, "2 jobs selected.Do you want to run these jobs now."},
        {ID_JL_REMOVE, {}, "0 jobs selelected. Are you sure you want to remove these jobs now?"},
        {ID_JL_STOP, {2, 3, 4}, "Do you want to stop this job now?"},
        {ID_JL_STOP_ALL, {1}, "Are you sure you want to stop all the running jobs in this queue?"},
    };
    for (const auto& c : cases) {
        list().SelectJobs(c.selection);
        modal.AnswerMessage(IDNO);
        list().OnCommand(c.command);
        ASSERT_FALSE(modal.Messages().empty());
        const VkMessageBoxRequest& asked = modal.Messages().back();
        EXPECT_EQ(asked.text.toStdString(), c.question);
        EXPECT_EQ(asked.caption, "Job Scheduler");
        EXPECT_EQ(asked.style, MB_YESNO | MB_ICONQUESTION);
        EXPECT_EQ(asked.owner, &list());
    }
    EXPECT_EQ(modal.Unexpected(), 0);
    // Commands of other parts are not the actions'.
    EXPECT_FALSE(actions().OnCommand(ID_JL_PROPERTIES));
    EXPECT_EQ(modal.Messages().size(), std::size(cases));
}

TEST_F(JobListActions, CopyPutsTextAndJobsOnTheClipboardAndPasteHandsThemOn)
{
    list().SelectJobs({2, 4});
    QTest::keySequence(&list(), QKeySequence::Copy);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->text(), list().Model().RowsAsText(list().SelectedRows()));
    EXPECT_TRUE(data->text().startsWith("2\t"));
    // No one to create the jobs yet: paste is not offered and does nothing.
    EXPECT_FALSE(actions().CanPaste());
    CJobTransferList copied;
    ASSERT_TRUE(CJobClipboard::Read(CJobClipboard::JobsBlock(data), copied));
    EXPECT_EQ(copied.m_sourceHost, "DEMO");
    ASSERT_EQ(copied.m_items.size(), 2u);
    EXPECT_EQ(*copied.m_items[0], list().Model().Job(list().FindRow(2)));
    EXPECT_EQ(*copied.m_items[1], list().Model().Job(list().FindRow(4)));

    EXPECT_FALSE(actions().DoPaste());

    // Into the same queue: the source host shown is the queue's own.
    RecordingPaste paste;
    paste.host = "DEMO";
    actions().SetPasteTarget(&paste);
    EXPECT_TRUE(actions().CanPaste());
    QTest::keySequence(&list(), QKeySequence::Paste);
    EXPECT_EQ(paste.asked, (std::vector<std::string>{"2 DEMO -> DEMO"}));
    EXPECT_EQ(paste.saved, (std::vector<LONG>{2, 4}));

    // Copying no selection keeps the clipboard.
    list().SelectJobs({});
    EXPECT_FALSE(actions().CopySelected());
    EXPECT_TRUE(actions().CanPaste());

    // Plain text on the clipboard is not pasted.
    QApplication::clipboard()->setText("2\tjob_2;");
    EXPECT_FALSE(actions().CanPaste());
    EXPECT_FALSE(actions().DoPaste());
    EXPECT_EQ(paste.asked.size(), 1u);
    actions().SetPasteTarget(nullptr);
}

TEST_F(JobListActions, DragStartsOnlyFromAConnectedQueue)
{
    int drags = 0;
    actions().SetDragRunner([&](QDrag&) {
        ++drags;
        return Qt::CopyAction;
    });
    list().SelectJobs({1, 2});
    EXPECT_FALSE(list().IsConnected());
    EXPECT_FALSE(actions().StartDrag());

    // Pressing on a selected row and moving starts nothing either, and the
    // press still ends as a click on that row.
    const QPoint at = list().visualRect(list().Model().index(list().FindRow(2), 0)).center();
    QTest::mousePress(list().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(list().viewport(), at + QPoint(0, 40));
    QTest::mouseRelease(list().viewport(), Qt::LeftButton, Qt::NoModifier, at + QPoint(0, 40));
    EXPECT_EQ(drags, 0);
    QTest::mousePress(list().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(list().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{2}));
    EXPECT_EQ(drags, 0);
}

TEST_F(JobListActions, WithoutAPasteTargetDropsAreRefused)
{
    QWidget* viewport = list().viewport();
    const QPoint at = viewport->rect().center();
    const std::unique_ptr<QMimeData> jobs = CJobClipboard::Render(QString(), "PROD", {Job(70)});
    ASSERT_TRUE(jobs);
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, jobs.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, jobs.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    EXPECT_FALSE(drop.isAccepted());
}

TEST_F(JobListActions, DropsAcceptOnlyJobs)
{
    RecordingPaste paste;
    paste.host = "DEMO";
    actions().SetPasteTarget(&paste);
    QWidget* viewport = list().viewport();
    const QPoint at = viewport->rect().center();

    QMimeData text;
    text.setText("just text");
    QDragEnterEvent enterText(at, Qt::CopyAction | Qt::MoveAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enterText);
    EXPECT_FALSE(enterText.isAccepted());
    QDropEvent dropText(QPointF(at), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dropText);
    EXPECT_FALSE(dropText.isAccepted());
    EXPECT_TRUE(paste.asked.empty());

    const std::unique_ptr<QMimeData> jobs = CJobClipboard::Render(QString(), "PROD", {Job(70), Job(71), Job(72)});
    ASSERT_TRUE(jobs);
    QDragEnterEvent enterJobs(at, Qt::CopyAction | Qt::MoveAction, jobs.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enterJobs);
    EXPECT_TRUE(enterJobs.isAccepted());
    EXPECT_EQ(enterJobs.dropAction(), Qt::CopyAction);
    QDropEvent dropJobs(QPointF(at), Qt::CopyAction | Qt::MoveAction, jobs.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &dropJobs);
    EXPECT_TRUE(dropJobs.isAccepted());
    EXPECT_EQ(paste.asked, (std::vector<std::string>{"3 PROD -> DEMO"}));
    EXPECT_EQ(paste.saved, (std::vector<LONG>{70, 71, 72}));
    actions().SetPasteTarget(nullptr);
}

// A queue of scott on the demo database.
class JobListActionsOnDemo : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        dlg = std::make_unique<CSchedulerMainDlg>();
        dlg->resize(800, 300);
        dlg->show();
        list().Worker().SetViewWarningHandler([](const std::string&) {});
        list().Worker().SetRequestHook([this](LONG kind) {
            std::lock_guard guard(lock);
            kinds.push_back(kind);
        });
        list().SetLogon("DEMO", "scott", "tiger");
        ASSERT_TRUE(list().Connect());
        ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 9 && statusText() == "Retrieved 9 jobs"; }))
            << statusText().toStdString();
        std::lock_guard guard(lock);
        kinds.clear();
    }
    void TearDown() override
    {
        if (dlg)
            list().Worker().Stop([] { return true; });
        dlg.reset();
    }
    CJobListCtrl& list() { return dlg->List(); }
    QString statusText() { return dlg->StatusBar().PaneTextOf(CJobListStatusCtrl::PaneText); }
    std::vector<LONG> Kinds()
    {
        std::lock_guard guard(lock);
        return kinds;
    }
    // Waits for the worker to take the requests, then for one more request
    // (a refresh) so that everything they posted back has been handled.
    bool WaitForKinds(size_t count)
    {
        if (!WaitUntil([&] { return Kinds().size() >= count; }))
            return false;
        list().RequestRefresh();
        return WaitUntil([&] { return Kinds().size() > count && list().Worker().QueuedRequests() == 0 &&
                                      list().Worker().RunningJobs() == 0; });
    }

    VkModalScript modal;
    std::unique_ptr<CSchedulerMainDlg> dlg;
    std::mutex lock;
    std::vector<LONG> kinds; // as the worker takes them
};

TEST_F(JobListActionsOnDemo, EachActionQueuesOneRequestPerSelectedJob)
{
    const struct {
        UINT command;
        std::vector<LONG> selection;
        std::vector<LONG> kinds;
    } cases[] = {
        {ID_JL_BREAK, {6, 7, 8}, {ReqToggleBroken, ReqToggleBroken, ReqToggleBroken}},
        {ID_JL_STOP, {1, 2, 3}, {ReqStopJob, ReqStopJob, ReqStopJob}},
        {ID_JL_RUN, {5}, {ReqRun}},
        {ID_JL_REMOVE, {2, 9}, {ReqRemove, ReqRemove}},
    };
    for (const auto& c : cases) {
        {
            std::lock_guard guard(lock);
            kinds.clear();
        }
        list().SelectJobs(c.selection);
        modal.AnswerMessage(IDYES);
        list().OnCommand(c.command);
        ASSERT_TRUE(WaitForKinds(c.kinds.size())) << c.command;
        std::vector<LONG> taken = Kinds();
        taken.resize(c.kinds.size());
        EXPECT_EQ(taken, c.kinds) << c.command;
    }
    EXPECT_EQ(modal.Unexpected(), 0);
    EXPECT_TRUE(modal.Exhausted());
}

TEST_F(JobListActionsOnDemo, BreakFlipsEachSelectedJobFromItsOwnState)
{
    auto broken = [&](LONG job) { return list().Model().Job(list().FindRow(job)).m_broken; };
    ASSERT_TRUE(broken(6));
    ASSERT_FALSE(broken(7));
    ASSERT_TRUE(broken(8));
    list().SelectJobs({6, 7, 8});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_BREAK);
    EXPECT_EQ(modal.Messages().at(0).text,
              "2 broken jobs and 1 unbroken job selected. Do you want to toggle these job states now?");
    // Each job is read again and its row updated, without a refresh.
    ASSERT_TRUE(WaitUntil([&] { return !broken(6) && broken(7) && !broken(8); }));
    EXPECT_EQ(Kinds(), (std::vector<LONG>{ReqToggleBroken, ReqToggleBroken, ReqToggleBroken}));
}

TEST_F(JobListActionsOnDemo, NoListIsInstalledWhileTheQuestionIsOpen)
{
    QSignalSpy resets(&list().Model(), &QAbstractItemModel::modelReset);
    list().SelectJobs({7});
    modal.AnswerMessage([&](const VkMessageBoxRequest&) {
        // A refresh is read meanwhile but not handed over.
        dlg->StatusBar().ApplyStatus(CJobStatusRecord());
        EXPECT_TRUE(list().RequestRefresh());
        EXPECT_TRUE(WaitUntil([&] { return statusText() == "Retrieved 9 jobs"; }));
        EXPECT_EQ(resets.count(), 0);
        return IDYES;
    });
    list().OnCommand(ID_JL_BREAK);
    // The list comes once the question closed, and the break queued behind it.
    ASSERT_TRUE(WaitUntil([&] { return resets.count() == 1; }));
    ASSERT_TRUE(WaitUntil([&] { return list().Model().Job(list().FindRow(7)).m_broken; }));
    EXPECT_EQ(Kinds(), (std::vector<LONG>{ReqRefresh, ReqToggleBroken}));
}

TEST_F(JobListActionsOnDemo, RemovedJobsLeaveTheListWithoutARefresh)
{
    list().SelectJobs({2, 9});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_REMOVE);
    ASSERT_TRUE(WaitUntil([&] { return list().Model().rowCount() == 7; }));
    EXPECT_EQ(list().FindRow(2), -1);
    EXPECT_EQ(list().FindRow(9), -1);
    EXPECT_EQ(Kinds(), (std::vector<LONG>{ReqRemove, ReqRemove}));

    // A job that is gone already: the remove fails, nothing is shown, and
    // the row stays until the next refresh.
    list().AddJob(Job(2), true);
    list().SelectJobs({2});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_REMOVE);
    ASSERT_TRUE(WaitUntil([&] { return Kinds().size() == 3 && list().Worker().QueuedRequests() == 0; }));
    list().RequestRefresh();
    ASSERT_TRUE(WaitUntil([&] { return Kinds().size() == 4 && list().FindRow(2) == -1; }))
        << statusText().toStdString();
    EXPECT_EQ(list().Model().rowCount(), 7);
    EXPECT_EQ(modal.Messages().size(), 2u);
}

TEST_F(JobListActionsOnDemo, RunOfAJobThatIsGoneLeavesTheWarning)
{
    list().AddJob(Job(999), true);
    list().SelectJobs({999});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_RUN);
    ASSERT_TRUE(WaitUntil([&] {
        return statusText() == "WARNING: Job number 999 failed to run. Job may not exist - press F5 to refresh list.";
    })) << statusText().toStdString();
    // The row went back to its state as handed over.
    ASSERT_TRUE(WaitUntil([&] { return list().Worker().RunningJobs() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(list().Model().Job(list().FindRow(999)).m_running, 0);
}

TEST_F(JobListActionsOnDemo, RunOfAJobRunsItAndTheNextRefreshShowsIt)
{
    const LONG job = list().Model().Job(0).m_jobNumber;
    const CJobListData before = list().Model().Job(0);
    list().SelectJobs({job});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_RUN);
    EXPECT_EQ(modal.Messages().at(0).text, "Do you want to run this job now?");
    // Once the worker took the refresh behind the run, the run's thread is
    // in its table; when that has ended the job has run.
    list().RequestRefresh();
    ASSERT_TRUE(WaitUntil([&] { return Kinds().size() == 2 && list().Worker().RunningJobs() == 0; }));
    list().RequestRefresh();
    ASSERT_TRUE(WaitUntil([&] { return list().Model().Job(list().FindRow(job)).m_lastDate > before.m_lastDate; }))
        << statusText().toStdString();
    EXPECT_EQ(list().Model().Job(list().FindRow(job)).m_running, 0);
    EXPECT_EQ(statusText().toStdString().find("WARNING"), std::string::npos);
}

TEST_F(JobListActionsOnDemo, StoppingJobsThatAreNotRunningChangesNothing)
{
    const CJobListData before = list().Model().Job(list().FindRow(1));
    list().SelectJobs({1, 2});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_STOP);
    EXPECT_EQ(modal.Messages().at(0).text, "0 running jobs selected. Do you want to stop these job now?");
    ASSERT_TRUE(WaitUntil([&] { return Kinds().size() == 2 && list().Worker().QueuedRequests() == 0; }));
    // No session was found: no error, the busy text stays until the next status.
    ASSERT_TRUE(WaitUntil([&] { return statusText() == "Retrieving Job Queue information"; }))
        << statusText().toStdString();
    EXPECT_FALSE(list().Worker().LastFailed());
    EXPECT_EQ(list().Model().Job(list().FindRow(1)), before);
}

TEST_F(JobListActionsOnDemo, DeleteKeyRemovesAfterTheQuestionAndNoPostsNothing)
{
    list().SelectJobs({4});
    modal.AnswerMessage(IDNO);
    QTest::keyClick(&list(), Qt::Key_Delete);
    ASSERT_EQ(modal.Messages().size(), 1u);
    EXPECT_EQ(modal.Messages()[0].text, "Are you sure you want to remove this job?");
    ASSERT_TRUE(WaitForKinds(0));
    EXPECT_EQ(Kinds(), (std::vector<LONG>{ReqRefresh})); // only the test's own
}

TEST_F(JobListActionsOnDemo, DragCarriesTheSelectedJobsOfAConnectedQueue)
{
    std::vector<LONG> dragged;
    std::string from;
    list().Actions().SetDragRunner([&](QDrag& drag) {
        CJobTransferList jobs;
        if (CJobClipboard::Read(CJobClipboard::JobsBlock(drag.mimeData()), jobs)) {
            from = jobs.m_sourceHost;
            for (const auto& job : jobs.m_items)
                dragged.push_back(job->m_jobNumber);
        }
        return Qt::CopyAction;
    });
    list().SelectJobs({3, 5});
    const QPoint at = list().visualRect(list().Model().index(list().FindRow(5), 0)).center();
    QTest::mousePress(list().viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseMove(list().viewport(), at + QPoint(0, QApplication::startDragDistance() + 5));
    EXPECT_EQ(dragged, (std::vector<LONG>{3, 5}));
    EXPECT_EQ(from, "DEMO");
    // The drag kept the selection.
    EXPECT_EQ(list().SelectedJobNumbers(), (std::vector<LONG>{3, 5}));
}

} // namespace

namespace {

// A run whose own logon fails says why on the status bar.
TEST_F(JobListActionsOnDemo, RunThatCannotLogOnSaysWhy)
{
    const LONG job = list().Model().Job(0).m_jobNumber;
    std::string output;
    ASSERT_EQ(qvtest::Oradmin("shutdown DEMO", &output), 0) << output;
    list().SelectJobs({job});
    modal.AnswerMessage(IDYES);
    list().OnCommand(ID_JL_RUN);
    ASSERT_TRUE(WaitUntil([&] { return statusText().startsWith("ORA-01034"); })) << statusText().toStdString();
    ASSERT_TRUE(WaitUntil([&] { return list().Worker().RunningJobs() == 0; }));
}

} // namespace
