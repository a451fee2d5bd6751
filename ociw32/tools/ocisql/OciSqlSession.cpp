#include "ociw32/tools/ocisql/OciSqlSession.h"

#include "ociw32/tools/ocisql/OciSqlScript.h"
#include "ociw32/tools/ocisql/OciSqlShow.h"
#include "platform/VkAscii.h"

#include <charconv>
#include <fstream>
#include <limits>

namespace VkOracle {

namespace {

// Whether `word` is `full` or an abbreviation of it at least `shortest` long.
bool Abbrev(const std::string& word, const char* full, size_t shortest)
{
    const std::string f = full;
    return word.size() >= shortest && word.size() <= f.size() && f.compare(0, word.size(), word) == 0;
}

bool Number(const std::string& s, long* n)
{
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *n);
    return !s.empty() && ec == std::errc() && ptr == s.data() + s.size();
}

std::vector<std::string> UpperWords(const std::string& text, size_t count)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && words.size() < count) {
        while (i < text.size() && (VkIsAsciiSpace(text[i]) || text[i] == '('))
            ++i;
        size_t j = i;
        while (j < text.size() && !VkIsAsciiSpace(text[j]) && text[j] != '(')
            ++j;
        if (j > i)
            words.push_back(VkAsciiUpper(text.substr(i, j - i)));
        i = j;
    }
    return words;
}

// "PROCEDURE" and "SCOTT.P" of "create or replace procedure scott.p ..."; false for other statements.
bool CreatedUnit(const std::string& statement, std::string* type, std::string* name)
{
    const std::vector<std::string> w = UpperWords(statement, 7);
    size_t k = 1;
    if (w.empty() || w[0] != "CREATE")
        return false;
    if (w.size() > 2 && w[1] == "OR" && w[2] == "REPLACE")
        k = 3;
    if (k >= w.size())
        return false;
    const std::string kind = w[k];
    if (kind != "PROCEDURE" && kind != "FUNCTION" && kind != "PACKAGE" && kind != "TRIGGER" && kind != "TYPE")
        return false;
    *type = kind;
    if (k + 1 < w.size() && w[k + 1] == "BODY" && (kind == "PACKAGE" || kind == "TYPE")) {
        *type += " BODY";
        ++k;
    }
    if (k + 1 >= w.size())
        return false;
    *name = w[k + 1];
    while (!name->empty() && (name->back() == ';'))
        name->pop_back();
    return true;
}

} // namespace

OciSqlSession::OciSqlSession(OciSqlRunner& runner, OciSqlOutput& out, OciSqlOutput& err, bool interactive)
    : m_runner(runner), m_out(out), m_err(err), m_interactive(interactive)
{
    m_runner.SetVariables(&m_variables);
}

int OciSqlSession::Run(std::istream& in)
{
    OciSqlRunner::Rows banner;
    if (m_interactive && m_runner.Fetch("SELECT banner FROM v$version WHERE ROWNUM = 1", {}, &banner)
        && !banner.empty())
        m_out << "\nConnected to:\n" << banner[0][0] << "\n\n";
    RunLines(in, {}, 0);
    if (m_interactive && !banner.empty())
        m_out << (m_exit ? "" : "\n") << "Disconnected from " << banner[0][0] << '\n';
    m_out.Flush();
    return m_exit ? *m_exit : m_failed ? 1 : 0;
}

void OciSqlSession::Problem(const std::string& message)
{
    m_err << message << '\n';
    m_err.Flush();
    m_failed = true;
}

