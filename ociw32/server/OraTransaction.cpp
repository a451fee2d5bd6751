#define SQLITE_ENABLE_PREUPDATE_HOOK 1
#include "ociw32/server/OraTransaction.h"

#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/OraUndoImage.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"

#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <map>
#include <string_view>
#include <utility>

namespace VkOracle {
namespace {

// User tables ("OWNER.NAME") and the job table are transactional; the rest
// of the catalogue and the instance file are not.
bool Tracked(const char* dbName, const char* table)
{
    return std::strcmp(dbName, "main") == 0 && (std::strchr(table, '.') || std::strcmp(table, "cat_jobs") == 0);
}

std::string MainName(const std::string& table)
{
    return "main." + SqlQuoteIdent(table);
}

} // namespace

OraTransaction::OraTransaction(OraSessionCore& core, sqlite3* db) : m_core(core), m_db(db)
{
    sqlite3_preupdate_hook(m_db, &OraTransaction::Hook, this);
    RegisterUndoFunctions(m_db);
}

OraTransaction::~OraTransaction()
{
    sqlite3_preupdate_hook(m_db, nullptr, nullptr);
}

void OraTransaction::Hook(void* self, sqlite3* db, int op, const char* dbName, const char* table, long long key1,
                          long long key2)
{
    auto* t = static_cast<OraTransaction*>(self);
    if (t->m_capturing && Tracked(dbName, table))
        t->Capture(db, op, table, key1, key2);
}

OraTransaction::TableId OraTransaction::Intern(std::string_view table)
{
    // Statements mostly write one table, row after row.
    if (m_lastTable && *m_lastTable == table)
        return m_lastTable;
    auto it = m_tableNames.find(table);
    if (it == m_tableNames.end())
        it = m_tableNames.emplace(table).first;
    m_lastTable = &*it;
    return m_lastTable;
}

void OraTransaction::Capture(sqlite3* db, int op, const char* table, int64_t key1, int64_t key2)
{
    const TableId id = Intern(table);
    if (op == SQLITE_INSERT) {
        m_changes.push_back(Change{id, 'I', key2, {}});
        return;
    }
    // A row updated again since its image was kept needs none.
    if (op == SQLITE_UPDATE && key1 == key2) {
        const auto imaged = m_imaged.find(id);
        if (imaged != m_imaged.end() && imaged->second.Contains(key1))
            return;
    }
    Change c{id, op == SQLITE_DELETE ? 'D' : 'U', key1, {}};
    const int n = sqlite3_preupdate_count(db);
    for (int i = 0; i < n; ++i) {
        sqlite3_value* v = nullptr;
        sqlite3_preupdate_old(db, i, &v);
        AppendUndoValue(&c.image, v);
    }
    if (op == SQLITE_UPDATE && key1 != key2) {
        // A new rowid: the old row goes, a new one comes.
        c.op = 'D';
        m_changes.push_back(std::move(c));
        m_changes.push_back(Change{id, 'I', key2, {}});
        return;
    }
    m_changes.push_back(std::move(c));
}

OraResult OraTransaction::BeginWrite(bool capture, bool briefWait)
{
    if (m_depth > 0) {
        if (!SqliteExec(m_db, "SAVEPOINT qv_w" + std::to_string(m_depth)))
            return m_core.MapError(sqlite3_errcode(m_db), false);
        m_nested.push_back(m_changes.size());
        ++m_depth;
        return OraResult{};
    }
    if (m_heldOpen && m_core.RunKept("SAVEPOINT qv_stmt") == SQLITE_OK) {
        // The block's earlier statements are not committed yet: this one
        // goes on in their SQLite transaction, undone alone if need be.
        m_inHeld = true;
        StartStatement();
        m_shadowedBefore = m_shadowed;
        m_shadowViewsBefore = m_shadowViews;
        m_capturing = capture;
        return OraResult{};
    }
    if (OraResult flushed = Flush(); !flushed.Ok())
        return flushed;
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr); // a read left open
    m_inHeld = false;
    const OraSessionCore::LockWait how =
        briefWait ? OraSessionCore::LockWait::Brief : OraSessionCore::LockWait::Wait;
    const int rc = m_core.BeginOwnWrite(how);
    if (rc != SQLITE_OK) {
        OraResult r = m_core.MapError(rc, false);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return r;
    }
    StartStatement();
    ForgetHeld();
    // Views made or dropped inside the write go with it if it is undone.
    m_shadowedBefore = m_shadowed;
    m_shadowViewsBefore = m_shadowViews;
    OraResult synced = SyncShadows();
    if (!synced.Ok()) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        RestoreShadows();
        m_depth = 0;
        return synced;
    }
    m_capturing = capture;
    return OraResult{};
}

void OraTransaction::StartStatement()
{
    m_depth = 1;
    m_changes.clear();
    m_nested.clear();
    m_runAtBegin = m_run;
}

