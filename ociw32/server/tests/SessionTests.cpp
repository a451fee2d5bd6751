// Sessions: visibility across connections and processes, cancelling,
// hostile statement texts, version-dependent wording and date defaults.
#include "EngineFixture.h"

#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace oraenginetest {
namespace {

class SessionTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(Run("CREATE TABLE T (ID NUMBER(9) PRIMARY KEY, NAME VARCHAR2(30), D DATE, C CHAR(3))"), "ok");
    }
};

TEST_F(SessionTest, CommittedWorkIsVisibleToAnotherProcess)
{
    EXPECT_EQ(Run("INSERT INTO T (ID, NAME) VALUES (1, 'parent')"), "rows=1");
    ASSERT_TRUE(System().Commit().Ok());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // A second process with its own server instance state.
        std::unique_ptr<VkOracle::OraSession> s;
        int status = 1;
        if (VkOracle::TheOraServer().Logon(m_db, "SYSTEM", "MANAGER", &s).Ok() &&
            VkOracle::RunSql(*s, "INSERT INTO T (ID, NAME) SELECT ID + 1, 'child' FROM T WHERE ID = 1").Ok() &&
            s->Commit().Ok())
            status = 0;
        s.reset();
        ::_exit(status);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Run("SELECT ID, NAME FROM T ORDER BY ID"), "1|parent\n2|child");
}

TEST_F(SessionTest, UncommittedWorkStaysPrivateUntilCommit)
{
    VkOracle::OraSession& other = Logon("SYSTEM", "MANAGER");
    EXPECT_EQ(Run("INSERT INTO T (ID) VALUES (5)"), "rows=1");
    EXPECT_EQ(Run(other, "SELECT COUNT(*) FROM T"), "0");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T"), "1");
    ASSERT_TRUE(System().Rollback().Ok());
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T"), "0");
    // DDL commits the open transaction, as in Oracle.
    EXPECT_EQ(Run("INSERT INTO T (ID) VALUES (6)"), "rows=1");
    EXPECT_EQ(Run("CREATE SEQUENCE S1"), "ok");
    EXPECT_EQ(Run(other, "SELECT COUNT(*) FROM T"), "1");
}

TEST_F(SessionTest, LogonAndLogoffDoNotWaitForOpenTransactions)
{
    EXPECT_EQ(Run("INSERT INTO T (ID) VALUES (9)"), "rows=1"); // holds the write lock
    for (int i = 0; i < 3; ++i) {
        std::unique_ptr<VkOracle::OraSession> s;
        const VkOracle::OraResult r = Server().Logon(m_db, "SYSTEM", "MANAGER", &s);
        ASSERT_TRUE(r.Ok()) << r.message;
        EXPECT_EQ(Run(*s, "SELECT COUNT(*) FROM V$SESSION WHERE USERNAME = 'SYSTEM'"), "2");
    }
    EXPECT_EQ(Run("SELECT COUNT(*) FROM V$SESSION"), "1");
    EXPECT_TRUE(System().Commit().Ok());
}

TEST_F(SessionTest, BreakCancelsARunningQuery)
{
    VkOracle::OraSession& s = System();
    std::unique_ptr<VkOracle::OraStatement> st;
    // A query with no end: every row joins every other many times over.
    ASSERT_EQ(Run("INSERT INTO T (ID) SELECT ROWNUM FROM ALL_OBJECTS"), "rows=" + Run("SELECT COUNT(*) FROM ALL_OBJECTS"));
    ASSERT_TRUE(s.Parse("SELECT COUNT(*) FROM T a, T b, T c, T d", &st).Ok());
    uint64_t rows = 0;
    ASSERT_TRUE(st->Execute(&rows).Ok());
    std::atomic<bool> done{false};
    std::thread breaker([&] {
        while (!done) {
            s.Break();
            std::this_thread::yield();
        }
    });
    std::vector<VkOracle::OraValue> row;
    const VkOracle::OraResult r = st->Fetch(&row);
    done = true;
    breaker.join();
    EXPECT_EQ(r.code, 1013);
    EXPECT_EQ(r.message, "ORA-01013: user requested cancel of current operation");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DUAL"), "1"); // the session goes on
}

TEST_F(SessionTest, BreakEndsAWaitForAnotherSessionsLock)
{
    EXPECT_EQ(Run("INSERT INTO T (ID) VALUES (1)"), "rows=1"); // holds the key 1
    VkOracle::OraSession& other = Logon("SYSTEM", "MANAGER");
    std::unique_ptr<VkOracle::OraStatement> st;
    ASSERT_TRUE(other.Parse("INSERT INTO T (ID) VALUES (1)", &st).Ok());
    std::atomic<bool> done{false};
    VkOracle::OraResult result;
    std::thread writer([&] {
        uint64_t rows = 0;
        result = st->Execute(&rows);
        done = true;
    });
    while (!done) {
        other.Break();
        std::this_thread::yield();
    }
    writer.join();
    EXPECT_EQ(result.code, 1013);
    EXPECT_TRUE(System().Commit().Ok());
    EXPECT_EQ(Run(other, "INSERT INTO T (ID) VALUES (2)"), "rows=1"); // the lock is free now
    EXPECT_TRUE(other.Commit().Ok());
}

