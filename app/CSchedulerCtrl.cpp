#include "app/CSchedulerCtrl.h"

#include "controls/ISchedulerCtrl.h"
#include "platform/VkVariant.h"

CSchedulerCtrl::CSchedulerCtrl(QWidget* parent) : TwControlHost(QStringLiteral("SchedulerCtrlHost"), parent) {}

bool CSchedulerCtrl::Create()
{
    return CreateControl(CLSID_SchedulerCtrl);
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
void CSchedulerCtrl::Interactive_Compare() { Call(DISPID_SC_INTERACTIVE_COMPARE); }
bool CSchedulerCtrl::Interactive_Login() { return CallBool(DISPID_SC_INTERACTIVE_LOGIN); }
std::string CSchedulerCtrl::Database() { return GetText(DISPID_SC_DATABASE); }
std::string CSchedulerCtrl::UserName() { return GetText(DISPID_SC_USERNAME); }
void CSchedulerCtrl::Refresh() { Call(DISPID_SC_REFRESH); }
bool CSchedulerCtrl::Connected() { return CallBool(DISPID_SC_CONNECTED); }
LONG CSchedulerCtrl::Items() { return CallLong(DISPID_SC_ITEMS, DISPATCH_PROPERTYGET); }
void CSchedulerCtrl::Login() { Call(DISPID_SC_LOGIN); }
bool CSchedulerCtrl::SetLogon(const std::string& user, const std::string& password, const std::string& database)
{
    return PutText(DISPID_SC_USERNAME, user) && PutText(DISPID_SC_PASSWORD, password) &&
           PutText(DISPID_SC_DATABASE, database);
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
    return CallUnknown(DISPID_SC_GETIUNKNOWN);
}

void CSchedulerCtrl::SetExternalExplorer(LONG window)
{
    Call(DISPID_SC_SETEXTERNALEXPLORER, {VkVariant(window)});
}
