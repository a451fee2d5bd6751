// The embedded server: databases as SQLite files under their folders, an
// instance state file per database, sessions as connections of their own.
#include "ociw32/functions/OraErrors.h"
#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/CatalogSchema.h"
#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraDemoContent.h"
#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/OraGuard.h"
#include "ociw32/server/OraJobQueue.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/VkPrivateFiles.h"

#include <cerrno>
#include <string>

namespace VkOracle {
namespace {

// Folders made here are their owner's alone (0700).
bool MakeDirectories(const std::string& path)
{
    return VkCreatePrivateDirectories(path);
}

// Serialises creation of one database across threads and processes.
class CreationLock {
public:
    explicit CreationLock(const OraDatabaseRef& db)
    {
        m_fd = VkOpenPrivate((db.directory + "/" + db.sid + ".lock").c_str(), O_RDWR | O_CREAT);
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~CreationLock()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;

private:
    int m_fd = -1;
};

OraResult Failed(int code, const std::string& detail = std::string())
{
    OraResult r{code, FormatOraError(code), 0};
    if (!detail.empty())
        r.message += " (" + detail + ")";
    return r;
}

std::string VersionOf(const OraDatabaseRef& ref)
{
    sqlite3* db = nullptr;
    std::string version;
    if (sqlite3_open_v2(DatabaseFilePath(ref).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        SqliteStmt q(db, "SELECT value FROM cat_db WHERE key = 'version'");
        if (q.Step())
            version = q.Text(0);
    }
    sqlite3_close(db);
    return version;
}

class EmbeddedServer final : public OraServer {
public:
    OraResult Logon(const OraDatabaseRef& db, const std::string& user, const std::string& password,
                    std::unique_ptr<OraSession>* session) override
    {
        session->reset();
        return GuardOra([&] { return LogonNow(db, user, password, session); });
    }
    OraResult CreateDatabase(const OraDatabaseRef& ref, const std::string& version) override
    {
        return GuardOra([&] { return CreateNow(ref, version); });
    }
    OraResult LoadDemoContent(const OraDatabaseRef& ref) override
    {
        return GuardOra([&] { return LoadDemoNow(ref); });
    }

private:
    OraResult LogonNow(const OraDatabaseRef& db, const std::string& user, const std::string& password,
                       std::unique_ptr<OraSession>* session)
    {
        std::shared_ptr<OraSessionCore> core;
        OraResult r = OraSessionCore::Open(db, user, password, &core);
        if (!r.Ok())
            return r;
        // The first logon after the queue stopped (or never ran) starts it.
        OraJobQueue::StartIfWanted(db, core->JobQueueProcessesAtLogon());
        *session = std::make_unique<OraEngineSession>(core);
        return OraResult{};
    }

    OraResult CreateNow(const OraDatabaseRef& ref, const std::string& version)
    {
        if (ref.sid.empty() || ref.directory.empty() || MajorVersionOf(version) < 7)
            return Failed(1034, "invalid database name or version");
        if (!MakeDirectories(ref.directory))
            return Failed(1034, "cannot create " + ref.directory);
        CreationLock lock(ref);
        if (DatabaseFileExists(ref) && !VersionOf(ref).empty())
            return OraResult{};
        // Leftovers of an earlier, broken database must not be replayed into the new one.
        for (const std::string& path : {DatabaseFilePath(ref), DatabaseFilePath(ref) + "-wal", DatabaseFilePath(ref) + "-shm",
                                        InstanceFilePath(ref), InstanceFilePath(ref) + "-wal", InstanceFilePath(ref) + "-shm"})
            ::unlink(path.c_str());
        sqlite3* db = nullptr;
        // Made 0600 first: SQLite gives the log files the database's mode.
        VkTouchPrivate(DatabaseFilePath(ref));
        if (sqlite3_open_v2(DatabaseFilePath(ref).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            sqlite3_close(db);
            return Failed(1034, "cannot create the database file");
        }
        std::string error;
        SqliteExec(db, "PRAGMA journal_mode = WAL");
        RegisterOracleFunctions(db);
        const bool ok = CreateCatalog(db, version, &error);
        sqlite3_close(db);
        if (!ok) {
            ::unlink(DatabaseFilePath(ref).c_str());
            return Failed(1034, error);
        }
        OraInstanceState state = ReadInstanceState(ref);
        state.open = true;
        WriteInstanceState(ref, state);
        // The job queue numbers its jobs from SYS.JOBSEQ.
        std::shared_ptr<OraSessionCore> core;
        OraResult r = OraSessionCore::OpenInternal(ref, "SYS", &core);
        if (!r.Ok())
            return r;
        OraEngineSession sys(core);
        return RunSql(sys, "CREATE SEQUENCE SYS.JOBSEQ START WITH 1 NOCACHE");
    }

    OraResult LoadDemoNow(const OraDatabaseRef& ref)
    {
        std::shared_ptr<OraSessionCore> core;
        OraResult r = OraSessionCore::OpenInternal(ref, "SYS", &core);
        if (!r.Ok())
            return r;
        return LoadDemoSchema(core);
    }

public:
    OraResult Startup(const OraDatabaseRef& ref) override
    {
        if (!DatabaseFileExists(ref))
            return Failed(1034);
        OraInstanceState state = ReadInstanceState(ref);
        state.open = true;
        state.shutdown = OraShutdownMode::Normal;
        if (!WriteInstanceState(ref, state))
            return Failed(1034);
        OraJobQueue::StartIfWanted(ref);
        return OraResult{};
    }

    OraResult Shutdown(const OraDatabaseRef& ref, OraShutdownMode mode) override
    {
        if (!DatabaseFileExists(ref))
            return Failed(1034);
        // ABORT kills the queue before it can see the new state and book
        // anything; the others let it see the state and end by itself:
        // NORMAL after its runs, IMMEDIATE after breaking them.
        const int pid = OraJobQueuePid(ref);
        if (mode == OraShutdownMode::Abort && pid > 0) {
            ::kill(pid, SIGKILL);
            OraWaitJobQueueEnded(ref, std::chrono::seconds(5));
        }
        // The next startup clears the runs of a queue that is gone; one
        // still exiting would count as alive and keep them.
        auto ended = [pid] { return pid <= 0 || OraWaitProcessEnded(pid, std::chrono::seconds(5)); };
        OraInstanceState state = ReadInstanceState(ref);
        state.open = false;
        state.shutdown = mode;
        if (!WriteInstanceState(ref, state))
            return Failed(1034);
        if (mode == OraShutdownMode::Normal) {
            while (!OraWaitJobQueueEnded(ref, std::chrono::seconds(60))) {
            }
        } else if (!OraWaitJobQueueEnded(ref, std::chrono::seconds(30)) && pid > 0) {
            ::kill(pid, SIGKILL);
            OraWaitJobQueueEnded(ref, std::chrono::seconds(5));
        }
        ended();
        return OraResult{};
    }

    std::string Status(const OraDatabaseRef& ref) override
    {
        if (!DatabaseFileExists(ref))
            return "MISSING";
        const std::string version = VersionOf(ref);
        if (version.empty())
            return "MISSING";
        return std::string(ReadInstanceState(ref).open ? "OPEN" : "SHUTDOWN") + " " + version;
    }

    OraResult SetClock(const OraDatabaseRef& ref, const OraClockSetting& clock) override
    {
        if (!DatabaseFileExists(ref))
            return Failed(1034);
        OraInstanceState state = ReadInstanceState(ref);
        state.clock = clock;
        return WriteInstanceState(ref, state) ? OraResult{} : Failed(1034);
    }
};

} // namespace

OraServer& EmbeddedOraServer()
{
    static EmbeddedServer server;
    return server;
}

} // namespace VkOracle
