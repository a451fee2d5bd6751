// Tables, views, indexes, sequences, synonyms and DROP.
#include "ociw32/server/OraDdlExecutor.h"
#include "ociw32/server/OraTransaction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/SqlCompiler.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"
#include "platform/VkNumberText.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

namespace VkOracle {

OraDdlExecutor::OraDdlExecutor(OraSessionCore& core) : m_core(core), m_catalog(core.Catalog()) {}

void OraDdlExecutor::Fail(int code, std::initializer_list<std::string> args, int pos) const
{
    OraResult r = m_core.Error(code, args, pos);
    throw Failure{r};
}

void OraDdlExecutor::Exec(const std::string& sql) const
{
    if (sqlite3_exec(m_core.Db(), sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        const int rc = sqlite3_extended_errcode(m_core.Db());
        throw Failure{m_core.MapError(rc, false)};
    }
}

std::pair<std::string, std::string> OraDdlExecutor::OwnerAndName(const std::vector<std::string>& name) const
{
    if (name.size() >= 2)
        return {name[0], name[1]};
    return {m_catalog.Schema(), name.empty() ? std::string() : name[0]};
}

void OraDdlExecutor::RequireCreate(const std::string& owner, const std::string& what) const
{
    if (owner == m_catalog.User() ? m_catalog.HasSysPriv("CREATE " + what) || m_catalog.HasSysPriv("CREATE ANY " + what)
                                  : m_catalog.HasSysPriv("CREATE ANY " + what))
        return;
    Fail(1031);
}

int64_t OraDdlExecutor::AddObject(const std::string& owner, const std::string& name, const std::string& type) const
{
    const int64_t id = m_catalog.NextObjectId();
    SqliteStmt q(m_core.Db(), "INSERT INTO cat_objects(object_id, owner, object_name, object_type, created, last_ddl_time)"
                              " VALUES (?, ?, ?, ?, ?, ?)");
    q.Bind(1, id).Bind(2, owner).Bind(3, name).Bind(4, type).Bind(5, m_now).Bind(6, m_now);
    if (!q.Run())
        Fail(955);
    return id;
}

void OraDdlExecutor::RemoveObject(const std::string& owner, const std::string& name, const std::string& type) const
{
    SqliteStmt q(m_core.Db(), "DELETE FROM cat_objects WHERE owner = ? AND object_name = ? AND object_type = ?");
    q.Bind(1, owner).Bind(2, name).Bind(3, type);
    q.Run();
}

bool OraDdlExecutor::HeldByOthers(const SqlStatement& st) const
{
    if (st.kind != SqlStmtKind::Drop && st.kind != SqlStmtKind::AlterTable && st.kind != SqlStmtKind::CreateIndex)
        return false;
    OraObjectRef ref = m_catalog.Resolve(st.target);
    return ref.found && ref.type == "TABLE" &&
           m_core.Transaction().OthersHold(OraCatalog::StorageName(ref.owner, ref.name));
}

OraResult OraDdlExecutor::Run(const SqlStatement& st, const std::string& sql)
{
    sqlite3* db = m_core.Db();
    m_now = OracleSysdate(db);
    m_warning = OraResult{};
    // Session settings do not end the transaction; everything else does.
    const bool transactional = st.kind != SqlStmtKind::AlterSession && st.kind != SqlStmtKind::Lock;
    bool kill = false;
    if (transactional) {
        OraResult committed = m_core.Commit();
        if (!committed.Ok())
            return committed;
        // Killing a session must not wait for that session's transaction;
        // other DDL waits only a moment for one and then fails with ORA-00054.
        kill = st.kind == SqlStmtKind::AlterSystem && st.setting == "KILL";
        if (!kill)
            m_core.WatchCatalogWrites();
        OraResult begun = kill ? OraResult{} : m_core.BeginWrite(OraSessionCore::LockWait::Brief, false);
        if (kill && !SqliteExec(db, "BEGIN"))
            begun = m_core.MapError(sqlite3_errcode(db), false);
        if (!begun.Ok())
            return begun;
        // DDL does not queue behind transactions on its table.
        if (!kill && HeldByOthers(st)) {
            m_core.EndWrite(false);
            return m_core.Error(54);
        }
    }
    auto endWrite = [&](bool ok) {
        if (!kill)
            return m_core.EndWrite(ok);
        if (ok && SqliteExec(db, "COMMIT"))
            return OraResult{};
        OraResult r = ok ? m_core.MapError(sqlite3_errcode(db), false) : OraResult{};
        SqliteExec(db, "ROLLBACK");
        return r;
    };
    try {
        switch (st.kind) {
        case SqlStmtKind::CreateTable: CreateTable(st, sql); break;
        case SqlStmtKind::CreateView: CreateView(st, sql); break;
        case SqlStmtKind::CreateIndex: CreateIndex(st); break;
        case SqlStmtKind::CreateSequence: CreateSequence(st); break;
        case SqlStmtKind::CreateSynonym: CreateSynonym(st); break;
        case SqlStmtKind::CreateUser: CreateUser(st); break;
        case SqlStmtKind::CreateRole: CreateRole(st); break;
        case SqlStmtKind::CreateTrigger: CreateTrigger(st); break;
        case SqlStmtKind::CreateProcedure:
        case SqlStmtKind::CreateFunction:
        case SqlStmtKind::CreatePackage:
        case SqlStmtKind::CreatePackageBody: CreateStoredUnit(st); break;
        case SqlStmtKind::CreateType: CreateType(st); break;
        case SqlStmtKind::Drop: Drop(st); break;
        case SqlStmtKind::Grant: Grant(st); break;
        case SqlStmtKind::Revoke: Revoke(st); break;
        case SqlStmtKind::AlterSession: AlterSession(st); break;
        case SqlStmtKind::AlterSystem: AlterSystem(st); break;
        case SqlStmtKind::AlterUser: AlterUser(st); break;
        case SqlStmtKind::AlterTable: AlterTable(st); break;
        case SqlStmtKind::Lock: {
            OraObjectRef ref = m_catalog.Resolve(st.target);
            if (!ref.found || !m_catalog.CanSee(ref))
                Fail(942);
            // Held until the transaction ends; the wait can be broken.
            const std::string table = OraCatalog::StorageName(ref.owner, ref.name);
            for (bool restart = true; restart;) {
                m_core.SetRunning(true);
                OraResult locked = m_core.BeginWrite();
                if (locked.Ok()) {
                    m_core.Transaction().LockTable(table);
                    locked = m_core.EndWrite(true, st.nowait, &restart);
                }
                m_core.SetRunning(false);
                if (!locked.Ok())
                    return locked;
            }
            break;
        }
        default:
            Fail(900);
        }
    } catch (const Failure& f) {
        if (transactional)
            endWrite(false);
        return f.result;
    }
    if (transactional) {
        OraResult committed = endWrite(true);
        // DDL ends its transaction: a queue parameter it changed wakes the queue.
        if (committed.Ok() && !kill)
            committed = m_core.Commit();
        if (!committed.Ok())
            return committed;
    }
    m_catalog.RefreshPrivileges();
    return m_warning;
}

void OraDdlExecutor::AddConstraint(const std::string& owner, const std::string& table, const SqlConstraintDef& cIn,
                                   std::string* sqliteClause)
{
    SqlConstraintDef c = cIn;
    const bool generated = c.name.empty();
    if (generated)
        c.name = m_catalog.GeneratedConstraintName();
    {
        SqliteStmt q(m_core.Db(), "SELECT 1 FROM cat_constraints WHERE owner = ? AND constraint_name = ?");
        q.Bind(1, owner).Bind(2, c.name);
        if (q.Step())
            Fail(2264);
    }
    const std::vector<OraColumnInfo> cols = m_catalog.Columns(owner, table);
    auto hasColumn = [&](const std::string& name) {
        return std::any_of(cols.begin(), cols.end(), [&](const OraColumnInfo& x) { return x.name == name; });
    };
    for (const std::string& col : c.columns)
        if (!hasColumn(col))
            Fail(904, {"\"" + col + "\""});
    std::string type(1, c.type == 'N' ? 'C' : c.type);
    std::string search, rOwner, rName, deleteRule;
    std::string list;
    for (const std::string& col : c.columns)
        list += (list.empty() ? "" : ", ") + SqlQuoteIdent(col);
    const std::string sqliteName = SqlQuoteIdent(owner + "." + c.name);
    switch (c.type) {
    case 'N':
        search = "\"" + c.columns[0] + "\" IS NOT NULL";
        break;
    case 'P':
    case 'U': {
        if (c.type == 'P') {
            SqliteStmt q(m_core.Db(), "SELECT 1 FROM cat_constraints WHERE owner = ? AND table_name = ? AND constraint_type = 'P'");
            q.Bind(1, owner).Bind(2, table);
            if (q.Step())
                Fail(2260);
        }
        if (sqliteClause)
            *sqliteClause = "CONSTRAINT " + sqliteName + (c.type == 'P' ? " PRIMARY KEY (" : " UNIQUE (") + list + ")";
        else
            Exec("CREATE UNIQUE INDEX " + SqlQuoteIdent(OraCatalog::IndexStorageName(owner, c.name)) + " ON " +
                 SqlQuoteIdent(OraCatalog::StorageName(owner, table)) + "(" + list + ")");
        SqliteStmt idx(m_core.Db(), "INSERT INTO cat_indexes(owner, index_name, table_owner, table_name, uniqueness,"
                                    " constraint_index) VALUES (?, ?, ?, ?, 'UNIQUE', 1)");
        idx.Bind(1, owner).Bind(2, c.name).Bind(3, owner).Bind(4, table);
        if (!idx.Run())
            Fail(955);
        AddObject(owner, c.name, "INDEX");
        int pos = 1;
        for (const std::string& col : c.columns) {
            SqliteStmt ic(m_core.Db(), "INSERT INTO cat_ind_columns VALUES (?, ?, ?, ?, ?, ?, ?)");
            int length = 22;
            for (const OraColumnInfo& x : cols)
                if (x.name == col)
                    length = x.type.IsNumber() ? 22 : x.type.IsDate() ? 7 : x.type.size;
            ic.Bind(1, owner).Bind(2, c.name).Bind(3, owner).Bind(4, table).Bind(5, col).Bind(6, pos++).Bind(7, length);
            ic.Run();
        }
        break;
    }
    case 'R': {
        OraObjectRef ref = m_catalog.Resolve(c.refTable);
        if (!ref.found || ref.type != "TABLE" || !m_catalog.CanSee(ref))
            Fail(942);
        // The referenced key: the given columns, or the primary key.
        SqliteStmt q(m_core.Db(), "SELECT c.constraint_name, (SELECT group_concat(column_name, ',') FROM (SELECT column_name"
                                  " FROM cat_cons_columns cc WHERE cc.owner = c.owner AND cc.constraint_name ="
                                  " c.constraint_name ORDER BY position)) FROM cat_constraints c WHERE c.owner = ? AND"
                                  " c.table_name = ? AND c.constraint_type IN ('P','U') ORDER BY c.constraint_type");
        q.Bind(1, ref.owner).Bind(2, ref.name);
        std::string wanted;
        for (const std::string& col : c.refColumns)
            wanted += (wanted.empty() ? "" : ",") + col;
        std::string keyColumns;
        while (q.Step()) {
            if (wanted.empty() || q.Text(1) == wanted) {
                rName = q.Text(0);
                keyColumns = q.Text(1);
                break;
            }
        }
        if (rName.empty())
            Fail(2270);
        rOwner = ref.owner;
        deleteRule = c.cascade ? "CASCADE" : "NO ACTION";
        std::string refList;
        size_t start = 0;
        while (start <= keyColumns.size()) {
            const size_t comma = keyColumns.find(',', start);
            refList += (refList.empty() ? "" : ", ") +
                       SqlQuoteIdent(keyColumns.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        if (sqliteClause)
            *sqliteClause = "CONSTRAINT " + sqliteName + " FOREIGN KEY (" + list + ") REFERENCES " +
                            SqlQuoteIdent(OraCatalog::StorageName(ref.owner, ref.name)) + "(" + refList + ")" +
                            (c.cascade ? " ON DELETE CASCADE" : "");
        break;
    }
    case 'C': {
        SqlCompiler compiler(m_catalog, c.checkText, {});
        std::string checkSql;
        SqlCompileError err;
        // The condition text is compiled on its own, so positions refer to it.
        if (!compiler.CompileCheck(*c.check, cols, &checkSql, &err))
            Fail(err.code == 904 ? 904 : err.code, {err.args.empty() ? std::string() : err.args[0]});
        search = c.checkText;
        if (sqliteClause)
            *sqliteClause = "CONSTRAINT " + sqliteName + " CHECK (" + checkSql + ")";
        break;
    }
    default:
        break;
    }
    SqliteStmt ins(m_core.Db(), "INSERT INTO cat_constraints(owner, constraint_name, constraint_type, table_name,"
                                " search_condition, r_owner, r_constraint_name, delete_rule, generated) VALUES"
                                " (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    ins.Bind(1, owner).Bind(2, c.name).Bind(3, type).Bind(4, table);
    search.empty() ? ins.BindNull(5) : ins.Bind(5, search);
    rOwner.empty() ? ins.BindNull(6) : ins.Bind(6, rOwner);
    rName.empty() ? ins.BindNull(7) : ins.Bind(7, rName);
    deleteRule.empty() ? ins.BindNull(8) : ins.Bind(8, deleteRule);
    ins.Bind(9, std::string(generated ? "GENERATED NAME" : "USER NAME"));
    if (!ins.Run())
        Fail(2264);
    int pos = 1;
    for (const std::string& col : c.columns) {
        SqliteStmt cc(m_core.Db(), "INSERT INTO cat_cons_columns VALUES (?, ?, ?, ?, ?)");
        cc.Bind(1, owner).Bind(2, c.name).Bind(3, table).Bind(4, col);
        if (c.type == 'N' || c.type == 'C')
            cc.BindNull(5);
        else
            cc.Bind(5, pos++);
        cc.Run();
    }
}

std::vector<std::string> OraDdlExecutor::ColumnChecks(const SqlColumnDef& d)
{
    std::vector<std::string> checks;
    if ((d.type == "VARCHAR2" || d.type == "CHAR" || d.type == "NVARCHAR2" || d.type == "NCHAR" || d.type == "RAW") &&
        d.length > 0)
        checks.push_back("CONSTRAINT " + SqlQuoteIdent("~len~" + d.name) + " CHECK (length(" + SqlQuoteIdent(d.name) +
                         ") <= " + std::to_string(d.length) + ")");
    if (d.type == "NUMBER" && d.hasPrecision && d.precision > 0 && d.precision - d.scale < 38) {
        const std::string limit =
            VkFormatDouble(std::pow(10.0, d.precision - d.scale), std::chars_format::general, 17);
        checks.push_back("CONSTRAINT " + SqlQuoteIdent("~prec~" + d.name) + " CHECK (" + SqlQuoteIdent(d.name) +
                         " IS NULL OR abs(" + SqlQuoteIdent(d.name) + ") < " + limit + ")");
    }
    return checks;
}

void OraDdlExecutor::CreateTable(const SqlStatement& st, const std::string& sql)
{
    auto [owner, name] = OwnerAndName(st.target);
    if (!m_catalog.UserExists(owner))
        Fail(1918, {owner});
    RequireCreate(owner, "TABLE");
    if (m_catalog.NameInUse(owner, name))
        Fail(955);
    std::vector<SqlColumnDef> defs = st.columnDefs;
    std::string selectSql;
    if (st.select) {
        SqlCompiler compiler(m_catalog, sql, {});
        CompiledStatement compiled;
        SqlCompileError err;
        if (!compiler.CompileQuery(*st.select, &compiled, &err))
            throw Failure{m_core.Error(err.code, {err.args.empty() ? std::string() : err.args[0]}, err.pos)};
        if (defs.empty()) {
            for (const CompiledColumn& c : compiled.columns) {
                SqlColumnDef d;
                d.name = c.name;
                for (char ch : c.name)
                    if (!(VkIsAsciiAlnum(ch) || ch == '_' || ch == '$' || ch == '#'))
                        Fail(998);
                switch (c.type.base) {
                case SqlBaseType::Number: d.type = "NUMBER"; d.precision = c.type.precision; d.scale = c.type.scale;
                    d.hasPrecision = c.type.precision > 0; break;
                case SqlBaseType::Date: d.type = "DATE"; break;
                case SqlBaseType::Char: d.type = "CHAR"; d.length = std::max(1, c.type.size); break;
                case SqlBaseType::Long: d.type = "LONG"; break;
                default: d.type = "VARCHAR2"; d.length = std::max(1, c.type.size); break;
                }
                defs.push_back(d);
            }
        }
        selectSql = compiled.sql;
    }
    if (defs.size() > 1000) // Oracle's bound (SQLite's own is 2000)
        Fail(1792);
    std::set<std::string> seen;
    std::string ddl = "CREATE TABLE " + SqlQuoteIdent(OraCatalog::StorageName(owner, name)) + " (";
    std::vector<std::string> checks;
    int id = 0;
    for (const SqlColumnDef& d : defs) {
        if (!seen.insert(d.name).second)
            Fail(957);
        bool notNull = d.notNull;
        for (const SqlConstraintDef& c : st.constraints)
            if ((c.type == 'N' || c.type == 'P') && std::find(c.columns.begin(), c.columns.end(), d.name) != c.columns.end())
                notNull = true;
        ddl += (id ? ", " : "") + SqlQuoteIdent(d.name) + (notNull ? " NOT NULL" : "");
        for (const std::string& check : ColumnChecks(d))
            checks.push_back(check);
        ++id;
        SqliteStmt c(m_core.Db(), "INSERT INTO cat_columns VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        int length = d.length;
        if (d.type == "NUMBER" || d.type == "FLOAT")
            length = 22;
        else if (d.type == "DATE")
            length = 7;
        c.Bind(1, owner).Bind(2, name).Bind(3, d.name).Bind(4, id).Bind(5, d.type).Bind(6, length);
        d.hasPrecision ? c.Bind(7, d.precision) : c.BindNull(7);
        d.hasPrecision && d.type == "NUMBER" ? c.Bind(8, d.scale) : c.BindNull(8);
        c.Bind(9, std::string(notNull ? "N" : "Y"));
        d.defaultText.empty() ? c.BindNull(10) : c.Bind(10, d.defaultText);
        if (!c.Run())
            Fail(957);
    }
    if (defs.empty())
        Fail(906);
    const int64_t objectId = AddObject(owner, name, "TABLE");
    (void)objectId;
    for (const SqlConstraintDef& c : st.constraints) {
        std::string clause;
        AddConstraint(owner, name, c, &clause);
        if (!clause.empty())
            checks.push_back(clause);
    }
    for (const std::string& c : checks)
        ddl += ", " + c;
    ddl += ")";
    Exec(ddl);
    if (!selectSql.empty()) {
        std::string cols;
        for (const SqlColumnDef& d : defs)
            cols += (cols.empty() ? "" : ", ") + SqlQuoteIdent(d.name);
        Exec("INSERT INTO " + SqlQuoteIdent(OraCatalog::StorageName(owner, name)) + "(" + cols + ") SELECT * FROM (" +
             selectSql + ")");
    }
}

void OraDdlExecutor::CreateView(const SqlStatement& st, const std::string& sql)
{
    auto [owner, name] = OwnerAndName(st.target);
    RequireCreate(owner, "VIEW");
    OraObjectRef existing = m_catalog.Find(owner, name);
    if (existing.found) {
        if (!st.orReplace || existing.type != "VIEW")
            Fail(955);
        DropTableOrView(owner, name, "VIEW", false);
    }
    // The view's query runs with its owner's rights, so compile it as the owner sees names.
    const std::string savedSchema = m_catalog.Schema();
    m_catalog.SetSchema(owner);
    SqlCompiler compiler(m_catalog, sql, {});
    CompiledStatement compiled;
    SqlCompileError err;
    const bool ok = compiler.CompileQuery(*st.select, &compiled, &err);
    m_catalog.SetSchema(savedSchema);
    if (!ok)
        throw Failure{m_core.Error(err.code, {err.args.empty() ? std::string() : err.args[0]}, err.pos)};
    std::vector<std::string> names = st.columns;
    if (!names.empty() && names.size() != compiled.columns.size())
        Fail(1730);
    if (names.empty()) {
        for (const CompiledColumn& c : compiled.columns) {
            for (char ch : c.name)
                if (!(VkIsAsciiAlnum(ch) || ch == '_' || ch == '$' || ch == '#'))
                    Fail(998);
            names.push_back(c.name);
        }
    }
    std::set<std::string> seen;
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        if (!seen.insert(names[i]).second)
            Fail(957);
        list += (i ? ", " : "") + SqlQuoteIdent(names[i]);
        const SqlType& t = compiled.columns[i].type;
        std::string dataType = "VARCHAR2";
        int length = t.size;
        if (t.IsNumber()) dataType = "NUMBER", length = 22;
        else if (t.IsDate()) dataType = "DATE", length = 7;
        else if (t.base == SqlBaseType::Char) dataType = "CHAR";
        else if (t.base == SqlBaseType::Long) dataType = "LONG";
        SqliteStmt c(m_core.Db(), "INSERT INTO cat_columns VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, NULL)");
        c.Bind(1, owner).Bind(2, name).Bind(3, names[i]).Bind(4, static_cast<int64_t>(i + 1)).Bind(5, dataType);
        c.Bind(6, length);
        t.IsNumber() && t.precision ? c.Bind(7, t.precision) : c.BindNull(7);
        t.IsNumber() && t.precision ? c.Bind(8, t.scale) : c.BindNull(8);
        c.Bind(9, std::string(t.nullable ? "Y" : "N"));
        c.Run();
    }
    const std::string storage = SqlQuoteIdent(OraCatalog::StorageName(owner, name));
    Exec("CREATE VIEW " + storage + "(" + list + ") AS " + compiled.sql);
    // A stored view cannot read the instance's own tables (V$SESSION,
    // DBA_JOBS_RUNNING): refuse it now rather than fail at every use.
    if (!SqliteStmt(m_core.Db(), "SELECT * FROM main." + storage + " LIMIT 0").Ok())
        Fail(3001);
    AddObject(owner, name, "VIEW");
    SqliteStmt v(m_core.Db(), "INSERT INTO cat_views VALUES (?, ?, ?)");
    v.Bind(1, owner).Bind(2, name).Bind(3, sql.substr(static_cast<size_t>(st.select->pos)));
    v.Run();
}

void OraDdlExecutor::CreateIndex(const SqlStatement& st)
{
    OraObjectRef table = m_catalog.Resolve(st.indexTable);
    if (!table.found || table.type != "TABLE" || !m_catalog.CanSee(table))
        Fail(942);
    auto [owner, name] = OwnerAndName(st.target);
    if (!(owner == m_catalog.User() && table.owner == owner) && !m_catalog.HasSysPriv("CREATE ANY INDEX"))
        Fail(1031);
    {
        SqliteStmt q(m_core.Db(), "SELECT 1 FROM cat_indexes WHERE owner = ? AND index_name = ?");
        q.Bind(1, owner).Bind(2, name);
        if (q.Step() || m_catalog.NameInUse(owner, name))
            Fail(955);
    }
    const std::vector<OraColumnInfo> cols = m_catalog.Columns(table.owner, table.name);
    std::string list;
    int pos = 1;
    for (const std::string& col : st.columns) {
        const OraColumnInfo* found = nullptr;
        for (const OraColumnInfo& c : cols)
            if (c.name == col)
                found = &c;
        if (!found)
            Fail(904, {"\"" + col + "\""});
        list += (list.empty() ? "" : ", ") + SqlQuoteIdent(col);
        SqliteStmt ic(m_core.Db(), "INSERT INTO cat_ind_columns VALUES (?, ?, ?, ?, ?, ?, ?)");
        ic.Bind(1, owner).Bind(2, name).Bind(3, table.owner).Bind(4, table.name).Bind(5, col).Bind(6, pos++);
        ic.Bind(7, found->type.IsNumber() ? 22 : found->type.IsDate() ? 7 : found->type.size);
        ic.Run();
    }
    SqliteStmt idx(m_core.Db(), "INSERT INTO cat_indexes(owner, index_name, table_owner, table_name, uniqueness)"
                                " VALUES (?, ?, ?, ?, ?)");
    idx.Bind(1, owner).Bind(2, name).Bind(3, table.owner).Bind(4, table.name);
    idx.Bind(5, std::string(st.unique ? "UNIQUE" : "NONUNIQUE"));
    idx.Run();
    AddObject(owner, name, "INDEX");
    if (sqlite3_exec(m_core.Db(),
                     ("CREATE " + std::string(st.unique ? "UNIQUE " : "") + "INDEX " +
                      SqlQuoteIdent(OraCatalog::IndexStorageName(owner, name)) + " ON " +
                      SqlQuoteIdent(OraCatalog::StorageName(table.owner, table.name)) + "(" + list + ")")
                         .c_str(),
                     nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(st.unique ? 1452 : 955);
}

void OraDdlExecutor::CreateSequence(const SqlStatement& st)
{
    auto [owner, name] = OwnerAndName(st.target);
    RequireCreate(owner, "SEQUENCE");
    if (m_catalog.NameInUse(owner, name))
        Fail(955);
    if (st.seqIncrement == 0)
        Fail(4002);
    const bool up = st.seqIncrement > 0;
    const long long minV = st.seqHasMin ? st.seqMin : (up ? 1 : -999999999999999999LL);
    const long long maxV = st.seqHasMax ? st.seqMax : (up ? 999999999999999999LL : -1);
    const long long start = st.seqHasStart ? st.seqStart : (up ? minV : maxV);
    if (minV >= maxV)
        Fail(4004);
    if (start < minV)
        Fail(4006);
    if (start > maxV)
        Fail(4008);
    SqliteStmt q(m_core.Db(), "INSERT INTO cat_sequences VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Bind(1, owner).Bind(2, name).Bind(3, static_cast<int64_t>(minV));
    q.Bind(4, static_cast<int64_t>(maxV));
    q.Bind(5, static_cast<int64_t>(st.seqIncrement)).Bind(6, std::string(st.seqCycle ? "Y" : "N"));
    q.Bind(7, std::string(st.seqOrder ? "Y" : "N")).Bind(8, static_cast<int64_t>(st.seqCache));
    q.Bind(9, static_cast<int64_t>(start));
    if (!q.Run())
        Fail(955);
    AddObject(owner, name, "SEQUENCE");
}

void OraDdlExecutor::CreateSynonym(const SqlStatement& st)
{
    std::string owner, name;
    if (st.isPublic) {
        if (st.target.size() > 1)
            Fail(1765);
        owner = "PUBLIC";
        name = st.target[0];
        if (!m_catalog.HasSysPriv("CREATE PUBLIC SYNONYM"))
            Fail(1031);
    } else {
        std::tie(owner, name) = OwnerAndName(st.target);
        RequireCreate(owner, "SYNONYM");
    }
    OraObjectRef existing = m_catalog.Find(owner, name);
    if (existing.found) {
        if (!st.orReplace || existing.type != "SYNONYM")
            Fail(955);
        SqliteStmt d(m_core.Db(), "DELETE FROM cat_synonyms WHERE owner = ? AND synonym_name = ?");
        d.Bind(1, owner).Bind(2, name);
        d.Run();
        RemoveObject(owner, name, "SYNONYM");
    }
    auto [targetOwner, targetName] = OwnerAndName(st.forObject);
    SqliteStmt q(m_core.Db(), "INSERT INTO cat_synonyms VALUES (?, ?, ?, ?, NULL)");
    q.Bind(1, owner).Bind(2, name).Bind(3, targetOwner).Bind(4, targetName);
    q.Run();
    AddObject(owner, name, "SYNONYM");
}

void OraDdlExecutor::DropTableOrView(const std::string& owner, const std::string& name, const std::string& type,
                                     bool cascade)
{
    sqlite3* db = m_core.Db();
    if (type == "TABLE") {
        SqliteStmt refs(db, "SELECT c.owner, c.constraint_name FROM cat_constraints c JOIN cat_constraints p ON"
                            " p.owner = c.r_owner AND p.constraint_name = c.r_constraint_name WHERE"
                            " c.constraint_type = 'R' AND p.owner = ? AND p.table_name = ? AND"
                            " NOT (c.owner = p.owner AND c.table_name = p.table_name)");
        refs.Bind(1, owner).Bind(2, name);
        if (refs.Step() && !cascade)
            Fail(2449);
        // Indexes, triggers and constraints go with the table.
        for (const char* sql : {
                 "DELETE FROM cat_objects WHERE object_type = 'INDEX' AND (owner, object_name) IN"
                 " (SELECT owner, index_name FROM cat_indexes WHERE table_owner = ?1 AND table_name = ?2)",
                 "DELETE FROM cat_ind_columns WHERE table_owner = ?1 AND table_name = ?2",
                 "DELETE FROM cat_indexes WHERE table_owner = ?1 AND table_name = ?2",
                 "DELETE FROM cat_objects WHERE object_type = 'TRIGGER' AND (owner, object_name) IN"
                 " (SELECT owner, trigger_name FROM cat_triggers WHERE table_owner = ?1 AND table_name = ?2)",
                 "DELETE FROM cat_trigger_cols WHERE table_owner = ?1 AND table_name = ?2",
                 "DELETE FROM cat_triggers WHERE table_owner = ?1 AND table_name = ?2",
                 "DELETE FROM cat_cons_columns WHERE owner = ?1 AND table_name = ?2",
                 "DELETE FROM cat_constraints WHERE owner = ?1 AND table_name = ?2",
             }) {
            SqliteStmt q(db, sql);
            q.Bind(1, owner).Bind(2, name);
            q.Run();
        }
        SqliteExec(db, "PRAGMA defer_foreign_keys = ON");
        Exec("DROP TABLE " + SqlQuoteIdent(OraCatalog::StorageName(owner, name)));
    } else {
        // (a dictionary view has no SQLite view of its own)
        Exec("DROP VIEW IF EXISTS " + SqlQuoteIdent(OraCatalog::StorageName(owner, name)));
        SqliteStmt v(db, "DELETE FROM cat_views WHERE owner = ? AND view_name = ?");
        v.Bind(1, owner).Bind(2, name);
        v.Run();
    }
    // Views over it stop working: Oracle shows them INVALID.
    {
        SqliteStmt dependents(db, "UPDATE cat_objects SET status = 'INVALID' WHERE object_type = 'VIEW' AND"
                                  " (owner || '.' || object_name) IN (SELECT name FROM sqlite_master WHERE"
                                  " type = 'view' AND instr(sql, ?) > 0)");
        dependents.Bind(1, SqlQuoteIdent(OraCatalog::StorageName(owner, name)));
        dependents.Run();
    }
    for (const char* sql : {"DELETE FROM cat_columns WHERE owner = ?1 AND table_name = ?2",
                            "DELETE FROM cat_tab_privs WHERE owner = ?1 AND table_name = ?2"}) {
        SqliteStmt q(db, sql);
        q.Bind(1, owner).Bind(2, name);
        q.Run();
    }
    RemoveObject(owner, name, type);
}

void OraDdlExecutor::Drop(const SqlStatement& st)
{
    const std::string& type = st.objectType;
    if (type == "USER") {
        DropUser(st);
        return;
    }
    sqlite3* db = m_core.Db();
    if (type == "ROLE") {
        bool isRole = false;
        if (!m_catalog.UserExists(st.target[0], &isRole) || !isRole)
            Fail(1919, {st.target[0]});
        if (!m_catalog.HasSysPriv("DROP ANY ROLE") && !m_catalog.HasSysPriv("CREATE ROLE"))
            Fail(1031);
        for (const char* sql : {"DELETE FROM cat_users WHERE username = ?1", "DELETE FROM cat_role_privs WHERE"
                                " grantee = ?1 OR granted_role = ?1", "DELETE FROM cat_sys_privs WHERE grantee = ?1",
                                "DELETE FROM cat_tab_privs WHERE grantee = ?1"}) {
            SqliteStmt q(db, sql);
            q.Bind(1, st.target[0]);
            q.Run();
        }
        return;
    }
    std::string owner, name;
    if (st.isPublic) {
        owner = "PUBLIC";
        name = st.target.back();
    } else {
        std::tie(owner, name) = OwnerAndName(st.target);
    }
    const bool own = owner == m_catalog.User();
    auto requireDrop = [&](const std::string& what, bool visible) {
        if (!own && !m_catalog.HasSysPriv("DROP ANY " + what))
            Fail(visible ? 1031 : 942);
    };
    if (type == "INDEX") {
        {
            // Finished before the DROP: SQLite refuses to drop under a running read.
            SqliteStmt q(db, "SELECT constraint_index FROM cat_indexes WHERE owner = ? AND index_name = ?");
            q.Bind(1, owner).Bind(2, name);
            if (!q.Step())
                Fail(1418);
            if (q.Int(0))
                Fail(2429);
        }
        requireDrop("INDEX", true);
        for (const char* sql : {"DELETE FROM cat_indexes WHERE owner = ?1 AND index_name = ?2",
                                "DELETE FROM cat_ind_columns WHERE index_owner = ?1 AND index_name = ?2"}) {
            SqliteStmt d(db, sql);
            d.Bind(1, owner).Bind(2, name);
            d.Run();
        }
        RemoveObject(owner, name, "INDEX");
        Exec("DROP INDEX " + SqlQuoteIdent(OraCatalog::IndexStorageName(owner, name)));
        return;
    }
    if (type == "TRIGGER") {
        SqliteStmt q(db, "SELECT 1 FROM cat_triggers WHERE owner = ? AND trigger_name = ?");
        q.Bind(1, owner).Bind(2, name);
        if (!q.Step())
            Fail(4080, {name});
        requireDrop("TRIGGER", true);
        for (const char* sql : {"DELETE FROM cat_triggers WHERE owner = ?1 AND trigger_name = ?2",
                                "DELETE FROM cat_trigger_cols WHERE trigger_owner = ?1 AND trigger_name = ?2"}) {
            SqliteStmt d(db, sql);
            d.Bind(1, owner).Bind(2, name);
            d.Run();
        }
        RemoveObject(owner, name, "TRIGGER");
        return;
    }
    if (type == "PACKAGE BODY" || type == "TYPE BODY") {
        SqliteStmt q(db, "SELECT 1 FROM cat_objects WHERE owner = ? AND object_name = ? AND object_type = ?");
        q.Bind(1, owner).Bind(2, name).Bind(3, type);
        if (!q.Step())
            Fail(4043, {name});
        requireDrop("PROCEDURE", true);
        RemoveObject(owner, name, type);
        SqliteStmt s(db, "DELETE FROM cat_source WHERE owner = ? AND name = ? AND type = ?");
        s.Bind(1, owner).Bind(2, name).Bind(3, type);
        s.Run();
        return;
    }
    OraObjectRef ref = m_catalog.Find(owner, name);
    const bool matches = ref.found && ref.type == type;
    if (type == "TABLE" || type == "VIEW") {
        if (!matches || !m_catalog.CanSee(ref))
            Fail(942);
        requireDrop(type, true);
        DropTableOrView(owner, name, type, st.cascade);
        return;
    }
    if (type == "SEQUENCE") {
        if (!matches || !m_catalog.CanSee(ref))
            Fail(2289);
        requireDrop("SEQUENCE", true);
        SqliteStmt d(db, "DELETE FROM cat_sequences WHERE sequence_owner = ? AND sequence_name = ?");
        d.Bind(1, owner).Bind(2, name);
        d.Run();
        RemoveObject(owner, name, "SEQUENCE");
        return;
    }
    if (type == "SYNONYM") {
        if (!matches)
            Fail(st.isPublic ? 1432 : 1434);
        if (st.isPublic ? !m_catalog.HasSysPriv("DROP PUBLIC SYNONYM") : !own && !m_catalog.HasSysPriv("DROP ANY SYNONYM"))
            Fail(1031);
        SqliteStmt d(db, "DELETE FROM cat_synonyms WHERE owner = ? AND synonym_name = ?");
        d.Bind(1, owner).Bind(2, name);
        d.Run();
        RemoveObject(owner, name, "SYNONYM");
        return;
    }
    // Stored units and types.
    if (!matches)
        Fail(4043, {name});
    requireDrop(type == "TYPE" ? "TYPE" : "PROCEDURE", true);
    for (const char* sql : {"DELETE FROM cat_arguments WHERE object_id = ?3",
                            "DELETE FROM cat_source WHERE owner = ?1 AND name = ?2",
                            "DELETE FROM cat_coll_types WHERE owner = ?1 AND type_name = ?2",
                            "DELETE FROM cat_tab_privs WHERE owner = ?1 AND table_name = ?2",
                            "DELETE FROM cat_objects WHERE owner = ?1 AND object_name = ?2 AND object_type IN"
                            " ('PACKAGE BODY', 'TYPE BODY')"}) {
        SqliteStmt d(db, sql);
        d.Bind(1, owner).Bind(2, name).Bind(3, ref.id);
        d.Run();
    }
    RemoveObject(owner, name, type);
}

} // namespace VkOracle
