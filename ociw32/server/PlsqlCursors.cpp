// The interpreter's explicit cursors, cursor FOR loops, %ROWTYPE and %TYPE
// declarations and EXECUTE IMMEDIATE.
#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/PlsqlCursor.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlParser.h"

namespace VkOracle {
namespace {

// The variable type a column of the given internal type code holds.
PlsqlVar FieldOfColumn(int dbType, int dbSize)
{
    PlsqlVar v;
    if (dbType == 2)
        v.base = 'N';
    else if (dbType == 12)
        v.base = 'D';
    else if (dbType == 1 || dbType == 96) {
        v.base = 'T';
        v.maxLength = dbSize;
    }
    return v;
}

PlsqlVar FieldOfType(const SqlType& t)
{
    PlsqlVar v;
    if (t.IsNumber())
        v.base = 'N';
    else if (t.IsDate())
        v.base = 'D';
    else if (t.IsText()) {
        v.base = 'T';
        v.maxLength = t.base == SqlBaseType::Long ? 0 : t.size;
    }
    return v;
}

std::vector<std::string> Split(const std::string& dotted)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dot; (dot = dotted.find('.', start)) != std::string::npos; start = dot + 1)
        parts.push_back(dotted.substr(start, dot - start));
    parts.push_back(dotted.substr(start));
    return parts;
}

// Closes a cursor however its loop ends.
struct CursorCloser {
    PlsqlCursor* cursor;
    ~CursorCloser()
    {
        if (cursor)
            cursor->statement.reset();
    }
};

} // namespace

void PlsqlInterpreter::DeclareRecord(PlsqlScope* scope, const std::string& name,
                                     const std::vector<std::pair<std::string, PlsqlVar>>& fields)
{
    PlsqlVar r;
    r.record = true;
    for (const auto& [field, var] : fields) {
        r.fields.push_back(field);
        scope->vars[name + "." + field] = var;
    }
    scope->vars[name] = r;
}

std::vector<std::pair<std::string, PlsqlVar>> PlsqlInterpreter::QueryFields(const OraStatement& query) const
{
    std::vector<std::pair<std::string, PlsqlVar>> fields;
    for (const OraColumnDesc& c : query.Columns())
        fields.emplace_back(c.name, FieldOfColumn(c.dbType, c.dbSize));
    return fields;
}

void PlsqlInterpreter::DeclareCursor(const PlsqlVarDecl& d, PlsqlScope* scope)
{
    PlsqlVar v;
    v.cursor = std::make_shared<PlsqlCursor>();
    v.cursor->decl = &d;
    v.cursor->unit = m_frames.back().unit;
    if (Checking()) {
        // The query must compile with the parameters in scope.
        PlsqlScope params;
        params.parent = scope;
        for (const PlsqlParam& p : d.params)
            params.vars[p.name] = PlsqlVar{};
        OpenQuery(d.query, &params, d.token);
    }
    scope->vars[d.name] = v;
}

bool PlsqlInterpreter::DeclareAnchored(const PlsqlVarDecl& d, PlsqlScope* scope, PlsqlVar* v)
{
    const size_t pct = d.type.rfind('%');
    if (pct == std::string::npos)
        return false;
    const std::string anchor = d.type.substr(0, pct);
    const std::string attr = d.type.substr(pct + 1);
    const std::vector<std::string> parts = Split(anchor);
    if (attr == "ROWTYPE") {
        if (PlsqlVar* c = scope->Find(anchor); c && c->cursor) {
            // The cursor's select list, parsed with its parameters unset.
            PlsqlScope params;
            params.parent = scope;
            for (const PlsqlParam& p : c->cursor->decl->params)
                params.vars[p.name] = PlsqlVar{};
            const bool wasChecking = m_frames.back().checking;
            m_frames.back().checking = true;
            std::unique_ptr<OraStatement> q;
            try {
                q = OpenQuery(c->cursor->decl->query, &params, d.token);
            } catch (...) {
                m_frames.back().checking = wasChecking;
                throw;
            }
            m_frames.back().checking = wasChecking;
            DeclareRecord(scope, d.name, QueryFields(*q));
            return true;
        }
        OraCatalog& catalog = m_core->Catalog();
        const OraObjectRef ref = catalog.Resolve(parts);
        if (!ref.found || (ref.type != "TABLE" && ref.type != "VIEW"))
            CompileFail(d.token, "PLS-00201: identifier '" + anchor + "' must be declared");
        std::vector<std::pair<std::string, PlsqlVar>> fields;
        for (const OraColumnInfo& c : catalog.Columns(ref.owner, ref.name))
            fields.emplace_back(c.name, FieldOfType(c.type));
        DeclareRecord(scope, d.name, fields);
        return true;
    }
    if (attr != "TYPE")
        CompileFail(d.token, "PLS-00208: identifier '" + attr + "' is not a legal type attribute");
    if (PlsqlVar* other = scope->Find(anchor); other && !other->exception && !other->cursor) {
        if (other->record) {
            std::vector<std::pair<std::string, PlsqlVar>> fields;
            for (const std::string& f : other->fields) {
                PlsqlVar fv = *scope->Find(anchor + "." + f);
                fv.value = OraValue{};
                fv.constant = false;
                fields.emplace_back(f, fv);
            }
            DeclareRecord(scope, d.name, fields);
            return true;
        }
        v->base = other->base;
        v->maxLength = other->maxLength;
        return false;
    }
    if (parts.size() >= 2) {
        OraCatalog& catalog = m_core->Catalog();
        const OraObjectRef ref = catalog.Resolve(std::vector<std::string>(parts.begin(), parts.end() - 1));
        if (ref.found)
            for (const OraColumnInfo& c : catalog.Columns(ref.owner, ref.name))
                if (c.name == parts.back()) {
                    const PlsqlVar f = FieldOfType(c.type);
                    v->base = f.base;
                    v->maxLength = f.maxLength;
                    return false;
                }
    }
    CompileFail(d.token, "PLS-00201: identifier '" + anchor + "' must be declared");
}