OraResult OraTransaction::BeginInsert(const std::string& table)
{
    // Bare only where nothing but the new rows' records can be written
    // (entry alive, table noted and free) and the write lock is still ours.
    const TableId id = Intern(table);
    if (m_depth > 0 || !m_heldOpen || !m_heldLive || !m_heldFree.count(id) || !m_heldNoted.count(id) ||
        sqlite3_txn_state(m_db, "main") != SQLITE_TXN_WRITE)
        return BeginWrite(true, false);
    m_inHeld = true;
    m_bare = true;
    m_bareInserts.store(m_bareInserts.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    StartStatement();
    m_seqAtBegin = m_seq;
    m_capturing = true;
    return OraResult{};
}

void OraTransaction::LockRow(const std::string& table, int64_t rowid)
{
    if (m_depth > 0)
        m_changes.push_back(Change{Intern(table), 'L', rowid, {}});
}

void OraTransaction::LockTable(const std::string& table)
{
    if (m_depth > 0)
        m_changes.push_back(Change{Intern(table), 'T', 0, {}});
}

OraResult OraTransaction::EndWrite(bool ok, bool nowait, bool* restart)
{
    if (restart)
        *restart = false;
    if (m_depth == 0)
        return OraResult{};
    if (m_depth > 1) {
        --m_depth;
        const std::string name = "qv_w" + std::to_string(m_depth);
        if (!ok) {
            SqliteExec(m_db, "ROLLBACK TO " + name);
            m_changes.resize(m_nested.back());
        }
        SqliteExec(m_db, "RELEASE " + name);
        m_nested.pop_back();
        return OraResult{};
    }
    m_depth = 0;
    m_capturing = false;
    const bool bare = std::exchange(m_bare, false);
    auto abandon = [&] {
        if (bare) {
            // A failed step was undone by SQLite's own statement rollback.
            if (ok && !UndoBare()) {
                LoseHeld();
                return;
            }
            if (!ok)
                m_run = m_runAtBegin;
        } else if (m_inHeld) {
            m_core.RunKept("ROLLBACK TO qv_stmt");
            m_core.RunKept("RELEASE qv_stmt");
            RestoreShadows();
            m_run = m_runAtBegin;
        } else {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            RestoreShadows();
            m_run = m_runAtBegin;
        }
        m_changes.clear();
        ForgetHeld();
        // An interrupt or I/O error makes SQLite roll back the whole
        // transaction, savepoints or not.
        if (m_inHeld && sqlite3_get_autocommit(m_db))
            LoseHeld();
    };
    if (!ok) {
        abandon();
        return OraResult{};
    }
    if (const int64_t holder = FindHolder()) {
        abandon();
        // What the block wrote before is committed before any wait.
        OraResult flushed = Flush();
        if (holder < 0) // the check itself failed (a break)
            return m_core.MapError(m_failedRc, false);
        if (!flushed.Ok())
            return flushed;
        if (nowait || !restart)
            return m_core.Error(54);
        OraResult waited = m_core.WaitForTransaction(holder);
        if (!waited.Ok())
            return waited;
        *restart = true;
        return OraResult{};
    }
    const bool started = m_txn == 0;
    OraResult r = WriteRecords();
    // Inside a PL/SQL block the SQLite transaction stays open for the next
    // statement a few milliseconds at most (a commit costs more than most
    // statements); it is committed before anything that may wait.
    const bool keepOpen = m_core.InBlock();
    if (r.Ok() && m_inHeld) {
        if (const int rc = bare ? SQLITE_OK : m_core.RunKept("RELEASE qv_stmt"); rc != SQLITE_OK)
            r = m_core.MapError(rc, false);
    } else if (r.Ok() && keepOpen) {
        m_heldOpen = true;
        m_heldSince = m_core.StatementClock();
    } else if (r.Ok()) {
        int rc = SaveRun();
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            r = m_core.MapError(rc, false);
    }
    if (!r.Ok()) {
        abandon();
        if (started)
            ClearTransaction();
        return r;
    }
    m_changes.clear();
    return m_inHeld ? FlushIfStale() : OraResult{};
}

OraResult OraTransaction::Flush()
{
    if (!m_heldOpen || m_depth > 0)
        return OraResult{};
    m_heldOpen = false;
    m_inHeld = false;
    int rc = SaveRun();
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        return OraResult{};
    OraResult r = m_core.MapError(rc, false);
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_run.reset(); // its record may have gone with the rollback
    if (m_txn && StateOf(m_txn) == 0)
        ClearTransaction();
    return r;
}

OraResult OraTransaction::FlushIfStale()
{
    if (!m_heldOpen || m_core.StatementClock() - m_heldSince < std::chrono::milliseconds(5))
        return OraResult{};
    return Flush();
}

int64_t OraTransaction::Probe(SqliteStmt& q)
{
    if (q.Step())
        return q.Int(0);
    if (q.LastCode() != SQLITE_DONE)
        m_failedRc = q.LastCode() ? q.LastCode() : SQLITE_ERROR;
    return m_failedRc ? -1 : 0;
}

int64_t OraTransaction::FindHolder()
{
    m_failedRc = 0;
    if (m_changes.empty())
        return 0;
    if (m_inHeld) {
        // Tables found free earlier in the block's SQLite transaction stay free.
        TableId seen = nullptr;
        bool allFree = true;
        for (const Change& c : m_changes) {
            if (seen == c.table)
                continue;
            if (!m_heldFree.count(c.table)) {
                allFree = false;
                break;
            }
            seen = c.table;
        }
        if (allFree)
            return 0;
    }
    sqlite3_stmt* anyRecord =
        m_core.Prepared("SELECT txn FROM main.cat_undo_tables WHERE tbl = ?1 AND txn <> ?2 LIMIT 1");
    if (!anyRecord) {
        m_failedRc = SQLITE_ERROR;
        return -1;
    }
    // Tables no other transaction holds anything of need no further look:
    // the common case costs one probe per table.
    std::map<TableId, bool> contended;
    bool anyContended = false;
    for (const Change& c : m_changes) {
        if (contended.count(c.table))
            continue;
        if (m_inHeld && m_heldFree.count(c.table)) {
            contended[c.table] = false;
            continue;
        }
        SqliteStmt q(anyRecord);
        q.Bind(1, *c.table).Bind(2, m_txn);
        const int64_t holder = Probe(q);
        if (holder < 0)
            return holder;
        contended[c.table] = holder != 0;
        anyContended = anyContended || holder != 0;
        if (!holder)
            m_heldFree.insert(c.table);
    }
    if (!anyContended)
        return 0;
    sqlite3_stmt* rowQuery =
        m_core.Prepared("SELECT txn FROM main.cat_undo WHERE tbl = ?1 AND rid = ?2 AND txn <> ?3 LIMIT 1");
    sqlite3_stmt* tableLock = m_core.Prepared(
        "SELECT txn FROM main.cat_undo WHERE tbl = ?1 AND rid = 0 AND op = 'T' AND txn <> ?2 LIMIT 1");
    // A run of another transaction's inserts that covers the row.
    sqlite3_stmt* runQuery = m_core.Prepared(
        "SELECT txn FROM main.cat_undo WHERE tbl = ?1 AND rid BETWEEN -?2 AND 255 - ?2 AND op = 'R' AND txn <> ?3"
        " AND vals >= ?2 LIMIT 1");
    static_assert(kRunRows == 256, "the run probe looks back kRunRows - 1 rowids");
    if (!rowQuery || !tableLock || !runQuery) {
        m_failedRc = SQLITE_ERROR;
        return -1;
    }
    std::map<TableId, std::vector<int64_t>> written; // new or changed rows per table
    std::set<TableId> tables;
    for (const Change& c : m_changes) {
        if (!contended[c.table])
            continue;
        if (c.op == 'T') {
            // LOCK TABLE waits for any record another transaction has on it.
            SqliteStmt q(anyRecord);
            q.Bind(1, *c.table).Bind(2, m_txn);
            if (const int64_t holder = Probe(q))
                return holder;
            continue;
        }
        tables.insert(c.table);
        if (c.op == 'I' || c.op == 'U')
            written[c.table].push_back(c.rid);
        SqliteStmt q(rowQuery);
        q.Bind(1, *c.table).Bind(2, c.rid).Bind(3, m_txn);
        if (const int64_t holder = Probe(q))
            return holder;
        SqliteStmt run(runQuery);
        run.Bind(1, *c.table).Bind(2, c.rid).Bind(3, m_txn);
        if (const int64_t holder = Probe(run))
            return holder;
    }
    for (TableId t : tables) {
        SqliteStmt q(tableLock);
        q.Bind(1, *t).Bind(2, m_txn);
        if (const int64_t holder = Probe(q))
            return holder;
    }
    for (const auto& [table, rids] : written)
        if (const int64_t holder = UniqueKeyHolder(*table, rids))
            return holder;
    return 0;
}

// A key another transaction's pending delete or update freed is still its:
// a new row with that key waits, or its rollback could not restore the row.
int64_t OraTransaction::UniqueKeyHolder(const std::string& table, const std::vector<int64_t>& rids)
{
    {
        SqliteStmt others(m_core.Prepared("SELECT 1 FROM main.cat_undo_tables WHERE tbl = ?1 AND txn <> ?2 AND"
                                          " changes <> 0 LIMIT 1"));
        others.Bind(1, table).Bind(2, m_txn);
        if (!others.Step()) {
            if (others.LastCode() == SQLITE_DONE)
                return 0;
            m_failedRc = others.LastCode() ? others.LastCode() : SQLITE_ERROR;
            return -1;
        }
    }
    std::vector<std::pair<int64_t, std::vector<UndoValue>>> images;
    {
        SqliteStmt q(m_core.Prepared("SELECT txn, vals FROM main.cat_undo WHERE tbl = ?1 AND txn <> ?2"
                                     " AND op IN ('U','D')"));
        q.Bind(1, table).Bind(2, m_txn);
        while (q.Step()) {
            const std::string blob = q.Text(1);
            images.emplace_back(q.Int(0), DecodeUndoImage(blob.data(), static_cast<int>(blob.size())));
        }
        if (q.LastCode() != SQLITE_DONE) {
            m_failedRc = q.LastCode() ? q.LastCode() : SQLITE_ERROR;
            return -1;
        }
    }
    if (images.empty())
        return 0;
    const std::vector<std::vector<int>> keys = UniqueKeys(table);
    if (keys.empty())
        return 0;
    sqlite3_stmt* row = nullptr;
    const std::string sql = "SELECT * FROM " + MainName(table) + " WHERE rowid = ?";
    if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &row, nullptr) != SQLITE_OK) {
        sqlite3_finalize(row);
        return 0;
    }
    int64_t holder = 0;
    for (int64_t rid : rids) {
        sqlite3_bind_int64(row, 1, rid);
        if (sqlite3_step(row) == SQLITE_ROW) {
            const int n = sqlite3_column_count(row);
            for (const auto& [txn, image] : images) {
                for (const std::vector<int>& key : keys) {
                    bool same = !key.empty();
                    for (int col : key) {
                        if (col >= n || col >= static_cast<int>(image.size())) {
                            same = false;
                            break;
                        }
                        const UndoValue now = UndoValueOf(sqlite3_column_value(row, col));
                        if (now.type == SQLITE_NULL || !(now == image[static_cast<size_t>(col)])) {
                            same = false;
                            break;
                        }
                    }
                    if (same)
                        holder = txn;
                }
            }
        }
        sqlite3_reset(row);
        if (holder)
            break;
    }
    sqlite3_finalize(row);
    return holder;
}

