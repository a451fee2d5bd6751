// A session keeps its privileges and compiled statements between parses;
// a change to the catalogue made by any session (DDL, GRANT, REVOKE) reaches
// every other session at its next parse, and so do its own settings.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class CatalogGenerationTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* sql : {"CREATE USER BOB IDENTIFIED BY B1", "GRANT CREATE SESSION TO BOB",
                                "CREATE TABLE ITEMS (ID NUMBER(9))", "INSERT INTO ITEMS VALUES (1)", "COMMIT",
                                "CREATE ROLE READERS"})
        {
            const std::string result = Run(sql);
            ASSERT_NE(result.rfind("ORA-", 0), 0u) << sql << ": " << result;
        }
        m_bob = &Logon("BOB", "B1");
    }
    VkOracle::OraSession* m_bob = nullptr;
};

TEST_F(CatalogGenerationTest, RevokesInOneSessionTakeEffectInAnotherAtItsNextParse)
{
    const std::string select = "SELECT COUNT(*) FROM SYSTEM.ITEMS";
    EXPECT_EQ(Run(*m_bob, select).rfind("ORA-00942", 0), 0u);
    // An object privilege, granted and revoked directly.
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select), "1");
    EXPECT_EQ(Run(*m_bob, select), "1"); // kept from the parse before
    EXPECT_EQ(Run("REVOKE SELECT ON ITEMS FROM BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select).rfind("ORA-00942", 0), 0u);
    // Through a role.
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO READERS"), "ok");
    EXPECT_EQ(Run("GRANT READERS TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select), "1");
    EXPECT_EQ(Run("REVOKE READERS FROM BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select).rfind("ORA-00942", 0), 0u);
    // A system privilege.
    EXPECT_EQ(Run("GRANT SELECT ANY TABLE TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select), "1");
    EXPECT_EQ(Run("REVOKE SELECT ANY TABLE FROM BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, select).rfind("ORA-00942", 0), 0u);
    EXPECT_EQ(Run("REVOKE CREATE SESSION FROM BOB"), "ok");
    std::unique_ptr<VkOracle::OraSession> again;
    EXPECT_EQ(Server().Logon(m_db, "BOB", "B1", &again).code, 1045);
}

// Which privilege a grant gives: SELECT lets BOB read, not write; ALL lets
// him do both, and only until it is revoked.
TEST_F(CatalogGenerationTest, EachObjectPrivilegeAllowsOnlyWhatItNames)
{
    const std::string insert = "INSERT INTO SYSTEM.ITEMS VALUES (2)";
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM SYSTEM.ITEMS"), "1");
    EXPECT_EQ(Run(*m_bob, insert).rfind("ORA-01031", 0), 0u);
    EXPECT_EQ(Run("GRANT ALL ON ITEMS TO READERS"), "ok");
    EXPECT_EQ(Run("GRANT READERS TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, insert), "rows=1");
    EXPECT_EQ(Run(*m_bob, "ROLLBACK"), "ok");
    EXPECT_EQ(Run("REVOKE ALL ON ITEMS FROM READERS"), "ok");
    EXPECT_EQ(Run(*m_bob, insert).rfind("ORA-01031", 0), 0u);
    EXPECT_EQ(Run("REVOKE SELECT ON ITEMS FROM BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM SYSTEM.ITEMS").rfind("ORA-00942", 0), 0u);
}

TEST_F(CatalogGenerationTest, KeptStatementsFollowTablesChangedByAnotherSession)
{
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO BOB"), "ok");
    EXPECT_EQ(Describe(*m_bob, "SELECT * FROM SYSTEM.ITEMS"), "ID 2 22 9 0 Y");
    EXPECT_EQ(Run(*m_bob, "SELECT * FROM SYSTEM.ITEMS"), "1");
    EXPECT_EQ(Run("DROP TABLE ITEMS"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT * FROM SYSTEM.ITEMS").rfind("ORA-00942", 0), 0u);
    EXPECT_EQ(Run("CREATE TABLE ITEMS (ID NUMBER(9), NAME VARCHAR2(10))"), "ok");
    EXPECT_EQ(Run("INSERT INTO ITEMS VALUES (2, 'two')"), "rows=1");
    EXPECT_EQ(Run("COMMIT"), "ok");
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO BOB"), "ok");
    EXPECT_EQ(Describe(*m_bob, "SELECT * FROM SYSTEM.ITEMS"), "ID 2 22 9 0 Y;NAME 1 10 0 0 Y");
    EXPECT_EQ(Run(*m_bob, "SELECT * FROM SYSTEM.ITEMS"), "2|two");
    // A synonym made meanwhile changes what a name means.
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ITEMS").rfind("ORA-00942", 0), 0u);
    EXPECT_EQ(Run("CREATE PUBLIC SYNONYM ITEMS FOR SYSTEM.ITEMS"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ITEMS"), "1");
}

TEST_F(CatalogGenerationTest, TheSameTextInAnotherSchemaOrAfterAlterSessionCompilesAgain)
{
    EXPECT_EQ(Run("GRANT SELECT ON ITEMS TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ITEMS").rfind("ORA-00942", 0), 0u);
    EXPECT_EQ(Run(*m_bob, "ALTER SESSION SET CURRENT_SCHEMA = SYSTEM"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ITEMS"), "1");
    EXPECT_EQ(Run(*m_bob, "ALTER SESSION SET CURRENT_SCHEMA = BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ITEMS").rfind("ORA-00942", 0), 0u);
    // Date formats are the session's own.
    const std::string today = "SELECT TO_CHAR(SYSDATE) FROM DUAL";
    EXPECT_EQ(Run(*m_bob, today), "07-DEC-26");
    EXPECT_EQ(Run(*m_bob, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'"), "ok");
    EXPECT_EQ(Run(*m_bob, today), "2026-12-07");
}

} // namespace
} // namespace oraenginetest
