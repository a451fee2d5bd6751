// Users, roles, GRANT/REVOKE, ALTER statements and the catalogue entries of
// stored units, triggers and types.
#include "ociw32/server/OraDdlExecutor.h"

#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/CatalogSchema.h"
#include "ociw32/server/OraPasswordVerifier.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/PlsqlSessionState.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace VkOracle {
namespace {

const char* const kSystemPrivileges[] = {
    "CREATE SESSION", "ALTER SESSION", "ALTER SYSTEM", "CREATE USER", "ALTER USER", "DROP USER", "CREATE ROLE",
    "DROP ANY ROLE", "GRANT ANY PRIVILEGE", "GRANT ANY ROLE", "SELECT ANY TABLE", "INSERT ANY TABLE",
    "UPDATE ANY TABLE", "DELETE ANY TABLE", "CREATE ANY TABLE", "DROP ANY TABLE", "CREATE ANY VIEW", "DROP ANY VIEW",
    "CREATE ANY INDEX", "DROP ANY INDEX", "CREATE ANY SEQUENCE", "DROP ANY SEQUENCE", "SELECT ANY SEQUENCE",
    "CREATE ANY SYNONYM", "DROP ANY SYNONYM", "CREATE PUBLIC SYNONYM", "DROP PUBLIC SYNONYM", "CREATE ANY PROCEDURE",
    "DROP ANY PROCEDURE", "EXECUTE ANY PROCEDURE", "CREATE ANY TRIGGER", "DROP ANY TRIGGER", "CREATE ANY TYPE",
    "DROP ANY TYPE", "CREATE TABLE", "CREATE VIEW", "CREATE SEQUENCE", "CREATE SYNONYM", "CREATE PROCEDURE",
    "CREATE TRIGGER", "CREATE TYPE", "CREATE CLUSTER", "CREATE DATABASE LINK", "UNLIMITED TABLESPACE",
    "SELECT ANY DICTIONARY", "CREATE ANY JOB", "CREATE JOB",
};

bool IsSystemPrivilege(const std::string& p)
{
    return std::find_if(std::begin(kSystemPrivileges), std::end(kSystemPrivileges),
                        [&](const char* s) { return p == s; }) != std::end(kSystemPrivileges);
}

const char* const kObjectPrivileges[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "ALTER", "INDEX", "REFERENCES",
                                         "EXECUTE", "DEBUG", "READ", "ALL"};

bool IsObjectPrivilege(const std::string& p)
{
    return std::find_if(std::begin(kObjectPrivileges), std::end(kObjectPrivileges),
                        [&](const char* s) { return p == s; }) != std::end(kObjectPrivileges);
}

} // namespace

void OraDdlExecutor::CreateUser(const SqlStatement& st)
{
    if (!m_catalog.HasSysPriv("CREATE USER"))
        Fail(1031);
    const std::string& name = st.target[0];
    bool isRole = false;
    if (m_catalog.UserExists(name, &isRole))
        Fail(isRole ? 1921 : 1920, {name});
    SqliteStmt q(m_core.Db(), "INSERT INTO cat_users(user_id, username, password, account_status, created, is_role)"
                              " SELECT max(max(user_id) + 1, 20), ?, ?, ?, ?, 0 FROM cat_users");
    q.Bind(1, name).Bind(2, OraPasswordVerifier::Make(st.password))
        .Bind(3, std::string(st.accountLock == "LOCK" ? "LOCKED" : "OPEN"))
        .Bind(4, m_now);
    if (!q.Run())
        Fail(1920, {name});
}

void OraDdlExecutor::CreateRole(const SqlStatement& st)
{
    if (!m_catalog.HasSysPriv("CREATE ROLE"))
        Fail(1031);
    const std::string& name = st.target[0];
    bool isRole = false;
    if (m_catalog.UserExists(name, &isRole))
        Fail(isRole ? 1921 : 1920, {name});
    SqliteStmt q(m_core.Db(), "INSERT INTO cat_users(user_id, username, password, account_status, created, is_role)"
                              " SELECT max(max(user_id) + 1, 20), ?, NULL, 'OPEN', ?, 1 FROM cat_users");
    q.Bind(1, name).Bind(2, m_now);
    q.Run();
    SqliteStmt g(m_core.Db(), "INSERT OR IGNORE INTO cat_role_privs VALUES (?, ?, 'YES', 'YES')");
    g.Bind(1, m_catalog.User()).Bind(2, name);
    g.Run();
}