std::vector<std::vector<int>> OraTransaction::UniqueKeys(const std::string& table)
{
    const size_t dot = table.find('.');
    if (dot == std::string::npos)
        return {};
    const std::vector<std::string> columns = ColumnsOf(table);
    std::map<std::string, std::vector<std::string>> keys;
    SqliteStmt q(m_db, "SELECT 'C' || c.constraint_name, cc.column_name FROM cat_constraints c JOIN cat_cons_columns cc"
                       " ON cc.owner = c.owner AND cc.constraint_name = c.constraint_name WHERE c.owner = ?1 AND"
                       " c.table_name = ?2 AND c.constraint_type IN ('P','U')"
                       " UNION ALL SELECT 'I' || i.index_name, ic.column_name FROM cat_indexes i JOIN cat_ind_columns ic"
                       " ON ic.index_owner = i.owner AND ic.index_name = i.index_name WHERE i.table_owner = ?1 AND"
                       " i.table_name = ?2 AND i.uniqueness = 'UNIQUE'");
    q.Bind(1, table.substr(0, dot)).Bind(2, table.substr(dot + 1));
    while (q.Step())
        keys[q.Text(0)].push_back(q.Text(1));
    std::vector<std::vector<int>> out;
    for (const auto& [name, cols] : keys) {
        std::vector<int> key;
        for (const std::string& c : cols)
            for (size_t i = 0; i < columns.size(); ++i)
                if (columns[i] == c)
                    key.push_back(static_cast<int>(i));
        if (key.size() == cols.size())
            out.push_back(key);
    }
    return out;
}

