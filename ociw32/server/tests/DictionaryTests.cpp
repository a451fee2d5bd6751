// The data dictionary: every view answers as SYSTEM on both server
// versions, with the columns of that version, and the job views show the
// demo jobs as their owners and administrators see them.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

const char* const kViews[] = {
    "ALL_USERS", "DBA_USERS", "USER_USERS", "ALL_OBJECTS", "USER_OBJECTS", "DBA_OBJECTS", "ALL_TABLES",
    "USER_TABLES", "DBA_TABLES", "ALL_VIEWS", "ALL_TAB_COLUMNS", "USER_TAB_COLUMNS", "DBA_TAB_COLUMNS",
    "ALL_CONSTRAINTS", "USER_CONSTRAINTS", "DBA_CONSTRAINTS", "ALL_CONS_COLUMNS", "ALL_TRIGGERS", "USER_TRIGGERS",
    "ALL_TRIGGER_COLS", "ALL_INDEXES", "USER_INDEXES", "DBA_INDEXES", "ALL_IND_COLUMNS", "ALL_SEQUENCES",
    "ALL_SYNONYMS", "ALL_ARGUMENTS", "ALL_SOURCE", "ALL_SNAPSHOTS", "ALL_DB_LINKS", "USER_DB_LINKS", "DBA_ROLES",
    "DBA_ROLE_PRIVS", "USER_ROLE_PRIVS", "DBA_SYS_PRIVS", "USER_SYS_PRIVS", "DBA_TAB_PRIVS", "ALL_TAB_PRIVS",
    "SESSION_PRIVS", "SESSION_ROLES", "PRODUCT_COMPONENT_VERSION", "V$VERSION", "DBA_JOBS", "USER_JOBS", "ALL_JOBS",
    "DBA_JOBS_RUNNING", "V$SESSION", "DUAL",
    "V$PARAMETER", "USER_ERRORS", "ALL_ERRORS",
};
const char* const kLaterViews[] = {"ALL_OBJECT_TABLES", "ALL_COLL_TYPES", "ALL_LIBRARIES"};

class DictionaryTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Version() const override { return GetParam(); }
    bool Legacy() const { return std::string(GetParam())[0] == '7'; }
};

TEST_P(DictionaryTest, EveryViewAnswers)
{
    for (const char* view : kViews) {
        const std::string result = Run(std::string("SELECT * FROM ") + view + " WHERE ROWNUM < 3");
        EXPECT_EQ(result.find("ORA-"), std::string::npos) << view << ": " << result;
        const std::string described = Describe(System(), std::string("SELECT * FROM ") + view);
        EXPECT_EQ(described.find("ORA-"), std::string::npos) << view << ": " << described;
    }
    for (const char* view : kLaterViews) {
        const std::string result = Run(std::string("SELECT * FROM ") + view);
        if (Legacy())
            EXPECT_EQ(result, "ORA-00942: table or view does not exist") << view;
        else
            EXPECT_EQ(result, "") << view;
    }
}

// Every view the catalogue lists for SYS answers, by its own name, with a
// grouped ROWNUM query (one source) and in a join, and a user view reads it.
TEST_P(DictionaryTest, EveryCatalogueViewAnswersByName)
{
    const std::string names = Run("SELECT OBJECT_NAME FROM DBA_OBJECTS WHERE OWNER = 'SYS' AND OBJECT_TYPE = 'VIEW'"
                                  " ORDER BY 1");
    ASSERT_EQ(names.find("ORA-"), std::string::npos) << names;
    size_t count = 0;
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find('\n', start);
        if (end == std::string::npos)
            end = names.size();
        const std::string view = "SYS." + names.substr(start, end - start);
        start = end + 1;
        ++count;
        const std::string all = Run("SELECT COUNT(*) FROM " + view);
        ASSERT_EQ(all.find_first_not_of("0123456789"), std::string::npos) << view << ": " << all;
        const std::string few = Run("SELECT COUNT(*) FROM " + view + " WHERE ROWNUM <= 2 GROUP BY 1");
        EXPECT_EQ(few, all == "0" ? "" : all == "1" ? "1" : "2") << view;
        EXPECT_EQ(Run("SELECT COUNT(*) FROM " + view + " A, DUAL D WHERE D.DUMMY = 'X'"), all) << view;
        // A view kept in the database cannot read the instance file's
        // sessions: it is refused whole, and nothing of it is left.
        if (view == "SYS.V_$SESSION" || view == "SYS.DBA_JOBS_RUNNING") {
            EXPECT_EQ(Run("CREATE VIEW SYSTEM.OVER_VIEW AS SELECT * FROM " + view).substr(0, 10), "ORA-03001:") << view;
            EXPECT_EQ(Run("SELECT COUNT(*) FROM ALL_OBJECTS WHERE OBJECT_NAME = 'OVER_VIEW'"), "0") << view;
            EXPECT_EQ(Run("SELECT COUNT(*) FROM ALL_TAB_COLUMNS WHERE TABLE_NAME = 'OVER_VIEW'"), "0") << view;
            continue;
        }
        EXPECT_EQ(Run("CREATE VIEW SYSTEM.OVER_VIEW AS SELECT * FROM " + view), "ok") << view;
        EXPECT_EQ(Run("SELECT COUNT(*) FROM SYSTEM.OVER_VIEW"), Run("SELECT COUNT(*) FROM " + view)) << view;
        EXPECT_EQ(Run("DROP VIEW SYSTEM.OVER_VIEW"), "ok") << view;
    }
    EXPECT_GE(count, std::size(kViews) - 1 /* DUAL */ - 4 /* V$ synonyms */) << names;
}

