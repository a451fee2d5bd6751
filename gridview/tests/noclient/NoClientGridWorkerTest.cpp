// The grid's worker in a process whose client library cannot be loaded: a
// connect reports the missing library (message 358) and stays disconnected.

#include "gridview/TwQuillGridWorker.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/TestRoot.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <atomic>
#include <vector>

namespace {

class StatusReceiver : public QObject {
public:
    std::vector<TwGridStatusRecord> statuses;
    bool event(QEvent* e) override
    {
        auto* message = dynamic_cast<VkMessageEvent*>(e);
        if (!message || message->Message() != GVM_STATUS)
            return QObject::event(e);
        statuses.push_back(*message->TakeRecord<TwGridStatusRecord>());
        return true;
    }
};

TEST(GridWorkerWithoutClient, ConnectReportsTheMissingLibrary)
{
    StatusReceiver receiver;
    TwQuillGridWorker worker(&receiver);
    std::atomic<int> logins{0};
    worker.SetLoginHandler([&] { ++logins; });
    worker.SetLogon("DEMO", "scott", "tiger");
    ASSERT_TRUE(worker.Connect());
    QDeadlineTimer limit(60000);
    // The login notification comes from the worker thread just after the
    // status is posted: wait for both.
    while ((receiver.statuses.empty() || logins == 0) && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_EQ(receiver.statuses.size(), 1u);
    EXPECT_EQ(receiver.statuses[0].m_text,
              "Oracle client not installed or corrupt. OCIW32.DLL is not available - please correct and retry.");
    EXPECT_EQ(receiver.statuses[0].m_image, IDB_TW_NO_CLIENT);
    EXPECT_TRUE(worker.LastFailed());
    EXPECT_EQ(worker.ConnectionState(), TwConnection::NotConnected);
    EXPECT_EQ(logins, 1);
    // A run without a connection does nothing and says why.
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(worker, "select 1 from dual", error));
    EXPECT_EQ(error, "Not connected");
    worker.Stop([] { return true; });
}

} // namespace
