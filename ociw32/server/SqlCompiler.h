#pragma once
// Resolver, type checker and code generator of the Oracle front end: takes a
// parsed statement, resolves every name against the catalogue with the
// session's privileges, types every expression with Oracle's rules and
// produces one SQLite statement that uses the ora_* functions.

#include "ociw32/server/OraCatalog.h"
#include "ociw32/server/SqlAst.h"
#include "ociw32/server/SqlType.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace VkOracle {

struct SqlCompileError {
    int code = 0;
    int pos = 0;
    std::vector<std::string> args;
};

struct CompiledColumn {
    std::string name;
    SqlType type;
};

// A part of a statement too deeply nested for SQLite's parser, run as a
// statement of its own: the main statement calls ora_eval(id, inputs...),
// which binds the inputs to ?1.. of `sql` and returns its one value.
struct CompiledFragment {
    int id = 0;
    std::string sql;
    bool cacheable = true; // false when it draws from a sequence
};

struct CompiledStatement {
    std::string sql;
    std::vector<CompiledFragment> fragments;
    std::vector<CompiledColumn> columns; // select list of a query
    bool usesSequences = false;
    std::vector<int> rownumCounters; // reset before each execution
};

class SqlCompiler {
public:
    // `binds` maps placeholder names (upper case) to their SQLite parameter
    // numbers; `source` is the statement text (for column headings).
    SqlCompiler(const OraCatalog& catalog, const std::string& source, const std::map<std::string, int>& binds);

    // Lets deep expressions become fragments; only for statements the
    // session prepares itself, never for SQL stored in the schema (views,
    // checks, defaults), which must stand alone.
    void AllowFragments() { m_allowFragments = true; }

    bool CompileQuery(const SqlSelect& select, CompiledStatement* out, SqlCompileError* error);
    bool CompileInsert(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error);
    bool CompileUpdate(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error);
    bool CompileDelete(const SqlStatement& st, CompiledStatement* out, SqlCompileError* error);
    // A CHECK condition over one table's columns, in bare column names.
    bool CompileCheck(const SqlExpr& condition, const std::vector<OraColumnInfo>& columns, std::string* sql,
                      SqlCompileError* error);
    // An expression converted to a column's type (defaults, job intervals).
    bool CompileStandalone(const SqlExpr& expr, std::string* sql, SqlType* type, SqlCompileError* error);

    // SQL for converting a value of type `from` to a column of type `to`.
    static std::string ConvertTo(const std::string& sql, const SqlType& from, const SqlType& to);
    // The same for storing into owner.table.column: text too long for the
    // column fails with Oracle's error naming the column.
    static std::string StoreInto(const std::string& sql, const SqlType& from, const SqlType& to, const std::string& owner,
                                 const std::string& table, const std::string& column);

private:
    struct Failure {
        int code;
        int pos;
        std::vector<std::string> args;
    };
    struct Source {
        std::string alias;     // name used to qualify columns (alias or table name)
        std::string owner;     // for schema.table.column
        std::string table;
        std::string sqlAlias;  // SQLite alias, empty for bare columns
        std::vector<OraColumnInfo> columns;
        bool outer = false;
        std::string storage;   // SQLite table name, or "(subquery)"
        std::string viewQuery; // a dictionary view's query, written in place of its name
    };
    struct Scope {
        std::vector<Source> sources;
        Scope* parent = nullptr;
        bool allowAggregates = false;
        bool sawAggregate = false;
        bool sawRownum = false;
        bool inWhere = false;
        int rownumId = 0; // counter of this query block, 0 = none yet
        bool singleRow = false;          // HAVING without GROUP BY: one group at most
        std::set<std::string> groupKeys; // compiled GROUP BY expressions
        std::set<int> outerUsed; // sources with (+) in the current conjunct
        std::set<int> refs;      // sources the current conjunct references
    };
    struct CExpr {
        std::string sql;
        SqlType type;
        bool aggregate = false;
    };

    [[noreturn]] void Fail(int code, int pos, std::vector<std::string> args = {}) const;

