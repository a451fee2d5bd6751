#include "platform/ArchiveFile.h"
#include "platform/DataRoot.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/VkPrivateFiles.h"
#include "platform/tests/LockProbe.h"
#include "testsupport/TestRoot.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

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

// The permission bits of a path (not following a link).
mode_t ModeOf(const std::filesystem::path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

// Sets the process umask for one test and restores it.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask) : m_old(::umask(mask)) {}
    ~ScopedUmask() { ::umask(m_old); }

private:
    mode_t m_old;
};

TEST(DataRoot, WhatIsMadeInTheRootIsTheOwnersAloneWhateverTheUmask)
{
    for (const mode_t mask : {mode_t(0), mode_t(022), mode_t(027)}) {
        ScopedUmask umask(mask);
        qvtest::TempRoot root;
        const std::filesystem::path fresh = root.path() / "fresh" / "root";
        setenv("QUORVANE_ROOT", fresh.c_str(), 1);
        EXPECT_EQ(VkDataRoot(), fresh);
        EXPECT_EQ(ModeOf(fresh), 0700u) << mask;
        EXPECT_EQ(ModeOf(root.path() / "fresh"), 0700u) << mask;
        EXPECT_EQ(ModeOf(VkDataRootDir("registry")), 0700u) << mask;
        EXPECT_EQ(ModeOf(VkDataRootDir("documents/sub")), 0700u) << mask;

        // Hive files with their logs.
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "Software\\Modes", KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        const DWORD one = 1;
        ASSERT_EQ(RegSetValueEx(key, "v", REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const auto hive = fresh / "registry" / (std::string("HKEY_CURRENT_USER.hive") + suffix);
            if (*suffix == 0 || std::filesystem::exists(hive)) {
                EXPECT_EQ(ModeOf(hive), 0600u) << hive << " " << mask;
            }
        }

        // An INI file written whole, and a file made through CFile (palettes, exports).
        const std::string ini = (fresh / "settings.ini").string();
        ASSERT_TRUE(WritePrivateProfileString("Section", "Key", "Value", ini.c_str()));
        EXPECT_EQ(ModeOf(ini), 0600u) << mask;
        CFile file;
        ASSERT_TRUE(file.Open((fresh / "documents" / "palette.shl").c_str(), CFile::modeCreate | CFile::modeWrite));
        file.Close();
        EXPECT_EQ(ModeOf(fresh / "documents" / "palette.shl"), 0600u) << mask;
        setenv("QUORVANE_ROOT", root.path().c_str(), 1);
    }
}

TEST(DataRoot, AnExistingFileKeepsItsModeAndTheDefaultRootIsClosed)
{
    qvtest::TempRoot root;
    const std::filesystem::path shared = root.path() / "shared.txt";
    std::ofstream(shared) << "x";
    ::chmod(shared.c_str(), 0644);
    const int fd = VkOpenPrivate(shared.c_str(), O_RDWR | O_CREAT);
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(ModeOf(shared), 0644u);

    // A default root an earlier version left open to others is closed.
    const std::string saved = std::getenv("QUORVANE_ROOT");
    unsetenv("QUORVANE_ROOT");
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", root.path().c_str(), 1);
    std::filesystem::create_directories(root.path() / ".local/share/quorvane");
    ::chmod((root.path() / ".local/share/quorvane").c_str(), 0755);
    EXPECT_EQ(VkDataRoot(), root.path() / ".local/share/quorvane");
    EXPECT_EQ(ModeOf(root.path() / ".local/share/quorvane"), 0700u);
    setenv("HOME", savedHome.c_str(), 1);
    setenv("QUORVANE_ROOT", saved.c_str(), 1);
}

// A file SQLite has open and locked in this process: touching it must not
// release the process's record locks (any close of the file would), or
// another process could take the database's exclusive lock and delete its
// write-ahead log under the connections still using it.
TEST(DataRoot, TouchingAnOpenFileKeepsItsLocks)
{
    qvtest::TempRoot root;
    const std::filesystem::path held = root.path() / "held.db";
    ASSERT_TRUE(VkTouchPrivate(held));
    EXPECT_EQ(ModeOf(held), 0600u);
    {
        qvtest::HeldReadLock lock(held);
        ASSERT_TRUE(lock.Locked());
        ASSERT_TRUE(VkTouchPrivate(held));
        EXPECT_TRUE(lock.SeenByAnotherProcess()) << "the touch released the lock";
    }
    // Nothing is left beside the file.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root.path()))
        entries += entry.path().filename().string().rfind("held.db", 0) == 0 ? 1 : 0;
    EXPECT_EQ(entries, 1);
}

} // namespace
