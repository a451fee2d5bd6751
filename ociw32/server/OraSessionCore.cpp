#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/PlsqlSqlFunction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/CatalogSchema.h"
#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraEngineErrors.h"
#include "ociw32/server/OraEngineStatementCache.h"
#include "ociw32/server/OraPasswordVerifier.h"
#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/OraTransaction.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"
#include "platform/VkPrivateFiles.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace VkOracle {
namespace {

std::string Quoted(const std::string& a) { return "\"" + a + "\""; }

OraSessionCore* CoreOf(sqlite3_context* ctx)
{
    return static_cast<OraSessionCore*>(sqlite3_user_data(ctx));
}

std::string ArgString(sqlite3_value* v)
{
    const unsigned char* t = sqlite3_value_text(v);
    return t ? reinterpret_cast<const char*>(t) : "";
}

void Raise(sqlite3_context* ctx, const std::string& message)
{
    sqlite3_result_error(ctx, message.c_str(), -1);
}

void UserFn(sqlite3_context* ctx, int, sqlite3_value**)
{
    const std::string& user = CoreOf(ctx)->Catalog().User();
    sqlite3_result_text(ctx, user.c_str(), -1, SQLITE_TRANSIENT);
}

void SidFn(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int64(ctx, CoreOf(ctx)->Sid());
}

void HasPrivFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    sqlite3_result_int(ctx, CoreOf(ctx)->Catalog().HasSysPriv(ArgString(argv[0])) ? 1 : 0);
}

// A process that has exited but was not yet reaped (a killed queue process
// whose parent is slow to wait for it) is dead for its sessions.
void PidAliveFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const pid_t pid = static_cast<pid_t>(sqlite3_value_int64(argv[0]));
    const bool alive = pid > 0 && (pid == ::getpid() || OraProcessAlive(static_cast<int>(pid)));
    sqlite3_result_int(ctx, alive ? 1 : 0);
}

void UserenvFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const std::string what = VkAsciiUpper(ArgString(argv[0]));
    if (what == "SESSIONID")
        sqlite3_result_int64(ctx, CoreOf(ctx)->Sid());
    else if (what == "LANGUAGE")
        sqlite3_result_text(ctx, "AMERICAN_AMERICA.WE8ISO8859P1", -1, SQLITE_STATIC);
    else if (what == "TERMINAL")
        sqlite3_result_text(ctx, "pts/0", -1, SQLITE_STATIC);
    else if (what == "SCHEMAID" || what == "ISDBA")
        sqlite3_result_text(ctx, CoreOf(ctx)->Catalog().HasSysPriv("ALTER SYSTEM") ? "TRUE" : "FALSE", -1, SQLITE_STATIC);
    else
        sqlite3_result_null(ctx);
}

void NextvalFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraSessionCore* core = CoreOf(ctx);
    const std::string owner = ArgString(argv[0]), name = ArgString(argv[1]);
    SqliteStmt q(core->Db(), "SELECT min_value, max_value, increment_by, cycle_flag, last_number FROM cat_sequences"
                             " WHERE sequence_owner = ? AND sequence_name = ?");
    q.Bind(1, owner).Bind(2, name);
    if (!q.Step()) {
        Raise(ctx, FormatOraError(2289));
        return;
    }
    const long long minV = q.Int(0), maxV = q.Int(1), inc = q.Int(2), last = q.Int(4);
    const bool cycle = q.Text(3) == "Y";
    long long value = last;
    if ((inc > 0 && value > maxV) || (inc < 0 && value < minV)) {
        if (!cycle) {
            Raise(ctx, FormatOraError(8004, {owner + "." + name, inc > 0 ? "exceeds" : "goes below",
                                             inc > 0 ? "MAX" : "MIN"}));
            return;
        }
        value = inc > 0 ? minV : maxV;
    }
    SqliteStmt u(core->Db(), "UPDATE cat_sequences SET last_number = ? WHERE sequence_owner = ? AND sequence_name = ?");
    u.Bind(1, static_cast<int64_t>(value + inc)).Bind(2, owner).Bind(3, name);
    if (!u.Run()) {
        Raise(ctx, FormatOraError(54));
        return;
    }
    core->m_currval[owner + "." + name] = value;
    sqlite3_result_int64(ctx, value);
}

void CurrvalFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraSessionCore* core = CoreOf(ctx);
    const std::string key = ArgString(argv[0]) + "." + ArgString(argv[1]);
    auto it = core->m_currval.find(key);
    if (it == core->m_currval.end()) {
        Raise(ctx, FormatOraError(8002, {key}));
        return;
    }
    sqlite3_result_int64(ctx, it->second);
}

void RownumFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    OraSessionCore* core = CoreOf(ctx);
    const int id = sqlite3_value_int(argv[0]);
    long long& n = core->m_rownum[id];
    sqlite3_result_int64(ctx, n);
}

// ora_check_length(value, maximum, owner, table, column): the value, or
// Oracle's error for text longer than the column (in bytes).
void CheckLengthFn(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const int type = sqlite3_value_type(argv[0]);
    const int64_t maximum = sqlite3_value_int64(argv[1]);
    if (type == SQLITE_TEXT || type == SQLITE_BLOB) {
        const int64_t actual = sqlite3_value_bytes(argv[0]);
        if (actual > maximum) {
            if (CoreOf(ctx)->Major() >= 10) {
                const std::string column = Quoted(ArgString(argv[2])) + "." + Quoted(ArgString(argv[3])) + "." +
                                           Quoted(ArgString(argv[4]));
                Raise(ctx, FormatOraError(12899, {column, std::to_string(actual), std::to_string(maximum)}));
            } else {
                Raise(ctx, FormatOraError(1401));
            }
            return;
        }
    }
    sqlite3_result_value(ctx, argv[0]);
}

// The value of a scalar sub-query: its only row, NULL without one.
struct SingleRow {
    int64_t rows;
    sqlite3_value* first;
};

void SingleRowStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* state = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, sizeof(SingleRow)));
    if (!state)
        return;
    if (state->rows++ == 0)
        state->first = sqlite3_value_dup(argv[0]);
}

