// Statement and logon costs of the embedded server against the same work
// done directly on SQLite in the same run, each printed as a ratio with its
// target:
//   DBMS_JOB.SUBMIT x 1 000 in one block   vs 1 000 INSERTs in one transaction (<= 10x)
//   logon + select 1 from dual + logoff    vs open the file, select 1, close   (<= 2x)
//   a PL/SQL loop of 5 000 INSERTs         vs 5 000 prepared INSERTs, one transaction (<= 3x)
// The submits run in this process; the logons are measured from outside, as
// the CPU time of short processes (ocisql -c against this program's own
// --select1 mode), and in this process for information. `--logons` times
// only the in-process logons and `--loop` the PL/SQL loop alone, for a
// profiler.
//
// Runs on a throw-away data root: provisions the demo home with oradmin and
// loads libociw32.so by name as the program does.

#include "bench/BenchDemoHome.h"
#include "bench/BenchOci.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRepeats = 5; // best of, against a busy machine
constexpr int kJobs = 1000;
constexpr int kLogons = 100;
constexpr int kProcesses = 50;

using Oci = VkOracle::OciEntryPoints;

double SubmitBlock(const Oci& oci, Lda_Def* lda)
{
    Cda_Def cda{};
    if (oci.oopen(&cda, lda, nullptr, -1, -1, nullptr, -1))
        BenchOciDie(oci, &cda, "oopen");
    const std::string block = "DECLARE J NUMBER; BEGIN FOR I IN 1.." + std::to_string(kJobs) +
                              " LOOP DBMS_JOB.SUBMIT(J, 'NULL;', SYSDATE + 1, 'SYSDATE + 1'); END LOOP; COMMIT; END;";
    const auto start = std::chrono::steady_clock::now();
    if (oci.oparse(&cda, BenchText(block.c_str()), -1, 0, 1) || oci.oexec(&cda))
        BenchOciDie(oci, &cda, "submit block");
    const double s = BenchSeconds(start);
    oci.oclose(&cda);
    return s;
}

// The rows a submit writes, as 1 000 INSERT statements (each parsed, as a
// client's would be) in one transaction on a plain table of the same shape.
double InsertJobs(sqlite3* db, int first)
{
    const auto start = std::chrono::steady_clock::now();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kJobs; ++i) {
        const std::string sql = "INSERT INTO JOBS VALUES (" + std::to_string(first + i) +
                                ", 'SCOTT', 'SCOTT', 'SCOTT', NULL, NULL, " + std::to_string(1700000000 + i) +
                                ", 'N', 'SYSDATE + 1', 0, 'NULL;', 0)";
        if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bench_oci_costs: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return BenchSeconds(start);
}

constexpr int kLoopRows = 5000;

void ExecOci(const Oci& oci, Lda_Def* lda, const std::string& sql)
{
    Cda_Def cda{};
    if (oci.oopen(&cda, lda, nullptr, -1, -1, nullptr, -1))
        BenchOciDie(oci, &cda, "oopen");
    if (oci.oparse(&cda, BenchText(sql.c_str()), -1, 0, 1) || oci.oexec(&cda))
        BenchOciDie(oci, &cda, sql.c_str());
    oci.oclose(&cda);
}

// 5 000 INSERTs from a PL/SQL loop, committed at its end.
double InsertLoopBlock(const Oci& oci, Lda_Def* lda, int first)
{
    const std::string block = "BEGIN FOR I IN " + std::to_string(first) + ".." + std::to_string(first + kLoopRows - 1) +
                              " LOOP INSERT INTO BENCH_ROWS VALUES (I, 'ROW ' || I, I * 2); END LOOP; COMMIT; END;";
    const auto start = std::chrono::steady_clock::now();
    ExecOci(oci, lda, block);
    return BenchSeconds(start);
}

