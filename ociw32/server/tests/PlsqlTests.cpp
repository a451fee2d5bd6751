// PL/SQL anonymous blocks: the supported subset, host binds in and out,
// calls to the demo schema's stored units, compile and runtime errors in
// Oracle's layout.
#include "EngineFixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace oraenginetest {
namespace {

class PlsqlTest : public ScottEngineTest {
protected:
    void SetUp() override
    {
        ScottEngineTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(Run(Scott(), "CREATE TABLE T (N NUMBER, S VARCHAR2(20))"), "ok");
    }
    // Runs a block with named binds; returns "ok" or the error, and the
    // binds' values after execution in *out as "NAME=value" lines.
    std::string Block(const std::string& sql, std::vector<std::pair<std::string, VkOracle::OraValue>> binds = {},
                      std::string* out = nullptr)
    {
        std::unique_ptr<VkOracle::OraStatement> st;
        VkOracle::OraResult r = Scott().Parse(sql, &st);
        if (!r.Ok())
            return r.message;
        EXPECT_EQ(st->Kind(), VkOracle::OraStatementKind::Block);
        for (auto& [name, value] : binds)
            EXPECT_TRUE(st->Bind(name, value).Ok()) << name;
        uint64_t rows = 0;
        r = st->Execute(&rows);
        if (out) {
            out->clear();
            for (auto& [name, value] : binds) {
                VkOracle::OraValue v;
                EXPECT_TRUE(st->BoundValue(name, &v).Ok());
                *out += name + "=" + ValueText(v) + "\n";
            }
        }
        return r.Ok() ? "ok" : r.message;
    }
    static VkOracle::OraValue Num(int64_t n)
    {
        VkOracle::OraValue v;
        v.kind = VkOracle::OraValue::Kind::Number;
        v.number = VkOracle::OraNumFromInt(n);
        return v;
    }
};

struct BlockCase {
    const char* block;
    const char* result; // "ok" or the whole error text
    const char* query;  // checked afterwards when not null
    const char* rows;
};

TEST_F(PlsqlTest, RunsTheSupportedStatements)
{
    const BlockCase cases[] = {
        {"BEGIN NULL; END;", "ok", nullptr, nullptr},
        {"DECLARE n NUMBER := 2; BEGIN n := n * 21; INSERT INTO T (N) VALUES (n); END;", "ok",
         "SELECT N FROM T", "42"},
        {"DECLARE s VARCHAR2(10); BEGIN SELECT ENAME INTO s FROM EMP WHERE EMPNO = 7839; INSERT INTO T (S) VALUES (s); END;",
         "ok", "SELECT S FROM T", "KING"},
        {"DECLARE n NUMBER := 5; BEGIN IF n < 3 THEN INSERT INTO T (S) VALUES ('small'); ELSIF n < 10 THEN"
         " INSERT INTO T (S) VALUES ('medium'); ELSE INSERT INTO T (S) VALUES ('large'); END IF; END;",
         "ok", "SELECT S FROM T", "medium"},
        {"DECLARE i NUMBER := 0; BEGIN LOOP i := i + 1; EXIT WHEN i >= 3; END LOOP; INSERT INTO T (N) VALUES (i); END;",
         "ok", "SELECT N FROM T", "3"},
        {"BEGIN FOR i IN 1..3 LOOP INSERT INTO T (N) VALUES (i * 10); END LOOP; END;", "ok",
         "SELECT SUM(N) FROM T", "60"},
        {"DECLARE i NUMBER := 0; BEGIN WHILE i < 4 LOOP i := i + 2; END LOOP; INSERT INTO T (N) VALUES (i); END;",
         "ok", "SELECT N FROM T", "4"},
        {"BEGIN UPDATE EMP SET SAL = SAL WHERE DEPTNO = 10; INSERT INTO T (N) VALUES (SQL%ROWCOUNT); END;", "ok",
         "SELECT N FROM T", "3"},
        {"DECLARE s VARCHAR2(10); BEGIN SELECT ENAME INTO s FROM EMP WHERE EMPNO = -1;"
         " EXCEPTION WHEN NO_DATA_FOUND THEN INSERT INTO T (S) VALUES ('none'); END;",
         "ok", "SELECT S FROM T", "none"},
        {"BEGIN raise_application_error(-20001, 'custom'); EXCEPTION WHEN OTHERS THEN"
         " INSERT INTO T (N, S) VALUES (SQLCODE, SQLERRM); END;",
         "ok", "SELECT N, S FROM T", "-20001|ORA-20001: custom"},
        {"DECLARE b BOOLEAN := FALSE; BEGIN IF NOT b THEN INSERT INTO T (S) VALUES ('not b'); END IF; END;", "ok",
         "SELECT S FROM T", "not b"},
        {"DECLARE n NUMBER; BEGIN n := emp_count(10); INSERT INTO T (N) VALUES (n); END;", "ok",
         "SELECT N FROM T", "3"},
        {"BEGIN log_action('TEST', 'from a block'); END;", "ok",
         "SELECT ACTION, NOTE FROM AUDIT_LOG WHERE ACTION = 'TEST'", "TEST|from a block"},
        {"DECLARE n NUMBER; BEGIN n := emp_pkg.find_emp('KING'); INSERT INTO T (N) VALUES (n); END;",
         "ok", "SELECT N FROM T", "7839"},
        {"BEGIN INSERT INTO T (N) VALUES (1); COMMIT; END;", "ok", "SELECT COUNT(*) FROM T", "1"},
        {"BEGIN DECLARE x NUMBER := 7; BEGIN INSERT INTO T (N) VALUES (x); END; END;", "ok", "SELECT N FROM T", "7"},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.block);
        ASSERT_EQ(Run(Scott(), "DELETE FROM T").substr(0, 5), "rows=");
        EXPECT_EQ(Block(c.block), c.result);
        if (c.query) {
            EXPECT_EQ(Run(Scott(), c.query), c.rows);
        }
    }
}

