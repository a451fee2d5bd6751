// The interpreter's expressions and embedded SQL: the text goes to the SQL
// engine with variables replaced by binds.
#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/functions/OraNumber.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/PlsqlInterpreter.h"

#include <algorithm>
#include <set>

namespace VkOracle {
namespace {

OraValue TextValue(const std::string& s)
{
    OraValue v;
    if (!s.empty()) {
        v.kind = OraValue::Kind::Text;
        v.text = s;
    }
    return v;
}

// 'X' out of `ORA-00904: "X": invalid identifier`, 'R.X' out of `"R"."X"`.
std::string InvalidIdentifier(const std::string& message)
{
    const size_t open = message.find('"');
    const size_t end = message.find("\": invalid identifier");
    if (open == std::string::npos || end == std::string::npos || end <= open)
        return std::string();
    std::string name;
    for (char c : message.substr(open + 1, end - open - 1))
        if (c != '"')
            name += c;
    return name;
}

} // namespace

std::string PlsqlInterpreter::Rewrite(PlsqlSpan span, PlsqlScope* scope, std::vector<OraValue>* binds, PlsqlSpan skip,
                                      std::vector<std::pair<size_t, size_t>>* where, RewriteSources* sources)
{
    const PlsqlUnit& u = *m_frames.back().unit;
    const std::vector<SqlToken>& t = u.tokens;
    std::string out;
    std::map<const PlsqlVar*, std::string> named;
    auto bind = [&](const OraValue& v, PlsqlVar* from = nullptr) {
        binds->push_back(v);
        if (sources)
            sources->vars.push_back(from);
        return ":B" + std::to_string(binds->size());
    };
    // Text that holds a value of the moment cannot be used again.
    auto momentary = [&] {
        if (sources)
            sources->stable = false;
    };
    auto isOp = [&](size_t i, const char* op) { return i < t.size() && t[i].kind == TokKind::Op && t[i].text == op; };
    // In SQL a column of a table the statement names wins over a variable,
    // except inside VALUES (...), where no column is in scope.
    std::set<std::string> columns = SqlColumnsInScope(span);
    int prevEnd = -1;
    int valuesDepth = -1, depth = 0;
    std::set<std::string> noColumns;
    for (size_t i = span.begin; i < span.end; ++i) {
        if (t[i].kind == TokKind::Op && t[i].text == "(")
            ++depth;
        if (t[i].kind == TokKind::Op && t[i].text == ")" && --depth == valuesDepth)
            valuesDepth = -1;
        if (t[i].kind == TokKind::Ident && t[i].text == "VALUES")
            valuesDepth = depth;
        const std::set<std::string>& inScope = valuesDepth >= 0 ? noColumns : columns;
        if (!skip.Empty() && i >= skip.begin && i < skip.end) {
            prevEnd = t[i].end;
            continue;
        }
        if (prevEnd >= 0 && t[i].pos > prevEnd)
            out += u.source.substr(static_cast<size_t>(prevEnd), static_cast<size_t>(t[i].pos - prevEnd));
        else if (prevEnd >= 0)
            out += " ";
        prevEnd = t[i].end;
        if (where)
            where->emplace_back(out.size(), i);
        const std::string raw = u.source.substr(static_cast<size_t>(t[i].pos), static_cast<size_t>(t[i].end - t[i].pos));
        const bool qualified = i > span.begin && isOp(i - 1, ".");
        if (t[i].kind == TokKind::Bind) {
            PlsqlVar* v = scope->Find(":" + t[i].text);
            if (!v)
                CompileFail(i, "PLS-00049: bad bind variable '" + t[i].text + "'");
            auto it = named.find(v);
            const std::string b = it != named.end() ? it->second : (named[v] = bind(v->value, v));
            out += v->base == 'B' ? "(" + b + " = 1)" : b;
            continue;
        }
        if (t[i].kind == TokKind::Ident && !qualified) {
            // A table's element or method: t(i), t.COUNT, t.EXISTS(i) ...
            OraValue value;
            int truth = -1;
            size_t last = i;
            if (CollectionTerm(span, i, scope, &value, &truth, &last)) {
                momentary();
                out += truth == 1 ? "(1=1)" : truth == 0 ? "(1=0)" : bind(value);
                prevEnd = t[last].end;
                i = last;
                continue;
            }
        }
        if (t[i].kind == TokKind::Ident && !qualified && isOp(i + 1, ".") && i + 2 < span.end &&
            t[i + 2].kind == TokKind::Ident) {
            // A record's field: r.field
            if (PlsqlVar* f = scope->Find(t[i].text + "." + t[i + 2].text); f && scope->Find(t[i].text)->record) {
                auto it = named.find(f);
                out += it != named.end() ? it->second : (named[f] = bind(f->value, f));
                prevEnd = t[i + 2].end;
                i += 2;
                continue;
            }
        }
        if (t[i].kind == TokKind::Ident && !qualified && isOp(i + 1, ".") && i + 2 < span.end &&
            t[i + 2].kind == TokKind::Ident && !scope->Find(t[i].text) && !isOp(i + 3, "(") && !isOp(i + 3, ".") &&
            !inScope.count(t[i + 2].text)) {
            // A package's variable: pkg.var
            if (PlsqlVar* v = PackageVariable({t[i].text, t[i + 2].text})) {
                momentary(); // the package's state may be made afresh
                out += bind(v->value);
                prevEnd = t[i + 2].end;
                i += 2;
                continue;
            }
        }
        if (t[i].kind == TokKind::Ident && !qualified && isOp(i + 1, "%") && i + 2 < span.end) {
            // A cursor's attribute: c%FOUND
            if (PlsqlVar* c = scope->Find(t[i].text); c && c->cursor) {
                const std::string& attr = t[i + 2].text;
                if (attr != "FOUND" && attr != "NOTFOUND" && attr != "ROWCOUNT" && attr != "ISOPEN")
                    CompileFail(i, "PLS-00208: identifier '" + attr + "' is not a legal cursor attribute");
                const OraValue v = Checking() ? OraValue{} : CursorAttribute(*c->cursor, attr);
                momentary();
                if (attr == "ROWCOUNT")
                    out += bind(v);
                else
                    out += v.kind == OraValue::Kind::Null ? "(NULL=1)" : v.number.i ? "(1=1)" : "(1=0)";
                prevEnd = t[i + 2].end;
                i += 2;
                continue;
            }
        }
        if (t[i].kind != TokKind::Ident || qualified || isOp(i + 1, ".") || isOp(i + 1, "=>")) {
            out += raw;
            continue;
        }
        const std::string& w = t[i].text;
        if (w == "SQL" && isOp(i + 1, "%") && i + 2 < span.end) {
            const std::string attr = t[i + 2].text;
            const bool any = m_rowCount >= 0;
            momentary();
            if (attr == "ROWCOUNT")
                out += any ? bind(PlsqlOps::Integer(m_rowCount)) : "NULL";
            else if (attr == "FOUND")
                out += any ? (m_rowCount > 0 ? "(1=1)" : "(1=0)") : "(NULL=1)";
            else if (attr == "NOTFOUND")
                out += any ? (m_rowCount > 0 ? "(1=0)" : "(1=1)") : "(NULL=1)";
            else if (attr == "ISOPEN")
                out += "(1=0)";
            else
                CompileFail(i, "PLS-00207: identifier '" + attr + "', applied to implicit cursor SQL, is not a legal cursor attribute");
            prevEnd = t[i + 2].end;
            i += 2;
            continue;
        }
        if (w == "TRUE" || w == "FALSE") {
            out += w == "TRUE" ? "(1=1)" : "(1=0)";
            continue;
        }
        if (PlsqlVar* v = scope->Find(w); v && !v->exception && !isOp(i + 1, "(") && !inScope.count(w)) {
            auto it = named.find(v);
            const std::string b = it != named.end() ? it->second : (named[v] = bind(v->value, v));
            out += v->base == 'B' ? "(" + b + " = 1)" : b;
            continue;
        }
        if (w == "SQLCODE") {
            momentary();
            out += bind(PlsqlOps::Integer(SqlCode()));
            continue;
        }
        if (w == "SQLERRM" && !isOp(i + 1, "(")) {
            std::string text = m_inHandler ? m_current.message.substr(0, m_current.message.find('\n'))
                                           : "ORA-0000: normal, successful completion";
            if (m_inHandler && !m_current.userName.empty())
                text = "User-Defined Exception";
            momentary();
            out += bind(TextValue(text));
            continue;
        }
        out += raw;
    }
    return out;
}

std::set<std::string> PlsqlInterpreter::SqlColumnsInScope(PlsqlSpan span) const
{
    std::set<std::string> columns;
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    auto word = [&](size_t i) { return i < span.end && t[i].kind == TokKind::Ident ? t[i].text : std::string(); };
    const std::string first = word(span.begin);
    if (first != "SELECT" && first != "INSERT" && first != "UPDATE" && first != "DELETE")
        return columns;
    OraCatalog& catalog = m_core->Catalog();
    for (size_t i = span.begin; i + 1 < span.end; ++i) {
        const std::string w = word(i);
        if (w != "FROM" && w != "INTO" && w != "UPDATE" && w != "JOIN")
            continue;
        std::vector<std::string> name{word(i + 1)};
        if (name[0].empty())
            continue;
        if (i + 3 < span.end && t[i + 2].kind == TokKind::Op && t[i + 2].text == "." && !word(i + 3).empty())
            name.push_back(word(i + 3));
        OraObjectRef ref = catalog.Resolve(name);
        if (!ref.found)
            continue;
        for (const OraColumnInfo& c : catalog.Columns(ref.owner, ref.name))
            columns.insert(c.name);
    }
    return columns;
}

std::unique_ptr<OraStatement> PlsqlInterpreter::TakeStatement(const std::string& sql, OraResult* result)
{
    *result = OraResult{};
    auto it = m_statements.find(sql);
    if (it != m_statements.end()) {
        std::unique_ptr<OraStatement> st = std::move(it->second);
        m_statements.erase(it);
        return st;
    }
    std::unique_ptr<OraStatement> st;
    *result = ParseOnCore(m_core, sql, &st);
    return st;
}

void PlsqlInterpreter::KeepStatement(const std::string& sql, std::unique_ptr<OraStatement> statement)
{
    // A statement is kept only with its cursor closed, so that no read stays open.
    constexpr size_t kMaxKept = 64;
    if (statement && !Checking() && m_statements.size() < kMaxKept)
        m_statements.emplace(sql, std::move(statement));
}

OraValue PlsqlInterpreter::RunQueryValue(const std::string& sql, const std::vector<OraValue>& binds, size_t token)
{
    const bool checking = m_frames.back().checking;
    OraResult r;
    std::unique_ptr<OraStatement> st = TakeStatement(sql, &r);
    if (!r.Ok()) {
        if (r.code == 904)
        {
            const std::string name = InvalidIdentifier(r.message);
            CompileFailAt(TokenNamed(token, name.substr(0, name.find('.'))), token, "PLS-00201: identifier '" + name + "' must be declared");
        }
        if (checking || r.code == 6550)
            CompileFail(token, "PLS-00103: " + r.message.substr(0, r.message.find('\n')));
        RaiseResult(r);
    }
    if (checking)
        return OraValue{};
    for (size_t i = 0; i < binds.size(); ++i)
        st->Bind("B" + std::to_string(i + 1), binds[i]);
    uint64_t rows = 0;
    r = st->Execute(&rows);
    std::vector<OraValue> row, rest;
    if (r.Ok())
        r = st->Fetch(&row);
    if (!r.Ok())
        RaiseResult(r);
    if (st->Fetch(&rest).code == 1403)
        KeepStatement(sql, std::move(st));
    return row.empty() ? OraValue{} : row[0];
}

const PlsqlCompiledExpr& PlsqlInterpreter::Compiled(PlsqlSpan span, PlsqlScope* scope)
{
    const PlsqlUnit& u = *m_frames.back().unit;
    const uint64_t key = (static_cast<uint64_t>(span.begin) << 32) | static_cast<uint64_t>(span.end);
    auto it = u.compiled.find(key);
    if (it != u.compiled.end())
        return *it->second;
    auto c = std::make_shared<PlsqlCompiledExpr>();
    std::vector<std::string> name;
    auto call = std::make_shared<PlsqlStmt>();
    if (IsFunctionCall(span, scope, &name, call.get())) {
        c->way = PlsqlCompiledExpr::Way::StoredCall;
        c->callName = std::move(name);
        c->call = std::move(call);
    } else if ((c->node = CompilePlsqlExpr(
                    u, span, scope,
                    PlsqlNameLookup{[this](const std::vector<std::string>& n) { return IsStoredFunction(n); },
                                    [this](const std::vector<std::string>& n) { return PackageVariable(n) != nullptr; }}))) {
        c->way = PlsqlCompiledExpr::Way::Native;
    }
    return *u.compiled.emplace(key, std::move(c)).first->second;
}

OraValue PlsqlInterpreter::DateAsText(const OraValue& v)
{
    if (v.kind != OraValue::Kind::Date)
        return v;
    return SessionFunction("TO_CHAR", {v});
}

OraValue PlsqlInterpreter::SessionFunction(const std::string& name, const std::vector<OraValue>& args)
{
    sqlite3* db = m_core->Db();
    if (name == "SYSDATE") {
        OraValue v;
        v.kind = OraValue::Kind::Date;
        v.date = OracleSysdate(db);
        return v;
    }
    for (const OraValue& a : args)
        if (a.kind == OraValue::Kind::Null)
            return OraValue{};
    const std::string fmt = args.size() > 1 ? (args[1].kind == OraValue::Kind::Text ? args[1].text : std::string("?"))
                                            : SessionDateFormat(db);
    if (args.size() > 1 && args[1].kind != OraValue::Kind::Text)
        throw PlsqlNeedsSql{};
    const OraValue& x = args[0];
    int error = 0;
    if (name == "TO_DATE") {
        if (x.kind == OraValue::Kind::Date && args.size() == 1)
            return x;
        if (x.kind != OraValue::Kind::Text)
            throw PlsqlNeedsSql{};
        OraValue v;
        v.kind = OraValue::Kind::Date;
        if (!ParseOracleDate(x.text, fmt, OracleSysdate(db), &v.date, &error))
            Raise(error, FormatOraError(error));
        return v;
    }
    if (x.kind == OraValue::Kind::Date) {
        std::string text;
        if (!FormatOracleDate(x.date, fmt, &text, &error))
            Raise(error, FormatOraError(error));
        return TextValue(text);
    }
    if (x.kind == OraValue::Kind::Number) {
        if (args.size() == 1)
            return TextValue(FormatOracleNumber(x.number));
        std::string text;
        if (const int rc = FormatOracleNumberModel(x.number, fmt, &text))
            Raise(rc, FormatOraError(rc));
        return TextValue(text);
    }
    if (args.size() == 1)
        return x;
    throw PlsqlNeedsSql{}; // text with a format converts to a number first, as SQL does
}

int PlsqlInterpreter::SqlCode() const
{
    if (!m_inHandler)
        return 0;
    if (m_current.code == 6510)
        return 1; // a user-defined exception
    return m_current.code == 1403 ? 100 : -m_current.code;
}

OraValue PlsqlInterpreter::EvalNode(const PlsqlExprNode& n, PlsqlScope* scope)
{
    using Op = PlsqlExprNode::Op;
    switch (n.op) {
    case Op::Const:
        return n.constant;
    case Op::Var: {
        if (n.package) {
            PlsqlVar* v = PackageVariable(n.qualified);
            if (!v)
                throw PlsqlNeedsSql{};
            n.var = v;
            return v->value;
        }
        if (n.scopeSerial != scope->serial || !n.var) {
            PlsqlVar* v = scope->Find(n.name);
            if (!v)
                throw PlsqlNeedsSql{};
            n.var = v;
            n.scopeSerial = scope->serial;
        }
        return n.var->value;
    }
    case Op::SqlCode:
        return PlsqlOps::Integer(SqlCode());
    case Op::SqlErrm:
        if (!m_inHandler)
            return TextValue("ORA-0000: normal, successful completion");
        if (!m_current.userName.empty())
            return TextValue("User-Defined Exception");
        return TextValue(m_current.message.substr(0, m_current.message.find('\n')));
    case Op::SqlAttr:
        if (n.name == "ISOPEN")
            return PlsqlOps::Boolean(0);
        if (m_rowCount < 0)
            return OraValue{};
        if (n.name == "ROWCOUNT")
            return PlsqlOps::Integer(m_rowCount);
        return PlsqlOps::Boolean((m_rowCount > 0) == (n.name == "FOUND") ? 1 : 0);
    case Op::Neg: {
        const OraValue v = EvalNode(*n.kids[0], scope);
        return PlsqlOps::Arithmetic(Op::Sub, PlsqlOps::Integer(0), v);
    }
    case Op::Add:
    case Op::Sub:
    case Op::Mul:
    case Op::Div: {
        const OraValue a = EvalNode(*n.kids[0], scope);
        return PlsqlOps::Arithmetic(n.op, a, EvalNode(*n.kids[1], scope));
    }
    case Op::Concat: {
        const OraValue a = DateAsText(EvalNode(*n.kids[0], scope));
        return PlsqlOps::Concat(a, DateAsText(EvalNode(*n.kids[1], scope)));
    }
    case Op::StoredFunc:
        return Call(n.qualified, *n.call, scope, true);
    case Op::CursorAttr: {
        PlsqlVar* c = scope->Find(n.qualified[0]);
        if (!c || !c->cursor)
            throw PlsqlNeedsSql{};
        return CursorAttribute(*c->cursor, n.name);
    }
    case Op::Func: {
        std::vector<OraValue> args;
        args.reserve(n.kids.size());
        for (const PlsqlExprPtr& k : n.kids)
            args.push_back(EvalNode(*k, scope));
        if (n.name == "TO_CHAR" || n.name == "TO_DATE" || n.name == "SYSDATE")
            return SessionFunction(n.name, args);
        return PlsqlOps::CallFunction(n.name, args);
    }
    default:
        return PlsqlOps::Boolean(EvalNodeCondition(n, scope));
    }
}

int PlsqlInterpreter::EvalNodeCondition(const PlsqlExprNode& n, PlsqlScope* scope)
{
    using Op = PlsqlExprNode::Op;
    auto flip = [&](int c) { return c < 0 || !n.negated ? c : 1 - c; };
    switch (n.op) {
    case Op::And: {
        const int a = EvalNodeCondition(*n.kids[0], scope);
        if (a == 0)
            return 0;
        const int b = EvalNodeCondition(*n.kids[1], scope);
        return b == 0 ? 0 : (a == 1 && b == 1) ? 1 : -1;
    }
    case Op::Or: {
        const int a = EvalNodeCondition(*n.kids[0], scope);
        if (a == 1)
            return 1;
        const int b = EvalNodeCondition(*n.kids[1], scope);
        return b == 1 ? 1 : (a == 0 && b == 0) ? 0 : -1;
    }
    case Op::Not: {
        const int a = EvalNodeCondition(*n.kids[0], scope);
        return a < 0 ? -1 : 1 - a;
    }
    case Op::Cmp: {
        const OraValue a = EvalNode(*n.kids[0], scope);
        const int c = PlsqlOps::Compare(a, EvalNode(*n.kids[1], scope));
        if (c == 2)
            return -1;
        switch (n.cmp) {
        case 0: return c == 0;
        case 1: return c != 0;
        case 2: return c < 0;
        case 3: return c <= 0;
        case 4: return c > 0;
        default: return c >= 0;
        }
    }
    case Op::IsNull:
        return flip(EvalNode(*n.kids[0], scope).kind == OraValue::Kind::Null ? 1 : 0);
    case Op::Between: {
        const OraValue v = EvalNode(*n.kids[0], scope);
        const int lo = PlsqlOps::Compare(v, EvalNode(*n.kids[1], scope));
        const int hi = PlsqlOps::Compare(v, EvalNode(*n.kids[2], scope));
        const int a = lo == 2 ? -1 : lo >= 0, b = hi == 2 ? -1 : hi <= 0;
        return flip(a == 0 || b == 0 ? 0 : (a == 1 && b == 1) ? 1 : -1);
    }
    case Op::In: {
        const OraValue v = EvalNode(*n.kids[0], scope);
        bool unknown = false;
        for (size_t k = 1; k < n.kids.size(); ++k) {
            const int c = PlsqlOps::Compare(v, EvalNode(*n.kids[k], scope));
            if (c == 0)
                return flip(1);
            unknown = unknown || c == 2;
        }
        return flip(unknown ? -1 : 0);
    }
    case Op::Var:
        EvalNode(n, scope);
        if (n.var->base != 'B')
            throw PlsqlNeedsSql{};
        return PlsqlOps::Truth(n.var->value);
    default:
        if (!n.boolean)
            throw PlsqlNeedsSql{};
        return PlsqlOps::Truth(EvalNode(n, scope));
    case Op::CursorAttr:
        if (n.name == "ROWCOUNT")
            throw PlsqlNeedsSql{};
        return PlsqlOps::Truth(EvalNode(n, scope));
    }
}

OraValue PlsqlInterpreter::EvalValue(PlsqlSpan span, PlsqlScope* scope, char wanted)
{
    const size_t token = m_frames.back().token;
    if (wanted == 'B') {
        const int c = EvalCondition(span, scope);
        return c < 0 ? OraValue{} : PlsqlOps::Integer(c);
    }
    const PlsqlCompiledExpr& c = Compiled(span, scope);
    if (c.way == PlsqlCompiledExpr::Way::StoredCall)
        return Call(c.callName, *c.call, scope, true);
    if (c.way == PlsqlCompiledExpr::Way::Native && !Checking()) {
        try {
            return EvalNode(*c.node, scope);
        } catch (const PlsqlNeedsSql&) {
        }
    }
    if (c.way == PlsqlCompiledExpr::Way::Native && Checking())
        return OraValue{};
    std::vector<OraValue> binds;
    const std::string text = Rewrite(span, scope, &binds);
    return RunQueryValue("SELECT " + text + " FROM DUAL", binds, token);
}

int PlsqlInterpreter::EvalCondition(PlsqlSpan span, PlsqlScope* scope)
{
    const PlsqlCompiledExpr& c = Compiled(span, scope);
    if (c.way == PlsqlCompiledExpr::Way::Native) {
        if (Checking())
            return -1;
        try {
            return EvalNodeCondition(*c.node, scope);
        } catch (const PlsqlNeedsSql&) {
        }
    }
    std::vector<OraValue> binds;
    const std::string text = Rewrite(span, scope, &binds);
    const OraValue v = RunQueryValue("SELECT CASE WHEN " + text + " THEN 1 WHEN NOT (" + text + ") THEN 0 END FROM DUAL",
                                     binds, m_frames.back().token);
    if (v.kind == OraValue::Kind::Null)
        return -1;
    return v.kind == OraValue::Kind::Number && (v.number.isInt ? v.number.i != 0 : v.number.d != 0) ? 1 : 0;
}

bool PlsqlInterpreter::IsFunctionCall(PlsqlSpan span, PlsqlScope* scope, std::vector<std::string>* name, PlsqlStmt* call)
{
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    size_t i = span.begin;
    if (t[i].kind != TokKind::Ident || scope->Find(t[i].text))
        return false;
    name->push_back(t[i++].text);
    while (i + 1 < span.end && t[i].kind == TokKind::Op && t[i].text == "." && t[i + 1].kind == TokKind::Ident) {
        name->push_back(t[i + 1].text);
        i += 2;
    }
    if (i < span.end) {
        if (!(t[i].kind == TokKind::Op && t[i].text == "(") || !(t[span.end - 1].kind == TokKind::Op && t[span.end - 1].text == ")"))
            return false;
        int depth = 0;
        size_t start = i + 1;
        for (size_t k = i; k < span.end; ++k) {
            if (t[k].kind != TokKind::Op)
                continue;
            if (t[k].text == "(")
                ++depth;
            else if (t[k].text == ")" && --depth == 0 && k != span.end - 1)
                return false; // "f(x) + 1": leave it to SQL
            if ((depth == 1 && t[k].text == ",") || (depth == 0 && k == span.end - 1)) {
                if (k > start) {
                    std::string argName;
                    if (k > start + 1 && t[start + 1].kind == TokKind::Op && t[start + 1].text == "=>") {
                        argName = t[start].text;
                        start += 2;
                    }
                    call->argNames.push_back(argName);
                    call->args.push_back(PlsqlSpan{start, k});
                }
                start = k + 1;
            }
        }
    }
    if (!IsStoredFunction(*name))
        return false;
    call->token = span.begin;
    return true;
}

bool PlsqlInterpreter::IsStoredFunction(const std::vector<std::string>& name)
{
    // Only the schema's stored functions; SQL's own functions stay with SQL.
    if (IsBuiltinFunction(name))
        return true;
    OraObjectRef package;
    if (name.size() == 1 && SiblingMember(name[0], true, &package))
        return true;
    OraCatalog& catalog = m_core->Catalog();
    for (size_t n = name.size(); n > 0; --n) {
        OraObjectRef ref = catalog.Resolve(std::vector<std::string>(name.begin(), name.begin() + static_cast<long>(n)));
        if (ref.found && ref.type == "FUNCTION")
            return true;
        if (ref.found && ref.type == "PACKAGE") {
            // pkg.member: a function unless the package header declares a variable of that name.
            if (n + 1 != name.size())
                return false;
            std::shared_ptr<PlsqlUnit> header = HeaderUnit(ref.owner, ref.name);
            for (const PlsqlVarDecl& d : header->block.decls)
                if (d.name == name.back())
                    return false;
            return true;
        }
    }
    return false;
}

void PlsqlInterpreter::RunSqlStatement(const PlsqlStmt& st, PlsqlScope* scope)
{
    const bool checking = m_frames.back().checking;
    std::vector<OraValue> binds;
    std::vector<std::pair<size_t, size_t>> where;
    // Within one activation of its scope the statement is rewritten and
    // parsed once: its text stays the same and only the values change.
    KeptSql* kept = nullptr;
    if (!checking) {
        const uint64_t span = static_cast<uint64_t>(st.expr.begin) << 32 | st.expr.end;
        kept = &m_keptSql[{m_frames.back().unit, span}];
        if (kept->scopeSerial != scope->serial || kept->generation != m_core->CatalogGeneration()) {
            kept->scopeSerial = 0;
            kept->statement.reset();
        }
    }
    std::string fresh;
    // A kept statement binds its variables' values as they are (below).
    const std::vector<PlsqlVar*>* keptVars = kept && kept->scopeSerial ? &kept->vars : nullptr;
    if (!keptVars) {
        RewriteSources sources;
        fresh = Rewrite(st.expr, scope, &binds, st.intoClause, &where, kept ? &sources : nullptr);
        if (kept && sources.stable && std::find(sources.vars.begin(), sources.vars.end(), nullptr) == sources.vars.end()) {
            kept->scopeSerial = scope->serial;
            kept->generation = m_core->CatalogGeneration();
            kept->text = fresh;
            kept->vars = std::move(sources.vars);
        } else {
            kept = nullptr;
        }
    }
    const std::string& text = kept ? kept->text : fresh;
    const std::vector<std::pair<PlsqlVar*, std::string>> targets = IntoTargets(st.into, scope, st.token);
    OraResult r;
    std::unique_ptr<OraStatement> stmt = kept && kept->statement ? std::move(kept->statement) : TakeStatement(text, &r);
    if (!r.Ok()) {
        if (checking || r.code == 942 || r.code == 904) {
            if (where.empty()) {
                binds.clear();
                Rewrite(st.expr, scope, &binds, st.intoClause, &where);
            }
            // The error points at the token the SQL engine stopped at.
            size_t at = st.token;
            for (const auto& [offset, token] : where)
                if (offset <= static_cast<size_t>(std::max(r.offset, 0)))
                    at = token;
            // A missing table is named by its own token, not the keyword before it.
            const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
            while (r.code == 942 && at + 1 < st.expr.end && t[at].kind == TokKind::Ident &&
                   (t[at].text == "FROM" || t[at].text == "INTO" || t[at].text == "UPDATE" || t[at].text == "DELETE"))
                ++at;
            CompileFailAt(at, st.token, "PL/SQL: " + r.message.substr(0, r.message.find('\n')), true);
        }
        RaiseResult(r);
    }
    const bool query = stmt->Kind() == OraStatementKind::Query;
    if (query && targets.empty())
        CompileFail(st.token, "PLS-00428: an INTO clause is expected in this SELECT statement");
    if (query && stmt->Columns().size() != targets.size())
        CompileFail(st.token, stmt->Columns().size() < targets.size() ? "PL/SQL: ORA-00947: not enough values"
                                                                        : "PL/SQL: ORA-00913: too many values",
                    true);
    if (checking)
        return;
    const size_t bindCount = keptVars ? keptVars->size() : binds.size();
    for (size_t i = 0; i < bindCount; ++i)
        stmt->Bind("B" + std::to_string(i + 1), keptVars ? (*keptVars)[i]->value : binds[i]);
    // Given back to the kept slot, or kept by text as any statement.
    auto keep = [&] {
        if (kept && !kept->statement && kept->scopeSerial)
            kept->statement = std::move(stmt);
        else
            KeepStatement(text, std::move(stmt));
    };
    uint64_t rows = 0;
    r = stmt->Execute(&rows);
    if (!r.Ok())
        RaiseResult(r);
    if (!query) {
        m_rowCount = static_cast<int64_t>(rows);
        keep();
        return;
    }
    std::vector<OraValue> row, extra;
    r = stmt->Fetch(&row);
    if (r.code == 1403) {
        m_rowCount = 0;
        keep();
        Raise(1403, FormatOraError(1403));
    }
    if (!r.Ok())
        RaiseResult(r);
    r = stmt->Fetch(&extra);
    if (r.Ok()) {
        m_rowCount = 2;
        Raise(1422, FormatOraError(1422));
    }
    if (r.code != 1403)
        RaiseResult(r);
    keep();
    m_rowCount = 1;
    AssignRow(targets, row, st.token);
}

OraResult PlsqlInterpreter::EvaluateSql(const std::string& expression, OraValue* value)
{
    std::unique_ptr<OraStatement> st;
    OraResult r = ParseOnCore(m_core, "SELECT " + expression + " FROM DUAL", &st);
    uint64_t rows = 0;
    if (r.Ok())
        r = st->Execute(&rows);
    std::vector<OraValue> row;
    if (r.Ok())
        r = st->Fetch(&row);
    if (r.Ok())
        *value = row.empty() ? OraValue{} : row[0];
    return r;
}

} // namespace VkOracle
