// The explorer control through its dispatch interface, as a host drives it:
// properties, Login/Reconnect/Disconnect/Reset, Connected/Connecting and
// the OnLogin event on the connection points.

#include "controls/CExplorerCtrl.h"
#include "controls/CQueueLogonDlg.h"
#include "generic/VkModalScript.h"
#include "controls/CExplorerReal.h"
#include "controls/COracleExplorerTree.h"
#include "controls/ISchedulerCtrl.h"
#include "platform/ComPtr.h"
#include "platform/VkVariant.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/EventCounter.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <atomic>
#include <map>

namespace {

using qvtest::WaitUntil;

// Notes OnLogin, as a host's sink does (it is called on the tree's thread).
using LoginSink = qvtest::EventCounter<DIID__IExplorerCtrlEvents, DISPID_EX_ONLOGIN>;

class ExplorerCtrl : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(VkCreateObject<CExplorerCtrl>(IID_IDispatch, reinterpret_cast<void**>(m_control.GetAddressOf())), S_OK);
        m_sink = ComPtr<LoginSink>(new LoginSink);
        ASSERT_EQ(VkAdvise(m_control.Get(), DIID__IExplorerCtrlEvents, m_sink.Get(), &m_cookie), S_OK);
    }

    void TearDown() override
    {
        if (m_control)
            VkUnadvise(m_control.Get(), DIID__IExplorerCtrlEvents, m_cookie);
    }

    HRESULT Call(DISPID id, std::initializer_list<VARIANT> args = {}, VARIANT* result = nullptr)
    {
        return VkInvoke(m_control.Get(), id, DISPATCH_METHOD, args, result);
    }

    bool Flag(DISPID id)
    {
        VkVariant result;
        EXPECT_EQ(Call(id, {}, &result), S_OK);
        bool value = false;
        EXPECT_EQ(result.ToBool(&value), S_OK);
        return value;
    }

    std::string Get(DISPID id)
    {
        VkVariant result;
        EXPECT_EQ(VkInvoke(m_control.Get(), id, DISPATCH_PROPERTYGET, {}, &result), S_OK);
        std::string text;
        result.ToText(&text);
        return text;
    }

    void Put(DISPID id, const char* value)
    {
        EXPECT_EQ(VkInvoke(m_control.Get(), id, DISPATCH_PROPERTYPUT, {VkVariant(value)}), S_OK);
    }

    CExplorerReal* Window() { return static_cast<CExplorerCtrl*>(static_cast<IExplorerCtrl*>(m_control.Get()))->Window(); }

    ComPtr<IDispatch> m_control;
    ComPtr<LoginSink> m_sink;
    DWORD m_cookie = 0;
};

TEST_F(ExplorerCtrl, PropertiesOnlyStoreTheirText)
{
    const DISPID ids[] = {DISPID_EX_DATABASE, DISPID_EX_USERNAME, DISPID_EX_PASSWORD};
    const char* values[] = {"LEGACY", "scott", "ti'ger"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Get(ids[i]), "");
        Put(ids[i], values[i]);
        EXPECT_EQ(Get(ids[i]), values[i]);
    }
    EXPECT_EQ(Window()->Tree()->ConnectString(), "scott/ti'ger@LEGACY");
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTED));
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTING));
    EXPECT_EQ(m_sink->calls.load(), 0);
    // Persist does nothing; Reset and Disconnect while not connected do nothing.
    EXPECT_EQ(Call(DISPID_EX_PERSIST, {VkVariant(static_cast<IUnknown*>(nullptr)), VkVariant(true)}), S_OK);
    EXPECT_EQ(Call(DISPID_EX_RESET), S_OK);
    EXPECT_EQ(Call(DISPID_EX_DISCONNECT), S_OK);
    QCoreApplication::processEvents();
    EXPECT_EQ(Window()->Tree()->topLevelItemCount(), 0);
    EXPECT_EQ(m_sink->calls.load(), 0);
}