void OciSqlSession::RunLines(std::istream& in, const std::filesystem::path& dir, int depth)
{
    OciSqlScript script;
    std::string line;
    std::vector<std::string> statements;
    const bool prompt = m_interactive && depth == 0;
    while (!m_exit) {
        if (prompt) {
            if (script.AtStart()) {
                m_out << "SQL> ";
            } else {
                // The line number right-aligned in three places.
                const std::string number = std::to_string(script.LineCount() + 1);
                m_out << std::string(number.size() < 3 ? 3 - number.size() : 0, ' ') << number << "  ";
            }
            m_out.Flush();
        }
        if (!std::getline(in, line))
            break;
        if (m_echo && depth > 0)
            m_out << line << '\n';
        OciSqlCommand command;
        if (script.AtStart() && OciSqlCommand::Parse(line, &command)) {
            Command(command, dir, depth);
            continue;
        }
        script.AddLine(line, &statements);
        for (size_t i = 0; i < statements.size() && !m_exit; ++i)
            RunStatement(statements[i]);
        statements.clear();
    }
    if (prompt && !m_exit)
        m_out << '\n';
    if (!m_exit) {
        script.Finish(&statements);
        for (size_t i = 0; i < statements.size() && !m_exit; ++i)
            RunStatement(statements[i]);
    }
}

void OciSqlSession::RunStatement(const std::string& statement)
{
    std::string type, name;
    if (CreatedUnit(statement, &type, &name)) {
        m_lastUnitType = type;
        m_lastUnitName = name;
    }
    if (m_runner.Run(statement))
        return;
    m_failed = true;
    // WHENEVER SQLERROR is about errors of the server, not of the client.
    if (m_onError && !m_runner.ClientError())
        Exit(*m_onError);
}

void OciSqlSession::Exit(const OciSqlExit& how)
{
    int code = how.value;
    if (how.code == OciSqlExit::Code::SqlCode) {
        code = m_runner.LastError();
    } else if (how.code == OciSqlExit::Code::Variable) {
        const OciSqlVariables::Variable* v = m_variables.Find(how.variable);
        if (!v)
            return Problem("SP2-0552: Bind variable \"" + how.variable + "\" not declared.");
        long n = 1;
        code = v->Numeric() && Number(v->Value(), &n) ? static_cast<int>(n) : 1;
    }
    m_exit = code;
    m_rollbackOnExit = !how.commit;
}

void OciSqlSession::Command(const OciSqlCommand& c, const std::filesystem::path& dir, int depth)
{
    using Kind = OciSqlCommand::Kind;
    switch (c.kind) {
    case Kind::Remark:
        return;
    case Kind::Prompt:
        m_out << c.text << '\n';
        return;
    case Kind::Set:
        return Set(c.args);
    case Kind::Show:
        return Show(c.args);
    case Kind::Print:
        return Print(c.args);
    case Kind::Describe:
        if (c.args.empty())
            return Problem("Usage: DESCRIBE [schema.]object");
        if (!OciSqlShow(m_runner, m_out, m_err).Describe(c.args[0]))
            m_failed = true;
        return;
    case Kind::Variable:
        if (c.args.empty()) {
            for (const auto& v : m_variables.All())
                m_out << "\nvariable   " << v->name << "\ndatatype   " << v->TypeText() << '\n';
            return;
        }
        if (c.args.size() == 1) {
            const OciSqlVariables::Variable* v = m_variables.Find(c.args[0]);
            if (!v)
                return Problem("SP2-0552: Bind variable \"" + VkAsciiUpper(c.args[0]) + "\" not declared.");
            m_out << "variable   " << v->name << "\ndatatype   " << v->TypeText() << '\n';
            return;
        }
        {
            std::string type, error;
            for (size_t i = 1; i < c.args.size(); ++i)
                type += c.args[i];
            if (!m_variables.Declare(c.args[0], type, &error))
                Problem(error);
        }
        return;
    case Kind::Execute: {
        std::string call = c.text;
        while (!call.empty() && (call.back() == ';' || VkIsAsciiSpace(call.back())))
            call.pop_back();
        if (call.empty())
            return Problem("Usage: EXEC[UTE] statement");
        return RunStatement("BEGIN " + call + "; END;");
    }
    case Kind::Script:
    case Kind::NestedScript:
        if (c.args.empty())
            return Problem("SP2-1506: START, @ or @@ command has no arguments");
        return Script(c.args[0], c.kind == Kind::NestedScript ? dir : std::filesystem::path(), depth);
    case Kind::Whenever: {
        const std::string what = c.args.empty() ? std::string() : VkAsciiUpper(c.args[0]);
        const std::string action = c.args.size() > 1 ? VkAsciiUpper(c.args[1]) : std::string();
        OciSqlExit how;
        if ((what != "SQLERROR" && what != "OSERROR") || (action != "EXIT" && action != "CONTINUE")
            || (action == "EXIT" && !OciSqlExit::Parse({c.args.begin() + 2, c.args.end()}, &how)))
            return Problem("Usage: WHENEVER SQLERROR { EXIT [SUCCESS|FAILURE|WARNING|n|:var] [COMMIT|ROLLBACK]"
                           " | CONTINUE }");
        if (what == "SQLERROR") {
            if (action == "EXIT")
                m_onError = how;
            else
                m_onError.reset();
        }
        return;
    }
    case Kind::Exit: {
        OciSqlExit how;
        if (!OciSqlExit::Parse(c.args, &how))
            return Problem("Usage: { EXIT | QUIT } [ SUCCESS | FAILURE | WARNING | n | :variable ] [ COMMIT | ROLLBACK ]");
        return Exit(how);
    }
    }
}

