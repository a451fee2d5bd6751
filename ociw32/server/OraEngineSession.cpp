#include "ociw32/server/OraEngineSession.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraDdlExecutor.h"
#include "ociw32/server/OraEngineErrors.h"
#include "ociw32/server/OraEngineStatement.h"
#include "ociw32/server/OraEngineStatementCache.h"
#include "ociw32/server/OraGuard.h"
#include "ociw32/server/OraTransaction.h"
#include "ociw32/server/SqlCompiler.h"
#include "ociw32/server/SqlParser.h"
#include "ociw32/server/SqliteUtil.h"
#include "ociw32/server/PlsqlStatement.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace VkOracle {
namespace {

int FunctionCodeOf(SqlStmtKind kind)
{
    switch (kind) {
    case SqlStmtKind::CreateTable: return 1;
    case SqlStmtKind::Insert: return 3;
    case SqlStmtKind::Select: return 4;
    case SqlStmtKind::Update: return 5;
    case SqlStmtKind::Drop: return 8;
    case SqlStmtKind::Delete: return 9;
    case SqlStmtKind::CreateView: return 10;
    case SqlStmtKind::CreateRole: return 12;
    case SqlStmtKind::CreateSequence: return 13;
    case SqlStmtKind::Grant: return 17;
    case SqlStmtKind::Revoke: return 18;
    case SqlStmtKind::CreateSynonym: return 19;
    case SqlStmtKind::CreateIndex: return 20;
    case SqlStmtKind::AlterTable: return 15;
    case SqlStmtKind::Lock: return 26;
    case SqlStmtKind::Block: return 34;
    case SqlStmtKind::AlterSystem: return 49;
    case SqlStmtKind::CreateUser: return 51;
    case SqlStmtKind::AlterSession: return 52;
    case SqlStmtKind::AlterUser: return 43;
    case SqlStmtKind::Commit: return 54;
    case SqlStmtKind::Rollback: return 55;
    case SqlStmtKind::Savepoint: return 56;
    default: return 0;
    }
}

// Whether an INSERT writes its target table alone, so that SQLite's own
// statement rollback undoes all of a failed one: no trigger on the table,
// no sequence, fragment or PL/SQL call that could write elsewhere.
bool WritesTargetAlone(sqlite3* db, const OraStatementPlan& plan, const OraObjectRef& target)
{
    if (plan.dml != 'I' || target.type != "TABLE" || plan.usesSequences || !plan.fragmentIds.empty() ||
        plan.sql.find("ora_plsql_function") != std::string::npos)
        return false;
    SqliteStmt triggers(db, "SELECT 1 FROM main.sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1"
                            " UNION ALL SELECT 1 FROM temp.sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1");
    triggers.Bind(1, OraCatalog::StorageName(target.owner, target.name));
    return !triggers.Step() && triggers.LastCode() == SQLITE_DONE;
}

// The rows an UPDATE or DELETE means, as a query: read from the committed
// image, they include rows another transaction changed out of its reach or
// deleted, which the statement must wait for as Oracle's does.
SqlSelect TargetRows(const SqlStatement& st)
{
    SqlSelect rows;
    SqlFromItem from;
    from.name = st.target;
    from.alias = st.targetAlias;
    rows.from.push_back(from);
    rows.where = st.where;
    return rows;
}

// FOR UPDATE locks the rows of its first table that the query selects: a
// companion query gives their rowids under the same FROM and WHERE.
void CompileRowLock(const OraCatalog& catalog, const std::string& sql, const std::map<std::string, int>& binds,
                    const SqlSelect& select, OraStatementPlan* plan)
{
    if (select.from.empty() || select.from.front().sub || !select.setOps.empty())
        return;
    OraObjectRef ref = catalog.Resolve(select.from.front().name);
    if (!ref.found || ref.type != "TABLE")
        return;
    SqlSelect rows = select;
    auto rowid = std::make_shared<SqlExpr>();
    rowid->kind = SqlExpr::Kind::Pseudo;
    rowid->text = "ROWID";
    rows.items.clear();
    rows.items.push_back(SqlSelectItem{rowid, "", false});
    rows.orderBy.clear();
    rows.distinct = false;
    rows.forUpdate = false;
    SqlCompiler compiler(catalog, sql, binds);
    CompiledStatement compiled;
    SqlCompileError ignored;
    if (compiler.CompileQuery(rows, &compiled, &ignored) && compiled.fragments.empty()) {
        plan->lockSql = compiled.sql;
        plan->lockTable = OraCatalog::StorageName(ref.owner, ref.name);
    }
}

} // namespace

