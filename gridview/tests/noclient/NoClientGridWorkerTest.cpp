// The grid's worker when the client library cannot be loaded: a
// connect reports the missing library (message 358) and stays disconnected.

#include "gridview/TwQuillGridWorker.h"
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
class GridWorkerWithoutClient : public ::testing::Test {
    qvtest::ScopedOracleClient m_client{qvtest::ScopedOracleClient::Missing()};
};

TEST_F(GridWorkerWithoutClient, ConnectReportsTheMissingLibrary)
{
    qvtest::WorkerReceiver receiver;
    TwQuillGridWorker worker(&receiver);
    EXPECT_EQ(qvtest::ConnectAndWaitForLogin(worker, receiver), 1);
    ASSERT_EQ(receiver.statuses.size(), 1u);
    EXPECT_EQ(receiver.statuses[0].m_text,
              "Oracle client not installed or corrupt. OCIW32.DLL is not available - please correct and retry.");
    EXPECT_EQ(receiver.statuses[0].m_image, IDB_TW_NO_CLIENT);
    EXPECT_TRUE(worker.LastFailed());
    EXPECT_EQ(worker.ConnectionState(), TwConnection::NotConnected);
    // A run without a connection does nothing and says why.
    std::string error;
    EXPECT_FALSE(qvtest::TestSql(worker, "select 1 from dual", error));
    EXPECT_EQ(error, "Not connected");
    worker.Stop([] { return true; });
}

} // namespace
