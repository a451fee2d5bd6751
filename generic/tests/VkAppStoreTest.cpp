#include "generic/VkAppStore.h"
#include "generic/CBlowfish.h"
#include "generic/VkStoreChangedEvent.h"

#include "platform/Registry.h"
#include "testsupport/TestRoot.h"

#include <QObject>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr const char* kCompany = "Tarnwick\\QVCtrl";
constexpr const char* kApp = "SchedulerCtrl";
constexpr const char* kBranch = "Software\\Tarnwick\\QVCtrl\\SchedulerCtrl";

struct Raw {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::string Text() const
    {
        std::string text(data.begin(), data.end());
        if (!text.empty() && text.back() == 0)
            text.pop_back();
        return text;
    }
};

std::optional<Raw> GetRaw(const std::string& path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    Raw raw;
    DWORD size = 0;
    LONG rc = RegQueryValueEx(key, name, &raw.type, nullptr, &size);
    raw.data.resize(size);
    if (rc == ERROR_SUCCESS)
        rc = RegQueryValueEx(key, name, &raw.type, raw.data.data(), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return raw;
}

void PutRaw(const std::string& path, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void PutText(const std::string& path, const char* name, const std::string& text)
{
    PutRaw(path, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Counts the store's change messages.
class Receiver : public QObject {
public:
    explicit Receiver(std::vector<std::pair<Receiver*, std::string>>* log = nullptr) : m_log(log) {}
    bool event(QEvent* e) override
    {
        if (e->type() != VkStoreChangedEvent::kType)
            return QObject::event(e);
        auto* changed = static_cast<VkStoreChangedEvent*>(e);
        EXPECT_EQ(changed->WParam(), 0u);
        names.emplace_back(reinterpret_cast<const char*>(changed->LParam()));
        if (m_log)
            m_log->emplace_back(this, changed->Name());
        return true;
    }
    std::vector<std::string> names;

private:
    std::vector<std::pair<Receiver*, std::string>>* m_log;
};

// A data root with the registry module registered.
class AppStore : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        ASSERT_TRUE(qvtest::RegisterModule("VkReg"));
    }
};

class ClosedStore : public qvtest::FreshRootTest {};

TEST_F(ClosedStore, AnswersDefaultsAndIgnoresSets)
{
    // Without the registry module nothing can be opened.
    VkAppStore missingModule(kCompany, kApp);
    VkAppStore neverOpened;
    for (VkAppStore* store : {&missingModule, &neverOpened}) {
        EXPECT_FALSE(store->IsOpen());
        EXPECT_EQ(store->AppKey(), nullptr);
        store->SetString("S", "text", "x");
        store->SetLong(nullptr, "n", 5);
        store->UpdateNow();
        EXPECT_EQ(store->GetString("S", "text", nullptr), "");
        EXPECT_EQ(store->GetString("S", "text", "x"), "x");
        EXPECT_EQ(store->GetLong(nullptr, "n", -3), -3);
        EXPECT_EQ(store->GetBOOL("S", "b", 1), 1);
        EXPECT_FALSE(store->GetBool("S", "b", false));
        EXPECT_TRUE(SameRect(store->GetRect("S", "r", nullptr), RECT{0, 0, 0, 0}));
        const RECT fallback{1, 2, 3, 4};
        EXPECT_TRUE(SameRect(store->GetRect("S", "r", &fallback), fallback));
        EXPECT_EQ(store->GetDate("S", "d", 2.5), 2.5);
        EXPECT_EQ(store->GetEncryptedString("S", "p", "dflt"), "dflt");
    }
    EXPECT_FALSE(GetRaw(kBranch, "text"));
}

TEST_F(AppStore, OpensTheBranchAndCreatesIt)
{
    VkAppStore store(kCompany, kApp);
    ASSERT_TRUE(store.IsOpen());
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, kBranch, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    // Another root.
    VkAppStore machine("Tarnwick", "Tool", "HKEY_LOCAL_MACHINE\\SOFTWARE");
    ASSERT_TRUE(machine.IsOpen());
    machine.SetString(nullptr, "v", "m");
    machine.Close();
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwick\\Tool", KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST_F(AppStore, EncodingsInTheRegistry)
{
    {
        VkAppStore store(kCompany, kApp);
        store.SetString("Login", "Last User", "SCOTT");
        store.SetLong("Props", "Interval", -30);
        store.SetBool("Props", "Flash", true);
        store.SetBOOL("Props", "Status", 7);
        store.SetBool("Props", "Off", false);
        store.SetRect("Frame", "Rect", RECT{10, 20, 630, 470});
        store.SetDate("Props", "When", 45000.5);
        store.SetEncryptedString("Login\\Users", "SCOTT", "tiger|ORCL");
    }
    const std::string branch = kBranch;
    struct Case {
        const char* section;
        const char* name;
        DWORD type;
        std::string text;
    };
    const Case texts[] = {
        {"Login", "Last User", REG_SZ, "SCOTT"}, {"Props", "Flash", REG_SZ, "-1"},
        {"Props", "Status", REG_SZ, "-1"},       {"Props", "Off", REG_SZ, "0"},
        {"Frame", "Rect", REG_SZ, "10,20,630,470"},
    };
    for (const Case& c : texts) {
        SCOPED_TRACE(c.name);
        auto raw = GetRaw(branch + "\\" + c.section, c.name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, c.type);
        EXPECT_EQ(raw->Text(), c.text);
    }
    auto interval = GetRaw(branch + "\\Props", "Interval");
    ASSERT_TRUE(interval);
    EXPECT_EQ(interval->type, REG_DWORD);
    EXPECT_EQ(interval->data, (std::vector<BYTE>{0xE2, 0xFF, 0xFF, 0xFF}));
    auto when = GetRaw(branch + "\\Props", "When");
    ASSERT_TRUE(when);
    EXPECT_EQ(when->type, REG_SZ);
    EXPECT_FALSE(when->Text().empty());
    auto secret = GetRaw(branch + "\\Login\\Users", "SCOTT");
    ASSERT_TRUE(secret);
    EXPECT_EQ(secret->type, REG_BINARY);
    EXPECT_EQ(CBlowfish("WyDelnGarp").DecryptString(secret->data), "tiger|ORCL");

    // And back through a new store.
    VkAppStore again(kCompany, kApp);
    EXPECT_EQ(again.GetString("Login", "Last User", nullptr), "SCOTT");
    EXPECT_EQ(again.GetLong("Props", "Interval", 0), -30);
    EXPECT_TRUE(again.GetBool("Props", "Flash", false));
    EXPECT_EQ(again.GetBOOL("Props", "Status", 0), 1);
    EXPECT_FALSE(again.GetBool("Props", "Off", true));
    EXPECT_TRUE(SameRect(again.GetRect("Frame", "Rect", nullptr), RECT{10, 20, 630, 470}));
    EXPECT_NEAR(again.GetDate("Props", "When", 0), 45000.5, 1.0 / 86400);
    EXPECT_EQ(again.GetEncryptedString("Login\\Users", "SCOTT", nullptr), "tiger|ORCL");
}

TEST_F(AppStore, RectanglesNeedFourParts)
{
    const std::string section = std::string(kBranch) + "\\Frame";
    PutText(section, "three", "1,2,3");
    PutText(section, "five", "1,2,3,4,5");
    PutText(section, "words", "a,b,c,d");
    PutText(section, "spaced", " 5, 6 ,7,8");
    const DWORD number = 12;
    PutRaw(section, "number", REG_DWORD, &number, 4);
    VkAppStore store(kCompany, kApp);
    const RECT fallback{-1, -1, -1, -1};
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "three", &fallback), fallback));
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "five", &fallback), RECT{1, 2, 3, 4}));
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "words", &fallback), fallback));
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "spaced", &fallback), RECT{5, 6, 7, 8}));
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "number", &fallback), fallback));
    EXPECT_TRUE(SameRect(store.GetRect("Frame", "missing", &fallback), fallback));
    EXPECT_TRUE(SameRect(store.GetRect("Nowhere", "five", nullptr), RECT{0, 0, 0, 0}));
}

