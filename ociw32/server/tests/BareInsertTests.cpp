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
        if (binds) {
            EXPECT_TRUE(st->Bind("E", VkOracle::OraValue{}).Ok());
        }
        r = st->Execute(nullptr);
        VkOracle::OraValue e;
        if (binds) {
            EXPECT_TRUE(st->BoundValue("E", &e).Ok());
        }
        return (r.Ok() ? std::string("ok") : r.message) + " E=" + ValueText(e);
    }
    // Rows and sum of IDs of KB as `s` sees it.
    std::string Rows(VkOracle::OraSession& s) { return Run(s, "SELECT COUNT(*), SUM(ID) FROM KB"); }
    // B's INSERT of `id`, a key A's uncommitted work holds, waits until A
    // commits and then fails on the key.
    void ExpectBWaitsForAsKey(int id)
    {
        const std::string bSid = Run(*m_b, "SELECT USERENV('SESSIONID') FROM DUAL");
        const std::string sql = "INSERT INTO KB VALUES (" + std::to_string(id) + ", 'B', 0)";
        std::future<std::string> insert = std::async(std::launch::async, [this, sql] { return Run(*m_b, sql); });
        const bool waited = ShowsWaiting(bSid) && !Finished(insert);
        EXPECT_EQ(Run(*m_a, "COMMIT"), "ok"); // frees B either way
        EXPECT_TRUE(waited);
        EXPECT_EQ(insert.get(), "ORA-00001: unique constraint (SCOTT.KB_PK) violated");
    }

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
        EXPECT_GE(Bare() - before, 1); // the second at least: a flush after 5 ms makes the next one look again
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

// A multi-row INSERT ... SELECT that fails on its last row leaves none of
// its rows: SQLite's statement rollback undoes those it wrote before.
TEST_F(BareInsertTest, AnInsertSelectFailingHalfWayLeavesNoneOfItsRows)
{
    const struct {
        const char* what;
        const char* select;
        const char* sqlcode;
    } cases[] = {
        {"length", "SELECT ID + 100, CASE WHEN ID = 8 THEN 'TOOLONG' ELSE NAME END, N FROM KB", "-12899"},
        {"unique key", "SELECT ID + 5, NAME, N FROM KB WHERE ID > 2", "-1"},
        {"not null", "SELECT ID + 100, CASE WHEN ID = 8 THEN NULL ELSE NAME END, N FROM KB", "-1400"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const int64_t before = Bare();
        EXPECT_EQ(BlockA(std::string("BEGIN FOR i IN 1..8 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; BEGIN"
                                     " INSERT INTO KB ") +
                         c.select + "; EXCEPTION WHEN OTHERS THEN :E := SQLCODE; END;"
                                    " INSERT INTO KB VALUES (50, 'Z', 0); END;"),
                  std::string("ok E=") + c.sqlcode);
        EXPECT_GE(Bare() - before, 1);
        EXPECT_EQ(Rows(*m_a), "9|86");
        EXPECT_EQ(Rows(*m_b), "0|NULL");
        EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
        EXPECT_EQ(Rows(*m_a), "0|NULL");
    }
}

// When the row locks of an INSERT cannot be written, its rows are deleted
// again and it fails with the error it got; the rows before and after it
// stay the transaction's. The failure is real: a trigger of the database
// refuses the lock record of the row whose N is 257 (the first row of the
// second run of 256).
TEST_F(BareInsertTest, AnInsertWhoseLocksCannotBeWrittenRemovesExactlyItsRows)
{
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((m_db.directory + "/" + m_db.sid + ".db").c_str(), &db), SQLITE_OK);
        char* message = nullptr;
        EXPECT_EQ(sqlite3_exec(db,
                               "CREATE TRIGGER test_refuse_lock BEFORE INSERT ON cat_undo WHEN NEW.op = 'R' AND"
                               " (SELECT N FROM \"SCOTT.KB\" WHERE rowid = -NEW.rid) = 257"
                               " BEGIN SELECT RAISE(ABORT, 'no room for the lock'); END",
                               nullptr, nullptr, &message),
                  SQLITE_OK)
            << message;
        sqlite3_free(message);
        sqlite3_close(db);
    }
    // The failed INSERT goes without a savepoint unless the block's SQLite
    // transaction was committed just before it (every 5 ms): then again.
    const int64_t undone = m_core->Transaction().BareUndone();
    for (int attempt = 0; attempt < 5 && m_core->Transaction().BareUndone() == undone; ++attempt) {
        EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok");
        const std::string result = BlockA("BEGIN FOR i IN 1..300 LOOP BEGIN INSERT INTO KB VALUES (i, 'R', i);"
                                          " EXCEPTION WHEN OTHERS THEN :E := :E || i || ' ' || SQLCODE || ';'; END;"
                                          " END LOOP; END;");
        EXPECT_EQ(result.substr(0, result.find(' ')), "ok");
        EXPECT_NE(result.find(" E=257 -"), std::string::npos) << result;
        EXPECT_EQ(result.find(';'), result.size() - 1) << result; // only row 257 failed
        EXPECT_EQ(Rows(*m_a), "299|44893");
        EXPECT_EQ(Run(*m_a, "SELECT COUNT(*) FROM KB WHERE ID = 257 OR ID <> N"), "0");
    }
    EXPECT_EQ(m_core->Transaction().BareUndone(), undone + 1);
    EXPECT_EQ(Rows(*m_b), "0|NULL");
    // ID 257 is free for B at once; the rows that stayed are A's until it
    // rolls back, which leaves no record behind.
    EXPECT_EQ(Run(*m_b, "INSERT INTO KB VALUES (257, 'B', 0)"), "rows=1");
    const std::string bSid = Run(*m_b, "SELECT USERENV('SESSIONID') FROM DUAL");
    std::future<std::string> waiting =
        std::async(std::launch::async, [this] { return Run(*m_b, "INSERT INTO KB VALUES (258, 'B', 0)"); });
    const bool waited = ShowsWaiting(bSid);
    EXPECT_EQ(Run(*m_a, "ROLLBACK"), "ok"); // frees B either way
    EXPECT_TRUE(waited);
    EXPECT_EQ(waiting.get(), "rows=1");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(Rows(*m_a), "2|515");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((m_db.directory + "/" + m_db.sid + ".db").c_str(), &db), SQLITE_OK);
    sqlite3_stmt* records = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM cat_undo", -1, &records, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(records), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int64(records, 0), 0);
    sqlite3_finalize(records);
    sqlite3_close(db);
}