TEST_F(ExplorerCtrl, GetIUnknownAnswersTheControlItself)
{
    VkVariant result;
    ASSERT_EQ(Call(DISPID_EX_GETIUNKNOWN, {}, &result), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    ComPtr<IUnknown> fromResult, own;
    ASSERT_EQ(result.pdispVal->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(fromResult.GetAddressOf())), S_OK);
    ASSERT_EQ(m_control->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(own.GetAddressOf())), S_OK);
    EXPECT_EQ(fromResult.Get(), own.Get());
}

TEST_F(ExplorerCtrl, GetIUnknownLeavesTheReferenceCountAlone)
{
    auto references = [this] {
        m_control->AddRef();
        return m_control->Release();
    };
    ComPtr<IExplorerCtrl> control;
    ASSERT_EQ(m_control->QueryInterface(IID_IExplorerCtrl, reinterpret_cast<void**>(control.GetAddressOf())), S_OK);
    const ULONG before = references();
    IUnknown* unknown = nullptr;
    ASSERT_EQ(control->GetIUnknown(&unknown), S_OK);
    ASSERT_NE(unknown, nullptr);
    EXPECT_EQ(references(), before);
    EXPECT_EQ(control->GetIUnknown(nullptr), E_POINTER);
}

TEST_F(ExplorerCtrl, InteractiveLoginWithoutTheDialogConfirmedChangesNothing)
{
    // The explorer's own logon dialog: the queue logon titled for it, without
    // the administrator view; cancelled here.
    VkVariant result;
    bool confirmed = true;
    {
        VkModalScript modal;
        modal.AnswerDialog([](QDialog* d) {
            auto* dlg = dynamic_cast<CQueueLogonDlg*>(d);
            EXPECT_NE(dlg, nullptr);
            if (dlg) {
                EXPECT_EQ(dlg->windowTitle(), "Explorer Logon");
                EXPECT_FALSE(dlg->AdministratorViewOffered());
            }
            return int(QDialog::Rejected);
        });
        ASSERT_EQ(Call(DISPID_EX_INTERACTIVE_LOGIN, {}, &result), S_OK);
        EXPECT_TRUE(modal.Exhausted());
    }
    result.ToBool(&confirmed);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(Get(DISPID_EX_DATABASE), "");

    CExplorerCtrl::SetLogonDialog([](std::string& host, std::string& user, std::string& password) {
        host = "NO_SUCH_ALIAS";
        user = "scott";
        password = "tiger";
        return true;
    });
    VkVariant again;
    ASSERT_EQ(Call(DISPID_EX_INTERACTIVE_LOGIN, {}, &again), S_OK);
    CExplorerCtrl::SetLogonDialog(nullptr);
    again.ToBool(&confirmed);
    EXPECT_TRUE(confirmed);
    EXPECT_EQ(Get(DISPID_EX_DATABASE), "NO_SUCH_ALIAS");
    ASSERT_TRUE(WaitUntil([this] { return m_sink->calls >= 2; }));
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTED));
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTING));
}

TEST_F(ExplorerCtrl, LoginReconnectAndDisconnectRaiseOnLogin)
{
    const qvtest::DemoRoot demo;
    ASSERT_TRUE(demo.Provisioned()) << demo.Output();
    Put(DISPID_EX_DATABASE, "DEMO");
    Put(DISPID_EX_USERNAME, "scott");
    Put(DISPID_EX_PASSWORD, "tiger");
    ASSERT_EQ(Call(DISPID_EX_LOGIN), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return m_sink->calls >= 2 && !Flag(DISPID_EX_CONNECTING); }));
    EXPECT_TRUE(Flag(DISPID_EX_CONNECTED));
    EXPECT_EQ(m_sink->calls.load(), 2);
    COracleExplorerTree* tree = Window()->Tree();
    ASSERT_TRUE(WaitUntil([tree] { return tree->topLevelItemCount() == 2 && tree->topLevelItem(1)->childCount() > 0; }));

    // Reconnect: a disconnect (one event), then connecting and connected.
    ASSERT_EQ(Call(DISPID_EX_RECONNECT), S_OK);
    ASSERT_TRUE(WaitUntil([this] { return m_sink->calls >= 5 && !Flag(DISPID_EX_CONNECTING); }));
    EXPECT_TRUE(Flag(DISPID_EX_CONNECTED));
    EXPECT_EQ(m_sink->calls.load(), 5);

    ASSERT_EQ(Call(DISPID_EX_DISCONNECT), S_OK);
    ASSERT_TRUE(WaitUntil([this, tree] { return m_sink->calls >= 6 && tree->topLevelItemCount() == 0; }));
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTED));
}

