// A database made by an earlier build, without what the catalogue gained
// since (V$PARAMETER, USER_ERRORS and their tables) and with every
// dictionary view kept in its schema, gets the new views at its next logon,
// once, and loses the schema's copies that no user view reads.

#include "EngineFixture.h"
#include "ociw32/server/CatalogSchema.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace oraenginetest {
namespace {

// The demo's own views, first in the schema's sorted list.
const char* const kDemoViews = "SCOTT.EMP_DEPT_V,SCOTT.SAL_SUMMARY_V,";

class CatalogUpgradeTest : public DemoEngineTest {
protected:
    // Takes the database back to what an earlier build made.
    void MakeOld()
    {
        // A user view an earlier build made over a dictionary view names it.
        EXPECT_EQ(Fresh("SCOTT", "TIGER", "CREATE VIEW MY_TABLES AS SELECT TABLE_NAME FROM USER_TABLES"), "ok");
        LogoffAll();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(DatabaseFile().c_str(), &db), SQLITE_OK);
        // Earlier builds kept every dictionary view in the schema, and the
        // two helper views they read.
        std::vector<std::string> views = {
            "CREATE VIEW cat_my_grantees AS WITH RECURSIVE g(grantee) AS (SELECT ora_user() UNION SELECT 'PUBLIC'"
            " UNION SELECT r.granted_role FROM cat_role_privs r JOIN g ON r.grantee = g.grantee) SELECT grantee FROM g",
            "CREATE VIEW cat_visible_objects AS SELECT o.* FROM cat_objects o WHERE o.owner = ora_user()"
            " OR o.owner = 'PUBLIC' OR ora_user() = 'SYS' OR (o.owner <> 'SYS' AND ora_has_priv('SELECT ANY TABLE'))"
            " OR EXISTS (SELECT 1 FROM cat_tab_privs p WHERE p.owner = o.owner AND p.table_name = o.object_name"
            " AND p.grantee IN (SELECT grantee FROM cat_my_grantees))"};
        {
            sqlite3_stmt* st = nullptr;
            ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT 'CREATE VIEW \"SYS.' || view_name || '\" AS ' || text FROM cat_views"
                                             " WHERE owner = 'SYS' AND view_name NOT IN ('V_$SESSION', 'DBA_JOBS_RUNNING')",
                                         -1, &st, nullptr),
                      SQLITE_OK);
            while (sqlite3_step(st) == SQLITE_ROW)
                views.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        EXPECT_GT(views.size(), 40u);
        views.push_back("DROP VIEW \"SCOTT.MY_TABLES\"");
        views.push_back("CREATE VIEW \"SCOTT.MY_TABLES\"(\"TABLE_NAME\") AS SELECT t0.\"TABLE_NAME\" AS \"TABLE_NAME\""
                        " FROM \"SYS.USER_TABLES\" AS t0");
        for (const std::string& sql : views) {
            char* message = nullptr;
            EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
            sqlite3_free(message);
        }
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
            // Earlier builds kept the generation's triggers in the schema.
            "CREATE TRIGGER cat_gen_cat_tab_privs_INSERT AFTER INSERT ON cat_tab_privs BEGIN UPDATE cat_db"
            " SET value = CAST(value AS INTEGER) + 1 WHERE key = 'catalog_generation'; END",
            "DELETE FROM cat_db WHERE key = 'catalog_generation'",
        };
        for (const char* sql : steps) {
            char* message = nullptr;
            EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
            sqlite3_free(message);
        }
        sqlite3_close(db);
    }
    // Runs statements on the closed database's file.
    void Patch(std::initializer_list<const char*> steps)
    {
        LogoffAll();
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(DatabaseFile().c_str(), &db), SQLITE_OK);
        for (const char* sql : steps) {
            char* message = nullptr;
            EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &message), SQLITE_OK) << sql << ": " << message;
            sqlite3_free(message);
        }
        sqlite3_close(db);
    }
    std::string Level() { return Scalar("SELECT value FROM cat_db WHERE key = 'catalog_level'"); }
    std::string Scalar(const char* query)
    {
        sqlite3* db = nullptr;
        std::string out;
        if (sqlite3_open(DatabaseFile().c_str(), &db) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
                out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return out;
    }
    std::string Fresh(const std::string& user, const std::string& password, const std::string& sql)
    {
        return Run(Logon(user, password), sql);
    }
    std::string DatabaseFile() const { return m_db.directory + "/" + m_db.sid + ".db"; }
    // The names of the database's SQLite views (or triggers), sorted, ","-separated.
    std::string SchemaViews(const char* type = "view")
    {
        sqlite3* db = nullptr;
        std::string names;
        if (sqlite3_open(DatabaseFile().c_str(), &db) == SQLITE_OK) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = ? ORDER BY name", -1, &st, nullptr);
            sqlite3_bind_text(st, 1, type, -1, SQLITE_STATIC);
            while (sqlite3_step(st) == SQLITE_ROW)
                names += (names.empty() ? "" : ",") + std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            sqlite3_finalize(st);
        }
        sqlite3_close(db);
        return names;
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

TEST_F(CatalogUpgradeTest, TheSchemaKeepsOnlyTheDictionaryViewsAUserViewReads)
{
    // A new database keeps no dictionary or helper view in its schema.
    EXPECT_EQ(SchemaViews(), "SCOTT.EMP_DEPT_V,SCOTT.SAL_SUMMARY_V");
    MakeOld();
    ASSERT_GT(SchemaViews().size(), 500u);
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM MY_TABLES"), "6");
    EXPECT_EQ(SchemaViews(), "SCOTT.EMP_DEPT_V,SCOTT.MY_TABLES,SCOTT.SAL_SUMMARY_V,SYS.USER_TABLES,"
                             "cat_my_grantees,cat_visible_objects");
    // The dictionary answers as before, through the kept view and without the others.
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM USER_TABLES"), "6");
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM ALL_OBJECTS WHERE OWNER = 'SCOTT' AND OBJECT_NAME = 'MY_TABLES'"),
              "1");
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "SELECT COUNT(*) FROM ALL_VIEWS WHERE OWNER = 'SYS' AND VIEW_NAME = 'ALL_OBJECTS'"),
              "1");
    // Once the user view goes, so may the copy it read, at no later logon:
    // the level says the work is done.
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "DROP VIEW MY_TABLES"), "ok");
    EXPECT_EQ(SchemaViews(), kDemoViews + std::string("SYS.USER_TABLES,cat_my_grantees,cat_visible_objects"));
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM USER_TABLES"), "6");
}

