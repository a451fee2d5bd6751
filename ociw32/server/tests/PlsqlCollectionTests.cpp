// Index-by tables as PL/SQL 2 has them: sparse, keyed by BINARY_INTEGER,
// read and written element by element, with COUNT, FIRST, LAST, NEXT,
// PRIOR, EXISTS and DELETE; and DBMS_OUTPUT.GET_LINES, which fills one.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

class PlsqlCollectionTest : public PlsqlEngineTest {
protected:
    // :R after `body` ran with a table T of VARCHAR2(10) holding 1 => 'one',
    // 5 => 'five', 3 => 'three' (assigned in that order); or the error.
    std::string After(const std::string& body, const std::string& decls = "")
    {
        std::string out;
        const std::string r = Block("DECLARE\n  TYPE words IS TABLE OF VARCHAR2(10) INDEX BY BINARY_INTEGER;\n"
                                    "  t words;\n  n NUMBER;\n" + decls +
                                        "BEGIN\n  t(1) := 'one';\n  t(5) := 'five';\n  t(3) := 'three';\n" + body + "\nEND;",
                                    {"R"}, &out);
        return r == "ok" ? out.substr(2) : r;
    }
};

TEST_F(PlsqlCollectionTest, ElementsAndMethods)
{
    struct Case {
        const char* body;
        const char* result;
    } cases[] = {
        {":R := t(3);", "three"},
        {":R := t.COUNT || ' ' || t.FIRST || ' ' || t.LAST;", "3 1 5"},
        {":R := t.NEXT(1) || ',' || t.NEXT(3) || ',' || NVL(TO_CHAR(t.NEXT(5)), 'null');", "3,5,null"},
        {":R := t.PRIOR(5) || ',' || t.PRIOR(4) || ',' || NVL(TO_CHAR(t.PRIOR(1)), 'null');", "3,3,null"},
        {"IF t.EXISTS(3) AND NOT t.EXISTS(2) THEN :R := 'yes'; ELSE :R := 'no'; END IF;", "yes"},
        // Subscripts may be negative, and expressions; a number rounds.
        {"t(-7) := 'minus'; :R := t(-7) || t(2 + 1) || t(0.6) || t.FIRST;", "minusthreeone-7"},
        // An element written again keeps its place; the count stays.
        {"t(3) := 'THREE'; :R := t(3) || t.COUNT;", "THREE3"},
        // Walking the table in key order.
        {"n := t.FIRST; :R := ''; WHILE n IS NOT NULL LOOP :R := :R || t(n) || ';'; n := t.NEXT(n); END LOOP;",
         "one;three;five;"},
        {"FOR i IN t.FIRST .. t.LAST LOOP IF t.EXISTS(i) THEN :R := :R || i; END IF; END LOOP;", "135"},
        // DELETE of one element, of a range, of all.
        {"t.DELETE(3); :R := t.COUNT || ' ' || t.NEXT(1);", "2 5"},
        {"t.DELETE(2, 4); :R := t.COUNT || ' ' || t.FIRST || ' ' || t.LAST;", "2 1 5"},
        {"t.DELETE(4, 2); :R := t.COUNT;", "3"},
        {"t.DELETE; :R := t.COUNT || NVL(TO_CHAR(t.FIRST), '-') || NVL(TO_CHAR(t.LAST), '-');", "0--"},
        // In embedded SQL as in expressions.
        {"SELECT t(5) || '!' INTO :R FROM DUAL;", "five!"},
        // A copy is a copy.
        {"DECLARE u words; BEGIN u := t; u(1) := 'uno'; :R := t(1) || ' ' || u(1) || ' ' || u.COUNT; END;", "one uno 3"},
        // Reading an element that is not there raises NO_DATA_FOUND, which handlers catch.
        {"BEGIN :R := t(2); EXCEPTION WHEN NO_DATA_FOUND THEN :R := 'none: ' || SQLCODE; END;", "none: 100"},
        {"t.DELETE(1); BEGIN :R := t(1); EXCEPTION WHEN NO_DATA_FOUND THEN :R := 'gone'; END;", "gone"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(After(c.body), c.result) << c.body;
}

TEST_F(PlsqlCollectionTest, TypedElementsAndTheirErrors)
{
    // A number table computes; its elements convert as variables do.
    std::string out;
    Block("DECLARE TYPE nums IS TABLE OF NUMBER INDEX BY BINARY_INTEGER; a nums; BEGIN\n"
          "  a(1) := 2; a(2) := a(1) * 10; a(3) := '7';\n  :R := a(1) + a(2) + a(3);\nEND;",
          {"R"}, &out);
    EXPECT_EQ(out, "R=29");
    struct Case {
        const char* body;
        const char* error; // first line
    } cases[] = {
        {":R := t(2);", "ORA-01403: no data found"},
        {":R := 0; t(NULL) := 'x';", "ORA-06502: PL/SQL: numeric or value error: NULL index table key value"},
        {":R := t(NULL);", "ORA-06502: PL/SQL: numeric or value error: NULL index table key value"},
        {":R := 0; t(9) := 'eleven chars';", "ORA-06502: PL/SQL: numeric or value error: character string buffer too small"},
        // In PL/SQL a failed conversion is a VALUE_ERROR.
        {":R := 0; t(TO_NUMBER('x')) := 'x';", "ORA-06502: PL/SQL: numeric or value error: character to number conversion error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstLine(After(c.body)), c.error) << c.body;
    // An unhandled NO_DATA_FOUND names the line it came from.
    EXPECT_EQ(After(":R := t(2);"), "ORA-01403: no data found\nORA-06512: at line 9");
    // Compile errors: an unknown method, a scalar with a subscript, a table used as a value.
    EXPECT_EQ(After(":R := 0; t.EXTEND;"), "ORA-06550: line 9, column 12:\nPLS-00302: component 'EXTEND' must be declared\n"
                                           "ORA-06550: line 9, column 10:\nPL/SQL: Statement ignored");
    EXPECT_EQ(FirstLine(After(":R := t.LENGTH;")), "ORA-06550: line 9, column 9:");
    EXPECT_EQ(FirstLine(After(":R := 0; n(1) := 2;")), "ORA-06550: line 9, column 10:");
    EXPECT_NE(After(":R := 0; n(1) := 2;").find("PLS-00222: no function with name 'N' exists in this scope"), std::string::npos);
    EXPECT_NE(After(":R := 0; n := 1; t := n;").find("PLS-00382: expression is of wrong type"), std::string::npos);
    // Other kinds of collection are not run here, and say so.
    EXPECT_NE(Block("DECLARE TYPE nt IS TABLE OF NUMBER; BEGIN NULL; END;").find("PLS-00999"), std::string::npos);
}

// DBMS_OUTPUT.GET_LINES(lines OUT CHARARR, numlines IN OUT INTEGER): up to
// numlines lines into lines(1..), numlines set to how many came.
TEST_F(PlsqlCollectionTest, GetLinesFillsACharArr)
{
    std::string out;
    ASSERT_EQ(Block("DECLARE\n  lines DBMS_OUTPUT.CHARARR;\n  n INTEGER := 2;\nBEGIN\n"
                    "  DBMS_OUTPUT.ENABLE;\n  DBMS_OUTPUT.PUT_LINE('alpha');\n  DBMS_OUTPUT.PUT('be');\n"
                    "  DBMS_OUTPUT.PUT_LINE('ta');\n  DBMS_OUTPUT.NEW_LINE;\n  DBMS_OUTPUT.PUT_LINE('gamma');\n"
                    "  lines(7) := 'stale';\n"
                    "  DBMS_OUTPUT.GET_LINES(lines, n);\n  :A := n || ':' || lines(1) || ',' || lines(2) || ':' || lines.COUNT;\n"
                    "  n := 10;\n  DBMS_OUTPUT.GET_LINES(lines, n);\n"
                    "  :B := n || ':' || NVL(lines(1), '(empty)') || ',' || lines(2) || ':' || lines.COUNT;\n"
                    "  DBMS_OUTPUT.GET_LINES(lines, n);\n  :C := n || ':' || lines.COUNT;\nEND;",
                    {"A", "B", "C"}, &out),
              "ok");
    EXPECT_EQ(out, "A=2:alpha,beta:2\nB=2:(empty),gamma:2\nC=0:0");
    // The lines must go into a CHARARR.
    const std::string wrong = Block("DECLARE s VARCHAR2(100); n INTEGER := 1; BEGIN DBMS_OUTPUT.GET_LINES(s, n); END;");
    EXPECT_NE(wrong.find("PLS-00306: wrong number or types of arguments in call to 'GET_LINES'"), std::string::npos)
        << wrong;
}

// A package header declares the type; units declare tables of pkg.type;
// a package's table lives as long as the session.
TEST_F(PlsqlCollectionTest, PackageTypesAndTables)
{
    for (const char* sql : {
             "CREATE OR REPLACE PACKAGE NAMES IS\n  TYPE list IS TABLE OF VARCHAR2(20) INDEX BY BINARY_INTEGER;\n"
             "  seen list;\n  PROCEDURE REMEMBER (s IN VARCHAR2);\n  FUNCTION HOW_MANY RETURN NUMBER;\nEND;",
             "CREATE OR REPLACE PACKAGE BODY NAMES IS\n  PROCEDURE REMEMBER (s IN VARCHAR2) IS\n  BEGIN\n"
             "    seen(NVL(seen.LAST, 0) + 1) := s;\n  END;\n"
             "  FUNCTION HOW_MANY RETURN NUMBER IS\n  BEGIN\n    RETURN seen.COUNT;\n  END;\nEND;",
             "CREATE OR REPLACE PROCEDURE COPY_NAMES (n OUT NUMBER) IS\n  mine NAMES.list;\nBEGIN\n"
             "  mine(1) := 'x';\n  n := mine.COUNT;\nEND;",
         })
        ASSERT_EQ(Run(Scott(), sql), "ok") << sql;
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM USER_OBJECTS WHERE STATUS = 'INVALID'"), "0");
    std::string out;
    ASSERT_EQ(Block("BEGIN NAMES.REMEMBER('ann'); NAMES.REMEMBER('bob'); END;"), "ok");
    ASSERT_EQ(Block("DECLARE n NUMBER; BEGIN COPY_NAMES(n); :R := n; END;", {"R"}, &out), "ok");
    EXPECT_EQ(out, "R=1");
    ASSERT_EQ(Block("BEGIN NAMES.REMEMBER('cy'); :R := NAMES.HOW_MANY; END;", {"R"}, &out), "ok");
    EXPECT_EQ(out, "R=3");
}

// Tables as parameters: IN gives the callee a copy it may not change, OUT
// and IN OUT hand the callee's table back.
TEST_F(PlsqlCollectionTest, TablesAsParameters)
{
    for (const char* sql : {
             "CREATE OR REPLACE PACKAGE LISTS IS\n  TYPE nums IS TABLE OF NUMBER INDEX BY BINARY_INTEGER;\n"
             "  FUNCTION TOTAL (t IN nums) RETURN NUMBER;\n  PROCEDURE DOUBLE_ALL (t IN OUT nums);\nEND;",
             "CREATE OR REPLACE PACKAGE BODY LISTS IS\n"
             "  FUNCTION TOTAL (t IN nums) RETURN NUMBER IS\n    s NUMBER := 0;\n    i BINARY_INTEGER := t.FIRST;\n  BEGIN\n"
             "    WHILE i IS NOT NULL LOOP\n      s := s + t(i);\n      i := t.NEXT(i);\n    END LOOP;\n    RETURN s;\n  END;\n"
             "  PROCEDURE DOUBLE_ALL (t IN OUT nums) IS\n  BEGIN\n"
             "    FOR i IN t.FIRST .. t.LAST LOOP\n      t(i) := t(i) * 2;\n    END LOOP;\n  END;\nEND;",
             "CREATE OR REPLACE PROCEDURE FILL (t OUT LISTS.nums, n IN NUMBER) IS\nBEGIN\n"
             "  FOR i IN 1 .. n LOOP\n    t(i) := i;\n  END LOOP;\nEND;",
         })
        ASSERT_EQ(Run(Scott(), sql), "ok") << sql;
    std::string out;
    ASSERT_EQ(Block("DECLARE a LISTS.nums; s NUMBER; BEGIN\n  a(9) := 100;\n  FILL(a, 3);\n  s := LISTS.TOTAL(a);\n"
                    "  :A := a.COUNT || ' ' || s;\n  LISTS.DOUBLE_ALL(a);\n  s := LISTS.TOTAL(a);\n"
                    "  :B := a(1) || ' ' || a(3) || ' ' || s;\nEND;",
                    {"A", "B"}, &out),
              "ok");
    EXPECT_EQ(out, "A=3 6\nB=2 6 12");
    // An IN table is read only; a scalar is no table, nor a table a scalar.
    EXPECT_EQ(Run(Scott(), "CREATE OR REPLACE PROCEDURE SPOIL (t IN LISTS.nums) IS\nBEGIN\n  t(1) := 0;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(Scott(), "SELECT TEXT FROM USER_ERRORS WHERE NAME = 'SPOIL' ORDER BY SEQUENCE"),
              "PL/SQL: Statement ignored\nPLS-00363: expression 'T' cannot be used as an assignment target");
    EXPECT_NE(Block("DECLARE n NUMBER := 1; BEGIN :R := LISTS.TOTAL(n); END;", {"R"})
                  .find("PLS-00306: wrong number or types of arguments in call to 'TOTAL'"),
              std::string::npos);
    EXPECT_NE(Block("DECLARE a LISTS.nums; BEGIN RAISE_SALARY(a); END;")
                  .find("PLS-00306: wrong number or types of arguments in call to 'RAISE_SALARY'"),
              std::string::npos);
}

} // namespace
} // namespace oraenginetest
