#include "ociw32/server/PlsqlParser.h"

#include <cstring>

namespace VkOracle {
namespace {

const char* const kStatementStart = "begin case declare exit for goto if loop null raise return select update while"
                                    " with <an identifier> <a double-quoted delimited-identifier> <a bind variable>"
                                    " << close current delete fetch lock insert open rollback savepoint set sql"
                                    " execute commit forall merge pipe";

bool IsSqlKeyword(const std::string& word)
{
    static const char* const kWords[] = {"SELECT", "INSERT", "UPDATE", "DELETE", "COMMIT", "ROLLBACK", "SAVEPOINT",
                                         "LOCK", "MERGE"};
    for (const char* w : kWords)
        if (word == w)
            return true;
    return false;
}

} // namespace

int PlsqlLineOf(const std::string& source, int pos)
{
    int line = 1;
    for (int k = 0; k < pos && k < static_cast<int>(source.size()); ++k)
        if (source[static_cast<size_t>(k)] == '\n')
            ++line;
    return line;
}

std::string PlsqlErrorMessage(const std::string& source, int pos, const std::string& text)
{
    int line = 1, column = 1;
    for (int k = 0; k < pos && k < static_cast<int>(source.size()); ++k) {
        if (source[static_cast<size_t>(k)] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "ORA-06550: line " + std::to_string(line) + ", column " + std::to_string(column) + ":\n" + text;
}

const SqlToken& PlsqlParser::Peek(size_t ahead) const
{
    const std::vector<SqlToken>& t = m_unit->tokens;
    return m_at + ahead < t.size() ? t[m_at + ahead] : t.back();
}

const SqlToken& PlsqlParser::Next()
{
    const SqlToken& t = Peek();
    if (m_at + 1 < m_unit->tokens.size())
        ++m_at;
    return t;
}

bool PlsqlParser::IsWord(const char* word, size_t ahead) const
{
    const SqlToken& t = Peek(ahead);
    return t.kind == TokKind::Ident && t.text == word;
}

bool PlsqlParser::IsOp(const char* op, size_t ahead) const
{
    const SqlToken& t = Peek(ahead);
    return t.kind == TokKind::Op && t.text == op;
}

bool PlsqlParser::AcceptWord(const char* word)
{
    if (!IsWord(word))
        return false;
    Next();
    return true;
}

bool PlsqlParser::AcceptOp(const char* op)
{
    if (!IsOp(op))
        return false;
    Next();
    return true;
}

void PlsqlParser::ExpectWord(const char* word, const char* expecting)
{
    if (!AcceptWord(word))
        Unexpected(expecting);
}

void PlsqlParser::ExpectOp(const char* op, const char* expecting)
{
    if (!AcceptOp(op))
        Unexpected(expecting);
}

void PlsqlParser::Unexpected(const char* expecting) const
{
    const SqlToken& t = Peek();
    std::string symbol;
    switch (t.kind) {
    case TokKind::End: symbol = "end-of-file"; break;
    case TokKind::String: symbol = "'" + t.text + "'"; break;
    case TokKind::Bind: symbol = ":" + t.text; break;
    default: symbol = t.text; break;
    }
    throw Failure{t.pos, "PLS-00103: Encountered the symbol \"" + symbol +
                             "\" when expecting one of the following:\n\n   " + expecting + "\n"};
}

std::string PlsqlParser::Name()
{
    const SqlToken& t = Peek();
    if (t.kind != TokKind::Ident && t.kind != TokKind::QuotedIdent)
        Unexpected("<an identifier> <a double-quoted delimited-identifier>");
    return Next().text;
}

bool PlsqlParser::ParseBlock(const std::string& source, PlsqlUnit* unit, PlsqlCompileError* error)
{
    unit->source = source;
    SqlTokenError lexError;
    unit->tokens = TokenizeSql(source, &lexError);
    PlsqlParser p(unit);
    try {
        if (lexError.code)
            throw Failure{lexError.pos, "PLS-00103: Encountered the symbol \"" +
                                            source.substr(static_cast<size_t>(lexError.pos), 1) +
                                            "\" when expecting one of the following:\n\n   " + kStatementStart + "\n"};
        const bool declare = p.AcceptWord("DECLARE");
        p.Block(&unit->block, declare);
        p.ExpectOp(";", ";");
        if (p.Peek().kind != TokKind::End)
            p.Unexpected("end-of-file");
    } catch (const Failure& f) {
        *error = PlsqlCompileError{f.pos, f.text};
        return false;
    }
    return true;
}

bool PlsqlParser::ParseStored(const std::string& source, PlsqlUnit* unit, PlsqlCompileError* error)
{
    unit->source = source;
    SqlTokenError lexError;
    unit->tokens = TokenizeSql(source, &lexError);
    PlsqlParser p(unit);
    try {
        if (lexError.code)
            p.Unexpected("end-of-file");
        if (p.AcceptWord("PACKAGE")) {
            const bool body = p.AcceptWord("BODY");
            p.Name();
            if (p.AcceptOp("."))
                p.Name();
            if (!p.AcceptWord("IS"))
                p.ExpectWord("AS", "is as");
            // Declarations (the package's variables) and subprograms in any
            // order; a body may end with its initialisation.
            while (!p.IsWord("END") && !(body && p.IsWord("BEGIN")) && p.Peek().kind != TokKind::End) {
                if (p.IsWord("PROCEDURE") || p.IsWord("FUNCTION")) {
                    PlsqlSubprogram sub;
                    p.Subprogram(&sub, body);
                    if (body)
                        unit->subprograms.push_back(std::move(sub));
                    else
                        p.ExpectOp(";", ";");
                } else if (p.AcceptWord("PRAGMA")) {
                    while (!p.IsOp(";") && p.Peek().kind != TokKind::End)
                        p.Next();
                    p.ExpectOp(";", ";");
                } else {
                    p.Declaration(&unit->block);
                }
            }
            if (body && p.AcceptWord("BEGIN"))
                unit->block.body = p.Statements({"END"});
            p.ExpectWord("END", "end function procedure");
        } else {
            PlsqlSubprogram sub;
            p.Subprogram(&sub, true);
            unit->subprograms.push_back(std::move(sub));
        }
    } catch (const Failure& f) {
        *error = PlsqlCompileError{f.pos, f.text};
        return false;
    }
    return true;
}

void PlsqlParser::Subprogram(PlsqlSubprogram* sub, bool withBody)
{
    sub->token = m_at;
    sub->isFunction = IsWord("FUNCTION");
    Next();
    sub->name = Name();
    if (AcceptOp(".")) // schema-qualified stored unit
        sub->name = Name();
    if (AcceptOp("(")) {
        do {
            PlsqlParam p;
            p.name = Name();
            if (AcceptWord("IN")) {
                p.mode = AcceptWord("OUT") ? "IN OUT" : "IN";
            } else if (AcceptWord("OUT")) {
                p.mode = "OUT";
            }
            AcceptWord("NOCOPY");
            p.type = TypeText();
            if (AcceptOp(":=") || AcceptWord("DEFAULT")) {
                p.defaultValue = ExprUntil({}, {",", ")"});
                p.optional = true;
            }
            sub->params.push_back(std::move(p));
        } while (AcceptOp(","));
        ExpectOp(")", ", )");
    }
    if (sub->isFunction) {
        ExpectWord("RETURN", "return");
        sub->returnType = TypeText();
    }
    if (!withBody)
        return;
    if (!AcceptWord("IS"))
        ExpectWord("AS", "is as");
    Block(&sub->block, true);
    ExpectOp(";", ";");
}

std::string PlsqlParser::TypeText()
{
    std::string type = Name();
    while (AcceptOp(".") || IsOp("%")) {
        if (AcceptOp("%")) {
            type += "%" + Name();
            break;
        }
        type += "." + Name();
    }
    if (AcceptOp("(")) {
        type += "(";
        while (!IsOp(")") && Peek().kind != TokKind::End)
            type += Next().text;
        ExpectOp(")", ")");
        type += ")";
    }
    return type;
}

void PlsqlParser::Declarations(PlsqlBlock* block)
{
    while (!IsWord("BEGIN") && Peek().kind != TokKind::End) {
        if (IsWord("PROCEDURE") || IsWord("FUNCTION"))
            throw Failure{Peek().pos, "PLS-00999: implementation restriction (may be temporary) local " +
                                          Peek().text + " declarations are not supported"};
        Declaration(block);
    }
}

void PlsqlParser::Declaration(PlsqlBlock* block)
{
    if (IsWord("CURSOR")) {
        CursorDeclaration(block);
        return;
    }
    if (IsWord("TYPE") && TableType(block))
        return;
    if (IsWord("TYPE") || IsWord("SUBTYPE"))
        throw Failure{Peek().pos, "PLS-00999: implementation restriction (may be temporary) local " + Peek().text +
                                      " declarations are not supported"};
    PlsqlVarDecl d;
    d.token = m_at;
    d.name = Name();
    if (AcceptWord("EXCEPTION")) {
        d.type = "EXCEPTION";
    } else {
        d.constant = AcceptWord("CONSTANT");
        d.type = TypeText();
        if (AcceptWord("NOT")) {
            ExpectWord("NULL", "null");
            d.notNull = true;
        }
        if (AcceptOp(":=") || AcceptWord("DEFAULT"))
            d.init = ExprUntil({}, {";"});
    }
    ExpectOp(";", ":= . ( @ % ; not null range default character");
    block->decls.push_back(std::move(d));
}

bool PlsqlParser::TableType(PlsqlBlock* block)
{
    // Only the index-by tables of PL/SQL 2 are run here; other types are
    // left to the caller's restriction.
    const size_t start = m_at;
    PlsqlVarDecl d;
    Next(); // TYPE
    d.token = m_at;
    d.name = Name();
    if (!AcceptWord("IS") || !AcceptWord("TABLE") || !AcceptWord("OF")) {
        m_at = start;
        return false;
    }
    d.type = "TYPE";
    d.elementType = TypeText();
    if (AcceptWord("NOT"))
        ExpectWord("NULL", "null");
    if (!AcceptWord("INDEX") || !AcceptWord("BY") || !(AcceptWord("BINARY_INTEGER") || AcceptWord("PLS_INTEGER"))) {
        m_at = start;
        return false;
    }
    ExpectOp(";", ";");
    block->decls.push_back(std::move(d));
    return true;
}

void PlsqlParser::CursorDeclaration(PlsqlBlock* block)
{
    PlsqlVarDecl d;
    Next(); // CURSOR
    d.token = m_at;
    d.name = Name();
    d.type = "CURSOR";
    if (AcceptOp("(")) {
        do {
            PlsqlParam p;
            p.name = Name();
            AcceptWord("IN");
            p.type = TypeText();
            if (AcceptOp(":=") || AcceptWord("DEFAULT")) {
                p.defaultValue = ExprUntil({}, {",", ")"});
                p.optional = true;
            }
            d.params.push_back(std::move(p));
        } while (AcceptOp(","));
        ExpectOp(")", ", )");
    }
    if (AcceptWord("RETURN"))
        TypeText();
    ExpectWord("IS", "is return");
    if (!IsWord("SELECT") && !IsWord("WITH"))
        Unexpected("select with (");
    d.query = QueryUntilSemicolon();
    ExpectOp(";", ";");
    block->decls.push_back(std::move(d));
}

PlsqlSpan PlsqlParser::QueryUntilSemicolon()
{
    PlsqlSpan span{m_at, m_at};
    int depth = 0;
    while (Peek().kind != TokKind::End && !(depth == 0 && IsOp(";"))) {
        if (IsOp("("))
            ++depth;
        else if (IsOp(")"))
            --depth;
        Next();
    }
    span.end = m_at;
    return span;
}

std::vector<std::string> PlsqlParser::IntoTargets()
{
    std::vector<std::string> into;
    do {
        if (Peek().kind == TokKind::Bind) {
            into.push_back(":" + Next().text);
            continue;
        }
        std::string name = Name();
        while (AcceptOp("."))
            name += "." + Name();
        into.push_back(name);
    } while (AcceptOp(","));
    return into;
}

PlsqlStmtPtr PlsqlParser::CursorStatement()
{
    auto st = std::make_shared<PlsqlStmt>();
    st->token = m_at;
    if (AcceptWord("OPEN")) {
        st->kind = PlsqlStmt::Kind::Open;
        st->name.push_back(Name());
        if (AcceptOp("("))
            Arguments(st.get());
        if (IsWord("FOR"))
            throw Failure{Peek().pos, "PLS-00999: implementation restriction (may be temporary) cursor variables"};
    } else if (AcceptWord("FETCH")) {
        st->kind = PlsqlStmt::Kind::Fetch;
        st->name.push_back(Name());
        if (IsWord("BULK"))
            throw Failure{Peek().pos, "PLS-00999: implementation restriction (may be temporary) BULK COLLECT"};
        ExpectWord("INTO", "into bulk");
        st->into = IntoTargets();
    } else if (AcceptWord("CLOSE")) {
        st->kind = PlsqlStmt::Kind::Close;
        st->name.push_back(Name());
    } else {
        ExpectWord("EXECUTE", "execute");
        ExpectWord("IMMEDIATE", "immediate");
        st->kind = PlsqlStmt::Kind::ExecImmediate;
        st->expr = ExprUntil({"INTO", "USING", "RETURNING", "RETURN"}, {});
        if (AcceptWord("INTO"))
            st->into = IntoTargets();
        if (AcceptWord("USING")) {
            do {
                std::string mode = "IN";
                if (AcceptWord("IN"))
                    mode = AcceptWord("OUT") ? "IN OUT" : "IN";
                else if (AcceptWord("OUT"))
                    mode = "OUT";
                st->argNames.push_back(mode);
                st->args.push_back(ExprUntil({}, {","}));
            } while (AcceptOp(","));
        }
    }
    ExpectOp(";", ";");
    return st;
}

void PlsqlParser::Block(PlsqlBlock* block, bool declareSection)
{
    if (declareSection)
        Declarations(block);
    ExpectWord("BEGIN", "begin function pragma procedure subtype type <an identifier> current cursor delete exists prior");
    block->body = Statements({"EXCEPTION", "END"});
    if (AcceptWord("EXCEPTION")) {
        while (AcceptWord("WHEN")) {
            PlsqlHandler h;
            do {
                std::string name = Name();
                while (AcceptOp("."))
                    name += "." + Name();
                h.names.push_back(name);
            } while (AcceptWord("OR"));
            ExpectWord("THEN", "or then");
            h.body = Statements({"WHEN", "END"});
            block->handlers.push_back(std::move(h));
        }
        if (block->handlers.empty())
            Unexpected("pragma when");
    }
    ExpectWord("END", "end");
    if (Peek().kind == TokKind::Ident && !IsOp(";"))
        Next(); // END name
}

PlsqlStmtList PlsqlParser::Statements(std::initializer_list<const char*> enders)
{
    PlsqlStmtList list;
    for (;;) {
        for (const char* e : enders)
            if (IsWord(e)) {
                if (list.empty())
                    Unexpected(kStatementStart);
                return list;
            }
        if (Peek().kind == TokKind::End)
            Unexpected(kStatementStart);
        list.push_back(Statement());
    }
}

PlsqlSpan PlsqlParser::ExprUntil(std::initializer_list<const char*> words, std::initializer_list<const char*> ops)
{
    PlsqlSpan span{m_at, m_at};
    int depth = 0;
    for (;;) {
        const SqlToken& t = Peek();
        if (t.kind == TokKind::End)
            break;
        if (depth == 0) {
            bool stop = false;
            if (t.kind == TokKind::Ident)
                for (const char* w : words)
                    stop = stop || t.text == w;
            if (t.kind == TokKind::Op)
                for (const char* o : ops)
                    stop = stop || t.text == o;
            if (stop)
                break;
            if (t.kind == TokKind::Op && t.text == ";")
                break;
        }
        if (t.kind == TokKind::Op && t.text == "(")
            ++depth;
        if (t.kind == TokKind::Op && t.text == ")") {
            if (depth == 0)
                break;
            --depth;
        }
        Next();
    }
    span.end = m_at;
    if (span.Empty())
        Unexpected("( - + case mod new not null <an identifier> <a bind variable> <a number> <a single-quoted SQL string>");
    return span;
}

PlsqlStmtPtr PlsqlParser::Statement()
{
    struct DepthGuard {
        int& depth;
        explicit DepthGuard(int& d) : depth(++d) {}
        ~DepthGuard() { --depth; }
    } guard(m_depth);
    if (m_depth > 200)
        throw Failure{Peek().pos, "PLS-00123: program too large (Diana nodes)"};
    auto st = std::make_shared<PlsqlStmt>();
    st->token = m_at;
    const SqlToken& t = Peek();
    if (t.kind == TokKind::Ident) {
        if (AcceptWord("NULL")) {
            st->kind = PlsqlStmt::Kind::Null;
        } else if (IsWord("IF")) {
            return IfStatement();
        } else if (IsWord("BEGIN") || IsWord("DECLARE")) {
            st->kind = PlsqlStmt::Kind::Block;
            st->block = std::make_shared<PlsqlBlock>();
            const bool declare = AcceptWord("DECLARE");
            Block(st->block.get(), declare);
        } else if (AcceptWord("LOOP")) {
            st->kind = PlsqlStmt::Kind::Loop;
            st->body = Statements({"END"});
            ExpectWord("END", "end");
            ExpectWord("LOOP", "loop");
        } else if (AcceptWord("WHILE")) {
            st->kind = PlsqlStmt::Kind::While;
            st->expr = ExprUntil({"LOOP"}, {});
            ExpectWord("LOOP", "loop");
            st->body = Statements({"END"});
            ExpectWord("END", "end");
            ExpectWord("LOOP", "loop");
        } else if (AcceptWord("FOR")) {
            st->kind = PlsqlStmt::Kind::For;
            st->target = Name();
            ExpectWord("IN", "in");
            if (IsOp("(") && (IsWord("SELECT", 1) || IsWord("WITH", 1))) {
                // FOR r IN (query) LOOP
                st->kind = PlsqlStmt::Kind::CursorFor;
                Next();
                st->expr = ExprUntil({}, {});
                ExpectOp(")", ")");
                LoopBody(st.get());
                ExpectOp(";", ";");
                return st;
            }
            if (!IsWord("REVERSE") && Peek().kind == TokKind::Ident && !RangeAhead()) {
                // FOR r IN cursor [(args)] LOOP
                st->kind = PlsqlStmt::Kind::CursorFor;
                st->name.push_back(Name());
                if (AcceptOp("("))
                    Arguments(st.get());
                LoopBody(st.get());
                ExpectOp(";", ";");
                return st;
            }
            st->reverse = AcceptWord("REVERSE");
            st->expr = ExprUntil({}, {".."});
            ExpectOp("..", "..");
            st->upper = ExprUntil({"LOOP"}, {});
            ExpectWord("LOOP", "loop");
            st->body = Statements({"END"});
            ExpectWord("END", "end");
            ExpectWord("LOOP", "loop");
        } else if (AcceptWord("EXIT")) {
            st->kind = PlsqlStmt::Kind::Exit;
            if (AcceptWord("WHEN"))
                st->expr = ExprUntil({}, {});
        } else if (AcceptWord("RAISE")) {
            st->kind = PlsqlStmt::Kind::Raise;
            if (!IsOp(";")) {
                st->name.push_back(Name());
                while (AcceptOp("."))
                    st->name.push_back(Name());
            }
        } else if (AcceptWord("RETURN")) {
            st->kind = PlsqlStmt::Kind::Return;
            if (!IsOp(";"))
                st->expr = ExprUntil({}, {});
        } else if ((IsWord("OPEN") || IsWord("FETCH") || IsWord("CLOSE") || (IsWord("EXECUTE") && IsWord("IMMEDIATE", 1))) &&
                   !IsOp(":=", 1) && !IsOp(".", 1) && !IsOp("(", 1)) {
            return CursorStatement();
        } else if (IsSqlKeyword(t.text) && !IsOp(":=", 1) && !IsOp(".", 1)) {
            return SqlStatement();
        } else {
            st = CallOrAssign();
        }
    } else if (t.kind == TokKind::Bind || t.kind == TokKind::QuotedIdent) {
        st = CallOrAssign();
    } else {
        Unexpected(kStatementStart);
    }
    ExpectOp(";", ";");
    return st;
}

bool PlsqlParser::RangeAhead() const
{
    int depth = 0;
    for (size_t k = 0;; ++k) {
        const SqlToken& t = Peek(k);
        if (t.kind == TokKind::End || (t.kind == TokKind::Op && t.text == ";"))
            return false;
        if (t.kind == TokKind::Op && t.text == "(")
            ++depth;
        else if (t.kind == TokKind::Op && t.text == ")")
            --depth;
        else if (depth == 0 && t.kind == TokKind::Op && t.text == "..")
            return true;
        else if (depth == 0 && t.kind == TokKind::Ident && t.text == "LOOP")
            return false;
    }
}

void PlsqlParser::LoopBody(PlsqlStmt* st)
{
    ExpectWord("LOOP", "loop");
    st->body = Statements({"END"});
    ExpectWord("END", "end");
    ExpectWord("LOOP", "loop");
}

PlsqlStmtPtr PlsqlParser::SqlStatement()
{
    auto st = std::make_shared<PlsqlStmt>();
    st->kind = PlsqlStmt::Kind::Sql;
    st->token = m_at;
    const bool select = IsWord("SELECT");
    st->expr.begin = m_at;
    int depth = 0;
    while (Peek().kind != TokKind::End && !(depth == 0 && IsOp(";"))) {
        if (IsOp("("))
            ++depth;
        else if (IsOp(")"))
            --depth;
        if (select && depth == 0 && IsWord("INTO") && st->into.empty()) {
            st->intoClause.begin = m_at;
            Next();
            st->into = IntoTargets();
            st->intoClause.end = m_at;
            continue;
        }
        Next();
    }
    st->expr.end = m_at;
    ExpectOp(";", ";");
    return st;
}

PlsqlStmtPtr PlsqlParser::IfStatement()
{
    auto st = std::make_shared<PlsqlStmt>();
    st->kind = PlsqlStmt::Kind::If;
    st->token = m_at;
    Next(); // IF
    for (;;) {
        PlsqlIfBranch b;
        b.condition = ExprUntil({"THEN"}, {});
        ExpectWord("THEN", "then and or");
        b.body = Statements({"ELSIF", "ELSE", "END"});
        st->branches.push_back(std::move(b));
        if (!AcceptWord("ELSIF"))
            break;
    }
    if (AcceptWord("ELSE")) {
        PlsqlIfBranch b;
        b.body = Statements({"END"});
        st->branches.push_back(std::move(b));
    }
    ExpectWord("END", "end");
    ExpectWord("IF", "if");
    ExpectOp(";", ";");
    return st;
}

PlsqlStmtPtr PlsqlParser::CallOrAssign()
{
    auto st = std::make_shared<PlsqlStmt>();
    st->token = m_at;
    if (Peek().kind == TokKind::Bind) {
        st->target = ":" + Next().text;
        ExpectOp(":=", ":= . ( @ % ; indicator");
        st->kind = PlsqlStmt::Kind::Assign;
        st->expr = ExprUntil({}, {});
        return st;
    }
    st->name.push_back(Name());
    while (AcceptOp("."))
        st->name.push_back(Name());
    if (AcceptOp(":=")) {
        if (st->name.size() > 2)
            throw Failure{Peek().pos, "PLS-00999: implementation restriction (may be temporary) nested records"};
        st->kind = PlsqlStmt::Kind::Assign;
        st->target = st->name.size() == 2 ? st->name[0] + "." + st->name[1] : st->name[0];
        st->name.clear();
        st->expr = ExprUntil({}, {});
        return st;
    }
    st->kind = PlsqlStmt::Kind::Call;
    if (AcceptOp("("))
        Arguments(st.get());
    if (st->name.size() == 1 && st->args.size() == 1 && st->argNames[0].empty() && AcceptOp(":=")) {
        // t(i) := value
        st->kind = PlsqlStmt::Kind::Assign;
        st->target = st->name[0];
        st->index = st->args[0];
        st->name.clear();
        st->args.clear();
        st->argNames.clear();
        st->expr = ExprUntil({}, {});
        return st;
    }
    if (!IsOp(";"))
        Unexpected(":= . ( @ % ;");
    return st;
}

void PlsqlParser::Arguments(PlsqlStmt* call)
{
    if (AcceptOp(")"))
        return;
    do {
        std::string named;
        if ((Peek().kind == TokKind::Ident || Peek().kind == TokKind::QuotedIdent) && IsOp("=>", 1)) {
            named = Next().text;
            Next();
        }
        call->argNames.push_back(named);
        call->args.push_back(ExprUntil({}, {",", ")"}));
    } while (AcceptOp(","));
    ExpectOp(")", ", ) @ %");
}

} // namespace VkOracle
