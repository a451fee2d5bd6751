// Sessions and cursors over the stand-in client library.

#include "FakeOciTestSupport.h"

#include "generic/VkDateFormat.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using VkOracle::OCISession;

namespace {

class OciBinding : public fakeoci::FakeOciTest {};
class OciSession : public fakeoci::FakeOciTest {};
class OciCursor : public fakeoci::FakeOciTest {};

TEST_F(OciBinding, ResolvesAllSixteenEntryPoints)
{
    ASSERT_TRUE(VkOracle::IsOracleAvailable());
    for (const void* point : VkOracle::OCIW32().Addresses())
        EXPECT_NE(point, nullptr);
}

TEST_F(OciBinding, InitialisesThreadSafeOncePerBinding)
{
    const int calls = fakeoci::Stat("opinit_calls");
    const int nbCalls = fakeoci::Stat("nb_calls");
    EXPECT_FALSE(OCISession::Initialised());
    OCISession first(true);
    OCISession second(false);
    OCISession::Initialise(false);
    EXPECT_TRUE(OCISession::InitialisedThreaded());
    EXPECT_EQ(fakeoci::Stat("opinit_mode"), OCI_EV_TSF);
    EXPECT_EQ(fakeoci::Stat("opinit_calls"), calls + 1);
    // The non-blocking pair is resolved but never called.
    EXPECT_EQ(fakeoci::Stat("nb_calls"), nbCalls);
}

struct LogonCase {
    const char* user;
    const char* password;
    const char* database;
    int code;
    const char* text;
};

class OciLogon : public fakeoci::FakeOciTest, public ::testing::WithParamInterface<LogonCase> {};

TEST_P(OciLogon, ReportsTheServersCodeAndText)
{
    const LogonCase& c = GetParam();
    OCISession session;
    session.SetUserName(c.user);
    session.SetPassword(c.password);
    session.SetDatabase(c.database);
    EXPECT_EQ(session.Connect(), c.code == 0);
    EXPECT_EQ(session.Connected(), c.code == 0);
    EXPECT_EQ(session.OracleError(), c.code);
    EXPECT_EQ(session.Error(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OciLogon,
    ::testing::Values(LogonCase{"scott", "tiger", "DEMO", 0, "No error"},
                      LogonCase{"SCOTT", "TIGER", "legacy", 0, "No error"},
                      LogonCase{"scott/tiger@demo", nullptr, nullptr, 0, "No error"},
                      LogonCase{"scott", "wrong", "DEMO", 1017,
                                "ORA-01017: invalid username/password; logon denied"},
                      LogonCase{"scott", "tiger", "NOWHERE", 12154,
                                "ORA-12154: TNS:could not resolve service name"},
                      LogonCase{"scott", "tiger", "DOWN", 1034, "ORA-01034: ORACLE not available"}));

TEST_F(OciSession, DisconnectAndBreakNeedAConnection)
{
    OCISession session;
    EXPECT_FALSE(session.Disconnect());
    EXPECT_FALSE(session.Break());
    auto connected = fakeoci::Logon();
    const int breaks = fakeoci::Stat("breaks");
    EXPECT_TRUE(connected->Break());
    EXPECT_EQ(fakeoci::Stat("breaks"), breaks + 1);
    EXPECT_TRUE(connected->Disconnect());
    EXPECT_FALSE(connected->Connected());
    EXPECT_FALSE(connected->Disconnect());
}

TEST_F(OciSession, DestructionLogsOff)
{
    const int before = fakeoci::Stat("sessions");
    {
        auto session = fakeoci::Logon();
        EXPECT_EQ(fakeoci::Stat("sessions"), before + 1);
    }
    EXPECT_EQ(fakeoci::Stat("sessions"), before);
}

TEST_F(OciSession, CopyCarriesLogonDetailsButNotTheServerSession)
{
    auto session = fakeoci::Logon();
    const int before = fakeoci::Stat("sessions");
    {
        OCISession copy(*session);
        EXPECT_FALSE(copy.Connected());
        EXPECT_EQ(copy.UserName(), "scott");
        EXPECT_TRUE(copy.Connect());
        EXPECT_EQ(fakeoci::Stat("sessions"), before + 1);
    }
    // The original's server session survives the copy's logoff.
    EXPECT_EQ(fakeoci::Stat("sessions"), before);
    auto cursor = session->Cursor();
    std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql("select n from rows3"));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->Fetch(10), 3);
}

TEST_F(OciCursor, OpensOnlyOnAConnectedSessionAndCountsItself)
{
    OCISession session;
    {
        auto cursor = session.Cursor();
        EXPECT_FALSE(cursor.OK());
        EXPECT_EQ(cursor.Sql("select n from rows3"), nullptr);
        EXPECT_FALSE(cursor.Close());
        EXPECT_EQ(session.OpenCursorCount(), 1);
    }
    EXPECT_EQ(session.OpenCursorCount(), 0);
    EXPECT_EQ(session.Error(), "No error");

    auto connected = fakeoci::Logon();
    const int open = fakeoci::Stat("cursors");
    {
        auto cursor = connected->Cursor();
        EXPECT_TRUE(cursor.OK());
        EXPECT_EQ(fakeoci::Stat("cursors"), open + 1);
    }
    EXPECT_EQ(fakeoci::Stat("cursors"), open);
    auto cursor = connected->Cursor();
    EXPECT_TRUE(cursor.Close());
    EXPECT_FALSE(cursor.OK());
    EXPECT_FALSE(cursor.Close());
}

TEST_F(OciCursor, ParseFailureIsNullWithTheCodeInTheCursor)
{
    auto session = fakeoci::Logon();
    auto cursor = session->Cursor();
    EXPECT_EQ(cursor.Sql("select * from missing"), nullptr);
    EXPECT_EQ(cursor.OracleError(), 942);
    EXPECT_EQ(cursor.Error(), "ORA-00942: table or view does not exist");
    EXPECT_EQ(session->OracleError(), 0);
    std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql("select n from rows1"));
    ASSERT_TRUE(data);
    // Parsed at once, with the server's own language behaviour.
    EXPECT_EQ(fakeoci::Stat("parse_flags"), 1);
    EXPECT_EQ(data->Fetch(1), 1);
    EXPECT_EQ(cursor.Error(), "No error");
}

