// The server's database operations: creation (idempotent, racing
// processes), status, startup and shutdown, the clock, and bad input.
#include "EngineFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

namespace oraenginetest {
namespace {

class ServerTest : public qvtest::FreshRootTest {
protected:
    VkOracle::OraServer& Server() { return VkOracle::TheOraServer(); }
    VkOracle::OraDatabaseRef Ref(const std::string& sid) { return {sid, (root() / "db").string()}; }
};

TEST_F(ServerTest, StatusOfMissingCreatedAndStoppedDatabases)
{
    const VkOracle::OraDatabaseRef db = Ref("ORCL");
    EXPECT_EQ(Server().Status(db), "MISSING");
    std::unique_ptr<VkOracle::OraSession> s;
    EXPECT_EQ(Server().Logon(db, "SYSTEM", "MANAGER", &s).message, "ORA-01034: ORACLE not available");
    EXPECT_EQ(Server().Startup(db).code, 1034);
    ASSERT_TRUE(Server().CreateDatabase(db, "10.2.0.1.0").Ok());
    EXPECT_EQ(Server().Status(db), "OPEN 10.2.0.1.0");
    // An existing database is left alone, whatever version is asked for.
    ASSERT_TRUE(Server().CreateDatabase(db, "7.3.4.0.0").Ok());
    EXPECT_EQ(Server().Status(db), "OPEN 10.2.0.1.0");
    ASSERT_TRUE(Server().Shutdown(db).Ok());
    EXPECT_EQ(Server().Status(db), "SHUTDOWN 10.2.0.1.0");
    ASSERT_TRUE(Server().Startup(db).Ok());
    ASSERT_TRUE(Server().Logon(db, "system", "manager", &s).Ok());
    EXPECT_EQ(s->ServerVersion(), "10.2.0.1.0");
}

TEST_F(ServerTest, BadRequestsFailWithoutCreatingAnything)
{
    EXPECT_FALSE(Server().CreateDatabase(Ref(""), "10.2.0.1.0").Ok());
    EXPECT_FALSE(Server().CreateDatabase(Ref("X"), "banana").Ok());
    EXPECT_EQ(Server().Status(Ref("X")), "MISSING");
    // A file that is no database reads as missing and refuses logons.
    std::filesystem::create_directories(root() / "db");
    std::ofstream(root() / "db" / "JUNK.db") << "not a database at all";
    EXPECT_EQ(Server().Status(Ref("JUNK")), "MISSING");
    std::unique_ptr<VkOracle::OraSession> s;
    EXPECT_EQ(Server().Logon(Ref("JUNK"), "SYSTEM", "MANAGER", &s).code, 1034);
    EXPECT_EQ(Server().LoadDemoContent(Ref("NONE")).code, 1034);
}

TEST_F(ServerTest, DamagedStateFileReadsAsOpenOnTheSystemClock)
{
    const VkOracle::OraDatabaseRef db = Ref("STATE");
    ASSERT_TRUE(Server().CreateDatabase(db, "10.2.0.1.0").Ok());
    ASSERT_TRUE(Server().Shutdown(db).Ok());
    std::ofstream(root() / "db" / "STATE.state", std::ios::trunc) << "PINNED banana\n\x01\x02 OFFSET";
    EXPECT_EQ(Server().Status(db), "OPEN 10.2.0.1.0");
    std::unique_ptr<VkOracle::OraSession> s;
    ASSERT_TRUE(Server().Logon(db, "SYSTEM", "MANAGER", &s).Ok());
    uint64_t rows = 0;
    EXPECT_TRUE(VkOracle::RunSql(*s, "SELECT SYSDATE FROM DUAL", &rows).Ok());
    EXPECT_EQ(rows, 1u);
}

TEST_F(ServerTest, ClockPinnedAndOffsetForEverySession)
{
    const VkOracle::OraDatabaseRef db = Ref("CLK");
    ASSERT_TRUE(Server().CreateDatabase(db, "10.2.0.1.0").Ok());
    std::unique_ptr<VkOracle::OraSession> s;
    ASSERT_TRUE(Server().Logon(db, "SYSTEM", "MANAGER", &s).Ok());
    ASSERT_TRUE(Server().SetClock(db, {VkOracle::OraClockMode::Pinned, PinnedNow()}).Ok());
    std::unique_ptr<VkOracle::OraStatement> st;
    auto now = [&] {
        std::vector<VkOracle::OraValue> row;
        uint64_t n = 0;
        if (!s->Parse("SELECT SYSDATE FROM DUAL", &st).Ok() || !st->Execute(&n).Ok() || !st->Fetch(&row).Ok())
            return std::string("failed");
        return ValueText(row[0]);
    };
    EXPECT_EQ(now(), "2026-12-07 10:30:00"); // an open session follows the change
    const int64_t offset = PinnedNow() + 86400 - VkOracle::OraLocalTimeNow();
    ASSERT_TRUE(Server().SetClock(db, {VkOracle::OraClockMode::Offset, offset}).Ok());
    EXPECT_EQ(now().substr(0, 10), "2026-12-08");
    ASSERT_TRUE(Server().SetClock(db, {}).Ok());
    const VkOracle::OraDateParts today = VkOracle::OraPartsFromDate(VkOracle::OraLocalTimeNow());
    EXPECT_EQ(std::stoi(now().substr(0, 4)), today.year);
}

TEST_F(ServerTest, ProcessesRacingToCreateTheSameDatabase)
{
    const VkOracle::OraDatabaseRef db = Ref("RACE");
    std::vector<pid_t> children;
    for (int i = 0; i < 3; ++i) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            ::_exit(VkOracle::TheOraServer().CreateDatabase(db, "10.2.0.1.0").Ok() ? 0 : 1);
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::unique_ptr<VkOracle::OraSession> s;
    ASSERT_TRUE(Server().Logon(db, "SYSTEM", "MANAGER", &s).Ok());
    uint64_t rows = 0;
    EXPECT_TRUE(VkOracle::RunSql(*s, "SELECT * FROM ALL_USERS", &rows).Ok());
    EXPECT_EQ(rows, 2u);
}

} // namespace
} // namespace oraenginetest
