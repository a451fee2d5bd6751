#include "platform/Profile.h"
#include "testsupport/TestRoot.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

class Profile : public qvtest::FreshRootTest {
protected:
    std::string Path(const char* name = "test.ini") { return (root() / name).string(); }
    void WriteFile(const std::string& text, const char* name = "test.ini")
    {
        std::ofstream(root() / name, std::ios::binary) << text;
    }
    std::string ReadFile(const char* name = "test.ini")
    {
        std::ifstream in(root() / name, std::ios::binary);
        std::ostringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }
    std::string Get(const char* section, const char* key, const char* def = "<default>")
    {
        char buf[256];
        GetPrivateProfileString(section, key, def, buf, sizeof buf, Path().c_str());
        return buf;
    }
    // A double-NUL list as its items.
    std::vector<std::string> List(const char* section, const char* key)
    {
        char buf[1024];
        DWORD n = GetPrivateProfileString(section, key, "", buf, sizeof buf, Path().c_str());
        return Split(buf, n);
    }
    static std::vector<std::string> Split(const char* buf, DWORD n)
    {
        std::vector<std::string> items;
        for (DWORD i = 0; i < n;) {
            items.emplace_back(buf + i);
            i += static_cast<DWORD>(items.back().size()) + 1;
        }
        return items;
    }
};

using Items = std::vector<std::string>;

