#pragma once
// A PL/SQL expression compiled once into a tree the interpreter evaluates
// without the SQL engine: literals, variables, arithmetic, ||, comparisons,
// AND/OR/NOT, IS NULL, BETWEEN, IN and a few built-in functions. Anything
// else (SQL functions, subqueries, stored functions) is not compiled and
// stays a SQL round trip, so it keeps meaning what it means in SQL.

#include "ociw32/server/OraServer.h"
#include "ociw32/server/PlsqlAst.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace VkOracle {

struct PlsqlVar;
struct PlsqlScope;

struct PlsqlExprNode;
using PlsqlExprPtr = std::unique_ptr<PlsqlExprNode>;

struct PlsqlExprNode {
    enum class Op {
        Const, Var, SqlCode, SqlErrm, SqlAttr, Neg, Add, Sub, Mul, Div, Concat, Cmp,
        And, Or, Not, IsNull, Between, In, Func, StoredFunc, CursorAttr
    };
    Op op = Op::Const;
    bool negated = false;      // IS NOT NULL, NOT BETWEEN, NOT IN
    int cmp = 0;               // Cmp: 0 =, 1 <>, 2 <, 3 <=, 4 >, 5 >=
    OraValue constant;         // Const
    std::string name;          // Var (":X" for a host bind), Func, SqlAttr (ROWCOUNT, FOUND, ...)
    bool boolean = false;      // a condition rather than a value
    std::vector<PlsqlExprPtr> kids;
    std::vector<std::string> qualified; // StoredFunc: the function's name; CursorAttr: the cursor; Var: a package's
    bool package = false;               // Var: a package's variable, found through the session
    std::shared_ptr<PlsqlStmt> call;    // StoredFunc: its arguments as spans

    // Var: the variable found for the last scope activation it ran in.
    mutable uint64_t scopeSerial = 0;
    mutable PlsqlVar* var = nullptr;
};

// One expression of a unit as it was compiled on its first run.
struct PlsqlCompiledExpr {
    enum class Way { Native, StoredCall, Sql };
    Way way = Way::Sql;
    PlsqlExprPtr node;                  // Native
    std::vector<std::string> callName;  // StoredCall
    std::shared_ptr<PlsqlStmt> call;    // StoredCall: the arguments
};

// True for the name of a schema's stored function (or package member), and
// for a package's variable.
using PlsqlFunctionLookup = std::function<bool(const std::vector<std::string>& name)>;
struct PlsqlNameLookup {
    PlsqlFunctionLookup isStoredFunction;
    PlsqlFunctionLookup isPackageVariable;
};

// Compiles tokens [span) of `unit` against the names `scope` declares.
// Returns null when the expression needs the SQL engine.
PlsqlExprPtr CompilePlsqlExpr(const PlsqlUnit& unit, PlsqlSpan span, PlsqlScope* scope, const PlsqlNameLookup& names);

// Thrown while evaluating when a value needs the SQL engine after all (a
// date in ||, a comparison of a date with text): the caller evaluates the
// whole expression through SQL instead.
struct PlsqlNeedsSql {};

// Oracle's operators on values, as PL/SQL runs them. Failures throw
// PlsqlRaise (PlsqlInterpreter.h) with Oracle's code and text.
namespace PlsqlOps {
OraValue Number(const OraNum& n);
OraValue Integer(int64_t n);
OraValue Text(const std::string& s); // '' is NULL
OraValue Boolean(int b);             // 1, 0, -1 for NULL
int Truth(const OraValue& v);        // 1, 0, -1 for NULL
OraNum ToNumber(const OraValue& v);  // ORA-06502 for text that is no number
OraValue Arithmetic(PlsqlExprNode::Op op, const OraValue& a, const OraValue& b);
OraValue Concat(const OraValue& a, const OraValue& b);
// -1, 0, 1, or 2 when either side is NULL.
int Compare(const OraValue& a, const OraValue& b);
// The built-ins compiled natively; false for a name that is not one of them.
bool IsNativeFunction(const std::string& name, size_t argc);
OraValue CallFunction(const std::string& name, const std::vector<OraValue>& args);
} // namespace PlsqlOps

} // namespace VkOracle
