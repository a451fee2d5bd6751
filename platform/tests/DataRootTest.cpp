#include "platform/DataRoot.h"
#include "testsupport/TestRoot.h"

#include <cstdlib>

namespace {

TEST(DataRoot, FollowsEnvironmentAndCreatesFolders)
{
    qvtest::TempRoot first;
    EXPECT_EQ(VkDataRoot(), first.path());
    auto reg = VkDataRootDir("registry");
    EXPECT_EQ(reg, first.path() / "registry");
    EXPECT_TRUE(std::filesystem::is_directory(reg));

    // A second root replaces the first for every later call.
    {
        qvtest::TempRoot second;
        EXPECT_EQ(VkDataRoot(), second.path());
        EXPECT_TRUE(std::filesystem::is_directory(VkDataRootDir("oracle")));
        EXPECT_FALSE(std::filesystem::exists(first.path() / "oracle"));
    }
    EXPECT_EQ(VkDataRoot(), first.path());
}

TEST(DataRoot, DefaultsBelowHome)
{
    qvtest::TempRoot home;
    const std::string saved = std::getenv("QUORVANE_ROOT");
    unsetenv("QUORVANE_ROOT");
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.path().c_str(), 1);
    EXPECT_EQ(VkDataRoot(), home.path() / ".local/share/quorvane");
    setenv("HOME", savedHome.c_str(), 1);
    setenv("QUORVANE_ROOT", saved.c_str(), 1);
}

} // namespace