TEST_F(Profile, FileIsCreatedOnFirstWriteAndReadBack)
{
    EXPECT_EQ(Get("App", "Key"), "<default>");
    EXPECT_FALSE(std::filesystem::exists(Path()));
    // Deleting from a missing file neither fails nor creates it.
    EXPECT_TRUE(WritePrivateProfileString("App", "Key", nullptr, Path().c_str()));
    EXPECT_TRUE(WritePrivateProfileString("App", nullptr, nullptr, Path().c_str()));
    EXPECT_FALSE(std::filesystem::exists(Path()));

    ASSERT_TRUE(WritePrivateProfileString("App", "Key", "value one", Path().c_str()));
    ASSERT_TRUE(WritePrivateProfileString("App", "Other", "2", Path().c_str()));
    ASSERT_TRUE(WritePrivateProfileString("Second", "Key", "x", Path().c_str()));
    EXPECT_EQ(ReadFile(), "[App]\nKey=value one\nOther=2\n\n[Second]\nKey=x\n");
    EXPECT_EQ(Get("app", "KEY"), "value one");
    EXPECT_EQ(Get("SECOND", "key"), "x");

    // Rewriting keeps the entry's place and the spelling of its name.
    ASSERT_TRUE(WritePrivateProfileString("APP", "KEY", "changed", Path().c_str()));
    EXPECT_EQ(ReadFile(), "[App]\nKey=changed\nOther=2\n\n[Second]\nKey=x\n");
    // No temporary files are left behind.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(root()))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST_F(Profile, ReadingFollowsWindows)
{
    WriteFile("; comment = not an entry\n"
              "orphan=before any section\n"
              "[ Spaced ]\n"
              "  name   =   padded value   \n"
              "quoted=\"  inner  \"\n"
              "single='x'\n"
              "half=\"open\n"
              "empty=\n"
              "noequals\n"
              "Name=duplicate entry\n"
              "[spaced]\n"
              "name=duplicate section\n"
              "late=only in the duplicate\n");
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* want;
    } cases[] = {
        {"Spaced", "name", "d", "padded value"},
        {"  SPACED ", "  NAME ", "d", "padded value"},
        {"Spaced", "quoted", "d", "  inner  "},
        {"Spaced", "single", "d", "x"},
        {"Spaced", "half", "d", "\"open"},
        {"Spaced", "empty", "d", ""},
        {"Spaced", "noequals", "d", "d"},
        {"Spaced", "late", "d", "d"},
        {"Spaced", "missing", "def  ", "def"},
        {"Spaced", "missing", nullptr, ""},
        {"Spaced", "", "d", ""},
        {"", "orphan", "d", "d"},
        {"Nowhere", "name", "d", "d"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Get(c.section, c.key, c.def), c.want) << c.section << "/" << c.key;

    EXPECT_EQ(List(nullptr, nullptr), (Items{"Spaced"}));
    EXPECT_EQ(List("spaced", nullptr), (Items{"name", "quoted", "single", "half", "empty"}));
    char buf[512];
    DWORD n = GetPrivateProfileSection("SPACED", buf, sizeof buf, Path().c_str());
    EXPECT_EQ(Split(buf, n), (Items{"name=padded value", "quoted=\"  inner  \"", "single='x'", "half=\"open",
                                     "empty=", "noequals", "Name=duplicate entry"}));
    EXPECT_EQ(buf[n], '\0');
    EXPECT_EQ(buf[n - 1], '\0');
}

TEST_F(Profile, ListsAreCutAsWindowsCutsThem)
{
    WriteFile("[abc]\nk1=v\n[defg]\n");
    char buf[16];
    std::memset(buf, '*', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, sizeof buf, Path().c_str()), 9u);
    EXPECT_EQ(std::string(buf, 10), std::string("abc\0defg\0\0", 10));

    std::memset(buf, '*', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, 7, Path().c_str()), 5u);
    EXPECT_EQ(std::string(buf, 7), std::string("abc\0d\0\0", 7));
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, 1, Path().c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(GetPrivateProfileSectionNames(buf, 0, Path().c_str()), 0u);

    // A single string is cut to size - 1.
    EXPECT_EQ(GetPrivateProfileString("abc", "k1", "", buf, 1, Path().c_str()), 0u);
    ASSERT_TRUE(WritePrivateProfileString("abc", "long", "0123456789", Path().c_str()));
    EXPECT_EQ(GetPrivateProfileString("abc", "long", "", buf, 5, Path().c_str()), 4u);
    EXPECT_STREQ(buf, "0123");

    // An empty list is two NULs and 0.
    std::memset(buf, '*', sizeof buf);
    EXPECT_EQ(GetPrivateProfileString("defg", nullptr, "", buf, sizeof buf, Path().c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
    EXPECT_EQ(buf[1], '\0');
    for (const char* section : {"defg", "missing"}) {
        EXPECT_EQ(GetPrivateProfileString(section, nullptr, "dflt", buf, sizeof buf, Path().c_str()), 4u);
        EXPECT_STREQ(buf, "dflt");
    }
    std::memset(buf, '*', sizeof buf);
    EXPECT_EQ(GetPrivateProfileSection("missing", buf, sizeof buf, Path().c_str()), 0u);
    EXPECT_EQ(buf[0], '\0');
}

TEST_F(Profile, DeletingEntriesAndSections)
{
    WriteFile("; keep me\r\n[A]\r\nx=1\r\ny = 2\r\nX=dup\r\n\r\n[B]\r\nz=3\r\n[a]\r\nw=4\r\n");
    ASSERT_TRUE(WritePrivateProfileString("a", "X", nullptr, Path().c_str()));
    // Both spellings of x in the first [A] go; line ends stay CR LF.
    EXPECT_EQ(ReadFile(), "; keep me\r\n[A]\r\ny = 2\r\n\r\n[B]\r\nz=3\r\n[a]\r\nw=4\r\n");
    ASSERT_TRUE(WritePrivateProfileString("A", nullptr, nullptr, Path().c_str()));
    // Every section of that name goes, so nothing of it stays visible.
    EXPECT_EQ(ReadFile(), "; keep me\r\n[B]\r\nz=3\r\n");
    EXPECT_EQ(Get("A", "w"), "<default>");
    ASSERT_TRUE(WritePrivateProfileString("B", "new", "5", Path().c_str()));
    EXPECT_EQ(ReadFile(), "; keep me\r\n[B]\r\nz=3\r\nnew=5\r\n");
}

TEST_F(Profile, NewEntriesGoToTheFirstSectionBeforeItsBlankLines)
{
    WriteFile("[S]\na=1\n\n\n[T]\n[s]\nb=2\n");
    ASSERT_TRUE(WritePrivateProfileString("s", "c", "3", Path().c_str()));
    EXPECT_EQ(ReadFile(), "[S]\na=1\nc=3\n\n\n[T]\n[s]\nb=2\n");
    EXPECT_EQ(Get("S", "b"), "<default>");
}

TEST_F(Profile, WriteSectionReplacesItsEntries)
{
    WriteFile("[S]\na=1\nb=2\n[T]\nt=1\n");
    const char lines[] = "x=10\0y = 20\0";
    ASSERT_TRUE(WritePrivateProfileSection("s", lines, Path().c_str()));
    EXPECT_EQ(ReadFile(), "[S]\nx=10\ny = 20\n\n[T]\nt=1\n");
    EXPECT_EQ(Get("S", "y"), "20");
    EXPECT_EQ(Get("S", "a"), "<default>");
    ASSERT_TRUE(WritePrivateProfileSection("New", lines, Path().c_str()));
    EXPECT_EQ(Get("New", "x"), "10");
    ASSERT_TRUE(WritePrivateProfileSection("S", nullptr, Path().c_str()));
    EXPECT_EQ(List(nullptr, nullptr), (Items{"T", "New"}));
    EXPECT_FALSE(WritePrivateProfileSection("S", "bad\nline=1\0", Path().c_str()));
}

TEST_F(Profile, Integers)
{
    WriteFile("[N]\ndec=42\nneg=-7\nhex=0x1F\nlead=12abc\nword=abc\nempty=\nspaced=  9  \nquoted=\"5\"\n");
    struct Case {
        const char* key;
        UINT want;
    } cases[] = {{"dec", 42},       {"neg", static_cast<UINT>(-7)}, {"hex", 31}, {"lead", 12}, {"word", 0},
                 {"empty", 1234},   {"spaced", 9},                 {"quoted", 5}, {"missing", 1234}};
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileInt("n", c.key, 1234, Path().c_str()), c.want) << c.key;
}

