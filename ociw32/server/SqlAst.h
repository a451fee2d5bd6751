#pragma once
// The parsed form of an Oracle SQL statement. Expressions are one node type
// with a kind, so the resolver can walk them without a visitor hierarchy.
// Every node keeps the source range it came from (column headings and error
// offsets are taken from it).

#include <memory>
#include <string>
#include <vector>

namespace VkOracle {

struct SqlSelect;

struct SqlExpr {
    enum class Kind {
        Number,    // text = literal as written
        String,    // text = value
        Null,
        Column,    // names = [schema.]table.]column, or pseudo column NEXTVAL/CURRVAL
        Star,      // names = qualifier (table or schema.table), empty for *
        Bind,      // text = name (upper case)
        Negate,    // args[0]
        Binary,    // text = + - * / ||
        Compare,   // text = = <> < > <= >=; with `quantifier` ANY/ALL over args[1..] or sub
        And, Or, Not,
        Like,      // args = value, pattern[, escape]; negated
        In,        // args[0] value, args[1..] list, or sub; negated
        Between,   // args = value, low, high; negated
        IsNull,    // args[0]; negated
        Exists,    // sub
        Subquery,  // scalar sub (sub)
        Func,      // text = name; args; distinct; star (COUNT(*))
        Case,      // args: [operand], when, then, ..., [else]; hasOperand, hasElse
        Pseudo,    // text = SYSDATE, USER, UID, ROWNUM, ROWID
    };
    Kind kind = Kind::Null;
    std::string text;
    std::vector<std::string> names;
    std::vector<std::shared_ptr<SqlExpr>> args;
    std::shared_ptr<SqlSelect> sub;
    bool negated = false;
    bool distinct = false;
    bool star = false;
    bool outer = false;      // column followed by (+)
    bool hasOperand = false; // CASE x WHEN ...
    bool hasElse = false;
    std::string quantifier; // ANY or ALL (SOME is ANY) for a quantified comparison
    int pos = 0;
    int end = 0;

