// The interpreter's built-in packages other than DBMS_JOB: DBMS_OUTPUT
// (kept per session) and DBMS_UTILITY's GET_TIME and FORMAT_ERROR_STACK.
#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlSessionState.h"

#include <chrono>

namespace VkOracle {
namespace {

OraValue NumberOf(int64_t n)
{
    OraValue v;
    v.kind = OraValue::Kind::Number;
    v.number = OraNumFromInt(n);
    return v;
}

int64_t IntOf(const OraValue& v)
{
    return v.number.isInt ? v.number.i : static_cast<int64_t>(v.number.d);
}

} // namespace

bool PlsqlInterpreter::IsBuiltinFunction(const std::vector<std::string>& fullName)
{
    std::vector<std::string> name = fullName;
    if (name.size() == 3 && name[0] == "SYS")
        name.erase(name.begin());
    return name.size() == 2 && name[0] == "DBMS_UTILITY" &&
           (name[1] == "GET_TIME" || name[1] == "FORMAT_ERROR_STACK");
}

bool PlsqlInterpreter::CallBuiltinFunction(const std::vector<std::string>& fullName, const PlsqlStmt& call,
                                           PlsqlScope* scope, OraValue* result)
{
    if (!IsBuiltinFunction(fullName))
        return false;
    const std::string& member = fullName.back();
    Arguments({}, call, scope, member);
    if (Checking())
        return true;
    if (member == "GET_TIME") {
        // Hundredths of a second from an arbitrary point, wrapping as Oracle's does.
        const auto cs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch()).count() / 10;
        *result = NumberOf(cs % 2147483648LL);
        return true;
    }
    // The error stack of the exception being handled, with a newline after
    // each line; NULL outside a handler.
    *result = OraValue{};
    if (m_inHandler) {
        result->kind = OraValue::Kind::Text;
        result->text = m_current.userName.empty() ? m_current.message + "\n"
                                                  : "ORA-06510: PL/SQL: unhandled user-defined exception\n";
    }
    return true;
}

bool PlsqlInterpreter::CallOutput(const std::string& member, const PlsqlStmt& call, PlsqlScope* scope)
{
    const std::vector<PlsqlParam> none;
    std::vector<PlsqlArg> args;
    if (member == "ENABLE")
        args = Arguments({{"BUFFER_SIZE", "IN", "INTEGER", {}, true}}, call, scope, member);
    else if (member == "PUT" || member == "PUT_LINE")
        args = Arguments({{"A", "IN", "VARCHAR2", {}}}, call, scope, member);
    else if (member == "GET_LINE")
        args = Arguments({{"LINE", "OUT", "VARCHAR2", {}}, {"STATUS", "OUT", "INTEGER", {}}}, call, scope, member);
    else if (member == "GET_LINES")
        args = Arguments({{"LINES", "OUT", "CHARARR", {}}, {"NUMLINES", "IN OUT", "INTEGER", {}}}, call, scope, member);
    else if (member == "DISABLE" || member == "NEW_LINE")
        args = Arguments(none, call, scope, member);
    else
        return false;
    if (member == "GET_LINES" && !args[0].target->collection)
        CompileFail(call.token, "PLS-00306: wrong number or types of arguments in call to 'GET_LINES'");
    if (Checking())
        return true;
    PlsqlOutputBuffer& out = PlsqlSessionState::Of(*m_core).output;
    const size_t lineLimit = m_core->Major() >= 10 ? 32767 : 255;
    std::string message;
    int rc = 0;
    if (member == "ENABLE") {
        const OraValue& size = args[0].value;
        out.Enable(!args[0].given ? PlsqlOutputBuffer::kDefaultLimit
                   : size.kind == OraValue::Kind::Null ? 0
                                                       : static_cast<size_t>(std::max<int64_t>(1, IntOf(size))));
    } else if (member == "DISABLE") {
        out.Disable();
    } else if (member == "PUT") {
        rc = out.Put(args[0].value.text, lineLimit, &message);
    } else if (member == "PUT_LINE") {
        rc = out.Put(args[0].value.text, lineLimit, &message);
        if (rc == 0)
            rc = out.NewLine(lineLimit, &message);
    } else if (member == "NEW_LINE") {
        rc = out.NewLine(lineLimit, &message);
    } else if (member == "GET_LINES") {
        // Up to NUMLINES lines into LINES(1..), and NUMLINES says how many came.
        const OraValue& wanted = args[1].value;
        const int64_t most = wanted.kind == OraValue::Kind::Null ? 0 : IntOf(wanted);
        std::map<int64_t, OraValue>& lines = args[0].target->elements;
        lines.clear();
        std::string line;
        int64_t got = 0;
        while (got < most && out.GetLine(&line)) {
            OraValue text;
            if (!line.empty()) {
                text.kind = OraValue::Kind::Text;
                text.text = line;
            }
            lines[++got] = text;
        }
        WriteBack(args[1], NumberOf(got), call.token);
    } else {
        std::string line;
        const bool got = out.GetLine(&line);
        OraValue text;
        if (got && !line.empty()) {
            text.kind = OraValue::Kind::Text;
            text.text = line;
        }
        WriteBack(args[0], text, call.token);
        WriteBack(args[1], NumberOf(got ? 0 : 1), call.token);
    }
    if (rc != 0)
        Raise(20000, "ORA-20000: " + message + "\nORA-06512: at \"SYS.DBMS_OUTPUT\", line 32"
                     "\nORA-06512: at \"SYS.DBMS_OUTPUT\", line 97\nORA-06512: at \"SYS.DBMS_OUTPUT\", line 112");
    return true;
}

} // namespace VkOracle
