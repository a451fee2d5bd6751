// The interpreter's calls: the built-in procedures, DBMS_JOB, DBMS_LOCK.SLEEP and the
// schema's stored units (run with their owner's name resolution).
#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraStackGuard.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/OraTransaction.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/PlsqlSessionState.h"
#include "ociw32/server/SqliteUtil.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace VkOracle {
namespace {

constexpr size_t kMaxErrorStack = 2000;

std::string Joined(const std::vector<std::string>& name)
{
    std::string out;
    for (const std::string& n : name)
        out += (out.empty() ? "" : ".") + n;
    return out;
}

} // namespace

char PlsqlInterpreter::BaseOfType(const std::string& type)
{
    const std::string head = type.substr(0, type.find('('));
    if (head == "VARCHAR2" || head == "VARCHAR" || head == "CHAR" || head == "STRING" || head == "LONG")
        return 'T';
    if (head == "DATE")
        return 'D';
    if (head == "BOOLEAN")
        return 'B';
    if (head.find('%') != std::string::npos)
        return '?';
    return 'N';
}

void PlsqlInterpreter::Undeclared(const std::vector<std::string>& name, size_t token) const
{
    CompileFail(token, "PLS-00201: identifier '" + Joined(name) + "' must be declared");
}

std::vector<PlsqlArg> PlsqlInterpreter::Arguments(const std::vector<PlsqlParam>& params, const PlsqlStmt& call,
                                                  PlsqlScope* scope, const std::string& callName)
{
    std::vector<PlsqlArg> args(params.size());
    const std::vector<SqlToken>& t = m_frames.back().unit->tokens;
    auto wrong = [&] {
        CompileFail(call.token, "PLS-00306: wrong number or types of arguments in call to '" + callName + "'");
    };
    size_t position = 0;
    for (size_t i = 0; i < call.args.size(); ++i) {
        size_t p = position;
        if (!call.argNames[i].empty()) {
            for (p = 0; p < params.size() && params[p].name != call.argNames[i]; ++p) {
            }
        } else {
            ++position;
        }
        if (p >= params.size() || args[p].given)
            wrong();
        PlsqlArg& a = args[p];
        a.given = true;
        const PlsqlSpan span = call.args[i];
        if (params[p].mode != "IN") {
            const bool single = span.end == span.begin + 1 &&
                                (t[span.begin].kind == TokKind::Ident || t[span.begin].kind == TokKind::Bind);
            const std::string name = single ? (t[span.begin].kind == TokKind::Bind ? ":" : "") + t[span.begin].text
                                            : std::string();
            PlsqlVar* v = single ? scope->Find(name) : nullptr;
            if (!v) {
                if (single && t[span.begin].kind == TokKind::Ident && t[span.begin].text != "NULL")
                    Undeclared({name}, call.token);
                CompileFail(call.token, "PLS-00363: expression '" +
                                            m_frames.back().unit->source.substr(static_cast<size_t>(t[span.begin].pos),
                                                                                static_cast<size_t>(t[span.end - 1].end - t[span.begin].pos)) +
                                            "' cannot be used as an assignment target");
            }
            if (v->constant)
                CompileFail(call.token, "PLS-00363: expression '" + name + "' cannot be used as an assignment target");
            a.target = v;
            a.targetName = name;
            a.value = v->value;
            continue;
        }
        // A table goes in as itself; the callee takes a copy.
        if (span.end == span.begin + 1 && t[span.begin].kind == TokKind::Ident) {
            PlsqlVar* v = scope->Find(t[span.begin].text);
            if (v && v->collection) {
                a.target = v;
                continue;
            }
        }
        const char base = BaseOfType(params[p].type);
        a.value = Convert(EvalValue(span, scope, base), base, call.token);
    }
    for (size_t p = 0; p < params.size(); ++p)
        if (!args[p].given && (!params[p].optional || params[p].mode != "IN"))
            wrong();
    return args;
}

void PlsqlInterpreter::WriteBack(PlsqlArg& arg, const OraValue& value, size_t token)
{
    if (arg.target)
        Assign(arg.target, arg.targetName, value, token);
}

OraValue PlsqlInterpreter::Call(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope,
                                bool wantResult)
{
    if (!wantResult && (CollectionProcedure(name, call, scope) || CallBuiltin(name, call, scope)))
        return OraValue{};
    OraValue builtin;
    if (wantResult && CallBuiltinFunction(name, call, scope, &builtin))
        return builtin;
    bool found = false;
    OraValue v = CallStored(name, call, scope, wantResult, &found);
    if (!found)
        Undeclared(name, call.token);
    return v;
}

