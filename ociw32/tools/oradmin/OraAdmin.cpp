#include "ociw32/tools/oradmin/OraAdmin.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraErrors.h"
#include "ociw32/names/OraHome.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/OraJobQueueLog.h"
#include "ociw32/server/OraJobQueueProcess.h"
#include "ociw32/names/OraTnsNames.h"
#include "ociw32/tools/oradmin/OraDemoNames.h"
#include "platform/DataRoot.h"
#include "platform/VkAscii.h"
#include "platform/VkPrivateFiles.h"
#include "platform/VkRegHealth.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace VkOracle {

namespace {

bool ValidSid(const std::string& sid)
{
    if (sid.empty() || sid.size() > 30 || !VkIsAsciiAlpha(sid[0]))
        return false;
    for (char c : sid)
        if (!VkIsAsciiAlnum(c) && c != '_')
            return false;
    return true;
}

// "3600", "-90m", "+2d", "1h": seconds.
bool ParseOffset(const std::string& text, int64_t* seconds)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    const long long n = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str())
        return false;
    const std::string unit = end;
    int64_t scale = 1;
    if (unit == "" || unit == "s")
        scale = 1;
    else if (unit == "m")
        scale = 60;
    else if (unit == "h")
        scale = 3600;
    else if (unit == "d")
        scale = kSecondsPerDay;
    else
        return false;
    *seconds = static_cast<int64_t>(n) * scale;
    return true;
}

} // namespace

int OraAdmin::Usage()
{
    m_err << "usage: oradmin COMMAND\n"
             "  demo                        create the demo Oracle home and databases when missing\n"
             "  create SID [--version V]    create an empty database (default version "
          << kDefaultVersion
          << ")\n"
             "  startup SID                 open a database\n"
             "  shutdown SID [normal|immediate|abort]\n"
             "                              shut a database down (normal lets running jobs end)\n"
             "  log SID                     show the log of the database's job queue\n"
             "  status                      list the databases under the Oracle home\n"
             "  clock SID pin 'YYYY-MM-DD HH24:MI:SS' | offset N[s|m|h|d] | system\n"
             "                              pin or shift the database's SYSDATE\n";
    return 2;
}

int OraAdmin::Report(const OraResult& r)
{
    if (r.Ok())
        return 0;
    m_err << (r.message.empty() ? FormatOraError(r.code) : r.message) << '\n';
    return 1;
}

int OraAdmin::Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return Usage();
    const std::string& command = args[0];
    if (command == "demo" && args.size() == 1)
        return Demo();
    if (command == "create" && (args.size() == 2 || (args.size() == 4 && args[2] == "--version")))
        return Create(args[1], args.size() == 4 ? args[3] : kDefaultVersion);
    if (command == "startup" && args.size() == 2)
        return Startup(args[1]);
    if (command == "shutdown" && (args.size() == 2 || args.size() == 3))
        return Shutdown(args[1], args.size() == 3 ? args[2] : "normal");
    if (command == "log" && args.size() == 2)
        return Log(args[1]);
    // Not in the usage: how the server starts a database's queue process.
    if (command == kQueueProcessCommand && args.size() == 3)
        return OraJobQueueProcess(OraDatabaseRef{args[1], args[2]}).Run(3);
    if (command == "status" && args.size() == 1)
        return Status();
    if (command == "clock" && args.size() >= 3)
        return Clock(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    if (command == "help" || command == "--help" || command == "-h") {
        Usage();
        return 0;
    }
    return Usage();
}

bool OraAdmin::EnsureHome(std::filesystem::path* home)
{
    *home = OraRegisteredHome();
    if (home->empty())
        *home = VkDataRootDir("oracle");
    // The home's folders are the user's alone (0700).
    if (!VkCreatePrivateDirectories(OraDatabasesDir(*home))
        || !VkCreatePrivateDirectories(OraPrimaryTnsNamesFile(*home).parent_path())) {
        m_err << "oradmin: cannot create the Oracle home " << home->string() << ": " << std::strerror(errno) << '\n';
        return false;
    }
    if (!OraRegisterHome(*home, "DEMO")) {
        VkRegProblem problem;
        if (VkCheckRegistryHive(HKEY_LOCAL_MACHINE, &problem))
            m_err << "oradmin: cannot write the Oracle registry keys: " << VkRegProblemText(problem) << '\n';
        else
            m_err << "oradmin: cannot write the Oracle registry keys\n";
        return false;
    }
    return true;
}

