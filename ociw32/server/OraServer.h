#pragma once
// The embedded server as the call interface sees it. The client side
// (ociw32/client) resolves an alias to a database and drives sessions and
// statements through these interfaces; the engine behind them compiles
// Oracle SQL and keeps each database as a SQLite file. Failures are results:
// nothing here throws.

#include "ociw32/functions/OraClock.h"
#include "ociw32/functions/OraNumber.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VkOracle {

// code 0 = success; otherwise Oracle's error number, `message` the whole
// "ORA-nnnnn: text" line, `offset` the 0-based parse error offset.
struct OraResult {
    int code = 0;
    std::string message;
    int offset = 0;
    bool Ok() const { return code == 0; }
};

// A value crossing the seam. Dates are seconds since 1970-01-01 00:00:00 in
// the server's wall-clock time (as in OraDate.h).
struct OraValue {
    enum class Kind { Null, Number, Text, Date };
    Kind kind = Kind::Null;
    OraNum number;
    std::string text;
    int64_t date = 0;
};

// One select-list column as odescr reports it: internal type code (1
// VARCHAR2, 2 NUMBER, 8 LONG, 12 DATE, 96 CHAR, ...), maximum size in bytes,
// precision and scale (0 when Oracle reports none), nullability.
struct OraColumnDesc {
    std::string name;
    int dbType = 1;
    int dbSize = 0;
    int precision = 0;
    int scale = 0;
    bool nullable = true;
};

enum class OraStatementKind { Query, Insert, Update, Delete, Ddl, Commit, Rollback, Block, Other };

class OraStatement {
public:
    virtual ~OraStatement() = default;
    virtual OraStatementKind Kind() const = 0;
    // SQL function code for the cursor data area's ft (FT_SELECT, ...).
    virtual int FunctionCode() const = 0;
    virtual const std::vector<OraColumnDesc>& Columns() const = 0;
    // Placeholder names in order of first appearance, upper case, no colon.
    virtual std::vector<std::string> BindNames() const = 0;
    // Binds by name (case-insensitive, with or without the colon); ORA-01036
    // for a name the statement does not have.
    virtual OraResult Bind(const std::string& name, const OraValue& value) = 0;
    // Runs the statement. A query opens its row stream (rows come from
    // Fetch); DML leaves the affected row count in *rowsProcessed.
    virtual OraResult Execute(uint64_t* rowsProcessed) = 0;
    // The next row of an executed query; code 1403 after the last row.
    virtual OraResult Fetch(std::vector<OraValue>* row) = 0;
    // A bind's value after Execute (OUT and IN OUT binds of PL/SQL blocks).
    virtual OraResult BoundValue(const std::string& name, OraValue* value) const = 0;
};

class OraSession {
public:
    virtual ~OraSession() = default;
    virtual OraResult Parse(const std::string& sql, std::unique_ptr<OraStatement>* statement) = 0;
    virtual OraResult Commit() = 0;
    virtual OraResult Rollback() = 0;
    // Thread-safe: cancels the statement running on this session, which then
    // fails with ORA-01013. Without a running statement it does nothing.
    virtual void Break() = 0;
    virtual std::string ServerVersion() const = 0; // "10.2.0.1.0"
};

// How a shutdown treats the job runs under way: NORMAL lets them end,
// IMMEDIATE breaks them (each counts a failure), ABORT kills the queue
// process (its runs are cleared as failures by the next session).
enum class OraShutdownMode { Normal, Immediate, Abort };

// Where a database lives: its SID and its folder (under the Oracle home).
struct OraDatabaseRef {
    std::string sid;
    std::string directory;
};

class OraServer {
public:
    virtual ~OraServer() = default;
    // ORA-01017 for a wrong user or password, ORA-01034 for a database that is
    // shut down (or missing), ORA-28000 for a locked account.
    virtual OraResult Logon(const OraDatabaseRef& db, const std::string& user,
                            const std::string& password, std::unique_ptr<OraSession>* session) = 0;
    // Creates an empty database (SYS and SYSTEM, the dictionary) of a server
    // version ("10.2.0.1.0", "7.3.4.0.0"); an existing one is left alone.
    virtual OraResult CreateDatabase(const OraDatabaseRef& db, const std::string& version) = 0;
    // Adds the demo users, schemas, rows and jobs (idempotent).
    virtual OraResult LoadDemoContent(const OraDatabaseRef& db) = 0;
    virtual OraResult Startup(const OraDatabaseRef& db) = 0;
    // Closes the database and returns once its job queue process has ended.
    virtual OraResult Shutdown(const OraDatabaseRef& db, OraShutdownMode mode) = 0;
    OraResult Shutdown(const OraDatabaseRef& db) { return Shutdown(db, OraShutdownMode::Normal); }
    // "OPEN", "SHUTDOWN" or "MISSING", with the version after a space when known.
    virtual std::string Status(const OraDatabaseRef& db) = 0;
    // Pins or offsets the database's clock for every session, in every process.
    virtual OraResult SetClock(const OraDatabaseRef& db, const OraClockSetting& clock) = 0;
};

// The server every client call goes to. Tests may install their own; passing
// nullptr restores the embedded engine.
OraServer& TheOraServer();
void InstallOraServer(OraServer* server);

} // namespace VkOracle
