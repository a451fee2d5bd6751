// The SQL grid control as an automation object: its members by dispatch id
// and by name, its saved state with and without the connection, its events
// to every sink, its window tree, its registration and its help topics.

#include "framework/TwStatusImagePane.h"
#include "generic/VkHtmlHelp.h"
#include "generic/VkModalScript.h"
#include "gridview/QuillView.h"
#include "gridview/TwCellSqlDlg.h"
#include "gridview/TwQlVwHelp.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGrid.h"
#include "gridview/TwQuillGridStatusCtrl.h"
#include "gridview/TwQuillGridState.h"
#include "gridview/TwQuillGridWorker.h"
#include "platform/Bstr.h"
#include "platform/ComPtr.h"
#include "platform/ComRuntime.h"
#include "platform/ConnectionPoint.h"
#include "platform/MemoryStream.h"
#include "platform/VkBstr.h"
#include "platform/VkVariant.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/EventCounter.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTableWidget>

#include <random>

namespace {

using qvtest::WaitUntil;

using LoginSink = qvtest::EventCounter<DIID__IQuillViewEvents, DISPID_QV_ONLOGIN>;
using TitleSink = qvtest::EventCounter<DIID__IQuillViewEvents, DISPID_QV_ONTITLECHANGE>;

ComPtr<IQuillView> Make()
{
    ComPtr<IQuillView> made;
    EXPECT_EQ(VkCreateObject<QuillView>(IID_IQuillView, reinterpret_cast<void**>(made.GetAddressOf())), S_OK);
    return made;
}

QuillView& Impl(const ComPtr<IQuillView>& c)
{
    return *static_cast<QuillView*>(c.Get());
}

void Put(const ComPtr<IQuillView>& c, DISPID id, const VkVariant& value)
{
    ASSERT_EQ(VkInvoke(c.Get(), id, DISPATCH_PROPERTYPUT, {value}), S_OK) << id;
}

std::string Text(const ComPtr<IQuillView>& c, DISPID id)
{
    VkVariant result;
    std::string text;
    EXPECT_EQ(VkInvoke(c.Get(), id, DISPATCH_PROPERTYGET, {}, &result), S_OK) << id;
    result.ToText(&text);
    return text;
}

bool Flag(const ComPtr<IQuillView>& c, DISPID id, WORD kind = DISPATCH_PROPERTYGET)
{
    VkVariant result;
    bool value = false;
    EXPECT_EQ(VkInvoke(c.Get(), id, kind, {}, &result), S_OK) << id;
    EXPECT_EQ(result.ToBool(&value), S_OK) << id;
    return value;
}

ComPtr<IStream> NewStream()
{
    ComPtr<IStream> stream;
    EXPECT_EQ(VkCreateMemoryStream(stream.GetAddressOf()), S_OK);
    return stream;
}

HRESULT PersistByDispatch(const ComPtr<IQuillView>& c, IStream* stream, const VkVariant& include, const VkVariant& load)
{
    return VkInvoke(c.Get(), DISPID_QV_PERSIST, DISPATCH_METHOD,
                    {VkVariant(static_cast<IUnknown*>(stream)), include, load});
}

std::vector<BYTE> Bytes(IStream* stream)
{
    std::vector<BYTE> bytes;
    EXPECT_EQ(VkStreamBytes(stream, &bytes), S_OK);
    return bytes;
}

class QuillViewCtrl : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        control = Make();
    }
    void TearDown() override
    {
        control = nullptr;
        FreshRootTest::TearDown();
    }
    TwGridViewReal& View() { return *Impl(control).GridView(); }

    VkModalScript modal;
    ComPtr<IQuillView> control;
};

