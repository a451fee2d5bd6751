// Numbered conformance cases over the demo schema: joins, outer joins,
// grouping, ordering, ROWNUM, sub-queries, set operations.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class DemoTest : public DemoEngineTest {
protected:
    VkOracle::OraSession& Scott()
    {
        if (!m_scott)
            m_scott = &Logon("scott", "tiger");
        return *m_scott;
    }
    VkOracle::OraSession* m_scott = nullptr;
};

const Case kQueries[] = {
    {201, "SELECT COUNT(*) FROM EMP", "14"},
    {202, "SELECT ENAME FROM EMP WHERE EMPNO = 7839", "KING"},
    {203, "SELECT e.ENAME, d.DNAME FROM EMP e, DEPT d WHERE e.DEPTNO = d.DEPTNO AND e.JOB = 'PRESIDENT'", "KING|ACCOUNTING"},
    {204, "SELECT d.DNAME, COUNT(e.EMPNO) FROM DEPT d, EMP e WHERE d.DEPTNO = e.DEPTNO (+) GROUP BY d.DNAME ORDER BY 1",
     "ACCOUNTING|3\nOPERATIONS|0\nRESEARCH|5\nSALES|6"},
    {205, "SELECT DEPTNO, SUM(SAL) FROM EMP GROUP BY DEPTNO HAVING SUM(SAL) > 9000 ORDER BY DEPTNO", "20|10875\n30|9400"},
    {206, "SELECT ENAME FROM EMP WHERE ROWNUM <= 3 AND DEPTNO = 10 ORDER BY ENAME", "CLARK\nKING\nMILLER"},
    {207, "SELECT COUNT(*) FROM EMP WHERE ROWNUM = 2", "0"},
    {208, "SELECT ENAME, COMM FROM EMP WHERE DEPTNO = 30 ORDER BY COMM DESC, ENAME",
     "BLAKE|NULL\nJAMES|NULL\nMARTIN|1400\nWARD|500\nALLEN|300\nTURNER|0"},
    {209, "SELECT ENAME, COMM FROM EMP WHERE DEPTNO = 30 ORDER BY COMM NULLS FIRST, ENAME",
     "BLAKE|NULL\nJAMES|NULL\nTURNER|0\nALLEN|300\nWARD|500\nMARTIN|1400"},
    {210, "SELECT DISTINCT JOB FROM EMP ORDER BY JOB", "ANALYST\nCLERK\nMANAGER\nPRESIDENT\nSALESMAN"},
    {211, "SELECT ENAME FROM EMP WHERE SAL > (SELECT AVG(SAL) FROM EMP) AND DEPTNO IN (SELECT DEPTNO FROM DEPT WHERE"
          " LOC = 'DALLAS') ORDER BY 1",
     "FORD\nJONES\nSCOTT"},
    {212, "SELECT DNAME FROM DEPT d WHERE NOT EXISTS (SELECT 1 FROM EMP e WHERE e.DEPTNO = d.DEPTNO)", "OPERATIONS"},
    {213, "SELECT JOB x FROM EMP WHERE DEPTNO = 10 UNION SELECT DNAME FROM DEPT WHERE DEPTNO = 10 ORDER BY x",
     "ACCOUNTING\nCLERK\nMANAGER\nPRESIDENT"},
    {214, "SELECT ENAME, SAL s FROM EMP WHERE DEPTNO = 20 ORDER BY s DESC, 1", "FORD|3000\nSCOTT|3000\nJONES|2975\nADAMS|1100\nSMITH|800"},
    {215, "SELECT e.ENAME, m.ENAME FROM EMP e, EMP m WHERE e.MGR = m.EMPNO (+) AND e.DEPTNO = 10 ORDER BY 1",
     "CLARK|KING\nKING|NULL\nMILLER|CLARK"},
    {216, "SELECT TO_CHAR(HIREDATE, 'YYYY-MM-DD') FROM EMP WHERE ENAME = 'SMITH'", "1980-12-17"},
    {217, "SELECT MIN(HIREDATE), MAX(SAL), AVG(COMM), COUNT(COMM) FROM EMP", "1980-12-17 00:00:00|5000|550|4"},
    {218, "SELECT ENAME FROM EMPLOYEES WHERE ENAME LIKE 'S%' ORDER BY 1", "SCOTT\nSMITH"},
    {219, "SELECT s.GRADE, COUNT(*) FROM EMP e, SALGRADE s WHERE e.SAL BETWEEN s.LOSAL AND s.HISAL GROUP BY s.GRADE"
          " ORDER BY s.GRADE",
     "1|3\n2|3\n3|2\n4|5\n5|1"},
    {220, "SELECT * FROM (SELECT ENAME, SAL FROM EMP ORDER BY SAL DESC, ENAME) WHERE ROWNUM <= 2", "KING|5000\nFORD|3000"},
    {221, "SELECT COUNT(*), COUNT(DISTINCT DEPTNO) FROM EMP", "14|3"},
    {222, "SELECT DNAME FROM scott.dept WHERE deptno = 40", "OPERATIONS"},
    {223, "SELECT HEADCOUNT FROM EMP_DEPT_V v, SAL_SUMMARY_V s WHERE v.ENAME = 'KING' AND s.DEPTNO = 10", "3"},
    {224, "SELECT ENAME FROM EMP WHERE COMM IS NULL AND DEPTNO = 10 AND ENAME <> 'KING' ORDER BY 1", "CLARK\nMILLER"},
    {225, "SELECT DECODE(DEPTNO, 10, 'TEN', 20, 'TWENTY', 'OTHER') FROM DEPT ORDER BY DEPTNO", "TEN\nTWENTY\nOTHER\nOTHER"},
    {226, "SELECT COUNT(*) FROM AUDIT_LOG", "3000"},
    {227, "SELECT ROWNUM, DNAME FROM DEPT WHERE ROWNUM < 3", "1|ACCOUNTING\n2|RESEARCH"},
    // ROWNUM numbers the rows a join or a view gives, not those of one of its tables.
    {228, "SELECT COUNT(*), MIN(RN), MAX(RN) FROM (SELECT ROWNUM RN FROM EMP a, DEPT b WHERE a.DEPTNO = b.DEPTNO)",
     "14|1|14"},
    {229, "SELECT COUNT(DISTINCT RN), MAX(RN) FROM (SELECT ROWNUM RN FROM EMP a, EMP b WHERE a.DEPTNO = 10)", "42|42"},
    {230, "SELECT COUNT(*), MAX(RN) FROM (SELECT ROWNUM RN FROM EMP a, EMP b, DEPT c WHERE ROWNUM <= 300)", "300|300"},
    {231, "SELECT COUNT(*) - MAX(RN), MIN(RN) FROM (SELECT ROWNUM RN FROM ALL_OBJECTS)", "0|1"},
    {232, "SELECT COUNT(*) - MAX(RN), COUNT(*) - COUNT(DISTINCT RN) FROM (SELECT ROWNUM RN FROM ALL_OBJECTS a, DEPT d)",
     "0|0"},
    {233, "SELECT MIN(RN), MAX(RN) FROM (SELECT ROWNUM RN FROM (SELECT * FROM EMP WHERE DEPTNO = 20))", "1|5"},
};

