#include "ociw32/functions/OraSqlValues.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraErrors.h"

#include <cmath>

namespace VkOracle::detail {

OraSession* SessionOf(sqlite3_context* ctx)
{
    return static_cast<OraSession*>(sqlite3_user_data(ctx));
}

int64_t SessionNow(OraSession* session)
{
    std::lock_guard<std::mutex> guard(session->lock);
    if (session->hasStatementTime)
        return session->statementTime;
    return session->hasClock ? OracleNow(session->clock) : OracleNow();
}

std::string SessionFormat(OraSession* session)
{
    std::lock_guard<std::mutex> guard(session->lock);
    return session->dateFormat;
}

bool IsNullArg(sqlite3_value* v)
{
    const int type = sqlite3_value_type(v);
    return type == SQLITE_NULL || ((type == SQLITE_TEXT || type == SQLITE_BLOB) && sqlite3_value_bytes(v) == 0);
}

Arg ArgText(sqlite3_context*, sqlite3_value* v, std::string* out)
{
    if (IsNullArg(v))
        return Arg::Null;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        *out = FormatOracleNumber(static_cast<int64_t>(sqlite3_value_int64(v)));
        break;
    case SQLITE_FLOAT:
        *out = FormatOracleNumber(sqlite3_value_double(v));
        break;
    default: {
        const unsigned char* text = sqlite3_value_text(v);
        out->assign(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(v)));
        break;
    }
    }
    return Arg::Value;
}

Arg ArgNumber(sqlite3_context* ctx, sqlite3_value* v, OraNum* out)
{
    if (IsNullArg(v))
        return Arg::Null;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        *out = OraNumFromInt(sqlite3_value_int64(v));
        return Arg::Value;
    case SQLITE_FLOAT:
        *out = OraNumFromDouble(sqlite3_value_double(v));
        return Arg::Value;
    default: {
        std::string text;
        ArgText(ctx, v, &text);
        if (ParseOracleNumber(text, out))
            return Arg::Value;
        RaiseOra(ctx, 1722);
        return Arg::Error;
    }
    }
}

Arg ArgInt(sqlite3_context* ctx, sqlite3_value* v, int64_t* out)
{
    OraNum n;
    const Arg a = ArgNumber(ctx, v, &n);
    if (a != Arg::Value)
        return a;
    if (n.isInt) {
        *out = n.i;
    } else {
        const double t = std::trunc(n.d);
        *out = t >= 9.2e18 ? INT64_MAX : t <= -9.2e18 ? INT64_MIN : static_cast<int64_t>(t);
    }
    return Arg::Value;
}

Arg ArgDate(sqlite3_context* ctx, sqlite3_value* v, int64_t* out)
{
    if (IsNullArg(v))
        return Arg::Null;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        *out = sqlite3_value_int64(v);
        return Arg::Value;
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(v);
        if (!(d > -1e15 && d < 1e15)) {
            RaiseOra(ctx, 1841);
            return Arg::Error;
        }
        *out = std::llround(d);
        return Arg::Value;
    }
    default: {
        std::string text;
        ArgText(ctx, v, &text);
        OraSession* s = SessionOf(ctx);
        int err = 0;
        if (ParseOracleDate(text, SessionFormat(s), SessionNow(s), out, &err))
            return Arg::Value;
        RaiseOra(ctx, err);
        return Arg::Error;
    }
    }
}

void ResultText(sqlite3_context* ctx, const std::string& text)
{
    if (text.empty())
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

void ResultNumber(sqlite3_context* ctx, const OraNum& n)
{
    if (n.isInt)
        sqlite3_result_int64(ctx, n.i);
    else if (!std::isfinite(n.d))
        RaiseOra(ctx, 1426);
    else
        sqlite3_result_double(ctx, n.d);
}

void ResultDouble(sqlite3_context* ctx, double d) { ResultNumber(ctx, OraNumFromDouble(d)); }

void ResultDate(sqlite3_context* ctx, int64_t seconds)
{
    if (!IsValidOraDate(seconds))
        RaiseOra(ctx, 1841);
    else
        sqlite3_result_int64(ctx, seconds);
}

void RaiseOra(sqlite3_context* ctx, int code)
{
    sqlite3_result_error(ctx, FormatOraError(code).c_str(), -1);
}

void RaiseOra(sqlite3_context* ctx, int code, std::initializer_list<std::string> args)
{
    sqlite3_result_error(ctx, FormatOraError(code, args).c_str(), -1);
}

int CompareNumbers(const OraNum& a, const OraNum& b)
{
    if (a.isInt && b.isInt)
        return a.i < b.i ? -1 : a.i > b.i ? 1 : 0;
    const double x = a.AsDouble(), y = b.AsDouble();
    return x < y ? -1 : x > y ? 1 : 0;
}

} // namespace VkOracle::detail
