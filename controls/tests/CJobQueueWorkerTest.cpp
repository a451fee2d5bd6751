// The background query worker against the client library and the demo
// databases that "oradmin demo" provisions in the test's data root. Timing
// is driven by events: a request hook holds the worker where a test needs
// it busy, and the tests wait for posted messages, never for time.

#include "controls/CJobQueryColumns.h"
#include "controls/CJobQueueWorker.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"
#include "testsupport/WorkerReceiver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QObject>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using VkOracle::OCISession;

namespace {

using qvtest::WaitUntil;

// Stands in for the job list window: keeps what the worker posts.
class Receiver : public qvtest::WorkerReceiver {
public:
    std::vector<std::unique_ptr<CJobNewListRecord>> lists; // a null entry: "empty the list"
    std::vector<std::pair<WPARAM, CJobListData>> updates;
    std::vector<WPARAM> removed;

protected:
    bool OnMessage(VkMessageEvent& message) override
    {
        switch (message.Message()) {
        case JLM_NEWLIST:
            lists.push_back(message.TakeRecord<CJobNewListRecord>());
            return true;
        case JLM_JOBUPDATE:
            updates.emplace_back(message.WParam(), message.TakeRecord<CJobUpdateRecord>()->m_job);
            return true;
        case JLM_JOBREMOVED:
            removed.push_back(message.WParam());
            return true;
        default:
            return false;
        }
    }
};

class JobQueueWorker : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_worker = std::make_unique<CJobQueueWorker>(&m_receiver);
        m_receiver.requeue = [this](LONG kind) { m_worker->PostRequest(kind); };
        m_worker->SetLoginHandler([this] { ++m_logins; });
        m_worker->SetViewWarningHandler([this](const std::string& text) { m_warnings.push_back(text); });
        m_worker->SetRequestHook([this](LONG kind) {
            m_handled.push_back(kind);
            if (kind == m_holdKind)
                m_gate.Pass();
        });
    }

    void TearDown() override
    {
        m_gate.Release();
        if (m_worker)
            m_worker->Stop([] { return true; });
        m_receiver.requeue = nullptr;
    }

    // Connects and waits for the first list (or the failed logon).
    void ConnectAs(const char* user, const char* password, const char* host)
    {
        m_worker->SetLogon(host, user, password);
        ASSERT_TRUE(m_worker->Connect());
        ASSERT_TRUE(WaitUntil([this] { return m_worker->ConnectionState() != TwConnection::Connecting && m_logins > 0; }));
    }

    void ConnectScott()
    {
        ConnectAs("scott", "tiger", "DEMO");
        ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
        ASSERT_TRUE(WaitUntil([this] { return !m_receiver.lists.empty(); }));
    }

    // A refresh read while the user holds the list: its count is on the
    // status bar, the list itself waits (begin the interaction first).
    void ReadAListTheUserHolds()
    {
        ASSERT_TRUE(m_worker->PostRequest(ReqRefresh));
        ASSERT_TRUE(WaitUntil([this] {
            return std::count_if(m_receiver.statuses.begin(), m_receiver.statuses.end(),
                                 [](const auto& s) { return s.m_text == "Retrieved 9 jobs"; })
                   == 2;
        }));
    }

    // Waits until the worker has handled everything queued so far.
    void Drain()
    {
        std::string error;
        ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
    }

    Receiver m_receiver;
    std::unique_ptr<CJobQueueWorker> m_worker;
    std::atomic<int> m_logins{0};
    std::vector<std::string> m_warnings;
    std::vector<LONG> m_handled; // worker thread, read after a reply
    std::atomic<LONG> m_holdKind{-1};
    qvtest::WorkerGate m_gate;
};

const CJobListData* FindJob(const std::vector<CJobListData>& jobs, const std::string& what)
{
    auto it = std::find_if(jobs.begin(), jobs.end(), [&](const CJobListData& j) { return j.m_what == what; });
    return it == jobs.end() ? nullptr : &*it;
}

