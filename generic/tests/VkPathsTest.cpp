#include "generic/VkPaths.h"
#include "testsupport/TestRoot.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>

#include <fstream>

namespace {

class VkPathsTest : public qvtest::FreshRootTest {};

TEST_F(VkPathsTest, FoldersAndNumberedNames)
{
    struct Case {
        const char* folder;
        const char* expected;
    };
    const Case cases[] = {{"/opt/quorvane/bin", "/opt/quorvane/Help"}, {"/opt/quorvane/bin/", "/opt/quorvane/Help"},
                          {"bin", "Help"}};
    for (const Case& k : cases)
        EXPECT_EQ(VkReplaceLastFolder(k.folder, "Help"), std::filesystem::path(k.expected)) << k.folder;

    // Under a test root the documents folder is the root's, never the user's.
    EXPECT_EQ(VkPersonalFolder(), root() / "documents");

    EXPECT_EQ(VkFirstFreeNumberedFile(root(), "Palette", ".qvp"), root() / "Palette1.qvp");
    std::ofstream(root() / "Palette1.qvp") << "x";
    std::ofstream(root() / "Palette3.qvp") << "x";
    EXPECT_EQ(VkFirstFreeNumberedFile(root(), "Palette", ".qvp"), root() / "Palette2.qvp");
}

TEST(VkFitPathToWidth, KeepsTheFileNameAndFits)
{
    const QFontMetrics metrics{QFont()};
    const QString path = "/home/someone/pictures/holidays/2026/summer/beach/sunset-over-the-bay.jpg";
    EXPECT_EQ(VkFitPathToWidth(path, metrics, 100000), path);
    for (int width : {400, 250, 160}) {
        const QString fitted = VkFitPathToWidth(path, metrics, width);
        EXPECT_LE(metrics.horizontalAdvance(fitted), width) << width;
        EXPECT_TRUE(fitted.contains("...")) << fitted.toStdString();
        if (metrics.horizontalAdvance("...") + metrics.horizontalAdvance("/sunset-over-the-bay.jpg") <= width) {
            EXPECT_TRUE(fitted.endsWith("/sunset-over-the-bay.jpg")) << fitted.toStdString();
        }
    }
}

} // namespace
