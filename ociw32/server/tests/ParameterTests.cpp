// V$PARAMETER on both server versions: the parameters each version has,
// ALTER SYSTEM SET changing what it shows (and refusing what Oracle
// refuses), the session's NLS date format, and who may read it.
#include "EngineFixture.h"

namespace oraenginetest {
namespace {

class ParameterTest : public EngineTest, public ::testing::WithParamInterface<const char*> {
protected:
    std::string Version() const override { return GetParam(); }
    bool Legacy() const { return std::string(GetParam())[0] == '7'; }
    std::string Value(VkOracle::OraSession& s, const std::string& name)
    {
        return Run(s, "SELECT VALUE FROM V$PARAMETER WHERE NAME = '" + name + "'");
    }
};

TEST_P(ParameterTest, EachVersionListsItsParametersWithTheirDefaults)
{
    const std::string rows = Run("SELECT NAME, TYPE, VALUE, ISDEFAULT, ISSES_MODIFIABLE, ISSYS_MODIFIABLE, DESCRIPTION"
                                 " FROM V$PARAMETER ORDER BY NAME");
    if (Legacy())
        EXPECT_EQ(rows, "job_queue_interval|3|60|TRUE|FALSE|IMMEDIATE|Wakeup interval in seconds for job queue processes\n"
                        "job_queue_processes|3|0|TRUE|FALSE|IMMEDIATE|number of job queue slave processes\n"
                        "nls_date_format|2|NULL|TRUE|TRUE|FALSE|NLS Oracle date format\n"
                        "open_cursors|3|50|TRUE|FALSE|FALSE|max # cursors per session\n"
                        "processes|3|50|TRUE|FALSE|FALSE|user processes");
    else
        EXPECT_EQ(rows, "job_queue_processes|3|0|TRUE|FALSE|IMMEDIATE|number of job queue slave processes\n"
                        "nls_date_format|2|NULL|TRUE|TRUE|FALSE|NLS Oracle date format\n"
                        "open_cursors|3|50|TRUE|FALSE|IMMEDIATE|max # cursors per session\n"
                        "processes|3|150|TRUE|FALSE|FALSE|user processes");
    // DISPLAY_VALUE came after version 7.
    EXPECT_EQ(Run("SELECT DISPLAY_VALUE FROM V$PARAMETER WHERE NAME = 'processes'"),
              Legacy() ? "ORA-00904: invalid column name" : "150");
}

TEST_P(ParameterTest, AlterSystemSetChangesWhatItShows)
{
    struct Case {
        const char* sql;
        const char* result;
        const char* legacyResult; // where version 7 differs
    };
    const Case cases[] = {
        {"ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 4", "ok", nullptr},
        {"ALTER SYSTEM SET open_cursors = 300 SCOPE = MEMORY", "ok",
         "ORA-02095: specified initialization parameter cannot be modified"},
        {"ALTER SYSTEM SET open_cursors = 0", "ORA-02097: parameter cannot be modified because specified value is invalid",
         "ORA-02095: specified initialization parameter cannot be modified"},
        {"ALTER SYSTEM SET open_cursors = 'many'", "ORA-02017: integer value required",
         "ORA-02095: specified initialization parameter cannot be modified"},
        {"ALTER SYSTEM SET processes = 500", "ORA-02095: specified initialization parameter cannot be modified", nullptr},
        {"ALTER SYSTEM SET nls_date_format = 'YYYY'",
         "ORA-02096: specified initialization parameter is not modifiable with this option",
         "ORA-02095: specified initialization parameter cannot be modified"},
        {"ALTER SYSTEM SET no_such_parameter = 1", "ORA-02065: illegal option for ALTER SYSTEM", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Run(c.sql), Legacy() && c.legacyResult ? c.legacyResult : c.result) << c.sql;
    EXPECT_EQ(Run("SELECT NAME, VALUE, ISDEFAULT FROM V$PARAMETER WHERE NAME IN ('job_queue_processes',"
                  " 'open_cursors', 'processes') ORDER BY NAME"),
              Legacy() ? "job_queue_processes|4|FALSE\nopen_cursors|50|TRUE\nprocesses|50|TRUE"
                       : "job_queue_processes|4|FALSE\nopen_cursors|300|FALSE\nprocesses|150|TRUE");
    // Other sessions see the instance's value.
    VkOracle::OraSession& other = Logon("SYSTEM", "MANAGER");
    EXPECT_EQ(Value(other, "job_queue_processes"), "4");
}

TEST_P(ParameterTest, TheDateFormatIsTheSessionsOnceChanged)
{
    VkOracle::OraSession& other = Logon("SYSTEM", "MANAGER");
    EXPECT_EQ(Run("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'"), "ok");
    EXPECT_EQ(Run("SELECT VALUE, ISMODIFIED FROM V$PARAMETER WHERE NAME = 'nls_date_format'"), "YYYY-MM-DD|MODIFIED");
    EXPECT_EQ(Run(other, "SELECT VALUE, ISMODIFIED FROM V$PARAMETER WHERE NAME = 'nls_date_format'"), "NULL|FALSE");
}

TEST_P(ParameterTest, PlainUsersMayNotReadOrChangeIt)
{
    EXPECT_EQ(Run("CREATE USER plain IDENTIFIED BY pw"), "ok");
    EXPECT_EQ(Run("GRANT CREATE SESSION TO plain"), "ok");
    VkOracle::OraSession& plain = Logon("PLAIN", "PW");
    EXPECT_EQ(Value(plain, "processes"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(plain, "ALTER SYSTEM SET open_cursors = 100"), "ORA-01031: insufficient privileges");
    EXPECT_EQ(Run("GRANT SELECT_CATALOG_ROLE TO plain"), "ok");
    VkOracle::OraSession& cataloguer = Logon("PLAIN", "PW");
    EXPECT_EQ(Value(cataloguer, "processes"), Legacy() ? "50" : "150");
}

// SELECT ANY DICTIONARY (from version 9) reads SYS's views, not other schemas' tables.
TEST_F(EngineTest, SelectAnyDictionaryOpensTheDictionaryViewsOnly)
{
    EXPECT_EQ(Run("CREATE TABLE system_t (x NUMBER)"), "ok");
    EXPECT_EQ(Run("CREATE USER reader IDENTIFIED BY pw"), "ok");
    EXPECT_EQ(Run("GRANT CREATE SESSION, SELECT ANY DICTIONARY TO reader"), "ok");
    VkOracle::OraSession& reader = Logon("READER", "PW");
    EXPECT_EQ(Run(reader, "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'processes'"), "150");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM V$SESSION WHERE SID < 0"), "0");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM SYSTEM.system_t"), "ORA-00942: table or view does not exist");
}

INSTANTIATE_TEST_SUITE_P(Versions, ParameterTest, ::testing::Values("10.2.0.1.0", "7.3.4.0.0"));

} // namespace
} // namespace oraenginetest
