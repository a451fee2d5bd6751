#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class Vkreg : public qvtest::FreshRootTest {
protected:
    // Runs vkreg with args; returns its exit status, output in *out.
    int Run(const std::string& args, std::string* out = nullptr, bool withStderr = false)
    {
        std::string sink;
        return qvtest::RunCommand(qvtest::BinPath("vkreg").string() + " " + args, out ? out : &sink,
                                  withStderr);
    }
    std::filesystem::path File(const std::string& name) { return root() / name; }
    void Write(const std::string& name, const std::string& text)
    {
        std::ofstream(File(name), std::ios::binary) << text;
    }
    std::string Read(const std::string& name)
    {
        std::ifstream in(File(name), std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string Q(const std::filesystem::path& p) { return "'" + p.string() + "'"; }
};

// One value of every type, a sub-tree and names that need escaping.
const char* const EveryType =
    "REGEDIT4\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool]\n"
    "@=\"the default\"\n"
    "\"Text\"=\"a \\\"quoted\\\" C:\\\\path\"\n"
    "\"Expand\"=hex(2):25,54,4d,50,25,00\n"
    "\"Binary\"=hex:00,01,fe,ff\n"
    "\"Number\"=dword:0000002a\n"
    "\"BigEndian\"=hex(5):00,00,00,2a\n"
    "\"Link\"=hex(6):5c,00\n"
    "\"Multi\"=hex(7):6f,6e,65,00,74,77,6f,00,00\n"
    "\"None\"=hex(0):\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool\\Child]\n"
    "\"Deep\"=dword:00000001\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool\\Empty]\n"
    "\n";

TEST_F(Vkreg, RoundTripOfEveryValueType)
{
    Write("in.reg", EveryType);
    ASSERT_EQ(Run("import " + Q(File("in.reg"))), 0);

    // The values really are in the registry with their types.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tarnwick\\Tool", KEY_READ, &key), ERROR_SUCCESS);
    struct Want {
        const char* name;
        DWORD type;
        DWORD size;
    } wants[] = {{nullptr, REG_SZ, 12},     {"Text", REG_SZ, 19},  {"Expand", REG_EXPAND_SZ, 6},
                 {"Binary", REG_BINARY, 4}, {"Number", REG_DWORD, 4}, {"BigEndian", REG_DWORD_BIG_ENDIAN, 4},
                 {"Link", REG_LINK, 2},     {"Multi", REG_MULTI_SZ, 9}, {"None", REG_NONE, 0}};
    for (const auto& w : wants) {
        DWORD type = 99, size = 99;
        ASSERT_EQ(RegQueryValueEx(key, w.name, &type, nullptr, &size), ERROR_SUCCESS) << (w.name ? w.name : "@");
        EXPECT_EQ(type, w.type) << (w.name ? w.name : "@");
        EXPECT_EQ(size, w.size) << (w.name ? w.name : "@");
    }
    RegCloseKey(key);

    // Export to standard output gives back the very text imported.
    std::string out;
    ASSERT_EQ(Run("export 'HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool'", &out), 0);
    EXPECT_EQ(out, EveryType);

    // Export to a file, delete, import the file: the same branch again.
    ASSERT_EQ(Run("export 'HKCU\\Software\\Tarnwick\\Tool' " + Q(File("out.reg"))), 0);
    EXPECT_EQ(Read("out.reg"), EveryType);
    ASSERT_EQ(Run("delete 'HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool'"), 0);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Tarnwick\\Tool", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(Run("import " + Q(File("out.reg"))), 0);
    out.clear();
    ASSERT_EQ(Run("export 'HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool'", &out), 0);
    EXPECT_EQ(out, EveryType);
}

TEST_F(Vkreg, ImportFromStandardInputAndList)
{
    Write("in.reg", EveryType);
    ASSERT_EQ(qvtest::RunCommand(qvtest::BinPath("vkreg").string() + " import - < " + Q(File("in.reg"))), 0);
    std::string out;
    ASSERT_EQ(Run("list 'HKEY_CURRENT_USER\\Software\\Tarnwick\\Tool'", &out), 0);
    for (const char* line : {"(Default)    REG_SZ    the default", "Number    REG_DWORD    0x0000002a (42)",
                             "Multi    REG_MULTI_SZ    one | two", "Binary    REG_BINARY    00 01 fe ff",
                             "    Child\\", "    Empty\\"})
        EXPECT_NE(out.find(line), std::string::npos) << line << "\n" << out;
}

TEST_F(Vkreg, AMalformedFileChangesNothingAndSaysSo)
{
    Write("bad.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Bad]\n\"ok\"=\"1\"\n\"broken\"=hex:0g\n\"later\"=\"2\"\n");
    std::string err;
    EXPECT_EQ(Run("import " + Q(File("bad.reg")), &err, true), 1);
    EXPECT_NE(err.find("bad.reg:5:"), std::string::npos) << err;
    EXPECT_NE(err.find("nothing was changed"), std::string::npos) << err;
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Bad", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(Vkreg, BadRequestsFailWithAMessage)
{
    struct Case {
        std::string args;
        const char* message;
    } cases[] = {
        {"", "usage"},
        {"frobnicate", "usage"},
        {"export", "usage"},
        {"export 'HKEY_CURRENT_USER\\Software\\Missing'", "does not exist"},
        {"export 'HKEY_NOWHERE\\x'", "unknown root"},
        {"export HKCU " + Q(root() / "no/such/dir/out.reg"), "cannot write"},
        {"import " + Q(root() / "missing.reg"), "cannot read"},
        {"delete 'HKEY_CURRENT_USER\\Software\\Missing'", "does not exist"},
        {"delete HKEY_CURRENT_USER", "root key"},
        {"list 'HKLM\\Nothing'", "does not exist"},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(Run(c.args, &out, true), 1) << c.args;
        EXPECT_NE(out.find(c.message), std::string::npos) << c.args << " -> " << out;
    }
    EXPECT_FALSE(std::filesystem::exists(root() / "no"));
}

TEST_F(Vkreg, ADamagedHiveIsNamedByEveryCommand)
{
    const std::filesystem::path hive = root() / "registry" / "HKEY_CURRENT_USER.hive";
    std::filesystem::create_directories(hive.parent_path());
    std::ofstream(hive, std::ios::binary) << std::string(4096, 'Z');
    Write("in.reg", "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\X]\n\"v\"=\"1\"\n");
    const std::string named = "The registry file " + hive.string() + " is damaged";
    for (const std::string& args : {std::string("export HKEY_CURRENT_USER"), std::string("list 'HKCU\\Software'"),
                                    std::string("delete 'HKCU\\Software\\X'"), "import " + Q(File("in.reg"))}) {
        std::string out;
        EXPECT_EQ(Run(args, &out, true), 1) << args;
        EXPECT_NE(out.find(named), std::string::npos) << args << " -> " << out;
        EXPECT_EQ(out.find("error 1009"), std::string::npos) << args << " -> " << out;
    }
    EXPECT_EQ(std::filesystem::file_size(hive), 4096u);
}

TEST_F(Vkreg, AnImportKilledMidwayLeavesNothing)
{
    HKEY before = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Before", KEY_ALL_ACCESS, &before), ERROR_SUCCESS);
    RegCloseKey(before);
    // Enough keys that the import's transaction spills into the hive's log
    // well before it commits.
    constexpr int keys = 20000;
    std::string text = "REGEDIT4\n\n";
    for (int i = 0; i < keys; ++i)
        text += "[HKEY_CURRENT_USER\\Software\\Big\\K" + std::to_string(i) + "]\n\"v\"=\"" + std::string(100, 'x')
            + "\"\n";
    Write("big.reg", text);
    const std::filesystem::path wal = root() / "registry" / "HKEY_CURRENT_USER.hive-wal";
    const auto walSize = [&] {
        std::error_code ec;
        const auto size = std::filesystem::file_size(wal, ec);
        return ec ? std::uintmax_t(0) : size;
    };
    const std::uintmax_t start = walSize();
    const std::string program = qvtest::BinPath("vkreg").string();
    const std::string file = File("big.reg").string();
    const pid_t pid = fork();
    if (pid == 0) {
        execl(program.c_str(), "vkreg", "import", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // Killed once part of the import is in the log, unless it ended first.
    int status = 0;
    bool ended = false;
    while (!(ended = waitpid(pid, &status, WNOHANG) == pid) && walSize() < start + 1024 * 1024) {
    }
    if (!ended) {
        kill(pid, SIGKILL);
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
    }
    HKEY big = nullptr;
    const LONG rc = RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Big", KEY_READ, &big);
    if (WIFSIGNALED(status)) {
        EXPECT_EQ(rc, ERROR_FILE_NOT_FOUND) << "a killed import left part of its file applied";
    } else {
        // It finished before the kill: then all of it.
        ASSERT_EQ(rc, ERROR_SUCCESS);
        DWORD subKeys = 0;
        ASSERT_EQ(RegQueryInfoKey(big, &subKeys, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        EXPECT_EQ(subKeys, DWORD(keys));
    }
    if (big)
        RegCloseKey(big);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Before", KEY_READ, &before), ERROR_SUCCESS);
    RegCloseKey(before);
}

} // namespace
