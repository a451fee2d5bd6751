// Without the client library the framework still loads and every Oracle
// operation fails quietly, calling nothing.

#include "framework/OCISession.h"
#include "framework/VkOCIW32Lib.h"
#include "testsupport/OracleClient.h"

#include <gtest/gtest.h>

#include <memory>

using VkOracle::OCISession;

namespace {

class NoOracleClient : public ::testing::Test {
    qvtest::ScopedOracleClient m_client{qvtest::ScopedOracleClient::Missing()};
};

TEST_F(NoOracleClient, IsNotAvailableAndNothingIsResolved)
{
    EXPECT_FALSE(VkOracle::IsOracleAvailable());
    const auto& lib = VkOracle::OCIW32();
    EXPECT_FALSE(lib.Loaded());
    EXPECT_EQ(lib.Path(), qvtest::ScopedOracleClient::Missing());
    for (const void* point : lib.Addresses())
        EXPECT_EQ(point, nullptr);
    EXPECT_EQ(lib.Proc("olog"), nullptr);
    EXPECT_STREQ(VkOracle::VkOCIW32Lib::LogicalName, "OCIW32.DLL");
}

TEST_F(NoOracleClient, EveryOperationFailsAsAResult)
{
    OCISession session(true);
    EXPECT_FALSE(OCISession::Initialised());
    session.SetUserName("scott");
    session.SetPassword("tiger");
    session.SetDatabase("DEMO");
    EXPECT_FALSE(session.Connect());
    EXPECT_FALSE(session.Connected());
    EXPECT_EQ(session.OracleError(), 0);
    EXPECT_EQ(session.Error(), "No error");
    EXPECT_FALSE(session.Disconnect());
    EXPECT_FALSE(session.Break());
    EXPECT_FALSE(session.SetVersion());
    EXPECT_EQ(session.MajorVersion(), 0);
    EXPECT_EQ(session.GetServerDateTime(), 0.0);
    auto cursor = session.Cursor();
    EXPECT_FALSE(cursor.OK());
    EXPECT_FALSE(cursor.Open());
    EXPECT_FALSE(cursor.Close());
    EXPECT_EQ(cursor.Sql("select 1 from dual"), nullptr);
    EXPECT_EQ(cursor.Error(), "No error");
}

} // namespace
