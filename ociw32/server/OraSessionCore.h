#pragma once
// The state one session shares with its statements: its own SQLite
// connection (so uncommitted work stays private), its catalogue view, the
// session functions (USER, privileges, sequences), Oracle's transaction
// rules and the mapping of SQLite failures to Oracle errors.

#include "ociw32/server/OraCatalog.h"
#include "ociw32/server/OraServer.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_context;
struct sqlite3_value;

namespace VkOracle {

class OraEngineStatementCache;
class OraTransaction;
struct PlsqlSessionState;

class OraSessionCore {
public:
    ~OraSessionCore();

    // Opens the connection, checks the password and account, registers the
    // session. The core is usable only when the result is Ok.
    static OraResult Open(const OraDatabaseRef& ref, const std::string& user, const std::string& password,
                          std::shared_ptr<OraSessionCore>* core);
    // The server's own logon (provisioning): no password check.
    static OraResult OpenInternal(const OraDatabaseRef& ref, const std::string& user,
                                  std::shared_ptr<OraSessionCore>* core);

    sqlite3* Db() const { return m_db; }
    OraCatalog& Catalog() { return *m_catalog; }
    int Major() const { return m_major; }
    const std::string& Version() const { return m_version; }
    int Sid() const { return m_sid; }
    // JOB_QUEUE_PROCESSES as the logon read it.
    int JobQueueProcessesAtLogon() const { return m_queueProcesses; }
    const OraDatabaseRef& Ref() const { return m_ref; }

    // Brings the session up to the catalogue's generation, which every
    // change to it (DDL, GRANT, REVOKE, by any session) moves: only then are
    // privileges read again and kept statements dropped.
    void SyncCatalog();
    int64_t CatalogGeneration() const { return m_generation; }
    // Compiled statements kept by text for this session.
    OraEngineStatementCache& Statements() { return *m_statements; }
    // Drops the kept statements (a change to the session's own settings).
    void ForgetStatements();
    // The engine's own statement for this text, prepared once per session
    // (null when it does not compile); borrow it through SqliteStmt(kept).
    sqlite3_stmt* Prepared(const char* sql);

