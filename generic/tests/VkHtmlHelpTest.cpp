#include "generic/VkHtmlHelp.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <fstream>

namespace {

class VkHtmlHelpTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        folder = root() / "Help" / "quorvane";
        std::filesystem::create_directories(folder / "text");
        Write(folder / "index.html", "<html><head><title>Contents</title></head><body>Contents</body></html>");
        Write(folder / "text" / "PaletteSettings.html", "<html><body>Palette</body></html>");
        Write(folder / "plain.txt", "plain");
        Write(root() / "Help" / "secret.html", "outside");
    }
    static void Write(const std::filesystem::path& p, const char* text) { std::ofstream(p) << text; }
    std::filesystem::path HelpFile() const { return root() / "Help" / "quorvane.chm"; }
    std::filesystem::path folder;
};

TEST_F(VkHtmlHelpTest, TopicsMapToFilesInTheHelpFolder)
{
    struct Case {
        const char* topic;
        std::filesystem::path expected; // empty: nothing
    };
    const Case cases[] = {
        {"", folder / "index.html"},
        {"text\\PaletteSettings.txt", folder / "text" / "PaletteSettings.html"},
        {"text/PaletteSettings.html", folder / "text" / "PaletteSettings.html"},
        {"plain.txt", folder / "plain.txt"},
        {"text\\Missing.txt", {}},
        {"..\\secret.html", {}},
    };
    for (const Case& k : cases)
        EXPECT_EQ(VkHelpTopicPath(HelpFile(), k.topic), k.expected) << k.topic;
    EXPECT_TRUE(VkHelpTopicPath(root() / "Help" / "missing.chm", "").empty());
    EXPECT_TRUE(VkHelpTopicPath({}, "").empty());
}

TEST_F(VkHtmlHelpTest, MissingHelpDoesNothingAndTopicsOpenOneWindow)
{
    EXPECT_FALSE(VkHtmlHelp(nullptr, root() / "Help" / "missing.chm", HH_DISPLAY_TOPIC, nullptr));
    EXPECT_EQ(VkHelpWindow(), nullptr);
    EXPECT_FALSE(VkHtmlHelp(nullptr, HelpFile(), HH_DISPLAY_TOPIC, "nothing.txt"));
    EXPECT_EQ(VkHelpWindow(), nullptr);

    EXPECT_TRUE(VkHtmlHelp(nullptr, HelpFile(), HH_DISPLAY_TOC, nullptr));
    QWidget* window = VkHelpWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Contents");
    EXPECT_TRUE(VkHtmlHelp(nullptr, HelpFile(), HH_DISPLAY_TOPIC, "text\\PaletteSettings.txt"));
    EXPECT_EQ(VkHelpWindow(), window);
    EXPECT_TRUE(VkHtmlHelp(nullptr, HelpFile(), HH_CLOSE_ALL, nullptr));
    delete window;
}

} // namespace