TEST_F(QuillViewCtrl, MembersAnswerByNameWithTheirDispatchIds)
{
    const struct {
        const char* name;
        DISPID id;
    } members[] = {
        {"Database", 1},  {"UserName", 2},   {"Password", 3},       {"Interactive_Properties", 4},
        {"Interactive_Login", 5}, {"Refresh", 6}, {"Connected", 7}, {"Persist", 8},
        {"Login", 9},     {"GetIUnknown", 10}, {"Reconnect", 11},   {"Disconnect", 12},
        {"SetExternalExplorer", 13}, {"Run", 14}, {"Pause", 15},    {"Stop", 16},
        {"Abort", 17},    {"MonitorMode", 18}, {"Reset", 19},       {"SQLVisible", 20},
        {"Running", 21},  {"Paused", 22},    {"Idle", 23},          {"Title", 24},
    };
    for (const auto& member : members) {
        VkBstr name(member.name);
        LPOLESTR names[] = {name.Get()};
        DISPID id = 0;
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << member.name;
        EXPECT_EQ(id, member.id) << member.name;
    }
    // Names are found whatever their case.
    Put(control, DISPID_QV_TITLE, VkVariant("Salaries"));
    VkVariant title;
    ASSERT_EQ(VkInvokeByName(control.Get(), "title", DISPATCH_PROPERTYGET, {}, &title), S_OK);
    std::string text;
    title.ToText(&text);
    EXPECT_EQ(text, "Salaries");
}

TEST_F(QuillViewCtrl, EveryDispatchIdIsCallable)
{
    // The properties by id: logon details, title, the switches.
    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    Put(control, DISPID_QV_USERNAME, VkVariant("scott"));
    Put(control, DISPID_QV_PASSWORD, VkVariant("tiger"));
    Put(control, DISPID_QV_TITLE, VkVariant("Emp"));
    EXPECT_EQ(Text(control, DISPID_QV_DATABASE), "DEMO");
    EXPECT_EQ(Text(control, DISPID_QV_USERNAME), "scott");
    EXPECT_EQ(Text(control, DISPID_QV_PASSWORD), "tiger");
    EXPECT_EQ(Text(control, DISPID_QV_TITLE), "Emp");
    EXPECT_EQ(View().Worker().Host(), "DEMO");

    EXPECT_FALSE(Flag(control, DISPID_QV_MONITORMODE));
    Put(control, DISPID_QV_MONITORMODE, VkVariant(true));
    EXPECT_TRUE(Flag(control, DISPID_QV_MONITORMODE));
    EXPECT_TRUE(View().Worker().MonitorMode());
    Put(control, DISPID_QV_MONITORMODE, VkVariant(false));

    EXPECT_TRUE(Flag(control, DISPID_QV_SQLVISIBLE));
    Put(control, DISPID_QV_SQLVISIBLE, VkVariant(false));
    EXPECT_FALSE(Flag(control, DISPID_QV_SQLVISIBLE));
    EXPECT_TRUE(View().SqlEdit()->isHidden());

    EXPECT_FALSE(Flag(control, DISPID_QV_RUNNING));
    EXPECT_FALSE(Flag(control, DISPID_QV_PAUSED));
    EXPECT_TRUE(Flag(control, DISPID_QV_IDLE));
    EXPECT_FALSE(Flag(control, DISPID_QV_CONNECTED, DISPATCH_METHOD));
    // Read-only properties refuse a put.
    EXPECT_NE(VkInvoke(control.Get(), DISPID_QV_RUNNING, DISPATCH_PROPERTYPUT, {VkVariant(true)}), S_OK);

    // The dialogs, each cancelled.
    modal.AnswerDialog([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Properties");
        return int(QDialog::Rejected);
    });
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_QV_INTERACTIVE_PROPERTIES, DISPATCH_METHOD), S_OK);
    modal.AnswerDialog([](QDialog*) { return int(QDialog::Rejected); });
    EXPECT_FALSE(Flag(control, DISPID_QV_INTERACTIVE_LOGIN, DISPATCH_METHOD));
    EXPECT_TRUE(modal.Exhausted());

    // The rest of the methods; without a connection nothing reaches a server.
    ComPtr<IStream> stream = NewStream();
    EXPECT_EQ(PersistByDispatch(control, stream.Get(), VkVariant(true), VkVariant(false)), S_OK);
    EXPECT_FALSE(Bytes(stream.Get()).empty());
    for (DISPID id : {DISPID_QV_REFRESH, DISPID_QV_RUN, DISPID_QV_PAUSE, DISPID_QV_STOP, DISPID_QV_ABORT,
                      DISPID_QV_DISCONNECT})
        EXPECT_EQ(VkInvoke(control.Get(), id, DISPATCH_METHOD), S_OK) << id;
    {
        VkVariant unknown;
        ASSERT_EQ(VkInvoke(control.Get(), DISPID_QV_GETIUNKNOWN, DISPATCH_METHOD, {}, &unknown), S_OK);
        EXPECT_TRUE(unknown.vt == VT_DISPATCH || unknown.vt == VT_UNKNOWN);
    }
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_QV_SETEXTERNALEXPLORER, DISPATCH_METHOD, {VkVariant(LONG(77))}), S_OK);
    EXPECT_EQ(Impl(control).ExternalExplorer(), 77);
    View().SqlEdit()->setPlainText("select 1 from dual");
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_QV_RESET, DISPATCH_METHOD), S_OK);
    EXPECT_TRUE(View().SqlEdit()->toPlainText().isEmpty());
    EXPECT_EQ(View().Worker().SqlText(), "");
    // Login and Reconnect last: they start the worker on the details above.
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_QV_LOGIN, DISPATCH_METHOD), S_OK);
    EXPECT_EQ(VkInvoke(control.Get(), DISPID_QV_RECONNECT, DISPATCH_METHOD), S_OK);
    EXPECT_TRUE(View().Worker().Started());
    EXPECT_EQ(modal.Unexpected(), 0);
}

