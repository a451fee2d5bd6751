// Numbered conformance cases for statements of the sizes real reports and
// jobs reach (long concatenations and sums, deep calls, CASE and sub-query
// nesting, long compound queries) and the errors past Oracle's own limits.
// Nothing here may end in an internal error or a crash.
#include "EngineFixture.h"

#include <functional>

namespace oraenginetest {
namespace {

class DeepSqlTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE T (N NUMBER, S VARCHAR2(10), D DATE)",
                 "INSERT INTO T VALUES (1, 'a', TO_DATE('2026-01-01', 'YYYY-MM-DD'))",
                 "INSERT INTO T VALUES (2, 'b', NULL)",
                 "INSERT INTO T VALUES (3, NULL, NULL)",
                 "COMMIT",
             })
            ASSERT_TRUE(Run(sql).rfind("ORA-", 0) != 0) << sql;
    }
};

// `n` copies of `item` joined by `sep`.
std::string Joined(int n, const std::string& item, const std::string& sep)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += (i ? sep : "") + item;
    return out;
}

// `open` n times, then `middle`, then `close` n times.
std::string Nested(int n, const std::string& open, const std::string& middle, const std::string& close)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += open;
    out += middle;
    for (int i = 0; i < n; ++i)
        out += close;
    return out;
}

struct DeepCase {
    int id;
    std::function<std::string()> sql;
    std::string expected;
};

