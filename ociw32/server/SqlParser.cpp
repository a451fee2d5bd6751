// Expressions, queries and DML of the Oracle SQL parser; DDL is in
// SqlDdlParser.cpp. Errors are thrown as Failure inside the parser only and
// returned as SqlParseError.
#include "ociw32/server/SqlParser.h"

#include "ociw32/server/OraStackGuard.h"

#include <cstring>
#include <string>

namespace VkOracle {
namespace {
const char* const kReserved[] = {
    "ACCESS", "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "ASC", "AUDIT", "BETWEEN", "BY", "CHECK",
    "CLUSTER", "COLUMN", "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT", "DEFAULT", "DELETE",
    "DESC", "DISTINCT", "DROP", "ELSE", "EXCLUSIVE", "EXISTS", "FILE", "FOR", "FROM", "GRANT",
    "GROUP", "HAVING", "IDENTIFIED", "IMMEDIATE", "IN", "INCREMENT", "INDEX", "INITIAL", "INSERT",
    "INTERSECT", "INTO", "IS", "LIKE", "LOCK", "MINUS", "MODE", "NOT", "NOWAIT", "NULL", "OF",
    "OFFLINE", "ON", "ONLINE", "OPTION", "OR", "ORDER", "PRIOR", "PUBLIC", "RENAME", "RESOURCE",
    "REVOKE", "SELECT", "SET", "SHARE", "START", "SYNONYM", "TABLE", "THEN", "TO", "TRIGGER",
    "UNION", "UNIQUE", "UPDATE", "VALUES", "VIEW", "WHERE", "WITH", "WHEN", "END", "CASE",
    // not reserved in Oracle but never usable as a bare alias here
    "NULLS", "JOIN",
};
} // namespace

SqlParser::SqlParser(const std::string& sql) : m_sql(sql)
{
    m_tokens = TokenizeSql(sql, &m_lexError);
}

const SqlToken& SqlParser::Peek(int ahead) const
{
    const size_t i = m_at + static_cast<size_t>(ahead);
    return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
}

const SqlToken& SqlParser::Next()
{
    const SqlToken& t = Peek();
    if (m_at < m_tokens.size() - 1)
        ++m_at;
    return t;
}

bool SqlParser::IsWord(const char* word, int ahead) const
{
    const SqlToken& t = Peek(ahead);
    return t.kind == TokKind::Ident && t.text == word;
}

bool SqlParser::IsOp(const char* op, int ahead) const
{
    const SqlToken& t = Peek(ahead);
    return t.kind == TokKind::Op && t.text == op;
}

bool SqlParser::AcceptWord(const char* word)
{
    if (!IsWord(word))
        return false;
    Next();
    return true;
}

bool SqlParser::AcceptOp(const char* op)
{
    if (!IsOp(op))
        return false;
    Next();
    return true;
}

void SqlParser::ExpectWord(const char* word, int code)
{
    if (!AcceptWord(word))
        Fail(code);
}

void SqlParser::ExpectOp(const char* op, int code)
{
    if (!AcceptOp(op))
        Fail(code);
}

void SqlParser::Fail(int code) const
{
    // At the end of a text cut by a lexical error the lexical error wins.
    if (m_lexError.code && Peek().kind == TokKind::End)
        throw Failure{m_lexError.code, m_lexError.pos};
    if (Peek().kind == TokKind::Op && Peek().text == ";" && code != 911)
        throw Failure{911, Peek().pos};
    throw Failure{code, Peek().pos};
}

void SqlParser::FailAt(int code, int pos) const
{
    throw Failure{code, pos};
}

void SqlParser::FailTooDeep() const
{
    throw Failure{3095, Peek().pos, std::to_string(kMaxExprDepth)};
}

void SqlParser::EnterExpr()
{
    if (m_depth >= kMaxExprDepth || OraStackLow())
        FailTooDeep();
    ++m_depth;
}

bool SqlParser::IsReserved(const SqlToken& t) const
{
    if (t.kind != TokKind::Ident)
        return false;
    for (const char* w : kReserved)
        if (t.text == w)
            return true;
    return false;
}

std::string SqlParser::Identifier(int code)
{
    const SqlToken& t = Peek();
    if (t.kind == TokKind::QuotedIdent || (t.kind == TokKind::Ident && !IsReserved(t)))
        return Next().text;
    Fail(code);
}

std::vector<std::string> SqlParser::QualifiedName(int code)
{
    std::vector<std::string> parts{Identifier(code)};
    while (IsOp(".") && (Peek(1).kind == TokKind::Ident || Peek(1).kind == TokKind::QuotedIdent)) {
        Next();
        parts.push_back(Identifier(code));
    }
    if (IsOp("@")) { // database links are not supported: the object does not exist here
        Next();
        Identifier(code);
    }
    return parts;
}

std::string SqlParser::SourceText(int pos, int end) const
{
    if (pos < 0 || end <= pos || static_cast<size_t>(end) > m_sql.size())
        return {};
    return m_sql.substr(static_cast<size_t>(pos), static_cast<size_t>(end - pos));
}

SqlExprPtr SqlParser::Make(SqlExpr::Kind kind, int pos)
{
    auto e = std::make_shared<SqlExpr>();
    e->kind = kind;
    e->pos = pos;
    return e;
}

void SqlParser::Finish(const SqlExprPtr& e)
{
    const size_t last = m_at > 0 ? m_at - 1 : 0;
    e->end = m_tokens[last].end;
}

SqlExprPtr SqlParser::Expr()
{
    DepthScope depth(this);
    return OrExpr();
}

SqlExprPtr SqlParser::OrExpr()
{
    SqlExprPtr left = AndExpr();
    int chain = 0;
    while (IsWord("OR")) {
        // A chain builds a left-deep tree: it counts as nesting.
        if (m_depth + ++chain > kMaxChainDepth)
            FailTooDeep();
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::Or, left->pos);
        e->args = {left, AndExpr()};
        Finish(e);
        left = e;
    }
    return left;
}

