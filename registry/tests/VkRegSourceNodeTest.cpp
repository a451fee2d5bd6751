#include "registry/VkRegSourceNode.h"
#include "registry/tests/RegTestHelpers.h"

#include "platform/Profile.h"
#include "testsupport/TestLocale.h"
#include "testsupport/TestRoot.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using regtest::Get;
using regtest::KeyExists;
using regtest::PutNumber;
using regtest::PutText;

constexpr const char* kHome = "HKEY_CURRENT_USER\\Software\\Tarnwick";
constexpr const char* kBranch = "Software\\Tarnwick\\App";

class RegistrySource : public qvtest::FreshRootTest {
protected:
    VkRegKeyPtr ReadApp()
    {
        m_source.SetHomePath(kHome);
        return m_source.Read("App");
    }
    VkRegSourceNode m_source;
};

std::string TextOf(const VkRegDataPtr& data)
{
    std::string text;
    EXPECT_TRUE(data && data->ToText(&text));
    return text;
}

TEST_F(RegistrySource, SourceKindAcceptsOnlyRegistryAndIni)
{
    EXPECT_EQ(m_source.Source(), sourceRegistry);
    for (int bad : {int(sourcePre), int(sourceMax), 7}) {
        EXPECT_EQ(m_source.SetSource(bad), E_FAIL);
    }
    EXPECT_EQ(m_source.Source(), sourceRegistry);
    EXPECT_EQ(m_source.SetSource(sourceINIFile), S_OK);
    EXPECT_EQ(m_source.Source(), sourceINIFile);
}

TEST_F(RegistrySource, HomePathWithoutSeparatorCannotBeOpened)
{
    auto key = std::make_shared<VkRegKeyNode>("App");
    key->PutValue("v", VkRegPlainData::Text("x"));
    for (const char* home : {"", "HKEY_CURRENT_USER", "\\Software", "/Software"}) {
        SCOPED_TRACE(home);
        m_source.SetHomePath(home);
        EXPECT_EQ(m_source.Read("App"), nullptr);
        EXPECT_EQ(m_source.Write(key, false), S_FALSE);
    }
    EXPECT_TRUE(key->ValueEntries().at("v").modified);
}

TEST_F(RegistrySource, ReadingAMissingBranchCreatesItEmpty)
{
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kBranch));
    VkRegKeyPtr app = ReadApp();
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(app->Name(), "App");
    EXPECT_EQ(app->Values(), 0);
    EXPECT_EQ(app->Keys(), 0);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kBranch));
}

TEST_F(RegistrySource, RootNamesAndUnknownRoots)
{
    struct Case {
        const char* home;
        HKEY root;
        const char* path;
    };
    const Case cases[] = {
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\T", HKEY_LOCAL_MACHINE, "SOFTWARE\\T\\App"},
        {"HKEY_LOCAL_MACHINE/SOFTWARE", HKEY_LOCAL_MACHINE, "SOFTWARE\\App"},
        {"HKEY_USERS\\u", HKEY_USERS, "u\\App"},
        {"HKEY_CURRENT_USER\\Software\\", HKEY_CURRENT_USER, "Software\\App"},
        {"NOT_A_ROOT\\Elsewhere", HKEY_CURRENT_USER, "Elsewhere\\App"},
        {"HKLM\\Short", HKEY_CURRENT_USER, "Short\\App"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.home);
        PutText(c.root, c.path, "where", c.home);
        m_source.SetHomePath(c.home);
        VkRegKeyPtr app = m_source.Read("App");
        ASSERT_NE(app, nullptr);
        VkRegDataPtr data;
        ASSERT_EQ(app->GetValue("where", &data), S_OK);
        EXPECT_EQ(TextOf(data), c.home);
    }
}

TEST_F(RegistrySource, RootNamesIgnoreCaseInTheTurkishLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    QV_REQUIRE_LOCALE(turkish);
    PutText(HKEY_LOCAL_MACHINE, "SOFTWARE\\T\\App", "where", "machine");
    m_source.SetHomePath("hkey_local_machine\\SOFTWARE\\T");
    VkRegKeyPtr app = m_source.Read("App");
    ASSERT_NE(app, nullptr);
    VkRegDataPtr data;
    ASSERT_EQ(app->GetValue("where", &data), S_OK);
    EXPECT_EQ(TextOf(data), "machine");
}

