// SUM and AVG with Oracle's results: SQLite's own already skip NULLs and give
// NULL over no rows, but they accept text silently and add doubles without
// the decimal rounding a NUMBER shows (0.1 + 0.2 summed is not 0.3).
#include "ociw32/functions/OraSqlValues.h"
#include "platform/VkNumberText.h"

#include <cmath>
#include <cstdlib>

namespace VkOracle::detail {

namespace {

struct Accumulator {
    int64_t count;
    bool exact;      // every value so far integral and the sum within int64
    int64_t intSum;
    double sum;      // kept in step for when exactness is lost (Kahan sum;
    double carry;    // SQLite's aggregate memory is only 8-byte aligned)
};

double Decimal15(double d)
{
    if (!std::isfinite(d) || d == 0.0)
        return d;
    return VkStrtod(VkFormatDouble(d, std::chars_format::scientific, 14).c_str());
}

void Step(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* acc = static_cast<Accumulator*>(sqlite3_aggregate_context(ctx, sizeof(Accumulator)));
    if (!acc)
        return;
    if (acc->count == 0)
        acc->exact = true;
    OraNum n;
    if (ArgNumber(ctx, argv[0], &n) != Arg::Value)
        return; // NULL is skipped; an error was raised
    ++acc->count;
    const double y = n.AsDouble() - acc->carry;
    const double t = acc->sum + y;
    acc->carry = (t - acc->sum) - y;
    acc->sum = t;
    if (acc->exact && (!n.isInt || __builtin_add_overflow(acc->intSum, n.i, &acc->intSum)))
        acc->exact = false;
}

void SumFinal(sqlite3_context* ctx)
{
    auto* acc = static_cast<Accumulator*>(sqlite3_aggregate_context(ctx, 0));
    if (!acc || acc->count == 0)
        sqlite3_result_null(ctx);
    else if (acc->exact)
        sqlite3_result_int64(ctx, acc->intSum);
    else
        ResultDouble(ctx, Decimal15(acc->sum));
}

void AvgFinal(sqlite3_context* ctx)
{
    auto* acc = static_cast<Accumulator*>(sqlite3_aggregate_context(ctx, 0));
    if (!acc || acc->count == 0) {
        sqlite3_result_null(ctx);
        return;
    }
    if (acc->exact && acc->intSum % acc->count == 0) {
        sqlite3_result_int64(ctx, acc->intSum / acc->count);
        return;
    }
    const double total = acc->exact ? static_cast<double>(acc->intSum) : acc->sum;
    ResultDouble(ctx, Decimal15(total / static_cast<double>(acc->count)));
}

} // namespace

void RegisterAggregates(sqlite3* db, OraSession* session)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "ora_sum", 1, flags, session, nullptr, Step, SumFinal, nullptr);
    sqlite3_create_function_v2(db, "ora_avg", 1, flags, session, nullptr, Step, AvgFinal, nullptr);
}

} // namespace VkOracle::detail
