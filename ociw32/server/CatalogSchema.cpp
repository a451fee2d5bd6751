#include "ociw32/server/CatalogSchema.h"

#include "ociw32/functions/OraClock.h"
#include "ociw32/server/OraPasswordVerifier.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace VkOracle {
namespace {

const char* const kTables[] = {
    "CREATE TABLE cat_db(key TEXT PRIMARY KEY, value TEXT)",
    "CREATE TABLE cat_users(user_id INTEGER PRIMARY KEY, username TEXT UNIQUE NOT NULL, password TEXT,"
    " account_status TEXT NOT NULL DEFAULT 'OPEN', created INTEGER NOT NULL, is_role INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE cat_objects(object_id INTEGER PRIMARY KEY, owner TEXT NOT NULL, object_name TEXT NOT NULL,"
    " object_type TEXT NOT NULL, created INTEGER NOT NULL, last_ddl_time INTEGER NOT NULL,"
    " status TEXT NOT NULL DEFAULT 'VALID', UNIQUE(owner, object_name, object_type))",
    "CREATE TABLE cat_columns(owner TEXT, table_name TEXT, column_name TEXT, column_id INTEGER, data_type TEXT,"
    " data_length INTEGER, data_precision INTEGER, data_scale INTEGER, nullable TEXT, data_default TEXT,"
    " PRIMARY KEY(owner, table_name, column_id))", // scans come in column order, as in Oracle
    "CREATE TABLE cat_constraints(owner TEXT, constraint_name TEXT, constraint_type TEXT, table_name TEXT,"
    " search_condition TEXT, r_owner TEXT, r_constraint_name TEXT, delete_rule TEXT, status TEXT DEFAULT 'ENABLED',"
    " generated TEXT DEFAULT 'USER NAME', PRIMARY KEY(owner, constraint_name))",
    "CREATE TABLE cat_cons_columns(owner TEXT, constraint_name TEXT, table_name TEXT, column_name TEXT, position INTEGER)",
    "CREATE TABLE cat_indexes(owner TEXT, index_name TEXT, table_owner TEXT, table_name TEXT, uniqueness TEXT,"
    " status TEXT DEFAULT 'VALID', constraint_index INTEGER DEFAULT 0, PRIMARY KEY(owner, index_name))",
    "CREATE TABLE cat_ind_columns(index_owner TEXT, index_name TEXT, table_owner TEXT, table_name TEXT,"
    " column_name TEXT, column_position INTEGER, column_length INTEGER)",
    "CREATE TABLE cat_sequences(sequence_owner TEXT, sequence_name TEXT, min_value INTEGER, max_value INTEGER,"
    " increment_by INTEGER, cycle_flag TEXT, order_flag TEXT, cache_size INTEGER, last_number INTEGER,"
    " PRIMARY KEY(sequence_owner, sequence_name))",
    "CREATE TABLE cat_synonyms(owner TEXT, synonym_name TEXT, table_owner TEXT, table_name TEXT, db_link TEXT,"
    " PRIMARY KEY(owner, synonym_name))",
    "CREATE TABLE cat_triggers(owner TEXT, trigger_name TEXT, trigger_type TEXT, triggering_event TEXT,"
    " table_owner TEXT, table_name TEXT, referencing_names TEXT, when_clause TEXT, status TEXT DEFAULT 'ENABLED',"
    " description TEXT, trigger_body TEXT, PRIMARY KEY(owner, trigger_name))",
    "CREATE TABLE cat_trigger_cols(trigger_owner TEXT, trigger_name TEXT, table_owner TEXT, table_name TEXT,"
    " column_name TEXT, column_list TEXT, column_usage TEXT)",
    "CREATE TABLE cat_arguments(owner TEXT, object_name TEXT, package_name TEXT, object_id INTEGER, overload TEXT,"
    " argument_name TEXT, position INTEGER, sequence INTEGER, data_level INTEGER, data_type TEXT,"
    " default_value TEXT, in_out TEXT, data_length INTEGER, data_precision INTEGER, data_scale INTEGER, radix INTEGER)",
    "CREATE TABLE cat_source(owner TEXT, name TEXT, type TEXT, text TEXT, PRIMARY KEY(owner, name, type))",
    "CREATE TABLE cat_views(owner TEXT, view_name TEXT, text TEXT, PRIMARY KEY(owner, view_name))",
    "CREATE TABLE cat_coll_types(owner TEXT, type_name TEXT, coll_type TEXT, upper_bound INTEGER, elem_type_name TEXT)",
    "CREATE TABLE cat_sys_privs(grantee TEXT, privilege TEXT, admin_option TEXT DEFAULT 'NO', PRIMARY KEY(grantee, privilege))",
    "CREATE TABLE cat_role_privs(grantee TEXT, granted_role TEXT, admin_option TEXT DEFAULT 'NO',"
    " default_role TEXT DEFAULT 'YES', PRIMARY KEY(grantee, granted_role))",
    "CREATE TABLE cat_tab_privs(grantee TEXT, owner TEXT, table_name TEXT, grantor TEXT, privilege TEXT,"
    " grantable TEXT DEFAULT 'NO', PRIMARY KEY(grantee, owner, table_name, privilege))",
    "CREATE TABLE cat_products(seq INTEGER PRIMARY KEY, product TEXT, version TEXT, status TEXT)",
    "CREATE TABLE cat_jobs(job INTEGER PRIMARY KEY, log_user TEXT NOT NULL, priv_user TEXT NOT NULL,"
    " schema_user TEXT NOT NULL, last_date INTEGER, this_date INTEGER, next_date INTEGER NOT NULL,"
    " total_time INTEGER NOT NULL DEFAULT 0, broken TEXT NOT NULL DEFAULT 'N', interval TEXT NOT NULL DEFAULT 'null',"
    " failures INTEGER, what TEXT, nls_env TEXT, misc_env BLOB, instance INTEGER NOT NULL DEFAULT 0)",
    // Initialisation parameters this server knows; what ALTER SYSTEM SET
    // changed is kept in cat_db under the parameter's name.
    "CREATE TABLE cat_parameters(num INTEGER PRIMARY KEY, name TEXT UNIQUE NOT NULL, type INTEGER NOT NULL,"
    " default_value TEXT, isses_modifiable TEXT NOT NULL, issys_modifiable TEXT NOT NULL, low INTEGER, high INTEGER,"
    " description TEXT)",
    // Open transactions (their sessions, to tell whether they are alive) and
    // their undo records: a record locks its row and keeps its before-image.
    "CREATE TABLE cat_txns(txn INTEGER PRIMARY KEY AUTOINCREMENT, sid INTEGER NOT NULL, serial INTEGER NOT NULL,"
    " pid INTEGER NOT NULL)",
    "CREATE TABLE cat_undo(tbl TEXT NOT NULL, rid INTEGER NOT NULL, txn INTEGER NOT NULL, seq INTEGER NOT NULL,"
    " op TEXT NOT NULL, vals BLOB, PRIMARY KEY(tbl, rid, txn, seq)) WITHOUT ROWID",
    // The tables each transaction holds records on (`changes`: rows changed,
    // not only locked), so that finding them never reads every record.
    "CREATE TABLE cat_undo_tables(tbl TEXT NOT NULL, txn INTEGER NOT NULL, changes INTEGER NOT NULL,"
    " PRIMARY KEY(tbl, txn)) WITHOUT ROWID",
    // Compile errors of stored units, as USER_ERRORS shows them.
    "CREATE TABLE cat_errors(owner TEXT NOT NULL, name TEXT NOT NULL, type TEXT NOT NULL, sequence INTEGER NOT NULL,"
    " line INTEGER NOT NULL, position INTEGER NOT NULL, text TEXT NOT NULL, PRIMARY KEY(owner, name, type, sequence))",
    "CREATE TABLE \"SYS.DUAL\"(\"DUMMY\" TEXT)",
    "INSERT INTO \"SYS.DUAL\" VALUES ('X')",
};

struct ViewColumn {
    const char* name;
    const char* type; // V30, N, D, L, C1, R32
    bool notNull;
    int minMajor;
    const char* expr;
};

// The instance file holds what changes with every logon and job run, so
// that registering a session never waits for another session's transaction.
const char* const kInstanceTables[] = {
    "CREATE TABLE IF NOT EXISTS inst.cat_sessions(sid INTEGER PRIMARY KEY, serial INTEGER, username TEXT,"
    " user_id INTEGER, pid INTEGER, logon_time INTEGER, program TEXT, machine TEXT, osuser TEXT, schemaname TEXT,"
    " status TEXT DEFAULT 'INACTIVE', killed INTEGER DEFAULT 0)",
    "CREATE TABLE IF NOT EXISTS inst.cat_jobs_running(job INTEGER PRIMARY KEY, sid INTEGER NOT NULL)",
    // The last session id handed out: ids only grow, so a stale reference
    // never names a newer session.
    "CREATE TABLE IF NOT EXISTS inst.cat_counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL)",
};

struct ViewDef {
    const char* name;
    const char* grantee; // PUBLIC or SELECT_CATALOG_ROLE
    int minMajor;
    std::vector<ViewColumn> columns;
    const char* tail;
};

#define DDATE(c) "ora_to_char_date(" c ", 'HH24:MI:SS')"

std::vector<ViewDef> MakeViews()
{
    std::vector<ViewColumn> objectCols = {
        {"OWNER", "V30", true, 0, "o.owner"},
        {"OBJECT_NAME", "V128", true, 0, "o.object_name"},
        {"SUBOBJECT_NAME", "V30", false, 8, "NULL"},
        {"OBJECT_ID", "N", true, 0, "o.object_id"},
        {"DATA_OBJECT_ID", "N", false, 8, "CASE WHEN o.object_type IN ('TABLE','INDEX') THEN o.object_id END"},
        {"OBJECT_TYPE", "V19", false, 0, "o.object_type"},
        {"CREATED", "D", true, 0, "o.created"},
        {"LAST_DDL_TIME", "D", true, 0, "o.last_ddl_time"},
        {"TIMESTAMP", "V19", false, 0, "ora_to_char_date(o.last_ddl_time, 'YYYY-MM-DD:HH24:MI:SS')"},
        {"STATUS", "V7", false, 0, "o.status"},
        {"TEMPORARY", "V1", false, 8, "'N'"},
        {"GENERATED", "V1", false, 8, "'N'"},
        {"SECONDARY", "V1", false, 8, "'N'"},
    };
    auto withoutOwner = [](std::vector<ViewColumn> cols) {
        cols.erase(cols.begin());
        return cols;
    };
    std::vector<ViewColumn> errorCols = {
        {"NAME", "V30", true, 0, "e.name"}, {"TYPE", "V12", false, 0, "e.type"},
        {"SEQUENCE", "N", true, 0, "e.sequence"}, {"LINE", "N", true, 0, "e.line"},
        {"POSITION", "N", true, 0, "e.position"}, {"TEXT", "V4000", true, 0, "e.text"},
    };
    std::vector<ViewColumn> allErrorCols = errorCols;
    allErrorCols.insert(allErrorCols.begin(), {"OWNER", "V30", true, 0, "e.owner"});
    std::vector<ViewColumn> tableCols = {
        {"OWNER", "V30", true, 0, "o.owner"},
        {"TABLE_NAME", "V30", true, 0, "o.object_name"},
        {"TABLESPACE_NAME", "V30", false, 0, "CASE WHEN o.owner IN ('SYS','SYSTEM') THEN 'SYSTEM' ELSE 'USERS' END"},
        {"CLUSTER_NAME", "V30", false, 0, "NULL"},
        {"IOT_NAME", "V30", false, 8, "NULL"},
        {"PCT_FREE", "N", false, 0, "10"},
        {"PCT_USED", "N", false, 0, "40"},
        {"INI_TRANS", "N", false, 0, "1"},
        {"MAX_TRANS", "N", false, 0, "255"},
        {"INITIAL_EXTENT", "N", false, 0, "65536"},
        {"NEXT_EXTENT", "N", false, 0, "NULL"},
        {"MIN_EXTENTS", "N", false, 0, "1"},
        {"MAX_EXTENTS", "N", false, 0, "2147483645"},
        {"PCT_INCREASE", "N", false, 0, "NULL"},
        {"BACKED_UP", "V1", false, 0, "'N'"},
        {"NUM_ROWS", "N", false, 0, "NULL"},
        {"BLOCKS", "N", false, 0, "NULL"},
        {"AVG_ROW_LEN", "N", false, 0, "NULL"},
        {"CACHE", "V5", false, 0, "'    N'"},
        {"TABLE_LOCK", "V8", false, 0, "'ENABLED'"},
        {"PARTITIONED", "V3", false, 8, "'NO'"},
        {"IOT_TYPE", "V12", false, 8, "NULL"},
        {"TEMPORARY", "V1", false, 8, "'N'"},
        {"NESTED", "V3", false, 8, "'NO'"},
    };
    std::vector<ViewColumn> columnCols = {
        {"OWNER", "V30", true, 0, "c.owner"},
        {"TABLE_NAME", "V30", true, 0, "c.table_name"},
        {"COLUMN_NAME", "V30", true, 0, "c.column_name"},
        {"DATA_TYPE", "V106", false, 0, "c.data_type"},
        {"DATA_TYPE_MOD", "V3", false, 8, "NULL"},
        {"DATA_TYPE_OWNER", "V30", false, 8, "NULL"},
        {"DATA_LENGTH", "N", true, 0, "c.data_length"},
        {"DATA_PRECISION", "N", false, 0, "c.data_precision"},
        {"DATA_SCALE", "N", false, 0, "c.data_scale"},
        {"NULLABLE", "V1", false, 0, "c.nullable"},
        {"COLUMN_ID", "N", true, 0, "c.column_id"},
        {"DEFAULT_LENGTH", "N", false, 0, "length(c.data_default)"},
        {"DATA_DEFAULT", "L", false, 0, "c.data_default"},
    };
    std::vector<ViewColumn> consCols = {
        {"OWNER", "V30", true, 0, "c.owner"},
        {"CONSTRAINT_NAME", "V30", true, 0, "c.constraint_name"},
        {"CONSTRAINT_TYPE", "V1", false, 0, "c.constraint_type"},
        {"TABLE_NAME", "V30", true, 0, "c.table_name"},
        {"SEARCH_CONDITION", "L", false, 0, "c.search_condition"},
        {"R_OWNER", "V30", false, 0, "c.r_owner"},
        {"R_CONSTRAINT_NAME", "V30", false, 0, "c.r_constraint_name"},
        {"DELETE_RULE", "V9", false, 0, "c.delete_rule"},
        {"STATUS", "V8", false, 0, "c.status"},
        {"DEFERRABLE", "V14", false, 8, "'NOT DEFERRABLE'"},
        {"DEFERRED", "V9", false, 8, "'IMMEDIATE'"},
        {"VALIDATED", "V13", false, 8, "'VALIDATED'"},
        {"GENERATED", "V14", false, 8, "c.generated"},
    };
    std::vector<ViewColumn> trigCols = {
        {"OWNER", "V30", false, 0, "t.owner"},
        {"TRIGGER_NAME", "V30", false, 0, "t.trigger_name"},
        {"TRIGGER_TYPE", "V16", false, 0, "t.trigger_type"},
        {"TRIGGERING_EVENT", "V227", false, 0, "t.triggering_event"},
        {"TABLE_OWNER", "V30", false, 0, "t.table_owner"},
        {"BASE_OBJECT_TYPE", "V16", false, 8, "'TABLE'"},
        {"TABLE_NAME", "V30", false, 0, "t.table_name"},
        {"COLUMN_NAME", "V4000", false, 8, "NULL"},
        {"REFERENCING_NAMES", "V128", false, 0, "t.referencing_names"},
        {"WHEN_CLAUSE", "V4000", false, 0, "t.when_clause"},
        {"STATUS", "V8", false, 0, "t.status"},
        {"DESCRIPTION", "V4000", false, 0, "t.description"},
        {"ACTION_TYPE", "V11", false, 8, "'PL/SQL'"},
        {"TRIGGER_BODY", "L", false, 0, "t.trigger_body"},
    };
    std::vector<ViewColumn> indexCols = {
        {"OWNER", "V30", true, 0, "i.owner"},
        {"INDEX_NAME", "V30", true, 0, "i.index_name"},
        {"INDEX_TYPE", "V27", false, 8, "'NORMAL'"},
        {"TABLE_OWNER", "V30", true, 0, "i.table_owner"},
        {"TABLE_NAME", "V30", true, 0, "i.table_name"},
        {"TABLE_TYPE", "V11", false, 0, "'TABLE'"},
        {"UNIQUENESS", "V9", false, 0, "i.uniqueness"},
        {"TABLESPACE_NAME", "V30", false, 0, "'USERS'"},
        {"STATUS", "V8", false, 0, "i.status"},
        {"PARTITIONED", "V3", false, 8, "'NO'"},
    };
    std::vector<ViewColumn> jobCols = {
        {"JOB", "N", true, 0, "j.job"},
        {"LOG_USER", "V30", true, 0, "j.log_user"},
        {"PRIV_USER", "V30", true, 0, "j.priv_user"},
        {"SCHEMA_USER", "V30", true, 0, "j.schema_user"},
        {"LAST_DATE", "D", false, 0, "j.last_date"},
        {"LAST_SEC", "V8", false, 0, DDATE("j.last_date")},
        {"THIS_DATE", "D", false, 0, "j.this_date"},
        {"THIS_SEC", "V8", false, 0, DDATE("j.this_date")},
        {"NEXT_DATE", "D", true, 0, "j.next_date"},
        {"NEXT_SEC", "V8", false, 0, DDATE("j.next_date")},
        {"TOTAL_TIME", "N", false, 0, "j.total_time"},
        {"BROKEN", "V1", false, 0, "j.broken"},
        {"INTERVAL", "V200", true, 0, "j.interval"},
        {"FAILURES", "N", false, 0, "j.failures"},
        {"WHAT", "V4000", false, 0, "j.what"},
        {"NLS_ENV", "V4000", false, 0, "j.nls_env"},
        {"MISC_ENV", "R32", false, 0, "j.misc_env"},
        {"INSTANCE", "N", false, 8, "j.instance"},
    };
    const char* visibleTables =
        " FROM cat_visible_objects o WHERE o.object_type = 'TABLE'";
    const char* visibleColumns =
        " FROM cat_columns c WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = c.owner"
        " AND o.object_name = c.table_name AND o.object_type IN ('TABLE','VIEW'))";
    const char* visibleCons =
        " FROM cat_constraints c WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = c.owner"
        " AND o.object_name = c.table_name AND o.object_type IN ('TABLE','VIEW'))";
    std::vector<ViewDef> v = {
        {"ALL_USERS", "PUBLIC", 0,
         {{"USERNAME", "V30", true, 0, "u.username"}, {"USER_ID", "N", true, 0, "u.user_id"},
          {"CREATED", "D", true, 0, "u.created"}},
         " FROM cat_users u WHERE u.is_role = 0"},
        {"DBA_USERS", "SELECT_CATALOG_ROLE", 0,
         {{"USERNAME", "V30", true, 0, "u.username"}, {"USER_ID", "N", true, 0, "u.user_id"},
          {"PASSWORD", "V30", false, 0, "CASE WHEN u.password LIKE 'S:%' THEN substr(u.password, 3, 16) END"},
          {"ACCOUNT_STATUS", "V32", true, 8, "u.account_status"},
          {"DEFAULT_TABLESPACE", "V30", true, 0, "CASE WHEN u.username IN ('SYS','SYSTEM') THEN 'SYSTEM' ELSE 'USERS' END"},
          {"TEMPORARY_TABLESPACE", "V30", true, 0, "'TEMP'"},
          {"CREATED", "D", true, 0, "u.created"}, {"PROFILE", "V30", true, 0, "'DEFAULT'"}},
         " FROM cat_users u WHERE u.is_role = 0"},
        {"USER_USERS", "PUBLIC", 0,
         {{"USERNAME", "V30", true, 0, "u.username"}, {"USER_ID", "N", true, 0, "u.user_id"},
          {"ACCOUNT_STATUS", "V32", true, 8, "u.account_status"},
          {"DEFAULT_TABLESPACE", "V30", true, 0, "'USERS'"}, {"TEMPORARY_TABLESPACE", "V30", true, 0, "'TEMP'"},
          {"CREATED", "D", true, 0, "u.created"}},
         " FROM cat_users u WHERE u.username = ora_user()"},
        {"ALL_OBJECTS", "PUBLIC", 0, objectCols, " FROM cat_visible_objects o"},
        {"USER_OBJECTS", "PUBLIC", 0, withoutOwner(objectCols), " FROM cat_objects o WHERE o.owner = ora_user()"},
        {"DBA_OBJECTS", "SELECT_CATALOG_ROLE", 0, objectCols, " FROM cat_objects o"},
        {"ALL_TABLES", "PUBLIC", 0, tableCols, visibleTables},
        {"USER_TABLES", "PUBLIC", 0, withoutOwner(tableCols),
         " FROM cat_objects o WHERE o.object_type = 'TABLE' AND o.owner = ora_user()"},
        {"DBA_TABLES", "SELECT_CATALOG_ROLE", 0, tableCols, " FROM cat_objects o WHERE o.object_type = 'TABLE'"},
        {"ALL_VIEWS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "v.owner"}, {"VIEW_NAME", "V30", true, 0, "v.view_name"},
          {"TEXT_LENGTH", "N", false, 0, "length(v.text)"}, {"TEXT", "L", false, 0, "v.text"}},
         " FROM cat_views v WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = v.owner"
         " AND o.object_name = v.view_name AND o.object_type = 'VIEW')"},
        {"ALL_TAB_COLUMNS", "PUBLIC", 0, columnCols, visibleColumns},
        {"USER_TAB_COLUMNS", "PUBLIC", 0, withoutOwner(columnCols), " FROM cat_columns c WHERE c.owner = ora_user()"},
        {"DBA_TAB_COLUMNS", "SELECT_CATALOG_ROLE", 0, columnCols, " FROM cat_columns c"},
        {"ALL_CONSTRAINTS", "PUBLIC", 0, consCols, visibleCons},
        {"USER_CONSTRAINTS", "PUBLIC", 0, consCols, " FROM cat_constraints c WHERE c.owner = ora_user()"},
        {"DBA_CONSTRAINTS", "SELECT_CATALOG_ROLE", 0, consCols, " FROM cat_constraints c"},
        {"ALL_CONS_COLUMNS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "c.owner"}, {"CONSTRAINT_NAME", "V30", true, 0, "c.constraint_name"},
          {"TABLE_NAME", "V30", true, 0, "c.table_name"}, {"COLUMN_NAME", "V4000", false, 0, "c.column_name"},
          {"POSITION", "N", false, 0, "c.position"}},
         " FROM cat_cons_columns c WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = c.owner"
         " AND o.object_name = c.table_name)"},
        {"ALL_TRIGGERS", "PUBLIC", 0, trigCols,
         " FROM cat_triggers t WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = t.owner"
         " AND o.object_name = t.trigger_name AND o.object_type = 'TRIGGER')"},
        {"USER_TRIGGERS", "PUBLIC", 0, trigCols, " FROM cat_triggers t WHERE t.owner = ora_user()"},
        {"ALL_TRIGGER_COLS", "PUBLIC", 0,
         {{"TRIGGER_OWNER", "V30", false, 0, "c.trigger_owner"}, {"TRIGGER_NAME", "V30", false, 0, "c.trigger_name"},
          {"TABLE_OWNER", "V30", false, 0, "c.table_owner"}, {"TABLE_NAME", "V30", false, 0, "c.table_name"},
          {"COLUMN_NAME", "V4000", false, 0, "c.column_name"}, {"COLUMN_LIST", "V3", false, 0, "c.column_list"},
          {"COLUMN_USAGE", "V17", false, 0, "c.column_usage"}},
         " FROM cat_trigger_cols c WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = c.trigger_owner"
         " AND o.object_name = c.trigger_name)"},
        {"ALL_INDEXES", "PUBLIC", 0, indexCols,
         " FROM cat_indexes i WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = i.table_owner"
         " AND o.object_name = i.table_name AND o.object_type = 'TABLE')"},
        {"USER_INDEXES", "PUBLIC", 0, indexCols, " FROM cat_indexes i WHERE i.owner = ora_user()"},
        {"DBA_INDEXES", "SELECT_CATALOG_ROLE", 0, indexCols, " FROM cat_indexes i"},
        {"ALL_IND_COLUMNS", "PUBLIC", 0,
         {{"INDEX_OWNER", "V30", true, 0, "c.index_owner"}, {"INDEX_NAME", "V30", true, 0, "c.index_name"},
          {"TABLE_OWNER", "V30", true, 0, "c.table_owner"}, {"TABLE_NAME", "V30", true, 0, "c.table_name"},
          {"COLUMN_NAME", "V4000", false, 0, "c.column_name"}, {"COLUMN_POSITION", "N", true, 0, "c.column_position"},
          {"COLUMN_LENGTH", "N", true, 0, "c.column_length"}, {"DESCEND", "V4", false, 8, "'ASC'"}},
         " FROM cat_ind_columns c WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = c.table_owner"
         " AND o.object_name = c.table_name AND o.object_type = 'TABLE')"},
        {"ALL_SEQUENCES", "PUBLIC", 0,
         {{"SEQUENCE_OWNER", "V30", true, 0, "s.sequence_owner"}, {"SEQUENCE_NAME", "V30", true, 0, "s.sequence_name"},
          {"MIN_VALUE", "N", false, 0, "s.min_value"}, {"MAX_VALUE", "N", false, 0, "s.max_value"},
          {"INCREMENT_BY", "N", true, 0, "s.increment_by"}, {"CYCLE_FLAG", "V1", false, 0, "s.cycle_flag"},
          {"ORDER_FLAG", "V1", false, 0, "s.order_flag"}, {"CACHE_SIZE", "N", true, 0, "s.cache_size"},
          {"LAST_NUMBER", "N", true, 0, "s.last_number"}},
         " FROM cat_sequences s WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = s.sequence_owner"
         " AND o.object_name = s.sequence_name AND o.object_type = 'SEQUENCE')"},
        {"ALL_SYNONYMS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "s.owner"}, {"SYNONYM_NAME", "V30", true, 0, "s.synonym_name"},
          {"TABLE_OWNER", "V30", false, 0, "s.table_owner"}, {"TABLE_NAME", "V30", true, 0, "s.table_name"},
          {"DB_LINK", "V128", false, 0, "s.db_link"}},
         " FROM cat_synonyms s WHERE s.owner IN ('PUBLIC', ora_user()) OR ora_user() = 'SYS'"
         " OR (s.owner <> 'SYS' AND ora_has_priv('SELECT ANY TABLE'))"},
        {"ALL_ARGUMENTS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "a.owner"}, {"OBJECT_NAME", "V30", false, 0, "a.object_name"},
          {"PACKAGE_NAME", "V30", false, 0, "a.package_name"}, {"OBJECT_ID", "N", true, 0, "a.object_id"},
          {"OVERLOAD", "V40", false, 0, "a.overload"}, {"ARGUMENT_NAME", "V30", false, 0, "a.argument_name"},
          {"POSITION", "N", true, 0, "a.position"}, {"SEQUENCE", "N", true, 0, "a.sequence"},
          {"DATA_LEVEL", "N", true, 0, "a.data_level"}, {"DATA_TYPE", "V30", false, 0, "a.data_type"},
          {"DEFAULT_VALUE", "L", false, 0, "a.default_value"},
          {"DEFAULT_LENGTH", "N", false, 0, "length(a.default_value)"}, {"IN_OUT", "V9", false, 0, "a.in_out"},
          {"DATA_LENGTH", "N", false, 0, "a.data_length"}, {"DATA_PRECISION", "N", false, 0, "a.data_precision"},
          {"DATA_SCALE", "N", false, 0, "a.data_scale"}, {"RADIX", "N", false, 0, "a.radix"}},
         " FROM cat_arguments a WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.object_id = a.object_id)"},
        {"ALL_SOURCE", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "s.owner"}, {"NAME", "V30", true, 0, "s.name"}, {"TYPE", "V12", false, 0, "s.type"},
          {"LINE", "N", true, 0, "s.line"}, {"TEXT", "V4000", false, 0, "s.text"}},
         // One row per line, each with its newline, as Oracle keeps source.
         " FROM (WITH RECURSIVE l(owner, name, type, line, text, rest) AS ("
         "SELECT owner, name, type, 1, CASE WHEN instr(text, char(10)) > 0 THEN substr(text, 1, instr(text, char(10)))"
         " ELSE text END, CASE WHEN instr(text, char(10)) > 0 THEN substr(text, instr(text, char(10)) + 1) END"
         " FROM cat_source UNION ALL SELECT owner, name, type, line + 1, CASE WHEN instr(rest, char(10)) > 0 THEN"
         " substr(rest, 1, instr(rest, char(10))) ELSE rest END, CASE WHEN instr(rest, char(10)) > 0 THEN"
         " substr(rest, instr(rest, char(10)) + 1) END FROM l WHERE rest IS NOT NULL AND rest <> '')"
         " SELECT owner, name, type, line, text FROM l) s WHERE EXISTS (SELECT 1 FROM cat_visible_objects o"
         " WHERE o.owner = s.owner AND o.object_name = s.name AND o.object_type = s.type)"},
        {"ALL_OBJECT_TABLES", "PUBLIC", 8,
         {{"OWNER", "V30", true, 8, "NULL"}, {"TABLE_NAME", "V30", true, 8, "NULL"},
          {"TABLE_TYPE_OWNER", "V30", false, 8, "NULL"}, {"TABLE_TYPE", "V30", false, 8, "NULL"},
          {"PARTITIONED", "V3", false, 8, "NULL"}, {"IOT_TYPE", "V12", false, 8, "NULL"},
          {"NESTED", "V3", false, 8, "NULL"}},
         " WHERE 0"},
        {"ALL_COLL_TYPES", "PUBLIC", 8,
         {{"OWNER", "V30", true, 8, "t.owner"}, {"TYPE_NAME", "V30", true, 8, "t.type_name"},
          {"COLL_TYPE", "V30", true, 8, "t.coll_type"}, {"UPPER_BOUND", "N", false, 8, "t.upper_bound"},
          {"ELEM_TYPE_MOD", "V7", false, 8, "NULL"}, {"ELEM_TYPE_OWNER", "V30", false, 8, "NULL"},
          {"ELEM_TYPE_NAME", "V30", false, 8, "t.elem_type_name"}},
         " FROM cat_coll_types t WHERE EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = t.owner"
         " AND o.object_name = t.type_name)"},
        {"ALL_SNAPSHOTS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "NULL"}, {"NAME", "V30", true, 0, "NULL"}, {"TABLE_NAME", "V30", true, 0, "NULL"},
          {"MASTER_VIEW", "V30", false, 0, "NULL"}, {"MASTER_OWNER", "V30", false, 0, "NULL"},
          {"MASTER", "V30", false, 0, "NULL"}, {"LAST_REFRESH", "D", false, 0, "NULL"},
          {"QUERY", "L", false, 0, "NULL"}},
         " WHERE 0"},
        {"ALL_DB_LINKS", "PUBLIC", 0,
         {{"OWNER", "V30", true, 0, "NULL"}, {"DB_LINK", "V128", true, 0, "NULL"},
          {"USERNAME", "V30", false, 0, "NULL"}, {"HOST", "V2000", false, 0, "NULL"}, {"CREATED", "D", true, 0, "NULL"}},
         " WHERE 0"},
        {"USER_DB_LINKS", "PUBLIC", 0,
         {{"DB_LINK", "V128", true, 0, "NULL"}, {"USERNAME", "V30", false, 0, "NULL"},
          {"PASSWORD", "V30", false, 0, "NULL"}, {"HOST", "V2000", false, 0, "NULL"}, {"CREATED", "D", true, 0, "NULL"}},
         " WHERE 0"},
        {"ALL_LIBRARIES", "PUBLIC", 8,
         {{"OWNER", "V30", true, 8, "NULL"}, {"LIBRARY_NAME", "V30", true, 8, "NULL"},
          {"FILE_SPEC", "V2000", false, 8, "NULL"}, {"DYNAMIC", "V1", false, 8, "NULL"},
          {"STATUS", "V7", false, 8, "NULL"}},
         " WHERE 0"},
        {"DBA_ROLES", "SELECT_CATALOG_ROLE", 0,
         {{"ROLE", "V30", true, 0, "u.username"}, {"PASSWORD_REQUIRED", "V8", false, 0, "'NO'"}},
         " FROM cat_users u WHERE u.is_role = 1"},
        {"DBA_ROLE_PRIVS", "SELECT_CATALOG_ROLE", 0,
         {{"GRANTEE", "V30", false, 0, "r.grantee"}, {"GRANTED_ROLE", "V30", true, 0, "r.granted_role"},
          {"ADMIN_OPTION", "V3", false, 0, "r.admin_option"}, {"DEFAULT_ROLE", "V3", false, 0, "r.default_role"}},
         " FROM cat_role_privs r"},
        {"USER_ROLE_PRIVS", "PUBLIC", 0,
         {{"USERNAME", "V30", false, 0, "r.grantee"}, {"GRANTED_ROLE", "V30", false, 0, "r.granted_role"},
          {"ADMIN_OPTION", "V3", false, 0, "r.admin_option"}, {"DEFAULT_ROLE", "V3", false, 0, "r.default_role"}},
         " FROM cat_role_privs r WHERE r.grantee IN (ora_user(), 'PUBLIC')"},
        {"DBA_SYS_PRIVS", "SELECT_CATALOG_ROLE", 0,
         {{"GRANTEE", "V30", true, 0, "p.grantee"}, {"PRIVILEGE", "V40", true, 0, "p.privilege"},
          {"ADMIN_OPTION", "V3", false, 0, "p.admin_option"}},
         " FROM cat_sys_privs p"},
        {"USER_SYS_PRIVS", "PUBLIC", 0,
         {{"USERNAME", "V30", false, 0, "p.grantee"}, {"PRIVILEGE", "V40", true, 0, "p.privilege"},
          {"ADMIN_OPTION", "V3", false, 0, "p.admin_option"}},
         " FROM cat_sys_privs p WHERE p.grantee IN (ora_user(), 'PUBLIC')"},
        {"DBA_TAB_PRIVS", "SELECT_CATALOG_ROLE", 0,
         {{"GRANTEE", "V30", true, 0, "p.grantee"}, {"OWNER", "V30", true, 0, "p.owner"},
          {"TABLE_NAME", "V30", true, 0, "p.table_name"}, {"GRANTOR", "V30", true, 0, "p.grantor"},
          {"PRIVILEGE", "V40", true, 0, "p.privilege"}, {"GRANTABLE", "V3", false, 0, "p.grantable"}},
         " FROM cat_tab_privs p"},
        {"ALL_TAB_PRIVS", "PUBLIC", 0,
         {{"GRANTOR", "V30", true, 0, "p.grantor"}, {"GRANTEE", "V30", true, 0, "p.grantee"},
          {"TABLE_SCHEMA", "V30", true, 0, "p.owner"}, {"TABLE_NAME", "V30", true, 0, "p.table_name"},
          {"PRIVILEGE", "V40", true, 0, "p.privilege"}, {"GRANTABLE", "V3", false, 0, "p.grantable"}},
         " FROM cat_tab_privs p WHERE p.grantee IN (SELECT grantee FROM cat_my_grantees) OR p.owner = ora_user()"
         " OR p.grantor = ora_user()"},
        {"SESSION_PRIVS", "PUBLIC", 0, {{"PRIVILEGE", "V40", true, 0, "DISTINCT p.privilege"}},
         " FROM cat_sys_privs p WHERE p.grantee IN (SELECT grantee FROM cat_my_grantees)"},
        {"SESSION_ROLES", "PUBLIC", 0, {{"ROLE", "V30", true, 0, "g.grantee"}},
         " FROM cat_my_grantees g WHERE g.grantee NOT IN (ora_user(), 'PUBLIC')"},
        {"PRODUCT_COMPONENT_VERSION", "PUBLIC", 0,
         {{"PRODUCT", "V64", false, 0, "p.product"}, {"VERSION", "V64", false, 0, "p.version"},
          {"STATUS", "V64", false, 0, "p.status"}},
         " FROM cat_products p"},
        {"V_$VERSION", "PUBLIC", 0, {{"BANNER", "V64", false, 0, "p.banner"}},
         " FROM (SELECT seq, CASE WHEN seq = 1 THEN p.product || ' Release ' || p.version || ' - ' || p.status"
         " ELSE p.product || ': Release ' || p.version || ' - ' || p.status END AS banner FROM cat_products p) p"},
        {"DBA_JOBS", "SELECT_CATALOG_ROLE", 0, jobCols, " FROM cat_jobs j"},
        {"USER_JOBS", "PUBLIC", 0, jobCols, " FROM cat_jobs j WHERE j.priv_user = ora_user()"},
        {"ALL_JOBS", "PUBLIC", 0, jobCols, " FROM cat_jobs j WHERE j.priv_user = ora_user()"},
        {"DBA_JOBS_RUNNING", "SELECT_CATALOG_ROLE", 0,
         {{"SID", "N", false, 0, "r.sid"}, {"JOB", "N", false, 0, "r.job"}, {"FAILURES", "N", false, 0, "j.failures"},
          {"LAST_DATE", "D", false, 0, "j.last_date"}, {"LAST_SEC", "V8", false, 0, DDATE("j.last_date")},
          {"THIS_DATE", "D", false, 0, "j.this_date"}, {"THIS_SEC", "V8", false, 0, DDATE("j.this_date")},
          {"INSTANCE", "N", false, 8, "0"}},
         " FROM cat_jobs_running r JOIN cat_jobs j ON j.job = r.job"
         " JOIN cat_sessions s ON s.sid = r.sid WHERE ora_pid_alive(s.pid)"},
        {"V_$SESSION", "SELECT_CATALOG_ROLE", 0,
         {{"SADDR", "R8", false, 0, "NULL"}, {"SID", "N", false, 0, "s.sid"}, {"SERIAL#", "N", false, 0, "s.serial"},
          {"AUDSID", "N", false, 0, "s.sid"}, {"PADDR", "R8", false, 0, "NULL"},
          {"USER#", "N", false, 0, "s.user_id"}, {"USERNAME", "V30", false, 0, "s.username"},
          {"COMMAND", "N", false, 0, "0"}, {"TADDR", "V16", false, 0, "NULL"}, {"LOCKWAIT", "V16", false, 0, "NULL"},
          {"STATUS", "V8", false, 0,
           "CASE WHEN s.killed = 1 THEN 'KILLED' WHEN s.sid = ora_sid() THEN 'ACTIVE' ELSE s.status END"},
          {"SERVER", "V9", false, 0, "'DEDICATED'"}, {"SCHEMA#", "N", false, 0, "s.user_id"},
          {"SCHEMANAME", "V30", false, 0, "s.schemaname"}, {"OSUSER", "V30", false, 0, "s.osuser"},
          {"PROCESS", "V12", false, 0, "CAST(s.pid AS TEXT)"}, {"MACHINE", "V64", false, 0, "s.machine"},
          {"TERMINAL", "V30", false, 0, "'pts/0'"}, {"PROGRAM", "V64", false, 0, "s.program"},
          {"TYPE", "V10", false, 0, "'USER'"}, {"LOGON_TIME", "D", false, 0, "s.logon_time"},
          {"LAST_CALL_ET", "N", false, 0, "0"}},
         " FROM cat_sessions s WHERE ora_pid_alive(s.pid)"},
        {"USER_ERRORS", "PUBLIC", 0, errorCols, " FROM cat_errors e WHERE e.owner = ora_user()"},
        {"ALL_ERRORS", "PUBLIC", 0, allErrorCols,
         " FROM cat_errors e WHERE e.owner = ora_user() OR ora_user() = 'SYS'"
         " OR EXISTS (SELECT 1 FROM cat_visible_objects o WHERE o.owner = e.owner AND o.object_name = e.name)"},
        // NLS_DATE_FORMAT shows the session's value once the session changed it.
        {"V_$PARAMETER", "SELECT_CATALOG_ROLE", 0,
         {{"NUM", "N", false, 0, "p.num"}, {"NAME", "V80", false, 0, "p.name"}, {"TYPE", "N", false, 0, "p.type"},
          {"VALUE", "V512", false, 0, "p.value"}, {"DISPLAY_VALUE", "V512", false, 10, "p.value"},
          {"ISDEFAULT", "V9", false, 0, "CASE WHEN p.stored IS NULL THEN 'TRUE' ELSE 'FALSE' END"},
          {"ISSES_MODIFIABLE", "V5", false, 0, "p.isses_modifiable"},
          {"ISSYS_MODIFIABLE", "V9", false, 0, "p.issys_modifiable"},
          {"ISMODIFIED", "V10", false, 0, "CASE WHEN p.session_value IS NOT NULL THEN 'MODIFIED' ELSE 'FALSE' END"},
          {"ISADJUSTED", "V5", false, 0, "'FALSE'"}, {"DESCRIPTION", "V255", false, 0, "p.description"}},
         " FROM (SELECT c.*, d.value AS stored, s.value AS session_value,"
         " COALESCE(s.value, d.value, CASE WHEN c.name <> 'nls_date_format' THEN c.default_value END) AS value"
         " FROM cat_parameters c LEFT JOIN cat_db d ON d.key = c.name"
         " LEFT JOIN (SELECT 'nls_date_format' AS name, NULLIF(ora_nls_date_format(), (SELECT default_value"
         " FROM cat_parameters WHERE name = 'nls_date_format')) AS value) s ON s.name = c.name) p"},
    };
    return v;
}

