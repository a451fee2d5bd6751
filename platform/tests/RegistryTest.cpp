#include "platform/Registry.h"
#include "platform/RegText.h"
#include "testsupport/TestRoot.h"

#include <sqlite3.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

class Registry : public qvtest::FreshRootTest {
protected:
    HKEY Create(HKEY parent, const char* path)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(parent, path, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
        return key;
    }
};

LONG SetString(HKEY key, const char* name, const std::string& text)
{
    return RegSetValueEx(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                         static_cast<DWORD>(text.size() + 1));
}

LONG SetDword(HKEY key, const char* name, DWORD v)
{
    return RegSetValueEx(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

std::string GetString(HKEY key, const char* name)
{
    char buf[256] = {};
    DWORD len = sizeof buf - 1, type = 0;
    if (RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buf), &len) != ERROR_SUCCESS)
        return "<missing>";
    return buf;
}

std::vector<std::string> SubKeys(HKEY key)
{
    std::vector<std::string> out;
    char name[300];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumKeyEx(key, i, name, &len);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        EXPECT_EQ(rc, ERROR_SUCCESS);
        if (rc != ERROR_SUCCESS)
            break;
        out.emplace_back(name, len);
    }
    return out;
}

std::vector<std::string> ValueNames(HKEY key)
{
    std::vector<std::string> out;
    char name[300];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumValue(key, i, name, &len, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS)
            break;
        EXPECT_EQ(rc, ERROR_SUCCESS);
        if (rc != ERROR_SUCCESS)
            break;
        out.emplace_back(name, len);
    }
    return out;
}

// Runs body in a child process; its result is the child's exit status.
template <class F>
pid_t Spawn(F body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Registry, CreateMakesEveryLevelAndReportsDisposition)
{
    HKEY key = nullptr;
    DWORD disp = 0;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Tarnwick\\QVCtrl", KEY_ALL_ACCESS, &key, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_CREATED_NEW_KEY);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "software\\TARNWICK\\qvctrl", KEY_ALL_ACCESS, &key, &disp),
              ERROR_SUCCESS);
    EXPECT_EQ(disp, REG_OPENED_EXISTING_KEY);
    RegCloseKey(key);

    HKEY mid = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\tarnwick", KEY_READ, &mid), ERROR_SUCCESS);
    // The spelling of creation is kept.
    EXPECT_EQ(SubKeys(mid), std::vector<std::string>{"QVCtrl"});
    RegCloseKey(mid);

    HKEY missing = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Nobody\\Here", KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "Software\\Tarnwick", KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, EveryValueTypeRoundTrips)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Types");
    const std::string multi("one\0two\0\0", 9);
    const BYTE be[4] = {0x12, 0x34, 0x56, 0x78};
    struct Case {
        const char* name;
        DWORD type;
        std::string data;
    } cases[] = {
        {"none", REG_NONE, std::string("\x01\x00\xff", 3)},
        {"empty none", REG_NONE, ""},
        {"sz", REG_SZ, std::string("hello", 6)},
        {"expand", REG_EXPAND_SZ, std::string("%HOME%\\x", 9)},
        {"bin", REG_BINARY, std::string("\x00\x01\x02\xfe\xff", 5)},
        {"dword", REG_DWORD, std::string("\x2a\x00\x00\x80", 4)},
        {"be", REG_DWORD_BIG_ENDIAN, std::string(reinterpret_cast<const char*>(be), 4)},
        {"link", REG_LINK, std::string("\\Registry\\Machine", 17)},
        {"multi", REG_MULTI_SZ, multi},
        {"qword", 11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
    };
    for (const auto& c : cases)
        ASSERT_EQ(RegSetValueEx(key, c.name, c.type, reinterpret_cast<const BYTE*>(c.data.data()),
                                static_cast<DWORD>(c.data.size())),
                  ERROR_SUCCESS)
            << c.name;
    for (const auto& c : cases) {
        BYTE buf[64];
        DWORD len = sizeof buf, type = 99;
        ASSERT_EQ(RegQueryValueEx(key, c.name, &type, buf, &len), ERROR_SUCCESS) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), len), c.data) << c.name;
    }
    RegCloseKey(key);
}

