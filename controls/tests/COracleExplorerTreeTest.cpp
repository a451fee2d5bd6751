// The explorer tree on the offscreen platform against the demo databases:
// connecting fills the two roots, expanding an item loads its level once,
// items drag out as SQL or PL/SQL text, failures show as items and messages.
// Waits are for posted replies, never for time.

#include "controls/COracleExplorerTree.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalScript.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QMimeData>

#include <atomic>
#include <functional>
#include <memory>

using K = ExplorerKind;

namespace {

using qvtest::WaitUntil;

class ExplorerTree : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_tree = std::make_unique<COracleExplorerTree>();
        m_tree->SetLoginHandler([this] { ++m_logins; });
        m_tree->resize(400, 600);
        m_tree->show();
    }

    void TearDown() override { m_tree.reset(); }

    // Logs on and waits for both roots and their rows.
    void LogOn(const char* host, const char* user = "scott", const char* password = "tiger")
    {
        m_tree->SetDatabase(host);
        m_tree->SetUserName(user);
        m_tree->SetPassword(password);
        m_tree->Login();
        ASSERT_TRUE(WaitUntil([this] { return m_tree->topLevelItemCount() == 2 && Loaded(m_tree->topLevelItem(1)); }));
        ASSERT_TRUE(m_tree->Connected());
    }

    bool Loaded(const QTreeWidgetItem* item) const
    {
        const CExplorerNode* node = m_tree->Node(item);
        return node && node->loaded;
    }

    QTreeWidgetItem* Child(QTreeWidgetItem* parent, const std::string& name)
    {
        for (int i = 0; parent && i < parent->childCount(); ++i) {
            const CExplorerNode* node = m_tree->Node(parent->child(i));
            if (node && node->name == name)
                return parent->child(i);
        }
        ADD_FAILURE() << "no " << name;
        return nullptr;
    }

    // Expands item and waits for its level.
    QTreeWidgetItem* Expand(QTreeWidgetItem* item)
    {
        if (!item)
            return nullptr;
        item->setExpanded(true);
        EXPECT_TRUE(WaitUntil([&] { return Loaded(item); }));
        return item;
    }

    // Expands each named item in turn, starting at a root.
    QTreeWidgetItem* Open(int root, const std::vector<std::string>& names)
    {
        QTreeWidgetItem* item = m_tree->topLevelItem(root);
        for (const auto& name : names)
            item = Expand(Child(item, name));
        return item;
    }

    std::string Mime(QTreeWidgetItem* item)
    {
        // The model asks the tree, as a drag does.
        std::unique_ptr<QMimeData> data(m_tree->model()->mimeData({m_tree->indexFromItem(item)}));
        return data ? data->text().toStdString() : std::string("<none>");
    }

    std::unique_ptr<COracleExplorerTree> m_tree;
    std::atomic<int> m_logins{0};
};

TEST_F(ExplorerTree, ConnectingShowsBothRootsWithTheCategoriesOfTheVersion)
{
    for (auto [host, categories] : {std::pair{"DEMO", 21}, std::pair{"LEGACY", 13}}) {
        SCOPED_TRACE(host);
        if (m_tree->Connected()) {
            // The worker raises OnLogin just after it changes state: wait
            // for the disconnect's own call before counting afresh.
            m_logins = 0;
            m_tree->Disconnect();
            ASSERT_TRUE(WaitUntil(
                [this] { return !m_tree->Connected() && m_tree->topLevelItemCount() == 0 && m_logins == 1; }));
        }
        m_logins = 0;
        LogOn(host);
        EXPECT_EQ(m_logins.load(), 2); // connecting, connected
        EXPECT_EQ(m_tree->MajorVersion(), categories == 21 ? 10 : 7);
        EXPECT_FALSE(m_tree->Connecting());
        EXPECT_EQ(m_tree->topLevelItem(0)->text(0), "Schemas");
        EXPECT_EQ(m_tree->topLevelItem(1)->text(0), "Users");
        EXPECT_TRUE(m_tree->topLevelItem(0)->isExpanded());
        QTreeWidgetItem* scott = Child(m_tree->topLevelItem(0), "SCOTT");
        ASSERT_NE(scott, nullptr);
        EXPECT_EQ(scott->childCount(), categories);
        EXPECT_EQ(scott->child(0)->text(0), "Tables");
        QTreeWidgetItem* user = Child(m_tree->topLevelItem(1), "SCOTT");
        ASSERT_NE(user, nullptr);
        ASSERT_EQ(user->childCount(), 2);
        EXPECT_EQ(user->child(0)->text(0), "Granted Roles");
        EXPECT_EQ(user->child(1)->text(0), "System Privileges");
    }
}