TEST_F(AppStore, BooleansReadByTheAutomationRules)
{
    const std::string section = std::string(kBranch) + "\\B";
    const DWORD zero = 0, seven = 7;
    PutRaw(section, "dword zero", REG_DWORD, &zero, 4);
    PutRaw(section, "dword seven", REG_DWORD, &seven, 4);
    PutText(section, "minus one", "-1");
    PutText(section, "True", "True");
    PutText(section, "false", "false");
    PutText(section, "garbage", "maybe");
    VkAppStore store(kCompany, kApp);
    EXPECT_FALSE(store.GetBool("B", "dword zero", true));
    EXPECT_EQ(store.GetBOOL("B", "dword seven", 0), 1);
    EXPECT_TRUE(store.GetBool("B", "minus one", false));
    EXPECT_TRUE(store.GetBool("B", "True", false));
    EXPECT_FALSE(store.GetBool("B", "false", true));
    EXPECT_EQ(store.GetBOOL("B", "garbage", 5), 5);
    EXPECT_EQ(store.GetLong("B", "minus one", 0), -1);
    EXPECT_EQ(store.GetLong("B", "garbage", 42), 42);
    EXPECT_EQ(store.GetString("B", "dword seven", nullptr), "7");
}

TEST_F(AppStore, EncryptedRecordSizes)
{
    {
        VkAppStore store(kCompany, kApp);
        store.SetEncryptedString(nullptr, "empty", "");
        store.SetEncryptedString(nullptr, "fifteen", std::string(15, 'p').c_str());
        store.SetEncryptedString(nullptr, "sixteen", std::string(16, 'p').c_str());
    }
    struct Case {
        const char* name;
        std::size_t size;
        BYTE lengthWord;
    };
    for (const Case& c : {Case{"empty", 20, 16}, Case{"fifteen", 20, 16}, Case{"sixteen", 36, 32}}) {
        SCOPED_TRACE(c.name);
        auto raw = GetRaw(kBranch, c.name);
        ASSERT_TRUE(raw);
        EXPECT_EQ(raw->type, REG_BINARY);
        ASSERT_EQ(raw->data.size(), c.size);
        EXPECT_EQ(std::vector<BYTE>(raw->data.begin(), raw->data.begin() + 4),
                  (std::vector<BYTE>{c.lengthWord, 0, 0, 0}));
    }
    VkAppStore store(kCompany, kApp);
    EXPECT_EQ(store.GetEncryptedString(nullptr, "empty", "x"), "");
    EXPECT_EQ(store.GetEncryptedString(nullptr, "sixteen", nullptr), std::string(16, 'p'));
}

