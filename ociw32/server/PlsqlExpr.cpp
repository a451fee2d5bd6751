#include "ociw32/server/PlsqlExpr.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraNumber.h"
#include "platform/VkNumberText.h"
#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "platform/VkAscii.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace VkOracle {
namespace {

using Op = PlsqlExprNode::Op;

struct NotNative {};

class ExprCompiler {
public:
    ExprCompiler(const PlsqlUnit& unit, PlsqlSpan span, PlsqlScope* scope, const PlsqlNameLookup& names)
        : m_t(unit.tokens), m_at(span.begin), m_end(span.end), m_scope(scope), m_names(names)
    {
    }

    PlsqlExprPtr Compile()
    {
        PlsqlExprPtr e = Or();
        if (m_at != m_end)
            throw NotNative{};
        return e;
    }

private:
    bool IsOp(const char* op, size_t ahead = 0) const
    {
        return m_at + ahead < m_end && m_t[m_at + ahead].kind == TokKind::Op && m_t[m_at + ahead].text == op;
    }
    bool IsWord(const char* w, size_t ahead = 0) const
    {
        return m_at + ahead < m_end && m_t[m_at + ahead].kind == TokKind::Ident && m_t[m_at + ahead].text == w;
    }
    void Expect(bool ok)
    {
        if (!ok)
            throw NotNative{};
    }
    static PlsqlExprPtr Node(Op op, bool boolean = false)
    {
        auto n = std::make_unique<PlsqlExprNode>();
        n->op = op;
        n->boolean = boolean;
        return n;
    }
    static PlsqlExprPtr Binary(Op op, PlsqlExprPtr a, PlsqlExprPtr b, bool boolean = false)
    {
        PlsqlExprPtr n = Node(op, boolean);
        n->kids.push_back(std::move(a));
        n->kids.push_back(std::move(b));
        return n;
    }

    // Deep nesting is left to the SQL engine, which reports it as Oracle does;
    // the tree stays shallow enough to evaluate on any stack.
    struct Nesting {
        explicit Nesting(ExprCompiler* c) : c(c)
        {
            if (++c->m_depth > kMaxDepth || OraStackLow())
                throw NotNative{};
        }
        ~Nesting() { --c->m_depth; }
        ExprCompiler* c;
    };
    static constexpr int kMaxDepth = 300;