std::unique_ptr<OraStatement> PlsqlInterpreter::OpenQuery(PlsqlSpan query, PlsqlScope* scope, size_t token)
{
    std::vector<OraValue> binds;
    std::vector<std::pair<size_t, size_t>> where;
    const std::string text = Rewrite(query, scope, &binds, {}, &where);
    std::unique_ptr<OraStatement> st;
    OraResult r = ParseOnCore(m_core, text, &st);
    if (!r.Ok()) {
        if (Checking() || r.code == 942 || r.code == 904) {
            size_t at = token;
            for (const auto& [offset, tok] : where)
                if (offset <= static_cast<size_t>(std::max(r.offset, 0)))
                    at = tok;
            CompileFailAt(at, token, "PL/SQL: " + r.message.substr(0, r.message.find('\n')), true);
        }
        RaiseResult(r);
    }
    if (st->Kind() != OraStatementKind::Query)
        CompileFail(token, "PLS-00103: Encountered the symbol \"" + m_frames.back().unit->tokens[query.begin].text +
                               "\" when expecting one of the following:\n\n   ( select with");
    if (Checking())
        return st;
    for (size_t i = 0; i < binds.size(); ++i)
        st->Bind("B" + std::to_string(i + 1), binds[i]);
    uint64_t rows = 0;
    r = st->Execute(&rows);
    if (!r.Ok())
        RaiseResult(r);
    return st;
}

PlsqlVar* PlsqlInterpreter::CursorVar(PlsqlScope* scope, const std::string& name, size_t token)
{
    PlsqlVar* v = scope->Find(name);
    if (!v || v->exception)
        CompileFail(token, "PLS-00201: identifier '" + name + "' must be declared");
    if (!v->cursor)
        CompileFail(token, "PLS-00456: item '" + name + "' is not a cursor");
    return v;
}

void PlsqlInterpreter::OpenCursor(PlsqlVar* var, const PlsqlStmt& st, PlsqlScope* scope)
{
    PlsqlCursor& c = *var->cursor;
    if (c.unit != m_frames.back().unit)
        CompileFail(st.token, "PLS-00999: implementation restriction (may be temporary) cursor of another unit");
    std::vector<PlsqlArg> args = Arguments(c.decl->params, st, scope, st.name[0]);
    if (c.IsOpen() && !Checking())
        Raise(6511, "ORA-06511: PL/SQL: cursor already open");
    PlsqlScope params;
    params.parent = scope;
    for (size_t p = 0; p < c.decl->params.size(); ++p) {
        PlsqlVar v;
        v.value = args[p].given || Checking() ? args[p].value : EvalValue(c.decl->params[p].defaultValue, &params);
        params.vars[c.decl->params[p].name] = v;
    }
    std::unique_ptr<OraStatement> q = OpenQuery(c.decl->query, &params, st.token);
    if (Checking())
        return;
    c.statement = std::move(q);
    c.rowCount = 0;
    c.found = -1;
}

std::vector<std::pair<PlsqlVar*, std::string>> PlsqlInterpreter::IntoTargets(const std::vector<std::string>& into,
                                                                             PlsqlScope* scope, size_t token)
{
    std::vector<std::pair<PlsqlVar*, std::string>> targets;
    for (const std::string& name : into) {
        PlsqlVar* v = Variable(scope, name, token);
        if (!v->record) {
            targets.emplace_back(v, name);
            continue;
        }
        for (const std::string& f : v->fields)
            targets.emplace_back(scope->Find(name + "." + f), name + "." + f);
    }
    return targets;
}

