#pragma once
// The framework's window around one hosted schema explorer control: creating
// it creates the control by its class identifier and places the control's
// window inside; every call goes through the control's dispatch interface by
// dispatch id. Without a registered control the window stays empty and every
// call answers its default. In namespace TwHost because the control module's
// implementation class has the same name.

#include "framework/TwControlHost.h"

#include <string>

namespace TwHost {

class CExplorerCtrl : public TwControlHost {
    Q_OBJECT

public:
    explicit CExplorerCtrl(QWidget* parent = nullptr);

    // Creates the control; false when it cannot be created (not registered,
    // or its window cannot be made).
    bool Create();

    // Shows the control's logon dialog; true when it was confirmed.
    bool Interactive_Login();
    bool Connected();
    bool Connecting();
    // Starts a logon with the control's user, password and database.
    void Login();
    // The control's IUnknown, with a reference of its own for the caller.
    ComPtr<IUnknown> GetIUnknown();
    std::string Database();
    std::string UserName();
    std::string Password();
    // false when the control refused the value or is missing.
    bool SetDatabase(const std::string& value);
    bool SetUserName(const std::string& value);
    bool SetPassword(const std::string& value);
};

} // namespace TwHost