const std::vector<ViewDef>& Views()
{
    static const std::vector<ViewDef> views = MakeViews();
    return views;
}

bool Exec(sqlite3* db, const std::string& sql, std::string* error)
{
    char* msg = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &msg) == SQLITE_OK)
        return true;
    *error = (msg ? msg : "SQLite error") + std::string(" in: ") + sql;
    sqlite3_free(msg);
    return false;
}

std::string Quote(const std::string& s)
{
    std::string out = "'";
    for (char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

void ParseTypeCode(const std::string& code, std::string* type, int* length)
{
    *length = 0;
    switch (code[0]) {
    case 'N': *type = "NUMBER"; *length = 22; break;
    case 'D': *type = "DATE"; *length = 7; break;
    case 'L': *type = "LONG"; break;
    case 'C': *type = "CHAR"; *length = std::atoi(code.c_str() + 1); break;
    case 'R': *type = "RAW"; *length = std::atoi(code.c_str() + 1); break;
    default: *type = "VARCHAR2"; *length = std::atoi(code.c_str() + 1); break;
    }
}

// System privileges of the predefined roles.
const char* const kDbaPrivs[] = {
    "CREATE SESSION", "ALTER SESSION", "ALTER SYSTEM", "CREATE USER", "ALTER USER", "DROP USER",
    "CREATE ROLE", "GRANT ANY PRIVILEGE", "GRANT ANY ROLE", "SELECT ANY TABLE", "INSERT ANY TABLE",
    "UPDATE ANY TABLE", "DELETE ANY TABLE", "CREATE ANY TABLE", "DROP ANY TABLE", "CREATE ANY VIEW",
    "DROP ANY VIEW", "CREATE ANY INDEX", "DROP ANY INDEX", "CREATE ANY SEQUENCE", "DROP ANY SEQUENCE",
    "SELECT ANY SEQUENCE", "CREATE ANY SYNONYM", "DROP ANY SYNONYM", "CREATE PUBLIC SYNONYM",
    "DROP PUBLIC SYNONYM", "CREATE ANY PROCEDURE", "DROP ANY PROCEDURE", "EXECUTE ANY PROCEDURE",
    "CREATE ANY TRIGGER", "DROP ANY TRIGGER", "CREATE ANY TYPE", "DROP ANY TYPE", "CREATE TABLE",
    "CREATE VIEW", "CREATE SEQUENCE", "CREATE SYNONYM", "CREATE PROCEDURE", "CREATE TRIGGER", "CREATE TYPE",
};
const char* const kConnectPrivs[] = {"CREATE SESSION", "ALTER SESSION", "CREATE TABLE", "CREATE VIEW",
                                     "CREATE SEQUENCE", "CREATE SYNONYM", "CREATE CLUSTER", "CREATE DATABASE LINK"};
const char* const kResourcePrivs[] = {"CREATE TABLE", "CREATE SEQUENCE", "CREATE PROCEDURE", "CREATE TRIGGER",
                                      "CREATE TYPE", "CREATE CLUSTER"};

// The grantees whose grants reach the session (the user, PUBLIC, the roles
// granted to either, directly or through roles), and the objects the session
// may see (its own, granted ones, PUBLIC synonyms, and with SELECT ANY TABLE
// everything outside SYS). Written into the queries that name them rather
// than kept as views in the schema, which every logon would parse.
// (Databases made by earlier builds keep the two views; their user views
// may read them.)
const char* const kMyGrantees =
    "(WITH RECURSIVE cat_g(grantee) AS (SELECT ora_user() UNION SELECT 'PUBLIC'"
    " UNION SELECT r.granted_role FROM cat_role_privs r JOIN cat_g ON r.grantee = cat_g.grantee)"
    " SELECT grantee FROM cat_g)";
const char* const kVisibleObjects =
    "(SELECT o.* FROM cat_objects o WHERE o.owner = ora_user()"
    " OR o.owner = 'PUBLIC' OR ora_user() = 'SYS'"
    " OR (o.owner <> 'SYS' AND ora_has_priv('SELECT ANY TABLE'))"
    " OR EXISTS (SELECT 1 FROM cat_tab_privs p WHERE p.owner = o.owner AND p.table_name = o.object_name"
    " AND p.grantee IN (SELECT grantee FROM cat_my_grantees)))";

// Replaces every whole-word name in sql by text.
void ReplaceName(std::string* sql, const std::string& name, const std::string& text)
{
    auto isWord = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$';
    };
    for (size_t at = sql->find(name); at != std::string::npos; at = sql->find(name, at)) {
        const size_t end = at + name.size();
        if ((at > 0 && isWord((*sql)[at - 1])) || (end < sql->size() && isWord((*sql)[end]))) {
            at = end;
            continue;
        }
        sql->replace(at, name.size(), text);
        at += text.size();
    }
}

std::string ViewSelect(const ViewDef& view, int major)
{
    std::string select = "SELECT ";
    int column = 0;
    for (const ViewColumn& c : view.columns) {
        if (major < c.minMajor)
            continue;
        select += std::string(column++ ? ", " : "") + c.expr + " AS \"" + c.name + "\"";
    }
    return select + view.tail;
}

// The parameters of a server version with their defaults: the job queue's
// wake-up interval is gone from version 9 on.
std::string ParameterRows(int major)
{
    const bool legacy = major <= 7;
    std::string sql = "INSERT INTO cat_parameters VALUES "
                      "(2, 'processes', 3, " + std::string(legacy ? "'50'" : "'150'") + ", 'FALSE', 'FALSE', 6, 20000,"
                      " 'user processes'),"
                      "(70, 'nls_date_format', 2, " + (legacy ? "'DD-MON-YY'" : "'DD-MON-RR'") + ", 'TRUE', 'FALSE',"
                      " NULL, NULL, 'NLS Oracle date format'),"
                      "(150, 'open_cursors', 3, '50', 'FALSE', " + (legacy ? "'FALSE'" : "'IMMEDIATE'") +
                      ", 1, 65535, 'max # cursors per session'),"
                      "(300, 'job_queue_processes', 3, '0', 'FALSE', 'IMMEDIATE', 0, 1000,"
                      " 'number of job queue slave processes')";
    if (major < 9)
        sql += ", (301, 'job_queue_interval', 3, '60', 'FALSE', 'IMMEDIATE', 1, 3600,"
               " 'Wakeup interval in seconds for job queue processes')";
    return sql;
}

// Adds one dictionary view of a version: its columns, its object, its text,
// its grant and its public synonym. objectId is the next free object number.
bool AddDictionaryView(sqlite3* db, const ViewDef& view, int major, const std::string& t, int64_t& objectId,
                       std::string* error)
{
    auto addObject = [&](const std::string& owner, const std::string& name, const std::string& type) {
        return Exec(db, "INSERT INTO cat_objects(object_id, owner, object_name, object_type, created, last_ddl_time)"
                        " VALUES (" + std::to_string(objectId++) + ", " + Quote(owner) + ", " + Quote(name) + ", " +
                            Quote(type) + ", " + t + ", " + t + ")",
                    error);
    };
    const std::string select = ViewSelect(view, major);
    int column = 0;
    for (const ViewColumn& c : view.columns) {
        if (major < c.minMajor)
            continue;
        std::string type;
        int length = 0;
        ParseTypeCode(c.type, &type, &length);
        if (major <= 7 && type == "VARCHAR2" && length > 2000)
            length = 2000;
        ++column;
        if (!Exec(db, "INSERT INTO cat_columns VALUES ('SYS', " + Quote(view.name) + ", " + Quote(c.name) + ", " +
                          std::to_string(column) + ", " + Quote(type) + ", " + std::to_string(length) +
                          ", NULL, NULL, '" + (c.notNull ? "N" : "Y") + "', NULL)",
                  error))
            return false;
    }
    if (!addObject("SYS", view.name, "VIEW") ||
        !Exec(db, "INSERT INTO cat_views VALUES ('SYS', " + Quote(view.name) + ", " + Quote(select) + ")", error) ||
        !Exec(db, "INSERT INTO cat_tab_privs VALUES (" + Quote(view.grantee) + ", 'SYS', " + Quote(view.name) +
                      ", 'SYS', 'SELECT', 'NO')",
              error))
        return false;
    std::string synonym = view.name;
    if (synonym.rfind("V_$", 0) == 0)
        synonym = "V$" + synonym.substr(3);
    return addObject("PUBLIC", synonym, "SYNONYM") &&
           Exec(db, "INSERT INTO cat_synonyms VALUES ('PUBLIC', " + Quote(synonym) + ", 'SYS', " + Quote(view.name) +
                        ", NULL)",
                error);
}

// The name a CREATE TABLE or CREATE VIEW statement of kTables makes.
std::string CreatedName(const std::string& sql)
{
    for (const char* prefix : {"CREATE TABLE ", "CREATE VIEW "})
        if (sql.rfind(prefix, 0) == 0) {
            const size_t start = std::string(prefix).size();
            if (sql.compare(start, 1, "\"") == 0) {
                const size_t close = sql.find('"', start + 1);
                return close == std::string::npos ? std::string() : sql.substr(start + 1, close - start - 1);
            }
            const size_t end = sql.find_first_of("( ", start);
            return sql.substr(start, end == std::string::npos ? std::string::npos : end - start);
        }
    return {};
}

// Raised whenever kTables or Views() gain something an existing database
// must be given at its next logon.
// Level 3: neither dictionary views nor the generation's triggers are kept
// in the schema; or (a build of that level too) the row locks' tables came.
// Level 4: both, whichever of the two a database has.
constexpr int kCatalogLevel = 4;

bool Exists(sqlite3* db, const char* query, const std::string& a, const std::string& b = {})
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) != SQLITE_OK)
        return false;
    sqlite3_bind_text(st, 1, a.c_str(), -1, SQLITE_TRANSIENT);
    if (!b.empty())
        sqlite3_bind_text(st, 2, b.c_str(), -1, SQLITE_TRANSIENT);
    const bool found = sqlite3_step(st) == SQLITE_ROW;
    sqlite3_finalize(st);
    return found;
}

