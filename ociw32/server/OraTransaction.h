#pragma once
// A session's Oracle transaction as row locks in the database file. Each
// change runs in a short SQLite write transaction of its own; the rows it
// touched (caught by SQLite's pre-update hook) become undo records in
// cat_undo, owned by the transaction's entry in cat_txns. A record is the
// row's lock and keeps its before-image: COMMIT deletes the records,
// ROLLBACK writes the images back. Other sessions read a table on which this
// transaction holds changes through a TEMP view of its committed image.
// Not thread-safe: the session's thread only.

#include "ociw32/server/OraRowidSet.h"
#include "ociw32/server/OraServer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;

namespace VkOracle {

class OraSessionCore;
class SqliteStmt;

class OraTransaction {
public:
    OraTransaction(OraSessionCore& core, sqlite3* db);
    ~OraTransaction();
    OraTransaction(const OraTransaction&) = delete;
    OraTransaction& operator=(const OraTransaction&) = delete;

    // This transaction's id in cat_txns, 0 before its first change.
    int64_t Id() const { return m_txn; }

    // Opens a statement's SQLite write transaction (a savepoint when one is
    // open already); `capture` records the rows it changes. SQLite's lock is
    // waited for until free, or 2 s with `briefWait`; ORA-00054 or
    // ORA-01013 on failure.
    OraResult BeginWrite(bool capture, bool briefWait);
    // Opens the write of an INSERT into user table `table` that writes
    // nothing else (no trigger, sequence or PL/SQL call). Where the block's
    // SQLite transaction already found the table free it takes no savepoint:
    // SQLite's statement rollback undoes a failed step, and EndWrite deletes
    // the rows itself when their records cannot be written. Else BeginWrite.
    OraResult BeginInsert(const std::string& table);
    // How many INSERTs began without a savepoint (which way a statement went;
    // another thread may read it while a statement runs).
    int64_t BareInserts() const { return m_bareInserts.load(std::memory_order_relaxed); }
    // How many of them had their rows deleted again because their records
    // could not be written.
    int64_t BareUndone() const { return m_bareUndone; }
    // How many times SQLite dropped a block's shared transaction under a
    // statement (an interrupt or I/O error) and LoseHeld started over.
    int64_t HeldLost() const { return m_heldLost; }
    bool Writing() const { return m_depth > 0; }
    // Ends it: `ok` false undoes the statement's changes only. Otherwise the
    // rows it touched are checked: rows another transaction holds undo the
    // statement, and then either `nowait` fails with ORA-00054 or the
    // holder is waited for and *restart says to run the statement again.
    OraResult EndWrite(bool ok, bool nowait, bool* restart);
    // Marks a row the running write locks without changing (FOR UPDATE).
    void LockRow(const std::string& table, int64_t rowid);
    // Marks a whole table locked against other transactions' changes.
    void LockTable(const std::string& table);

    OraResult Commit();
    OraResult Rollback();
    // Commits (or with `undo` rolls back) in one SQLite transaction with
    // `body`'s writes, which are captured by nobody; see
    // OraSessionCore::CommitWith. *holder is set when a row of `heldRows`
    // is another transaction's: then nothing is done.
    OraResult EndWith(bool undo, const std::function<OraResult()>& body,
                      const std::vector<std::pair<std::string, int64_t>>& heldRows, int64_t* holder);
    // Commits the SQLite transaction a PL/SQL block's statements share (see
    // EndWrite); FlushIfStale only once it has been open a few milliseconds.
    OraResult Flush();
    OraResult FlushIfStale();
    bool HeldOpen() const { return m_heldOpen; }
    // Savepoints: ROLLBACK TO undoes and unlocks what followed; false when
    // the name is unknown in this transaction.
    void Savepoint(const std::string& name);
    bool RollbackTo(const std::string& name);
    // An unnamed savepoint for one PL/SQL block; RollbackToMark undoes the
    // block's work (all of it when the block committed on the way).
    std::pair<int64_t, int64_t> Mark();
    void RollbackToMark(const std::pair<int64_t, int64_t>& mark);

    // Makes the committed-image views match the tables others hold changes
    // on, as the caller's snapshot sees them. Oracle's error on failure.
    OraResult SyncShadows();
    // Moves whenever the views change: a statement prepared under another
    // generation may read the tables themselves and must be prepared again.
    int64_t ShadowGeneration() const { return m_shadowGeneration; }
    // Whether the views made cover every table others hold changes on now.
    bool ShadowsCover();
    // The transaction whose pending insert or update may hold the key that
    // SQLite's unique constraint failure `message` names; 0 if none.
    int64_t KeyHolder(const std::string& message);
    // Whether another transaction holds records on `table`.
    bool OthersHold(const std::string& table);

