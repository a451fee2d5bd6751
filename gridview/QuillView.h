#pragma once
// "TwQlVw.QuillView": one SQL grid as an automation control. A thin shell
// that owns the window tree (its own window, the redirector, the grid view
// with the statement edit, the grid and its status bar), forwards each
// member to the grid view, saves and loads the grid's state, and raises
// OnLogin when a logon or log-off ends and OnTitleChange when the title
// changes.

#include "generic/IVkControlWindow.h"
#include "gridview/IQuillView.h"
#include "gridview/TwGridViewReal.h"
#include "gridview/TwQuillViewRedirector.h"
#include "platform/ComModule.h"
#include "platform/ComObject.h"
#include "platform/ConnectionPoint.h"
#include "platform/DispatchTable.h"

#include <QPointer>
#include <QWidget>

class QuillView final : public VkComObject<QuillView, VkDispatchImpl<QuillView, IQuillView>,
                                           VkConnectionPointContainerImpl, IVkControlWindow> {
public:
    QuillView();
    ~QuillView() override;

    static const VkDispatchTable<QuillView>& DispatchTable();
    // The module's class table entry and its registry keys.
    static const VkClassEntry& ClassEntry();

    // The grid view; null once the window was destroyed.
    TwGridViewReal* GridView() const { return m_view; }
    QWidget* ControlWindow() const { return m_window; }
    LONG ExternalExplorer() const { return m_externalExplorer; }

    HRESULT get_Database(BSTR* pVal) override;
    HRESULT put_Database(BSTR newVal) override;
    HRESULT get_UserName(BSTR* pVal) override;
    HRESULT put_UserName(BSTR newVal) override;
    HRESULT get_Password(BSTR* pVal) override;
    HRESULT put_Password(BSTR newVal) override;
    HRESULT Interactive_Properties() override;
    HRESULT Interactive_Login(VARIANT_BOOL* pReturn) override;
    HRESULT Refresh() override;
    HRESULT Connected(VARIANT_BOOL* pRet) override;
    HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bIncludeConnection, VARIANT_BOOL bLoad) override;
    HRESULT Login() override;
    HRESULT GetIUnknown(IUnknown** ppunk) override;
    HRESULT Reconnect() override;
    HRESULT Disconnect() override;
    HRESULT SetExternalExplorer(LONG hWnd) override;
    HRESULT Run() override;
    HRESULT Pause() override;
    HRESULT Stop() override;
    HRESULT Abort() override;
    HRESULT get_MonitorMode(VARIANT_BOOL* pVal) override;
    HRESULT put_MonitorMode(VARIANT_BOOL newVal) override;
    HRESULT Reset() override;
    HRESULT get_SQLVisible(VARIANT_BOOL* pVal) override;
    HRESULT put_SQLVisible(VARIANT_BOOL newVal) override;
    HRESULT get_Running(VARIANT_BOOL* pVal) override;
    HRESULT get_Paused(VARIANT_BOOL* pVal) override;
    HRESULT get_Idle(VARIANT_BOOL* pVal) override;
    HRESULT get_Title(BSTR* pVal) override;
    HRESULT put_Title(BSTR newVal) override;

    HRESULT CreateControlWindow(QWidget* parent, QWidget** window) override;
    HRESULT DestroyControlWindow() override;

private:
    void SetLogonPart(int part, BSTR value);
    HRESULT GetLogonPart(int part, BSTR* pVal);
    // *pVal from the view's answer, false without a view.
    HRESULT AnswerBool(VARIANT_BOOL* pVal, bool (TwGridViewReal::*query)());

    VkConnectionPoint m_events{this, DIID__IQuillViewEvents};
    QPointer<QWidget> m_window; // the control's own window
    QPointer<TwQuillViewRedirector> m_redirector;
    QPointer<TwGridViewReal> m_view;
    LONG m_externalExplorer = 0;
};
