#pragma once
// Tests of request workers: a receiver that keeps what every worker posts
// (status, queued requests, version, server time) and, as the windows do,
// turns a queued request back into a request; and a gate that holds a
// worker inside its request hook until released.

#include "framework/TwWorkerMessages.h"
#include "platform/SyncObjects.h"
#include "testsupport/WaitUntil.h"

#include <QObject>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvtest {

class WorkerReceiver : public QObject {
public:
    // Called for TWM_QUEUE with the kind (the window queues it again).
    std::function<void(LONG kind)> requeue;
    std::vector<TwStatusRecord> statuses;
    std::vector<LONG> queued;
    std::vector<std::string> versions;
    std::vector<DATE> serverTimes;

    bool event(QEvent* e) override
    {
        auto* message = dynamic_cast<VkMessageEvent*>(e);
        if (!message)
            return QObject::event(e);
        switch (message->Message()) {
        case TWM_STATUS:
            statuses.push_back(*message->TakeRecord<TwStatusRecord>());
            return true;
        case TWM_QUEUE:
            queued.push_back(static_cast<LONG>(message->WParam()));
            if (requeue)
                requeue(static_cast<LONG>(message->WParam()));
            return true;
        case TWM_VERSION:
            versions.push_back(message->TakeRecord<TwTextRecord>()->m_text);
            return true;
        case TWM_SERVERTIME:
            serverTimes.push_back(message->TakeRecord<TwDateRecord>()->m_date);
            return true;
        default:
            return OnMessage(*message) || QObject::event(e);
        }
    }

    bool HasStatus(const std::string& text) const
    {
        return std::any_of(statuses.begin(), statuses.end(), [&](const auto& s) { return s.m_text == text; });
    }

protected:
    // The worker's own messages; true when taken.
    virtual bool OnMessage(VkMessageEvent&) { return false; }
};

// Lets a worker through its request hook only when released.
class WorkerGate {
public:
    void Hold() { m_open.Reset(); }
    void Release() { m_open.Set(); }
    // On the worker thread: says it got here, then waits to be let through.
    void Pass()
    {
        m_reached.Set();
        m_open.Wait();
    }
    bool Reached() { return m_reached.Wait(60000) == VkWaitResult::Signalled; }

private:
    VkEvent m_open{true, true};
    VkEvent m_reached{false, false};
};

// Connects worker as scott on DEMO and waits for its first status and its
// login notification; the notifications counted by then (-1: not started).
template <class Worker>
int ConnectAndWaitForLogin(Worker& worker, const WorkerReceiver& receiver)
{
    auto logins = std::make_shared<std::atomic<int>>(0);
    worker.SetLoginHandler([logins] { ++*logins; });
    worker.SetLogon("DEMO", "scott", "tiger");
    if (!worker.Connect())
        return -1;
    // The notification comes from the worker thread just after the status
    // is posted: wait for both.
    WaitUntil([&] { return !receiver.statuses.empty() && *logins > 0; });
    return *logins;
}

} // namespace qvtest
