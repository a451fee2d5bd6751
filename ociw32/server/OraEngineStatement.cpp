#include "ociw32/server/OraEngineStatement.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraEngineStatementCache.h"
#include "ociw32/server/OraGuard.h"
#include "ociw32/server/OraTransaction.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"

#include <sqlite3.h>

#include <cmath>

namespace VkOracle {
namespace {
std::string NormalBindName(const std::string& name)
{
    std::string out;
    for (char c : name)
        if (c != ':')
            out += VkAsciiToUpper(c);
    return out;
}
} // namespace

OraEngineStatement::OraEngineStatement(std::shared_ptr<OraSessionCore> core, OraStatementPlan plan, sqlite3_stmt* stmt)
    : m_core(std::move(core)), m_plan(std::move(plan)), m_stmt(stmt)
{
    m_values.resize(m_plan.bindNames.size());
    m_bound.resize(m_plan.bindNames.size(), false);
    m_kinds.reserve(m_plan.types.size());
    for (const SqlType& t : m_plan.types)
        m_kinds.push_back(t.IsNumber() ? ColumnKind::Number : t.IsDate() ? ColumnKind::Date : ColumnKind::Text);
}

OraEngineStatement::~OraEngineStatement()
{
    CloseCursor();
    for (int id : m_plan.rownumCounters)
        m_core->m_rownum.erase(id);
    m_core->DropFragments(m_plan.fragmentIds);
    if (!m_cacheKey.empty() && m_generation >= 0 && m_generation == m_core->CatalogGeneration() && !m_core->Closed())
        m_core->Statements().Keep(m_cacheKey, std::move(m_plan), m_stmt);
    else
        sqlite3_finalize(m_stmt);
}

void OraEngineStatement::CloseCursor()
{
    if (m_inStatement) {
        EndOracleStatement(m_core->Db());
        m_inStatement = false;
    }
    if (m_stmt)
        sqlite3_reset(m_stmt);
    m_open = false;
    m_firstStep = false;
    if (m_commitAtEnd) {
        m_commitAtEnd = false;
        m_core->EndWrite(true);
    }
}

OraResult OraEngineStatement::Bind(const std::string& name, const OraValue& value)
{
    const std::string key = NormalBindName(name);
    for (size_t i = 0; i < m_plan.bindNames.size(); ++i) {
        if (m_plan.bindNames[i] == key) {
            m_values[i] = value;
            m_bound[i] = true;
            return OraResult{};
        }
    }
    return OraResult{1036, FormatOraError(1036), 0};
}

OraResult OraEngineStatement::BoundValue(const std::string& name, OraValue* value) const
{
    const std::string key = NormalBindName(name);
    for (size_t i = 0; i < m_plan.bindNames.size(); ++i) {
        if (m_plan.bindNames[i] == key) {
            *value = m_values[i];
            return OraResult{};
        }
    }
    return OraResult{1036, FormatOraError(1036), 0};
}

OraResult OraEngineStatement::BindAll()
{
    return BindTo(m_stmt);
}

OraResult OraEngineStatement::BindTo(sqlite3_stmt* stmt)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (!m_bound[i])
            return OraResult{1008, FormatOraError(1008), 0};
        const int index = static_cast<int>(i) + 1;
        if (index > count)
            break;
        const OraValue& v = m_values[i];
        switch (v.kind) {
        case OraValue::Kind::Null:
            sqlite3_bind_null(stmt, index);
            break;
        case OraValue::Kind::Number:
            if (v.number.isInt)
                sqlite3_bind_int64(stmt, index, v.number.i);
            else
                sqlite3_bind_double(stmt, index, v.number.d);
            break;
        case OraValue::Kind::Text:
            if (v.text.empty())
                sqlite3_bind_null(stmt, index);
            else
                sqlite3_bind_text(stmt, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
            break;
        case OraValue::Kind::Date:
            sqlite3_bind_int64(stmt, index, v.date);
            break;
        }
    }
    return OraResult{};
}