TEST_F(JobQueueWorker, ConnectReportsEachStepAndReadsTheOwnJobs)
{
    ConnectScott();
    const auto& s = m_receiver.statuses;
    ASSERT_GE(s.size(), 4u);
    EXPECT_EQ(s[0].m_text, "Connecting (host is \"DEMO\")");
    EXPECT_EQ(s[0].m_image, IDB_TW_CONNECTING);
    EXPECT_EQ(s[0].m_frames, 5);
    EXPECT_TRUE(s[0].m_animate && s[0].m_bounce);
    EXPECT_EQ(s[1].m_text, "Connected");
    EXPECT_EQ(s[1].m_image, IDB_TW_DONE);
    EXPECT_EQ(s[1].m_tip, "Connected");
    EXPECT_EQ(s[2].m_text, "Retrieving Job Queue information");
    EXPECT_EQ(s[2].m_image, IDB_TW_BUSY);
    EXPECT_EQ(s[2].m_frames, 4);
    EXPECT_TRUE(s[2].m_animate && !s[2].m_bounce);
    EXPECT_EQ(s.back().m_text, "Retrieved 9 jobs");
    EXPECT_EQ(s.back().m_image, IDB_TW_DONE);
    EXPECT_FALSE(m_worker->LastFailed());

    ASSERT_EQ(m_receiver.versions.size(), 1u);
    EXPECT_EQ(m_receiver.versions[0].rfind("10.", 0), 0u) << m_receiver.versions[0];
    EXPECT_EQ(m_worker->ServerMajorVersion(), 10);
    EXPECT_TRUE(m_worker->RunningViewVisible());
    EXPECT_TRUE(m_warnings.empty());
    const auto users = m_worker->SchemaUsers();
    EXPECT_NE(std::find(users.begin(), users.end(), "SCOTT"), users.end());
    EXPECT_TRUE(std::is_sorted(users.begin(), users.end()));

    ASSERT_TRUE(m_receiver.lists[0]);
    const auto& jobs = m_receiver.lists[0]->m_jobs;
    ASSERT_EQ(jobs.size(), 9u);
    for (const CJobListData& job : jobs) {
        EXPECT_GT(job.m_jobNumber, 0);
        EXPECT_EQ(job.m_logUser, "SCOTT");
        EXPECT_EQ(job.m_schemaUser, "SCOTT");
        EXPECT_EQ(job.m_running, 0);
        EXPECT_GT(job.m_nextDate, 36526.0);
    }
    const CJobListData* failing = FindJob(jobs, "failing_job;");
    ASSERT_TRUE(failing);
    EXPECT_EQ(std::count_if(jobs.begin(), jobs.end(), [](const auto& j) { return j.m_broken; }), 2);
    const CJobListData* never = FindJob(jobs, "refresh_stats;");
    ASSERT_TRUE(never);
    const CJobListData* weekly = FindJob(jobs, "BEGIN log_action('WEEKLY'); refresh_stats; END;");
    ASSERT_TRUE(weekly);
    EXPECT_EQ(weekly->m_failures, 1);
    EXPECT_EQ(weekly->m_totalTime, 250);
    EXPECT_EQ(weekly->m_interval, "TRUNC(SYSDATE + 7, 'DAY')");
    EXPECT_GT(weekly->m_lastDate, 0.0);

    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.serverTimes.empty(); }));
    EXPECT_GT(m_receiver.serverTimes[0], 36526.0);
    EXPECT_GE(m_logins, 1);
}

TEST_F(JobQueueWorker, AdministratorViewReadsEveryJobAndDisconnectEndsTheSession)
{
    ConnectScott();
    m_worker->SetAdministratorView(true);
    ASSERT_TRUE(m_worker->PostRequest(ReqRefresh, nullptr, nullptr, true));
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.lists.size() == 2; }));
    ASSERT_TRUE(m_receiver.lists[1]);
    const auto& jobs = m_receiver.lists[1]->m_jobs;
    EXPECT_EQ(jobs.size(), 12u);
    EXPECT_TRUE(FindJob(jobs, "purge_settings(30);"));
    EXPECT_EQ(m_receiver.statuses.back().m_text, "Retrieved 12 jobs");

    const int logins = m_logins;
    ASSERT_TRUE(m_worker->PostRequest(ReqDisconnect, nullptr, nullptr, true)) << m_worker->LastMessage();
    EXPECT_EQ(m_worker->ConnectionState(), TwConnection::NotConnected);
    EXPECT_EQ(m_logins, logins + 1);
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.statuses.back().m_image == IDB_TW_NOT_CONNECTED; }));

    // Requests that need the server now fail and say why.
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(*m_worker, "select 1 from dual", error));
    EXPECT_EQ(error, "Not connected.");
}

