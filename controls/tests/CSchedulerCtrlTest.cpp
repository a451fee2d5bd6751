// The scheduler control as an automation object: its members by dispatch id
// and by name, its saved state, its reference counting, its registration and
// its logon without a dialog.

#include "controls/CJobListCtrl.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CSchedulerCtrl.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalScript.h"
#include "generic/VkPaths.h"
#include "platform/Bstr.h"
#include "platform/ComPtr.h"
#include "platform/ConnectionPoint.h"
#include "platform/MemoryStream.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"
#include "testsupport/EventCounter.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <functional>

namespace {

using qvtest::WaitUntil;

// Counts OnLogin, as a host's sink does (called on the worker thread).
using LoginSink = qvtest::EventCounter<DIID__ISchedulerCtrlEvents, DISPID_SC_ONLOGIN>;

class SchedulerCtrl : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        control = Make();
        sink = ComPtr<LoginSink>(new LoginSink);
        ASSERT_EQ(VkAdvise(control.Get(), DIID__ISchedulerCtrlEvents, sink.Get(), &cookie), S_OK);
    }
    void TearDown() override
    {
        if (control)
            VkUnadvise(control.Get(), DIID__ISchedulerCtrlEvents, cookie);
        control = nullptr;
        FreshRootTest::TearDown();
    }
    static ComPtr<ISchedulerCtrl> Make()
    {
        ComPtr<ISchedulerCtrl> made;
        EXPECT_EQ(VkCreateObject<CSchedulerCtrl>(IID_ISchedulerCtrl, reinterpret_cast<void**>(made.GetAddressOf())),
                  S_OK);
        return made;
    }
    static CSchedulerCtrl& Impl(const ComPtr<ISchedulerCtrl>& c) { return *static_cast<CSchedulerCtrl*>(c.Get()); }
    static CJobListCtrl& List(const ComPtr<ISchedulerCtrl>& c) { return Impl(c).MainDlg()->List(); }
    static void Put(const ComPtr<ISchedulerCtrl>& c, DISPID id, const std::string& value)
    {
        ASSERT_EQ(VkInvoke(c.Get(), id, DISPATCH_PROPERTYPUT, {VkVariant(value)}), S_OK);
    }
    static std::string Get(const ComPtr<ISchedulerCtrl>& c, DISPID id)
    {
        VkVariant result;
        std::string text;
        EXPECT_EQ(VkInvoke(c.Get(), id, DISPATCH_PROPERTYGET, {}, &result), S_OK);
        result.ToText(&text);
        return text;
    }
    static bool Connected(const ComPtr<ISchedulerCtrl>& c)
    {
        VARIANT_BOOL connected = VARIANT_TRUE;
        EXPECT_EQ(c->Connected(&connected), S_OK);
        return connected == VARIANT_TRUE;
    }
    ULONG References()
    {
        control->AddRef();
        return control->Release();
    }

    ComPtr<ISchedulerCtrl> control;
    ComPtr<LoginSink> sink;
    DWORD cookie = 0;
};

TEST_F(SchedulerCtrl, MembersAnswerByNameWithTheirDispatchIds)
{
    const struct {
        const char* name;
        DISPID id;
    } members[] = {
        {"Interactive_Export", 1}, {"Interactive_Import", 2}, {"Interactive_Properties", 3},
        {"StopAll", 4},            {"StopSelected", 5},       {"DeleteAll", 6},
        {"DeleteSelected", 7},     {"CopySelected", 8},       {"DoPaste", 9},
        {"SelectionCount", 10},    {"CanPaste", 11},          {"Interactive_New", 12},
        {"Interactive_NewWizard", 13}, {"Interactive_Modify", 14}, {"RunSelected", 15},
        {"BreakSelected", 16},     {"Interactive_Login", 17}, {"Database", 18},
        {"UserName", 19},          {"Password", 20},          {"Refresh", 21},
        {"Connected", 22},         {"Items", 23},             {"Persist", 24},
        {"Login", 25},             {"GetIUnknown", 26},       {"Reconnect", 27},
        {"Disconnect", 28},        {"SetExternalExplorer", 29},
        {"Interactive_Forecast", 30}, {"StopSafely", 31}, {"Interactive_Compare", 32},
    };
    for (const auto& member : members) {
        VkBstr name(member.name);
        LPOLESTR names[] = {name.Get()};
        DISPID id = 0;
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << member.name;
        EXPECT_EQ(id, member.id) << member.name;
    }
    // Case does not matter in names; values come back by name too.
    Put(control, DISPID_SC_USERNAME, "scott");
    VkVariant user;
    ASSERT_EQ(VkInvokeByName(control.Get(), "username", DISPATCH_PROPERTYGET, {}, &user), S_OK);
    std::string text;
    user.ToText(&text);
    EXPECT_EQ(text, "scott");
    VkVariant items;
    ASSERT_EQ(VkInvokeByName(control.Get(), "Items", DISPATCH_PROPERTYGET, {}, &items), S_OK);
    LONG count = -1;
    items.ToLong(&count);
    EXPECT_EQ(count, 0);
    // The members without behaviour still succeed.
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_SC_DELETEALL, DISPATCH_METHOD), S_OK);
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_SC_INTERACTIVE_NEWWIZARD, DISPATCH_METHOD), S_OK);
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_SC_SETEXTERNALEXPLORER, DISPATCH_METHOD, {VkVariant(LONG(77))}), S_OK);
    EXPECT_EQ(Impl(control).ExternalExplorer(), 77);
}