TEST_F(ExplorerCtrl, TheHostGetsTheWindowAndClosesItOnce)
{
    QWidget host;
    host.resize(350, 450);
    ComPtr<IVkControlWindow> window;
    ASSERT_EQ(m_control.As(&window), S_OK);
    EXPECT_EQ(window->CreateControlWindow(&host, nullptr), E_POINTER);
    QWidget* made = nullptr;
    ASSERT_EQ(window->CreateControlWindow(&host, &made), S_OK);
    ASSERT_EQ(made, Window());
    EXPECT_EQ(made->parentWidget(), &host);
    EXPECT_EQ(made->size(), host.size());
    Put(DISPID_EX_DATABASE, "DEMO");
    EXPECT_EQ(window->DestroyControlWindow(), S_OK);
    EXPECT_EQ(window->DestroyControlWindow(), S_FALSE);
    EXPECT_EQ(window->CreateControlWindow(&host, &made), E_FAIL);
    EXPECT_TRUE(host.findChildren<QWidget*>().isEmpty());
    // Members still answer, with their defaults, and start nothing.
    EXPECT_EQ(Get(DISPID_EX_DATABASE), "");
    EXPECT_EQ(Call(DISPID_EX_LOGIN), S_OK);
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTED));
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTING));
    VkVariant result;
    ASSERT_EQ(Call(DISPID_EX_INTERACTIVE_LOGIN, {}, &result), S_OK);
    bool confirmed = true;
    result.ToBool(&confirmed);
    EXPECT_FALSE(confirmed);
    EXPECT_EQ(m_sink->calls.load(), 0);
}

TEST_F(ExplorerCtrl, AWindowDestroyedWithItsHostLeavesTheControlAnswering)
{
    ComPtr<IVkControlWindow> window;
    ASSERT_EQ(m_control.As(&window), S_OK);
    {
        QWidget host;
        QWidget* made = nullptr;
        ASSERT_EQ(window->CreateControlWindow(&host, &made), S_OK);
    }
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(window->DestroyControlWindow(), S_FALSE);
    EXPECT_FALSE(Flag(DISPID_EX_CONNECTED));
}

TEST(ExplorerCtrlClass, RegistersAsTheExplorerControl)
{
    const VkClassEntry& entry = CExplorerCtrl::ClassEntry();
    EXPECT_STREQ(entry.description, "ExplorerCtrl Class");
    EXPECT_STREQ(entry.progId, "QVCtrl.ExplorerCtrl");
    EXPECT_EQ(entry.version, 1);
    EXPECT_STREQ(entry.threadingModel, "Apartment");
    // An insertable control with its own picture in the shared type library.
    std::map<std::string, std::string> keys;
    for (const VkRegistryEntry& key : entry.extraKeys)
        keys[key.key] = key.value ? key.value : "";
    EXPECT_EQ(keys.count("Insertable"), 1u);
    EXPECT_EQ(keys["ToolboxBitmap32"], "%MODULE%, 105");
    EXPECT_EQ(keys["TypeLib"], QVCTRL_LIBID);
    EXPECT_EQ(keys["MiscStatus\\1"], "131473");
    ComPtr<IUnknown> object;
    ASSERT_EQ(entry.create(nullptr, IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf())), S_OK);
    ComPtr<IExplorerCtrl> control;
    EXPECT_EQ(object->QueryInterface(IID_IExplorerCtrl, reinterpret_cast<void**>(control.GetAddressOf())), S_OK);
    ComPtr<IConnectionPointContainer> points;
    EXPECT_EQ(object->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(points.GetAddressOf())), S_OK);
}

} // namespace
