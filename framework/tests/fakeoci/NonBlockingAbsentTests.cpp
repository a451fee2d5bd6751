// A client library without onbtst and onbset: the binding leaves those two
// unresolved and works normally, since they are never called.

#include "FakeOciTestSupport.h"

using VkOracle::OCISession;

namespace {

class OciBindingWithoutNonBlocking : public fakeoci::FakeOciTest {
protected:
    OciBindingWithoutNonBlocking() : FakeOciTest(WithoutNonBlocking) {}
};

TEST_F(OciBindingWithoutNonBlocking, ResolvesTheOthersAndWorks)
{
    ASSERT_TRUE(VkOracle::IsOracleAvailable());
    const auto& lib = VkOracle::OCIW32();
    EXPECT_EQ(lib.onbtst, nullptr);
    EXPECT_EQ(lib.onbset, nullptr);
    EXPECT_NE(lib.olog, nullptr);
    EXPECT_NE(lib.ofen, nullptr);
    EXPECT_NE(lib.obreak, nullptr);

    auto session = fakeoci::Logon("LEGACY");
    ASSERT_TRUE(session->Connected());
    EXPECT_TRUE(session->SetVersion());
    EXPECT_EQ(session->MajorVersion(), 7);
    auto cursor = session->Cursor();
    std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql("select n from rows5"));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Fetch(2), 2);
    EXPECT_EQ(data->Fetch(2), 2);
    EXPECT_EQ(data->Fetch(2), 1);
    EXPECT_EQ(data->GetLong(0, 0), 5);
    EXPECT_TRUE(session->Break());
    EXPECT_TRUE(session->Disconnect());
}

TEST_F(OciBindingWithoutNonBlocking, AFailedInitialisationIsRetried)
{
    ASSERT_FALSE(OCISession::Initialised());
    const int calls = fakeoci::Stat("opinit_calls");
    fakeoci::FailNextOpinit(1);
    OCISession first(true);
    EXPECT_FALSE(OCISession::Initialised());
    EXPECT_EQ(fakeoci::Stat("opinit_calls"), calls + 1);
    OCISession second(true);
    EXPECT_TRUE(OCISession::InitialisedThreaded());
    EXPECT_EQ(fakeoci::Stat("opinit_calls"), calls + 2);
    OCISession third(false);
    EXPECT_EQ(fakeoci::Stat("opinit_calls"), calls + 2);
    EXPECT_TRUE(OCISession::InitialisedThreaded());
}

// A copy of the binding holds its own reference to the library.
TEST_F(OciBindingWithoutNonBlocking, CopiesKeepTheirEntryPoints)
{
    VkOracle::VkOCIW32Lib copy(VkOracle::OCIW32());
    EXPECT_TRUE(copy.Loaded());
    EXPECT_EQ(copy.olog, VkOracle::OCIW32().olog);
    EXPECT_EQ(copy.onbtst, nullptr);
    EXPECT_TRUE(copy.Unload());
    EXPECT_TRUE(VkOracle::IsOracleAvailable());
    auto session = fakeoci::Logon();
    EXPECT_TRUE(session->Connected());
}

} // namespace
