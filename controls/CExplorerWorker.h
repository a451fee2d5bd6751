#pragma once
// The schema explorer's worker thread: owns the explorer's Oracle session,
// takes connect, disconnect and load requests first in, first out, and
// hands each answer to a reply handler on its own thread (the tree window
// moves it to the user interface thread). Knows nothing of windows.

#include "controls/CExplorerLoader.h"
#include "controls/CExplorerNode.h"
#include "framework/OCISession.h"
#include "platform/SyncObjects.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct CExplorerRequest {
    ExplorerKind kind = ExplorerKind::Leaf; // Connect, Disconnect or the kind to load
    int item = 0;                           // the tree item it concerns; 0 for the root
    std::vector<CExplorerNode> path;        // that item's node and its ancestors, root first
    long option1 = 0; // the generation of the tree's contents
    long option2 = 0;
};

struct CExplorerReply {
    enum class Type {
        Children, // result holds the rows for item (item 0: a new root of kind)
        Clear,    // every item goes
    };
    Type type = Type::Children;
    ExplorerKind kind = ExplorerKind::Leaf;
    int item = 0;
    long generation = 0; // of the tree's contents the request was made for
    CExplorerLoadResult result;
};

class CExplorerWorker {
public:
    enum State { Connected = 0, NotConnected = 1, Connecting = -1 };

    using ReplyHandler = std::function<void(CExplorerReply)>;

    // Both handlers are called on the worker thread.
    CExplorerWorker(ReplyHandler reply, std::function<void()> onLogin);
    ~CExplorerWorker();
    CExplorerWorker(const CExplorerWorker&) = delete;
    CExplorerWorker& operator=(const CExplorerWorker&) = delete;

    bool Start();
    // Stops the thread; askRetry decides after each 20 second round (null:
    // the module's Retry/Cancel question).
    void Stop(std::function<bool()> askRetry = nullptr);

    void SetLogon(const std::string& host, const std::string& user, const std::string& password);
    std::string Host() const;
    std::string UserName() const;
    std::string Password() const;
    // "user/password@host".
    std::string ConnectString() const;

    int State() const;
    long MajorVersion() const { return m_major.load(); }

    // Appends a request; false once stopped.
    bool Post(CExplorerRequest request);
    // Queues a disconnect when connected, then a connect.
    void Login();
    void Disconnect();
    // The loads of the two roots, for the current generation.
    void QueueRoots();
    // The tree's contents are replaced at every reset and disconnect; an
    // answer made for an older generation is dropped.
    long Generation() const { return m_generation.load(); }
    long NewGeneration() { return ++m_generation; }

    // Called on the worker thread before each request is handled (tests).
    void SetRequestHook(std::function<void(const CExplorerRequest&)> hook) { m_hook = std::move(hook); }

private:
    void Main();
    void Handle(CExplorerRequest& request);
    void DoConnect();
    void DoDisconnect();
    void SetState(int state);

    ReplyHandler m_reply;
    std::function<void()> m_onLogin;
    std::function<void(const CExplorerRequest&)> m_hook;

    mutable std::mutex m_lock; // queue, logon details and state
    std::deque<CExplorerRequest> m_queue;
    std::string m_host, m_user, m_password;
    int m_state = NotConnected;
    VkSemaphore m_pending{0, 9999};
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_major{0};
    std::atomic<long> m_generation{0};
    std::unique_ptr<VkOracle::OCISession> m_session;
    VkThread m_thread;
};
