// A stored unit that does not compile is still created, INVALID, with its
// error in USER_ERRORS, and the statement says so with ORA-24344; a good
// replacement makes it VALID and clears the errors.

#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class StoredUnitErrorTest : public DemoEngineTest {};

TEST_F(StoredUnitErrorTest, ABadUnitIsKeptInvalidWithItsErrorAndAGoodOneClearsIt)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE BADP IS\nBEGIN\n  x := ;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'BADP'"), "INVALID");
    const std::string errors = Run(scott, "SELECT LINE, POSITION, SUBSTR(TEXT, 1, 10) FROM USER_ERRORS"
                                          " WHERE NAME = 'BADP' AND TYPE = 'PROCEDURE'");
    EXPECT_EQ(errors, "3|8|PLS-00103:");
    // Calling it fails.
    EXPECT_EQ(Run(scott, "BEGIN BADP; END;").substr(0, 4), "ORA-");

    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE BADP IS\nBEGIN\n  NULL;\nEND;"), "ok");
    EXPECT_EQ(Run(scott, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'BADP'"), "VALID");
    EXPECT_EQ(Run(scott, "SELECT COUNT(*) FROM USER_ERRORS WHERE NAME = 'BADP'"), "0");
    EXPECT_EQ(Run(scott, "BEGIN BADP; END;"), "ok");
    // Another user's errors stay his own.
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE FUNCTION BADF RETURN NUMBER IS BEGIN IF 1 = 1 THEN RETURN 1; END;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM USER_ERRORS"), "0");
    EXPECT_EQ(Run(scott, "SELECT OWNER || '.' || NAME || ' ' || TYPE FROM ALL_ERRORS"), "SCOTT.BADF FUNCTION");
    // What this server cannot run yet is no error of the unit's.
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE WITHTYPE IS\n  TYPE num_tab IS TABLE OF NUMBER;\nEND;"), "ok");
    EXPECT_EQ(Run(scott, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'WITHTYPE'"), "VALID");
}

// Names are resolved when the unit is created: each error is listed where
// it points (the undeclared name, the missing table), after the statement
// Oracle ignores for it, and the unit is INVALID.
TEST_F(StoredUnitErrorTest, NameResolutionErrorsAreFoundAtCreateWithTheirPositions)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    struct Case {
        const char* name;
        const char* create;
        const char* errors; // LINE/POSITION TEXT, one per row in sequence
    } cases[] = {
        {"C1", "CREATE OR REPLACE PROCEDURE C1 IS\nBEGIN\n  NULL;\n  total := 1;\nEND;",
         "4/3 PL/SQL: Statement ignored;4/3 PLS-00201: identifier 'TOTAL' must be declared"},
        {"C2", "CREATE OR REPLACE PROCEDURE C2 IS\n  n NUMBER;\nBEGIN\n  SELECT COUNT(*) INTO n FROM no_such_table;\nEND;",
         "4/3 PL/SQL: SQL Statement ignored;4/31 PL/SQL: ORA-00942: table or view does not exist"},
        {"C3", "CREATE OR REPLACE FUNCTION C3 RETURN NUMBER IS\nBEGIN\n  RAISE_SALARY(7369, 5, 6);\n  RETURN 1;\nEND;",
         "3/3 PL/SQL: Statement ignored;3/3 PLS-00306: wrong number or types of arguments in call to 'RAISE_SALARY'"},
        {"C4", "CREATE OR REPLACE PROCEDURE C4 (p IN NUMBER) IS\nBEGIN\n  IF p > 0 THEN\n    no_such_proc(p);\n  END IF;\nEND;",
         "4/5 PL/SQL: Statement ignored;4/5 PLS-00201: identifier 'NO_SUCH_PROC' must be declared"},
        {"C5", "CREATE OR REPLACE PROCEDURE C5 (p IN NUMBER) IS\nBEGIN\n  p := 2;\nEND;",
         "3/3 PL/SQL: Statement ignored;3/3 PLS-00363: expression 'P' cannot be used as an assignment target"},
        {"C6", "CREATE OR REPLACE PROCEDURE C6 IS\nBEGIN\n  INSERT INTO gone_too VALUES (1);\nEND;",
         "3/3 PL/SQL: SQL Statement ignored;3/15 PL/SQL: ORA-00942: table or view does not exist"},
        {"C7", "CREATE OR REPLACE PROCEDURE C7 IS\nBEGIN\n  UPDATE gone_as_well SET x = 1;\nEND;",
         "3/3 PL/SQL: SQL Statement ignored;3/10 PL/SQL: ORA-00942: table or view does not exist"},
        // Checking goes on after a statement in error: every error is listed, in order.
        {"C8", "CREATE OR REPLACE PROCEDURE C8 IS\nBEGIN\n  a := 1;\n  NULL;\n  IF b THEN\n    NULL;\n  END IF;\n"
               "  DELETE FROM c_gone;\nEND;",
         "3/3 PL/SQL: Statement ignored;3/3 PLS-00201: identifier 'A' must be declared;"
         "5/3 PL/SQL: Statement ignored;5/6 PLS-00201: identifier 'B' must be declared;"
         "8/3 PL/SQL: SQL Statement ignored;8/15 PL/SQL: ORA-00942: table or view does not exist"},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        EXPECT_EQ(Run(scott, c.create), "ORA-24344: success with compilation error") << c.create;
        EXPECT_EQ(Run(scott, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = '" + name + "'"),
                  "INVALID")
            << c.create;
        std::string rows = Run(scott, "SELECT LINE || '/' || POSITION || ' ' || TEXT FROM USER_ERRORS WHERE NAME = '" +
                                          name + "' ORDER BY SEQUENCE");
        for (char& ch : rows)
            if (ch == '\n')
                ch = ';';
        EXPECT_EQ(rows, c.errors) << c.create;
    }
    // A package body's errors are found in its members and its initialisation.
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE K1 IS\n  PROCEDURE P;\nEND;"), "ok");
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE BODY K1 IS\n  PROCEDURE P IS\n  BEGIN\n    DELETE FROM gone;\n  END;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "SELECT LINE || '/' || POSITION || ' ' || TEXT FROM USER_ERRORS WHERE NAME = 'K1'"
                         " AND TYPE = 'PACKAGE BODY' ORDER BY SEQUENCE"),
              "4/5 PL/SQL: SQL Statement ignored\n4/17 PL/SQL: ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(scott, "SELECT OBJECT_TYPE || ' ' || STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'K1' ORDER BY 1"),
              "PACKAGE BODY INVALID\nPACKAGE VALID");
}

// Calling a unit that did not compile: from PL/SQL the caller does not
// compile (PLS-00905); from SQL ORA-06575; a package whose body has
// errors compiles against its header and fails when it runs (ORA-04063).
TEST_F(StoredUnitErrorTest, AnInvalidUnitCannotBeCalled)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE BROKENP IS\nBEGIN\n  missing := 1;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "BEGIN BROKENP; END;"),
              "ORA-06550: line 1, column 7:\nPLS-00905: object SCOTT.BROKENP is invalid\n"
              "ORA-06550: line 1, column 7:\nPL/SQL: Statement ignored");
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE FUNCTION BROKENF RETURN NUMBER IS\nBEGIN\n  RETURN nothing;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "SELECT BROKENF() FROM DUAL"), "ORA-06575: Package or function BROKENF is in an invalid state");
    // A unit that calls an invalid one does not compile either.
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE CALLER IS\nBEGIN\n  BROKENP;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "SELECT TEXT FROM USER_ERRORS WHERE NAME = 'CALLER' ORDER BY SEQUENCE"),
              "PL/SQL: Statement ignored\nPLS-00905: object SCOTT.BROKENP is invalid");

    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE BROKENK IS\n  PROCEDURE P;\nEND;"), "ok");
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE BODY BROKENK IS\n  PROCEDURE P IS BEGIN undefined_call; END;\nEND;"),
              "ORA-24344: success with compilation error");
    EXPECT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE USESK IS\nBEGIN\n  BROKENK.P;\nEND;"), "ok");
    const std::string failed = Run(scott, "BEGIN USESK; END;");
    EXPECT_EQ(failed.substr(0, failed.find('\n')), "ORA-04063: package body \"SCOTT.BROKENK\" has errors") << failed;
    EXPECT_NE(failed.find("ORA-06508: PL/SQL: could not find program unit being called"), std::string::npos) << failed;
    // Repaired, it runs.
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PACKAGE BODY BROKENK IS\n  PROCEDURE P IS BEGIN NULL; END;\nEND;"), "ok");
    EXPECT_EQ(Run(scott, "BEGIN USESK; END;"), "ok");

    // A unit that named what did not exist yet compiles again when it is
    // next referenced, and is VALID from then on.
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE EARLY IS\nBEGIN\n  NOT_YET(1);\nEND;"),
              "ORA-24344: success with compilation error");
    ASSERT_EQ(Run(scott, "CREATE OR REPLACE PROCEDURE NOT_YET (n IN NUMBER) IS\nBEGIN\n  NULL;\nEND;"), "ok");
    EXPECT_EQ(Run(scott, "BEGIN EARLY; END;"), "ok");
    EXPECT_EQ(Run(scott, "SELECT STATUS FROM USER_OBJECTS WHERE OBJECT_NAME = 'EARLY'"), "VALID");
    EXPECT_EQ(Run(scott, "SELECT COUNT(*) FROM USER_ERRORS WHERE NAME = 'EARLY'"), "0");
}

