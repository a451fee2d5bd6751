// PL/SQL expressions as PL/SQL evaluates them: values, three-valued
// conditions and the errors of failed operations, against Oracle's
// documented results. The same expressions in SQL must agree.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

using PlsqlExpressionTest = PlsqlEngineTest;

TEST_F(PlsqlExpressionTest, ValuesFollowOraclesOperators)
{
    const Case cases[] = {
        {1, "1 + 2 * 3", "7"},
        {2, "(1 + 2) * 3", "9"},
        {3, "7 / 2", "3.5"},
        {5, "-5 - -3", "-2"},
        {6, "10 - 2 - 3", "5"},
        {7, "'a' || NULL || 'b'", "ab"},
        {8, "'n=' || 10 || '.' || 5", "n=10.5"},
        {9, "NULL || NULL", "NULL"},
        {10, "1 + NULL", "NULL"},
        {11, "MOD(-7, 3)", "-1"},
        {12, "MOD(7, 0)", "7"},
        {13, "MOD(7.5, 2)", "1.5"},
        {14, "NVL(NULL, 'x')", "x"},
        {15, "NVL('', 'empty is null')", "empty is null"},
        {16, "SUBSTR('ORACLE', -3, 2)", "CL"},
        {17, "SUBSTR('ORACLE', 0, 2)", "OR"},
        {18, "SUBSTR('ORACLE', 7)", "NULL"},
        {19, "LENGTH('')", "NULL"},
        {20, "LENGTH('abc') + 1", "4"},
        {21, "ROUND(2.675, 2)", "2.68"},
        {22, "ROUND(-2.5)", "-3"},
        {23, "TRUNC(-2.7)", "-2"},
        {24, "TRUNC(1234.5678, -2)", "1200"},
        {25, "ABS(-3) + ABS(2.5)", "5.5"},
        {26, "UPPER('abc') || LOWER('DEF')", "ABCdef"},
        {27, "'5' + 3", "8"},
        {28, "0.1 + 0.2", ".3"},
        {29, "TO_NUMBER('12.50') * 2", "25"},
        {30, "123456789012345 + 1", "123456789012346"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Value(c.sql), c.expected) << "case " << c.id << ": " << c.sql;
        const std::string sql = Run(Scott(), std::string("SELECT ") + c.sql + " FROM DUAL");
        EXPECT_EQ(sql, c.expected) << "case " << c.id << " in SQL: " << c.sql;
    }
}

