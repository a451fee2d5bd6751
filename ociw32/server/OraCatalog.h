#pragma once
// The catalogue as one session sees it: name resolution (own schema,
// private and public synonyms), privileges (direct, through roles and
// PUBLIC), and the column lists the compiler types against.

#include "ociw32/server/SqlType.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_set>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace VkOracle {

struct OraColumnInfo {
    std::string name;
    SqlType type;
    std::string defaultText;
};

struct OraObjectRef {
    bool found = false;
    std::string owner;
    std::string name;
    std::string type; // TABLE, VIEW, SEQUENCE, PROCEDURE, ...
    int64_t id = 0;
};

class OraCatalog {
public:
    // Knows no privileges until RefreshPrivileges (the session's first
    // catalogue sync calls it, once its SQL functions are in place).
    OraCatalog(sqlite3* db, std::string user, int majorVersion);
    ~OraCatalog();
    OraCatalog(const OraCatalog&) = delete;
    OraCatalog& operator=(const OraCatalog&) = delete;

    sqlite3* Db() const { return m_db; }
    const std::string& User() const { return m_user; }
    const std::string& Schema() const { return m_schema; }
    void SetSchema(const std::string& schema) { m_schema = schema; }
    int Major() const { return m_major; }

    // Re-reads the session's grantees and system privileges (roles may have
    // changed in between).
    void RefreshPrivileges();
    bool HasSysPriv(const std::string& privilege) const;
    bool IsSys() const { return m_user == "SYS"; }
    const std::vector<std::string>& Grantees() const { return m_grantees; }

    // Resolves [schema.]name in the object namespace (tables, views,
    // sequences, stored units, types), following synonyms.
    OraObjectRef Resolve(const std::vector<std::string>& name) const;
    OraObjectRef Find(const std::string& owner, const std::string& name) const;
    // Whether the session may see the object at all (any privilege).
    bool CanSee(const OraObjectRef& object) const;
    // Whether it may do `privilege` (SELECT, INSERT, UPDATE, DELETE, EXECUTE).
    bool HasObjectPriv(const OraObjectRef& object, const std::string& privilege) const;

    std::vector<OraColumnInfo> Columns(const std::string& owner, const std::string& table) const;
    bool UserExists(const std::string& name, bool* isRole = nullptr) const;
    bool NameInUse(const std::string& owner, const std::string& name) const;
    int64_t NextObjectId() const;
    // Next SYS_Cnnnnn name for an unnamed constraint.
    std::string GeneratedConstraintName() const;

    // The SQLite name of an object's table or view.
    static std::string StorageName(const std::string& owner, const std::string& name);
    // SQLite keeps indexes and tables in one namespace, Oracle does not.
    static std::string IndexStorageName(const std::string& owner, const std::string& name);

private:
    // The lookups every compile makes, prepared once per session.
    sqlite3_stmt* Kept(const char* sql) const;
    static std::string ObjectKey(const char* owner, const char* name);
    // SELECT ANY DICTIONARY reads SYS's tables and views, nothing more.
    bool ReadsDictionary(const OraObjectRef& object, const std::string& privilege) const;

    sqlite3* m_db;
    std::string m_user;
    std::string m_schema;
    int m_major;
    std::vector<std::string> m_grantees;
    std::vector<std::string> m_sysPrivs;
    // The object privileges of the grantees: "OWNER\0TABLE\0PRIVILEGE",
    // and "OWNER\0TABLE" for an object any of them has any privilege on.
    std::unordered_set<std::string> m_objectPrivs;
    mutable std::map<const char*, sqlite3_stmt*> m_kept;
};

} // namespace VkOracle