void SingleRowFinal(sqlite3_context* ctx)
{
    auto* state = static_cast<SingleRow*>(sqlite3_aggregate_context(ctx, 0));
    if (!state || state->rows == 0)
        sqlite3_result_null(ctx);
    else if (state->rows > 1)
        Raise(ctx, FormatOraError(1427));
    else
        sqlite3_result_value(ctx, state->first);
    if (state)
        sqlite3_value_free(state->first);
}

// ora_eval(id, inputs...): one value of a statement fragment (a part of a
// statement nested too deeply for SQLite's parser), inputs bound to ?1...
void EvalFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (argc < 1) {
        Raise(ctx, "ORA-00909: invalid number of arguments");
        return;
    }
    CoreOf(ctx)->EvalFragment(ctx, sqlite3_value_int(argv[0]), argc - 1, argv + 1);
}

// The inputs of a fragment as a key of its kept values.
std::string InputsKey(int argc, sqlite3_value** argv)
{
    std::string key;
    for (int i = 0; i < argc; ++i) {
        const int type = sqlite3_value_type(argv[i]);
        key += static_cast<char>('0' + type);
        if (type == SQLITE_INTEGER) {
            key += std::to_string(sqlite3_value_int64(argv[i]));
        } else if (type == SQLITE_FLOAT) {
            const double d = sqlite3_value_double(argv[i]);
            key.append(reinterpret_cast<const char*>(&d), sizeof d);
        } else if (type != SQLITE_NULL) {
            const void* p = type == SQLITE_BLOB ? sqlite3_value_blob(argv[i]) : sqlite3_value_text(argv[i]);
            const int n = sqlite3_value_bytes(argv[i]);
            key += std::to_string(n) + ":";
            if (p)
                key.append(static_cast<const char*>(p), static_cast<size_t>(n));
        }
    }
    return key;
}

// Clears runs of dead sessions on a connection of its own, so that the
// clearing never joins the caller's transaction. A run another process
// cleared meanwhile is left alone (its failure is counted once).
void ClearDeadRuns(const OraDatabaseRef& ref, const std::vector<std::pair<int64_t, int64_t>>& runs)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(DatabaseFilePath(ref).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
        SQLITE_OK) {
        sqlite3_close_v2(db);
        return;
    }
    // Short: a writer holding the lock only delays the clearing to a later call.
    sqlite3_busy_timeout(db, 1000);
    if (SqliteExec(db, "ATTACH DATABASE " + SqlQuote(InstanceFilePath(ref)) + " AS inst") && SqliteExec(db, "BEGIN")) {
        bool ok = true;
        for (const auto& [job, sid] : runs) {
            SqliteStmt del(db, "DELETE FROM inst.cat_jobs_running WHERE job = ? AND sid = ?");
            del.Bind(1, job).Bind(2, sid);
            ok = del.Run();
            if (!ok)
                break;
            if (sqlite3_changes(db) != 1)
                continue;
            // As a failed run: 16 failures in a row break the job.
            SqliteStmt fail(db, "UPDATE cat_jobs SET this_date = NULL, failures = COALESCE(failures, 0) + 1,"
                                " broken = CASE WHEN COALESCE(failures, 0) + 1 >= 16 THEN 'Y' ELSE broken END,"
                                " next_date = CASE WHEN COALESCE(failures, 0) + 1 >= 16 THEN ?2 ELSE next_date END"
                                " WHERE job = ?1");
            fail.Bind(1, job).Bind(2, int64_t{64060588800}); // 01-JAN-4000, a broken job's next date
            ok = fail.Run();
            if (!ok)
                break;
        }
        if (!ok || !SqliteExec(db, "COMMIT"))
            SqliteExec(db, "ROLLBACK");
    }
    sqlite3_close_v2(db);
}

} // namespace

OraSessionCore::~OraSessionCore()
{
    Close();
    m_transaction.reset();
    sqlite3_finalize(m_deadRuns);
    m_deadRuns = nullptr;
    sqlite3_finalize(m_generationStmt);
    m_generationStmt = nullptr;
    sqlite3_close_v2(m_waitDb);
    m_waitDb = nullptr;
    for (auto& [sql, stmt] : m_prepared)
        sqlite3_finalize(stmt);
    m_prepared.clear();
    m_preparedAt.clear();
    m_statements.reset();
    for (auto& f : m_fragments) {
        for (auto& v : f.second.values)
            sqlite3_value_free(v.second);
        sqlite3_finalize(f.second.stmt);
    }
    m_fragments.clear();
    m_catalog.reset(); // its kept statements before the connection
    sqlite3_close_v2(m_db);
}

OraResult OraSessionCore::AddFragments(const std::vector<FragmentSource>& fragments)
{
    std::vector<int> added;
    for (const FragmentSource& f : fragments) {
        sqlite3_stmt* st = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, f.sql.c_str(), static_cast<int>(f.sql.size()), &st, nullptr);
        if (rc != SQLITE_OK) {
            OraResult r = MapError(rc, false);
            sqlite3_finalize(st);
            DropFragments(added);
            return r;
        }
        FragmentState& state = m_fragments[f.id];
        state.stmt = st;
        state.cacheable = f.cacheable;
        added.push_back(f.id);
    }
    return OraResult{};
}

void OraSessionCore::ResetFragmentValues(const std::vector<int>& ids)
{
    for (int id : ids) {
        auto it = m_fragments.find(id);
        if (it == m_fragments.end())
            continue;
        for (auto& v : it->second.values)
            sqlite3_value_free(v.second);
        it->second.values.clear();
    }
}

void OraSessionCore::DropFragments(const std::vector<int>& ids)
{
    ResetFragmentValues(ids);
    for (int id : ids) {
        auto it = m_fragments.find(id);
        if (it == m_fragments.end())
            continue;
        sqlite3_finalize(it->second.stmt);
        m_fragments.erase(it);
    }
}