bool OraAdmin::RegisteredHome(std::filesystem::path* home)
{
    *home = OraRegisteredHome();
    if (home->empty()) {
        // A registry that cannot be read is no missing home.
        VkRegProblem problem;
        if (VkCheckRegistryHive(HKEY_LOCAL_MACHINE, &problem))
            m_err << "oradmin: " << VkRegProblemText(problem) << '\n';
        else
            m_err << "oradmin: no Oracle home is registered; run \"oradmin demo\" first\n";
        return false;
    }
    return true;
}

bool OraAdmin::AddAliases(const std::filesystem::path& home,
                          const std::vector<std::pair<std::string, std::string>>& aliases)
{
    std::filesystem::path file = OraTnsNamesFile(home);
    const bool exists = !file.empty();
    if (!exists)
        file = OraPrimaryTnsNamesFile(home);
    OraTnsNames names;
    if (exists)
        names.Load(file);
    std::string text;
    for (const auto& [name, entry] : aliases) {
        if (names.Find(name))
            continue;
        text += "\n" + entry;
        m_out << "Added the alias " << name << " to " << file.string() << '\n';
    }
    if (text.empty())
        return true;
    if (!exists)
        VkTouchPrivate(file);
    std::ofstream out(file, std::ios::app | std::ios::binary);
    if (!exists)
        out << OraTnsNamesHeader(file.string());
    out << (exists ? text : text.substr(1));
    out.flush();
    if (!out) {
        m_err << "oradmin: cannot write " << file.string() << '\n';
        return false;
    }
    return true;
}

OraDatabaseRef OraAdmin::Database(const std::filesystem::path& home, const std::string& sid) const
{
    const std::filesystem::path dir = OraDatabaseDir(home, sid);
    return OraDatabaseRef{dir.filename().string(), dir.string()};
}

int OraAdmin::Demo()
{
    std::filesystem::path home;
    if (!EnsureHome(&home))
        return 1;
    std::vector<std::pair<std::string, std::string>> aliases;
    for (const OraDemoAlias& a : OraDemoAliases())
        aliases.emplace_back(a.name, a.entry);
    if (!AddAliases(home, aliases))
        return 1;

    struct Db {
        const char* sid;
        const char* version;
        bool content;
        bool down;
    };
    const Db databases[] = {
        {"DEMO", kDefaultVersion, true, false},
        {"LEGACY", "7.3.4.0.0", true, false},
        {"DOWN", kDefaultVersion, false, true},
    };
    OraServer& server = TheOraServer();
    for (const Db& d : databases) {
        const OraDatabaseRef db = Database(home, d.sid);
        const std::string status = server.Status(db);
        // An open database gets its job queue back when it asks for one.
        if (status.rfind("OPEN", 0) == 0)
            server.Startup(db);
        if (status.rfind("MISSING", 0) != 0)
            continue;
        OraResult r = server.CreateDatabase(db, d.version);
        if (r.Ok() && d.content)
            r = server.LoadDemoContent(db);
        if (r.Ok())
            r = d.down ? server.Shutdown(db, OraShutdownMode::Immediate) : server.Startup(db);
        if (!r.Ok()) {
            m_err << "oradmin: cannot create the database " << d.sid << '\n';
            return Report(r);
        }
        m_out << "Created the database " << d.sid << " (version " << d.version << ")"
              << (d.down ? ", shut down" : "") << '\n';
    }
    m_out << "Oracle home: " << home.string() << '\n';
    return 0;
}

int OraAdmin::Create(const std::string& sidText, const std::string& version)
{
    const std::string sid = VkAsciiUpper(sidText);
    if (!ValidSid(sid)) {
        m_err << "oradmin: \"" << sidText << "\" is no valid SID (a letter, then letters, digits or _)\n";
        return 2;
    }
    std::filesystem::path home;
    if (!EnsureHome(&home))
        return 1;
    const OraDatabaseRef db = Database(home, sid);
    OraServer& server = TheOraServer();
    if (server.Status(db).rfind("MISSING", 0) != 0) {
        m_err << "oradmin: the database " << db.sid << " already exists\n";
        return 1;
    }
    if (int rc = Report(server.CreateDatabase(db, version)))
        return rc;
    m_out << "Created the database " << db.sid << " (version " << version << ")\n";
    return AddAliases(home, {{db.sid, OraLocalAliasEntry(db.sid, version)}}) ? 0 : 1;
}

bool OraAdmin::CheckSid(const std::string& sid)
{
    if (OraIsPlainSid(sid))
        return true;
    m_err << "oradmin: \"" << sid << "\" is no valid SID\n";
    return false;
}

