// The numeric functions and number conversions as SQLite functions.
#include "ociw32/functions/OraSqlValues.h"
#include "platform/VkNumberText.h"

#include <cmath>
#include <cstdlib>

namespace VkOracle::detail {

namespace {

bool Got(sqlite3_context* ctx, Arg a)
{
    if (a == Arg::Null)
        sqlite3_result_null(ctx);
    return a == Arg::Value;
}

// Doubles rounded to the 15 significant digits a NUMBER result shows, so that
// 5.5 - 1.1 * 5 is 0 as in Oracle's decimal arithmetic.
double Decimal15(double d)
{
    if (!std::isfinite(d) || d == 0.0)
        return d;
    return VkStrtod(VkFormatDouble(d, std::chars_format::scientific, 14).c_str());
}

void RaiseOutOfRange(sqlite3_context* ctx, const OraNum& n)
{
    RaiseOra(ctx, 1428, {FormatOracleNumber(n)});
}

void Abs(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    if (n.isInt && n.i != INT64_MIN)
        ResultNumber(ctx, OraNumFromInt(n.i < 0 ? -n.i : n.i));
    else
        ResultDouble(ctx, std::fabs(n.AsDouble()));
}

double Ceil(double d) { return std::ceil(d); }
double Floor(double d) { return std::floor(d); }

template <double (*F)(double)>
void Integral(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    ResultNumber(ctx, n.isInt ? n : OraNumFromDouble(F(Decimal15(n.d))));
}

void Sign(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    const double d = n.AsDouble();
    sqlite3_result_int64(ctx, d > 0 ? 1 : d < 0 ? -1 : 0);
}

void Sqrt(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    if (n.AsDouble() < 0) {
        RaiseOutOfRange(ctx, n);
        return;
    }
    ResultDouble(ctx, Decimal15(std::sqrt(n.AsDouble())));
}

void Exp(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (Got(ctx, ArgNumber(ctx, argv[0], &n)))
        ResultDouble(ctx, Decimal15(std::exp(n.AsDouble())));
}

void Ln(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    if (n.AsDouble() <= 0) {
        RaiseOutOfRange(ctx, n);
        return;
    }
    ResultDouble(ctx, Decimal15(std::log(n.AsDouble())));
}

void Log(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum base, n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &base)) || !Got(ctx, ArgNumber(ctx, argv[1], &n)))
        return;
    if (base.AsDouble() <= 0 || base.AsDouble() == 1) {
        RaiseOutOfRange(ctx, base);
        return;
    }
    if (n.AsDouble() <= 0) {
        RaiseOutOfRange(ctx, n);
        return;
    }
    ResultDouble(ctx, Decimal15(std::log(n.AsDouble()) / std::log(base.AsDouble())));
}

// MOD keeps the sign of the dividend and MOD(m, 0) is m.
void Mod(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum m, n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &m)) || !Got(ctx, ArgNumber(ctx, argv[1], &n)))
        return;
    if (n.AsDouble() == 0) {
        ResultNumber(ctx, m);
        return;
    }
    if (m.isInt && n.isInt) {
        ResultNumber(ctx, OraNumFromInt(n.i == -1 ? 0 : m.i % n.i));
        return;
    }
    const double q = std::trunc(Decimal15(m.AsDouble() / n.AsDouble()));
    ResultDouble(ctx, Decimal15(m.AsDouble() - n.AsDouble() * q));
}

void Power(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum m, n;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &m)) || !Got(ctx, ArgNumber(ctx, argv[1], &n)))
        return;
    const double b = m.AsDouble(), e = n.AsDouble();
    if (b < 0 && e != std::floor(e)) {
        RaiseOutOfRange(ctx, m);
        return;
    }
    if (b == 0 && e < 0) {
        RaiseOra(ctx, 1428, {FormatOracleNumber(n)});
        return;
    }
    if (m.isInt && n.isInt && n.i >= 0) {
        // Exact while the integer result fits.
        int64_t result = 1, base = m.i;
        int64_t exp = n.i;
        bool overflow = false;
        while (exp > 0 && !overflow) {
            if (exp & 1)
                overflow = __builtin_mul_overflow(result, base, &result);
            exp >>= 1;
            if (exp > 0 && !overflow)
                overflow = __builtin_mul_overflow(base, base, &base);
        }
        if (!overflow) {
            ResultNumber(ctx, OraNumFromInt(result));
            return;
        }
    }
    const double r = std::pow(b, e);
    if (!std::isfinite(r)) {
        RaiseOra(ctx, 1426);
        return;
    }
    ResultDouble(ctx, Decimal15(r));
}

void RoundOrTrunc(sqlite3_context* ctx, int argc, sqlite3_value** argv, bool truncate)
{
    OraNum n;
    int64_t places = 0;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)))
        return;
    if (argc > 1 && !Got(ctx, ArgInt(ctx, argv[1], &places)))
        return;
    if (places > 400)
        places = 400;
    if (places < -400)
        places = -400;
    const int p = static_cast<int>(places);
    ResultNumber(ctx, truncate ? OraTruncNumber(n, p) : OraRoundNumber(n, p));
}