    SqlExpr() = default;
    SqlExpr(const SqlExpr&) = default;
    SqlExpr& operator=(const SqlExpr&) = default;
    // Frees a chain thousands of terms long without recursing through it.
    ~SqlExpr()
    {
        std::vector<std::shared_ptr<SqlExpr>> pending;
        auto take = [&pending](std::vector<std::shared_ptr<SqlExpr>>& from) {
            for (auto& a : from)
                if (a && a.use_count() == 1)
                    pending.push_back(std::move(a));
        };
        take(args);
        while (!pending.empty()) {
            std::shared_ptr<SqlExpr> last = std::move(pending.back());
            pending.pop_back();
            take(last->args);
        }
    }
};
using SqlExprPtr = std::shared_ptr<SqlExpr>;

struct SqlSelectItem {
    SqlExprPtr expr;
    std::string alias;
    bool hasAlias = false;
};

struct SqlFromItem {
    std::vector<std::string> name; // [schema,] object
    std::shared_ptr<SqlSelect> sub; // inline view
    std::string alias;
    int pos = 0;
};

struct SqlOrderItem {
    SqlExprPtr expr;
    bool desc = false;
    int nulls = 0; // 0 default, 1 first, 2 last
};

struct SqlSelect {
    bool distinct = false;
    std::vector<SqlSelectItem> items;
    std::vector<SqlFromItem> from;
    SqlExprPtr where;
    std::vector<SqlExprPtr> groupBy;
    SqlExprPtr having;
    // UNION, UNION ALL, INTERSECT, MINUS chained on the left operand.
    std::vector<std::pair<std::string, std::shared_ptr<SqlSelect>>> setOps;
    std::vector<SqlOrderItem> orderBy;
    bool forUpdate = false;
    bool nowait = false;               // FOR UPDATE NOWAIT
    int pos = 0;
};
using SqlSelectPtr = std::shared_ptr<SqlSelect>;

// A column of CREATE TABLE.
struct SqlColumnDef {
    std::string name;
    std::string type; // NUMBER, VARCHAR2, CHAR, DATE, LONG, ...
    int length = 0;
    int precision = 0;
    int scale = 0;
    bool hasPrecision = false;
    bool notNull = false;
    std::string defaultText; // source text of DEFAULT
    SqlExprPtr defaultExpr;
    int pos = 0;
};

// A table or column constraint of CREATE TABLE / ALTER TABLE ADD.
struct SqlConstraintDef {
    std::string name;
    char type = 'C';                  // P U R C
    std::vector<std::string> columns; // P U R
    std::vector<std::string> refTable; // [schema,] table
    std::vector<std::string> refColumns;
    bool cascade = false;
    SqlExprPtr check;
    std::string checkText;
};

// A parameter of a stored procedure or function (catalogue metadata only).
struct SqlArgumentDef {
    std::string name;
    std::string mode = "IN"; // IN, OUT, IN/OUT
    std::string type;
    bool hasDefault = false;
};

struct SqlSubprogramDef {
    std::string name;
    bool isFunction = false;
    std::vector<SqlArgumentDef> args;
    std::string returnType;
};

enum class SqlStmtKind {
    Select, Insert, Update, Delete, Commit, Rollback, Savepoint,
    CreateTable, CreateView, CreateIndex, CreateSequence, CreateSynonym, CreateUser, CreateRole,
    CreateTrigger, CreateProcedure, CreateFunction, CreatePackage, CreatePackageBody, CreateType,
    Drop, AlterUser, AlterTable, AlterSession, AlterSystem, Grant, Revoke, Block, Lock,
};

struct SqlStatement {
    SqlStmtKind kind = SqlStmtKind::Select;
    SqlSelectPtr select;               // Select, Insert...select, CreateView
    std::vector<std::string> target;   // table/object name [schema,] name
    std::string targetAlias;
    std::vector<std::string> columns;  // INSERT column list, view columns, index columns
    std::vector<SqlExprPtr> values;    // INSERT VALUES, UPDATE SET values
    SqlExprPtr where;
    std::vector<SqlColumnDef> columnDefs;
    std::vector<SqlConstraintDef> constraints;
    bool orReplace = false;
    bool nowait = false;               // LOCK TABLE ... NOWAIT
    bool unique = false;               // CREATE UNIQUE INDEX
    bool isPublic = false;             // PUBLIC SYNONYM / DROP PUBLIC SYNONYM
    bool cascade = false;              // DROP USER ... CASCADE
    std::string objectType;            // DROP: TABLE, VIEW, ...
    std::vector<std::string> indexTable;
    std::vector<std::string> forObject; // synonym target
    // CREATE USER / ALTER USER
    std::string password;
    std::string accountLock;           // LOCK / UNLOCK
    // CREATE SEQUENCE
    long long seqStart = 1, seqIncrement = 1, seqMin = 1, seqCache = 20;
    long long seqMax = 0;
    bool seqHasMin = false, seqHasMax = false, seqHasStart = false, seqCycle = false, seqOrder = false;
    // GRANT / REVOKE
    std::vector<std::string> privileges; // upper-case privilege or role names
    std::vector<std::string> grantees;
    bool withOption = false;             // WITH ADMIN/GRANT OPTION
    bool onObject = false;
    // ALTER SESSION / ALTER SYSTEM
    std::string setting;
    std::string settingValue;
    // CREATE TRIGGER
    std::string triggerTiming;  // BEFORE, AFTER, INSTEAD OF
    std::string triggerEvents;  // INSERT OR UPDATE ...
    std::vector<std::string> triggerColumns;
    bool triggerEachRow = false;
    std::string triggerWhen;
    std::string body;           // source text of a stored unit or trigger body
    std::vector<SqlSubprogramDef> subprograms; // procedure/function/package members
    std::string typeKind;       // CREATE TYPE: OBJECT, TABLE, VARRAY
    std::string typeElement;
    long long typeBound = 0;
    std::string alterAction;    // ALTER TABLE: ADD, ADD CONSTRAINT, DROP CONSTRAINT, MODIFY
};
using SqlStatementPtr = std::shared_ptr<SqlStatement>;

} // namespace VkOracle
