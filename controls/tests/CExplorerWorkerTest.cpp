// The explorer's worker without a window: requests are handled first in,
// first out; a login while connected disconnects first; answers carry the
// generation of the tree contents they were asked for.

#include "controls/CExplorerWorker.h"
#include "platform/SyncObjects.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"

#include <mutex>

namespace {

class ExplorerWorker : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_worker = std::make_unique<CExplorerWorker>(
            [this](CExplorerReply reply) {
                std::lock_guard guard(m_lock);
                m_replies.push_back(std::move(reply));
                m_replied.Set();
            },
            [this] {
                ++m_logins;
                m_loginSeen.Set();
            });
        m_worker->SetRequestHook([this](const CExplorerRequest& r) {
            std::lock_guard guard(m_lock);
            m_kinds.push_back(r.kind);
        });
        ASSERT_TRUE(m_worker->Start());
        m_worker->SetLogon("DEMO", "scott", "tiger");
    }

    // Waits until count replies have come.
    bool WaitForReplies(size_t count)
    {
        for (;;) {
            {
                std::lock_guard guard(m_lock);
                if (m_replies.size() >= count)
                    return true;
            }
            if (m_replied.Wait(60000) != VkWaitResult::Signalled)
                return false;
        }
    }

    std::unique_ptr<CExplorerWorker> m_worker;
    std::mutex m_lock;
    std::vector<CExplorerReply> m_replies;
    std::vector<ExplorerKind> m_kinds;
    std::atomic<int> m_logins{0};
    VkEvent m_replied{false, false};
    VkEvent m_loginSeen{false, false};
};

TEST_F(ExplorerWorker, ConnectLoadsBothRootsAndALoginAgainDisconnectsFirst)
{
    using K = ExplorerKind;
    EXPECT_EQ(m_worker->ConnectString(), "scott/tiger@DEMO");
    m_worker->Login();
    ASSERT_TRUE(WaitForReplies(2));
    EXPECT_EQ(m_worker->State(), CExplorerWorker::Connected);
    EXPECT_EQ(m_worker->MajorVersion(), 10);
    EXPECT_EQ(m_logins.load(), 2);
    {
        std::lock_guard guard(m_lock);
        EXPECT_EQ(m_kinds, (std::vector<K>{K::Connect, K::Schemas, K::Users}));
        ASSERT_EQ(m_replies.size(), 2u);
        EXPECT_EQ(m_replies[0].kind, K::Schemas);
        EXPECT_EQ(m_replies[0].item, 0);
        EXPECT_EQ(m_replies[1].kind, K::Users);
        EXPECT_EQ(m_replies[0].generation, 0);
        EXPECT_FALSE(m_replies[1].result.children.empty());
    }

    m_worker->Login();
    ASSERT_TRUE(WaitForReplies(5));
    std::lock_guard guard(m_lock);
    EXPECT_EQ(m_kinds, (std::vector<K>{K::Connect, K::Schemas, K::Users, K::Disconnect, K::Connect, K::Schemas, K::Users}));
    EXPECT_EQ(m_replies[2].type, CExplorerReply::Type::Clear);
    EXPECT_EQ(m_replies[2].generation, 1);
    EXPECT_EQ(m_replies[3].generation, 1);
    EXPECT_EQ(m_replies[4].generation, 1);
    EXPECT_EQ(m_logins.load(), 5);
}

TEST_F(ExplorerWorker, NothingIsLoadedWhileNotConnectedAndNothingQueuedAfterStop)
{
    CExplorerRequest request;
    request.kind = ExplorerKind::Schemas;
    request.path.resize(1);
    request.path[0].kind = ExplorerKind::Schemas;
    EXPECT_TRUE(m_worker->Post(request));
    m_worker->Disconnect(); // not connected: not queued
    m_worker->SetLogon("DEMO", "scott", "wrong");
    m_worker->Login();
    while (m_logins < 2)
        ASSERT_EQ(m_loginSeen.Wait(60000), VkWaitResult::Signalled);
    m_worker->Stop();
    EXPECT_EQ(m_worker->State(), CExplorerWorker::NotConnected);
    EXPECT_EQ(m_logins.load(), 2);
    std::lock_guard guard(m_lock);
    EXPECT_TRUE(m_replies.empty());
    EXPECT_EQ(m_kinds, (std::vector<ExplorerKind>{ExplorerKind::Schemas, ExplorerKind::Connect}));
    EXPECT_FALSE(m_worker->Post(request));
}

} // namespace