OraEngineSession::OraEngineSession(std::shared_ptr<OraSessionCore> core) : m_core(std::move(core)) {}

OraEngineSession::~OraEngineSession()
{
    m_core->Close();
}

std::string OraEngineSession::ServerVersion() const
{
    return m_core->Version();
}

OraResult OraEngineSession::Commit()
{
    return GuardOra([&] {
        OraResult alive = m_core->CheckAlive();
        return alive.Ok() ? m_core->Commit() : alive;
    });
}

OraResult OraEngineSession::Rollback()
{
    return GuardOra([&] {
        OraResult alive = m_core->CheckAlive();
        return alive.Ok() ? m_core->Rollback() : alive;
    });
}

void OraEngineSession::Break()
{
    m_core->Break();
}

OraResult OraEngineSession::Parse(const std::string& sql, std::unique_ptr<OraStatement>* statement)
{
    statement->reset();
    return GuardOra([&] { return ParseNow(sql, statement); });
}

OraResult OraEngineSession::ParseNow(const std::string& sql, std::unique_ptr<OraStatement>* statement)
{
    return ParseOnCore(m_core, sql, statement);
}

OraResult ParseOnCore(const std::shared_ptr<OraSessionCore>& m_core, const std::string& sql,
                      std::unique_ptr<OraStatement>* statement)
{
    OraResult alive = m_core->CheckAlive();
    if (!alive.Ok())
        return alive;
    OraCatalog& catalog = m_core->Catalog();
    m_core->SyncCatalog();
    // The same text in the same schema compiles the same way until the
    // catalogue or the session's settings change.
    std::string cacheKey = catalog.Schema() + '\n' + sql;
    {
        OraStatementPlan kept;
        sqlite3_stmt* keptStmt = nullptr;
        if (m_core->Statements().Take(cacheKey, &kept, &keptStmt)) {
            auto st = std::make_unique<OraEngineStatement>(m_core, std::move(kept), keptStmt);
            st->KeepAs(std::move(cacheKey), m_core->CatalogGeneration());
            *statement = std::move(st);
            return OraResult{};
        }
    }
    const int major = m_core->Major();
    auto error = [&](int code, int pos, const std::vector<std::string>& args) {
        return OraResult{code, EngineErrorMessage(code, major, args), pos};
    };
    SqlParser parser(sql);
    SqlParseError parseError;
    SqlStatementPtr st = parser.ParseStatement(&parseError);
    if (!st)
        return error(parseError.code, parseError.pos,
                     parseError.arg.empty() ? std::vector<std::string>{} : std::vector<std::string>{parseError.arg});
    OraStatementPlan plan;
    plan.functionCode = FunctionCodeOf(st->kind);
    // Placeholders in order of first appearance.
    std::map<std::string, int> binds;
    {
        SqlTokenError lexError;
        for (const SqlToken& t : TokenizeSql(sql, &lexError)) {
            if (t.kind == TokKind::Bind && !binds.count(t.text)) {
                binds[t.text] = static_cast<int>(plan.bindNames.size()) + 1;
                plan.bindNames.push_back(t.text);
            }
        }
    }
    if (st->kind == SqlStmtKind::Block)
        return PlsqlStatement::Parse(m_core, sql, statement);
    SqlCompiler compiler(catalog, sql, binds);
    compiler.AllowFragments();
    CompiledStatement compiled;
    SqlCompileError compileError;
    bool ok = true;
    switch (st->kind) {
    case SqlStmtKind::Select:
        plan.kind = OraStatementKind::Query;
        plan.forUpdate = st->select->forUpdate;
        plan.nowait = st->select->nowait;
        ok = compiler.CompileQuery(*st->select, &compiled, &compileError);
        if (ok && plan.forUpdate)
            CompileRowLock(catalog, sql, binds, *st->select, &plan);
        break;
    case SqlStmtKind::Insert:
        plan.kind = OraStatementKind::Insert;
        plan.dml = 'I';
        ok = compiler.CompileInsert(*st, &compiled, &compileError);
        break;
    case SqlStmtKind::Update:
        plan.kind = OraStatementKind::Update;
        plan.dml = 'U';
        ok = compiler.CompileUpdate(*st, &compiled, &compileError);
        if (ok)
            CompileRowLock(catalog, sql, binds, TargetRows(*st), &plan);
        break;
    case SqlStmtKind::Delete:
        plan.kind = OraStatementKind::Delete;
        plan.dml = 'D';
        ok = compiler.CompileDelete(*st, &compiled, &compileError);
        if (ok)
            CompileRowLock(catalog, sql, binds, TargetRows(*st), &plan);
        break;
    case SqlStmtKind::Commit:
        plan.kind = OraStatementKind::Commit;
        break;
    case SqlStmtKind::Rollback:
        plan.kind = OraStatementKind::Rollback;
        plan.rollbackToSavepoint = !st->setting.empty();
        plan.savepoint = st->setting;
        break;
    case SqlStmtKind::Savepoint:
        plan.kind = OraStatementKind::Other;
        plan.savepoint = st->setting;
        break;
    default: {
        plan.kind = OraStatementKind::Ddl;
        if (!plan.bindNames.empty() && (st->kind == SqlStmtKind::CreateTable || st->kind == SqlStmtKind::CreateView))
            return error(1027, 0, {});
        OraDdlExecutor ddl(*m_core);
        OraResult r = ddl.Run(*st, sql);
        // Session settings (ALTER SESSION) may change how statements compile.
        m_core->ForgetStatements();
        if (!r.Ok())
            return r;
        break;
    }
    }
    if (!ok)
        return error(compileError.code, compileError.pos, compileError.args);
    OraObjectRef target;
    if (plan.dml) {
        target = catalog.Resolve(st->target);
        plan.targetOwner = target.owner;
        plan.targetTable = target.name;
    }
    sqlite3_stmt* stmt = nullptr;
    if (!compiled.sql.empty()) {
        plan.sql = compiled.sql;
        plan.usesSequences = compiled.usesSequences;
        plan.rownumCounters = compiled.rownumCounters;
        plan.shadowGeneration = m_core->Transaction().ShadowGeneration();
        const int rc = sqlite3_prepare_v2(m_core->Db(), compiled.sql.c_str(), static_cast<int>(compiled.sql.size()), &stmt, nullptr);
        if (rc != SQLITE_OK) {
            OraResult r = m_core->MapError(rc, false);
            sqlite3_finalize(stmt);
            return r;
        }
        std::vector<OraSessionCore::FragmentSource> fragments;
        for (const CompiledFragment& f : compiled.fragments) {
            fragments.push_back({f.id, f.sql, f.cacheable});
            plan.fragmentIds.push_back(f.id);
        }
        OraResult added = m_core->AddFragments(fragments);
        if (!added.Ok()) {
            sqlite3_finalize(stmt);
            return added;
        }
        if (WritesTargetAlone(m_core->Db(), plan, target)) {
            plan.plainInsert = true;
            plan.insertStorage = OraCatalog::StorageName(target.owner, target.name);
        }
        for (const CompiledColumn& c : compiled.columns) {
            OraColumnDesc d;
            d.name = c.name;
            d.dbType = SqlTypeCode(c.type);
            d.dbSize = c.type.IsNumber() ? 22 : c.type.IsDate() ? 7 : c.type.size;
            d.precision = c.type.IsNumber() ? c.type.precision : 0;
            d.scale = c.type.IsNumber() ? c.type.scale : 0;
            d.nullable = c.type.nullable;
            if (d.dbType == 96 && c.type.base == SqlBaseType::Char && d.dbSize == 0)
                d.dbSize = 1;
            plan.columns.push_back(d);
            plan.types.push_back(c.type);
        }
    }
    const bool keepable = OraEngineStatementCache::Keepable(plan);
    auto made = std::make_unique<OraEngineStatement>(m_core, std::move(plan), stmt);
    if (keepable)
        made->KeepAs(std::move(cacheKey), m_core->CatalogGeneration());
    *statement = std::move(made);
    return OraResult{};
}

OraResult RunSql(OraSession& session, const std::string& sql, uint64_t* rows)
{
    std::unique_ptr<OraStatement> st;
    OraResult r = session.Parse(sql, &st);
    if (!r.Ok())
        return r;
    uint64_t n = 0;
    r = st->Execute(&n);
    if (!r.Ok())
        return r;
    if (st->Kind() == OraStatementKind::Query) {
        std::vector<OraValue> row;
        n = 0;
        while ((r = st->Fetch(&row)).Ok())
            ++n;
        if (r.code != 1403)
            return r;
        r = OraResult{};
    }
    if (rows)
        *rows = n;
    return r;
}

} // namespace VkOracle