void OciSqlSession::Set(const std::vector<std::string>& args)
{
    if (args.empty())
        return Problem("SP2-0267: SET command requires an option");
    const std::string option = VkAsciiUpper(args[0]);
    const std::string value = args.size() > 1 ? VkAsciiUpper(args[1]) : std::string();
    OciSqlRunner::Settings& s = m_runner.Options();
    auto onOff = [&](const char* name, bool* flag) {
        if (value == "ON" || value == "OFF")
            *flag = value == "ON";
        else
            Problem(std::string("SP2-0265: ") + name + " must be set to ON or OFF");
    };
    long n = 0;
    if (Abbrev(option, "ECHO", 4)) {
        onOff("echo", &m_echo);
    } else if (Abbrev(option, "HEADING", 3)) {
        onOff("heading", &s.heading);
    } else if (Abbrev(option, "FEEDBACK", 4)) {
        if (value == "ON" || value == "OFF")
            s.feedback = value == "ON", s.feedbackRows = 1;
        else if (Number(value, &n) && n >= 0)
            s.feedback = n > 0, s.feedbackRows = static_cast<uint64_t>(std::max(1L, n));
        else
            Problem("SP2-0268: feedback option not a valid number");
    } else if (Abbrev(option, "PAGESIZE", 5)) {
        // A page holds a blank line, the headings and their underline.
        if (Number(value, &n) && n >= 0 && n <= 50000)
            s.pageRows = n == 0 ? 0 : static_cast<size_t>(std::max(1L, n - 3));
        else
            Problem("SP2-0267: pagesize option " + value + " out of range (0 through 50000)");
    } else if (Abbrev(option, "LINESIZE", 3)) {
        if (!Number(value, &n) || n < 1 || n > 32767)
            Problem("SP2-0267: linesize option " + value + " out of range (1 through 32767)");
    } else if (Abbrev(option, "SERVEROUTPUT", 9)) {
        if (value == "OFF") {
            if (s.serverOutput)
                m_runner.Execute("BEGIN DBMS_OUTPUT.DISABLE; END;");
            s.serverOutput = false;
            return;
        }
        long size = 1000000;
        size_t i = 2;
        if (value != "ON")
            return Problem("SP2-0265: serveroutput must be set to ON or OFF");
        if (i < args.size() && Abbrev(VkAsciiUpper(args[i]), "SIZE", 3)) {
            const std::string sz = i + 1 < args.size() ? VkAsciiUpper(args[i + 1]) : std::string();
            if (sz != "UNLIMITED" && (!Number(sz, &size) || size < 2000 || size > 1000000))
                return Problem("SP2-0547: size option " + sz + " out of range (2000 through 1000000)");
        }
        if (m_runner.Execute("BEGIN DBMS_OUTPUT.ENABLE(" + std::to_string(size) + "); END;"))
            s.serverOutput = true;
        else
            m_failed = true;
    } else if (Abbrev(option, "TERMOUT", 4) || Abbrev(option, "VERIFY", 3) || Abbrev(option, "TIMING", 4)
               || Abbrev(option, "TRIMSPOOL", 5) || Abbrev(option, "TRIMOUT", 4) || Abbrev(option, "DEFINE", 3)
               || Abbrev(option, "WRAP", 3) || option == "TAB" || Abbrev(option, "NEWPAGE", 4)
               || option == "LONG" || Abbrev(option, "NUMWIDTH", 4) || Abbrev(option, "ARRAYSIZE", 5)
               || Abbrev(option, "SQLBLANKLINES", 5)) {
        // Accepted; the output here does not depend on them.
    } else {
        Problem("SP2-0158: unknown SET option \"" + args[0] + "\"");
    }
}