TEST_F(JobQueueWorker, LogonFailuresAreReportedWithTheServersText)
{
    const struct {
        const char* user;
        const char* password;
        const char* host;
        const char* prefix;
    } cases[] = {{"scott", "wrong", "DEMO", "ORA-01017: "}, {"scott", "tiger", "DOWN", "ORA-01034: "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.host);
        m_receiver.statuses.clear();
        m_logins = 0;
        ConnectAs(c.user, c.password, c.host);
        EXPECT_EQ(m_worker->ConnectionState(), TwConnection::NotConnected);
        EXPECT_TRUE(m_worker->LastFailed());
        EXPECT_EQ(m_worker->LastMessage().rfind(c.prefix, 0), 0u) << m_worker->LastMessage();
        ASSERT_TRUE(WaitUntil([this] { return m_receiver.statuses.size() >= 2; }));
        const CJobStatusRecord& result = m_receiver.statuses[1];
        EXPECT_EQ(result.m_text, m_worker->LastMessage());
        EXPECT_EQ(result.m_image, IDB_TW_NOT_CONNECTED);
        EXPECT_EQ(result.m_tip, "Not connected. Double-click here to retry.");
        EXPECT_TRUE(m_receiver.versions.empty());
        EXPECT_TRUE(m_receiver.queued.empty());
    }
}

TEST_F(JobQueueWorker, UserWithoutTheRunningViewIsWarnedAndSeesOwnJobsOnly)
{
    m_worker->SetAdministratorView(true);
    ConnectAs("appuser", "appuser", "DEMO");
    ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.lists.empty(); }));
    EXPECT_FALSE(m_worker->RunningViewVisible());
    ASSERT_EQ(m_warnings.size(), 1u);
    EXPECT_EQ(m_warnings[0].rfind("This user account does not have access", 0), 0u);
    ASSERT_TRUE(m_receiver.lists[0]);
    const auto& jobs = m_receiver.lists[0]->m_jobs;
    ASSERT_EQ(jobs.size(), 2u);
    for (const CJobListData& job : jobs)
        EXPECT_EQ(job.m_logUser, "APPUSER");

    // A control restored from saved state does not warn again.
    m_worker->SetWarnAboutView(false);
    ASSERT_TRUE(m_worker->PostRequest(ReqConnect, nullptr, nullptr, true));
    EXPECT_EQ(m_warnings.size(), 1u);
}

// Runs statements as an administrator of the demo database.
void RunAs(const char* logon, std::initializer_list<const char*> statements)
{
    OCISession session(true);
    session.SetUserName(logon);
    ASSERT_TRUE(session.Connect()) << session.Error();
    for (const char* sql : statements) {
        auto cursor = session.Cursor();
        std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql(sql));
        ASSERT_TRUE(data) << sql << ": " << cursor.Error();
        data->Execute();
    }
}

TEST_F(JobQueueWorker, UserWithoutJobsGetsAnEmptyList)
{
    RunAs("system/manager@DEMO", {"CREATE USER NOJOBS IDENTIFIED BY NOJOBS", "GRANT CONNECT TO NOJOBS"});
    ConnectAs("nojobs", "nojobs", "DEMO");
    ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.lists.empty(); }));
    EXPECT_FALSE(m_receiver.lists[0]); // none: the shown list is emptied
    EXPECT_EQ(m_receiver.statuses.back().m_text, "Retrieved 0 jobs");
    EXPECT_EQ(m_receiver.statuses.back().m_image, IDB_TW_DONE);
    EXPECT_FALSE(m_worker->LastFailed());
}