void OraDdlExecutor::DropUser(const SqlStatement& st)
{
    const std::string& name = st.target[0];
    bool isRole = false;
    if (!m_catalog.UserExists(name, &isRole) || isRole)
        Fail(1918, {name});
    if (!m_catalog.HasSysPriv("DROP USER"))
        Fail(1031);
    sqlite3* db = m_core.Db();
    {
        SqliteStmt connected(db, "SELECT 1 FROM cat_sessions WHERE username = ? AND ora_pid_alive(pid) AND sid <> ora_sid()");
        connected.Bind(1, name);
        if (connected.Step())
            Fail(1940);
    }
    std::vector<std::pair<std::string, std::string>> objects;
    {
        SqliteStmt q(db, "SELECT object_name, object_type FROM cat_objects WHERE owner = ? AND object_type NOT IN"
                         " ('INDEX', 'TRIGGER', 'PACKAGE BODY', 'TYPE BODY') ORDER BY object_type = 'TABLE'");
        q.Bind(1, name);
        while (q.Step())
            objects.emplace_back(q.Text(0), q.Text(1));
    }
    if (!objects.empty() && !st.cascade)
        Fail(1922, {name});
    for (const auto& [object, type] : objects) {
        SqlStatement drop;
        drop.kind = SqlStmtKind::Drop;
        drop.objectType = type;
        drop.target = {name, object};
        drop.cascade = true;
        Drop(drop);
    }
    for (const char* sql : {"DELETE FROM cat_users WHERE username = ?1",
                            "DELETE FROM cat_role_privs WHERE grantee = ?1",
                            "DELETE FROM cat_sys_privs WHERE grantee = ?1",
                            "DELETE FROM cat_tab_privs WHERE grantee = ?1 OR owner = ?1",
                            "DELETE FROM cat_objects WHERE owner = ?1",
                            "DELETE FROM main.cat_jobs WHERE priv_user = ?1"}) {
        SqliteStmt q(db, sql);
        q.Bind(1, name);
        q.Run();
    }
}