bool PlsqlInterpreter::CallBuiltin(const std::vector<std::string>& fullName, const PlsqlStmt& call, PlsqlScope* scope)
{
    std::vector<std::string> name = fullName;
    if (name.size() == 3 && name[0] == "SYS")
        name.erase(name.begin());
    if (name.size() == 1 && name[0] == "RAISE_APPLICATION_ERROR") {
        std::vector<PlsqlParam> params = {{"NUM", "IN", "NUMBER", {}}, {"MSG", "IN", "VARCHAR2", {}},
                                          {"KEEPERRORSTACK", "IN", "BOOLEAN", {}, true}};
        std::vector<PlsqlArg> args = Arguments(params, call, scope, "RAISE_APPLICATION_ERROR");
        if (Checking())
            return true;
        const OraValue& num = args[0].value;
        const int64_t code = num.kind == OraValue::Kind::Number
                                 ? (num.number.isInt ? num.number.i : static_cast<int64_t>(num.number.d))
                                 : 0;
        if (code > -20000 || code < -20999)
            Raise(21000, "ORA-21000: error number argument to raise_application_error of " + std::to_string(code) +
                             " is out of range");
        Raise(static_cast<int>(-code), "ORA-" + std::to_string(-code) + ": " + args[1].value.text);
    }
    if (name.size() == 2 && name[0] == "DBMS_OUTPUT") {
        if (!CallOutput(name[1], call, scope))
            CompileFail(call.token, "PLS-00302: component '" + name[1] + "' must be declared");
        return true;
    }
    if (name.size() == 2 && name[0] == "DBMS_LOCK") {
        if (name[1] != "SLEEP")
            CompileFail(call.token, "PLS-00302: component '" + name[1] + "' must be declared");
        std::vector<PlsqlParam> params = {{"SECONDS", "IN", "NUMBER", {}}};
        std::vector<PlsqlArg> args = Arguments(params, call, scope, "SLEEP");
        if (Checking())
            return true;
        const OraValue& seconds = args[0].value;
        const double wanted = seconds.kind == OraValue::Kind::Number
                                  ? (seconds.number.isInt ? static_cast<double>(seconds.number.i) : seconds.number.d)
                                  : 0.0;
        // Nothing written before the sleep keeps SQLite's lock through it.
        if (OraResult flushed = m_core->Transaction().Flush(); !flushed.Ok())
            RaiseResult(flushed);
        // In short steps, so that a break ends the sleep as it ends a block.
        const auto until = std::chrono::steady_clock::now() +
                           std::chrono::milliseconds(static_cast<int64_t>(std::max(0.0, wanted) * 1000.0));
        while (std::chrono::steady_clock::now() < until) {
            if (m_core->TakeBlockBreak())
                Raise(1013, FormatOraError(1013));
            if (m_core->KilledByOther())
                Raise(28, FormatOraError(28));
            std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
                until - std::chrono::steady_clock::now(), std::chrono::milliseconds(10)));
        }
        return true;
    }
    if (name.size() == 2 && name[0] == "DBMS_JOB") {
        try {
            if (!m_jobs->Call(name[1], call, scope))
                CompileFail(call.token, "PLS-00302: component '" + name[1] + "' must be declared");
        } catch (PlsqlRaise& e) {
            AddPackageFrame(name[1], &e);
            throw;
        }
        return true;
    }
    return false;
}

void PlsqlInterpreter::AddPackageFrame(const std::string& procedure, PlsqlRaise* e)
{
    // The job table's unique index is SYS.I_JOB_JOB, whatever the engine calls it.
    if (e->code == 1)
        e->message = "ORA-00001: unique constraint (SYS.I_JOB_JOB) violated" +
                     (e->message.find('\n') == std::string::npos ? std::string() : e->message.substr(e->message.find('\n')));
    if (e->message.find("\"SYS.DBMS_JOB\"") != std::string::npos)
        return; // RUN reports its own frames
    // The line of each procedure's body in the package, innermost first
    // before the caller's line.
    static const std::map<std::string, int> kLines = {
        {"SUBMIT", 131}, {"ISUBMIT", 83}, {"RUN", 272}, {"REMOVE", 154}, {"CHANGE", 189}, {"WHAT", 201}, {"NEXT_DATE", 211},
        {"INTERVAL", 222}, {"BROKEN", 236}, {"INSTANCE", 250}, {"USER_EXPORT", 302}};
    auto it = kLines.find(procedure);
    const int line = it == kLines.end() ? 1 : it->second;
    const std::string frame = "ORA-06512: at \"SYS.DBMS_JOB\", line " + std::to_string(line);
    e->message += "\n" + frame;
}