TEST_F(CatalogUpgradeTest, TheGenerationLeavesTheSchemaAndGrantsStillReachOtherSessions)
{
    MakeOld();
    ASSERT_EQ(SchemaViews("trigger"), "cat_gen_cat_tab_privs_INSERT");
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "CREATE USER READER IDENTIFIED BY READER"), "ok");
    EXPECT_EQ(Fresh("SYSTEM", "MANAGER", "GRANT CREATE SESSION TO READER"), "ok");
    EXPECT_EQ(SchemaViews("trigger"), "");
    VkOracle::OraSession& reader = Logon("READER", "READER");
    VkOracle::OraSession& scott = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Run(scott, "CREATE TABLE SECRET (X NUMBER)"), "ok");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM SCOTT.SECRET"), "ORA-00942: table or view does not exist");
    EXPECT_EQ(Run(scott, "GRANT SELECT ON SECRET TO READER"), "ok");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM SCOTT.SECRET"), "0");
    EXPECT_EQ(Run(scott, "REVOKE SELECT ON SECRET FROM READER"), "ok");
    EXPECT_EQ(Run(reader, "SELECT COUNT(*) FROM SCOTT.SECRET"), "ORA-00942: table or view does not exist");
    // Only sessions that wrote made triggers, and only for themselves.
    EXPECT_EQ(SchemaViews("trigger"), "");
}