bool OraAdmin::FindDatabase(const std::string& sid, bool suggestCreate, OraDatabaseRef* db)
{
    std::filesystem::path home;
    if (!RegisteredHome(&home))
        return false;
    *db = Database(home, sid);
    if (TheOraServer().Status(*db).rfind("MISSING", 0) != 0)
        return true;
    m_err << "oradmin: there is no database " << db->sid << " in " << home.string();
    if (suggestCreate)
        m_err << " (oradmin create " << db->sid << " makes one)";
    m_err << '\n';
    return false;
}

int OraAdmin::Startup(const std::string& sid)
{
    if (!CheckSid(sid))
        return 2;
    OraDatabaseRef db;
    if (!FindDatabase(sid, true, &db))
        return 1;
    if (int rc = Report(TheOraServer().Startup(db)))
        return rc;
    m_out << "Database " << db.sid << " opened.\n";
    return 0;
}

int OraAdmin::Shutdown(const std::string& sid, const std::string& modeText)
{
    if (!CheckSid(sid))
        return 2;
    const std::string modeWord = VkAsciiUpper(modeText);
    OraShutdownMode mode = OraShutdownMode::Normal;
    if (modeWord == "IMMEDIATE")
        mode = OraShutdownMode::Immediate;
    else if (modeWord == "ABORT")
        mode = OraShutdownMode::Abort;
    else if (modeWord != "NORMAL")
        return Usage();
    std::filesystem::path home;
    if (!RegisteredHome(&home))
        return 1;
    const OraDatabaseRef db = Database(home, sid);
    if (int rc = Report(TheOraServer().Shutdown(db, mode)))
        return rc;
    m_out << "Database " << db.sid << " shut down.\n";
    return 0;
}

int OraAdmin::Log(const std::string& sid)
{
    if (!CheckSid(sid))
        return 2;
    OraDatabaseRef db;
    if (!FindDatabase(sid, false, &db))
        return 1;
    std::string text;
    if (!OraJobQueueLog::Read(db, &text)) {
        m_err << "oradmin: cannot read the job queue log of " << db.sid << '\n';
        return 1;
    }
    m_out << text;
    return 0;
}

int OraAdmin::Status()
{
    std::filesystem::path home;
    if (!RegisteredHome(&home))
        return 1;
    m_out << "Oracle home: " << home.string() << '\n';
    std::vector<std::filesystem::path> dirs;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(OraDatabasesDir(home), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (it->is_directory(ec))
            dirs.push_back(it->path());
    }
    std::sort(dirs.begin(), dirs.end());
    for (const auto& dir : dirs) {
        const OraDatabaseRef db{dir.filename().string(), dir.string()};
        std::string status = TheOraServer().Status(db);
        std::string version;
        if (size_t space = status.find(' '); space != std::string::npos) {
            version = status.substr(space + 1);
            status.erase(space);
        }
        m_out << db.sid << '\t' << status << '\t' << version << '\t' << db.directory << '\n';
    }
    return 0;
}

int OraAdmin::Clock(const std::string& sid, const std::vector<std::string>& args)
{
    if (!CheckSid(sid))
        return 2;
    OraClockSetting setting;
    if (args[0] == "system" && args.size() == 1) {
        setting.mode = OraClockMode::System;
    } else if (args[0] == "pin" && args.size() == 2) {
        int code = 0;
        int64_t when = 0;
        const std::string fmt = args[1].size() > 10 ? "YYYY-MM-DD HH24:MI:SS" : "YYYY-MM-DD";
        if (!ParseOracleDate(args[1], fmt, &when, &code)) {
            m_err << "oradmin: " << FormatOraError(code ? code : 1861) << '\n';
            return 2;
        }
        setting.mode = OraClockMode::Pinned;
        setting.value = when;
    } else if (args[0] == "offset" && args.size() == 2) {
        if (!ParseOffset(args[1], &setting.value)) {
            m_err << "oradmin: \"" << args[1] << "\" is no offset (seconds, or a number with s, m, h or d)\n";
            return 2;
        }
        setting.mode = OraClockMode::Offset;
    } else {
        return Usage();
    }
    std::filesystem::path home;
    if (!RegisteredHome(&home))
        return 1;
    const OraDatabaseRef db = Database(home, sid);
    if (int rc = Report(TheOraServer().SetClock(db, setting)))
        return rc;
    switch (setting.mode) {
    case OraClockMode::System: m_out << "Database " << db.sid << " follows this machine's clock.\n"; break;
    case OraClockMode::Pinned:
        m_out << "Database " << db.sid << " clock pinned at "
              << FormatOracleDate(setting.value, "YYYY-MM-DD HH24:MI:SS") << ".\n";
        break;
    case OraClockMode::Offset:
        m_out << "Database " << db.sid << " clock offset by " << setting.value << " seconds.\n";
        break;
    }
    return 0;
}

} // namespace VkOracle
