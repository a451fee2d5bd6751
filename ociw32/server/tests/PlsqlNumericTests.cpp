// Numbers at the edge of Oracle's range in PL/SQL arithmetic, and CASE
// whose first results are NULL.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

class PlsqlNumericTest : public PlsqlEngineTest {};

// A NUMBER holds less than 1E126 in magnitude; arithmetic beyond raises
// ORA-01426, which handlers see as any other error.
TEST_F(PlsqlNumericTest, ArithmeticBeyondTheRangeOverflows)
{
    struct Case {
        const char* expr;
        const char* result;
    } cases[] = {
        {"1E125 * 9.99", "9.9900E+125"},
        {"-1E125 * 9.99", "-9.9900E+125"},
        {"1E125 * 10", "ORA-01426: numeric overflow"},
        {"-1E125 * 10", "ORA-01426: numeric overflow"},
        {"1E63 * 1E63", "ORA-01426: numeric overflow"},
        {"1E120 * 1E10", "ORA-01426: numeric overflow"},
        {"9.99E125 + 1E125", "ORA-01426: numeric overflow"},
        {"-9.99E125 - 1E125", "ORA-01426: numeric overflow"},
        {"1E125 / 0.1", "ORA-01426: numeric overflow"},
        {"1E100 * 1E25", "1.0000E+125"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FirstLine(Value(c.expr)), c.result) << c.expr;
    EXPECT_EQ(Value("x", "x NUMBER := 1E125; y NUMBER;"), "1.0000E+125");
    // A value SQL computed for PL/SQL too.
    EXPECT_EQ(FirstLine(Block("DECLARE x NUMBER; BEGIN x := POWER(10, 126); END;")), "ORA-01426: numeric overflow");
    EXPECT_EQ(FirstLine(Block("DECLARE x NUMBER; BEGIN x := POWER(10, 125); :R := x; END;", {"R"})), "ok");
    std::string out;
    EXPECT_EQ(Block("DECLARE x NUMBER := 1E125; BEGIN\n  x := x * 100;\nEXCEPTION\n  WHEN OTHERS THEN :R := SQLCODE;\nEND;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=-1426");
    EXPECT_EQ(Block("DECLARE x NUMBER := 1E125; BEGIN\n  x := x * 100;\nEND;"),
              "ORA-01426: numeric overflow\nORA-06512: at line 2");
}

// The type of a CASE is its first non-NULL result's, an ELSE's included.
TEST_F(PlsqlNumericTest, CaseWithANullFirstResultTakesTheLaterType)
{
    std::string out;
    EXPECT_EQ(Block("DECLARE d DATE; BEGIN\n  d := CASE WHEN 1 = 0 THEN NULL ELSE TO_DATE('2024-03-05', 'YYYY-MM-DD') END;\n"
                    "  :R := TO_CHAR(d, 'DD.MM.YYYY');\nEND;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=05.03.2024");
    EXPECT_EQ(Value("CASE WHEN 1 = 0 THEN NULL WHEN 1 = 0 THEN NULL ELSE 5 END + 1"), "6");
    EXPECT_EQ(Value("TO_CHAR(CASE WHEN 1 = 0 THEN NULL ELSE SYSDATE END, 'YYYY') - TO_CHAR(SYSDATE, 'YYYY')"), "0");
    EXPECT_EQ(Run(Scott(), "SELECT TO_CHAR(CASE WHEN 1 = 0 THEN NULL ELSE TO_DATE('2024-03-05', 'YYYY-MM-DD') END,"
                           " 'YYYY') FROM DUAL"),
              "2024");
    // All NULL stays NULL.
    EXPECT_EQ(Run(Scott(), "SELECT NVL(TO_CHAR(CASE WHEN 1 = 0 THEN NULL ELSE NULL END), '-') FROM DUAL"), "-");
}

} // namespace
} // namespace oraenginetest
