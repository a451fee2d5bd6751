// Statements built at random from a small grammar (with a fixed seed, so
// every run is the same): whatever they say, the engine answers with an
// Oracle error of the language or a result, never an internal error.
#include "EngineFixture.h"

#include <map>
#include <random>

namespace oraenginetest {
namespace {

std::mt19937 rng(777);
// A number below n.
int Pick(int n) { return static_cast<int>(rng() % n); }
std::string Expr(int d);
std::string Atom()
{
    const char* a[] = { "ID", "NAME", "D", "t.ID", "u.X", "1", "2.5", "'x'", "''", "NULL", "SYSDATE", "USER", "ROWNUM",
        ":b", "X", "t.NAME", "-1", "'01-JAN-26'" };
    return a[Pick(std::size(a))];
}
std::string Func(int d)
{
    const char* f[] = { "NVL", "DECODE", "TO_CHAR", "TO_DATE", "TRUNC", "ROUND", "SUBSTR", "LENGTH", "UPPER", "COUNT",
        "SUM", "MAX", "ADD_MONTHS", "GREATEST", "LPAD", "INSTR", "NVL2", "COALESCE", "MOD", "AVG" };
    std::string s = f[Pick(std::size(f))];
    s += "(";
    const int n = Pick(4);
    for (int i = 0; i < n; ++i)
        s += (i ? ", " : "") + Expr(d + 1);
    return s + ")";
}
std::string Expr(int d)
{
    if (d > 3)
        return Atom();
    switch (Pick(8)) {
    case 0:
        return Func(d);
    case 1:
        return Expr(d + 1) + " " + std::string("+-*/|")[Pick(5)] + (Pick(2) ? "" : "|") + " " + Expr(d + 1);
    case 2:
        return "(" + Expr(d + 1) + ")";
    case 3:
        return "(SELECT " + Expr(d + 1) + " FROM U WHERE U.X = T.ID)";
    case 4:
        return "CASE WHEN " + Expr(d + 1) + " = " + Expr(d + 1) + " THEN " + Expr(d + 1) + " ELSE " + Expr(d + 1)
            + " END";
    default:
        return Atom();
    }
}
std::string Cond(int d)
{
    switch (Pick(9)) {
    case 0:
        return Expr(d) + " = " + Expr(d);
    case 1:
        return Expr(d) + " IN (" + Expr(d) + ", " + Expr(d) + ")";
    case 2:
        return Expr(d) + " IN (SELECT X FROM U)";
    case 3:
        return "EXISTS (SELECT 1 FROM U WHERE X = " + Expr(d) + ")";
    case 4:
        return Expr(d) + " BETWEEN " + Expr(d) + " AND " + Expr(d);
    case 5:
        return Expr(d) + " LIKE " + Expr(d);
    case 6:
        return "T.ID = U.X (+)";
    case 7:
        return Expr(d) + " > ALL (SELECT X FROM U)";
    default:
        return "NOT " + Expr(d) + " IS NULL";
    }
}
std::string Query()
{
    std::string s = "SELECT " + std::string(Pick(5) ? "" : "DISTINCT ");
    const int n = 1 + Pick(3);
    for (int i = 0; i < n; ++i)
        s += (i ? ", " : "") + (Pick(6) ? Expr(0) : std::string("*")) + (Pick(3) ? "" : " a" + std::to_string(i));
    s += Pick(3) ? " FROM T" : Pick(2) ? " FROM T, U" : " FROM (SELECT ID, NAME FROM T ORDER BY ID) t";
    if (Pick(2))
        s += " WHERE " + Cond(0) + (Pick(2) ? " AND " + Cond(0) : "");
    if (!Pick(3))
        s += " GROUP BY " + Expr(1);
    if (!Pick(4))
        s += " HAVING COUNT(*) > " + Expr(2);
    if (!Pick(5))
        s += " UNION " + Query();
    if (!Pick(3))
        s += " ORDER BY " + std::string(Pick(2) ? "1" : Expr(1)) + (Pick(2) ? " DESC" : "") + (Pick(2) ? " NULLS FIRST" : "");
    return s;
}

class RandomStatementTest : public EngineTest { };

TEST_F(RandomStatementTest, NoInternalErrors)
{
    ASSERT_EQ(Run("CREATE TABLE T (ID NUMBER, NAME VARCHAR2(10), D DATE)"), "ok");
    ASSERT_EQ(Run("CREATE TABLE U (X NUMBER)"), "ok");
    ASSERT_EQ(Run("INSERT INTO T VALUES (1, 'a', SYSDATE)"), "rows=1");
    ASSERT_EQ(Run("INSERT INTO T VALUES (2, NULL, NULL)"), "rows=1");
    ASSERT_EQ(Run("INSERT INTO U VALUES (1)"), "rows=1");
    VkOracle::OraSession& s = System();
    int parsed = 0, executed = 0;
    std::map<int, int> codes; // Oracle error codes seen at parse
    std::vector<std::string> internal;
    for (int i = 0; i < 4000; ++i) {
        std::string sql = Query();
        if (!Pick(10))
            sql = "UPDATE T SET NAME = " + Expr(0) + " WHERE " + Cond(0);
        if (!Pick(10))
            sql = "INSERT INTO T (ID, NAME) SELECT " + Expr(0) + ", " + Expr(0) + " FROM U";
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = s.Parse(sql, &st);
        codes[r.code]++;
        if (r.code == 600)
            internal.push_back(sql + " -> " + r.message);
        if (!r.Ok())
            continue;
        ++parsed;
        uint64_t rows = 0;
        for (const auto& b : st->BindNames()) {
            VkOracle::OraValue v;
            v.kind = VkOracle::OraValue::Kind::Text;
            v.text = "1";
            st->Bind(b, v);
        }
        r = st->Execute(&rows);
        if (r.code == 600)
            internal.push_back(sql + " -> " + r.message);
        std::vector<VkOracle::OraValue> row;
        int guard = 0;
        while (r.Ok() && st->Kind() == VkOracle::OraStatementKind::Query && guard++ < 20) {
            r = st->Fetch(&row);
            if (r.code == 600)
                internal.push_back(sql + " -> " + r.message);
        }
        if (r.Ok() || r.code == 1403)
            ++executed;
        s.Rollback();
    }
    EXPECT_TRUE(internal.empty()) << internal.size() << " internal errors, first: " << internal.front();
    // The grammar must keep producing statements that run, or the test proves little.
    EXPECT_GT(parsed, 300);
    EXPECT_GT(executed, 300);
    EXPECT_GT(codes.size(), 10u);
}

} // namespace
} // namespace oraenginetest
