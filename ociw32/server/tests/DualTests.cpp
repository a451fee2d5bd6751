// Numbered conformance cases: SELECT from DUAL with literals, functions,
// dates and NULL rules.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

const Case kCases[] = {
    {101, "SELECT 1 FROM DUAL", "1"},
    {102, "SELECT 1 + 2 * 3 FROM DUAL", "7"},
    {103, "SELECT 7 / 2 FROM DUAL", "3.5"},
    {104, "SELECT 'a' || NULL || 'b' FROM DUAL", "ab"},
    {105, "SELECT NVL(NULL, 'x') FROM DUAL", "x"},
    {106, "SELECT LENGTH('') FROM DUAL", "NULL"},
    {107, "SELECT DECODE(NULL, NULL, 'null matches', 'no') FROM DUAL", "null matches"},
    {108, "SELECT SYSDATE FROM DUAL", "2026-12-07 10:30:00"},
    {109, "SELECT SYSDATE + 1 FROM DUAL", "2026-12-08 10:30:00"},
    {110, "SELECT TRUNC(SYSDATE) - SYSDATE FROM DUAL", "-.4375"},
    {111, "SELECT TO_CHAR(SYSDATE, 'DD-MON-YYYY HH24:MI') FROM DUAL", "07-DEC-2026 10:30"},
    {112, "SELECT ADD_MONTHS(TO_DATE('31-01-2001', 'DD-MM-YYYY'), 1) FROM DUAL", "2001-02-28 00:00:00"},
    {113, "SELECT USER FROM DUAL", "SYSTEM"},
    {114, "SELECT 'x' || 1 FROM DUAL", "x1"},
    {115, "SELECT COUNT(*) FROM DUAL", "1"},
    {116, "SELECT CASE WHEN 1 = 1 THEN 'yes' ELSE 'no' END FROM DUAL", "yes"},
    {117, "SELECT CASE 2 WHEN 1 THEN 'one' WHEN 2 THEN 'two' END FROM DUAL", "two"},
    {118, "SELECT ROUND(2.675, 2), TRUNC(-1.5), MOD(10, 3) FROM DUAL", "2.68|-1|1"},
    {119, "SELECT NEXT_DAY(TO_DATE('07-12-2026', 'DD-MM-YYYY'), 'MON') FROM DUAL", "2026-12-14 00:00:00"},
    {120, "SELECT MONTHS_BETWEEN(TO_DATE('02-02-1995', 'DD-MM-YYYY'), TO_DATE('01-01-1995', 'DD-MM-YYYY')) FROM DUAL",
     "1.03225806451613"},
    {121, "SELECT GREATEST(3, 10, 7), LEAST('b', 'a') FROM DUAL", "10|a"},
    {122, "SELECT 1 FROM DUAL WHERE NULL = NULL", ""},
    {123, "SELECT 1 FROM DUAL WHERE '' IS NULL", "1"},
    {124, "SELECT '10' + 5 FROM DUAL", "15"},
    {125, "SELECT TO_DATE('01-JAN-99') FROM DUAL", "1999-01-01 00:00:00"},
    {126, "SELECT INITCAP('hello world'), UPPER('a'), LOWER('B') FROM DUAL", "Hello World|A|b"},
    {127, "SELECT SUBSTR('abcdef', 2, 3), INSTR('abcabc', 'c', 1, 2) FROM DUAL", "bcd|6"},
    {128, "SELECT LPAD('7', 3, '0'), RPAD('ab', 4, '*'), TRIM('  x  ') FROM DUAL", "007|ab**|x"},
    {129, "SELECT TRIM(LEADING '0' FROM '0042') FROM DUAL", "42"},
    {130, "SELECT 1 FROM DUAL WHERE 5 BETWEEN 1 AND 10 AND 'abc' LIKE 'a%' AND 3 IN (1, 2, 3)", "1"},
    {131, "SELECT 1 FROM DUAL WHERE 3 NOT IN (1, NULL)", ""},
    {132, "SELECT NVL2(NULL, 'a', 'b'), COALESCE(NULL, NULL, 3) FROM DUAL", "b|3"},
    {133, "SELECT TO_CHAR(1234.5, '9,999.99') FROM DUAL", " 1,234.50"},
    {134, "SELECT TO_NUMBER('12.5') * 2 FROM DUAL", "25"},
    {135, "SELECT LAST_DAY(TO_DATE('15-02-2024', 'DD-MM-YYYY')) FROM DUAL", "2024-02-29 00:00:00"},
    {136, "SELECT (SELECT 42 FROM DUAL) FROM DUAL", "42"},
    {137, "SELECT 1 FROM DUAL WHERE EXISTS (SELECT 1 FROM DUAL WHERE 1 = 0)", ""},
    {138, "SELECT DUMMY FROM DUAL", "X"},
    {139, "SELECT d.* FROM DUAL d", "X"},
    {140, "SELECT SYSDATE - TO_DATE('06-12-2026 10:30', 'DD-MM-YYYY HH24:MI') FROM DUAL", "1"},
    {141, "SELECT 1 FROM DUAL UNION SELECT 2 FROM DUAL UNION ALL SELECT 1 FROM DUAL ORDER BY 1", "1\n1\n2"},
    {142, "SELECT ROUND(TO_DATE('16-07-2026', 'DD-MM-YYYY'), 'YYYY') FROM DUAL", "2027-01-01 00:00:00"},
    {143, "SELECT ABS(-3), SIGN(-2), CEIL(1.1), FLOOR(-1.1), POWER(2, 10), SQRT(16) FROM DUAL", "3|-1|2|-2|1024|4"},
    {144, "SELECT REPLACE('banana', 'an', 'AN'), TRANSLATE('abc', 'ab', 'xy') FROM DUAL", "bANANa|xyc"},
    {145, "SELECT 'it''s' FROM DUAL", "it's"},
};

