// The worker in a process whose client library cannot be loaded: a connect
// reports the missing library and leaves the queue not connected.

#include "controls/CJobQueueMessages.h"
#include "controls/CJobQueueWorker.h"
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
    std::vector<CJobStatusRecord> statuses;
    bool event(QEvent* e) override
    {
        auto* message = dynamic_cast<VkMessageEvent*>(e);
        if (!message || message->Message() != JLM_STATUS)
            return QObject::event(e);
        statuses.push_back(*message->TakeRecord<CJobStatusRecord>());
        return true;
    }
};

TEST(WorkerWithoutClient, ConnectReportsTheMissingLibrary)
{
    StatusReceiver receiver;
    CJobQueueWorker worker(&receiver);
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
    const CJobStatusRecord& status = receiver.statuses[0];
    EXPECT_EQ(status.m_text,
              "Oracle client not installed or corrupt. OCIW32.DLL is not available - please correct and retry.");
    EXPECT_EQ(status.m_image, IDB_TW_NO_CLIENT);
    EXPECT_EQ(status.m_frames, 1);
    EXPECT_FALSE(status.m_animate);
    EXPECT_TRUE(worker.LastFailed());
    EXPECT_EQ(worker.ConnectionState(), TwConnection::NotConnected);
    EXPECT_EQ(logins, 1);
    // Requests that need the server are refused with the reason.
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(worker, "select 1 from dual", error));
    EXPECT_EQ(error, "Not connected.");
    worker.Stop([] { return true; });
}

} // namespace