OraResult OraEngineStatement::Failure(int rc)
{
    OraResult r = m_core->MapError(rc, m_plan.dml == 'U');
    if (r.code == 2291 && !m_plan.targetTable.empty()) {
        // SQLite does not name the foreign key: take the table's own (child
        // side) or the one pointing at it (parent side, on delete).
        const bool parentSide = m_plan.dml == 'D';
        SqliteStmt q(m_core->Db(),
                     parentSide ? "SELECT c.owner, c.constraint_name FROM cat_constraints c JOIN cat_constraints p ON"
                                  " p.owner = c.r_owner AND p.constraint_name = c.r_constraint_name WHERE"
                                  " c.constraint_type = 'R' AND p.owner = ? AND p.table_name = ?"
                                : "SELECT owner, constraint_name FROM cat_constraints WHERE constraint_type = 'R'"
                                  " AND owner = ? AND table_name = ?");
        q.Bind(1, m_plan.targetOwner).Bind(2, m_plan.targetTable);
        if (q.Step())
            r = m_core->Error(parentSide ? 2292 : 2291, {q.Text(0), q.Text(1)});
    }
    return r;
}

OraResult OraEngineStatement::Execute(uint64_t* rowsProcessed)
{
    return GuardOra([&] { return ExecuteNow(rowsProcessed); });
}

OraResult OraEngineStatement::ExecuteNow(uint64_t* rowsProcessed)
{
    if (rowsProcessed)
        *rowsProcessed = 0;
    // Inside a block the PL/SQL statement that runs this one started its clock.
    if (!m_core->InBlock())
        m_core->ExpireStatementClock();
    OraResult alive = m_core->CheckAlive(m_core->StatementClock());
    if (!alive.Ok())
        return alive;
    m_core->ResetFragmentValues(m_plan.fragmentIds);
    OraTransaction& transaction = m_core->Transaction();
    switch (m_plan.kind) {
    case OraStatementKind::Commit:
        return m_core->Commit();
    case OraStatementKind::Rollback:
        if (m_plan.rollbackToSavepoint) {
            if (!transaction.RollbackTo(m_plan.savepoint))
                return m_core->Error(1086, {m_plan.savepoint});
            return OraResult{};
        }
        return m_core->Rollback();
    case OraStatementKind::Query:
    case OraStatementKind::Insert:
    case OraStatementKind::Update:
    case OraStatementKind::Delete:
        break;
    default:
        if (!m_plan.savepoint.empty())
            transaction.Savepoint(m_plan.savepoint);
        return OraResult{};
    }
    if (!m_stmt)
        return OraResult{1003, FormatOraError(1003), 0};
    CloseCursor();
    sqlite3_clear_bindings(m_stmt);
    OraResult bound = BindAll();
    if (!bound.Ok())
        return bound;
    if (m_plan.kind != OraStatementKind::Query)
        return RunDml(rowsProcessed);
    if (m_plan.forUpdate && !m_plan.lockSql.empty()) {
        OraResult locked = LockRows();
        if (!locked.Ok())
            return locked;
    }
    if (m_plan.usesSequences && !transaction.Writing()) {
        // Sequence numbers are drawn in a write of their own, kept whatever
        // becomes of the transaction.
        OraResult begun = m_core->BeginWrite(OraSessionCore::LockWait::Wait, false);
        if (!begun.Ok())
            return begun;
        m_commitAtEnd = true;
    }
    return OpenQuery();
}

OraResult OraEngineStatement::Reprepare()
{
    const int64_t generation = m_core->Transaction().ShadowGeneration();
    if (m_plan.shadowGeneration == generation || !m_stmt)
        return OraResult{};
    sqlite3_stmt* fresh = nullptr;
    if (sqlite3_prepare_v2(m_core->Db(), m_plan.sql.c_str(), static_cast<int>(m_plan.sql.size()), &fresh, nullptr) !=
        SQLITE_OK) {
        OraResult r = m_core->MapError(sqlite3_errcode(m_core->Db()), false);
        sqlite3_finalize(fresh);
        return r;
    }
    sqlite3_finalize(m_stmt);
    m_stmt = fresh;
    m_plan.shadowGeneration = generation;
    return BindAll();
}

OraResult OraEngineStatement::OpenQuery()
{
    OraResult synced = m_core->Transaction().SyncShadows();
    if (synced.Ok())
        synced = Reprepare();
    if (!synced.Ok())
        return synced;
    for (int id : m_plan.rownumCounters)
        m_core->m_rownum[id] = 0;
    BeginOracleStatement(m_core->Db());
    m_inStatement = true;
    m_open = true;
    m_firstStep = true;
    return OraResult{};
}