    std::string Query(const SqlSelect& select, Scope* parent, std::vector<CompiledColumn>* columns,
                      bool positionalNames);
    // ROWNUM <= n of a block: the row count and the order that numbers rows.
    struct BlockLimit {
        std::string count;
        std::string tableOrder;
    };
    std::string QueryBlock(const SqlSelect& select, Scope* parent, std::vector<CompiledColumn>* columns,
                           bool positionalNames, std::vector<std::string>* selectSql, Scope* scopeOut,
                           BlockLimit* limitOut, const std::vector<std::string>* extraItems = nullptr);
    Source TableSource(const SqlFromItem& item, const std::string& privilege, const std::string& sqlAlias);
    OraObjectRef ResolveChecked(const std::vector<std::string>& name, const std::string& privilege, int pos);

    CExpr Expr(const SqlExpr& e, Scope& scope);
    CExpr ExprNode(const SqlExpr& e, Scope& scope);
    CExpr AndOr(const SqlExpr& e, Scope& scope);
    CExpr Concat(const SqlExpr& e, Scope& scope);
    // Deep nesting: the node compiled as a fragment of its own.
    CExpr Hoisted(const SqlExpr& e, Scope& scope);
    // `sql` evaluated where `owner` (null: the statement) is visible, passed
    // into the open fragments as their inputs.
    std::string Route(const std::string& sql, const Scope* owner);
    size_t FirstFrameOutside(const Scope* owner) const;
    void FinishStatement(CompiledStatement* out);
    // A name for `sql` in the WITH clause of the statement being written.
    std::string NamedQuery(const std::string& sql);
    static std::string WithClause(const std::vector<std::pair<std::string, std::string>>& named);
    CExpr Column(const SqlExpr& e, Scope& scope);
    CExpr Function(const SqlExpr& e, Scope& scope);
    CExpr Aggregate(const SqlExpr& e, Scope& scope);
    CExpr Binary(const SqlExpr& e, Scope& scope);
    CExpr Arithmetic(const SqlExpr& e, const CExpr& l, const CExpr& r);
    struct FrameMark;
    void OpenFrame(Scope& scope);
    CExpr CloseFrame(const CExpr& inner);
    CExpr Compare(const std::string& op, const CExpr& l, const CExpr& r);
    CExpr Quantified(const SqlExpr& e, const CExpr& l, Scope& scope);
    static void CompareOperands(const CExpr& l, const CExpr& r, std::string* ls, std::string* rs);
    CExpr Sequence(const std::string& owner, const std::string& name, const std::string& pseudo, int pos);
    std::string SubqueryValue(const SqlSelect& sub, Scope& scope, SqlType* type);
    std::string Heading(const SqlExpr& e) const;
    bool IsGroupValid(const SqlExpr& e, Scope& scope, const std::set<std::string>& groupKeys);
    // Operands joined by `op`, parenthesised in groups so that a long AND or
    // OR chain stays shallow for SQLite.
    static std::string JoinBalanced(const std::vector<std::string>& parts, const char* op);
    static std::string AsText(const CExpr& e);
    static std::string AsNumber(const CExpr& e);
    static std::string AsDate(const CExpr& e);
    static std::string Coerce(const CExpr& e, const SqlType& to);
    static bool IsAggregateName(const std::string& name);

    // A fragment being compiled: the scopes it sees only through its inputs.
    struct Frame {
        std::vector<const Scope*> outside;
        std::vector<std::string> inputs;
        int base = 0; // m_exprDepth where it opened
        bool usesSequence = false;
        std::vector<std::pair<std::string, std::string>> named; // its WITH clause
    };
    // Expression levels a statement or fragment holds before the next
    // level becomes a fragment (SQLite's parser stack holds about 100
    // entries; one level of ours costs it up to about 10).
    static constexpr int kHoistEvery = 5;
    // Nesting the compiler accepts at all (the parser's bound, plus chains).
    static constexpr int kMaxDepth = 2500;
    // Inline views nested in one statement text before one becomes a named query.
    static constexpr int kViewsPerLevel = 4;

    const OraCatalog& m_catalog;
    std::string m_source;
    const std::map<std::string, int>& m_binds;
    int m_aliasCounter = 0;
    bool m_usesSequences = false;
    std::vector<int> m_rownumCounters;
    bool m_allowFragments = false;
    int m_exprDepth = 0;
    std::vector<Frame> m_frames;
    std::map<std::string, int> m_fragmentIds; // fragment text -> id
    std::vector<CompiledFragment> m_fragments;
    int m_viewDepth = 0;
    int m_namedCounter = 0;
    std::vector<std::pair<std::string, std::string>> m_named; // the statement's WITH clause
};

} // namespace VkOracle