void OraDdlExecutor::Grant(const SqlStatement& st)
{
    sqlite3* db = m_core.Db();
    for (const std::string& grantee : st.grantees) {
        if (grantee != "PUBLIC" && !m_catalog.UserExists(grantee))
            Fail(1917, {grantee});
        if (grantee == m_catalog.User() && st.onObject)
            Fail(1749);
    }
    if (st.onObject) {
        OraObjectRef ref = m_catalog.Resolve(st.target);
        if (!ref.found || !m_catalog.CanSee(ref))
            Fail(942);
        for (const std::string& p : st.privileges) {
            if (!IsObjectPrivilege(p))
                Fail(990);
            bool may = m_catalog.IsSys() || ref.owner == m_catalog.User();
            if (!may) {
                SqliteStmt q(db, "SELECT 1 FROM cat_tab_privs WHERE owner = ? AND table_name = ? AND privilege IN (?, 'ALL')"
                                 " AND grantable = 'YES' AND grantee = ?");
                q.Bind(1, ref.owner).Bind(2, ref.name).Bind(3, p).Bind(4, m_catalog.User());
                may = q.Step();
            }
            if (!may)
                Fail(1031);
            std::vector<std::string> expanded;
            if (p == "ALL") {
                if (ref.type == "PROCEDURE" || ref.type == "FUNCTION" || ref.type == "PACKAGE" || ref.type == "TYPE")
                    expanded = {"EXECUTE"};
                else if (ref.type == "SEQUENCE")
                    expanded = {"ALTER", "SELECT"};
                else
                    expanded = {"ALTER", "DELETE", "INDEX", "INSERT", "REFERENCES", "SELECT", "UPDATE"};
            } else {
                expanded = {p};
            }
            for (const std::string& grantee : st.grantees) {
                for (const std::string& priv : expanded) {
                    SqliteStmt q(db, "INSERT OR REPLACE INTO cat_tab_privs VALUES (?, ?, ?, ?, ?, ?)");
                    q.Bind(1, grantee).Bind(2, ref.owner).Bind(3, ref.name).Bind(4, m_catalog.User()).Bind(5, priv);
                    q.Bind(6, std::string(st.withOption ? "YES" : "NO"));
                    q.Run();
                }
            }
        }
        return;
    }
    for (const std::string& p : st.privileges) {
        bool isRole = false;
        const bool exists = m_catalog.UserExists(p, &isRole);
        if (exists && isRole) {
            SqliteStmt admin(db, WithCatalogHelpers("SELECT 1 FROM cat_role_privs WHERE granted_role = ? AND"
                                                    " admin_option = 'YES' AND grantee IN"
                                                    " (SELECT grantee FROM cat_my_grantees)"));
            admin.Bind(1, p);
            if (!m_catalog.HasSysPriv("GRANT ANY ROLE") && !admin.Step())
                Fail(1031);
            for (const std::string& grantee : st.grantees) {
                if (grantee == p)
                    Fail(1934);
                SqliteStmt q(db, "INSERT OR REPLACE INTO cat_role_privs VALUES (?, ?, ?, 'YES')");
                q.Bind(1, grantee).Bind(2, p).Bind(3, std::string(st.withOption ? "YES" : "NO"));
                q.Run();
            }
            continue;
        }
        std::string priv = p == "ALL" ? "ALL" : p;
        if (!IsSystemPrivilege(priv)) {
            if (priv.find(' ') == std::string::npos && !IsObjectPrivilege(priv))
                Fail(1919, {priv});
            Fail(990);
        }
        SqliteStmt admin(db, WithCatalogHelpers("SELECT 1 FROM cat_sys_privs WHERE privilege = ? AND"
                                                " admin_option = 'YES' AND grantee IN"
                                                " (SELECT grantee FROM cat_my_grantees)"));
        admin.Bind(1, priv);
        if (!m_catalog.HasSysPriv("GRANT ANY PRIVILEGE") && !admin.Step())
            Fail(1031);
        for (const std::string& grantee : st.grantees) {
            SqliteStmt q(db, "INSERT OR REPLACE INTO cat_sys_privs VALUES (?, ?, ?)");
            q.Bind(1, grantee).Bind(2, priv).Bind(3, std::string(st.withOption ? "YES" : "NO"));
            q.Run();
        }
    }
}

void OraDdlExecutor::Revoke(const SqlStatement& st)
{
    sqlite3* db = m_core.Db();
    for (const std::string& grantee : st.grantees)
        if (grantee != "PUBLIC" && !m_catalog.UserExists(grantee))
            Fail(1917, {grantee});
    if (st.onObject) {
        OraObjectRef ref = m_catalog.Resolve(st.target);
        if (!ref.found || !m_catalog.CanSee(ref))
            Fail(942);
        for (const std::string& p : st.privileges) {
            for (const std::string& grantee : st.grantees) {
                SqliteStmt q(db, std::string("DELETE FROM cat_tab_privs WHERE grantee = ? AND owner = ? AND table_name = ?") +
                                     (p == "ALL" ? "" : " AND privilege = ?4") +
                                     (m_catalog.IsSys() ? "" : " AND grantor = ?5"));
                q.Bind(1, grantee).Bind(2, ref.owner).Bind(3, ref.name);
                if (p != "ALL")
                    q.Bind(4, p);
                if (!m_catalog.IsSys())
                    q.Bind(5, m_catalog.User());
                q.Run();
                if (sqlite3_changes(db) == 0)
                    Fail(1927);
            }
        }
        return;
    }
    for (const std::string& p : st.privileges) {
        bool isRole = false;
        const bool exists = m_catalog.UserExists(p, &isRole);
        for (const std::string& grantee : st.grantees) {
            if (exists && isRole) {
                if (!m_catalog.HasSysPriv("GRANT ANY ROLE"))
                    Fail(1031);
                SqliteStmt q(db, "DELETE FROM cat_role_privs WHERE grantee = ? AND granted_role = ?");
                q.Bind(1, grantee).Bind(2, p);
                q.Run();
                if (sqlite3_changes(db) == 0)
                    Fail(1951, {p, grantee});
            } else {
                if (!IsSystemPrivilege(p))
                    Fail(990);
                if (!m_catalog.HasSysPriv("GRANT ANY PRIVILEGE"))
                    Fail(1031);
                SqliteStmt q(db, "DELETE FROM cat_sys_privs WHERE grantee = ? AND privilege = ?");
                q.Bind(1, grantee).Bind(2, p);
                q.Run();
                if (sqlite3_changes(db) == 0)
                    Fail(1952, {grantee});
            }
        }
    }
}