void RoundNum(sqlite3_context* ctx, int argc, sqlite3_value** argv) { RoundOrTrunc(ctx, argc, argv, false); }
void TruncNum(sqlite3_context* ctx, int argc, sqlite3_value** argv) { RoundOrTrunc(ctx, argc, argv, true); }

// Oracle's '/': exact where SQLite would divide integers, ORA-01476 for zero.
void Div(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum a, b;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &a)) || !Got(ctx, ArgNumber(ctx, argv[1], &b)))
        return;
    if (b.AsDouble() == 0) {
        RaiseOra(ctx, 1476);
        return;
    }
    if (a.isInt && b.isInt && b.i != -1 && a.i % b.i == 0) {
        ResultNumber(ctx, OraNumFromInt(a.i / b.i));
        return;
    }
    ResultDouble(ctx, Decimal15(a.AsDouble() / b.AsDouble()));
}

// Oracle's '+', '-' and '*': text operands convert (ORA-01722), integers stay
// exact while they fit, and other results keep the 15 digits a NUMBER shows,
// so 0.1 + 0.2 equals 0.3 as it does in Oracle.
template <int Op>
void Arithmetic(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum a, b;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &a)) || !Got(ctx, ArgNumber(ctx, argv[1], &b)))
        return;
    if (a.isInt && b.isInt) {
        int64_t r = 0;
        const bool overflow = Op == 0   ? __builtin_add_overflow(a.i, b.i, &r)
                              : Op == 1 ? __builtin_sub_overflow(a.i, b.i, &r)
                                        : __builtin_mul_overflow(a.i, b.i, &r);
        if (!overflow) {
            sqlite3_result_int64(ctx, r);
            return;
        }
    }
    const double x = a.AsDouble(), y = b.AsDouble();
    const double r = Op == 0 ? x + y : Op == 1 ? x - y : x * y;
    if (!std::isfinite(r)) {
        RaiseOra(ctx, 1426);
        return;
    }
    ResultDouble(ctx, Decimal15(r));
}

void ToNum(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraNum n;
    if (Got(ctx, ArgNumber(ctx, argv[0], &n)))
        ResultNumber(ctx, n);
}

void ToNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc == 1 || sqlite3_value_type(argv[0]) == SQLITE_INTEGER ||
        sqlite3_value_type(argv[0]) == SQLITE_FLOAT) {
        if (argc > 1 && IsNullArg(argv[1])) {
            sqlite3_result_null(ctx);
            return;
        }
        ToNum(ctx, 1, argv);
        return;
    }
    std::string text, fmt;
    if (!Got(ctx, ArgText(ctx, argv[0], &text)) || !Got(ctx, ArgText(ctx, argv[1], &fmt)))
        return;
    OraNum n;
    if (int err = ParseOracleNumberModel(text, fmt, &n)) {
        RaiseOra(ctx, err);
        return;
    }
    ResultNumber(ctx, n);
}

void ToCharNum(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc == 1) {
        // TO_CHAR of text is the text itself.
        std::string s;
        if (Got(ctx, ArgText(ctx, argv[0], &s)))
            ResultText(ctx, s);
        return;
    }
    OraNum n;
    std::string fmt;
    if (!Got(ctx, ArgNumber(ctx, argv[0], &n)) || !Got(ctx, ArgText(ctx, argv[1], &fmt)))
        return;
    std::string out;
    if (int err = FormatOracleNumberModel(n, fmt, &out)) {
        RaiseOra(ctx, err);
        return;
    }
    ResultText(ctx, out);
}

} // namespace

std::vector<OraFunctionDef> NumberFunctionDefs()
{
    return {
        {"ora_abs", 1, true, Abs},
        {"ora_ceil", 1, true, Integral<Ceil>},
        {"ora_floor", 1, true, Integral<Floor>},
        {"ora_sign", 1, true, Sign},
        {"ora_sqrt", 1, true, Sqrt},
        {"ora_exp", 1, true, Exp},
        {"ora_ln", 1, true, Ln},
        {"ora_log", 2, true, Log},
        {"ora_mod", 2, true, Mod},
        {"ora_power", 2, true, Power},
        {"ora_round_num", 1, true, RoundNum},
        {"ora_round_num", 2, true, RoundNum},
        {"ora_trunc_num", 1, true, TruncNum},
        {"ora_trunc_num", 2, true, TruncNum},
        {"ora_add", 2, true, Arithmetic<0>},
        {"ora_sub", 2, true, Arithmetic<1>},
        {"ora_mul", 2, true, Arithmetic<2>},
        {"ora_div", 2, true, Div},
        {"ora_to_num", 1, true, ToNum},
        {"ora_to_number", 1, true, ToNumber},
        {"ora_to_number", 2, true, ToNumber},
        {"ora_to_char_num", 1, true, ToCharNum},
        {"ora_to_char_num", 2, true, ToCharNum},
    };
}

} // namespace VkOracle::detail
