#include "ociw32/server/OraCatalog.h"

#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>

#include <algorithm>

namespace VkOracle {

OraCatalog::OraCatalog(sqlite3* db, std::string user, int majorVersion)
    : m_db(db), m_user(user), m_schema(std::move(user)), m_major(majorVersion)
{
}

OraCatalog::~OraCatalog()
{
    for (auto& [sql, stmt] : m_kept)
        sqlite3_finalize(stmt);
}

sqlite3_stmt* OraCatalog::Kept(const char* sql) const
{
    sqlite3_stmt*& stmt = m_kept[sql];
    if (!stmt)
        sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    return stmt;
}

void OraCatalog::RefreshPrivileges()
{
    // What cat_my_grantees lists (the user, PUBLIC, the roles granted to
    // either, directly or through roles), walked here by key: the recursive
    // query needs temporary tables, whose first use in a process costs more
    // than the whole walk.
    m_grantees = {m_user};
    if (m_user != "PUBLIC")
        m_grantees.push_back("PUBLIC");
    m_sysPrivs.clear();
    m_objectPrivs.clear();
    sqlite3_stmt* roles = nullptr;
    sqlite3_stmt* privs = nullptr;
    sqlite3_stmt* objectPrivs = nullptr;
    sqlite3_prepare_v2(m_db, "SELECT granted_role FROM cat_role_privs WHERE grantee = ?", -1, &roles, nullptr);
    sqlite3_prepare_v2(m_db, "SELECT privilege FROM cat_sys_privs WHERE grantee = ?", -1, &privs, nullptr);
    sqlite3_prepare_v2(m_db, "SELECT owner, table_name, privilege FROM cat_tab_privs WHERE grantee = ?", -1,
                       &objectPrivs, nullptr);
    auto column = [](sqlite3_stmt* st) {
        const unsigned char* text = sqlite3_column_text(st, 0);
        return text ? std::string(reinterpret_cast<const char*>(text)) : std::string();
    };
    auto addOnce = [](std::vector<std::string>* list, std::string item) {
        if (std::find(list->begin(), list->end(), item) == list->end())
            list->push_back(std::move(item));
    };
    for (size_t i = 0; roles && privs && objectPrivs && i < m_grantees.size(); ++i) {
        const std::string grantee = m_grantees[i];
        sqlite3_bind_text(roles, 1, grantee.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(roles) == SQLITE_ROW)
            addOnce(&m_grantees, column(roles));
        sqlite3_reset(roles);
        sqlite3_bind_text(privs, 1, grantee.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(privs) == SQLITE_ROW)
            addOnce(&m_sysPrivs, column(privs));
        sqlite3_reset(privs);
        sqlite3_bind_text(objectPrivs, 1, grantee.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(objectPrivs) == SQLITE_ROW) {
            const std::string object = ObjectKey(reinterpret_cast<const char*>(sqlite3_column_text(objectPrivs, 0)),
                                                 reinterpret_cast<const char*>(sqlite3_column_text(objectPrivs, 1)));
            const unsigned char* privilege = sqlite3_column_text(objectPrivs, 2);
            m_objectPrivs.insert(object);
            m_objectPrivs.insert(object + '\0' + (privilege ? reinterpret_cast<const char*>(privilege) : ""));
        }
        sqlite3_reset(objectPrivs);
    }
    sqlite3_finalize(roles);
    sqlite3_finalize(privs);
    sqlite3_finalize(objectPrivs);
}

std::string OraCatalog::ObjectKey(const char* owner, const char* name)
{
    std::string key = owner ? owner : "";
    key += '\0';
    key += name ? name : "";
    return key;
}

bool OraCatalog::HasSysPriv(const std::string& privilege) const
{
    return IsSys() || std::find(m_sysPrivs.begin(), m_sysPrivs.end(), privilege) != m_sysPrivs.end();
}

OraObjectRef OraCatalog::Find(const std::string& owner, const std::string& name) const
{
    OraObjectRef ref;
    // Indexes, triggers and bodies live in namespaces of their own; they are
    // passed over here rather than in the SQL, which then prepares in a
    // third less (every session prepares it once).
    SqliteStmt q(Kept("SELECT object_type, object_id FROM cat_objects WHERE owner = ? AND object_name = ?"));
    q.Bind(1, owner).Bind(2, name);
    while (q.Step()) {
        const std::string type = q.Text(0);
        if (type == "INDEX" || type == "TRIGGER" || type == "PACKAGE BODY" || type == "TYPE BODY")
            continue;
        ref.found = true;
        ref.owner = owner;
        ref.name = name;
        ref.type = type;
        ref.id = q.Int(1);
        break;
    }
    return ref;
}

OraObjectRef OraCatalog::Resolve(const std::vector<std::string>& name) const
{
    OraObjectRef ref;
    if (name.empty() || name.size() > 2)
        return ref;
    if (name.size() == 2) {
        ref = Find(name[0], name[1]);
    } else {
        ref = Find(m_schema, name[0]);
        if (!ref.found)
            ref = Find("PUBLIC", name[0]);
    }
    // Follow synonym chains (bounded against loops).
    for (int hops = 0; ref.found && ref.type == "SYNONYM" && hops < 10; ++hops) {
        SqliteStmt s(Kept("SELECT table_owner, table_name FROM cat_synonyms WHERE owner = ? AND synonym_name = ?"));
        s.Bind(1, ref.owner).Bind(2, ref.name);
        if (!s.Step())
            return OraObjectRef{};
        const std::string owner = s.Text(0), target = s.Text(1);
        ref = Find(owner, target);
    }
    if (ref.type == "SYNONYM")
        return OraObjectRef{};
    return ref;
}

bool OraCatalog::CanSee(const OraObjectRef& object) const
{
    if (!object.found)
        return false;
    if (IsSys() || object.owner == m_user)
        return true;
    if (object.owner != "SYS" && (HasSysPriv("SELECT ANY TABLE") || HasSysPriv("EXECUTE ANY PROCEDURE")))
        return true;
    if (ReadsDictionary(object, "SELECT"))
        return true;
    return m_objectPrivs.count(ObjectKey(object.owner.c_str(), object.name.c_str())) != 0;
}

bool OraCatalog::ReadsDictionary(const OraObjectRef& object, const std::string& privilege) const
{
    return privilege == "SELECT" && object.owner == "SYS" && (object.type == "VIEW" || object.type == "TABLE")
        && HasSysPriv("SELECT ANY DICTIONARY");
}

bool OraCatalog::HasObjectPriv(const OraObjectRef& object, const std::string& privilege) const
{
    if (IsSys() || object.owner == m_user || ReadsDictionary(object, privilege))
        return true;
    if (object.owner != "SYS") {
        if (privilege == "EXECUTE" ? HasSysPriv("EXECUTE ANY PROCEDURE")
                                   : HasSysPriv(privilege + " ANY " + (object.type == "SEQUENCE" ? "SEQUENCE" : "TABLE")))
            return true;
    }
    const std::string key = ObjectKey(object.owner.c_str(), object.name.c_str()) + '\0';
    return m_objectPrivs.count(key + privilege) != 0 || m_objectPrivs.count(key + "ALL") != 0;
}

std::vector<OraColumnInfo> OraCatalog::Columns(const std::string& owner, const std::string& table) const
{
    std::vector<OraColumnInfo> cols;
    SqliteStmt q(Kept("SELECT column_name, data_type, data_length, data_precision, data_scale, nullable, data_default"
                      " FROM cat_columns WHERE owner = ? AND table_name = ? ORDER BY column_id"));
    q.Bind(1, owner).Bind(2, table);
    while (q.Step()) {
        OraColumnInfo c;
        c.name = q.Text(0);
        c.type = SqlTypeFromCatalog(q.Text(1), static_cast<int>(q.Int(2)), static_cast<int>(q.Int(3)),
                                    static_cast<int>(q.Int(4)), q.Text(5) != "N");
        c.defaultText = q.Text(6);
        cols.push_back(c);
    }
    return cols;
}

bool OraCatalog::UserExists(const std::string& name, bool* isRole) const
{
    SqliteStmt q(m_db, "SELECT is_role FROM cat_users WHERE username = ?");
    q.Bind(1, name);
    if (!q.Step())
        return false;
    if (isRole)
        *isRole = q.Int(0) != 0;
    return true;
}

bool OraCatalog::NameInUse(const std::string& owner, const std::string& name) const
{
    return Find(owner, name).found;
}

int64_t OraCatalog::NextObjectId() const
{
    SqliteStmt q(m_db, "SELECT max(object_id) FROM cat_objects");
    int64_t id = q.Step() ? q.Int(0) + 1 : 1000;
    return std::max<int64_t>(id, 1000);
}

std::string OraCatalog::GeneratedConstraintName() const
{
    SqliteStmt q(m_db, "SELECT count(*) FROM cat_constraints");
    int64_t n = q.Step() ? q.Int(0) : 0;
    for (;;) {
        std::string name = std::to_string(5001 + n++);
        name = "SYS_C" + std::string(name.size() < 6 ? 6 - name.size() : 0, '0') + name;
        SqliteStmt e(m_db, "SELECT 1 FROM cat_constraints WHERE constraint_name = ?");
        e.Bind(1, name);
        if (!e.Step())
            return name;
    }
}

std::string OraCatalog::StorageName(const std::string& owner, const std::string& name)
{
    return owner + "." + name;
}

} // namespace VkOracle

namespace VkOracle {

std::string OraCatalog::IndexStorageName(const std::string& owner, const std::string& name)
{
    return "idx:" + owner + "." + name;
}

} // namespace VkOracle