void OraDdlExecutor::AlterSession(const SqlStatement& st)
{
    const std::string setting = VkAsciiUpper(st.setting);
    if (setting == "CURRENT_SCHEMA") {
        const std::string schema = VkAsciiUpper(st.settingValue);
        bool isRole = false;
        if (!m_catalog.UserExists(schema, &isRole) || isRole)
            Fail(1435);
        m_catalog.SetSchema(schema);
        return;
    }
    if (setting == "NLS_DATE_FORMAT") {
        const int rc = SetSessionDateFormat(m_core.Db(), st.settingValue);
        if (rc)
            Fail(rc);
        return;
    }
    // Other NLS and optimizer settings are accepted and change nothing here.
}

void OraDdlExecutor::AlterSystem(const SqlStatement& st)
{
    if (st.setting == "NOOP")
        return;
    if (!m_catalog.HasSysPriv("ALTER SYSTEM"))
        Fail(1031);
    if (st.setting == "JOB_QUEUE_PROCESSES" || st.setting == "JOB_QUEUE_INTERVAL") {
        const long value = std::strtol(st.settingValue.c_str(), nullptr, 10);
        const bool processes = st.setting == "JOB_QUEUE_PROCESSES";
        if (value < (processes ? 0 : 1) || value > (processes ? 1000 : 3600))
            Fail(2097, {st.setting});
        SqliteStmt q(m_core.Db(), "INSERT OR REPLACE INTO cat_db VALUES (?, ?)");
        q.Bind(1, processes ? std::string("job_queue_processes") : std::string("job_queue_interval"));
        q.Bind(2, std::to_string(value));
        q.Run();
        m_core.WakeJobQueueAtCommit();
        return;
    }
    if (st.setting == "SET") {
        SetParameter(VkAsciiLower(st.target.empty() ? std::string() : st.target[0]), st.settingValue);
        return;
    }
    if (st.setting != "KILL")
        return;
    const std::string& v = st.settingValue;
    const size_t comma = v.find(',');
    if (comma == std::string::npos)
        Fail(26);
    char* end = nullptr;
    const long sid = std::strtol(v.c_str(), &end, 10);
    const long serial = std::strtol(v.c_str() + comma + 1, &end, 10);
    if (sid == m_core.Sid())
        Fail(27);
    SqliteStmt q(m_core.Db(), "UPDATE cat_sessions SET killed = 1 WHERE sid = ? AND serial = ? AND ora_pid_alive(pid)");
    q.Bind(1, static_cast<int64_t>(sid)).Bind(2, static_cast<int64_t>(serial));
    q.Run();
    if (sqlite3_changes(m_core.Db()) == 0)
        Fail(30);
}

void OraDdlExecutor::SetParameter(const std::string& name, const std::string& value)
{
    SqliteStmt p(m_core.Db(), "SELECT type, isses_modifiable, issys_modifiable, low, high FROM cat_parameters"
                              " WHERE name = ?");
    p.Bind(1, name);
    if (!p.Step())
        Fail(2065);
    if (p.Text(2) == "FALSE")
        Fail(p.Text(1) == "TRUE" && m_core.Major() > 7 ? 2096 : 2095);
    if (p.Int(0) == 3) {
        char* end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0')
            Fail(2017);
        if (n < p.Int(3) || n > p.Int(4))
            Fail(2097);
    }
    SqliteStmt q(m_core.Db(), "INSERT OR REPLACE INTO cat_db VALUES (?, ?)");
    q.Bind(1, name).Bind(2, value);
    q.Run();
}

