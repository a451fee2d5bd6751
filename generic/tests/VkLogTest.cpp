#include "generic/VkLog.h"
#include "testsupport/TestRoot.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

// "HH:MM:SS  "
bool IsTimeStamp(const std::string& s)
{
    auto digits = [&](std::size_t at, char maxFirst) {
        return s[at] >= '0' && s[at] <= maxFirst && s[at + 1] >= '0' && s[at + 1] <= '9';
    };
    return s.size() == 10 && digits(0, '2') && s[2] == ':' && digits(3, '5') && s[5] == ':' && digits(6, '6')
        && s.substr(8) == "  ";
}

// Points the log at the test's own folder.
class VkLogTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        const char* old = std::getenv("QUORVANE_LOG_DIR");
        m_hadOld = old != nullptr;
        m_old = old ? old : "";
        setenv("QUORVANE_LOG_DIR", root().c_str(), 1);
        VkStartLog();
    }
    void TearDown() override
    {
        if (m_hadOld)
            setenv("QUORVANE_LOG_DIR", m_old.c_str(), 1);
        else
            unsetenv("QUORVANE_LOG_DIR");
        FreshRootTest::TearDown();
    }
    std::string Contents() const
    {
        std::ifstream in(root() / "vklog.txt", std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

private:
    bool m_hadOld = false;
    std::string m_old;
};

TEST_F(VkLogTest, WritesFormattedEntries)
{
    EXPECT_EQ(VkLogPath(), root() / "vklog.txt");
    EXPECT_EQ(Contents(), "");
    VkWriteLog(true, false, "job %ld: %s", 42L, "started");
    VkWriteLog(false, false, "a");
    VkWriteLog(true, false, "b%%");
    EXPECT_EQ(Contents(), "job 42: started\nab%\n");
}

TEST_F(VkLogTest, TimeStampPrecedesTheText)
{
    VkWriteLog(true, true, "%s", "tick");
    VkWriteLog(false, true, "tock");
    const std::string text = Contents();
    ASSERT_EQ(text.size(), 10u + 5u + 10u + 4u) << text;
    EXPECT_TRUE(IsTimeStamp(text.substr(0, 10))) << text;
    EXPECT_EQ(text.substr(10, 5), "tick\n");
    EXPECT_TRUE(IsTimeStamp(text.substr(15, 10))) << text;
    EXPECT_EQ(text.substr(25), "tock");
}

TEST_F(VkLogTest, StartEmptiesTheLog)
{
    VkWriteLog(true, false, "old");
    VkStartLog();
    VkWriteLog(true, false, "new");
    EXPECT_EQ(Contents(), "new\n");
}

// A process that loads the library starts with an empty log.
TEST_F(VkLogTest, LoadingTheLibraryEmptiesTheLog)
{
    VkWriteLog(true, false, "from an earlier run");
    ASSERT_NE(Contents(), "");
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command =
        "QUORVANE_LOG_DIR='" + root().string() + "' '" + self + "' --gtest_filter=NoTest.None >/dev/null";
    EXPECT_EQ(qvtest::RunCommand(command), 0);
    EXPECT_EQ(Contents(), "");
}

TEST_F(VkLogTest, ConcurrentWritersNeverMixEntries)
{
    constexpr int threads = 8;
    constexpr int entries = 200;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t) {
        writers.emplace_back([t] {
            for (int i = 0; i < entries; ++i)
                VkWriteLog(true, false, "writer %d entry %03d %s", t, i, "..............................");
        });
    }
    for (auto& w : writers)
        w.join();

    std::istringstream lines(Contents());
    std::set<std::string> seen;
    std::string line;
    std::set<std::string> expected;
    for (int t = 0; t < threads; ++t) {
        for (int i = 0; i < entries; ++i) {
            char text[80];
            std::snprintf(text, sizeof text, "writer %d entry %03d %s", t, i, "..............................");
            expected.insert(text);
        }
    }
    while (std::getline(lines, line)) {
        EXPECT_EQ(expected.count(line), 1u) << line;
        seen.insert(line);
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(threads * entries));
}

TEST_F(VkLogTest, AFileThatIsNotTheLogsOwnIsNeverEmptiedOrWritten)
{
    const std::filesystem::path victim = root() / "victim.txt";
    const std::filesystem::path log = root() / "vklog.txt";
    struct Case {
        const char* what;
        void (*plant)(const std::filesystem::path& victim, const std::filesystem::path& log);
    };
    const Case cases[] = {
        {"a symbolic link", [](const auto& v, const auto& l) { std::filesystem::create_symlink(v, l); }},
        {"a dangling symbolic link",
         [](const auto& v, const auto& l) { std::filesystem::create_symlink(v.string() + ".none", l); }},
        {"a second name of another file", [](const auto& v, const auto& l) { std::filesystem::create_hard_link(v, l); }},
        {"a folder", [](const auto&, const auto& l) { std::filesystem::create_directory(l); }},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(log);
        std::ofstream(victim, std::ios::trunc) << "precious\n";
        c.plant(victim, log);
        VkStartLog();
        VkWriteLog(true, false, "entry");
        std::ifstream in(victim);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "precious\n") << c.what;
        EXPECT_FALSE(std::filesystem::exists(victim.string() + ".none")) << c.what;
    }
    std::filesystem::remove_all(log);
}

// Outside the fixture: no log folder named, so only QUORVANE_LOG asks for one.
TEST(VkLog, KeptInTheDataRootOnlyWhenAskedFor)
{
    qvtest::TempRoot root;
    const char* dir = std::getenv("QUORVANE_LOG_DIR");
    const std::string savedDir = dir ? dir : "";
    unsetenv("QUORVANE_LOG_DIR");
    unsetenv("QUORVANE_LOG");
    EXPECT_FALSE(VkLogEnabled());
    VkStartLog();
    VkWriteLog(true, false, "not asked for");
    EXPECT_FALSE(std::filesystem::exists(root.path() / "vklog.txt"));

    setenv("QUORVANE_LOG", "0", 1);
    EXPECT_FALSE(VkLogEnabled());
    setenv("QUORVANE_LOG", "1", 1);
    ASSERT_TRUE(VkLogEnabled());
    EXPECT_EQ(VkLogPath(), root.path() / "vklog.txt");
    const mode_t old = ::umask(0);
    VkStartLog();
    VkWriteLog(true, false, "asked for");
    ::umask(old);
    std::ifstream in(root.path() / "vklog.txt");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "asked for\n");
    struct stat st {};
    ASSERT_EQ(::stat((root.path() / "vklog.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    unsetenv("QUORVANE_LOG");
    if (dir)
        setenv("QUORVANE_LOG_DIR", savedDir.c_str(), 1);
}

} // namespace
