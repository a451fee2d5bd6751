#include "ociw32/server/OraEngineStatement.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraEngineStatementCache.h"
#include "ociw32/server/OraGuard.h"
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
    if (m_commitAtEnd) {
        m_commitAtEnd = false;
        m_core->Commit();
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
    for (size_t i = 0; i < m_values.size(); ++i) {
        if (!m_bound[i])
            return OraResult{1008, FormatOraError(1008), 0};
        const int index = static_cast<int>(i) + 1;
        const OraValue& v = m_values[i];
        switch (v.kind) {
        case OraValue::Kind::Null:
            sqlite3_bind_null(m_stmt, index);
            break;
        case OraValue::Kind::Number:
            if (v.number.isInt)
                sqlite3_bind_int64(m_stmt, index, v.number.i);
            else
                sqlite3_bind_double(m_stmt, index, v.number.d);
            break;
        case OraValue::Kind::Text:
            if (v.text.empty())
                sqlite3_bind_null(m_stmt, index);
            else
                sqlite3_bind_text(m_stmt, index, v.text.data(), static_cast<int>(v.text.size()), SQLITE_TRANSIENT);
            break;
        case OraValue::Kind::Date:
            sqlite3_bind_int64(m_stmt, index, v.date);
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
    OraResult alive = m_core->CheckAlive();
    if (!alive.Ok())
        return alive;
    m_core->ResetFragmentValues(m_plan.fragmentIds);
    switch (m_plan.kind) {
    case OraStatementKind::Commit:
        return m_core->Commit();
    case OraStatementKind::Rollback:
        if (m_plan.rollbackToSavepoint) {
            if (!SqliteExec(m_core->Db(), "ROLLBACK TO " + SqlQuoteIdent(m_plan.savepoint)))
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
        if (!m_plan.savepoint.empty()) {
            m_core->BeginWrite();
            SqliteExec(m_core->Db(), "SAVEPOINT " + SqlQuoteIdent(m_plan.savepoint));
        }
        return OraResult{};
    }
    if (!m_stmt)
        return OraResult{1003, FormatOraError(1003), 0};
    CloseCursor();
    sqlite3_clear_bindings(m_stmt);
    OraResult bound = BindAll();
    if (!bound.Ok())
        return bound;
    sqlite3* db = m_core->Db();
    const bool writes = m_plan.kind != OraStatementKind::Query || m_plan.usesSequences || m_plan.forUpdate;
    if (writes) {
        const bool autocommit = sqlite3_get_autocommit(db) != 0;
        m_core->SetRunning(true); // waiting for the write lock can be broken
        OraResult begun = m_core->BeginWrite(m_plan.nowait ? OraSessionCore::LockWait::NoWait
                                                           : OraSessionCore::LockWait::Wait);
        m_core->SetRunning(false);
        if (!begun.Ok())
            return begun;
        // A query drawing sequence numbers keeps them without opening a
        // transaction; FOR UPDATE opens one and keeps its locks until it ends.
        m_commitAtEnd = m_plan.kind == OraStatementKind::Query && autocommit && !m_plan.forUpdate;
    }
    for (int id : m_plan.rownumCounters)
        m_core->m_rownum[id] = 0;
    BeginOracleStatement(db);
    m_inStatement = true;
    if (m_plan.kind == OraStatementKind::Query) {
        m_open = true;
        return OraResult{};
    }
    m_core->SetRunning(true);
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    m_core->SetRunning(false);
    EndOracleStatement(db);
    m_inStatement = false;
    if (rc != SQLITE_DONE) {
        OraResult r = Failure(rc);
        sqlite3_reset(m_stmt);
        return r;
    }
    if (rowsProcessed)
        *rowsProcessed = static_cast<uint64_t>(sqlite3_changes64(db));
    sqlite3_reset(m_stmt);
    return OraResult{};
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
    m_core->SetStepping(true);
    const int rc = sqlite3_step(m_stmt);
    m_core->SetStepping(false);
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