TEST_F(RegistrySource, ReadTypesEveryRegistryType)
{
    PutText(HKEY_CURRENT_USER, kBranch, "sz", "text");
    PutText(HKEY_CURRENT_USER, kBranch, "expand", "%HOME%\\x", REG_EXPAND_SZ);
    PutNumber(HKEY_CURRENT_USER, kBranch, "dword", 0xFFFFFFFEu);
    const BYTE big[4] = {0, 0, 0, 1};
    regtest::Put(HKEY_CURRENT_USER, kBranch, "big", REG_DWORD_BIG_ENDIAN, big, 4);
    const BYTE bin[3] = {1, 0, 2};
    regtest::Put(HKEY_CURRENT_USER, kBranch, "bin", REG_BINARY, bin, 3);
    const char multi[] = "one\0two\0";
    regtest::Put(HKEY_CURRENT_USER, kBranch, "multi", REG_MULTI_SZ, multi, sizeof multi);
    regtest::Put(HKEY_CURRENT_USER, kBranch, "none", REG_NONE, nullptr, 0);
    regtest::Put(HKEY_CURRENT_USER, kBranch, "link", REG_LINK, "x", 1);
    PutText(HKEY_CURRENT_USER, std::string(kBranch) + "\\Sub\\Deeper", "deep", "d");

    VkRegKeyPtr app = ReadApp();
    ASSERT_NE(app, nullptr);
    struct Case {
        const char* name;
        int type;
    };
    const Case types[] = {{"sz", dtypeString},    {"expand", dtypeString}, {"dword", dtypeInteger},
                          {"big", dtypeInteger},  {"bin", dtypeBinary},    {"multi", dtypeString},
                          {"none", dtypeEmpty},   {"link", dtypeEmpty}};
    for (const Case& c : types) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(app->ValueObject(c.name), nullptr);
        EXPECT_EQ(app->ValueObject(c.name)->Type(), c.type);
        EXPECT_FALSE(app->ValueEntries().at(c.name).modified);
    }
    EXPECT_EQ(TextOf(app->ValueObject("expand")->Data()), "%HOME%\\x");
    EXPECT_EQ(TextOf(app->ValueObject("multi")->Data()), "one");
    LONG n = 0;
    ASSERT_TRUE(app->ValueObject("dword")->Data()->ToInt32(&n));
    EXPECT_EQ(n, -2);
    ASSERT_TRUE(app->ValueObject("big")->Data()->ToInt32(&n));
    EXPECT_EQ(n, 0x01000000); // the bits as they lie
    std::vector<BYTE> bytes;
    ASSERT_TRUE(app->ValueObject("bin")->Data()->ToBytes(&bytes));
    EXPECT_EQ(bytes, (std::vector<BYTE>{1, 0, 2}));
    EXPECT_TRUE(app->ValueObject("none")->Data()->IsEmpty());
    EXPECT_EQ(TextOf(app->Key("Sub\\Deeper")->ValueObject("deep")->Data()), "d");
}

TEST_F(RegistrySource, ExpandableStringIsWrittenBackAsPlainString)
{
    PutText(HKEY_CURRENT_USER, kBranch, "expand", "%TEMP%", REG_EXPAND_SZ);
    VkRegKeyPtr app = ReadApp();
    EXPECT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "expand")->type, REG_EXPAND_SZ); // unchanged: not written
    EXPECT_EQ(m_source.Write(app, true), S_OK);
    auto raw = Get(HKEY_CURRENT_USER, kBranch, "expand");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->type, REG_SZ);
    EXPECT_EQ(raw->Text(), "%TEMP%");
}

TEST_F(RegistrySource, UnchangedValuesAreRewrittenOnlyWhenForced)
{
    PutText(HKEY_CURRENT_USER, kBranch, "kept", "original");
    PutText(HKEY_CURRENT_USER, kBranch, "changed", "original");
    VkRegKeyPtr app = ReadApp();
    // Someone else changes the registry behind the tree's back.
    PutText(HKEY_CURRENT_USER, kBranch, "kept", "outside");
    app->PutValue("changed", VkRegPlainData::Text("mine"));
    EXPECT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "kept")->Text(), "outside");
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "changed")->Text(), "mine");
    EXPECT_FALSE(app->ValueEntries().at("changed").modified);
    EXPECT_EQ(m_source.Write(app, true), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "kept")->Text(), "original");
}

