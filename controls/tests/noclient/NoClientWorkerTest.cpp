// The worker when the client library cannot be loaded: a connect
// reports the missing library and leaves the queue not connected.

#include "controls/CJobQueueMessages.h"
#include "controls/CJobQueueWorker.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/OracleClient.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"
#include "testsupport/WorkerReceiver.h"

#include <QCoreApplication>

#include <atomic>
#include <vector>

namespace {

// The client library is bound to a missing file for this test only.
class WorkerWithoutClient : public ::testing::Test {
    qvtest::ScopedOracleClient m_client{qvtest::ScopedOracleClient::Missing()};
};

TEST_F(WorkerWithoutClient, ConnectReportsTheMissingLibrary)
{
    qvtest::WorkerReceiver receiver;
    CJobQueueWorker worker(&receiver);
    EXPECT_EQ(qvtest::ConnectAndWaitForLogin(worker, receiver), 1);
    ASSERT_EQ(receiver.statuses.size(), 1u);
    const CJobStatusRecord& status = receiver.statuses[0];
    EXPECT_EQ(status.m_text,
              "Oracle client not installed or corrupt. OCIW32.DLL is not available - please correct and retry.");
    EXPECT_EQ(status.m_image, IDB_TW_NO_CLIENT);
    EXPECT_EQ(status.m_frames, 1);
    EXPECT_FALSE(status.m_animate);
    EXPECT_TRUE(worker.LastFailed());
    EXPECT_EQ(worker.ConnectionState(), TwConnection::NotConnected);
    // Requests that need the server are refused with the reason.
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(worker, "select 1 from dual", error));
    EXPECT_EQ(error, "Not connected.");
    worker.Stop([] { return true; });
}

} // namespace
