// Sessions, cursors and the TNS names reader against the real client
// library and the demo databases that "oradmin demo" provisions in the
// test's fresh data root.

#include "framework/COracle_TNSNames.h"
#include "framework/OCISession.h"
#include "framework/TwHostDetails.h"
#include "framework/VkOCIW32Lib.h"
#include "generic/VkDateFormat.h"
#include "testsupport/DemoDatabases.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

std::unique_ptr<OCISession> Session(const char* user, const char* password, const char* database)
{
    auto session = std::make_unique<OCISession>(true);
    session->SetUserName(user);
    session->SetPassword(password);
    session->SetDatabase(database);
    session->Connect();
    return session;
}

TEST(RealClientLibrary, IsBoundWithAllEntryPoints)
{
    ASSERT_TRUE(VkOracle::IsOracleAvailable());
    const auto& lib = VkOracle::OCIW32();
    for (const void* point : lib.Addresses())
        EXPECT_NE(point, nullptr);
    OCISession session(true);
    EXPECT_TRUE(OCISession::InitialisedThreaded());
}

// The demo home's names, in a data root of the test's own.
class DemoHome : public qvtest::DemoDatabaseTest {};

TEST_F(DemoHome, UnknownAliasFailsWithItsCodeAndText)
{
    auto session = Session("scott", "tiger", "NO_SUCH_ALIAS");
    EXPECT_FALSE(session->Connected());
    EXPECT_EQ(session->OracleError(), 12154);
    EXPECT_EQ(session->Error().rfind("ORA-12154: ", 0), 0u) << session->Error();
    EXPECT_NE(session->Error().back(), '\n');
}

TEST_F(DemoHome, NamesReaderListsTheDemoAliases)
{
    COracle_TNSNames names(true);
    ASSERT_EQ(names.Error(), COracle_TNSNames::Loaded);
    std::vector<std::string> all;
    std::string name;
    while (names.Next(name))
        all.push_back(name);
    for (const char* alias : {"DEMO", "DOWN", "LEGACY"})
        EXPECT_NE(std::find(all.begin(), all.end(), alias), all.end()) << alias;
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
    EXPECT_EQ(TwHostDetailsText(names, "LEGACY"),
              "Host details:\n\nAddress: TCP (port 1521) on 127.0.0.1\nSID: LEGACY\n");
    EXPECT_EQ(TwHostDetailsText(names, "DEMO"),
              "Host details:\n\nAddress: TCP (port 1521) on localhost\nService Name: DEMO\n");
    EXPECT_EQ(names.Directory(), std::string(std::getenv("QUORVANE_ROOT")) + "/oracle/network/ADMIN");
}

// The rest needs the embedded server's databases.
class DemoDatabase : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_session = Session("scott", "tiger", "DEMO");
        ASSERT_TRUE(m_session->Connected()) << m_session->Error();
    }

    std::unique_ptr<QueryData> Sql(OCISession::OCICursor& cursor, const char* sql)
    {
        std::unique_ptr<QueryData> data(cursor.Sql(sql));
        EXPECT_TRUE(data) << sql << ": " << cursor.Error();
        return data;
    }

    std::unique_ptr<OCISession> m_session;
};

TEST_F(DemoDatabase, LogonFailuresCarryTheServersCodeAndText)
{
    const struct {
        const char* user;
        const char* password;
        const char* database;
        int code;
    } cases[] = {{"scott", "wrong", "DEMO", 1017}, {"scott", "tiger", "DOWN", 1034}, {"scott", "tiger", "NOWHERE", 12154}};
    for (const auto& c : cases) {
        auto session = Session(c.user, c.password, c.database);
        EXPECT_FALSE(session->Connected()) << c.database;
        EXPECT_EQ(session->OracleError(), c.code) << c.database;
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", c.code);
        EXPECT_EQ(session->Error().rfind(prefix, 0), 0u) << session->Error();
    }
    auto whole = Session("scott/tiger@DEMO", nullptr, nullptr);
    EXPECT_TRUE(whole->Connected()) << whole->Error();
}

TEST_F(DemoDatabase, MajorVersions)
{
    EXPECT_TRUE(m_session->SetVersion());
    EXPECT_EQ(m_session->MajorVersion(), 10);
    auto legacy = Session("scott", "tiger", "LEGACY");
    ASSERT_TRUE(legacy->Connected()) << legacy->Error();
    EXPECT_TRUE(legacy->SetVersion());
    EXPECT_EQ(legacy->MajorVersion(), 7);
    EXPECT_GT(m_session->GetServerDateTime(), 36526.0);
}

TEST_F(DemoDatabase, FetchesInArraysOf50)
{
    auto cursor = m_session->Cursor();
    auto create = Sql(cursor, "CREATE TABLE qv_rows (n NUMBER, label VARCHAR2(30))");
    ASSERT_TRUE(create);
    auto insert = Sql(cursor, "INSERT INTO qv_rows VALUES (:n, 'row')");
    ASSERT_TRUE(insert);
    for (double n = 1; n <= 120; ++n)
        ASSERT_TRUE(insert->Execute(":n", &n)) << cursor.Error();
    auto select = Sql(cursor, "SELECT n, label FROM qv_rows ORDER BY n");
    ASSERT_TRUE(select);
    const long expected[] = {50, 50, 20, 0};
    long first = 1;
    for (long rows : expected) {
        EXPECT_EQ(select->Fetch(50), rows) << cursor.Error();
        if (rows > 0) {
            EXPECT_EQ(select->GetLong(0, 0), first);
        }
        first += rows;
    }
    EXPECT_EQ(select->TotalRows(), 120);
    EXPECT_EQ(select->GetString(0, 1), "");
}