    // Fails with 3114 once the session is closed or its instance shut down,
    // with 28 once another session killed it (then 1012); also picks up
    // clock changes made by other processes.
    OraResult CheckAlive();
    // CheckAlive with the clock already read (StatementClock).
    OraResult CheckAlive(std::chrono::steady_clock::time_point now);
    // The steady clock read once per statement: the checks made while one
    // starts and ends (alive, kill, the block's shared SQLite transaction)
    // share the reading. Read at the first call after ExpireStatementClock,
    // which each PL/SQL statement and each SQL statement run outside a
    // block calls as it starts (and SetInBlock).
    std::chrono::steady_clock::time_point StatementClock()
    {
        if (!m_clockRead) {
            m_statementClock = std::chrono::steady_clock::now();
            m_clockRead = true;
        }
        return m_statementClock;
    }
    void ExpireStatementClock() { m_clockRead = false; }
    // Whether another session has killed this one (ALTER SYSTEM KILL
    // SESSION). Asks the catalogue at most every 50 ms, so that loops and
    // sleeps can call it freely.
    bool KilledByOther() { return KilledByOther(std::chrono::steady_clock::now()); }
    bool KilledByOther(std::chrono::steady_clock::time_point now);
    // How long a session waits for SQLite's write lock (held only for one
    // statement's change): until it is free (or Break, ORA-01013), or a
    // moment, as DDL does (then ORA-00054).
    enum class LockWait { Wait, NoWait, Brief };
    // Opens a statement's short SQLite write transaction; with `capture` the
    // rows it changes join the session's Oracle transaction as row locks.
    OraResult BeginWrite(LockWait how = LockWait::Wait, bool capture = true);
    // The same for an INSERT into `table` (storage name) that writes nothing
    // else; see OraTransaction::BeginInsert.
    OraResult BeginInsert(const std::string& table);
    // Ends it (`ok` false undoes the statement alone). When it touched rows
    // another transaction holds, the statement is undone and either fails
    // (NOWAIT or no *restart: ORA-00054) or waits for the holder to end and
    // sets *restart: the caller runs the statement again.
    OraResult EndWrite(bool ok, bool nowait = false, bool* restart = nullptr);
    // Runs `body` (statements on Db()) as one write, restarting it after a
    // wait for another transaction's rows; its failure undoes it.
    OraResult RunWrite(const std::function<OraResult()>& body);
    // Ends the Oracle transaction: releases its row locks / writes its
    // before-images back.
    OraResult Commit();
    OraResult Rollback();
    // Ends the Oracle transaction (committing it, or with `undo` rolling it
    // back) in the same SQLite transaction as `body`'s writes, which lock no
    // rows: a crash never keeps the one without the other. When a row of
    // `heldRows` (table, rowid) is another transaction's, nothing is done
    // and *holder names that transaction, for the caller to wait for.
    OraResult CommitWith(const std::function<OraResult()>& body, bool undo,
                         const std::vector<std::pair<std::string, int64_t>>& heldRows, int64_t* holder);
    // A SQLite write transaction of the engine's own bookkeeping, which
    // locks no rows: opened (after what a block left open is committed),
    // then committed (`keep`) or undone.
    OraResult OpenOwnWrite(LockWait how);
    OraResult CloseOwnWrite(bool keep);
    // Runs `body` in such a transaction (or in the statement's write under
    // way); its failure or a failed commit undoes it.
    OraResult RunOwnWrite(const std::function<OraResult()>& body, LockWait how = LockWait::Wait);
    // The transaction made a job due or changed the queue's parameters: its
    // commit wakes the job queue process (SignalInstanceState).
    void WakeJobQueueAtCommit() { m_wakeJobQueue = true; }
    // Makes this connection's changes to the catalogue tables move its
    // generation: TEMP triggers, made before the session's first DDL, so
    // that a session that only reads or changes data never parses them
    // (SQLite looks through every TEMP trigger when it compiles a change).
    void WatchCatalogWrites();
    OraTransaction& Transaction() { return *m_transaction; }
    // Opens a SQLite write transaction on the database file (not the
    // instance file), waiting for SQLite's lock as `how` says; SQLite's code.
    int BeginOwnWrite(LockWait how);
    // Runs a statement of the engine's own (BEGIN, COMMIT), prepared once
    // (transaction bookkeeping is hot); SQLite's result code.
    int RunKept(const char* sql);
    // Waits until transaction `txn` ends (rolling it back if its session is
    // gone); ORA-01013 on Break, ORA-00028 when this session is killed.
    OraResult WaitForTransaction(int64_t txn);
    // A job queue process's session taking on the next job's owner: the
    // user, schema and privileges become the owner's and the session's own
    // state (statements, package state, sequences, date format) starts
    // afresh. ORA-01017 when there is no such user (then nothing changed).
    OraResult BecomeUser(const std::string& user);
    // Ends the session: rolls back, unregisters, refuses further calls.
    void Close();
    bool Closed() const { return m_closed; }

    void Break();
    void SetRunning(bool running);
    // SetRunning for one step of an open cursor, without the lock: a break
    // that lands between two rows interrupts the next one instead.
    void SetStepping(bool stepping)
    {
        m_running.store(stepping, std::memory_order_release);
        if (!stepping && m_breakRequested.load(std::memory_order_relaxed))
            m_breakRequested.store(false);
    }
    // A PL/SQL block is running: Break also stops it between statements.
    void SetInBlock(bool inBlock);
    bool InBlock() const { return m_inBlock; }
    // Takes a break request made while a block runs (true once per request).
    bool TakeBlockBreak() { return m_blockBreak.exchange(false); }

    // Oracle's error for the connection's last SQLite failure.
    OraResult MapError(int rc, bool updating) const;
    OraResult Error(int code, std::initializer_list<std::string> args = {}, int offset = 0) const;

    // Prepares the fragments of a compiled statement for ora_eval (the
    // session keeps them until DropFragments). Oracle's error on failure,
    // with none of them kept.
    // `cacheable` fragments give one value per inputs within an execution.
    struct FragmentSource {
        int id = 0;
        std::string sql;
        bool cacheable = false;
    };
    OraResult AddFragments(const std::vector<FragmentSource>& fragments);
    void DropFragments(const std::vector<int>& ids);
    // Forgets the values kept for these fragments (a new execution).
    void ResetFragmentValues(const std::vector<int>& ids);
    // One value of fragment `id` for the inputs `argv`, as ora_eval gives it.
    void EvalFragment(sqlite3_context* ctx, int id, int argc, sqlite3_value** argv);