// The names a query of the schema gives, in its first column.
bool SchemaNames(sqlite3* db, const char* query, std::vector<std::string>* names, std::string* error)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &st, nullptr) != SQLITE_OK) {
        *error = sqlite3_errmsg(db);
        sqlite3_finalize(st);
        return false;
    }
    while (sqlite3_step(st) == SQLITE_ROW)
        names->emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return true;
}

// Earlier builds kept every dictionary view in the schema, which SQLite
// reads at each connection's first statement. Those no view of the schema
// names go; the others stay (a user view made then reads them).
bool DropSchemaDictionaryViews(sqlite3* db, std::string* error)
{
    std::vector<std::string> drop;
    if (!SchemaNames(db,
                     "SELECT v.name FROM main.sqlite_master v WHERE v.type = 'view'"
                     " AND v.name LIKE 'SYS.%' AND NOT EXISTS (SELECT 1 FROM main.sqlite_master u"
                     " WHERE u.type = 'view' AND u.name <> v.name"
                     " AND instr(u.sql, '\"' || v.name || '\"') > 0)",
                     &drop, error))
        return false;
    for (const std::string& name : drop) {
        const std::string view = name.substr(4);
        const bool dictionary = std::any_of(Views().begin(), Views().end(),
                                            [&](const ViewDef& d) { return view == d.name; });
        if (dictionary && !Exec(db, "DROP VIEW main.\"" + name + "\"", error))
            return false;
    }
    return true;
}

