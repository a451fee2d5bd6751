#pragma once
// The program's window around one hosted SQL grid control: creating it
// creates the control by its class identifier and places the control's
// window inside; every call goes through the control's dispatch interface
// by dispatch id. Without a registered control the window stays empty and
// every call answers its default.

#include "framework/TwControlHost.h"

#include <string>

class CQuillView : public TwControlHost {
    Q_OBJECT

public:
    explicit CQuillView(QWidget* parent = nullptr);

    // Creates the control; false when it cannot be created (not registered,
    // or its window cannot be made).
    bool Create();

    std::string Database();
    std::string UserName();
    // Sets the logon details that Login uses; false when the control
    // refused one of them or is missing.
    bool SetLogon(const std::string& user, const std::string& password, const std::string& database);
    void Interactive_Properties();
    bool Interactive_Login();
    void Refresh();
    bool Connected();
    // false when the control refused the stream (E_FAIL) or is missing.
    bool Persist(IUnknown* stream, bool includeConnection, bool load);
    void Login();
    // The control's IUnknown, with a reference of its own for the caller.
    ComPtr<IUnknown> GetIUnknown();
    void Reconnect();
    void Disconnect();
    void SetExternalExplorer(LONG window);
    void Run();
    void Pause();
    void Stop();
    void Abort();
    bool MonitorMode();
    void SetMonitorMode(bool on);
    void Reset();
    bool SQLVisible();
    void SetSQLVisible(bool visible);
    bool Running();
    bool Paused();
    bool Idle();
    std::string Title();
    void SetTitle(const std::string& title);
};
