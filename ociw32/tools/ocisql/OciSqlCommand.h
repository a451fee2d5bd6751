#pragma once
// One line of ocisql's own commands (SET, SHOW, DESCRIBE, VARIABLE, PRINT,
// @file, WHENEVER, EXIT, PROMPT, REMARK, EXECUTE), told apart from SQL and
// PL/SQL. Command words may be shortened as far as the usual client allows
// (DESC, VAR, PRI, SHO, EXEC, PRO, REM).

#include <string>
#include <vector>

namespace VkOracle {

struct OciSqlCommand {
    enum class Kind { Set, Show, Describe, Variable, Print, Script, NestedScript, Whenever, Exit, Prompt, Remark, Execute };

    Kind kind = Kind::Remark;
    // The words after the command word (a trailing ';' dropped).
    std::vector<std::string> args;
    // The rest of the line after the command word, trimmed, as typed.
    std::string text;

    // Recognises a command at the start of a statement; false for SQL and PL/SQL.
    static bool Parse(const std::string& line, OciSqlCommand* command);
};

// How a WHENEVER SQLERROR EXIT or EXIT command ends the session.
struct OciSqlExit {
    enum class Code { Value, SqlCode, Variable };
    Code code = Code::Value;
    int value = 0;        // Code::Value
    std::string variable; // Code::Variable: a bind variable's name
    bool commit = true;   // COMMIT (the default) or ROLLBACK

    // Reads "[SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE|:var] [COMMIT|ROLLBACK]"; false on anything else.
    static bool Parse(const std::vector<std::string>& words, OciSqlExit* exit);
};

} // namespace VkOracle