int OraTransaction::SaveRun()
{
    if (!m_run || m_run->written == m_run->last)
        return SQLITE_OK;
    SqliteStmt q(m_core.Prepared("UPDATE main.cat_undo SET vals = ?1 WHERE tbl = ?2 AND rid = ?3 AND txn = ?4 AND seq = ?5"));
    q.Bind(1, m_run->last).Bind(2, *m_run->table).Bind(3, -m_run->first).Bind(4, m_txn).Bind(5, m_run->seq);
    if (!q.Run())
        return q.LastCode() ? q.LastCode() : SQLITE_ERROR;
    m_run->written = m_run->last;
    return SQLITE_OK;
}

void OraTransaction::SealRun()
{
    // Unsaved only inside a write or the SQLite transaction a block left open.
    if (m_run && m_run->written != m_run->last) {
        if (m_depth > 0)
            SaveRun();
        else
            Flush();
    }
    m_run.reset();
}

void OraTransaction::ForgetHeld()
{
    m_heldLive = false;
    m_heldNoted.clear();
    m_heldFree.clear();
}

bool OraTransaction::UndoBare()
{
    TableId table = nullptr;
    for (const Change& c : m_changes) {
        if (c.op != 'I' || (table && table != c.table))
            return false; // cannot happen for what BeginInsert takes
        table = c.table;
    }
    if (table) {
        sqlite3_stmt* del = nullptr;
        const std::string sql = "DELETE FROM " + MainName(*table) + " WHERE rowid = ?";
        bool deleted = sqlite3_prepare_v2(m_db, sql.c_str(), -1, &del, nullptr) == SQLITE_OK;
        OraRowidSet& imaged = m_imaged[table];
        for (size_t i = 0; deleted && i < m_changes.size(); ++i) {
            sqlite3_bind_int64(del, 1, m_changes[i].rid);
            deleted = sqlite3_step(del) == SQLITE_DONE && sqlite3_changes(m_db) == 1;
            sqlite3_reset(del);
            imaged.Erase(m_changes[i].rid);
        }
        sqlite3_finalize(del);
        if (!deleted)
            return false;
    }
    SqliteStmt records(m_core.Prepared("DELETE FROM main.cat_undo WHERE txn = ?1 AND seq > ?2"));
    records.Bind(1, m_txn).Bind(2, m_seqAtBegin);
    if (!records.Run())
        return false;
    m_seq = m_seqAtBegin;
    // The run the statement joined may have been saved with its rows.
    m_run = m_runAtBegin;
    if (m_run) {
        m_run->written = m_run->first - 1;
        if (SaveRun() != SQLITE_OK)
            return false;
    }
    ++m_bareUndone;
    return true;
}

void OraTransaction::LoseHeld()
{
    ++m_heldLost;
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_heldOpen = false;
    m_inHeld = false;
    m_changes.clear();
    m_run.reset();
    m_runAtBegin.reset();
    ForgetHeld();
    // The records of the statements it held went with it.
    m_imaged.clear();
    m_seq = 0;
    if (m_txn && StateOf(m_txn) == 0)
        ClearTransaction();
    else if (m_txn) {
        SqliteStmt last(m_core.Prepared("SELECT max(seq) FROM main.cat_undo WHERE txn = ?"));
        last.Bind(1, m_txn);
        if (last.Step())
            m_seq = last.Int(0);
    }
}

void OraTransaction::ClearTransaction()
{
    ForgetHeld();
    m_run.reset();
    m_runAtBegin.reset();
    m_txn = 0;
    m_seq = 0;
    m_savepoints.clear();
    m_imaged.clear();
}

