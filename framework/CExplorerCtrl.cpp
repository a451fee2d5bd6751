#include "framework/CExplorerCtrl.h"

#include "controls/IExplorerCtrl.h"
#include "generic/IVkControlWindow.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/VkVariant.h"

#include <QResizeEvent>

namespace TwHost {

CExplorerCtrl::CExplorerCtrl(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ExplorerCtrlHost"));
}

CExplorerCtrl::~CExplorerCtrl()
{
    DestroyControl();
}

bool CExplorerCtrl::Create()
{
    ComPtr<IDispatch> dispatch;
    if (FAILED(CoCreateInstance(CLSID_ExplorerCtrl, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
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

void CExplorerCtrl::DestroyControl()
{
    if (m_window)
        m_window->DestroyControlWindow();
    m_window = nullptr;
    m_dispatch = nullptr;
}

void CExplorerCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_controlWindow)
        m_controlWindow->setGeometry(rect());
}

HRESULT CExplorerCtrl::Call(DISPID id, std::initializer_list<VARIANT> args, VARIANT* result, WORD flags)
{
    if (!m_dispatch)
        return E_FAIL;
    return VkInvoke(m_dispatch.Get(), id, flags, args, result);
}

bool CExplorerCtrl::CallBool(DISPID id)
{
    VkVariant result;
    bool value = false;
    return SUCCEEDED(Call(id, {}, &result)) && SUCCEEDED(result.ToBool(&value)) && value;
}

std::string CExplorerCtrl::GetText(DISPID id)
{
    VkVariant result;
    std::string text;
    if (FAILED(Call(id, {}, &result, DISPATCH_PROPERTYGET)) || FAILED(result.ToText(&text)))
        return {};
    return text;
}

bool CExplorerCtrl::PutText(DISPID id, const std::string& value)
{
    return SUCCEEDED(Call(id, {VkVariant(value)}, nullptr, DISPATCH_PROPERTYPUT));
}

bool CExplorerCtrl::Interactive_Login() { return CallBool(DISPID_EX_INTERACTIVE_LOGIN); }
bool CExplorerCtrl::Connected() { return CallBool(DISPID_EX_CONNECTED); }
bool CExplorerCtrl::Connecting() { return CallBool(DISPID_EX_CONNECTING); }
void CExplorerCtrl::Login() { Call(DISPID_EX_LOGIN); }
std::string CExplorerCtrl::Database() { return GetText(DISPID_EX_DATABASE); }
std::string CExplorerCtrl::UserName() { return GetText(DISPID_EX_USERNAME); }
std::string CExplorerCtrl::Password() { return GetText(DISPID_EX_PASSWORD); }
bool CExplorerCtrl::SetDatabase(const std::string& value) { return PutText(DISPID_EX_DATABASE, value); }
bool CExplorerCtrl::SetUserName(const std::string& value) { return PutText(DISPID_EX_USERNAME, value); }
bool CExplorerCtrl::SetPassword(const std::string& value) { return PutText(DISPID_EX_PASSWORD, value); }

ComPtr<IUnknown> CExplorerCtrl::GetIUnknown()
{
    VkVariant result;
    if (FAILED(Call(DISPID_EX_GETIUNKNOWN, {}, &result)))
        return nullptr;
    if (result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN)
        return ComPtr<IUnknown>(result.punkVal);
    return nullptr;
}

} // namespace TwHost
