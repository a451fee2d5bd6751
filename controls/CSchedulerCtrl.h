#pragma once
// "QVCtrl.SchedulerCtrl": one job queue as an automation control. A thin
// shell that owns the window tree (its own window, the redirector, the
// composite window with the job list and its status bar), forwards each
// member to the job list and its parts, saves and loads the queue's state,
// and raises OnLogin whenever a logon or log-off ends.

#include "controls/CRedirectorWnd.h"
#include "controls/CSchedulerMainDlg.h"
#include "controls/ISchedulerCtrl.h"
#include "generic/IVkControlWindow.h"
#include "platform/ComModule.h"
#include "platform/ComObject.h"
#include "platform/ConnectionPoint.h"
#include "platform/DispatchTable.h"

#include <QPointer>
#include <QWidget>

class CSchedulerCtrl final : public VkComObject<CSchedulerCtrl, VkDispatchImpl<CSchedulerCtrl, ISchedulerCtrl>,
                                                VkConnectionPointContainerImpl, IVkControlWindow> {
public:
    CSchedulerCtrl();
    ~CSchedulerCtrl() override;

    static const VkDispatchTable<CSchedulerCtrl>& DispatchTable();
    // The module's class table entry and its registry keys.
    static const VkClassEntry& ClassEntry();

    // The composite window; null once the window was destroyed.
    CSchedulerMainDlg* MainDlg() const { return m_main; }
    QWidget* ControlWindow() const { return m_window; }
    LONG ExternalExplorer() const { return m_externalExplorer; }

    HRESULT Interactive_Export() override;
    HRESULT Interactive_Import() override;
    HRESULT Interactive_Properties() override;
    HRESULT StopAll() override;
    HRESULT StopSelected() override;
    HRESULT DeleteAll() override;
    HRESULT DeleteSelected() override;
    HRESULT CopySelected() override;
    HRESULT DoPaste() override;
    HRESULT SelectionCount(LONG* pReturn) override;
    HRESULT CanPaste(VARIANT_BOOL* pReturn) override;
    HRESULT Interactive_New() override;
    HRESULT Interactive_NewWizard() override;
    HRESULT Interactive_Modify() override;
    HRESULT RunSelected() override;
    HRESULT BreakSelected() override;
    HRESULT Interactive_Login(VARIANT_BOOL* pReturn) override;
    HRESULT get_Database(BSTR* pVal) override;
    HRESULT put_Database(BSTR newVal) override;
    HRESULT get_UserName(BSTR* pVal) override;
    HRESULT put_UserName(BSTR newVal) override;
    HRESULT get_Password(BSTR* pVal) override;
    HRESULT put_Password(BSTR newVal) override;
    HRESULT Refresh() override;
    HRESULT Connected(VARIANT_BOOL* pRet) override;
    HRESULT get_Items(LONG* pVal) override;
    HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bLoad) override;
    HRESULT Login() override;
    HRESULT GetIUnknown(IUnknown** ppunk) override;
    HRESULT Reconnect() override;
    HRESULT Disconnect() override;
    HRESULT SetExternalExplorer(LONG hWnd) override;
    HRESULT Interactive_Forecast() override;
    HRESULT StopSafely() override;
    HRESULT Interactive_Compare() override;

    HRESULT CreateControlWindow(QWidget* parent, QWidget** window) override;
    HRESULT DestroyControlWindow() override;

private:
    // Hands a command to the job list as its own menu would.
    void ListCommand(UINT command);
    void SetLogonPart(int part, BSTR value);

    VkConnectionPoint m_events{this, DIID__ISchedulerCtrlEvents};
    QPointer<QWidget> m_window;          // the control's own window
    QPointer<CRedirectorWnd> m_redirector;
    QPointer<CSchedulerMainDlg> m_main;
    LONG m_externalExplorer = 0;
};
