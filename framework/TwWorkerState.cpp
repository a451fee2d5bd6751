#include "framework/TwWorkerState.h"

void TwWorkerState::SetLogon(const std::string& host, const std::string& user, const std::string& password)
{
    std::lock_guard guard(m_lock);
    m_host = host;
    m_user = user;
    m_password = password;
}

std::string TwWorkerState::Host() const
{
    std::lock_guard guard(m_lock);
    return m_host;
}

std::string TwWorkerState::UserName() const
{
    std::lock_guard guard(m_lock);
    return m_user;
}

std::string TwWorkerState::Password() const
{
    std::lock_guard guard(m_lock);
    return m_password;
}

std::string TwWorkerState::ConnectString() const
{
    std::lock_guard guard(m_lock);
    return m_user + "/" + m_password + "@" + m_host;
}

TwConnection TwWorkerState::ConnectionState() const
{
    std::lock_guard guard(m_lock);
    return m_connectionState;
}

std::string TwWorkerState::LastMessage() const
{
    std::lock_guard guard(m_lock);
    return m_lastMessage;
}

bool TwWorkerState::LastFailed() const
{
    std::lock_guard guard(m_lock);
    return m_lastFailed;
}

void TwWorkerState::SetLoginHandler(std::function<void()> handler)
{
    std::lock_guard guard(m_lock);
    m_onLogin = std::move(handler);
}

void TwWorkerState::SetLast(const std::string& message, bool failed)
{
    std::lock_guard guard(m_lock);
    m_lastMessage = message;
    m_lastFailed = failed;
}

void TwWorkerState::SetConnectionState(TwConnection state)
{
    std::lock_guard guard(m_lock);
    m_connectionState = state;
}

void TwWorkerState::RaiseLogin()
{
    std::function<void()> handler;
    {
        std::lock_guard guard(m_lock);
        handler = m_onLogin;
    }
    if (handler)
        handler();
}
