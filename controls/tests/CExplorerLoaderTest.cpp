// The explorer's statements against the demo databases that "oradmin demo"
// provisions in the test's data root: every kind on a current server
// (DEMO) and on a version 7 server (LEGACY), walked the way the tree does,
// from the roots down through the items each level gives.

#include "controls/CExplorerLoader.h"
#include "controls/CSchemaQueries.h"
#include "framework/OCISession.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestLocale.h"
#include "testsupport/TestRoot.h"

#include <algorithm>
#include <memory>

using VkOracle::OCISession;
using K = ExplorerKind;
using Strings = std::vector<std::string>;

namespace {

struct Server {
    const char* alias;
    long major;
};

void PrintTo(const Server& server, std::ostream* os)
{
    *os << server.alias;
}

class ExplorerLoader : public qvtest::DemoDatabaseTest, public ::testing::WithParamInterface<Server> {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        Logon("scott", "tiger");
    }

    void Logon(const char* user, const char* password)
    {
        m_session = std::make_unique<OCISession>(true);
        m_session->SetUserName(user);
        m_session->SetPassword(password);
        m_session->SetDatabase(GetParam().alias);
        ASSERT_TRUE(m_session->Connect()) << m_session->Error();
        ASSERT_TRUE(m_session->SetVersion());
        m_major = m_session->MajorVersion();
        ASSERT_EQ(m_major, GetParam().major);
    }

    // The children of path's last node as the tree would show them.
    CExplorerLoadResult Children(const std::vector<CExplorerNode>& path)
    {
        if (!CSchemaQueries::Loads(path.back().kind)) {
            CExplorerLoadResult fixed;
            fixed.children = CExplorerLoader::FixedChildren(path.back().kind, m_major);
            return fixed;
        }
        return CExplorerLoader::Load(*m_session, m_major, path);
    }

    // path extended by the child named so (the first, or the one with this
    // description when given); an empty path when there is none.
    std::vector<CExplorerNode> Down(std::vector<CExplorerNode> path, const std::string& name,
                                    const std::string& description = std::string())
    {
        const auto result = Children(path);
        EXPECT_FALSE(result.failed) << result.error;
        for (const auto& child : result.children) {
            if (child.name == name && (description.empty() || child.description == description)) {
                path.push_back(child);
                return path;
            }
        }
        ADD_FAILURE() << "no child " << name << " under " << path.back().name;
        return {};
    }

    std::vector<CExplorerNode> Scott()
    {
        CExplorerNode root;
        root.kind = K::Schemas;
        return Down({root}, "SCOTT");
    }

    std::unique_ptr<OCISession> m_session;
    long m_major = 0;
};

Strings Names(const CExplorerLoadResult& result)
{
    Strings names;
    for (const auto& c : result.children)
        names.push_back(c.name);
    return names;
}

Strings Descriptions(const CExplorerLoadResult& result)
{
    Strings texts;
    for (const auto& c : result.children)
        texts.push_back(c.description);
    return texts;
}

TEST_P(ExplorerLoader, RootsListTheSchemasAndUsers)
{
    CExplorerNode root;
    root.kind = K::Schemas;
    const auto schemas = Children({root});
    ASSERT_FALSE(schemas.failed) << schemas.error;
    const Strings names = Names(schemas);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_NE(std::find(names.begin(), names.end(), "SCOTT"), names.end());
    for (const auto& c : schemas.children)
        EXPECT_EQ(c.kind, K::Schema);

    root.kind = K::Users;
    const auto users = Children({root});
    ASSERT_FALSE(users.failed) << users.error;
    const Strings userNames = Names(users);
    // Every schema is a user; users without objects are listed only here.
    EXPECT_GE(userNames.size(), names.size());
    for (const auto& name : names)
        EXPECT_NE(std::find(userNames.begin(), userNames.end(), name), userNames.end()) << name;
    for (const auto& c : users.children)
        EXPECT_EQ(c.kind, K::User);
}

TEST_P(ExplorerLoader, SchemaShowsTheCategoriesOfTheServerVersion)
{
    const auto scott = Scott();
    ASSERT_FALSE(scott.empty());
    const Strings categories = Names(Children(scott));
    Strings expected{"Tables",     "Triggers", "Indexes",  "Clusters",      "Views",     "Sequences",    "Synonyms",
                     "Procedures", "Functions", "Packages", "PackageBodies", "Snapshots", "DatabaseLinks"};
    if (m_major > 7) {
        expected.insert(expected.end(), {"Types", "TypeBodies", "ObjectTables", "CollectionTypes", "JavaClasses",
                                         "JavaSource", "JavaResources", "Libraries"});
    }
    EXPECT_EQ(categories, expected);
    EXPECT_EQ(categories.size(), m_major > 7 ? 21u : 13u);
}