// Two builds of the same level went different ways: one without the
// row locks' tables, one with its dictionary views and generation
// triggers still in the schema. Either gets what the other had.
TEST_F(CatalogUpgradeTest, ALevelThreeDatabaseWithoutRowLockTablesGetsThemAndLocksRows)
{
    Patch({"DROP TABLE cat_undo", "DROP TABLE cat_undo_tables", "DROP TABLE cat_txns",
           "UPDATE cat_db SET value = '3' WHERE key = 'catalog_level'"});
    ASSERT_EQ(Level(), "3");
    VkOracle::OraSession& a = Logon("SCOTT", "TIGER");
    VkOracle::OraSession& b = Logon("SCOTT", "TIGER");
    EXPECT_EQ(Level(), "4");
    EXPECT_EQ(Run(a, "UPDATE EMP SET SAL = 900 WHERE EMPNO = 7369"), "rows=1");
    EXPECT_EQ(Run(b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"),
              "ORA-00054: resource busy and acquire with NOWAIT specified");
    EXPECT_EQ(Run(b, "SELECT SAL FROM EMP WHERE EMPNO = 7369"), "800");
    EXPECT_EQ(Run(a, "ROLLBACK"), "ok");
    EXPECT_EQ(Run(b, "SELECT SAL FROM EMP WHERE EMPNO = 7369 FOR UPDATE NOWAIT"), "800");
    EXPECT_EQ(Run(b, "COMMIT"), "ok");
    EXPECT_EQ(Scalar("SELECT count(*) FROM cat_undo"), "0");
}

TEST_F(CatalogUpgradeTest, ALevelThreeDatabaseWithSchemaViewsAndTriggersLosesThem)
{
    MakeOld();
    Patch({"INSERT OR REPLACE INTO cat_db VALUES ('catalog_level', '3')",
           "INSERT OR REPLACE INTO cat_db VALUES ('catalog_generation', '0')"});
    ASSERT_GT(SchemaViews().size(), 500u);
    ASSERT_EQ(SchemaViews("trigger"), "cat_gen_cat_tab_privs_INSERT");
    EXPECT_EQ(Fresh("SCOTT", "TIGER", "SELECT COUNT(*) FROM MY_TABLES"), "6");
    EXPECT_EQ(Level(), "4");
    EXPECT_EQ(SchemaViews(), "SCOTT.EMP_DEPT_V,SCOTT.MY_TABLES,SCOTT.SAL_SUMMARY_V,SYS.USER_TABLES,"
                             "cat_my_grantees,cat_visible_objects");
    EXPECT_EQ(SchemaViews("trigger"), "");
    // The tables it had are kept, not made again.
    EXPECT_EQ(Scalar("SELECT count(*) FROM sqlite_master WHERE name IN ('cat_txns', 'cat_undo', 'cat_undo_tables')"),
              "3");
}

} // namespace
} // namespace oraenginetest

namespace {

// The helper queries go in where a query names them as a whole word, and
// only there; the query they make stands on its own.
TEST(CatalogHelpers, WrittenInWhereNamed)
{
    const std::string sql = VkOracle::WithCatalogHelpers(
        "SELECT o.owner FROM cat_visible_objects o WHERE 'x' IN (SELECT grantee FROM cat_my_grantees)"
        " AND o.object_name <> 'my_cat_my_grantees' AND o.owner <> 'cat_visible_objects_2'");
    EXPECT_EQ(sql.find("FROM cat_visible_objects "), std::string::npos) << sql;
    EXPECT_EQ(sql.find("FROM cat_my_grantees)"), std::string::npos) << sql;
    EXPECT_NE(sql.find("'my_cat_my_grantees'"), std::string::npos) << sql;
    EXPECT_NE(sql.find("'cat_visible_objects_2'"), std::string::npos) << sql;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    // Tables of the helpers' shape and the two functions they call.
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE cat_objects(owner, object_name); CREATE TABLE cat_tab_privs(owner,"
                           " table_name, grantee); CREATE TABLE cat_role_privs(grantee, granted_role);"
                           " INSERT INTO cat_objects VALUES ('A', 'T'), ('B', 'U'), ('C', 'V');"
                           " INSERT INTO cat_tab_privs VALUES ('B', 'U', 'R1');"
                           " INSERT INTO cat_role_privs VALUES ('A', 'R1')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    auto user = [](sqlite3_context* c, int, sqlite3_value**) { sqlite3_result_text(c, "A", -1, SQLITE_STATIC); };
    auto priv = [](sqlite3_context* c, int, sqlite3_value**) { sqlite3_result_int(c, 0); };
    sqlite3_create_function(db, "ora_user", 0, SQLITE_UTF8, nullptr, user, nullptr, nullptr);
    sqlite3_create_function(db, "ora_has_priv", 1, SQLITE_UTF8, nullptr, priv, nullptr, nullptr);
    const std::string visible =
        VkOracle::WithCatalogHelpers("SELECT group_concat(owner || '.' || object_name) FROM"
                                     " (SELECT * FROM cat_visible_objects ORDER BY owner)");
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, visible.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    // A's own object and B's, granted to A through role R1; not C's.
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "A.T,B.U");
    sqlite3_finalize(st);
    sqlite3_close(db);
}

} // namespace