TEST_F(QuillViewCtrl, PersistWithTheConnectionRestoresEverythingInAFreshControl)
{
    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    Put(control, DISPID_QV_USERNAME, VkVariant("scott"));
    Put(control, DISPID_QV_PASSWORD, VkVariant("tiger"));
    Put(control, DISPID_QV_MONITORMODE, VkVariant(true));
    View().Worker().SetRefreshInterval(30);
    View().Worker().SetMaximumRows(50);
    View().SqlEdit()->setPlainText("select ename from emp");

    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(control->Persist(stream.Get(), VARIANT_TRUE, VARIANT_FALSE), S_OK);
    ComPtr<IQuillView> fresh = Make();
    // Through dispatch, the load flag as the automation true value.
    ASSERT_EQ(PersistByDispatch(fresh, stream.Get(), VkVariant(true), VkVariant(true)), S_OK);
    EXPECT_EQ(Text(fresh, DISPID_QV_DATABASE), "DEMO");
    EXPECT_EQ(Text(fresh, DISPID_QV_USERNAME), "scott");
    EXPECT_EQ(Text(fresh, DISPID_QV_PASSWORD), "tiger");
    EXPECT_TRUE(Flag(fresh, DISPID_QV_MONITORMODE));
    EXPECT_EQ(Impl(fresh).GridView()->Worker().RefreshInterval(), 30u);
    EXPECT_EQ(Impl(fresh).GridView()->Worker().MaximumRows(), 50);
    EXPECT_EQ(Impl(fresh).GridView()->SqlEdit()->toPlainText(), "select ename from emp");
    EXPECT_EQ(Impl(fresh).GridView()->Worker().SqlText(), "select ename from emp");
}

TEST_F(QuillViewCtrl, OnlyTheAutomationTrueValueLoads)
{
    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    ComPtr<IStream> saved = NewStream();
    ASSERT_EQ(control->Persist(saved.Get(), VARIANT_TRUE, VARIANT_FALSE), S_OK);
    const std::vector<BYTE> bytes = Bytes(saved.Get());
    // Load flag 1 (a number, not VARIANT_TRUE) stores over the stream
    // instead of reading it: the fresh control's empty details are written.
    ComPtr<IQuillView> fresh = Make();
    ASSERT_EQ(PersistByDispatch(fresh, saved.Get(), VkVariant(true), VkVariant(LONG(1))), S_OK);
    EXPECT_EQ(Text(fresh, DISPID_QV_DATABASE), "");
    EXPECT_NE(Bytes(saved.Get()), bytes);
    ComPtr<IStream> again = NewStream();
    ASSERT_EQ(fresh->Persist(again.Get(), VARIANT_TRUE, 1), S_OK);
    EXPECT_EQ(Bytes(again.Get()), Bytes(saved.Get()));
}