TEST_F(Registry, StringSizesCountTheTerminator)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Sizes");
    ASSERT_EQ(SetString(key, "a", "abc"), ERROR_SUCCESS);
    // A caller that forgot the terminator still stores a proper string.
    ASSERT_EQ(RegSetValueEx(key, "b", REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, "c", REG_SZ, nullptr, 0), ERROR_SUCCESS);
    for (auto [name, size] : {std::pair{"a", 4u}, {"b", 4u}, {"c", 1u}}) {
        DWORD len = 0, type = 0;
        EXPECT_EQ(RegQueryValueEx(key, name, &type, nullptr, &len), ERROR_SUCCESS);
        EXPECT_EQ(type, REG_SZ);
        EXPECT_EQ(len, size) << name;
    }
    EXPECT_EQ(GetString(key, "b"), "abc");
    EXPECT_EQ(GetString(key, "c"), "");
    RegCloseKey(key);
}

TEST_F(Registry, SmallBuffersGetMoreDataAndTheNeededSize)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\More");
    ASSERT_EQ(SetString(key, "LongValueName", "0123456789"), ERROR_SUCCESS);

    BYTE buf[8];
    DWORD len = sizeof buf, type = 0;
    EXPECT_EQ(RegQueryValueEx(key, "LongValueName", &type, buf, &len), ERROR_MORE_DATA);
    EXPECT_EQ(len, 11u);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(RegQueryValueEx(key, "LongValueName", nullptr, buf, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueEx(key, "absent", nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);

    char name[20];
    DWORD nameLen = 13; // one short for the terminator
    EXPECT_EQ(RegEnumValue(key, 0, name, &nameLen, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
    nameLen = sizeof name;
    len = sizeof buf;
    EXPECT_EQ(RegEnumValue(key, 0, name, &nameLen, &type, buf, &len), ERROR_MORE_DATA);
    EXPECT_EQ(len, 11u);
    EXPECT_STREQ(name, "LongValueName");
    nameLen = sizeof name;
    len = 0;
    EXPECT_EQ(RegEnumValue(key, 0, name, &nameLen, &type, nullptr, &len), ERROR_SUCCESS);
    EXPECT_EQ(nameLen, 13u);
    EXPECT_EQ(len, 11u);

    HKEY sub = Create(key, "Sub1234");
    RegCloseKey(sub);
    DWORD keyLen = 7;
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &keyLen), ERROR_MORE_DATA);
    keyLen = 8;
    EXPECT_EQ(RegEnumKeyEx(key, 0, name, &keyLen), ERROR_SUCCESS);
    EXPECT_EQ(keyLen, 7u);
    EXPECT_EQ(RegEnumKeyEx(key, 1, name, &keyLen), ERROR_NO_MORE_ITEMS);
    RegCloseKey(key);
}

TEST_F(Registry, EnumerationOrders)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Order");
    for (const char* sub : {"beta", "Alpha", "_under", "Gamma", "alpha2"})
        RegCloseKey(Create(key, sub));
    // Windows order: compared upper-cased, so '_' sorts after the letters.
    EXPECT_EQ(SubKeys(key), (std::vector<std::string>{"Alpha", "alpha2", "beta", "Gamma", "_under"}));

    for (const char* v : {"zeta", "Alpha", "mid"})
        ASSERT_EQ(SetDword(key, v, 1), ERROR_SUCCESS);
    // Rewriting a value (under another spelling) keeps its place and name.
    ASSERT_EQ(SetDword(key, "ZETA", 2), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"zeta", "Alpha", "mid"}));
    DWORD v = 0, len = sizeof v;
    EXPECT_EQ(RegQueryValueEx(key, "Zeta", nullptr, reinterpret_cast<BYTE*>(&v), &len), ERROR_SUCCESS);
    EXPECT_EQ(v, 2u);
    RegCloseKey(key);
}