TEST_F(DemoTest, QueryCases)
{
    for (const Case& c : kQueries)
        EXPECT_EQ(Run(Scott(), c.sql), c.expected) << "case " << c.id << ": " << c.sql;
}

const Case kErrors[] = {
    {301, "SELEC 1 FROM DUAL", "900@0"},
    {302, "SELECT ENAMEX FROM EMP", "904@7"},
    {303, "SELECT (1 FROM DUAL", "907@10"},
    {304, "SELECT 1 FROM DUAL;", "911@18"},
    {305, "INSERT INTO DEPT VALUES (1 2)", "917@27"},
    {306, "SELECT 1 DUAL", "923@13"},
    {307, "SELECT 1 FROM DUAL WHERE 1 = 1 xyz abc", "933@31"},
    {308, "SELECT FROM DUAL", "936@7"},
    {309, "SELECT * FROM NOSUCH", "942@14"},
    {310, "SELECT 'abc FROM DUAL", "1756@7"},
    {311, "SELECT DEPTNO FROM EMP e, DEPT d", "918@7"},
    {312, "SELECT DEPTNO, COUNT(*) FROM EMP", "937@7"},
    {313, "SELECT DEPTNO, ENAME FROM EMP GROUP BY DEPTNO", "979@15"},
    {314, "SELECT 1 FROM EMP WHERE COUNT(*) > 1", "934@24"},
    {315, "SELECT * FROM DUAL ORDER BY 3", "1785@28"},
    {316, "CREATE TABLE EMP (X NUMBER)", "955@0"},
};

TEST_F(DemoTest, ParseErrorCases)
{
    for (const Case& c : kErrors)
        EXPECT_EQ(ParseError(Scott(), c.sql), c.expected) << "case " << c.id << ": " << c.sql;
}

