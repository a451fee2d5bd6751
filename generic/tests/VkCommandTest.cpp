#include "generic/VkCommand.h"
#include "generic/VkCommandActions.h"
#include "generic/VkStringTable.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <string>
#include <vector>

namespace {

struct Chain {
    VkCommandTarget doc, frame, app;
    bool withDoc = true;
    std::vector<std::string> ran;
    VkCommandRouter router{[this] {
        std::vector<VkCommandTarget*> targets;
        if (withDoc)
            targets.push_back(&doc);
        targets.push_back(&frame);
        targets.push_back(&app);
        return targets;
    }};
};

TEST(VkCommandRouter, FirstHandlerInTheChainWinsAndUnhandledIsDisabled)
{
    Chain c;
    c.doc.MapCommand(10, [&] { c.ran.push_back("doc10"); });
    c.app.MapCommand(10, [&] { c.ran.push_back("app10"); });
    c.app.MapCommand(20, [&] { c.ran.push_back("app20"); });
    c.frame.MapCommand(30, [&] { c.ran.push_back("frame30"); }, [](VkCmdUI& ui) { ui.Enable(false); });
    c.app.MapCommand(30, [&] { c.ran.push_back("app30"); });

    struct Case {
        UINT id;
        bool withDoc;
        bool enabled;
        bool ran;
        const char* who;
    };
    const Case cases[] = {
        {10, true, true, true, "doc10"},
        {10, false, true, true, "app10"},   // without an active document the app answers
        {20, true, true, true, "app20"},
        {30, true, false, false, ""},       // disabled in the frame: does not fall through
        {40, true, false, false, ""},       // nobody handles it
    };
    for (const Case& k : cases) {
        c.withDoc = k.withDoc;
        c.ran.clear();
        const VkCmdUI ui = c.router.Update(k.id);
        EXPECT_EQ(ui.IsEnabled(), k.enabled) << k.id;
        EXPECT_EQ(c.router.Execute(k.id), k.ran) << k.id;
        if (k.ran) {
            ASSERT_EQ(c.ran.size(), 1u);
            EXPECT_EQ(c.ran[0], k.who);
        } else {
            EXPECT_TRUE(c.ran.empty()) << k.id;
        }
    }
}

TEST(VkCommandRouter, RangesCheckMarksAndUnmapping)
{
    Chain c;
    std::vector<UINT> seen;
    c.app.MapCommand(100, [&](UINT id) { seen.push_back(id); }, {}, 103);
    bool on = false;
    c.frame.MapCommand(7, [&] { on = !on; }, [&](VkCmdUI& ui) { ui.SetCheck(on ? 1 : 0); });

    EXPECT_TRUE(c.router.Execute(102));
    EXPECT_FALSE(c.router.Execute(104));
    EXPECT_FALSE(c.router.Update(99).IsEnabled());
    EXPECT_EQ(seen, std::vector<UINT>{102});

    EXPECT_FALSE(c.router.Update(7).IsChecked());
    c.router.Execute(7);
    EXPECT_TRUE(c.router.Update(7).IsChecked());
    EXPECT_TRUE(c.router.Update(7).IsCheckable());

    c.frame.UnmapCommand(7);
    EXPECT_FALSE(c.router.Update(7).IsEnabled());
}

TEST(VkStringTable, LoadsFormatsAndSplitsPrompts)
{
    const VkStringTable table{{1, "Plain"}, {2, "%s - %s (%ld %ss)"}, {3, "Status part\nTip"}, {4, "No tip"}};
    EXPECT_EQ(table.Load(1), "Plain");
    EXPECT_EQ(table.Load(99), "");
    EXPECT_FALSE(table.Has(99));
    EXPECT_EQ(table.Format(2, "Quorvane", "Night runs", 3L, "Queue"), "Quorvane - Night runs (3 Queues)");

    struct Case {
        const char* prompt;
        const char* status;
        const char* tip;
    };
    const Case cases[] = {{"Status part\nTip", "Status part", "Tip"},
                          {"No tip", "No tip", ""},
                          {"Create new Quorvane Palette\n New Palette", "Create new Quorvane Palette", " New Palette"},
                          {"", "", ""}};
    for (const Case& k : cases) {
        const VkCommandPrompt p = VkSplitPrompt(k.prompt);
        EXPECT_EQ(p.status, k.status);
        EXPECT_EQ(p.toolTip, k.tip);
    }
}

TEST(VkMenuTable, BalanceAndCommands)
{
    const VkMenuTable good{VkMenuPopup("&File"), VkMenuItem(1, "&New\tCtrl+N"), VkMenuSeparator(),
                           VkMenuPopup("&Recent"), VkMenuItem(2, "None"), VkMenuEnd(), VkMenuEnd()};
    EXPECT_TRUE(VkMenuTableIsBalanced(good));
    EXPECT_EQ(VkMenuTableCommands(good), (std::vector<UINT>{1, 2}));
    EXPECT_FALSE(VkMenuTableIsBalanced({VkMenuPopup("&File")}));
    EXPECT_FALSE(VkMenuTableIsBalanced({VkMenuEnd(), VkMenuPopup("&File")}));
}

class VkCommandActionsTest : public ::testing::Test {
protected:
    Chain c;
    const VkStringTable prompts{{1, "Make a thing\nNew Thing"}, {2, "Remove it\nRemove"}, {3, "Toggle\nToggle"}};
    VkCommandActions actions{&c.router, [this](UINT id) { return prompts.Load(id); }};
};

TEST_F(VkCommandActionsTest, MenusCarryPromptsAndFollowTheRouter)
{
    int made = 0;
    bool on = false;
    c.app.MapCommand(1, [&] { ++made; });
    c.app.MapCommand(3, [&] { on = !on; }, [&](VkCmdUI& ui) { ui.SetCheck(on); });

    QMainWindow window;
    actions.BuildMenuBar(window.menuBar(), {VkMenuPopup("&Edit"), VkMenuItem(1, "&New\tCtrl+N"),
                                            VkMenuItem(2, "&Remove"), VkMenuSeparator(), VkMenuItem(3, "&Toggle"),
                                            VkMenuEnd()});
    ASSERT_EQ(window.menuBar()->actions().size(), 1);
    QMenu* edit = window.menuBar()->actions().front()->menu();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->title(), "&Edit");
    const QList<QAction*> items = edit->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "&New\tCtrl+N");
    EXPECT_EQ(items[0]->statusTip(), "Make a thing");
    EXPECT_EQ(items[0]->toolTip(), "New Thing");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(VkCommandActions::CommandId(items[1]), 2u);

    EXPECT_TRUE(items[0]->isEnabled());
    EXPECT_FALSE(items[1]->isEnabled()); // no handler anywhere
    items[0]->trigger();
    EXPECT_EQ(made, 1);

    items[3]->trigger();
    EXPECT_TRUE(on);
    EXPECT_TRUE(items[3]->isChecked());
    items[3]->trigger();
    EXPECT_FALSE(items[3]->isChecked());

    // A handler arriving later (a document becoming active) enables the item.
    c.doc.MapCommand(2, [] {});
    actions.UpdateAll();
    EXPECT_TRUE(items[1]->isEnabled());
}

TEST_F(VkCommandActionsTest, AcceleratorsAndToolBarShareTheCommand)
{
    int made = 0;
    c.app.MapCommand(1, [&] { ++made; });
    QMainWindow window;
    const QList<QAction*> accels = actions.AddAccelerators(&window, {{"Ctrl+N", 1}, {"Shift+Delete", 2}});
    ASSERT_EQ(accels.size(), 2);
    EXPECT_EQ(accels[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(accels[1]->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    EXPECT_FALSE(accels[1]->isEnabled());

    QToolBar bar;
    actions.BuildToolBar(&bar, {1, 0, 2});
    ASSERT_EQ(bar.actions().size(), 3);
    EXPECT_EQ(bar.actions()[0]->toolTip(), "New Thing");
    EXPECT_TRUE(bar.actions()[1]->isSeparator());
    bar.actions()[0]->trigger();
    accels[0]->trigger();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(actions.Actions(1).size(), 2);
}

} // namespace
