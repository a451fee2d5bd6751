#include "app/CQuillView.h"

#include "generic/IVkControlWindow.h"
#include "gridview/IQuillView.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/VkVariant.h"

#include <QResizeEvent>

CQuillView::CQuillView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QuillViewHost"));
}

CQuillView::~CQuillView()
{
    DestroyControl();
}

bool CQuillView::Create()
{
    ComPtr<IDispatch> dispatch;
    if (FAILED(CoCreateInstance(CLSID_QuillView, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(dispatch.GetAddressOf()))))
        return false;
    ComPtr<IVkControlWindow> window;
    QWidget* controlWindow = nullptr;
    if (FAILED(dispatch.As(&window)) || FAILED(window->CreateControlWindow(this, &controlWindow)))
        return false;
    m_dispatch = dispatch;
    m_window = window;
    m_controlWindow = controlWindow;
    m_controlWindow->setGeometry(rect());
    return true;
}

void CQuillView::DestroyControl()
{
    if (m_window)
        m_window->DestroyControlWindow();
    m_window = nullptr;
    m_dispatch = nullptr;
}

void CQuillView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_controlWindow)
        m_controlWindow->setGeometry(rect());
}

HRESULT CQuillView::Call(DISPID id, std::initializer_list<VARIANT> args, VARIANT* result, WORD flags)
{
    if (!m_dispatch)
        return E_FAIL;
    return VkInvoke(m_dispatch.Get(), id, flags, args, result);
}

bool CQuillView::CallBool(DISPID id, WORD flags)
{
    VkVariant result;
    bool value = false;
    return SUCCEEDED(Call(id, {}, &result, flags)) && SUCCEEDED(result.ToBool(&value)) && value;
}

std::string CQuillView::GetText(DISPID id)
{
    VkVariant result;
    std::string text;
    if (FAILED(Call(id, {}, &result, DISPATCH_PROPERTYGET)) || FAILED(result.ToText(&text)))
        return {};
    return text;
}

std::string CQuillView::Database() { return GetText(DISPID_QV_DATABASE); }
std::string CQuillView::UserName() { return GetText(DISPID_QV_USERNAME); }

bool CQuillView::SetLogon(const std::string& user, const std::string& password, const std::string& database)
{
    return SUCCEEDED(Call(DISPID_QV_USERNAME, {VkVariant(user)}, nullptr, DISPATCH_PROPERTYPUT)) &&
           SUCCEEDED(Call(DISPID_QV_PASSWORD, {VkVariant(password)}, nullptr, DISPATCH_PROPERTYPUT)) &&
           SUCCEEDED(Call(DISPID_QV_DATABASE, {VkVariant(database)}, nullptr, DISPATCH_PROPERTYPUT));
}

void CQuillView::Interactive_Properties() { Call(DISPID_QV_INTERACTIVE_PROPERTIES); }
bool CQuillView::Interactive_Login() { return CallBool(DISPID_QV_INTERACTIVE_LOGIN); }
void CQuillView::Refresh() { Call(DISPID_QV_REFRESH); }
bool CQuillView::Connected() { return CallBool(DISPID_QV_CONNECTED); }

bool CQuillView::Persist(IUnknown* stream, bool includeConnection, bool load)
{
    VkVariant unknown(stream);
    VkVariant include(includeConnection);
    VkVariant flag(load);
    return SUCCEEDED(Call(DISPID_QV_PERSIST, {unknown, include, flag}));
}

void CQuillView::Login() { Call(DISPID_QV_LOGIN); }

ComPtr<IUnknown> CQuillView::GetIUnknown()
{
    VkVariant result;
    if (FAILED(Call(DISPID_QV_GETIUNKNOWN, {}, &result)))
        return nullptr;
    if (result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN)
        return ComPtr<IUnknown>(result.punkVal);
    return nullptr;
}

void CQuillView::Reconnect() { Call(DISPID_QV_RECONNECT); }
void CQuillView::Disconnect() { Call(DISPID_QV_DISCONNECT); }
void CQuillView::SetExternalExplorer(LONG window) { Call(DISPID_QV_SETEXTERNALEXPLORER, {VkVariant(window)}); }
void CQuillView::Run() { Call(DISPID_QV_RUN); }
void CQuillView::Pause() { Call(DISPID_QV_PAUSE); }
void CQuillView::Stop() { Call(DISPID_QV_STOP); }
void CQuillView::Abort() { Call(DISPID_QV_ABORT); }
bool CQuillView::MonitorMode() { return CallBool(DISPID_QV_MONITORMODE, DISPATCH_PROPERTYGET); }
void CQuillView::SetMonitorMode(bool on) { Call(DISPID_QV_MONITORMODE, {VkVariant(on)}, nullptr, DISPATCH_PROPERTYPUT); }
void CQuillView::Reset() { Call(DISPID_QV_RESET); }
bool CQuillView::SQLVisible() { return CallBool(DISPID_QV_SQLVISIBLE, DISPATCH_PROPERTYGET); }
void CQuillView::SetSQLVisible(bool visible)
{
    Call(DISPID_QV_SQLVISIBLE, {VkVariant(visible)}, nullptr, DISPATCH_PROPERTYPUT);
}
bool CQuillView::Running() { return CallBool(DISPID_QV_RUNNING, DISPATCH_PROPERTYGET); }
bool CQuillView::Paused() { return CallBool(DISPID_QV_PAUSED, DISPATCH_PROPERTYGET); }
bool CQuillView::Idle() { return CallBool(DISPID_QV_IDLE, DISPATCH_PROPERTYGET); }
std::string CQuillView::Title() { return GetText(DISPID_QV_TITLE); }
void CQuillView::SetTitle(const std::string& title)
{
    Call(DISPID_QV_TITLE, {VkVariant(title)}, nullptr, DISPATCH_PROPERTYPUT);
}
