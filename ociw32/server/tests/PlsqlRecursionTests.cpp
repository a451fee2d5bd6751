// Recursion and nesting in PL/SQL: stored units calling themselves run
// hundreds of levels deep and end in STORAGE_ERROR only when the stack is
// spent; recursion through recursive SQL (a job running itself) stops at
// Oracle's 50 levels with ORA-00036; hostile nesting fails cleanly. The
// session goes on working after each failure.
#include "EngineFixture.h"

#include <pthread.h>

#include <functional>

namespace oraenginetest {
namespace {

class PlsqlRecursionTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        for (const char* sql : {
                 "CREATE TABLE R (N NUMBER)",
                 "CREATE OR REPLACE PROCEDURE DOWN(N NUMBER) IS\nBEGIN\n  IF N > 0 THEN\n    DOWN(N - 1);\n  ELSE\n"
                 "    INSERT INTO R VALUES (0);\n  END IF;\nEND;",
                 "CREATE OR REPLACE PROCEDURE FOREVER(N NUMBER) IS\nBEGIN\n  FOREVER(N + 1);\nEND;",
                 "CREATE OR REPLACE PROCEDURE PONG(N NUMBER);",
                 "CREATE OR REPLACE PROCEDURE PING(N NUMBER) IS\nBEGIN\n  IF N > 0 THEN PONG(N - 1); END IF;\nEND;",
                 "CREATE OR REPLACE PROCEDURE PONG(N NUMBER) IS\nBEGIN\n  IF N > 0 THEN PING(N - 1); ELSE INSERT INTO R "
                 "VALUES (N); END IF;\nEND;",
                 "CREATE OR REPLACE FUNCTION SUMTO(N NUMBER) RETURN NUMBER IS\n  v NUMBER;\nBEGIN\n  IF N <= 0 THEN RETURN 0; "
                 "END IF;\n  v := SUMTO(N - 1);\n  RETURN N + v;\nEND;",
             }) {
            const std::string r = Run(sql);
            // PING names PONG before PONG exists: created with errors, compiled again when PONG calls it.
            const bool pingFirst = std::string(sql).find("PROCEDURE PING") != std::string::npos &&
                                   r == "ORA-24344: success with compilation error";
            if (r.rfind("ORA-", 0) == 0 && std::string(sql).find("PONG(N NUMBER);") == std::string::npos && !pingFirst)
                ADD_FAILURE() << sql << "\n" << r;
        }
    }
    std::string FirstLine(const std::string& s) { return s.substr(0, s.find('\n')); }
    std::string Repeat(int n, const std::string& s)
    {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    }
};

