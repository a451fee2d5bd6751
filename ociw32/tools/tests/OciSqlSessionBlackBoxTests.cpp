// ocisql as a database administrator drives it: scripts with the client's
// own commands, run as a process on a data root of their own with the demo
// databases. Expected texts follow the usual command-line client's
// documented output, not ours.

#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string Tool(const std::string& name)
{
    return qvtest::BinPath(name).string();
}

class OcisqlSessionTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        qvtest::FreshRootTest::SetUp();
        std::string out;
        ASSERT_EQ(qvtest::RunCommand(Tool("oradmin") + " demo", &out, true), 0) << out;
    }

    std::filesystem::path Write(const std::string& name, const std::string& text)
    {
        const std::filesystem::path file = root() / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
        return file;
    }

    // Runs ocisql on a script fed to standard input; *out gets standard
    // output, *err standard error; returns the exit status.
    int Ocisql(const std::string& connect, const std::string& script, std::string* out, std::string* err)
    {
        const std::filesystem::path in = Write("stdin.sql", script);
        const std::filesystem::path errFile = root() / "stderr.txt";
        out->clear();
        const int rc = qvtest::RunCommand("cd '" + root().string() + "' && " + Tool("ocisql") + " " + connect + " <'"
                                              + in.string() + "' 2>'" + errFile.string() + "'",
                                          out);
        std::ifstream e(errFile);
        err->assign(std::istreambuf_iterator<char>(e), std::istreambuf_iterator<char>());
        return rc;
    }
};

} // namespace

TEST_F(OcisqlSessionTest, AScriptOfClientCommandsRunsAsTheClientWould)
{
    Write("scripts/main.sql", "PROMPT in main\n@@sub/inner\nREM back in main\n");
    Write("scripts/sub/inner.sql", "-- nested twice, relative to this file's folder\n@@leaf.sql\n");
    Write("scripts/sub/leaf.sql", "select count(*) n from dept;\n");
    const std::string script =
        "SET ECHO OFF\n"
        "SET FEEDBACK ON\n"
        "SET LINESIZE 120\n"
        "REM a remark\n"
        "-- a comment\n"
        "VARIABLE n NUMBER\n"
        "VAR s VARCHAR2(20)\n"
        "BEGIN\n"
        "  :n := 7900;\n"
        "  :s := 'a; b';\n"
        "END;\n"
        "/\n"
        "PRINT n\n"
        "PRINT s\n"
        "select ename from emp where empno = :n;\n"
        "EXEC :n := :n + 2\n"
        "PRINT\n"
        "DESC dept\n"
        "DESCRIBE scott.emp\n"
        "SHOW USER\n"
        "@scripts/main\n"
        "create or replace procedure raise_sal(p_empno in number, p_amount in out number) is\n"
        "begin\n"
        "  update emp set sal = sal + p_amount where empno = p_empno;\n"
        "end;\n"
        "/\n"
        "SHOW ERRORS\n"
        "desc raise_sal\n"
        "select ename from emp where deptno = 10 order by ename;\n"
        "select ename from emp where deptno = 99;\n";
    std::string out, err;
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(out,
              // the block: its ';' inside did not end it
              "PL/SQL procedure successfully completed.\n\n"
              // PRINT n and PRINT s
              "\n         N\n----------\n      7900\n\n"
              "\nS\n--------------------\na; b\n\n"
              // the query with a bind (query columns are as wide as their data, as before)
              "\nENAME\n-----\nJAMES\n\n1 row selected.\n\n"
              "PL/SQL procedure successfully completed.\n\n"
              // PRINT without names shows every variable
              "\n         N\n----------\n      7902\n\n"
              "\nS\n--------------------\na; b\n\n"
              " Name                                      Null?    Type\n"
              " ----------------------------------------- -------- ----------------------------\n"
              " DEPTNO                                    NOT NULL NUMBER(2)\n"
              " DNAME                                              VARCHAR2(14)\n"
              " LOC                                                VARCHAR2(13)\n"
              "\n"
              " Name                                      Null?    Type\n"
              " ----------------------------------------- -------- ----------------------------\n"
              " EMPNO                                     NOT NULL NUMBER(4)\n"
              " ENAME                                              VARCHAR2(10)\n"
              " JOB                                                VARCHAR2(9)\n"
              " MGR                                                NUMBER(4)\n"
              " HIREDATE                                           DATE\n"
              " SAL                                                NUMBER(7,2)\n"
              " COMM                                               NUMBER(7,2)\n"
              " DEPTNO                                             NUMBER(2)\n"
              "\n"
              "USER is \"SCOTT\"\n"
              "in main\n"
              "\nN\n-\n4\n\n1 row selected.\n\n"
              "Procedure created.\n\n"
              "No errors.\n"
              "PROCEDURE RAISE_SAL\n"
              " Argument Name                  Type                    In/Out Default?\n"
              " ------------------------------ ----------------------- ------ --------\n"
              " P_EMPNO                        NUMBER                  IN\n"
              " P_AMOUNT                       NUMBER                  IN/OUT\n"
              "\n"
              "\nENAME\n------\nCLARK\nKING\nMILLER\n\n3 rows selected.\n\n"
              "no rows selected\n\n");
}

