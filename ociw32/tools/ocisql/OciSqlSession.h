#pragma once
// An ocisql session as a database administrator drives it: lines from the
// terminal or a script become SQL, PL/SQL blocks and the client's own
// commands (OciSqlCommand); @file scripts nest; WHENEVER SQLERROR and EXIT
// decide the exit status. On a terminal it prompts ("SQL> ", "  2  ").

#include "ociw32/tools/ocisql/OciSqlCommand.h"
#include "ociw32/tools/ocisql/OciSqlRunner.h"
#include "ociw32/tools/ocisql/OciSqlVariables.h"

#include <filesystem>
#include <istream>
#include <optional>
#include <string>

namespace VkOracle {

class OciSqlSession {
public:
    OciSqlSession(OciSqlRunner& runner, OciSqlOutput& out, OciSqlOutput& err, bool interactive);

    // Reads statements and commands until the input ends or EXIT; returns
    // the exit status: EXIT's, WHENEVER's, else 1 when anything failed.
    // Does not log off.
    int Run(std::istream& in);
    // Whether EXIT (or WHENEVER SQLERROR EXIT) ended the session.
    bool Exited() const { return m_exit.has_value(); }
    // Whether EXIT asked for a rollback rather than the usual commit.
    bool RollbackOnExit() const { return m_rollbackOnExit; }

    // How deep @ scripts may nest.
    static constexpr int kMaxDepth = 20;

private:
    void RunLines(std::istream& in, const std::filesystem::path& dir, int depth);
    void RunStatement(const std::string& statement);
    void Command(const OciSqlCommand& command, const std::filesystem::path& dir, int depth);
    void Set(const std::vector<std::string>& args);
    void Show(const std::vector<std::string>& args);
    void Print(const std::vector<std::string>& args);
    void Script(const std::string& file, const std::filesystem::path& base, int depth);
    void Exit(const OciSqlExit& how);
    void Problem(const std::string& message);

    OciSqlRunner& m_runner;
    OciSqlOutput& m_out;
    OciSqlOutput& m_err;
    bool m_interactive;
    OciSqlVariables m_variables;
    bool m_failed = false;
    bool m_echo = false;
    std::optional<OciSqlExit> m_onError; // WHENEVER SQLERROR EXIT
    std::optional<int> m_exit;
    bool m_rollbackOnExit = false;
    std::string m_lastUnitType; // the last stored unit created, for SHOW ERRORS
    std::string m_lastUnitName;
};

} // namespace VkOracle