TEST_F(DemoDatabase, CellGetters)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor,
                    "SELECT 'Yes' a, 'N' b, '0' c, '42abc' d, TO_NUMBER(NULL) e, TO_CHAR(NULL) f, "
                    "TO_DATE('31-12-1999 23:59:58', 'DD-MM-YYYY HH24:MI:SS') g, TO_DATE(NULL) h, "
                    "42.5 abcdefghijklmnopqrstuvwxy FROM dual");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(10), 1) << cursor.Error();
    EXPECT_EQ(data->GetLong(0, 0), 1);
    EXPECT_TRUE(data->GetBoolean(0, 0));
    EXPECT_FALSE(data->GetBoolean(0, 1));
    EXPECT_FALSE(data->GetBoolean(0, 2));
    EXPECT_EQ(data->GetLong(0, 3), 42);
    EXPECT_EQ(data->GetLong(0, 4), 0);
    EXPECT_EQ(data->GetString(0, 4), "0");
    EXPECT_EQ(data->GetString(0, 5), "");
    double expected = 0;
    ASSERT_TRUE(VkDateFormat::ToAutomationDate({1999, 12, 31, 23, 59, 58}, expected));
    EXPECT_EQ(data->GetDate(0, 6), expected);
    EXPECT_EQ(data->GetDate(0, 7), 0.0);
    EXPECT_EQ(data->ColumnIndexFromName("ABCDEFGHIJKLMNOPQRSTUVWXY"), -1);
    EXPECT_EQ(data->ColumnIndexFromName("ABCDEFGHIJKLMNOPQRST"), 8);
    EXPECT_DOUBLE_EQ(data->GetFloat(0, 8), 42.5);
}

// LONG columns (check conditions, view texts) read as their text.
TEST_F(DemoDatabase, LongColumnsReadAsText)
{
    auto cursor = m_session->Cursor();
    auto data = Sql(cursor,
                    "SELECT search_condition FROM user_constraints "
                    "WHERE constraint_name = 'CK_PROJECTS_STATUS'");
    ASSERT_TRUE(data);
    ASSERT_EQ(data->Fetch(10), 1) << cursor.Error();
    EXPECT_TRUE(data->Column(0).IsString());
    EXPECT_EQ(data->GetString(0, 0), "STATUS IN ('A', 'H', 'C')");
}

TEST_F(DemoDatabase, ExecuteBindsNamedDoublesInAndOut)
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> block(cursor.Sql("BEGIN :jobno := :jobno * 10 + :step; END;"));
    ASSERT_TRUE(block) << cursor.Error();
    double job = 4, step = 2;
    ASSERT_TRUE(block->Execute(":jobno", &job, ":step", &step)) << cursor.Error();
    EXPECT_EQ(job, 42.0);
    EXPECT_EQ(step, 2.0);
}

TEST_F(DemoDatabase, SubmitsAJobThroughAnOutBind)
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> submit(cursor.Sql("BEGIN DBMS_JOB.SUBMIT(:jobno, 'null;', SYSDATE + 1, NULL); END;"));
    ASSERT_TRUE(submit) << cursor.Error();
    double job = 0;
    ASSERT_TRUE(submit->Execute(":jobno", &job)) << cursor.Error();
    EXPECT_GT(job, 0.0);
    // Committed: another session sees the job.
    auto other = Session("scott", "tiger", "DEMO");
    auto otherCursor = other->Cursor();
    const std::string sql = "SELECT COUNT(*) FROM user_jobs WHERE job = " + std::to_string(static_cast<long>(job));
    std::unique_ptr<QueryData> count(otherCursor.Sql(sql.c_str()));
    ASSERT_TRUE(count) << otherCursor.Error();
    ASSERT_EQ(count->Fetch(1), 1);
    EXPECT_EQ(count->GetLong(0, 0), 1);
    std::unique_ptr<QueryData> copy(count->GetCopy());
    count->Drop();
    EXPECT_EQ(copy->GetLong(0, 0), 1);
}

TEST_F(DemoDatabase, SeveralSessionsOnSeveralThreads)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&failures, t] {
            auto session = Session("scott", "tiger", t % 2 ? "LEGACY" : "DEMO");
            if (!session->Connected()) {
                ++failures;
                return;
            }
            for (int round = 0; round < 5; ++round) {
                auto cursor = session->Cursor();
                std::unique_ptr<QueryData> data(cursor.Sql("SELECT SYSDATE FROM dual"));
                if (!data || data->Fetch(1) != 1 || data->GetDate(0, 0) <= 0.0)
                    ++failures;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
}

} // namespace
