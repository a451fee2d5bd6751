// Package state: a package's variables keep their values for the session,
// each session has its own, and the body's initialisation runs once.
#include "PlsqlFixture.h"

namespace oraenginetest {
namespace {

class PackageStateTest : public PlsqlEngineTest {
protected:
    void SetUp() override
    {
        PlsqlEngineTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE INIT_LOG (N NUMBER)",
                 "CREATE OR REPLACE PACKAGE COUNTER IS\n  hits NUMBER := 0;\n  label VARCHAR2(10) := 'start';\n"
                 "  FUNCTION NEXT_HIT RETURN NUMBER;\n  PROCEDURE RESET;\nEND COUNTER;",
                 "CREATE OR REPLACE PACKAGE BODY COUNTER IS\n  secret NUMBER := 100;\n"
                 "  FUNCTION NEXT_HIT RETURN NUMBER IS BEGIN hits := hits + 1; secret := secret + 1; RETURN hits; END;\n"
                 "  PROCEDURE RESET IS BEGIN hits := 0; END;\n"
                 "BEGIN\n  INSERT INTO INIT_LOG VALUES (1);\n  label := 'ready';\nEND COUNTER;",
                 "CREATE OR REPLACE PACKAGE BADINIT IS\n  x NUMBER;\nEND;",
                 "CREATE OR REPLACE PACKAGE BODY BADINIT IS\nBEGIN\n  x := 1 / 0;\nEND;",
             })
            ASSERT_EQ(Run(Scott(), sql), "ok") << sql;
    }
    std::string R(VkOracle::OraSession& s, const std::string& block)
    {
        std::string out;
        const std::string r = Block(s, block, {"R"}, &out);
        return r == "ok" ? out.substr(2) : r;
    }
    std::string R(const std::string& block) { return R(Scott(), block); }
};

TEST_F(PackageStateTest, VariablesKeepTheirValuesForTheSession)
{
    EXPECT_EQ(R("BEGIN :R := COUNTER.NEXT_HIT; END;"), "1");
    EXPECT_EQ(R("BEGIN :R := COUNTER.NEXT_HIT + COUNTER.NEXT_HIT; END;"), "5");
    EXPECT_EQ(R("BEGIN :R := COUNTER.hits || ' ' || counter.label; END;"), "3 ready");
    ASSERT_EQ(Run(Scott(), "COMMIT"), "ok"); // the initialisation's insert
    // Another session starts from the declarations.
    VkOracle::OraSession& other = Logon("SCOTT", "TIGER");
    EXPECT_EQ(R(other, "BEGIN :R := COUNTER.hits; END;"), "0");
    EXPECT_EQ(R(other, "BEGIN :R := COUNTER.NEXT_HIT; END;"), "1");
    // Written from outside, read inside and out; SQL sees the value too.
    EXPECT_EQ(R("BEGIN COUNTER.hits := 41; :R := COUNTER.NEXT_HIT; END;"), "42");
    EXPECT_EQ(R("DECLARE n NUMBER; BEGIN SELECT COUNT(*) INTO n FROM EMP WHERE EMPNO > COUNTER.hits; :R := n; END;"),
              "14");
    EXPECT_EQ(R("BEGIN COUNTER.RESET; :R := COUNTER.hits; END;"), "0");
}

TEST_F(PackageStateTest, InitialisationRunsOncePerSession)
{
    VkOracle::OraSession& other = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM INIT_LOG"), "0");
    EXPECT_EQ(R("BEGIN :R := COUNTER.label; END;"), "ready");
    EXPECT_EQ(R("BEGIN :R := COUNTER.NEXT_HIT; END;"), "1");
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM INIT_LOG"), "1");
    ASSERT_EQ(Run(Scott(), "COMMIT"), "ok");
    EXPECT_EQ(R(other, "BEGIN :R := COUNTER.label; END;"), "ready");
    ASSERT_EQ(Run(other, "COMMIT"), "ok");
    EXPECT_EQ(Run(Scott(), "SELECT COUNT(*) FROM INIT_LOG"), "2");
}

TEST_F(PackageStateTest, BodyVariablesArePrivateAndAFailedInitialisationIsRetried)
{
    const std::string privateRead = R("BEGIN :R := COUNTER.secret; END;");
    EXPECT_EQ(privateRead.substr(0, 10), "ORA-06550:") << privateRead;
    EXPECT_NE(privateRead.find("SECRET"), std::string::npos) << privateRead;
    const std::string failed = R("BEGIN :R := BADINIT.x; END;");
    EXPECT_EQ(failed, "ORA-01476: divisor is equal to zero\nORA-06512: at \"SCOTT.BADINIT\", line 3\nORA-06512: at line 1");
    EXPECT_EQ(R("BEGIN :R := BADINIT.x; END;"), failed);
    // Once what made it fail is gone, the next use initialises the package.
    for (const char* sql : {"CREATE TABLE DIVISOR (N NUMBER)", "INSERT INTO DIVISOR VALUES (0)",
                            "CREATE OR REPLACE PACKAGE FLAKY IS\n  x NUMBER;\n  y NUMBER;\n  z NUMBER;\nEND;",
                            "CREATE OR REPLACE PACKAGE BODY FLAKY IS\nBEGIN\n  x := 1;\n  y := x + 1;\n"
                            "  SELECT 10 / N INTO z FROM DIVISOR;\nEND;"})
        ASSERT_EQ(Run(Scott(), sql).substr(0, 2), std::string(sql).rfind("INSERT", 0) == 0 ? "ro" : "ok") << sql;
    EXPECT_EQ(FirstLine(R("BEGIN :R := FLAKY.y; END;")), "ORA-01476: divisor is equal to zero");
    ASSERT_EQ(Run(Scott(), "UPDATE DIVISOR SET N = 2"), "rows=1");
    EXPECT_EQ(R("BEGIN :R := FLAKY.y || ' ' || FLAKY.z; END;"), "2 5");
    // A package header with declarations the interpreter does not run keeps its subprograms callable.
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE PACKAGE WITHTYPE IS\n  TYPE num_tab IS TABLE OF NUMBER;\n"
                           "  FUNCTION F RETURN NUMBER;\nEND;"),
              "ok");
    ASSERT_EQ(Run(Scott(), "CREATE OR REPLACE PACKAGE BODY WITHTYPE IS\n  FUNCTION F RETURN NUMBER IS BEGIN RETURN 7; END;\nEND;"),
              "ok");
    EXPECT_EQ(R("BEGIN :R := WITHTYPE.F; END;"), "7");
}

} // namespace
} // namespace oraenginetest