TEST_F(OcisqlSessionTest, ExitAndWheneverSqlerrorDecideTheExitStatus)
{
    struct Case {
        const char* script;
        int status;
        const char* notPrinted; // text the session must not reach
    };
    const Case cases[] = {
        {"EXIT 3\nPROMPT after\n", 3, "after"},
        {"quit 5;\n", 5, nullptr},
        {"EXIT FAILURE\n", 1, nullptr},
        {"EXIT WARNING\n", 2, nullptr},
        // EXIT on its own is SUCCESS, even after an error
        {"select * from nosuch;\nEXIT\n", 0, nullptr},
        {"select * from nosuch;\nEXIT SUCCESS\n", 0, nullptr},
        // without EXIT the status tells whether anything failed
        {"select * from nosuch;\n", 1, nullptr},
        {"select 1 from dual;\n", 0, nullptr},
        {"WHENEVER SQLERROR EXIT FAILURE\nselect * from nosuch;\nPROMPT after\n", 1, "after"},
        {"WHENEVER SQLERROR EXIT 9\nbegin raise_application_error(-20001, 'no'); end;\n/\nPROMPT after\n", 9, "after"},
        // the operating system keeps the low eight bits of ORA-00942
        {"WHENEVER SQLERROR EXIT SQL.SQLCODE\nselect * from nosuch;\n", 942 % 256, nullptr},
        {"VARIABLE rc NUMBER\nEXEC :rc := 4\nEXIT :rc\n", 4, nullptr},
        {"WHENEVER SQLERROR EXIT 7\nWHENEVER SQLERROR CONTINUE\nselect * from nosuch;\nPROMPT after\nEXIT 0\n", 0,
         nullptr},
        // the client's own errors do not end the session
        {"WHENEVER SQLERROR EXIT 7\nSET NOSUCHOPTION ON\nPROMPT after\nEXIT 0\n", 0, nullptr},
        {"WHENEVER SQLERROR EXIT 7\nselect :undeclared from dual;\nEXIT 0\n", 0, nullptr},
        {"EXIT soon\nEXIT 6\n", 6, nullptr},
        {"EXIT :nosuch\nEXIT 6\n", 6, nullptr},
        {"VARIABLE t VARCHAR2(5)\nEXEC :t := 'x'\nEXIT :t\n", 1, nullptr},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(Ocisql("scott/tiger@DEMO", c.script, &out, &err), c.status) << c.script << err;
        if (c.notPrinted) {
            EXPECT_EQ(out.find(c.notPrinted), std::string::npos) << c.script << out;
        }
    }
}