    // Levels of recursive SQL running (a job body run from PL/SQL); Oracle
    // stops at kMaxRecursiveSql with ORA-00036.
    static constexpr int kMaxRecursiveSql = 50;
    int m_recursiveSql = 0;

    // Sequence values handed out in this session (CURRVAL).
    std::map<std::string, long long> m_currval;
    // ROWNUM counters of the query blocks being executed.
    std::map<int, long long> m_rownum;

    // PL/SQL state that lasts as long as the session (PlsqlSessionState.h).
    std::shared_ptr<PlsqlSessionState> m_plsql;

private:
    OraSessionCore() = default;
    static OraResult OpenChecked(const OraDatabaseRef& ref, const std::string& user, const std::string& password,
                                 bool checkPassword, std::shared_ptr<OraSessionCore>* core);
    void RegisterSessionFunctions();
    OraResult MapConstraint(const std::string& message, bool updating) const;

    OraDatabaseRef m_ref;
    sqlite3* m_db = nullptr;
    std::unique_ptr<OraCatalog> m_catalog;
    std::string m_version;
    int m_major = 10;
    int m_sid = 0;
    bool m_killed = false;
    bool m_internal = false; // opened by the engine itself (OpenInternal)
    std::chrono::steady_clock::time_point m_deadLookedAt{};
    std::chrono::steady_clock::time_point m_killCheckedAt{};
    std::chrono::steady_clock::time_point m_aliveCheckedAt{}; // CheckAlive's last look at the files
    std::chrono::steady_clock::time_point m_statementClock{};
    bool m_clockRead = false;
    int64_t m_userId = 0;
    std::string m_initialDateFormat; // as the logon left it
    static int BusyWait(void* self, int attempt);
    std::chrono::steady_clock::time_point m_busySince{};
    std::chrono::steady_clock::time_point m_busyKillCheck{};
    // Shows the wait in V$SESSION (STATUS 'ACTIVE') on a connection of its
    // own, since the waiting one may not run anything meanwhile.
    void MarkWaiting(bool waiting);
    // Whether another session killed this one, asked on that connection.
    bool KilledWhileWaiting();
    sqlite3* WaitConnection();
    sqlite3* m_waitDb = nullptr;
    bool m_waitMarked = false;
    bool m_wakeJobQueue = false;
    LockWait m_lockWait = LockWait::Wait;

    // Clears the runs of sessions that are gone (their process died): the
    // job loses its THIS_DATE, counts a failure and is due again.
    void ReapDeadRuns();
    // Prepared once: the runs whose session or process is gone.
    sqlite3_stmt* m_deadRuns = nullptr;

    // Whether the database keeps a catalogue generation; false when it has
    // none (then every parse reads privileges again).
    bool WatchCatalog();
    bool m_watched = false;
    int m_queueProcesses = 0;
    bool m_watchingWrites = false;
    int64_t m_generation = -1;
    sqlite3_stmt* m_generationStmt = nullptr;
    std::unique_ptr<OraEngineStatementCache> m_statements;
    std::unique_ptr<OraTransaction> m_transaction;
    std::map<std::string, sqlite3_stmt*, std::less<>> m_prepared; // found by the caller's text without a copy
    // Callers pass the same literal each time: the entry last found for an
    // address is tried first (and its text compared) before the search.
    std::unordered_map<const char*, std::map<std::string, sqlite3_stmt*, std::less<>>::const_iterator> m_preparedAt;

    struct FragmentState {
        sqlite3_stmt* stmt = nullptr;
        bool cacheable = false;
        std::map<std::string, sqlite3_value*> values; // by inputs
    };
    std::map<int, FragmentState> m_fragments;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_breakRequested{false};
    std::atomic<bool> m_closed{false};
    std::atomic<bool> m_inBlock{false};
    std::atomic<bool> m_blockBreak{false};
    std::mutex m_breakLock;
    struct StateKey {
        uint64_t inode = 0;
        int64_t seconds = 0;
        int64_t nanoseconds = 0;
        int64_t size = -1;
        bool operator==(const StateKey& o) const
        {
            return inode == o.inode && seconds == o.seconds && nanoseconds == o.nanoseconds && size == o.size;
        }
    };
    StateKey m_stateKey;
    bool m_stateKnown = false;
    bool m_instanceOpen = true;
};

} // namespace VkOracle
