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

} // namespace
} // namespace oraenginetest