int OraEngineStatement::FirstStep()
{
    OraTransaction& transaction = m_core->Transaction();
    // The tables others hold changes on must be read through their committed
    // image; the set read before the query's snapshot opened is checked
    // again inside it, and the query restarts if it grew meanwhile.
    for (int attempt = 0;; ++attempt) {
        m_core->SetStepping(true);
        const int rc = sqlite3_step(m_stmt);
        m_core->SetStepping(false);
        if (rc != SQLITE_ROW || transaction.Writing() || attempt >= 3 || transaction.ShadowsCover())
            return rc;
        sqlite3_reset(m_stmt);
        if (!transaction.SyncShadows().Ok() || !Reprepare().Ok())
            return SQLITE_ERROR;
        for (int id : m_plan.rownumCounters)
            m_core->m_rownum[id] = 0;
    }
}

OraResult OraEngineStatement::AddTargetRows()
{
    sqlite3_stmt* rows = nullptr;
    if (sqlite3_prepare_v2(m_core->Db(), m_plan.lockSql.c_str(), -1, &rows, nullptr) != SQLITE_OK) {
        OraResult r = m_core->MapError(sqlite3_errcode(m_core->Db()), false);
        sqlite3_finalize(rows);
        return r;
    }
    OraResult r = BindTo(rows);
    int rc = SQLITE_DONE;
    while (r.Ok() && (rc = sqlite3_step(rows)) == SQLITE_ROW)
        m_core->Transaction().LockRow(m_plan.lockTable, sqlite3_column_int64(rows, 0));
    if (r.Ok() && rc != SQLITE_DONE)
        r = Failure(rc);
    sqlite3_finalize(rows);
    return r;
}

OraResult OraEngineStatement::LockRows()
{
    sqlite3* db = m_core->Db();
    sqlite3_stmt* lock = nullptr;
    if (sqlite3_prepare_v2(db, m_plan.lockSql.c_str(), -1, &lock, nullptr) != SQLITE_OK) {
        OraResult r = m_core->MapError(sqlite3_errcode(db), false);
        sqlite3_finalize(lock);
        return r;
    }
    OraResult r;
    for (;;) {
        m_core->SetRunning(true); // waiting for the rows can be broken
        r = m_core->BeginWrite();
        if (!r.Ok()) {
            m_core->SetRunning(false);
            break;
        }
        // Prepared before the write: the committed-image views may be new.
        sqlite3_stmt* fresh = nullptr;
        if (sqlite3_prepare_v2(db, m_plan.lockSql.c_str(), -1, &fresh, nullptr) == SQLITE_OK) {
            sqlite3_finalize(lock);
            lock = fresh;
        }
        r = BindTo(lock);
        int rc = SQLITE_DONE;
        while (r.Ok() && (rc = sqlite3_step(lock)) == SQLITE_ROW)
            m_core->Transaction().LockRow(m_plan.lockTable, sqlite3_column_int64(lock, 0));
        if (r.Ok() && rc != SQLITE_DONE)
            r = Failure(rc);
        sqlite3_reset(lock);
        bool restart = false;
        OraResult ended = m_core->EndWrite(r.Ok(), m_plan.nowait, &restart);
        m_core->SetRunning(false);
        if (r.Ok())
            r = ended;
        if (!r.Ok() || !restart)
            break;
    }
    sqlite3_finalize(lock);
    return r;
}

OraResult OraEngineStatement::RunDml(uint64_t* rowsProcessed)
{
    sqlite3* db = m_core->Db();
    for (;;) {
        // Inside another statement's write nothing can be waited for.
        const bool outer = !m_core->Transaction().Writing();
        m_core->SetRunning(true); // waiting for the rows can be broken
        OraResult begun = m_plan.plainInsert ? m_core->BeginInsert(m_plan.insertStorage) : m_core->BeginWrite();
        if (begun.Ok())
            begun = Reprepare();
        if (!begun.Ok()) {
            m_core->EndWrite(false);
            m_core->SetRunning(false);
            return begun;
        }
        for (int id : m_plan.rownumCounters)
            m_core->m_rownum[id] = 0;
        BeginOracleStatement(db);
        m_inStatement = true;
        int rc;
        while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        }
        EndOracleStatement(db);
        m_inStatement = false;
        // A key another transaction's pending change took is waited for, as
        // Oracle waits; once it is committed the statement fails for real.
        const std::string message = rc == SQLITE_DONE ? std::string() : sqlite3_errmsg(db);
        OraResult r = rc == SQLITE_DONE ? OraResult{} : Failure(rc);
        const int64_t keyHolder =
            outer && (rc & 0xff) == SQLITE_CONSTRAINT ? m_core->Transaction().KeyHolder(message) : 0;
        const uint64_t changed = static_cast<uint64_t>(sqlite3_changes64(db));
        sqlite3_reset(m_stmt);
        if (r.Ok() && outer && !m_plan.lockSql.empty() && m_core->Transaction().OthersHold(m_plan.lockTable))
            r = AddTargetRows();
        bool restart = false;
        OraResult ended = m_core->EndWrite(r.Ok(), false, &restart);
        if (keyHolder) {
            r = m_core->WaitForTransaction(keyHolder);
            m_core->SetRunning(false);
            if (!r.Ok())
                return r;
            m_core->ResetFragmentValues(m_plan.fragmentIds);
            continue;
        }
        m_core->SetRunning(false);
        if (!r.Ok())
            return r;
        if (!ended.Ok())
            return ended;
        if (restart) {
            m_core->ResetFragmentValues(m_plan.fragmentIds);
            continue;
        }
        if (rowsProcessed)
            *rowsProcessed = changed;
        return OraResult{};
    }
}