OraResult OraTransaction::WriteRecords()
{
    if (m_changes.empty())
        return OraResult{};
    if (m_txn != 0 && !(m_inHeld && m_heldLive)) {
        // Rolled back by another session meanwhile (this one was killed):
        // nothing may be added to a transaction that is gone.
        SqliteStmt live(m_core.Prepared("SELECT 1 FROM main.cat_txns WHERE txn = ?"));
        live.Bind(1, m_txn);
        if (!live.Step()) {
            if (live.LastCode() != SQLITE_DONE)
                return m_core.MapError(live.LastCode(), false);
            ClearTransaction();
            return m_core.Error(28);
        }
    }
    if (m_txn == 0) {
        SqliteStmt add(m_core.Prepared("INSERT INTO main.cat_txns(sid, serial, pid) SELECT sid, serial, pid FROM"
                                       " inst.cat_sessions WHERE sid = ?"));
        add.Bind(1, static_cast<int64_t>(m_core.Sid()));
        if (!add.Run() || sqlite3_changes(m_db) != 1)
            return m_core.MapError(add.LastCode() ? add.LastCode() : SQLITE_ERROR, false);
        m_txn = sqlite3_last_insert_rowid(m_db);
        m_seq = 0;
    }
    m_heldLive = true;
    sqlite3_stmt* ins = nullptr; // found when first needed: a run that grows needs none
    for (const Change& c : m_changes) {
        if (c.op == 'L' || c.op == 'T') {
            // A lock on a row already held adds nothing.
            SqliteStmt q(m_core.Prepared("SELECT 1 FROM main.cat_undo WHERE tbl = ?1 AND rid = ?2 AND txn = ?3 LIMIT 1"));
            q.Bind(1, *c.table).Bind(2, c.rid).Bind(3, m_txn);
            if (q.Step())
                continue;
        }
        const bool userInsert = c.op == 'I' && c.table->find('.') != std::string::npos;
        if (userInsert && m_run && m_run->table == c.table && c.rid == m_run->last + 1 && m_run->seq == m_seq &&
            m_run->last - m_run->first + 1 < kRunRows) {
            m_run->last = c.rid;
            m_imaged[c.table].Insert(c.rid);
            continue;
        }
        // Any other record ends the run.
        if (const int saved = SaveRun(); saved != SQLITE_OK)
            return m_core.MapError(saved, false);
        m_run.reset();
        if (!ins && !(ins = m_core.Prepared("INSERT INTO main.cat_undo(tbl, rid, txn, seq, op, vals) VALUES (?,?,?,?,?,?)")))
            return m_core.Error(600, {"undo"});
        sqlite3_bind_text(ins, 1, c.table->data(), static_cast<int>(c.table->size()), SQLITE_STATIC);
        sqlite3_bind_int64(ins, 2, userInsert ? -c.rid : c.rid);
        sqlite3_bind_int64(ins, 3, m_txn);
        sqlite3_bind_int64(ins, 4, ++m_seq);
        const char op[2] = {userInsert ? 'R' : c.op, 0};
        sqlite3_bind_text(ins, 5, op, 1, SQLITE_TRANSIENT);
        if (c.op == 'U' || c.op == 'D')
            sqlite3_bind_blob(ins, 6, c.image.data(), static_cast<int>(c.image.size()), SQLITE_TRANSIENT);
        else if (userInsert)
            sqlite3_bind_int64(ins, 6, c.rid);
        else
            sqlite3_bind_null(ins, 6);
        const int rc = sqlite3_step(ins);
        sqlite3_reset(ins);
        sqlite3_clear_bindings(ins);
        if (rc != SQLITE_DONE)
            return m_core.MapError(rc, false);
        if (userInsert)
            m_run = InsertRun{c.table, c.rid, c.rid, m_seq, c.rid};
        if (c.op == 'U' || c.op == 'D' || c.op == 'I')
            m_imaged[c.table].Insert(c.rid);
    }
    // The tables the records are on, but for those noted with changes
    // already in the block's SQLite transaction.
    std::map<TableId, int64_t> tables;
    TableId seen = nullptr;
    for (const Change& c : m_changes) {
        const bool changed = c.op == 'I' || c.op == 'U' || c.op == 'D';
        if (seen && seen == c.table && changed)
            continue;
        seen = changed ? c.table : nullptr;
        if (changed && m_inHeld && m_heldNoted.count(c.table))
            continue;
        int64_t& changes = tables[c.table];
        changes = changes || changed;
    }
    if (tables.empty())
        return OraResult{};
    sqlite3_stmt* note = m_core.Prepared("INSERT INTO main.cat_undo_tables(tbl, txn, changes) VALUES (?1, ?2, ?3)"
                                         " ON CONFLICT(tbl, txn) DO UPDATE SET changes = max(changes, excluded.changes)");
    if (!note)
        return m_core.Error(600, {"undo"});
    for (const auto& [table, changes] : tables) {
        SqliteStmt q(note);
        q.Bind(1, *table).Bind(2, m_txn).Bind(3, changes);
        if (!q.Run())
            return m_core.MapError(q.LastCode(), false);
        if (changes)
            m_heldNoted.insert(table);
    }
    return OraResult{};
}

bool OraTransaction::DeleteRecords()
{
    SqliteStmt records(m_core.Prepared("DELETE FROM main.cat_undo WHERE txn = ?"));
    records.Bind(1, m_txn);
    SqliteStmt entry(m_core.Prepared("DELETE FROM main.cat_txns WHERE txn = ?"));
    entry.Bind(1, m_txn);
    SqliteStmt tables(m_core.Prepared("DELETE FROM main.cat_undo_tables WHERE txn = ?"));
    tables.Bind(1, m_txn);
    return records.Run() && entry.Run() && tables.Run();
}

OraResult OraTransaction::Commit()
{
    if (m_depth > 0)
        return OraResult{};
    if (OraResult flushed = Flush(); !flushed.Ok())
        return flushed;
    if (m_txn == 0) {
        ClearTransaction();
        return OraResult{};
    }
    const int rc = m_core.BeginOwnWrite(OraSessionCore::LockWait::Wait);
    if (rc != SQLITE_OK) {
        OraResult r = m_core.MapError(rc, false);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return r;
    }
    if (!DeleteRecords() || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        OraResult r = m_core.MapError(sqlite3_errcode(m_db), false);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return r;
    }
    ClearTransaction();
    return OraResult{};
}

