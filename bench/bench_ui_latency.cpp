// The longest time the interface thread goes without processing events
// while (a) a queue of 10 000 jobs refreshes in a job list, (b) a grid
// fetches 100 000 rows, (c) a job that sleeps five seconds runs. A 1 ms
// timer on the interface thread measures the gaps between its ticks.
// Goal: under 16 ms each.
//
// Runs on a throw-away data root: provisions the demo home with oradmin,
// gives scott 10 000 jobs and a table of 100 000 rows through the client
// library, then drives the real widgets on the offscreen platform.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CSchedulerMainDlg.h"
#include "framework/OCISession.h"
#include "gridview/TwQuillGrid.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTableWidget>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace {

constexpr int kJobs = 10000;
constexpr int kRows = 100000;

// Ticks every millisecond and keeps the longest gap between two ticks.
class GapProbe {
public:
    GapProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0 && now - m_last > m_longest)
                m_longest = now - m_last;
            m_last = now;
        });
    }
    // Processes events until done() holds; false after the limit.
    bool Run(const std::function<bool()>& done, int limitMs)
    {
        m_longest = 0;
        m_last = -1;
        m_clock.start();
        m_timer.start();
        QDeadlineTimer limit(limitMs);
        while (!done() && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        m_timer.stop();
        return done();
    }
    double LongestMs() const { return static_cast<double>(m_longest) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    qint64 m_longest = 0;
};

bool Execute(VkOracle::OCISession& session, const char* sql)
{
    auto cursor = session.Cursor();
    std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql(sql));
    if (!data || !data->Execute()) {
        std::fprintf(stderr, "bench_ui_latency: %s: %s\n", sql, cursor.Error().c_str());
        return false;
    }
    return true;
}

bool Prepare()
{
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path();
    const std::string oradmin = "'" + (bin / "oradmin").string() + "' demo > /dev/null";
    if (std::system(oradmin.c_str()) != 0)
        return false;
    VkOracle::OCISession session(true);
    session.SetUserName("scott/tiger@DEMO");
    if (!session.Connect()) {
        std::fprintf(stderr, "bench_ui_latency: logon: %s\n", session.Error().c_str());
        return false;
    }
    const std::string jobs = "DECLARE j NUMBER; BEGIN FOR i IN 1.." + std::to_string(kJobs - 9)
                             + " LOOP DBMS_JOB.SUBMIT(j, 'null;', SYSDATE + 1, 'SYSDATE + 1'); END LOOP; END;";
    if (!Execute(session, jobs.c_str())
        || !Execute(session, "CREATE TABLE BENCH_ROWS (ID NUMBER(10), NAME VARCHAR2(30), AMOUNT NUMBER(12,2))")
        || !Execute(session, "INSERT INTO BENCH_ROWS VALUES (1, 'row', 12.5)"))
        return false;
    // Doubling up to 131 072 rows; the grid's limit takes 100 000 of them.
    for (int have = 1; have < kRows; have *= 2) {
        const std::string more =
            "INSERT INTO BENCH_ROWS SELECT ID + " + std::to_string(have) + ", NAME, AMOUNT FROM BENCH_ROWS";
        if (!Execute(session, more.c_str()))
            return false;
    }
    return Execute(session, "COMMIT");
}

double JobListRefresh()
{
    CSchedulerMainDlg dlg;
    dlg.resize(1000, 600);
    dlg.show();
    CJobListCtrl& list = dlg.List();
    list.Worker().SetViewWarningHandler([](const std::string&) {});
    list.SetLogon("DEMO", "scott", "tiger");
    list.Connect();
    GapProbe probe;
    const QString done = QString("Retrieved %1 jobs").arg(kJobs);
    auto listed = [&] {
        return list.Model().rowCount() == kJobs
               && dlg.StatusBar().PaneTextOf(CJobListStatusCtrl::PaneText) == done;
    };
    if (!probe.Run(listed, 300000))
        return -1;
    // The connect's own first list is behind us: measure a refresh.
    dlg.StatusBar().ApplyStatus(CJobStatusRecord());
    list.RequestRefresh();
    if (!probe.Run(listed, 300000))
        return -1;
    const double longest = probe.LongestMs();
    list.Shutdown();
    return longest;
}

