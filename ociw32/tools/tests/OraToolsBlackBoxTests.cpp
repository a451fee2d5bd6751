// oradmin and ocisql as programs, run on the test's own data root.

#include "ociw32/names/OraHome.h"
#include "ociw32/names/OraTnsNames.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace VkOracle;

namespace {

std::string Tool(const std::string& name)
{
    return qvtest::BinPath(name).string();
}

std::string Slurp(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

class OraToolsTest : public qvtest::FreshRootTest {};

TEST_F(OraToolsTest, DemoWritesTheHomeRegistryAndAliasesOnce)
{
    std::string output;
    qvtest::RunCommand(Tool("oradmin") + " demo", &output, true);
    const std::filesystem::path home = OraRegisteredHome();
    EXPECT_EQ(home, root() / "oracle");
    EXPECT_EQ(OraRegistryString("ALL_HOMES", "LAST_HOME"), "0");
    EXPECT_EQ(OraRegistryString("HOME0", "ORACLE_HOME"), home.string());

    const std::filesystem::path file = home / "network" / "ADMIN" / "tnsnames.ora";
    OraTnsNames names;
    ASSERT_EQ(names.Load(file), OraTnsNames::Status::Loaded);
    ASSERT_EQ(names.Entries().size(), 4u);
    EXPECT_EQ(names.Find("DEMO")->serviceName, "DEMO");
    EXPECT_EQ(names.Find("LEGACY")->sid, "LEGACY");
    EXPECT_EQ(names.Find("DOWN")->sid, "DOWN");
    ASSERT_EQ(names.Find("REMOTE")->addresses.size(), 1u);
    EXPECT_EQ(names.Find("REMOTE")->addresses[0].protocol, OraTnsAddress::Tcp);
    EXPECT_EQ(names.Find("REMOTE")->addresses[0].hostOrKey, "dbserver.example.com");

    // A second run keeps the user's edits and adds back only what is missing.
    const std::string edited = "# mine\nDEMO = (DESCRIPTION = (CONNECT_DATA = (SID = DEMO)))\n";
    std::ofstream(file) << edited;
    qvtest::RunCommand(Tool("oradmin") + " demo", &output, true);
    const std::string text = Slurp(file);
    EXPECT_EQ(text.rfind(edited, 0), 0u);
    ASSERT_EQ(names.Load(file), OraTnsNames::Status::Loaded);
    EXPECT_EQ(names.Entries().size(), 4u);
    EXPECT_EQ(names.Find("DEMO")->addresses.size(), 0u);
}

TEST_F(OraToolsTest, EveryFileOfTheDemoHomeIsTheOwnersAloneWhateverTheUmask)
{
    // The tools inherit the widest umask; what they make is still private.
    const mode_t old = ::umask(0);
    std::string output;
    qvtest::RunCommand(Tool("oradmin") + " demo && " + Tool("ocisql")
                           + " scott/tiger@DEMO <<'EOF'\nselect 1 from dual;\nEOF",
                       &output, true);
    ::umask(old);
    // A session ran, so its side files exist too.
    ASSERT_NE(output.find("1 row selected."), std::string::npos) << output;
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root())) {
        struct stat st {};
        ASSERT_EQ(::lstat(entry.path().c_str(), &st), 0);
        if (S_ISDIR(st.st_mode)) {
            EXPECT_EQ(st.st_mode & 07777, 0700u) << entry.path();
        } else {
            EXPECT_EQ(st.st_mode & 07777, 0600u) << entry.path();
            ++files;
        }
    }
    // Hives, tnsnames.ora, and three databases with their side files.
    EXPECT_GT(files, 8);
    EXPECT_TRUE(std::filesystem::exists(root() / "oracle" / "network" / "ADMIN" / "tnsnames.ora"));
}

TEST_F(OraToolsTest, ADamagedRegistryIsNamedInsteadOfAMissingHomeOrAnUnknownAlias)
{
    std::string output;
    qvtest::RunCommand(Tool("oradmin") + " demo", &output, true);
    const std::filesystem::path hive = root() / "registry" / "HKEY_LOCAL_MACHINE.hive";
    for (const char* suffix : {"-wal", "-shm"})
        std::filesystem::remove(hive.string() + suffix);
    std::ofstream(hive, std::ios::binary | std::ios::trunc) << std::string(4096, 'Z');
    const std::string named = "The registry file " + hive.string() + " is damaged";
    struct Case {
        std::string command;
        const char* misleading;
    };
    const Case cases[] = {
        {Tool("oradmin") + " startup DEMO", "no Oracle home"},
        {Tool("oradmin") + " status", "no Oracle home"},
        {Tool("oradmin") + " demo", "cannot write the Oracle registry keys\n"},
        {Tool("ocisql") + " scott/tiger@DEMO </dev/null", "ORA-12154"},
    };
    for (const Case& c : cases) {
        output.clear();
        EXPECT_NE(qvtest::RunCommand(c.command, &output, true), 0) << c.command;
        EXPECT_NE(output.find(named), std::string::npos) << c.command << " -> " << output;
        EXPECT_EQ(output.find(c.misleading), std::string::npos) << c.command << " -> " << output;
    }
}