OraResult OraEngineStatement::Fetch(std::vector<OraValue>* row)
{
    return GuardOra([&] { return FetchNow(row); });
}

OraResult OraEngineStatement::FetchNow(std::vector<OraValue>* row)
{
    if (m_core->Closed())
        return OraResult{1012, FormatOraError(1012), 0};
    if (!m_open)
        return OraResult{1002, FormatOraError(1002), 0};
    int rc;
    if (m_firstStep) {
        m_firstStep = false;
        rc = FirstStep();
    } else {
        m_core->SetStepping(true);
        rc = sqlite3_step(m_stmt);
        m_core->SetStepping(false);
    }
    if (rc == SQLITE_DONE) {
        CloseCursor();
        return OraResult{1403, FormatOraError(1403), 0};
    }
    if (rc != SQLITE_ROW) {
        // Sequence numbers drawn before the failure stay used, as in Oracle.
        OraResult r = Failure(rc);
        CloseCursor();
        return r;
    }
    // One value object per cell: the value_* readers skip the per-call
    // checks of the column_* ones (the connection has no mutex to take).
    const size_t n = m_kinds.size();
    row->resize(n);
    for (size_t i = 0; i < n; ++i) {
        OraValue& v = (*row)[i];
        sqlite3_value* cell = sqlite3_column_value(m_stmt, static_cast<int>(i));
        const int type = sqlite3_value_type(cell);
        v.text.clear();
        if (type == SQLITE_NULL) {
            v.kind = OraValue::Kind::Null;
            continue;
        }
        switch (m_kinds[i]) {
        case ColumnKind::Number:
            v.kind = OraValue::Kind::Number;
            if (type == SQLITE_INTEGER) {
                v.number = OraNumFromInt(sqlite3_value_int64(cell));
            } else if (type == SQLITE_FLOAT) {
                v.number = OraNumFromDouble(sqlite3_value_double(cell));
            } else {
                const char* s = reinterpret_cast<const char*>(sqlite3_value_text(cell));
                if (!ParseOracleNumber(s ? s : "", &v.number)) {
                    CloseCursor();
                    return OraResult{1722, FormatOraError(1722), 0};
                }
            }
            break;
        case ColumnKind::Date:
            v.kind = OraValue::Kind::Date;
            if (type == SQLITE_INTEGER)
                v.date = sqlite3_value_int64(cell);
            else if (type == SQLITE_FLOAT)
                v.date = std::llround(sqlite3_value_double(cell));
            else {
                v.kind = OraValue::Kind::Text;
                v.text = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            }
            break;
        case ColumnKind::Text:
            v.kind = OraValue::Kind::Text;
            if (type == SQLITE_INTEGER)
                v.text = FormatOracleNumber(static_cast<int64_t>(sqlite3_value_int64(cell)));
            else if (type == SQLITE_FLOAT)
                v.text = FormatOracleNumber(sqlite3_value_double(cell));
            else
                v.text.assign(reinterpret_cast<const char*>(sqlite3_value_text(cell)),
                              static_cast<size_t>(sqlite3_value_bytes(cell)));
            if (v.text.empty())
                v.kind = OraValue::Kind::Null;
            break;
        }
    }
    return OraResult{};
}

} // namespace VkOracle
