#include "ociw32/names/OraConnectResolver.h"
#include "ociw32/names/OraHome.h"

#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace VkOracle;

namespace {

void SetString(const char* keyPath, const char* name, const std::string& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteFile(const std::filesystem::path& file, const std::string& text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

class OraConnectResolverTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        m_home = root() / "oracle";
        std::filesystem::create_directories(m_home / "database" / "DEMO");
        std::filesystem::create_directories(m_home / "database" / "Mixed");
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        WriteFile(m_home / "network" / "ADMIN" / "tnsnames.ora",
                  "DEMO = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
                  "  (CONNECT_DATA = (SID = DEMO)))\n"
                  "BYHOST = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = " + std::string(host) + "))\n"
                  "  (CONNECT_DATA = (SERVICE_NAME = demo.world)))\n"
                  "FAILOVER = (DESCRIPTION = (ADDRESS_LIST =\n"
                  "  (ADDRESS = (PROTOCOL = TCP)(HOST = db.invalid.example))\n"
                  "  (ADDRESS = (PROTOCOL = TCP)(HOST = 127.0.0.1)))\n"
                  "  (CONNECT_DATA = (SID = mixed)))\n"
                  "REMOTE = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = db.invalid.example)(PORT = 1521))\n"
                  "  (CONNECT_DATA = (SID = DEMO)))\n"
                  "ODDPROTO = (DESCRIPTION = (ADDRESS = (PROTOCOL = tcp)(HOST = localhost))\n"
                  "  (CONNECT_DATA = (SID = DEMO)))\n"
                  "NOSID = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SERVER = DEDICATED)))\n"
                  "GONE = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SID = GONE)))\n"
                  "GONESVC = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SERVICE_NAME = GONE)))\n");
    }
    std::filesystem::path m_home;
};

} // namespace

TEST_F(OraConnectResolverTest, AliasesAndTheirErrors)
{
    SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", m_home.string());
    struct Case {
        const char* connect;
        int code;
        const char* sid;
    };
    const Case cases[] = {
        {"DEMO", 0, "DEMO"},
        {" demo ", 0, "DEMO"},
        {"BYHOST", 0, "DEMO"},
        {"FAILOVER", 0, "Mixed"},
        {"REMOTE", 12541, ""},
        {"ODDPROTO", 12560, ""},
        {"NOSID", 12504, ""},
        {"GONE", 12505, ""},
        {"GONESVC", 12514, ""},
        {"NOSUCH", 12154, ""},
        {"(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=localhost))(CONNECT_DATA=(SID=demo)))", 0, "DEMO"},
        {"", 12560, ""},
    };
    for (const Case& c : cases) {
        OraDatabaseRef db;
        OraResult r = ResolveOraConnect(c.connect, &db);
        EXPECT_EQ(r.code, c.code) << c.connect;
        if (c.code == 0) {
            EXPECT_EQ(db.sid, c.sid) << c.connect;
            EXPECT_EQ(std::filesystem::path(db.directory), m_home / "database" / c.sid) << c.connect;
        } else {
            EXPECT_EQ(r.message.find("not found"), std::string::npos) << r.message;
        }
    }
}

TEST_F(OraConnectResolverTest, EmptyConnectUsesTheLocalValue)
{
    SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", m_home.string());
    SetString("SOFTWARE\\ORACLE", "LOCAL", "demo");
    OraDatabaseRef db;
    EXPECT_EQ(ResolveOraConnect("", &db).code, 0);
    EXPECT_EQ(db.sid, "DEMO");
}

TEST_F(OraConnectResolverTest, HomeFromLastHomeAndNet80Fallback)
{
    OraDatabaseRef db;
    EXPECT_EQ(ResolveOraConnect("DEMO", &db).code, 12154); // no ORACLE key at all

    SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", "");
    SetString("SOFTWARE\\ORACLE\\ALL_HOMES", "LAST_HOME", "1");
    SetString("SOFTWARE\\ORACLE\\HOME1", "ORACLE_HOME", m_home.string());
    EXPECT_EQ(OraRegisteredHome(), m_home);
    EXPECT_EQ(ResolveOraConnect("DEMO", &db).code, 0);

    std::filesystem::create_directories(m_home / "net80");
    std::filesystem::rename(m_home / "network" / "ADMIN", m_home / "net80" / "ADMIN");
    EXPECT_EQ(OraTnsNamesFile(m_home), m_home / "net80" / "ADMIN" / "tnsnames.ora");
    EXPECT_EQ(ResolveOraConnect("DEMO", &db).code, 0);

    std::filesystem::remove_all(m_home / "net80");
    EXPECT_EQ(ResolveOraConnect("DEMO", &db).code, 12154);
}

