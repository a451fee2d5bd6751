// A database made by an earlier build, without what the catalogue gained
// since (V$PARAMETER, USER_ERRORS and their tables), gets them at its next
// logon, once.

#include "EngineFixture.h"

#include <sqlite3.h>

namespace oraenginetest {
namespace {

class CatalogUpgradeTest : public DemoEngineTest {
protected:
    // Takes the database back to what an earlier build made.
    void MakeOld()
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open((m_db.directory + "/" + m_db.sid + ".db").c_str(), &db), SQLITE_OK);
        const char* const steps[] = {
            "DROP VIEW \"SYS.V_$PARAMETER\"",
            "DROP VIEW \"SYS.USER_ERRORS\"",
            "DROP VIEW \"SYS.ALL_ERRORS\"",
            "DROP TABLE cat_parameters",
            "DROP TABLE cat_errors",
            "DELETE FROM cat_columns WHERE owner = 'SYS' AND table_name IN ('V_$PARAMETER', 'USER_ERRORS', 'ALL_ERRORS')",
            "DELETE FROM cat_views WHERE owner = 'SYS' AND view_name IN ('V_$PARAMETER', 'USER_ERRORS', 'ALL_ERRORS')",
            "DELETE FROM cat_tab_privs WHERE owner = 'SYS' AND table_name IN ('V_$PARAMETER', 'USER_ERRORS', 'ALL_ERRORS')",
            "DELETE FROM cat_synonyms WHERE owner = 'PUBLIC' AND synonym_name IN ('V$PARAMETER', 'USER_ERRORS', 'ALL_ERRORS')",
            "DELETE FROM cat_objects WHERE object_name IN ('V_$PARAMETER', 'V$PARAMETER', 'USER_ERRORS', 'ALL_ERRORS')",
            "DELETE FROM cat_db WHERE key = 'catalog_level'",
        };
        for (const char* sql : steps) {
            char* message = nullptr;
            EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
            sqlite3_free(message);
        }
        sqlite3_close(db);
    }
    std::string Fresh(const std::string& user, const std::string& password, const std::string& sql)
    {
        return Run(Logon(user, password), sql);
    }
};

TEST_F(CatalogUpgradeTest, AnOldDatabaseGetsTheNewViewsAtItsNextLogon)
{
    MakeOld();
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "SELECT VALUE FROM V$PARAMETER WHERE NAME = 'job_queue_processes'"), "0");
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM USER_ERRORS"), "0");
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER",
                    "SELECT COUNT(*) FROM DBA_OBJECTS WHERE OBJECT_NAME IN ('V_$PARAMETER', 'V$PARAMETER', "
                    "'USER_ERRORS', 'ALL_ERRORS')"),
              "6");
    // Object numbers stay unique, and a later logon changes nothing more.
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "SELECT COUNT(*) - COUNT(DISTINCT OBJECT_ID) FROM DBA_OBJECTS"), "0");
    const std::string before = Fresh("SYSTEM", "MANAGER", "SELECT COUNT(*) FROM DBA_OBJECTS");
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "SELECT COUNT(*) FROM DBA_OBJECTS"), before);
}

} // namespace
} // namespace oraenginetest