TEST_F(SchedulerCtrl, ANewControlHasTheDefaults)
{
    EXPECT_EQ(Get(control, DISPID_SC_DATABASE), "");
    EXPECT_EQ(Get(control, DISPID_SC_USERNAME), "");
    EXPECT_EQ(Get(control, DISPID_SC_PASSWORD), "");
    EXPECT_FALSE(Connected(control));
    EXPECT_EQ(List(control).Worker().RefreshInterval(), 100u);
    EXPECT_FALSE(List(control).AdministratorView());
    EXPECT_TRUE(Impl(control).MainDlg()->StatusBarShown());
    EXPECT_FALSE(List(control).Worker().Started());
}

TEST_F(SchedulerCtrl, PersistRestoresTheQueueInAFreshControl)
{
    Put(control, DISPID_SC_DATABASE, "DEMO");
    Put(control, DISPID_SC_USERNAME, "scott");
    // Long enough that the saved data needs several chunks of a palette.
    const std::string password(3000, 'p');
    Put(control, DISPID_SC_PASSWORD, password);
    List(control).SetAdministratorView(true);
    List(control).Worker().SetRefreshInterval(0xFFFFFFFF);
    List(control).Model().SetFlashEffects(false);
    List(control).horizontalHeader()->moveSection(0, 3);
    Impl(control).MainDlg()->ShowStatusBar(false);
    List(control).SetNotifyAlerts(false);

    ComPtr<IStream> stream;
    ASSERT_EQ(VkCreateMemoryStream(stream.GetAddressOf()), S_OK);
    ASSERT_EQ(VkInvoke(control.Get(), DISPID_SC_PERSIST, DISPATCH_METHOD,
                       {VkVariant(static_cast<IUnknown*>(stream.Get())), VkVariant(false)}),
              S_OK);
    std::vector<BYTE> bytes;
    ASSERT_EQ(VkStreamBytes(stream.Get(), &bytes), S_OK);
    EXPECT_GT(bytes.size(), 3000u);
    // The last fields are the status bar byte and the alert switch.
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[bytes.size() - 2], 0);
    EXPECT_EQ(bytes.back(), 0);

    ComPtr<ISchedulerCtrl> fresh = Make();
    ASSERT_EQ(fresh->Persist(stream.Get(), VARIANT_TRUE), S_OK);
    EXPECT_EQ(Get(fresh, DISPID_SC_DATABASE), "DEMO");
    EXPECT_EQ(Get(fresh, DISPID_SC_USERNAME), "scott");
    EXPECT_EQ(Get(fresh, DISPID_SC_PASSWORD), password);
    EXPECT_TRUE(List(fresh).AdministratorView());
    EXPECT_EQ(List(fresh).Worker().RefreshInterval(), 0xFFFFFFFFu);
    EXPECT_FALSE(List(fresh).Model().FlashEffects());
    EXPECT_EQ(List(fresh).horizontalHeader()->visualIndex(0), 3);
    EXPECT_FALSE(Impl(fresh).MainDlg()->StatusBarShown());
    EXPECT_FALSE(List(fresh).NotifyAlerts());

    // A queue saved before the alert switch ends after the status bar byte:
    // it loads with alerts on.
    bytes.pop_back();
    ComPtr<IStream> older;
    ASSERT_EQ(VkCreateMemoryStream(bytes.data(), bytes.size(), older.GetAddressOf()), S_OK);
    ComPtr<ISchedulerCtrl> old = Make();
    List(old).SetNotifyAlerts(false);
    ASSERT_EQ(old->Persist(older.Get(), VARIANT_TRUE), S_OK);
    EXPECT_TRUE(List(old).NotifyAlerts());
    EXPECT_FALSE(Impl(old).MainDlg()->StatusBarShown());
}

