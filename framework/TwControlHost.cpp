#include "framework/TwControlHost.h"

#include "generic/IVkControlWindow.h"
#include "platform/ComRuntime.h"
#include "platform/DispatchTable.h"
#include "platform/VkVariant.h"

#include <QResizeEvent>

TwControlHost::TwControlHost(const QString& objectName, QWidget* parent) : QWidget(parent)
{
    setObjectName(objectName);
}

TwControlHost::~TwControlHost()
{
    DestroyControl();
}

bool TwControlHost::CreateControl(const CLSID& clsid)
{
    ComPtr<IDispatch> dispatch;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
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

void TwControlHost::DestroyControl()
{
    if (m_sink)
        m_sink->Unadvise(m_dispatch.Get());
    m_sink = nullptr;
    if (m_window)
        m_window->DestroyControlWindow();
    m_window = nullptr;
    m_dispatch = nullptr;
}

bool TwControlHost::PostEventsTo(QObject* receiver, REFIID events, std::vector<TwPostingEventSink::Post> posts)
{
    if (m_sink)
        m_sink->Unadvise(m_dispatch.Get());
    m_sink = TwPostingEventSink::Advise(m_dispatch.Get(), events, receiver, std::move(posts));
    return static_cast<bool>(m_sink);
}

void TwControlHost::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_controlWindow)
        m_controlWindow->setGeometry(rect());
}

HRESULT TwControlHost::Call(DISPID id, std::initializer_list<VARIANT> args, VARIANT* result, WORD flags)
{
    if (!m_dispatch)
        return E_FAIL;
    return VkInvoke(m_dispatch.Get(), id, flags, args, result);
}

bool TwControlHost::CallBool(DISPID id, WORD flags)
{
    VkVariant result;
    bool value = false;
    return SUCCEEDED(Call(id, {}, &result, flags)) && SUCCEEDED(result.ToBool(&value)) && value;
}

LONG TwControlHost::CallLong(DISPID id, WORD flags)
{
    VkVariant result;
    LONG value = 0;
    if (FAILED(Call(id, {}, &result, flags)) || FAILED(result.ToLong(&value)))
        return 0;
    return value;
}

std::string TwControlHost::GetText(DISPID id)
{
    VkVariant result;
    std::string text;
    if (FAILED(Call(id, {}, &result, DISPATCH_PROPERTYGET)) || FAILED(result.ToText(&text)))
        return {};
    return text;
}

bool TwControlHost::PutText(DISPID id, const std::string& value)
{
    return SUCCEEDED(Call(id, {VkVariant(value)}, nullptr, DISPATCH_PROPERTYPUT));
}

ComPtr<IUnknown> TwControlHost::CallUnknown(DISPID id)
{
    VkVariant result;
    if (FAILED(Call(id, {}, &result)))
        return nullptr;
    if (result.vt == VT_DISPATCH || result.vt == VT_UNKNOWN)
        return ComPtr<IUnknown>(result.punkVal);
    return nullptr;
}
