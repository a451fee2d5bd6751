// The host details and load messages of the logon dialogs.

#include "framework/TwHostDetails.h"
#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class HostDetails : public qvtest::FreshRootTest {
protected:
    void Install(const std::string& content)
    {
        const fs::path home = root() / "oracle";
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\ORACLE", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        const std::string value = home.string();
        RegSetValueEx(key, "ORACLE_HOME", REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                      static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
        fs::create_directories(home / "network/ADMIN");
        std::ofstream(home / "network/ADMIN/tnsnames.ora") << content;
    }
};

TEST_F(HostDetails, TextPerRecord)
{
    Install("TCPDB = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h1)(PORT = 1521))"
            "(ADDRESS = (PROTOCOL = TCP)(HOST = h2)(PORT = 1522))(CONNECT_DATA = (SID = ORCL)))\n"
            "IPCDB = (DESCRIPTION = (ADDRESS = (PROTOCOL = IPC)(KEY = EXTPROC0))"
            "(CONNECT_DATA = (SERVICE_NAME = svc)(SID = S1)))\n"
            "LOWER = (DESCRIPTION = (ADDRESS = (PROTOCOL = tcp)(HOST = h)(PORT = 1))(CONNECT_DATA = (SID = L)))\n"
            "NOHOST = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(PORT = 7)))\n"
            "NOADDR = (DESCRIPTION = (CONNECT_DATA = (SID = N)))\n"
            "FMT = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = %s%n)(PORT = 1)))\n");
    COracle_TNSNames names(true);
    ASSERT_EQ(names.Error(), COracle_TNSNames::Loaded);
    const struct {
        const char* name;
        const char* text;
    } cases[] = {
        {"TCPDB", "Host details:\n\nAddress: TCP (port 1521) on h1\nSID: ORCL\n"},
        {"IPCDB", "Host details:\n\nAddress: IPC (key EXTPROC0)\nSID: S1\nService Name: svc\n"},
        {"LOWER", "Host details:\n\nSID: L\n"},
        {"NOHOST", "Host details:\n\nAddress: TCP (port 7) on <none>\n"},
        {"NOADDR", ""},
        {"FMT", "Host details:\n\nAddress: TCP (port 1) on %s%n\n"},
        {"tcpdb", "No details available."},
        {"MISSING", "No details available."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TwHostDetailsText(names, c.name), c.text) << c.name;
}

TEST_F(HostDetails, LoadMessages)
{
    bool warning = true;
    COracle_TNSNames none(true);
    EXPECT_EQ(TwTnsLoadMessage(none, &warning),
              "TNSNAMES.ORA file is unavailable or corrupt (searched in '' and ''). No hostnames could be "
              "loaded. Please correct and press 'Refresh'. ");
    EXPECT_FALSE(warning);

    Install("# nothing here\n");
    COracle_TNSNames empty(true);
    const std::string folder = (root() / "oracle/network/ADMIN").string();
    EXPECT_EQ(TwTnsLoadMessage(empty, &warning), "No names available in TNSNAMES.ORA file (located in '" + folder
                                                     + "'). Please correct and press 'Refresh'.");
    EXPECT_TRUE(warning);

    Install("X = (DESCRIPTION = (= bad))\n");
    COracle_TNSNames corrupt(true);
    EXPECT_EQ(TwTnsLoadMessage(corrupt), "TNSNAMES.ORA file is unavailable or corrupt (searched in '" + folder
                                             + "' and '" + (root() / "oracle/net80/ADMIN").string()
                                             + "'). No hostnames could be loaded. Please correct and press "
                                               "'Refresh'. ");

    // A damaged entry beside good ones: the good names are offered without a word.
    Install("X = (DESCRIPTION = (= bad))\nY = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)))\n");
    COracle_TNSNames partly(true);
    ASSERT_EQ(partly.Error(), COracle_TNSNames::Corrupt);
    EXPECT_EQ(TwTnsLoadMessage(partly, &warning), "");
    EXPECT_FALSE(warning);

    Install("X = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = h)(PORT = 1)))\n");
    COracle_TNSNames loaded(true);
    EXPECT_EQ(TwTnsLoadMessage(loaded, &warning), "");
    EXPECT_FALSE(warning);
}

} // namespace
