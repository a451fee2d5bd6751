#pragma once
// Runs PL/SQL on an engine session. Expressions and embedded SQL go to the
// session's own SQL engine with the block's variables as binds; calls reach
// RAISE_APPLICATION_ERROR, DBMS_OUTPUT (discarded), DBMS_JOB and the
// schema's stored procedures, functions and package members.

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlAst.h"
#include "ociw32/server/PlsqlExpr.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace VkOracle {

// A PL/SQL exception on its way out: Oracle's code (positive), the whole
// message stack so far, and for a user-defined exception its name.
struct PlsqlRaise {
    int code = 0;
    std::string message;
    std::string userName;
};

struct PlsqlCursor;
struct PlsqlPackageState;

struct PlsqlVar {
    char base = '?'; // N number, T text, D date, B boolean, ? as assigned
    int maxLength = 0;
    bool constant = false;
    bool notNull = false;
    bool exception = false;
    OraValue value;
    // A record's fields are variables of their own, named "RECORD.FIELD".
    bool record = false;
    std::vector<std::string> fields;
    std::shared_ptr<PlsqlCursor> cursor; // a declared cursor
    // An index-by table: its elements by subscript, typed by base and maxLength.
    bool collection = false;
    std::map<int64_t, OraValue> elements;
    bool typeDef = false; // TYPE t IS TABLE OF ...: base and maxLength give the element type
};

struct PlsqlScope {
    PlsqlScope();
    std::map<std::string, PlsqlVar> vars;
    PlsqlScope* parent = nullptr;
    // Unique per activation: compiled expressions keep the variables they
    // found for it, so a loop resolves its names once, not per iteration.
    uint64_t serial = 0;
    PlsqlVar* Find(const std::string& name);
};

class OraDbmsJob;

// One argument of a call after matching it to its parameter.
struct PlsqlArg {
    bool given = false;
    OraValue value;
    PlsqlVar* target = nullptr; // OUT and IN OUT: the caller's variable
    std::string targetName;
};

class PlsqlInterpreter {
public:
    explicit PlsqlInterpreter(std::shared_ptr<OraSessionCore> core);
    ~PlsqlInterpreter();

    // Compile-time checks of a parsed anonymous block: names of calls and
    // variables, embedded SQL. Host binds are the block's ":name"s.
    OraResult Check(const PlsqlUnit& unit);
    // Runs an anonymous block; `hostBinds` (upper-case names, no colon) are
    // read and written back.
    OraResult Run(const PlsqlUnit& unit, std::map<std::string, OraValue>* hostBinds);
    // Runs a block with `vars` predeclared (the job wrapper); they are written back.
    OraResult RunWith(const PlsqlUnit& unit, std::map<std::string, PlsqlVar>* vars);
    // Compile-time checks of a parsed stored unit in `owner`'s schema, as
    // CREATE makes them: every subprogram with its parameters, and a package
    // body's declarations and initialisation. Each error comes with its
    // position in the unit's source, as USER_ERRORS lists them; none when it compiles.
    std::vector<PlsqlCompileError> CheckStored(const PlsqlUnit& unit, const std::string& owner);
    // Compiles an INVALID stored unit again, as Oracle does when it is
    // referenced (what it named may exist by now); true when it compiles,
    // and then it is VALID again. False when it still has errors or is gone.
    bool Revalidate(const std::string& owner, const std::string& name, const std::string& type);
    // Parses and checks `source` as a block with `vars` predeclared.
    OraResult Compile(const std::string& source, const std::map<std::string, PlsqlVar>& vars,
                      std::shared_ptr<PlsqlUnit>* unit);

    // Evaluates a SQL expression on its own ("SYSDATE + 1").
    OraResult EvaluateSql(const std::string& expression, OraValue* value);

    OraSessionCore& Core() { return *m_core; }
    const std::shared_ptr<OraSessionCore>& CorePtr() const { return m_core; }

    // For the built-in packages: raises an Oracle error as PL/SQL does.
    [[noreturn]] static void Raise(int code, const std::string& message);
    [[noreturn]] static void RaiseResult(const OraResult& r);

private:
    struct Frame {
        const PlsqlUnit* unit = nullptr;
        size_t token = 0; // statement running, for ORA-06512
        bool checking = false;
        int depth = 0;
    };
    // A compile error on its way out: where it points, its message, and
    // the entries USER_ERRORS gets for it (the error and the statement ignored).
    struct CompileFailure {
        int pos;
        std::string text;
        std::vector<PlsqlCompileError> entries;
    };
    struct LoopExit {};
    struct ReturnSignal {};

