#pragma once
// Oracle SQL parser: tokens to the statement tree of SqlAst.h. Syntax errors
// come back as Oracle's codes (900, 905, 907, 917, 923, 933, 936, ...) with
// the byte offset of the token where parsing stopped.

#include "ociw32/server/SqlAst.h"
#include "ociw32/server/SqlToken.h"

#include <string>
#include <vector>

namespace VkOracle {

struct SqlParseError {
    int code = 0;
    int pos = 0;
    std::string arg; // for messages with an argument
};

class SqlParser {
public:
    // Expression nesting (parentheses, calls, CASE, NOT) and sub-query
    // nesting the parser accepts (ORA-03095, ORA-01778 beyond).
    static constexpr int kMaxExprDepth = 1000;
    static constexpr int kMaxQueryDepth = 255;
    // An operator chain (a + b + ...) nests only in the tree, which the
    // compiler walks without recursion: it may be longer.
    static constexpr int kMaxChainDepth = 4000;

    explicit SqlParser(const std::string& sql);
    // Parses one statement (no trailing ';'). Null with *error set on failure.
    SqlStatementPtr ParseStatement(SqlParseError* error);

    // Parses a standalone expression (job intervals, defaults).
    SqlExprPtr ParseStandaloneExpr(SqlParseError* error);

private:
    struct Failure {
        int code;
        int pos;
        std::string arg = {};
    };
    struct DepthScope {
        SqlParser* p;
        explicit DepthScope(SqlParser* parser) : p(parser) { p->EnterExpr(); }
        ~DepthScope() { --p->m_depth; }
        DepthScope(const DepthScope&) = delete;
        DepthScope& operator=(const DepthScope&) = delete;
    };

    const SqlToken& Peek(int ahead = 0) const;
    const SqlToken& Next();
    bool IsWord(const char* word, int ahead = 0) const;
    bool IsOp(const char* op, int ahead = 0) const;
    bool AcceptWord(const char* word);
    bool AcceptOp(const char* op);
    void ExpectWord(const char* word, int code = 905);
    void ExpectOp(const char* op, int code);
    [[noreturn]] void Fail(int code) const;
    [[noreturn]] void FailAt(int code, int pos) const;
    // ORA-03095: nesting beyond the bounds below, or beyond what the stack holds.
    [[noreturn]] void FailTooDeep() const;
    void EnterExpr();
    std::string Identifier(int code = 904);     // an identifier (quoted or not)
    std::vector<std::string> QualifiedName(int code = 903);
    bool IsReserved(const SqlToken& t) const;
    std::string SourceText(int pos, int end) const;

    // Expressions
    SqlExprPtr Expr();
    SqlExprPtr OrExpr();
    SqlExprPtr AndExpr();
    SqlExprPtr NotExpr();
    SqlExprPtr Predicate();
    SqlExprPtr Additive();
    SqlExprPtr Multiplicative();
    SqlExprPtr Unary();
    SqlExprPtr Primary();
    SqlExprPtr FunctionCall(std::vector<std::string> name, int pos);
    SqlExprPtr CaseExpr(int pos);
    SqlExprPtr Make(SqlExpr::Kind kind, int pos);
    void Finish(const SqlExprPtr& e);

    // Queries
    SqlSelectPtr Query();        // select [set ops] [order by]
    SqlSelectPtr QueryBlock();   // select ... having
    SqlSelectPtr SubqueryInParens(); // after '(' was consumed: query then ')'
    bool StartsQuery() const;
    void FromClause(SqlSelect* s);
    void OrderBy(SqlSelect* s);

    // Statements
    SqlStatementPtr Insert();
    SqlStatementPtr Update();
    SqlStatementPtr Delete();
    SqlStatementPtr Create();
    SqlStatementPtr CreateTable(SqlStatementPtr st);
    SqlStatementPtr CreateSequence(SqlStatementPtr st);
    SqlStatementPtr CreateTrigger(SqlStatementPtr st);
    SqlStatementPtr CreateStoredUnit(SqlStatementPtr st);
    SqlStatementPtr CreateType(SqlStatementPtr st);
    SqlStatementPtr Drop();
    SqlStatementPtr Alter();
    SqlStatementPtr GrantRevoke(bool grant);
    void ColumnDef(SqlStatement* st);
    SqlConstraintDef ConstraintDef(const std::string& name, const std::string& column);
    std::vector<std::string> NameList();
    std::string TypeName(int* length, int* precision, int* scale, bool* hasPrecision);
    std::vector<SqlArgumentDef> ArgumentList();
    SqlSubprogramDef SubprogramHeader(bool isFunction);
    long long SignedInteger();

    std::string m_sql;
    std::vector<SqlToken> m_tokens;
    SqlTokenError m_lexError;
    size_t m_at = 0;
    int m_depth = 0;      // nesting of expressions and sub-queries
    int m_queryDepth = 0; // nesting of sub-queries
};

} // namespace VkOracle
