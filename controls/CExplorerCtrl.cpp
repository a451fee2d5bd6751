#include "controls/CExplorerCtrl.h"

#include "controls/CExplorerReal.h"
#include "controls/COracleExplorerTree.h"
#include "controls/CQueueLogonDlg.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"
#include "platform/VkBstr.h"

namespace {

// The queue logon dialog titled for the explorer, without the
// administrator view.
bool ShowExplorerLogon(QWidget* owner, std::string& host, std::string& user, std::string& password)
{
    CQueueLogonDlg dlg(QVCtrlString(IDS_EX_LOGON_PREFIX), owner);
    dlg.SetOfferAdministratorView(false);
    if (VkModalService::DoModal(&dlg) != QDialog::Accepted)
        return false;
    host = dlg.Host();
    user = dlg.User();
    password = dlg.Password();
    return true;
}

CExplorerCtrl::LogonDialog& Dialog()
{
    static CExplorerCtrl::LogonDialog dialog;
    return dialog;
}

VARIANT_BOOL Bool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

const VkRegistryEntry s_controlKeys[] = {
    {"Programmable"},
    {"Control"},
    {"Insertable"},
    {"MiscStatus", nullptr, "0"},
    {"MiscStatus\\1", nullptr, "131473"},
    {"ToolboxBitmap32", nullptr, "%MODULE%, 105"},
    {"TypeLib", nullptr, "{495D9791-1923-4D57-A2EC-89FFA4FD8AA3}"},
    {"Version", nullptr, "1.0"},
};

} // namespace

CExplorerCtrl::CExplorerCtrl() : m_window(std::make_unique<CExplorerReal>())
{
    AddConnectionPoint(&m_events);
    // Raised on the tree's worker thread; a sink only notes it.
    m_window->Tree()->SetLoginHandler([this] { m_events.FireDispatch(DISPID_EX_ONLOGIN); });
    m_window->SetHostHandler([this] {
        VARIANT_BOOL ignored = VARIANT_FALSE;
        Interactive_Login(&ignored);
    });
}

CExplorerCtrl::~CExplorerCtrl()
{
    // The worker goes first: it raises events through this object.
    m_window->Tree()->Stop();
    m_window.reset();
    m_events.UnadviseAll();
}

void CExplorerCtrl::SetLogonDialog(LogonDialog dialog)
{
    Dialog() = std::move(dialog);
}

const VkClassEntry& CExplorerCtrl::ClassEntry()
{
    static const VkClassEntry entry{.clsid = CLSID_ExplorerCtrl,
                                    .description = "ExplorerCtrl Class",
                                    .progId = "QVCtrl.ExplorerCtrl",
                                    .version = 1,
                                    .threadingModel = "Apartment",
                                    .create = VkCreatorOf<CExplorerCtrl>,
                                    .extraKeys = s_controlKeys};
    return entry;
}

HRESULT CExplorerCtrl::Interactive_Login(VARIANT_BOOL* pReturn)
{
    if (!pReturn)
        return E_POINTER;
    *pReturn = VARIANT_FALSE;
    COracleExplorerTree* tree = m_window->Tree();
    std::string host = tree->Database(), user = tree->UserName(), password = tree->Password();
    const bool confirmed =
        Dialog() ? Dialog()(host, user, password) : ShowExplorerLogon(m_window.get(), host, user, password);
    if (!confirmed)
        return S_OK;
    tree->SetDatabase(host);
    tree->SetUserName(user);
    tree->SetPassword(password);
    tree->Login();
    *pReturn = VARIANT_TRUE;
    return S_OK;
}

HRESULT CExplorerCtrl::Connected(VARIANT_BOOL* pRet)
{
    if (!pRet)
        return E_POINTER;
    *pRet = Bool(m_window->Tree()->Connected());
    return S_OK;
}

HRESULT CExplorerCtrl::Persist(IUnknown*, VARIANT_BOOL)
{
    return S_OK;
}

HRESULT CExplorerCtrl::Login()
{
    m_window->Tree()->Login();
    return S_OK;
}

HRESULT CExplorerCtrl::GetIUnknown(IUnknown** ppunk)
{
    if (!ppunk)
        return E_POINTER;
    // Without an added reference: hosts use it only while they hold the
    // control, to reach its connection points.
    *ppunk = Identity();
    return S_OK;
}

HRESULT CExplorerCtrl::Reconnect()
{
    return Login();
}

HRESULT CExplorerCtrl::Disconnect()
{
    m_window->Tree()->Disconnect();
    return S_OK;
}

