// The grid's worker against the client library and the demo database that
// "oradmin demo" provisions in the test's data root. Timing is driven by
// events: a row hook pauses or stops a run at a known row, and the tests
// wait for posted messages, never for time.

#include "generic/VkModalScript.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridWorker.h"
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

namespace {

using qvtest::WaitUntil;

// Stands in for the grid: keeps what the worker posts.
class Receiver : public qvtest::WorkerReceiver {
public:
    std::vector<std::unique_ptr<TwGridResultRecord>> results;
    std::vector<std::unique_ptr<TwGridCellValuesRecord>> cellValues;
    std::vector<LONG> runStates;

    std::vector<std::string> StatusTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& s : statuses)
            texts.push_back(s.m_text);
        return texts;
    }

protected:
    bool OnMessage(VkMessageEvent& message) override
    {
        switch (message.Message()) {
        case GVM_NEWRESULT:
            results.push_back(message.TakeRecord<TwGridResultRecord>());
            return true;
        case GVM_CELLVALUES:
            cellValues.push_back(message.TakeRecord<TwGridCellValuesRecord>());
            return true;
        case GVM_RUNSTATE:
            runStates.push_back(static_cast<LONG>(message.WParam()));
            return true;
        default:
            return false;
        }
    }
};

std::string Text(UINT id)
{
    return TwQlVwStrings().Load(id);
}

std::string Retrieved(long rows)
{
    return TwQlVwStrings().Format(IDS_GV_RETRIEVED, rows);
}

class GridWorker : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_worker = std::make_unique<TwQuillGridWorker>(&m_receiver);
        m_receiver.requeue = [this](LONG kind) { m_worker->PostRequest(kind); };
        m_worker->SetLoginHandler([this] { ++m_logins; });
    }

    void TearDown() override
    {
        if (m_worker)
            m_worker->Stop([] { return true; });
        m_receiver.requeue = nullptr;
    }

    void ConnectScott()
    {
        m_worker->SetLogon("DEMO", "scott", "tiger");
        ASSERT_TRUE(m_worker->Connect());
        ASSERT_TRUE(WaitUntil([this] { return m_logins > 0; }));
        ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
        // The login is raised on the worker thread, maybe before the
        // connect's statuses were delivered here; take them now.
        std::string error;
        ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
        QCoreApplication::processEvents();
    }

    // Runs text and waits until the worker is idle again.
    void RunAndWait(const std::string& text)
    {
        const size_t states = m_receiver.runStates.size();
        ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text));
        ASSERT_TRUE(WaitUntil([&] {
            return m_receiver.runStates.size() > states && m_receiver.runStates.back() == GvIdle;
        }));
        // Whatever the run posted after going idle comes before this answer.
        std::string error;
        ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
        QCoreApplication::processEvents();
    }

    Receiver m_receiver;
    std::unique_ptr<TwQuillGridWorker> m_worker;
    std::atomic<int> m_logins{0};
};

TEST_F(GridWorker, ConnectWithoutDetailsReportsHowToSetThemAndStaysDisconnected)
{
    ASSERT_TRUE(m_worker->Connect());
    ASSERT_TRUE(WaitUntil([this] { return m_logins > 0; }));
    EXPECT_FALSE(m_worker->IsConnected());
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.statuses.empty(); }));
    EXPECT_EQ(m_receiver.statuses.back().m_text, Text(IDS_GV_NO_DETAILS));
    EXPECT_TRUE(m_worker->LastFailed());
    // No connect was tried, so nothing said "Connecting".
    EXPECT_FALSE(m_receiver.HasStatus(TwQlVwStrings().Format(IDS_GV_CONNECTING, "")));
}

TEST_F(GridWorker, ConnectReportsStepsAndVersionAndAWrongPasswordFails)
{
    ConnectScott();
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.versions.empty(); }));
    EXPECT_FALSE(m_receiver.versions.front().empty());
    EXPECT_TRUE(m_receiver.HasStatus(TwQlVwStrings().Format(IDS_GV_CONNECTING, "DEMO")));
    EXPECT_TRUE(m_receiver.HasStatus(Text(IDS_GV_CONNECTED)));

    m_worker->SetLogon("DEMO", "scott", "wrong");
    m_logins = 0;
    ASSERT_TRUE(m_worker->Connect());
    ASSERT_TRUE(WaitUntil([this] { return m_logins > 0; }));
    EXPECT_FALSE(m_worker->IsConnected());
    EXPECT_TRUE(m_worker->LastFailed());
    EXPECT_NE(m_worker->LastMessage().find("ORA-"), std::string::npos) << m_worker->LastMessage();
}