// The same rows through one prepared INSERT, bound and stepped per row, in
// one transaction on a plain table of the same shape.
double PreparedInserts(sqlite3* db, int first)
{
    const auto start = std::chrono::steady_clock::now();
    sqlite3_stmt* st = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO BENCH_ROWS VALUES (?, ?, ?)", -1, &st, nullptr);
    for (int i = first; i < first + kLoopRows; ++i) {
        const std::string name = "ROW " + std::to_string(i);
        sqlite3_bind_int64(st, 1, i);
        sqlite3_bind_text(st, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 3, int64_t{i} * 2);
        if (sqlite3_step(st) != SQLITE_DONE) {
            std::fprintf(stderr, "bench_oci_costs: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return BenchSeconds(start);
}

double LogonSelect(const Oci& oci)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLogons; ++i) {
        Lda_Def lda{};
        ub1 hda[HDA_SIZE] = {};
        if (oci.olog(&lda, hda, BenchText("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, 0))
            BenchOciDie(oci, &lda, "logon");
        Cda_Def cda{};
        double one = 0;
        if (oci.oopen(&cda, &lda, nullptr, -1, -1, nullptr, -1) ||
            oci.oparse(&cda, BenchText("select 1 from dual"), -1, 0, 1) ||
            oci.odefin(&cda, 1, reinterpret_cast<ub1*>(&one), sizeof one, SQLT_FLT, -1, nullptr, nullptr, -1, -1,
                       nullptr, nullptr) ||
            oci.oexec(&cda) || oci.ofen(&cda, 1) || one != 1)
            BenchOciDie(oci, &cda, "select 1");
        oci.oclose(&cda);
        oci.ologof(&lda);
    }
    return BenchSeconds(start);
}

double OpenSelect(const std::string& path)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kLogons; ++i) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, "SELECT 1", -1, &st, nullptr);
        if (sqlite3_step(st) != SQLITE_ROW || sqlite3_column_int(st, 0) != 1) {
            std::fprintf(stderr, "bench_oci_costs: SQLite select 1 failed\n");
            std::exit(1);
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    return BenchSeconds(start);
}

int SqliteSelect1(const char* path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT 1", -1, &st, nullptr);
    const bool ok = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int(st, 0) == 1;
    sqlite3_finalize(st);
    sqlite3_close(db);
    std::printf("1\n");
    return ok ? 0 : 1;
}

double ChildCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the command kProcesses times, one after the other; the CPU seconds
// the processes used.
double RunProcesses(const std::vector<std::string>& args)
{
    const double before = ChildCpuSeconds();
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (int i = 0; i < kProcesses; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (std::freopen("/dev/null", "w", stdout) == nullptr)
                ::_exit(126);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "bench_oci_costs: %s failed\n", args[0].c_str());
            std::exit(1);
        }
    }
    return ChildCpuSeconds() - before;
}

