// Fetching 100 000 rows through the call interface in arrays of 50 and of
// 500, against the same SELECT stepped directly on SQLite in the same run.
// Goal: within 1.5x of SQLite, with memory bounded by the define buffers.
//
// Runs on a throw-away data root: provisions the demo home with oradmin,
// loads libociw32.so by name as the program does, creates and fills the
// table through the call interface, and fills a plain SQLite copy of it.

#include "bench/BenchDemoHome.h"
#include "bench/BenchOci.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRepeats = 7; // best of, against a busy machine
// Keeps the reads of fetched cells from being optimised away.
volatile double g_sink = 0;
const char* kSelect = "SELECT ID, NAME, CREATED, AMOUNT FROM BENCH_ROWS";

using Oci = VkOracle::OciEntryPoints;

long MaxRssKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

std::string Name(int i)
{
    return "ROW NAME " + std::to_string(i);
}

void Fill(const Oci& oci, Lda_Def* lda)
{
    Cda_Def cda{};
    if (oci.oopen(&cda, lda, nullptr, -1, -1, nullptr, -1))
        BenchOciDie(oci, &cda, "oopen");
    if (oci.oparse(&cda, BenchText("CREATE TABLE BENCH_ROWS (ID NUMBER(10) NOT NULL, NAME VARCHAR2(30), "
                           "CREATED DATE, AMOUNT NUMBER(12,2))"), -1, 0, 1))
        BenchOciDie(oci, &cda, "create table");
    if (oci.oparse(&cda, BenchText("INSERT INTO BENCH_ROWS (ID, NAME, CREATED, AMOUNT) VALUES (:id, :name, :created, :amount)"), -1, 0, 1))
        BenchOciDie(oci, &cda, "parse insert");
    int id = 0;
    char name[31] = {};
    unsigned char created[7] = {120, 101, 1, 1, 1, 1, 1};
    double amount = 0;
    oci.obndrv(&cda, BenchText(":id"), -1, reinterpret_cast<ub1*>(&id), sizeof id, SQLT_INT, -1, nullptr, nullptr, -1, -1);
    oci.obndrv(&cda, BenchText(":name"), -1, reinterpret_cast<ub1*>(name), -1, SQLT_STR, -1, nullptr, nullptr, -1, -1);
    oci.obndrv(&cda, BenchText(":created"), -1, created, 7, SQLT_DAT, -1, nullptr, nullptr, -1, -1);
    oci.obndrv(&cda, BenchText(":amount"), -1, reinterpret_cast<ub1*>(&amount), sizeof amount, SQLT_FLT, -1, nullptr, nullptr, -1, -1);
    for (int i = 1; i <= kRows; ++i) {
        id = i;
        std::snprintf(name, sizeof name, "%s", Name(i).c_str());
        created[3] = static_cast<unsigned char>(1 + i % 28);
        created[4] = static_cast<unsigned char>(1 + i % 24);
        amount = (i % 100000) / 100.0;
        if (oci.oexec(&cda))
            BenchOciDie(oci, &cda, "insert");
    }
    if (oci.ocom(lda))
        BenchOciDie(oci, lda, "commit");
    oci.oclose(&cda);
}

// The same rows in a plain SQLite table, stepped with the same SELECT.
void FillSqlite(sqlite3* db)
{
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE BENCH_ROWS (ID INTEGER NOT NULL, "
                     "NAME TEXT, CREATED INTEGER, AMOUNT REAL); BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO BENCH_ROWS VALUES (?, ?, ?, ?)", -1, &st, nullptr);
    for (int i = 1; i <= kRows; ++i) {
        sqlite3_bind_int(st, 1, i);
        const std::string n = Name(i);
        sqlite3_bind_text(st, 2, n.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 3, 978307200 + (i % 28) * 86400 + (i % 24) * 3600);
        sqlite3_bind_double(st, 4, (i % 100000) / 100.0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
}

double StepSqlite(sqlite3* db, double* checksum)
{
    const auto start = std::chrono::steady_clock::now();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, kSelect, -1, &st, nullptr);
    int rows = 0;
    double sum = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        sum += sqlite3_column_int(st, 0);
        sum += static_cast<double>(std::strlen(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))));
        sum += static_cast<double>(sqlite3_column_int64(st, 2) % 7);
        sum += sqlite3_column_double(st, 3);
        ++rows;
    }
    sqlite3_finalize(st);
    if (rows != kRows) {
        std::fprintf(stderr, "bench_oci_fetch: SQLite gave %d rows\n", rows);
        std::exit(1);
    }
    *checksum = sum;
    return BenchSeconds(start);
}