SqlExprPtr SqlParser::AndExpr()
{
    SqlExprPtr left = NotExpr();
    int chain = 0;
    while (IsWord("AND")) {
        if (m_depth + ++chain > kMaxChainDepth)
            FailTooDeep();
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::And, left->pos);
        e->args = {left, NotExpr()};
        Finish(e);
        left = e;
    }
    return left;
}

SqlExprPtr SqlParser::NotExpr()
{
    if (IsWord("NOT")) {
        DepthScope depth(this);
        const int pos = Next().pos;
        SqlExprPtr e = Make(SqlExpr::Kind::Not, pos);
        e->args = {NotExpr()};
        Finish(e);
        return e;
    }
    return Predicate();
}

SqlExprPtr SqlParser::Predicate()
{
    if (IsWord("EXISTS")) {
        const int pos = Next().pos;
        ExpectOp("(", 936);
        SqlExprPtr e = Make(SqlExpr::Kind::Exists, pos);
        e->sub = SubqueryInParens();
        Finish(e);
        return e;
    }
    SqlExprPtr left = Additive();
    static const char* const kCompare[] = {"=", "<>", "!=", "^=", "<", ">", "<=", ">="};
    for (const char* op : kCompare) {
        if (IsOp(op)) {
            Next();
            SqlExprPtr e = Make(SqlExpr::Kind::Compare, left->pos);
            e->text = (std::strcmp(op, "!=") == 0 || std::strcmp(op, "^=") == 0) ? "<>" : op;
            if (IsWord("ANY") || IsWord("SOME") || IsWord("ALL")) {
                e->quantifier = Next().text == "ALL" ? "ALL" : "ANY";
                ExpectOp("(", 936);
                e->args = {left};
                if (StartsQuery()) {
                    e->sub = SubqueryInParens();
                } else {
                    do {
                        e->args.push_back(Expr());
                    } while (AcceptOp(","));
                    ExpectOp(")", 907);
                }
                Finish(e);
                return e;
            }
            e->args = {left, Additive()};
            Finish(e);
            return e;
        }
    }
    bool negated = false;
    const size_t save = m_at;
    if (IsWord("NOT")) {
        Next();
        negated = true;
    }
    if (IsWord("LIKE")) {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::Like, left->pos);
        e->negated = negated;
        e->args = {left, Additive()};
        if (AcceptWord("ESCAPE"))
            e->args.push_back(Additive());
        Finish(e);
        return e;
    }
    if (IsWord("BETWEEN")) {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::Between, left->pos);
        e->negated = negated;
        SqlExprPtr low = Additive();
        ExpectWord("AND", 905);
        e->args = {left, low, Additive()};
        Finish(e);
        return e;
    }
    if (IsWord("IN")) {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::In, left->pos);
        e->negated = negated;
        e->args = {left};
        ExpectOp("(", 936);
        if (StartsQuery()) {
            e->sub = SubqueryInParens();
        } else {
            do {
                e->args.push_back(Expr());
            } while (AcceptOp(","));
            ExpectOp(")", 907);
        }
        Finish(e);
        return e;
    }
    if (negated) {
        m_at = save;
        Fail(920);
    }
    if (IsWord("IS")) {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::IsNull, left->pos);
        e->negated = AcceptWord("NOT");
        ExpectWord("NULL", 908);
        e->args = {left};
        Finish(e);
        return e;
    }
    return left;
}

