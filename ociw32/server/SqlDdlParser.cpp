// DDL, GRANT/REVOKE and ALTER statements of the Oracle SQL parser. Stored
// units (procedures, functions, packages, triggers, types) are parsed for
// their catalogue metadata; their bodies are kept as text.
#include "ociw32/server/SqlParser.h"

#include <cstdlib>

namespace VkOracle {

long long SqlParser::SignedInteger()
{
    bool negative = false;
    if (AcceptOp("-"))
        negative = true;
    else
        AcceptOp("+");
    if (Peek().kind != TokKind::Number)
        Fail(2017);
    const long long v = std::strtoll(Next().text.c_str(), nullptr, 10);
    return negative ? -v : v;
}

std::string SqlParser::TypeName(int* length, int* precision, int* scale, bool* hasPrecision)
{
    *length = *precision = *scale = 0;
    *hasPrecision = false;
    if (Peek().kind != TokKind::Ident)
        Fail(902);
    std::string type = Next().text;
    if (type == "LONG" && AcceptWord("RAW"))
        type = "LONG RAW";
    if (type == "DOUBLE" && AcceptWord("PRECISION"))
        type = "FLOAT";
    if (type == "INTEGER" || type == "INT" || type == "SMALLINT") {
        *precision = 38;
        *hasPrecision = true;
        return "NUMBER";
    }
    if (type == "VARCHAR")
        type = "VARCHAR2";
    if (type == "DECIMAL" || type == "NUMERIC")
        type = "NUMBER";
    static const char* const kTypes[] = {"NUMBER", "VARCHAR2", "CHAR", "DATE", "LONG", "RAW", "LONG RAW",
                                         "FLOAT", "ROWID", "NVARCHAR2", "NCHAR", "CLOB", "BLOB"};
    bool known = false;
    for (const char* t : kTypes)
        known = known || type == t;
    if (!known)
        FailAt(902, Peek(-1).pos);
    if (AcceptOp("(")) {
        if (type == "NUMBER" && AcceptOp("*")) {
            *precision = 38;
        } else {
            if (Peek().kind != TokKind::Number)
                Fail(910);
            const int first = std::atoi(Next().text.c_str());
            if (type == "NUMBER" || type == "FLOAT") {
                *precision = first;
                *hasPrecision = true;
                if (AcceptOp(","))
                    *scale = static_cast<int>(SignedInteger());
            } else {
                *length = first;
                AcceptWord("BYTE");
                AcceptWord("CHAR");
            }
        }
        ExpectOp(")", 907);
    }
    if ((type == "VARCHAR2" || type == "NVARCHAR2") && *length == 0)
        FailAt(906, Peek().pos);
    if ((type == "CHAR" || type == "NCHAR") && *length == 0)
        *length = 1;
    if (type == "FLOAT") {
        if (!*hasPrecision)
            *precision = 126;
        *hasPrecision = true;
    }
    return type;
}

SqlConstraintDef SqlParser::ConstraintDef(const std::string& name, const std::string& column)
{
    SqlConstraintDef c;
    c.name = name;
    if (AcceptWord("PRIMARY")) {
        ExpectWord("KEY", 905);
        c.type = 'P';
    } else if (AcceptWord("UNIQUE")) {
        c.type = 'U';
    } else if (AcceptWord("FOREIGN")) {
        ExpectWord("KEY", 905);
        c.type = 'R';
    } else if (IsWord("REFERENCES")) {
        c.type = 'R';
    } else if (AcceptWord("CHECK")) {
        c.type = 'C';
        ExpectOp("(", 906);
        const int pos = Peek().pos;
        c.check = Expr();
        c.checkText = SourceText(pos, c.check->end);
        ExpectOp(")", 907);
        return c;
    } else {
        Fail(902);
    }
    if (column.empty() || IsOp("(")) {
        ExpectOp("(", 906);
        c.columns = NameList();
        ExpectOp(")", 907);
    } else {
        c.columns = {column};
    }
    if (c.type == 'R') {
        ExpectWord("REFERENCES", 905);
        c.refTable = QualifiedName(903);
        if (AcceptOp("(")) {
            c.refColumns = NameList();
            ExpectOp(")", 907);
        }
        if (AcceptWord("ON")) {
            ExpectWord("DELETE", 905);
            if (AcceptWord("CASCADE"))
                c.cascade = true;
            else
                ExpectWord("SET", 905), ExpectWord("NULL", 905);
        }
    }
    if (AcceptWord("USING")) {
        ExpectWord("INDEX", 905);
        while (Peek().kind == TokKind::Ident && !IsWord("CONSTRAINT") && !IsWord("ENABLE") && !IsWord("DISABLE"))
            Next();
    }
    AcceptWord("ENABLE");
    return c;
}

void SqlParser::ColumnDef(SqlStatement* st)
{
    SqlColumnDef col;
    col.pos = Peek().pos;
    col.name = Identifier(904);
    col.type = TypeName(&col.length, &col.precision, &col.scale, &col.hasPrecision);
    for (;;) {
        if (AcceptWord("DEFAULT")) {
            const int pos = Peek().pos;
            col.defaultExpr = Additive();
            col.defaultText = SourceText(pos, col.defaultExpr->end);
            continue;
        }
        std::string name;
        if (AcceptWord("CONSTRAINT"))
            name = Identifier();
        if (IsWord("NOT")) {
            Next();
            ExpectWord("NULL", 905);
            col.notNull = true;
            SqlConstraintDef c;
            c.name = name;
            c.type = 'N';
            c.columns = {col.name};
            st->constraints.push_back(c);
            continue;
        }
        if (AcceptWord("NULL"))
            continue;
        if (IsWord("PRIMARY") || IsWord("UNIQUE") || IsWord("REFERENCES") || IsWord("CHECK")) {
            SqlConstraintDef c = ConstraintDef(name, col.name);
            if (c.type == 'P')
                col.notNull = true;
            st->constraints.push_back(c);
            continue;
        }
        if (!name.empty())
            Fail(902);
        break;
    }
    st->columnDefs.push_back(col);
}

SqlStatementPtr SqlParser::CreateTable(SqlStatementPtr st)
{
    st->kind = SqlStmtKind::CreateTable;
    st->target = QualifiedName(903);
    if (AcceptWord("AS")) {
        st->select = Query();
        return st;
    }
    ExpectOp("(", 906);
    do {
        if (IsWord("CONSTRAINT") || IsWord("PRIMARY") || IsWord("UNIQUE") || IsWord("FOREIGN") || IsWord("CHECK")) {
            std::string name;
            if (AcceptWord("CONSTRAINT"))
                name = Identifier();
            st->constraints.push_back(ConstraintDef(name, std::string()));
        } else {
            ColumnDef(st.get());
        }
    } while (AcceptOp(","));
    ExpectOp(")", 907);
    // Storage clauses mean nothing here.
    while (Peek().kind == TokKind::Ident || Peek().kind == TokKind::Number || IsOp("(") || IsOp(")")) {
        if (IsWord("AS")) {
            Next();
            st->select = Query();
            break;
        }
        Next();
    }
    return st;
}

SqlStatementPtr SqlParser::CreateSequence(SqlStatementPtr st)
{
    st->kind = SqlStmtKind::CreateSequence;
    st->target = QualifiedName(903);
    for (;;) {
        if (AcceptWord("INCREMENT")) {
            ExpectWord("BY", 905);
            st->seqIncrement = SignedInteger();
        } else if (AcceptWord("START")) {
            ExpectWord("WITH", 905);
            st->seqStart = SignedInteger();
            st->seqHasStart = true;
        } else if (AcceptWord("MINVALUE")) {
            st->seqMin = SignedInteger();
            st->seqHasMin = true;
        } else if (AcceptWord("MAXVALUE")) {
            st->seqMax = SignedInteger();
            st->seqHasMax = true;
        } else if (AcceptWord("CACHE")) {
            st->seqCache = SignedInteger();
        } else if (AcceptWord("CYCLE")) {
            st->seqCycle = true;
        } else if (AcceptWord("ORDER")) {
            st->seqOrder = true;
        } else if (AcceptWord("NOCACHE")) {
            st->seqCache = 0;
        } else if (AcceptWord("NOCYCLE") || AcceptWord("NOORDER") || AcceptWord("NOMINVALUE") ||
                   AcceptWord("NOMAXVALUE")) {
        } else {
            break;
        }
    }
    return st;
}

std::vector<SqlArgumentDef> SqlParser::ArgumentList()
{
    std::vector<SqlArgumentDef> args;
    if (!AcceptOp("("))
        return args;
    do {
        SqlArgumentDef a;
        a.name = Identifier();
        if (AcceptWord("IN")) {
            a.mode = AcceptWord("OUT") ? "IN/OUT" : "IN";
        } else if (AcceptWord("OUT")) {
            a.mode = "OUT";
        }
        AcceptWord("NOCOPY");
        std::vector<std::string> type = QualifiedName(902);
        a.type = type.back();
        if (AcceptOp("%")) {
            a.type = type.size() >= 2 ? "%" + Next().text : "%";
            a.type = "VARCHAR2"; // anchored types: resolved loosely
        }
        if (a.type == "INTEGER" || a.type == "BINARY_INTEGER" || a.type == "PLS_INTEGER" || a.type == "NATURAL")
            a.type = a.type == "INTEGER" ? "NUMBER" : "BINARY_INTEGER";
        if (AcceptWord("DEFAULT") || AcceptOp(":=")) {
            a.hasDefault = true;
            Expr();
        }
        args.push_back(a);
    } while (AcceptOp(","));
    ExpectOp(")", 907);
    return args;
}

SqlSubprogramDef SqlParser::SubprogramHeader(bool isFunction)
{
    SqlSubprogramDef def;
    def.isFunction = isFunction;
    def.name = QualifiedName(903).back();
    def.args = ArgumentList();
    if (isFunction) {
        ExpectWord("RETURN", 905);
        std::vector<std::string> type = QualifiedName(902);
        def.returnType = type.back();
        if (AcceptOp("%")) {
            Next();
            def.returnType = "VARCHAR2";
        }
    }
    return def;
}

SqlStatementPtr SqlParser::CreateStoredUnit(SqlStatementPtr st)
{
    // The stored source starts at the unit's keyword, as USER_SOURCE shows it.
    const int sourceStart = Peek().pos;
    const std::string what = Next().text; // PROCEDURE FUNCTION PACKAGE
    if (what == "PACKAGE") {
        const bool body = AcceptWord("BODY");
        st->kind = body ? SqlStmtKind::CreatePackageBody : SqlStmtKind::CreatePackage;
        st->target = QualifiedName(903);
        if (!AcceptWord("IS") && !AcceptWord("AS"))
            Fail(905);
        if (!body) {
            // Members the package declares; other declarations are skipped.
            while (Peek().kind != TokKind::End && !IsWord("END")) {
                if (IsWord("PROCEDURE") || IsWord("FUNCTION")) {
                    const bool isFunction = Next().text == "FUNCTION";
                    st->subprograms.push_back(SubprogramHeader(isFunction));
                }
                while (Peek().kind != TokKind::End && !IsOp(";"))
                    Next();
                AcceptOp(";");
            }
        }
        st->body = m_sql.substr(static_cast<size_t>(sourceStart));
        m_at = m_tokens.size() - 1;
        return st;
    }
    const bool isFunction = what == "FUNCTION";
    st->kind = isFunction ? SqlStmtKind::CreateFunction : SqlStmtKind::CreateProcedure;
    const std::vector<std::string> name = QualifiedName(903);
    st->target = name;
    SqlSubprogramDef def;
    def.isFunction = isFunction;
    def.name = name.back();
    def.args = ArgumentList();
    if (isFunction) {
        ExpectWord("RETURN", 905);
        def.returnType = QualifiedName(902).back();
        if (AcceptOp("%")) {
            Next();
            def.returnType = "VARCHAR2";
        }
    }
    st->subprograms.push_back(def);
    if (!AcceptWord("IS") && !AcceptWord("AS"))
        Fail(905);
    st->body = m_sql.substr(static_cast<size_t>(sourceStart));
    m_at = m_tokens.size() - 1;
    return st;
}

SqlStatementPtr SqlParser::CreateTrigger(SqlStatementPtr st)
{
    st->kind = SqlStmtKind::CreateTrigger;
    st->target = QualifiedName(903);
    if (AcceptWord("BEFORE"))
        st->triggerTiming = "BEFORE";
    else if (AcceptWord("AFTER"))
        st->triggerTiming = "AFTER";
    else if (AcceptWord("INSTEAD")) {
        ExpectWord("OF", 905);
        st->triggerTiming = "INSTEAD OF";
    } else
        Fail(969);
    do {
        if (!IsWord("INSERT") && !IsWord("UPDATE") && !IsWord("DELETE"))
            Fail(969);
        const std::string ev = Next().text;
        st->triggerEvents += (st->triggerEvents.empty() ? "" : " OR ") + ev;
        if (ev == "UPDATE" && AcceptWord("OF"))
            st->triggerColumns = NameList();
    } while (AcceptWord("OR"));
    ExpectWord("ON", 969);
    st->indexTable = QualifiedName(903);
    if (AcceptWord("REFERENCING")) {
        while (IsWord("OLD") || IsWord("NEW")) {
            Next();
            AcceptWord("AS");
            Identifier();
        }
    }
    if (AcceptWord("FOR")) {
        ExpectWord("EACH", 905);
        ExpectWord("ROW", 905);
        st->triggerEachRow = true;
    }
    if (AcceptWord("WHEN")) {
        ExpectOp("(", 906);
        const int pos = Peek().pos;
        SqlExprPtr cond = Expr();
        st->triggerWhen = SourceText(pos, cond->end);
        ExpectOp(")", 907);
    }
    st->body = m_sql.substr(static_cast<size_t>(Peek().pos));
    m_at = m_tokens.size() - 1;
    return st;
}

SqlStatementPtr SqlParser::CreateType(SqlStatementPtr st)
{
    const int sourceStart = Peek(-1).pos; // TYPE
    const bool body = AcceptWord("BODY");
    st->kind = SqlStmtKind::CreateType;
    st->target = QualifiedName(903);
    st->typeKind = body ? "BODY" : "OBJECT";
    if (!AcceptWord("AS") && !AcceptWord("IS"))
        Fail(905);
    if (!body) {
        if (AcceptWord("TABLE")) {
            ExpectWord("OF", 905);
            st->typeKind = "TABLE";
            st->typeElement = QualifiedName(902).back();
        } else if (AcceptWord("VARRAY") || AcceptWord("VARYING")) {
            AcceptWord("ARRAY");
            ExpectOp("(", 906);
            st->typeBound = SignedInteger();
            ExpectOp(")", 907);
            ExpectWord("OF", 905);
            st->typeKind = "VARYING ARRAY";
            st->typeElement = QualifiedName(902).back();
        }
    }
    st->body = m_sql.substr(static_cast<size_t>(sourceStart));
    m_at = m_tokens.size() - 1;
    return st;
}

SqlStatementPtr SqlParser::Create()
{
    Next(); // CREATE
    auto st = std::make_shared<SqlStatement>();
    if (AcceptWord("OR")) {
        ExpectWord("REPLACE", 922);
        st->orReplace = true;
    }
    if (IsWord("PUBLIC") && IsWord("SYNONYM", 1)) {
        Next();
        st->isPublic = true;
    }
    if (AcceptWord("UNIQUE"))
        st->unique = true;
    if (IsWord("FORCE") || IsWord("NOFORCE"))
        Next();
    if (AcceptWord("TABLE"))
        return CreateTable(st);
    if (AcceptWord("VIEW")) {
        st->kind = SqlStmtKind::CreateView;
        st->target = QualifiedName(903);
        if (AcceptOp("(")) {
            st->columns = NameList();
            ExpectOp(")", 907);
        }
        ExpectWord("AS", 905);
        st->select = Query();
        if (AcceptWord("WITH")) {
            if (AcceptWord("READ"))
                ExpectWord("ONLY", 905);
            else {
                ExpectWord("CHECK", 905);
                ExpectWord("OPTION", 905);
            }
        }
        return st;
    }
    if (AcceptWord("INDEX")) {
        st->kind = SqlStmtKind::CreateIndex;
        st->target = QualifiedName(903);
        ExpectWord("ON", 969);
        st->indexTable = QualifiedName(903);
        ExpectOp("(", 906);
        do {
            st->columns.push_back(Identifier());
            AcceptWord("ASC");
            AcceptWord("DESC");
        } while (AcceptOp(","));
        ExpectOp(")", 907);
        while (Peek().kind == TokKind::Ident || Peek().kind == TokKind::Number)
            Next();
        return st;
    }
    if (AcceptWord("SEQUENCE"))
        return CreateSequence(st);
    if (AcceptWord("SYNONYM")) {
        st->kind = SqlStmtKind::CreateSynonym;
        st->target = QualifiedName(903);
        ExpectWord("FOR", 905);
        st->forObject = QualifiedName(903);
        return st;
    }
    if (AcceptWord("USER")) {
        st->kind = SqlStmtKind::CreateUser;
        st->target = {Identifier()};
        ExpectWord("IDENTIFIED", 924);
        ExpectWord("BY", 924);
        st->password = Identifier(988);
        while (Peek().kind == TokKind::Ident || Peek().kind == TokKind::Number) {
            if (AcceptWord("ACCOUNT")) {
                st->accountLock = Next().text;
                continue;
            }
            Next();
        }
        return st;
    }
    if (AcceptWord("ROLE")) {
        st->kind = SqlStmtKind::CreateRole;
        st->target = {Identifier()};
        if (AcceptWord("NOT"))
            ExpectWord("IDENTIFIED", 905);
        return st;
    }
    if (AcceptWord("TRIGGER"))
        return CreateTrigger(st);
    if (IsWord("PROCEDURE") || IsWord("FUNCTION") || IsWord("PACKAGE"))
        return CreateStoredUnit(st);
    if (AcceptWord("TYPE"))
        return CreateType(st);
    Fail(901);
}

SqlStatementPtr SqlParser::Drop()
{
    Next();
    auto st = std::make_shared<SqlStatement>();
    st->kind = SqlStmtKind::Drop;
    if (AcceptWord("PUBLIC"))
        st->isPublic = true;
    if (Peek().kind != TokKind::Ident)
        Fail(950);
    std::string type = Next().text;
    if ((type == "PACKAGE" || type == "TYPE") && AcceptWord("BODY"))
        type += " BODY";
    static const char* const kTypes[] = {"TABLE", "VIEW", "INDEX", "SEQUENCE", "SYNONYM", "USER", "ROLE",
                                         "TRIGGER", "PROCEDURE", "FUNCTION", "PACKAGE", "PACKAGE BODY",
                                         "TYPE", "TYPE BODY"};
    bool known = false;
    for (const char* t : kTypes)
        known = known || type == t;
    if (!known)
        FailAt(950, Peek(-1).pos);
    st->objectType = type;
    st->target = QualifiedName(903);
    if (AcceptWord("CASCADE")) {
        st->cascade = true;
        AcceptWord("CONSTRAINTS");
    }
    return st;
}

SqlStatementPtr SqlParser::Alter()
{
    Next();
    auto st = std::make_shared<SqlStatement>();
    if (AcceptWord("SESSION")) {
        st->kind = SqlStmtKind::AlterSession;
        ExpectWord("SET", 922);
        st->setting = Identifier(922);
        ExpectOp("=", 922);
        const SqlToken& v = Peek();
        if (v.kind == TokKind::End)
            Fail(922);
        st->settingValue = Next().text;
        return st;
    }
    if (AcceptWord("SYSTEM")) {
        st->kind = SqlStmtKind::AlterSystem;
        st->setting = AcceptWord("SET") ? std::string("SET") : Identifier(2065);
        if (st->setting == "KILL") {
            ExpectWord("SESSION", 905);
            if (Peek().kind != TokKind::String)
                Fail(26);
            st->settingValue = Next().text;
            AcceptWord("IMMEDIATE");
        } else if (st->setting == "SET" && (IsWord("JOB_QUEUE_PROCESSES") || IsWord("JOB_QUEUE_INTERVAL"))) {
            st->setting = Next().text;
            ExpectOp("=", 922);
            if (Peek().kind != TokKind::Number)
                Fail(2017);
            st->settingValue = Next().text;
            while (Peek().kind != TokKind::End)
                Next(); // SCOPE = ...
        } else if (st->setting == "SET") {
            // Any other initialisation parameter: the executor knows which exist.
            st->setting = "SET";
            st->target = {Identifier(2065)};
            ExpectOp("=", 922);
            const SqlToken& v = Peek();
            if (v.kind == TokKind::End)
                Fail(922);
            st->settingValue = Next().text;
            while (Peek().kind != TokKind::End)
                Next(); // SCOPE = ...
        } else {
            while (Peek().kind != TokKind::End)
                Next();
        }
        return st;
    }
    if (AcceptWord("USER")) {
        st->kind = SqlStmtKind::AlterUser;
        st->target = {Identifier()};
        while (Peek().kind != TokKind::End) {
            if (AcceptWord("IDENTIFIED")) {
                ExpectWord("BY", 905);
                st->password = Identifier(988);
            } else if (AcceptWord("ACCOUNT")) {
                st->accountLock = Next().text;
            } else {
                Next();
            }
        }
        return st;
    }
    if (AcceptWord("TABLE")) {
        st->kind = SqlStmtKind::AlterTable;
        st->target = QualifiedName(903);
        if (AcceptWord("ADD")) {
            if (IsWord("CONSTRAINT") || IsWord("PRIMARY") || IsWord("UNIQUE") || IsWord("FOREIGN") || IsWord("CHECK")) {
                std::string name;
                if (AcceptWord("CONSTRAINT"))
                    name = Identifier();
                st->constraints.push_back(ConstraintDef(name, std::string()));
                st->alterAction = "ADD CONSTRAINT";
            } else {
                const bool paren = AcceptOp("(");
                do {
                    ColumnDef(st.get());
                } while (paren && AcceptOp(","));
                if (paren)
                    ExpectOp(")", 907);
                st->alterAction = "ADD";
            }
            return st;
        }
        if (AcceptWord("DROP")) {
            ExpectWord("CONSTRAINT", 905);
            st->alterAction = "DROP CONSTRAINT";
            st->setting = Identifier();
            return st;
        }
        Fail(905);
    }
    if (IsWord("TRIGGER") || IsWord("PROCEDURE") || IsWord("FUNCTION") || IsWord("PACKAGE") || IsWord("VIEW")) {
        // ALTER ... COMPILE / ENABLE / DISABLE: accepted and without effect.
        st->kind = SqlStmtKind::AlterSystem;
        st->setting = "NOOP";
        while (Peek().kind != TokKind::End)
            Next();
        return st;
    }
    Fail(940);
}

SqlStatementPtr SqlParser::GrantRevoke(bool grant)
{
    Next();
    auto st = std::make_shared<SqlStatement>();
    st->kind = grant ? SqlStmtKind::Grant : SqlStmtKind::Revoke;
    do {
        std::string priv;
        while (Peek().kind == TokKind::Ident && !IsWord("ON") && !IsWord("TO") && !IsWord("FROM")) {
            priv += (priv.empty() ? "" : " ") + Next().text;
        }
        if (priv.empty())
            Fail(990);
        if (priv == "ALL PRIVILEGES")
            priv = "ALL";
        st->privileges.push_back(priv);
    } while (AcceptOp(","));
    if (AcceptWord("ON")) {
        st->onObject = true;
        st->target = QualifiedName(903);
    }
    if (!AcceptWord(grant ? "TO" : "FROM"))
        Fail(grant ? 946 : 987);
    do {
        st->grantees.push_back(IsWord("PUBLIC") ? Next().text : Identifier(987));
    } while (AcceptOp(","));
    if (grant && AcceptWord("WITH")) {
        if (!AcceptWord("ADMIN"))
            ExpectWord("GRANT", 905);
        ExpectWord("OPTION", 905);
        st->withOption = true;
    }
    return st;
}

} // namespace VkOracle
