#pragma once
// What an Oracle worker (the job queue's, the grid's) shares with the
// interface thread: its logon details, its connection state, its last status
// text and the login notification. Every member may be called from any thread.

#include "platform/WinTypes.h"

#include <functional>
#include <mutex>
#include <string>

// Where a worker's session stands.
enum class TwConnection { Connecting, Connected, NotConnected };

class TwWorkerState {
public:
    // Logon details; the connect string is "user/password@host".
    void SetLogon(const std::string& host, const std::string& user, const std::string& password);
    std::string Host() const;
    std::string UserName() const;
    std::string Password() const;
    std::string ConnectString() const;

    TwConnection ConnectionState() const;
    bool IsConnected() const { return ConnectionState() == TwConnection::Connected; }
    std::string LastMessage() const;
    bool LastFailed() const;

    // Raised on the worker thread whenever a connect or disconnect ends.
    void SetLoginHandler(std::function<void()> handler);

protected:
    TwWorkerState() = default;
    ~TwWorkerState() = default;

    void SetLast(const std::string& message, bool failed);
    void SetConnectionState(TwConnection state);
    // Calls the login handler outside the lock.
    void RaiseLogin();

    // Guards the members here and whatever the worker keeps beside them.
    mutable std::mutex m_lock;
    std::string m_host, m_user, m_password;
    std::string m_lastMessage;
    bool m_lastFailed = false;

private:
    TwConnection m_connectionState = TwConnection::NotConnected;
    std::function<void()> m_onLogin;
};
