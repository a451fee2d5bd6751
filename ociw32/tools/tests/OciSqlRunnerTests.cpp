// The runner over the call interface linked in, with the fake server.

#include "FakeOraServer.h"

#include "ociw32/names/OraHome.h"
#include "ociw32/tools/ocisql/OciSqlRunner.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace VkOracle;

namespace {

OciFunctions LinkedFunctions()
{
    OciFunctions f;
#define QV_OCI_LINKED(name) f.name = &::name;
    QV_OCI_ENTRY_POINTS(QV_OCI_LINKED)
#undef QV_OCI_LINKED
    return f;
}

class OciSqlRunnerTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        const std::filesystem::path home = root() / "oracle";
        std::filesystem::create_directories(home / "database" / "DEMO");
        std::filesystem::create_directories(home / "network" / "ADMIN");
        std::ofstream(home / "network" / "ADMIN" / "tnsnames.ora")
            << "DEMO = (DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = localhost)(PORT = 1521))\n"
               "  (CONNECT_DATA = (SID = DEMO)))\n";
        ASSERT_TRUE(OraRegisterHome(home, "DEMO"));
        InstallOraServer(&m_server);
    }
    void TearDown() override
    {
        InstallOraServer(nullptr);
        qvtest::FreshRootTest::TearDown();
    }

    // Runs statements in a mode; returns whether all succeeded.
    bool RunAll(OciSqlRunner::Mode mode, const std::vector<std::string>& statements)
    {
        OciSqlRunner runner(m_functions, mode, m_out, m_err);
        bool ok = runner.Connect("scott/tiger@DEMO");
        for (const std::string& s : statements)
            ok = runner.Run(s) && ok;
        return runner.Finish() && ok;
    }

    fake::FakeOraServer m_server;
    OciFunctions m_functions = LinkedFunctions();
    VkOracle::OciSqlOutput m_out;
    VkOracle::OciSqlOutput m_err;
};

} // namespace

TEST_F(OciSqlRunnerTest, AlignedOutputForPeople)
{
    EXPECT_TRUE(RunAll(OciSqlRunner::Mode::Aligned, {"SELECT * FROM ROWS3", "UPDATE 1", "UPDATE 4",
                                                     "CREATE TABLE t (x NUMBER)", "SELECT * FROM ROWS0"}));
    EXPECT_EQ(m_out.Text(),
              "\n"
              "ID NAME NOTE   D\n"
              "-- ---- ------ ---------\n"
              " 1 ROW1 note 1 01-JAN-01\n"
              " 2 ROW2 note 2 02-JAN-01\n"
              " 3 ROW3        03-JAN-01\n"
              "\n"
              "3 rows selected.\n\n"
              "1 row updated.\n\n"
              "4 rows updated.\n\n"
              "Table created.\n\n"
              "no rows selected\n\n");
    EXPECT_EQ(m_err.Text(), "");
    EXPECT_EQ(m_server.commits.load(), 2); // on finishing, and at logoff
}

TEST_F(OciSqlRunnerTest, TabSeparatedRowsWithIsoDates)
{
    EXPECT_TRUE(RunAll(OciSqlRunner::Mode::Tsv, {"SELECT * FROM ROWS3", "UPDATE 2", "SELECT VALUES"}));
    EXPECT_EQ(m_out.Text(),
              "ID\tNAME\tNOTE\tD\n"
              "1\tROW1\tnote 1\t2001-01-01 00:00:00\n"
              "2\tROW2\tnote 2\t2001-01-02 00:00:00\n"
              "3\tROW3\t\t2001-01-03 00:00:00\n"
              "AMOUNT\tCOUNT\tWORD\tWHEN\tNOTHING\tDIGITS\tHALF\tA_VERY_LONG_COLUMN_NAME_OF_30\n"
              "1234.5\t42\thello\t2001-01-01 01:01:01\t\t123\t-.5\tabc\n");
}

TEST_F(OciSqlRunnerTest, DescribeListsTheSelectList)
{
    EXPECT_TRUE(RunAll(OciSqlRunner::Mode::Describe, {"SELECT * FROM ROWS3"}));
    EXPECT_EQ(m_out.Text(),
              "ID\t2\t22\t6\t0\t0\n"
              "NAME\t1\t10\t0\t0\t1\n"
              "NOTE\t1\t20\t0\t0\t1\n"
              "D\t12\t7\t0\t0\t1\n");
}

TEST_F(OciSqlRunnerTest, ErrorsGoToTheErrorStreamAndTheRestRuns)
{
    EXPECT_FALSE(RunAll(OciSqlRunner::Mode::Tsv, {"SELECT FROM x", "nonsense", "UPDATE 1", "LOST"}));
    EXPECT_EQ(m_err.Text(),
              "ORA-00936: missing expression\n"
              "ORA-00900: invalid SQL statement\n"
              "ORA-03113: end-of-file on communication channel\n"
              "ORA-03114: not connected to ORACLE\n"); // the commit on finishing
}

TEST_F(OciSqlRunnerTest, FailedLogon)
{
    OciSqlRunner runner(m_functions, OciSqlRunner::Mode::Aligned, m_out, m_err);
    EXPECT_FALSE(runner.Connect("scott/lion@DEMO"));
    EXPECT_EQ(m_err.Text(), "ORA-01017: invalid username/password; logon denied\n");
    EXPECT_FALSE(runner.Run("SELECT VALUES"));
}