const Case kRuntimeErrors[] = {
    {401, "SELECT 1/0 FROM DUAL", "ORA-01476: divisor is equal to zero"},
    {402, "SELECT TO_NUMBER('x1') FROM DUAL", "ORA-01722: invalid number"},
    {403, "SELECT TO_DATE('2026-13-01', 'YYYY-MM-DD') FROM DUAL", "ORA-01843: not a valid month"},
    {404, "SELECT TO_DATE('01-01-2026 xyz', 'DD-MM-YYYY') FROM DUAL",
     "ORA-01830: date format picture ends before converting entire input string"},
    {405, "SELECT TO_DATE('ab-01-2026', 'DD-MM-YYYY') FROM DUAL",
     "ORA-01858: a non-numeric character was found where a numeric was expected"},
    {406, "INSERT INTO DEPT VALUES (10, 'DUP', 'X')", "ORA-00001: unique constraint (SCOTT.PK_DEPT) violated"},
    {407, "INSERT INTO PROJECTS (PROJNO) VALUES (1)", "ORA-01400: cannot insert NULL into (\"SCOTT\".\"PROJECTS\".\"PNAME\")"},
    {408, "INSERT INTO EMP (EMPNO, DEPTNO) VALUES (1, 99)",
     "ORA-02291: integrity constraint (SCOTT.FK_DEPTNO) violated - parent key not found"},
    {409, "DELETE FROM DEPT WHERE DEPTNO = 10", "ORA-02292: integrity constraint (SCOTT.FK_DEPTNO) violated - child record found"},
    {410, "INSERT INTO PROJECTS (PROJNO, PNAME, BUDGET) VALUES (2, 'x', -1)",
     "ORA-02290: check constraint (SCOTT.CK_PROJECTS_BUDGET) violated"},
    {411, "INSERT INTO DEPT VALUES (50, 'A NAME FAR TOO LONG', 'X')",
     "ORA-12899: value too large for column \"SCOTT\".\"DEPT\".\"DNAME\" (actual: 19, maximum: 14)"},
    {412, "INSERT INTO DEPT VALUES (500, 'X', 'Y')", "ORA-01438: value larger than specified precision allowed for this column"},
    {413, "SELECT ENAMEX FROM EMP", "ORA-00904: \"ENAMEX\": invalid identifier"},
    {414, "INSERT INTO DEPT VALUES ('abc', 'X', 'Y')", "ORA-01722: invalid number"},
    {415, "SELECT SYSDATE + SYSDATE FROM DUAL", "ORA-00975: date + date not allowed"},
};

TEST_F(DemoTest, RuntimeErrorCases)
{
    for (const Case& c : kRuntimeErrors)
        EXPECT_EQ(Run(Scott(), c.sql), c.expected) << "case " << c.id << ": " << c.sql;
}

TEST_F(DemoTest, DmlAndTransactions)
{
    VkOracle::OraSession& a = Scott();
    VkOracle::OraSession& b = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(a, "INSERT INTO DEPT VALUES (50, 'TESTING', 'PARIS')"), "rows=1");
    EXPECT_EQ(Run(a, "SELECT LOC FROM DEPT WHERE DEPTNO = 50"), "PARIS");
    EXPECT_EQ(Run(b, "SELECT COUNT(*) FROM DEPT WHERE DEPTNO = 50"), "0"); // not yet committed
    EXPECT_TRUE(a.Commit().Ok());
    EXPECT_EQ(Run(b, "SELECT COUNT(*) FROM DEPT WHERE DEPTNO = 50"), "1");
    EXPECT_EQ(Run(a, "UPDATE EMP SET SAL = SAL * 2 WHERE DEPTNO = 10"), "rows=3");
    EXPECT_EQ(Run(a, "SELECT SUM(SAL) FROM EMP WHERE DEPTNO = 10"), "17500");
    EXPECT_EQ(Run(a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(a, "SELECT SUM(SAL) FROM EMP WHERE DEPTNO = 10"), "8750");
    EXPECT_EQ(Run(a, "DELETE FROM DEPT WHERE DEPTNO = 50"), "rows=1");
    EXPECT_EQ(Run(a, "COMMIT"), "ok");
    EXPECT_EQ(Run(b, "SELECT COUNT(*) FROM DEPT"), "4");
    EXPECT_EQ(Run(a, "INSERT INTO PROJECTS (PROJNO, PNAME) VALUES (PROJ_SEQ.NEXTVAL, 'Defaults')"), "rows=1");
    EXPECT_EQ(Run(a, "SELECT STATUS, TO_CHAR(STARTED, 'YYYY-MM-DD'), PROJ_SEQ.CURRVAL - PROJNO FROM PROJECTS WHERE"
                     " PNAME = 'Defaults'"),
              "A|2026-12-07|0");
    EXPECT_EQ(Run(a, "INSERT INTO BONUS SELECT ENAME, JOB, SAL, COMM FROM EMP WHERE DEPTNO = 10"), "rows=3");
    EXPECT_EQ(Run(a, "SELECT COUNT(*) FROM BONUS"), "3");
    EXPECT_TRUE(a.Rollback().Ok());
}