// Each run reports after every batch of (at most) 20 rows and ends with
// the total, the limit named only when it cut rows off.
TEST_F(GridWorker, RowLimitFetchesInBatchesAndNamesTheLimitOnlyWhenItCut)
{
    struct Case {
        LONG maximum;
        long queryRows;
        std::vector<long> batches;
        std::string end;
    };
    const std::vector<Case> cases = {
        {50, 120, {20, 40, 50}, Retrieved(50) + TwQlVwStrings().Format(IDS_GV_FETCH_LIMIT, 50L)},
        {-1, 45, {20, 40, 45}, Retrieved(45)},
        {45, 45, {20, 40, 45}, Retrieved(45)},
        {0, 10, {}, Retrieved(0) + TwQlVwStrings().Format(IDS_GV_FETCH_LIMIT, 0L)},
        {-1, 0, {}, Retrieved(0)},
    };
    ConnectScott();
    for (const Case& c : cases) {
        SCOPED_TRACE("maximum " + std::to_string(c.maximum) + ", rows " + std::to_string(c.queryRows));
        m_worker->SetMaximumRows(c.maximum);
        m_receiver.statuses.clear();
        m_receiver.results.clear();
        RunAndWait("SELECT LOG_ID, USERNAME FROM AUDIT_LOG WHERE ROWNUM <= " + std::to_string(c.queryRows));
        ASSERT_EQ(m_receiver.results.size(), 1u);
        const auto& result = *m_receiver.results.front();
        EXPECT_EQ(result.m_columns, (std::vector<std::string>{"LOG_ID", "USERNAME"}));
        const long expectedRows = c.maximum >= 0 ? std::min<long>(c.maximum, c.queryRows) : c.queryRows;
        EXPECT_EQ(static_cast<long>(result.m_rows.size()), expectedRows);
        std::vector<std::string> expected = {Text(IDS_GV_RUNNING_SQL)};
        for (long batch : c.batches)
            expected.push_back(Retrieved(batch));
        expected.push_back(c.end);
        EXPECT_EQ(m_receiver.StatusTexts(), expected);
    }
}

TEST_F(GridWorker, ParseAndFetchErrorsReportTheServersTextAndPostNoResult)
{
    ConnectScott();
    for (const char* text : {"SELECT NOTHING FROM NO_SUCH_TABLE", "SELEC 1 FROM DUAL"}) {
        SCOPED_TRACE(text);
        m_receiver.results.clear();
        RunAndWait(text);
        EXPECT_TRUE(m_receiver.results.empty());
        EXPECT_NE(m_receiver.statuses.back().m_text.find("ORA-"), std::string::npos)
            << m_receiver.statuses.back().m_text;
    }
}

TEST_F(GridWorker, RunSwitchesToTheNamedSchemaFirstAndStopsWhenItCannot)
{
    ConnectScott();
    const std::string text = "SELECT COUNT(*) FROM EMP";
    const std::string scott = "SCOTT";
    ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text, false, &scott));
    ASSERT_TRUE(WaitUntil([&] { return !m_receiver.results.empty(); }));
    EXPECT_EQ(m_receiver.results.front()->m_rows.at(0).at(0), "14");

    m_receiver.results.clear();
    m_receiver.statuses.clear();
    const std::string missing = "NO_SUCH_SCHEMA";
    ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text, false, &missing));
    std::string error;
    ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_receiver.results.empty());
    ASSERT_FALSE(m_receiver.statuses.empty());
    EXPECT_NE(m_receiver.statuses.back().m_text.find("ORA-"), std::string::npos) << m_receiver.statuses.back().m_text;
}

