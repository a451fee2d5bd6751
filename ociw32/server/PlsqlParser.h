#pragma once
// PL/SQL parser for the subset the engine runs: anonymous blocks, stored
// procedures and functions, package bodies. Syntax errors come back in
// Oracle's PLS-00103 form with the token where parsing stopped.
//
// The subset: DECLARE with scalar variables, constants and exceptions
// (NUMBER and its subtypes, VARCHAR2/CHAR, DATE, BOOLEAN, %TYPE taken as
// untyped); nested blocks; := assignments; IF/ELSIF/ELSE; LOOP, WHILE,
// numeric FOR, EXIT [WHEN]; NULL; RETURN; RAISE [name]; procedure calls
// with positional and named arguments; INSERT, UPDATE, DELETE, SELECT ...
// INTO, COMMIT, ROLLBACK, SAVEPOINT, LOCK; EXCEPTION handlers (OTHERS,
// the predefined exceptions, declared ones) with SQLCODE and SQLERRM;
// SQL%ROWCOUNT/FOUND/NOTFOUND; explicit cursors with parameters
// (OPEN, FETCH, CLOSE, attributes), cursor FOR loops, %ROWTYPE records,
// EXECUTE IMMEDIATE, index-by tables (TYPE ... IS TABLE OF ... INDEX BY
// BINARY_INTEGER) with their methods. Not supported: nested tables and
// varrays, local subprograms, cursor variables, BULK COLLECT.

#include "ociw32/server/PlsqlAst.h"

#include <memory>
#include <string>

namespace VkOracle {

class PlsqlParser {
public:
    // Parses "[DECLARE ...] BEGIN ... END;" into unit->block.
    static bool ParseBlock(const std::string& source, PlsqlUnit* unit, PlsqlCompileError* error);
    // Parses stored source as USER_SOURCE keeps it ("PROCEDURE P (...) IS
    // ...", "FUNCTION ...", "PACKAGE BODY K IS ... END;") into unit->subprograms.
    static bool ParseStored(const std::string& source, PlsqlUnit* unit, PlsqlCompileError* error);

private:
    struct Failure {
        int pos;
        std::string text;
    };
    explicit PlsqlParser(PlsqlUnit* unit) : m_unit(unit) {}

    const SqlToken& Peek(size_t ahead = 0) const;
    const SqlToken& Next();
    bool IsWord(const char* word, size_t ahead = 0) const;
    bool IsOp(const char* op, size_t ahead = 0) const;
    bool AcceptWord(const char* word);
    bool AcceptOp(const char* op);
    void ExpectWord(const char* word, const char* expecting);
    void ExpectOp(const char* op, const char* expecting);
    [[noreturn]] void Unexpected(const char* expecting) const;
    std::string Name();

    void Block(PlsqlBlock* block, bool declareKeyword);
    void Declarations(PlsqlBlock* block);
    std::string TypeText();
    PlsqlStmtList Statements(std::initializer_list<const char*> enders);
    PlsqlStmtPtr Statement();
    PlsqlStmtPtr SqlStatement();
    PlsqlStmtPtr IfStatement();
    PlsqlStmtPtr CallOrAssign();
    PlsqlSpan ExprUntil(std::initializer_list<const char*> words, std::initializer_list<const char*> ops);
    void Arguments(PlsqlStmt* call);
    void Declaration(PlsqlBlock* block);
    void CursorDeclaration(PlsqlBlock* block);
    // TYPE t IS TABLE OF ... INDEX BY BINARY_INTEGER; false (nothing read) for other types.
    bool TableType(PlsqlBlock* block);
    PlsqlSpan QueryUntilSemicolon();
    std::vector<std::string> IntoTargets();
    PlsqlStmtPtr CursorStatement();
    bool RangeAhead() const; // a numeric FOR's ".." comes before LOOP
    void LoopBody(PlsqlStmt* st);
    void Subprogram(PlsqlSubprogram* sub, bool withBody);

    PlsqlUnit* m_unit;
    size_t m_at = 0;
    int m_depth = 0; // nesting of statements, bounded to keep the stack safe
};

} // namespace VkOracle
