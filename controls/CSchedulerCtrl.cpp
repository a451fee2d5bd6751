#include "controls/CSchedulerCtrl.h"

#include "controls/CJobListActions.h"
#include "controls/CJobListCtrl.h"
#include "controls/CJobListMenu.h"
#include "controls/CJobListStatusCtrl.h"
#include "controls/CJobQueueMessages.h"
#include "controls/CJobCopyTarget.h"
#include "controls/CJobDetailCommands.h"
#include "controls/CJobSafeStopCommands.h"
#include "controls/CJobExportImport.h"
#include "controls/CQueueCompareCommands.h"
#include "controls/CQueueConnection.h"
#include "controls/CRedirectorWnd.h"
#include "controls/CSchedulerMainDlg.h"
#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ComPtr.h"
#include "platform/OleStreamFile.h"
#include "platform/VkBstr.h"

namespace {

VARIANT_BOOL Bool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

constexpr auto s_controlKeys = VkControlClassKeys("%MODULE%, 102", QVCTRL_LIBID);

} // namespace

CSchedulerCtrl::CSchedulerCtrl()
{
    AddConnectionPoint(&m_events);
    // The control's window is an empty dialog; its initialisation makes the
    // redirector and the composite window inside it.
    m_window = new QWidget;
    m_window->setObjectName(QStringLiteral("SchedulerCtrl"));
    m_window->resize(466, 398);
    m_redirector = new CRedirectorWnd(m_window);
    m_main = new CSchedulerMainDlg;
    m_redirector->SetStretched(m_main);
    CQueueConnection::Attach(*m_main);
    new CJobExportImport(&m_main->List());
    new CJobCopyTarget(&m_main->List());
    CJobDetailCommands::Attach(m_main->List());
    CJobSafeStopCommands::Attach(m_main->List());
    CQueueCompareCommands::Attach(m_main->List());
    // Raised on the worker thread; a sink only notes it.
    m_main->List().Worker().SetLoginHandler([this] { m_events.FireDispatch(DISPID_SC_ONLOGIN); });
}

CSchedulerCtrl::~CSchedulerCtrl()
{
    // The worker goes first: it raises events through this object.
    DestroyControlWindow();
    m_events.UnadviseAll();
}

const VkClassEntry& CSchedulerCtrl::ClassEntry()
{
    static const VkClassEntry entry{.clsid = CLSID_SchedulerCtrl,
                                    .description = "SchedulerCtrl Class",
                                    .progId = "QVCtrl.SchedulerCtrl",
                                    .version = 1,
                                    .threadingModel = "Apartment",
                                    .create = VkCreatorOf<CSchedulerCtrl>,
                                    .extraKeys = s_controlKeys};
    return entry;
}

HRESULT CSchedulerCtrl::CreateControlWindow(QWidget* parent, QWidget** window)
{
    return VkHandOverControlWindow(m_window, parent, window);
}

HRESULT CSchedulerCtrl::DestroyControlWindow()
{
    if (!m_window)
        return S_FALSE;
    if (m_main) {
        m_main->List().Worker().SetLoginHandler(nullptr);
        m_main->List().Shutdown();
    }
    delete m_window.data();
    return S_OK;
}

void CSchedulerCtrl::ListCommand(UINT command)
{
    if (m_main)
        m_main->List().OnCommand(command);
}

