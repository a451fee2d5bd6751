// Statements as the call interface drives them: re-execution, fetching past
// the end, binds of every kind, use after logoff, several threads.
#include "EngineFixture.h"

#include <thread>

namespace oraenginetest {
namespace {

VkOracle::OraValue Num(double v)
{
    VkOracle::OraValue x;
    x.kind = VkOracle::OraValue::Kind::Number;
    x.number = VkOracle::OraNumFromDouble(v);
    return x;
}
VkOracle::OraValue Text(const std::string& v)
{
    VkOracle::OraValue x;
    x.kind = VkOracle::OraValue::Kind::Text;
    x.text = v;
    return x;
}
VkOracle::OraValue Date(int64_t v)
{
    VkOracle::OraValue x;
    x.kind = VkOracle::OraValue::Kind::Date;
    x.date = v;
    return x;
}

class StatementTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        ASSERT_EQ(Run("CREATE TABLE T (ID NUMBER(6), NAME VARCHAR2(20), D DATE, AMT NUMBER(9,2))"), "ok");
    }
    std::vector<std::string> FetchAll(VkOracle::OraStatement& st, int* code)
    {
        std::vector<std::string> rows;
        std::vector<VkOracle::OraValue> row;
        VkOracle::OraResult r;
        while ((r = st.Fetch(&row)).Ok()) {
            std::string line;
            for (size_t i = 0; i < row.size(); ++i)
                line += (i ? "|" : "") + ValueText(row[i]);
            rows.push_back(line);
        }
        *code = r.code;
        return rows;
    }
};

TEST_F(StatementTest, BindsOfEveryKindInAndOut)
{
    VkOracle::OraSession& s = System();
    std::unique_ptr<VkOracle::OraStatement> ins;
    ASSERT_TRUE(s.Parse("INSERT INTO T VALUES (:id, :name, :d, :amt)", &ins).Ok());
    EXPECT_EQ(ins->Kind(), VkOracle::OraStatementKind::Insert);
    EXPECT_EQ(ins->FunctionCode(), 3);
    EXPECT_TRUE(ins->Columns().empty());
    uint64_t rows = 0;
    ASSERT_TRUE(ins->Bind("ID", Num(1)).Ok());
    ASSERT_TRUE(ins->Bind(":Name", Text("first")).Ok());
    ASSERT_TRUE(ins->Bind("d", Date(PinnedNow())).Ok());
    ASSERT_TRUE(ins->Bind("amt", Num(12.345)).Ok());
    ASSERT_TRUE(ins->Execute(&rows).Ok());
    EXPECT_EQ(rows, 1u);
    // Text converts to the column's type; '' is NULL.
    ASSERT_TRUE(ins->Bind("id", Text("2")).Ok());
    ASSERT_TRUE(ins->Bind("name", Text("")).Ok());
    ASSERT_TRUE(ins->Bind("d", Text("08-DEC-26")).Ok());
    ASSERT_TRUE(ins->Bind("amt", VkOracle::OraValue{}).Ok());
    ASSERT_TRUE(ins->Execute(&rows).Ok());
    ASSERT_TRUE(ins->Bind("id", Text("three")).Ok());
    EXPECT_EQ(ins->Execute(&rows).code, 1722);
    VkOracle::OraValue back;
    ASSERT_TRUE(ins->BoundValue(":ID", &back).Ok());
    EXPECT_EQ(back.text, "three");
    EXPECT_EQ(ins->BoundValue("nope", &back).code, 1036);
    EXPECT_EQ(Run("SELECT ID, NAME, D, AMT FROM T ORDER BY ID"),
              "1|first|2026-12-07 10:30:00|12.35\n2|NULL|2026-12-08 00:00:00|NULL");
    std::unique_ptr<VkOracle::OraStatement> q;
    ASSERT_TRUE(s.Parse("SELECT NAME FROM T WHERE D < :when AND ID = :id", &q).Ok());
    ASSERT_TRUE(q->Bind("when", Date(PinnedNow() + 1)).Ok());
    ASSERT_TRUE(q->Bind("id", Text("1")).Ok());
    ASSERT_TRUE(q->Execute(&rows).Ok());
    int code = 0;
    EXPECT_EQ(FetchAll(*q, &code), std::vector<std::string>{"first"});
}