TEST_F(SchedulerCtrl, OnlyVariantTrueLoads)
{
    Put(control, DISPID_SC_DATABASE, "DEMO");
    ComPtr<IStream> stream;
    ASSERT_EQ(VkCreateMemoryStream(stream.GetAddressOf()), S_OK);
    // 1 is not VARIANT_TRUE: the empty stream is written, not read.
    ASSERT_EQ(control->Persist(stream.Get(), 1), S_OK);
    std::vector<BYTE> bytes;
    ASSERT_EQ(VkStreamBytes(stream.Get(), &bytes), S_OK);
    EXPECT_FALSE(bytes.empty());
    // The same through dispatch, with 1 as a number.
    ComPtr<IStream> second;
    ASSERT_EQ(VkCreateMemoryStream(second.GetAddressOf()), S_OK);
    ASSERT_EQ(VkInvoke(control.Get(), DISPID_SC_PERSIST, DISPATCH_METHOD,
                       {VkVariant(static_cast<IUnknown*>(second.Get())), VkVariant(LONG(1))}),
              S_OK);
    std::vector<BYTE> again;
    ASSERT_EQ(VkStreamBytes(second.Get(), &again), S_OK);
    EXPECT_EQ(again, bytes);
}

TEST_F(SchedulerCtrl, PersistFailsOnWhatIsNoStreamOrDamaged)
{
    EXPECT_EQ(control->Persist(nullptr, VARIANT_TRUE), E_FAIL);
    // An object without IStream.
    EXPECT_EQ(control->Persist(sink.Get(), VARIANT_TRUE), E_FAIL);
    // An empty stream, another version, text, and a saved queue cut short.
    const std::string text = "this is not a saved queue";
    const BYTE otherVersion[] = {2, 0, 0, 0, 0};
    ComPtr<IStream> good;
    ASSERT_EQ(VkCreateMemoryStream(good.GetAddressOf()), S_OK);
    Put(control, DISPID_SC_DATABASE, "DEMO");
    ASSERT_EQ(control->Persist(good.Get(), VARIANT_FALSE), S_OK);
    std::vector<BYTE> saved;
    ASSERT_EQ(VkStreamBytes(good.Get(), &saved), S_OK);
    const std::vector<std::vector<BYTE>> damaged = {
        {},
        std::vector<BYTE>(std::begin(otherVersion), std::end(otherVersion)),
        std::vector<BYTE>(text.begin(), text.end()),
        std::vector<BYTE>(saved.begin(), saved.end() - 2),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        ComPtr<IStream> stream;
        ASSERT_EQ(VkCreateMemoryStream(damaged[i].data(), damaged[i].size(), stream.GetAddressOf()), S_OK);
        ComPtr<ISchedulerCtrl> fresh = Make();
        EXPECT_EQ(fresh->Persist(stream.Get(), VARIANT_TRUE), E_FAIL) << "case " << i;
    }
}

TEST_F(SchedulerCtrl, GetIUnknownLeavesTheReferenceCountUnchanged)
{
    const ULONG before = References();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(control->GetIUnknown(&unknown), S_OK);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(References(), before);
    ComPtr<IUnknown> identity;
    ASSERT_EQ(control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(identity.GetAddressOf())), S_OK);
    EXPECT_EQ(unknown, identity.Get());
    identity = nullptr;
    {
        // Through dispatch the result holds a reference until it is cleared.
        VkVariant result;
        ASSERT_EQ(VkInvoke(control.Get(), DISPID_SC_GETIUNKNOWN, DISPATCH_METHOD, {}, &result), S_OK);
    }
    EXPECT_EQ(References(), before);
    EXPECT_EQ(control->GetIUnknown(nullptr), E_POINTER);
}

TEST_F(SchedulerCtrl, TheHostGetsTheWindowAndClosesItOnce)
{
    QWidget host;
    host.resize(500, 300);
    ComPtr<IVkControlWindow> window;
    ASSERT_EQ(control.As(&window), S_OK);
    QWidget* made = nullptr;
    ASSERT_EQ(window->CreateControlWindow(&host, &made), S_OK);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->parentWidget(), &host);
    EXPECT_EQ(made->size(), host.size());
    EXPECT_NE(made->findChild<CJobListCtrl*>(), nullptr);
    EXPECT_EQ(window->DestroyControlWindow(), S_OK);
    EXPECT_EQ(window->DestroyControlWindow(), S_FALSE);
    EXPECT_EQ(window->CreateControlWindow(&host, &made), E_FAIL);
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
    // Members still answer, with their defaults.
    LONG items = -1;
    EXPECT_EQ(control->get_Items(&items), S_OK);
    EXPECT_EQ(items, 0);
    EXPECT_FALSE(Connected(control));
}