SqlExprPtr SqlParser::Additive()
{
    SqlExprPtr left = Multiplicative();
    SqlExpr* concat = nullptr; // the n-ary || this chain is extending
    int chain = 0;
    while (IsOp("+") || IsOp("-") || IsOp("||")) {
        const std::string op = Next().text;
        if (op == "||" && concat == left.get()) {
            // Consecutive || terms share one node: a long concatenation
            // stays flat instead of becoming a tree as deep as it is long.
            left->args.push_back(Multiplicative());
            Finish(left);
            continue;
        }
        if (m_depth + ++chain > kMaxChainDepth)
            FailTooDeep();
        SqlExprPtr e = Make(SqlExpr::Kind::Binary, left->pos);
        e->text = op;
        e->args = {left, Multiplicative()};
        Finish(e);
        left = e;
        concat = op == "||" ? e.get() : nullptr;
    }
    return left;
}

SqlExprPtr SqlParser::Multiplicative()
{
    SqlExprPtr left = Unary();
    int chain = 0;
    while (IsOp("*") || IsOp("/")) {
        if (m_depth + ++chain > kMaxChainDepth)
            FailTooDeep();
        const std::string op = Next().text;
        SqlExprPtr e = Make(SqlExpr::Kind::Binary, left->pos);
        e->text = op;
        e->args = {left, Unary()};
        Finish(e);
        left = e;
    }
    return left;
}

SqlExprPtr SqlParser::Unary()
{
    if (IsOp("-") || IsOp("+")) {
        DepthScope depth(this);
        const SqlToken t = Next();
        SqlExprPtr operand = Unary();
        if (t.text == "+")
            return operand;
        SqlExprPtr e = Make(SqlExpr::Kind::Negate, t.pos);
        e->args = {operand};
        Finish(e);
        return e;
    }
    return Primary();
}

