#include "app/CSchedulerCtrl.h"

#include "controls/ISchedulerCtrl.h"
#include "generic/IVkControlWindow.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/VkVariant.h"

#include <QResizeEvent>

CSchedulerCtrl::CSchedulerCtrl(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SchedulerCtrlHost"));
}

CSchedulerCtrl::~CSchedulerCtrl()
{
    DestroyControl();
}

bool CSchedulerCtrl::Create()
{
    ComPtr<IDispatch> dispatch;
    if (FAILED(CoCreateInstance(CLSID_SchedulerCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
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

void CSchedulerCtrl::DestroyControl()
{
    if (m_window)
        m_window->DestroyControlWindow();
    m_window = nullptr;
    m_dispatch = nullptr;
}

void CSchedulerCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_controlWindow)
        m_controlWindow->setGeometry(rect());
}

HRESULT CSchedulerCtrl::Call(DISPID id, std::initializer_list<VARIANT> args, VARIANT* result, WORD flags)
{
    if (!m_dispatch)
        return E_FAIL;
    return VkInvoke(m_dispatch.Get(), id, flags, args, result);
}

bool CSchedulerCtrl::CallBool(DISPID id)
{
    VkVariant result;
    bool value = false;
    return SUCCEEDED(Call(id, {}, &result)) && SUCCEEDED(result.ToBool(&value)) && value;
}

LONG CSchedulerCtrl::CallLong(DISPID id, WORD flags)
{
    VkVariant result;
    LONG value = 0;
    if (FAILED(Call(id, {}, &result, flags)) || FAILED(result.ToLong(&value)))
        return 0;
    return value;
}

std::string CSchedulerCtrl::GetText(DISPID id)
{
    VkVariant result;
    std::string text;
    if (FAILED(Call(id, {}, &result, DISPATCH_PROPERTYGET)) || FAILED(result.ToText(&text)))
        return {};
    return text;
}

void CSchedulerCtrl::Interactive_Export() { Call(DISPID_SC_INTERACTIVE_EXPORT); }
void CSchedulerCtrl::Interactive_Import() { Call(DISPID_SC_INTERACTIVE_IMPORT); }
void CSchedulerCtrl::Interactive_Properties() { Call(DISPID_SC_INTERACTIVE_PROPERTIES); }
void CSchedulerCtrl::StopAll() { Call(DISPID_SC_STOPALL); }
void CSchedulerCtrl::StopSelected() { Call(DISPID_SC_STOPSELECTED); }
void CSchedulerCtrl::DeleteSelected() { Call(DISPID_SC_DELETESELECTED); }
void CSchedulerCtrl::CopySelected() { Call(DISPID_SC_COPYSELECTED); }
void CSchedulerCtrl::DoPaste() { Call(DISPID_SC_DOPASTE); }
LONG CSchedulerCtrl::SelectionCount() { return CallLong(DISPID_SC_SELECTIONCOUNT); }
bool CSchedulerCtrl::CanPaste() { return CallBool(DISPID_SC_CANPASTE); }
void CSchedulerCtrl::Interactive_New() { Call(DISPID_SC_INTERACTIVE_NEW); }
void CSchedulerCtrl::Interactive_NewWizard() { Call(DISPID_SC_INTERACTIVE_NEWWIZARD); }
void CSchedulerCtrl::Interactive_Modify() { Call(DISPID_SC_INTERACTIVE_MODIFY); }
void CSchedulerCtrl::RunSelected() { Call(DISPID_SC_RUNSELECTED); }
void CSchedulerCtrl::BreakSelected() { Call(DISPID_SC_BREAKSELECTED); }
void CSchedulerCtrl::Interactive_Forecast() { Call(DISPID_SC_INTERACTIVE_FORECAST); }
void CSchedulerCtrl::StopSafely() { Call(DISPID_SC_STOPSAFELY); }
bool CSchedulerCtrl::Interactive_Login() { return CallBool(DISPID_SC_INTERACTIVE_LOGIN); }
std::string CSchedulerCtrl::Database() { return GetText(DISPID_SC_DATABASE); }
std::string CSchedulerCtrl::UserName() { return GetText(DISPID_SC_USERNAME); }
void CSchedulerCtrl::Refresh() { Call(DISPID_SC_REFRESH); }
bool CSchedulerCtrl::Connected() { return CallBool(DISPID_SC_CONNECTED); }
LONG CSchedulerCtrl::Items() { return CallLong(DISPID_SC_ITEMS, DISPATCH_PROPERTYGET); }
void CSchedulerCtrl::Login() { Call(DISPID_SC_LOGIN); }
bool CSchedulerCtrl::SetLogon(const std::string& user, const std::string& password, const std::string& database)
{
    return SUCCEEDED(Call(DISPID_SC_USERNAME, {VkVariant(user)}, nullptr, DISPATCH_PROPERTYPUT)) &&
           SUCCEEDED(Call(DISPID_SC_PASSWORD, {VkVariant(password)}, nullptr, DISPATCH_PROPERTYPUT)) &&
           SUCCEEDED(Call(DISPID_SC_DATABASE, {VkVariant(database)}, nullptr, DISPATCH_PROPERTYPUT));
}

void CSchedulerCtrl::Reconnect() { Call(DISPID_SC_RECONNECT); }
void CSchedulerCtrl::Disconnect() { Call(DISPID_SC_DISCONNECT); }

bool CSchedulerCtrl::Persist(IUnknown* stream, bool load)
{
    VkVariant unknown(stream);
    VkVariant flag(load);
    return SUCCEEDED(Call(DISPID_SC_PERSIST, {unknown, flag}));
}

ComPtr<IUnknown> CSchedulerCtrl::GetIUnknown()
{
    VkVariant result;
    if (FAILED(Call(DISPID_SC_GETIUNKNOWN, {}, &result)))
        return nullptr;
    if (result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN)
        return ComPtr<IUnknown>(result.punkVal);
    return nullptr;
}

void CSchedulerCtrl::SetExternalExplorer(LONG window)
{
    Call(DISPID_SC_SETEXTERNALEXPLORER, {VkVariant(window)});
}