HRESULT CExplorerCtrl::get_Database(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(m_window->Tree()->Database());
    return S_OK;
}

HRESULT CExplorerCtrl::put_Database(BSTR value)
{
    m_window->Tree()->SetDatabase(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::get_UserName(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(m_window->Tree()->UserName());
    return S_OK;
}

HRESULT CExplorerCtrl::put_UserName(BSTR value)
{
    m_window->Tree()->SetUserName(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::get_Password(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(m_window->Tree()->Password());
    return S_OK;
}

HRESULT CExplorerCtrl::put_Password(BSTR value)
{
    m_window->Tree()->SetPassword(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::Reset()
{
    m_window->Tree()->Reset();
    return S_OK;
}

HRESULT CExplorerCtrl::Connecting(VARIANT_BOOL* pbReturn)
{
    if (!pbReturn)
        return E_POINTER;
    *pbReturn = Bool(m_window->Tree()->Connecting());
    return S_OK;
}

const VkDispatchTable<CExplorerCtrl>& CExplorerCtrl::DispatchTable()
{
    using Call = VkDispatchCall;
    using C = CExplorerCtrl;
    auto flag = [](HRESULT (C::*get)(VARIANT_BOOL*)) {
        return [get](C& c, Call& call) {
            VARIANT_BOOL value = VARIANT_FALSE;
            const HRESULT hr = (c.*get)(&value);
            return FAILED(hr) ? hr : call.ReturnBool(value != VARIANT_FALSE);
        };
    };
    auto text = [](HRESULT (C::*get)(BSTR*)) {
        return [get](C& c, Call& call) {
            BSTR value = nullptr;
            const HRESULT hr = (c.*get)(&value);
            const std::string utf8 = VkBstrToUtf8(value);
            SysFreeString(value);
            return FAILED(hr) ? hr : call.ReturnText(utf8);
        };
    };
    auto setText = [](HRESULT (C::*put)(BSTR)) {
        return [put](C& c, Call& call) {
            BSTR value = nullptr;
            HRESULT hr = call.GetBstr(0, &value);
            if (SUCCEEDED(hr))
                hr = (c.*put)(value);
            SysFreeString(value);
            return hr;
        };
    };
    auto plain = [](HRESULT (C::*fn)()) { return [fn](C& c, Call&) { return (c.*fn)(); }; };
    static const VkDispatchTable<C> table =
        VkDispatchTable<C>()
            .Method(DISPID_EX_INTERACTIVE_LOGIN, "Interactive_Login", 0, 0, flag(&C::Interactive_Login))
            .Method(DISPID_EX_CONNECTED, "Connected", 0, 0, flag(&C::Connected))
            .Method(DISPID_EX_PERSIST, "Persist", 2, 2,
                    [](C& c, Call& call) {
                        IUnknown* stream = nullptr;
                        bool load = false;
                        HRESULT hr = call.GetObject(0, &stream);
                        if (SUCCEEDED(hr))
                            hr = call.GetBool(1, &load);
                        if (SUCCEEDED(hr))
                            hr = c.Persist(stream, Bool(load));
                        if (stream)
                            stream->Release();
                        return hr;
                    })
            .Method(DISPID_EX_LOGIN, "Login", 0, 0, plain(&C::Login))
            .Method(DISPID_EX_GETIUNKNOWN, "GetIUnknown", 0, 0,
                    [](C& c, Call& call) {
                        // A value handed out holds its own reference.
                        return call.ReturnObject(static_cast<IExplorerCtrl*>(&c));
                    })
            .Method(DISPID_EX_RECONNECT, "Reconnect", 0, 0, plain(&C::Reconnect))
            .Method(DISPID_EX_DISCONNECT, "Disconnect", 0, 0, plain(&C::Disconnect))
            .Get(DISPID_EX_DATABASE, "Database", text(&C::get_Database))
            .Put(DISPID_EX_DATABASE, "Database", setText(&C::put_Database))
            .Get(DISPID_EX_USERNAME, "UserName", text(&C::get_UserName))
            .Put(DISPID_EX_USERNAME, "UserName", setText(&C::put_UserName))
            .Get(DISPID_EX_PASSWORD, "Password", text(&C::get_Password))
            .Put(DISPID_EX_PASSWORD, "Password", setText(&C::put_Password))
            .Method(DISPID_EX_RESET, "Reset", 0, 0, plain(&C::Reset))
            .Method(DISPID_EX_CONNECTING, "Connecting", 0, 0, flag(&C::Connecting));
    return table;
}