// A database shut down under a connected grid: the run fails with the
// instance unavailable, the worker asks for a disconnect and a connect,
// which fails until the database is open again.
TEST_F(GridWorker, DownDatabaseAtRunReconnectsAndRunsAgainWhenOpen)
{
    ConnectScott();
    ASSERT_EQ(qvtest::Oradmin("shutdown DEMO"), 0);
    const int logins = m_logins;
    const std::string text = "SELECT * FROM DEPT";
    ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text));
    ASSERT_TRUE(WaitUntil([&] { return m_logins >= logins + 2 && m_worker->ConnectionState() == TwConnection::NotConnected; }));
    EXPECT_NE(std::find(m_receiver.queued.begin(), m_receiver.queued.end(), GvReqDisconnect),
              m_receiver.queued.end());
    EXPECT_EQ(m_worker->LastMessage().rfind("ORA-01034", 0), 0u) << m_worker->LastMessage();
    EXPECT_TRUE(m_receiver.results.empty());

    ASSERT_EQ(qvtest::Oradmin("startup DEMO"), 0);
    ASSERT_TRUE(m_worker->PostRequest(GvReqConnect, nullptr, true)) << m_worker->LastMessage();
    EXPECT_TRUE(m_worker->IsConnected());
    RunAndWait(text);
    ASSERT_EQ(m_receiver.results.size(), 1u);
    EXPECT_EQ(m_receiver.results.front()->m_rows.size(), 4u);
}

TEST_F(GridWorker, RefreshRunsTheGridsOwnText)
{
    ConnectScott();
    m_worker->SetSqlText("SELECT ENAME FROM EMP WHERE DEPTNO = 10 ORDER BY ENAME");
    const size_t states = m_receiver.runStates.size();
    ASSERT_TRUE(m_worker->PostRequest(GvReqRefresh));
    ASSERT_TRUE(WaitUntil([&] { return !m_receiver.results.empty(); }));
    const auto& rows = m_receiver.results.front()->m_rows;
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][0], "CLARK");
    EXPECT_EQ(rows[2][0], "MILLER");
    ASSERT_TRUE(WaitUntil([&] { return m_receiver.runStates.size() > states && m_worker->RunState() == GvIdle; }));
}

// Pause at a known row, then stop, resume or abort it.
TEST_F(GridWorker, PausedRunEndsAsTheUserSays)
{
    enum class Then { Stop, Resume, Abort };
    struct Case {
        Then then;
        LONG maximum;
        size_t rows; // kept rows; 0 with no result at all
        std::string end;
        std::vector<LONG> states;
    };
    const std::vector<Case> cases = {
        {Then::Stop, -1, 30, Retrieved(30) + Text(IDS_GV_STOPPED), {GvRunning, GvPaused, GvStopRequested, GvIdle}},
        {Then::Resume, 100, 100, Retrieved(100) + TwQlVwStrings().Format(IDS_GV_FETCH_LIMIT, 100L),
         {GvRunning, GvPaused, GvRunning, GvIdle}},
        {Then::Abort, -1, 0, Text(IDS_GV_ABORTED), {GvRunning, GvPaused, GvAbortRequested, GvIdle}},
    };
    ConnectScott();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        m_worker->SetMaximumRows(c.maximum);
        m_receiver.statuses.clear();
        m_receiver.results.clear();
        m_receiver.runStates.clear();
        // The worker pauses itself at row 30, as if the user had pressed Pause.
        m_worker->SetRowHook([this](long rows) {
            if (rows == 30)
                m_worker->TogglePause();
        });
        const std::string text = "SELECT * FROM AUDIT_LOG";
        ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text));
        ASSERT_TRUE(WaitUntil([&] { return m_worker->RunState() == GvPaused; }));
        ASSERT_TRUE(WaitUntil([&] { return m_receiver.HasStatus(Text(IDS_GV_PAUSED)); }));
        EXPECT_TRUE(m_receiver.results.empty());
        if (c.then == Then::Stop)
            m_worker->StopRun();
        else if (c.then == Then::Resume)
            m_worker->TogglePause();
        else
            m_worker->AbortRun();
        ASSERT_TRUE(WaitUntil([&] { return m_receiver.runStates.size() >= c.states.size(); }));
        std::string error;
        ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
        QCoreApplication::processEvents();
        m_worker->SetRowHook(nullptr);
        EXPECT_EQ(m_receiver.runStates, c.states);
        EXPECT_EQ(m_receiver.statuses.back().m_text, c.end);
        if (c.rows == 0) {
            EXPECT_TRUE(m_receiver.results.empty());
        } else {
            ASSERT_EQ(m_receiver.results.size(), 1u);
            EXPECT_EQ(m_receiver.results.front()->m_rows.size(), c.rows);
        }
    }
}