void PlsqlInterpreter::AssignRow(const std::vector<std::pair<PlsqlVar*, std::string>>& targets,
                                 const std::vector<OraValue>& row, size_t token)
{
    for (size_t i = 0; i < targets.size() && i < row.size(); ++i)
        Assign(targets[i].first, targets[i].second, row[i], token);
}

OraValue PlsqlInterpreter::CursorAttribute(const PlsqlCursor& c, const std::string& attr)
{
    auto boolean = [](int b) {
        OraValue v;
        if (b >= 0) {
            v.kind = OraValue::Kind::Number;
            v.number = OraNumFromInt(b);
        }
        return v;
    };
    if (attr == "ISOPEN")
        return boolean(c.IsOpen() ? 1 : 0);
    if (!c.IsOpen())
        Raise(1001, FormatOraError(1001));
    if (attr == "ROWCOUNT") {
        OraValue v;
        v.kind = OraValue::Kind::Number;
        v.number = OraNumFromInt(c.rowCount);
        return v;
    }
    if (c.found < 0)
        return OraValue{};
    return boolean((c.found == 1) == (attr == "FOUND") ? 1 : 0);
}

void PlsqlInterpreter::RunCursorStatement(const PlsqlStmt& st, PlsqlScope* scope)
{
    PlsqlVar* var = CursorVar(scope, st.name[0], st.token);
    PlsqlCursor& c = *var->cursor;
    if (st.kind == PlsqlStmt::Kind::Open) {
        OpenCursor(var, st, scope);
        return;
    }
    if (st.kind == PlsqlStmt::Kind::Close) {
        if (Checking())
            return;
        if (!c.IsOpen())
            Raise(1001, FormatOraError(1001));
        c.statement.reset();
        return;
    }
    const auto targets = IntoTargets(st.into, scope, st.token);
    if (Checking())
        return;
    if (!c.IsOpen())
        Raise(1001, FormatOraError(1001));
    if (targets.size() != c.statement->Columns().size())
        Raise(6504, "ORA-06504: PL/SQL: Return types of Result Set variables or query do not match");
    std::vector<OraValue> row;
    const OraResult r = c.statement->Fetch(&row);
    if (r.code == 1403) {
        c.found = 0;
        return;
    }
    if (!r.Ok())
        RaiseResult(r);
    c.found = 1;
    ++c.rowCount;
    AssignRow(targets, row, st.token);
}

void PlsqlInterpreter::RunCursorFor(const PlsqlStmt& st, PlsqlScope* scope)
{
    PlsqlCursor* declared = nullptr;
    std::unique_ptr<OraStatement> inlineQuery;
    if (!st.name.empty()) {
        PlsqlVar* var = CursorVar(scope, st.name[0], st.token);
        OpenCursor(var, st, scope);
        declared = var->cursor.get();
    } else {
        inlineQuery = OpenQuery(st.expr, scope, st.token);
    }
    CursorCloser closer{declared && !Checking() ? declared : nullptr};
    OraStatement* query = declared && !Checking() ? declared->statement.get() : inlineQuery.get();
    PlsqlScope loopScope;
    loopScope.parent = scope;
    std::vector<std::pair<std::string, PlsqlVar>> fields;
    if (query) {
        fields = QueryFields(*query);
    } else {
        // Checking: the select list of the declared cursor's query.
        PlsqlVarDecl rowtype;
        rowtype.name = st.target;
        rowtype.type = st.name[0] + "%ROWTYPE";
        rowtype.token = st.token;
        PlsqlVar unused;
        DeclareAnchored(rowtype, &loopScope, &unused);
    }
    if (query)
        DeclareRecord(&loopScope, st.target, fields);
    if (Checking()) {
        RunList(st.body, &loopScope);
        return;
    }
    const auto targets = IntoTargets({st.target}, &loopScope, st.token);
    std::vector<OraValue> row;
    for (;;) {
        if (m_core->TakeBlockBreak())
            Raise(1013, FormatOraError(1013));
        const OraResult r = query->Fetch(&row);
        if (r.code == 1403) {
            if (declared)
                declared->found = 0;
            return;
        }
        if (!r.Ok())
            RaiseResult(r);
        if (declared) {
            declared->found = 1;
            ++declared->rowCount;
        }
        AssignRow(targets, row, st.token);
        try {
            RunList(st.body, &loopScope);
        } catch (const LoopExit&) {
            return;
        }
    }
}