TEST_F(QuillViewCtrl, PersistWithoutTheConnectionKeepsNoDetailsAndLoginSaysSo)
{
    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    Put(control, DISPID_QV_USERNAME, VkVariant("scott"));
    Put(control, DISPID_QV_PASSWORD, VkVariant("tiger"));
    View().SqlEdit()->setPlainText("select dname from dept");
    ComPtr<IStream> stream = NewStream();
    ASSERT_EQ(PersistByDispatch(control, stream.Get(), VkVariant(false), VkVariant(false)), S_OK);
    const std::vector<BYTE> bytes = Bytes(stream.Get());
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text.find("scott"), std::string::npos);
    EXPECT_EQ(text.find("tiger"), std::string::npos);
    EXPECT_NE(text.find("select dname from dept"), std::string::npos);

    // Even a load that asks for the connection finds three empty strings.
    ComPtr<IQuillView> fresh = Make();
    ASSERT_EQ(fresh->Persist(stream.Get(), VARIANT_TRUE, VARIANT_TRUE), S_OK);
    EXPECT_EQ(Text(fresh, DISPID_QV_DATABASE), "");
    EXPECT_EQ(Text(fresh, DISPID_QV_USERNAME), "");
    EXPECT_EQ(Text(fresh, DISPID_QV_PASSWORD), "");
    EXPECT_EQ(Impl(fresh).GridView()->SqlEdit()->toPlainText(), "select dname from dept");

    // A state saved with the details but loaded without them leaves them empty.
    ComPtr<IStream> full = NewStream();
    ASSERT_EQ(control->Persist(full.Get(), VARIANT_TRUE, VARIANT_FALSE), S_OK);
    ComPtr<IQuillView> other = Make();
    ASSERT_EQ(other->Persist(full.Get(), VARIANT_FALSE, VARIANT_TRUE), S_OK);
    EXPECT_EQ(Text(other, DISPID_QV_USERNAME), "");

    ASSERT_EQ(VkInvoke(fresh.Get(), DISPID_QV_LOGIN, DISPATCH_METHOD), S_OK);
    TwQuillGridStatusCtrl* status = Impl(fresh).GridView()->Grid()->StatusCtrl();
    const QString expected = TwQlVwString(IDS_GV_NO_DETAILS);
    ASSERT_TRUE(WaitUntil([&] { return status->StatusText() == expected; })) << status->StatusText().toStdString();
    EXPECT_FALSE(Flag(fresh, DISPID_QV_CONNECTED, DISPATCH_METHOD));
}

TEST_F(QuillViewCtrl, PersistRefusesWhatIsNoStreamOrDamagedAndChangesNothing)
{
    EXPECT_EQ(control->Persist(nullptr, VARIANT_TRUE, VARIANT_TRUE), E_FAIL);
    ComPtr<TitleSink> notAStream(new TitleSink);
    EXPECT_EQ(control->Persist(notAStream.Get(), VARIANT_TRUE, VARIANT_TRUE), E_FAIL);

    Put(control, DISPID_QV_DATABASE, VkVariant("KEEP"));
    ComPtr<IStream> good = NewStream();
    ASSERT_EQ(control->Persist(good.Get(), VARIANT_TRUE, VARIANT_FALSE), S_OK);
    const std::vector<BYTE> saved = Bytes(good.Get());
    const std::string text = "this is not a saved grid";
    // No columns but a huge row count: refused at once, not after billions of rows.
    const BYTE rowsWithoutColumns[] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::vector<std::vector<BYTE>> damaged = {
        {},
        std::vector<BYTE>(text.begin(), text.end()),
        std::vector<BYTE>(std::begin(rowsWithoutColumns), std::end(rowsWithoutColumns)),
        std::vector<BYTE>(saved.begin(), saved.end() - 3),
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        ComPtr<IStream> stream;
        ASSERT_EQ(VkCreateMemoryStream(damaged[i].data(), damaged[i].size(), stream.GetAddressOf()), S_OK);
        EXPECT_EQ(control->Persist(stream.Get(), VARIANT_TRUE, VARIANT_TRUE), E_FAIL) << "case " << i;
        EXPECT_EQ(Text(control, DISPID_QV_DATABASE), "KEEP") << "case " << i;
    }
}