TEST_F(GridWorker, StopAndAbortLeaveAnIdleGridIdle)
{
    ConnectScott();
    m_worker->StopRun();
    m_worker->AbortRun();
    m_worker->TogglePause();
    EXPECT_EQ(m_worker->RunState(), GvIdle);
    std::string error;
    ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_receiver.runStates.empty());
}

TEST_F(GridWorker, CellSqlShowsFirstValueOrDashOrError)
{
    ConnectScott();
    m_worker->SetCellSqlItems({
        {0, 1, "", "count", "SELECT COUNT(*) FROM EMP"},
        {1, 0, "", "no row", "SELECT ENAME FROM EMP WHERE 1 = 0"},
        {2, 2, "", "bad", "SELEC ENAME FROM EMP"},
        {3, 0, "", "empty", ""},
    });
    RunAndWait("SELECT * FROM DEPT");
    ASSERT_EQ(m_receiver.cellValues.size(), 1u);
    const auto& values = m_receiver.cellValues.front()->m_values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].row, 0);
    EXPECT_EQ(values[0].column, 1);
    EXPECT_EQ(values[0].text, "14");
    EXPECT_EQ(values[1].text, Text(IDS_GV_CELL_EMPTY));
    EXPECT_EQ(values[2].text, Text(IDS_GV_CELL_ERROR));
    EXPECT_TRUE(m_receiver.HasStatus(TwQlVwStrings().Format(IDS_GV_PROCESSING_CELL, "SELECT COUNT(*) FROM EMP")));
    // The run's end text is shown again once the cells are done.
    EXPECT_EQ(m_receiver.statuses.back().m_text, Retrieved(4));
}

TEST_F(GridWorker, MonitorModeRunsAtConnectAndAgainAfterTheInterval)
{
    m_worker->SetMonitorMode(true);
    m_worker->SetRefreshInterval(1);
    m_worker->SetSqlText("SELECT DNAME FROM DEPT");
    ConnectScott();
    ASSERT_TRUE(WaitUntil([this] { return m_receiver.results.size() >= 2; }));
    EXPECT_GE(std::count(m_receiver.queued.begin(), m_receiver.queued.end(), GvReqRefresh), 2);
    EXPECT_EQ(m_receiver.results.back()->m_rows.size(), 4u);
}

TEST_F(GridWorker, MonitorModeTurnedOnWhileConnectedStartsRefreshing)
{
    m_worker->SetRefreshInterval(1);
    m_worker->SetSqlText("SELECT DNAME FROM DEPT");
    ConnectScott();
    std::string error;
    ASSERT_TRUE(qvtest::TestSql(*m_worker, "select 1 from dual", error)) << error;
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_receiver.queued.empty());
    m_worker->SetMonitorMode(true);
    ASSERT_TRUE(WaitUntil([this] { return !m_receiver.results.empty(); }));
    EXPECT_EQ(m_receiver.queued.front(), GvReqRefresh);
}

TEST_F(GridWorker, SyntaxCheckAndEvaluationAnswerTheirCaller)
{
    ConnectScott();
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(*m_worker, "SELEC 1 FROM DUAL", error));
    EXPECT_NE(error.find("ORA-"), std::string::npos) << error;
    auto value = qvtest::Evaluate(*m_worker, "SELECT 6 * 7 FROM DUAL", error);
    ASSERT_NE(value, nullptr) << error;
    EXPECT_EQ(value->GetString(0, 0), "42");
}

TEST_F(GridWorker, ShutdownWakesAPausedRunAndPostsNoResult)
{
    ConnectScott();
    m_worker->SetRowHook([this](long rows) {
        if (rows == 10)
            m_worker->TogglePause();
    });
    const std::string text = "SELECT * FROM AUDIT_LOG";
    ASSERT_TRUE(m_worker->PostRequest(GvReqRun, &text));
    ASSERT_TRUE(WaitUntil([&] { return m_worker->RunState() == GvPaused; }));
    bool asked = false;
    m_worker->Stop([&] {
        asked = true;
        return false;
    });
    EXPECT_FALSE(asked);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_receiver.results.empty());
    EXPECT_FALSE(m_worker->PostRequest(GvReqRefresh));
}

} // namespace