TEST_F(RegistrySource, ExistingValuesKeepTheirRegistryType)
{
    PutText(HKEY_CURRENT_USER, kBranch, "text", "1");
    PutNumber(HKEY_CURRENT_USER, kBranch, "number", 1);
    VkRegKeyPtr app = ReadApp();
    app->PutValue("text", VkRegPlainData::Number(250));
    app->PutValue("number", VkRegPlainData::Text("-12"));
    app->PutValue("new number", VkRegPlainData::Number(-5));
    app->PutValue("new bytes", VkRegPlainData::Bytes({9, 0, 8}));
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    auto text = Get(HKEY_CURRENT_USER, kBranch, "text");
    EXPECT_EQ(text->type, REG_SZ);
    EXPECT_EQ(text->Text(), "250");
    auto number = Get(HKEY_CURRENT_USER, kBranch, "number");
    EXPECT_EQ(number->type, REG_DWORD);
    EXPECT_EQ(number->data, (std::vector<BYTE>{0xF4, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "new number")->data, (std::vector<BYTE>{0xFB, 0xFF, 0xFF, 0xFF}));
    auto bytes = Get(HKEY_CURRENT_USER, kBranch, "new bytes");
    EXPECT_EQ(bytes->type, REG_BINARY);
    EXPECT_EQ(bytes->data, (std::vector<BYTE>{9, 0, 8}));
}

TEST_F(RegistrySource, TextThatIsNoNumberStaysModifiedAndReportsFailure)
{
    PutNumber(HKEY_CURRENT_USER, kBranch, "number", 7);
    VkRegKeyPtr app = ReadApp();
    app->PutValue("number", VkRegPlainData::Text("seven"));
    app->PutValue("other", VkRegPlainData::Text("fine"));
    EXPECT_EQ(m_source.Write(app, false), S_FALSE);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "number")->data, (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "other")->Text(), "fine");
    EXPECT_TRUE(app->ValueEntries().at("number").modified);
}

TEST_F(RegistrySource, RemovalsReachTheRegistryAtTheWrite)
{
    PutText(HKEY_CURRENT_USER, kBranch, "gone", "x");
    PutText(HKEY_CURRENT_USER, std::string(kBranch) + "\\Old\\Deep", "v", "x");
    VkRegKeyPtr app = ReadApp();
    app->RemoveValue("gone", nullptr);
    app->RemoveKey("Old", nullptr);
    // Added and removed before any write: nothing to delete, still no failure.
    app->PutValue("brief", VkRegPlainData::Text("x"));
    app->RemoveValue("brief", nullptr);
    EXPECT_TRUE(Get(HKEY_CURRENT_USER, kBranch, "gone"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kBranch) + "\\Old"));
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_FALSE(Get(HKEY_CURRENT_USER, kBranch, "gone"));
    EXPECT_FALSE(Get(HKEY_CURRENT_USER, kBranch, "brief"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kBranch) + "\\Old"));
    EXPECT_TRUE(app->ValueEntries().empty());
    EXPECT_TRUE(app->KeyEntries().empty());
}

TEST_F(RegistrySource, NewSectionLevelsAreCreatedAtTheWrite)
{
    VkRegKeyPtr app = ReadApp();
    app->AddKey("Login\\Users")->PutValue("SCOTT", VkRegPlainData::Text("x"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string(kBranch) + "\\Login"));
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, std::string(kBranch) + "\\Login\\Users", "SCOTT")->Text(), "x");
}

TEST_F(RegistrySource, AKeyAddedAgainAfterRemovalStartsEmpty)
{
    PutText(HKEY_CURRENT_USER, std::string(kBranch) + "\\S", "old", "x");
    VkRegKeyPtr app = ReadApp();
    app->RemoveKey("S", nullptr);
    app->AddKey("S")->PutValue("new", VkRegPlainData::Text("y"));
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_FALSE(Get(HKEY_CURRENT_USER, std::string(kBranch) + "\\S", "old"));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, std::string(kBranch) + "\\S", "new")->Text(), "y");
    VkRegKeyPtr again = ReadApp();
    EXPECT_EQ(again->Key("S")->Values(), 1);
}