void PlsqlInterpreter::RunExecImmediate(const PlsqlStmt& st, PlsqlScope* scope)
{
    const OraValue textValue = Convert(EvalValue(st.expr, scope, 'T'), 'T', st.token);
    std::vector<std::pair<PlsqlVar*, std::string>> targets = IntoTargets(st.into, scope, st.token);
    std::vector<PlsqlArg> args(st.args.size());
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    for (size_t i = 0; i < st.args.size(); ++i) {
        if (st.argNames[i] == "IN") {
            args[i].value = EvalValue(st.args[i], scope);
            continue;
        }
        const PlsqlSpan a = st.args[i];
        const bool single = a.end == a.begin + 1 && (t[a.begin].kind == TokKind::Ident || t[a.begin].kind == TokKind::Bind);
        const std::string name = single ? (t[a.begin].kind == TokKind::Bind ? ":" : "") + t[a.begin].text : std::string();
        args[i].target = single ? scope->Find(name) : nullptr;
        if (!args[i].target)
            CompileFail(st.token, "PLS-00201: identifier '" + name + "' must be declared");
        args[i].targetName = name;
        args[i].value = args[i].target->value;
    }
    if (Checking())
        return;
    if (textValue.kind == OraValue::Kind::Null)
        Raise(6535, "ORA-06535: statement string in EXECUTE IMMEDIATE is NULL or 0 length");
    const std::string text = textValue.text;
    std::string head;
    for (char ch : text.substr(0, 16))
        head += (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
    const size_t first = head.find_first_not_of(" \t\r\n");
    head = first == std::string::npos ? std::string() : head.substr(first);
    if (head.rfind("BEGIN", 0) == 0 || head.rfind("DECLARE", 0) == 0) {
        // A block: its binds, in order of first use, take the USING arguments.
        auto unit = std::make_shared<PlsqlUnit>();
        PlsqlCompileError error;
        if (!PlsqlParser::ParseBlock(text, unit.get(), &error))
            Raise(6550, PlsqlErrorMessage(text, error.pos, error.text));
        std::vector<std::string> names;
        for (const SqlToken& tok : unit->tokens)
            if (tok.kind == TokKind::Bind && std::find(names.begin(), names.end(), tok.text) == names.end())
                names.push_back(tok.text);
        if (names.size() > args.size())
            Raise(1008, FormatOraError(1008));
        std::map<std::string, OraValue> binds;
        for (size_t i = 0; i < names.size(); ++i)
            binds[names[i]] = args[i].value;
        PlsqlInterpreter nested(m_core);
        OraResult checked = nested.Check(*unit);
        if (!checked.Ok())
            RaiseResult(checked);
        OraResult r = nested.Run(*unit, &binds);
        if (!r.Ok())
            RaiseResult(r);
        for (size_t i = 0; i < names.size(); ++i)
            if (args[i].target && st.argNames[i] != "IN")
                Assign(args[i].target, args[i].targetName, binds[names[i]], st.token);
        return;
    }
    std::unique_ptr<OraStatement> stmt;
    OraResult r = ParseOnCore(m_core, text, &stmt);
    if (!r.Ok())
        RaiseResult(r);
    const std::vector<std::string> names = stmt->BindNames();
    if (names.size() > args.size())
        Raise(1008, FormatOraError(1008));
    if (names.size() < args.size())
        Raise(1006, FormatOraError(1006));
    for (size_t i = 0; i < names.size(); ++i)
        stmt->Bind(names[i], args[i].value);
    uint64_t rows = 0;
    r = stmt->Execute(&rows);
    if (!r.Ok())
        RaiseResult(r);
    const OraStatementKind kind = stmt->Kind();
    if (kind == OraStatementKind::Ddl) {
        // Statements parsed before may name what the DDL changed.
        m_statements.clear();
        m_keptSql.clear();
        m_units.clear();
    }
    if (kind != OraStatementKind::Query) {
        if (kind == OraStatementKind::Insert || kind == OraStatementKind::Update || kind == OraStatementKind::Delete)
            m_rowCount = static_cast<int64_t>(rows);
        return;
    }
    if (targets.empty())
        return; // a query without INTO is not run further, as in Oracle
    if (targets.size() != stmt->Columns().size())
        Raise(932, "ORA-00932: inconsistent datatypes");
    std::vector<OraValue> row, extra;
    r = stmt->Fetch(&row);
    if (r.code == 1403) {
        m_rowCount = 0;
        Raise(1403, FormatOraError(1403));
    }
    if (!r.Ok())
        RaiseResult(r);
    if (stmt->Fetch(&extra).Ok()) {
        m_rowCount = 2;
        Raise(1422, FormatOraError(1422));
    }
    m_rowCount = 1;
    AssignRow(targets, row, st.token);
}

} // namespace VkOracle
