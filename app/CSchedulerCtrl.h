#pragma once
// The program's window around one hosted job scheduler control: creating
// it creates the control by its class identifier and places the control's
// window inside; every call goes through the control's dispatch interface
// by dispatch id. Without a registered control the window stays empty and
// every call answers its default.

#include "framework/TwControlHost.h"

#include <string>

class CSchedulerCtrl : public TwControlHost {
    Q_OBJECT

public:
    explicit CSchedulerCtrl(QWidget* parent = nullptr);

    // Creates the control; false when it cannot be created (not registered,
    // or its window cannot be made).
    bool Create();

    void Interactive_Export();
    void Interactive_Import();
    void Interactive_Properties();
    void StopAll();
    void StopSelected();
    void DeleteSelected();
    void CopySelected();
    void DoPaste();
    LONG SelectionCount();
    bool CanPaste();
    void Interactive_New();
    void Interactive_NewWizard();
    void Interactive_Modify();
    void RunSelected();
    void BreakSelected();
    void Interactive_Forecast();
    void StopSafely();
    void Interactive_Compare();
    bool Interactive_Login();
    std::string Database();
    std::string UserName();
    void Refresh();
    bool Connected();
    LONG Items();
    // false when the control refused the stream (E_FAIL) or is missing.
    bool Persist(IUnknown* stream, bool load);
    void Login();
    // Sets the logon details that Login uses; false when the control
    // refused one of them or is missing.
    bool SetLogon(const std::string& user, const std::string& password, const std::string& database);
    // The control's IUnknown, with a reference of its own for the caller.
    ComPtr<IUnknown> GetIUnknown();
    void Reconnect();
    void Disconnect();
    void SetExternalExplorer(LONG window);
};