// The running view is visible but the administrator's job view is not: the
// list query keeps failing on a sound connection. One reconnect, then the
// error stays on the status bar instead of a reconnect loop.
TEST_F(JobQueueWorker, ListQueryThatKeepsFailingReconnectsOnlyOnce)
{
    RunAs("sys/change_on_install@DEMO", {"CREATE USER HALFWAY IDENTIFIED BY HALFWAY", "GRANT CONNECT TO HALFWAY",
                                         "GRANT SELECT ON SYS.DBA_JOBS_RUNNING TO HALFWAY"});
    m_worker->SetAdministratorView(true);
    ConnectAs("halfway", "halfway", "DEMO");
    ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
    EXPECT_TRUE(m_worker->RunningViewVisible());
    auto failures = [this] {
        return std::count_if(m_receiver.statuses.begin(), m_receiver.statuses.end(),
                             [](const auto& s) { return s.m_text.rfind("ORA-00942", 0) == 0; });
    };
    ASSERT_TRUE(WaitUntil([&] { return failures() == 2; }));
    Drain();
    QCoreApplication::processEvents();
    EXPECT_EQ(failures(), 2);
    EXPECT_EQ(std::count(m_receiver.queued.begin(), m_receiver.queued.end(), ReqConnect), 1);
    EXPECT_TRUE(m_receiver.lists.empty());
    EXPECT_TRUE(m_worker->IsConnected());
}

// Records message boxes and answers OK.
class BoxRecorder : public VkModalAnswerer {
public:
    std::vector<VkMessageBoxRequest> boxes;
    int OnMessageBox(const VkMessageBoxRequest& request) override
    {
        boxes.push_back(request);
        return IDOK;
    }
    bool OnFileDialog(VkFileDialogRequest&) override { return false; }
    int OnDialog(QDialog*) override { return 0; }
};

TEST_F(JobQueueWorker, MissingViewWarningGoesThroughTheModalServiceOnTheUserInterfaceThread)
{
    BoxRecorder boxes;
    VkModalService::SetAnswerer(&boxes);
    m_worker->SetViewWarningHandler(nullptr);
    ConnectAs("appuser", "appuser", "DEMO");
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.lists.empty(); }));
    VkModalService::SetAnswerer(nullptr);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text.toStdString(), QVCtrlStrings().Load(IDS_JW_VIEW_WARNING));
    EXPECT_TRUE(boxes.boxes[0].text.endsWith("Grant select on sys.dba_jobs_running to <user / PUBLIC> ;"));
    EXPECT_EQ(boxes.boxes[0].caption, "Job Scheduler");
    EXPECT_EQ(boxes.boxes[0].style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(boxes.boxes[0].owner, nullptr);
}

TEST_F(JobQueueWorker, EvaluateHandsOverTheFirstRow)
{
    ConnectScott();
    std::string error;
    auto result = qvtest::Evaluate(*m_worker, "select SYSDATE + 1 col1, SYSDATE col2 from dual", error);
    ASSERT_TRUE(result) << error;
    ASSERT_EQ(result->Rows(), 1);
    EXPECT_NEAR(result->GetDate(0, 0) - result->GetDate(0, 1), 1.0, 1e-9);

    const struct {
        const char* query;
        const char* prefix;
    } failures[] = {{"select from", "ORA-"}, {"select TO_DATE('31-02-2026', 'DD-MM-YYYY') from dual", "ORA-"}};
    for (const auto& f : failures) {
        error.clear();
        EXPECT_FALSE(qvtest::Evaluate(*m_worker, f.query, error)) << f.query;
        EXPECT_EQ(error.rfind(f.prefix, 0), 0u) << f.query << ": " << error;
        EXPECT_TRUE(m_worker->LastFailed());
    }
}

