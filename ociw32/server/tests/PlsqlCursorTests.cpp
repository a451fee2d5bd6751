// Explicit cursors, cursor FOR loops, %ROWTYPE and %TYPE, and EXECUTE
// IMMEDIATE, with Oracle's attribute values and errors.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

// Each block sets :R; a case gives R's value or the block's error.
struct CursorCase {
    int id;
    const char* block;
    const char* expected;
};

class CursorTest : public PlsqlEngineTest {
protected:
    void Check(const std::vector<CursorCase>& cases)
    {
        for (const CursorCase& c : cases) {
            std::string out;
            const bool bound = std::string(c.block).find(":R") != std::string::npos;
            const std::string r = Block(c.block, bound ? std::vector<std::string>{"R"} : std::vector<std::string>{}, &out);
            EXPECT_EQ(r == "ok" ? out.substr(bound ? 2 : 0) : r, c.expected) << "case " << c.id;
        }
    }
};

TEST_F(CursorTest, OpenFetchCloseAndTheAttributes)
{
    Check({
        {1, "DECLARE CURSOR c IS SELECT ENAME FROM EMP WHERE DEPTNO = 10 ORDER BY ENAME; n VARCHAR2(10);"
            " s VARCHAR2(100); BEGIN OPEN c; LOOP FETCH c INTO n; EXIT WHEN c%NOTFOUND; s := s || n || ','; END LOOP;"
            " :R := s || c%ROWCOUNT; CLOSE c; END;",
         "CLARK,KING,MILLER,3"},
        // %FOUND is NULL between OPEN and the first FETCH; %ISOPEN follows OPEN and CLOSE.
        {2, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; x NUMBER; s VARCHAR2(100); BEGIN"
            " s := CASE WHEN c%ISOPEN THEN 'open' ELSE 'closed' END; OPEN c;"
            " s := s || ' ' || NVL(CASE WHEN c%FOUND THEN 'found' WHEN NOT c%FOUND THEN 'none' END, 'null');"
            " FETCH c INTO x; s := s || ' ' || CASE WHEN c%FOUND THEN 'found' END || c%ROWCOUNT;"
            " FETCH c INTO x; s := s || ' ' || CASE WHEN c%NOTFOUND THEN 'notfound' END || c%ROWCOUNT;"
            " CLOSE c; s := s || ' ' || CASE WHEN c%ISOPEN THEN 'open' ELSE 'closed' END; :R := s; END;",
         "closed null found1 notfound1 closed"},
        // A fetch past the end leaves the targets as they were.
        {3, "DECLARE CURSOR c IS SELECT 7 FROM DUAL; x NUMBER; BEGIN OPEN c; FETCH c INTO x; FETCH c INTO x;"
            " CLOSE c; :R := x; END;",
         "7"},
        // Parameters, with a default, and reopening after CLOSE.
        {4, "DECLARE CURSOR c (d NUMBER, minsal NUMBER := 0) IS SELECT COUNT(*) FROM EMP WHERE DEPTNO = d AND SAL > minsal;"
            " a NUMBER; b NUMBER; BEGIN OPEN c(30); FETCH c INTO a; CLOSE c; OPEN c(30, 1500); FETCH c INTO b; CLOSE c;"
            " :R := a || '/' || b; END;",
         "6/2"},
        // Variables in the query are read at OPEN.
        {5, "DECLARE d NUMBER := 10; CURSOR c IS SELECT COUNT(*) FROM EMP WHERE DEPTNO = d; n NUMBER; BEGIN"
            " OPEN c; d := 20; FETCH c INTO n; CLOSE c; :R := n; END;",
         "3"},
    });
}

