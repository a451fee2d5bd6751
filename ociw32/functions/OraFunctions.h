#pragma once
// Oracle's built-in functions as SQLite functions, for the SQL engine that
// compiles Oracle SQL to SQLite SQL.
//
// Values in SQLite:
//   DATE      INTEGER seconds since 1970-01-01 00:00:00 (see OraDate.h)
//   NUMBER    INTEGER when integral and within int64, else REAL; functions
//             return INTEGER whenever the result is integral
//   VARCHAR2, CHAR, LONG   TEXT; there is no empty string: '' counts as NULL
//             on input and a function whose result would be '' returns NULL
//
// Failures: a function that fails calls sqlite3_result_error with exactly
// "ORA-nnnnn: <Oracle's text>" (for example "ORA-01722: invalid number"), so
// the engine takes the code back with ParseOraErrorCode (OraErrors.h).
//
// Static types are the compiler's business: a DATE and a NUMBER are both
// INTEGER here, so the compiler wraps dates in ora_to_char_date before
// ora_concat, converts DECODE/NVL results to the type Oracle gives them, and
// passes LEAST/GREATEST dates as dates. Where an argument's SQLite type
// already says enough (TEXT given where a NUMBER is wanted) the functions
// convert implicitly as Oracle does.
//
// Registered functions (all names prefixed ora_):
//   concat(a, ...)            || : NULLs ignored, all NULL -> NULL
//   nvl(a, b) nvl2(a, b, c) coalesce(a, ...) decode(e, s1, r1, ... [, default])
//   upper lower initcap length substr(s, pos[, len]) instr(s, t[, pos[, occ]])
//   lpad(s, n[, pad]) rpad(s, n[, pad]) ltrim(s[, set]) rtrim(s[, set])
//   trim(s[, ch[, mode]])     mode 'BOTH' (default), 'LEADING' or 'TRAILING';
//                             ch defaults to ' ' and must be one character
//   replace(s, t[, r]) translate(s, from, to) chr(n) ascii(s)
//   like(s, pattern[, escape]) Oracle's LIKE: case-sensitive; 1, 0 or NULL
//   abs ceil floor sign sqrt exp ln log(b, n) mod(m, n) power(m, n)
//   round_num(n[, d]) trunc_num(n[, d])
//   add(a, b) sub(a, b) mul(a, b) div(a, b)   Oracle's + - * / on NUMBERs: text
//                             converts (ORA-01722), '/' never truncates and
//                             raises ORA-01476 for a zero divisor, results
//                             keep the 15 significant digits a NUMBER shows
//   least(a, ...) greatest(a, ...)   typed by the first argument; NULL if any NULL
//   to_char_num(n[, fmt]) to_char_date(d[, fmt]) to_date(s[, fmt]) to_number(s[, fmt])
//   add_months(d, n) last_day(d) next_day(d, name) months_between(d1, d2)
//   round_date(d[, fmt]) trunc_date(d[, fmt])   fmt defaults to 'DD'
//   date_add_days(d, n)       d + n days, rounded to the second
//   date_diff(d1, d2)         d1 - d2 in days
//   to_num(x)                 implicit conversion to NUMBER (ORA-01722)
//   to_date_implicit(x)       implicit conversion to DATE by the session format
//   sysdate()
// Aggregates: SQLite's COUNT, MIN and MAX follow Oracle's NULL rules as they
// are (NULLs skipped, MIN/MAX of no rows NULL, COUNT 0). SQLite's SUM and AVG
// skip NULLs too and give NULL over no rows, but take text as 0 and add
// doubles without decimal rounding, so use
//   sum(x) avg(x)             NULLs skipped, NULL over no rows, text converts
//                             (ORA-01722), INTEGER when whole, DISTINCT works
//
// SYSDATE is constant within a statement in Oracle: the engine calls
// BeginOracleStatement(db) before stepping a statement and
// EndOracleStatement(db) when it is done; outside such a bracket every call
// reads the clock afresh. Brackets nest: a statement run inside another
// (a function body, a trigger) sees the outer statement's time.

#include "ociw32/functions/OraClock.h"

#include <cstdint>
#include <string>

struct sqlite3;

namespace VkOracle {

// Registers every function above on the connection, with its own session
// state (date format, clock). Calling it again on the same connection does
// nothing. The state goes away when the connection closes.
void RegisterOracleFunctions(sqlite3* db);

// NLS_DATE_FORMAT of the session (default "DD-MON-RR"). Returns 0, or the
// Oracle error for a format that is not valid (then nothing changes).
int SetSessionDateFormat(sqlite3* db, const std::string& fmt);
std::string SessionDateFormat(sqlite3* db);

// A clock of the connection's own (for a database whose clock is pinned or
// offset), taking precedence over the process-wide one.
void SetConnectionClock(sqlite3* db, const OraClockSetting& setting);
void ClearConnectionClock(sqlite3* db);

// Fixes SYSDATE for the statement about to run and returns it.
int64_t BeginOracleStatement(sqlite3* db);
void EndOracleStatement(sqlite3* db);

// What SYSDATE gives on the connection right now.
int64_t OracleSysdate(sqlite3* db);

} // namespace VkOracle