SqlExprPtr SqlParser::Primary()
{
    const SqlToken t = Peek();
    switch (t.kind) {
    case TokKind::Number: {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::Number, t.pos);
        e->text = t.text;
        Finish(e);
        return e;
    }
    case TokKind::String: {
        Next();
        SqlExprPtr e = Make(t.text.empty() ? SqlExpr::Kind::Null : SqlExpr::Kind::String, t.pos);
        e->text = t.text;
        Finish(e);
        return e;
    }
    case TokKind::Bind: {
        Next();
        SqlExprPtr e = Make(SqlExpr::Kind::Bind, t.pos);
        e->text = t.text;
        Finish(e);
        return e;
    }
    case TokKind::Op:
        if (t.text == "(") {
            Next();
            if (StartsQuery()) {
                SqlExprPtr e = Make(SqlExpr::Kind::Subquery, t.pos);
                e->sub = SubqueryInParens();
                Finish(e);
                return e;
            }
            SqlExprPtr inner = Expr();
            ExpectOp(")", 907);
            // Keep the parentheses in the source range for column headings.
            inner->pos = t.pos;
            Finish(inner);
            return inner;
        }
        Fail(936);
    case TokKind::Ident:
    case TokKind::QuotedIdent:
        break;
    case TokKind::End:
        Fail(936);
    }
    if (t.kind == TokKind::Ident) {
        if (t.text == "NULL") {
            Next();
            SqlExprPtr e = Make(SqlExpr::Kind::Null, t.pos);
            Finish(e);
            return e;
        }
        if (t.text == "CASE") {
            Next();
            return CaseExpr(t.pos);
        }
        if (t.text == "SYSDATE" || t.text == "USER" || t.text == "UID" || t.text == "ROWNUM" ||
            t.text == "ROWID" || t.text == "LEVEL") {
            if (!IsOp("(", 1) && !IsOp(".", 1)) {
                Next();
                SqlExprPtr e = Make(SqlExpr::Kind::Pseudo, t.pos);
                e->text = t.text;
                Finish(e);
                return e;
            }
        }
        if (IsReserved(t) && t.text != "DISTINCT")
            Fail(936);
    }
    std::vector<std::string> name{Next().text};
    while (IsOp(".")) {
        Next();
        if (IsOp("*")) {
            // t.* only belongs in a select list, which handles it itself.
            Fail(936);
        }
        const SqlToken& part = Peek();
        if (part.kind != TokKind::Ident && part.kind != TokKind::QuotedIdent)
            Fail(part.kind == TokKind::End ? 936 : 904);
        name.push_back(Next().text);
    }
    if (IsOp("("))
        return FunctionCall(std::move(name), t.pos);
    SqlExprPtr e = Make(SqlExpr::Kind::Column, t.pos);
    e->names = std::move(name);
    if (IsOp("(+)")) {
        Next();
        e->outer = true;
    }
    Finish(e);
    return e;
}

SqlExprPtr SqlParser::FunctionCall(std::vector<std::string> name, int pos)
{
    Next(); // (
    SqlExprPtr e = Make(SqlExpr::Kind::Func, pos);
    for (size_t i = 0; i < name.size(); ++i)
        e->text += (i ? "." : "") + name[i];
    if (e->text == "TRIM" && (IsWord("LEADING") || IsWord("TRAILING") || IsWord("BOTH"))) {
        SqlExprPtr mode = Make(SqlExpr::Kind::String, Peek().pos);
        mode->text = Next().text;
        SqlExprPtr ch;
        if (!IsWord("FROM"))
            ch = Additive();
        ExpectWord("FROM", 905);
        SqlExprPtr source = Additive();
        if (!ch) {
            ch = Make(SqlExpr::Kind::String, mode->pos);
            ch->text = " ";
        }
        e->args = {source, ch, mode};
        ExpectOp(")", 907);
        Finish(e);
        return e;
    }
    if (e->text == "TRIM" && !IsOp(")")) {
        SqlExprPtr first = Additive();
        if (AcceptWord("FROM")) {
            SqlExprPtr source = Additive();
            SqlExprPtr mode = Make(SqlExpr::Kind::String, first->pos);
            mode->text = "BOTH";
            e->args = {source, first, mode};
        } else {
            e->args = {first};
        }
        ExpectOp(")", 907);
        Finish(e);
        return e;
    }
    if (IsOp("*")) {
        Next();
        e->star = true;
        ExpectOp(")", 907);
        Finish(e);
        return e;
    }
    if (AcceptWord("DISTINCT"))
        e->distinct = true;
    else
        AcceptWord("ALL");
    if (!IsOp(")")) {
        do {
            e->args.push_back(Expr());
        } while (AcceptOp(","));
    }
    ExpectOp(")", 907);
    Finish(e);
    return e;
}