// Earlier builds kept the triggers that move the catalogue generation in the
// schema; sessions now make them as TEMP triggers before their first DDL.
bool DropGenerationTriggers(sqlite3* db, std::string* error)
{
    std::vector<std::string> drop;
    if (!SchemaNames(db, "SELECT name FROM main.sqlite_master WHERE type = 'trigger' AND name LIKE 'cat_gen_%'", &drop,
                     error))
        return false;
    for (const std::string& name : drop)
        if (!Exec(db, "DROP TRIGGER main.\"" + name + "\"", error))
            return false;
    return Exec(db, "INSERT OR IGNORE INTO cat_db VALUES ('catalog_generation', '0')", error);
}

} // namespace

bool AttachInstance(sqlite3* db, const std::string& path, std::string* error)
{
    if (!Exec(db, "ATTACH DATABASE " + Quote(path) + " AS inst", error))
        return false;
    // A file an earlier session set up is in WAL mode already, and its
    // tables are read from the schema SQLite just loaded.
    bool ready = true;
    for (const char* table : {"cat_sessions", "cat_jobs_running", "cat_counters"})
        ready = ready && sqlite3_table_column_metadata(db, "inst", table, nullptr, nullptr, nullptr, nullptr, nullptr,
                                                       nullptr) == SQLITE_OK;
    if (ready)
        return true;
    sqlite3_exec(db, "PRAGMA inst.journal_mode = WAL", nullptr, nullptr, nullptr);
    for (const char* sql : kInstanceTables)
        if (!Exec(db, sql, error))
            return false;
    return true;
}