std::shared_ptr<PlsqlUnit> PlsqlInterpreter::StoredUnit(const std::string& owner, const std::string& name,
                                                        const std::string& type)
{
    const std::string key = owner + "." + name + "." + type;
    auto it = m_units.find(key);
    if (it != m_units.end())
        return it->second;
    SqliteStmt q(m_core->Db(), "SELECT text FROM cat_source WHERE owner = ? AND name = ? AND type = ?");
    q.Bind(1, owner).Bind(2, name).Bind(3, type);
    if (!q.Step())
        return nullptr;
    auto unit = std::make_shared<PlsqlUnit>();
    PlsqlCompileError error;
    if (!PlsqlParser::ParseStored(q.Text(0), unit.get(), &error))
        Raise(6575, "ORA-06575: Package or function " + name + " is in an invalid state");
    unit->label = owner + "." + name;
    if (type == "PACKAGE BODY")
        unit->package = unit->label;
    m_units[key] = unit;
    return unit;
}

OraValue PlsqlInterpreter::CallStored(const std::vector<std::string>& name, const PlsqlStmt& call, PlsqlScope* scope,
                                      bool wantResult, bool* found)
{
    *found = false;
    OraCatalog& catalog = m_core->Catalog();
    OraObjectRef ref;
    std::string member;
    // Inside a package body its own members come before the schema's units.
    const bool sibling = name.size() == 1 && SiblingMember(name[0], wantResult, &ref);
    if (sibling)
        member = name[0];
    for (size_t n = name.size(); n > 0 && !ref.found; --n) {
        OraObjectRef r = catalog.Resolve(std::vector<std::string>(name.begin(), name.begin() + static_cast<long>(n)));
        if (!r.found)
            continue;
        const bool standalone = r.type == "PROCEDURE" || r.type == "FUNCTION";
        if ((standalone && n == name.size()) || (r.type == "PACKAGE" && n + 1 == name.size())) {
            ref = r;
            member = r.type == "PACKAGE" ? name.back() : r.name;
        }
    }
    if (!ref.found || (!sibling && ref.owner != catalog.User() && !catalog.HasObjectPriv(ref, "EXECUTE")))
        return OraValue{};
    *found = true;
    const std::string unitType = ref.type == "PACKAGE" ? "PACKAGE BODY" : ref.type;
    // A unit that did not compile cannot be called; a call to a package
    // compiles against its header and fails only when it runs.
    // Looked up once per unit and run: a deep recursion must not query the catalogue at every level.
    if (OraStackLow(kPlsqlStackReserve))
        Raise(6500, FormatOraError(6500));
    const std::string key = ref.owner + "." + ref.name + "." + unitType;
    bool invalid = false;
    if (!m_validUnits.count(key)) {
        invalid = IsInvalid(ref.owner, ref.name, unitType) && !Revalidate(ref.owner, ref.name, unitType);
        if (!invalid)
            m_validUnits.insert(key);
    }
    if (invalid && ref.type != "PACKAGE")
        CompileFail(call.token, "PLS-00905: object " + ref.owner + "." + ref.name + " is invalid");
    if (invalid && !Checking())
        Raise(4063, "ORA-04063: package body \"" + ref.owner + "." + ref.name + "\" has errors\n" + FormatOraError(6508));
    std::shared_ptr<PlsqlUnit> unit;
    if (!(invalid && Checking()))
        unit = StoredUnit(ref.owner, ref.name, unitType);
    if (!unit && Checking() && ref.type == "PACKAGE") {
        unit = HeaderUnit(ref.owner, ref.name);
        // A header this interpreter cannot read still lets its members be called.
        if (unit->subprograms.empty())
            return OraValue{};
    }
    if (!unit)
        Raise(4067, "ORA-04067: not executed, package body \"" + ref.owner + "." + ref.name + "\" does not exist");
    // Overloads: the member whose parameters take the arguments given.
    const PlsqlSubprogram* sub = nullptr;
    std::vector<PlsqlArg> args;
    size_t candidates = 0;
    for (const PlsqlSubprogram& s : unit->subprograms)
        candidates += s.name == member && s.isFunction == wantResult;
    for (const PlsqlSubprogram& s : unit->subprograms) {
        if (s.name != member || s.isFunction != wantResult)
            continue;
        if (call.args.size() > s.params.size())
            continue;
        // Overloads differ by the types of literal arguments.
        bool fits = true;
        for (size_t i = 0; i < call.args.size() && fits && candidates > 1; ++i) {
            if (!call.argNames[i].empty() || s.params[i].mode != "IN" || call.args[i].end != call.args[i].begin + 1)
                continue;
            const TokKind kind = m_frames.back().unit->tokens[call.args[i].begin].kind;
            const char base = BaseOfType(s.params[i].type);
            fits = !((base == 'T' && kind == TokKind::Number) || (base == 'N' && kind == TokKind::String));
        }
        if (!fits)
            continue;
        if (candidates == 1) {
            args = Arguments(s.params, call, scope, member);
            sub = &s;
            break;
        }
        try {
            args = Arguments(s.params, call, scope, member);
        } catch (...) {
            continue;
        }
        sub = &s;
        break;
    }
    if (!sub) {
        for (const PlsqlSubprogram& s : unit->subprograms)
            if (s.name == member && s.isFunction != wantResult)
                CompileFail(call.token, wantResult ? "PLS-00222: no function with name '" + member + "' exists in this scope"
                                                   : "PLS-00221: '" + member + "' is not a procedure or is undefined");
        CompileFail(call.token, "PLS-00306: wrong number or types of arguments in call to '" + member + "'");
    }
    if (Checking())
        return OraValue{};
    if (OraStackLow(kPlsqlStackReserve))
        Raise(6500, FormatOraError(6500));

    PlsqlScope root;
    if (ref.type == "PACKAGE") {
        // Members see the package's variables, which live for the session.
        PlsqlPackageState& package = Package(ref.owner, ref.name);
        InitialisePackage(package);
        root.parent = &package.scope;
    }
    m_frames.push_back(Frame{unit.get(), sub->token, false, 0});
    const std::string schema = catalog.Schema();
    catalog.SetSchema(ref.owner); // definer's rights
    OraValue result;
    try {
        for (size_t p = 0; p < sub->params.size(); ++p) {
            const PlsqlParam& param = sub->params[p];
            PlsqlVar v;
            const bool table = TableParameter(param, ref.owner, ref.type == "PACKAGE" ? ref.name : std::string(), &v);
            const bool tableGiven = args[p].given && args[p].target && args[p].target->collection;
            if (table != tableGiven && (args[p].given || param.mode != "IN"))
                CompileFail(call.token, "PLS-00306: wrong number or types of arguments in call to '" + member + "'");
            v.constant = param.mode == "IN";
            if (table) {
                if (param.mode != "OUT" && tableGiven)
                    v.elements = args[p].target->elements;
                root.vars[param.name] = v;
                continue;
            }
            v.base = BaseOfType(param.type);
            if (param.mode == "OUT")
                v.value = OraValue{};
            else if (args[p].given)
                v.value = Convert(args[p].value, v.base, sub->token);
            else
                v.value = EvalValue(param.defaultValue, &root, v.base);
            root.vars[param.name] = v;
        }
        if (sub->isFunction) {
            PlsqlVar r;
            r.base = BaseOfType(sub->returnType);
            root.vars["%RESULT"] = r;
        }
        bool returned = false;
        try {
            RunBlock(sub->block, &root);
        } catch (const ReturnSignal&) {
            returned = true;
        }
        if (sub->isFunction && !returned)
            Raise(6503, "ORA-06503: PL/SQL: Function returned without value");
        if (sub->isFunction)
            result = root.vars["%RESULT"].value;
    } catch (PlsqlRaise& e) {
        // Like Oracle's, the error stack is bounded: a deep recursion keeps
        // its first frames and the outermost one (added by the block).
        if (e.message.size() < kMaxErrorStack)
            e.message += "\n" + Where();
        m_frames.pop_back();
        catalog.SetSchema(schema);
        throw;
    } catch (...) {
        m_frames.pop_back();
        catalog.SetSchema(schema);
        throw;
    }
    m_frames.pop_back();
    catalog.SetSchema(schema);
    for (size_t p = 0; p < sub->params.size(); ++p) {
        if (sub->params[p].mode == "IN")
            continue;
        const PlsqlVar& out = root.vars[sub->params[p].name];
        if (out.collection)
            args[p].target->elements = out.elements;
        else
            WriteBack(args[p], out.value, call.token);
    }
    return result;
}

} // namespace VkOracle
