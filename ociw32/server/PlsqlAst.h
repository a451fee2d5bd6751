#pragma once
// The tree of a PL/SQL block. Expressions and embedded SQL stay as token
// ranges of the source: the interpreter hands them to the SQL engine with
// the block's variables turned into binds, so PL/SQL expressions mean
// exactly what the same text means in SQL.

#include "ociw32/server/SqlToken.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace VkOracle {

// Tokens [begin, end) of the unit's token list; empty when begin == end.
struct PlsqlSpan {
    size_t begin = 0;
    size_t end = 0;
    bool Empty() const { return begin >= end; }
};

struct PlsqlStmt;
struct PlsqlCompiledExpr;
using PlsqlStmtPtr = std::shared_ptr<PlsqlStmt>;
using PlsqlStmtList = std::vector<PlsqlStmtPtr>;

struct PlsqlParam {
    std::string name;
    std::string mode = "IN"; // IN, OUT, IN OUT
    std::string type;
    PlsqlSpan defaultValue;
    bool optional = false; // has a default
};

struct PlsqlVarDecl {
    std::string name;
    std::string type; // as written, upper case, e.g. "VARCHAR2(10)", "EMP.SAL%TYPE"
    bool constant = false;
    bool notNull = false;
    PlsqlSpan init;
    size_t token = 0;
    // CURSOR name [(params)] IS query: type "CURSOR".
    std::vector<PlsqlParam> params;
    PlsqlSpan query;
    // TYPE name IS TABLE OF element INDEX BY BINARY_INTEGER: type "TYPE".
    std::string elementType;
};

struct PlsqlHandler {
    std::vector<std::string> names; // NO_DATA_FOUND, OTHERS, ...
    PlsqlStmtList body;
};

struct PlsqlBlock {
    std::vector<PlsqlVarDecl> decls;
    PlsqlStmtList body;
    std::vector<PlsqlHandler> handlers;
};

struct PlsqlIfBranch {
    PlsqlSpan condition; // empty for ELSE
    PlsqlStmtList body;
};

struct PlsqlStmt {
    enum class Kind {
        Null, Assign, Call, If, Loop, While, For, Exit, Sql, Raise, Return, Block,
        Open, Fetch, Close, CursorFor, ExecImmediate
    };
    Kind kind = Kind::Null;
    size_t token = 0;                  // first token, for line numbers
    std::string target;                // Assign: variable (":X" for a host bind); For: loop variable
    PlsqlSpan expr;                    // Assign value, Exit/While condition, Return value, Sql text, For lower bound
    PlsqlSpan upper;                   // For upper bound
    bool reverse = false;
    std::vector<std::string> name;     // Call: qualified name; Raise: exception (empty = re-raise)
    std::vector<PlsqlSpan> args;       // Call arguments
    std::vector<std::string> argNames; // "" for positional; EXECUTE IMMEDIATE: USING modes (IN, OUT, IN OUT)
    // Open, Fetch, Close, CursorFor: the cursor in name[0] (CursorFor: empty
    // for FOR r IN (query), whose query is expr); args are OPEN's arguments.
    std::vector<PlsqlIfBranch> branches;
    PlsqlStmtList body;                // loop body
    std::shared_ptr<PlsqlBlock> block; // nested block
    std::vector<std::string> into;     // SELECT ... INTO, FETCH ... INTO, EXECUTE IMMEDIATE ... INTO targets
    PlsqlSpan intoClause;              // the INTO clause's tokens, left out of the SQL
    PlsqlSpan index;                   // Assign to a table's element: the subscript
};

// A procedure or function: a stored unit or a member of a package body.
struct PlsqlSubprogram {
    std::string name;
    bool isFunction = false;
    std::string returnType;
    std::vector<PlsqlParam> params;
    PlsqlBlock block;
    size_t token = 0;
};

// One parsed text: an anonymous block, a stored unit or a package body.
struct PlsqlUnit {
    std::string source;
    std::vector<SqlToken> tokens;
    PlsqlBlock block;                         // anonymous block; a package's variables and initialisation
    std::vector<PlsqlSubprogram> subprograms; // stored unit or package members
    std::string label;                        // "" for an anonymous block, "SCOTT.P" for a stored unit
    std::string package;                      // "SCOTT.K" for the body of package K: its members call each other unqualified
    // Expressions compiled on their first run, by (begin << 32 | end) of their span.
    mutable std::unordered_map<uint64_t, std::shared_ptr<PlsqlCompiledExpr>> compiled;
};

// A compile error as Oracle lists it: the position and the PLS (or
// "PL/SQL: ORA-") lines that follow "ORA-06550: line L, column C:".
struct PlsqlCompileError {
    int pos = 0;
    std::string text;
};

// The "ORA-06550: line L, column C:\n<text>" message for an error at `pos`.
std::string PlsqlErrorMessage(const std::string& source, int pos, const std::string& text);
int PlsqlLineOf(const std::string& source, int pos);

} // namespace VkOracle
