// Oracle's error semantics inside PL/SQL: SQLCODE and SQLERRM in handlers,
// exceptions raised while declaring, where compile errors point.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

using PlsqlErrorTest = PlsqlEngineTest;

TEST_F(PlsqlErrorTest, SqlcodeAndSqlerrmInHandlers)
{
    const Case cases[] = {
        {1, "DECLARE n NUMBER; BEGIN SELECT EMPNO INTO n FROM EMP WHERE 1 = 0;"
            " EXCEPTION WHEN NO_DATA_FOUND THEN :R := SQLCODE || ' ' || SQLERRM; END;",
         "R=100 ORA-01403: no data found"},
        {2, "DECLARE n NUMBER := 0; BEGIN n := 1 / n; EXCEPTION WHEN OTHERS THEN :R := SQLCODE || ' ' || SQLERRM; END;",
         "R=-1476 ORA-01476: divisor is equal to zero"},
        {3, "DECLARE e EXCEPTION; BEGIN RAISE e; EXCEPTION WHEN e THEN :R := SQLCODE || ' ' || SQLERRM; END;",
         "R=1 User-Defined Exception"},
        {4, "DECLARE n NUMBER; BEGIN SELECT EMPNO INTO n FROM EMP;"
            " EXCEPTION WHEN TOO_MANY_ROWS THEN :R := SQLCODE; END;",
         "R=-1422"},
        {5, "BEGIN :R := SQLCODE || ' ' || SQLERRM; END;", "R=0 ORA-0000: normal, successful completion"},
        {6, "DECLARE n NUMBER; BEGIN n := TO_NUMBER('x'); EXCEPTION WHEN VALUE_ERROR THEN :R := SQLERRM; END;",
         "R=ORA-06502: PL/SQL: numeric or value error: character to number conversion error"},
        {7, "DECLARE n NUMBER; BEGIN SELECT TO_NUMBER('x') INTO n FROM DUAL;"
            " EXCEPTION WHEN INVALID_NUMBER THEN :R := SQLERRM; END;",
         "R=ORA-01722: invalid number"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Block(c.sql, {"R"}, &out), "ok") << c.id;
        EXPECT_EQ(out, c.expected) << c.id;
    }
}

TEST_F(PlsqlErrorTest, ADeclarationsExceptionGoesToTheEnclosingBlock)
{
    const Case cases[] = {
        {1, "BEGIN DECLARE n NUMBER := 1 / 0; BEGIN NULL; EXCEPTION WHEN ZERO_DIVIDE THEN :R := 'inner'; END;"
            " EXCEPTION WHEN ZERO_DIVIDE THEN :R := 'outer'; END;",
         "R=outer"},
        {2, "BEGIN DECLARE s VARCHAR2(2) := 'abc'; BEGIN NULL; EXCEPTION WHEN OTHERS THEN :R := 'inner'; END;"
            " EXCEPTION WHEN VALUE_ERROR THEN :R := 'outer ' || SQLCODE; END;",
         "R=outer -6502"},
        {3, "BEGIN DECLARE n NUMBER := 1; BEGIN n := 1 / 0; EXCEPTION WHEN ZERO_DIVIDE THEN :R := 'inner'; END;"
            " EXCEPTION WHEN ZERO_DIVIDE THEN :R := 'outer'; END;",
         "R=inner"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(Block(c.sql, {"R"}, &out), "ok") << c.id;
        EXPECT_EQ(out, c.expected) << c.id;
    }
    // Unhandled, it leaves the block with the declaration's line.
    EXPECT_EQ(Block("DECLARE\n  s VARCHAR2(2) := 'abc';\nBEGIN\n  NULL;\nEXCEPTION WHEN OTHERS THEN NULL;\nEND;"),
              "ORA-06502: PL/SQL: numeric or value error: character string buffer too small\nORA-06512: at line 2");
}

TEST_F(PlsqlErrorTest, CompileErrorsPointAtTheOffendingName)
{
    const Case cases[] = {
        {1, "DECLARE n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM NO_SUCH;\nEND;",
         "ORA-06550: line 3, column 31:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 3, column 3:\nPL/SQL: SQL Statement ignored"},
        {2, "BEGIN\n  UPDATE EMP SET SAL = SAL\n   WHERE NO_COLUMN = 1;\nEND;",
         "ORA-06550: line 3, column 10:\nPL/SQL: ORA-00904: \"NO_COLUMN\": invalid identifier\n"
         "ORA-06550: line 2, column 3:\nPL/SQL: SQL Statement ignored"},
        {3, "DECLARE n NUMBER;\nBEGIN\n  n := 1 +\n    undeclared_name;\nEND;",
         "ORA-06550: line 4, column 5:\nPLS-00201: identifier 'UNDECLARED_NAME' must be declared\n"
         "ORA-06550: line 3, column 3:\nPL/SQL: Statement ignored"},
        // The missing table's own name, not the keyword before it.
        {4, "BEGIN\n  DELETE FROM NO_SUCH WHERE 1 = 1;\nEND;",
         "ORA-06550: line 2, column 15:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 2, column 3:\nPL/SQL: SQL Statement ignored"},
        {5, "BEGIN\n  INSERT INTO NO_SUCH VALUES (1);\nEND;",
         "ORA-06550: line 2, column 15:\nPL/SQL: ORA-00942: table or view does not exist\n"
         "ORA-06550: line 2, column 3:\nPL/SQL: SQL Statement ignored"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Block(c.sql), c.expected) << c.id;
}

// The lines of a message.
std::vector<std::string> Lines(const std::string& s)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(s.substr(start, nl - start));
    out.push_back(s.substr(start));
    return out;
}

TEST_F(PlsqlErrorTest, DbmsJobErrorsCarryThePackagesFrame)
{
    const char* const frame = "ORA-06512: at \"SYS.DBMS_JOB\", line ";
    std::vector<std::string> lines = Lines(Block("BEGIN\n  DBMS_JOB.REMOVE(999);\nEND;"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "ORA-23421: job number 999 is not a job in the job queue");
    EXPECT_EQ(lines[1].rfind(frame, 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "ORA-06512: at line 2");
    // A duplicate job number names Oracle's index on the job table.
    lines = Lines(Block("BEGIN DBMS_JOB.ISUBMIT(500, 'NULL;', SYSDATE, NULL);\n DBMS_JOB.ISUBMIT(500, 'NULL;', SYSDATE, NULL); END;"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "ORA-00001: unique constraint (SYS.I_JOB_JOB) violated");
    EXPECT_EQ(lines[1].rfind(frame, 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "ORA-06512: at line 2");
    // A job body that does not compile: the compile error, then the package.
    lines = Lines(Block("DECLARE j NUMBER; BEGIN DBMS_JOB.SUBMIT(j, 'no_such_proc;', SYSDATE, NULL); END;"));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[1], "PLS-00201: identifier 'NO_SUCH_PROC' must be declared");
    EXPECT_EQ(lines[lines.size() - 2].rfind(frame, 0), 0u) << lines[lines.size() - 2];
    EXPECT_EQ(lines.back(), "ORA-06512: at line 1");
}

} // namespace
} // namespace oraenginetest