void OraDdlExecutor::AlterUser(const SqlStatement& st)
{
    const std::string& name = st.target[0];
    bool isRole = false;
    if (!m_catalog.UserExists(name, &isRole) || isRole)
        Fail(1918, {name});
    const bool self = name == m_catalog.User() && st.accountLock.empty();
    if (!self && !m_catalog.HasSysPriv("ALTER USER"))
        Fail(1031);
    if (!st.password.empty()) {
        SqliteStmt q(m_core.Db(), "UPDATE cat_users SET password = ? WHERE username = ?");
        q.Bind(1, OraPasswordVerifier::Make(st.password)).Bind(2, name);
        q.Run();
    }
    if (!st.accountLock.empty()) {
        SqliteStmt q(m_core.Db(), "UPDATE cat_users SET account_status = ? WHERE username = ?");
        q.Bind(1, std::string(st.accountLock == "LOCK" ? "LOCKED" : "OPEN")).Bind(2, name);
        q.Run();
    }
}

void OraDdlExecutor::AlterTable(const SqlStatement& st)
{
    OraObjectRef ref = m_catalog.Resolve(st.target);
    if (!ref.found || ref.type != "TABLE" || !m_catalog.CanSee(ref))
        Fail(942);
    if (ref.owner != m_catalog.User() && !m_catalog.HasSysPriv("ALTER ANY TABLE"))
        Fail(1031);
    sqlite3* db = m_core.Db();
    if (st.alterAction == "ADD") {
        std::vector<OraColumnInfo> existing = m_catalog.Columns(ref.owner, ref.name);
        int id = static_cast<int>(existing.size());
        for (const SqlColumnDef& d : st.columnDefs) {
            for (const OraColumnInfo& c : existing)
                if (c.name == d.name)
                    Fail(1430);
            if (d.notNull) {
                SqliteStmt rows(db, "SELECT 1 FROM " + SqlQuoteIdent(OraCatalog::StorageName(ref.owner, ref.name)) + " LIMIT 1");
                if (rows.Step())
                    Fail(1758);
            }
            std::string column = SqlQuoteIdent(d.name);
            for (const std::string& check : ColumnChecks(d))
                column += " " + check;
            Exec("ALTER TABLE " + SqlQuoteIdent(OraCatalog::StorageName(ref.owner, ref.name)) + " ADD COLUMN " + column);
            SqliteStmt c(db, "INSERT INTO cat_columns VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            int length = d.type == "NUMBER" ? 22 : d.type == "DATE" ? 7 : d.length;
            c.Bind(1, ref.owner).Bind(2, ref.name).Bind(3, d.name).Bind(4, ++id).Bind(5, d.type).Bind(6, length);
            d.hasPrecision ? c.Bind(7, d.precision) : c.BindNull(7);
            d.hasPrecision ? c.Bind(8, d.scale) : c.BindNull(8);
            c.Bind(9, std::string(d.notNull ? "N" : "Y"));
            d.defaultText.empty() ? c.BindNull(10) : c.Bind(10, d.defaultText);
            c.Run();
        }
        return;
    }
    if (st.alterAction == "ADD CONSTRAINT") {
        // Only unique keys can be enforced after the fact; the others are recorded.
        for (const SqlConstraintDef& c : st.constraints)
            AddConstraint(ref.owner, ref.name, c, nullptr);
        return;
    }
    if (st.alterAction == "DROP CONSTRAINT") {
        SqliteStmt q(db, "SELECT constraint_type FROM cat_constraints WHERE owner = ? AND constraint_name = ? AND table_name = ?");
        q.Bind(1, ref.owner).Bind(2, st.setting).Bind(3, ref.name);
        if (!q.Step())
            Fail(2443);
        const std::string type = q.Text(0);
        q.Run(); // finished before any DROP below
        for (const char* sql : {"DELETE FROM cat_constraints WHERE owner = ?1 AND constraint_name = ?2",
                                "DELETE FROM cat_cons_columns WHERE owner = ?1 AND constraint_name = ?2",
                                "DELETE FROM cat_indexes WHERE owner = ?1 AND index_name = ?2 AND constraint_index = 1",
                                "DELETE FROM cat_ind_columns WHERE index_owner = ?1 AND index_name = ?2",
                                "DELETE FROM cat_objects WHERE owner = ?1 AND object_name = ?2 AND object_type = 'INDEX'"}) {
            SqliteStmt d(db, sql);
            d.Bind(1, ref.owner).Bind(2, st.setting);
            d.Run();
        }
        // A key added later has an index of its own; one declared with the
        // table lives inside the table and goes with it.
        if (type == "P" || type == "U")
            Exec("DROP INDEX IF EXISTS " + SqlQuoteIdent(OraCatalog::IndexStorageName(ref.owner, st.setting)));
    }
}

void OraDdlExecutor::CreateTrigger(const SqlStatement& st)
{
    OraObjectRef table = m_catalog.Resolve(st.indexTable);
    if (!table.found || (table.type != "TABLE" && table.type != "VIEW") || !m_catalog.CanSee(table))
        Fail(942);
    auto [owner, name] = OwnerAndName(st.target);
    RequireCreate(owner, "TRIGGER");
    sqlite3* db = m_core.Db();
    {
        SqliteStmt q(db, "SELECT 1 FROM cat_triggers WHERE owner = ? AND trigger_name = ?");
        q.Bind(1, owner).Bind(2, name);
        if (q.Step()) {
            if (!st.orReplace)
                Fail(4081, {name});
            for (const char* sql : {"DELETE FROM cat_triggers WHERE owner = ?1 AND trigger_name = ?2",
                                    "DELETE FROM cat_trigger_cols WHERE trigger_owner = ?1 AND trigger_name = ?2",
                                    "DELETE FROM cat_objects WHERE owner = ?1 AND object_name = ?2 AND object_type = 'TRIGGER'"}) {
                SqliteStmt d(db, sql);
                d.Bind(1, owner).Bind(2, name);
                d.Run();
            }
        }
    }
    const std::string type = st.triggerTiming == "INSTEAD OF" ? "INSTEAD OF"
                                                              : st.triggerTiming + (st.triggerEachRow ? " EACH ROW" : " STATEMENT");
    std::string description = owner + "." + name + "\n" + st.triggerTiming + " " + st.triggerEvents;
    if (!st.triggerColumns.empty()) {
        description += " OF ";
        for (size_t i = 0; i < st.triggerColumns.size(); ++i)
            description += (i ? ", " : "") + st.triggerColumns[i];
    }
    description += " ON " + table.owner + "." + table.name + (st.triggerEachRow ? "\nFOR EACH ROW\n" : "\n");
    SqliteStmt q(db, "INSERT INTO cat_triggers VALUES (?, ?, ?, ?, ?, ?, 'REFERENCING NEW AS NEW OLD AS OLD', ?,"
                     " 'ENABLED', ?, ?)");
    q.Bind(1, owner).Bind(2, name).Bind(3, type).Bind(4, st.triggerEvents).Bind(5, table.owner).Bind(6, table.name);
    st.triggerWhen.empty() ? q.BindNull(7) : q.Bind(7, st.triggerWhen);
    q.Bind(8, description).Bind(9, st.body);
    q.Run();
    for (const std::string& col : st.triggerColumns) {
        SqliteStmt c(db, "INSERT INTO cat_trigger_cols VALUES (?, ?, ?, ?, ?, 'YES', 'NEW IN OLD IN')");
        c.Bind(1, owner).Bind(2, name).Bind(3, table.owner).Bind(4, table.name).Bind(5, col);
        c.Run();
    }
    AddObject(owner, name, "TRIGGER");
}

void OraDdlExecutor::AddArguments(const std::string& owner, const std::string& objectName,
                                  const std::string& packageName, int64_t objectId, const SqlSubprogramDef& def,
                                  const std::string& overload)
{
    auto insert = [&](const std::string* argName, int position, int sequence, const std::string* dataType,
                      const std::string& inOut) {
        SqliteStmt q(m_core.Db(), "INSERT INTO cat_arguments VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, ?, NULL, ?, ?, ?, ?, ?)");
        q.Bind(1, owner).Bind(2, objectName);
        packageName.empty() ? q.BindNull(3) : q.Bind(3, packageName);
        q.Bind(4, objectId);
        overload.empty() ? q.BindNull(5) : q.Bind(5, overload);
        argName ? q.Bind(6, *argName) : q.BindNull(6);
        q.Bind(7, position).Bind(8, sequence);
        dataType ? q.Bind(9, *dataType) : q.BindNull(9);
        q.Bind(10, inOut);
        const bool number = dataType && (*dataType == "NUMBER" || *dataType == "BINARY_INTEGER");
        number ? q.Bind(11, 22) : q.BindNull(11);
        q.BindNull(12).BindNull(13);
        number ? q.Bind(14, 10) : q.BindNull(14);
        q.Run();
    };
    int sequence = 1;
    if (def.isFunction)
        insert(nullptr, 0, sequence++, &def.returnType, "OUT");
    else if (def.args.empty())
        insert(nullptr, 1, sequence++, nullptr, "IN");
    int position = 1;
    for (const SqlArgumentDef& a : def.args)
        insert(&a.name, position++, sequence++, &a.type, a.mode);
}

void OraDdlExecutor::CreateStoredUnit(const SqlStatement& st)
{
    auto [owner, name] = OwnerAndName(st.target);
    RequireCreate(owner, "PROCEDURE");
    const std::string type = st.kind == SqlStmtKind::CreateProcedure ? "PROCEDURE"
                             : st.kind == SqlStmtKind::CreateFunction ? "FUNCTION"
                             : st.kind == SqlStmtKind::CreatePackage  ? "PACKAGE"
                                                                      : "PACKAGE BODY";
    sqlite3* db = m_core.Db();
    if (type == "PACKAGE BODY") {
        OraObjectRef package = m_catalog.Find(owner, name);
        if (!package.found || package.type != "PACKAGE")
            Fail(4043, {name});
        SqliteStmt existing(db, "SELECT 1 FROM cat_objects WHERE owner = ? AND object_name = ? AND object_type = 'PACKAGE BODY'");
        existing.Bind(1, owner).Bind(2, name);
        if (existing.Step()) {
            if (!st.orReplace)
                Fail(955);
            RemoveObject(owner, name, "PACKAGE BODY");
        }
        AddObject(owner, name, type);
    } else {
        OraObjectRef existing = m_catalog.Find(owner, name);
        if (existing.found) {
            if (!st.orReplace || existing.type != type)
                Fail(955);
            SqliteStmt d(db, "DELETE FROM cat_arguments WHERE object_id = ?");
            d.Bind(1, existing.id);
            d.Run();
            RemoveObject(owner, name, type);
        }
        const int64_t id = AddObject(owner, name, type);
        if (type == "PACKAGE") {
            std::map<std::string, int> counts, seen;
            for (const SqlSubprogramDef& def : st.subprograms)
                ++counts[def.name];
            for (const SqlSubprogramDef& def : st.subprograms) {
                const std::string overload = counts[def.name] > 1 ? std::to_string(++seen[def.name]) : std::string();
                AddArguments(owner, def.name, name, id, def, overload);
            }
        } else if (!st.subprograms.empty()) {
            AddArguments(owner, name, std::string(), id, st.subprograms[0], std::string());
        }
    }
    SqliteStmt src(db, "INSERT OR REPLACE INTO cat_source VALUES (?, ?, ?, ?)");
    src.Bind(1, owner).Bind(2, name).Bind(3, type).Bind(4, st.body);
    src.Run();
    RecordCompilation(owner, name, type, st.body);
}

void OraDdlExecutor::RecordCompilation(const std::string& owner, const std::string& name, const std::string& type,
                                       const std::string& source)
{
    // The unit is kept either way; what does not compile is INVALID, with
    // its error in USER_ERRORS, and the statement succeeds with a warning.
    sqlite3* db = m_core.Db();
    // A package compiled again starts afresh in this session. The state is
    // reset rather than dropped: a running member may still refer to it.
    if (type == "PACKAGE" || type == "PACKAGE BODY") {
        auto& packages = PlsqlSessionState::Of(m_core).packages;
        auto it = packages.find(owner + "." + name);
        if (it != packages.end() && it->second) {
            it->second->header.reset();
            it->second->body.reset();
            it->second->initialised = false;
            it->second->checked = false;
        }
    }
    SqliteStmt clear(db, "DELETE FROM cat_errors WHERE owner = ? AND name = ? AND type = ?");
    clear.Bind(1, owner).Bind(2, name).Bind(3, type);
    clear.Run();
    PlsqlUnit unit;
    PlsqlCompileError error;
    // What this server cannot run yet (PLS-00999) is no fault of the unit's:
    // it stays VALID, as before, and fails only when that part runs.
    const bool compiled =
        PlsqlParser::ParseStored(source, &unit, &error) || error.text.rfind("PLS-00999", 0) == 0;
    std::vector<PlsqlCompileError> errors;
    if (!compiled)
        errors.push_back(error);
    else if (error.text.empty() && type != "PACKAGE")
        errors = CheckNames(owner, name, type, &unit);
    SqliteStmt status(db, "UPDATE cat_objects SET status = ? WHERE owner = ? AND object_name = ? AND object_type = ?");
    status.Bind(1, std::string(errors.empty() ? "VALID" : "INVALID")).Bind(2, owner).Bind(3, name).Bind(4, type);
    status.Run();
    if (errors.empty())
        return;
    int64_t sequence = 0;
    for (const PlsqlCompileError& e : errors) {
        int line = 1, column = 1;
        for (int k = 0; k < e.pos && k < static_cast<int>(source.size()); ++k) {
            if (source[static_cast<size_t>(k)] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        SqliteStmt add(db, "INSERT INTO cat_errors VALUES (?, ?, ?, ?, ?, ?, ?)");
        add.Bind(1, owner).Bind(2, name).Bind(3, type).Bind(4, ++sequence).Bind(5, static_cast<int64_t>(line))
            .Bind(6, static_cast<int64_t>(column)).Bind(7, e.text);
        add.Run();
    }
    m_warning = OraResult{24344, "ORA-24344: success with compilation error", 0};
}

std::vector<PlsqlCompileError> OraDdlExecutor::CheckNames(const std::string& owner, const std::string& name,
                                                          const std::string& type, PlsqlUnit* unit)
{
    // Names, embedded SQL and calls are resolved now, as Oracle does, not
    // first when the unit runs.
    unit->label = owner + "." + name;
    if (type == "PACKAGE BODY")
        unit->package = unit->label;
    // The checks share the session without owning it.
    PlsqlInterpreter checker(std::shared_ptr<OraSessionCore>(&m_core, [](OraSessionCore*) {}));
    return checker.CheckStored(*unit, owner);
}

void OraDdlExecutor::CreateType(const SqlStatement& st)
{
    auto [owner, name] = OwnerAndName(st.target);
    RequireCreate(owner, "TYPE");
    const std::string type = st.typeKind == "BODY" ? "TYPE BODY" : "TYPE";
    sqlite3* db = m_core.Db();
    SqliteStmt existing(db, "SELECT 1 FROM cat_objects WHERE owner = ? AND object_name = ? AND object_type = ?");
    existing.Bind(1, owner).Bind(2, name).Bind(3, type);
    if (existing.Step()) {
        if (!st.orReplace)
            Fail(955);
        RemoveObject(owner, name, type);
        SqliteStmt d(db, "DELETE FROM cat_coll_types WHERE owner = ? AND type_name = ?");
        d.Bind(1, owner).Bind(2, name);
        d.Run();
    } else if (type == "TYPE" && m_catalog.NameInUse(owner, name)) {
        Fail(955);
    }
    AddObject(owner, name, type);
    if (st.typeKind == "TABLE" || st.typeKind == "VARYING ARRAY") {
        SqliteStmt c(db, "INSERT INTO cat_coll_types VALUES (?, ?, ?, ?, ?)");
        c.Bind(1, owner).Bind(2, name).Bind(3, st.typeKind);
        st.typeKind == "TABLE" ? c.BindNull(4) : c.Bind(4, static_cast<int64_t>(st.typeBound));
        c.Bind(5, st.typeElement);
        c.Run();
    }
    SqliteStmt src(db, "INSERT OR REPLACE INTO cat_source VALUES (?, ?, ?, ?)");
    src.Bind(1, owner).Bind(2, name).Bind(3, type).Bind(4, st.body);
    src.Run();
}

} // namespace VkOracle
