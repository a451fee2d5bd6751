// The job list's context menu items for each connection state and selection.

#include "controls/CJobListMenu.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// "|" for a separator, "Text" for an enabled item, "(Text)" for a greyed
// one, "Text>[..]" for a sub-menu.
std::string Describe(const std::vector<CJobListMenuItem>& items)
{
    std::string out;
    for (const auto& item : items) {
        if (!out.empty())
            out += " ";
        if (item.separator)
            out += "|";
        else if (!item.children.empty())
            out += item.text.toStdString() + ">[" + Describe(item.children) + "]";
        else if (item.enabled)
            out += item.text.toStdString();
        else
            out += "(" + item.text.toStdString() + ")";
    }
    return out;
}

TEST(JobListMenu, ItemsFollowConnectionAndSelection)
{
    const struct {
        const char* name;
        CJobListMenuState state;
        const char* expected;
    } cases[] = {
        {"connecting", {TwConnection::Connecting, 5, 2, 0, 0}, "| Properties..."},
        {"not connected", {TwConnection::NotConnected, 5, 1, 0, 0}, "| Reconnect Change connection... | Properties..."},
        {"connected, empty", {TwConnection::Connected, 0, 0, 0, 0}, "| New... Import/Export>[Export... Import...] Co&mpare With... | Properties..."},
        {"rows, none selected", {TwConnection::Connected, 4, 0, 0, 0},
         "| New... Import/Export>[Export... Import...] Co&mpare With... | Stop All | Properties..."},
        {"one selected, idle", {TwConnection::Connected, 4, 1, 0, 0},
         "| New... View / Modify... Fore&cast... Import/Export>[Export... Import...] Co&mpare With... | Remove | Run (Stop) (Stop &Safely...) Stop All | Break | "
         "Properties..."},
        {"one selected, running", {TwConnection::Connected, 4, 1, 1, 0},
         "| New... View / Modify... Fore&cast... Import/Export>[Export... Import...] Co&mpare With... | Remove | (Run) Stop Stop &Safely... "
         "Stop All | Break | Properties..."},
        {"two selected, one running, both broken", {TwConnection::Connected, 4, 2, 1, 2},
         "| New... Import/Export>[Export... Import...] Co&mpare With... | Remove | Run (Stop) (Stop &Safely...) Stop All | Unbreak | Properties..."},
        {"two selected, all running, one broken", {TwConnection::Connected, 4, 2, 2, 1},
         "| New... Import/Export>[Export... Import...] Co&mpare With... | Remove | (Run) Stop (Stop &Safely...) Stop All | Break/Unbreak | "
         "Properties..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Describe(CJobListMenu::Build(c.state)), c.expected);
    }
}

TEST(JobListMenu, CommandsCarryTheirNumbers)
{
    const auto items = CJobListMenu::Build({TwConnection::Connected, 3, 1, 0, 0});
    std::vector<UINT> commands;
    for (const auto& item : items) {
        for (const auto& child : item.children)
            commands.push_back(child.command);
        if (!item.separator && item.children.empty())
            commands.push_back(item.command);
    }
    EXPECT_EQ(commands, (std::vector<UINT>{4109, 4111, 4123, 4112, 4113, 4125, 4115, 4116, 4117, 4124, 4118, 4119, 4122}));
    const auto offline = CJobListMenu::Build({TwConnection::NotConnected, 0, 0, 0, 0});
    EXPECT_EQ(offline[1].command, 4120u);
    EXPECT_EQ(offline[2].command, 4121u);
}

} // namespace