TEST_F(OcisqlSessionTest, ExitCommitsUnlessToldToRollBack)
{
    struct Case {
        const char* script;
        const char* kept;
    };
    const Case cases[] = {
        {"insert into dept values (60, 'A', 'B');\nWHENEVER SQLERROR EXIT FAILURE ROLLBACK\nselect * from nosuch;\n", "0"},
        {"insert into dept values (60, 'A', 'B');\nWHENEVER SQLERROR EXIT FAILURE\nselect * from nosuch;\n", "1"},
        {"insert into dept values (60, 'A', 'B');\nEXIT ROLLBACK\n", "0"},
        {"insert into dept values (60, 'A', 'B');\nEXIT 0 COMMIT\n", "1"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        Ocisql("scott/tiger@DEMO", c.script, &out, &err);
        Ocisql("scott/tiger@DEMO", "SET FEEDBACK OFF\nSET HEADING OFF\nselect count(*) n from dept where deptno = 60;\n"
                                   "delete from dept where deptno = 60;\n",
               &out, &err);
        EXPECT_EQ(out, std::string("\n") + c.kept + "\n\n") << c.script << err;
    }
}

TEST_F(OcisqlSessionTest, ABlockEndsOnlyAtSlashOrDot)
{
    std::string out, err;
    // '.' ends the entry without running it; the '/' that follows runs it.
    const std::string script = "SET FEEDBACK OFF\nSET HEADING OFF\n"
                               "begin\n  insert into dept values (70, 'A', 'B');\n  null;\nend;\n.\n"
                               "select count(*) n from dept where deptno = 70;\n"
                               "begin\n  insert into dept values (70, 'A', 'B');\nend;\n.\n/\n"
                               "select count(*) n from dept where deptno = 70;\n"
                               "declare\n  n number;\nbegin\n  n := 1;\nend;\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(out, "\n0\n\n\n1\n\n");
}

TEST_F(OcisqlSessionTest, MistakesAreNamedAndNothingHangs)
{
    Write("loop.sql", "PROMPT again\n@@loop\n");
    struct Case {
        const char* script;
        const char* message;
    };
    const Case cases[] = {
        {"@nosuch\n", "SP2-0310: unable to open file \"nosuch.sql\"\n"},
        {"DESC nosuch\n", "ERROR:\nORA-04043: object nosuch does not exist\n\n"},
        // scott may not see the dictionary view, so for him it does not exist
        {"DESC v$parameter\n", "ERROR:\nORA-04043: object v$parameter does not exist\n\n"},
        {"select :nope from dual;\n", "SP2-0552: Bind variable \"NOPE\" not declared.\n"},
        {"PRINT nope\n", "SP2-0552: Bind variable \"NOPE\" not declared.\n"},
        {"VARIABLE 9x NUMBER\n", "SP2-0553: Illegal variable name \"9x\".\n"},
        {"SET FEEDBACK maybe\n", "SP2-0268: feedback option not a valid number\n"},
        {"SET ECHO maybe\n", "SP2-0265: echo must be set to ON or OFF\n"},
        {"SET NOSUCH ON\n", "SP2-0158: unknown SET option \"NOSUCH\"\n"},
        {"SHOW NOSUCH\n", "SP2-0158: unknown SHOW option \"NOSUCH\"\n"},
        {"@loop\n", "SP2-0309: ocisql command procedures may only be nested to a depth of 20.\n"},
    };
    for (const Case& c : cases) {
        std::string out, err;
        EXPECT_EQ(Ocisql("scott/tiger@DEMO", c.script, &out, &err), 1) << c.script;
        EXPECT_EQ(err, c.message) << c.script;
    }
}

TEST_F(OcisqlSessionTest, ShowParameterReadsVParameterOfTheServerVersion)
{
    std::string out, err;
    const std::string heading = "\nNAME                                 TYPE        VALUE\n"
                                "------------------------------------ ----------- ------------------------------\n";
    EXPECT_EQ(Ocisql("system/manager@DEMO", "SHOW PARAMETER job_queue\nALTER SYSTEM SET open_cursors = 300;\n"
                                            "SHOW PARAMETERS OPEN_CURSORS\nSHOW PARAMETER nothing_like_it\n",
                     &out, &err),
              0)
        << err;
    EXPECT_EQ(out, heading + "job_queue_processes                  integer     0\n"
                   "System altered.\n\n"
                   + heading + "open_cursors                         integer     300\n");
    // Version 7.3 still has the wake-up interval.
    EXPECT_EQ(Ocisql("system/manager@LEGACY", "SHOW PARAMETER job_queue\n", &out, &err), 0) << err;
    EXPECT_EQ(out, heading + "job_queue_interval                   integer     60\n"
                             "job_queue_processes                  integer     0\n");
    // A plain user may not read it.
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", "SHOW PARAMETER job_queue\n", &out, &err), 1);
    EXPECT_EQ(err, "ORA-00942: table or view does not exist\n");
}

// Needs the DBMS_OUTPUT buffer of the server (GET_LINE): until the server
// collects output, nothing is printed and this fails.
TEST_F(OcisqlSessionTest, ServerOutputIsPrintedAfterEachCall)
{
    std::string out, err;
    const std::string script = "SET SERVEROUTPUT ON SIZE 20000\n"
                               "begin\n  dbms_output.put_line('hello');\n  dbms_output.put_line('world');\nend;\n/\n"
                               "EXEC dbms_output.put_line('again')\n"
                               "SET SERVEROUTPUT OFF\n"
                               "EXEC dbms_output.put_line('not shown')\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(out, "hello\nworld\n\nPL/SQL procedure successfully completed.\n\n"
                   "again\n\nPL/SQL procedure successfully completed.\n\n"
                   "PL/SQL procedure successfully completed.\n\n");
}

