#include "generic/vkpath.h"
#include "testsupport/TestRoot.h"

#include <fstream>

namespace {

class VkPath : public qvtest::FreshRootTest {};

TEST_F(VkPath, SplitsAndJoins)
{
    const struct {
        const char* full;
        const char* folder;
        const char* file;
    } cases[] = {{"/a/b/c.txt", "/a/b", "c.txt"}, {"c.txt", "", "c.txt"}, {"/c.txt", "/", "c.txt"},
                 {"/a/b/", "/a/b", ""}};
    for (const auto& c : cases) {
        vkpath path(c.full);
        EXPECT_EQ(path.Folder(), c.folder) << c.full;
        EXPECT_EQ(path.FileName(), c.file) << c.full;
    }
    vkpath path("/home/x", "tnsnames.ora");
    path.AppendFolder("network/ADMIN");
    EXPECT_EQ(path.FullPath(), "/home/x/network/ADMIN/tnsnames.ora");
    EXPECT_TRUE(vkpath().Empty());
    EXPECT_EQ(vkpath("/a", "").FullPath(), "/a");
}

TEST_F(VkPath, FileOperations)
{
    vkpath file(root().string(), "one.txt");
    EXPECT_FALSE(file.Exists());
    EXPECT_EQ(file.Size(), -1);
    std::ofstream(file.FullPath()) << "hello";
    EXPECT_TRUE(file.Exists());
    EXPECT_EQ(file.Size(), 5);
    EXPECT_FALSE(vkpath(root().string(), "").Exists()); // a folder is no file
    vkpath copy(root().string(), "two.txt");
    EXPECT_TRUE(file.Copy(copy));
    EXPECT_EQ(copy.Size(), 5);
    EXPECT_FALSE(file.Copy(copy, false));
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(file.Exists());
    EXPECT_FALSE(file.Delete());
    EXPECT_FALSE(file.Copy(copy));
}

TEST_F(VkPath, SpecialFolders)
{
    EXPECT_EQ(vkpath::Special(vkpath::SpecialFolder::AppData).Folder(), root().string());
    EXPECT_FALSE(vkpath::Special(vkpath::SpecialFolder::Temp).Folder().empty());
    EXPECT_EQ(vkpath::Special(vkpath::SpecialFolder::Documents).Folder(), (root() / "documents").string());
}

} // namespace
