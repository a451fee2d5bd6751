#pragma once
// Internal glue between SQLite values and the Oracle value functions: the
// per-connection session, argument conversions with Oracle's implicit rules,
// results, and the tables of functions each family registers.

#include "ociw32/functions/OraClock.h"
#include "ociw32/functions/OraNumber.h"

#include <sqlite3.h>

#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <string>
#include <vector>

namespace VkOracle::detail {

struct OraSession {
    std::mutex lock;
    std::string dateFormat;
    bool hasClock = false;
    OraClockSetting clock;
    bool hasStatementTime = false;
    int statementDepth = 0;
    int64_t statementTime = 0;
};

OraSession* SessionOf(sqlite3_context* ctx);
int64_t SessionNow(OraSession* session);
std::string SessionFormat(OraSession* session);

enum class Arg { Null, Value, Error };

bool IsNullArg(sqlite3_value* v); // NULL or ''
// Text of any value (numbers as Oracle prints them).
Arg ArgText(sqlite3_context* ctx, sqlite3_value* v, std::string* out);
// A number; text converts implicitly or raises ORA-01722.
Arg ArgNumber(sqlite3_context* ctx, sqlite3_value* v, OraNum* out);
// A number truncated to an integer (positions, lengths, counts).
Arg ArgInt(sqlite3_context* ctx, sqlite3_value* v, int64_t* out);
// A date; text converts by the session's date format.
Arg ArgDate(sqlite3_context* ctx, sqlite3_value* v, int64_t* out);

void ResultText(sqlite3_context* ctx, const std::string& text); // '' -> NULL
void ResultNumber(sqlite3_context* ctx, const OraNum& n);
void ResultDouble(sqlite3_context* ctx, double d);
void ResultDate(sqlite3_context* ctx, int64_t seconds); // ORA-01841 outside the range
void RaiseOra(sqlite3_context* ctx, int code);
void RaiseOra(sqlite3_context* ctx, int code, std::initializer_list<std::string> args);

// Numbers compare exactly when both are integers.
int CompareNumbers(const OraNum& a, const OraNum& b);

struct OraFunctionDef {
    const char* name;
    int nArg; // -1 = any number
    bool deterministic;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
};

std::vector<OraFunctionDef> TextFunctionDefs();
std::vector<OraFunctionDef> NumberFunctionDefs();
std::vector<OraFunctionDef> DateFunctionDefs();
void RegisterAggregates(sqlite3* db, OraSession* session);

} // namespace VkOracle::detail