OraResult OraTransaction::EndWith(bool undo, const std::function<OraResult()>& body,
                                  const std::vector<std::pair<std::string, int64_t>>& heldRows, int64_t* holder)
{
    *holder = 0;
    if (m_depth > 0)
        return m_core.Error(600, {"transaction end inside a write"});
    // A block's last statements still open go on in their SQLite
    // transaction: one commit for them, the end and the body.
    const bool joined = m_heldOpen && sqlite3_txn_state(m_db, "main") == SQLITE_TXN_WRITE;
    auto fail = [&](OraResult r) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_run.reset();
        if (joined && m_txn && StateOf(m_txn) == 0)
            ClearTransaction(); // its entry went with the rollback
        return r;
    };
    if (joined) {
        m_heldOpen = false;
        m_inHeld = false;
        if (const int saved = SaveRun(); saved != SQLITE_OK)
            return fail(m_core.MapError(saved, false));
    } else {
        if (OraResult flushed = Flush(); !flushed.Ok())
            return flushed;
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr); // a read left open
        const int rc = m_core.BeginOwnWrite(OraSessionCore::LockWait::Wait);
        if (rc != SQLITE_OK)
            return fail(m_core.MapError(rc, false));
    }
    m_failedRc = 0;
    sqlite3_stmt* rowQuery =
        m_core.Prepared("SELECT txn FROM main.cat_undo WHERE tbl = ?1 AND rid = ?2 AND txn <> ?3 LIMIT 1");
    if (!rowQuery)
        return fail(m_core.Error(600, {"undo"}));
    for (const auto& [table, rid] : heldRows) {
        SqliteStmt q(rowQuery);
        q.Bind(1, table).Bind(2, rid).Bind(3, m_txn);
        const int64_t found = Probe(q);
        if (found < 0)
            return fail(m_core.MapError(m_failedRc, false));
        if (found > 0) {
            *holder = found;
            // What the block wrote is kept; nothing else was done.
            if (joined && m_core.RunKept("COMMIT") != SQLITE_OK)
                return fail(m_core.MapError(sqlite3_errcode(m_db), false));
            if (!joined)
                sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            return OraResult{};
        }
    }
    // Inside the write Undo joins it rather than opening its own.
    m_depth = 1;
    m_capturing = false;
    OraResult r;
    if (m_txn != 0 && undo) {
        r = Undo(m_txn, 0, true);
    } else if (m_txn != 0) {
        if (!DeleteRecords())
            r = m_core.MapError(sqlite3_errcode(m_db), false);
    }
    if (r.Ok())
        r = body();
    m_depth = 0;
    if (!r.Ok())
        return fail(r);
    if (const int done = m_core.RunKept("COMMIT"); done != SQLITE_OK)
        return fail(m_core.MapError(done, false));
    ClearTransaction();
    return OraResult{};
}

OraResult OraTransaction::Rollback()
{
    if (m_depth > 0)
        return OraResult{};
    Flush();
    OraResult r = m_txn ? Undo(m_txn, 0, true) : OraResult{};
    if (r.Ok())
        ClearTransaction();
    return r;
}

void OraTransaction::Savepoint(const std::string& name)
{
    SealRun();
    for (auto it = m_savepoints.begin(); it != m_savepoints.end(); ++it)
        if (it->first == name) {
            m_savepoints.erase(it);
            break;
        }
    // Before the first change the transaction has no id yet: seq 0 of the next.
    m_savepoints.emplace_back(name, m_seq);
    m_imaged.clear();
}

bool OraTransaction::RollbackTo(const std::string& name)
{
    SealRun();
    for (size_t i = m_savepoints.size(); i-- > 0;) {
        if (m_savepoints[i].first != name)
            continue;
        const int64_t seq = m_savepoints[i].second;
        m_savepoints.resize(i + 1);
        if (m_txn && Undo(m_txn, seq, false).Ok())
            m_seq = seq;
        m_imaged.clear();
        return true;
    }
    return false;
}

std::pair<int64_t, int64_t> OraTransaction::Mark()
{
    SealRun();
    m_imaged.clear();
    return {m_txn, m_seq};
}

void OraTransaction::RollbackToMark(const std::pair<int64_t, int64_t>& mark)
{
    SealRun();
    if (m_txn == 0)
        return;
    if (mark.first != m_txn) {
        Rollback();
        return;
    }
    if (Undo(m_txn, mark.second, false).Ok())
        m_seq = mark.second;
    m_imaged.clear();
}

std::vector<std::string> OraTransaction::ColumnsOf(const std::string& table)
{
    std::vector<std::string> out;
    SqliteStmt q(m_db, "SELECT name FROM pragma_table_info(?1, 'main') ORDER BY cid");
    q.Bind(1, table);
    while (q.Step())
        out.push_back(q.Text(0));
    return out;
}