const std::vector<DeepCase>& Cases()
{
    static const std::vector<DeepCase> cases = {
        {1301, [] { return "SELECT " + Joined(1000, "'a'", " || ") + " FROM DUAL"; }, std::string(1000, 'a')},
        {1302, [] { return "SELECT " + Joined(1000, "1", " + ") + " FROM DUAL"; }, "1000"},
        // Columns inside a long chain: every operand reads the current row.
        {1303, [] { return "SELECT " + Joined(1000, "N", " + ") + " FROM T WHERE N = 2"; }, "2000"},
        {1304, [] { return "SELECT " + Joined(500, "N", " - ") + " FROM T ORDER BY N"; }, "-498\n-996\n-1494"},
        {1305, [] { return "SELECT " + Joined(600, "N * 1", " + ") + " FROM T WHERE N = 3"; }, "1800"},
        {1306, [] { return "SELECT " + Joined(1000, "S", " || ") + " FROM T WHERE N = 2"; }, std::string(1000, 'b')},
        {1307, [] { return "SELECT " + Joined(17, "S || N || S", ", ") + " FROM T WHERE N = 1"; },
         Joined(17, "a1a", "|")},
        {1308, [] { return "SELECT " + Joined(40, "S || '-' || N || '-' || S", ", ") + " FROM T WHERE N = 3"; },
         Joined(40, "-3-", "|")},
        {1309, [] { return "SELECT " + Nested(255, "ABS(", "N - 10", ")") + " FROM T ORDER BY N"; }, "9\n8\n7"},
        {1310, [] { return "SELECT " + Nested(255, "UPPER(LOWER(", "S", "))") + " FROM T WHERE N = 1"; }, "A"},
        {1311, [] { return "SELECT " + Nested(255, "NVL(", "NULL", ", N)") + " FROM T ORDER BY N"; }, "1\n2\n3"},
        {1312, [] { return "SELECT " + Nested(255, "SUBSTR(", "S || 'xyz'", ", 1)") + " FROM T WHERE N = 2"; },
         "bxyz"},
        {1313, [] { return "SELECT " + Nested(255, "(", "N + 1", ")") + " FROM T WHERE N = 1"; }, "2"},
        {1314, [] { return "SELECT " + Nested(19, "CASE WHEN N > 0 THEN ", "N * 10", " END") + " FROM T ORDER BY N"; },
         "10\n20\n30"},
        {1315, [] { return "SELECT " + Nested(100, "CASE N WHEN 2 THEN ", "S", " ELSE 'x' END") + " FROM T ORDER BY N"; },
         "x\nb\nx"},
        {1316, [] { return "SELECT " + Nested(99, "(SELECT ", "(SELECT COUNT(*) FROM T)", " FROM DUAL)") + " FROM DUAL"; },
         "3"},
        // Correlated sub-queries 100 deep: the innermost reads the outermost row.
        {1317, [] {
             return "SELECT N FROM T o WHERE " + Nested(100, "EXISTS (SELECT 1 FROM DUAL WHERE ", "o.N = 2", ")") +
                    " ORDER BY N";
         },
         "2"},
        {1318, [] {
             return "SELECT COUNT(*) FROM T WHERE N IN " +
                    Nested(99, "(SELECT N FROM T WHERE N IN ", "(SELECT N FROM T WHERE N > 1)", ")");
         },
         "2"},
        {1319, [] { return "SELECT COUNT(*) FROM (" + Joined(1000, "SELECT 1 X FROM DUAL", " UNION ALL ") + ")"; },
         "1000"},
        {1320, [] {
             std::string sql;
             for (int i = 1; i <= 700; ++i)
                 sql += (i > 1 ? " UNION SELECT " : "SELECT ") + std::to_string(i % 350) + " FROM DUAL";
             return "SELECT COUNT(*), SUM(X) FROM (SELECT 0 X FROM DUAL UNION " + sql + ")";
         },
         "350|61075"},
        {1321, [] { return Joined(600, "SELECT N FROM T WHERE N = 1", " UNION ALL ") + " MINUS SELECT 1 FROM DUAL"; },
         ""},
        {1322, [] {
             std::string ors;
             for (int i = 0; i < 1000; ++i)
                 ors += (i ? " OR N = " : "N = ") + std::to_string(i + 3);
             return "SELECT COUNT(*) FROM T WHERE " + ors;
         },
         "1"},
        {1323, [] { return "SELECT COUNT(*) FROM T WHERE " + Joined(1000, "N > 1", " AND "); }, "2"},
        // Aggregates inside deep expressions are computed per group.
        {1324, [] { return "SELECT " + Nested(60, "ABS(", "SUM(N) - 10", ")") + " FROM T"; }, "4"},
        {1325, [] {
             return "SELECT MOD(N, 2), " + Nested(40, "NVL(", "MAX(S)", ", 'z')") + " FROM T GROUP BY MOD(N, 2) ORDER BY 1";
         },
         "0|b\n1|a"},
        // Dates convert inside a fragment as they do outside.
        {1326, [] { return "SELECT " + Nested(50, "LOWER(", "D || 'x'", ")") + " FROM T WHERE N = 1"; }, "01-jan-26x"},
        {1327, [] { return "UPDATE T SET N = " + Nested(50, "ABS(", "N * -1", ")") + " + 10 WHERE N = 3"; }, "rows=1"},
        {1328, [] { return "SELECT N FROM T WHERE " + Nested(60, "ABS(", "N", ")") + " = 13"; }, "13"},
        {1329, [] { return "INSERT INTO T (N, S) VALUES (" + Joined(200, "1", " + ") + ", " + Nested(60, "UPPER(", "'q'", ")") + ")"; },
         "rows=1"},
        {1330, [] { return "SELECT N, S FROM T WHERE N = 200"; }, "200|Q"},
        {1331, [] { return "DELETE FROM T WHERE " + Nested(60, "ABS(", "N", ")") + " = 200"; }, "rows=1"},
        // A deep ORDER BY and GROUP BY key matches the same select item.
        {1332, [] {
             const std::string e = Nested(30, "ABS(", "N - 2", ")");
             return "SELECT " + e + ", COUNT(*) FROM T GROUP BY " + e + " ORDER BY " + e;
         },
         "0|1\n1|1\n11|1"},
        // Inline views nest without limit in Oracle.
        {1339, [] { return "SELECT N, S FROM " + Nested(100, "(SELECT * FROM ", "T", ")") + " ORDER BY N"; },
         "1|a\n2|b\n13|NULL"},
        {1348, [] {
             return "SELECT COUNT(*), MAX(X) FROM " +
                    Nested(60, "(SELECT X + 1 X FROM ", "(SELECT N X FROM T WHERE ROWNUM <= 2 ORDER BY N DESC)", ")") +
                    " v WHERE X > 0";
         },
         "2|62"},
        {1349, [] {
             return "SELECT (SELECT COUNT(*) FROM " + Nested(30, "(SELECT * FROM ", "T", ")") + " WHERE N > o.N) FROM T o "
                    "ORDER BY N";
         },
         "2\n1\n0"},
        {1350, [] { return "CREATE TABLE T2 AS SELECT * FROM " + Nested(40, "(SELECT * FROM ", "T", ")"); }, "ok"},
        {1351, [] { return "SELECT COUNT(*) FROM T2"; }, "3"},
        // Argument lists longer than SQLite takes in one call.
        {1333, [] { return "SELECT COALESCE(" + Joined(200, "NULL", ", ") + ", S, 'z') FROM T ORDER BY N"; },
         "a\nb\nz"},
        {1334, [] {
             std::string args;
             for (int i = 0; i < 250; ++i)
                 args += (i ? ", N + " : "N + ") + std::to_string((i * 37) % 250);
             return "SELECT GREATEST(" + args + "), LEAST(" + args + ") FROM T WHERE N = 1";
         },
         "250|1"},
        {1335, [] {
             std::string pairs;
             for (int i = 0; i < 125; ++i)
                 pairs += ", " + std::to_string(i + 10) + ", 'p" + std::to_string(i) + "'";
             return "SELECT DECODE(N" + pairs + ", 3, 'three', 'none'), DECODE(N + 130" + pairs + ") FROM T ORDER BY N";
         },
         "none|p121\nnone|p122\np3|NULL"}, // N is 13 by now (case 1327)
        {1336, [] {
             std::string list;
             for (int i = 0; i < 1000; ++i)
                 list += (i ? ", " : "") + std::to_string(i + 2);
             return "SELECT COUNT(*) FROM T WHERE N = ANY (" + list + ") AND N <> ALL (" + list.substr(3) + ")";
         },
         "1"},
        {1337, [] { return "SELECT " + Joined(1001, "N", ", ") + " FROM T"; },
         "ORA-01792: maximum number of columns in a table or view is 1000"},
        {1352, [] {
             std::string cols;
             for (int i = 0; i < 2001; ++i)
                 cols += (i ? ", C" : "C") + std::to_string(i) + " NUMBER";
             return "CREATE TABLE W (" + cols + ")";
         },
         "ORA-01792: maximum number of columns in a table or view is 1000"},
        {1338, [] { return "SELECT COUNT(*) FROM T WHERE N IN (" + Joined(5000, "2", ", ") + ")"; }, "1"},
        // Past Oracle's limits: its errors.
        {1340, [] { return "SELECT " + Nested(100000, "(", "1", ")") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1341, [] { return "SELECT " + Nested(100000, "ABS(", "1", ")") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1342, [] { return "SELECT " + Nested(100000, "NOT ", "1 = 1", "") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1343, [] { return "SELECT " + Nested(100000, "- ", "1", "") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1344, [] { return "SELECT COUNT(*) FROM T WHERE N IN " + Nested(300, "(SELECT N FROM T WHERE N IN ", "(1)", ")"); },
         "ORA-01778: maximum subquery nesting level exceeded"},
        {1345, [] { return "SELECT * FROM " + Nested(300, "(SELECT * FROM ", "DUAL", ")"); },
         "ORA-01778: maximum subquery nesting level exceeded"},
        // A view's query is kept in the schema and cannot use separate
        // parts: a view nested deeper than SQLite's parser follows is refused
        // cleanly (unlike Oracle, which takes it), never as an internal error.
        {1353, [] { return "CREATE VIEW V AS SELECT " + Nested(60, "ABS(", "N", ")") + " X FROM T"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1354, [] { return "CREATE VIEW V AS SELECT " + Nested(20, "ABS(", "N", ")") + " X FROM T"; }, "ok"},
        {1355, [] { return "SELECT X FROM V ORDER BY X"; }, "1\n2\n13"},
        {1346, [] { return "SELECT " + Joined(100000, "1", " + ") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
        {1347, [] { return "SELECT " + Nested(100000, "CASE WHEN 1 = 1 THEN ", "1", " END") + " FROM DUAL"; },
         "ORA-03095: expression level is too deep, maximum 1000"},
    };
    return cases;
}

TEST_F(DeepSqlTest, DeepAndLongStatementCases)
{
    for (const DeepCase& c : Cases())
        EXPECT_EQ(Run(c.sql()), c.expected) << "case " << c.id;
}

// Binds and correlated columns reach deep parts as their inputs, and a
// statement run again (rebound) evaluates them afresh.
TEST_F(DeepSqlTest, DeepExpressionsTakeBindsAndRerun)
{
    std::unique_ptr<VkOracle::OraStatement> st;
    const std::string sql =
        "SELECT " + Nested(80, "NVL(", "NULL", ", :x)") + " || " + Nested(80, "LOWER(", "S", ")") + " FROM T WHERE " +
        Nested(80, "ABS(", "N", ")") + " = " + Nested(80, "ABS(", ":n", ")");
    const VkOracle::OraResult parsed = System().Parse(sql, &st);
    ASSERT_TRUE(parsed.Ok()) << parsed.message;
    for (const auto& [n, expected] : std::vector<std::pair<int, std::string>>{{1, "Ka"}, {2, "Kb"}, {3, "K"}}) {
        VkOracle::OraValue x;
        x.kind = VkOracle::OraValue::Kind::Text;
        x.text = "K";
        VkOracle::OraValue v;
        v.kind = VkOracle::OraValue::Kind::Number;
        v.number = VkOracle::OraNumFromInt(n);
        ASSERT_TRUE(st->Bind(":x", x).Ok());
        ASSERT_TRUE(st->Bind(":n", v).Ok());
        uint64_t rows = 0;
        ASSERT_TRUE(st->Execute(&rows).Ok());
        std::vector<VkOracle::OraValue> row;
        ASSERT_TRUE(st->Fetch(&row).Ok());
        EXPECT_EQ(ValueText(row[0]), expected) << n;
        EXPECT_EQ(st->Fetch(&row).code, 1403);
    }
}

// A failure inside a deep part is the statement's Oracle error.
TEST_F(DeepSqlTest, ErrorsInsideDeepPartsKeepTheirOracleText)
{
    EXPECT_EQ(Run("SELECT " + Nested(60, "ABS(", "TO_NUMBER(S)", ")") + " FROM T WHERE N = 1"),
              "ORA-01722: invalid number");
    EXPECT_EQ(Run("SELECT " + Nested(60, "ABS(", "N / 0", ")") + " FROM T WHERE N = 1"),
              "ORA-01476: divisor is equal to zero");
    EXPECT_EQ(Run("SELECT " + Nested(60, "ABS(", "(SELECT N FROM T)", ")") + " FROM DUAL"),
              "ORA-01427: single-row subquery returns more than one row");
}

// Constants in GROUP BY are constants (Oracle groups by them); an integer in
// ORDER BY is a select-list position.
const Case kConstantKeys[] = {
    {1401, "SELECT COUNT(*) FROM T GROUP BY 0", "3"},
    {1402, "SELECT COUNT(*) FROM T GROUP BY 3", "3"},
    {1403, "SELECT 3, COUNT(*), SUM(N) FROM T GROUP BY 3", "3|3|6"},
    {1404, "SELECT COUNT(*) FROM T WHERE N > 5 GROUP BY 1", ""},
    {1405, "SELECT COUNT(*) FROM T GROUP BY 'x', 2.5", "3"},
    {1406, "SELECT N, COUNT(*) FROM T GROUP BY N, 7 ORDER BY 1", "1|1\n2|1\n3|1"},
    {1407, "SELECT N FROM T GROUP BY -1, N ORDER BY N", "1\n2\n3"},
    {1408, "SELECT N, S FROM T ORDER BY 2, 1", "1|a\n2|b\n3|NULL"},
    {1409, "SELECT N, S FROM T ORDER BY 5", "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
    {1410, "SELECT N, S FROM T ORDER BY 0", "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
    {1411, "SELECT N FROM T UNION SELECT 9 FROM DUAL ORDER BY 2",
     "ORA-01785: ORDER BY item must be the number of a SELECT-list expression"},
    {1412, "SELECT N FROM T ORDER BY 'x', N DESC", "3\n2\n1"},
    {1413, "SELECT COUNT(*) FROM T GROUP BY 0 HAVING COUNT(*) > 2", "3"},
    {1414, "SELECT 0, COUNT(*) FROM T GROUP BY 0 ORDER BY 1", "0|3"},
    // GROUP BY 1 is the constant 1, not the first column: N is not grouped.
    {1415, "SELECT N, COUNT(*) FROM T GROUP BY 1", "ORA-00979: not a GROUP BY expression"},
};

TEST_F(DeepSqlTest, ConstantGroupAndOrderKeys)
{
    for (const Case& c : kConstantKeys)
        EXPECT_EQ(Run(c.sql), c.expected) << "case " << c.id;
}

} // namespace
} // namespace oraenginetest

namespace oraenginetest {
namespace {

std::string JoinOf(int tables, const std::string& table = "DUAL")
{
    std::string sql = "SELECT COUNT(*) FROM ";
    for (int i = 1; i <= tables; ++i)
        sql += (i > 1 ? ", " : "") + table + " D" + std::to_string(i);
    return sql;
}

// A join of more tables than the engine can take is an unimplemented
// feature, not an internal error; up to the engine's limit it runs.
TEST_F(DeepSqlTest, JoinsBeyondTheEnginesLimitAreRefusedCleanly)
{
    EXPECT_EQ(Run(JoinOf(60)), "1");
    const std::string beyond = Run(JoinOf(65));
    EXPECT_EQ(beyond, "ORA-03001: unimplemented feature") << beyond;
    EXPECT_EQ(Run(JoinOf(300)), "ORA-03001: unimplemented feature");
    EXPECT_EQ(Run("CREATE TABLE ONE_ROW (N NUMBER)"), "ok");
    EXPECT_EQ(Run("INSERT INTO ONE_ROW VALUES (1)"), "rows=1");
    EXPECT_EQ(Run(JoinOf(50, "ONE_ROW")), "1");
    EXPECT_EQ(Run(JoinOf(65, "ONE_ROW")), "ORA-03001: unimplemented feature");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DUAL"), "1");
}

} // namespace
} // namespace oraenginetest