TEST_F(ExplorerTree, ExpandingLoadsALevelOnceAndShowsDescriptions)
{
    LogOn("DEMO");
    QTreeWidgetItem* columns = Open(0, {"SCOTT", "Tables", "DEPT", "Columns"});
    ASSERT_NE(columns, nullptr);
    ASSERT_EQ(columns->childCount(), 3);
    EXPECT_EQ(columns->child(0)->text(0).toStdString().rfind("DEPTNO  number(2)  Not Null", 0), 0u)
        << columns->child(0)->text(0).toStdString();
    // Collapsing and expanding again does not load a second time.
    columns->setExpanded(false);
    columns->setExpanded(true);
    QTreeWidgetItem* sequences = Open(0, {"SCOTT", "Sequences"});
    ASSERT_NE(sequences, nullptr);
    EXPECT_EQ(columns->childCount(), 3);
    EXPECT_EQ(sequences->childCount(), 2);
}

TEST_F(ExplorerTree, TablesAndColumnsDragAsSelect)
{
    LogOn("LEGACY");
    QTreeWidgetItem* emp = Open(0, {"SCOTT", "Tables", "EMP"});
    ASSERT_NE(emp, nullptr);
    EXPECT_TRUE(emp->flags() & Qt::ItemIsDragEnabled);
    EXPECT_EQ(Mime(emp), "Select * from SCOTT.EMP");
    QTreeWidgetItem* columns = Expand(Child(emp, "Columns"));
    ASSERT_NE(columns, nullptr);
    EXPECT_EQ(Mime(emp), "Select EMPNO, ENAME, JOB, MGR, HIREDATE, SAL, COMM, DEPTNO from SCOTT.EMP");
    EXPECT_EQ(Mime(Child(columns, "SAL")), "Select SAL from SCOTT.EMP");
    // Categories and other rows cannot be dragged.
    EXPECT_FALSE(columns->flags() & Qt::ItemIsDragEnabled);
    EXPECT_EQ(Mime(columns), "<none>");
    EXPECT_EQ(Mime(Child(emp, "Indexes")), "<none>");
    EXPECT_EQ(m_tree->model()->mimeTypes(), QStringList{"text/plain"});
    // A drop that moves would otherwise take the item out of the tree.
    EXPECT_EQ(m_tree->model()->supportedDragActions(), Qt::CopyAction);
}