SqlExprPtr SqlParser::CaseExpr(int pos)
{
    SqlExprPtr e = Make(SqlExpr::Kind::Case, pos);
    if (!IsWord("WHEN")) {
        e->hasOperand = true;
        e->args.push_back(Additive());
    }
    if (!IsWord("WHEN"))
        Fail(905);
    while (AcceptWord("WHEN")) {
        e->args.push_back(Expr());
        ExpectWord("THEN", 905);
        e->args.push_back(Expr());
    }
    if (AcceptWord("ELSE")) {
        e->hasElse = true;
        e->args.push_back(Expr());
    }
    ExpectWord("END", 905);
    Finish(e);
    return e;
}

bool SqlParser::StartsQuery() const
{
    int i = 0;
    while (IsOp("(", i))
        ++i;
    return IsWord("SELECT", i);
}

SqlSelectPtr SqlParser::SubqueryInParens()
{
    SqlSelectPtr q = Query();
    ExpectOp(")", 907);
    return q;
}

SqlSelectPtr SqlParser::Query()
{
    // Oracle nests sub-queries 255 deep at most.
    if (m_queryDepth >= kMaxQueryDepth)
        throw Failure{1778, Peek().pos};
    ++m_queryDepth;
    struct Restore {
        int& d;
        ~Restore() { --d; }
    } restore{m_queryDepth};
    DepthScope depth(this);
    SqlSelectPtr first;
    if (IsOp("(")) {
        Next();
        first = Query();
        ExpectOp(")", 907);
    } else {
        first = QueryBlock();
    }
    while (IsWord("UNION") || IsWord("INTERSECT") || IsWord("MINUS")) {
        std::string op = Next().text;
        if (op == "UNION" && AcceptWord("ALL"))
            op = "UNION ALL";
        SqlSelectPtr next;
        if (IsOp("(")) {
            Next();
            next = Query();
            ExpectOp(")", 907);
        } else {
            if (!IsWord("SELECT"))
                Fail(928);
            next = QueryBlock();
        }
        first->setOps.emplace_back(op, next);
    }
    if (IsWord("ORDER"))
        OrderBy(first.get());
    if (IsWord("FOR") && IsWord("UPDATE", 1)) {
        Next();
        Next();
        first->forUpdate = true;
        if (AcceptWord("OF"))
            NameList();
        first->nowait = AcceptWord("NOWAIT");
    }
    return first;
}

SqlSelectPtr SqlParser::QueryBlock()
{
    auto s = std::make_shared<SqlSelect>();
    s->pos = Peek().pos;
    ExpectWord("SELECT", 928);
    if (AcceptWord("DISTINCT") || AcceptWord("UNIQUE"))
        s->distinct = true;
    else
        AcceptWord("ALL");
    do {
        SqlSelectItem item;
        const SqlToken& t = Peek();
        if (t.kind == TokKind::Op && t.text == "*") {
            Next();
            item.expr = Make(SqlExpr::Kind::Star, t.pos);
            Finish(item.expr);
        } else if ((t.kind == TokKind::Ident || t.kind == TokKind::QuotedIdent) && IsOp(".", 1) &&
                   (IsOp("*", 2) || ((Peek(2).kind == TokKind::Ident || Peek(2).kind == TokKind::QuotedIdent) &&
                                     IsOp(".", 3) && IsOp("*", 4)))) {
            SqlExprPtr star = Make(SqlExpr::Kind::Star, t.pos);
            star->names.push_back(Next().text);
            Next();
            if (!IsOp("*")) {
                star->names.push_back(Next().text);
                Next();
            }
            Next();
            Finish(star);
            item.expr = star;
        } else {
            item.expr = Expr();
            if (AcceptWord("AS")) {
                item.alias = Identifier(923);
                item.hasAlias = true;
            } else if ((Peek().kind == TokKind::Ident && !IsReserved(Peek())) ||
                       Peek().kind == TokKind::QuotedIdent) {
                item.alias = Next().text;
                item.hasAlias = true;
            }
        }
        s->items.push_back(item);
    } while (AcceptOp(","));
    if (IsWord("INTO"))
        Fail(905);
    if (!AcceptWord("FROM"))
        Fail(923);
    FromClause(s.get());
    if (AcceptWord("WHERE"))
        s->where = Expr();
    if (IsWord("CONNECT") || IsWord("START"))
        Fail(900);
    if (IsWord("GROUP")) {
        Next();
        ExpectWord("BY", 924);
        do {
            s->groupBy.push_back(Expr());
        } while (AcceptOp(","));
    }
    if (AcceptWord("HAVING"))
        s->having = Expr();
    if (IsWord("GROUP") && s->groupBy.empty()) {
        Next();
        ExpectWord("BY", 924);
        do {
            s->groupBy.push_back(Expr());
        } while (AcceptOp(","));
    }
    return s;
}

