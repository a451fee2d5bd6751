// The explorer control's window on the offscreen platform: its tool bar and
// what each button does to the tree.

#include "controls/CExplorerReal.h"
#include "controls/COracleExplorerTree.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/TestRoot.h"
#include "testsupport/WaitUntil.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QToolBar>

namespace {

using qvtest::WaitUntil;

TEST(ExplorerReal, ToolBarHasTheThreeButtonsWithTheirTips)
{
    CExplorerReal window;
    const struct {
        int id;
        const char* text;
        const char* tip;
    } buttons[] = {
        {CExplorerReal::ID_HOST, "Host", "Set or change server for connection."},
        {CExplorerReal::ID_RESET, "Reset", "Reset contents (usually in response to changes on the server)."},
        {CExplorerReal::ID_HELP, "Help", "Help on using the Schema Explorer."},
    };
    ASSERT_EQ(window.ToolBar()->actions().size(), 3);
    for (const auto& b : buttons) {
        QAction* action = window.Action(b.id);
        ASSERT_NE(action, nullptr) << b.text;
        EXPECT_EQ(action->text(), b.text);
        EXPECT_EQ(action->toolTip(), b.tip);
    }
    EXPECT_EQ(window.ToolBar()->actions()[0], window.Action(CExplorerReal::ID_HOST));
}

TEST(ExplorerReal, HostRunsTheOwnersLogonOnlyOnceThereIsOne)
{
    CExplorerReal window;
    QAction* host = window.Action(CExplorerReal::ID_HOST);
    EXPECT_FALSE(host->isEnabled());
    int calls = 0;
    window.SetHostHandler([&] { ++calls; });
    EXPECT_TRUE(host->isEnabled());
    host->trigger();
    EXPECT_EQ(calls, 1);
    window.SetHostHandler(nullptr);
    EXPECT_FALSE(host->isEnabled());
}

TEST(ExplorerReal, ResetReloadsTheConnectedTree)
{
    const qvtest::DemoRoot demo;
    ASSERT_TRUE(demo.Provisioned()) << demo.Output();
    CExplorerReal window;
    window.show();
    COracleExplorerTree* tree = window.Tree();
    window.Action(CExplorerReal::ID_RESET)->trigger(); // not connected: nothing happens
    EXPECT_EQ(tree->topLevelItemCount(), 0);

    tree->SetDatabase("LEGACY");
    tree->SetUserName("scott");
    tree->SetPassword("tiger");
    tree->Login();
    auto rootsLoaded = [tree] {
        return tree->topLevelItemCount() == 2 && tree->Node(tree->topLevelItem(1))
            && tree->topLevelItem(1)->childCount() > 0;
    };
    ASSERT_TRUE(WaitUntil(rootsLoaded));
    window.Action(CExplorerReal::ID_RESET)->trigger();
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    ASSERT_TRUE(WaitUntil(rootsLoaded));
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "Schemas");
    EXPECT_NE(tree->Node(tree->topLevelItem(0)), nullptr);
}

} // namespace