void OraSessionCore::EvalFragment(sqlite3_context* ctx, int id, int argc, sqlite3_value** argv)
{
    auto it = m_fragments.find(id);
    if (it == m_fragments.end()) {
        Raise(ctx, "ORA-00904: \"ORA_EVAL\": invalid identifier");
        return;
    }
    FragmentState& state = it->second;
    // A fragment's value depends on its inputs only (it reads one snapshot
    // and holds no sequence): computed once per inputs and execution, which
    // keeps nested sub-queries from being re-run for every outer row.
    std::string key;
    if (state.cacheable) {
        key = InputsKey(argc, argv);
        auto kept = state.values.find(key);
        if (kept != state.values.end()) {
            sqlite3_result_value(ctx, kept->second);
            return;
        }
    }
    if (OraStackLow()) {
        Raise(ctx, EngineErrorMessage(3095, m_major, {"1000"}));
        return;
    }
    sqlite3_stmt* st = state.stmt;
    sqlite3_stmt* copy = nullptr;
    if (sqlite3_stmt_busy(st)) {
        // Running already further up this call chain.
        if (sqlite3_prepare_v2(m_db, sqlite3_sql(st), -1, &copy, nullptr) != SQLITE_OK) {
            Raise(ctx, sqlite3_errmsg(m_db));
            return;
        }
        st = copy;
    }
    for (int i = 0; i < argc; ++i)
        sqlite3_bind_value(st, i + 1, argv[i]);
    const int rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
        sqlite3_value* v = sqlite3_column_value(st, 0);
        sqlite3_result_value(ctx, v);
        if (state.cacheable && state.values.size() < 100000) {
            if (sqlite3_value* dup = sqlite3_value_dup(v))
                state.values.emplace(key, dup);
        }
    } else if (rc == SQLITE_DONE) {
        sqlite3_result_null(ctx);
    } else {
        const std::string message = sqlite3_errmsg(m_db);
        Raise(ctx, message);
        sqlite3_result_error_code(ctx, rc);
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    sqlite3_finalize(copy);
}

void OraSessionCore::RegisterSessionFunctions()
{
    struct Fn {
        const char* name;
        int n;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
        int flags;
    };
    const Fn fns[] = {
        {"ora_user", 0, UserFn, SQLITE_INNOCUOUS},
        {"ora_uid", 0, [](sqlite3_context* ctx, int, sqlite3_value**) {
             SqliteStmt q(CoreOf(ctx)->Db(), "SELECT user_id FROM cat_users WHERE username = ?");
             q.Bind(1, CoreOf(ctx)->Catalog().User());
             sqlite3_result_int64(ctx, q.Step() ? q.Int(0) : 0);
         }, SQLITE_INNOCUOUS},
        {"ora_sid", 0, SidFn, SQLITE_INNOCUOUS},
        {"ora_has_priv", 1, HasPrivFn, SQLITE_INNOCUOUS},
        {"ora_pid_alive", 1, PidAliveFn, SQLITE_INNOCUOUS},
        {"ora_userenv", 1, UserenvFn, SQLITE_INNOCUOUS},
        {"ora_nextval", 2, NextvalFn, 0},
        {"ora_rownum_cur", 1, RownumFn, 0},
        {"ora_check_length", 5, CheckLengthFn, SQLITE_INNOCUOUS | SQLITE_DETERMINISTIC},
        {"ora_rownum_peek", 1, [](sqlite3_context* ctx, int, sqlite3_value** argv) {
             sqlite3_result_int64(ctx, CoreOf(ctx)->m_rownum[sqlite3_value_int(argv[0])] + 1);
         }, 0},
        // Its arguments after the first only place it in the loops of a join.
        {"ora_rownum_take", -1, [](sqlite3_context* ctx, int, sqlite3_value** argv) {
             ++CoreOf(ctx)->m_rownum[sqlite3_value_int(argv[0])];
             sqlite3_result_int(ctx, 1);
         }, 0},
        {"ora_currval", 2, CurrvalFn, 0},
        {"ora_txn", 0, [](sqlite3_context* ctx, int, sqlite3_value**) {
             sqlite3_result_int64(ctx, CoreOf(ctx)->Transaction().Id());
         }, SQLITE_INNOCUOUS},
    };
    for (const Fn& f : fns)
        sqlite3_create_function_v2(m_db, f.name, f.n, SQLITE_UTF8 | f.flags, this, f.fn, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "ora_eval", -1, SQLITE_UTF8, this, EvalFn, nullptr, nullptr, nullptr);
    RegisterPlsqlSqlFunction(m_db, this);
    sqlite3_create_function_v2(m_db, "ora_single_row", 1, SQLITE_UTF8 | SQLITE_INNOCUOUS, this, nullptr, SingleRowStep,
                               SingleRowFinal, nullptr);
}

OraResult OraSessionCore::Open(const OraDatabaseRef& ref, const std::string& user, const std::string& password,
                               std::shared_ptr<OraSessionCore>* core)
{
    return OpenChecked(ref, user, password, true, core);
}

OraResult OraSessionCore::OpenInternal(const OraDatabaseRef& ref, const std::string& user,
                                       std::shared_ptr<OraSessionCore>* core)
{
    OraResult r = OpenChecked(ref, user, std::string(), false, core);
    if (r.Ok())
        (*core)->m_internal = true;
    return r;
}

namespace {
// The last connection to close leaves the log and shared-memory files in
// place, emptied, rather than deleting them for the next logon to make again.
// (Any size limit empties the log at that close; a small one would also cut
// it back after every checkpoint, for the next writer to grow it again.)
void KeepLogFiles(sqlite3* db, const char* schema)
{
    int persist = 1;
    sqlite3_file_control(db, schema, SQLITE_FCNTL_PERSIST_WAL, &persist);
    SqliteExec(db, std::string("PRAGMA ") + schema + ".journal_size_limit = 67108864");
}

// The logon's reads in one read transaction: one consistent view, and one
// lock and file check instead of one per statement. Ended before anything
// is written.
class LogonReads {
public:
    explicit LogonReads(sqlite3* db) : m_db(db), m_open(sqlite3_get_autocommit(db) && SqliteExec(db, "BEGIN")) {}
    ~LogonReads() { End(); }
    LogonReads(const LogonReads&) = delete;
    LogonReads& operator=(const LogonReads&) = delete;
    void End()
    {
        if (m_open)
            SqliteExec(m_db, "COMMIT");
        m_open = false;
    }

private:
    sqlite3* m_db;
    bool m_open;
};
} // namespace