TEST_F(AppStore, DamagedOrForeignEncryptedValues)
{
    std::vector<BYTE> record = CBlowfish("WyDelnGarp").EncryptString("secret");
    record[0] = 64; // claims more than is stored
    PutRaw(kBranch, "too long", REG_BINARY, record.data(), static_cast<DWORD>(record.size()));
    PutText(kBranch, "text", "plain");
    VkAppStore store(kCompany, kApp);
    EXPECT_EQ(store.GetEncryptedString(nullptr, "too long", "dflt"), "");
    EXPECT_EQ(store.GetEncryptedString(nullptr, "text", "dflt"), "dflt");
}

TEST_F(AppStore, GetStringOnBinaryTakesTheBytesUpToTheFirstZero)
{
    const char bytes[] = {'a', 'b', 0, 'c'};
    PutRaw(kBranch, "bin", REG_BINARY, bytes, 4);
    {
        VkAppStore store(kCompany, kApp);
        EXPECT_EQ(store.GetString(nullptr, "bin", "x"), "ab");
        store.SetEncryptedString(nullptr, "secret", "pw");
        const std::string raw = store.GetString(nullptr, "secret", nullptr);
        // The length word in clear (16) up to its first zero byte, not the text.
        EXPECT_EQ(raw, std::string(1, '\x10'));
    }
}