OraResult OraTransaction::Undo(int64_t txn, int64_t afterSeq, bool whole)
{
    const bool own = m_depth > 0;
    if (!own) {
        if (OraResult flushed = Flush(); !flushed.Ok())
            return flushed;
        const int rc = m_core.BeginOwnWrite(OraSessionCore::LockWait::Wait);
        if (rc != SQLITE_OK) {
            OraResult r = m_core.MapError(rc, false);
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            return r;
        }
    }
    if (txn == m_txn)
        m_run.reset(); // its record may be undone
    const bool capturing = m_capturing;
    m_capturing = false;
    // Images go back in reverse order; foreign keys hold again at the end.
    SqliteExec(m_db, "PRAGMA defer_foreign_keys = ON");
    struct Record {
        std::string table;
        int64_t rid;
        char op;
        std::string image;
        int64_t last; // R: the run's last rowid
    };
    std::vector<Record> records;
    // A break must not leave images half written back with their records gone.
    bool interrupted = false;
    {
        SqliteStmt q(m_db, "SELECT tbl, rid, op, vals FROM main.cat_undo WHERE txn = ?1 AND seq > ?2 ORDER BY seq DESC");
        q.Bind(1, txn).Bind(2, afterSeq);
        while (q.Step()) {
            const std::string op = q.Text(2);
            const char kind = op.empty() ? 'L' : op[0];
            records.push_back(Record{q.Text(0), kind == 'R' ? -q.Int(1) : q.Int(1), kind,
                                     kind == 'R' ? std::string() : q.Text(3), kind == 'R' ? q.Int(3) : 0});
        }
        interrupted = q.LastCode() != SQLITE_DONE;
    }
    std::map<std::string, std::vector<std::string>> columns;
    for (const Record& r : records) {
        if (r.op != 'I' && r.op != 'R' && r.op != 'U' && r.op != 'D')
            continue;
        auto found = columns.find(r.table);
        if (found == columns.end())
            found = columns.emplace(r.table, ColumnsOf(r.table)).first;
        const std::vector<std::string>& cols = found->second;
        if (cols.empty())
            continue; // the table is gone
        if (r.op == 'I' || r.op == 'R') {
            SqliteStmt del(m_db, "DELETE FROM " + MainName(r.table) + " WHERE rowid BETWEEN ?1 AND ?2");
            del.Bind(1, r.rid).Bind(2, r.op == 'R' ? std::max(r.last, r.rid) : r.rid);
            if (!del.Run() && (del.LastCode() & 0xff) == SQLITE_INTERRUPT)
                interrupted = true;
            continue;
        }
        const std::vector<UndoValue> image = DecodeUndoImage(r.image.data(), static_cast<int>(r.image.size()));
        const size_t n = std::min(image.size(), cols.size());
        std::string sql;
        if (r.op == 'U') {
            sql = "UPDATE " + MainName(r.table) + " SET ";
            for (size_t i = 0; i < n; ++i)
                sql += (i ? ", " : "") + SqlQuoteIdent(cols[i]) + " = ?" + std::to_string(i + 1);
            sql += " WHERE rowid = ?" + std::to_string(n + 1);
        } else {
            sql = "INSERT INTO " + MainName(r.table) + "(rowid";
            std::string values = "?" + std::to_string(n + 1);
            for (size_t i = 0; i < n; ++i) {
                sql += ", " + SqlQuoteIdent(cols[i]);
                values += ", ?" + std::to_string(i + 1);
            }
            sql += ") VALUES (" + values + ")";
        }
        if (n == 0 && r.op == 'U')
            continue;
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
            for (size_t i = 0; i < n; ++i) {
                const UndoValue& v = image[i];
                const int at = static_cast<int>(i + 1);
                switch (v.type) {
                case SQLITE_INTEGER: sqlite3_bind_int64(st, at, v.i); break;
                case SQLITE_FLOAT: sqlite3_bind_double(st, at, v.d); break;
                case SQLITE_TEXT:
                    sqlite3_bind_text(st, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
                    break;
                case SQLITE_BLOB:
                    sqlite3_bind_blob(st, at, v.bytes.data(), static_cast<int>(v.bytes.size()), SQLITE_TRANSIENT);
                    break;
                default: sqlite3_bind_null(st, at); break;
                }
            }
            sqlite3_bind_int64(st, static_cast<int>(n + 1), r.rid);
            if ((sqlite3_step(st) & 0xff) == SQLITE_INTERRUPT)
                interrupted = true;
        }
        sqlite3_finalize(st);
    }
    SqliteStmt del(m_db, "DELETE FROM main.cat_undo WHERE txn = ?1 AND seq > ?2");
    del.Bind(1, txn).Bind(2, afterSeq);
    bool ok = !interrupted && del.Run();
    if (ok && whole) {
        SqliteStmt entry(m_db, "DELETE FROM main.cat_txns WHERE txn = ?");
        entry.Bind(1, txn);
        SqliteStmt tables(m_db, "DELETE FROM main.cat_undo_tables WHERE txn = ?");
        tables.Bind(1, txn);
        ok = entry.Run() && tables.Run();
    }
    m_capturing = capturing;
    if (own)
        return ok ? OraResult{} : m_core.MapError(interrupted ? SQLITE_INTERRUPT : sqlite3_errcode(m_db), false);
    if (!ok || sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        OraResult r = m_core.MapError(sqlite3_errcode(m_db), false);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        return r;
    }
    return OraResult{};
}

int OraTransaction::StateOf(int64_t txn)
{
    SqliteStmt q(m_core.Prepared("SELECT EXISTS (SELECT 1 FROM inst.cat_sessions s WHERE s.sid = t.sid AND"
                                 " s.serial = t.serial AND s.pid = t.pid AND s.killed = 0 AND ora_pid_alive(s.pid))"
                                 " FROM main.cat_txns t WHERE t.txn = ?"));
    q.Bind(1, txn);
    if (!q.Step())
        return q.LastCode() == SQLITE_DONE ? 0 : 1; // a failed look proves nothing
    return q.Int(0) ? 1 : 2;
}

void OraTransaction::RollbackDead()
{
    if (m_depth > 0 || !sqlite3_get_autocommit(m_db))
        return;
    // Mostly no transaction is open anywhere: a look at the table costs far
    // less, the first time above all, than the query that tells the dead.
    {
        SqliteStmt any(m_core.Prepared("SELECT 1 FROM main.cat_txns LIMIT 1"));
        if (any.Ok() && !any.Step() && any.LastCode() == SQLITE_DONE)
            return;
    }
    std::vector<int64_t> dead;
    {
        SqliteStmt q(m_core.Prepared("SELECT t.txn FROM main.cat_txns t WHERE NOT EXISTS (SELECT 1 FROM"
                                     " inst.cat_sessions s WHERE s.sid = t.sid AND s.serial = t.serial AND"
                                     " s.pid = t.pid AND s.killed = 0 AND ora_pid_alive(s.pid))"));
        while (q.Step())
            dead.push_back(q.Int(0));
    }
    for (int64_t txn : dead)
        if (txn != m_txn)
            Undo(txn, 0, true);
}

std::set<std::string> OraTransaction::HeldTables(int* failedRc)
{
    std::set<std::string> out;
    SqliteStmt q(m_core.Prepared("SELECT DISTINCT tbl FROM main.cat_undo_tables WHERE txn <> ?1 AND changes <> 0"));
    q.Bind(1, m_txn);
    while (q.Step())
        out.insert(q.Text(0));
    *failedRc = q.LastCode() == SQLITE_DONE ? 0 : (q.LastCode() ? q.LastCode() : SQLITE_ERROR);
    return out;
}