// Fetches the rows as the program does: NUMBER as double, VARCHAR2 as a
// zero-terminated string, DATE as 7 bytes. Returns seconds.
double FetchOci(const Oci& oci, Lda_Def* lda, int arraySize, size_t* bufferBytes)
{
    const auto start = std::chrono::steady_clock::now();
    Cda_Def cda{};
    if (oci.oopen(&cda, lda, nullptr, -1, -1, nullptr, -1))
        BenchOciDie(oci, &cda, "oopen");
    if (oci.oparse(&cda, BenchText(kSelect), -1, 0, 1))
        BenchOciDie(oci, &cda, "parse select");
    const size_t n = static_cast<size_t>(arraySize);
    std::vector<double> ids(n), amounts(n);
    std::vector<char> names(n * 31);
    std::vector<unsigned char> dates(n * 7);
    std::vector<sb2> ind(n * 4);
    std::vector<ub2> len(n * 4), rc(n * 4);
    *bufferBytes = n * (8 + 31 + 7 + 8) + ind.size() * 6;
    auto def = [&](int pos, void* buf, int cell, int type) {
        if (oci.odefin(&cda, pos, static_cast<ub1*>(buf), cell, type, -1, ind.data() + (pos - 1) * n,
                       nullptr, -1, -1, len.data() + (pos - 1) * n, rc.data() + (pos - 1) * n))
            BenchOciDie(oci, &cda, "odefin");
    };
    def(1, ids.data(), 8, SQLT_FLT);
    def(2, names.data(), 31, SQLT_STR);
    def(3, dates.data(), 7, SQLT_DAT);
    def(4, amounts.data(), 8, SQLT_FLT);
    if (oci.oexec(&cda))
        BenchOciDie(oci, &cda, "oexec");
    ub4 before = 0;
    double sum = 0;
    while (true) {
        const sword rv = oci.ofen(&cda, arraySize);
        if (rv != 0 && cda.rc != OCI_NO_DATA_FOUND)
            BenchOciDie(oci, &cda, "ofen");
        for (ub4 i = 0; i < cda.rpc - before; ++i)
            sum += ids[i] + amounts[i] + static_cast<double>(std::strlen(&names[i * 31])) + dates[i * 7 + 3];
        before = cda.rpc;
        if (rv != 0)
            break;
    }
    if (cda.rpc != static_cast<ub4>(kRows)) {
        std::fprintf(stderr, "bench_oci_fetch: the call interface gave %u rows\n", cda.rpc);
        std::exit(1);
    }
    oci.oclose(&cda);
    g_sink = g_sink + sum;
    return BenchSeconds(start);
}

} // namespace

int main()
{
    const std::filesystem::path root = BenchMakeRoot();
    if (root.empty() || !BenchProvisionDemo("bench_oci_fetch"))
        return 1;
    void* lib = BenchLoadClient("bench_oci_fetch");
    if (!lib)
        return 1;
    Oci oci;
    oci.Resolve([lib](const char* name) { return dlsym(lib, name); });
    oci.opinit(OCI_EV_TSF);

    Lda_Def lda{};
    ub1 hda[HDA_SIZE] = {};
    if (oci.olog(&lda, hda, BenchText("scott/tiger@DEMO"), -1, nullptr, -1, nullptr, -1, 0))
        BenchOciDie(oci, &lda, "logon");
    std::printf("Filling %d rows through the call interface...\n", kRows);
    Fill(oci, &lda);

    sqlite3* db = nullptr;
    sqlite3_open((root / "baseline.db").string().c_str(), &db);
    FillSqlite(db);

    double sqliteBest = 1e9, best50 = 1e9, best500 = 1e9, checksum = 0;
    size_t bytes50 = 0, bytes500 = 0;
    const long rssBefore = MaxRssKb();
    for (int r = 0; r < kRepeats; ++r) {
        sqliteBest = std::min(sqliteBest, StepSqlite(db, &checksum));
        best50 = std::min(best50, FetchOci(oci, &lda, 50, &bytes50));
        best500 = std::min(best500, FetchOci(oci, &lda, 500, &bytes500));
    }
    const long rssGrowth = MaxRssKb() - rssBefore;
    sqlite3_close(db);
    oci.ologof(&lda);

    const double r50 = best50 / sqliteBest, r500 = best500 / sqliteBest;
    std::printf("SQLite step, %d rows:            %8.1f ms\n", kRows, sqliteBest * 1000);
    std::printf("Call interface, arrays of 50:   %8.1f ms  ratio %.2f  (define buffers %zu bytes)\n",
                best50 * 1000, r50, bytes50);
    std::printf("Call interface, arrays of 500:  %8.1f ms  ratio %.2f  (define buffers %zu bytes)\n",
                best500 * 1000, r500, bytes500);
    std::printf("Peak memory growth while fetching: %ld KiB\n", rssGrowth);
    std::printf("Goal (ratio <= 1.50): %s\n", r50 <= 1.5 && r500 <= 1.5 ? "met" : "missed");
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return 0;
}
