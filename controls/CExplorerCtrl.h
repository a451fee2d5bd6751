#pragma once
// "QVCtrl.ExplorerCtrl": the schema explorer as an automation control. A
// thin shell over its window (tool bar and schema tree): the dispatch
// members forward to the tree, and OnLogin is raised on the connection
// points whenever a connect starts or ends and after a disconnect.

#include "controls/CExplorerReal.h"
#include "controls/IExplorerCtrl.h"
#include "generic/IVkControlWindow.h"
#include "platform/ComModule.h"
#include "platform/ComObject.h"
#include "platform/ConnectionPoint.h"
#include "platform/DispatchTable.h"

#include <QPointer>

#include <functional>

class COracleExplorerTree;

class CExplorerCtrl final : public VkComObject<CExplorerCtrl, VkDispatchImpl<CExplorerCtrl, IExplorerCtrl>,
                                               VkConnectionPointContainerImpl, IVkControlWindow> {
public:
    CExplorerCtrl();
    ~CExplorerCtrl() override;

    static const VkDispatchTable<CExplorerCtrl>& DispatchTable();
    // The module's class table entry and its registry keys.
    static const VkClassEntry& ClassEntry();

    // The control's window; null once its host destroyed it.
    CExplorerReal* Window() const { return m_window.data(); }

    // Replaces the logon dialog that Interactive_Login shows (the queue
    // logon dialog titled "Explorer Logon"): true with host, user and
    // password filled when confirmed. Null restores that dialog.
    using LogonDialog = std::function<bool(std::string& host, std::string& user, std::string& password)>;
    static void SetLogonDialog(LogonDialog dialog);

    HRESULT Interactive_Login(VARIANT_BOOL* pReturn) override;
    HRESULT Connected(VARIANT_BOOL* pRet) override;
    HRESULT Persist(IUnknown* pStream, VARIANT_BOOL bLoad) override;
    HRESULT Login() override;
    HRESULT GetIUnknown(IUnknown** ppunk) override;
    HRESULT Reconnect() override;
    HRESULT Disconnect() override;
    HRESULT get_Database(BSTR* value) override;
    HRESULT put_Database(BSTR value) override;
    HRESULT get_UserName(BSTR* value) override;
    HRESULT put_UserName(BSTR value) override;
    HRESULT get_Password(BSTR* value) override;
    HRESULT put_Password(BSTR value) override;
    HRESULT Reset() override;
    HRESULT Connecting(VARIANT_BOOL* pbReturn) override;

    HRESULT CreateControlWindow(QWidget* parent, QWidget** window) override;
    HRESULT DestroyControlWindow() override;

private:
    // The tree of the window; null once the window is gone.
    COracleExplorerTree* Tree() const;

    VkConnectionPoint m_events{this, DIID__IExplorerCtrlEvents};
    // Owned by the control until a host takes it into a window of its own.
    QPointer<CExplorerReal> m_window;
};
