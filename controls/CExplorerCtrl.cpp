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

constexpr auto s_controlKeys = VkControlClassKeys("%MODULE%, 105", "{495D9791-1923-4D57-A2EC-89FFA4FD8AA3}");

} // namespace

CExplorerCtrl::CExplorerCtrl() : m_window(new CExplorerReal)
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
    DestroyControlWindow();
    m_events.UnadviseAll();
}

void CExplorerCtrl::SetLogonDialog(LogonDialog dialog)
{
    Dialog() = std::move(dialog);
}

COracleExplorerTree* CExplorerCtrl::Tree() const
{
    return m_window ? m_window->Tree() : nullptr;
}

HRESULT CExplorerCtrl::CreateControlWindow(QWidget* parent, QWidget** window)
{
    return VkHandOverControlWindow(m_window, parent, window);
}

HRESULT CExplorerCtrl::DestroyControlWindow()
{
    if (!m_window)
        return S_FALSE;
    // The worker goes first: it raises events through this object.
    m_window->Tree()->SetLoginHandler(nullptr);
    m_window->Tree()->Stop();
    delete m_window.data();
    return S_OK;
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
    COracleExplorerTree* tree = Tree();
    if (!tree)
        return S_OK;
    std::string host = tree->Database(), user = tree->UserName(), password = tree->Password();
    const bool confirmed =
        Dialog() ? Dialog()(host, user, password) : ShowExplorerLogon(m_window.data(), host, user, password);
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
    *pRet = Bool(Tree() && Tree()->Connected());
    return S_OK;
}

HRESULT CExplorerCtrl::Persist(IUnknown*, VARIANT_BOOL)
{
    return S_OK;
}

HRESULT CExplorerCtrl::Login()
{
    if (COracleExplorerTree* tree = Tree())
        tree->Login();
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
    if (COracleExplorerTree* tree = Tree())
        tree->Disconnect();
    return S_OK;
}

HRESULT CExplorerCtrl::get_Database(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(Tree() ? Tree()->Database() : std::string());
    return S_OK;
}

HRESULT CExplorerCtrl::put_Database(BSTR value)
{
    if (COracleExplorerTree* tree = Tree())
        tree->SetDatabase(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::get_UserName(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(Tree() ? Tree()->UserName() : std::string());
    return S_OK;
}

HRESULT CExplorerCtrl::put_UserName(BSTR value)
{
    if (COracleExplorerTree* tree = Tree())
        tree->SetUserName(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::get_Password(BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = VkBstrFromUtf8(Tree() ? Tree()->Password() : std::string());
    return S_OK;
}

HRESULT CExplorerCtrl::put_Password(BSTR value)
{
    if (COracleExplorerTree* tree = Tree())
        tree->SetPassword(VkBstrToUtf8(value));
    return S_OK;
}

HRESULT CExplorerCtrl::Reset()
{
    if (COracleExplorerTree* tree = Tree())
        tree->Reset();
    return S_OK;
}

HRESULT CExplorerCtrl::Connecting(VARIANT_BOOL* pbReturn)
{
    if (!pbReturn)
        return E_POINTER;
    *pbReturn = Bool(Tree() && Tree()->Connecting());
    return S_OK;
}

const VkDispatchTable<CExplorerCtrl>& CExplorerCtrl::DispatchTable()
{
    using Call = VkDispatchCall;
    using C = CExplorerCtrl;
    static const VkDispatchTable<C> table =
        VkDispatchTable<C>()
            .MethodOf(DISPID_EX_INTERACTIVE_LOGIN, "Interactive_Login", &C::Interactive_Login)
            .MethodOf(DISPID_EX_CONNECTED, "Connected", &C::Connected)
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
            .MethodOf(DISPID_EX_LOGIN, "Login", &C::Login)
            .Method(DISPID_EX_GETIUNKNOWN, "GetIUnknown", 0, 0,
                    [](C& c, Call& call) {
                        // A value handed out holds its own reference.
                        return call.ReturnObject(static_cast<IExplorerCtrl*>(&c));
                    })
            .MethodOf(DISPID_EX_RECONNECT, "Reconnect", &C::Reconnect)
            .MethodOf(DISPID_EX_DISCONNECT, "Disconnect", &C::Disconnect)
            .GetOf(DISPID_EX_DATABASE, "Database", &C::get_Database)
            .PutOf(DISPID_EX_DATABASE, "Database", &C::put_Database)
            .GetOf(DISPID_EX_USERNAME, "UserName", &C::get_UserName)
            .PutOf(DISPID_EX_USERNAME, "UserName", &C::put_UserName)
            .GetOf(DISPID_EX_PASSWORD, "Password", &C::get_Password)
            .PutOf(DISPID_EX_PASSWORD, "Password", &C::put_Password)
            .MethodOf(DISPID_EX_RESET, "Reset", &C::Reset)
            .MethodOf(DISPID_EX_CONNECTING, "Connecting", &C::Connecting);
    return table;
}