double GridFetch()
{
    TwQuillGrid grid;
    grid.resize(1000, 600);
    grid.show();
    TwQuillGridWorker& worker = grid.Worker();
    worker.SetLogon("DEMO", "scott", "tiger");
    worker.SetMaximumRows(kRows);
    bool connected = false;
    QObject::connect(&grid, &TwQuillGrid::loginFinished, [&] { connected = true; });
    worker.Connect();
    GapProbe probe;
    if (!probe.Run([&] { return connected; }, 60000) || !worker.IsConnected())
        return -1;
    bool ran = false;
    QObject::connect(&grid, &TwQuillGrid::runStateChanged, [&](LONG state) { ran = ran || state == GvRunning; });
    const std::string sql = "SELECT ID, NAME, AMOUNT FROM BENCH_ROWS";
    worker.PostRequest(GvReqRun, &sql);
    const bool fetched = probe.Run([&] { return ran && worker.RunState() == GvIdle && grid.Table()->rowCount() == kRows; },
                                   600000);
    grid.Shutdown([] { return false; });
    return fetched ? probe.LongestMs() : -1;
}

double SlowJobRun()
{
    VkOracle::OCISession session(true);
    session.SetUserName("scott/tiger@DEMO");
    if (!session.Connect())
        return -1;
    double job = 0;
    {
        auto cursor = session.Cursor();
        std::unique_ptr<VkOracle::OCISession::OCIQueryData> data(cursor.Sql(
            "BEGIN DBMS_JOB.SUBMIT(:jobno, 'DBMS_LOCK.SLEEP(5);', SYSDATE + 1, NULL); COMMIT; END;"));
        if (!data || !data->Execute(":jobno", &job))
            return -1;
    }
    CSchedulerMainDlg dlg;
    dlg.resize(1000, 600);
    dlg.show();
    CJobListCtrl& list = dlg.List();
    list.Worker().SetViewWarningHandler([](const std::string&) {});
    list.SetLogon("DEMO", "scott", "tiger");
    list.Connect();
    GapProbe probe;
    if (!probe.Run([&] { return list.Model().rowCount() == kJobs + 1; }, 300000))
        return -1;
    CJobListData run;
    run.m_jobNumber = static_cast<LONG>(job);
    list.Worker().PostRequest(ReqRun, nullptr, &run);
    bool started = false;
    const bool ended = probe.Run(
        [&] {
            started = started || list.Worker().RunningJobs() > 0;
            return started && list.Worker().RunningJobs() == 0;
        },
        60000);
    const double longest = probe.LongestMs();
    list.Shutdown();
    return ended ? longest : -1;
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string pattern = (std::filesystem::temp_directory_path() / "qvbench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return 1;
    setenv("QUORVANE_ROOT", pattern.c_str(), 1);
    QApplication app(argc, argv);
    int rc = 0;
    if (!Prepare()) {
        std::fprintf(stderr, "bench_ui_latency: the demo data could not be prepared\n");
        rc = 1;
    } else {
        const double refresh = JobListRefresh();
        const double fetch = GridFetch();
        const double slow = SlowJobRun();
        std::printf("longest interface-thread gap, ms (goal < 16):\n");
        std::printf("  job list refresh, %d jobs:   %8.1f\n", kJobs, refresh);
        std::printf("  grid fetch, %d rows:        %8.1f\n", kRows, fetch);
        std::printf("  job running DBMS_LOCK.SLEEP(5): %5.1f\n", slow);
        rc = refresh < 0 || fetch < 0 || slow < 0 ? 1 : 0;
    }
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    return rc;
}