    PlsqlExprPtr Or()
    {
        Nesting nesting(this);
        PlsqlExprPtr e = And();
        while (IsWord("OR")) {
            ++m_at;
            e = Binary(Op::Or, std::move(e), And(), true);
        }
        return e;
    }
    PlsqlExprPtr And()
    {
        PlsqlExprPtr e = Not();
        while (IsWord("AND")) {
            ++m_at;
            e = Binary(Op::And, std::move(e), Not(), true);
        }
        return e;
    }
    PlsqlExprPtr Not()
    {
        if (!IsWord("NOT"))
            return Comparison();
        Nesting nesting(this);
        ++m_at;
        PlsqlExprPtr n = Node(Op::Not, true);
        n->kids.push_back(Not());
        return n;
    }
    PlsqlExprPtr Comparison()
    {
        PlsqlExprPtr e = Sum();
        static const char* const kOps[] = {"=", "<>", "<", "<=", ">", ">="};
        for (int k = 0; k < 6; ++k) {
            if (IsOp(kOps[k]) || (k == 1 && (IsOp("!=") || IsOp("^=")))) {
                ++m_at;
                PlsqlExprPtr n = Binary(Op::Cmp, std::move(e), Sum(), true);
                n->cmp = k;
                return n;
            }
        }
        if (IsWord("IS")) {
            ++m_at;
            PlsqlExprPtr n = Node(Op::IsNull, true);
            if (IsWord("NOT")) {
                ++m_at;
                n->negated = true;
            }
            Expect(IsWord("NULL"));
            ++m_at;
            n->kids.push_back(std::move(e));
            return n;
        }
        const bool negated = IsWord("NOT") && (IsWord("BETWEEN", 1) || IsWord("IN", 1));
        if (negated)
            ++m_at;
        if (IsWord("BETWEEN")) {
            ++m_at;
            PlsqlExprPtr n = Node(Op::Between, true);
            n->negated = negated;
            n->kids.push_back(std::move(e));
            n->kids.push_back(Sum());
            Expect(IsWord("AND"));
            ++m_at;
            n->kids.push_back(Sum());
            return n;
        }
        if (IsWord("IN")) {
            ++m_at;
            Expect(IsOp("("));
            ++m_at;
            PlsqlExprPtr n = Node(Op::In, true);
            n->negated = negated;
            n->kids.push_back(std::move(e));
            Expect(!IsWord("SELECT"));
            do {
                n->kids.push_back(Sum());
            } while (IsOp(",") && ++m_at);
            Expect(IsOp(")"));
            ++m_at;
            return n;
        }
        Expect(!negated);
        return e;
    }
    // + - and || share one level in Oracle, left to right.
    PlsqlExprPtr Sum()
    {
        PlsqlExprPtr e = Product();
        while (IsOp("+") || IsOp("-") || IsOp("||")) {
            const Op op = IsOp("+") ? Op::Add : IsOp("-") ? Op::Sub : Op::Concat;
            ++m_at;
            e = Binary(op, std::move(e), Product());
        }
        return e;
    }
    PlsqlExprPtr Product()
    {
        PlsqlExprPtr e = Unary();
        while (IsOp("*") || IsOp("/")) {
            const Op op = IsOp("*") ? Op::Mul : Op::Div;
            ++m_at;
            e = Binary(op, std::move(e), Unary());
        }
        return e;
    }
    PlsqlExprPtr Unary()
    {
        if (IsOp("-") || IsOp("+")) {
            const bool minus = IsOp("-");
            Nesting nesting(this);
            ++m_at;
            PlsqlExprPtr operand = Unary();
            if (!minus)
                return operand;
            PlsqlExprPtr n = Node(Op::Neg);
            n->kids.push_back(std::move(operand));
            return n;
        }
        PlsqlExprPtr e = Primary();
        Expect(!IsOp("**") && !IsOp("%") && !IsOp("."));
        return e;
    }
    PlsqlExprPtr Primary()
    {
        Expect(m_at < m_end);
        const SqlToken& tok = m_t[m_at];
        if (tok.kind == TokKind::Number) {
            PlsqlExprPtr n = Node(Op::Const);
            n->constant.kind = OraValue::Kind::Number;
            Expect(ParseOracleNumber(tok.text, &n->constant.number));
            ++m_at;
            return n;
        }
        if (tok.kind == TokKind::String) {
            PlsqlExprPtr n = Node(Op::Const);
            n->constant = PlsqlOps::Text(tok.text);
            ++m_at;
            return n;
        }
        if (tok.kind == TokKind::Bind) {
            Expect(m_scope->Find(":" + tok.text) != nullptr);
            PlsqlExprPtr n = Node(Op::Var);
            n->name = ":" + tok.text;
            ++m_at;
            return n;
        }
        if (tok.kind == TokKind::Op && tok.text == "(") {
            ++m_at;
            Expect(!IsWord("SELECT"));
            PlsqlExprPtr e = Or();
            Expect(IsOp(")"));
            ++m_at;
            return e;
        }
        Expect(tok.kind == TokKind::Ident);
        const std::string& w = tok.text;
        ++m_at;
        if (w == "NULL")
            return Node(Op::Const);
        if (w == "TRUE" || w == "FALSE") {
            PlsqlExprPtr n = Node(Op::Const, true);
            n->constant = PlsqlOps::Boolean(w == "TRUE" ? 1 : 0);
            return n;
        }
        if (w == "SQL" && IsOp("%") && m_at + 1 < m_end && m_t[m_at + 1].kind == TokKind::Ident) {
            PlsqlExprPtr n = Node(Op::SqlAttr);
            n->name = m_t[m_at + 1].text;
            Expect(n->name == "ROWCOUNT" || n->name == "FOUND" || n->name == "NOTFOUND" || n->name == "ISOPEN");
            n->boolean = n->name != "ROWCOUNT";
            m_at += 2;
            return n;
        }
        PlsqlVar* v = m_scope->Find(w);
        if (v && v->cursor && IsOp("%") && m_at + 1 < m_end && m_t[m_at + 1].kind == TokKind::Ident) {
            PlsqlExprPtr n = Node(Op::CursorAttr);
            n->name = m_t[m_at + 1].text;
            n->qualified = {w};
            Expect(n->name == "ROWCOUNT" || n->name == "FOUND" || n->name == "NOTFOUND" || n->name == "ISOPEN");
            n->boolean = n->name != "ROWCOUNT";
            m_at += 2;
            return n;
        }
        if (v && v->record && IsOp(".") && m_at + 1 < m_end && m_t[m_at + 1].kind == TokKind::Ident) {
            const std::string field = w + "." + m_t[m_at + 1].text;
            Expect(m_scope->Find(field) != nullptr);
            PlsqlExprPtr n = Node(Op::Var);
            n->name = field;
            m_at += 2;
            return n;
        }
        Expect(!(v && (v->record || v->cursor || v->collection || v->typeDef)));
        if (v && !v->exception && !IsOp("(") && !IsOp(".")) {
            PlsqlExprPtr n = Node(Op::Var);
            n->name = w;
            return n;
        }
        Expect(!v);
        if (w == "SQLCODE" && !IsOp("("))
            return Node(Op::SqlCode);
        if (w == "SQLERRM" && !IsOp("("))
            return Node(Op::SqlErrm);
        if (w == "SYSDATE" && !IsOp("(") && !IsOp(".")) {
            PlsqlExprPtr n = Node(Op::Func);
            n->name = w;
            return n;
        }
        std::vector<std::string> name{w};
        while (IsOp(".") && m_at + 1 < m_end && m_t[m_at + 1].kind == TokKind::Ident) {
            name.push_back(m_t[m_at + 1].text);
            m_at += 2;
        }
        if (m_names.isStoredFunction(name))
            return StoredFunction(std::move(name));
        if (name.size() > 1 && !IsOp("(") && m_names.isPackageVariable(name)) {
            PlsqlExprPtr n = Node(Op::Var);
            n->package = true;
            n->qualified = std::move(name);
            return n;
        }
        Expect(name.size() == 1 && IsOp("("));
        ++m_at;
        PlsqlExprPtr n = Node(Op::Func);
        n->name = w;
        if (!IsOp(")")) {
            do {
                Expect(!IsOp("=>", 1));
                n->kids.push_back(Or());
            } while (IsOp(",") && ++m_at);
        }
        Expect(IsOp(")"));
        ++m_at;
        Expect(PlsqlOps::IsNativeFunction(w, n->kids.size()));
        return n;
    }
    // A call of the schema's function: its arguments stay spans, matched to
    // the parameters (named or positional) when it runs.
    PlsqlExprPtr StoredFunction(std::vector<std::string> name)
    {
        PlsqlExprPtr n = Node(Op::StoredFunc);
        n->qualified = std::move(name);
        n->call = std::make_shared<PlsqlStmt>();
        n->call->kind = PlsqlStmt::Kind::Call;
        n->call->token = m_at - 1;
        if (!IsOp("("))
            return n;
        ++m_at;
        if (IsOp(")")) {
            ++m_at;
            return n;
        }
        while (true) {
            std::string argName;
            if (m_at + 1 < m_end && m_t[m_at].kind == TokKind::Ident && IsOp("=>", 1)) {
                argName = m_t[m_at].text;
                m_at += 2;
            }
            const size_t start = m_at;
            Or(); // checks that the argument is an expression; it runs from its span
            n->call->args.push_back(PlsqlSpan{start, m_at});
            n->call->argNames.push_back(argName);
            if (IsOp(")"))
                break;
            Expect(IsOp(","));
            ++m_at;
        }
        ++m_at;
        return n;
    }