TEST_F(QuillViewCtrl, EveryCutStateIsRefusedAndFlippedBitsNeverCrash)
{
    // A state with columns and cells, as a run leaves it.
    TwQuillGridState state;
    state.columns = {"EMPNO", "ENAME"};
    state.widths = {100, 120};
    state.rows = {{"7369", "SMITH"}, {"7499", "ALLEN"}, {"7521", "WARD"}};
    state.host = "DEMO";
    state.user = "scott";
    state.password = "tiger";
    state.sqlText = "select empno, ename from emp";
    const std::vector<BYTE> bytes = state.ToBytes(true);
    ASSERT_FALSE(bytes.empty());
    const auto load = [&](const std::vector<BYTE>& data) {
        ComPtr<IStream> stream;
        EXPECT_EQ(VkCreateMemoryStream(data.data(), data.size(), stream.GetAddressOf()), S_OK);
        return control->Persist(stream.Get(), VARIANT_TRUE, VARIANT_TRUE);
    };
    ASSERT_EQ(load(bytes), S_OK);
    EXPECT_EQ(View().Grid()->Table()->rowCount(), 3);
    EXPECT_EQ(Text(control, DISPID_QV_DATABASE), "DEMO");

    Put(control, DISPID_QV_DATABASE, VkVariant("KEEP"));
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_EQ(load(std::vector<BYTE>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length))), E_FAIL)
            << "cut at " << length;
    EXPECT_EQ(Text(control, DISPID_QV_DATABASE), "KEEP");

    std::mt19937 random(20261207);
    for (int round = 0; round < 2000; ++round) {
        std::vector<BYTE> flipped = bytes;
        for (int flips = 1 + static_cast<int>(random() % 3); flips > 0; --flips)
            flipped[random() % flipped.size()] ^= static_cast<BYTE>(1u << (random() % 8));
        const HRESULT hr = load(flipped);
        EXPECT_TRUE(hr == S_OK || hr == E_FAIL) << "round " << round;
    }
}

TEST_F(QuillViewCtrl, TitleChangesReachEverySinkOnce)
{
    ComPtr<TitleSink> first(new TitleSink), second(new TitleSink);
    DWORD cookies[2] = {};
    ASSERT_EQ(VkAdvise(control.Get(), DIID__IQuillViewEvents, first.Get(), &cookies[0]), S_OK);
    ASSERT_EQ(VkAdvise(control.Get(), DIID__IQuillViewEvents, second.Get(), &cookies[1]), S_OK);
    EXPECT_EQ(Text(control, DISPID_QV_TITLE), "Untitled");
    Put(control, DISPID_QV_TITLE, VkVariant("Salaries"));
    Put(control, DISPID_QV_TITLE, VkVariant("Salaries"));
    EXPECT_EQ(first->calls, 1);
    EXPECT_EQ(second->calls, 1);
    // A title set in the properties dialog is a change too.
    TwGridProperties properties = View().Properties();
    properties.title = "Payroll";
    View().SetProperties(properties);
    EXPECT_EQ(first->calls, 2);
    ASSERT_EQ(VkUnadvise(control.Get(), DIID__IQuillViewEvents, cookies[0]), S_OK);
    Put(control, DISPID_QV_TITLE, VkVariant("Other"));
    EXPECT_EQ(first->calls, 2);
    EXPECT_EQ(second->calls, 3);
    VkUnadvise(control.Get(), DIID__IQuillViewEvents, cookies[1]);
}

