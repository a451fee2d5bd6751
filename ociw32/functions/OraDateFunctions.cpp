// The date functions and date conversions as SQLite functions.
#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraSqlValues.h"

#include <cmath>

namespace VkOracle::detail {

namespace {

bool Got(sqlite3_context* ctx, Arg a)
{
    if (a == Arg::Null)
        sqlite3_result_null(ctx);
    return a == Arg::Value;
}

// Dates given as numbers must lie in the calendar before any arithmetic.
bool GotDate(sqlite3_context* ctx, sqlite3_value* v, int64_t* out)
{
    if (!Got(ctx, ArgDate(ctx, v, out)))
        return false;
    if (!IsValidOraDate(*out)) {
        RaiseOra(ctx, 1841);
        return false;
    }
    return true;
}

void ResultOrError(sqlite3_context* ctx, int err, int64_t date)
{
    if (err)
        RaiseOra(ctx, err);
    else
        ResultDate(ctx, date);
}

void AddMonths(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t d = 0, n = 0;
    if (!GotDate(ctx, argv[0], &d) || !Got(ctx, ArgInt(ctx, argv[1], &n)))
        return;
    int64_t r = 0;
    const int err = OraAddMonths(d, n, &r);
    ResultOrError(ctx, err, r);
}

void LastDay(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t d = 0;
    if (GotDate(ctx, argv[0], &d))
        ResultDate(ctx, OraLastDay(d));
}

void NextDay(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t d = 0;
    std::string name;
    if (!GotDate(ctx, argv[0], &d) || !Got(ctx, ArgText(ctx, argv[1], &name)))
        return;
    int64_t r = 0;
    const int err = OraNextDay(d, name, &r);
    ResultOrError(ctx, err, r);
}

void MonthsBetween(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t a = 0, b = 0;
    if (GotDate(ctx, argv[0], &a) && GotDate(ctx, argv[1], &b))
        ResultDouble(ctx, OraMonthsBetween(a, b));
}

void RoundOrTruncDate(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool truncate)
{
    int64_t d = 0;
    std::string fmt = "DD";
    if (!GotDate(ctx, argv[0], &d))
        return;
    if (argc > 1 && !Got(ctx, ArgText(ctx, argv[1], &fmt)))
        return;
    int64_t r = 0;
    const int err = truncate ? OraTruncDate(d, fmt, &r) : OraRoundDate(d, fmt, &r);
    ResultOrError(ctx, err, r);
}

void RoundDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) { RoundOrTruncDate(ctx, argc, argv, false); }
void TruncDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) { RoundOrTruncDate(ctx, argc, argv, true); }

void DateAddDays(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t d = 0;
    OraNum n;
    if (!GotDate(ctx, argv[0], &d) || !Got(ctx, ArgNumber(ctx, argv[1], &n)))
        return;
    if (n.isInt) {
        if (n.i > 4000000 || n.i < -4000000) {
            RaiseOra(ctx, 1841);
            return;
        }
        ResultDate(ctx, d + n.i * kSecondsPerDay);
        return;
    }
    const double seconds = std::round(n.d * kSecondsPerDay);
    if (!(std::fabs(seconds) < 1e12)) {
        RaiseOra(ctx, 1841);
        return;
    }
    ResultDate(ctx, d + static_cast<int64_t>(seconds));
}

void DateDiff(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t a = 0, b = 0;
    if (!GotDate(ctx, argv[0], &a) || !GotDate(ctx, argv[1], &b))
        return;
    const int64_t diff = a - b;
    if (diff % kSecondsPerDay == 0)
        sqlite3_result_int64(ctx, diff / kSecondsPerDay);
    else
        sqlite3_result_double(ctx, static_cast<double>(diff) / kSecondsPerDay);
}

void ToCharDate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    int64_t d = 0;
    if (!GotDate(ctx, argv[0], &d))
        return;
    std::string fmt;
    if (argc > 1) {
        if (!Got(ctx, ArgText(ctx, argv[1], &fmt)))
            return;
    } else {
        fmt = SessionFormat(SessionOf(ctx));
    }
    std::string out;
    int err = 0;
    if (!FormatOracleDate(d, fmt, &out, &err)) {
        RaiseOra(ctx, err);
        return;
    }
    ResultText(ctx, out);
}

void ToDate(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    std::string text, fmt;
    if (!Got(ctx, ArgText(ctx, argv[0], &text)))
        return;
    OraSession* session = SessionOf(ctx);
    if (argc > 1) {
        if (!Got(ctx, ArgText(ctx, argv[1], &fmt)))
            return;
    } else {
        fmt = SessionFormat(session);
    }
    int64_t d = 0;
    int err = 0;
    if (!ParseOracleDate(text, fmt, SessionNow(session), &d, &err)) {
        RaiseOra(ctx, err);
        return;
    }
    ResultDate(ctx, d);
}

void ToDateImplicit(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    int64_t d = 0;
    if (GotDate(ctx, argv[0], &d))
        ResultDate(ctx, d);
}

// The session's NLS_DATE_FORMAT, for the parameter views.
void NlsDateFormat(sqlite3_context* ctx, int, sqlite3_value**)
{
    ResultText(ctx, SessionFormat(SessionOf(ctx)));
}

} // namespace

std::vector<OraFunctionDef> DateFunctionDefs()
{
    return {
        {"ora_add_months", 2, true, AddMonths},
        {"ora_last_day", 1, true, LastDay},
        {"ora_next_day", 2, true, NextDay},
        {"ora_months_between", 2, true, MonthsBetween},
        {"ora_round_date", 1, true, RoundDate},
        {"ora_round_date", 2, true, RoundDate},
        {"ora_trunc_date", 1, true, TruncDate},
        {"ora_trunc_date", 2, true, TruncDate},
        {"ora_date_add_days", 2, true, DateAddDays},
        {"ora_date_diff", 2, true, DateDiff},
        // These read the session's format or clock.
        {"ora_to_char_date", 1, false, ToCharDate},
        {"ora_to_char_date", 2, true, ToCharDate},
        {"ora_to_date", 1, false, ToDate},
        {"ora_to_date", 2, false, ToDate},
        {"ora_to_date_implicit", 1, false, ToDateImplicit},
        {"ora_nls_date_format", 0, false, NlsDateFormat},
    };
}

} // namespace VkOracle::detail