TEST_F(AppStore, NewSectionLevelsAppearAtTheNextWrite)
{
    VkAppStore store(kCompany, kApp);
    store.SetEncryptedString("Login\\Users", "SCOTT", "tiger");
    const std::string users = std::string(kBranch) + "\\Login\\Users";
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyEx(HKEY_CURRENT_USER, (std::string(kBranch) + "\\Login").c_str(), KEY_READ, &key),
              ERROR_SUCCESS);
    // Not in the registry until written: a process ending now would lose it.
    EXPECT_FALSE(GetRaw(users, "SCOTT"));
    store.UpdateNow();
    EXPECT_TRUE(GetRaw(users, "SCOTT"));
    EXPECT_TRUE(store.IsOpen());
    store.SetString("Login", "Last User", "SCOTT");
    store.Close(false);
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(GetRaw(std::string(kBranch) + "\\Login", "Last User")->Text(), "SCOTT");
}

TEST_F(AppStore, ExistingValuesKeepTheirType)
{
    const DWORD seven = 7;
    PutRaw(kBranch, "Count", REG_DWORD, &seven, 4);
    PutText(kBranch, "Name", "old");
    {
        VkAppStore store(kCompany, kApp);
        store.SetString(nullptr, "Count", "12");
        store.SetLong(nullptr, "Name", 99);
    }
    auto count = GetRaw(kBranch, "Count");
    EXPECT_EQ(count->type, REG_DWORD);
    EXPECT_EQ(count->data, (std::vector<BYTE>{12, 0, 0, 0}));
    auto name = GetRaw(kBranch, "Name");
    EXPECT_EQ(name->type, REG_SZ);
    EXPECT_EQ(name->Text(), "99");
}

TEST_F(AppStore, ChangeNotification)
{
    std::vector<std::pair<Receiver*, std::string>> log;
    auto first = std::make_unique<Receiver>(&log);
    auto second = std::make_unique<Receiver>(&log);
    auto gone = std::make_unique<Receiver>(&log);
    VkAppStore store(kCompany, kApp);
    store.RegisterChange(first.get(), "Last User");
    store.RegisterChange(first.get(), "Last User"); // once is enough
    store.RegisterChange(second.get(), "Last User");
    store.RegisterChange(gone.get(), "Last User");
    store.RegisterChange(second.get(), "Other");
    gone.reset();

    store.SetString("Login", "Last User", "A");
    store.SetString(nullptr, "Last User", "B");
    store.SetLong("Login", "Unwatched", 1);
    store.SetBool("X", "Other", true);
    EXPECT_EQ(first->names, (std::vector<std::string>{"Last User", "Last User"}));
    EXPECT_EQ(second->names, (std::vector<std::string>{"Last User", "Last User", "Other"}));
    // Ascending order of the receivers, the same for every put.
    Receiver* low = std::min(first.get(), second.get(), std::less<Receiver*>());
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[0].first, low);
    EXPECT_EQ(log[2].first, low);

    // A closed store puts nothing and so notifies nobody.
    VkAppStore closed;
    closed.RegisterChange(first.get(), "Last User");
    closed.SetString("Login", "Last User", "C");
    EXPECT_EQ(first->names.size(), 2u);
}

