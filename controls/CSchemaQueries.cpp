#include "controls/CSchemaQueries.h"

#include <iterator>

namespace {

struct QueryText {
    ExplorerKind kind;
    const char* version7;
    const char* later; // null: the same text for every version
};

// Tabs inside the texts are the server's business; they are sent as they are.
const QueryText kQueries[] = {
        {ExplorerKind(5),
         "SELECT USERNAME FROM ALL_USERS WHERE EXISTS (SELECT null FROM ALL_OBJECTS WHERE OWNER "
         "=USERNAME) ORDER BY USERNAME",
         nullptr},
        {ExplorerKind(45),
         "SELECT USERNAME FROM ALL_USERS ORDER BY USERNAME ",
         nullptr},
        {ExplorerKind(6),
         "select table_name from ALL_TABLES where owner='%s' order by table_name",
         "select table_name, decode(partitioned,'NO',' ','[Partitioned] ') "
         "||decode(nested,'NO',null,'[Nested]') fdesc from ALL_TABLES where owner='%s' and "
         "NVL(IOT_type,'NORMAL') != 'IOT_OVERFLOW' order by table_name"},
        {ExplorerKind(7),
         "Select COLUMN_NAME, '  "
         "'||lower(DATA_TYPE||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')','VARCHAR2','('||data_length||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')','FLOAT', "
         "  '('||data_precision||')','REAL',    '('||data_length||')',null) )) ||'  "
         "'||decode(NULLABLE,'Y','Null','Not Null') fdesc FROM ALL_TAB_COLUMNS where owner='%s' and "
         "table_name='%s' order by column_id",
         "Select COLUMN_NAME, '  "
         "'||lower(DATA_TYPE||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')', "
         "'VARCHAR2','('||data_length||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')', "
         "'FLOAT',   '('||data_precision||')','REAL',    '('||data_length||')',null) )) ||'  "
         "'||decode(NULLABLE,'Y','Null','Not Null') ||DATA_TYPE_MOD||' '||DATA_TYPE_OWNER fdesc FROM "
         "ALL_TAB_COLUMNS where owner='%s' and table_name='%s' order by  column_id"},
        {ExplorerKind(8),
         "Select constraint_name,\tdecode(constraint_type,'R','->'|| r_owner ||' "
         "'||r_constraint_name,null),decode(constraint_type,'P',1,'U',2,'R',3,4) "
         "ord,status,constraint_type, owner from ALL_CONSTRAINTS where owner='%s' and "
         "table_name='%s'order by 3",
         nullptr},
        {ExplorerKind::Constraint,
         "select column_name from ALL_CONS_COLUMNS where owner = '%s' and constraint_name ='%s' order by "
         "position",
         nullptr},
        {ExplorerKind::ConstraintCondition,
         "select search_condition from ALL_CONSTRAINTS where  owner = '%s' and constraint_name ='%s'",
         nullptr},
        {ExplorerKind(10),
         "select trigger_name, decode(instr(trigger_type,'BEFORE')  ,0,null,'BEFORE') ||' "
         "'||decode(instr(trigger_type,'AFTER')   ,0,null,'AFTER') ||' "
         "'||decode(instr(trigger_type,'INSTEAD')   ,0,null,'Instead Of') ||' "
         "'||decode(instr(triggering_event,'INSERT'),0,null,'Insert') ||' "
         "'||decode(instr(triggering_event,'UPDATE'),0,null,'Update') ||' "
         "'||decode(instr(triggering_event,'DELETE'),0,null,'Delete') ||' "
         "'||decode(instr(trigger_type,'EACH ROW'),0,null,'for each Row') fdesc, t.status status,o.status "
         "status2 from ALL_TRIGGERS T , ALL_OBJECTS O where t.owner = '%s' and table_name='%s' and "
         "t.trigger_name = o.object_name and t.owner = o.owner order by trigger_name",
         nullptr},
        {ExplorerKind(11),
         "select column_name from ALL_TRIGGER_COLS where table_owner = '%s' and table_name = '%s' and "
         "trigger_owner = '%s' and trigger_name = '%s' and column_list = 'YES'",
         nullptr},
        {ExplorerKind(12),
         "select index_name,decode(uniqueness,'UNIQUE','[Unique]','[Non Unique]' ) fdesc,status from "
         "ALL_INDEXES where table_owner='%s' and table_name='%s' order by index_name",
         "select index_name,decode(uniqueness,'UNIQUE','[Unique] ','[Non Unique]' ) || "
         "decode(partitioned,'YES',' [Partitioned] ',null)|| decode(index_type,' NORMAL',null,' "
         "['||index_type||']') fdesc,status from ALL_INDEXES where table_owner='%s' and table_name='%s' "
         "order by index_name"},
        {ExplorerKind(13),
         "select column_name from ALL_IND_COLUMNS where table_owner='%s' and table_name='%s' and "
         "Index_owner='%s' and index_name='%s' order by column_position",
         nullptr},
        {ExplorerKind(14),
         "select trigger_name, decode(instr(trigger_type,'BEFORE')  ,0,null,'BEFORE') ||' "
         "'||decode(instr(trigger_type,'AFTER'),0,null,'AFTER')  ||' "
         "'||decode(instr(trigger_type,'INSTEAD')   ,0,null,'Instead Of')||' "
         "'||decode(instr(triggering_event,'INSERT'),0,null,'Insert') ||' "
         "'||decode(instr(triggering_event,'UPDATE'),0,null,'Update') ||' "
         "'||decode(instr(triggering_event,'DELETE'),0,null,'Delete') ||' "
         "'||decode(instr(trigger_type,'EACH ROW'),0,null,'for each Row') ||' on "
         "'||table_owner||'.'||table_name fdesc, t.status status,o.status status2 from ALL_TRIGGERS  T, "
         "ALL_OBJECTS O where t.owner='%s' and t.trigger_name = o.object_name and t.owner = o.owner order "
         "by trigger_name",
         nullptr},
        {ExplorerKind(15),
         "select index_name,decode(uniqueness,'UNIQUE','[Unique]','[Non Unique]' )||' on "
         "'||owner||'.'||table_name fdesc,status  from ALL_INDEXES where owner='%s' order by index_name",
         "select index_name,decode(uniqueness,'UNIQUE','[Unique]','[Non Unique]' "
         ")||decode(partitioned,'YES',' [Partitioned] ',null)|| decode(index_type,' NORMAL',null,' "
         "['||index_type||']')  ||' on '||owner||'.'||table_name,status from ALL_INDEXES where owner='%s' "
         "order by index_name"},
        {ExplorerKind(16),
         "select column_name from ALL_IND_COLUMNS where Index_owner='%s' and index_name='%s' order by "
         "column_position",
         nullptr},
        {ExplorerKind(17),
         "select object_name from ALL_OBJECTS where owner='%s' and object_type='CLUSTER' order by "
         "object_name",
         nullptr},
        {ExplorerKind(18),
         "select object_name, '', status from ALL_OBJECTS where owner='%s' and  object_type='VIEW' order "
         "by object_name ",
         nullptr},
        {ExplorerKind(19),
         "Select COLUMN_NAME, '  "
         "'||lower(DATA_TYPE||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')', "
         "'VARCHAR2','('||data_length||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')', "
         "'FLOAT',   '('||data_precision||')','REAL',    '('||data_length||')',null) )) ||'  "
         "'||decode(NULLABLE,'Y','Null','Not Null') fdesc FROM ALL_TAB_COLUMNS where owner='%s' and "
         "table_name='%s' order by  column_id",
         "Select COLUMN_NAME, '  "
         "'||lower(DATA_TYPE||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')', "
         "'VARCHAR2','('||data_length||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')', "
         "'FLOAT',   '('||data_precision||')','REAL',    '('||data_length||')',null) )) ||'  "
         "'||decode(NULLABLE,'Y','Null','Not Null') ||DATA_TYPE_MOD||' '||DATA_TYPE_OWNER fdesc FROM "
         "ALL_TAB_COLUMNS where owner='%s' and table_name='%s' order by  column_id"},
        {ExplorerKind(20),
         "select trigger_name, decode(instr(trigger_type,'BEFORE')  ,0,null,'BEFORE') ||' "
         "'||decode(instr(trigger_type,'AFTER')   ,0,null,'AFTER')  ||' "
         "'||decode(instr(trigger_type,'INSTEAD')   ,0,null,'Instead Of') ||' "
         "'||decode(instr(triggering_event,'INSERT'),0,null,'Insert') ||' "
         "'||decode(instr(triggering_event,'UPDATE'),0,null,'Update') ||' "
         "'||decode(instr(triggering_event,'DELETE'),0,null,'Delete') ||' "
         "'||decode(instr(trigger_type,'EACH ROW'),0,null,'for each Row') fdesc, t.status status, "
         "o.status status2 from ALL_TRIGGERS T, ALL_OBJECTS o where table_owner='%s' and table_name='%s' "
         "and t.trigger_name = o.object_name and t.owner = o.owner order by trigger_name",
         nullptr},
        {ExplorerKind(21),
         "SELECT SEQUENCE_NAME FROM ALL_SEQUENCES WHERE SEQUENCE_OWNER = '%s'",
         nullptr},
        {ExplorerKind(22),
         "SELECT '','/Last No '||LAST_NUMBER ||' /Min '||MIN_VALUE||' /Max '||MAX_VALUE||' /Increment "
         "'||INCREMENT_BY||' /Cycle '||CYCLE_FLAG fdesc FROM ALL_SEQUENCES WHERE SEQUENCE_OWNER = '%s' "
         "AND SEQUENCE_NAME = '%s'",
         nullptr},
        {ExplorerKind(23),
         "select object_name, '' from ALL_OBJECTS where owner='%s' and object_type='SYNONYM' order by "
         "object_name",
         nullptr},
        {ExplorerKind(24),
         "SELECT s.table_owner||'.'||s.table_name  FROM ALL_SYNONYMS s, ALL_OBJECTS o WHERE s.owner = "
         "'%s' AND s.synonym_name = '%s' AND o.owner = s.table_owner AND o.object_name = s.table_name",
         nullptr},
        {ExplorerKind(25),
         "select object_name,'', object_id,status from ALL_OBJECTS where owner='%s' and "
         "object_type='PROCEDURE' order by object_name",
         nullptr},
        {ExplorerKind(26),
         "SELECT '' , a.argument_name ||' '|| a.in_out ||' "
         "'||data_type||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')','VARCHAR2','('||nvl(data_length,2000)||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')','FLOAT', "
         "  '('||data_precision||')','REAL',    '('||data_length||')',null) ) fdesc ,a.overload , "
         "a.POSITION, a.sequence FROM all_arguments a WHERE a.object_id=%s AND a.package_name IS NULL AND "
         "a.object_name='%s' AND a.OVERLOAD IS NULL AND a.data_type IS NOT NULL ORDER BY 1,4",
         nullptr},
        {ExplorerKind(27),
         "select object_name,'', object_id, status from ALL_OBJECTS where owner='%s' and "
         "object_type='FUNCTION' order by object_name ",
         nullptr},
        {ExplorerKind(28),
         "SELECT '' , decode(position, 0,'[return value]',a.argument_name)||' '||a.in_out||' "
         "'||data_type||decode(data_type,'NUMBER',\tdecode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')','VARCHAR2','('||nvl(data_length,2000)||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')','FLOAT', "
         "  '('||data_precision||')','REAL',    '('||data_length||')',null) ) fdesc, a.overload , "
         "a.POSITION FROM all_arguments a WHERE a.object_id=%s AND a.package_name IS NULL AND "
         "a.object_name='%s' AND a.OVERLOAD IS NULL AND a.data_type IS NOT NULL ORDER BY 1,4",
         nullptr},
        {ExplorerKind(29),
         "select object_name,'', object_id,status from ALL_OBJECTS where owner='%s' and "
         "object_type='PACKAGE' order by object_name",
         nullptr},
        {ExplorerKind(30),
         "SELECT a.object_name,decode(a.overload,null,null,'('||a.overload||')') fdesc, a.object_id, "
         "SUM(DECODE(a.POSITION , 0, 1, 0)) TYPE, a.overload FROM all_arguments a WHERE a.object_id = %s "
         "GROUP BY a.object_id, a.object_name, a.overload",
         nullptr},
        {ExplorerKind(31),
         "SELECT '', decode(a.position,0,'[return value]',a.argument_name) ||' '|| a.in_out ||' "
         "'||data_type||decode(data_type,'NUMBER', "
         "decode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',null,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')','VARCHAR2','('||nvl(data_length,2000)||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')','FLOAT', "
         "  '('||data_precision||')','REAL',    '('||data_length||')',null) ) fdesc ,a.overload , "
         "a.POSITION, a.sequence FROM all_arguments a WHERE a.object_id=%s AND a.object_name='%s' AND ( "
         "a.overload is  null OR a.overload = %s ) AND  DATA_TYPE IS NOT NULL ORDER BY 1,4",
         "SELECT '', decode(a.position,0,'[return value]',a.argument_name) ||' '|| a.in_out ||' "
         "'||data_type||decode(data_type,'NUMBER', "
         "decode(data_precision,null,null,'('||data_precision||decode(data_scale,0,')',null,')',','||data_scale||')')),decode( "
         "data_type,'CHAR','('||data_length||')','VARCHAR2','('||nvl(data_length,2000)||')','NVARCHAR2','('||data_length||')','NCHAR','('||data_length||')','CHAR','('||data_length||')','FLOAT', "
         "  '('||data_precision||')','REAL',    '('||data_length||')',null) ) fdesc ,a.overload , "
         "a.POSITION, a.sequence FROM all_arguments a WHERE a.object_id=%s AND OBJECT_NAME = '%s' AND ( "
         "a.overload is  null OR a.overload = %s ) AND  DATA_TYPE IS NOT NULL ORDER BY 1,4"},
        {ExplorerKind(33),
         "select object_name, '', status from ALL_OBJECTS where owner='%s' and object_type='PACKAGE BODY' "
         "order by object_name",
         nullptr},
        {ExplorerKind(34),
         "select object_name from ALL_OBJECTS where owner='%s' and   object_type='TYPE' order by "
         "object_name",
         nullptr},
        {ExplorerKind(35),
         "select object_name from ALL_OBJECTS where owner='%s' and object_type='TYPE BODY' order by "
         "object_name",
         nullptr},
        {ExplorerKind(36),
         "select table_name ||decode(partitioned,null,null,' [Partitioned]' )||' '||table_type fdesc from "
         "ALL_OBJECT_TABLES where owner='%s' and NVL(IOT_type,'NORMAL') != 'IOT_OVERFLOW' order by "
         "table_name",
         nullptr},
        {ExplorerKind(37),
         "select type_name ||' '||coll_type||' '||upper_bound fdesc from ALL_COLL_TYPES where owner='%s'",
         nullptr},
        {ExplorerKind(38),
         "select object_name obn from ALL_OBJECTS where owner='%s' and object_type='JAVA CLASS' order by "
         "obn",
         nullptr},
        {ExplorerKind(39),
         "select object_name from ALL_OBJECTS where owner='%s' and object_type='JAVA SOURCE' order by "
         "object_name",
         nullptr},
        {ExplorerKind(40),
         "select object_name from ALL_OBJECTS where owner='%s' and   object_type='JAVA SOURCE' order by "
         "object_name",
         nullptr},
        {ExplorerKind(41),
         "select name from  ALL_SNAPSHOTS where owner='%s' order by name",
         nullptr},
        {ExplorerKind(42),
         "SELECT  DB_LINK FROM ALL_DB_LINKS WHERE OWNER = '%s'",
         nullptr},
        {ExplorerKind(43),
         "SELECT 'Owner '||USER||'Username '||username FROM USER_DB_LINKS WHERE DB_LINK = '%s'",
         nullptr},
        {ExplorerKind(44),
         "select library_name||decode(file_spec,null,null,' File '||file_spec) fdesc from ALL_LIBRARIES "
         "where owner='%s' order by library_name",
         nullptr},
        {ExplorerKind(46),
         "select Granted_role ||decode(admin_option,'Y', ' With Admin',' Without Admin') fdesc from "
         "dba_role_privs where grantee='%s' order by granted_role",
         nullptr},
        {ExplorerKind(47),
         "select privilege||decode(admin_option,'Y', ' With Admin',' Without Admin') fdesc from "
         "dba_sys_privs where grantee='%s' order by privilege",
         nullptr},
};

struct Category {
    ExplorerKind kind;
    const char* name;
};

const Category kCategories[] = {
    {ExplorerKind::Schemas, "Schemas"},
    {ExplorerKind::Users, "Users"},
    {ExplorerKind::Tables, "Tables"},
    {ExplorerKind::TableColumns, "Columns"},
    {ExplorerKind::Constraints, "Constraints"},
    {ExplorerKind::TableTriggers, "Triggers"},
    {ExplorerKind::TableIndexes, "Indexes"},
    {ExplorerKind::Triggers, "Triggers"},
    {ExplorerKind::Indexes, "Indexes"},
    {ExplorerKind::Clusters, "Clusters"},
    {ExplorerKind::Views, "Views"},
    {ExplorerKind::ViewColumns, "Columns"},
    {ExplorerKind::ViewTriggers, "Triggers"},
    {ExplorerKind::Sequences, "Sequences"},
    {ExplorerKind::Synonyms, "Synonyms"},
    {ExplorerKind::Procedures, "Procedures"},
    {ExplorerKind::Functions, "Functions"},
    {ExplorerKind::Packages, "Packages"},
    {ExplorerKind::PackageBodies, "PackageBodies"},
    {ExplorerKind::Types, "Types"},
    {ExplorerKind::TypeBodies, "TypeBodies"},
    {ExplorerKind::ObjectTables, "ObjectTables"},
    {ExplorerKind::CollectionTypes, "CollectionTypes"},
    {ExplorerKind::JavaClasses, "JavaClasses"},
    {ExplorerKind::JavaSource, "JavaSource"},
    {ExplorerKind::JavaResources, "JavaResources"},
    {ExplorerKind::Snapshots, "Snapshots"},
    {ExplorerKind::DatabaseLinks, "DatabaseLinks"},
    {ExplorerKind::LinkUser, "User"},
    {ExplorerKind::Libraries, "Libraries"},
    {ExplorerKind::GrantedRoles, "Granted Roles"},
    {ExplorerKind::SystemPrivileges, "System Privileges"},
};

} // namespace

