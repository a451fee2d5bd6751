#pragma once
// A window around one hosted in-process control: creating it creates the
// control by its class identifier and places the control's window inside;
// every call goes through the control's dispatch interface by dispatch id.
// Without a registered control the window stays empty and every call
// answers its default. The hosts of the program's controls derive from it
// and name the members they use.

#include "framework/TwPostingEventSink.h"
#include "platform/ComInterfaces.h"
#include "platform/ComPtr.h"
#include "platform/WinTypes.h"

#include <QPointer>
#include <QWidget>

#include <initializer_list>
#include <string>
#include <vector>

struct IVkControlWindow;

class TwControlHost : public QWidget {
    Q_OBJECT

public:
    // Closes the control's window (ending its worker) before the window goes.
    ~TwControlHost() override;

    bool HasControl() const { return static_cast<bool>(m_dispatch); }
    IDispatch* Dispatch() const { return m_dispatch.Get(); }
    // Ends the control's background work and closes its window, its events
    // no longer posted; later calls answer their defaults.
    void DestroyControl();
    // Posts the control's `events` to receiver, a message per event from
    // whichever thread raises it, until the control is destroyed; false
    // without a control or when it has no such events.
    bool PostEventsTo(QObject* receiver, REFIID events, std::vector<TwPostingEventSink::Post> posts);

protected:
    TwControlHost(const QString& objectName, QWidget* parent);

    // Creates the control of clsid; false when it cannot be created (not
    // registered, or its window cannot be made).
    bool CreateControl(const CLSID& clsid);

    void resizeEvent(QResizeEvent* event) override;

    // E_FAIL without a control.
    HRESULT Call(DISPID id, std::initializer_list<VARIANT> args = {}, VARIANT* result = nullptr,
                 WORD flags = DISPATCH_METHOD);
    // false, 0 and "" when the call fails or answers something else.
    bool CallBool(DISPID id, WORD flags = DISPATCH_METHOD);
    LONG CallLong(DISPID id, WORD flags = DISPATCH_METHOD);
    std::string GetText(DISPID id);
    bool PutText(DISPID id, const std::string& value);
    // The IUnknown the method id hands out, with a reference of its own.
    ComPtr<IUnknown> CallUnknown(DISPID id);

private:
    ComPtr<IDispatch> m_dispatch;
    ComPtr<IVkControlWindow> m_window;
    ComPtr<TwPostingEventSink> m_sink;
    QPointer<QWidget> m_controlWindow;
};