    // Blocks and statements
    void RunBlock(const PlsqlBlock& block, PlsqlScope* parent);
    void Declare(const PlsqlBlock& block, PlsqlScope* scope);
    void RunList(const PlsqlStmtList& list, PlsqlScope* scope);
    void RunStatement(const PlsqlStmt& st, PlsqlScope* scope);
    void RunSqlStatement(const PlsqlStmt& st, PlsqlScope* scope);
    void RunLoop(const PlsqlStmt& st, PlsqlScope* scope);
    bool Handles(const PlsqlHandler& h, const PlsqlRaise& e, PlsqlScope* scope) const;
    void Assign(PlsqlVar* var, const std::string& name, OraValue value, size_t token);
    PlsqlVar* Variable(PlsqlScope* scope, const std::string& name, size_t token);

    // Expressions
    // Where a rewritten text's binds come from: the variable each one reads
    // (null for a value of the moment) and whether the text itself holds
    // nothing of the moment (SQL%FOUND, a cursor's attribute...).
    struct RewriteSources {
        std::vector<PlsqlVar*> vars;
        bool stable = true;
    };
    // `where` (when given) gets the offset in the text where each token starts.
    std::string Rewrite(PlsqlSpan span, PlsqlScope* scope, std::vector<OraValue>* binds, PlsqlSpan skip = {},
                        std::vector<std::pair<size_t, size_t>>* where = nullptr, RewriteSources* sources = nullptr);
    OraValue EvalValue(PlsqlSpan span, PlsqlScope* scope, char wanted = '?');
    int EvalCondition(PlsqlSpan span, PlsqlScope* scope); // 1 true, 0 false, -1 null
    std::set<std::string> SqlColumnsInScope(PlsqlSpan span) const;
    const PlsqlCompiledExpr& Compiled(PlsqlSpan span, PlsqlScope* scope);
    OraValue EvalNode(const PlsqlExprNode& n, PlsqlScope* scope);
    int EvalNodeCondition(const PlsqlExprNode& n, PlsqlScope* scope);
    int SqlCode() const;
    // TO_CHAR, TO_DATE and SYSDATE: they need the session's date format and clock.
    OraValue SessionFunction(const std::string& name, const std::vector<OraValue>& args);
    OraValue DateAsText(const OraValue& v);
    // Statements parsed once per run and executed again with new binds.
    std::unique_ptr<OraStatement> TakeStatement(const std::string& sql, OraResult* result);
    void KeepStatement(const std::string& sql, std::unique_ptr<OraStatement> statement);
    OraValue RunQueryValue(const std::string& sql, const std::vector<OraValue>& binds, size_t token);
    bool IsStoredFunction(const std::vector<std::string>& name);
    bool IsFunctionCall(PlsqlSpan span, PlsqlScope* scope, std::vector<std::string>* name, PlsqlStmt* call);
    OraValue Convert(const OraValue& v, char base, size_t token);

    // Cursors, records and dynamic SQL (PlsqlCursors.cpp)
    void DeclareCursor(const PlsqlVarDecl& d, PlsqlScope* scope);
    // %ROWTYPE and %TYPE declarations; false for other types.
    bool DeclareAnchored(const PlsqlVarDecl& d, PlsqlScope* scope, PlsqlVar* v);
    void DeclareRecord(PlsqlScope* scope, const std::string& name, const std::vector<std::pair<std::string, PlsqlVar>>& fields);
    std::vector<std::pair<std::string, PlsqlVar>> QueryFields(const OraStatement& query) const;
    std::unique_ptr<OraStatement> OpenQuery(PlsqlSpan query, PlsqlScope* scope, size_t token);
    void OpenCursor(PlsqlVar* cursor, const PlsqlStmt& st, PlsqlScope* scope);
    PlsqlVar* CursorVar(PlsqlScope* scope, const std::string& name, size_t token);
    void RunCursorStatement(const PlsqlStmt& st, PlsqlScope* scope);
    void RunCursorFor(const PlsqlStmt& st, PlsqlScope* scope);
    void RunExecImmediate(const PlsqlStmt& st, PlsqlScope* scope);
    // The variables a row goes into: records stand for their fields.
    std::vector<std::pair<PlsqlVar*, std::string>> IntoTargets(const std::vector<std::string>& into, PlsqlScope* scope,
                                                              size_t token);
    void AssignRow(const std::vector<std::pair<PlsqlVar*, std::string>>& targets, const std::vector<OraValue>& row,
                   size_t token);
    OraValue CursorAttribute(const PlsqlCursor& cursor, const std::string& attr);

    // Index-by tables (PlsqlCollections.cpp)
    // Declares a table type or a variable of one; false for other declarations.
    bool DeclareCollection(const PlsqlVarDecl& d, PlsqlScope* scope);
    const PlsqlVar* TableType(const std::string& type, PlsqlScope* scope);
    int64_t Subscript(const OraValue& index) const;
    void AssignElement(const PlsqlStmt& st, PlsqlScope* scope);
    // t(i), t.COUNT, t.FIRST, t.LAST, t.NEXT(i), t.PRIOR(i), t.EXISTS(i) at
    // token i of an expression: false when it is none of these. *last is
    // the term's last token; a condition comes back as *truth (1, 0).
    bool CollectionTerm(PlsqlSpan span, size_t i, PlsqlScope* scope, OraValue* value, int* truth, size_t* last);
    // t.DELETE, t.DELETE(i), t.DELETE(i, j); false when `name` is no table's method.
    bool CollectionProcedure(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope);