OraResult OraSessionCore::OpenChecked(const OraDatabaseRef& ref, const std::string& userIn, const std::string& password,
                                      bool checkPassword, std::shared_ptr<OraSessionCore>* out)
{
    auto notAvailable = [] { return OraResult{1034, FormatOraError(1034), 0}; };
    if (!DatabaseFileExists(ref))
        return notAvailable();
    const OraInstanceState state = ReadInstanceState(ref);
    if (!state.open)
        return notAvailable();
    std::shared_ptr<OraSessionCore> core(new OraSessionCore());
    core->m_ref = ref;
    // One thread uses a session at a time; only Break comes from another
    // thread, and sqlite3_interrupt needs no connection mutex.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(DatabaseFilePath(ref).c_str(), &core->m_db, flags, nullptr) != SQLITE_OK)
        return notAvailable();
    sqlite3* db = core->m_db;
    // Waiting for another session's write lock lasts until it is free or the
    // session is broken; the logon's own housekeeping writes wait only briefly
    // (logging on never waits for another session's transaction).
    sqlite3_busy_handler(db, &OraSessionCore::BusyWait, core.get());
    core->m_lockWait = LockWait::Brief;
    SqliteExec(db, "PRAGMA foreign_keys = ON; PRAGMA trusted_schema = ON; PRAGMA synchronous = NORMAL");
    KeepLogFiles(db, "main");
    RegisterOracleFunctions(db);
    SetConnectionClock(db, state.clock);
    // What a logon needs of cat_db, read at once (the table is a handful of
    // rows; a plain scan prepares in half the time a key list takes).
    std::string catalogLevel;
    bool hasVersion = false;
    {
        SqliteStmt v(db, "SELECT key, value FROM main.cat_db");
        while (v.Step()) {
            const std::string key = v.Text(0);
            if (key == "version") {
                core->m_version = v.Text(1);
                hasVersion = true;
            } else if (key == "catalog_level") {
                catalogLevel = v.Text(1);
            } else if (key == "catalog_generation") {
                core->m_watched = true;
            } else if (key == "job_queue_processes") {
                core->m_queueProcesses = std::atoi(v.Text(1).c_str());
            }
        }
        if (!hasVersion)
            return notAvailable();
        core->m_major = MajorVersionOf(core->m_version);
    }
    {
        std::string error;
        const std::string inst = InstanceFilePath(ref);
        VkTouchPrivate(inst); // 0600 before SQLite makes it
        bool attached = AttachInstance(db, inst, &error);
        const int why = sqlite3_errcode(db);
        if (!attached && (why == SQLITE_CORRUPT || why == SQLITE_NOTADB)) {
            // Left damaged by a machine crash: everything in it belonged to
            // processes that are gone, so it starts again empty.
            SqliteExec(db, "DETACH DATABASE inst");
            for (const std::string& path : {inst, inst + "-wal", inst + "-shm"})
                ::unlink(path.c_str());
            VkTouchPrivate(inst);
            attached = AttachInstance(db, inst, &error);
        }
        if (!attached)
            return notAvailable();
        // Sessions and runs never need to survive a machine crash (their
        // processes do not), so their changes are never synced to disk.
        SqliteExec(db, "PRAGMA inst.synchronous = OFF");
        KeepLogFiles(db, "inst");
    }
    LogonReads reads(db);
    const std::string user = VkAsciiUpper(userIn);
    if (checkPassword && password.empty())
        return OraResult{1005, FormatOraError(1005), 0};
    bool upgradePassword = false;
    {
        SqliteStmt q(db, "SELECT user_id, password, account_status FROM cat_users WHERE username = ? AND is_role = 0");
        q.Bind(1, user);
        if (!q.Step() || (checkPassword && !OraPasswordVerifier::Matches(q.Text(1), password)))
            return OraResult{1017, FormatOraError(1017), 0};
        if (checkPassword && q.Text(2).find("LOCKED") != std::string::npos)
            return OraResult{28000, FormatOraError(28000), 0};
        core->m_userId = q.Int(0);
        upgradePassword = checkPassword && !OraPasswordVerifier::IsVerifier(q.Text(1));
    }
    if (upgradePassword) {
        reads.End();
        // A file written before verifiers keeps the password itself: replace it.
        SqliteStmt u(db, "UPDATE cat_users SET password = ? WHERE user_id = ?");
        u.Bind(1, OraPasswordVerifier::Make(password)).Bind(2, core->m_userId);
        u.Run();
    }
    // Version 7 servers (territory AMERICA) default to two-digit YY years.
    if (core->m_major <= 7)
        SetSessionDateFormat(db, "DD-MON-YY");
    core->m_initialDateFormat = SessionDateFormat(db);
    core->m_catalog = std::make_unique<OraCatalog>(db, user, core->m_major);
    core->m_statements = std::make_unique<OraEngineStatementCache>();
    core->RegisterSessionFunctions();
    core->m_transaction = std::make_unique<OraTransaction>(*core, db);
    if (CatalogNeedsUpgrade(catalogLevel)) {
        // A database from an earlier build gets what the catalogue gained
        // since; one that cannot be written goes on without it.
        reads.End();
        std::string ignored;
        UpgradeCatalog(db, core->m_major, &ignored);
        core->m_watched = core->WatchCatalog();
    }
    core->SyncCatalog();
    if (checkPassword && !core->m_catalog->HasSysPriv("CREATE SESSION"))
        return OraResult{1045, FormatOraError(1045, {user}), 0};
    // Runs left by dead processes are cleared before this session sees them.
    core->ReapDeadRuns();
    reads.End();
    // Register in V$SESSION, dropping rows of processes that died. The id is
    // new for the life of the instance file, so a stale id kept anywhere
    // never names this session.
    char host[256] = "localhost";
    ::gethostname(host, sizeof host - 1);
    const char* osUser = std::getenv("USER");
    if (!SqliteExec(db, "BEGIN"))
        return notAvailable();
    bool registered = SqliteExec(db, "DELETE FROM inst.cat_sessions WHERE NOT ora_pid_alive(pid);"
                                     " INSERT OR IGNORE INTO inst.cat_counters VALUES ('last_sid', 6)");
    // A counter made just now (in an instance file from before counters)
    // starts past every id still named; from then on every id comes from it,
    // so adding one is enough.
    if (registered && sqlite3_changes(db) == 1)
        registered = SqliteExec(db, "UPDATE inst.cat_counters SET value = max(value,"
                                    " (SELECT coalesce(max(sid), 0) FROM inst.cat_sessions),"
                                    " (SELECT coalesce(max(sid), 0) FROM inst.cat_jobs_running))"
                                    " WHERE name = 'last_sid'");
    int64_t sid = 0;
    if (registered) {
        SqliteStmt next(db, "UPDATE inst.cat_counters SET value = value + 1 WHERE name = 'last_sid' RETURNING value");
        registered = next.Step();
        if (registered) {
            sid = next.Int(0);
            registered = !next.Step() && next.LastCode() == SQLITE_DONE;
        }
    }
    if (registered) {
        uint32_t random = 0;
        sqlite3_randomness(sizeof random, &random);
        SqliteStmt ins(db, "INSERT INTO inst.cat_sessions(sid, serial, username, user_id, pid, logon_time, program,"
                           " machine, osuser, schemaname) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        ins.Bind(1, sid).Bind(2, static_cast<int64_t>(random % 30000 + 1)).Bind(3, user).Bind(4, core->m_userId);
        ins.Bind(5, static_cast<int64_t>(::getpid())).Bind(6, OracleSysdate(db)).Bind(7, std::string("ociw32"));
        ins.Bind(8, std::string(host)).Bind(9, std::string(osUser ? osUser : "oracle")).Bind(10, user);
        registered = ins.Run() && sqlite3_changes(db) == 1;
    }
    if (registered)
        core->m_sid = static_cast<int>(sid);
    if (!registered || !SqliteExec(db, "COMMIT")) {
        SqliteExec(db, "ROLLBACK");
        return OraResult{1034, FormatOraError(1034), 0};
    }
    core->m_lockWait = LockWait::Wait;
    // Transactions of sessions that died are rolled back before this one reads.
    core->m_transaction->RollbackDead();
    *out = core;
    return OraResult{};
}

bool OraSessionCore::KilledByOther(std::chrono::steady_clock::time_point now)
{
    if (m_killed)
        return true;
    if (now - m_killCheckedAt < std::chrono::milliseconds(50) || !m_db)
        return false;
    m_killCheckedAt = now;
    SqliteStmt q(m_db, "SELECT killed FROM cat_sessions WHERE sid = ?");
    q.Bind(1, static_cast<int64_t>(m_sid));
    m_killed = q.Step() && q.Int(0) != 0;
    return m_killed;
}

OraResult OraSessionCore::CheckAlive()
{
    return CheckAlive(std::chrono::steady_clock::now());
}

OraResult OraSessionCore::CheckAlive(std::chrono::steady_clock::time_point checkedAt)
{
    if (m_closed)
        return OraResult{1012, FormatOraError(1012), 0};
    // A block runs statement after statement: there the files are looked at
    // every few milliseconds, not for each one.
    // The kill is reported once; the client refuses later calls itself.
    if (KilledByOther(checkedAt))
        return OraResult{28, FormatOraError(28), 0};
    if (m_inBlock && m_instanceOpen && m_stateKnown && checkedAt - m_aliveCheckedAt < std::chrono::milliseconds(5))
        return OraResult{};
    m_aliveCheckedAt = checkedAt;
    // The state file is re-read only when it changed (it is replaced by rename).
    struct stat st {};
    StateKey key;
    if (::stat(StateFilePath(m_ref).c_str(), &st) == 0)
        key = StateKey{static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_mtim.tv_sec),
                       static_cast<int64_t>(st.st_mtim.tv_nsec), static_cast<int64_t>(st.st_size)};
    if (!m_stateKnown || !(key == m_stateKey)) {
        const OraInstanceState state = ReadInstanceState(m_ref);
        m_instanceOpen = state.open && DatabaseFileExists(m_ref);
        SetConnectionClock(m_db, state.clock);
        m_stateKey = key;
        m_stateKnown = true;
    }
    if (!m_instanceOpen)
        return OraResult{3114, FormatOraError(3114), 0};
    ReapDeadRuns();
    // A queue runner calls this before each job: there the transactions of
    // dead sessions are looked for every 100 ms. Others read their rows'
    // committed image meanwhile, and a session that wants those rows rolls
    // them back itself, as every logon and every client's call does.
    if (!m_internal || checkedAt - m_deadLookedAt >= std::chrono::milliseconds(100)) {
        m_deadLookedAt = checkedAt;
        m_transaction->RollbackDead();
    }
    return OraResult{};
}