TEST_F(OraConnectResolverTest, RegisterHomeKeepsExistingValues)
{
    SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", "/elsewhere");
    ASSERT_TRUE(OraRegisterHome(m_home, "DEMO"));
    EXPECT_EQ(OraRegisteredHome(), std::filesystem::path("/elsewhere"));
    EXPECT_EQ(OraRegistryString("ALL_HOMES", "LAST_HOME"), "0");
    EXPECT_EQ(OraRegistryString("HOME0", "ORACLE_HOME"), m_home.string());
}

TEST(OraConnectResolver, ThisMachine)
{
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_TRUE(IsThisMachine("localhost"));
    EXPECT_TRUE(IsThisMachine("LOCALHOST"));
    EXPECT_TRUE(IsThisMachine("127.0.0.1"));
    EXPECT_TRUE(IsThisMachine(host));
    EXPECT_FALSE(IsThisMachine(""));
    EXPECT_FALSE(IsThisMachine("db.invalid.example"));
    EXPECT_FALSE(IsThisMachine("10.1.2.3"));
}

TEST_F(OraConnectResolverTest, ASidOrServiceNeverNamesAFolderOutsideTheDatabases)
{
    SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", m_home.string());
    // Real database folders outside the databases folder, and one folder up.
    std::filesystem::create_directories(root() / "outside" / "X");
    std::filesystem::create_directories(m_home / "UP");
    const std::string outside = (root() / "outside" / "X").string();
    WriteFile(m_home / "network" / "ADMIN" / "tnsnames.ora",
              "ESCAPE = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SID = ../../outside/X)))\n"
              "ESCSVC = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SERVICE_NAME = ../UP)))\n"
              "DEMO = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = K)) (CONNECT_DATA = (SID = DEMO)))\n");
    const auto descriptor = [](const std::string& key, const std::string& value) {
        return "(DESCRIPTION=(ADDRESS=(PROTOCOL=IPC)(KEY=K))(CONNECT_DATA=(" + key + "=" + value + ")))";
    };
    struct Case {
        std::string connect;
        int code;
    };
    const Case cases[] = {
        {"ESCAPE", 12505},
        {"ESCSVC", 12514},
        {descriptor("SID", "../../outside/X"), 12505},
        {descriptor("SID", "../UP"), 12505},
        {descriptor("SID", ".."), 12505},
        {descriptor("SID", "."), 12505},
        {descriptor("SID", outside), 12505},
        {descriptor("SID", "DEMO/../../UP"), 12505},
        {descriptor("SID", "..\\\\UP"), 12505},
        {descriptor("SERVICE_NAME", ".."), 12514},
        {descriptor("SERVICE_NAME", "..UP"), 12514},
        {descriptor("SERVICE_NAME", ".world"), 12514},
        {descriptor("SERVICE_NAME", outside), 12514},
        {descriptor("SERVICE_NAME", "demo.world"), 0},
        {"DEMO", 0},
    };
    for (const Case& c : cases) {
        OraDatabaseRef db;
        const OraResult r = ResolveOraConnect(c.connect, &db);
        EXPECT_EQ(r.code, c.code) << c.connect;
        if (c.code == 0)
            EXPECT_EQ(std::filesystem::path(db.directory), m_home / "database" / "DEMO") << c.connect;
        else
            EXPECT_EQ(db.directory, "") << c.connect;
    }
    EXPECT_TRUE(OraDatabaseDir(m_home, "../UP").empty());
    EXPECT_EQ(OraDatabaseDir(m_home, "demo"), m_home / "database" / "DEMO");
}

// Values are read whole at any length (short ones in one read, longer ones
// asked again); a value that is no string reads as empty.
TEST_F(OraConnectResolverTest, RegistryStringsOfAnyLength)
{
    for (size_t length : {size_t(1), size_t(510), size_t(511), size_t(512), size_t(513), size_t(4000)}) {
        const std::string value = "/" + std::string(length - 1, 'h');
        SetString("SOFTWARE\\ORACLE", "ORACLE_HOME", value);
        EXPECT_EQ(OraRegisteredHome().string(), value) << length;
        EXPECT_EQ(OraRegistryString("", "ORACLE_HOME"), value) << length;
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    const std::string bytes(700, 'b');
    ASSERT_EQ(RegSetValueEx(key, "BINARY", REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(OraRegistryString("", "BINARY"), "");
    EXPECT_EQ(OraRegistryString("", "MISSING"), "");
}
