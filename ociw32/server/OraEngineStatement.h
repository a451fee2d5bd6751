#pragma once
// A parsed statement of an engine session: a compiled SQLite statement that
// is bound, executed and stepped row by row (queries are never materialised),
// or a statement the session already carried out at parse time (DDL).

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/SqlType.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace VkOracle {

struct OraStatementPlan {
    OraStatementKind kind = OraStatementKind::Other;
    int functionCode = 0;
    std::string sql;                  // compiled SQLite text (queries and DML)
    std::vector<OraColumnDesc> columns;
    std::vector<SqlType> types;
    std::vector<std::string> bindNames;
    bool usesSequences = false;
    bool forUpdate = false;           // SELECT ... FOR UPDATE [NOWAIT] locks
    bool nowait = false;
    // FOR UPDATE, UPDATE and DELETE: the rowids of the rows it locks, of
    // this table.
    std::string lockSql, lockTable;
    // The committed-image views' generation the statement was prepared under.
    int64_t shadowGeneration = 0;
    std::vector<int> rownumCounters;
    std::vector<int> fragmentIds;     // ora_eval fragments the session holds for it
    char dml = 0;                     // 'I', 'U', 'D' for DML
    std::string targetOwner, targetTable;
    // An INSERT that writes its target table alone (no trigger, sequence,
    // fragment or PL/SQL call), stored as `insertStorage`: it may run
    // without a savepoint.
    bool plainInsert = false;
    std::string insertStorage;
    bool rollbackToSavepoint = false;
    std::string savepoint;
};

class OraEngineStatement final : public OraStatement {
public:
    OraEngineStatement(std::shared_ptr<OraSessionCore> core, OraStatementPlan plan, sqlite3_stmt* stmt);
    ~OraEngineStatement() override;

    OraStatementKind Kind() const override { return m_plan.kind; }
    int FunctionCode() const override { return m_plan.functionCode; }
    const std::vector<OraColumnDesc>& Columns() const override { return m_plan.columns; }
    std::vector<std::string> BindNames() const override { return m_plan.bindNames; }
    OraResult Bind(const std::string& name, const OraValue& value) override;
    OraResult Execute(uint64_t* rowsProcessed) override;
    OraResult Fetch(std::vector<OraValue>* row) override;
    OraResult BoundValue(const std::string& name, OraValue* value) const override;
    // Gives the compiled statement back to the session's cache at its end,
    // unless the catalogue moved past `generation` meanwhile.
    void KeepAs(std::string key, int64_t generation)
    {
        m_cacheKey = std::move(key);
        m_generation = generation;
    }

private:
    OraResult ExecuteNow(uint64_t* rowsProcessed);
    OraResult FetchNow(std::vector<OraValue>* row);
    OraResult BindAll();
    OraResult BindTo(sqlite3_stmt* stmt);
    // Runs a DML statement as one write, again after waiting for rows
    // another transaction held.
    OraResult RunDml(uint64_t* rowsProcessed);
    // Adds the rows the committed image gives an UPDATE or DELETE to the
    // rows it locks, so that it waits for those another transaction holds.
    OraResult AddTargetRows();
    // Locks the rows a FOR UPDATE query selects.
    OraResult LockRows();
    // Opens a query on the committed image of what others hold.
    OraResult OpenQuery();
    // Prepares the statement again when the committed-image views changed
    // since it was prepared.
    OraResult Reprepare();
    // Steps a query the first time, in a snapshot its views match.
    int FirstStep();
    void CloseCursor();
    OraResult Failure(int rc);

    // What a select-list column is read as, worked out once for all rows.
    enum class ColumnKind : unsigned char { Number, Date, Text };

    std::shared_ptr<OraSessionCore> m_core;
    OraStatementPlan m_plan;
    std::vector<ColumnKind> m_kinds;
    sqlite3_stmt* m_stmt = nullptr;
    std::vector<OraValue> m_values;
    std::vector<bool> m_bound;
    bool m_open = false;
    bool m_inStatement = false;
    bool m_commitAtEnd = false;
    // The query's first step is still to come (FirstStep).
    bool m_firstStep = false;
    std::string m_cacheKey;
    int64_t m_generation = -1;
};

} // namespace VkOracle