HRESULT CSchedulerCtrl::Interactive_Export()
{
    ListCommand(ID_JL_EXPORT);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Import()
{
    ListCommand(ID_JL_IMPORT);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Properties()
{
    if (m_main)
        CQueueConnection::Properties(*m_main);
    return S_OK;
}

HRESULT CSchedulerCtrl::StopAll()
{
    if (m_main)
        m_main->List().Actions().Perform(CJobAction::StopAll);
    return S_OK;
}

HRESULT CSchedulerCtrl::StopSelected()
{
    if (m_main)
        m_main->List().Actions().Perform(CJobAction::Stop);
    return S_OK;
}

HRESULT CSchedulerCtrl::DeleteAll()
{
    return S_OK;
}

HRESULT CSchedulerCtrl::DeleteSelected()
{
    if (m_main)
        m_main->List().Actions().Perform(CJobAction::Remove);
    return S_OK;
}

HRESULT CSchedulerCtrl::CopySelected()
{
    if (m_main)
        m_main->List().Actions().CopySelected();
    return S_OK;
}

HRESULT CSchedulerCtrl::DoPaste()
{
    if (m_main)
        m_main->List().Actions().DoPaste();
    return S_OK;
}

HRESULT CSchedulerCtrl::SelectionCount(LONG* pReturn)
{
    if (!pReturn)
        return E_POINTER;
    *pReturn = m_main ? static_cast<LONG>(m_main->List().SelectedRows().size()) : 0;
    return S_OK;
}

HRESULT CSchedulerCtrl::CanPaste(VARIANT_BOOL* pReturn)
{
    if (!pReturn)
        return E_POINTER;
    *pReturn = Bool(m_main && m_main->List().Actions().CanPaste());
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_New()
{
    ListCommand(ID_JL_NEW);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_NewWizard()
{
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Modify()
{
    if (m_main && !m_main->List().SelectedRows().empty())
        ListCommand(ID_JL_MODIFY);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Forecast()
{
    if (m_main && !m_main->List().SelectedRows().empty())
        ListCommand(ID_JL_FORECAST);
    return S_OK;
}

HRESULT CSchedulerCtrl::StopSafely()
{
    if (m_main && !m_main->List().SelectedRows().empty())
        ListCommand(ID_JL_STOP_SAFELY);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Compare()
{
    ListCommand(ID_JL_COMPARE);
    return S_OK;
}

HRESULT CSchedulerCtrl::RunSelected()
{
    if (m_main)
        m_main->List().Actions().Perform(CJobAction::Run);
    return S_OK;
}

HRESULT CSchedulerCtrl::BreakSelected()
{
    if (m_main)
        m_main->List().Actions().Perform(CJobAction::Break);
    return S_OK;
}

HRESULT CSchedulerCtrl::Interactive_Login(VARIANT_BOOL* pReturn)
{
    if (!pReturn)
        return E_POINTER;
    *pReturn = Bool(m_main && CQueueConnection::Connect(m_main->List(), true));
    return S_OK;
}

namespace {
enum LogonPart { PartHost, PartUser, PartPassword };
}

HRESULT CSchedulerCtrl::get_Database(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = VkBstrFromUtf8(m_main ? m_main->List().Worker().Host() : std::string());
    return S_OK;
}

HRESULT CSchedulerCtrl::get_UserName(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = VkBstrFromUtf8(m_main ? m_main->List().Worker().UserName() : std::string());
    return S_OK;
}

HRESULT CSchedulerCtrl::get_Password(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = VkBstrFromUtf8(m_main ? m_main->List().Worker().Password() : std::string());
    return S_OK;
}

void CSchedulerCtrl::SetLogonPart(int part, BSTR value)
{
    if (!m_main)
        return;
    CJobQueueWorker& worker = m_main->List().Worker();
    std::string host = worker.Host(), user = worker.UserName(), password = worker.Password();
    const std::string text = VkBstrToUtf8(value);
    (part == PartHost ? host : part == PartUser ? user : password) = text;
    m_main->List().SetLogon(host, user, password);
}

HRESULT CSchedulerCtrl::put_Database(BSTR newVal)
{
    SetLogonPart(PartHost, newVal);
    return S_OK;
}

HRESULT CSchedulerCtrl::put_UserName(BSTR newVal)
{
    SetLogonPart(PartUser, newVal);
    return S_OK;
}

HRESULT CSchedulerCtrl::put_Password(BSTR newVal)
{
    SetLogonPart(PartPassword, newVal);
    return S_OK;
}

HRESULT CSchedulerCtrl::Refresh()
{
    if (m_main)
        m_main->List().RequestRefresh();
    return S_OK;
}

HRESULT CSchedulerCtrl::Connected(VARIANT_BOOL* pRet)
{
    if (!pRet)
        return E_POINTER;
    *pRet = Bool(m_main && m_main->List().IsConnected());
    return S_OK;
}

HRESULT CSchedulerCtrl::get_Items(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_main ? static_cast<LONG>(m_main->List().Model().rowCount()) : 0;
    return S_OK;
}

HRESULT CSchedulerCtrl::Persist(IUnknown* pStream, VARIANT_BOOL bLoad)
{
    ComPtr<IStream> stream;
    if (!pStream || FAILED(pStream->QueryInterface(IID_IStream, reinterpret_cast<void**>(stream.ReleaseAndGetAddressOf()))))
        return E_FAIL;
    if (!m_main)
        return E_FAIL;
    // Only VARIANT_TRUE loads; any other value, 1 included, stores.
    const bool loading = bLoad == VARIANT_TRUE;
    try {
        COleStreamFile file(stream.Get());
        file.SeekToBegin();
        CArchive ar(&file, loading ? CArchive::load : CArchive::store, 4096);
        m_main->List().Serialize(ar);
        if (loading) {
            BYTE show = 1;
            ar >> show;
            m_main->ShowStatusBar(show != 0);
            // Queues saved before the alert switch end here: it stays on.
            BYTE notify = 1;
            try {
                ar >> notify;
            } catch (const CArchiveException& e) {
                if (e.m_cause != CArchiveException::endOfFile)
                    throw;
            }
            m_main->List().SetNotifyAlerts(notify != 0);
        } else {
            ar << static_cast<BYTE>(m_main->StatusBarShown() ? 1 : 0);
            ar << static_cast<BYTE>(m_main->List().NotifyAlerts() ? 1 : 0);
        }
        ar.Close();
    } catch (const CException&) {
        return E_FAIL;
    } catch (const std::exception&) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CSchedulerCtrl::Login()
{
    if (m_main)
        m_main->List().Reconnect();
    return S_OK;
}

HRESULT CSchedulerCtrl::GetIUnknown(IUnknown** ppunk)
{
    if (!ppunk)
        return E_POINTER;
    *ppunk = Identity();
    return S_OK;
}

HRESULT CSchedulerCtrl::Reconnect()
{
    return Login();
}

HRESULT CSchedulerCtrl::Disconnect()
{
    if (m_main)
        m_main->List().Worker().PostRequest(ReqDisconnect);
    return S_OK;
}

HRESULT CSchedulerCtrl::SetExternalExplorer(LONG hWnd)
{
    m_externalExplorer = hWnd;
    return S_OK;
}

const VkDispatchTable<CSchedulerCtrl>& CSchedulerCtrl::DispatchTable()
{
    using Call = VkDispatchCall;
    using C = CSchedulerCtrl;
    static const VkDispatchTable<C> table =
        VkDispatchTable<C>()
            .MethodOf(DISPID_SC_INTERACTIVE_EXPORT, "Interactive_Export", &C::Interactive_Export)
            .MethodOf(DISPID_SC_INTERACTIVE_IMPORT, "Interactive_Import", &C::Interactive_Import)
            .MethodOf(DISPID_SC_INTERACTIVE_PROPERTIES, "Interactive_Properties", &C::Interactive_Properties)
            .MethodOf(DISPID_SC_STOPALL, "StopAll", &C::StopAll)
            .MethodOf(DISPID_SC_STOPSELECTED, "StopSelected", &C::StopSelected)
            .MethodOf(DISPID_SC_DELETEALL, "DeleteAll", &C::DeleteAll)
            .MethodOf(DISPID_SC_DELETESELECTED, "DeleteSelected", &C::DeleteSelected)
            .MethodOf(DISPID_SC_COPYSELECTED, "CopySelected", &C::CopySelected)
            .MethodOf(DISPID_SC_DOPASTE, "DoPaste", &C::DoPaste)
            .MethodOf(DISPID_SC_SELECTIONCOUNT, "SelectionCount", &C::SelectionCount)
            .MethodOf(DISPID_SC_CANPASTE, "CanPaste", &C::CanPaste)
            .MethodOf(DISPID_SC_INTERACTIVE_NEW, "Interactive_New", &C::Interactive_New)
            .MethodOf(DISPID_SC_INTERACTIVE_NEWWIZARD, "Interactive_NewWizard", &C::Interactive_NewWizard)
            .MethodOf(DISPID_SC_INTERACTIVE_MODIFY, "Interactive_Modify", &C::Interactive_Modify)
            .MethodOf(DISPID_SC_RUNSELECTED, "RunSelected", &C::RunSelected)
            .MethodOf(DISPID_SC_BREAKSELECTED, "BreakSelected", &C::BreakSelected)
            .MethodOf(DISPID_SC_INTERACTIVE_LOGIN, "Interactive_Login", &C::Interactive_Login)
            .GetOf(DISPID_SC_DATABASE, "Database", &C::get_Database)
            .PutOf(DISPID_SC_DATABASE, "Database", &C::put_Database)
            .GetOf(DISPID_SC_USERNAME, "UserName", &C::get_UserName)
            .PutOf(DISPID_SC_USERNAME, "UserName", &C::put_UserName)
            .GetOf(DISPID_SC_PASSWORD, "Password", &C::get_Password)
            .PutOf(DISPID_SC_PASSWORD, "Password", &C::put_Password)
            .MethodOf(DISPID_SC_REFRESH, "Refresh", &C::Refresh)
            .MethodOf(DISPID_SC_CONNECTED, "Connected", &C::Connected)
            .GetOf(DISPID_SC_ITEMS, "Items", &C::get_Items)
            .Method(DISPID_SC_PERSIST, "Persist", 2, 2,
                    [](C& c, Call& call) {
                        IUnknown* stream = nullptr;
                        HRESULT hr = call.GetObject(0, &stream);
                        // Only VARIANT_TRUE (all 16 bits) loads; 1 stores.
                        LONG load = 0;
                        if (SUCCEEDED(hr))
                            hr = call.GetLong(1, &load);
                        if (SUCCEEDED(hr))
                            hr = c.Persist(stream, load == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE);
                        if (stream)
                            stream->Release();
                        return hr;
                    })
            .MethodOf(DISPID_SC_LOGIN, "Login", &C::Login)
            .Method(DISPID_SC_GETIUNKNOWN, "GetIUnknown", 0, 0,
                    [](C& c, Call& call) {
                        // The value handed out holds its own reference, which
                        // the caller's clearing of the result gives back.
                        return call.ReturnObject(static_cast<ISchedulerCtrl*>(&c));
                    })
            .MethodOf(DISPID_SC_RECONNECT, "Reconnect", &C::Reconnect)
            .MethodOf(DISPID_SC_DISCONNECT, "Disconnect", &C::Disconnect)
            .Method(DISPID_SC_SETEXTERNALEXPLORER, "SetExternalExplorer", 1, 1, [](C& c, Call& call) {
                LONG handle = 0;
                const HRESULT hr = call.GetLong(0, &handle);
                return FAILED(hr) ? hr : c.SetExternalExplorer(handle);
            })
            .MethodOf(DISPID_SC_INTERACTIVE_FORECAST, "Interactive_Forecast", &C::Interactive_Forecast)
            .MethodOf(DISPID_SC_STOPSAFELY, "StopSafely", &C::StopSafely)
            .MethodOf(DISPID_SC_INTERACTIVE_COMPARE, "Interactive_Compare", &C::Interactive_Compare);
    return table;
}