TEST_F(ExplorerTree, ProceduresFunctionsAndPackageMembersDragAsCallBlocks)
{
    LogOn("DEMO");
    QTreeWidgetItem* procedure = Expand(Child(Open(0, {"SCOTT", "Procedures"}), "GET_EMP_NAME"));
    ASSERT_NE(procedure, nullptr);
    EXPECT_EQ(Mime(procedure),
              "/* PROCEDURE: GET_EMP_NAME (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n"
              "\tout_p_ename_varchar2 VARCHAR2(2000);\r\n"
              "BEGIN\r\n\tscott.GET_EMP_NAME(\r\n\t\tin_p_empno_number ,\r\n\t\tout_p_ename_varchar2 );\r\nEND;");

    QTreeWidgetItem* function = Expand(Child(Open(0, {"SCOTT", "Functions"}), "EMP_COUNT"));
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(Mime(function),
              "/* FUNCTION: EMP_COUNT (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n\tv_EMP_COUNT_return NUMBER;\r\n"
              "BEGIN\r\n\tv_EMP_COUNT_return\t:= scott.EMP_COUNT(\r\n\t\tin_p_deptno_number );\r\nEND;");

    QTreeWidgetItem* package = Open(0, {"SCOTT", "Packages", "EMP_PKG"});
    ASSERT_NE(package, nullptr);
    ASSERT_EQ(package->childCount(), 6);
    QTreeWidgetItem* hire = Expand(package->child(5));
    ASSERT_NE(hire, nullptr);
    EXPECT_EQ(Mime(hire),
              "/* PROCEDURE: HIRE (from SCHEMA SCOTT) */\r\n\r\nDECLARE\r\n\tout_p_empno_number NUMBER;\r\n"
              "BEGIN\r\n\tscott.emp_pkg.HIRE(\r\n\t\tin_p_ename_varchar2 ,\r\n\t\tin_p_job_varchar2 ,"
              "\r\n\t\tin_p_sal_number ,\r\n\t\tout_p_empno_number );\r\nEND;");
    EXPECT_EQ(Mime(hire->child(0)), "<none>");
}

TEST_F(ExplorerTree, MissingDbaViewsShowAnErrorItemAndTellTheUser)
{
    VkModalScript script;
    script.AnswerMessage(IDOK);
    LogOn("DEMO");
    QTreeWidgetItem* roles = Open(1, {"SCOTT", "Granted Roles"});
    ASSERT_NE(roles, nullptr);
    ASSERT_EQ(roles->childCount(), 1);
    EXPECT_EQ(roles->child(0)->text(0).toStdString().rfind("ERROR: ORA-00942", 0), 0u)
        << roles->child(0)->text(0).toStdString();
    ASSERT_EQ(script.Messages().size(), 1u);
    const auto& box = script.Messages()[0];
    EXPECT_EQ(box.caption, "Job Scheduler");
    EXPECT_EQ(box.style, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_TRUE(box.text.startsWith("The current  user (scott) does not have read access")) << box.text.toStdString();
    EXPECT_EQ(script.Unexpected(), 0);
}

TEST_F(ExplorerTree, ResetReloadsTheRootsOnlyWhenConnected)
{
    m_tree->Reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_tree->topLevelItemCount(), 0);
    EXPECT_FALSE(m_tree->Connected());

    LogOn("DEMO");
    QTreeWidgetItem* tables = Open(0, {"SCOTT", "Tables"});
    ASSERT_NE(tables, nullptr);
    m_tree->Reset();
    EXPECT_EQ(m_tree->topLevelItemCount(), 0);
    ASSERT_TRUE(WaitUntil([this] { return m_tree->topLevelItemCount() == 2 && Loaded(m_tree->topLevelItem(1)); }));
    QTreeWidgetItem* scott = Child(m_tree->topLevelItem(0), "SCOTT");
    ASSERT_NE(scott, nullptr);
    EXPECT_FALSE(Loaded(scott->child(0))); // "Tables" is loaded again on demand
    EXPECT_EQ(scott->child(0)->childCount(), 0);
}

TEST_F(ExplorerTree, DisconnectEmptiesTheTreeAndAFailedLogonLeavesItEmpty)
{
    LogOn("DEMO");
    const int before = m_logins;
    m_tree->Disconnect();
    // OnLogin comes just after the state changes: waited for, not raced.
    EXPECT_TRUE(WaitUntil([&] { return m_logins > before; }));
    ASSERT_TRUE(WaitUntil([this] { return !m_tree->Connected() && m_tree->topLevelItemCount() == 0; }));

    m_logins = 0;
    m_tree->SetPassword("wrong");
    m_tree->Login();
    ASSERT_TRUE(WaitUntil([this] { return m_logins >= 2 && !m_tree->Connecting(); }));
    EXPECT_FALSE(m_tree->Connected());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_tree->topLevelItemCount(), 0);
    EXPECT_EQ(m_tree->ConnectString(), "scott/wrong@DEMO");
}

} // namespace