TEST_F(StatementTest, ReexecutionAndFetchingPastTheEnd)
{
    EXPECT_EQ(Run("INSERT INTO T (ID) SELECT ROWNUM FROM ALL_USERS"), "rows=2");
    VkOracle::OraSession& s = System();
    std::unique_ptr<VkOracle::OraStatement> q;
    ASSERT_TRUE(s.Parse("SELECT ID FROM T ORDER BY ID", &q).Ok());
    std::vector<VkOracle::OraValue> row;
    EXPECT_EQ(q->Fetch(&row).code, 1002); // not executed yet
    uint64_t rows = 0;
    int code = 0;
    ASSERT_TRUE(q->Execute(&rows).Ok());
    ASSERT_TRUE(q->Fetch(&row).Ok());
    // Executing again starts over, dropping the rows not fetched.
    ASSERT_TRUE(q->Execute(&rows).Ok());
    EXPECT_EQ(FetchAll(*q, &code), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(code, 1403);
    EXPECT_EQ(q->Fetch(&row).code, 1002);
    // Rows inserted meanwhile show on the next execution.
    EXPECT_EQ(Run("INSERT INTO T (ID) VALUES (3)"), "rows=1");
    ASSERT_TRUE(q->Execute(&rows).Ok());
    EXPECT_EQ(FetchAll(*q, &code).size(), 3u);
}

TEST_F(StatementTest, StatementsOutliveTheirSession)
{
    std::unique_ptr<VkOracle::OraSession> s;
    ASSERT_TRUE(Server().Logon(m_db, "SYSTEM", "MANAGER", &s).Ok());
    std::unique_ptr<VkOracle::OraStatement> q;
    ASSERT_TRUE(s->Parse("SELECT COUNT(*) FROM T", &q).Ok());
    EXPECT_EQ(Run(*s, "INSERT INTO T (ID) VALUES (1)"), "rows=1");
    std::unique_ptr<VkOracle::OraStatement> open;
    ASSERT_TRUE(s->Parse("SELECT ID FROM T", &open).Ok());
    uint64_t rows = 0;
    ASSERT_TRUE(open->Execute(&rows).Ok());
    s.reset(); // logoff rolls back what was not committed
    std::vector<VkOracle::OraValue> row;
    EXPECT_EQ(open->Fetch(&row).code, 1012);
    EXPECT_EQ(q->Execute(&rows).code, 1012);
    q.reset();
    EXPECT_EQ(Run("SELECT COUNT(*) FROM T"), "0");
}

TEST_F(StatementTest, DdlRunsAtParseAndExecuteIsHarmless)
{
    VkOracle::OraSession& s = System();
    std::unique_ptr<VkOracle::OraStatement> st;
    ASSERT_TRUE(s.Parse("CREATE TABLE U (X NUMBER)", &st).Ok());
    EXPECT_EQ(st->Kind(), VkOracle::OraStatementKind::Ddl);
    EXPECT_EQ(Run("SELECT COUNT(*) FROM U"), "0");
    uint64_t rows = 0;
    EXPECT_TRUE(st->Execute(&rows).Ok());
    EXPECT_TRUE(st->Execute(&rows).Ok());
    EXPECT_EQ(s.Parse("CREATE TABLE V AS SELECT :x X FROM DUAL", &st).code, 1027);
}

TEST_F(StatementTest, SessionsOnSeveralThreadsAtOnce)
{
    EXPECT_EQ(Run("INSERT INTO T (ID) SELECT ROWNUM FROM ALL_OBJECTS WHERE ROWNUM <= 50"), "rows=50");
    ASSERT_TRUE(System().Commit().Ok());
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            std::unique_ptr<VkOracle::OraSession> s;
            if (!Server().Logon(m_db, "SYSTEM", "MANAGER", &s).Ok())
                return;
            bool ok = true;
            for (int i = 0; i < 20 && ok; ++i) {
                uint64_t rows = 0;
                ok = VkOracle::RunSql(*s, "SELECT a.ID FROM T a, T b WHERE a.ID = b.ID", &rows).Ok() && rows == 50;
            }
            if (ok)
                ++good;
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(good.load(), 4);
}

TEST_F(StatementTest, SynonymChains)
{
    EXPECT_EQ(Run("CREATE SYNONYM S1 FOR T"), "ok");
    EXPECT_EQ(Run("CREATE SYNONYM S2 FOR S1"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM S2"), "0");
    EXPECT_EQ(Run("CREATE SYNONYM LOOP1 FOR LOOP2"), "ok");
    EXPECT_EQ(Run("CREATE SYNONYM LOOP2 FOR LOOP1"), "ok");
    EXPECT_EQ(Run("SELECT * FROM LOOP1"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run("DROP TABLE T"), "ok");
    EXPECT_EQ(Run("SELECT * FROM S2"), "ORA-00942: table or view does not exist");
}

} // namespace
} // namespace oraenginetest