TEST_F(OraToolsTest, UsageErrors)
{
    const char* lines[] = {"", "frobnicate", "create", "create 9LIVES", "create X --version",
                           "clock DEMO pin not-a-date", "clock DEMO offset 5y", "clock DEMO",
                           "shutdown DEMO sideways", "log", "log DEMO extra"};
    for (const char* args : lines) {
        std::string output; // RunCommand appends
        EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " " + args, &output, true), 2) << args;
        EXPECT_FALSE(output.empty()) << args;
    }
    // A SID that would name a folder outside the databases is refused as such.
    for (const char* args : {"startup ../x", "shutdown ../../etc", "clock .. system", "startup 'A/B'"}) {
        std::string output;
        EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " " + args, &output, true), 2) << args;
        EXPECT_NE(output.find("is no valid SID"), std::string::npos) << args << " -> " << output;
    }
    std::string output;
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " status", &output, true), 1);
    EXPECT_NE(output.find("oradmin demo"), std::string::npos) << output;
}

// Starting a database that was never created says so, not ORA-01034.
TEST_F(OraToolsTest, StartupOfAMissingDatabaseSaysItIsMissing)
{
    std::string output;
    ASSERT_EQ(qvtest::RunCommand(Tool("oradmin") + " demo", &output, true), 0) << output;
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " startup NOSUCH", &output, true), 1);
    EXPECT_NE(output.find("there is no database NOSUCH"), std::string::npos) << output;
    EXPECT_EQ(output.find("ORA-01034"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " startup DOWN", &output, true), 0) << output;
}

TEST_F(OraToolsTest, OcisqlReportsConnectErrorsLikeOracle)
{
    std::string output;
    qvtest::RunCommand(Tool("oradmin") + " demo", &output, true);
    struct Case {
        const char* connect;
        const char* message;
    } cases[] = {
        {"scott/tiger@NOSUCH", "ORA-12154: TNS:could not resolve service name\n"},
        {"scott/tiger@REMOTE", "ORA-12541: TNS:no listener\n"},
    };
    for (const Case& c : cases) {
        output.clear();
        EXPECT_EQ(qvtest::RunCommand(Tool("ocisql") + " -c 'select 1 from dual' " + c.connect + " 2>&1 >/dev/null", &output), 1);
        EXPECT_EQ(output, c.message);
    }
    EXPECT_EQ(qvtest::RunCommand(Tool("ocisql") + " --bogus x 2>&1", &output), 2);
    EXPECT_EQ(qvtest::RunCommand(Tool("ocisql") + " 2>&1", &output), 2);
}

// The job queue process as a user meets it: a short ocisql call leaves the
// due jobs to the queue (here held off by its lock), the queue runs them
// once it may, "oradmin log" shows what it did and shutdown ends it.
TEST_F(OraToolsTest, TheQueueProcessRunsJobsAndOradminShowsItsLog)
{
    std::string output;
    ASSERT_EQ(qvtest::RunCommand(Tool("oradmin") + " demo", &output, true), 0) << output;
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " log DEMO", &output, true), 0);
    EXPECT_EQ(output, ""); // no queue asked for yet
    const std::filesystem::path lockFile = root() / "oracle" / "database" / "DEMO" / "DEMO.cjq";
    const int lock = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    const std::string setup = "alter system set job_queue_interval = 1;\nalter system set job_queue_processes = 4;\n"
                              "begin for i in 1 .. 50 loop dbms_job.submit(:j, 'null;', sysdate, 'sysdate + 1');"
                              " end loop; commit; end;\n/\n";
    const auto ocisql = [&](const std::string& connect, const std::string& script) {
        std::string out;
        qvtest::RunCommand(Tool("ocisql") + " " + connect + " <<'EOF'\nvariable j number\n" + script + "EOF", &out, true);
        return out;
    };
    ASSERT_NE(ocisql("system/manager@DEMO", setup).find("System altered."), std::string::npos);
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("ocisql") + " -c 'select 1 from dual' scott/tiger@DEMO", &output, true), 0);
    const std::string ran = "select count(*) from dba_jobs where last_date is not null and job > 13;\n";
    EXPECT_NE(ocisql("system/manager@DEMO", ran).find("\n       0\n"), std::string::npos);
    ::close(lock);
    // The next logon starts the queue; the jobs run with no client connected.
    ocisql("scott/tiger@DEMO", "select 1 from dual;\n");
    std::string log;
    for (int i = 0; i < 3000 && log.find(": completed\n") == std::string::npos; ++i) {
        log.clear();
        qvtest::RunCommand(Tool("oradmin") + " log DEMO", &log, true);
        if (log.find(": completed\n") == std::string::npos)
            ::usleep(10000);
    }
    EXPECT_NE(log.find(" Job queue process started (pid "), std::string::npos) << log;
    EXPECT_NE(log.find(" JOB_QUEUE_PROCESSES = 4\n"), std::string::npos) << log;
    EXPECT_NE(log.find(": completed\n"), std::string::npos) << log;
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " shutdown DEMO immediate", &output, true), 0) << output;
    EXPECT_EQ(output, "Database DEMO shut down.\n");
    log.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " log DEMO", &log, true), 0);
    EXPECT_NE(log.find(" Job queue process stopped: shutdown immediate\n"), std::string::npos) << log;
    output.clear();
    EXPECT_EQ(qvtest::RunCommand(Tool("oradmin") + " log NOSUCH", &output, true), 1);
    EXPECT_NE(output.find("there is no database NOSUCH"), std::string::npos) << output;
}