TEST_F(PlsqlTest, ReportsErrorsAsOracleLaysThemOut)
{
    const BlockCase cases[] = {
        {"BEGIN no_such_proc; END;",
         "ORA-06550: line 1, column 7:\nPLS-00201: identifier 'NO_SUCH_PROC' must be declared\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored", nullptr, nullptr},
        {"BEGIN\n  x := 1;\nEND;",
         "ORA-06550: line 2, column 3:\nPLS-00201: identifier 'X' must be declared\n"
         "ORA-06550: line 2, column 3:\nPL/SQL: Statement ignored", nullptr, nullptr},
        {"BEGIN\n  raise_application_error(-20002, 'stop here');\nEND;", "ORA-20002: stop here\nORA-06512: at line 2",
         nullptr, nullptr},
        {"DECLARE s VARCHAR2(10);\nBEGIN\n  SELECT ENAME INTO s FROM EMP WHERE EMPNO = -1;\nEND;",
         "ORA-01403: no data found\nORA-06512: at line 3", nullptr, nullptr},
        {"DECLARE s VARCHAR2(10);\nBEGIN\n  SELECT ENAME INTO s FROM EMP;\nEND;",
         "ORA-01422: exact fetch returns more than requested number of rows\nORA-06512: at line 3", nullptr, nullptr},
        {"BEGIN\n  failing_job;\nEND;",
         "ORA-20001: Nightly load failed: source file missing\nORA-06512: at \"SCOTT.FAILING_JOB\", line 3\n"
         "ORA-06512: at line 2", nullptr, nullptr},
        {"DECLARE s VARCHAR2(2); BEGIN s := 'too long'; END;",
         "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 1", nullptr,
         nullptr},
        {"BEGIN INSERT INTO NO_TABLE VALUES (1); END;",
         "ORA-06550: line 1, column 19:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 1, column 7:\nPL/SQL: SQL Statement ignored", nullptr, nullptr},
        {"BEGIN INSERT INTO T (N) VALUES (1); raise_application_error(-20005, 'undo'); END;",
         "ORA-20005: undo\nORA-06512: at line 1", "SELECT COUNT(*) FROM T", "0"},
    };
    for (const BlockCase& c : cases) {
        SCOPED_TRACE(c.block);
        EXPECT_EQ(Block(c.block), c.result);
        if (c.query) {
            EXPECT_EQ(Run(Scott(), c.query), c.rows);
        }
    }
}