TEST_F(AppStore, CopiesShareOneTree)
{
    VkAppStore store(kCompany, kApp);
    VkAppStore copy(store);
    VkAppStore assigned;
    assigned = store;
    copy.SetString("S", "v", "from copy");
    EXPECT_EQ(store.GetString("S", "v", nullptr), "from copy");
    EXPECT_EQ(assigned.GetString("S", "v", nullptr), "from copy");
    EXPECT_EQ(copy.AppKey(), store.AppKey());
    copy.Close();
    EXPECT_TRUE(store.IsOpen());
    EXPECT_EQ(GetRaw(std::string(kBranch) + "\\S", "v")->Text(), "from copy");
    assigned = assigned; // self-assignment keeps it open
    EXPECT_TRUE(assigned.IsOpen());
}

TEST_F(AppStore, TwoStoresOnOneBranch)
{
    VkAppStore a(kCompany, kApp);
    VkAppStore b(kCompany, kApp);
    a.SetString("S", "shared", "from a");
    a.SetString("S", "only a", "a");
    a.UpdateNow();
    // b read the branch before: it does not see a's values.
    EXPECT_EQ(b.GetString("S", "shared", "unseen"), "unseen");
    b.SetString("S", "shared", "from b");
    b.Close();
    // The last writer wins, and b did not overwrite what it never changed.
    EXPECT_EQ(GetRaw(std::string(kBranch) + "\\S", "shared")->Text(), "from b");
    EXPECT_EQ(GetRaw(std::string(kBranch) + "\\S", "only a")->Text(), "a");
    a.Open(kCompany, kApp);
    EXPECT_EQ(a.GetString("S", "shared", nullptr), "from b");
}

TEST_F(AppStore, StoresOnSeveralThreads)
{
    constexpr int kThreads = 4, kRounds = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            VkAppStore store(kCompany, kApp);
            const std::string section = "T" + std::to_string(t);
            for (int i = 0; i < kRounds; ++i) {
                store.SetLong(section.c_str(), "round", i);
                store.SetRect(section.c_str(), "rect", RECT{i, i, i, i});
                store.GetRect(section.c_str(), "rect", nullptr);
                if (i % 5 == 0)
                    store.UpdateNow();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    VkAppStore store(kCompany, kApp);
    for (int t = 0; t < kThreads; ++t) {
        const std::string section = "T" + std::to_string(t);
        EXPECT_EQ(store.GetLong(section.c_str(), "round", -1), kRounds - 1);
        const RECT last{kRounds - 1, kRounds - 1, kRounds - 1, kRounds - 1};
        EXPECT_TRUE(SameRect(store.GetRect(section.c_str(), "rect", nullptr), last));
    }
}

TEST_F(AppStore, HiveTextThroughVkreg)
{
    {
        VkAppStore store(kCompany, kApp);
        store.SetString("Login", "Last User", "SCOTT");
        store.SetLong("Props", "Interval", 42);
        store.SetBool("Props", "Flash", true);
        store.SetRect("Frame", "Rect", RECT{10, 20, 630, 470});
        store.SetEncryptedString("Login\\Users", "SCOTT", "");
    }
    std::string text;
    ASSERT_EQ(qvtest::RunCommand(qvtest::BinPath("vkreg").string() +
                                     " export 'HKEY_CURRENT_USER\\Software\\Tarnwick\\QVCtrl\\SchedulerCtrl'",
                                 &text),
              0);
    const std::vector<BYTE> record = CBlowfish("WyDelnGarp").EncryptString("");
    std::string hex = "hex:";
    for (std::size_t i = 0; i < record.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", record[i]);
        hex += (i ? "," : "") + std::string(byte);
    }
    for (const std::string& expected :
         {std::string("[HKEY_CURRENT_USER\\Software\\Tarnwick\\QVCtrl\\SchedulerCtrl\\Login]\n\"Last User\"=\"SCOTT\""),
          std::string("\"Interval\"=dword:0000002a"), std::string("\"Flash\"=\"-1\""),
          std::string("\"Rect\"=\"10,20,630,470\""),
          std::string("[HKEY_CURRENT_USER\\Software\\Tarnwick\\QVCtrl\\SchedulerCtrl\\Login\\Users]\n\"SCOTT\"=") +
              hex}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
    }
}

} // namespace