std::string DictionaryViewQuery(const std::string& name, int major)
{
    for (const ViewDef& view : Views())
        if (major >= view.minMajor && name == view.name)
            return WithCatalogHelpers(ViewSelect(view, major));
    return {};
}

std::string WithCatalogHelpers(std::string sql)
{
    ReplaceName(&sql, "cat_visible_objects", kVisibleObjects);
    ReplaceName(&sql, "cat_my_grantees", kMyGrantees);
    return sql;
}

int MajorVersionOf(const std::string& version)
{
    return std::atoi(version.c_str());
}

bool CreateCatalog(sqlite3* db, const std::string& version, std::string* error)
{
    const int major = MajorVersionOf(version);
    const int64_t now = OracleNow();
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return false;
    auto fail = [&]() {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    for (const char* sql : kTables)
        if (!Exec(db, sql, error))
            return fail();
    std::string sql = "INSERT INTO cat_db VALUES ('version', " + Quote(version) + "), ('created', '" +
                      std::to_string(now) + "')";
    if (!Exec(db, sql, error))
        return fail();
    // Users and roles.
    const std::string t = std::to_string(now);
    sql = "INSERT INTO cat_users(user_id, username, password, created, is_role) VALUES "
          "(0, 'SYS', " + Quote(OraPasswordVerifier::Make("CHANGE_ON_INSTALL")) + ", " + t + ", 0), (5, 'SYSTEM', " +
          Quote(OraPasswordVerifier::Make("MANAGER")) + ", " + t + ", 0),"
          "(1, 'PUBLIC', NULL, " + t + ", 1), (2, 'CONNECT', NULL, " + t + ", 1), (3, 'RESOURCE', NULL, " + t +
          ", 1), (4, 'DBA', NULL, " + t + ", 1), (6, 'SELECT_CATALOG_ROLE', NULL, " + t + ", 1)";
    if (!Exec(db, sql, error))
        return fail();
    auto grantSys = [&](const char* grantee, const char* const* privs, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (!Exec(db, std::string("INSERT OR IGNORE INTO cat_sys_privs VALUES (") + Quote(grantee) + ", " +
                              Quote(privs[i]) + ", 'YES')",
                      error))
                return false;
        return true;
    };
    if (!grantSys("DBA", kDbaPrivs, std::size(kDbaPrivs)) ||
        !grantSys("CONNECT", kConnectPrivs, std::size(kConnectPrivs)) ||
        !grantSys("RESOURCE", kResourcePrivs, std::size(kResourcePrivs)))
        return fail();
    if (!Exec(db, "INSERT INTO cat_role_privs VALUES ('SYS','DBA','YES','YES'), ('SYSTEM','DBA','YES','YES'),"
                  "('DBA','SELECT_CATALOG_ROLE','YES','YES'), ('SYS','SELECT_CATALOG_ROLE','YES','YES')",
              error))
        return fail();
    // Products.
    if (major <= 7) {
        sql = "INSERT INTO cat_products(seq, product, version, status) VALUES "
              "(1, 'Oracle7 Server', " + Quote(version) + ", 'Production'),"
              "(2, 'PL/SQL', '2.3.4.0.0', 'Production'), (3, 'CORE', '3.5.4.0.0', 'Production'),"
              "(4, 'TNS for Linux', '2.3.4.0.0', 'Production'), (5, 'NLSRTL', '3.2.4.0.0', 'Production')";
    } else {
        sql = "INSERT INTO cat_products(seq, product, version, status) VALUES "
              "(1, 'Oracle Database " + std::to_string(major) + "g Enterprise Edition', " + Quote(version) +
              ", 'Production'), (2, 'PL/SQL', " + Quote(version) + ", 'Production'),"
              "(3, 'CORE', " + Quote(version) + ", 'Production'),"
              "(4, 'TNS for Linux', " + Quote(version) + ", 'Production'),"
              "(5, 'NLSRTL', " + Quote(version) + ", 'Production')";
    }
    if (!Exec(db, sql, error))
        return fail();
    if (!Exec(db, ParameterRows(major), error))
        return fail();
    // DUAL and the dictionary views, each a SYS object with public synonym.
    int64_t objectId = 100;
    auto addObject = [&](const std::string& owner, const std::string& name, const std::string& type) {
        return Exec(db, "INSERT INTO cat_objects(object_id, owner, object_name, object_type, created, last_ddl_time)"
                        " VALUES (" + std::to_string(objectId++) + ", " + Quote(owner) + ", " + Quote(name) + ", " +
                            Quote(type) + ", " + t + ", " + t + ")",
                    error);
    };
    auto addPublicSynonym = [&](const std::string& synonym, const std::string& target) {
        return addObject("PUBLIC", synonym, "SYNONYM") &&
               Exec(db, "INSERT INTO cat_synonyms VALUES ('PUBLIC', " + Quote(synonym) + ", 'SYS', " +
                            Quote(target) + ", NULL)",
                    error);
    };
    if (!addObject("SYS", "DUAL", "TABLE") || !addPublicSynonym("DUAL", "DUAL") ||
        !Exec(db, "INSERT INTO cat_columns VALUES ('SYS','DUAL','DUMMY',1,'VARCHAR2',1,NULL,NULL,'Y',NULL)", error) ||
        !Exec(db, "INSERT INTO cat_tab_privs VALUES ('PUBLIC','SYS','DUAL','SYS','SELECT','NO')", error))
        return fail();
    for (const ViewDef& view : Views())
        if (major >= view.minMajor && !AddDictionaryView(db, view, major, t, objectId, error))
            return fail();
    if (!Exec(db, "INSERT INTO cat_db VALUES ('next_object_id', '1000'), ('catalog_generation', '0'), ('catalog_level', '" +
                      std::to_string(kCatalogLevel) + "')",
              error))
        return fail();
    return Exec(db, "COMMIT", error) || fail();
}

bool CatalogNeedsUpgrade(const std::string& level)
{
    return std::atoi(level.c_str()) < kCatalogLevel;
}

bool UpgradeCatalog(sqlite3* db, int major, std::string* error)
{
    if (Exists(db, "SELECT 1 FROM main.cat_db WHERE key = 'catalog_level' AND CAST(value AS INTEGER) >= ?",
               std::to_string(kCatalogLevel)))
        return true;
    if (!Exec(db, "BEGIN IMMEDIATE", error))
        return false;
    auto fail = [&]() {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    };
    // Tables and helper views made since the database was created.
    for (const char* sql : kTables) {
        const std::string name = CreatedName(sql);
        if (name.empty() || Exists(db, "SELECT 1 FROM main.sqlite_master WHERE name = ?", name))
            continue;
        if (!Exec(db, sql, error))
            return fail();
        if (name == "cat_parameters" && !Exec(db, ParameterRows(major), error))
            return fail();
    }
    // Dictionary views added since, numbered after the last object.
    int64_t objectId = 1000;
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT max(CAST(value AS INTEGER), (SELECT max(object_id) + 1 FROM cat_objects))"
                                   " FROM cat_db WHERE key = 'next_object_id'",
                               -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            objectId = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    const std::string t = std::to_string(OracleNow());
    for (const ViewDef& view : Views()) {
        if (major < view.minMajor ||
            Exists(db, "SELECT 1 FROM cat_objects WHERE owner = 'SYS' AND object_name = ? AND object_type = 'VIEW'",
                   view.name))
            continue;
        if (!AddDictionaryView(db, view, major, t, objectId, error))
            return fail();
    }
    if (!DropSchemaDictionaryViews(db, error) || !DropGenerationTriggers(db, error))
        return fail();
    if (!Exec(db, "INSERT OR REPLACE INTO cat_db VALUES ('next_object_id', '" + std::to_string(objectId) +
                      "'), ('catalog_level', '" + std::to_string(kCatalogLevel) + "')",
              error))
        return fail();
    return Exec(db, "COMMIT", error) || fail();
}

} // namespace VkOracle
