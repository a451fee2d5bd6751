// INSERTs that run without a savepoint inside a block's SQLite transaction:
// a failed one, whether SQLite refused its row or its row locks could not be
// written, undoes itself alone; the rows before it stay the transaction's,
// locked and unseen by others until the commit.
#include "EngineFixture.h"

#include "ociw32/server/OraEngineSession.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/OraTransaction.h"

#include <sqlite3.h>

#include <future>
#include <memory>
#include <thread>

namespace oraenginetest {
namespace {

class BareInsertTest : public DemoEngineTest {
protected:
    void SetUp() override
    {
        DemoEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        // A's core is in reach, to tell which way its INSERTs went.
        const VkOracle::OraResult r = VkOracle::OraSessionCore::OpenInternal(m_db, "SCOTT", &m_core);
        ASSERT_TRUE(r.Ok()) << r.message;
        m_a = std::make_unique<VkOracle::OraEngineSession>(m_core);
        m_b = &Logon("SCOTT", "TIGER");
        ASSERT_EQ(Run(*m_a, "CREATE TABLE KB (ID NUMBER CONSTRAINT KB_PK PRIMARY KEY, NAME VARCHAR2(5) NOT NULL, N NUMBER)"), "ok");
    }
    void TearDown() override
    {
        m_a.reset();
        m_core.reset();
        DemoEngineTest::TearDown();
    }
    int64_t Bare() const { return m_core->Transaction().BareInserts(); }
    // Runs a block in A that may set :E; "ok" or the block's error, then
    // " E=" and what the block left in :E.
    std::string BlockA(const std::string& sql)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = m_a->Parse(sql, &st);
        if (!r.Ok())
            return r.message;
        const bool binds = sql.find(":E") != std::string::npos;
        if (binds)
            EXPECT_TRUE(st->Bind("E", VkOracle::OraValue{}).Ok());
        r = st->Execute(nullptr);
        VkOracle::OraValue e;
        if (binds)
            EXPECT_TRUE(st->BoundValue("E", &e).Ok());
        return (r.Ok() ? std::string("ok") : r.message) + " E=" + ValueText(e);
    }
    // Rows and sum of IDs of KB as `s` sees it.
    std::string Rows(VkOracle::OraSession& s) { return Run(s, "SELECT COUNT(*), SUM(ID) FROM KB"); }

    std::shared_ptr<VkOracle::OraSessionCore> m_core;
    std::unique_ptr<VkOracle::OraSession> m_a;
    VkOracle::OraSession* m_b = nullptr;
};

struct FailureCase {
    const char* what;
    const char* id;   // the row's ID and NAME for loop counter i; the 3rd row is bad
    const char* name;
    const char* error;
    const char* sqlcode;
};

const FailureCase kFailures[] = {
    {"unique key", "CASE WHEN i = 3 THEN 1 ELSE i END", "'R'", "ORA-00001: unique constraint (SCOTT.KB_PK) violated", "-1"},
    {"length", "i", "CASE WHEN i = 3 THEN 'TOOLONG' ELSE 'R' END",
     "ORA-12899: value too large for column \"SCOTT\".\"KB\".\"NAME\" (actual: 7, maximum: 5)", "-12899"},
    {"not null", "i", "CASE WHEN i = 3 THEN NULL ELSE 'R' END",
     "ORA-01400: cannot insert NULL into (\"SCOTT\".\"KB\".\"NAME\")", "-1400"},
};

TEST_F(BareInsertTest, TheThirdInsertOfALoopFailsAloneInABlockAndAcrossCalls)
{
    for (const FailureCase& c : kFailures) {
        SCOPED_TRACE(c.what);
        const std::string insert = std::string("INSERT INTO KB VALUES (") + c.id + ", " + c.name + ", i)";
        // A handler inside the loop: rows 1, 2, 4, 5 stay.
        const int64_t before = Bare();
        EXPECT_EQ(BlockA("BEGIN FOR i IN 1..5 LOOP BEGIN " + insert +
                         "; EXCEPTION WHEN OTHERS THEN :E := SQLERRM; END; END LOOP; END;"),
                  std::string("ok E=") + c.error);
        EXPECT_GE(Bare() - before, 3); // the failed one among them
        EXPECT_EQ(Rows(*m_a), "4|12");
        EXPECT_EQ(Rows(*m_b), "0|NULL");
        // The next call: its loop fails at its 3rd row. With a handler around
        // the loop the two rows before stay; without one the block undoes
        // itself, and the earlier calls' rows stay either way.
        const std::string again = std::string("INSERT INTO KB VALUES (") + c.id + " + 10, " + c.name + ", i)";
        EXPECT_EQ(BlockA("BEGIN FOR i IN 1..5 LOOP " + again + "; END LOOP; EXCEPTION WHEN OTHERS THEN :E := SQLCODE;"
                         " END;"),
                  std::string("ok E=") + c.sqlcode);
        EXPECT_EQ(Rows(*m_a), "6|35");
        const std::string third = std::string("INSERT INTO KB VALUES (") + c.id + " + 20, " + c.name + ", i)";
        EXPECT_EQ(BlockA("BEGIN FOR i IN 1..5 LOOP " + third + "; END LOOP; END;").substr(0, 9),
                  std::string(c.error).substr(0, 9));
        EXPECT_EQ(Rows(*m_a), "6|35");
        EXPECT_EQ(Rows(*m_b), "0|NULL");
        // The transaction goes on and commits what stayed.
        EXPECT_EQ(Run(*m_a, "INSERT INTO KB VALUES (99, 'X', 0)"), "rows=1");
        EXPECT_EQ(Run(*m_a, "COMMIT"), "ok");
        EXPECT_EQ(Rows(*m_b), "7|134");
        EXPECT_EQ(Run(*m_b, "DELETE FROM KB"), "rows=7");
        EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    }
}

} // namespace
} // namespace oraenginetest