// Blocks the server refuses (an undeclared procedure, another user's job)
// come back through the normal failure path.
TEST_F(JobQueueWorker, PlsqlRequestsReportTheServersRefusal)
{
    ConnectScott();
    CJobListData job = m_receiver.lists[0]->m_jobs[0];
    job.m_jobNumber = 10; // APPUSER's job: not in SCOTT's queue
    std::string error;

    EXPECT_FALSE(qvtest::TestSql(*m_worker, "BEGIN no_such_proc; END;", error));
    EXPECT_EQ(error.rfind("ORA-06550", 0), 0u) << error;

    m_receiver.statuses.clear();
    error.clear();
    TwRequestOutcome submitted = qvtest::AwaitReply([&](QObject* context, TwReplyCallback reply) {
        return m_worker->Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'no_such_proc;', SYSDATE, 'SYSDATE+1'); END;",
                                "SCOTT", context, reply);
    });
    EXPECT_TRUE(submitted.failed);
    EXPECT_EQ(submitted.number, 0);
    error = submitted.message;
    EXPECT_EQ(error.rfind("ORA-06550", 0), 0u) << error;
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.statuses.size() >= 2; }));
    EXPECT_EQ(m_receiver.statuses[0].m_text, "Retrieving Job Queue information");
    EXPECT_EQ(m_receiver.statuses.back().m_image, IDB_TW_DONE);
    EXPECT_EQ(m_receiver.statuses.back().m_text, error);

    TwRequestOutcome changed = qvtest::AwaitReply([&](QObject* context, TwReplyCallback reply) {
        return m_worker->Change("BEGIN DBMS_JOB.CHANGE(10, 'null;', SYSDATE, NULL); END;", job, context, reply);
    });
    EXPECT_TRUE(changed.failed);
    EXPECT_EQ(changed.number, 0);
    EXPECT_EQ(changed.message.rfind("ORA-23421", 0), 0u) << changed.message;

    // Remove and break are silent on the status bar; a waiting caller still
    // learns the outcome, and no row is touched.
    QCoreApplication::processEvents();
    const size_t statuses = m_receiver.statuses.size();
    EXPECT_FALSE(m_worker->PostRequest(ReqRemove, nullptr, &job, true));
    EXPECT_FALSE(m_worker->PostRequest(ReqToggleBroken, nullptr, &job, true));
    EXPECT_EQ(m_worker->LastMessage().rfind("ORA-23421", 0), 0u) << m_worker->LastMessage();

    // A run gets its own thread and session; the row shows running, then
    // as it was, and a warning tells that the run failed.
    ASSERT_TRUE(m_worker->PostRequest(ReqRun, nullptr, &job));
    Drain();
    m_worker->Stop([] { return true; });
    EXPECT_EQ(m_worker->RunningJobs(), 0u);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_receiver.removed.empty());
    ASSERT_EQ(m_receiver.updates.size(), 2u);
    EXPECT_TRUE(m_receiver.updates[0].second.m_running);
    EXPECT_EQ(m_receiver.updates[1].second, job);
    ASSERT_EQ(m_receiver.statuses.size(), statuses + 1);
    EXPECT_EQ(m_receiver.statuses.back().m_text,
              "WARNING: Job number 10 failed to run. Job may not exist - press F5 to refresh list.");
}

TEST_F(JobQueueWorker, StopForAJobThatIsNotRunningReportsNothingFurther)
{
    ConnectScott();
    const CJobListData job = m_receiver.lists[0]->m_jobs[0];
    m_receiver.statuses.clear();
    ASSERT_TRUE(m_worker->PostRequest(ReqStopJob, nullptr, &job, true)) << m_worker->LastMessage();
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.statuses.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(m_receiver.statuses.size(), 1u);
    EXPECT_EQ(m_receiver.statuses[0].m_text, "Retrieving Job Queue information");
    EXPECT_TRUE(m_receiver.updates.empty());
}

TEST_F(JobQueueWorker, NewListWaitsWhileTheUserInteracts)
{
    ConnectScott();
    m_worker->BeginInteraction();
    m_worker->BeginInteraction();
    ReadAListTheUserHolds();
    m_worker->SetReplyTimeout(300);
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(*m_worker, "select 1 from dual", error)); // the worker is held
    EXPECT_EQ(m_receiver.lists.size(), 1u);
    m_worker->EndInteraction();
    EXPECT_EQ(m_receiver.lists.size(), 1u);
    m_worker->EndInteraction();
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.lists.size() == 2; }));
}

TEST_F(JobQueueWorker, StopDiscardsAHeldListAndQueuedRequests)
{
    ConnectScott();
    // A list waiting for the user is dropped when the control goes.
    m_worker->BeginInteraction();
    ReadAListTheUserHolds();
    m_holdKind = ReqParse;
    m_gate.Hold();
    const std::string sql = "select 1 from dual";
    ASSERT_TRUE(m_worker->PostRequest(ReqParse, &sql));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_worker->PostRequest(ReqEvaluate, &sql));
    m_worker->EndInteraction();
    ASSERT_TRUE(m_gate.Reached());
    EXPECT_EQ(m_worker->QueuedRequests(), 3u);
    ASSERT_TRUE(m_worker->PostRequest(ReqShutdown));
    EXPECT_EQ(m_worker->QueuedRequests(), 1u);
    EXPECT_FALSE(m_worker->PostRequest(ReqRefresh)); // nothing goes behind a shutdown
    m_gate.Release();
    m_worker->Stop([] { return false; });
    EXPECT_EQ(m_handled.back(), ReqShutdown);
    EXPECT_EQ(std::count(m_handled.begin(), m_handled.end(), ReqEvaluate), 0);
    EXPECT_FALSE(m_worker->Connect());
}

