#include "gridview/QuillView.h"

#include "gridview/TwQuillGrid.h"
#include "gridview/TwQuillGridWorker.h"
#include "platform/ArchiveException.h"
#include "platform/ComPtr.h"
#include "platform/OleStreamFile.h"
#include "platform/VkBstr.h"

#include <QObject>

#include <vector>

namespace {

VARIANT_BOOL Bool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

constexpr auto s_controlKeys = VkControlClassKeys("%MODULE%, 102", TWQLVW_LIBID);

enum LogonPart { PartHost, PartUser, PartPassword };

// Reads the whole stream from its beginning.
std::vector<BYTE> ReadAll(COleStreamFile& file)
{
    file.SeekToBegin();
    std::vector<BYTE> bytes;
    BYTE buffer[4096];
    for (UINT got; (got = file.Read(buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + got);
    return bytes;
}

} // namespace

QuillView::QuillView()
{
    AddConnectionPoint(&m_events);
    // The control's window is an empty dialog; its initialisation makes the
    // redirector and the grid view inside it.
    m_window = new QWidget;
    m_window->setObjectName(QStringLiteral("QuillView"));
    m_window->resize(466, 398);
    m_redirector = new TwQuillViewRedirector(m_window);
    m_view = new TwGridViewReal;
    m_redirector->SetStretched(m_view);
    // Both arrive on the interface thread (the grid queues the worker's
    // login notice to itself), so sinks are called there.
    QObject::connect(m_view, &TwGridViewReal::loginFinished, m_view,
                     [this] { m_events.FireDispatch(DISPID_QV_ONLOGIN); });
    QObject::connect(m_view, &TwGridViewReal::titleChanged, m_view,
                     [this] { m_events.FireDispatch(DISPID_QV_ONTITLECHANGE); });
}

QuillView::~QuillView()
{
    // The worker goes first: it raises events through this object.
    DestroyControlWindow();
    m_events.UnadviseAll();
}

const VkClassEntry& QuillView::ClassEntry()
{
    static const VkClassEntry entry{.clsid = CLSID_QuillView,
                                    .description = "QuillView Class",
                                    .progId = "TwQlVw.QuillView",
                                    .version = 1,
                                    .threadingModel = "Apartment",
                                    .create = VkCreatorOf<QuillView>,
                                    .extraKeys = s_controlKeys};
    return entry;
}

HRESULT QuillView::CreateControlWindow(QWidget* parent, QWidget** window)
{
    return VkHandOverControlWindow(m_window, parent, window);
}

HRESULT QuillView::DestroyControlWindow()
{
    if (!m_window)
        return S_FALSE;
    if (m_view) {
        QObject::disconnect(m_view, nullptr, m_view, nullptr);
        m_view->Grid()->Shutdown();
    }
    delete m_window.data();
    return S_OK;
}

HRESULT QuillView::GetLogonPart(int part, BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    std::string text;
    if (m_view) {
        TwQuillGridWorker& worker = m_view->Worker();
        text = part == PartHost ? worker.Host() : part == PartUser ? worker.UserName() : worker.Password();
    }
    *pVal = VkBstrFromUtf8(text);
    return S_OK;
}

void QuillView::SetLogonPart(int part, BSTR value)
{
    if (!m_view)
        return;
    TwQuillGridWorker& worker = m_view->Worker();
    std::string host = worker.Host(), user = worker.UserName(), password = worker.Password();
    (part == PartHost ? host : part == PartUser ? user : password) = VkBstrToUtf8(value);
    m_view->SetLogon(host, user, password);
}

HRESULT QuillView::get_Database(BSTR* pVal)
{
    return GetLogonPart(PartHost, pVal);
}

HRESULT QuillView::put_Database(BSTR newVal)
{
    SetLogonPart(PartHost, newVal);
    return S_OK;
}

HRESULT QuillView::get_UserName(BSTR* pVal)
{
    return GetLogonPart(PartUser, pVal);
}

HRESULT QuillView::put_UserName(BSTR newVal)
{
    SetLogonPart(PartUser, newVal);
    return S_OK;
}

HRESULT QuillView::get_Password(BSTR* pVal)
{
    return GetLogonPart(PartPassword, pVal);
}

HRESULT QuillView::put_Password(BSTR newVal)
{
    SetLogonPart(PartPassword, newVal);
    return S_OK;
}

HRESULT QuillView::Interactive_Properties()
{
    if (m_view)
        m_view->Interactive_Properties();
    return S_OK;
}

HRESULT QuillView::Interactive_Login(VARIANT_BOOL* pReturn)
{
    if (!pReturn)
        return E_POINTER;
    *pReturn = Bool(m_view && m_view->Interactive_Login());
    return S_OK;
}

HRESULT QuillView::Refresh()
{
    if (m_view)
        m_view->Refresh();
    return S_OK;
}

HRESULT QuillView::AnswerBool(VARIANT_BOOL* pVal, bool (TwGridViewReal::*query)())
{
    if (!pVal)
        return E_POINTER;
    *pVal = Bool(m_view && (m_view.data()->*query)());
    return S_OK;
}

HRESULT QuillView::Connected(VARIANT_BOOL* pRet)
{
    return AnswerBool(pRet, &TwGridViewReal::Connected);
}

HRESULT QuillView::Persist(IUnknown* pStream, VARIANT_BOOL bIncludeConnection, VARIANT_BOOL bLoad)
{
    ComPtr<IStream> stream;
    if (!pStream || FAILED(pStream->QueryInterface(IID_IStream, reinterpret_cast<void**>(stream.ReleaseAndGetAddressOf()))))
        return E_FAIL;
    if (!m_view)
        return E_FAIL;
    const bool includeConnection = bIncludeConnection != VARIANT_FALSE;
    // Only VARIANT_TRUE loads; any other value, 1 included, stores.
    try {
        COleStreamFile file(stream.Get());
        if (bLoad == VARIANT_TRUE) {
            std::string error;
            if (!m_view->LoadState(ReadAll(file), includeConnection, error))
                return E_FAIL;
        } else {
            const std::vector<BYTE> bytes = m_view->SaveState(includeConnection);
            if (bytes.empty())
                return E_FAIL;
            file.SeekToBegin();
            file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
            file.SetLength(bytes.size());
        }
        file.Close();
    } catch (const CException&) {
        return E_FAIL;
    } catch (const std::exception&) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT QuillView::Login()
{
    if (m_view && m_view->Worker().ConnectionState() != TwConnection::Connected)
        m_view->Login();
    return S_OK;
}

HRESULT QuillView::GetIUnknown(IUnknown** ppunk)
{
    if (!ppunk)
        return E_POINTER;
    *ppunk = Identity();
    return S_OK;
}

HRESULT QuillView::Reconnect()
{
    return Login();
}

HRESULT QuillView::Disconnect()
{
    if (m_view)
        m_view->Worker().PostRequest(GvReqDisconnect);
    return S_OK;
}

HRESULT QuillView::SetExternalExplorer(LONG hWnd)
{
    m_externalExplorer = hWnd;
    return S_OK;
}

HRESULT QuillView::Run()
{
    if (m_view)
        m_view->Run();
    return S_OK;
}

HRESULT QuillView::Pause()
{
    if (m_view)
        m_view->Pause();
    return S_OK;
}

HRESULT QuillView::Stop()
{
    if (m_view)
        m_view->Stop();
    return S_OK;
}

HRESULT QuillView::Abort()
{
    if (m_view)
        m_view->Abort();
    return S_OK;
}

HRESULT QuillView::get_MonitorMode(VARIANT_BOOL* pVal)
{
    return AnswerBool(pVal, &TwGridViewReal::MonitorMode);
}

HRESULT QuillView::put_MonitorMode(VARIANT_BOOL newVal)
{
    if (m_view)
        m_view->SetMonitorMode(newVal != VARIANT_FALSE);
    return S_OK;
}

HRESULT QuillView::Reset()
{
    if (m_view)
        m_view->Reset();
    return S_OK;
}

HRESULT QuillView::get_SQLVisible(VARIANT_BOOL* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = Bool(m_view && m_view->SQLVisible());
    return S_OK;
}

HRESULT QuillView::put_SQLVisible(VARIANT_BOOL newVal)
{
    if (m_view)
        m_view->SetSQLVisible(newVal != VARIANT_FALSE);
    return S_OK;
}

HRESULT QuillView::get_Running(VARIANT_BOOL* pVal)
{
    return AnswerBool(pVal, &TwGridViewReal::Running);
}

HRESULT QuillView::get_Paused(VARIANT_BOOL* pVal)
{
    return AnswerBool(pVal, &TwGridViewReal::Paused);
}

HRESULT QuillView::get_Idle(VARIANT_BOOL* pVal)
{
    return AnswerBool(pVal, &TwGridViewReal::Idle);
}

HRESULT QuillView::get_Title(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = VkBstrFromUtf8(m_view ? m_view->Title().toStdString() : std::string());
    return S_OK;
}

HRESULT QuillView::put_Title(BSTR newVal)
{
    if (m_view)
        m_view->SetTitle(QString::fromStdString(VkBstrToUtf8(newVal)));
    return S_OK;
}

namespace {

// A bool property of the control through its get and put members.
template <class Getter, class Putter>
void AddBoolProperty(VkDispatchTable<QuillView>& table, DISPID id, const char* name, Getter get, Putter put)
{
    table.Get(id, name, [get](QuillView& c, VkDispatchCall& call) {
        VARIANT_BOOL value = VARIANT_FALSE;
        const HRESULT hr = (c.*get)(&value);
        return FAILED(hr) ? hr : call.ReturnBool(value != VARIANT_FALSE);
    });
    if constexpr (!std::is_same_v<Putter, std::nullptr_t>) {
        table.Put(id, name, [put](QuillView& c, VkDispatchCall& call) {
            bool value = false;
            const HRESULT hr = call.GetBool(0, &value);
            return FAILED(hr) ? hr : (c.*put)(value ? VARIANT_TRUE : VARIANT_FALSE);
        });
    }
}

// A flag argument as the automation true value or not: only VARIANT_TRUE
// (all 16 bits) counts as true, so 1 is false.
HRESULT FlagArgument(VkDispatchCall& call, UINT index, VARIANT_BOOL* flag)
{
    LONG value = 0;
    const HRESULT hr = call.GetLong(index, &value);
    *flag = value == VARIANT_TRUE ? VARIANT_TRUE : VARIANT_FALSE;
    return hr;
}

VkDispatchTable<QuillView> MakeTable()
{
    using Call = VkDispatchCall;
    using C = QuillView;
    VkDispatchTable<C> table;
    table.GetOf(DISPID_QV_DATABASE, "Database", &C::get_Database)
        .PutOf(DISPID_QV_DATABASE, "Database", &C::put_Database)
        .GetOf(DISPID_QV_USERNAME, "UserName", &C::get_UserName)
        .PutOf(DISPID_QV_USERNAME, "UserName", &C::put_UserName)
        .GetOf(DISPID_QV_PASSWORD, "Password", &C::get_Password)
        .PutOf(DISPID_QV_PASSWORD, "Password", &C::put_Password)
        .MethodOf(DISPID_QV_INTERACTIVE_PROPERTIES, "Interactive_Properties", &C::Interactive_Properties)
        .MethodOf(DISPID_QV_INTERACTIVE_LOGIN, "Interactive_Login", &C::Interactive_Login)
        .MethodOf(DISPID_QV_REFRESH, "Refresh", &C::Refresh)
        .MethodOf(DISPID_QV_CONNECTED, "Connected", &C::Connected)
        .Method(DISPID_QV_PERSIST, "Persist", 3, 3,
                [](C& c, Call& call) {
                    IUnknown* stream = nullptr;
                    HRESULT hr = call.GetObject(0, &stream);
                    // The connection flag is a plain bool; only the load flag
                    // must be the automation true value.
                    bool include = false;
                    VARIANT_BOOL load = VARIANT_FALSE;
                    if (SUCCEEDED(hr))
                        hr = call.GetBool(1, &include);
                    if (SUCCEEDED(hr))
                        hr = FlagArgument(call, 2, &load);
                    if (SUCCEEDED(hr))
                        hr = c.Persist(stream, include ? VARIANT_TRUE : VARIANT_FALSE, load);
                    if (stream)
                        stream->Release();
                    return hr;
                })
        .MethodOf(DISPID_QV_LOGIN, "Login", &C::Login)
        .Method(DISPID_QV_GETIUNKNOWN, "GetIUnknown", 0, 0,
                [](C& c, Call& call) {
                    // The value handed out holds its own reference, which
                    // the caller's clearing of the result gives back.
                    return call.ReturnObject(static_cast<IQuillView*>(&c));
                })
        .MethodOf(DISPID_QV_RECONNECT, "Reconnect", &C::Reconnect)
        .MethodOf(DISPID_QV_DISCONNECT, "Disconnect", &C::Disconnect)
        .Method(DISPID_QV_SETEXTERNALEXPLORER, "SetExternalExplorer", 1, 1,
                [](C& c, Call& call) {
                    LONG handle = 0;
                    const HRESULT hr = call.GetLong(0, &handle);
                    return FAILED(hr) ? hr : c.SetExternalExplorer(handle);
                })
        .MethodOf(DISPID_QV_RUN, "Run", &C::Run)
        .MethodOf(DISPID_QV_PAUSE, "Pause", &C::Pause)
        .MethodOf(DISPID_QV_STOP, "Stop", &C::Stop)
        .MethodOf(DISPID_QV_ABORT, "Abort", &C::Abort)
        .MethodOf(DISPID_QV_RESET, "Reset", &C::Reset)
        .GetOf(DISPID_QV_TITLE, "Title", &C::get_Title)
        .PutOf(DISPID_QV_TITLE, "Title", &C::put_Title);
    AddBoolProperty(table, DISPID_QV_MONITORMODE, "MonitorMode", &C::get_MonitorMode, &C::put_MonitorMode);
    AddBoolProperty(table, DISPID_QV_SQLVISIBLE, "SQLVisible", &C::get_SQLVisible, &C::put_SQLVisible);
    AddBoolProperty(table, DISPID_QV_RUNNING, "Running", &C::get_Running, nullptr);
    AddBoolProperty(table, DISPID_QV_PAUSED, "Paused", &C::get_Paused, nullptr);
    AddBoolProperty(table, DISPID_QV_IDLE, "Idle", &C::get_Idle, nullptr);
    return table;
}

} // namespace

const VkDispatchTable<QuillView>& QuillView::DispatchTable()
{
    static const VkDispatchTable<QuillView> table = MakeTable();
    return table;
}