TEST_F(QuillViewCtrl, TheHostGetsTheWindowTreeAndClosesItOnce)
{
    QWidget host;
    host.resize(500, 300);
    host.show();
    ComPtr<IVkControlWindow> window;
    ASSERT_EQ(control.As(&window), S_OK);
    QWidget* made = nullptr;
    ASSERT_EQ(window->CreateControlWindow(&host, &made), S_OK);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->parentWidget(), &host);
    EXPECT_EQ(made->size(), host.size());
    // control window -> redirector -> grid view, each filling the last.
    TwGridViewReal* view = Impl(control).GridView();
    ASSERT_NE(view, nullptr);
    auto* redirector = qobject_cast<TwQuillViewRedirector*>(view->parentWidget());
    ASSERT_NE(redirector, nullptr);
    EXPECT_EQ(redirector->parentWidget(), made);
    // The host sizes the control's window; the rest follows it.
    made->resize(640, 480);
    EXPECT_EQ(redirector->size(), QSize(640, 480));
    EXPECT_EQ(view->size(), QSize(640, 480));

    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    ASSERT_EQ(control->Login(), S_OK);
    EXPECT_EQ(window->DestroyControlWindow(), S_OK);
    EXPECT_EQ(window->DestroyControlWindow(), S_FALSE);
    EXPECT_EQ(window->CreateControlWindow(&host, &made), E_FAIL);
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
    // Every member still answers, with its default.
    EXPECT_EQ(Text(control, DISPID_QV_DATABASE), "");
    EXPECT_EQ(Text(control, DISPID_QV_TITLE), "");
    EXPECT_FALSE(Flag(control, DISPID_QV_IDLE));
    EXPECT_EQ(control->Run(), S_OK);
    ComPtr<IStream> stream = NewStream();
    EXPECT_EQ(control->Persist(stream.Get(), VARIANT_TRUE, VARIANT_FALSE), E_FAIL);
}

TEST_F(QuillViewCtrl, RegistrationWritesTheControlKeysAndRemovesThem)
{
    ASSERT_TRUE(qvtest::RegisterModule("TwQlVw"));
    const std::string vkreg = "'" + qvtest::BinPath("vkreg").string() + "' export ";
    std::string clsid;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\CLSID\\" TWQLVW_CLSID "'", &clsid), 0);
    for (const char* expected :
         {"@=\"QuillView Class\"", "\\ProgID]\n@=\"TwQlVw.QuillView.1\"",
          "\\VersionIndependentProgID]\n@=\"TwQlVw.QuillView\"", "\\InprocServer32]", "TwQlVw.so\"",
          "\"ThreadingModel\"=\"Apartment\"", "\\Control]", "\\Insertable]", "TwQlVw.so, 102\"",
          "\\MiscStatus\\1]\n@=\"131473\"", "\\TypeLib]\n@=\"" TWQLVW_LIBID "\"", "\\Version]\n@=\"1.0\""})
        EXPECT_NE(clsid.find(expected), std::string::npos) << expected << "\n" << clsid;
    for (const char* progId : {"TwQlVw.QuillView", "TwQlVw.QuillView.1"}) {
        std::string keys;
        ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\" + progId + "'", &keys), 0);
        EXPECT_NE(keys.find("@=\"QuillView Class\""), std::string::npos) << keys;
        EXPECT_NE(keys.find("\\CLSID]\n@=\"" TWQLVW_CLSID "\""), std::string::npos) << keys;
    }
    std::string current;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\TwQlVw.QuillView'", &current), 0);
    EXPECT_NE(current.find("\\CurVer]\n@=\"TwQlVw.QuillView.1\""), std::string::npos) << current;
    std::string typeLib;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\TypeLib\\" TWQLVW_LIBID "'", &typeLib), 0);
    EXPECT_NE(typeLib.find("\\1.0]\n@=\"TWQLVWLib 1.0 Type Library\""), std::string::npos) << typeLib;
    std::string iface;
    ASSERT_EQ(qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\Interface\\" TWQLVW_IID_IQUILLVIEW "'", &iface), 0);
    EXPECT_NE(iface.find("@=\"IQuillView\""), std::string::npos) << iface;

    // Created by its ProgID through the runtime, as a host would.
    {
        CLSID byName{};
        VkBstr progId("TwQlVw.QuillView");
        ASSERT_EQ(CLSIDFromProgID(progId.Get(), &byName), S_OK);
        EXPECT_TRUE(IsEqualCLSID(byName, CLSID_QuillView));
    }

    ASSERT_EQ(qvtest::RunCommand("'" + qvtest::BinPath("regsvr").string() + "' /u /s '" +
                                 qvtest::LibPath("TwQlVw.so").string() + "'"),
              0);
    for (const std::string& key : {std::string("CLSID\\" TWQLVW_CLSID), std::string("TwQlVw.QuillView"),
                                  std::string("TwQlVw.QuillView.1"), std::string("TypeLib\\" TWQLVW_LIBID)}) {
        std::string after;
        qvtest::RunCommand(vkreg + "'HKEY_CLASSES_ROOT\\" + key + "'", &after);
        EXPECT_EQ(after.find("QuillView"), std::string::npos) << key << "\n" << after;
        EXPECT_EQ(after.find("TWQLVWLib"), std::string::npos) << key << "\n" << after;
    }
}

// Every help topic the grid names is shipped in the build.
TEST(TwQlVwHelp, EveryTopicExists)
{
    for (UINT topic : {IDS_GV_HELP_GRID_TOPIC, IDS_GV_HELP_CELL_TOPIC})
        EXPECT_FALSE(VkHelpTopicPath(TwQlVwHelpFile(), TwQlVwStrings().Load(topic)).empty())
            << TwQlVwStrings().Load(topic);
    EXPECT_FALSE(VkHelpTopicPath(TwQlVwHelpFile(), "").empty());
}

// The cell dialog's Help button and the grid's Help item open their topics.
TEST(TwQlVwHelp, TheCellDialogAndTheGridMenuOpenTheirTopics)
{
    TwCellSqlDlg dialog(TwCellSqlItem{});
    auto* help = dialog.findChild<QPushButton*>("help");
    ASSERT_NE(help, nullptr);
    ASSERT_TRUE(help->isEnabled());
    help->click();
    ASSERT_NE(VkHelpWindow(), nullptr);
    EXPECT_EQ(VkHelpWindow()->windowTitle(), "Cell PL/SQL");

    TwGridViewReal view;
    std::unique_ptr<QMenu> menu(view.ContextMenu(-1, -1));
    QAction* item = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == "Help")
            item = action;
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_EQ(VkHelpWindow()->windowTitle(), "The SQL Grid");
    delete VkHelpWindow();
}

