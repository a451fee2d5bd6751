// The text dragged out of the schema explorer, and the statements it sends,
// built from node paths alone (no server).

#include "controls/CExplorerDragText.h"
#include "controls/CExplorerLoader.h"
#include "controls/CSchemaQueries.h"
#include "testsupport/TestLocale.h"

#include <gtest/gtest.h>

using K = ExplorerKind;
using Path = std::vector<CExplorerNode>;

namespace {

CExplorerNode Node(K kind, const std::string& name, const std::string& id = {}, const std::string& type = {},
                   const std::string& overload = {})
{
    CExplorerNode node;
    node.kind = kind;
    node.name = name;
    node.objectId = id;
    node.type = type;
    node.overload = overload;
    return node;
}

Path Under(K category, const CExplorerNode& node)
{
    return {Node(K::Schemas, ""), Node(K::Schema, "SCOTT"), Node(category, CSchemaQueries::CategoryName(category)), node};
}

TEST(ExplorerDragText, TablesViewsAndTheirColumnsGiveASelect)
{
    const Path emp = Under(K::Tables, Node(K::Table, "EMP"));
    EXPECT_EQ(CExplorerDragText::Build(emp, {}), "Select * from SCOTT.EMP");
    EXPECT_EQ(CExplorerDragText::Build(emp, {"EMPNO", "ENAME", "SAL"}), "Select EMPNO, ENAME, SAL from SCOTT.EMP");
    EXPECT_EQ(CExplorerDragText::Build(Under(K::Views, Node(K::View, "EMP_DEPT_V")), {"DNAME"}),
              "Select DNAME from SCOTT.EMP_DEPT_V");

    Path column = emp;
    column.push_back(Node(K::TableColumns, "Columns"));
    column.push_back(Node(K::Leaf, "ENAME"));
    EXPECT_EQ(CExplorerDragText::Build(column, {}), "Select ENAME from SCOTT.EMP");
    Path viewColumn = Under(K::Views, Node(K::View, "EMP_DEPT_V"));
    viewColumn.push_back(Node(K::ViewColumns, "Columns"));
    viewColumn.push_back(Node(K::Leaf, "LOC"));
    EXPECT_EQ(CExplorerDragText::Build(viewColumn, {}), "Select LOC from SCOTT.EMP_DEPT_V");
}

TEST(ExplorerDragText, OtherNodesGiveNothing)
{
    Path indexColumn = Under(K::Indexes, Node(K::Index, "PK_EMP"));
    indexColumn.push_back(Node(K::Leaf, "EMPNO"));
    const Path cases[] = {
        {Node(K::Schemas, "")},
        {Node(K::Schemas, ""), Node(K::Schema, "SCOTT")},
        Under(K::Sequences, Node(K::Sequence, "EMP_SEQ")),
        Under(K::Triggers, Node(K::Leaf, "EMP_SAL_AUDIT")),
        indexColumn,
        {},
    };
    for (const Path& path : cases)
        EXPECT_EQ(CExplorerDragText::Build(path, {"X IN NUMBER"}), "") << (path.empty() ? "" : path.back().name);
}

TEST(ExplorerDragText, ProcedureDeclaresOnlyWhatItGetsBack)
{
    const Path path = Under(K::Procedures, Node(K::Procedure, "GET_EMP_NAME", "1024"));
    EXPECT_EQ(CExplorerDragText::Build(path, {"P_EMPNO IN NUMBER", "P_ENAME OUT VARCHAR2(2000)"}),
              "/* PROCEDURE: GET_EMP_NAME (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "\tout_p_ename_varchar2 VARCHAR2(2000);\r\n"
              "BEGIN\r\n\tscott.GET_EMP_NAME(\r\n\t\tin_p_empno_number ,\r\n\t\tout_p_ename_varchar2 );\r\nEND;");
    EXPECT_EQ(CExplorerDragText::Build(Under(K::Procedures, Node(K::Procedure, "SWAP_VALUES")),
                                       {"P_A IN/OUT NUMBER", "P_B\tIN/OUT  NUMBER"}),
              "/* PROCEDURE: SWAP_VALUES (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "\tin_out_p_a_number NUMBER;\r\n\tin_out_p_b_number NUMBER;\r\n"
              "BEGIN\r\n\tscott.SWAP_VALUES(\r\n\t\tin_out_p_a_number ,\r\n\t\tin_out_p_b_number );\r\nEND;");
    // Arguments not loaded yet: a call without arguments.
    EXPECT_EQ(CExplorerDragText::Build(Under(K::Procedures, Node(K::Procedure, "REFRESH_STATS")), {}),
              "/* PROCEDURE: REFRESH_STATS (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "BEGIN\r\n\tscott.REFRESH_STATS();\r\nEND;");
}

TEST(ExplorerDragText, FunctionAssignsItsReturnValue)
{
    const Path path = Under(K::Functions, Node(K::Function, "ANNUAL_SALARY", "1030"));
    EXPECT_EQ(CExplorerDragText::Build(path, {"[return value] OUT NUMBER", "P_EMPNO IN NUMBER",
                                              "P_WITH_COMM IN VARCHAR2(2000)"}),
              "/* FUNCTION: ANNUAL_SALARY (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "\tv_ANNUAL_SAL_return NUMBER;\r\n"
              "BEGIN\r\n\tv_ANNUAL_SAL_return\t:= scott.ANNUAL_SALARY(\r\n\t\tin_p_empno_number ,"
              "\r\n\t\tin_p_with_com_varchar2 );\r\nEND;");
}

TEST(ExplorerDragText, PackageMemberIsCalledThroughItsPackage)
{
    Path path = Under(K::Packages, Node(K::Package, "EMP_PKG", "1031"));
    path.push_back(Node(K::PackageMember, "FIND_EMP", "1031", "1", "2"));
    EXPECT_EQ(CExplorerDragText::Build(path, {"[return value] OUT NUMBER", "P_ENAME IN VARCHAR2(2000)"}),
              "/* FUNCTION: FIND_EMP (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n\tv_FIND_EMP_return NUMBER;\r\n"
              "BEGIN\r\n\tv_FIND_EMP_return\t:= scott.emp_pkg.FIND_EMP(\r\n\t\tin_p_ename_varchar2 );\r\nEND;");
    path.back() = Node(K::PackageMember, "FIRE", "1031", "0");
    EXPECT_EQ(CExplorerDragText::Build(path, {"P_EMPNO IN NUMBER"}),
              "/* PROCEDURE: FIRE (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "BEGIN\r\n\tscott.emp_pkg.FIRE(\r\n\t\tin_p_empno_number );\r\nEND;");
}

TEST(ExplorerDragText, TheSameInTheTurkishLocale)
{
    // In Turkish tolower('I') is 'I': "IN/OUT" must still become "in_out".
    const Path procedure = Under(K::Procedures, Node(K::Procedure, "LIST_ITEMS", "1024"));
    const std::vector<std::string> arguments = {"P_ID IN NUMBER", "P_ITEM IN/OUT VARCHAR2(2000)", "P_INFO OUT VARCHAR2(2000)"};
    const Path function = Under(K::Functions, Node(K::Function, "IS_VALID", "1030"));
    const std::string call = CExplorerDragText::Build(procedure, arguments);
    const std::string ask = CExplorerDragText::Build(function, {"[return value] OUT NUMBER", "P_ID IN NUMBER"});
    EXPECT_NE(call.find("in_out_p_item_varchar2 VARCHAR2(2000);"), std::string::npos) << call;

    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    QV_REQUIRE_LOCALE(turkish);
    EXPECT_EQ(CExplorerDragText::Build(procedure, arguments), call);
    EXPECT_EQ(CExplorerDragText::Build(function, {"[return value] OUT NUMBER", "P_ID IN NUMBER"}), ask);
}

TEST(ExplorerStatements, FilledFromTheNodeAndItsAncestors)
{
    Path trigger = Under(K::Tables, Node(K::Table, "EMP"));
    trigger.push_back(Node(K::TableTriggers, "Triggers"));
    trigger.push_back(Node(K::TableTrigger, "EMP_SAL_AUDIT"));
    EXPECT_EQ(CExplorerLoader::Statement(trigger, 10),
              "select column_name from ALL_TRIGGER_COLS where table_owner = 'SCOTT' and table_name = 'EMP' and "
              "trigger_owner = 'SCOTT' and trigger_name = 'EMP_SAL_AUDIT' and column_list = 'YES'");

    Path member = Under(K::Packages, Node(K::Package, "EMP_PKG", "1031"));
    member.push_back(Node(K::PackageMember, "FIRE", "1031"));
    const std::string fire = CExplorerLoader::Statement(member, 10);
    EXPECT_NE(fire.find("a.object_id=1031 AND OBJECT_NAME = 'FIRE' AND ( a.overload is  null OR a.overload = NULL )"),
              std::string::npos)
        << fire;

    // Names are quoted safely; identifiers must be numbers.
    const std::string hostile = CExplorerLoader::Statement(Under(K::Procedures, Node(K::Procedure, "X'Y", "1 OR 1=1")), 7);
    EXPECT_NE(hostile.find("a.object_id=NULL AND a.package_name IS NULL AND a.object_name='X''Y'"), std::string::npos)
        << hostile;

    Path condition = Under(K::Tables, Node(K::Table, "PROJECTS"));
    condition.push_back(Node(K::Constraints, "Constraints"));
    condition.push_back(Node(K::Constraint, "CK_PROJECTS_BUDGET", {}, "C"));
    EXPECT_EQ(CExplorerLoader::Statement(condition, 10),
              "select search_condition from ALL_CONSTRAINTS where  owner = 'SCOTT' and constraint_name ='CK_PROJECTS_BUDGET'");
    condition.back().type = "R";
    EXPECT_EQ(CExplorerLoader::Statement(condition, 10).rfind("select column_name from ALL_CONS_COLUMNS", 0), 0u);

    Path roles{Node(K::Users, ""), Node(K::User, "SCOTT"), Node(K::GrantedRoles, "Granted Roles")};
    EXPECT_NE(CExplorerLoader::Statement(roles, 10).find("grantee='SCOTT'"), std::string::npos);
    EXPECT_EQ(CExplorerLoader::Statement(Under(K::Sequences, Node(K::Leaf, "x")), 10), "");
}

TEST(ExplorerStatements, EveryLoadingKindIsFilledCompletely)
{
    for (long version : {7L, 10L}) {
        for (int k = 5; k < 110; ++k) {
            const K kind = static_cast<K>(k);
            if (!CSchemaQueries::Loads(kind))
                continue;
            Path path = {Node(K::Schemas, ""), Node(K::Schema, "SCOTT"), Node(K::Table, "EMP"),
                         Node(K::DatabaseLink, "L"), Node(kind, "N", "7", "P", "1")};
            if (kind == K::GrantedRoles || kind == K::SystemPrivileges)
                path = {Node(K::Users, ""), Node(K::User, "SCOTT"), Node(kind, "N")};
            const std::string sql = CExplorerLoader::Statement(path, version);
            EXPECT_FALSE(sql.empty()) << k;
            EXPECT_EQ(sql.find("%s"), std::string::npos) << k << ": " << sql;
            // An argument the node's path did not supply would leave an empty literal.
            EXPECT_EQ(sql.find("=''"), std::string::npos) << k << ": " << sql;
            EXPECT_EQ(sql.find("= ''"), std::string::npos) << k << ": " << sql;
        }
    }
    EXPECT_NE(std::string(CSchemaQueries::Text(K::Tables, 7)), CSchemaQueries::Text(K::Tables, 8));
    EXPECT_EQ(std::string(CSchemaQueries::Text(K::Sequences, 7)), CSchemaQueries::Text(K::Sequences, 10));
    EXPECT_NE(std::string(CSchemaQueries::Text(K::Function, 7)).find("a.POSITION FROM"), std::string::npos);
    EXPECT_EQ(CSchemaQueries::Text(K::Schema, 10), nullptr);
}

} // namespace
