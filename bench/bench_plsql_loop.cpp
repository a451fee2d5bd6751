// A numeric FOR loop with an assignment in PL/SQL, run by the embedded
// engine, against the same loop in C++ in the same run.
// Goal: 1 000 000 iterations in under a second.
//
// Usage: bench_plsql_loop [iterations]  (default 1000000)
// Runs on a throw-away data root with a fresh database.

#include "bench/BenchDemoHome.h"
#include "ociw32/functions/OraNumber.h"
#include "ociw32/server/OraServer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int kRepeats = 3; // best of, against a busy machine

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

[[noreturn]] void Die(const char* what, const VkOracle::OraResult& r)
{
    std::fprintf(stderr, "bench_plsql_loop: %s: %s\n", what, r.message.c_str());
    std::exit(1);
}

// The loop the engine runs; the total comes back through :R.
double RunPlsql(VkOracle::OraSession& session, long iterations, std::string* total)
{
    const std::string block = "DECLARE x NUMBER := 0; BEGIN FOR i IN 1.." + std::to_string(iterations) +
                              " LOOP x := x + i; END LOOP; :R := x; END;";
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<VkOracle::OraStatement> st;
    VkOracle::OraResult r = session.Parse(block, &st);
    if (!r.Ok())
        Die("parse", r);
    st->Bind("R", VkOracle::OraValue{});
    uint64_t rows = 0;
    r = st->Execute(&rows);
    if (!r.Ok())
        Die("execute", r);
    const double seconds = Seconds(start);
    VkOracle::OraValue v;
    st->BoundValue("R", &v);
    *total = v.kind == VkOracle::OraValue::Kind::Number ? VkOracle::FormatOracleNumber(v.number)
             : v.kind == VkOracle::OraValue::Kind::Text ? v.text : "?";
    return seconds;
}

// The same loop in C++ on doubles, kept from being folded away.
double RunNative(long iterations, double* total)
{
    const auto start = std::chrono::steady_clock::now();
    volatile double x = 0;
    for (long i = 1; i <= iterations; ++i)
        x = x + static_cast<double>(i);
    *total = x;
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (iterations <= 0) {
        std::fprintf(stderr, "usage: bench_plsql_loop [iterations]\n");
        return 2;
    }
    const std::filesystem::path root = BenchMakeRoot();
    if (root.empty())
        return 1;
    int status = 0;
    {
        VkOracle::OraServer& server = VkOracle::TheOraServer();
        const VkOracle::OraDatabaseRef db{"BENCH", (root / "oracle" / "db").string()};
        VkOracle::OraResult r = server.CreateDatabase(db, "10.2.0.1.0");
        if (!r.Ok())
            Die("create database", r);
        std::unique_ptr<VkOracle::OraSession> session;
        r = server.Logon(db, "SYSTEM", "MANAGER", &session);
        if (!r.Ok())
            Die("logon", r);

        double best = 1e9, bestNative = 1e9, nativeTotal = 0;
        std::string total;
        for (int i = 0; i < kRepeats; ++i) {
            best = std::min(best, RunPlsql(*session, iterations, &total));
            bestNative = std::min(bestNative, RunNative(iterations, &nativeTotal));
        }
        char expected[64];
        std::snprintf(expected, sizeof expected, "%.0f", nativeTotal);
        if (total != expected) {
            std::fprintf(stderr, "bench_plsql_loop: PL/SQL gave %s, C++ %s\n", total.c_str(), expected);
            status = 1;
        }
        const double perSecond = static_cast<double>(iterations) / best;
        std::printf("PL/SQL FOR loop, %ld iterations: %.3f s (%.0f iterations/s, %.3f us each)\n", iterations, best,
                    perSecond, best * 1e6 / static_cast<double>(iterations));
        std::printf("C++ loop, same iterations:        %.6f s\n", bestNative);
        std::printf("ratio PL/SQL / C++:               %.0fx\n", best / std::max(bestNative, 1e-9));
        const double projected = best * 1e6 / static_cast<double>(iterations);
        std::printf("1 000 000 iterations (projected): %.3f s, target < 1 s: %s\n", projected,
                    projected < 1.0 ? "met" : "MISSED");
        if (projected >= 1.0)
            status = status ? status : 3;
    }
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
    return status;
}