TEST_F(CursorTest, CursorMisuseRaisesOraclesErrors)
{
    Check({
        {1, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; x NUMBER; BEGIN FETCH c INTO x; END;",
         "ORA-01001: invalid cursor\nORA-06512: at line 1"},
        {2, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN CLOSE c; END;", "ORA-01001: invalid cursor\nORA-06512: at line 1"},
        {3, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN OPEN c; OPEN c; END;",
         "ORA-06511: PL/SQL: cursor already open\nORA-06512: at line 1"},
        {4, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN :R := c%ROWCOUNT; END;",
         "ORA-01001: invalid cursor\nORA-06512: at line 1"},
        {5, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN OPEN c; OPEN c; EXCEPTION WHEN CURSOR_ALREADY_OPEN THEN"
            " :R := SQLCODE; END;",
         "-6511"},
        {6, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN CLOSE c; EXCEPTION WHEN INVALID_CURSOR THEN :R := SQLCODE; END;",
         "-1001"},
        {7, "DECLARE CURSOR c IS SELECT X FROM NO_TABLE; BEGIN NULL; END;",
         "ORA-06550: line 1, column 35:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 1, column 16:\nPL/SQL: SQL Statement ignored"},
    });
}

TEST_F(CursorTest, CursorForLoops)
{
    Check({
        {1, "DECLARE s VARCHAR2(100); BEGIN FOR r IN (SELECT ENAME, SAL FROM EMP WHERE DEPTNO = 10 ORDER BY SAL) LOOP"
            " s := s || r.ENAME || '=' || r.sal || ' '; END LOOP; :R := s; END;",
         "MILLER=1300 CLARK=2450 KING=5000 "},
        {2, "DECLARE CURSOR c (d NUMBER) IS SELECT ENAME FROM EMP WHERE DEPTNO = d ORDER BY ENAME; s VARCHAR2(100); BEGIN"
            " FOR e IN c(20) LOOP s := s || c%ROWCOUNT || e.ename || ' '; EXIT WHEN c%ROWCOUNT = 2; END LOOP;"
            " :R := s || CASE WHEN c%ISOPEN THEN 'open' ELSE 'closed' END; END;",
         "1ADAMS 2FORD closed"},
        // A loop left by an exception closes its cursor too.
        {3, "DECLARE CURSOR c IS SELECT 1 FROM DUAL; BEGIN BEGIN FOR r IN c LOOP RAISE NO_DATA_FOUND; END LOOP;"
            " EXCEPTION WHEN NO_DATA_FOUND THEN NULL; END; :R := CASE WHEN c%ISOPEN THEN 'open' ELSE 'closed' END; END;",
         "closed"},
        // A query without rows runs the body never; the record is gone after the loop.
        {4, "DECLARE n NUMBER := 0; BEGIN FOR r IN (SELECT 1 x FROM DUAL WHERE 1 = 0) LOOP n := n + 1; END LOOP;"
            " :R := n; END;",
         "0"},
        {5, "BEGIN FOR r IN (SELECT 1 X FROM DUAL) LOOP NULL; END LOOP; :R := r.x; END;",
         "ORA-06550: line 1, column 66:\nPLS-00201: identifier 'R.X' must be declared\n"
         "ORA-06550: line 1, column 60:\nPL/SQL: Statement ignored"},
    });
}

TEST_F(CursorTest, RowtypeAndTypeDeclarations)
{
    Check({
        {1, "DECLARE e EMP%ROWTYPE; BEGIN SELECT * INTO e FROM EMP WHERE EMPNO = 7839; :R := e.ename || ' ' || e.sal"
            " || ' ' || e.deptno; END;",
         "KING 5000 10"},
        {2, "DECLARE CURSOR c IS SELECT ENAME, SAL * 2 dbl FROM EMP WHERE EMPNO = 7782; r c%ROWTYPE; BEGIN OPEN c;"
            " FETCH c INTO r; CLOSE c; :R := r.ename || ' ' || r.dbl; END;",
         "CLARK 4900"},
        {3, "DECLARE n EMP.ENAME%TYPE; BEGIN n := 'TOO LONG A NAME'; END;",
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 1"},
        {4, "DECLARE a NUMBER(5); b a%TYPE; BEGIN b := 'x'; END;",
         "ORA-06502: PL/SQL: numeric or value error: character to number conversion error\nORA-06512: at line 1"},
        {5, "DECLARE e EMP%ROWTYPE; f EMP%ROWTYPE; BEGIN SELECT * INTO e FROM EMP WHERE EMPNO = 7900; f := e;"
            " f.sal := f.sal + 1; :R := e.sal || ' ' || f.sal || ' ' || f.ename; END;",
         "950 951 JAMES"},
        {6, "DECLARE e NO_SUCH_TABLE%ROWTYPE; BEGIN NULL; END;",
         "ORA-06550: line 1, column 9:\nPLS-00201: identifier 'NO_SUCH_TABLE' must be declared\n"
         "ORA-06550: line 1, column 9:\nPL/SQL: Statement ignored"},
    });
}

TEST_F(CursorTest, ExecuteImmediate)
{
    Check({
        {1, "DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM EMP WHERE DEPTNO = :d' INTO n USING 30;"
            " :R := n; END;",
         "6"},
        {2, "DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'CREATE TABLE DYN (A NUMBER, B VARCHAR2(10))';"
            " EXECUTE IMMEDIATE 'INSERT INTO DYN VALUES (:1, :2)' USING 1, 'one';"
            " EXECUTE IMMEDIATE 'INSERT INTO DYN VALUES (:1, :2)' USING 2, 'two';"
            " EXECUTE IMMEDIATE 'UPDATE DYN SET B = UPPER(B)'; :R := SQL%ROWCOUNT; END;",
         "2"},
        {3, "DECLARE s VARCHAR2(20); BEGIN EXECUTE IMMEDIATE 'SELECT B FROM DYN WHERE A = :a' INTO s USING 2; :R := s; END;",
         "TWO"},
        {4, "DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'SELECT A FROM DYN WHERE A > 5' INTO n; END;",
         "ORA-01403: no data found\nORA-06512: at line 1"},
        {5, "BEGIN EXECUTE IMMEDIATE 'SELECT * FROM NO_SUCH_TABLE'; END;",
         "ORA-00942: table or view does not exist\nORA-06512: at line 1"},
        {6, "DECLARE x NUMBER := 5; y NUMBER; BEGIN EXECUTE IMMEDIATE 'BEGIN :o := :i * 2; END;' USING OUT y, IN x;"
            " :R := y; END;",
         "10"},
        {7, "DECLARE n NUMBER; BEGIN EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM DYN WHERE A = :a' INTO n; END;",
         "ORA-01008: not all variables bound\nORA-06512: at line 1"},
    });
    EXPECT_EQ(Run(Scott(), "SELECT A, B FROM DYN ORDER BY A"), "1|ONE\n2|TWO");
}

} // namespace
} // namespace oraenginetest