TEST_F(RegistrySource, RemoveKeyDeletesTheStoredBranchOnly)
{
    PutText(HKEY_CURRENT_USER, std::string(kBranch) + "\\S", "v", "x");
    PutText(HKEY_CURRENT_USER, "Software\\Tarnwick\\Other", "v", "x");
    VkRegKeyPtr app = ReadApp();
    EXPECT_EQ(m_source.RemoveKey(app), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kBranch));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwick\\Other"));
    // The tree itself is untouched and can be written back.
    EXPECT_EQ(app->Key("S")->Values(), 1);

    // A key without a name below a bare root must not empty the root.
    m_source.SetHomePath("HKEY_CURRENT_USER\\");
    EXPECT_EQ(m_source.RemoveKey(std::make_shared<VkRegKeyNode>("")), S_FALSE);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwick\\Other"));
}

TEST_F(RegistrySource, WriteAndReadAgainRoundTrips)
{
    VkRegKeyPtr app = ReadApp();
    app->PutValue("text", VkRegPlainData::Text("a|b"));
    app->PutValue("number", VkRegPlainData::Number(-1));
    app->AddKey("Empty");
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    VkRegKeyPtr again = ReadApp();
    EXPECT_EQ(TextOf(again->ValueObject("text")->Data()), "a|b");
    EXPECT_EQ(again->ValueObject("number")->Type(), dtypeInteger);
    EXPECT_TRUE(again->KeyExists("Empty"));
}

class IniSource : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        m_source.SetSource(sourceINIFile);
        m_source.SetHomePath(root().string());
        m_file = (root() / "app.ini").string();
    }
    void WriteFile(const std::string& text) { std::ofstream(m_file) << text; }
    std::string Entry(const char* section, const char* key)
    {
        char buffer[256];
        GetPrivateProfileString(section, key, "<none>", buffer, sizeof buffer, m_file.c_str());
        return buffer;
    }
    VkRegSourceNode m_source;
    std::string m_file;
};

TEST_F(IniSource, MissingFileFailsAndEmptyFileGivesEmptyKey)
{
    EXPECT_EQ(m_source.Read("app.ini"), nullptr);
    WriteFile("");
    VkRegKeyPtr top = m_source.Read("app.ini");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->Keys(), 0);
    EXPECT_EQ(top->Values(), 0);
}

TEST_F(IniSource, SectionsBecomeKeysAndEntriesTextValues)
{
    WriteFile("[One]\na=1\nb = two words \n[Two]\nc=\"quoted\"\nbroken line without equals\n[Empty]\n");
    VkRegKeyPtr top = m_source.Read("app.ini");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->Keys(), 3);
    VkRegKeyPtr one = top->Key("One");
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->ValueObject("a")->Type(), dtypeString);
    EXPECT_EQ(TextOf(one->ValueObject("a")->Data()), "1");
    EXPECT_EQ(TextOf(one->ValueObject("b")->Data()), "two words");
    EXPECT_EQ(TextOf(top->Key("Two")->ValueObject("c")->Data()), "quoted");
    EXPECT_EQ(top->Key("Empty")->Values(), 0);
}

TEST_F(IniSource, WritesModifiedEntriesAndRemovals)
{
    WriteFile("[One]\na=1\nb=2\n[Two]\nc=3\n");
    VkRegKeyPtr top = m_source.Read("app.ini");
    top->Key("One")->PutValue("a", VkRegPlainData::Text("changed"));
    top->Key("One")->RemoveValue("b", nullptr);
    top->RemoveKey("Two", nullptr);
    top->AddKey("New")->PutValue("n", VkRegPlainData::Number(42));
    top->Key("New")->PutValue("bytes", VkRegPlainData::Bytes({0xAB, 0x01}));
    ASSERT_EQ(m_source.Write(top, false), S_OK);
    EXPECT_EQ(Entry("One", "a"), "changed");
    EXPECT_EQ(Entry("One", "b"), "<none>");
    EXPECT_EQ(Entry("Two", "c"), "<none>");
    EXPECT_EQ(Entry("New", "n"), "42");
    EXPECT_EQ(Entry("New", "bytes"), "AB01");
    EXPECT_EQ(top->Keys(), 2);
}

