#include "framework/CExplorerCtrl.h"

#include "controls/IExplorerCtrl.h"

namespace TwHost {

CExplorerCtrl::CExplorerCtrl(QWidget* parent) : TwControlHost(QStringLiteral("ExplorerCtrlHost"), parent) {}

bool CExplorerCtrl::Create()
{
    return CreateControl(CLSID_ExplorerCtrl);
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
    return CallUnknown(DISPID_EX_GETIUNKNOWN);
}

} // namespace TwHost
