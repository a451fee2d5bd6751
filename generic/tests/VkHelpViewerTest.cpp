#include "generic/VkAboutBox.h"
#include "generic/VkHelpContents.h"
#include "generic/VkHelpViewer.h"
#include "generic/VkHtmlHelp.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QTextBrowser>

#include <fstream>

namespace {

class VkHelpViewerTest : public qvtest::FreshRootTest {
protected:
    void SetUp() override
    {
        FreshRootTest::SetUp();
        folder = root() / "Help" / "app";
        std::filesystem::create_directories(folder / "text");
        Page("index.html", "Start",
             "<a href=\"queues.html\">Q</a> <a href=\"text/Logon.html#top\">L</a> <a href=\"queues.html\">again</a>"
             " <a href=\"https://example.invalid/x.html\">web</a> <a href=\"../outside.html\">out</a>"
             " <a href=\"missing.html\">gone</a>");
        Page("queues.html", "Job queues", "<a href=\"text/Zeta.html\">z</a>");
        Page("text/Logon.html", "Logon", "");
        Page("text/Zeta.html", "Zeta", "");
        Page("text/Alpha.html", "", "");
        Page("beta.htm", "beta", "");
        std::ofstream(root() / "Help" / "outside.html") << "<title>Outside</title>";
        std::ofstream(folder / "notes.txt") << "not a topic";
    }
    void Page(const char* name, const char* title, const char* body)
    {
        std::ofstream(folder / name) << "<html><head><title>" << title << "</title></head><body>" << body
                                     << "</body></html>";
    }
    std::filesystem::path folder;
};

TEST_F(VkHelpViewerTest, ContentsListIndexThenItsLinksThenTheRestByTitle)
{
    const std::vector<VkHelpEntry> contents = VkHelpContents(folder);
    QStringList titles;
    for (const VkHelpEntry& e : contents)
        titles << e.title;
    // Alpha has an empty title and is listed by its file name.
    EXPECT_EQ(titles, (QStringList{"Start", "Job queues", "Logon", "Alpha", "beta", "Zeta"}));
    ASSERT_EQ(contents.size(), 6u);
    EXPECT_EQ(contents[0].level, 0);
    EXPECT_EQ(contents[2].page, (folder / "text" / "Logon.html").lexically_normal());
    for (size_t i = 1; i < contents.size(); ++i)
        EXPECT_EQ(contents[i].level, 1) << i;

    std::filesystem::remove(folder / "index.html");
    EXPECT_TRUE(VkHelpContents(folder).empty());
    EXPECT_TRUE(VkHelpContents(root() / "nowhere").empty());
}

TEST_F(VkHelpViewerTest, BackForwardHomeAndContentsFollowThePage)
{
    VkHelpViewer viewer(nullptr);
    viewer.ShowPage(folder, folder / "index.html");
    EXPECT_EQ(viewer.windowTitle(), "Start");
    EXPECT_EQ(viewer.Contents()->count(), 6);
    EXPECT_EQ(viewer.Contents()->currentRow(), 0);
    EXPECT_FALSE(viewer.BackAction()->isEnabled());

    viewer.Contents()->setCurrentRow(2);
    EXPECT_EQ(viewer.windowTitle(), "Logon");
    EXPECT_TRUE(viewer.BackAction()->isEnabled());
    EXPECT_FALSE(viewer.ForwardAction()->isEnabled());

    viewer.ShowPage(folder, folder / "queues.html");
    EXPECT_EQ(viewer.Contents()->currentRow(), 1);
    viewer.BackAction()->trigger();
    EXPECT_EQ(viewer.windowTitle(), "Logon");
    EXPECT_EQ(viewer.Contents()->currentRow(), 2);
    EXPECT_TRUE(viewer.ForwardAction()->isEnabled());
    viewer.ForwardAction()->trigger();
    EXPECT_EQ(viewer.windowTitle(), "Job queues");

    viewer.HomeAction()->trigger();
    EXPECT_EQ(viewer.windowTitle(), "Start");
    EXPECT_EQ(viewer.Contents()->currentRow(), 0);
}

TEST_F(VkHelpViewerTest, OpensBesideTheMainWindowAndStaysOnScreen)
{
    QWidget main;
    main.setGeometry(0, 0, 100, 100);
    main.show();
    const QRect area = main.screen()->availableGeometry();
    main.move(area.topLeft());
    std::filesystem::rename(folder, root() / "Help" / "beside");
    ASSERT_TRUE(VkHtmlHelp(&main, root() / "Help" / "beside.chm", HH_DISPLAY_TOC, nullptr));
    QWidget* help = VkHelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_GE(help->x(), main.frameGeometry().right());
    EXPECT_EQ(help->y(), main.frameGeometry().top());

    // A main window at the screen's right edge puts help on its left.
    VkHelpViewer other(nullptr);
    main.move(area.right() - main.frameGeometry().width() + 1, area.top());
    other.PlaceBeside(&main);
    EXPECT_LE(other.geometry().right(), main.frameGeometry().left());
    EXPECT_GE(other.x(), area.left());
    delete help;
}

TEST_F(VkHelpViewerTest, AboutBoxKeepsTheWebAddressOnOneLine)
{
    const QString address = "https://www.example.invalid/a-rather-long/product/address";
    VkAboutBox box(QImage(64, 64, QImage::Format_RGB32), "Copyright notice that is long enough to need wrapping "
                   "over more than one line in a box of modest width.", "Version 1.0", "Product", address);
    box.adjustSize();
    auto* label = box.findChild<QLabel*>("webAddress");
    ASSERT_NE(label, nullptr);
    EXPECT_FALSE(label->wordWrap());
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(address));
    EXPECT_LT(label->height(), 2 * label->fontMetrics().lineSpacing());
    EXPECT_TRUE(box.findChild<QLabel*>("notice")->wordWrap());
}

} // namespace
