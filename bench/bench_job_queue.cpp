// The job queue against the same work directly on SQLite in the same run:
//   1 000 due trivial jobs run by the database's queue process with
//   JOB_QUEUE_PROCESSES = 4                vs 1 000 committed UPDATEs (<= 4x)
// The clock of the database is pinned; moving it makes every job due at once
// (the queue process sees the new instance state at once), and the time runs
// until the last job's LAST_DATE is set. The UPDATEs run in autocommit on a
// plain table of the job table's shape in WAL mode with synchronous = NORMAL,
// as the engine keeps its databases.
//
// Usage: bench_job_queue [processes]  (default 4, the target's setting)
// Runs on a throw-away data root with a fresh database; needs the build's
// oradmin (the queue process) beside it.

#include "bench/BenchDemoHome.h"
#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraNumber.h"
#include "ociw32/server/OraServer.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace {

constexpr int kRepeats = 3; // best of, against a busy machine
constexpr int kJobs = 1000;
constexpr double kTarget = 4.0;
constexpr int64_t kDay = 86400;

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

VkOracle::OraDatabaseRef g_db; // shut down on the way out, so that its queue process ends

[[noreturn]] void Die(const char* what, const std::string& message)
{
    std::fprintf(stderr, "bench_job_queue: %s: %s\n", what, message.c_str());
    if (!g_db.sid.empty())
        VkOracle::TheOraServer().Shutdown(g_db, VkOracle::OraShutdownMode::Abort);
    std::exit(1);
}

void Exec(VkOracle::OraSession& session, const std::string& sql)
{
    std::unique_ptr<VkOracle::OraStatement> st;
    VkOracle::OraResult r = session.Parse(sql, &st);
    uint64_t rows = 0;
    if (r.Ok())
        r = st->Execute(&rows);
    if (!r.Ok())
        Die(sql.c_str(), r.message);
}

std::unique_ptr<VkOracle::OraSession> Logon(const VkOracle::OraDatabaseRef& db, const char* user, const char* password)
{
    std::unique_ptr<VkOracle::OraSession> s;
    VkOracle::OraResult r = VkOracle::TheOraServer().Logon(db, user, password, &s);
    if (!r.Ok())
        Die("logon", r.message);
    return s;
}

int64_t CountRan(sqlite3* db, int64_t since)
{
    sqlite3_stmt* st = nullptr;
    int64_t n = -1;
    if (sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM cat_jobs WHERE last_date >= ?", -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(st, 1, since);
        if (sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    return n;
}

// Moves the pinned clock to `when` and waits until every job has run there.
double RunByQueue(const VkOracle::OraDatabaseRef& db, sqlite3* watch, int64_t when)
{
    const auto start = std::chrono::steady_clock::now();
    if (!VkOracle::TheOraServer().SetClock(db, {VkOracle::OraClockMode::Pinned, when}).Ok())
        Die("clock", "cannot pin the clock");
    while (CountRan(watch, when) < kJobs) {
        if (Seconds(start) > 300)
            Die("queue", "the jobs did not run within 300 s");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return Seconds(start);
}

double CommittedUpdates(const std::string& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                 " CREATE TABLE JOBS (JOB INTEGER PRIMARY KEY, LOG_USER TEXT, PRIV_USER TEXT, SCHEMA_USER TEXT,"
                 " LAST_DATE INTEGER, THIS_DATE INTEGER, NEXT_DATE INTEGER, BROKEN TEXT, INTERVAL TEXT,"
                 " FAILURES INTEGER, WHAT TEXT, TOTAL_TIME INTEGER)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kJobs; ++i)
        sqlite3_exec(db,
                     ("INSERT INTO JOBS VALUES (" + std::to_string(i) +
                      ", 'SCOTT', 'SCOTT', 'SCOTT', NULL, NULL, 0, 'N', 'SYSDATE + 1', 0, 'NULL;', 0)")
                         .c_str(),
                     nullptr, nullptr, nullptr);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kJobs; ++i) {
        const std::string sql = "UPDATE JOBS SET LAST_DATE = 1, NEXT_DATE = 2, FAILURES = 0, TOTAL_TIME = TOTAL_TIME + 1"
                                " WHERE JOB = " + std::to_string(i);
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
            Die("update", sqlite3_errmsg(db));
    }
    const double s = Seconds(start);
    sqlite3_close(db);
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const int processes = argc > 1 ? std::atoi(argv[1]) : 4;
    const std::filesystem::path root = BenchMakeRoot();
    if (root.empty())
        return 1;
    const VkOracle::OraDatabaseRef db{"BENCH", (root / "oracle" / "BENCH").string()};
    g_db = db;
    VkOracle::OraServer& server = VkOracle::TheOraServer();
    VkOracle::OraDateParts p;
    p.year = 2026;
    p.month = 12;
    p.day = 7;
    p.hour = 10;
    int64_t now = 0;
    VkOracle::OraDateFromParts(p, &now);
    VkOracle::OraResult r = server.CreateDatabase(db, "10.2.0.1.0");
    if (r.Ok())
        r = server.LoadDemoContent(db);
    if (r.Ok())
        r = server.SetClock(db, {VkOracle::OraClockMode::Pinned, now});
    if (!r.Ok())
        Die("create", r.message);
    {
        auto scott = Logon(db, "SCOTT", "TIGER");
        // Only the benchmark's jobs: the demo's are removed.
        Exec(*scott, "BEGIN FOR J IN (SELECT JOB FROM USER_JOBS) LOOP DBMS_JOB.REMOVE(J.JOB); END LOOP; COMMIT; END;");
        auto app = Logon(db, "APPUSER", "APPUSER");
        Exec(*app, "BEGIN FOR J IN (SELECT JOB FROM USER_JOBS) LOOP DBMS_JOB.REMOVE(J.JOB); END LOOP; COMMIT; END;");
        Exec(*scott, "DECLARE J NUMBER; BEGIN FOR I IN 1.." + std::to_string(kJobs) +
                         " LOOP DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE + 1 / 24, 'SYSDATE + 1'); END LOOP; COMMIT; END;");
        auto system = Logon(db, "SYSTEM", "MANAGER");
        Exec(*system, "ALTER SYSTEM SET JOB_QUEUE_PROCESSES = " + std::to_string(processes));
    }
    Logon(db, "SCOTT", "TIGER"); // starts the queue process; nothing is due yet
    sqlite3* watch = nullptr;
    if (sqlite3_open_v2((db.directory + "/BENCH.db").c_str(), &watch, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        Die("watch", "cannot open the database file");
    sqlite3_busy_timeout(watch, 5000);
    double queue = 1e9, sqlite = 1e9;
    for (int i = 0; i < kRepeats; ++i) {
        // Each round a day later: every job is due again.
        queue = std::min(queue, RunByQueue(db, watch, now + 3600 + 60 + i * (kDay + 60)));
        sqlite = std::min(sqlite, CommittedUpdates((root / ("updates" + std::to_string(i) + ".db")).string()));
    }
    sqlite3_close(watch);
    server.Shutdown(db, VkOracle::OraShutdownMode::Immediate);
    const double ratio = queue / sqlite;
    std::printf("%d due jobs by the queue (%d processes)   %9.2f ms (%.0f jobs/s) vs %d committed UPDATEs %8.2f ms"
                "  ratio %5.2f  target <= %.0fx: %s\n",
                kJobs, processes, queue * 1000, kJobs / queue, kJobs, sqlite * 1000, ratio, kTarget,
                ratio <= kTarget ? "met" : "missed");
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