namespace {
// The catalogue tables that compiled statements and privileges depend on.
const char* const kWatchedTables[] = {
    "cat_users", "cat_objects", "cat_columns", "cat_constraints", "cat_cons_columns", "cat_indexes",
    "cat_ind_columns", "cat_synonyms", "cat_triggers", "cat_trigger_cols", "cat_arguments", "cat_source",
    "cat_views", "cat_coll_types", "cat_sys_privs", "cat_role_privs", "cat_tab_privs",
};
const char* const kWatchedChanges[] = {"INSERT", "UPDATE", "DELETE"};
} // namespace

bool OraSessionCore::WatchCatalog()
{
    SqliteStmt q(m_db, "SELECT 1 FROM main.cat_db WHERE key = 'catalog_generation'");
    return q.Step();
}

void OraSessionCore::WatchCatalogWrites()
{
    if (m_watchingWrites || !m_watched)
        return;
    std::string sql;
    for (const char* table : kWatchedTables)
        for (const char* change : kWatchedChanges)
            sql += std::string("CREATE TEMP TRIGGER IF NOT EXISTS cat_gen_") + table + "_" + change + " AFTER " + change +
                   " ON main." + table + " BEGIN UPDATE cat_db SET value = CAST(value AS INTEGER) + 1"
                   " WHERE key = 'catalog_generation'; END;";
    // Made inside a transaction they would go with its rollback: then they
    // are made again at the next write.
    const bool lasting = sqlite3_get_autocommit(m_db) != 0;
    if (SqliteExec(m_db, sql) && lasting)
        m_watchingWrites = true;
}