TEST_F(DemoTest, DdlObjectsAndDictionary)
{
    VkOracle::OraSession& s = Scott();
    EXPECT_EQ(Run(s, "CREATE TABLE T1 (ID NUMBER(5) PRIMARY KEY, NAME VARCHAR2(20) NOT NULL, D DATE)"), "ok");
    EXPECT_EQ(Run(s, "CREATE INDEX T1_NAME ON T1 (NAME)"), "ok");
    EXPECT_EQ(Run(s, "CREATE SEQUENCE T1_SEQ"), "ok");
    EXPECT_EQ(Run(s, "INSERT INTO T1 VALUES (T1_SEQ.NEXTVAL, 'one', SYSDATE)"), "rows=1");
    EXPECT_EQ(Run(s, "SELECT COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, NULLABLE FROM USER_TAB_COLUMNS WHERE"
                     " TABLE_NAME = 'T1' ORDER BY COLUMN_ID"),
              "ID|NUMBER|22|5|N\nNAME|VARCHAR2|20|NULL|N\nD|DATE|7|NULL|Y");
    EXPECT_EQ(Run(s, "SELECT DECODE(SUBSTR(INDEX_NAME, 1, 5), 'SYS_C', 'SYS_C', INDEX_NAME), UNIQUENESS FROM ALL_INDEXES WHERE TABLE_NAME = 'T1' ORDER BY 1"),
              "SYS_C|UNIQUE\nT1_NAME|NONUNIQUE");
    EXPECT_EQ(Run(s, "SELECT OBJECT_TYPE FROM USER_OBJECTS WHERE OBJECT_NAME = 'T1_SEQ'"), "SEQUENCE");
    EXPECT_EQ(Run(s, "DROP TABLE T1"), "ok");
    EXPECT_EQ(Run(s, "SELECT COUNT(*) FROM USER_OBJECTS WHERE OBJECT_NAME LIKE 'T1%'"), "1");
    EXPECT_EQ(Run(s, "SELECT * FROM T1"), "ORA-00942: table or view does not exist");
}

TEST_F(DemoTest, PrivilegesAreEnforced)
{
    VkOracle::OraSession& app = Logon("APPUSER", "APPUSER");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM SCOTT.EMP"), "14");         // granted
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM SCOTT.BONUS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(app, "DELETE FROM SCOTT.EMP"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM SYS.DBA_JOBS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM V$SESSION"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(app, "select OBJECT_NAME from all_objects where object_name = 'DBA_JOBS_RUNNING' and OBJECT_TYPE = 'VIEW'"),
              "");
    EXPECT_EQ(Run(Scott(), "select OBJECT_NAME from all_objects where object_name = 'DBA_JOBS_RUNNING' and"
                           " OBJECT_TYPE = 'VIEW'"),
              "DBA_JOBS_RUNNING");
    EXPECT_EQ(Run(Scott(), "GRANT SELECT ON BONUS TO APPUSER"), "ok");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM SCOTT.BONUS"), "0");
    EXPECT_EQ(Run(Scott(), "REVOKE SELECT ON BONUS FROM APPUSER"), "ok");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM SCOTT.BONUS"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(app, "ALTER SESSION SET CURRENT_SCHEMA = SCOTT"), "ok");
    EXPECT_EQ(Run(app, "SELECT COUNT(*) FROM EMP"), "14");
    EXPECT_EQ(Run(app, "ALTER SESSION SET CURRENT_SCHEMA = NOBODY"), "ORA-01435: user does not exist");
    EXPECT_EQ(Run(app, "CREATE USER X IDENTIFIED BY Y"), "ORA-01031: insufficient privileges");
}

TEST_F(DemoTest, LogonFailures)
{
    std::unique_ptr<VkOracle::OraSession> s;
    EXPECT_EQ(Server().Logon(m_db, "SCOTT", "wrong", &s).code, 1017);
    EXPECT_EQ(Server().Logon(m_db, "NOBODY", "x", &s).code, 1017);
    EXPECT_EQ(Run("ALTER USER APPUSER ACCOUNT LOCK"), "ok");
    EXPECT_EQ(Server().Logon(m_db, "APPUSER", "APPUSER", &s).code, 28000);
    VkOracle::OraSession& open = Scott();
    ASSERT_TRUE(Server().Shutdown(m_db).Ok());
    EXPECT_EQ(Server().Status(m_db), "SHUTDOWN 10.2.0.1.0");
    EXPECT_EQ(Server().Logon(m_db, "SCOTT", "TIGER", &s).code, 1034);
    std::unique_ptr<VkOracle::OraStatement> st;
    EXPECT_EQ(open.Parse("SELECT 1 FROM DUAL", &st).code, 3114);
    ASSERT_TRUE(Server().Startup(m_db).Ok());
    EXPECT_EQ(Server().Status(m_db), "OPEN 10.2.0.1.0");
    EXPECT_TRUE(Server().Logon(m_db, "SCOTT", "TIGER", &s).Ok());
}

} // namespace
} // namespace oraenginetest