void Report(const char* what, double ours, double sqlite, double target)
{
    const double ratio = ours / sqlite;
    std::printf("%-46s %9.2f ms vs SQLite %8.2f ms  ratio %5.2f  target <= %.0fx: %s\n", what, ours * 1000,
                sqlite * 1000, ratio, target, ratio <= target ? "met" : "missed");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--select1")
        return SqliteSelect1(argv[2]);
    const std::filesystem::path root = BenchMakeRoot();
    if (root.empty() || !BenchProvisionDemo("bench_oci_costs"))
        return 1;
    void* lib = BenchLoadClient("bench_oci_costs");
    if (!lib)
        return 1;
    Oci oci;
    oci.Resolve([lib](const char* name) { return dlsym(lib, name); });
    oci.opinit(OCI_EV_TSF);
    if (argc == 2 && std::string(argv[1]) == "--logons") {
        double best = 1e9;
        for (int r = 0; r < 10 * kRepeats; ++r)
            best = std::min(best, LogonSelect(oci));
        std::printf("logon + select 1 + logoff in this process: %.1f us\n", best * 1e6 / kLogons);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--loop") {
        Lda_Def lda{};
        ub1 hda[HDA_SIZE] = {};
        if (oci.olog(&lda, hda, BenchText("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, 0))
            BenchOciDie(oci, &lda, "logon");
        ExecOci(oci, &lda, "CREATE TABLE BENCH_ROWS (ID NUMBER PRIMARY KEY, NAME VARCHAR2(30), N NUMBER)");
        double best = 1e9;
        for (int r = 0; r < 10 * kRepeats; ++r)
            best = std::min(best, InsertLoopBlock(oci, &lda, 1 + r * kLoopRows));
        oci.ologof(&lda);
        std::printf("PL/SQL loop of %d INSERTs in this process: %.2f ms\n", kLoopRows, best * 1000);
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        return 0;
    }

    // The baseline: a WAL file with the job table's shape, synchronous as the server's.
    const std::string basePath = (root / "baseline.db").string();
    sqlite3* db = nullptr;
    sqlite3_open(basePath.c_str(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
                     " CREATE TABLE JOBS(job INTEGER PRIMARY KEY, log_user TEXT NOT NULL, priv_user TEXT NOT NULL,"
                     " schema_user TEXT NOT NULL, last_date INTEGER, this_date INTEGER, next_date INTEGER NOT NULL,"
                     " broken TEXT, interval TEXT, failures INTEGER, what TEXT, total_time INTEGER)",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "CREATE TABLE BENCH_ROWS(ID INTEGER PRIMARY KEY, NAME TEXT, N INTEGER)", nullptr, nullptr, nullptr);

    Lda_Def lda{};
    ub1 hda[HDA_SIZE] = {};
    if (oci.olog(&lda, hda, BenchText("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, 0))
        BenchOciDie(oci, &lda, "logon");
    double submit = 1e9, inserts = 1e9, logons = 1e9, opens = 1e9, loop = 1e9, prepared = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
        submit = std::min(submit, SubmitBlock(oci, &lda));
        inserts = std::min(inserts, InsertJobs(db, 1 + r * kJobs));
    }
    ExecOci(oci, &lda, "CREATE TABLE BENCH_ROWS (ID NUMBER PRIMARY KEY, NAME VARCHAR2(30), N NUMBER)");
    for (int r = 0; r < kRepeats; ++r) {
        loop = std::min(loop, InsertLoopBlock(oci, &lda, 1 + r * kLoopRows));
        prepared = std::min(prepared, PreparedInserts(db, 1 + r * kLoopRows));
    }
    oci.ologof(&lda);
    sqlite3_close(db);
    // The server's own file, as a logon opens it.
    const std::string demoPath = [&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(root))
            if (e.path().filename() == "DEMO.db")
                return e.path().string();
        return basePath;
    }();
    for (int r = 0; r < kRepeats; ++r) {
        logons = std::min(logons, LogonSelect(oci));
        opens = std::min(opens, OpenSelect(demoPath));
    }
    double ocisql = 1e9, select1 = 1e9;
    for (int r = 0; r < kRepeats; ++r) {
        ocisql = std::min(ocisql, RunProcesses({(BenchBinFolder() / "ocisql").string(), "-c", "select 1 from dual",
                                                "scott/tiger@DEMO"}));
        select1 = std::min(select1, RunProcesses({(BenchBinFolder() / "bench_oci_costs").string(), "--select1", demoPath}));
    }
    Report("DBMS_JOB.SUBMIT x 1000 in one block", submit, inserts, 10);
    Report("PL/SQL loop of 5000 INSERTs", loop, prepared, 3);
    Report(("logon + select 1 from dual, " + std::to_string(kProcesses) + " processes (CPU)").c_str(), ocisql,
           select1, 2);
    std::printf("(in this process, %d logons + select 1: %.2f ms vs SQLite %.2f ms, ratio %.0f)\n", kLogons,
                logons * 1000, opens * 1000, logons / opens);
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