    // The state of another transaction: 0 ended, 1 running, 2 its session gone.
    int StateOf(int64_t txn);
    // Rolls back the transactions whose sessions are gone (outside a write).
    void RollbackDead();
    // Rolls back transaction `txn`'s records after `afterSeq`; `whole` ends it.
    OraResult Undo(int64_t txn, int64_t afterSeq, bool whole);

private:
    // A table named once per session: changes, runs and the block's notes
    // hold this rather than a copy of the name for every row.
    using TableId = const std::string*;
    TableId Intern(std::string_view table);
    std::set<std::string, std::less<>> m_tableNames;
    TableId m_lastTable = nullptr;

    struct Change {
        TableId table = nullptr;
        char op = 'I'; // I, U, D, L (row lock), T (table lock)
        int64_t rid = 0;
        std::string image; // before-image of U and D
    };
    static void Hook(void* self, sqlite3* db, int op, const char* dbName, const char* table, long long key1,
                     long long key2);
    void Capture(sqlite3* db, int op, const char* table, int64_t key1, int64_t key2);
    // Another transaction that holds what the captured changes touch; 0 if none.
    int64_t FindHolder();
    int64_t UniqueKeyHolder(const std::string& table, const std::vector<int64_t>& rids);
    std::vector<std::vector<int>> UniqueKeys(const std::string& table);
    OraResult WriteRecords();
    std::vector<std::string> ColumnsOf(const std::string& table);
    // Tables others hold changes on; *failedRc is SQLite's code when the look failed.
    std::set<std::string> HeldTables(int* failedRc);
    // The holder a probe finds, 0 for none, -1 when it failed (m_failedRc).
    int64_t Probe(SqliteStmt& q);
    int m_failedRc = 0;
    void DropShadows();
    // Takes the views back to the running write's start, which its ROLLBACK did.
    void RestoreShadows();
    void ClearTransaction();
    // Deletes this transaction's records, table list and entry (inside a write).
    bool DeleteRecords();

    OraSessionCore& m_core;
    sqlite3* m_db;
    std::vector<Change> m_changes;
    std::vector<size_t> m_nested; // m_changes' size at each inner savepoint
    bool m_capturing = false;
    int m_depth = 0;
    int64_t m_txn = 0;
    int64_t m_seq = 0;
    std::vector<std::pair<std::string, int64_t>> m_savepoints;
    // Rows whose before-image is kept since the last savepoint: a further
    // update of them needs no new record.
    std::map<TableId, OraRowidSet> m_imaged; // rowids by table
    std::set<std::string> m_shadowed;
    std::vector<std::string> m_shadowViews;
    int64_t m_shadowGeneration = 0;
    // A block's statements share one SQLite transaction for a moment.
    bool m_heldOpen = false;
    bool m_inHeld = false; // the running write goes on in it (savepoint qv_stmt)
    bool m_bare = false;   // ... without the savepoint (BeginInsert)
    int64_t m_seqAtBegin = 0;
    std::atomic<int64_t> m_bareInserts{0}; // written by this session's thread only
    int64_t m_bareUndone = 0;
    int64_t m_heldLost = 0;
    std::chrono::steady_clock::time_point m_heldSince{};
    // What the statements found in the SQLite transaction they share, where
    // no other session writes meanwhile: this transaction's entry is alive,
    // the tables it noted in cat_undo_tables (with changes) and those no
    // other transaction holds anything of. Read only by a statement that
    // goes on in that transaction; forgotten when a new one begins and when
    // a statement in it is undone.
    bool m_heldLive = false;
    std::set<TableId> m_heldNoted;
    std::set<TableId> m_heldFree;
    void ForgetHeld();
    // A statement starts: nothing of it is noted yet.
    void StartStatement();
    // Undoes a bare INSERT whose step succeeded: deletes its rows and the
    // records written for them; false when that failed too.
    bool UndoBare();
    // The block's SQLite transaction is gone (SQLite rolled it all back, or
    // undoing a bare INSERT failed): what its statements noted goes with it.
    void LoseHeld();

    // Rows the transaction inserts one after another into a user table (each
    // rowid the last one's next) share one record: op R, rid the first
    // rowid negated (runs sort apart from the records of single rows, so a
    // look for the run that covers a rowid reads runs only), vals the last.
    // Only the newest record grows, so rolling back to
    // a savepoint never splits one; the last rowid is written to it before
    // its SQLite transaction commits (or anything reads the transaction's
    // records), and the running write remembers the run as it found it.
    static constexpr int64_t kRunRows = 256;
    struct InsertRun {
        TableId table = nullptr;
        int64_t first = 0;
        int64_t last = 0;
        int64_t seq = 0;
        int64_t written = 0; // the last rowid its record holds
    };
    std::optional<InsertRun> m_run;
    std::optional<InsertRun> m_runAtBegin;
    // Writes the run's last rowid to its record (inside a write); SQLite's code.
    int SaveRun();
    // No later insert joins the run (a savepoint, a rollback): it is saved
    // first, which may commit what a block left open.
    void SealRun();
    // The views as they were when the running write began.
    std::set<std::string> m_shadowedBefore;
    std::vector<std::string> m_shadowViewsBefore;
};

} // namespace VkOracle