void SqlParser::FromClause(SqlSelect* s)
{
    do {
        SqlFromItem item;
        item.pos = Peek().pos;
        if (IsOp("(")) {
            Next();
            if (!StartsQuery())
                Fail(903);
            item.sub = SubqueryInParens();
        } else {
            const SqlToken& t = Peek();
            if (t.kind != TokKind::Ident && t.kind != TokKind::QuotedIdent)
                Fail(903);
            if (IsReserved(t))
                Fail(903);
            item.name = QualifiedName(903);
        }
        if (Peek().kind == TokKind::QuotedIdent || (Peek().kind == TokKind::Ident && !IsReserved(Peek()))) {
            item.alias = Next().text;
        }
        s->from.push_back(item);
    } while (AcceptOp(","));
}

void SqlParser::OrderBy(SqlSelect* s)
{
    Next(); // ORDER
    ExpectWord("BY", 924);
    do {
        SqlOrderItem item;
        item.expr = Expr();
        if (AcceptWord("DESC"))
            item.desc = true;
        else
            AcceptWord("ASC");
        if (AcceptWord("NULLS")) {
            if (AcceptWord("FIRST"))
                item.nulls = 1;
            else if (AcceptWord("LAST"))
                item.nulls = 2;
            else
                Fail(905);
        }
        s->orderBy.push_back(item);
    } while (AcceptOp(","));
}

std::vector<std::string> SqlParser::NameList()
{
    std::vector<std::string> names;
    do {
        names.push_back(Identifier());
    } while (AcceptOp(","));
    return names;
}

SqlStatementPtr SqlParser::Insert()
{
    Next(); // INSERT
    ExpectWord("INTO", 925);
    auto st = std::make_shared<SqlStatement>();
    st->kind = SqlStmtKind::Insert;
    st->target = QualifiedName(903);
    if (Peek().kind == TokKind::Ident && !IsReserved(Peek()) && !IsWord("VALUES"))
        st->targetAlias = Next().text;
    if (IsOp("(") && !StartsQuery()) {
        Next();
        st->columns = NameList();
        ExpectOp(")", 907);
    }
    if (AcceptWord("VALUES")) {
        ExpectOp("(", 906);
        do {
            st->values.push_back(Expr());
        } while (AcceptOp(","));
        if (Peek().kind != TokKind::End && !IsOp(")"))
            Fail(917);
        ExpectOp(")", 907);
    } else if (StartsQuery()) {
        st->select = Query();
    } else {
        Fail(926);
    }
    return st;
}

SqlStatementPtr SqlParser::Update()
{
    Next();
    auto st = std::make_shared<SqlStatement>();
    st->kind = SqlStmtKind::Update;
    st->target = QualifiedName(903);
    if (Peek().kind == TokKind::Ident && !IsReserved(Peek()))
        st->targetAlias = Next().text;
    ExpectWord("SET", 971);
    do {
        std::vector<std::string> col = QualifiedName(904);
        st->columns.push_back(col.back());
        if (!AcceptOp("="))
            Fail(927);
        st->values.push_back(Expr());
    } while (AcceptOp(","));
    if (AcceptWord("WHERE"))
        st->where = Expr();
    return st;
}