// One row per level reached: the path below SCOTT (name, or name and
// description for overloads) and the names or descriptions of what it gives.
struct Level {
    Strings path;
    Strings names;        // compared when not empty
    Strings descriptions; // compared when not empty
    bool newerOnly = false;
};

TEST_P(ExplorerLoader, EveryKindGivesTheDictionaryRows)
{
    const Level levels[] = {
        {{"Tables"}, {"AUDIT_LOG", "BONUS", "DEPT", "EMP", "PROJECTS", "SALGRADE"}, {}},
        {{"Tables", "DEPT"}, {"Columns", "Constraints", "Triggers", "Indexes"}, {}},
        {{"Tables", "DEPT", "Columns"}, {"DEPTNO", "DNAME", "LOC"}, {}},
        {{"Tables", "EMP", "Constraints"}, {"PK_EMP", "FK_DEPTNO"}, {"", "->SCOTT PK_DEPT"}},
        {{"Tables", "EMP", "Constraints", "PK_EMP"}, {"EMPNO"}, {}},
        {{"Tables", "EMP", "Constraints", "FK_DEPTNO"}, {"DEPTNO"}, {}},
        {{"Tables", "PROJECTS", "Constraints", "UQ_PROJECTS_PNAME"}, {"PNAME"}, {}},
        {{"Tables", "EMP", "Triggers"}, {"EMP_SAL_AUDIT"}, {"BEFORE   Insert Update  for each Row"}},
        {{"Tables", "EMP", "Triggers", "EMP_SAL_AUDIT"}, {"SAL", "COMM"}, {}},
        {{"Tables", "EMP", "Indexes"}, {"EMP_DEPT_JOB_IDX", "EMP_ENAME_IDX", "PK_EMP"}, {}},
        {{"Tables", "EMP", "Indexes", "EMP_DEPT_JOB_IDX"}, {"DEPTNO", "JOB"}, {}},
        {{"Triggers"}, {"DEPT_AFTER_DELETE", "EMP_SAL_AUDIT"}, {}},
        {{"Indexes"}, {"AUDIT_LOG_DATE_IDX", "EMP_DEPT_JOB_IDX", "EMP_ENAME_IDX", "PK_AUDIT_LOG", "PK_DEPT", "PK_EMP",
                        "PK_PROJECTS", "UQ_PROJECTS_PNAME"},
         {}},
        {{"Indexes", "EMP_DEPT_JOB_IDX"}, {"DEPTNO", "JOB"}, {}},
        {{"Clusters"}, {}, {}},
        {{"Views"}, {"EMP_DEPT_V", "SAL_SUMMARY_V"}, {}},
        {{"Views", "SAL_SUMMARY_V", "Columns"}, {"DEPTNO", "HEADCOUNT", "TOTAL_SAL", "MAX_SAL"}, {}},
        {{"Views", "EMP_DEPT_V", "Triggers"}, {}, {}},
        {{"Sequences"}, {"EMP_SEQ", "PROJ_SEQ"}, {}},
        {{"Sequences", "PROJ_SEQ"}, {""}, {"/Last No 130 /Min 1 /Max 999990 /Increment 10 /Cycle Y"}},
        {{"Synonyms"}, {"DEPARTMENTS", "EMPLOYEES"}, {}},
        {{"Synonyms", "EMPLOYEES"}, {"SCOTT.EMP"}, {}},
        {{"Procedures"}, {"FAILING_JOB", "GET_EMP_NAME", "LOG_ACTION", "RAISE_SALARY", "REFRESH_STATS", "SWAP_VALUES"}, {}},
        {{"Procedures", "GET_EMP_NAME"}, {}, {"P_EMPNO IN NUMBER", "P_ENAME OUT VARCHAR2(2000)"}},
        {{"Procedures", "SWAP_VALUES"}, {}, {"P_A IN/OUT NUMBER", "P_B IN/OUT NUMBER"}},
        {{"Functions"}, {"ANNUAL_SALARY", "EMP_COUNT"}, {}},
        {{"Functions", "ANNUAL_SALARY"}, {},
         {"[return value] OUT NUMBER", "P_EMPNO IN NUMBER", "P_WITH_COMM IN VARCHAR2(2000)"}},
        {{"Packages"}, {"EMP_PKG"}, {}},
        {{"Packages", "EMP_PKG"}, {"ADJUST", "ADJUST", "FIND_EMP", "FIND_EMP", "FIRE", "HIRE"},
         {"(1)", "(2)", "(1)", "(2)", "", ""}},
        {{"Packages", "EMP_PKG", "FIND_EMP", "(2)"}, {}, {"[return value] OUT NUMBER", "P_ENAME IN VARCHAR2(2000)"}},
        {{"Packages", "EMP_PKG", "ADJUST", "(2)"}, {}, {"P_DEPTNO IN NUMBER", "P_PERCENT IN NUMBER", "P_ROWS OUT NUMBER"}},
        {{"Packages", "EMP_PKG", "FIRE"}, {}, {"P_EMPNO IN NUMBER"}},
        {{"PackageBodies"}, {"EMP_PKG"}, {}},
        {{"Snapshots"}, {}, {}},
        {{"DatabaseLinks"}, {}, {}},
        {{"Types"}, {"ADDRESS_T", "EMPNO_TAB_T", "PHONE_LIST_T"}, {}, true},
        {{"TypeBodies"}, {}, {}, true},
        {{"ObjectTables"}, {}, {}, true},
        {{"CollectionTypes"}, {"PHONE_LIST_T VARYING ARRAY 5", "EMPNO_TAB_T TABLE "}, {}, true},
        {{"JavaClasses"}, {}, {}, true},
        {{"JavaSource"}, {}, {}, true},
        {{"JavaResources"}, {}, {}, true},
        {{"Libraries"}, {}, {}, true},
    };
    for (const Level& level : levels) {
        if (level.newerOnly && m_major == 7)
            continue;
        SCOPED_TRACE(level.path.back());
        auto path = Scott();
        ASSERT_FALSE(path.empty());
        for (size_t i = 0; i < level.path.size() && !path.empty(); ++i) {
            const std::string& step = level.path[i];
            if (!step.empty() && step[0] == '(')
                continue; // consumed with the name before it
            const bool overload = i + 1 < level.path.size() && level.path[i + 1][0] == '(';
            path = Down(path, step, overload ? level.path[i + 1] : std::string());
        }
        ASSERT_FALSE(path.empty());
        const auto result = Children(path);
        ASSERT_FALSE(result.failed) << result.error;
        if (!level.names.empty()) {
            EXPECT_EQ(Names(result), level.names);
        }
        if (!level.descriptions.empty()) {
            EXPECT_EQ(Descriptions(result), level.descriptions);
        }
        if (level.names.empty() && level.descriptions.empty()) {
            EXPECT_TRUE(result.children.empty()); // SCOTT owns none of these
        }
    }
}

