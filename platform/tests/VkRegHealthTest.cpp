// Naming what keeps the registry from being used, and setting a damaged
// hive aside.

#include "platform/Registry.h"
#include "platform/VkRegHealth.h"
#include "platform/tests/LockProbe.h"
#include "testsupport/TestRoot.h"

#include <fstream>
#include <sstream>

namespace {

class RegHealth : public qvtest::FreshRootTest {
protected:
    std::filesystem::path Hive(const char* name) const { return root() / "registry" / name; }
    void Damage(const std::filesystem::path& file, const std::string& content)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
    }
    static std::string Read(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }
};

TEST_F(RegHealth, AHealthyRegistryHasNoProblems)
{
    EXPECT_TRUE(VkCheckRegistry().empty());
    VkRegProblem problem;
    EXPECT_FALSE(VkCheckRegistryHive(HKEY_CLASSES_ROOT, &problem));
    EXPECT_EQ(VkRegErrorText(ERROR_BADDB, HKEY_CURRENT_USER), "error 1009");
}

// The check runs while the hive is open in this process; it must not drop
// the process's locks on it (closing any descriptor of the file would).
TEST_F(RegHealth, CheckingAnOpenHiveKeepsItsLocks)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Held", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    qvtest::HeldReadLock lock(Hive("HKEY_CURRENT_USER.hive"));
    ASSERT_TRUE(lock.Locked());
    VkRegProblem problem;
    EXPECT_FALSE(VkCheckRegistryHive(HKEY_CURRENT_USER, &problem)) << problem.path;
    EXPECT_TRUE(lock.SeenByAnotherProcess()) << "the check released the lock";
}

TEST_F(RegHealth, ADamagedHiveIsNamedAndSetAsideWithoutOverwriting)
{
    const auto user = Hive("HKEY_CURRENT_USER.hive");
    const std::string garbage(8192, 'Z');
    Damage(user, garbage);
    Damage(user.string() + ".damaged", "an earlier one");
    const std::vector<VkRegProblem> problems = VkCheckRegistry();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, VkRegProblem::Damaged);
    EXPECT_EQ(problems[0].path, user);
    EXPECT_EQ(VkRegProblemText(problems[0]),
              "The registry file " + user.string() + " is damaged: it is not a registry hive.");
    // The tools' error text names it too, not "error 1009".
    EXPECT_EQ(VkRegErrorText(ERROR_BADDB, HKEY_CURRENT_USER), VkRegProblemText(problems[0]));

    EXPECT_EQ(VkHiveAsideName(user), user.string() + ".damaged-2");
    std::filesystem::path kept;
    std::string error;
    ASSERT_TRUE(VkSetHiveAside(user, &kept, &error)) << error;
    EXPECT_EQ(kept, user.string() + ".damaged-2");
    EXPECT_EQ(Read(kept), garbage);
    EXPECT_EQ(Read(user.string() + ".damaged"), "an earlier one");
    EXPECT_FALSE(std::filesystem::exists(user));

    // A fresh hive takes its place.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Fresh", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(VkCheckRegistry().empty());
}

TEST_F(RegHealth, AFolderThatCannotHoldHivesIsNamed)
{
    // The registry folder's name taken by a plain file.
    std::filesystem::remove_all(root() / "registry");
    std::ofstream(root() / "registry") << "not a folder";
    const std::vector<VkRegProblem> problems = VkCheckRegistry();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, VkRegProblem::NoFolder);
    EXPECT_EQ(problems[0].path, root() / "registry");
    EXPECT_NE(VkRegProblemText(problems[0]).find("registry folder " + (root() / "registry").string() + " cannot be written"),
              std::string::npos)
        << VkRegProblemText(problems[0]);
    std::string error;
    std::filesystem::path kept;
    EXPECT_FALSE(VkSetHiveAside(root() / "registry" / "HKEY_CURRENT_USER.hive", &kept, &error));
    EXPECT_FALSE(error.empty());
}

} // namespace