TEST_F(OciSession, VersionAndMajorVersion)
{
    for (const auto& [database, version, major] :
         {std::tuple{"DEMO", "10.2.0.1.0", 10L}, std::tuple{"LEGACY", "7.3.4.0.0", 7L}}) {
        auto session = fakeoci::Logon(database);
        EXPECT_EQ(session->MajorVersion(), 0);
        EXPECT_TRUE(session->SetVersion());
        EXPECT_EQ(session->Version(), version);
        EXPECT_EQ(session->MajorVersion(), major);
        EXPECT_EQ(session->OpenCursorCount(), 0);
    }
    OCISession disconnected;
    EXPECT_FALSE(disconnected.SetVersion());
    EXPECT_TRUE(disconnected.Version().empty());
}

TEST_F(OciSession, ServerDateTime)
{
    auto session = fakeoci::Logon();
    double expected = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({2026, 12, 7, 10, 30, 15}, expected));
    EXPECT_DOUBLE_EQ(session->GetServerDateTime(), expected);
    OCISession disconnected;
    EXPECT_EQ(disconnected.GetServerDateTime(), 0.0);
}

TEST_F(OciSession, SeveralSessionsOnSeveralThreads)
{
    constexpr int threads = 6;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    std::vector<double> sums(threads, 0.0);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &failures, &sums] {
            OCISession session(true);
            session.SetUserName("scott");
            session.SetPassword("tiger");
            session.SetDatabase(t % 2 ? "LEGACY" : "DEMO");
            if (!session.Connect()) {
                ++failures;
                return;
            }
            for (int round = 0; round < 20; ++round) {
                auto cursor = session.Cursor();
                const std::string sql = "select n from rows" + std::to_string(100 + t);
                std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql(sql.c_str()));
                if (!data) {
                    ++failures;
                    return;
                }
                double sum = 0;
                while (long rows = data->Fetch(7))
                    for (long r = 0; r < rows; ++r)
                        sum += data->GetFloat(static_cast<int>(r), 0);
                if (data->TotalRows() != 100 + t)
                    ++failures;
                sums[static_cast<std::size_t>(t)] = sum;
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
    EXPECT_EQ(failures.load(), 0);
    for (int t = 0; t < threads; ++t) {
        const double n = 100 + t;
        EXPECT_DOUBLE_EQ(sums[static_cast<std::size_t>(t)], n * (n + 1) / 2);
    }
}

} // namespace
