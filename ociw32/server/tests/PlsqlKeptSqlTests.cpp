// Embedded SQL run again and again in one block (a loop, a procedure called
// many times) is rewritten and parsed once per activation of its scope: what
// it reads must still be the values, names and tables of each run.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

struct KeptSqlCase {
    int id;
    const char* setup; // run first (its own block), or ""
    const char* block; // sets :R
    const char* expected;
};

class KeptSqlTest : public PlsqlEngineTest {
protected:
    void Check(const std::vector<KeptSqlCase>& cases)
    {
        for (const KeptSqlCase& c : cases) {
            if (*c.setup) {
                ASSERT_EQ(Block(c.setup), "ok") << "case " << c.id;
            }
            std::string out;
            const std::string r = Block(c.block, {"R"}, &out);
            EXPECT_EQ(r == "ok" ? out.substr(2) : r, c.expected) << "case " << c.id;
        }
    }
};

TEST_F(KeptSqlTest, EachRunReadsTheValuesOfItsMoment)
{
    Check({
        // The loop counter and a variable changed in the loop.
        {1, "BEGIN EXECUTE IMMEDIATE 'CREATE TABLE KS1 (ID NUMBER PRIMARY KEY, NAME VARCHAR2(30), N NUMBER)'; END;",
         "DECLARE s NUMBER := 0; t VARCHAR2(100); BEGIN FOR i IN 1..5 LOOP s := s + i;"
         " INSERT INTO KS1 VALUES (i, 'ROW ' || i, s); END LOOP;"
         " FOR r IN (SELECT ID, NAME, N FROM KS1 ORDER BY ID) LOOP t := t || r.NAME || '=' || r.N || ','; END LOOP;"
         " :R := t; ROLLBACK; END;",
         "ROW 1=1,ROW 2=3,ROW 3=6,ROW 4=10,ROW 5=15,"},
        // SQL%ROWCOUNT and SQL%FOUND inside the statement are the previous
        // statement's, which changes from run to run.
        {2, "", "DECLARE t VARCHAR2(200); BEGIN FOR i IN 1..4 LOOP INSERT INTO KS1 VALUES (i, 'A', i); END LOOP;"
                " FOR i IN 1..4 LOOP"
                " UPDATE KS1 SET N = 0 WHERE ID = i AND MOD(i, 2) = 0;"
                " INSERT INTO KS1 VALUES (10 + i, CASE WHEN SQL%FOUND THEN 'F' ELSE 'N' END, SQL%ROWCOUNT); END LOOP;"
                " FOR r IN (SELECT NAME, N FROM KS1 WHERE ID > 10 ORDER BY ID) LOOP t := t || r.NAME || r.N; END LOOP;"
                " :R := t; ROLLBACK; END;",
         "N0F1N0F1"},
        // A block inside the loop is a new scope on every run: its own variable.
        {3, "", "DECLARE t VARCHAR2(200); BEGIN FOR i IN 1..3 LOOP DECLARE x NUMBER := i * 10; BEGIN"
                " INSERT INTO KS1 VALUES (x, 'X', i); END; END LOOP;"
                " FOR r IN (SELECT ID FROM KS1 ORDER BY ID) LOOP t := t || r.ID || ','; END LOOP; :R := t;"
                " ROLLBACK; END;",
         "10,20,30,"},
        // A cursor attribute read by the statement.
        {4, "", "DECLARE CURSOR c IS SELECT 1 FROM DUAL; d NUMBER; t VARCHAR2(200); BEGIN"
                " FOR i IN 1..2 LOOP IF i = 2 THEN OPEN c; END IF;"
                " INSERT INTO KS1 VALUES (i, CASE WHEN c%ISOPEN THEN 'OPEN' ELSE 'SHUT' END, i); END LOOP; CLOSE c;"
                " FOR r IN (SELECT NAME FROM KS1 ORDER BY ID) LOOP t := t || r.NAME || ','; END LOOP; :R := t;"
                " ROLLBACK; END;",
         "SHUT,OPEN,"},
        // Index-by table elements change between runs.
        {5, "", "DECLARE TYPE nt IS TABLE OF NUMBER INDEX BY BINARY_INTEGER; v nt; t VARCHAR2(200); BEGIN"
                " FOR i IN 1..3 LOOP v(i) := i * 7; INSERT INTO KS1 VALUES (i, 'T', v(i)); END LOOP;"
                " FOR r IN (SELECT N FROM KS1 ORDER BY ID) LOOP t := t || r.N || ','; END LOOP; :R := t; ROLLBACK; END;",
         "7,14,21,"},
    });
}