class DualTest : public EngineTest {};

TEST_F(DualTest, ConformanceCases)
{
    for (const Case& c : kCases)
        EXPECT_EQ(Run(c.sql), c.expected) << "case " << c.id << ": " << c.sql;
}

TEST_F(DualTest, DescribeNamesAndTypes)
{
    VkOracle::OraSession& s = System();
    EXPECT_EQ(Describe(s, "SELECT SYSDATE+1 FROM DUAL"), "SYSDATE+1 12 7 0 0 Y");
    EXPECT_EQ(Describe(s, "SELECT TRUNC(SYSDATE) - SYSDATE FROM DUAL"), "TRUNC(SYSDATE)-SYSDATE 2 22 0 0 Y");
    EXPECT_EQ(Describe(s, "SELECT 'x'||1 AS c FROM DUAL").substr(0, 4), "C 1 ");
    EXPECT_EQ(Describe(s, "SELECT 'x'||1 FROM DUAL").substr(0, 8), "'X'||1 1");
    EXPECT_EQ(Describe(s, "SELECT SYSDATE FROM DUAL"), "SYSDATE 12 7 0 0 N");
    EXPECT_EQ(Describe(s, "SELECT DUMMY, dummy x FROM DUAL"), "DUMMY 1 1 0 0 Y;X 1 1 0 0 Y");
    EXPECT_EQ(Describe(s, "SELECT count( * ) FROM DUAL"), "COUNT(*) 2 22 0 0 N");
    EXPECT_EQ(Describe(s, "SELECT 'Hello World' FROM DUAL"), "'HELLOWORLD' 96 11 0 0 Y");
}

TEST_F(DualTest, BindsByName)
{
    VkOracle::OraSession& s = System();
    std::unique_ptr<VkOracle::OraStatement> st;
    ASSERT_TRUE(s.Parse("SELECT :a + 1, :B || 'x', :a FROM DUAL", &st).Ok());
    EXPECT_EQ(st->BindNames(), (std::vector<std::string>{"A", "B"}));
    VkOracle::OraValue n;
    n.kind = VkOracle::OraValue::Kind::Number;
    n.number = VkOracle::OraNumFromInt(41);
    VkOracle::OraValue t;
    t.kind = VkOracle::OraValue::Kind::Text;
    t.text = "y";
    EXPECT_EQ(st->Bind(":c", t).code, 1036);
    uint64_t rows = 0;
    ASSERT_TRUE(st->Bind("a", n).Ok());
    EXPECT_EQ(st->Execute(&rows).code, 1008);
    ASSERT_TRUE(st->Bind(":b", t).Ok());
    ASSERT_TRUE(st->Execute(&rows).Ok());
    std::vector<VkOracle::OraValue> row;
    ASSERT_TRUE(st->Fetch(&row).Ok());
    EXPECT_EQ(ValueText(row[0]) + "," + ValueText(row[1]) + "," + ValueText(row[2]), "42,yx,41");
    EXPECT_EQ(st->Fetch(&row).code, 1403);
}

} // namespace
} // namespace oraenginetest