TEST_F(PlsqlRecursionTest, StoredUnitsRecurseHundredsOfLevels)
{
    EXPECT_EQ(Run("BEGIN DOWN(300); END;"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM R"), "1");
    EXPECT_EQ(Run("BEGIN PING(401); END;"), "ok");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM R"), "2");
    EXPECT_EQ(Run("DECLARE x NUMBER; BEGIN x := SUMTO(300); raise_application_error(-20001, TO_CHAR(x)); END;"),
              "ORA-20001: 45150\nORA-06512: at line 1");
}

TEST_F(PlsqlRecursionTest, EndlessRecursionEndsInStorageError)
{
    const std::string r = Run("BEGIN\n  FOREVER(1);\nEND;");
    EXPECT_EQ(FirstLine(r), "ORA-06500: PL/SQL: storage error");
    EXPECT_NE(r.find("\nORA-06512: at \"SYSTEM.FOREVER\", line 3\n"), std::string::npos) << r.substr(0, 300);
    EXPECT_LT(r.size(), 2200u);
    EXPECT_EQ(r.substr(r.rfind('\n') + 1), "ORA-06512: at line 2");
    // Handled like any other exception, and the session goes on.
    EXPECT_EQ(Run("BEGIN FOREVER(1); EXCEPTION WHEN STORAGE_ERROR THEN INSERT INTO R VALUES (-1); END;"), "ok");
    EXPECT_EQ(Run("SELECT N FROM R"), "-1");
    EXPECT_EQ(Run("BEGIN DOWN(50); END;"), "ok");
}

// A job that runs itself does not recurse: its own run holds the job, so
// the inner RUN is refused and the run fails as a job fails.
TEST_F(PlsqlRecursionTest, JobRunningItselfIsRefusedInsteadOfRecursing)
{
    ASSERT_EQ(Run("BEGIN DBMS_JOB.ISUBMIT(77, 'DBMS_JOB.RUN(77);', SYSDATE, 'null'); COMMIT; END;"), "ok");
    const std::string r = Run("BEGIN\n  DBMS_JOB.RUN(77);\nEND;");
    EXPECT_EQ(FirstLine(r), "ORA-12011: execution of 1 jobs failed");
    EXPECT_NE(r.find("\nORA-06512: at \"SYS.DBMS_JOB\", line 272\n"), std::string::npos) << r.substr(0, 300);
    EXPECT_EQ(Run("SELECT FAILURES FROM DBA_JOBS WHERE JOB = 77"), "1");
    EXPECT_EQ(r.substr(r.rfind('\n') + 1), "ORA-06512: at line 2");
    // Nothing is left marked as running, and the session goes on.
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DUAL"), "1");
}

TEST_F(PlsqlRecursionTest, DeepNestingFailsCleanly)
{
    // Nested blocks and expressions within reason run.
    EXPECT_EQ(Run(Repeat(150, "BEGIN ") + "INSERT INTO R VALUES (150);" + Repeat(150, " END;")), "ok");
    EXPECT_EQ(Run("DECLARE x NUMBER; BEGIN x := " + Repeat(255, "ABS(") + "-7" + Repeat(255, ")") +
                  "; INSERT INTO R VALUES (x); END;"),
              "ok");
    EXPECT_EQ(Run("SELECT N FROM R ORDER BY N"), "7\n150");
    // Beyond: Oracle's errors, not a crash.
    EXPECT_EQ(FirstLine(Run(Repeat(100000, "BEGIN ") + "NULL;" + Repeat(100000, " END;"))).substr(0, 10), "ORA-06550:");
    const std::string expr = Run("DECLARE x NUMBER; BEGIN x := " + Repeat(100000, "(") + "1" + Repeat(100000, ")") + "; END;");
    EXPECT_EQ(expr.substr(0, 4), "ORA-") << expr.substr(0, 200);
    EXPECT_EQ(expr.find("ORA-00600"), std::string::npos) << expr.substr(0, 200);
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DUAL"), "1");
}

// Runs `body` on a thread with a stack of `bytes`.
void OnSmallStack(size_t bytes, std::function<void()> body)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, bytes);
    pthread_t thread;
    auto entry = [](void* p) -> void* {
        (*static_cast<std::function<void()>*>(p))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, entry, &body), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// The bounds follow the stack of the thread that runs the statement, so a
// worker with a small stack gets the same clean errors, only sooner.
TEST_F(PlsqlRecursionTest, SmallThreadStacksEndInOracleErrors)
{
    std::string endless, deepSql, fine;
    OnSmallStack(2 * 1024 * 1024, [&] {
        endless = Run("BEGIN FOREVER(1); END;");
        deepSql = Run("SELECT " + Repeat(900, "(") + "1" + Repeat(900, ")") + " FROM DUAL");
        fine = Run("BEGIN DOWN(20); END;");
    });
    EXPECT_EQ(FirstLine(endless), "ORA-06500: PL/SQL: storage error");
    EXPECT_TRUE(deepSql == "1" || deepSql == "ORA-03095: expression level is too deep, maximum 1000") << deepSql;
    EXPECT_EQ(fine, "ok");
}

} // namespace
} // namespace oraenginetest
