// Numbered conformance cases for dates, formats, conversions and the rules
// the compiler applies to mixed types, plus the errors of joins and set
// operations.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class ExpressionTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE A (ID NUMBER(4) PRIMARY KEY, NAME VARCHAR2(10), D DATE, N NUMBER(8,2))",
                 "CREATE TABLE B (ID NUMBER(4), A_ID NUMBER(4), TAG VARCHAR2(5))",
                 "INSERT INTO A VALUES (1, 'one', TO_DATE('2026-01-31 08:00', 'YYYY-MM-DD HH24:MI'), 1.5)",
                 "INSERT INTO A VALUES (2, 'two', TO_DATE('2026-02-28', 'YYYY-MM-DD'), NULL)",
                 "INSERT INTO A VALUES (3, NULL, NULL, -2.25)",
                 "INSERT INTO B VALUES (10, 1, 'x')",
                 "INSERT INTO B VALUES (11, 1, 'y')",
                 "INSERT INTO B VALUES (12, 9, 'z')",
                 "COMMIT",
             })
            ASSERT_TRUE(Run(sql).rfind("ORA-", 0) != 0) << sql;
    }
};

const Case kDates[] = {
    {501, "SELECT TO_CHAR(D, 'DD/MM/YYYY HH24:MI:SS') FROM A WHERE ID = 1", "31/01/2026 08:00:00"},
    {502, "SELECT TO_CHAR(D, 'fmDay, Month DD') FROM A WHERE ID = 1", "Saturday, January 31"},
    {503, "SELECT TO_CHAR(D, 'DY MON YY Q WW D DDD') FROM A WHERE ID = 1", "SAT JAN 26 1 05 7 031"},
    {504, "SELECT TO_CHAR(D, 'HH:MI AM') FROM A WHERE ID = 1", "08:00 AM"},
    {505, "SELECT ADD_MONTHS(D, 1) FROM A WHERE ID = 1", "2026-02-28 08:00:00"},
    {506, "SELECT ADD_MONTHS(D, 1) FROM A WHERE ID = 2", "2026-03-31 00:00:00"},
    {507, "SELECT LAST_DAY(D), NEXT_DAY(D, 'SUNDAY') FROM A WHERE ID = 2", "2026-02-28 00:00:00|2026-03-01 00:00:00"},
    {508, "SELECT MONTHS_BETWEEN(TO_DATE('2026-03-31', 'YYYY-MM-DD'), D) FROM A WHERE ID = 2", "1"},
    {509, "SELECT TRUNC(D, 'MM'), ROUND(D, 'MM') FROM A WHERE ID = 1", "2026-01-01 00:00:00|2026-02-01 00:00:00"},
    {510, "SELECT TRUNC(D, 'YEAR'), TRUNC(D, 'Q'), TRUNC(D, 'HH') FROM A WHERE ID = 1",
     "2026-01-01 00:00:00|2026-01-01 00:00:00|2026-01-31 08:00:00"},
    {511, "SELECT D + 1/24 + 30/1440 FROM A WHERE ID = 1", "2026-01-31 09:30:00"},
    {512, "SELECT D - 1, D - D FROM A WHERE ID = 1", "2026-01-30 08:00:00|0"},
    {513, "SELECT (SYSDATE - D) * 24 FROM A WHERE ID = 2", "6778.5"},
    {514, "SELECT TO_DATE('15-JUN-49'), TO_DATE('15-JUN-50') FROM DUAL", "2049-06-15 00:00:00|1950-06-15 00:00:00"},
    {515, "SELECT TO_DATE('2026-12-07', 'YYYY-MM-DD') - TRUNC(SYSDATE) FROM DUAL", "0"},
    {516, "SELECT COUNT(*) FROM A WHERE D BETWEEN '01-JAN-26' AND '31-JAN-26'", "0"},
    {517, "SELECT COUNT(*) FROM A WHERE D >= '01-JAN-26' AND D < '01-FEB-26'", "1"},
    {518, "SELECT ID FROM A WHERE TRUNC(D) = TO_DATE('28-02-2026', 'DD-MM-YYYY')", "2"},
    {519, "SELECT GREATEST(D, SYSDATE) FROM A WHERE ID = 1", "2026-12-07 10:30:00"},
    {520, "SELECT TO_CHAR(TO_DATE('2460000', 'J'), 'YYYY-MM-DD') FROM DUAL", "2023-02-24"},
    {521, "SELECT NVL(D, SYSDATE) FROM A WHERE ID = 3", "2026-12-07 10:30:00"},
    {522, "SELECT D || '' FROM A WHERE ID = 2", "28-FEB-26"},
    {523, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI'", "ok"},
};

const Case kNumbers[] = {
    {601, "SELECT N * 2, N / 4, -N FROM A WHERE ID = 1", "3|.375|-1.5"},
    {602, "SELECT TO_CHAR(N, '999.999'), TO_CHAR(N, 'FM0000.00') FROM A WHERE ID = 3", "  -2.250|-0002.25"},
    {603, "SELECT ROUND(N), TRUNC(N), CEIL(N), FLOOR(N), ABS(N) FROM A WHERE ID = 3", "-2|-2|-2|-3|2.25"},
    {604, "SELECT SUM(N), AVG(N), MIN(N), MAX(N), COUNT(N) FROM A", "-.75|-.375|-2.25|1.5|2"},
    {605, "SELECT ID || NAME FROM A ORDER BY ID", "1one\n2two\n3"},
    {606, "SELECT ID FROM A WHERE ID = '2'", "2"},
    {607, "SELECT ID FROM A WHERE NAME > 'o' ORDER BY 1", "1\n2"},
    {608, "SELECT 1e3, .5 + .25, 10/3 FROM DUAL", "1000|.75|3.33333333333333"},
    {609, "SELECT TO_NUMBER('1,234.50', '9,999.99') FROM DUAL", "1234.5"},
    {610, "SELECT MOD(-7, 3), POWER(2, -1), SIGN(0) FROM DUAL", "-1|.5|0"},
    {611, "SELECT DECODE(N, NULL, 'none', 1.5, 'one and a half', 'other') FROM A ORDER BY ID",
     "one and a half\nnone\nother"},
    {612, "SELECT DECODE(ID, 1, 10, 2, 'x') FROM A WHERE ID = 1", "10"},
    {613, "SELECT LEAST(ID, 2), GREATEST(NAME, 'p') FROM A WHERE ID = 1", "1|p"},
    {614, "SELECT CASE WHEN N > 0 THEN 'pos' WHEN N < 0 THEN 'neg' ELSE 'none' END FROM A ORDER BY ID", "pos\nnone\nneg"},
    {615, "SELECT COALESCE(NAME, TO_CHAR(N)) FROM A WHERE ID = 3", "-2.25"},
    {616, "SELECT LENGTH(NAME), SUBSTR(NAME, -2), INSTR(NAME, 'o') FROM A WHERE ID = 2", "3|wo|3"},
    {617, "SELECT ID FROM A WHERE NAME LIKE '_n%' OR NAME LIKE 't\\_%' ESCAPE '\\' ORDER BY 1", "1"},
    {618, "SELECT COUNT(*) FROM A WHERE NAME NOT LIKE 'o%'", "1"},
};

const Case kJoins[] = {
    {701, "SELECT a.ID, b.TAG FROM A a, B b WHERE a.ID = b.A_ID (+) ORDER BY a.ID, b.TAG", "1|x\n1|y\n2|NULL\n3|NULL"},
    {702, "SELECT a.ID, b.TAG FROM A a, B b WHERE b.A_ID = a.ID (+) ORDER BY b.TAG", "1|x\n1|y\nNULL|z"},
    {703, "SELECT a.ID, b.TAG FROM A a, B b WHERE a.ID = b.A_ID (+) AND b.TAG (+) = 'y' ORDER BY a.ID", "1|y\n2|NULL\n3|NULL"},
    {704, "SELECT a.ID FROM A a WHERE NOT EXISTS (SELECT 1 FROM B b WHERE b.A_ID = a.ID) ORDER BY 1", "2\n3"},
    {705, "SELECT ID FROM A WHERE ID IN (SELECT A_ID FROM B) ", "1"},
    {706, "SELECT ID FROM A WHERE ID NOT IN (SELECT A_ID FROM B WHERE A_ID IS NOT NULL) ORDER BY 1", "2\n3"},
    {707, "SELECT ID, (SELECT COUNT(*) FROM B WHERE B.A_ID = A.ID) FROM A ORDER BY ID", "1|2\n2|0\n3|0"},
    {708, "SELECT x.ID FROM (SELECT ID, NAME FROM A WHERE NAME IS NOT NULL) x WHERE x.NAME = 'two'", "2"},
    {709, "SELECT ID FROM A INTERSECT SELECT A_ID FROM B", "1"},
    {710, "SELECT ID FROM A MINUS SELECT A_ID FROM B ORDER BY 1", "2\n3"},
    {711, "SELECT A_ID, COUNT(*) c FROM B GROUP BY A_ID HAVING COUNT(*) > 1", "1|2"},
    {712, "SELECT NAME FROM A ORDER BY NAME NULLS FIRST", "NULL\none\ntwo"},
    {713, "SELECT NAME FROM A ORDER BY NAME DESC NULLS LAST", "two\none\nNULL"},
    {714, "SELECT ID, NAME n FROM A ORDER BY n", "1|one\n2|two\n3|NULL"},
    {715, "SELECT COUNT(*) FROM (SELECT ID FROM A UNION ALL SELECT ID FROM A)", "6"},
    {716, "SELECT MAX(ID) FROM A WHERE ROWNUM <= 2", "2"},
    {717, "SELECT ROWNUM r, ID FROM A WHERE ROWNUM <= 2 ORDER BY ID DESC", "2|2\n1|1"},
    {723, "SELECT 'many' FROM A HAVING COUNT(*) > 2", "many"},
    {724, "SELECT 'few' FROM A WHERE ID > 1 HAVING COUNT(*) > 2", ""},
    {725, "SELECT COUNT(*) FROM A WHERE 1 = 0 HAVING COUNT(*) = 0", "0"},
    {722, "SELECT * FROM (SELECT ROWNUM RN, x.NAME FROM (SELECT * FROM A ORDER BY N DESC) x) WHERE RN BETWEEN 2 AND 3",
     "2|one\n3|NULL"},
    {720, "SELECT COUNT(*) FROM A a, B b WHERE a.ID = b.A_ID AND ROWNUM <= 1", "1"},
    {721, "SELECT DISTINCT A_ID FROM B WHERE ROWNUM <= 2", "1"},
    {718, "SELECT ID FROM A WHERE ROWNUM <= 1 UNION ALL SELECT A_ID FROM B WHERE ROWNUM <= 2", "1\n1\n1"},
    {719, "SELECT ID, (SELECT COUNT(*) FROM B WHERE ROWNUM <= 1) FROM A WHERE ROWNUM <= 2 ORDER BY NAME DESC",
     "2|1\n1|1"},
};

const Case kErrors[] = {
    {801, "SELECT 1 FROM A a, B b WHERE a.ID (+) = b.A_ID (+)", "ORA-01468: a predicate may reference only one outer-joined table"},
    {802, "SELECT 1 FROM A a, B b WHERE a.ID = b.A_ID (+) OR b.TAG (+) = 'x'",
     "ORA-01719: outer join operator (+) not allowed in operand of OR or IN"},
    {803, "SELECT 1 FROM A a, B b WHERE a.ID (+) = b.A_ID AND b.ID (+) = a.ID",
     "ORA-01416: two tables cannot be outer-joined to each other"},
    {804, "SELECT ID FROM A UNION SELECT ID, TAG FROM B", "ORA-01789: query block has incorrect number of result columns"},
    {805, "SELECT ID FROM A UNION SELECT TAG FROM B", "ORA-01790: expression must have same datatype as corresponding expression"},
    {806, "SELECT DISTINCT NAME FROM A ORDER BY ID", "ORA-01791: not a SELECTed expression"},
    {807, "SELECT ID FROM A UNION SELECT ID FROM B ORDER BY NAME",
     "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
    {808, "SELECT ID FROM A WHERE ID = (SELECT ID, NAME FROM A)", "ORA-00913: too many values"},
    {809, "INSERT INTO A (ID, NAME) VALUES (9)", "ORA-00947: not enough values"},
    {810, "INSERT INTO A (ID) VALUES (9, 'x')", "ORA-00913: too many values"},
    {811, "SELECT SUM(COUNT(*)) FROM A", "ORA-00935: group function is nested too deeply"},
    {812, "SELECT ID FROM A WHERE ID = 1 GROUP BY NAME", "ORA-00979: not a GROUP BY expression"},
    {813, "SELECT NOSUCHFN(ID) FROM A", "ORA-00904: \"NOSUCHFN\": invalid identifier"},
    {814, "SELECT SUBSTR('x') FROM DUAL", "ORA-00938: not enough arguments for function"},
    {815, "SELECT D * 2 FROM A", "ORA-00932: inconsistent datatypes"},
    {816, "SELECT A.NOPE FROM A", "ORA-00904: \"A\".\"NOPE\": invalid identifier"},
    {817, "UPDATE A SET NOPE = 1", "ORA-00904: \"NOPE\": invalid identifier"},
    {818, "SELECT * FROM A WHERE ID = 1 FOR UPDATE", "1|one|2026-01-31 08:00:00|1.5"},
    {819, "SELECT (SELECT TAG FROM B WHERE B.A_ID = A.ID) FROM A ORDER BY ID",
     "ORA-01427: single-row subquery returns more than one row"},
    {820, "SELECT ID FROM A WHERE ID = (SELECT A_ID FROM B WHERE TAG = 'x')", "1"},
 {822, "SELECT ID FROM A WHERE ID > ALL (SELECT A_ID FROM B WHERE A_ID < 5) ORDER BY 1", "2\n3"},
    {823, "SELECT ID FROM A WHERE ID = ANY (SELECT A_ID FROM B)", "1"},
    {824, "SELECT ID FROM A WHERE ID <> ALL (1, 3)", "2"},
    {825, "SELECT ID FROM A WHERE ID = SOME (2, 3) ORDER BY 1", "2\n3"},
    {826, "SELECT COUNT(*) FROM A WHERE ID > ALL (SELECT ID FROM A WHERE 1 = 0)", "3"},
    {827, "SELECT COUNT(*) FROM A WHERE NOT (ID < ALL (SELECT N FROM A))", "3"},
    {828, "SELECT COUNT(*) FROM A WHERE NOT (ID > ALL (SELECT N FROM A))", "1"}, // NULL keeps 2 and 3 out
    {821, "SELECT (SELECT TAG FROM B WHERE B.A_ID = A.ID) FROM A WHERE ID > 1 ORDER BY ID", "NULL\nNULL"},
};

void RunCases(ExpressionTest* t, const Case* cases, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        EXPECT_EQ(t->RunSql(cases[i].sql), cases[i].expected) << "case " << cases[i].id << ": " << cases[i].sql;
}

TEST_F(ExpressionTest, DatesAndFormats) { RunCases(this, kDates, std::size(kDates)); }
TEST_F(ExpressionTest, NumbersTextAndConversions) { RunCases(this, kNumbers, std::size(kNumbers)); }
TEST_F(ExpressionTest, JoinsSubqueriesAndSetOperations) { RunCases(this, kJoins, std::size(kJoins)); }
TEST_F(ExpressionTest, SemanticErrors) { RunCases(this, kErrors, std::size(kErrors)); }

TEST_F(ExpressionTest, FailedStatementKeepsTheTransaction)
{
    EXPECT_EQ(Run("INSERT INTO A (ID) VALUES (4)"), "rows=1");
    EXPECT_EQ(Run("INSERT INTO A (ID) SELECT ID + 3 FROM A"), "ORA-00001: unique constraint (SYSTEM.SYS_C005001) violated");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM A"), "4"); // the failed insert left nothing, the first one stays
    EXPECT_EQ(Run("SAVEPOINT S1"), "ok");
    EXPECT_EQ(Run("DELETE FROM A WHERE ID = 4"), "rows=1");
    EXPECT_EQ(Run("ROLLBACK TO SAVEPOINT S1"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM A"), "4");
    EXPECT_EQ(Run("ROLLBACK"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM A"), "3");
}

TEST_F(ExpressionTest, ChangesDrivenBySubqueries)
{
    EXPECT_EQ(Run("UPDATE A SET NAME = (SELECT MAX(TAG) FROM B WHERE B.A_ID = A.ID) WHERE ID = 1"), "rows=1");
    EXPECT_EQ(Run("UPDATE A a SET N = (SELECT COUNT(*) FROM B b WHERE b.A_ID = a.ID)"), "rows=3");
    EXPECT_EQ(Run("SELECT ID, NAME, N FROM A ORDER BY ID"), "1|y|2\n2|two|0\n3|NULL|0");
    EXPECT_EQ(Run("DELETE FROM B WHERE A_ID NOT IN (SELECT ID FROM A)"), "rows=1");
    EXPECT_EQ(Run("UPDATE A SET NAME = (SELECT TAG FROM B)"), "ORA-01427: single-row subquery returns more than one row");
    EXPECT_EQ(Run("INSERT INTO A (ID, NAME) VALUES ((SELECT MAX(ID) + 1 FROM A), 'next')"), "rows=1");
    EXPECT_EQ(Run("SELECT NAME FROM A WHERE ID = 4"), "next");
    EXPECT_EQ(Run("UPDATE A SET D = D + 1, N = N * 2 WHERE D IS NOT NULL"), "rows=2");
    EXPECT_EQ(Run("SELECT TO_CHAR(D, 'DD'), N FROM A WHERE ID = 1"), "01|4");
}

TEST_F(ExpressionTest, TablesFromQueriesAndAddedColumns)
{
    EXPECT_EQ(Run("CREATE TABLE C AS SELECT ID, NAME, D FROM A WHERE ID < 3"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM C"), "2");
    EXPECT_EQ(Describe(System(), "SELECT * FROM C"), "ID 2 22 4 0 Y;NAME 1 10 0 0 Y;D 12 7 0 0 Y");
    EXPECT_EQ(Run("CREATE TABLE E AS SELECT ID + 1 FROM A"), "ORA-00998: must name this expression with a column alias");
    EXPECT_EQ(Run("ALTER TABLE C ADD (STATUS VARCHAR2(3) DEFAULT 'NEW', AMOUNT NUMBER(5))"), "ok");
    EXPECT_EQ(Run("INSERT INTO C (ID) VALUES (7)"), "rows=1");
    EXPECT_EQ(Run("SELECT ID, STATUS, AMOUNT FROM C WHERE ID = 7"), "7|NEW|NULL");
    EXPECT_EQ(Run("ALTER TABLE C ADD (NAME DATE)"), "ORA-01430: column being added already exists in table");
    EXPECT_EQ(Run("ALTER TABLE C ADD (X NUMBER NOT NULL)"), "ORA-01758: table must be empty to add mandatory (NOT NULL) column");
    EXPECT_EQ(Run("INSERT INTO C (ID, AMOUNT) VALUES (8, 123456)"),
              "ORA-01438: value larger than specified precision allowed for this column");
    EXPECT_EQ(Run("INSERT INTO A (ID, N) VALUES (5, 3.14159)"), "rows=1");
    EXPECT_EQ(Run("SELECT N FROM A WHERE ID = 5"), "3.14"); // NUMBER(8,2) rounds to its scale
}

} // namespace
} // namespace oraenginetest
