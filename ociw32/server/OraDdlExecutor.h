#pragma once
// Carries out DDL, GRANT/REVOKE and ALTER statements for a session: checks
// privileges, changes the catalogue and the SQLite schema in one
// transaction, after committing the session's open work as Oracle does.

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/SqlAst.h"

#include <string>
#include <utility>
#include <vector>

namespace VkOracle {

struct PlsqlCompileError;
struct PlsqlUnit;

class OraDdlExecutor {
public:
    explicit OraDdlExecutor(OraSessionCore& core);
    OraResult Run(const SqlStatement& st, const std::string& sql);
    // Whether the statement changes a table another transaction holds rows of.
    bool HeldByOthers(const SqlStatement& st) const;

private:
    struct Failure {
        OraResult result;
    };
    [[noreturn]] void Fail(int code, std::initializer_list<std::string> args = {}, int pos = 0) const;
    void Exec(const std::string& sql) const;
    std::pair<std::string, std::string> OwnerAndName(const std::vector<std::string>& name) const;
    void RequireCreate(const std::string& owner, const std::string& what) const;
    int64_t AddObject(const std::string& owner, const std::string& name, const std::string& type) const;
    void RemoveObject(const std::string& owner, const std::string& name, const std::string& type) const;

    // CHECK clauses enforcing a column's length and precision in SQLite.
    static std::vector<std::string> ColumnChecks(const SqlColumnDef& d);
    void CreateTable(const SqlStatement& st, const std::string& sql);
    void CreateView(const SqlStatement& st, const std::string& sql);
    void CreateIndex(const SqlStatement& st);
    void CreateSequence(const SqlStatement& st);
    void CreateSynonym(const SqlStatement& st);
    void CreateUser(const SqlStatement& st);
    void CreateRole(const SqlStatement& st);
    void CreateTrigger(const SqlStatement& st);
    void CreateStoredUnit(const SqlStatement& st);
    void CreateType(const SqlStatement& st);
    void AddArguments(const std::string& owner, const std::string& objectName, const std::string& packageName,
                      int64_t objectId, const SqlSubprogramDef& def, const std::string& overload);
    void Drop(const SqlStatement& st);
    void DropTableOrView(const std::string& owner, const std::string& name, const std::string& type, bool cascade);
    void DropUser(const SqlStatement& st);
    void Grant(const SqlStatement& st);
    void Revoke(const SqlStatement& st);
    void AlterSession(const SqlStatement& st);
    void AlterSystem(const SqlStatement& st);
    // ALTER SYSTEM SET of a parameter other than the job queue's.
    void SetParameter(const std::string& name, const std::string& value);
    void AlterUser(const SqlStatement& st);
    void AlterTable(const SqlStatement& st);
    void AddConstraint(const std::string& owner, const std::string& table, const SqlConstraintDef& c,
                       std::string* sqliteClause);

    OraSessionCore& m_core;
    OraCatalog& m_catalog;
    int64_t m_now = 0;
    // Set when the statement succeeded with a warning (a stored unit that
    // was created with compilation errors: ORA-24344).
    OraResult m_warning;

    // Keeps whether a stored unit compiles: its status and USER_ERRORS.
    void RecordCompilation(const std::string& owner, const std::string& name, const std::string& type,
                           const std::string& source);
    // The name-resolution errors of a parsed unit; none when it compiles.
    std::vector<PlsqlCompileError> CheckNames(const std::string& owner, const std::string& name,
                                              const std::string& type, PlsqlUnit* unit);
};

} // namespace VkOracle