    const std::vector<SqlToken>& m_t;
    size_t m_at;
    size_t m_end;
    PlsqlScope* m_scope;
    const PlsqlNameLookup& m_names;
    int m_depth = 0;
};

[[noreturn]] void ValueError(const char* detail)
{
    PlsqlInterpreter::Raise(6502, std::string("ORA-06502: PL/SQL: numeric or value error") + detail);
}

// Results keep the 15 significant digits a NUMBER shows, as the SQL engine's
// arithmetic does, so 0.1 + 0.2 = 0.3 holds in PL/SQL as in SQL.
OraNum Decimal15(double d)
{
    // A NUMBER stays below 1E126.
    if (!std::isfinite(d) || std::fabs(d) >= 1e126)
        PlsqlInterpreter::Raise(1426, FormatOraError(1426));
    if (d == 0.0)
        return OraNumFromInt(0);
    // In the C form whatever the locale: a decimal comma would not parse.
    const std::string text = VkFormatDouble(d, std::chars_format::scientific, 14);
    OraNum n;
    if (!ParseOracleNumber(text, &n))
        return OraNumFromDouble(d);
    return n;
}

} // namespace

PlsqlExprPtr CompilePlsqlExpr(const PlsqlUnit& unit, PlsqlSpan span, PlsqlScope* scope, const PlsqlNameLookup& names)
{
    if (span.Empty())
        return nullptr;
    try {
        return ExprCompiler(unit, span, scope, names).Compile();
    } catch (const NotNative&) {
        return nullptr;
    }
}