TEST_P(DictionaryTest, ColumnsFollowTheVersion)
{
    struct Probe {
        const char* view;
        const char* column;
        bool later; // added after version 7
    };
    const Probe probes[] = {
        {"ALL_TABLES", "PARTITIONED", true}, {"ALL_TABLES", "IOT_TYPE", true}, {"ALL_TABLES", "NESTED", true},
        {"ALL_TAB_COLUMNS", "DATA_TYPE_MOD", true}, {"ALL_TAB_COLUMNS", "DATA_TYPE_OWNER", true},
        {"ALL_INDEXES", "INDEX_TYPE", true}, {"ALL_INDEXES", "PARTITIONED", true}, {"ALL_OBJECTS", "SUBOBJECT_NAME", true},
        {"DBA_JOBS", "INSTANCE", true}, {"DBA_JOBS_RUNNING", "INSTANCE", true}, {"ALL_TABLES", "TABLE_NAME", false},
        {"DBA_JOBS", "WHAT", false}, {"ALL_ARGUMENTS", "OVERLOAD", false}, {"V$SESSION", "SERIAL#", false},
    };
    for (const Probe& p : probes) {
        const std::string result = Run(std::string("SELECT ") + p.column + " FROM " + p.view + " WHERE 1 = 0");
        const bool present = result.empty();
        EXPECT_EQ(present, !(p.later && Legacy())) << p.view << "." << p.column << ": " << result;
    }
    EXPECT_EQ(Run("SELECT DATA_LENGTH FROM ALL_TAB_COLUMNS WHERE TABLE_NAME = 'DBA_JOBS' AND COLUMN_NAME = 'WHAT'"),
              Legacy() ? "2000" : "4000");
    EXPECT_EQ(Describe(System(), "SELECT JOB, NEXT_DATE, BROKEN, INTERVAL FROM DBA_JOBS"),
              "JOB 2 22 0 0 N;NEXT_DATE 12 7 0 0 N;BROKEN 1 1 0 0 Y;INTERVAL 1 200 0 0 N");
}

TEST_P(DictionaryTest, DemoJobsInTheJobViews)
{
    ASSERT_TRUE(Server().LoadDemoContent(m_db).Ok());
    ASSERT_TRUE(Server().LoadDemoContent(m_db).Ok()); // a second load changes nothing
    EXPECT_EQ(Run("SELECT COUNT(*), SUM(DECODE(BROKEN, 'Y', 1, 0)), COUNT(LAST_DATE) FROM DBA_JOBS"), "12|2|11");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE NEXT_DATE <= SYSDATE AND BROKEN = 'N'"), "3");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS WHERE FAILURES > 0"), "4");
    EXPECT_EQ(Run("SELECT TO_CHAR(NEXT_DATE, 'DD-MON-YYYY'), FAILURES FROM DBA_JOBS WHERE FAILURES = 16"), "01-JAN-4000|16");
    EXPECT_EQ(Run("SELECT PRIV_USER, COUNT(*) FROM DBA_JOBS GROUP BY PRIV_USER ORDER BY 1"), "APPUSER|2\nSCOTT|9\nSYSTEM|1");
    EXPECT_EQ(Run("SELECT NEXT_SEC FROM DBA_JOBS WHERE JOB = 1"), "10:20:00");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM USER_JOBS"), "1");
    EXPECT_EQ(Run("SELECT MAX(JOB) FROM DBA_JOBS"), "12");
    VkOracle::OraSession& sys = Logon("SYS", "CHANGE_ON_INSTALL");
    EXPECT_EQ(Run(sys, "SELECT LAST_NUMBER FROM ALL_SEQUENCES WHERE SEQUENCE_OWNER = 'SYS' AND SEQUENCE_NAME = 'JOBSEQ'"),
              "13");
    EXPECT_EQ(Run("SELECT COUNT(*) FROM DBA_JOBS_RUNNING"), "0");
    // The schema explorer finds an object of every kind in SCOTT's schema.
    EXPECT_EQ(Run("SELECT OBJECT_TYPE, COUNT(*) FROM DBA_OBJECTS WHERE OWNER = 'SCOTT' GROUP BY OBJECT_TYPE ORDER BY 1"),
              "FUNCTION|2\nINDEX|8\nPACKAGE|1\nPACKAGE BODY|1\nPROCEDURE|6\nSEQUENCE|2\nSYNONYM|2\nTABLE|6\n"
              "TRIGGER|2\nTYPE|3\nVIEW|2");
    EXPECT_EQ(Run("SELECT CONSTRAINT_TYPE, COUNT(*) FROM DBA_CONSTRAINTS WHERE OWNER = 'SCOTT' GROUP BY"
                  " CONSTRAINT_TYPE ORDER BY 1"),
              "C|4\nP|4\nR|2\nU|1");
    EXPECT_EQ(Run("SELECT IN_OUT, COUNT(*) FROM ALL_ARGUMENTS WHERE OWNER = 'SCOTT' AND ARGUMENT_NAME IS NOT NULL"
                  " GROUP BY IN_OUT ORDER BY 1"),
              "IN|17\nIN/OUT|3\nOUT|3");
}

INSTANTIATE_TEST_SUITE_P(Versions, DictionaryTest, ::testing::Values("10.2.0.1.0", "7.3.4.0.0"));

} // namespace
} // namespace oraenginetest