void OciSqlSession::Show(const std::vector<std::string>& args)
{
    const std::string what = args.empty() ? std::string() : VkAsciiUpper(args[0]);
    OciSqlShow show(m_runner, m_out, m_err);
    bool ok = true;
    if (what == "USER") {
        ok = show.User();
    } else if (Abbrev(what, "PARAMETERS", 4)) {
        ok = show.Parameter(args.size() > 1 ? args[1] : std::string());
    } else if (Abbrev(what, "ERRORS", 3)) {
        std::string type = m_lastUnitType, name = m_lastUnitName;
        if (args.size() == 2) {
            type = "PROCEDURE";
            name = args[1];
        } else if (args.size() > 2) {
            type = VkAsciiUpper(args[1]);
            name = args.back();
            if (args.size() > 3)
                type += " " + VkAsciiUpper(args[2]);
        }
        ok = show.Errors(type, name);
    } else {
        return Problem("SP2-0158: unknown SHOW option \"" + (args.empty() ? std::string() : args[0]) + "\"");
    }
    if (!ok)
        m_failed = true;
    m_out.Flush();
}

void OciSqlSession::Print(const std::vector<std::string>& args)
{
    std::vector<const OciSqlVariables::Variable*> shown;
    if (args.empty()) {
        for (const auto& v : m_variables.All())
            shown.push_back(v.get());
    }
    for (const std::string& a : args) {
        const OciSqlVariables::Variable* v = m_variables.Find(a);
        if (!v)
            return Problem("SP2-0552: Bind variable \"" + VkAsciiUpper(a) + "\" not declared.");
        shown.push_back(v);
    }
    for (const OciSqlVariables::Variable* v : shown) {
        // NUMBER prints ten wide, right-aligned; text as wide as declared.
        const size_t width = std::max(v->name.size(), v->Numeric() ? size_t{10} : static_cast<size_t>(v->size));
        const std::string value = v->Value();
        auto cell = [&](const std::string& s) {
            if (s.empty())
                return s; // NULL
            const std::string pad(width - std::min(width, s.size()), ' ');
            return v->Numeric() ? pad + s : s;
        };
        m_out << '\n' << cell(v->name) << '\n' << std::string(width, '-') << '\n' << cell(value) << "\n\n";
    }
    m_out.Flush();
}

void OciSqlSession::Script(const std::string& file, const std::filesystem::path& base, int depth)
{
    if (depth + 1 > kMaxDepth)
        return Problem("SP2-0309: ocisql command procedures may only be nested to a depth of "
                       + std::to_string(kMaxDepth) + ".");
    std::filesystem::path path = file;
    if (!path.has_extension())
        path += ".sql";
    if (path.is_relative() && !base.empty())
        path = base / path;
    std::ifstream in(path);
    if (!in)
        return Problem("SP2-0310: unable to open file \"" + path.string() + "\"");
    RunLines(in, path.parent_path(), depth + 1);
}

} // namespace VkOracle