TEST_F(IniSource, RemoveKeyDeletesTheFile)
{
    WriteFile("[S]\na=1\n");
    VkRegKeyPtr top = m_source.Read("app.ini");
    EXPECT_EQ(m_source.RemoveKey(top), S_OK);
    EXPECT_FALSE(std::filesystem::exists(m_file));
    EXPECT_EQ(m_source.RemoveKey(top), S_FALSE);
}

// Readers and writers on several threads, each with a tree of its own, and
// several threads sharing one source.
TEST_F(RegistrySource, ThreadsReadAndWriteConcurrently)
{
    constexpr int kThreads = 4, kRounds = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([this, t] {
            for (int i = 0; i < kRounds; ++i) {
                VkRegKeyPtr app = ReadApp();
                if (!app)
                    continue;
                app->AddKey("T" + std::to_string(t))->PutValue("round", VkRegPlainData::Number(i));
                m_source.Write(app, false);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    VkRegKeyPtr app = ReadApp();
    ASSERT_NE(app, nullptr);
    for (int t = 0; t < kThreads; ++t) {
        LONG n = -1;
        ASSERT_TRUE(app->Key("T" + std::to_string(t))->ValueObject("round")->Data()->ToInt32(&n));
        EXPECT_EQ(n, kRounds - 1);
    }
}

} // namespace

namespace {

// A value changed through its own object, not through its key, still
// reaches the registry.
TEST_F(RegistrySource, ValueChangedThroughItsObjectIsWritten)
{
    PutText(HKEY_CURRENT_USER, kBranch, "v", "a|b");
    VkRegKeyPtr app = ReadApp();
    VkRegValuePtr value = app->ValueObject("v");
    ASSERT_TRUE(value->SetSubValue(1, "c"));
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "v")->Text(), "a|c");
    // Once written it is not written again.
    PutText(HKEY_CURRENT_USER, kBranch, "v", "outside");
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, kBranch, "v")->Text(), "outside");
}

} // namespace

namespace {

// A damaged INI file is read as far as it makes sense.
TEST_F(IniSource, DamagedFileIsReadAsFarAsItIsSound)
{
    WriteFile("garbage before any section\n[Good]\nkey=value\n\x01\x02\xff binary\n[Broken\nx=1\n"
              "=no name\n[Last]\nk=v\n");
    VkRegKeyPtr top = m_source.Read("app.ini");
    ASSERT_NE(top, nullptr);
    ASSERT_TRUE(top->KeyExists("Good"));
    VkRegDataPtr data;
    ASSERT_EQ(top->Key("Good")->GetValue("key", &data), S_OK);
    EXPECT_EQ(TextOf(data), "value");
    ASSERT_TRUE(top->KeyExists("Last"));
    ASSERT_EQ(top->Key("Last")->GetValue("k", &data), S_OK);
    EXPECT_EQ(TextOf(data), "v");
}

} // namespace

namespace {

// One tree changed by several threads while another keeps writing it: no
// deadlock, and the last write holds every value.
TEST_F(RegistrySource, WritingWhileOthersChangeTheTree)
{
    VkRegKeyPtr app = ReadApp();
    ASSERT_NE(app, nullptr);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        while (!done)
            m_source.Write(app, false);
    });
    std::vector<std::thread> changers;
    for (int t = 0; t < 3; ++t) {
        changers.emplace_back([app, t] {
            for (int i = 0; i < 200; ++i) {
                VkRegKeyPtr key = app->AddKey("C" + std::to_string(t) + "\\Deep");
                key->PutValue("v" + std::to_string(i % 10), VkRegPlainData::Number(i));
                if (VkRegValuePtr value = key->ValueObject("v0"))
                    value->SetDelimiters(i % 2 ? "," : "|");
                if (i % 25 == 0)
                    key->RemoveValue("v9", nullptr);
            }
        });
    }
    for (auto& changer : changers)
        changer.join();
    done = true;
    writer.join();
    ASSERT_EQ(m_source.Write(app, false), S_OK);
    VkRegKeyPtr again = ReadApp();
    for (int t = 0; t < 3; ++t) {
        VkRegKeyPtr key = again->Key("C" + std::to_string(t) + "\\Deep");
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->Values(), 10);
        LONG n = 0;
        ASSERT_TRUE(key->ValueObject("v9")->Data()->ToInt32(&n));
        EXPECT_EQ(n, 199);
    }
}

} // namespace
