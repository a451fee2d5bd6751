// Expressions of the compiler: name resolution, Oracle's typing and
// implicit conversions, built-in functions.
#include "ociw32/server/SqlCompiler.h"

#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/PlsqlSqlFunction.h"
#include "ociw32/server/SqlParser.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>

namespace VkOracle {
namespace {

struct FunctionInfo {
    const char* name;
    const char* target; // SQLite function
    int minArgs;
    int maxArgs;
    char result;        // N number, V text (size of arg 0), D date, F first arg's type
};

const FunctionInfo kFunctions[] = {
    {"UPPER", "ora_upper", 1, 1, 'V'}, {"LOWER", "ora_lower", 1, 1, 'V'}, {"INITCAP", "ora_initcap", 1, 1, 'V'},
    {"LENGTH", "ora_length", 1, 1, 'N'}, {"SUBSTR", "ora_substr", 2, 3, 'V'}, {"INSTR", "ora_instr", 2, 4, 'N'},
    {"LPAD", "ora_lpad", 2, 3, 'P'}, {"RPAD", "ora_rpad", 2, 3, 'P'}, {"LTRIM", "ora_ltrim", 1, 2, 'V'},
    {"RTRIM", "ora_rtrim", 1, 2, 'V'}, {"TRIM", "ora_trim", 1, 3, 'V'}, {"REPLACE", "ora_replace", 2, 3, 'V'},
    {"TRANSLATE", "ora_translate", 3, 3, 'V'}, {"CHR", "ora_chr", 1, 1, '1'}, {"ASCII", "ora_ascii", 1, 1, 'N'},
    {"CONCAT", "ora_concat", 2, 2, 'C'}, {"ABS", "ora_abs", 1, 1, 'N'}, {"CEIL", "ora_ceil", 1, 1, 'N'},
    {"FLOOR", "ora_floor", 1, 1, 'N'}, {"SIGN", "ora_sign", 1, 1, 'N'}, {"SQRT", "ora_sqrt", 1, 1, 'N'},
    {"EXP", "ora_exp", 1, 1, 'N'}, {"LN", "ora_ln", 1, 1, 'N'}, {"LOG", "ora_log", 2, 2, 'N'},
    {"MOD", "ora_mod", 2, 2, 'N'}, {"POWER", "ora_power", 2, 2, 'N'}, {"TO_NUMBER", "ora_to_number", 1, 2, 'N'},
    {"TO_DATE", "ora_to_date", 1, 2, 'D'}, {"ADD_MONTHS", "ora_add_months", 2, 2, 'D'},
    {"LAST_DAY", "ora_last_day", 1, 1, 'D'}, {"NEXT_DAY", "ora_next_day", 2, 2, 'D'},
    {"MONTHS_BETWEEN", "ora_months_between", 2, 2, 'N'}, {"NVL", "ora_nvl", 2, 2, 'F'},
    {"NVL2", "ora_nvl2", 3, 3, 'S'}, {"COALESCE", "ora_coalesce", 1, 255, 'F'},
    {"LEAST", "ora_least", 1, 255, 'F'}, {"GREATEST", "ora_greatest", 1, 255, 'F'},
    {"VSIZE", "ora_length", 1, 1, 'N'},
};

bool IsArithmetic(const SqlExpr& e)
{
    return e.kind == SqlExpr::Kind::Binary && e.args.size() == 2 && e.text != "||";
}

bool IsDateArgFunction(const std::string& name)
{
    return name == "ADD_MONTHS" || name == "LAST_DAY" || name == "NEXT_DAY" || name == "MONTHS_BETWEEN";
}

} // namespace

// Groups of 64 operands in parentheses: SQLite builds a long AND or OR
// chain as a tree as deep as it is long.
std::string SqlCompiler::JoinBalanced(const std::vector<std::string>& parts, const char* op)
{
    constexpr size_t kGroup = 64;
    std::vector<std::string> level = parts;
    do {
        std::vector<std::string> next;
        for (size_t i = 0; i < level.size(); i += kGroup) {
            std::string g = "(";
            for (size_t k = i; k < std::min(level.size(), i + kGroup); ++k)
                g += (k > i ? op : "") + level[k];
            next.push_back(g + ")");
        }
        level.swap(next);
    } while (level.size() > 1);
    return level.front();
}

SqlCompiler::SqlCompiler(const OraCatalog& catalog, const std::string& source, const std::map<std::string, int>& binds)
    : m_catalog(catalog), m_source(source), m_binds(binds)
{
}

void SqlCompiler::Fail(int code, int pos, std::vector<std::string> args) const
{
    throw Failure{code, pos, std::move(args)};
}

std::string SqlCompiler::AsText(const CExpr& e)
{
    if (e.type.IsDate())
        return "ora_to_char_date(" + e.sql + ")";
    return e.sql;
}

std::string SqlCompiler::AsNumber(const CExpr& e)
{
    if (e.type.IsNumber())
        return e.sql;
    if (e.type.IsDate())
        return e.sql; // reported as 932 by callers that care
    return "ora_to_num(" + e.sql + ")";
}

std::string SqlCompiler::AsDate(const CExpr& e)
{
    if (e.type.IsDate())
        return e.sql;
    return "ora_to_date_implicit(" + e.sql + ")";
}

std::string SqlCompiler::Coerce(const CExpr& e, const SqlType& to)
{
    if (to.IsNumber())
        return AsNumber(e);
    if (to.IsDate())
        return AsDate(e);
    if (to.IsText() && e.type.IsNumber())
        return "ora_to_char_num(" + e.sql + ")";
    if (to.IsText())
        return AsText(e);
    return e.sql;
}

std::string SqlCompiler::ConvertTo(const std::string& sql, const SqlType& from, const SqlType& to)
{
    CExpr e{sql, from, false};
    std::string out = Coerce(e, to);
    if (to.IsNumber() && to.precision > 0 && to.scale != 0)
        out = "ora_round_num(" + out + ", " + std::to_string(to.scale) + ")";
    else if (to.IsNumber() && to.precision > 0 && to.scale == 0)
        out = "ora_round_num(" + out + ")";
    if (to.base == SqlBaseType::Char && to.size > 0)
        out = "ora_rpad(" + out + ", " + std::to_string(to.size) + ")";
    return out;
}

std::string SqlCompiler::StoreInto(const std::string& sql, const SqlType& from, const SqlType& to,
                                   const std::string& owner, const std::string& table, const std::string& column)
{
    const std::string converted = ConvertTo(sql, from, to);
    if (!to.IsText() || to.size <= 0 || to.base == SqlBaseType::Long)
        return converted;
    return "ora_check_length(" + converted + ", " + std::to_string(to.size) + ", " + SqlQuote(owner) + ", " +
           SqlQuote(table) + ", " + SqlQuote(column) + ")";
}

std::string SqlCompiler::Heading(const SqlExpr& e) const
{
    if (e.kind == SqlExpr::Kind::Column && !e.names.empty())
        return e.names.back();
    std::string text;
    if (e.pos >= 0 && static_cast<size_t>(e.pos) < m_source.size())
        text = m_source.substr(static_cast<size_t>(e.pos), static_cast<size_t>(std::max(0, e.end - e.pos)));
    // Oracle names an expression column by its text without blanks (also
    // inside literals: 'Hello World' becomes 'HELLOWORLD'), upper-cased.
    std::string out;
    for (char c : text) {
        if (VkIsAsciiSpace(c))
            continue;
        out += VkAsciiToUpper(c);
    }
    if (out.size() > 30)
        out.resize(30);
    return out;
}

SqlCompiler::CExpr SqlCompiler::Expr(const SqlExpr& e, Scope& scope)
{
    using K = SqlExpr::Kind;
    if (m_exprDepth >= kMaxDepth || OraStackLow())
        Fail(3095, e.pos, {std::to_string(SqlParser::kMaxExprDepth)});
    struct Level {
        int& depth;
        ~Level() { --depth; }
    } level{++m_exprDepth};
    const bool leaf = e.kind == K::Number || e.kind == K::String || e.kind == K::Null || e.kind == K::Bind ||
                      e.kind == K::Column || e.kind == K::Star || e.kind == K::Pseudo ||
                      (e.kind == K::Func && IsAggregateName(e.text));
    const int base = m_frames.empty() ? 0 : m_frames.back().base;
    if (m_allowFragments && !leaf && m_exprDepth - base >= kHoistEvery)
        return Hoisted(e, scope);
    return ExprNode(e, scope);
}

size_t SqlCompiler::FirstFrameOutside(const Scope* owner) const
{
    for (size_t i = 0; i < m_frames.size(); ++i) {
        if (!owner)
            return i;
        const std::vector<const Scope*>& out = m_frames[i].outside;
        if (std::find(out.begin(), out.end(), owner) != out.end())
            return i;
    }
    return m_frames.size();
}

std::string SqlCompiler::Route(const std::string& sql, const Scope* owner)
{
    std::string s = sql;
    for (size_t i = FirstFrameOutside(owner); i < m_frames.size(); ++i) {
        std::vector<std::string>& in = m_frames[i].inputs;
        auto it = std::find(in.begin(), in.end(), s);
        if (it == in.end())
            it = in.insert(in.end(), s);
        s = "?" + std::to_string(it - in.begin() + 1);
    }
    return s;
}

// Keeps the open frames as they were when a compile step fails (a caller
// may catch the failure and go on compiling).
struct SqlCompiler::FrameMark {
    SqlCompiler* c;
    size_t size;
    std::vector<Frame> cut; // frames set aside, put back at the end
    explicit FrameMark(SqlCompiler* compiler) : c(compiler), size(compiler->m_frames.size()) {}
    ~FrameMark()
    {
        c->m_frames.resize(std::min(size, c->m_frames.size()));
        for (Frame& f : cut)
            c->m_frames.push_back(std::move(f));
    }
};

void SqlCompiler::OpenFrame(Scope& scope)
{
    Frame f;
    for (const Scope* s = &scope; s; s = s->parent)
        f.outside.push_back(s);
    f.base = m_exprDepth;
    m_frames.push_back(std::move(f));
}

SqlCompiler::CExpr SqlCompiler::CloseFrame(const CExpr& inner)
{
    Frame f = std::move(m_frames.back());
    m_frames.pop_back();
    if (f.usesSequence && !m_frames.empty())
        m_frames.back().usesSequence = true;
    if (f.inputs.size() > 120)
        Fail(3095, 0, {std::to_string(SqlParser::kMaxExprDepth)}); // beyond SQLite's arguments per call
    const std::string sql = WithClause(f.named) + "SELECT " + inner.sql;
    auto it = m_fragmentIds.find(sql);
    if (it == m_fragmentIds.end()) {
        static std::atomic<int> s_next{1};
        const int id = s_next++;
        it = m_fragmentIds.emplace(sql, id).first;
        m_fragments.push_back(CompiledFragment{id, sql, !f.usesSequence});
    }
    std::string call = "ora_eval(" + std::to_string(it->second);
    for (const std::string& in : f.inputs)
        call += ", " + in;
    return CExpr{call + ")", inner.type, inner.aggregate};
}

SqlCompiler::CExpr SqlCompiler::Hoisted(const SqlExpr& e, Scope& scope)
{
    FrameMark mark(this);
    OpenFrame(scope);
    const CExpr inner = ExprNode(e, scope);
    return CloseFrame(inner);
}

void SqlCompiler::FinishStatement(CompiledStatement* out)
{
    out->usesSequences = m_usesSequences;
    out->rownumCounters = m_rownumCounters;
    out->fragments = m_fragments;
}

SqlCompiler::CExpr SqlCompiler::ExprNode(const SqlExpr& e, Scope& scope)
{
    using K = SqlExpr::Kind;
    switch (e.kind) {
    case K::Number: {
        std::string t = e.text;
        // 1e3 and .5 are fine for SQLite; integral values stay integers.
        return CExpr{t.find_first_of(".eE") == std::string::npos && t.size() > 18 ? "CAST('" + t + "' AS REAL)" : t,
                     NumberType(), false};
    }
    case K::String: {
        SqlType t = TextType(static_cast<int>(e.text.size()));
        t.base = SqlBaseType::Char; // literals compare blank-padded and describe as CHAR
        if (e.text.find('\0') != std::string::npos) {
            // A NUL would end the SQLite text early: spell the bytes out.
            static const char* const kHex = "0123456789ABCDEF";
            std::string hex;
            for (unsigned char c : e.text) {
                hex += kHex[c >> 4];
                hex += kHex[c & 15];
            }
            return CExpr{"CAST(X'" + hex + "' AS TEXT)", t, false};
        }
        return CExpr{SqlQuote(e.text), t, false};
    }
    case K::Null:
        return CExpr{"NULL", SqlType{}, false};
    case K::Bind: {
        auto it = m_binds.find(e.text);
        const int index = it == m_binds.end() ? 0 : it->second;
        return CExpr{Route("?" + std::to_string(index), nullptr), TextType(m_catalog.Major() <= 7 ? 2000 : 4000),
                     false};
    }
    case K::Pseudo:
        if (e.text == "SYSDATE")
            return CExpr{"ora_sysdate()", SqlType{SqlBaseType::Date, 7, 0, 0, false}, false};
        if (e.text == "USER")
            return CExpr{"ora_user()", SqlType{SqlBaseType::Varchar2, 30, 0, 0, false}, false};
        if (e.text == "UID")
            return CExpr{"ora_uid()", NumberType(), false};
        if (e.text == "ROWNUM") {
            // Rows are numbered as they pass WHERE: a per-execution counter.
            scope.sawRownum = true;
            if (!scope.rownumId) {
                static std::atomic<int> s_next{1};
                scope.rownumId = s_next++;
                m_rownumCounters.push_back(scope.rownumId);
            }
            const std::string id = std::to_string(scope.rownumId);
            return CExpr{Route(scope.inWhere ? "ora_rownum_peek(" + id + ")" : "ora_rownum_cur(" + id + ")", &scope),
                         SqlType{SqlBaseType::Number, 22, 0, 0, false}, false};
        }
        if (e.text == "ROWID") {
            if (scope.sources.empty())
                Fail(904, e.pos, {"\"ROWID\""});
            const Source& s = scope.sources.front();
            return CExpr{Route((s.sqlAlias.empty() ? "" : s.sqlAlias + ".") + "rowid", &scope),
                         SqlType{SqlBaseType::Rowid, 18, 0, 0, false}, false};
        }
        Fail(976, e.pos);
    case K::Column:
        return Column(e, scope);
    case K::Star:
        Fail(936, e.pos);
    case K::Negate: {
        CExpr a = Expr(*e.args[0], scope);
        if (a.type.IsDate())
            Fail(932, e.pos, {"NUMBER", "DATE"});
        return CExpr{"ora_sub(0, " + a.sql + ")", NumberType(), a.aggregate};
    }
    case K::Binary:
        return Binary(e, scope);
    case K::Compare: {
        CExpr l = Expr(*e.args[0], scope);
        if (!e.quantifier.empty())
            return Quantified(e, l, scope);
        CExpr r = Expr(*e.args[1], scope);
        return Compare(e.text, l, r);
    }
    case K::And:
    case K::Or:
        return AndOr(e, scope);
    case K::Not: {
        CExpr a = Expr(*e.args[0], scope);
        return CExpr{"(NOT " + a.sql + ")", NumberType(), a.aggregate};
    }
    case K::Like: {
        CExpr v = Expr(*e.args[0], scope);
        CExpr p = Expr(*e.args[1], scope);
        std::string sql = "ora_like(" + AsText(v) + ", " + AsText(p);
        if (e.args.size() > 2)
            sql += ", " + AsText(Expr(*e.args[2], scope));
        sql += ")";
        return CExpr{e.negated ? "(NOT " + sql + ")" : sql, NumberType(), v.aggregate || p.aggregate};
    }
    case K::Between: {
        CExpr v = Expr(*e.args[0], scope);
        CExpr lo = Expr(*e.args[1], scope);
        CExpr hi = Expr(*e.args[2], scope);
        CExpr a = Compare(">=", v, lo);
        CExpr b = Compare("<=", v, hi);
        std::string sql = "(" + a.sql + " AND " + b.sql + ")";
        return CExpr{e.negated ? "(NOT " + sql + ")" : sql, NumberType(), v.aggregate};
    }
    case K::In: {
        CExpr v = Expr(*e.args[0], scope);
        if (!scope.outerUsed.empty())
            Fail(1719, e.pos);
        std::string sql;
        if (e.sub) {
            Scope inner;
            inner.parent = &scope;
            std::vector<CompiledColumn> cols;
            const std::string sub = Query(*e.sub, &scope, &cols, true);
            if (cols.size() != 1)
                Fail(cols.size() > 1 ? 913 : 947, e.sub->pos);
            CExpr first{"x", cols[0].type, false};
            std::string conv = "\"_1\"";
            if (v.type.IsNumber() && !cols[0].type.IsNumber())
                conv = "ora_to_num(\"_1\")";
            else if (v.type.IsDate() && !cols[0].type.IsDate())
                conv = "ora_to_date_implicit(\"_1\")";
            std::string lhs = v.sql;
            if (cols[0].type.IsNumber() && !v.type.IsNumber())
                lhs = AsNumber(v);
            sql = "(" + lhs + " IN (SELECT " + conv + " FROM (" + sub + ")))";
        } else {
            std::string list, lhs;
            for (size_t i = 1; i < e.args.size(); ++i) {
                CExpr item = Expr(*e.args[i], scope);
                std::string ls, rs;
                CompareOperands(v, item, &ls, &rs);
                list += (i > 1 ? ", " : "") + rs;
                if (i == 1)
                    lhs = ls;
            }
            sql = lhs;
            sql = "(" + sql + " IN (" + list + "))";
        }
        return CExpr{e.negated ? "(NOT " + sql + ")" : sql, NumberType(), v.aggregate};
    }
    case K::IsNull: {
        CExpr a = Expr(*e.args[0], scope);
        return CExpr{"(" + a.sql + (e.negated ? " IS NOT NULL)" : " IS NULL)"), NumberType(), a.aggregate};
    }
    case K::Exists: {
        std::vector<CompiledColumn> cols;
        return CExpr{"EXISTS (" + Query(*e.sub, &scope, &cols, true) + ")", NumberType(), false};
    }
    case K::Subquery: {
        SqlType t;
        const std::string sql = SubqueryValue(*e.sub, scope, &t);
        return CExpr{sql, t, false};
    }
    case K::Func:
        return Function(e, scope);
    case K::Case: {
        size_t i = 0;
        std::string sql = "CASE";
        CExpr operand;
        if (e.hasOperand) {
            operand = Expr(*e.args[0], scope);
            i = 1;
        }
        SqlType resultType;
        bool first = true;
        bool aggregate = false;
        const size_t pairsEnd = e.hasElse ? e.args.size() - 1 : e.args.size();
        std::vector<std::pair<std::string, CExpr>> branches;
        for (; i + 2 <= pairsEnd; i += 2) {
            CExpr when = Expr(*e.args[i], scope);
            CExpr then = Expr(*e.args[i + 1], scope);
            aggregate = aggregate || when.aggregate || then.aggregate;
            std::string cond = e.hasOperand ? Compare("=", operand, when).sql : when.sql;
            if (first && !then.type.IsUnknown()) {
                resultType = then.type;
                first = false;
            }
            branches.emplace_back(cond, then);
        }
        // Results whose THENs are all NULL take the ELSE's type.
        CExpr other;
        if (e.hasElse) {
            other = Expr(*e.args.back(), scope);
            aggregate = aggregate || other.aggregate;
            if (first && !other.type.IsUnknown())
                resultType = other.type;
        }
        if (resultType.base == SqlBaseType::Char)
            resultType.base = SqlBaseType::Varchar2;
        for (auto& b : branches)
            sql += " WHEN " + b.first + " THEN " + Coerce(b.second, resultType);
        if (e.hasElse)
            sql += " ELSE " + Coerce(other, resultType);
        sql += " END";
        return CExpr{sql, resultType, aggregate};
    }
    }
    Fail(936, e.pos);
}

SqlCompiler::CExpr SqlCompiler::Column(const SqlExpr& e, Scope& scope)
{
    const std::vector<std::string>& n = e.names;
    const std::string& last = n.back();
    // Sequence pseudo columns: seq.NEXTVAL, schema.seq.CURRVAL.
    if ((last == "NEXTVAL" || last == "CURRVAL") && n.size() >= 2) {
        bool isSource = false;
        for (Scope* s = &scope; s && !isSource; s = s->parent)
            for (const Source& src : s->sources)
                isSource = isSource || (n.size() == 2 && src.alias == n[0]);
        if (!isSource) {
            std::vector<std::string> name(n.begin(), n.end() - 1);
            OraObjectRef ref = m_catalog.Resolve(name);
            if (ref.found && ref.type == "SEQUENCE") {
                if (!m_catalog.HasObjectPriv(ref, "SELECT"))
                    Fail(m_catalog.CanSee(ref) ? 1031 : 2289, e.pos);
                return Sequence(ref.owner, ref.name, last, e.pos);
            }
            if (!ref.found || !m_catalog.CanSee(ref))
                Fail(2289, e.pos);
        }
    }
    int depth = 0;
    for (Scope* s = &scope; s; s = s->parent, ++depth) {
        int foundIndex = -1;
        const OraColumnInfo* found = nullptr;
        for (size_t i = 0; i < s->sources.size(); ++i) {
            const Source& src = s->sources[i];
            if (n.size() == 2 && src.alias != n[0])
                continue;
            if (n.size() == 3 && !(src.owner == n[0] && src.table == n[1] && src.alias == n[1]))
                continue;
            for (const OraColumnInfo& c : src.columns) {
                if (c.name == last) {
                    if (found && n.size() == 1)
                        Fail(918, e.pos);
                    found = &c;
                    foundIndex = static_cast<int>(i);
                    if (depth == 0)
                        scope.refs.insert(foundIndex);
                }
            }
        }
        if (found) {
            const Source& src = s->sources[static_cast<size_t>(foundIndex)];
            if (e.outer && depth == 0)
                scope.outerUsed.insert(foundIndex);
            std::string sql = (src.sqlAlias.empty() ? "" : src.sqlAlias + ".") + SqlQuoteIdent(found->name);
            SqlType t = found->type;
            if (src.outer)
                t.nullable = true;
            return CExpr{Route(sql, s), t, false};
        }
    }
    std::string shown;
    for (size_t i = 0; i < n.size(); ++i)
        shown += (i ? "." : "") + std::string("\"") + n[i] + "\"";
    Fail(904, e.pos, {shown});
}

SqlCompiler::CExpr SqlCompiler::Sequence(const std::string& owner, const std::string& name, const std::string& pseudo,
                                         int)
{
    m_usesSequences = true;
    for (Frame& f : m_frames)
        f.usesSequence = true;
    return CExpr{std::string(pseudo == "NEXTVAL" ? "ora_nextval(" : "ora_currval(") + SqlQuote(owner) + ", " +
                     SqlQuote(name) + ")",
                 NumberType(), false};
}

SqlCompiler::CExpr SqlCompiler::AndOr(const SqlExpr& e, Scope& scope)
{
    // A chain of one operator, walked without recursion down its left side.
    std::vector<const SqlExpr*> terms;
    const SqlExpr* left = &e;
    while (left->kind == e.kind && left->args.size() == 2) {
        terms.push_back(left->args[1].get());
        left = left->args[0].get();
    }
    terms.push_back(left);
    std::reverse(terms.begin(), terms.end());
    std::vector<std::string> parts;
    bool aggregate = false;
    for (const SqlExpr* t : terms) {
        CExpr c = Expr(*t, scope);
        parts.push_back(c.sql);
        aggregate = aggregate || c.aggregate;
    }
    if (e.kind == SqlExpr::Kind::Or && !scope.outerUsed.empty())
        Fail(1719, e.pos);
    return CExpr{JoinBalanced(parts, e.kind == SqlExpr::Kind::And ? " AND " : " OR "), NumberType(), aggregate};
}

SqlCompiler::CExpr SqlCompiler::Concat(const SqlExpr& e, Scope& scope)
{
    // One call per 100 terms (SQLite takes at most 127 arguments a call).
    constexpr size_t kPerCall = 100;
    std::vector<std::string> parts;
    int size = 0;
    bool agg = false;
    for (const auto& a : e.args) {
        const CExpr c = Expr(*a, scope);
        parts.push_back(AsText(c));
        size += std::max(1, c.type.IsDate() ? 75 : c.type.IsNumber() ? 40 : c.type.size);
        agg = agg || c.aggregate;
    }
    do {
        std::vector<std::string> next;
        for (size_t i = 0; i < parts.size(); i += kPerCall) {
            std::string call = "ora_concat(";
            for (size_t k = i; k < std::min(parts.size(), i + kPerCall); ++k)
                call += (k > i ? ", " : "") + parts[k];
            next.push_back(call + ")");
        }
        parts.swap(next);
    } while (parts.size() > 1);
    size = std::min(size, m_catalog.Major() <= 7 ? 2000 : 4000);
    return CExpr{parts.front(), TextType(size), agg};
}

SqlCompiler::CExpr SqlCompiler::Binary(const SqlExpr& e, Scope& scope)
{
    if (e.text == "||")
        return Concat(e, scope);
    // An arithmetic chain (a + b - c ...) is folded left to right without
    // recursion; every kChainStep operators of it go into a fragment of
    // their own, opened before the first operand so that each operand is
    // compiled where its value is needed.
    constexpr size_t kChainStep = 12;
    std::vector<const SqlExpr*> spine;
    for (const SqlExpr* x = &e; IsArithmetic(*x); x = x->args[0].get())
        spine.push_back(x);
    const size_t ops = spine.size();
    const size_t frames = m_allowFragments ? (ops - 1) / kChainStep : 0;
    FrameMark mark(this);
    for (size_t i = 0; i < frames; ++i)
        OpenFrame(scope);
    CExpr acc = Expr(*spine.back()->args[0], scope);
    for (size_t j = 0; j < ops; ++j) {
        if (j > 0 && j % kChainStep == 0 && frames > 0)
            acc = CloseFrame(acc);
        const SqlExpr& node = *spine[ops - 1 - j];
        acc = Arithmetic(node, acc, Expr(*node.args[1], scope));
    }
    return acc;
}

SqlCompiler::CExpr SqlCompiler::Arithmetic(const SqlExpr& e, const CExpr& l, const CExpr& r)
{
    const bool agg = l.aggregate || r.aggregate;
    const bool ld = l.type.IsDate(), rd = r.type.IsDate();
    if (e.text == "+") {
        if (ld && rd)
            Fail(975, e.pos);
        if (ld)
            return CExpr{"ora_date_add_days(" + l.sql + ", " + AsNumber(r) + ")", DateType(), agg};
        if (rd)
            return CExpr{"ora_date_add_days(" + r.sql + ", " + AsNumber(l) + ")", DateType(), agg};
        return CExpr{"ora_add(" + l.sql + ", " + r.sql + ")", NumberType(), agg};
    }
    if (e.text == "-") {
        if (ld && rd)
            return CExpr{"ora_date_diff(" + l.sql + ", " + r.sql + ")", NumberType(), agg};
        if (ld)
            return CExpr{"ora_date_add_days(" + l.sql + ", ora_sub(0, " + AsNumber(r) + "))", DateType(), agg};
        if (rd)
            Fail(932, e.pos, {"NUMBER", "DATE"});
        return CExpr{"ora_sub(" + l.sql + ", " + r.sql + ")", NumberType(), agg};
    }
    if (ld || rd)
        Fail(932, e.pos, {"NUMBER", "DATE"});
    return CExpr{std::string(e.text == "*" ? "ora_mul(" : "ora_div(") + l.sql + ", " + r.sql + ")", NumberType(), agg};
}

SqlCompiler::CExpr SqlCompiler::Compare(const std::string& op, const CExpr& l, const CExpr& r)
{
    std::string ls, rs;
    CompareOperands(l, r, &ls, &rs);
    return CExpr{"(" + ls + " " + op + " " + rs + ")", NumberType(), l.aggregate || r.aggregate};
}

void SqlCompiler::CompareOperands(const CExpr& l, const CExpr& r, std::string* lsOut, std::string* rsOut)
{
    std::string ls = l.sql, rs = r.sql;
    const SqlType& lt = l.type;
    const SqlType& rt = r.type;
    if (lt.IsDate() && !rt.IsDate() && !rt.IsUnknown())
        rs = AsDate(r);
    else if (rt.IsDate() && !lt.IsDate() && !lt.IsUnknown())
        ls = AsDate(l);
    else if (lt.IsDate() && rt.IsUnknown())
        rs = AsDate(r);
    else if (rt.IsDate() && lt.IsUnknown())
        ls = AsDate(l);
    else if (lt.IsNumber() && !rt.IsNumber())
        rs = AsNumber(r);
    else if (rt.IsNumber() && !lt.IsNumber())
        ls = AsNumber(l);
    else if ((lt.base == SqlBaseType::Char && rt.base == SqlBaseType::Char)) {
        // Blank-padded comparison between CHAR values and literals.
        ls = "rtrim(" + ls + ", ' ')";
        rs = "rtrim(" + rs + ", ' ')";
    }
    *lsOut = ls;
    *rsOut = rs;
}

SqlCompiler::CExpr SqlCompiler::Quantified(const SqlExpr& e, const CExpr& l, Scope& scope)
{
    const bool all = e.quantifier == "ALL";
    if (!scope.outerUsed.empty())
        Fail(1719, e.pos);
    if (!e.sub) {
        // A list: ANY is an OR of comparisons, ALL an AND.
        std::vector<std::string> parts;
        for (size_t i = 1; i < e.args.size(); ++i)
            parts.push_back(Compare(e.text, l, Expr(*e.args[i], scope)).sql);
        return CExpr{JoinBalanced(parts, all ? " AND " : " OR "), NumberType(), l.aggregate};
    }
    std::vector<CompiledColumn> cols;
    const std::string sub = Query(*e.sub, &scope, &cols, true);
    if (cols.size() != 1)
        Fail(cols.size() > 1 ? 913 : 947, e.sub->pos);
    const CExpr c{"q.\"_1\"", cols[0].type, false};
    const std::string cmp = Compare(e.text, l, c).sql;
    const std::string from = " FROM (" + sub + ") AS q";
    // Three-valued: a row deciding it, else NULL when a NULL took part.
    std::string sql;
    if (all)
        sql = "CASE WHEN EXISTS (SELECT 1" + from + " WHERE NOT " + cmp + ") THEN 0 WHEN EXISTS (SELECT 1" + from +
              " WHERE q.\"_1\" IS NULL OR " + l.sql + " IS NULL) THEN NULL ELSE 1 END";
    else
        sql = "CASE WHEN EXISTS (SELECT 1" + from + " WHERE " + cmp + ") THEN 1 WHEN EXISTS (SELECT 1" + from +
              " WHERE q.\"_1\" IS NULL OR " + l.sql + " IS NULL) THEN NULL ELSE 0 END";
    return CExpr{sql, NumberType(), l.aggregate};
}

bool SqlCompiler::IsAggregateName(const std::string& name)
{
    return name == "COUNT" || name == "SUM" || name == "AVG" || name == "MIN" || name == "MAX";
}

SqlCompiler::CExpr SqlCompiler::Aggregate(const SqlExpr& e, Scope& scope)
{
    // An aggregate belongs to its query block: inside a fragment it is
    // computed outside and passed in.
    const size_t cut = FirstFrameOutside(&scope);
    if (cut < m_frames.size()) {
        FrameMark mark(this);
        mark.cut.assign(std::make_move_iterator(m_frames.begin() + static_cast<std::ptrdiff_t>(cut)),
                        std::make_move_iterator(m_frames.end()));
        m_frames.resize(cut);
        mark.size = cut;
        CExpr a = Aggregate(e, scope);
        m_frames.resize(cut);
        for (Frame& f : mark.cut)
            m_frames.push_back(std::move(f));
        mark.cut.clear();
        mark.size = m_frames.size();
        a.sql = Route(a.sql, &scope);
        return a;
    }
    if (!scope.allowAggregates)
        Fail(934, e.pos);
    scope.sawAggregate = true;
    if (e.star) {
        if (e.text != "COUNT")
            Fail(936, e.pos);
        return CExpr{"count(*)", SqlType{SqlBaseType::Number, 22, 0, 0, false}, true};
    }
    if (e.args.size() != 1)
        Fail(909, e.pos);
    // Aggregates do not nest without GROUP BY tricks we do not need.
    const bool saved = scope.allowAggregates;
    scope.allowAggregates = false;
    CExpr a;
    try {
        a = Expr(*e.args[0], scope);
    } catch (const Failure& f) {
        scope.allowAggregates = saved;
        if (f.code == 934)
            throw Failure{935, f.pos, {}};
        throw;
    }
    scope.allowAggregates = saved;
    const std::string distinct = e.distinct ? "DISTINCT " : "";
    if (e.text == "COUNT")
        return CExpr{"count(" + distinct + a.sql + ")", SqlType{SqlBaseType::Number, 22, 0, 0, false}, true};
    if (e.text == "SUM" || e.text == "AVG") {
        if (a.type.IsDate())
            Fail(932, e.pos, {"NUMBER", "DATE"});
        return CExpr{std::string(e.text == "SUM" ? "ora_sum(" : "ora_avg(") + distinct + a.sql + ")",
                     NumberType(), true};
    }
    SqlType t = a.type;
    if (t.base == SqlBaseType::Char)
        t.base = SqlBaseType::Varchar2;
    t.nullable = true;
    return CExpr{(e.text == "MIN" ? "min(" : "max(") + distinct + a.sql + ")", t, true};
}

SqlCompiler::CExpr SqlCompiler::Function(const SqlExpr& e, Scope& scope)
{
    const std::string& name = e.text;
    if (IsAggregateName(name))
        return Aggregate(e, scope);
    std::vector<CExpr> args;
    bool agg = false;
    for (const auto& a : e.args) {
        args.push_back(Expr(*a, scope));
        agg = agg || args.back().aggregate;
    }
    const int n = static_cast<int>(args.size());
    auto argc = [&](int lo, int hi) {
        if (n < lo || n > hi)
            Fail(n < lo ? 938 : 939, e.pos);
    };
    auto join = [&](size_t from, const std::function<std::string(const CExpr&)>& conv) {
        std::string s;
        for (size_t i = from; i < args.size(); ++i)
            s += ", " + conv(args[i]);
        return s;
    };
    const int maxText = m_catalog.Major() <= 7 ? 2000 : 4000;
    if (name == "TO_CHAR") {
        argc(1, 3);
        if (args[0].type.IsDate())
            return CExpr{"ora_to_char_date(" + args[0].sql + (n > 1 ? ", " + AsText(args[1]) : "") + ")",
                         TextType(m_catalog.Major() <= 7 ? 75 : 75), agg};
        if (args[0].type.IsNumber())
            return CExpr{"ora_to_char_num(" + args[0].sql + (n > 1 ? ", " + AsText(args[1]) : "") + ")",
                         TextType(n > 1 ? 64 : 40), agg};
        SqlType t = args[0].type.IsUnknown() ? TextType(maxText) : args[0].type;
        t.base = SqlBaseType::Varchar2;
        if (n > 1 && args[0].type.IsUnknown())
            return CExpr{"ora_to_char_num(ora_to_num(" + args[0].sql + "), " + AsText(args[1]) + ")", TextType(64),
                         agg};
        return CExpr{args[0].sql, t, agg};
    }
    if (name == "ROUND" || name == "TRUNC") {
        argc(1, 2);
        const std::string base = name == "ROUND" ? "ora_round_" : "ora_trunc_";
        if (args[0].type.IsDate())
            return CExpr{base + "date(" + args[0].sql + join(1, AsText) + ")", DateType(), agg};
        return CExpr{base + "num(" + args[0].sql + join(1, AsNumber) + ")", NumberType(), agg};
    }
    if (name == "DECODE") {
        argc(3, 255);
        SqlType resultType = args[2].type;
        if (resultType.IsUnknown() || resultType.base == SqlBaseType::Char)
            resultType = TextType(std::max(1, resultType.size));
        // Text results convert up front (that cannot fail); number and date
        // results convert only the value chosen, as Oracle does.
        const bool convertAfter = resultType.IsNumber() || resultType.IsDate();
        bool mixed = false;
        int size = 0;
        std::vector<std::string> rest; // search, result, ..., [default]
        for (int i = 1; i < n; ++i) {
            const CExpr& a = args[static_cast<size_t>(i)];
            const bool isResult = (i % 2 == 0) || (i == n - 1);
            if (isResult) {
                if (convertAfter) {
                    mixed = mixed || (!a.type.IsUnknown() && a.type.base != resultType.base);
                    rest.push_back(a.sql);
                } else {
                    rest.push_back(Coerce(a, resultType));
                }
                size = std::max(size, a.type.IsNumber() ? 40 : a.type.IsDate() ? 75 : a.type.size);
            } else {
                rest.push_back(args[0].type.IsNumber() || args[0].type.IsDate() ? Coerce(a, args[0].type) : a.sql);
            }
        }
        // SQLite takes 127 arguments a call: later pairs go into a DECODE
        // that is the default of the one before.
        constexpr size_t kPairsPerCall = 50;
        const bool hasDefault = rest.size() % 2 == 1;
        const size_t pairs = rest.size() / 2;
        std::string sql = hasDefault ? rest.back() : std::string();
        for (size_t first = (pairs == 0 ? 0 : (pairs - 1) / kPairsPerCall * kPairsPerCall);; first -= kPairsPerCall) {
            std::string call = "ora_decode(" + args[0].sql;
            for (size_t k = first * 2; k < std::min(pairs, first + kPairsPerCall) * 2; ++k)
                call += ", " + rest[k];
            sql = call + (sql.empty() ? "" : ", " + sql) + ")";
            if (first == 0)
                break;
        }
        if (mixed)
            sql = (resultType.IsNumber() ? "ora_to_num(" : "ora_to_date_implicit(") + sql + ")";
        if (resultType.IsText())
            resultType.size = std::max(1, std::min(size, maxText));
        return CExpr{sql, resultType, agg};
    }
    if (name == "SYSDATE" || name == "USER")
        Fail(923, e.pos);
    if (name == "USERENV") {
        argc(1, 1);
        return CExpr{"ora_userenv(" + args[0].sql + ")", TextType(64), agg};
    }
    for (const FunctionInfo& f : kFunctions) {
        if (name != f.name)
            continue;
        argc(f.minArgs, f.maxArgs);
        std::vector<std::string> parts;
        SqlType first = args.empty() ? SqlType{} : args[0].type;
        for (int i = 0; i < n; ++i) {
            const CExpr& a = args[static_cast<size_t>(i)];
            std::string s = a.sql;
            if (f.result == 'F' || f.result == 'S') {
                const SqlType& target = f.result == 'S' && i > 0 ? args[1].type : first;
                if (!(f.result == 'S' && i == 0))
                    s = target.IsUnknown() ? a.sql : Coerce(a, target);
            } else if (IsDateArgFunction(name) && i == 0) {
                s = AsDate(a);
            } else if (name == "MONTHS_BETWEEN") {
                s = AsDate(a);
            } else if (a.type.IsDate()) {
                s = AsText(a);
            }
            parts.push_back(s);
        }
        // COALESCE, LEAST and GREATEST over more arguments than SQLite takes
        // in one call: the last argument is the same call over the rest.
        constexpr size_t kPerCall = 100;
        std::string sql;
        for (size_t first = parts.size() <= kPerCall ? 0 : (parts.size() - 2) / (kPerCall - 1) * (kPerCall - 1);;
             first -= kPerCall - 1) {
            std::string call = std::string(f.target) + "(";
            const size_t last = sql.empty() ? parts.size() : first + kPerCall - 1;
            for (size_t k = first; k < last; ++k)
                call += (k > first ? ", " : "") + parts[k];
            sql = call + (sql.empty() ? "" : ", " + sql) + ")";
            if (first == 0)
                break;
        }
        SqlType t;
        switch (f.result) {
        case 'N': t = NumberType(); break;
        case 'D': t = DateType(); break;
        case 'F': t = first.IsUnknown() && n > 1 ? args[1].type : first; break;
        case 'S': t = args[1].type; break;
        case '1': t = TextType(1); break;
        case 'P': {
            int len = maxText;
            if (e.args[1]->kind == SqlExpr::Kind::Number)
                len = std::max(1, std::min(maxText, std::atoi(e.args[1]->text.c_str())));
            t = TextType(len);
            break;
        }
        case 'C': t = TextType(std::min(maxText, args[0].type.size + args[1].type.size)); break;
        default:
            t = TextType(first.IsText() ? std::max(1, first.size) : first.IsDate() ? 75 : first.IsNumber() ? 40 : maxText);
            if (t.size == 0)
                t.size = maxText;
            break;
        }
        if (t.base == SqlBaseType::Char)
            t.base = SqlBaseType::Varchar2;
        t.nullable = true;
        return CExpr{sql, t, agg};
    }
    // A stored function of the schema runs on the session's PL/SQL interpreter.
    if (const OraObjectRef ref = m_catalog.Resolve({name}); ref.found && ref.type == "FUNCTION") {
        std::string tags, sql = "ora_plsql_function(" + SqlQuote(ref.owner) + ", " + SqlQuote(ref.name) + ", ";
        for (const CExpr& a : args)
            tags += a.type.IsDate() ? 'D' : '-';
        sql += SqlQuote(tags);
        for (const CExpr& a : args)
            sql += ", " + a.sql;
        return CExpr{sql + ")", PlsqlFunctionReturnType(m_catalog, ref.owner, ref.name), agg};
    }
    Fail(904, e.pos, {"\"" + name + "\""});
}

std::string SqlCompiler::SubqueryValue(const SqlSelect& sub, Scope& scope, SqlType* type)
{
    std::vector<CompiledColumn> cols;
    const std::string sql = Query(sub, &scope, &cols, true);
    if (cols.size() != 1)
        Fail(913, sub.pos);
    *type = cols[0].type;
    type->nullable = true;
    // Two rows are one too many (ORA-01427): look at no more than two.
    return "(SELECT ora_single_row(\"_1\") FROM (" + sql + " LIMIT 2))";
}

} // namespace VkOracle