TEST_F(KeptSqlTest, NamesFollowTheScopeOfEachActivation)
{
    Check({
        // A procedure called in a loop: each call is an activation of its own,
        // with its own parameter values; recursion nests them.
        {1, "BEGIN EXECUTE IMMEDIATE 'CREATE TABLE KS2 (ID NUMBER, LVL NUMBER)';"
            " EXECUTE IMMEDIATE 'CREATE OR REPLACE PROCEDURE KS2_ADD (p NUMBER, d NUMBER) IS BEGIN"
            " INSERT INTO KS2 VALUES (p, d); IF d > 0 THEN KS2_ADD(p * 10, d - 1); END IF; END;'; END;",
         "DECLARE t VARCHAR2(200); BEGIN FOR i IN 1..3 LOOP KS2_ADD(i, 1); END LOOP;"
         " FOR r IN (SELECT ID, LVL FROM KS2 ORDER BY ID) LOOP t := t || r.ID || ':' || r.LVL || ','; END LOOP;"
         " :R := t; ROLLBACK; END;",
         "1:1,2:1,3:1,10:0,20:0,30:0,"},
        // DDL in the loop: a name that was the variable becomes the table's
        // column once the table is made again with it.
        {2, "BEGIN EXECUTE IMMEDIATE 'CREATE TABLE KS3 (ID NUMBER, V NUMBER)';"
            " EXECUTE IMMEDIATE 'INSERT INTO KS3 VALUES (1, 0)'; EXECUTE IMMEDIATE 'INSERT INTO KS3 VALUES (2, 0)';"
            " COMMIT; END;",
         "DECLARE N NUMBER := 1; t VARCHAR2(200); BEGIN FOR i IN 1..2 LOOP"
         " UPDATE KS3 SET V = V + 1 WHERE ID = N; COMMIT;"
         " IF i = 1 THEN EXECUTE IMMEDIATE 'DROP TABLE KS3';"
         " EXECUTE IMMEDIATE 'CREATE TABLE KS3 (ID NUMBER, V NUMBER, N NUMBER)';"
         " EXECUTE IMMEDIATE 'INSERT INTO KS3 VALUES (1, 0, 2)';"
         " EXECUTE IMMEDIATE 'INSERT INTO KS3 VALUES (2, 0, 2)'; END IF; END LOOP;"
         " FOR r IN (SELECT ID, V FROM KS3 ORDER BY ID) LOOP t := t || r.ID || '=' || r.V || ','; END LOOP;"
         " :R := t; END;",
         "1=0,2=1,"},
        // A table dropped in the loop: the kept statement is not run on it.
        {3, "BEGIN EXECUTE IMMEDIATE 'CREATE TABLE KS4 (ID NUMBER)'; END;",
         "BEGIN FOR i IN 1..2 LOOP INSERT INTO KS4 VALUES (i);"
         " IF i = 1 THEN EXECUTE IMMEDIATE 'DROP TABLE KS4'; END IF; END LOOP; :R := 'done'; END;",
         "ORA-06550: line 1, column 38:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 1, column 26:\nPL/SQL: SQL Statement ignored"},
    });
}

} // namespace
} // namespace oraenginetest