void OraSessionCore::SyncCatalog()
{
    int64_t generation = -1;
    if (m_watched) {
        if (!m_generationStmt)
            sqlite3_prepare_v2(m_db, "SELECT CAST(value AS INTEGER) FROM main.cat_db WHERE key = 'catalog_generation'",
                               -1, &m_generationStmt, nullptr);
        if (m_generationStmt && sqlite3_step(m_generationStmt) == SQLITE_ROW)
            generation = sqlite3_column_int64(m_generationStmt, 0);
        if (m_generationStmt)
            sqlite3_reset(m_generationStmt);
    }
    if (generation >= 0 && generation == m_generation)
        return;
    m_generation = generation;
    m_catalog->RefreshPrivileges();
    m_statements->Clear();
}

sqlite3_stmt* OraSessionCore::Prepared(const char* sql)
{
    if (auto at = m_preparedAt.find(sql); at != m_preparedAt.end() && at->second->first == sql)
        return at->second->second;
    auto it = m_prepared.find(std::string_view(sql));
    if (it == m_prepared.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return nullptr;
        }
        it = m_prepared.emplace(sql, stmt).first;
    }
    m_preparedAt[sql] = it;
    return it->second;
}

void OraSessionCore::ForgetStatements()
{
    m_statements->Clear();
}

OraResult OraSessionCore::BecomeUser(const std::string& userIn)
{
    const std::string user = VkAsciiUpper(userIn);
    Rollback();
    m_plsql.reset();
    m_currval.clear();
    SetSessionDateFormat(m_db, m_initialDateFormat);
    // The same owner again keeps its privileges and compiled statements.
    if (user == m_catalog->User()) {
        m_catalog->SetSchema(user);
        return OraResult{};
    }
    int64_t userId = 0;
    {
        SqliteStmt q(m_db, "SELECT user_id FROM cat_users WHERE username = ? AND is_role = 0");
        q.Bind(1, user);
        if (!q.Step())
            return OraResult{1017, FormatOraError(1017), 0};
        userId = q.Int(0);
    }
    m_userId = userId;
    m_catalog = std::make_unique<OraCatalog>(m_db, user, m_major);
    m_generation = -1;
    SyncCatalog();
    m_statements->Clear();
    SqliteStmt row(m_db, "UPDATE inst.cat_sessions SET username = ?1, user_id = ?2, schemaname = ?1 WHERE sid = ?3");
    row.Bind(1, user).Bind(2, userId).Bind(3, static_cast<int64_t>(m_sid));
    row.Run();
    return OraResult{};
}

void OraSessionCore::ReapDeadRuns()
{
    // Inside its own write transaction the session would wait for itself.
    if (sqlite3_txn_state(m_db, "main") == SQLITE_TXN_WRITE)
        return;
    // Mostly no job runs at all: a look at the table costs far less, the
    // first time above all, than the query that tells the dead runs.
    {
        SqliteStmt any(Prepared("SELECT 1 FROM inst.cat_jobs_running LIMIT 1"));
        if (any.Ok() && !any.Step() && any.LastCode() == SQLITE_DONE)
            return;
    }
    if (!m_deadRuns &&
        sqlite3_prepare_v2(m_db, "SELECT r.job, r.sid FROM inst.cat_jobs_running r LEFT JOIN inst.cat_sessions s"
                                 " ON s.sid = r.sid WHERE s.sid IS NULL OR NOT ora_pid_alive(s.pid)",
                           -1, &m_deadRuns, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_deadRuns);
        m_deadRuns = nullptr;
        return;
    }
    std::vector<std::pair<int64_t, int64_t>> dead;
    while (sqlite3_step(m_deadRuns) == SQLITE_ROW)
        dead.emplace_back(sqlite3_column_int64(m_deadRuns, 0), sqlite3_column_int64(m_deadRuns, 1));
    sqlite3_reset(m_deadRuns);
    if (!dead.empty())
        ClearDeadRuns(m_ref, dead);
}

OraResult OraSessionCore::BeginWrite(LockWait how, bool capture)
{
    return m_transaction->BeginWrite(capture, how == LockWait::Brief);
}

OraResult OraSessionCore::BeginInsert(const std::string& table)
{
    return m_transaction->BeginInsert(table);
}

OraResult OraSessionCore::EndWrite(bool ok, bool nowait, bool* restart)
{
    return m_transaction->EndWrite(ok, nowait, restart);
}

OraResult OraSessionCore::RunWrite(const std::function<OraResult()>& body)
{
    for (;;) {
        OraResult r = BeginWrite();
        if (!r.Ok())
            return r;
        r = body();
        bool restart = false;
        OraResult ended = EndWrite(r.Ok(), false, &restart);
        if (!r.Ok())
            return r;
        if (!ended.Ok() || !restart)
            return ended;
    }
}

int OraSessionCore::BeginOwnWrite(LockWait how)
{
    // BEGIN IMMEDIATE would lock the instance file too; a no-op write takes
    // the write lock of the database alone.
    m_lockWait = how;
    int rc = RunKept("BEGIN");
    if (rc == SQLITE_OK)
        rc = RunKept("UPDATE main.cat_db SET value = value WHERE 0");
    m_lockWait = LockWait::Wait;
    MarkWaiting(false);
    return rc;
}

OraResult OraSessionCore::WaitForTransaction(int64_t txn)
{
    // Nothing of this session's may keep SQLite's lock while it waits.
    if (OraResult flushed = m_transaction->Flush(); !flushed.Ok())
        return flushed;
    MarkWaiting(true);
    OraResult r;
    for (int attempt = 0;; ++attempt) {
        if (m_breakRequested || m_blockBreak) {
            r = Error(1013);
            break;
        }
        // A kill ends the wait as it ends a sleeping block.
        if (attempt % 10 == 9 && KilledWhileWaiting()) {
            m_killed = true;
            r = Error(28);
            break;
        }
        const int state = m_transaction->StateOf(txn);
        if (m_breakRequested || m_blockBreak)
            continue; // the look may have been interrupted
        // Ended: records left by a killed session after its rollback go too.
        if (state != 1) {
            m_transaction->Undo(txn, 0, true);
            break;
        }
        ::usleep(5000);
    }
    MarkWaiting(false);
    return r;
}

