// Locating and reading TNSNAMES.ORA.

#include "framework/COracle_TNSNames.h"
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Names = COracle_TNSNames;

namespace {

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyEx(root, key.c_str(), KEY_ALL_ACCESS, &handle), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(handle, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(handle);
}

class TnsNames : public qvtest::FreshRootTest {
protected:
    fs::path Home() const { return root() / "oracle"; }

    // Records the Oracle home and writes its names file.
    void Install(const std::string& content, const std::string& admin = "network/ADMIN")
    {
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", "ORACLE_HOME", Home().string());
        WriteFile(admin, content);
    }

    void WriteFile(const std::string& admin, const std::string& content)
    {
        fs::create_directories(Home() / admin);
        std::ofstream(Home() / admin / "tnsnames.ora", std::ios::binary) << content;
    }

    static std::vector<std::string> AllNames(Names& names)
    {
        std::vector<std::string> all;
        std::string name;
        names.ResetIter();
        while (names.Next(name))
            all.push_back(name);
        EXPECT_EQ(name, "");
        return all;
    }
};

TEST_F(TnsNames, OneLineEntry)
{
    Install("X = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h1)(PORT = 1521))"
            "(CONNECT_DATA = (SID = ORCL)))\n");
    Names names(true);
    ASSERT_EQ(names.Error(), Names::Loaded);
    ASSERT_EQ(names.Count(), 1);
    const auto* x = names.GetNameData("X");
    ASSERT_NE(x, nullptr);
    ASSERT_EQ(x->Addresses().size(), 1u);
    EXPECT_EQ(x->Addresses()[0]->protocol, Names::COracle_Address::TCP);
    EXPECT_EQ(x->Addresses()[0]->hostOrKey, "h1");
    EXPECT_EQ(x->Addresses()[0]->port, 1521);
    EXPECT_EQ(x->Connect().sid, "ORCL");
    EXPECT_EQ(x->Connect().serviceName, "");
    EXPECT_EQ(names.Directory(), (Home() / "network/ADMIN").string());
}

TEST_F(TnsNames, MultiLineEntriesWithCommentsAndLowerCaseNames)
{
    Install("# the demo databases\n"
            "demo =\n"
            "  # a comment inside the entry\n"
            "  (DESCRIPTION =\n"
            "    (ADDRESS_LIST =\n"
            "      (ADDRESS = (PROTOCOL = tcp)(HOST = first.example)(PORT = 1521))\n"
            "   #  (ADDRESS = (PROTOCOL = TCP)(HOST = commented)(PORT = 1))\n"
            "      (ADDRESS = (PROTOCOL = TCP)(HOST = second#host)(PORT = 1522x))\n"
            "    )\n"
            "    (connect_data = (service_name = Demo.World) (SID = DEMO))\n"
            "  )\n"
            "\n"
            "EXTPROC_CONNECTION_DATA = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = EXTPROC0))\n"
            "  (CONNECT_DATA = (SID = PLSExtProc)))\n"
            "Legacy=(DESCRIPTION=(ADDRESS=(COMMUNITY=tcp.world)(PROTOCOL=TCP)(Host=old)(Port=1526))\n"
            "(CONNECT_DATA=(SID=LEG)))\n");
    Names names(true);
    ASSERT_EQ(names.Error(), Names::Loaded);
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"DEMO", "EXTPROC_CONNECTION_DATA", "LEGACY"}));
    EXPECT_EQ(names.GetNameData("demo"), nullptr);

    const auto* demo = names.GetNameData("DEMO");
    ASSERT_NE(demo, nullptr);
    ASSERT_EQ(demo->Addresses().size(), 2u);
    // Lower-case "tcp" is no known protocol; "#" after text is text.
    EXPECT_EQ(demo->Addresses()[0]->protocol, Names::COracle_Address::Unknown);
    EXPECT_EQ(demo->Addresses()[0]->hostOrKey, "first.example");
    EXPECT_EQ(demo->Addresses()[1]->protocol, Names::COracle_Address::TCP);
    EXPECT_EQ(demo->Addresses()[1]->hostOrKey, "second#host");
    EXPECT_EQ(demo->Addresses()[1]->port, 1522);
    EXPECT_EQ(demo->Connect().serviceName, "Demo.World");
    EXPECT_EQ(demo->Connect().sid, "DEMO");

    const auto* ipc = names.GetNameData("EXTPROC_CONNECTION_DATA");
    ASSERT_NE(ipc, nullptr);
    ASSERT_EQ(ipc->Addresses().size(), 1u);
    EXPECT_EQ(ipc->Addresses()[0]->protocol, Names::COracle_Address::IPC);
    EXPECT_EQ(ipc->Addresses()[0]->hostOrKey, "EXTPROC0");
    EXPECT_EQ(ipc->Addresses()[0]->port, 0);

    const auto* legacy = names.GetNameData("LEGACY");
    ASSERT_NE(legacy, nullptr);
    EXPECT_EQ(legacy->Addresses()[0]->hostOrKey, "old");
    EXPECT_EQ(legacy->Addresses()[0]->port, 1526);
}