const char* CSchemaQueries::Text(ExplorerKind kind, long majorVersion)
{
    for (const auto& q : kQueries) {
        if (q.kind == kind)
            return majorVersion == 7 || !q.later ? q.version7 : q.later;
    }
    return nullptr;
}

std::string CSchemaQueries::Format(const char* text, const std::vector<std::string>& args)
{
    std::string out;
    if (!text)
        return out;
    size_t next = 0;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '%' && p[1] == 's') {
            if (next < args.size()) {
                for (char c : args[next]) {
                    out += c;
                    if (c == '\'')
                        out += '\'';
                }
            }
            ++next;
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

std::vector<ExplorerKind> CSchemaQueries::FixedChildren(ExplorerKind kind, long majorVersion)
{
    using K = ExplorerKind;
    switch (kind) {
    case K::Schema: {
        std::vector<K> kinds{K::Tables,     K::Triggers,   K::Indexes,  K::Clusters,      K::Views,
                             K::Sequences,  K::Synonyms,   K::Procedures, K::Functions,   K::Packages,
                             K::PackageBodies, K::Snapshots, K::DatabaseLinks};
        if (majorVersion > 7) {
            kinds.insert(kinds.end(), {K::Types, K::TypeBodies, K::ObjectTables, K::CollectionTypes,
                                       K::JavaClasses, K::JavaSource, K::JavaResources, K::Libraries});
        }
        return kinds;
    }
    case K::Table:
        return {K::TableColumns, K::Constraints, K::TableTriggers, K::TableIndexes};
    case K::View:
        return {K::ViewColumns, K::ViewTriggers};
    case K::DatabaseLink:
        return {K::LinkUser};
    case K::User:
        return {K::GrantedRoles, K::SystemPrivileges};
    default:
        return {};
    }
}

const char* CSchemaQueries::CategoryName(ExplorerKind kind)
{
    for (const auto& c : kCategories) {
        if (c.kind == kind)
            return c.name;
    }
    return "";
}

ExplorerKind CSchemaQueries::RowKind(ExplorerKind kind, const CExplorerNode& node)
{
    using K = ExplorerKind;
    switch (kind) {
    case K::Schemas:
        return K::Schema;
    case K::Users:
        return K::User;
    case K::Tables:
        return K::Table;
    case K::Views:
        return K::View;
    case K::Constraints:
        return K::Constraint;
    case K::TableTriggers:
        return K::TableTrigger;
    case K::TableIndexes:
        return K::TableIndex;
    case K::Indexes:
        return K::Index;
    case K::Sequences:
        return K::Sequence;
    case K::Synonyms:
        return K::Synonym;
    case K::Procedures:
        return K::Procedure;
    case K::Functions:
        return K::Function;
    case K::Packages:
        return K::Package;
    case K::Package:
        return K::PackageMember;
    case K::Procedure:
    case K::Function:
    case K::PackageMember:
        return K::Argument;
    case K::DatabaseLinks:
        return K::DatabaseLink;
    default:
        (void)node;
        return K::Leaf;
    }
}

bool CSchemaQueries::Loads(ExplorerKind kind)
{
    return kind == ExplorerKind::Constraint || Text(kind, 10) != nullptr;
}

int CSchemaQueries::Image(const CExplorerNode& node, bool open)
{
    using K = ExplorerKind;
    auto pair = [open](int closed, int opened) { return open ? opened : closed; };
    switch (node.kind) {
    case K::Schemas: return 0;
    case K::Tables: return 1;
    case K::TableColumns: case K::TableTrigger: case K::TableIndex: case K::Index: case K::ViewColumns: return 2;
    case K::Constraints: case K::Constraint: return 3;
    case K::TableTriggers: case K::Triggers: case K::ViewTriggers: return pair(4, 5);
    case K::TableIndexes: case K::Indexes: return pair(6, 7);
    case K::Clusters: return 8;
    case K::Views: return pair(24, 25);
    case K::Sequences: case K::Sequence: return 9;
    case K::Synonyms: case K::Synonym: return 15;
    case K::Procedures: return pair(11, 12);
    case K::Procedure: case K::Function: case K::Argument: return 10;
    case K::Functions: return pair(13, 14);
    case K::Packages: return pair(16, 17);
    case K::Package: return node.objectId.empty() ? 16 : -1;
    case K::PackageMember: return node.type.empty() || node.type == "0" ? pair(11, 12) : pair(13, 14);
    case K::PackageBodies: return pair(18, 19);
    case K::Types: return 20;
    case K::TypeBodies: return 21;
    case K::ObjectTables: return 22;
    case K::CollectionTypes: return 23;
    case K::JavaClasses: return 26;
    case K::JavaSource: return 27;
    case K::JavaResources: return 28;
    case K::Snapshots: return 29;
    case K::DatabaseLinks: return pair(30, 31);
    case K::LinkUser: return 30;
    case K::Libraries: return 32;
    case K::Users: return 33;
    case K::GrantedRoles: return 34;
    case K::SystemPrivileges: return 35;
    default: return -1;
    }
}