TEST_F(OcisqlSessionTest, ATerminalGetsTheBannerAndPrompts)
{
    std::string out;
    if (qvtest::RunCommand("command -v script >/dev/null", &out) != 0)
        GTEST_SKIP() << "script(1) is needed for a terminal";
    const std::filesystem::path in = Write("typed.sql", "select 1 n\nfrom dual;\nbegin\nnull;\nend;\n/\nEXIT 3\n");
    // script(1) gives ocisql a terminal and passes its exit status on.
    const int rc = qvtest::RunCommand("script -qec \"" + Tool("ocisql") + " scott/tiger@DEMO </dev/tty\" /dev/null <'"
                                          + in.string() + "'",
                                      &out);
    EXPECT_EQ(rc, 3) << out;
    EXPECT_NE(out.find("Connected to:\r\nOracle Database 10g Enterprise Edition Release 10.2.0.1.0 - Production"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("SQL>   2  "), std::string::npos) << out;
    EXPECT_NE(out.find("SQL>   2    3    4  PL/SQL procedure successfully completed."), std::string::npos) << out;
    EXPECT_NE(out.find("Disconnected from Oracle Database 10g"), std::string::npos) << out;
}

TEST_F(OcisqlSessionTest, SetShapesTheOutput)
{
    Write("echoed.sql", "PROMPT shown\nselect 1 n from dual;\n");
    const std::string script =
        // FEEDBACK n reports queries from n rows on
        "SET FEEDBACK 5\n"
        "select deptno from dept where deptno < 30 order by deptno;\n"
        "select empno from emp where deptno = 30 order by empno;\n"
        // a page of PAGESIZE 5 holds two rows under the blank line and the headings
        "SET FEEDBACK OFF\nSET PAGESIZE 5\n"
        "select deptno from dept order by deptno;\n"
        "SET PAGESIZE 0\n"
        "select deptno from dept where deptno = 10;\n"
        "SET PAGESIZE 14\nSET HEADING OFF\n"
        "select deptno from dept where deptno = 20;\n"
        // ECHO shows the lines of scripts as they are read
        "SET HEADING ON\nSET ECHO ON\n@echoed\nSET ECHO OFF\n@echoed\n";
    std::string out, err;
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(out, "\nDEPTNO\n------\n    10\n    20\n\n"
                   "\nEMPNO\n-----\n 7499\n 7521\n 7654\n 7698\n 7844\n 7900\n\n6 rows selected.\n\n"
                   "\nDEPTNO\n------\n    10\n    20\n\n"
                   "\nDEPTNO\n------\n    30\n    40\n\n"
                   "    10\n"
                   "\n    20\n\n"
                   "PROMPT shown\nshown\nselect 1 n from dual;\n\nN\n-\n1\n\n"
                   "shown\n\nN\n-\n1\n\n");
    EXPECT_EQ(err, "");
}

TEST_F(OcisqlSessionTest, DescribeFollowsSynonymsAndListsPackageMembers)
{
    const std::string script = "SET FEEDBACK OFF\n"
                               "create or replace package pk is\n"
                               "  procedure b(x in number);\n"
                               "  function a(y varchar2, z in out date) return number;\n"
                               "  procedure c;\n"
                               "end;\n/\n"
                               "desc pk\n"
                               "create synonym d for dept;\n"
                               "desc d\n";
    std::string out, err;
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    const std::string arguments = " Argument Name                  Type                    In/Out Default?\n"
                                  " ------------------------------ ----------------------- ------ --------\n";
    EXPECT_EQ(out, "FUNCTION A RETURNS NUMBER\n" + arguments
                       + " Y                              VARCHAR2                IN\n"
                         " Z                              DATE                    IN/OUT\n\n"
                         "PROCEDURE B\n" + arguments
                       + " X                              NUMBER                  IN\n\n"
                         "PROCEDURE C\n\n"
                         " Name                                      Null?    Type\n"
                         " ----------------------------------------- -------- ----------------------------\n"
                         " DEPTNO                                    NOT NULL NUMBER(2)\n"
                         " DNAME                                              VARCHAR2(14)\n"
                         " LOC                                                VARCHAR2(13)\n\n");
}

// A unit that does not compile is created with a warning, not an error:
// WHENEVER SQLERROR does not fire, and SHOW ERRORS lists where it failed.
TEST_F(OcisqlSessionTest, AUnitWithCompilationErrorsIsAWarningThatShowErrorsExplains)
{
    std::string out, err;
    const std::string script = "WHENEVER SQLERROR EXIT FAILURE\n"
                               "CREATE OR REPLACE PROCEDURE BADP IS\nBEGIN\n  x := ;\nEND;\n/\n"
                               "SHOW ERRORS\n"
                               "CREATE OR REPLACE PROCEDURE BADP IS\nBEGIN\n  NULL;\nEND;\n/\n"
                               "SHOW ERRORS\n"
                               "EXIT 7\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 7) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(out.rfind("\nWarning: Procedure created with compilation errors.\n\n"
                        "Errors for PROCEDURE BADP:\n\nLINE/COL ERROR\n",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("\n3/8      PLS-00103: "), std::string::npos) << out;
    EXPECT_NE(out.find("Procedure created.\n\nNo errors.\n"), std::string::npos) << out;
}