TEST_F(PlsqlTest, AFailingBlockUndoesOnlyItsOwnWork)
{
    ASSERT_EQ(Run(Scott(), "INSERT INTO T (N) VALUES (1)"), "rows=1");
    EXPECT_EQ(Block("BEGIN INSERT INTO T (N) VALUES (2); raise_application_error(-20001, 'x'); END;").substr(0, 9),
              "ORA-20001");
    EXPECT_EQ(Run(Scott(), "SELECT N FROM T"), "1");
    // Work committed inside the block stays; what follows the commit goes.
    EXPECT_EQ(Block("BEGIN INSERT INTO T (N) VALUES (3); COMMIT; INSERT INTO T (N) VALUES (4);"
                    " raise_application_error(-20001, 'x'); END;").substr(0, 9),
              "ORA-20001");
    EXPECT_EQ(Run(Scott(), "SELECT N FROM T ORDER BY N"), "1\n3");
    // A handled error keeps everything, and a later block is not affected.
    EXPECT_EQ(Block("BEGIN INSERT INTO T (N) VALUES (5); raise_application_error(-20001, 'x');"
                    " EXCEPTION WHEN OTHERS THEN NULL; END;"), "ok");
    ASSERT_TRUE(Scott().Rollback().Ok());
    EXPECT_EQ(Run(Scott(), "SELECT N FROM T ORDER BY N"), "1\n3");
}

TEST_F(PlsqlTest, BreakStopsAnEndlessLoop)
{
    oraenginetest::BackgroundStatement loop(Scott(), "DECLARE i NUMBER := 0; BEGIN LOOP i := i + 1; END LOOP; END;");
    ASSERT_TRUE(loop.Parsed());
    loop.WaitUntil([&] {
        Scott().Break();
        return false;
    });
    const VkOracle::OraResult& result = loop.Wait();
    EXPECT_EQ(result.message, "ORA-01013: user requested cancel of current operation\nORA-06512: at line 1");
    // The session carries on.
    EXPECT_EQ(Block("BEGIN NULL; END;"), "ok");
}

TEST_F(PlsqlTest, LockSleepWaitsItsSecondsAndABreakEndsIt)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Block("BEGIN DBMS_LOCK.SLEEP(0.2); END;"), "ok");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    EXPECT_NE(Block("BEGIN DBMS_LOCK.NAP(1); END;").find("PLS-00302"), std::string::npos);

    oraenginetest::BackgroundStatement sleep(Scott(), "BEGIN DBMS_LOCK.SLEEP(600); END;");
    ASSERT_TRUE(sleep.Parsed());
    sleep.WaitUntil([&] {
        Scott().Break();
        return false;
    });
    const VkOracle::OraResult& result = sleep.Wait();
    EXPECT_EQ(result.message.rfind("ORA-01013: user requested cancel of current operation", 0), 0u) << result.message;
}

TEST_F(PlsqlTest, RunsTheBlocksTheExplorerDragsOut)
{
    // A function's return value and a procedure's OUT argument, as dragged
    // (carriage returns removed, wrapped as a job body is checked).
    EXPECT_EQ(Block("BEGIN /* FUNCTION: EMP_COUNT (from SCHEMA SCOTT) */\n\nDECLARE\n\tv_EMP_COUNT_return NUMBER;\n"
                    "BEGIN\n\tv_EMP_COUNT_return\t:= scott.EMP_COUNT(\n\t\t10 );\nEND; END;"),
              "ok");
    EXPECT_EQ(Block("/* PROCEDURE: GET_EMP_NAME (from SCHEMA SCOTT) */\n\nDECLARE\n\tout_p_ename_varchar2 VARCHAR2;\n"
                    "BEGIN\n\tscott.GET_EMP_NAME(\n\t\tin_p_empno_number ,\n\t\tout_p_ename_varchar2 );\nEND;"),
              "ORA-06550: line 7, column 3:\nPLS-00201: identifier 'IN_P_EMPNO_NUMBER' must be declared\n"
              "ORA-06550: line 6, column 2:\nPL/SQL: Statement ignored");
    EXPECT_EQ(Block("BEGIN scott.emp_pkg.adjust(10, 5, :rows); END;", {{"rows", {}}}), "ok");
}