// Savepoints and rollbacks after bare INSERTs free exactly the rows after
// them, in the block and across calls.
TEST_F(BareInsertTest, RollbacksAfterBareInsertsUndoWhatFollowedTheirPoint)
{
    const int64_t before = Bare();
    EXPECT_EQ(BlockA("BEGIN FOR i IN 1..5 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; SAVEPOINT S;"
                     " FOR i IN 6..10 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; ROLLBACK TO S;"
                     " FOR i IN 11..12 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; SAVEPOINT T;"
                     " FOR i IN 13..15 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; END;"),
              "ok E=NULL");
    EXPECT_GE(Bare() - before, 1);
    EXPECT_EQ(Run(*m_a, "ROLLBACK TO T"), "ok");
    EXPECT_EQ(Rows(*m_a), "7|38");
    // The rows rolled back are free for B at once.
    EXPECT_EQ(Run(*m_b, "INSERT INTO KB SELECT ID, 'B', 0 FROM (SELECT 6 ID FROM DUAL UNION ALL SELECT 14 FROM DUAL)"),
              "rows=2");
    EXPECT_EQ(Run(*m_b, "COMMIT"), "ok");
    EXPECT_EQ(BlockA("BEGIN FOR i IN 20..25 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; ROLLBACK; END;"),
              "ok E=NULL");
    EXPECT_EQ(Rows(*m_a), "2|20");
    EXPECT_EQ(Rows(*m_b), "2|20");
}

// While the block's work is uncommitted, another session reads none of it
// and waits for a key it inserted; the commit shows it all.
TEST_F(BareInsertTest, OthersReadNothingOfAnUncommittedBlockAndWaitForItsKeys)
{
    EXPECT_EQ(BlockA("BEGIN FOR i IN 1..600 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; END;"), "ok E=NULL");
    EXPECT_EQ(Rows(*m_a), "600|180300");
    EXPECT_EQ(Rows(*m_b), "0|NULL");
    EXPECT_EQ(Run(*m_b, "SELECT COUNT(*) FROM KB WHERE ID BETWEEN 250 AND 520"), "0");
    ExpectBWaitsForAsKey(300);
    EXPECT_EQ(Rows(*m_b), "600|180300");
}

// A Break that lands inside SQLite while a block's statement runs makes
// SQLite drop the block's whole shared transaction. The session starts over
// from what is really there: the block's work is gone, what the transaction
// did before the block stays its own, locked, and commits.
TEST_F(BareInsertTest, ABreakInsideSqliteLosesTheBlocksSharedWorkAndNothingBefore)
{
    ASSERT_EQ(Run(*m_a, "INSERT INTO KB VALUES (-1, 'PRE', 0)"), "rows=1");
    const int64_t bare = Bare();
    // The second INSERT goes without a savepoint and runs long inside SQLite.
    BackgroundStatement block(*m_a, "BEGIN INSERT INTO KB VALUES (0, 'IN', 0);"
                                    " INSERT INTO KB SELECT ROWNUM, 'X', 0 FROM ALL_OBJECTS a, ALL_OBJECTS b, ALL_OBJECTS c;"
                                    " END;");
    ASSERT_TRUE(block.Parsed());
    ASSERT_TRUE(block.WaitUntil([&] { return Bare() > bare; })) << "the block ended first: " << block.Wait().message;
    block.WaitUntil([&] {
        m_a->Break();
        return false;
    });
    const VkOracle::OraResult& result = block.Wait();
    EXPECT_EQ(result.message.rfind("ORA-01013: user requested cancel of current operation", 0), 0u) << result.message;
    EXPECT_EQ(m_core->Transaction().HeldLost(), 1);

    EXPECT_EQ(Rows(*m_a), "1|-1");
    EXPECT_EQ(Rows(*m_b), "0|NULL");
    // The session goes on: a later block, its row's key still held from B.
    EXPECT_EQ(BlockA("BEGIN FOR i IN 1..3 LOOP INSERT INTO KB VALUES (i, 'R', i); END LOOP; END;"), "ok E=NULL");
    ExpectBWaitsForAsKey(-1);
    EXPECT_EQ(Rows(*m_b), "4|5");
}

} // namespace
} // namespace oraenginetest