TEST_F(SchedulerCtrl, RegistrationWritesTheControlKeysAndRemovesThem)
{
    ASSERT_TRUE(qvtest::RegisterModule("QVCtrl"));
    const std::string vkreg = "'" + qvtest::BinPath("vkreg").string() + "' export ";
    std::string clsid;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\CLSID\\{55D576AA-E98E-4906-AF22-125C4B9C5586}'", &clsid),
              0);
    for (const char* expected :
         {"@=\"SchedulerCtrl Class\"", "\\ProgID]\n@=\"QVCtrl.SchedulerCtrl.1\"",
          "\\VersionIndependentProgID]\n@=\"QVCtrl.SchedulerCtrl\"", "\\Programmable]", "\"ThreadingModel\"=\"Apartment\"",
          "\\Control]", "\\Insertable]", "QVCtrl.so, 102\"", "\\MiscStatus]\n@=\"0\"", "\\MiscStatus\\1]\n@=\"131473\"",
          "\\TypeLib]\n@=\"{495D9791-1923-4D57-A2EC-89FFA4FD8AA3}\"", "\\Version]\n@=\"1.0\""})
        EXPECT_NE(clsid.find(expected), std::string::npos) << expected << "\n" << clsid;
    std::string progId;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\QVCtrl.SchedulerCtrl'", &progId), 0);
    EXPECT_NE(progId.find("\\CurVer]\n@=\"QVCtrl.SchedulerCtrl.1\""), std::string::npos) << progId;
    std::string typeLib;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\TypeLib\\{495D9791-1923-4D57-A2EC-89FFA4FD8AA3}'", &typeLib),
              0);
    EXPECT_NE(typeLib.find("QVCtrl 1.0 Type Library"), std::string::npos) << typeLib;

    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("regsvr").string() + "' /u /s '" +
                                 qvtest::LibPath("QVCtrl.so").string() + "'"),
              0);
    std::string after;
    qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\CLSID\\{55D576AA-E98E-4906-AF22-125C4B9C5586}'", &after);
    EXPECT_EQ(after.find("SchedulerCtrl Class"), std::string::npos) << after;
}

TEST_F(SchedulerCtrl, LoginConnectsWithTheSavedDetailsWithoutADialog)
{
    std::string output;
    if (qvtest::RunCommand("'" + qvtest::BinPath("oradmin").string() + "' demo", &output, true) != 0)
        FAIL() << "the demo databases could not be provisioned:\n" << output;
    VkModalScript modal; // any dialog would be unexpected
    Put(control, DISPID_SC_DATABASE, "DEMO");
    Put(control, DISPID_SC_USERNAME, "scott");
    Put(control, DISPID_SC_PASSWORD, "wrong");

    ASSERT_EQ(VkInvoke(control.Get(), DISPID_SC_LOGIN, DISPATCH_METHOD), S_OK);
    // While the logon runs the control is not connected.
    EXPECT_FALSE(Connected(control));
    // The event comes straight from the worker, the status as a posted message.
    auto status = [&] { return Impl(control).MainDlg()->StatusBar().PaneTextOf(CJobListStatusCtrl::PaneText); };
    ASSERT_TRUE(WaitUntil([&] { return sink->calls == 1 && status().contains("ORA-01017"); }))
        << status().toStdString();
    EXPECT_FALSE(Connected(control));

    // A failed logon is retried with the same details.
    Put(control, DISPID_SC_PASSWORD, "tiger");
    ASSERT_EQ(control->Login(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return sink->calls == 2 && Connected(control); }));
    LONG items = 0;
    ASSERT_TRUE(WaitUntil([&] { return SUCCEEDED(control->get_Items(&items)) && items == 9; }));

    // Connected: Login does nothing.
    ASSERT_EQ(control->Login(), S_OK);
    EXPECT_EQ(List(control).Worker().QueuedRequests(), 0u);

    // Disconnect raises OnLogin too.
    ASSERT_EQ(control->Disconnect(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return sink->calls == 3; }));
    EXPECT_FALSE(Connected(control));
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace

namespace {

// Every help topic the control's dialogs name is shipped in the build.
TEST(QVCtrlHelp, EveryDialogTopicExists)
{
    std::string name = QVCtrlStrings().Load(IDS_JL_HELP_FILE);
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path file = (VkProgramFolder() / name).lexically_normal();
    for (UINT topic : {IDS_JL_HELP_TOPIC, IDS_QD_LOGON_HELP_TOPIC, IDS_QD_PROPS_HELP_TOPIC, IDS_JH_HELP_TOPIC})
        EXPECT_FALSE(VkHelpTopicPath(file, QVCtrlStrings().Load(topic)).empty()) << QVCtrlStrings().Load(topic);
    // The table of contents too (the explorer's Help button).
    EXPECT_FALSE(VkHelpTopicPath(file, "").empty());
}

} // namespace