int64_t OraTransaction::KeyHolder(const std::string& message)
{
    std::string rest;
    for (const char* prefix : {"UNIQUE constraint failed: ", "PRIMARY KEY constraint failed: "}) {
        const size_t at = message.find(prefix);
        if (at != std::string::npos)
            rest = message.substr(at + std::strlen(prefix));
    }
    // "OWNER.TABLE.COLUMN[, ...]": the table is all before the last dot.
    rest = rest.substr(0, rest.find(", "));
    const size_t last = rest.rfind('.');
    if (last == std::string::npos)
        return 0;
    SqliteStmt q(m_core.Prepared("SELECT txn FROM main.cat_undo_tables WHERE tbl = ?1 AND txn <> ?2 AND changes <> 0"
                                 " LIMIT 1"));
    q.Bind(1, rest.substr(0, last)).Bind(2, m_txn);
    return q.Step() ? q.Int(0) : 0;
}

bool OraTransaction::OthersHold(const std::string& table)
{
    SqliteStmt q(m_core.Prepared("SELECT 1 FROM main.cat_undo_tables WHERE tbl = ?1 AND txn <> ?2 LIMIT 1"));
    q.Bind(1, table).Bind(2, m_txn);
    return q.Step() || q.LastCode() != SQLITE_DONE;
}

bool OraTransaction::ShadowsCover()
{
    int failed = 0;
    for (const std::string& t : HeldTables(&failed))
        if (!m_shadowed.count(t))
            return false;
    return true;
}

void OraTransaction::RestoreShadows()
{
    if (m_shadowViews == m_shadowViewsBefore && m_shadowed == m_shadowedBefore)
        return;
    m_shadowed = m_shadowedBefore;
    m_shadowViews = m_shadowViewsBefore;
    ++m_shadowGeneration;
}

void OraTransaction::DropShadows()
{
    for (auto it = m_shadowViews.rbegin(); it != m_shadowViews.rend(); ++it)
        SqliteExec(m_db, "DROP VIEW IF EXISTS temp." + SqlQuoteIdent(*it));
    m_shadowViews.clear();
    m_shadowed.clear();
}

OraResult OraTransaction::SyncShadows()
{
    int failed = 0;
    const std::set<std::string> wanted = HeldTables(&failed);
    if (failed)
        return m_core.MapError(failed, false);
    if (wanted == m_shadowed)
        return OraResult{};
    // Statements prepared before bound the names to other objects.
    ++m_shadowGeneration;
    DropShadows();
    if (wanted.empty())
        return OraResult{};
    std::vector<std::string> names;
    for (const std::string& table : wanted) {
        const std::vector<std::string> cols = ColumnsOf(table);
        if (cols.empty())
            continue;
        const std::string quoted = SqlQuote(table);
        std::string base = "SELECT b.rowid AS rowid", undo = "SELECT u.rid";
        for (size_t i = 0; i < cols.size(); ++i) {
            base += ", b." + SqlQuoteIdent(cols[i]);
            undo += ", ora_undo_col(u.vals, " + std::to_string(i) + ")";
        }
        // The committed image: rows no other transaction changed, and the
        // first before-image of those it did (rows it inserted have none).
        // A run of inserts (op R) covers rowids rid to vals; a row it holds
        // was not there before, whatever images came after.
        auto inRun = [&](const std::string& rowid, const std::string& txnTest) {
            return "EXISTS (SELECT 1 FROM main.cat_undo r WHERE r.tbl = " + quoted + " AND r.rid BETWEEN -" + rowid +
                   " AND " + std::to_string(kRunRows - 1) + " - " + rowid + " AND r.op = 'R' AND " + txnTest +
                   " AND r.vals >= " + rowid + ")";
        };
        const std::string sql =
            "CREATE TEMP VIEW " + SqlQuoteIdent(table) + " AS " + base + " FROM " + MainName(table) +
            " b WHERE b.rowid NOT IN (SELECT rid FROM main.cat_undo WHERE tbl = " + quoted +
            " AND txn <> ora_txn() AND op IN ('I','U','D')) AND NOT " + inRun("b.rowid", "r.txn <> ora_txn()") +
            " UNION ALL " + undo + " FROM main.cat_undo u WHERE u.tbl = " + quoted +
            " AND u.txn <> ora_txn() AND u.op IN ('U','D') AND u.seq = (SELECT min(v.seq) FROM main.cat_undo v"
            " WHERE v.tbl = u.tbl AND v.rid = u.rid AND v.txn = u.txn AND v.op IN ('I','U','D')) AND NOT " +
            inRun("u.rid", "r.txn = u.txn AND r.seq < u.seq");
        // A view not made (a break) is made again by the next statement.
        if (!SqliteExec(m_db, sql)) {
            OraResult r = m_core.MapError(sqlite3_errcode(m_db), false);
            DropShadows();
            return r;
        }
        m_shadowViews.push_back(table);
        names.push_back(table);
    }
    // Views kept in the main schema bind to main's tables: those that read a
    // shadowed table (directly or through another view) get a TEMP copy.
    std::vector<std::pair<std::string, std::string>> views;
    {
        SqliteStmt q(m_db, "SELECT name, sql FROM main.sqlite_master WHERE type = 'view'");
        while (q.Step())
            views.emplace_back(q.Text(0), q.Text(1));
    }
    std::set<std::string> copied;
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [name, sql] : views) {
            if (copied.count(name))
                continue;
            bool reads = false;
            for (const std::string& n : names)
                reads = reads || sql.find(n) != std::string::npos;
            if (!reads)
                continue;
            copied.insert(name);
            grew = true;
            names.push_back(name);
            const std::string prefix = "CREATE VIEW ";
            if (sql.size() < prefix.size() || !VkAsciiEqualNoCase(sql.substr(0, prefix.size()), prefix))
                continue;
            if (!SqliteExec(m_db, "CREATE TEMP VIEW " + sql.substr(prefix.size()))) {
                OraResult r = m_core.MapError(sqlite3_errcode(m_db), false);
                DropShadows();
                return r;
            }
            m_shadowViews.push_back(name);
        }
    }
    m_shadowed = wanted;
    return OraResult{};
}

} // namespace VkOracle