// The control on the demo database: logon by its stored details, a run,
// and OnLogin to every sink.
class QuillViewOnDemo : public qvtest::DemoDatabaseTest {
protected:
    VkModalScript modal;
};

TEST_F(QuillViewOnDemo, LoginRaisesOnLoginToEverySinkAndRunFillsTheGrid)
{
    ComPtr<IQuillView> control = Make();
    ComPtr<LoginSink> first(new LoginSink), second(new LoginSink);
    DWORD cookies[2] = {};
    ASSERT_EQ(VkAdvise(control.Get(), DIID__IQuillViewEvents, first.Get(), &cookies[0]), S_OK);
    ASSERT_EQ(VkAdvise(control.Get(), DIID__IQuillViewEvents, second.Get(), &cookies[1]), S_OK);
    Put(control, DISPID_QV_DATABASE, VkVariant("DEMO"));
    Put(control, DISPID_QV_USERNAME, VkVariant("scott"));
    Put(control, DISPID_QV_PASSWORD, VkVariant("tiger"));
    ASSERT_EQ(VkInvoke(control.Get(), DISPID_QV_LOGIN, DISPATCH_METHOD), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return first->calls == 1 && second->calls == 1; }));
    EXPECT_TRUE(Flag(control, DISPID_QV_CONNECTED, DISPATCH_METHOD));

    Impl(control).GridView()->SqlEdit()->setPlainText("select * from emp");
    ASSERT_EQ(VkInvoke(control.Get(), DISPID_QV_RUN, DISPATCH_METHOD), S_OK);
    QTableWidget* table = Impl(control).GridView()->Grid()->Table();
    ASSERT_TRUE(WaitUntil([&] { return table->rowCount() == 14 && Flag(control, DISPID_QV_IDLE); }));
    // The status image shows the finished run, standing still.
    TwStatusImagePane* image = Impl(control).GridView()->Grid()->StatusCtrl()->ImagePane();
    ASSERT_TRUE(WaitUntil([&] { return image->Image() == IDB_TW_DONE; }));
    EXPECT_FALSE(image->Animating());
    EXPECT_FALSE(image->pixmap().isNull());

    ASSERT_EQ(control->Disconnect(), S_OK);
    ASSERT_TRUE(WaitUntil([&] { return first->calls == 2 && second->calls == 2; }));
    EXPECT_FALSE(Flag(control, DISPID_QV_CONNECTED, DISPATCH_METHOD));
    VkUnadvise(control.Get(), DIID__IQuillViewEvents, cookies[0]);
    VkUnadvise(control.Get(), DIID__IQuillViewEvents, cookies[1]);
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