SqlStatementPtr SqlParser::Delete()
{
    Next();
    AcceptWord("FROM");
    auto st = std::make_shared<SqlStatement>();
    st->kind = SqlStmtKind::Delete;
    st->target = QualifiedName(903);
    if (Peek().kind == TokKind::Ident && !IsReserved(Peek()))
        st->targetAlias = Next().text;
    if (AcceptWord("WHERE"))
        st->where = Expr();
    return st;
}

SqlStatementPtr SqlParser::ParseStatement(SqlParseError* error)
{
    *error = SqlParseError{};
    try {
        if (m_lexError.code && m_tokens.size() == 1)
            throw Failure{m_lexError.code, m_lexError.pos};
        SqlStatementPtr st;
        const SqlToken& first = Peek();
        if (first.kind == TokKind::End)
            throw Failure{900, 0};
        if (IsWord("SELECT") || (IsOp("(") && StartsQuery())) {
            st = std::make_shared<SqlStatement>();
            st->kind = SqlStmtKind::Select;
            st->select = Query();
        } else if (IsWord("INSERT")) {
            st = Insert();
        } else if (IsWord("UPDATE")) {
            st = Update();
        } else if (IsWord("DELETE")) {
            st = Delete();
        } else if (IsWord("COMMIT") || IsWord("ROLLBACK")) {
            st = std::make_shared<SqlStatement>();
            st->kind = Next().text == "COMMIT" ? SqlStmtKind::Commit : SqlStmtKind::Rollback;
            AcceptWord("WORK");
            if (st->kind == SqlStmtKind::Rollback && AcceptWord("TO")) {
                AcceptWord("SAVEPOINT");
                st->setting = Identifier();
            }
        } else if (IsWord("SAVEPOINT")) {
            Next();
            st = std::make_shared<SqlStatement>();
            st->kind = SqlStmtKind::Savepoint;
            st->setting = Identifier();
        } else if (IsWord("CREATE")) {
            st = Create();
        } else if (IsWord("DROP")) {
            st = Drop();
        } else if (IsWord("ALTER")) {
            st = Alter();
        } else if (IsWord("GRANT") || IsWord("REVOKE")) {
            st = GrantRevoke(IsWord("GRANT"));
        } else if (IsWord("BEGIN") || IsWord("DECLARE")) {
            st = std::make_shared<SqlStatement>();
            st->kind = SqlStmtKind::Block;
            st->body = m_sql;
            return st;
        } else if (IsWord("LOCK")) {
            Next();
            ExpectWord("TABLE", 905);
            st = std::make_shared<SqlStatement>();
            st->kind = SqlStmtKind::Lock;
            st->target = QualifiedName(903);
            ExpectWord("IN", 969);
            while (Peek().kind == TokKind::Ident && !IsWord("MODE"))
                Next();
            ExpectWord("MODE", 905);
            st->nowait = AcceptWord("NOWAIT");
        } else {
            throw Failure{900, first.pos};
        }
        if (Peek().kind != TokKind::End) {
            if (IsOp(";") || m_lexError.code == 911)
                throw Failure{911, IsOp(";") ? Peek().pos : m_lexError.pos};
            if (st->kind == SqlStmtKind::Select && IsOp(")"))
                throw Failure{907, Peek().pos};
            throw Failure{933, Peek().pos};
        }
        if (m_lexError.code)
            throw Failure{m_lexError.code, m_lexError.pos};
        return st;
    } catch (const Failure& f) {
        error->code = f.code;
        error->pos = f.pos;
        error->arg = f.arg;
        return nullptr;
    }
}

SqlExprPtr SqlParser::ParseStandaloneExpr(SqlParseError* error)
{
    *error = SqlParseError{};
    try {
        SqlExprPtr e = Expr();
        if (Peek().kind != TokKind::End)
            throw Failure{933, Peek().pos};
        if (m_lexError.code)
            throw Failure{m_lexError.code, m_lexError.pos};
        return e;
    } catch (const Failure& f) {
        error->code = f.code;
        error->pos = f.pos;
        error->arg = f.arg;
        return nullptr;
    }
}

} // namespace VkOracle