// In Turkish toupper('i') is 'i': the logon, the keywords of every statement
// and names such as PARTITIONED must still be recognised.
TEST_P(ExplorerLoader, EveryCategoryLoadsInTheTurkishLocale)
{
    qvtest::ProcessLocale turkish(qvtest::kTurkishLocale);
    QV_REQUIRE_LOCALE(turkish);
    Logon("scott", "tiger");
    const auto scott = Scott();
    ASSERT_FALSE(scott.empty());
    const auto categories = Children(scott);
    ASSERT_FALSE(categories.children.empty());
    int loaded = 0;
    for (const auto& category : categories.children) {
        auto path = scott;
        path.push_back(category);
        const auto items = Children(path);
        EXPECT_FALSE(items.failed) << category.name << ": " << items.error;
        if (items.children.empty())
            continue;
        path.push_back(items.children.front());
        // An item's own categories (a table's columns, constraints, ...).
        const auto parts = Children(path);
        EXPECT_FALSE(parts.failed) << path.back().name << ": " << parts.error;
        for (const auto& part : parts.children) {
            auto partPath = path;
            partPath.push_back(part);
            const auto rows = Children(partPath);
            EXPECT_FALSE(rows.failed) << path.back().name << "/" << part.name << ": " << rows.error;
            loaded += !rows.children.empty();
        }
    }
    EXPECT_GT(loaded, 2);
    const auto tables = Down(scott, "Tables");
    ASSERT_FALSE(tables.empty());
    EXPECT_EQ(Names(Children(Down(tables, "DEPT"))), (Strings{"Columns", "Constraints", "Triggers", "Indexes"}));
}