TEST_F(TnsNames, WordsBrokenOverLinesAreJoinedAndLaterEntriesReplaceEarlier)
{
    Install("A = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = fir\n"
            "st)(PORT = 1)))\n"
            "a = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = again)(PORT = 2)))\n"
            "B = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = b)(PORT = 3))) "
            "C = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = c)(PORT = 4)))\n");
    Names names(true);
    ASSERT_EQ(names.Error(), Names::Loaded);
    // Two entries on one line read as one: the second name is an ignored pair.
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"A", "B"}));
    ASSERT_NE(names.GetNameData("A"), nullptr);
    EXPECT_EQ(names.GetNameData("A")->Addresses()[0]->hostOrKey, "again");
    EXPECT_EQ(names.GetNameData("B")->Addresses().size(), 2u);
    EXPECT_EQ(names.GetNameData("B")->Addresses()[1]->hostOrKey, "c");
}

TEST_F(TnsNames, UnbalancedRemainderIsIgnored)
{
    Install("GOOD = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = g)(PORT = 1)))\n"
            "BAD = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = b)(PORT = 2))\n"
            "(CONNECT_DATA = (SID = X)\n");
    Names names(true);
    EXPECT_EQ(names.Error(), Names::Corrupt);
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"GOOD"}));
}

TEST_F(TnsNames, DamagedEntriesAreSkippedOnTheirOwn)
{
    struct Case {
        const char* what;
        std::string text;
    };
    const std::string first = "FIRST = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = f)(PORT = 1)))\n";
    const std::string third = "THIRD = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = t)(PORT = 3))\n"
                              "  (CONNECT_DATA = (SID = T)))\n";
    const Case cases[] = {
        {"a parameter without a name", first + "SECOND = (DESCRIPTION = (= oops))\n" + third},
        {"an entry left open", first + "SECOND = (DESCRIPTION = (ADDRESS = (HOST = s)\n" + third},
        {"a stray parenthesis after an entry", first + "SECOND = (DESCRIPTION = (ADDRESS = (HOST = s))))\n" + third},
        {"a stray parenthesis on its own", first + "SECOND = (DESCRIPTION = (ADDRESS = (HOST = s)))\n)\n" + third},
    };
    for (const Case& c : cases) {
        Install(c.text);
        Names names(true);
        EXPECT_EQ(names.Error(), Names::Corrupt) << c.what;
        EXPECT_NE(names.GetNameData("FIRST"), nullptr) << c.what;
        // The entry after the damage is whole.
        const Names::COracle_NameData* after = names.GetNameData("THIRD");
        ASSERT_NE(after, nullptr) << c.what;
        ASSERT_EQ(after->Addresses().size(), 1u) << c.what;
        EXPECT_EQ(after->Addresses()[0]->hostOrKey, "t") << c.what;
        EXPECT_EQ(after->Connect().sid, "T") << c.what;
    }
}

TEST_F(TnsNames, LongLinesAndLongEntriesAreReadWhole)
{
    const std::string entry = "(DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)))\n";
    std::string huge = "HUGE = (DESCRIPTION =\n";
    for (int i = 0; i < 20000; ++i)
        huge += "  (ADDRESS = (PROTOCOL = TCP)(HOST = h" + std::to_string(i) + ")(PORT = 1))\n";
    huge += "  (CONNECT_DATA = (SID = HUGE)))\n";
    Install("BEFORE = " + entry + "# " + std::string(100000, 'x') + "\n" + "WIDE = (DESCRIPTION = (ADDRESS = "
            + "(PROTOCOL = TCP)(HOST = " + std::string(5000, 'w') + ")(PORT = 1)))\n" + huge + "AFTER = " + entry);
    const auto started = std::chrono::steady_clock::now();
    Names names(true);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(names.Error(), Names::Loaded);
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"AFTER", "BEFORE", "HUGE", "WIDE"}));
    EXPECT_EQ(names.GetNameData("WIDE")->Addresses()[0]->hostOrKey, std::string(5000, 'w'));
    EXPECT_EQ(names.GetNameData("HUGE")->Addresses().size(), 20000u);
    EXPECT_EQ(names.GetNameData("HUGE")->Connect().sid, "HUGE");
    // Reading that grew with the square of the entry took seconds here.
    EXPECT_LT(took, std::chrono::seconds(2));
}

TEST_F(TnsNames, EqualsSignsAtTheEdgesAreNoPairs)
{
    Install("= X = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)(HOST =)))\n");
    Names names(true);
    ASSERT_EQ(names.Error(), Names::Loaded);
    ASSERT_NE(names.GetNameData("X"), nullptr);
    // A value that is only punctuation is no value.
    EXPECT_EQ(names.GetNameData("X")->Addresses()[0]->hostOrKey, "h");
}