int OraSessionCore::RunKept(const char* sql)
{
    sqlite3_stmt* st = Prepared(sql);
    if (!st)
        return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    const int rc = sqlite3_step(st);
    sqlite3_reset(st);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

OraResult OraSessionCore::Commit()
{
    OraResult r = m_transaction->Commit();
    const bool wake = std::exchange(m_wakeJobQueue, false);
    if (r.Ok() && wake)
        SignalInstanceState(m_ref);
    return r;
}

OraResult OraSessionCore::CommitWith(const std::function<OraResult()>& body, bool undo,
                                     const std::vector<std::pair<std::string, int64_t>>& heldRows, int64_t* holder)
{
    OraResult r = m_transaction->EndWith(undo, body, heldRows, holder);
    if (*holder != 0)
        return r; // nothing was done
    const bool wake = std::exchange(m_wakeJobQueue, false) && !undo;
    if (r.Ok() && wake)
        SignalInstanceState(m_ref);
    return r;
}

OraResult OraSessionCore::OpenOwnWrite(LockWait how)
{
    if (OraResult flushed = m_transaction->Flush(); !flushed.Ok())
        return flushed;
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr); // a read left open
    const int rc = BeginOwnWrite(how);
    if (rc == SQLITE_OK)
        return OraResult{};
    OraResult r = MapError(rc, false);
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return r;
}

OraResult OraSessionCore::CloseOwnWrite(bool keep)
{
    OraResult r;
    if (keep) {
        if (const int rc = RunKept("COMMIT"); rc != SQLITE_OK)
            r = MapError(rc, false);
    }
    if (!keep || !r.Ok())
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return r;
}

OraResult OraSessionCore::RunOwnWrite(const std::function<OraResult()>& body, LockWait how)
{
    if (m_transaction->Writing())
        return body(); // joins the statement's write
    if (OraResult begun = OpenOwnWrite(how); !begun.Ok())
        return begun;
    OraResult r = body();
    OraResult ended = CloseOwnWrite(r.Ok());
    return r.Ok() ? ended : r;
}

OraResult OraSessionCore::Rollback()
{
    m_wakeJobQueue = false;
    // A break landing in the first attempt interrupts it; the second runs.
    OraResult r = m_transaction->Rollback();
    if (!r.Ok())
        r = m_transaction->Rollback();
    return r;
}

void OraSessionCore::Close()
{
    if (m_closed.exchange(true))
        return;
    if (!m_db)
        return;
    if (m_transaction)
        Rollback();
    SqliteStmt del(m_db, "DELETE FROM cat_sessions WHERE sid = ?");
    del.Bind(1, static_cast<int64_t>(m_sid));
    del.Run();
}

void OraSessionCore::Break()
{
    std::lock_guard<std::mutex> guard(m_breakLock);
    if (m_inBlock)
        m_blockBreak = true;
    if (m_running && m_db) {
        m_breakRequested = true;
        sqlite3_interrupt(m_db);
    }
}

void OraSessionCore::SetInBlock(bool inBlock)
{
    // A statement run in the block before any PL/SQL statement reads its own.
    m_clockRead = false;
    std::lock_guard<std::mutex> guard(m_breakLock);
    m_inBlock = inBlock;
    m_blockBreak = false;
}

void OraSessionCore::SetRunning(bool running)
{
    // Starting needs no lock: a break before it is missed either way (a
    // block still stops at its next statement), one after it interrupts.
    // Ending takes it, so that no break lands after its request is cleared.
    if (running) {
        m_running.store(true);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_breakLock);
        m_running = false;
        m_breakRequested = false;
    }
    MarkWaiting(false); // a wait met inside the statement is over
}

namespace {
// A brief wait (DDL, logon housekeeping) gives up after 2 s.
constexpr auto kBriefWait = std::chrono::seconds(2);
// Most locks are held for one statement's change: the first sleeps are
// tens of microseconds, growing to a few milliseconds for a long wait.
constexpr long kFirstSleepUs = 20;
constexpr long kLongestSleepUs = 5000;
// Shown in V$SESSION, and checked for a kill, only once the wait is not
// one of those moments.
constexpr auto kShownWait = std::chrono::milliseconds(10);
constexpr auto kKillCheckEvery = std::chrono::milliseconds(100);
} // namespace

int OraSessionCore::BusyWait(void* self, int attempt)
{
    auto* core = static_cast<OraSessionCore*>(self);
    if (core->m_breakRequested || core->m_blockBreak || core->m_lockWait == LockWait::NoWait)
        return 0;
    const auto now = std::chrono::steady_clock::now();
    if (attempt == 0) {
        core->m_busySince = now;
        core->m_busyKillCheck = now;
    }
    const auto waited = now - core->m_busySince;
    if (core->m_lockWait == LockWait::Brief && waited >= kBriefWait)
        return 0;
    if (waited >= kShownWait) {
        core->MarkWaiting(true);
        // A kill ends the wait as it ends a sleeping block.
        if (now - core->m_busyKillCheck >= kKillCheckEvery) {
            core->m_busyKillCheck = now;
            if (core->KilledWhileWaiting()) {
                core->m_killed = true;
                return 0;
            }
        }
    }
    const long sleepUs = attempt >= 8 ? kLongestSleepUs : std::min(kLongestSleepUs, kFirstSleepUs << attempt);
    ::usleep(static_cast<useconds_t>(sleepUs));
    return 1;
}