// Errors found by name resolution are listed by SHOW ERRORS where they
// point: the statement ignored, then the missing table itself; running
// the unit is refused because it is invalid.
TEST_F(OcisqlSessionTest, ShowErrorsListsNameResolutionErrorsAndTheUnitCannotRun)
{
    std::string out, err;
    const std::string script = "CREATE OR REPLACE PROCEDURE COUNT_GONE IS\n  n NUMBER;\nBEGIN\n"
                               "  SELECT COUNT(*) INTO n FROM gone_table;\nEND;\n/\n"
                               "SHOW ERRORS\n"
                               "EXEC COUNT_GONE\n"
                               "EXIT\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_NE(out.find("Errors for PROCEDURE COUNT_GONE:\n\nLINE/COL ERROR\n"), std::string::npos) << out;
    const size_t ignored = out.find("\n4/3      PL/SQL: SQL Statement ignored\n");
    const size_t missing = out.find("\n4/31     PL/SQL: ORA-00942: table or view does not exist\n");
    EXPECT_NE(ignored, std::string::npos) << out;
    EXPECT_NE(missing, std::string::npos) << out;
    EXPECT_LT(ignored, missing) << out;
    EXPECT_NE((out + err).find("PLS-00905: object SCOTT.COUNT_GONE is invalid"), std::string::npos) << out << err;
}

// A block can read the session's output itself with GET_LINES; what it
// took is no longer there for ocisql to show.
TEST_F(OcisqlSessionTest, ABlockReadsItsOwnOutputWithGetLines)
{
    std::string out, err;
    const std::string script = "SET SERVEROUTPUT ON\n"
                               "DECLARE\n  lines DBMS_OUTPUT.CHARARR;\n  n INTEGER := 10;\nBEGIN\n"
                               "  DBMS_OUTPUT.PUT_LINE('first');\n  DBMS_OUTPUT.PUT_LINE('second');\n"
                               "  DBMS_OUTPUT.GET_LINES(lines, n);\n"
                               "  FOR i IN REVERSE 1 .. n LOOP\n    DBMS_OUTPUT.PUT_LINE(i || ': ' || lines(i));\n  END LOOP;\n"
                               "END;\n/\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(out, "2: second\n1: first\n\nPL/SQL procedure successfully completed.\n\n");
}

// A job runs in one session at a time: a job that asks to run itself while
// it runs is refused, and its own handler sees why.
TEST_F(OcisqlSessionTest, RunOfAJobThatIsRunningIsRefused)
{
    std::string out, err;
    const std::string script =
        "CREATE TABLE run_log (t VARCHAR2(200));\n"
        "VARIABLE j NUMBER\n"
        "BEGIN\n  DBMS_JOB.SUBMIT(:j, 'BEGIN DBMS_JOB.RUN(job); EXCEPTION WHEN OTHERS THEN"
        " INSERT INTO run_log VALUES (SQLERRM); END;', SYSDATE + 1, NULL);\n  COMMIT;\nEND;\n/\n"
        "EXEC DBMS_JOB.RUN(:j)\n"
        "SELECT t FROM run_log;\n"
        "EXIT\n";
    EXPECT_EQ(Ocisql("scott/tiger@DEMO", script, &out, &err), 0) << err;
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("\nORA-00054: resource busy and acquire with NOWAIT specified\n\n1 row selected.\n"),
              std::string::npos)
        << out;
}