TEST_F(SessionTest, HostileTextsFailCleanly)
{
    VkOracle::OraSession& s = System();
    const std::string deep = "SELECT " + std::string(5000, '(') + "1" + std::string(5000, ')') + " FROM DUAL";
    EXPECT_EQ(ParseError(s, deep).substr(0, 5), "3095@");
    // A long operator chain is not deep nesting: it runs.
    std::string chain = "SELECT 1";
    for (int i = 0; i < 3000; ++i)
        chain += "+1";
    EXPECT_EQ(Run(chain + " FROM DUAL"), "3001");
    EXPECT_EQ(ParseError(s, std::string("SELECT '\0' FROM DUAL", 20)), "0@0");
    EXPECT_EQ(ParseError(s, ""), "900@0");
    EXPECT_EQ(ParseError(s, "SELECT \"unterminated FROM DUAL"), "1740@7");
    EXPECT_EQ(ParseError(s, "SELECT 1 FROM DUAL WHERE x = 'a' || \x01"), "911@36");
    EXPECT_EQ(Run("SELECT NAME FROM T WHERE NAME = 'x'' OR ''1''=''1'"), "");
    EXPECT_EQ(Run("INSERT INTO T (ID, NAME) VALUES (7, 'Robert''); DROP TABLE T; --')"), "rows=1");
    EXPECT_EQ(Run("SELECT NAME FROM T"), "Robert'); DROP TABLE T; --");
    EXPECT_EQ(Run("SELECT \"ID\" FROM \"T\""), "7");
}

TEST_F(SessionTest, NullAndCharRules)
{
    EXPECT_EQ(Run("INSERT INTO T (ID, NAME, C) VALUES (1, '', 'a')"), "rows=1");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T WHERE NAME IS NULL"), "1");
    EXPECT_EQ(Run("SELECT C || '|', LENGTH(C) FROM T"), "a  ||3");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T WHERE C = 'a'"), "1");
    EXPECT_EQ(Run("SELECT NVL(NAME, 'none'), NVL(D, TO_DATE('01-01-2000', 'DD-MM-YYYY')) FROM T"),
              "none|2000-01-01 00:00:00");
    EXPECT_EQ(Run("SELECT COUNT(*), COUNT(NAME), SUM(ID), MAX(NAME) FROM T WHERE ID > 5"), "0|0|NULL|NULL");
    EXPECT_EQ(Run("UPDATE T SET D = '15-MAR-26' WHERE ID = 1"), "rows=1");
    EXPECT_EQ(Run("SELECT TO_CHAR(D, 'YYYY-MM-DD'), D - TO_DATE('14-MAR-2026') FROM T"), "2026-03-15|1");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T WHERE D > '01-JAN-26'"), "1");
}

TEST_F(SessionTest, DescribeOfTableColumnsAndExpressions)
{
    VkOracle::OraSession& s = System();
    EXPECT_EQ(Describe(s, "SELECT ID, NAME, D, C FROM T"), "ID 2 22 9 0 N;NAME 1 30 0 0 Y;D 12 7 0 0 Y;C 96 3 0 0 Y");
    EXPECT_EQ(Describe(s, "SELECT ID + 1, UPPER(NAME), D + 1/24, COUNT(*) total FROM T GROUP BY ID, NAME, D"),
              "ID+1 2 22 0 0 Y;UPPER(NAME) 1 30 0 0 Y;D+1/24 12 7 0 0 Y;TOTAL 2 22 0 0 N");
    EXPECT_EQ(Describe(s, "SELECT DECODE(ID, 1, 'one', 'other') x, NVL(D, SYSDATE) y, TO_CHAR(ID) z FROM T"),
              "X 1 5 0 0 Y;Y 12 7 0 0 Y;Z 1 40 0 0 Y");
    EXPECT_EQ(Describe(s, "SELECT t.* FROM T t WHERE 1 = 0").substr(0, 9), "ID 2 22 9");
    EXPECT_EQ(Describe(s, "SELECT a_very_long_column_alias_name_that_is_long FROM DUAL"),
              "ORA-00972: identifier is too long");
    // Expression headings are cut to 30 characters.
    EXPECT_EQ(Describe(s, "SELECT 'abcdefghij' || 'abcdefghij' || 'abcdefghij' FROM DUAL").substr(0, 31),
              "'ABCDEFGHIJ'||'ABCDEFGHIJ'||'A ");
}

class LegacySessionTest : public EngineTest {
protected:
    std::string Version() const override { return "7.3.4.0.0"; }
};

TEST_F(LegacySessionTest, VersionSevenWordingAndDateFormat)
{
    EXPECT_EQ(Run("SELECT NOSUCH FROM DUAL"), "ORA-00904: invalid column name");
    EXPECT_EQ(Run("SELECT TO_CHAR(SYSDATE) FROM DUAL"), "07-DEC-26");
    EXPECT_EQ(Run("CREATE TABLE N (X NUMBER NOT NULL)"), "ok");
    EXPECT_EQ(Run("INSERT INTO N VALUES (NULL)"), "ORA-01400: mandatory (NOT NULL) column is missing or NULL during insert");
    EXPECT_EQ(Run("CREATE TABLE S (X VARCHAR2(3))"), "ok");
    EXPECT_EQ(Run("INSERT INTO S VALUES ('abcd')"), "ORA-01401: inserted value too large for column");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM ALL_TAB_COLUMNS WHERE TABLE_NAME = 'ALL_TABLES' AND COLUMN_NAME = 'PARTITIONED'"),
              "0");
    EXPECT_EQ(Run("SELECT DATA_TYPE_MOD FROM ALL_TAB_COLUMNS"), "ORA-00904: invalid column name");
    EXPECT_EQ(Run("SELECT PRODUCT FROM PRODUCT_COMPONENT_VERSION WHERE ROWNUM = 1"), "Oracle7 Server");
}

} // namespace
} // namespace oraenginetest