sqlite3* OraSessionCore::WaitConnection()
{
    if (m_waitDb)
        return m_waitDb;
    if (sqlite3_open_v2(InstanceFilePath(m_ref).c_str(), &m_waitDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        sqlite3_close_v2(m_waitDb);
        m_waitDb = nullptr;
        return nullptr;
    }
    // Only a display: never worth waiting for.
    sqlite3_busy_timeout(m_waitDb, 100);
    return m_waitDb;
}

void OraSessionCore::MarkWaiting(bool waiting)
{
    if (m_waitMarked == waiting)
        return;
    m_waitMarked = waiting;
    sqlite3* db = WaitConnection();
    if (!db)
        return;
    SqliteStmt u(db, "UPDATE cat_sessions SET status = ? WHERE sid = ?");
    u.Bind(1, std::string(waiting ? "ACTIVE" : "INACTIVE")).Bind(2, static_cast<int64_t>(m_sid));
    u.Run();
}

bool OraSessionCore::KilledWhileWaiting()
{
    sqlite3* db = WaitConnection();
    if (!db)
        return false;
    SqliteStmt q(db, "SELECT killed FROM cat_sessions WHERE sid = ?");
    q.Bind(1, static_cast<int64_t>(m_sid));
    return q.Step() && q.Int(0) != 0;
}

OraResult OraSessionCore::Error(int code, std::initializer_list<std::string> args, int offset) const
{
    return OraResult{code, EngineErrorMessage(code, m_major, args), offset};
}

OraResult OraSessionCore::MapConstraint(const std::string& message, bool updating) const
{
    auto after = [&](const char* prefix) {
        const size_t at = message.find(prefix);
        return at == std::string::npos ? std::string() : message.substr(at + std::strlen(prefix));
    };
    std::string rest = after("NOT NULL constraint failed: ");
    if (!rest.empty()) {
        const size_t first = rest.find('.'), last = rest.rfind('.');
        const std::string owner = rest.substr(0, first);
        const std::string table = rest.substr(first + 1, last - first - 1);
        const std::string column = rest.substr(last + 1);
        return Error(updating ? 1407 : 1400, {Quoted(owner) + "." + Quoted(table) + "." + Quoted(column)});
    }
    rest = after("UNIQUE constraint failed: ");
    if (rest.empty())
        rest = after("PRIMARY KEY constraint failed: ");
    if (!rest.empty()) {
        std::vector<std::string> columns;
        std::string owner, table;
        size_t start = 0;
        while (start < rest.size()) {
            size_t end = rest.find(", ", start);
            const std::string part = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
            const size_t first = part.find('.'), last = part.rfind('.');
            owner = part.substr(0, first);
            table = part.substr(first + 1, last - first - 1);
            columns.push_back(part.substr(last + 1));
            if (end == std::string::npos)
                break;
            start = end + 2;
        }
        std::string list;
        for (const std::string& c : columns)
            list += (list.empty() ? "" : ",") + c;
        SqliteStmt q(m_db, "SELECT c.constraint_name FROM cat_constraints c WHERE c.owner = ?1 AND c.table_name = ?2"
                           " AND c.constraint_type IN ('P','U') AND (SELECT group_concat(column_name, ',') FROM"
                           " (SELECT column_name FROM cat_cons_columns cc WHERE cc.owner = c.owner AND"
                           " cc.constraint_name = c.constraint_name ORDER BY position)) = ?3"
                           " UNION ALL SELECT i.index_name FROM cat_indexes i WHERE i.table_owner = ?1 AND"
                           " i.table_name = ?2 AND i.uniqueness = 'UNIQUE' AND (SELECT group_concat(column_name, ',')"
                           " FROM (SELECT column_name FROM cat_ind_columns ic WHERE ic.index_owner = i.owner AND"
                           " ic.index_name = i.index_name ORDER BY column_position)) = ?3");
        q.Bind(1, owner).Bind(2, table).Bind(3, list);
        const std::string name = q.Step() ? q.Text(0) : "SYS_C000000";
        return Error(1, {owner, name});
    }
    rest = after("CHECK constraint failed: ");
    if (!rest.empty()) {
        if (rest.rfind("~len~", 0) == 0)
            return Error(1401);
        if (rest.rfind("~prec~", 0) == 0)
            return Error(1438);
        const size_t dot = rest.find('.');
        return Error(2290, {rest.substr(0, dot), dot == std::string::npos ? rest : rest.substr(dot + 1)});
    }
    return Error(0);
}

OraResult OraSessionCore::MapError(int rc, bool updating) const
{
    const std::string message = sqlite3_errmsg(m_db);
    const int primary = rc & 0xff;
    // A break may land in one of the engine's own steps, whose caller then
    // reports a general failure: the connection still says why.
    if (primary == SQLITE_INTERRUPT || sqlite3_errcode(m_db) == SQLITE_INTERRUPT ||
        (primary == SQLITE_BUSY && (m_breakRequested || m_blockBreak)))
        return Error(1013);
    if (primary == SQLITE_BUSY && m_killed)
        return Error(28);
    if (const int code = ParseOraErrorCode(message.c_str()))
        return OraResult{code, message, 0};
    if (primary == SQLITE_CONSTRAINT) {
        if (message.find("FOREIGN KEY") != std::string::npos)
            return Error(2291, {m_catalog ? m_catalog->Schema() : "SYS", "FK"});
        OraResult r = MapConstraint(message, updating);
        if (r.code)
            return r;
    }
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        return Error(54);
    // An aggregate over outer columns only, inside a sub-query.
    if (message.rfind("misuse of aggregate", 0) == 0)
        return Error(934);
    // Nesting beyond SQLite's parser where no fragment could take it (SQL
    // kept in the schema, such as a view's query).
    if (message == "parser stack overflow" || message.rfind("Expression tree is too large", 0) == 0 ||
        message.rfind("too many terms in compound SELECT", 0) == 0)
        return Error(3095, {"1000"});
    // SQLite joins at most 64 tables (200 terms) where Oracle has no such limit.
    if ((message.rfind("at most ", 0) == 0 && message.find(" tables in a join") != std::string::npos) ||
        message.rfind("too many FROM clause terms", 0) == 0)
        return Error(3001);
    return OraResult{600, "ORA-00600: internal error code, arguments: [sqlite], [" + message + "]", 0};
}

} // namespace VkOracle