TEST_F(PlsqlExpressionTest, ConditionsHaveThreeValues)
{
    const Case cases[] = {
        {1, "1 = 1", "TRUE"},
        {2, "NULL = NULL", "NULL"},
        {3, "NULL IS NULL", "TRUE"},
        {4, "'' IS NULL", "TRUE"},
        {5, "1 IS NOT NULL", "TRUE"},
        {6, "NULL AND FALSE", "FALSE"},
        {7, "NULL AND TRUE", "NULL"},
        {8, "NULL OR TRUE", "TRUE"},
        {9, "NULL OR FALSE", "NULL"},
        {10, "NOT NULL", "NULL"},
        {11, "5 BETWEEN 1 AND 10", "TRUE"},
        {12, "5 NOT BETWEEN 1 AND 10", "FALSE"},
        {13, "5 BETWEEN NULL AND 1", "FALSE"},
        {14, "5 BETWEEN NULL AND 10", "NULL"},
        {15, "3 IN (1, NULL, 3)", "TRUE"},
        {16, "3 NOT IN (1, 2, NULL)", "NULL"},
        {17, "3 NOT IN (1, 2)", "TRUE"},
        {18, "'B' > 'A'", "TRUE"},
        {19, "'10' < '9'", "TRUE"},
        {20, "10 > '9'", "TRUE"},
        {21, "0.1 + 0.2 = 0.3", "TRUE"},
        {22, "1 <> 2 AND 1 != 2 AND 1 ^= 2", "TRUE"},
        {23, "2 >= 2 AND 2 <= 2 AND NOT 2 < 2", "TRUE"},
        {24, "TRUE AND NOT FALSE", "TRUE"},
        {25, "'a ' = 'a'", "TRUE"}, // literals compare blank-padded
        {26, "v IS NULL", "TRUE"},
        {27, "SYSDATE > TO_DATE('01-01-2000', 'DD-MM-YYYY')", "TRUE"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Condition(c.sql), c.expected) << "case " << c.id << ": " << c.sql;
}

TEST_F(PlsqlExpressionTest, FailedOperationsRaiseOraclesErrors)
{
    const Case cases[] = {
        {1, "1 / 0", "ORA-01476: divisor is equal to zero"},
        {2, "'abc' + 1", "ORA-06502: PL/SQL: numeric or value error: character to number conversion error"},
        {3, "MOD('x', 2)", "ORA-06502: PL/SQL: numeric or value error: character to number conversion error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstLine(Value(c.sql)), c.expected) << "case " << c.id << ": " << c.sql;
    // The same conversion in SQL is an invalid number.
    EXPECT_EQ(Run(Scott(), "SELECT 'abc' + 1 FROM DUAL"), "ORA-01722: invalid number");
    // A failure in a condition is caught by the block's handler like any other.
    std::string out;
    EXPECT_EQ(Block("DECLARE x NUMBER := 0; BEGIN IF 1 / x > 0 THEN NULL; END IF;"
                    " EXCEPTION WHEN ZERO_DIVIDE THEN :R := 'caught'; END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=caught");
}

TEST_F(PlsqlExpressionTest, VariablesResolveInTheirOwnScopes)
{
    std::string out;
    // A nested block's variable hides the outer one only inside that block,
    // also when the block runs again on each iteration.
    EXPECT_EQ(Block("DECLARE x NUMBER := 100; total NUMBER := 0; BEGIN"
                    " FOR i IN 1..3 LOOP"
                    "  DECLARE x NUMBER := i * 10; BEGIN total := total + x; END;"
                    "  total := total + x;"
                    " END LOOP; :R := total; END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=360");
    // A recursive function's parameter is its own on each level.
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE FUNCTION FACT (n NUMBER) RETURN NUMBER IS BEGIN"
                           " IF n <= 1 THEN RETURN 1; END IF; RETURN n * FACT(n - 1); END;"),
              "ok");
    EXPECT_EQ(Value("FACT(10)"), "3628800");
    EXPECT_EQ(Value("FACT(3) + FACT(4)"), "30");
    // The loop counter is a number in its loop and gone after it.
    EXPECT_EQ(Block("DECLARE s VARCHAR2(20); BEGIN FOR i IN REVERSE 1..3 LOOP s := s || i; END LOOP; :R := s; END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=321");
    EXPECT_EQ(FirstLine(Block("BEGIN FOR i IN 1..2 LOOP NULL; END LOOP; :R := i; END;", {"R"})),
              "ORA-06550: line 1, column 48:");
}

TEST_F(PlsqlExpressionTest, BooleanVariablesAndAssignmentLimits)
{
    EXPECT_EQ(Value("CASE WHEN done THEN 'y' ELSE 'n' END", "done BOOLEAN := 3 > 2;"), "y");
    EXPECT_EQ(Condition("done AND n > 1", "done BOOLEAN := TRUE; n NUMBER := 2;"), "TRUE");
    EXPECT_EQ(Condition("NOT done", "done BOOLEAN;"), "NULL");
    EXPECT_EQ(FirstLine(Block("DECLARE s VARCHAR2(3); BEGIN s := 'abcd'; END;")),
              "ORA-06502: PL/SQL: numeric or value error: character string buffer too small");
    EXPECT_EQ(FirstLine(Block("DECLARE n NUMBER; BEGIN n := 'x1'; END;")),
              "ORA-06502: PL/SQL: numeric or value error: character to number conversion error");
    EXPECT_EQ(FirstLine(Block("DECLARE n NUMBER; BEGIN n := 'x1' || 2; END;")),
              "ORA-06502: PL/SQL: numeric or value error: character to number conversion error");
}

TEST_F(PlsqlExpressionTest, DateArithmeticCountsDays)
{
    const std::string d = "d DATE := TO_DATE('2026-12-31 06:00', 'YYYY-MM-DD HH24:MI'); e DATE; x NUMBER;";
    std::string out;
    EXPECT_EQ(Block("DECLARE " + d + " BEGIN e := d + 1.5; x := e - d; :R := TO_CHAR(e, 'YYYY-MM-DD HH24:MI') || ' ' || x"
                    " || ' ' || TO_CHAR(1 + d - 0.25, 'HH24:MI'); END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=2027-01-01 18:00 1.5 00:00");
    EXPECT_EQ(FirstLine(Block("DECLARE " + d + " BEGIN x := d + d; END;")),
              "ORA-00932: inconsistent datatypes: expected NUMBER got DATE");
}

TEST_F(PlsqlExpressionTest, StoredFunctionsRunInsideSql)
{
    EXPECT_EQ(Run(Scott(), "SELECT EMP_COUNT(10) FROM DUAL"), "3");
    EXPECT_EQ(Run(Scott(), "SELECT ENAME FROM EMP WHERE EMP_COUNT(DEPTNO) = 3 ORDER BY ENAME"), "CLARK\nKING\nMILLER");
    EXPECT_EQ(Run(Scott(), "SELECT ANNUAL_SALARY(7499) + 1, ANNUAL_SALARY(7499, 'N') FROM DUAL"), "19501|19200");
    std::string out;
    EXPECT_EQ(Block("DECLARE n NUMBER; BEGIN SELECT EMP_COUNT(20) INTO n FROM DUAL; :R := n; END;", {"R"}, &out), "ok");
    EXPECT_EQ(out, "R=5");
    // Dates go in and come back as dates.
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE FUNCTION NEXT_DAY_OF (d DATE) RETURN DATE IS BEGIN RETURN d + 1; END;"), "ok");
    EXPECT_EQ(Run(Scott(), "SELECT TO_CHAR(NEXT_DAY_OF(TO_DATE('2026-12-31', 'YYYY-MM-DD')), 'YYYY-MM-DD') FROM DUAL"),
              "2027-01-01");
    // Errors come out of the query with the function's stack.
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE FUNCTION REFUSE RETURN NUMBER IS BEGIN\n"
                           "  RAISE_APPLICATION_ERROR(-20007, 'refused');\nEND;"),
              "ok");
    const std::string refused = Run(Scott(), "SELECT REFUSE() FROM DUAL");
    EXPECT_EQ(FirstLine(refused), "ORA-20007: refused") << refused;
    // A function that queries itself stops at Oracle's recursive SQL limit.
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE FUNCTION SELF_QUERY (n NUMBER) RETURN NUMBER IS x NUMBER; BEGIN\n"
                           "  SELECT SELF_QUERY(n + 1) INTO x FROM DUAL;\n  RETURN x;\nEND;"),
              "ok");
    const std::string deep = Run(Scott(), "SELECT SELF_QUERY(1) FROM DUAL");
    EXPECT_EQ(FirstLine(deep), "ORA-00036: maximum number of recursive SQL levels (50) exceeded") << deep.substr(0, 300);
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM DUAL"), "1");
}

} // namespace
} // namespace oraenginetest
