// ocisql: a small SQL client over the call-interface library.
//   ocisql [--tsv | --describe] [-c TEXT] user/password@alias
// Statements and the client's commands (SET, DESCRIBE, VARIABLE, PRINT, SHOW,
// @file, WHENEVER SQLERROR, EXIT ...) come from standard input (SQL ended by
// ';', blocks by a '/' line) or one statement from -c. The exit status is
// EXIT's or WHENEVER's when they end the session, else 1 when anything failed.

#include "ociw32/tools/ocisql/OciLibrary.h"
#include "ociw32/tools/ocisql/OciSqlRunner.h"
#include "ociw32/tools/ocisql/OciSqlScript.h"
#include "ociw32/tools/ocisql/OciSqlSession.h"
#include "platform/VkRegHealth.h"
#include "platform/VkSqliteSetup.h"

#include <cstdio>
#include <cstring>
#include <ext/stdio_sync_filebuf.h>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

using namespace VkOracle;

namespace {

int Usage()
{
    OciSqlOutput(stderr) << "usage: ocisql [--tsv | --describe] [-c STATEMENT] USER/PASSWORD@ALIAS\n"
                            "Statements are read from standard input unless -c gives one; end each with ';',\n"
                            "or a PL/SQL block with a line holding '/'. EXIT [n] ends the session with that status.\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    VkSetUpSqlite();
    OciSqlRunner::Mode mode = OciSqlRunner::Mode::Aligned;
    std::optional<std::string> command;
    std::string connect;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tsv") {
            mode = OciSqlRunner::Mode::Tsv;
        } else if (arg == "--describe") {
            mode = OciSqlRunner::Mode::Describe;
        } else if (arg == "-c" || arg == "--command") {
            if (i + 1 >= argc)
                return Usage();
            command = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            Usage();
            return 0;
        } else if (!arg.empty() && arg[0] == '-') {
            OciSqlOutput(stderr) << "ocisql: unknown option " << arg << "\n";
            return Usage();
        } else if (connect.empty()) {
            connect = arg;
        } else {
            return Usage();
        }
    }
    if (connect.empty())
        return Usage();

    OciFunctions functions;
    std::string error;
    if (!LoadOciLibrary("libociw32.so", &functions, &error)) {
        OciSqlOutput(stderr) << "ocisql: the Oracle client library is not available: " << error << "\n";
        return 1;
    }

    // The names of databases live in the registry: one that cannot be read
    // is the cause to name, not the ORA-12154 it would lead to.
    VkRegProblem problem;
    if (VkCheckRegistryHive(HKEY_LOCAL_MACHINE, &problem)) {
        OciSqlOutput(stderr) << "ocisql: " << VkRegProblemText(problem) << "\n";
        return 1;
    }
    OciSqlOutput out(stdout);
    OciSqlOutput err(stderr);
    OciSqlRunner runner(functions, mode, out, err);
    if (!runner.Connect(connect))
        return 1;
    int status = 0;
    if (command) {
        const std::string statement = OciSqlScript::SingleStatement(*command);
        if (!statement.empty() && !runner.Run(statement))
            status = 1;
    } else {
        // Prompts and the banner are for people at a terminal; scripts and
        // pipes get only what their statements print. Standard input is read
        // through stdio, as std::cin would (a -c call makes no stream at all).
        __gnu_cxx::stdio_sync_filebuf<char> input(stdin);
        std::istream in(&input);
        OciSqlSession session(runner, out, err, ::isatty(STDIN_FILENO) == 1);
        status = session.Run(in);
        if (session.RollbackOnExit())
            runner.Execute("ROLLBACK");
        if (!runner.Finish() && !session.Exited())
            status = 1;
        return status;
    }
    if (!runner.Finish())
        status = 1;
    return status;
}
