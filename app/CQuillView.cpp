#include "app/CQuillView.h"

#include "gridview/IQuillView.h"
#include "platform/VkVariant.h"


CQuillView::CQuillView(QWidget* parent) : TwControlHost(QStringLiteral("QuillViewHost"), parent) {}

bool CQuillView::Create()
{
    return CreateControl(CLSID_QuillView);
}

std::string CQuillView::Database() { return GetText(DISPID_QV_DATABASE); }
std::string CQuillView::UserName() { return GetText(DISPID_QV_USERNAME); }

bool CQuillView::SetLogon(const std::string& user, const std::string& password, const std::string& database)
{
    return PutText(DISPID_QV_USERNAME, user) && PutText(DISPID_QV_PASSWORD, password) &&
           PutText(DISPID_QV_DATABASE, database);
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
    return CallUnknown(DISPID_QV_GETIUNKNOWN);
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