TEST_F(TnsNames, LastHomeFallbackAndTheAlternativeFolder)
{
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", "ORACLE_HOME", "");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE\\ALL_HOMES", "LAST_HOME", "1");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE\\HOME0", "ORACLE_HOME", "/nowhere");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE\\ALL_HOMES\\HOME1", "ORACLE_HOME", "/nowhere");
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE\\HOME1", "ORACLE_HOME", Home().string());
    WriteFile("net80/ADMIN", "OLD = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = o)(PORT = 1)))\n");
    Names names(true);
    ASSERT_EQ(names.Error(), Names::Loaded);
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"OLD"}));
    vkpath path, alternative;
    EXPECT_TRUE(names.Path(path));
    EXPECT_TRUE(names.AltPath(alternative));
    EXPECT_EQ(path.FullPath(), (Home() / "net80/ADMIN/tnsnames.ora").string());
    EXPECT_EQ(alternative.FullPath(), (Home() / "network/ADMIN/tnsnames.ora").string());

    // The primary file wins once it exists, but only on a refresh.
    WriteFile("network/ADMIN", "NEW = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = n)(PORT = 1)))\n");
    EXPECT_TRUE(names.Path(path));
    EXPECT_EQ(path.Folder(), (Home() / "net80/ADMIN").string());
    EXPECT_TRUE(names.Path(path, true));
    EXPECT_EQ(path.Folder(), (Home() / "network/ADMIN").string());
    EXPECT_EQ(names.Load(), Names::Loaded);
    EXPECT_EQ(AllNames(names), (std::vector<std::string>{"NEW"}));
}

TEST_F(TnsNames, NotFoundKeepsTheNamesHeld)
{
    Names none(true);
    EXPECT_EQ(none.Error(), Names::NotFound);
    vkpath path, alternative;
    EXPECT_FALSE(none.Path(path));
    none.AltPath(alternative);
    EXPECT_TRUE(path.Empty());
    EXPECT_TRUE(alternative.Empty());

    // A home without the sub-key of its fallback.
    SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", "ORACLE_HOME", "");
    EXPECT_EQ(Names(true).Error(), Names::NotFound);

    Install("KEPT = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = k)(PORT = 1)))\n");
    Names names(true);
    ASSERT_EQ(names.Count(), 1);
    fs::remove(Home() / "network/ADMIN/tnsnames.ora");
    EXPECT_EQ(names.Load(), Names::NotFound);
    EXPECT_EQ(names.Error(), Names::NotFound);
    EXPECT_EQ(names.Count(), 1);
    EXPECT_FALSE(names.Path(path));
    EXPECT_EQ(path.FullPath(), (Home() / "network/ADMIN/tnsnames.ora").string());
}

TEST_F(TnsNames, AReadErrorIsError4)
{
    Install("X = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)))\n");
    Names names(true);
    ASSERT_EQ(names.Count(), 1);
    // A file that opens but cannot be read: reading this process's memory
    // from address 0 fails.
    const fs::path file = Home() / "network/ADMIN/tnsnames.ora";
    fs::remove(file);
    fs::create_symlink("/proc/self/mem", file);
    EXPECT_EQ(names.Load(), Names::ReadFailed);
    EXPECT_EQ(names.Error(), Names::ReadFailed);
    EXPECT_EQ(names.Count(), 0);
}

TEST_F(TnsNames, HostileTextNeverCrashes)
{
    // Deterministic noise made of the parser's own punctuation, words,
    // comments, blanks, NULs and long runs.
    const char alphabet[] = "((((())))===#  \t\r\nADDRESSHOSTPORTSIDKEY\x01\xff\0";
    std::uint32_t seed = 12345;
    for (int round = 0; round < 200; ++round) {
        std::string content;
        const int length = 1 + static_cast<int>(seed % 5000);
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            content += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        Install(content);
        Names names(true);
        EXPECT_TRUE(names.Error() == Names::Loaded || names.Error() == Names::Corrupt) << round;
        std::string name;
        while (names.Next(name))
            EXPECT_NE(names.GetNameData(name), nullptr);
    }
}

TEST_F(TnsNames, CopiesAreDeepAndIterateOnTheirOwn)
{
    Install("B = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = b)(PORT = 2)))\n"
            "A = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = a)(PORT = 1)))\n");
    auto original = std::make_unique<Names>(true);
    std::string first;
    ASSERT_TRUE(original->Next(first));
    EXPECT_EQ(first, "A");
    Names copy(*original);
    original.reset();
    EXPECT_EQ(AllNames(copy), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(copy.GetNameData("B")->Addresses()[0]->hostOrKey, "b");
    EXPECT_EQ(copy.Error(), Names::Loaded);
    Names assigned;
    EXPECT_EQ(assigned.Error(), Names::NotLoaded);
    assigned = copy;
    copy.ClearData();
    EXPECT_EQ(assigned.Count(), 2);
}

} // namespace
