#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/OraTransaction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraNumber.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/PlsqlSessionState.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

namespace VkOracle {
namespace {

char BaseOf(const std::string& type, int* maxLength)
{
    *maxLength = 0;
    const std::string head = type.substr(0, type.find('('));
    static const char* const kNumbers[] = {"NUMBER", "INTEGER", "INT", "BINARY_INTEGER", "PLS_INTEGER", "FLOAT",
                                           "NATURAL", "POSITIVE", "DECIMAL", "SMALLINT", "REAL", "NUMERIC",
                                           "SIGNTYPE", "NATURALN", "POSITIVEN", "DOUBLE", "BINARY_DOUBLE"};
    for (const char* n : kNumbers)
        if (head == n)
            return 'N';
    if (head == "VARCHAR2" || head == "VARCHAR" || head == "CHAR" || head == "NVARCHAR2" || head == "NCHAR" ||
        head == "STRING" || head == "LONG" || head == "ROWID") {
        const size_t open = type.find('(');
        if (open != std::string::npos)
            *maxLength = std::atoi(type.c_str() + open + 1);
        else if (head == "CHAR" || head == "NCHAR")
            *maxLength = 1;
        return 'T';
    }
    if (head == "DATE" || head == "TIMESTAMP")
        return 'D';
    if (head == "BOOLEAN")
        return 'B';
    return '?';
}

const std::map<std::string, int>& PredefinedExceptions()
{
    static const std::map<std::string, int> kMap = {
        {"NO_DATA_FOUND", 1403}, {"TOO_MANY_ROWS", 1422}, {"ZERO_DIVIDE", 1476}, {"DUP_VAL_ON_INDEX", 1},
        {"VALUE_ERROR", 6502},   {"INVALID_NUMBER", 1722}, {"INVALID_CURSOR", 1001}, {"LOGIN_DENIED", 1017},
        {"NOT_LOGGED_ON", 1012}, {"TIMEOUT_ON_RESOURCE", 51}, {"PROGRAM_ERROR", 6501}, {"STORAGE_ERROR", 6500},
        {"CURSOR_ALREADY_OPEN", 6511}, {"ROWTYPE_MISMATCH", 6504}, {"CASE_NOT_FOUND", 6592}};
    return kMap;
}

} // namespace

PlsqlScope::PlsqlScope()
{
    static std::atomic<uint64_t> s_serial{0};
    serial = ++s_serial;
}

PlsqlVar* PlsqlScope::Find(const std::string& name)
{
    for (PlsqlScope* s = this; s; s = s->parent) {
        auto it = s->vars.find(name);
        if (it != s->vars.end())
            return &it->second;
    }
    return nullptr;
}

PlsqlInterpreter::PlsqlInterpreter(std::shared_ptr<OraSessionCore> core)
    : m_core(std::move(core)), m_jobs(std::make_unique<OraDbmsJob>(*this))
{
}

PlsqlInterpreter::~PlsqlInterpreter() = default;

void PlsqlInterpreter::Raise(int code, const std::string& message)
{
    throw PlsqlRaise{code, message, std::string()};
}

void PlsqlInterpreter::RaiseResult(const OraResult& r)
{
    throw PlsqlRaise{r.code, r.message, std::string()};
}

std::string PlsqlInterpreter::Where() const
{
    const Frame& f = m_frames.back();
    const int pos = f.token < f.unit->tokens.size() ? f.unit->tokens[f.token].pos : 0;
    const std::string line = std::to_string(PlsqlLineOf(f.unit->source, pos));
    return f.unit->label.empty() ? "ORA-06512: at line " + line
                                 : "ORA-06512: at \"" + f.unit->label + "\", line " + line;
}

void PlsqlInterpreter::CompileFail(size_t token, const std::string& text, bool sqlStatement) const
{
    CompileFailAt(token, token, text, sqlStatement);
}

void PlsqlInterpreter::CompileFailAt(size_t errorToken, size_t statementToken, const std::string& text,
                                     bool sqlStatement) const
{
    const PlsqlUnit& u = *m_frames.back().unit;
    auto posOf = [&](size_t token) { return token < u.tokens.size() ? u.tokens[token].pos : 0; };
    const std::string ignored = sqlStatement ? "PL/SQL: SQL Statement ignored" : "PL/SQL: Statement ignored";
    std::string msg = text + "\n" + PlsqlErrorMessage(u.source, posOf(statementToken), ignored);
    // USER_ERRORS lists the statement ignored before the error in it.
    throw CompileFailure{posOf(errorToken), msg, {{posOf(statementToken), ignored}, {posOf(errorToken), text}}};
}

size_t PlsqlInterpreter::TokenNamed(size_t from, const std::string& name) const
{
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    for (size_t i = from; i < t.size() && !(t[i].kind == TokKind::Op && t[i].text == ";"); ++i)
        if ((t[i].kind == TokKind::Ident || t[i].kind == TokKind::QuotedIdent) && t[i].text == name)
            return i;
    return from;
}

OraResult PlsqlInterpreter::Compile(const std::string& source, const std::map<std::string, PlsqlVar>& vars,
                                    std::shared_ptr<PlsqlUnit>* unit)
{
    auto u = std::make_shared<PlsqlUnit>();
    PlsqlCompileError error;
    if (!PlsqlParser::ParseBlock(source, u.get(), &error))
        return OraResult{6550, PlsqlErrorMessage(source, error.pos, error.text), error.pos};
    PlsqlScope root;
    root.vars = vars;
    m_frames.push_back(Frame{u.get(), 0, true, 0});
    OraResult result;
    try {
        RunBlock(u->block, &root);
    } catch (const CompileFailure& f) {
        result = OraResult{6550, PlsqlErrorMessage(source, f.pos, f.text), f.pos};
    } catch (const PlsqlRaise& e) {
        result = OraResult{e.code, e.message, 0};
    }
    m_frames.pop_back();
    if (result.Ok() && unit)
        *unit = std::move(u);
    return result;
}

OraResult PlsqlInterpreter::Check(const PlsqlUnit& unit)
{
    PlsqlScope root;
    for (const SqlToken& t : unit.tokens)
        if (t.kind == TokKind::Bind)
            root.vars[":" + t.text] = PlsqlVar{};
    m_frames.push_back(Frame{&unit, 0, true, 0});
    OraResult result;
    try {
        RunBlock(unit.block, &root);
    } catch (const CompileFailure& f) {
        result = OraResult{6550, PlsqlErrorMessage(unit.source, f.pos, f.text), f.pos};
    } catch (const PlsqlRaise& e) {
        result = OraResult{e.code, e.message, 0};
    }
    m_frames.pop_back();
    return result;
}

OraResult PlsqlInterpreter::Run(const PlsqlUnit& unit, std::map<std::string, OraValue>* hostBinds)
{
    std::map<std::string, PlsqlVar> vars;
    for (auto& [name, value] : *hostBinds) {
        PlsqlVar v;
        v.value = value;
        vars[":" + name] = v;
    }
    OraResult r = RunWith(unit, &vars);
    for (auto& [name, value] : *hostBinds)
        value = vars[":" + name].value;
    return r;
}

OraResult PlsqlInterpreter::RunWith(const PlsqlUnit& unit, std::map<std::string, PlsqlVar>* vars)
{
    PlsqlScope root;
    root.vars = *vars;
    m_frames.push_back(Frame{&unit, 0, false, 0});
    OraResult result;
    try {
        RunBlock(unit.block, &root);
    } catch (const PlsqlRaise& e) {
        result = OraResult{e.code, e.message + "\n" + Where(), 0};
    } catch (const CompileFailure& f) {
        result = OraResult{6550, PlsqlErrorMessage(unit.source, f.pos, f.text), f.pos};
    } catch (const ReturnSignal&) {
    }
    m_frames.pop_back();
    *vars = root.vars;
    return result;
}

void PlsqlInterpreter::Declare(const PlsqlBlock& block, PlsqlScope* scope)
{
    for (const PlsqlVarDecl& d : block.decls) {
        m_frames.back().token = d.token;
        PlsqlVar v;
        if (d.type == "EXCEPTION") {
            v.exception = true;
            scope->vars[d.name] = v;
            continue;
        }
        if (d.type == "CURSOR") {
            DeclareCursor(d, scope);
            continue;
        }
        if (DeclareCollection(d, scope))
            continue;
        v.base = BaseOf(d.type, &v.maxLength);
        if (v.base == '?' && DeclareAnchored(d, scope, &v)) {
            if (!d.init.Empty())
                CompileFail(d.token, "PLS-00999: implementation restriction (may be temporary) record initialisation");
            continue;
        }
        if (v.base == '?' && d.type.find('%') == std::string::npos && d.type != "SYS_REFCURSOR")
            CompileFail(d.token, "PLS-00201: identifier '" + d.type + "' must be declared");
        v.notNull = d.notNull;
        if (!d.init.Empty()) {
            OraValue value = EvalValue(d.init, scope, v.base);
            Assign(&v, d.name, value, d.token);
        } else if (d.constant || d.notNull) {
            CompileFail(d.token, "PLS-00218: a variable declared NOT NULL must have an initialization assignment");
        }
        v.constant = d.constant;
        scope->vars[d.name] = v;
    }
}

void PlsqlInterpreter::RunBlock(const PlsqlBlock& block, PlsqlScope* parent)
{
    // Recursion of PL/SQL itself goes as deep as the stack allows, then
    // fails as Oracle does when its call stack outgrows its memory.
    if (OraStackLow(kPlsqlStackReserve))
        Raise(6500, FormatOraError(6500));
    PlsqlScope scope;
    scope.parent = parent;
    Frame& frame = m_frames.back();
    if (frame.checking) {
        Declare(block, &scope);
        RunList(block.body, &scope);
        for (const PlsqlHandler& h : block.handlers) {
            for (const std::string& n : h.names)
                if (n != "OTHERS" && !PredefinedExceptions().count(n) && !(scope.Find(n) && scope.Find(n)->exception))
                    CompileFail(frame.token, "PLS-00201: identifier '" + n + "' must be declared");
            RunList(h.body, &scope);
        }
        return;
    }
    // An exception raised while declaring goes to the enclosing block's
    // handlers, never to this block's own.
    Declare(block, &scope);
    try {
        RunList(block.body, &scope);
    } catch (const PlsqlRaise& e) {
        for (const PlsqlHandler& h : block.handlers) {
            if (!Handles(h, e, &scope))
                continue;
            const PlsqlRaise saved = m_current;
            const bool wasInHandler = m_inHandler;
            m_current = e;
            m_inHandler = true;
            try {
                RunList(h.body, &scope);
            } catch (...) {
                m_current = saved;
                m_inHandler = wasInHandler;
                throw;
            }
            m_current = saved;
            m_inHandler = wasInHandler;
            return;
        }
        throw;
    }
}

bool PlsqlInterpreter::Handles(const PlsqlHandler& h, const PlsqlRaise& e, PlsqlScope* scope) const
{
    for (const std::string& n : h.names) {
        if (n == "OTHERS")
            return true;
        auto it = PredefinedExceptions().find(n);
        if (it != PredefinedExceptions().end() && it->second == e.code && e.userName.empty())
            return true;
        if (!e.userName.empty() && e.userName == n && scope->Find(n))
            return true;
    }
    return false;
}

void PlsqlInterpreter::RunList(const PlsqlStmtList& list, PlsqlScope* scope)
{
    for (const PlsqlStmtPtr& st : list) {
        if (!m_collected || !Checking()) {
            RunStatement(*st, scope);
            continue;
        }
        // Compiling a stored unit: a statement in error is ignored and the
        // rest are checked, so that every error is listed.
        try {
            RunStatement(*st, scope);
        } catch (const CompileFailure& f) {
            m_collected->insert(m_collected->end(), f.entries.begin(), f.entries.end());
        }
    }
}

PlsqlVar* PlsqlInterpreter::Variable(PlsqlScope* scope, const std::string& name, size_t token)
{
    PlsqlVar* v = scope->Find(name);
    if (!v && name.find('.') != std::string::npos && name[0] != ':') {
        std::vector<std::string> parts;
        size_t start = 0;
        for (size_t dot; (dot = name.find('.', start)) != std::string::npos; start = dot + 1)
            parts.push_back(name.substr(start, dot - start));
        parts.push_back(name.substr(start));
        v = PackageVariable(parts);
    }
    if (!v || v->exception || v->typeDef)
        CompileFail(token, "PLS-00201: identifier '" + name + "' must be declared");
    return v;
}

void PlsqlInterpreter::Assign(PlsqlVar* var, const std::string& name, OraValue value, size_t token)
{
    if (var->constant)
        CompileFail(token, "PLS-00363: expression '" + name + "' cannot be used as an assignment target");
    if (m_frames.back().checking)
        return;
    value = Convert(value, var->base, token);
    // What SQL computed for PL/SQL is held to NUMBER's range too.
    if (value.kind == OraValue::Kind::Number && !value.number.isInt && !(std::fabs(value.number.d) < 1e126))
        Raise(1426, FormatOraError(1426));
    if (var->notNull && value.kind == OraValue::Kind::Null)
        Raise(6502, "ORA-06502: PL/SQL: numeric or value error");
    if (var->maxLength > 0 && value.kind == OraValue::Kind::Text && static_cast<int>(value.text.size()) > var->maxLength)
        Raise(6502, "ORA-06502: PL/SQL: numeric or value error: character string buffer too small");
    var->value = std::move(value);
}

OraValue PlsqlInterpreter::Convert(const OraValue& v, char base, size_t token)
{
    if (v.kind == OraValue::Kind::Null || base == '?' || base == 'B')
        return v;
    if (base == 'T' && v.kind == OraValue::Kind::Text)
        return v;
    if (base == 'N' && v.kind == OraValue::Kind::Number)
        return v;
    if (base == 'D' && v.kind == OraValue::Kind::Date)
        return v;
    if (base == 'N' && v.kind == OraValue::Kind::Text) {
        OraValue out;
        out.kind = OraValue::Kind::Number;
        if (!ParseOracleNumber(v.text, &out.number))
            Raise(6502, "ORA-06502: PL/SQL: numeric or value error: character to number conversion error");
        return out;
    }
    if (base == 'T' && v.kind == OraValue::Kind::Number) {
        OraValue out;
        out.kind = OraValue::Kind::Text;
        out.text = FormatOracleNumber(v.number);
        return out;
    }
    // Dates to and from text follow the session's date format.
    if ((base == 'D' && v.kind == OraValue::Kind::Text) || (base == 'T' && v.kind == OraValue::Kind::Date))
        return SessionFunction(base == 'D' ? "TO_DATE" : "TO_CHAR", {v});
    const char* fn = base == 'D' ? "TO_DATE" : base == 'T' ? "TO_CHAR" : "TO_NUMBER";
    return RunQueryValue(std::string("SELECT ") + fn + "(:B1) FROM DUAL", {v}, token);
}

void PlsqlInterpreter::RunStatement(const PlsqlStmt& st, PlsqlScope* scope)
{
    Frame& frame = m_frames.back();
    frame.token = st.token;
    const bool checking = frame.checking;
    if (!checking && m_core->TakeBlockBreak())
        Raise(1013, FormatOraError(1013));
    m_core->ExpireStatementClock();
    // The statements' shared SQLite transaction is not kept across long work.
    if (!checking && m_core->Transaction().HeldOpen())
        if (OraResult flushed = m_core->Transaction().FlushIfStale(); !flushed.Ok())
            RaiseResult(flushed);
    switch (st.kind) {
    case PlsqlStmt::Kind::Null:
        return;
    case PlsqlStmt::Kind::Assign: {
        if (!st.index.Empty()) {
            AssignElement(st, scope);
            return;
        }
        PlsqlVar* var = Variable(scope, st.target, st.token);
        if (var->collection) {
            // t := other_table copies its elements.
            const std::vector<SqlToken>& t = frame.unit->tokens;
            PlsqlVar* from = st.expr.end == st.expr.begin + 1 ? scope->Find(t[st.expr.begin].text) : nullptr;
            if (!from || !from->collection || from->base != var->base)
                CompileFail(st.token, "PLS-00382: expression is of wrong type");
            if (!checking)
                var->elements = from->elements;
            return;
        }
        if (var->record) {
            // r := other_record copies the fields by position.
            const std::vector<SqlToken>& t = frame.unit->tokens;
            PlsqlVar* from = st.expr.end == st.expr.begin + 1 ? scope->Find(t[st.expr.begin].text) : nullptr;
            if (!from || !from->record || from->fields.size() != var->fields.size())
                CompileFail(st.token, "PLS-00382: expression is of wrong type");
            std::vector<OraValue> row;
            for (const std::string& f : from->fields)
                row.push_back(scope->Find(t[st.expr.begin].text + "." + f)->value);
            if (!checking)
                AssignRow(IntoTargets({st.target}, scope, st.token), row, st.token);
            return;
        }
        OraValue v = EvalValue(st.expr, scope, var->base);
        Assign(var, st.target, v, st.token);
        return;
    }
    case PlsqlStmt::Kind::Call:
        Call(st.name, st, scope, false);
        return;
    case PlsqlStmt::Kind::If:
        for (const PlsqlIfBranch& b : st.branches) {
            frame.token = st.token;
            if (checking) {
                if (!b.condition.Empty())
                    EvalCondition(b.condition, scope);
                RunList(b.body, scope);
                continue;
            }
            if (b.condition.Empty() || EvalCondition(b.condition, scope) == 1) {
                RunList(b.body, scope);
                return;
            }
        }
        return;
    case PlsqlStmt::Kind::Loop:
    case PlsqlStmt::Kind::While:
    case PlsqlStmt::Kind::For:
        RunLoop(st, scope);
        return;
    case PlsqlStmt::Kind::Exit:
        if (checking) {
            if (!st.expr.Empty())
                EvalCondition(st.expr, scope);
            return;
        }
        if (st.expr.Empty() || EvalCondition(st.expr, scope) == 1)
            throw LoopExit{};
        return;
    case PlsqlStmt::Kind::Sql:
        RunSqlStatement(st, scope);
        return;
    case PlsqlStmt::Kind::Raise: {
        if (st.name.empty()) {
            if (!m_inHandler && !checking)
                CompileFail(st.token, "PLS-00367: a RAISE statement with no exception name must be inside an exception handler");
            if (!checking)
                throw m_current;
            return;
        }
        const std::string n = st.name.back();
        auto it = PredefinedExceptions().find(n);
        PlsqlVar* user = scope->Find(n);
        if (user && user->exception) {
            if (!checking)
                throw PlsqlRaise{6510, "ORA-06510: PL/SQL: unhandled user-defined exception", n};
            return;
        }
        if (it == PredefinedExceptions().end())
            CompileFail(st.token, "PLS-00201: identifier '" + n + "' must be declared");
        if (!checking)
            Raise(it->second, FormatOraError(it->second));
        return;
    }
    case PlsqlStmt::Kind::Return:
        if (!st.expr.Empty()) {
            PlsqlVar* result = scope->Find("%RESULT");
            if (!result)
                CompileFail(st.token, "PLS-00372: In a procedure, RETURN statement cannot contain an expression");
            OraValue v = EvalValue(st.expr, scope, result->base);
            Assign(result, "RETURN", v, st.token);
        }
        if (!checking)
            throw ReturnSignal{};
        return;
    case PlsqlStmt::Kind::Block:
        RunBlock(*st.block, scope);
        return;
    case PlsqlStmt::Kind::Open:
    case PlsqlStmt::Kind::Fetch:
    case PlsqlStmt::Kind::Close:
        RunCursorStatement(st, scope);
        return;
    case PlsqlStmt::Kind::CursorFor:
        RunCursorFor(st, scope);
        return;
    case PlsqlStmt::Kind::ExecImmediate:
        RunExecImmediate(st, scope);
        return;
    }
}

void PlsqlInterpreter::RunLoop(const PlsqlStmt& st, PlsqlScope* scope)
{
    Frame& frame = m_frames.back();
    PlsqlScope loopScope;
    loopScope.parent = scope;
    int64_t from = 0, to = -1, step = 1;
    if (st.kind == PlsqlStmt::Kind::For) {
        PlsqlVar counter;
        counter.base = 'N';
        loopScope.vars[st.target] = counter;
        if (!frame.checking) {
            OraValue lo = Convert(EvalValue(st.expr, scope, 'N'), 'N', st.token);
            OraValue hi = Convert(EvalValue(st.upper, scope, 'N'), 'N', st.token);
            if (lo.kind == OraValue::Kind::Null || hi.kind == OraValue::Kind::Null)
                Raise(6502, "ORA-06502: PL/SQL: numeric or value error");
            from = lo.number.isInt ? lo.number.i : static_cast<int64_t>(lo.number.d + 0.5);
            to = hi.number.isInt ? hi.number.i : static_cast<int64_t>(hi.number.d + 0.5);
            if (st.reverse) {
                std::swap(from, to);
                step = -1;
            }
        } else {
            EvalValue(st.expr, scope, 'N');
            EvalValue(st.upper, scope, 'N');
        }
    }
    if (frame.checking) {
        if (st.kind == PlsqlStmt::Kind::While)
            EvalCondition(st.expr, scope);
        RunList(st.body, &loopScope);
        return;
    }
    // Whether the session was killed or the instance stopped is a file
    // check: done every so many iterations, not on each one.
    constexpr unsigned kAliveEvery = 256;
    unsigned sinceAlive = kAliveEvery;
    PlsqlVar* counter = st.kind == PlsqlStmt::Kind::For ? &loopScope.vars[st.target] : nullptr;
    for (int64_t i = from;; i += step) {
        if (++sinceAlive >= kAliveEvery) {
            sinceAlive = 0;
            const OraResult alive = m_core->CheckAlive();
            if (!alive.Ok())
                RaiseResult(alive);
        }
        if (m_core->TakeBlockBreak())
            Raise(1013, FormatOraError(1013));
        if (counter) {
            if ((step > 0 && i > to) || (step < 0 && i < to))
                return;
            counter->value = OraValue{OraValue::Kind::Number, OraNumFromInt(i), {}, 0};
        } else if (st.kind == PlsqlStmt::Kind::While) {
            frame.token = st.token;
            if (EvalCondition(st.expr, scope) != 1)
                return;
        }
        try {
            RunList(st.body, &loopScope);
        } catch (const LoopExit&) {
            return;
        }
    }
}

} // namespace VkOracle