TEST_F(PlsqlTest, HostileTextFailsCleanly)
{
    std::string deep;
    for (int i = 0; i < 5000; ++i)
        deep += "BEGIN ";
    const std::string texts[] = {
        deep,
        "BEGIN " + std::string(20000, '(') + " END;",
        "BEGIN x := " + std::string(3000, '(') + "1" + std::string(3000, ')') + "; END;",
        "DECLARE",
        "BEGIN 'unterminated END;",
        "BEGIN \"\" := 1; END;",
        "BEGIN NULL; END; trailing",
        "DECLARE x NUMBER := ; BEGIN NULL; END;",
        "BEGIN RAISE; END;",
        "BEGIN FOR i IN 1.. LOOP NULL; END LOOP; END;",
        "BEGIN :x; END;",
        "BEGIN dbms_job.submit(); END;",
        "BEGIN dbms_job.run(1, 2, 3, 4); END;",
        "BEGIN raise_application_error(-1, 'x'); END;",
    };
    for (const std::string& t : texts) {
        SCOPED_TRACE(t.substr(0, 60));
        const std::string result = Block(t);
        EXPECT_EQ(result.substr(0, 4), "ORA-") << result;
    }
}

TEST_F(PlsqlTest, SyntaxErrorsNameTheSymbolAndPosition)
{
    const struct {
        const char* block;
        const char* firstTwoLines;
    } cases[] = {
        {"BEGIN NULL END;", "ORA-06550: line 1, column 12:\nPLS-00103: Encountered the symbol \"END\" when expecting one of the following:"},
        {"BEGIN NULL;", "ORA-06550: line 1, column 12:\nPLS-00103: Encountered the symbol \"end-of-file\" when expecting one of the following:"},
        {"BEGIN END;", "ORA-06550: line 1, column 7:\nPLS-00103: Encountered the symbol \"END\" when expecting one of the following:"},
        {"DECLARE x NUMBER;\nBEGIN\n  x := ;\nEND;", "ORA-06550: line 3, column 8:\nPLS-00103: Encountered the symbol \";\" when expecting one of the following:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        const std::string message = Block(c.block);
        const size_t second = message.find('\n', message.find('\n') + 1);
        EXPECT_EQ(message.substr(0, second), c.firstTwoLines);
    }
}

TEST_F(PlsqlTest, HostBindsGoInAndComeBackOut)
{
    std::string out;
    EXPECT_EQ(Block("BEGIN :b := :a * 2; :c := 'text'; END;", {{"a", Num(21)}, {"b", Num(0)}, {"c", {}}}, &out), "ok");
    EXPECT_EQ(out, "a=21\nb=42\nc=text\n");
    EXPECT_EQ(Block("BEGIN get_emp_name(:no, :name); END;", {{":NO", Num(7839)}, {":NAME", {}}}, &out), "ok");
    EXPECT_EQ(out, ":NO=7839\n:NAME=KING\n");
    EXPECT_EQ(Block("BEGIN swap_values(:x, :y); END;", {{"x", Num(1)}, {"y", Num(2)}}, &out), "ok");
    EXPECT_EQ(out, "x=2\ny=1\n");
    EXPECT_EQ(Block("BEGIN :x := 1; END;"), "ORA-01008: not all variables bound");
    EXPECT_EQ(Block("BEGIN get_emp_name(7839, 'KING'); END;").substr(0, 90),
              std::string("ORA-06550: line 1, column 7:\nPLS-00363: expression ''KING'' cannot be used as an assignment target").substr(0, 90));
}

} // namespace
} // namespace oraenginetest