TEST_F(Profile, UnstorableTextIsRefusedAndTheFileKept)
{
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", Path().c_str()));
    const std::string before = ReadFile();
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {{"S", "k", "two\nlines"}, {"S", "k", "cr\rx"},   {"S\n[T]", "k", "v"}, {"S", "a=b", "v"},
                 {"S", "[T]", "v"},        {"S", ";c", "v"},       {"S", "  ", "v"},     {nullptr, "k", "v"}};
    for (const auto& c : cases)
        EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, Path().c_str())) << c.key;
    EXPECT_EQ(ReadFile(), before);
    // A folder that does not exist cannot take the file.
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", (root() / "no/such/x.ini").c_str()));
}

TEST_F(Profile, MalformedFilesAreReadAsFarAsSound)
{
    WriteFile(std::string("[Good]\nk=v\n[unclosed\nj=w\n\x01\x02\xff=\xfe\n[]\nnameless=1\n=no name\n[Last]\nz=9"));
    EXPECT_EQ(Get("Good", "k"), "v");
    EXPECT_EQ(Get("Good", "j"), "w"); // the broken header is just a line
    EXPECT_EQ(Get("", "nameless"), "1");
    EXPECT_EQ(Get("Last", "z"), "9"); // no line end at the end of the file
    EXPECT_EQ(List(nullptr, nullptr), (Items{"Good", "", "Last"}));
    ASSERT_TRUE(WritePrivateProfileString("Last", "y", "8", Path().c_str()));
    EXPECT_EQ(Get("Last", "z"), "9");
    EXPECT_EQ(Get("Last", "y"), "8");
}

TEST_F(Profile, BareFileNamesLiveInTheDataRoot)
{
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", "bare.ini"));
    EXPECT_TRUE(std::filesystem::exists(root() / "bare.ini"));
    char buf[8];
    EXPECT_EQ(GetPrivateProfileString("S", "k", "", buf, sizeof buf, "bare.ini"), 1u);
    EXPECT_STREQ(buf, "v");
}

TEST_F(Profile, ThreadsWritingOneFileLoseNothing)
{
    constexpr int Threads = 4, PerThread = 25;
    std::vector<std::thread> threads;
    const std::string file = Path();
    for (int t = 0; t < Threads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < PerThread; ++i)
                WritePrivateProfileString(("S" + std::to_string(t)).c_str(), ("k" + std::to_string(i)).c_str(),
                                          std::to_string(t * 1000 + i).c_str(), file.c_str());
        });
    for (auto& th : threads)
        th.join();
    for (int t = 0; t < Threads; ++t)
        for (int i = 0; i < PerThread; ++i)
            EXPECT_EQ(GetPrivateProfileInt(("S" + std::to_string(t)).c_str(), ("k" + std::to_string(i)).c_str(), -1,
                                           file.c_str()),
                      static_cast<UINT>(t * 1000 + i));
}

} // namespace