// What is resolved only when it runs stays out of the checks: forward and
// unqualified calls between package members, package state, cursors,
// %ROWTYPE, recursion, a package whose body comes later, dynamic SQL text.
TEST_F(StoredUnitErrorTest, ValidUnitsStayValid)
{
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    // The demo's own units, every schema's, compile.
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_OBJECTS WHERE STATUS = 'INVALID'"), "0");
    const char* units[] = {
        "CREATE OR REPLACE PACKAGE LATER IS\n  FUNCTION TWICE (n IN NUMBER) RETURN NUMBER;\n  calls NUMBER := 0;\nEND;",
        "CREATE OR REPLACE PROCEDURE USES_LATER (n IN OUT NUMBER) IS\nBEGIN\n  n := LATER.TWICE(n);\n"
        "  LATER.calls := LATER.calls + 1;\nEND;",
        "CREATE OR REPLACE PACKAGE BODY LATER IS\n  hidden NUMBER := 1;\n"
        "  FUNCTION TWICE (n IN NUMBER) RETURN NUMBER IS\n  BEGIN\n    RETURN helper(n) * 2;\n  END;\n"
        "  FUNCTION helper (n IN NUMBER) RETURN NUMBER IS\n  BEGIN\n    note(n);\n    RETURN n + hidden - 1;\n  END;\n"
        "  PROCEDURE note (n IN NUMBER) IS\n  BEGIN\n    calls := calls + 1;\n  END;\nEND;",
        "CREATE OR REPLACE FUNCTION FACT (n IN NUMBER) RETURN NUMBER IS\nBEGIN\n"
        "  IF n <= 1 THEN RETURN 1; END IF;\n  RETURN n * FACT(n - 1);\nEND;",
        "CREATE OR REPLACE PROCEDURE WALK IS\n  CURSOR c (d NUMBER) IS SELECT ENAME, SAL FROM EMP WHERE DEPTNO = d;\n"
        "  r EMP%ROWTYPE;\n  total NUMBER := 0;\nBEGIN\n  FOR e IN c(10) LOOP\n    total := total + e.SAL;\n  END LOOP;\n"
        "  SELECT * INTO r FROM EMP WHERE EMPNO = 7839;\n"
        "  EXECUTE IMMEDIATE 'DELETE FROM not_created_yet';\nEXCEPTION\n  WHEN OTHERS THEN NULL;\nEND;",
    };
    for (const char* sql : units)
        EXPECT_EQ(Run(scott, sql), "ok") << sql;
    EXPECT_EQ(Run(scott, "SELECT COUNT(*) FROM USER_OBJECTS WHERE STATUS = 'INVALID'"), "0");
    EXPECT_EQ(Run(scott, "SELECT COUNT(*) FROM USER_ERRORS"), "0");
    // And they run: the members found each other unqualified.
    ASSERT_EQ(Run(scott, "CREATE TABLE RESULTS (V NUMBER)"), "ok");
    EXPECT_EQ(Run(scott, "DECLARE n NUMBER := 4; BEGIN USES_LATER(n); INSERT INTO RESULTS VALUES (n); END;"), "ok");
    EXPECT_EQ(Run(scott, "SELECT V || ' ' || FACT(5) FROM RESULTS"), "8 120");
    EXPECT_EQ(Run(scott, "BEGIN WALK; END;"), "ok");
}

} // namespace
} // namespace oraenginetest