namespace PlsqlOps {

OraValue Number(const OraNum& n)
{
    OraValue v;
    v.kind = OraValue::Kind::Number;
    v.number = n;
    return v;
}

OraValue Integer(int64_t n)
{
    return Number(OraNumFromInt(n));
}

OraValue Text(const std::string& s)
{
    OraValue v;
    if (!s.empty()) {
        v.kind = OraValue::Kind::Text;
        v.text = s;
    }
    return v;
}

OraValue Boolean(int b)
{
    return b < 0 ? OraValue{} : Number(OraNumFromInt(b));
}

int Truth(const OraValue& v)
{
    if (v.kind == OraValue::Kind::Null)
        return -1;
    if (v.kind != OraValue::Kind::Number)
        throw PlsqlNeedsSql{};
    return v.number.AsDouble() != 0 ? 1 : 0;
}

OraNum ToNumber(const OraValue& v)
{
    if (v.kind == OraValue::Kind::Number)
        return v.number;
    if (v.kind != OraValue::Kind::Text)
        throw PlsqlNeedsSql{};
    OraNum n;
    if (!ParseOracleNumber(v.text, &n))
        ValueError(": character to number conversion error");
    return n;
}

// date + days, days + date, date - days (rounded to the second) and
// date - date (days); other combinations are Oracle's ORA-00932.
OraValue DateArithmetic(PlsqlExprNode::Op op, const OraValue& a, const OraValue& b)
{
    if (a.kind == OraValue::Kind::Date && b.kind == OraValue::Kind::Date) {
        if (op != Op::Sub)
            PlsqlInterpreter::Raise(932, "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
        return Number(Decimal15(static_cast<double>(a.date - b.date) / 86400.0));
    }
    const bool dateFirst = a.kind == OraValue::Kind::Date;
    if ((op != Op::Add && op != Op::Sub) || (!dateFirst && op == Op::Sub))
        PlsqlInterpreter::Raise(932, "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
    const double days = ToNumber(dateFirst ? b : a).AsDouble();
    const double seconds = std::round(days * 86400.0);
    OraValue out;
    out.kind = OraValue::Kind::Date;
    out.date = (dateFirst ? a.date : b.date) + static_cast<int64_t>(op == Op::Sub ? -seconds : seconds);
    if (!IsValidOraDate(out.date))
        PlsqlInterpreter::Raise(1841, FormatOraError(1841));
    return out;
}

OraValue Arithmetic(PlsqlExprNode::Op op, const OraValue& a, const OraValue& b)
{
    if (a.kind == OraValue::Kind::Null || b.kind == OraValue::Kind::Null)
        return OraValue{};
    if (a.kind == OraValue::Kind::Date || b.kind == OraValue::Kind::Date)
        return DateArithmetic(op, a, b);
    const OraNum x = ToNumber(a), y = ToNumber(b);
    if (op == Op::Div) {
        if (y.AsDouble() == 0)
            PlsqlInterpreter::Raise(1476, FormatOraError(1476));
        if (x.isInt && y.isInt && y.i != -1 && x.i % y.i == 0)
            return Number(OraNumFromInt(x.i / y.i));
        return Number(Decimal15(x.AsDouble() / y.AsDouble()));
    }
    if (x.isInt && y.isInt) {
        int64_t r = 0;
        const bool overflow = op == Op::Add   ? __builtin_add_overflow(x.i, y.i, &r)
                              : op == Op::Sub ? __builtin_sub_overflow(x.i, y.i, &r)
                                              : __builtin_mul_overflow(x.i, y.i, &r);
        if (!overflow)
            return Number(OraNumFromInt(r));
    }
    const double p = x.AsDouble(), q = y.AsDouble();
    return Number(Decimal15(op == Op::Add ? p + q : op == Op::Sub ? p - q : p * q));
}

OraValue Concat(const OraValue& a, const OraValue& b)
{
    auto text = [](const OraValue& v) -> std::string {
        switch (v.kind) {
        case OraValue::Kind::Null: return std::string();
        case OraValue::Kind::Text: return v.text;
        case OraValue::Kind::Number: return FormatOracleNumber(v.number);
        case OraValue::Kind::Date: break;
        }
        throw PlsqlNeedsSql{}; // dates print in the session's format
    };
    return Text(text(a) + text(b));
}

int Compare(const OraValue& a, const OraValue& b)
{
    if (a.kind == OraValue::Kind::Null || b.kind == OraValue::Kind::Null)
        return 2;
    if (a.kind == OraValue::Kind::Text && b.kind == OraValue::Kind::Text) {
        if (a.text.back() == ' ' || b.text.back() == ' ')
            throw PlsqlNeedsSql{}; // blank-padded comparison of CHAR values
        const int c = a.text.compare(b.text);
        return c < 0 ? -1 : c > 0 ? 1 : 0;
    }
    if (a.kind == OraValue::Kind::Date && b.kind == OraValue::Kind::Date)
        return a.date < b.date ? -1 : a.date > b.date ? 1 : 0;
    if (a.kind == OraValue::Kind::Date || b.kind == OraValue::Kind::Date)
        throw PlsqlNeedsSql{};
    const OraNum x = ToNumber(a), y = ToNumber(b);
    if (x.isInt && y.isInt)
        return x.i < y.i ? -1 : x.i > y.i ? 1 : 0;
    const double p = x.AsDouble(), q = y.AsDouble();
    return p < q ? -1 : p > q ? 1 : 0;
}

bool IsNativeFunction(const std::string& name, size_t argc)
{
    if (name == "TO_CHAR" || name == "TO_DATE")
        return argc == 1 || argc == 2; // the interpreter runs them: they need the session's date format
    if (name == "NVL" || name == "MOD")
        return argc == 2;
    if (name == "ABS" || name == "LENGTH" || name == "UPPER" || name == "LOWER" || name == "TO_NUMBER")
        return argc == 1;
    if (name == "SUBSTR")
        return argc == 2 || argc == 3;
    if (name == "TRUNC" || name == "ROUND")
        return argc == 1 || argc == 2;
    return false;
}

OraValue CallFunction(const std::string& name, const std::vector<OraValue>& args)
{
    if (args.empty() || !IsNativeFunction(name, args.size()))
        throw PlsqlNeedsSql{};
    if (name == "NVL")
        return args[0].kind == OraValue::Kind::Null ? args[1] : args[0];
    for (const OraValue& a : args)
        if (a.kind == OraValue::Kind::Null)
            return OraValue{};
    if (name == "UPPER" || name == "LOWER") {
        if (args[0].kind != OraValue::Kind::Text)
            throw PlsqlNeedsSql{};
        std::string s = args[0].text;
        for (char& c : s)
            c = name == "UPPER" ? VkAsciiToUpper(c) : VkAsciiToLower(c);
        return Text(s);
    }
    if (name == "LENGTH" || name == "SUBSTR") {
        if (args[0].kind != OraValue::Kind::Text)
            throw PlsqlNeedsSql{}; // numbers and dates print as SQL prints them
        const std::string& s = args[0].text;
        for (unsigned char c : s)
            if (c >= 0x80)
                throw PlsqlNeedsSql{}; // characters, not bytes
        const int64_t len = static_cast<int64_t>(s.size());
        if (name == "LENGTH")
            return Number(OraNumFromInt(len));
        const OraNum p = ToNumber(args[1]);
        int64_t pos = p.isInt ? p.i : static_cast<int64_t>(p.d);
        if (pos == 0)
            pos = 1;
        if (pos < 0)
            pos = len + pos + 1;
        if (pos < 1 || pos > len)
            return OraValue{};
        int64_t count = len - pos + 1;
        if (args.size() > 2) {
            const OraNum c = ToNumber(args[2]);
            const int64_t want = c.isInt ? c.i : static_cast<int64_t>(c.d);
            if (want < 1)
                return OraValue{};
            count = std::min(count, want);
        }
        return Text(s.substr(static_cast<size_t>(pos - 1), static_cast<size_t>(count)));
    }
    if ((name == "TRUNC" || name == "ROUND") && args[0].kind == OraValue::Kind::Date)
        throw PlsqlNeedsSql{};
    const OraNum x = ToNumber(args[0]);
    if (name == "ABS")
        return Number(x.isInt ? (x.i == INT64_MIN ? OraNumFromDouble(-static_cast<double>(x.i)) : OraNumFromInt(x.i < 0 ? -x.i : x.i))
                              : OraNumFromDouble(std::fabs(x.d)));
    if (name == "TO_NUMBER")
        return Number(x);
    if (name == "TRUNC" || name == "ROUND") {
        int places = 0;
        if (args.size() > 1) {
            const OraNum p = ToNumber(args[1]);
            places = static_cast<int>(std::max<int64_t>(-400, std::min<int64_t>(400, p.isInt ? p.i : static_cast<int64_t>(p.d))));
        }
        return Number(name == "TRUNC" ? OraTruncNumber(x, places) : OraRoundNumber(x, places));
    }
    // MOD(m, n): m when n is 0, else m - n * TRUNC(m / n), with the sign of m.
    const OraNum y = ToNumber(args[1]);
    if (y.AsDouble() == 0)
        return Number(x);
    if (x.isInt && y.isInt && y.i != -1)
        return Number(OraNumFromInt(x.i % y.i));
    return Number(Decimal15(std::fmod(x.AsDouble(), y.AsDouble())));
}

} // namespace PlsqlOps
} // namespace VkOracle
