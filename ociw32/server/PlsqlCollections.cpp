// Index-by tables of PL/SQL 2: TYPE t IS TABLE OF ... INDEX BY BINARY_INTEGER,
// elements t(i) read and written, and the methods COUNT, FIRST, LAST, NEXT,
// PRIOR, EXISTS and DELETE. A table holds only the elements assigned; reading
// another raises NO_DATA_FOUND.
#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraNumber.h"
#include "ociw32/server/PlsqlInterpreter.h"

#include <cmath>
#include <cstdlib>
#include <iterator>

namespace VkOracle {
namespace {

// DBMS_OUTPUT.CHARARR, the table GET_LINES fills.
const PlsqlVar& CharArr()
{
    static const PlsqlVar kType = [] {
        PlsqlVar t;
        t.typeDef = true;
        t.base = 'T';
        t.maxLength = 255;
        return t;
    }();
    return kType;
}

// The matching ")" of the "(" at `open`, or span.end when there is none.
size_t Closing(const std::vector<SqlToken>& t, size_t open, PlsqlSpan span)
{
    int depth = 0;
    for (size_t k = open; k < span.end; ++k) {
        if (t[k].kind != TokKind::Op)
            continue;
        if (t[k].text == "(")
            ++depth;
        else if (t[k].text == ")" && --depth == 0)
            return k;
    }
    return span.end;
}

} // namespace

const PlsqlVar* PlsqlInterpreter::TableType(const std::string& type, PlsqlScope* scope)
{
    if (type == "DBMS_OUTPUT.CHARARR" || type == "SYS.DBMS_OUTPUT.CHARARR")
        return &CharArr();
    if (const PlsqlVar* t = scope->Find(type); t && t->typeDef)
        return t;
    // A package header's type: pkg.t
    const size_t dot = type.find('.');
    if (dot == std::string::npos || type.find('%') != std::string::npos)
        return nullptr;
    const PlsqlVar* t = PackageVariable({type.substr(0, dot), type.substr(dot + 1)});
    return t && t->typeDef ? t : nullptr;
}

bool PlsqlInterpreter::DeclareCollection(const PlsqlVarDecl& d, PlsqlScope* scope)
{
    if (d.type == "TYPE") {
        PlsqlVar t;
        t.typeDef = true;
        t.base = 'T';
        const std::string head = d.elementType.substr(0, d.elementType.find('('));
        if (head == "DATE")
            t.base = 'D';
        else if (head == "BOOLEAN")
            t.base = 'B';
        else if (head == "VARCHAR2" || head == "VARCHAR" || head == "CHAR" || head == "STRING" || head == "LONG") {
            const size_t open = d.elementType.find('(');
            t.maxLength = open == std::string::npos ? (head == "CHAR" ? 1 : 0) : std::atoi(d.elementType.c_str() + open + 1);
        } else if (d.elementType.find('%') != std::string::npos) {
            t.base = '?'; // anchored: takes what it is given
        } else {
            t.base = 'N';
        }
        scope->vars[d.name] = t;
        return true;
    }
    const PlsqlVar* type = TableType(d.type, scope);
    if (!type)
        return false;
    if (!d.init.Empty())
        CompileFail(d.token, "PLS-00306: wrong number or types of arguments in call to '" + d.type + "'");
    PlsqlVar v;
    v.collection = true;
    v.base = type->base;
    v.maxLength = type->maxLength;
    scope->vars[d.name] = v;
    return true;
}

int64_t PlsqlInterpreter::Subscript(const OraValue& index) const
{
    if (index.kind == OraValue::Kind::Null)
        Raise(6502, "ORA-06502: PL/SQL: numeric or value error: NULL index table key value");
    const OraNum n = PlsqlOps::ToNumber(index);
    if (n.isInt)
        return n.i;
    // A BINARY_INTEGER subscript: rounded, and within its range.
    if (!(std::fabs(n.d) < 2147483647.5))
        Raise(6502, "ORA-06502: PL/SQL: numeric or value error");
    return static_cast<int64_t>(std::llround(n.d));
}

void PlsqlInterpreter::AssignElement(const PlsqlStmt& st, PlsqlScope* scope)
{
    PlsqlVar* table = scope->Find(st.target);
    if (!table || !table->collection)
        CompileFail(st.token, "PLS-00222: no function with name '" + st.target + "' exists in this scope");
    if (table->constant)
        CompileFail(st.token, "PLS-00363: expression '" + st.target + "' cannot be used as an assignment target");
    const OraValue index = EvalValue(st.index, scope, 'N');
    PlsqlVar element;
    element.base = table->base;
    element.maxLength = table->maxLength;
    const OraValue value = EvalValue(st.expr, scope, element.base);
    if (Checking())
        return;
    const int64_t key = Subscript(index);
    Assign(&element, st.target, value, st.token);
    table->elements[key] = element.value;
}

bool PlsqlInterpreter::CollectionTerm(PlsqlSpan span, size_t i, PlsqlScope* scope, OraValue* value, int* truth,
                                      size_t* last)
{
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    auto isOp = [&](size_t k, const char* op) { return k < span.end && t[k].kind == TokKind::Op && t[k].text == op; };
    if (t[i].kind != TokKind::Ident)
        return false;
    PlsqlVar* table = scope->Find(t[i].text);
    if (!table || !table->collection)
        return false;
    *truth = -1;
    // The argument in parentheses after token k, evaluated as a subscript.
    auto argument = [&](size_t open, size_t* close) {
        *close = Closing(t, open, span);
        if (*close >= span.end || *close == open + 1)
            CompileFail(i, "PLS-00306: wrong number or types of arguments in call to '" + t[i].text + "'");
        return EvalValue(PlsqlSpan{open + 1, *close}, scope, 'N');
    };
    if (isOp(i + 1, "(")) {
        const OraValue index = argument(i + 1, last);
        *value = OraValue{};
        if (Checking())
            return true;
        auto it = table->elements.find(Subscript(index));
        if (it == table->elements.end())
            Raise(1403, FormatOraError(1403));
        *value = it->second;
        return true;
    }
    if (!isOp(i + 1, ".") || i + 2 >= span.end || t[i + 2].kind != TokKind::Ident)
        return false;
    const std::string& method = t[i + 2].text;
    const std::map<int64_t, OraValue>& e = table->elements;
    *last = i + 2;
    *value = OraValue{};
    if (method == "COUNT") {
        *value = PlsqlOps::Integer(static_cast<int64_t>(e.size()));
    } else if (method == "FIRST" || method == "LAST") {
        if (!e.empty())
            *value = PlsqlOps::Integer(method == "FIRST" ? e.begin()->first : e.rbegin()->first);
    } else if (method == "NEXT" || method == "PRIOR" || method == "EXISTS") {
        if (!isOp(i + 3, "("))
            CompileFail(i, "PLS-00306: wrong number or types of arguments in call to '" + method + "'");
        const OraValue index = argument(i + 3, last);
        if (Checking()) {
            *truth = method == "EXISTS" ? 1 : -1;
            return true;
        }
        if (method == "EXISTS") {
            *truth = index.kind != OraValue::Kind::Null && e.count(Subscript(index)) ? 1 : 0;
            return true;
        }
        if (index.kind == OraValue::Kind::Null)
            return true;
        const int64_t key = Subscript(index);
        if (method == "NEXT") {
            auto it = e.upper_bound(key);
            if (it != e.end())
                *value = PlsqlOps::Integer(it->first);
        } else {
            auto it = e.lower_bound(key);
            if (it != e.begin())
                *value = PlsqlOps::Integer(std::prev(it)->first);
        }
    } else {
        CompileFailAt(i + 2, m_frames.back().token, "PLS-00302: component '" + method + "' must be declared");
    }
    return true;
}

bool PlsqlInterpreter::CollectionProcedure(const std::vector<std::string>& name, const PlsqlStmt& call,
                                           PlsqlScope* scope)
{
    if (name.size() != 2)
        return false;
    PlsqlVar* table = scope->Find(name[0]);
    if (!table || !table->collection)
        return false;
    // The error points at the method, in the statement it ends.
    if (name[1] != "DELETE")
        CompileFailAt(call.token + 2, call.token, "PLS-00302: component '" + name[1] + "' must be declared");
    if (table->constant)
        CompileFail(call.token, "PLS-00363: expression '" + name[0] + "' cannot be used as an assignment target");
    if (call.args.size() > 2)
        CompileFail(call.token, "PLS-00306: wrong number or types of arguments in call to 'DELETE'");
    std::vector<OraValue> bounds;
    for (const PlsqlSpan& a : call.args)
        bounds.push_back(EvalValue(a, scope, 'N'));
    if (Checking())
        return true;
    // DELETE(i) and DELETE(i, j) with a NULL bound delete nothing.
    for (const OraValue& b : bounds)
        if (b.kind == OraValue::Kind::Null)
            return true;
    std::map<int64_t, OraValue>& e = table->elements;
    if (bounds.empty()) {
        e.clear();
        return true;
    }
    const int64_t from = Subscript(bounds[0]);
    const int64_t to = bounds.size() > 1 ? Subscript(bounds[1]) : from;
    if (from <= to)
        e.erase(e.lower_bound(from), e.upper_bound(to));
    return true;
}

} // namespace VkOracle
