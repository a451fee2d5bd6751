#pragma once
// Files and folders only their owner may read: the data root holds the
// registry, the databases and the user's palettes, so everything the program
// creates there is 0600 (files) or 0700 (folders), whatever the umask says.

#include <filesystem>

// open(2) with mode 0600 for a file it creates (set explicitly, so the umask
// cannot widen or narrow it); an existing file keeps its mode. -1 and errno
// on failure. O_CLOEXEC is always added.
int VkOpenPrivate(const char* path, int flags);

// Creates a file that does not exist yet, empty and 0600, so that a library
// that creates files its own way (SQLite, streams) finds it there. True when
// the file exists afterwards. An existing file is left unopened, so that
// the locks SQLite holds on it in this process stay in force.
bool VkTouchPrivate(const std::filesystem::path& file);

// Sets 0600 on a file just written by a stream; false when that failed.
bool VkMakePrivate(const std::filesystem::path& file);

// Creates the missing folders of dir, each 0700. True when dir is a folder
// afterwards.
bool VkCreatePrivateDirectories(const std::filesystem::path& dir);
