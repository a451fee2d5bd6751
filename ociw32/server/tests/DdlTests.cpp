// Catalogue objects and privileges: users, roles, grants, synonyms, views,
// sequences, drops, and what the dictionary views show of them.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class DdlTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* sql : {"CREATE USER ALICE IDENTIFIED BY A1", "GRANT CONNECT, RESOURCE TO ALICE",
                                "CREATE USER BOB IDENTIFIED BY B1", "GRANT CREATE SESSION TO BOB"})
            ASSERT_EQ(Run(sql), "ok") << sql;
        m_alice = &Logon("ALICE", "a1"); // passwords are not case-sensitive
        m_bob = &Logon("BOB", "B1");
        ASSERT_EQ(Run(*m_alice, "CREATE TABLE ITEMS (ID NUMBER PRIMARY KEY, LABEL VARCHAR2(20))"), "ok");
        ASSERT_EQ(Run(*m_alice, "INSERT INTO ITEMS VALUES (1, 'one')"), "rows=1");
        ASSERT_TRUE(m_alice->Commit().Ok());
    }
    VkOracle::OraSession* m_alice = nullptr;
    VkOracle::OraSession* m_bob = nullptr;
};

TEST_F(DdlTest, ObjectGrantsThroughRolesAndPublic)
{
    VkOracle::OraSession& bob = *m_bob;
    EXPECT_EQ(Run(bob, "SELECT * FROM ALICE.ITEMS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(bob, "CREATE TABLE X (A NUMBER)"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run("CREATE ROLE READERS"), "ok");
    EXPECT_EQ(Run(*m_alice, "GRANT SELECT ON ITEMS TO READERS"), "ok");
    EXPECT_EQ(Run("GRANT READERS TO BOB"), "ok");
    EXPECT_EQ(Run(bob, "SELECT LABEL FROM ALICE.ITEMS"), "one");
    EXPECT_EQ(Run(bob, "UPDATE ALICE.ITEMS SET LABEL = 'x'"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run("REVOKE READERS FROM BOB"), "ok");
    EXPECT_EQ(Run(bob, "SELECT LABEL FROM ALICE.ITEMS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(*m_alice, "GRANT UPDATE ON ITEMS TO PUBLIC"), "ok");
    EXPECT_EQ(Run(bob, "UPDATE ALICE.ITEMS SET LABEL = 'x'"), "rows=1");
    EXPECT_EQ(Run(bob, "SELECT LABEL FROM ALICE.ITEMS"), "ORA-01031: insufficient privileges");
    EXPECT_TRUE(bob.Rollback().Ok());
    EXPECT_EQ(Run(bob, "GRANT SELECT ON ALICE.ITEMS TO BOB"), "ORA-01749: you may not GRANT/REVOKE privileges to/from yourself");
    EXPECT_EQ(Run(bob, "GRANT DBA TO BOB"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run("GRANT NOSUCHROLE TO BOB"), "ORA-01919: role 'NOSUCHROLE' does not exist");
    EXPECT_EQ(Run("GRANT CONNECT TO NOBODY"), "ORA-01917: user or role 'NOBODY' does not exist");
    EXPECT_EQ(Run("REVOKE CREATE TABLE FROM BOB"), "ORA-01952: system privileges not granted to 'BOB'");
    EXPECT_EQ(Run(*m_alice, "REVOKE SELECT ON ITEMS FROM BOB"), "ORA-01927: cannot REVOKE privileges you did not grant");
}

TEST_F(DdlTest, SystemPrivilegesAndDictionary)
{
    EXPECT_EQ(Run("GRANT SELECT ANY TABLE TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ALICE.ITEMS"), "1");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM SYS.DBA_USERS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run("SELECT PRIVILEGE FROM DBA_SYS_PRIVS WHERE GRANTEE = 'BOB' ORDER BY 1"), "CREATE SESSION\nSELECT ANY TABLE");
    EXPECT_EQ(Run("SELECT GRANTED_ROLE, ADMIN_OPTION, DEFAULT_ROLE FROM DBA_ROLE_PRIVS WHERE GRANTEE = 'ALICE' ORDER BY 1"),
              "CONNECT|NO|YES\nRESOURCE|NO|YES");
    EXPECT_EQ(Run(*m_alice, "SELECT ROLE FROM SESSION_ROLES ORDER BY 1"), "CONNECT\nRESOURCE");
    EXPECT_EQ(Run(*m_alice, "SELECT USERNAME FROM USER_USERS"), "ALICE");
    EXPECT_EQ(Run(*m_alice, "SELECT OBJECT_NAME, OBJECT_TYPE, STATUS FROM USER_OBJECTS ORDER BY 2"),
              "SYS_C005001|INDEX|VALID\nITEMS|TABLE|VALID");
    EXPECT_EQ(Run(*m_alice, "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, GENERATED FROM USER_CONSTRAINTS"),
              "SYS_C005001|P|GENERATED NAME");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ALL_TABLES WHERE OWNER = 'ALICE'"), "1");
    EXPECT_EQ(Run(*m_bob, "SELECT COUNT(*) FROM ALL_TAB_COLUMNS WHERE OWNER = 'ALICE'"), "2");
}

TEST_F(DdlTest, SynonymsViewsAndSequences)
{
    VkOracle::OraSession& alice = *m_alice;
    EXPECT_EQ(Run(alice, "CREATE VIEW ITEM_LABELS AS SELECT UPPER(LABEL) LABEL, ID * 10 TEN FROM ITEMS"), "ok");
    EXPECT_EQ(Run(alice, "SELECT LABEL, TEN FROM ITEM_LABELS"), "ONE|10");
    EXPECT_EQ(Describe(alice, "SELECT * FROM ITEM_LABELS"), "LABEL 1 20 0 0 Y;TEN 2 22 0 0 Y");
    EXPECT_EQ(Run(alice, "CREATE VIEW BAD AS SELECT ID + 1 FROM ITEMS"),
              "ORA-00998: must name this expression with a column alias");
    EXPECT_EQ(Run(alice, "CREATE VIEW ITEM_LABELS AS SELECT 1 X FROM DUAL"),
              "ORA-00955: name is already used by an existing object");
    EXPECT_EQ(Run(alice, "CREATE OR REPLACE VIEW ITEM_LABELS AS SELECT 1 X FROM DUAL"), "ok");
    EXPECT_EQ(Run(alice, "SELECT TEXT FROM ALL_VIEWS WHERE VIEW_NAME = 'ITEM_LABELS'"), "SELECT 1 X FROM DUAL");
    EXPECT_EQ(Run(alice, "INSERT INTO ITEM_LABELS VALUES (1)"), "ORA-01732: data manipulation operation not legal on this view");
    // The view runs with its owner's rights.
    EXPECT_EQ(Run(alice, "CREATE VIEW V2 AS SELECT LABEL FROM ITEMS"), "ok");
    EXPECT_EQ(Run(alice, "GRANT SELECT ON V2 TO BOB"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT LABEL FROM ALICE.V2"), "one");
    EXPECT_EQ(Run(*m_bob, "SELECT LABEL FROM ALICE.ITEMS"), "ORA-00942: table or view does not exist");
    // Synonyms: private first, then public.
    EXPECT_EQ(Run("CREATE PUBLIC SYNONYM ITEMS FOR ALICE.V2"), "ok");
    EXPECT_EQ(Run(*m_bob, "SELECT LABEL FROM ITEMS"), "one");
    EXPECT_EQ(Run(*m_bob, "CREATE PUBLIC SYNONYM X FOR ALICE.ITEMS"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run(alice, "CREATE SYNONYM IT FOR ITEMS"), "ok");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM IT"), "1");
    EXPECT_EQ(Run(alice, "DROP SYNONYM NOPE"), "ORA-01434: private synonym to be dropped does not exist");
    EXPECT_EQ(Run("DROP PUBLIC SYNONYM NOPE"), "ORA-01432: public synonym to be dropped does not exist");
    // Sequences.
    EXPECT_EQ(Run(alice, "CREATE SEQUENCE S START WITH 5 INCREMENT BY 5 MAXVALUE 15"), "ok");
    EXPECT_EQ(Run(alice, "SELECT S.CURRVAL FROM DUAL"), "ORA-08002: sequence ALICE.S.CURRVAL is not yet defined in this session");
    EXPECT_EQ(Run(alice, "SELECT S.NEXTVAL, S.CURRVAL FROM DUAL"), "5|5");
    EXPECT_EQ(Run(alice, "SELECT S.NEXTVAL FROM DUAL"), "10");
    EXPECT_EQ(Run(alice, "SELECT S.NEXTVAL FROM DUAL"), "15");
    EXPECT_EQ(Run(alice, "SELECT S.NEXTVAL FROM DUAL"),
              "ORA-08004: sequence ALICE.S.NEXTVAL exceeds MAXVALUE and cannot be instantiated");
    EXPECT_EQ(Run(alice, "SELECT LAST_NUMBER, INCREMENT_BY, CYCLE_FLAG FROM USER_SEQUENCES_MISSING"),
              "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(alice, "SELECT LAST_NUMBER, INCREMENT_BY, CYCLE_FLAG FROM ALL_SEQUENCES WHERE SEQUENCE_NAME = 'S'"),
              "20|5|N");
    EXPECT_EQ(Run(*m_bob, "SELECT ALICE.S.NEXTVAL FROM DUAL"), "ORA-02289: sequence does not exist");
    EXPECT_EQ(Run(alice, "SELECT NOSUCH.NEXTVAL FROM DUAL"), "ORA-02289: sequence does not exist");
}

TEST_F(DdlTest, StoredUnitsKeepTheirSourceAndArguments)
{
    VkOracle::OraSession& alice = *m_alice;
    EXPECT_EQ(Run(alice, "CREATE OR REPLACE PROCEDURE P (A IN NUMBER, B OUT VARCHAR2) IS\nBEGIN\n  B := TO_CHAR(A);\nEND;"),
              "ok");
    EXPECT_EQ(Run(alice, "SELECT LINE, TEXT FROM ALL_SOURCE WHERE NAME = 'P' ORDER BY LINE"),
              "1|PROCEDURE P (A IN NUMBER, B OUT VARCHAR2) IS\n\n2|BEGIN\n\n3|  B := TO_CHAR(A);\n\n4|END;");
    EXPECT_EQ(Run(alice, "SELECT ARGUMENT_NAME, POSITION, IN_OUT, DATA_TYPE FROM ALL_ARGUMENTS WHERE OBJECT_NAME = 'P'"
                         " ORDER BY SEQUENCE"),
              "A|1|IN|NUMBER\nB|2|OUT|VARCHAR2");
    EXPECT_EQ(Run(alice, "CREATE PROCEDURE P IS BEGIN NULL; END;"), "ORA-00955: name is already used by an existing object");
    EXPECT_EQ(Run(alice, "CREATE OR REPLACE FUNCTION F RETURN DATE IS BEGIN RETURN SYSDATE; END;"), "ok");
    EXPECT_EQ(Run(alice, "SELECT POSITION, ARGUMENT_NAME, IN_OUT, DATA_TYPE FROM ALL_ARGUMENTS WHERE OBJECT_NAME = 'F'"),
              "0|NULL|OUT|DATE");
    EXPECT_EQ(Run(alice, "CREATE PACKAGE BODY NOPKG IS END;"), "ORA-04043: object NOPKG does not exist");
    EXPECT_EQ(Run(alice, "DROP FUNCTION F"), "ok");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM ALL_ARGUMENTS WHERE OBJECT_NAME = 'F'"), "0");
}

TEST_F(DdlTest, DropsAndTheirErrors)
{
    VkOracle::OraSession& alice = *m_alice;
    EXPECT_EQ(Run(alice, "CREATE TABLE CHILD (ID NUMBER REFERENCES ITEMS, NOTE VARCHAR2(5))"), "ok");
    EXPECT_EQ(Run(alice, "CREATE INDEX CHILD_NOTE ON CHILD (NOTE)"), "ok");
    EXPECT_EQ(Run(alice, "CREATE INDEX CHILD_NOTE ON CHILD (NOTE)"), "ORA-00955: name is already used by an existing object");
    EXPECT_EQ(Run(alice, "CREATE INDEX CHILD_X ON CHILD (NOPE)"), "ORA-00904: \"NOPE\": invalid identifier");
    EXPECT_EQ(Run(alice, "DROP TABLE ITEMS"), "ORA-02449: unique/primary keys in table referenced by foreign keys");
    EXPECT_EQ(Run(alice, "DROP INDEX NOPE"), "ORA-01418: specified index does not exist");
    EXPECT_EQ(Run(alice, "DROP INDEX CHILD_NOTE"), "ok");
    EXPECT_EQ(Run(alice, "DROP TABLE CHILD"), "ok");
    EXPECT_EQ(Run(alice, "DROP TABLE ITEMS"), "ok");
    EXPECT_EQ(Run(alice, "DROP TABLE ITEMS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(alice, "CREATE TABLE BASE (A NUMBER)"), "ok");
    EXPECT_EQ(Run(alice, "CREATE VIEW ON_BASE AS SELECT A FROM BASE"), "ok");
    EXPECT_EQ(Run(alice, "DROP TABLE BASE"), "ok");
    EXPECT_EQ(Run(alice, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'ON_BASE'"), "INVALID");
    EXPECT_EQ(Run(alice, "SELECT * FROM ON_BASE"), "ORA-04063: view \"ALICE\".\"ON_BASE\" has errors");
    EXPECT_EQ(Run(alice, "CREATE TABLE BASE (A NUMBER)"), "ok");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM ON_BASE"), "0");
    EXPECT_EQ(Run(alice, "DROP VIEW ON_BASE"), "ok");
    EXPECT_EQ(Run(alice, "DROP TABLE BASE"), "ok");
    EXPECT_EQ(Run(alice, "DROP SEQUENCE NOPE"), "ORA-02289: sequence does not exist");
    EXPECT_EQ(Run(alice, "DROP PROCEDURE NOPE"), "ORA-04043: object NOPE does not exist");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM USER_OBJECTS"), "0");
    EXPECT_EQ(Run(alice, "CREATE TABLE T2 (A NUMBER)"), "ok");
    EXPECT_EQ(Run("DROP USER ALICE"), "ORA-01940: cannot drop a user that is currently connected");
    EXPECT_EQ(Run("CREATE USER CAROL IDENTIFIED BY C"), "ok");
    EXPECT_EQ(Run("CREATE TABLE CAROL.T (A NUMBER)"), "ok");
    EXPECT_EQ(Run("CREATE VIEW CAROL.V AS SELECT A FROM CAROL.T"), "ok");
    EXPECT_EQ(Run("DROP USER CAROL"), "ORA-01922: CASCADE must be specified to drop 'CAROL'");
    EXPECT_EQ(Run("DROP USER CAROL CASCADE"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_OBJECTS WHERE OWNER = 'CAROL'"), "0");
    EXPECT_EQ(Run("SELECT * FROM CAROL.T"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run("DROP USER NOBODY"), "ORA-01918: user 'NOBODY' does not exist");
    EXPECT_EQ(Run("CREATE USER BOB IDENTIFIED BY X"), "ORA-01920: user name 'BOB' conflicts with another user or role name");
}

TEST_F(DdlTest, TableConstraintsInTheDictionary)
{
    VkOracle::OraSession& alice = *m_alice;
    ASSERT_EQ(Run(alice, "CREATE TABLE ORDERS (ORDNO NUMBER(6) CONSTRAINT PK_ORD PRIMARY KEY, ITEM NUMBER CONSTRAINT"
                         " FK_ITEM REFERENCES ITEMS ON DELETE CASCADE, QTY NUMBER(3) NOT NULL CONSTRAINT CK_QTY CHECK"
                         " (QTY > 0), CODE CHAR(2), CONSTRAINT UQ_CODE UNIQUE (CODE, ITEM))"),
              "ok");
    EXPECT_EQ(Run(alice, "SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, R_CONSTRAINT_NAME, DELETE_RULE, SEARCH_CONDITION"
                         " FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'ORDERS' AND GENERATED = 'USER NAME' ORDER BY 1"),
              "CK_QTY|C|NULL|NULL|QTY > 0\nFK_ITEM|R|SYS_C005001|CASCADE|NULL\nPK_ORD|P|NULL|NULL|NULL\n"
              "UQ_CODE|U|NULL|NULL|NULL");
    EXPECT_EQ(Run(alice, "SELECT SEARCH_CONDITION FROM USER_CONSTRAINTS WHERE TABLE_NAME = 'ORDERS' AND GENERATED ="
                         " 'GENERATED NAME'"),
              "\"QTY\" IS NOT NULL");
    EXPECT_EQ(Run(alice, "SELECT COLUMN_NAME, POSITION FROM ALL_CONS_COLUMNS WHERE CONSTRAINT_NAME = 'UQ_CODE' ORDER BY 2"),
              "CODE|1\nITEM|2");
    EXPECT_EQ(Run(alice, "INSERT INTO ORDERS VALUES (1, 1, 2, 'A')"), "rows=1");
    EXPECT_EQ(Run(alice, "INSERT INTO ORDERS VALUES (2, 1, 2, 'A')"), "ORA-00001: unique constraint (ALICE.UQ_CODE) violated");
    EXPECT_EQ(Run(alice, "INSERT INTO ORDERS VALUES (3, 1, 0, 'B')"), "ORA-02290: check constraint (ALICE.CK_QTY) violated");
    EXPECT_EQ(Run(alice, "UPDATE ORDERS SET QTY = NULL"), "ORA-01407: cannot update (\"ALICE\".\"ORDERS\".\"QTY\") to NULL");
    EXPECT_EQ(Run(alice, "SELECT CODE || '|' FROM ORDERS"), "A |");
    EXPECT_EQ(Run(alice, "DELETE FROM ITEMS"), "rows=1");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM ORDERS"), "0"); // cascaded
    EXPECT_TRUE(alice.Rollback().Ok());
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM ORDERS"), "0");
    EXPECT_EQ(Run(alice, "SELECT COUNT(*) FROM ITEMS"), "1");
}

} // namespace
} // namespace oraenginetest
