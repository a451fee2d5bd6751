// The built-in packages PL/SQL jobs use: DBMS_OUTPUT's per-session buffer
// and DBMS_UTILITY's GET_TIME and FORMAT_ERROR_STACK, as Oracle documents them.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

using PlsqlPackageTest = PlsqlEngineTest;

class OutputTest : public PlsqlEngineTest {
protected:
    // Lines GET_LINE gives in `s`, joined by "|", then "end" once status is 1.
    std::string Lines(VkOracle::OraSession& s)
    {
        std::string out;
        const std::string r = Block(s,
                                    "DECLARE l VARCHAR2(32767); st INTEGER; res VARCHAR2(32767); BEGIN LOOP"
                                    " DBMS_OUTPUT.GET_LINE(l, st); EXIT WHEN st = 1; res := res || NVL(l, '~') || '|';"
                                    " END LOOP; :R := res || 'end'; END;",
                                    {"R"}, &out);
        return r == "ok" ? out.substr(2) : r;
    }
    std::string Lines() { return Lines(Scott()); }
};

TEST_F(OutputTest, LinesAreCollectedOnlyOnceEnabled)
{
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.PUT_LINE('lost'); END;"), "ok");
    EXPECT_EQ(Lines(), "end");
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT('a'); DBMS_OUTPUT.PUT('b'); DBMS_OUTPUT.NEW_LINE;"
                    " DBMS_OUTPUT.PUT_LINE('c'); DBMS_OUTPUT.PUT_LINE(42); DBMS_OUTPUT.PUT_LINE(NULL); END;"),
              "ok");
    EXPECT_EQ(Lines(), "ab|c|42|~|end");
    // Read lines are gone.
    EXPECT_EQ(Lines(), "end");
}

TEST_F(OutputTest, TheBufferBelongsToTheSessionAndOutlivesTheCall)
{
    VkOracle::OraSession& other = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.ENABLE(NULL); DBMS_OUTPUT.PUT_LINE('first call'); END;"), "ok");
    EXPECT_EQ(Block(other, "BEGIN DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT_LINE('other session'); END;"), "ok");
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.PUT_LINE('second call'); END;"), "ok");
    EXPECT_EQ(Lines(), "first call|second call|end");
    EXPECT_EQ(Lines(other), "other session|end");
}

TEST_F(OutputTest, UnreadLinesGoAtTheNextPutAndDisablePurges)
{
    EXPECT_EQ(Block("DECLARE l VARCHAR2(100); st INTEGER; BEGIN DBMS_OUTPUT.ENABLE; DBMS_OUTPUT.PUT_LINE('one');"
                    " DBMS_OUTPUT.PUT_LINE('two'); DBMS_OUTPUT.GET_LINE(l, st); DBMS_OUTPUT.PUT_LINE('three'); END;"),
              "ok");
    EXPECT_EQ(Lines(), "three|end");
    EXPECT_EQ(Block("BEGIN DBMS_OUTPUT.PUT_LINE('four'); DBMS_OUTPUT.DISABLE; DBMS_OUTPUT.ENABLE; END;"), "ok");
    EXPECT_EQ(Lines(), "end");
}

TEST_F(OutputTest, AFullBufferFailsWithOru10027)
{
    // 25 lines of 100 bytes do not fit the smallest buffer of 2000 bytes.
    const std::string r = Block("BEGIN DBMS_OUTPUT.ENABLE(2000);\n FOR i IN 1..25 LOOP\n"
                                "  DBMS_OUTPUT.PUT_LINE(RPAD('rich people ', 100, 'cause poverty '));\n END LOOP;\nEND;");
    EXPECT_EQ(FirstLine(r), "ORA-20000: ORU-10027: buffer overflow, limit of 2000 bytes");
    EXPECT_NE(r.find("ORA-06512: at \"SYS.DBMS_OUTPUT\""), std::string::npos) << r;
    EXPECT_NE(r.find("ORA-06512: at line 3"), std::string::npos) << r;
    // A buffer below the minimum is raised to it; the handler sees the error.
    std::string out;
    EXPECT_EQ(Block("DECLARE n INTEGER := 0; BEGIN DBMS_OUTPUT.DISABLE; DBMS_OUTPUT.ENABLE(10);"
                    " FOR i IN 1..100 LOOP DBMS_OUTPUT.PUT_LINE(RPAD('x', 100, 'x')); n := i; END LOOP;"
                    " EXCEPTION WHEN OTHERS THEN :R := SQLCODE || ' after ' || n; END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=-20000 after 20");
}

TEST_F(PlsqlPackageTest, GetTimeCountsHundredths)
{
    std::string out;
    EXPECT_EQ(Block("DECLARE t0 NUMBER := DBMS_UTILITY.GET_TIME; t1 NUMBER; BEGIN DBMS_LOCK.SLEEP(0.2);"
                    " t1 := DBMS_UTILITY.GET_TIME; :R := CASE WHEN t1 - t0 BETWEEN 19 AND 200 THEN 'ok' ELSE"
                    " t0 || ' ' || t1 END; END;",
                    {"R"}, &out),
              "ok");
    EXPECT_EQ(out, "R=ok");
}

TEST_F(PlsqlPackageTest, FormatErrorStackGivesTheStackBeingHandled)
{
    const Case cases[] = {
        {1, "DECLARE n NUMBER; BEGIN SELECT EMPNO INTO n FROM EMP WHERE 1 = 0;"
            " EXCEPTION WHEN OTHERS THEN :R := DBMS_UTILITY.FORMAT_ERROR_STACK; END;",
         "R=ORA-01403: no data found\n"},
        {2, "BEGIN failing_job; EXCEPTION WHEN OTHERS THEN :R := DBMS_UTILITY.FORMAT_ERROR_STACK; END;",
         "R=ORA-20001: Nightly load failed: source file missing\nORA-06512: at \"SCOTT.FAILING_JOB\", line 3\n"},
        {3, "BEGIN :R := NVL(DBMS_UTILITY.FORMAT_ERROR_STACK, 'none'); END;", "R=none"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Block(c.sql, {"R"}, &out), "ok") << c.id;
        EXPECT_EQ(out, c.expected) << c.id;
    }
}

} // namespace
} // namespace oraenginetest