TEST_F(JobQueueWorker, StopWhileAListWaitsForTheUserPostsNothing)
{
    ConnectScott();
    m_worker->BeginInteraction();
    ReadAListTheUserHolds();
    m_worker->Stop([] { return false; });
    QCoreApplication::processEvents();
    EXPECT_EQ(m_receiver.lists.size(), 1u);
}

TEST_F(JobQueueWorker, IdleConnectedWorkerAsksForARefreshOnce)
{
    m_worker->SetRefreshInterval(1);
    ConnectScott();
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.lists.size() >= 2; }));
    // Every automatic refresh came through JLM_QUEUE and was read.
    EXPECT_GE(std::count(m_receiver.queued.begin(), m_receiver.queued.end(), ReqRefresh), 2);
}

// A database shut down under a connected queue: the refresh fails with the
// instance unavailable, the worker asks for a disconnect and a connect, and
// the connect fails until the database is open again; a reconnect with the
// same details then reads the list again.
TEST_F(JobQueueWorker, DownDatabaseAtRefreshReconnectsAndReadsAgainWhenOpen)
{
    ConnectScott();
    ASSERT_EQ(qvtest::Oradmin("shutdown DEMO"), 0);
    const int logins = m_logins;
    ASSERT_TRUE(m_worker->PostRequest(ReqRefresh));
    ASSERT_TRUE(WaitUntil([&] { return m_logins >= logins + 2 && m_worker->ConnectionState() == TwConnection::NotConnected; }));
    EXPECT_NE(std::find(m_receiver.queued.begin(), m_receiver.queued.end(), ReqDisconnect), m_receiver.queued.end());
    EXPECT_TRUE(m_worker->LastFailed());
    EXPECT_EQ(m_worker->LastMessage().rfind("ORA-01034", 0), 0u) << m_worker->LastMessage();
    EXPECT_EQ(m_receiver.lists.size(), 1u);

    ASSERT_EQ(qvtest::Oradmin("startup DEMO"), 0);
    ASSERT_TRUE(m_worker->PostRequest(ReqConnect, nullptr, nullptr, true)) << m_worker->LastMessage();
    EXPECT_TRUE(m_worker->IsConnected());
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.lists.size() == 2; }));
    ASSERT_TRUE(m_receiver.lists[1]);
    EXPECT_EQ(m_receiver.lists[1]->m_jobs.size(), 9u);
}

TEST(CJobQueryColumns, ChoosesTheListQueryByViewAndAdministratorView)
{
    const struct {
        bool visible;
        bool admin;
        UINT id;
        const char* from;
    } cases[] = {
        {true, true, IDS_JW_SQL_JOBS_ALL_RUNNING, "RUNNING  FROM sys.dba_jobs j, sys.dba_jobs_running r"},
        {true, false, IDS_JW_SQL_JOBS_OWN_RUNNING, "RUNNING  FROM sys.user_jobs j, sys.dba_jobs_running r"},
        {false, true, IDS_JW_SQL_JOBS_OWN, "j.TOTAL_TIME  FROM sys.user_jobs j"},
        {false, false, IDS_JW_SQL_JOBS_OWN, "j.TOTAL_TIME  FROM sys.user_jobs j"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CJobQueryColumns::JobListQuery(c.visible, c.admin), c.id);
        EXPECT_NE(QVCtrlStrings().Load(c.id).find(c.from), std::string::npos) << c.from;
    }
}

TEST(CJobQueryColumns, FlagsReadAsTheServerWritesThem)
{
    const struct {
        const char* cell;
        bool flag;
    } cases[] = {{"Y", true}, {"N", false}, {"Yes", true}, {"No", false}, {"1", true},
                 {"0", false}, {"", false}, {"TRUE", true}, {"2", true}, {"0.0", false}};
    for (const auto& c : cases)
        EXPECT_EQ(CJobQueryColumns::Flag(c.cell), c.flag) << c.cell;
}

} // namespace