TEST_F(Registry, QueryInfoReportsCountsAndLongestSizes)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Info");
    DWORD subKeys = 9, maxSub = 9, values = 9, maxName = 9, maxData = 9;
    ASSERT_EQ(RegQueryInfoKey(key, &subKeys, &maxSub, &values, &maxName, &maxData), ERROR_SUCCESS);
    EXPECT_EQ(subKeys + maxSub + values + maxName + maxData, 0u);

    RegCloseKey(Create(key, "abc"));
    RegCloseKey(Create(key, "abcdefg"));
    ASSERT_EQ(SetString(key, "n", "0123456789"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, "longer-name", 5), ERROR_SUCCESS);
    ASSERT_EQ(SetString(key, nullptr, "default"), ERROR_SUCCESS);
    ASSERT_EQ(RegQueryInfoKey(key, &subKeys, &maxSub, &values, &maxName, &maxData), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSub, 7u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxName, 11u);
    EXPECT_EQ(maxData, 11u);
    EXPECT_EQ(RegQueryInfoKey(key, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Registry, DefaultValueIsTheEmptyName)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Default");
    EXPECT_EQ(RegQueryValueEx(key, nullptr, nullptr, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetString(key, "", "first"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key, nullptr), "first");
    ASSERT_EQ(SetString(key, nullptr, "second"), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key, ""), "second");
    EXPECT_EQ(ValueNames(key), std::vector<std::string>{""});
    EXPECT_EQ(RegDeleteValue(key, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValue(key, ""), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(Registry, DeletingKeysAndValues)
{
    HKEY top = Create(HKEY_CURRENT_USER, "Software\\Del");
    HKEY child = Create(top, "Child\\Grand");
    ASSERT_EQ(SetDword(child, "x", 1), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(top, "keep", 1), ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteKey(top, "Child"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKey(top, "Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(top, "nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTree(top, "Nothing"), ERROR_FILE_NOT_FOUND);

    // A handle to a deleted key fails with ERROR_KEY_DELETED and a key made
    // again under the same name does not bring it back.
    ASSERT_EQ(RegDeleteTree(top, "child"), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(child, "y", 1), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryValueEx(child, "x", nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegQueryInfoKey(child, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    RegCloseKey(Create(top, "Child\\Grand"));
    EXPECT_EQ(RegEnumValue(child, 0, nullptr, nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    char name[8];
    DWORD len = sizeof name;
    EXPECT_EQ(RegEnumValue(child, 0, name, &len, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);

    HKEY grand = nullptr;
    ASSERT_EQ(RegOpenKeyEx(top, "Child\\Grand", KEY_READ, &grand), ERROR_SUCCESS);
    EXPECT_EQ(ValueNames(grand), std::vector<std::string>{});
    RegCloseKey(grand);
    EXPECT_EQ(RegDeleteKey(top, "Child\\Grand"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKey(top, "Child"), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(top), std::vector<std::string>{});

    // A null sub-key empties the key itself.
    RegCloseKey(Create(top, "A\\B"));
    ASSERT_EQ(RegDeleteTree(top, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(SubKeys(top), std::vector<std::string>{});
    EXPECT_EQ(ValueNames(top), std::vector<std::string>{});
    EXPECT_EQ(SetDword(top, "again", 1), ERROR_SUCCESS);
    RegCloseKey(top);
}

TEST_F(Registry, ClassesRootIsAViewOfLocalMachineClasses)
{
    HKEY cls = Create(HKEY_CLASSES_ROOT, "VkReg.VkRegSource\\CLSID");
    ASSERT_EQ(SetString(cls, nullptr, "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A}"), ERROR_SUCCESS);
    RegCloseKey(cls);
    HKEY lm = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\VkReg.VkRegSource\\CLSID", KEY_READ, &lm),
              ERROR_SUCCESS);
    EXPECT_EQ(GetString(lm, nullptr), "{8AF90668-A1AF-49F2-8C84-5BF872E58E6A}");
    RegCloseKey(lm);
    EXPECT_EQ(SubKeys(HKEY_CLASSES_ROOT), std::vector<std::string>{"VkReg.VkRegSource"});
    EXPECT_EQ(RegDeleteKey(HKEY_CLASSES_ROOT, nullptr), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, HandlesAndAccess)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Access");
    RegCloseKey(key);
    HKEY ro = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Access", KEY_READ, &ro), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(ro, "x", 1), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValue(ro, "x"), ERROR_ACCESS_DENIED);
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(ro, nullptr, KEY_WRITE, &again), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(again, "x", 1), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(ro), ERROR_SUCCESS);

    EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(SetDword(reinterpret_cast<HKEY>(0x1234), "x", 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "x", KEY_ALL_ACCESS, nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string(256, 'k').c_str(), KEY_ALL_ACCESS, &key),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, std::string(255, 'k').c_str(), KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(Registry, RootNames)
{
    EXPECT_EQ(RegRootFromName("HKEY_CURRENT_USER"), HKEY_CURRENT_USER);
    EXPECT_EQ(RegRootFromName("hklm"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegRootFromName("HKCR"), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RegRootFromName("HKEY_PERFORMANCE_DATA"), HKEY_PERFORMANCE_DATA);
    EXPECT_EQ(RegRootFromName("HKEY_CURRENT_USERS"), nullptr);
    EXPECT_EQ(RegRootFromName(nullptr), nullptr);
    EXPECT_STREQ(RegRootName(HKEY_USERS), "HKEY_USERS");
    EXPECT_STREQ(RegRootName(HKEY_CURRENT_CONFIG), "HKEY_CURRENT_CONFIG");
    EXPECT_EQ(RegRootName(nullptr), nullptr);
}

TEST_F(Registry, EachDataRootHasItsOwnHives)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Roots");
    ASSERT_EQ(SetString(key, "where", "first"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(std::filesystem::exists(root() / "registry" / "HKEY_CURRENT_USER.hive"));
    {
        qvtest::TempRoot other;
        HKEY k = nullptr;
        EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Roots", KEY_READ, &k), ERROR_FILE_NOT_FOUND);
    }
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Roots", KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(GetString(key, "where"), "first");
    RegCloseKey(key);
}

TEST_F(Registry, ChangesPersistForAnotherProcess)
{
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Persist");
    ASSERT_EQ(SetString(key, "text", "kept"), ERROR_SUCCESS);
    ASSERT_EQ(SetDword(key, "number", 42), ERROR_SUCCESS);
    // The child opens the hive afresh, as a new process would.
    pid_t pid = Spawn([&] {
        HKEY k = nullptr;
        if (RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Persist", KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            return 2;
        if (GetString(k, "text") != "kept")
            return 3;
        // A handle inherited from the parent works in the child too.
        return SetString(key, "child", "wrote") == ERROR_SUCCESS ? 0 : 4;
    });
    ASSERT_EQ(Wait(pid), 0);
    EXPECT_EQ(GetString(key, "child"), "wrote");
    RegCloseKey(key);
}

TEST_F(Registry, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int PerProcess = 150;
    auto writer = [](char tag) {
        return [tag] {
            for (int i = 0; i < PerProcess; ++i) {
                std::string path = std::string("Software\\Shared\\") + tag + std::to_string(i % 7);
                HKEY k = nullptr;
                if (RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
                    return 2;
                std::string name = std::string(1, tag) + std::to_string(i);
                LONG rc = SetDword(k, name.c_str(), static_cast<DWORD>(i));
                // Both also write into one common key.
                HKEY common = nullptr;
                if (rc == ERROR_SUCCESS)
                    rc = RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Shared\\Common", KEY_ALL_ACCESS, &common);
                if (rc == ERROR_SUCCESS)
                    rc = SetDword(common, name.c_str(), static_cast<DWORD>(i));
                RegCloseKey(common);
                RegCloseKey(k);
                if (rc != ERROR_SUCCESS)
                    return 3;
            }
            return 0;
        };
    };
    pid_t a = Spawn(writer('a'));
    pid_t b = Spawn(writer('b'));
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);

    HKEY common = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Shared\\Common", KEY_READ, &common), ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKey(common, nullptr, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(values, 2u * PerProcess);
    RegCloseKey(common);
    for (char tag : {'a', 'b'}) {
        for (int i = 0; i < PerProcess; ++i) {
            std::string path = std::string("Software\\Shared\\") + tag + std::to_string(i % 7);
            HKEY k = nullptr;
            ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), KEY_READ, &k), ERROR_SUCCESS);
            DWORD v = 0, len = sizeof v;
            std::string name = std::string(1, tag) + std::to_string(i);
            EXPECT_EQ(RegQueryValueEx(k, name.c_str(), nullptr, reinterpret_cast<BYTE*>(&v), &len), ERROR_SUCCESS);
            EXPECT_EQ(v, static_cast<DWORD>(i));
            RegCloseKey(k);
        }
    }
}

TEST_F(Registry, ProcessesSettingUpOneNewHiveAtOnceAllSucceed)
{
    // Each round starts from no hive file, and every process races to set it up.
    for (int round = 0; round < 15; ++round) {
        qvtest::TempRoot fresh;
        std::vector<pid_t> children;
        for (int p = 0; p < 6; ++p)
            children.push_back(Spawn([p] {
                HKEY k = nullptr;
                LONG rc = RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Race", KEY_ALL_ACCESS, &k);
                if (rc == ERROR_SUCCESS)
                    rc = SetDword(k, ("p" + std::to_string(p)).c_str(), 1);
                return static_cast<int>(rc == ERROR_SUCCESS ? 0 : 100 + rc % 100);
            }));
        for (pid_t c : children)
            ASSERT_EQ(Wait(c), 0) << "round " << round;
        HKEY k = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Race", KEY_READ, &k), ERROR_SUCCESS);
        EXPECT_EQ(ValueNames(k).size(), 6u);
        RegCloseKey(k);
    }
}

TEST_F(Registry, ThreadsWritingAtOnceLoseNothing)
{
    constexpr int Threads = 4, PerThread = 100;
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Threads");
    std::vector<std::thread> threads;
    std::vector<int> failures(Threads, 0);
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < PerThread; ++i) {
                std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
                HKEY sub = nullptr;
                if (SetDword(key, name.c_str(), static_cast<DWORD>(i)) != ERROR_SUCCESS ||
                    RegCreateKeyEx(key, name.c_str(), KEY_ALL_ACCESS, &sub) != ERROR_SUCCESS)
                    ++failures[t];
                RegCloseKey(sub);
                char buf[32];
                DWORD len = sizeof buf;
                if (RegEnumKeyEx(key, 0, buf, &len) != ERROR_SUCCESS)
                    ++failures[t];
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(failures, std::vector<int>(Threads, 0));
    DWORD subKeys = 0, values = 0;
    ASSERT_EQ(RegQueryInfoKey(key, &subKeys, nullptr, &values, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(subKeys, static_cast<DWORD>(Threads * PerThread));
    EXPECT_EQ(values, static_cast<DWORD>(Threads * PerThread));
    RegCloseKey(key);
}

TEST_F(Registry, KillMidWriteKeepsEveryCommittedValue)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = Spawn([&] {
        close(fds[0]);
        HKEY k = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Kill", KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            return 2;
        const std::string payload(3000, 'p');
        for (std::uint32_t i = 0;; ++i) {
            std::string name = "v" + std::to_string(i);
            std::string data = payload + std::to_string(i);
            if (SetString(k, name.c_str(), data) != ERROR_SUCCESS)
                return 3;
            HKEY sub = nullptr;
            if (RegCreateKeyEx(k, name.c_str(), KEY_ALL_ACCESS, &sub) != ERROR_SUCCESS)
                return 4;
            RegCloseKey(sub);
            // Reported only once both calls have returned.
            if (write(fds[1], &i, sizeof i) != sizeof i)
                return 5;
        }
    });
    close(fds[1]);
    std::uint32_t last = 0, got = 0;
    // Kill the writer somewhere in the middle of its stream of changes.
    while (read(fds[0], &got, sizeof got) == sizeof got) {
        last = got;
        if (last >= 120) {
            kill(pid, SIGKILL);
            break;
        }
    }
    while (read(fds[0], &got, sizeof got) == sizeof got)
        last = got;
    close(fds[0]);
    EXPECT_EQ(Wait(pid), -1);
    ASSERT_GE(last, 120u);

    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Kill", KEY_READ, &k), ERROR_SUCCESS);
    const std::string payload(3000, 'p');
    std::vector<char> buf(4000);
    for (std::uint32_t i = 0; i <= last; ++i) {
        std::string name = "v" + std::to_string(i);
        DWORD len = static_cast<DWORD>(buf.size()), type = 0;
        ASSERT_EQ(RegQueryValueEx(k, name.c_str(), &type, reinterpret_cast<BYTE*>(buf.data()), &len), ERROR_SUCCESS)
            << name;
        EXPECT_EQ(std::string(buf.data()), payload + std::to_string(i));
        HKEY sub = nullptr;
        ASSERT_EQ(RegOpenKeyEx(k, name.c_str(), KEY_READ, &sub), ERROR_SUCCESS) << name;
        RegCloseKey(sub);
    }
    // And the hive still takes changes.
    HKEY w = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Kill", KEY_ALL_ACCESS, &w), ERROR_SUCCESS);
    EXPECT_EQ(SetDword(w, "after", 1), ERROR_SUCCESS);
    RegCloseKey(w);
    RegCloseKey(k);
}

TEST_F(Registry, CorruptHiveIsRefusedNotCrashedOn)
{
    auto hive = root() / "registry" / "HKEY_USERS.hive";
    std::filesystem::create_directories(hive.parent_path());
    {
        std::ofstream out(hive, std::ios::binary);
        out << std::string(8192, '\x5a');
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyEx(HKEY_USERS, "x", KEY_ALL_ACCESS, &key), ERROR_BADDB);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(RegEnumKeyEx(HKEY_USERS, 0, nullptr, nullptr), ERROR_INVALID_PARAMETER);
    // Other hives are unaffected.
    key = Create(HKEY_CURRENT_CONFIG, "ok");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

// A path of depth levels named "k".
std::string DeepPath(int depth)
{
    std::string path;
    for (int i = 0; i < depth; ++i)
        path += i ? "\\k" : "k";
    return path;
}

TEST_F(Registry, KeysLieAtMost512LevelsDeep)
{
    struct Case {
        HKEY parent;
        int levels; // below parent
        LONG expected;
    };
    // The classes root itself lies two levels down (SOFTWARE\Classes).
    const Case cases[] = {
        {HKEY_CURRENT_USER, 512, ERROR_SUCCESS},
        {HKEY_CURRENT_USER, 513, ERROR_INVALID_PARAMETER},
        {HKEY_USERS, 20000, ERROR_INVALID_PARAMETER},
        {HKEY_CLASSES_ROOT, 510, ERROR_SUCCESS},
        {HKEY_CLASSES_ROOT, 511, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyEx(c.parent, DeepPath(c.levels).c_str(), KEY_ALL_ACCESS, &key), c.expected)
            << c.levels;
        if (key)
            RegCloseKey(key);
        if (c.expected != ERROR_SUCCESS) {
            // Refused whole: not even the allowed levels of a new branch were made.
            HKEY made = nullptr;
            const int probe = c.parent == HKEY_USERS ? 1 : c.levels;
            EXPECT_EQ(RegOpenKeyEx(c.parent, DeepPath(probe).c_str(), KEY_READ, &made), ERROR_FILE_NOT_FOUND)
                << c.levels;
            if (made)
                RegCloseKey(made);
        }
    }
    // Step by step from a handle deep down: the same limit.
    HKEY deep = Create(HKEY_CURRENT_CONFIG, DeepPath(511).c_str());
    HKEY last = Create(deep, "ok");
    HKEY tooDeep = nullptr;
    EXPECT_EQ(RegCreateKeyEx(last, "no", KEY_ALL_ACCESS, &tooDeep), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(tooDeep, nullptr);
    EXPECT_EQ(RegCreateKeyEx(deep, "ok\\no", KEY_ALL_ACCESS, &tooDeep), ERROR_INVALID_PARAMETER);
    RegCloseKey(last);
    RegCloseKey(deep);
}

TEST_F(Registry, AHiveAlreadyDeeperThanTheLimitIsExportedAndDeletedWithoutOverflow)
{
    // Built below the registry functions, which refuse such depth.
    HKEY top = Create(HKEY_CURRENT_USER, "Software\\Deep");
    ASSERT_EQ(SetString(top, "v", "top"), ERROR_SUCCESS);
    RegCloseKey(top);
    const std::string file = (root() / "registry" / "HKEY_CURRENT_USER.hive").string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_busy_timeout(db, 30000);
    constexpr int levels = 20000;
    ASSERT_EQ(sqlite3_exec(db,
                           ("BEGIN;"
                            "WITH RECURSIVE chain(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM chain WHERE n < "
                            + std::to_string(levels)
                            + ") INSERT INTO keys(id, parent, name, uname)"
                              " SELECT 1000000 + n, CASE n WHEN 1 THEN (SELECT id FROM keys WHERE uname = 'DEEP')"
                              " ELSE 1000000 + n - 1 END, 'k', 'K' FROM chain;"
                              "COMMIT;")
                               .c_str(),
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);

    std::string text;
    int skipped = -1;
    ASSERT_EQ(VkRegText::Export("HKEY_CURRENT_USER\\Software\\Deep", &text, &skipped), ERROR_SUCCESS);
    // Down to level 512 (Software\Deep are the first two), the rest left out.
    EXPECT_EQ(skipped, 1);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Deep\\" + DeepPath(510) + "]"), std::string::npos);
    EXPECT_EQ(text.find("[HKEY_CURRENT_USER\\Software\\Deep\\" + DeepPath(511) + "]"), std::string::npos);
    // What was exported imports again.
    EXPECT_EQ(VkRegText::Import(text).status, ERROR_SUCCESS);

    EXPECT_EQ(RegDeleteTree(HKEY_CURRENT_USER, "Software\\Deep"), ERROR_SUCCESS);
    HKEY gone = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Deep", KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, ATransactionKilledBeforeCommitLeavesNothing)
{
    HKEY before = Create(HKEY_CURRENT_USER, "Software\\Txn");
    ASSERT_EQ(SetString(before, "kept", "1"), ERROR_SUCCESS);
    RegCloseKey(before);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = Spawn([&] {
        close(fds[0]);
        VkRegTransaction transaction;
        if (transaction.Include(HKEY_CURRENT_USER) != ERROR_SUCCESS
            || transaction.Include(HKEY_LOCAL_MACHINE) != ERROR_SUCCESS)
            return 2;
        HKEY k = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Txn\\New", KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            return 3;
        for (int i = 0; i < 200; ++i)
            if (SetString(k, ("v" + std::to_string(i)).c_str(), "x") != ERROR_SUCCESS)
                return 4;
        if (RegDeleteTree(HKEY_CURRENT_USER, "Software\\Txn") != ERROR_SUCCESS)
            return 5;
        HKEY m = nullptr;
        if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Txn", KEY_ALL_ACCESS, &m) != ERROR_SUCCESS)
            return 6;
        const char ready = 'r';
        if (write(fds[1], &ready, 1) != 1)
            return 7;
        pause(); // killed here, before Commit
        return 8;
    });
    close(fds[1]);
    char ready = 0;
    ASSERT_EQ(read(fds[0], &ready, 1), 1);
    close(fds[0]);
    kill(pid, SIGKILL);
    EXPECT_EQ(Wait(pid), -1);

    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Txn", KEY_READ, &k), ERROR_SUCCESS);
    EXPECT_EQ(GetString(k, "kept"), "1");
    HKEY absent = nullptr;
    EXPECT_EQ(RegOpenKeyEx(k, "New", KEY_READ, &absent), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Txn", KEY_READ, &absent), ERROR_FILE_NOT_FOUND);
    RegCloseKey(k);
}

TEST_F(Registry, ATransactionCommitsWholeOrNothing)
{
    auto transaction = std::make_unique<VkRegTransaction>();
    ASSERT_EQ(transaction->Include(HKEY_CURRENT_USER), ERROR_SUCCESS);
    ASSERT_EQ(transaction->Include(HKEY_CURRENT_USER), ERROR_SUCCESS); // once is enough
    EXPECT_EQ(transaction->Include(reinterpret_cast<HKEY>(0x1234)), ERROR_INVALID_HANDLE);
    HKEY k = Create(HKEY_CURRENT_USER, "Software\\Whole");
    ASSERT_EQ(SetString(k, "a", "1"), ERROR_SUCCESS);
    // A failing call inside undoes its own part only.
    HKEY bad = nullptr;
    EXPECT_EQ(RegCreateKeyEx(k, DeepPath(600).c_str(), KEY_ALL_ACCESS, &bad), ERROR_INVALID_PARAMETER);
    ASSERT_EQ(SetString(k, "b", "2"), ERROR_SUCCESS);
    RegCloseKey(k);
    EXPECT_EQ(transaction->Commit(), ERROR_SUCCESS);
    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Whole", KEY_READ, &again), ERROR_SUCCESS);
    EXPECT_EQ(GetString(again, "a"), "1");
    EXPECT_EQ(GetString(again, "b"), "2");
    EXPECT_EQ(RegOpenKeyEx(again, "k", KEY_READ, &bad), ERROR_FILE_NOT_FOUND);
    RegCloseKey(again);

    // Without Commit: rolled back.
    transaction = std::make_unique<VkRegTransaction>();
    ASSERT_EQ(transaction->Include(HKEY_CURRENT_USER), ERROR_SUCCESS);
    HKEY gone = Create(HKEY_CURRENT_USER, "Software\\Undone");
    RegCloseKey(gone);
    transaction.reset();
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software\\Undone", KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
}

} // namespace