TEST_P(ExplorerLoader, RowsCarryTheColumnsThatTheTreeAndDragNeed)
{
    auto scott = Scott();
    ASSERT_FALSE(scott.empty());
    const auto columns = Children(Down(Down(Down(scott, "Tables"), "EMP"), "Columns"));
    ASSERT_FALSE(columns.failed) << columns.error;
    EXPECT_EQ(Names(columns), (Strings{"EMPNO", "ENAME", "JOB", "MGR", "HIREDATE", "SAL", "COMM", "DEPTNO"}));
    ASSERT_FALSE(columns.children.empty());
    EXPECT_EQ(columns.children[0].description.rfind("  number(4)  Not Null", 0), 0u) << columns.children[0].description;
    EXPECT_TRUE(columns.children[0].loaded);

    const auto constraints = Children(Down(Down(Down(scott, "Tables"), "EMP"), "Constraints"));
    ASSERT_EQ(constraints.children.size(), 2u);
    EXPECT_EQ(constraints.children[0].name, "PK_EMP");
    EXPECT_EQ(constraints.children[0].type, "P");
    EXPECT_EQ(constraints.children[0].status, "ENABLED");
    EXPECT_EQ(constraints.children[1].type, "R");
    EXPECT_EQ(constraints.children[1].description, "->SCOTT PK_DEPT");
    EXPECT_FALSE(constraints.children[1].loaded);

    const auto procedures = Children(Down(scott, "Procedures"));
    ASSERT_FALSE(procedures.children.empty());
    for (const auto& p : procedures.children) {
        EXPECT_EQ(p.kind, K::Procedure);
        EXPECT_FALSE(p.objectId.empty());
        EXPECT_EQ(p.status, "VALID");
    }
    const auto members = Children(Down(Down(scott, "Packages"), "EMP_PKG"));
    ASSERT_EQ(members.children.size(), 6u);
    EXPECT_EQ(members.children[2].kind, K::PackageMember);
    EXPECT_EQ(members.children[2].type, "1"); // FIND_EMP returns a value
    EXPECT_EQ(members.children[0].type, "0"); // ADJUST does not
    EXPECT_EQ(members.children[1].overload, "2");
    EXPECT_FALSE(members.children[0].objectId.empty());
}

TEST_P(ExplorerLoader, LinkUserQueryRunsForAnUnknownLink)
{
    auto scott = Scott();
    ASSERT_FALSE(scott.empty());
    CExplorerNode link;
    link.kind = K::DatabaseLink;
    link.name = "NO_SUCH.LINK";
    scott.push_back(link);
    const auto path = Down(scott, "User");
    ASSERT_FALSE(path.empty());
    const auto result = Children(path);
    EXPECT_FALSE(result.failed) << result.error;
    EXPECT_TRUE(result.children.empty());
}

TEST_P(ExplorerLoader, RolesAndPrivilegesNeedTheDbaViews)
{
    CExplorerNode root;
    root.kind = K::Users;
    const auto scott = Down({root}, "SCOTT");
    ASSERT_FALSE(scott.empty());
    for (const char* category : {"Granted Roles", "System Privileges"}) {
        const auto result = Children(Down(scott, category));
        EXPECT_TRUE(result.failed) << category;
        EXPECT_EQ(result.oracleError, 942) << category;
        EXPECT_NE(result.error.find("ORA-00942"), std::string::npos) << result.error;
    }

    Logon("system", "manager");
    const auto asSystem = Down({root}, "SCOTT");
    ASSERT_FALSE(asSystem.empty());
    for (const char* category : {"Granted Roles", "System Privileges"}) {
        const auto result = Children(Down(asSystem, category));
        ASSERT_FALSE(result.failed) << category << ": " << result.error;
        ASSERT_FALSE(result.children.empty()) << category;
        for (const auto& row : result.children) {
            const bool admin = row.name.size() > 11 && row.name.compare(row.name.size() - 11, 11, " With Admin") == 0;
            const bool plain = row.name.size() > 14 && row.name.compare(row.name.size() - 14, 14, " Without Admin") == 0;
            EXPECT_TRUE(admin || plain) << row.name;
        }
    }
}

TEST_P(ExplorerLoader, FunctionArgumentsOfTheOldServerNeedTheSeparatedFrom)
{
    // The statement as first written ran "POSITION" into "FROM".
    std::string broken = CSchemaQueries::Text(K::Function, 7);
    const auto at = broken.find("a.POSITION FROM");
    ASSERT_NE(at, std::string::npos);
    broken.erase(at + 10, 1);
    auto cursor = m_session->Cursor();
    std::unique_ptr<OCISession::OCIQueryData> data(
        cursor.Sql(CSchemaQueries::Format(broken.c_str(), {"1", "X"}).c_str()));
    if (data)
        data->Fetch(1);
    EXPECT_EQ(cursor.OracleError(), 923);
}

INSTANTIATE_TEST_SUITE_P(Servers, ExplorerLoader, ::testing::Values(Server{"DEMO", 10}, Server{"LEGACY", 7}),
                         [](const auto& info) { return std::string(info.param.alias); });

} // namespace