    // Calls (PlsqlInterpreterCalls.cpp)
    OraValue Call(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope, bool wantResult);
    bool CallBuiltin(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope);
    // Built-in packages (PlsqlBuiltinPackages.cpp).
    static bool IsBuiltinFunction(const std::vector<std::string>& name);
    bool CallBuiltinFunction(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope,
                             OraValue* result);
    bool CallOutput(const std::string& member, const PlsqlStmt& call, PlsqlScope* scope);
    OraValue CallStored(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope,
                        bool wantResult, bool* found);
    // Package state (PlsqlPackages.cpp): the session's instance of a
    // package, initialised on first use; a header variable named OWNER.PKG.VAR
    // or PKG.VAR (null when there is none).
    PlsqlPackageState& Package(const std::string& owner, const std::string& name);
    std::shared_ptr<PlsqlUnit> HeaderUnit(const std::string& owner, const std::string& name);
    void InitialisePackage(PlsqlPackageState& p);
    PlsqlVar* PackageVariable(const std::vector<std::string>& name);

    // Errors out of a built-in package carry its ORA-06512 frame (and
    // Oracle's names for its constraints).
    static void AddPackageFrame(const std::string& procedure, PlsqlRaise* e);
    std::shared_ptr<PlsqlUnit> StoredUnit(const std::string& owner, const std::string& name, const std::string& type);
    // Stored units' status and parameters (PlsqlStoredUnits.cpp).
    // Whether the stored unit did not compile when it was created.
    bool IsInvalid(const std::string& owner, const std::string& name, const std::string& type) const;
    // Whether a parameter is declared with a table type (pkg.t,
    // DBMS_OUTPUT.CHARARR, or a type of its own package); *var is made a table of it.
    bool TableParameter(const PlsqlParam& param, const std::string& owner, const std::string& package, PlsqlVar* var);
    // The member `name` of the package whose body is running, for unqualified
    // calls between members; false outside a package body.
    bool SiblingMember(const std::string& name, bool function, OraObjectRef* package) const;
    // Matches the call's arguments to `params`, evaluating IN values and
    // finding the variables that OUT parameters write to.
    std::vector<PlsqlArg> Arguments(const std::vector<PlsqlParam>& params, const PlsqlStmt& call, PlsqlScope* scope,
                                    const std::string& callName);
    void WriteBack(PlsqlArg& arg, const OraValue& value, size_t token);
    bool Checking() const { return m_frames.back().checking; }
    [[noreturn]] void Undeclared(const std::vector<std::string>& name, size_t token) const;
    // The kind of value a parameter or return type holds: N, T, D, B or ? (anchored).
    static char BaseOfType(const std::string& type);

    // Errors
    [[noreturn]] void CompileFail(size_t token, const std::string& text, bool sqlStatement = false) const;
    // An error at `errorToken` in the statement that starts at `statementToken`.
    [[noreturn]] void CompileFailAt(size_t errorToken, size_t statementToken, const std::string& text,
                                    bool sqlStatement = false) const;
    // The statement's first token from `from` on that is the identifier `name`.
    size_t TokenNamed(size_t from, const std::string& name) const;
    std::string Where() const;

    std::shared_ptr<OraSessionCore> m_core;
    std::unique_ptr<OraDbmsJob> m_jobs;
    std::deque<Frame> m_frames; // a deque: a frame stays where it is while calls push more
    PlsqlRaise m_current; // the exception a handler is running for (SQLCODE, SQLERRM, RAISE;)
    bool m_inHandler = false;
    int64_t m_rowCount = -1;
    std::map<std::string, std::shared_ptr<PlsqlUnit>> m_units;
    std::map<std::string, std::unique_ptr<OraStatement>> m_statements;
    // An embedded SQL statement as rewritten for one activation of its
    // scope under one catalogue generation: its text, the variables its
    // binds read, and its statement, kept between runs (a loop rewrites
    // and parses it once).
    struct KeptSql {
        uint64_t scopeSerial = 0;
        int64_t generation = 0;
        std::string text;
        std::vector<PlsqlVar*> vars;
        std::unique_ptr<OraStatement> statement;
    };
    // By unit and span (begin << 32 | end).
    std::map<std::pair<const PlsqlUnit*, uint64_t>, KeptSql> m_keptSql;
    std::set<std::string> m_revalidating; // units being compiled again, which may refer to each other
    std::set<std::string> m_validUnits;   // "OWNER.NAME.TYPE" of units found to compile
    std::vector<PlsqlCompileError>* m_collected = nullptr; // CheckStored: errors of statements checked so far

    friend class OraDbmsJob;
};

} // namespace VkOracle
