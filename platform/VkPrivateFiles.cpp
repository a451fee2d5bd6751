#include "platform/VkPrivateFiles.h"

#include <atomic>
#include <cerrno>
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int VkOpenPrivate(const char* path, int flags)
{
    flags |= O_CLOEXEC;
    if (!(flags & O_CREAT)) {
        int fd;
        do {
            fd = ::open(path, flags);
        } while (fd < 0 && errno == EINTR);
        return fd;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Made here: the mode is ours to set.
        int fd = ::open(path, flags | O_EXCL, 0600);
        if (fd >= 0) {
            ::fchmod(fd, 0600);
            return fd;
        }
        if (errno == EINTR)
            continue;
        if (errno != EEXIST || (flags & O_EXCL))
            return -1;
        // There already: opened as it is, keeping its mode.
        do {
            fd = ::open(path, flags & ~O_CREAT);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        // Removed in between: try again.
    }
    return -1;
}

bool VkTouchPrivate(const std::filesystem::path& file)
{
    // POSIX record locks belong to the process, and closing any descriptor
    // of a file drops them all: opening a database file that SQLite holds in
    // this process and closing it again would silently unlock it for every
    // other process. So an existing file is never opened, and a new one is
    // made under another name and linked into place.
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0)
        return S_ISREG(st.st_mode);
    static std::atomic<unsigned> serial{0};
    const std::string aside = file.string() + ".new" + std::to_string(::getpid()) + "." + std::to_string(++serial);
    const int fd = VkOpenPrivate(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL);
    if (fd < 0)
        return false;
    ::close(fd);
    int rc = ::link(aside.c_str(), file.c_str());
    const int linkError = errno;
    ::unlink(aside.c_str());
    if (rc != 0 && linkError != EEXIST) {
        // A file system without hard links: create in place.
        const int direct = VkOpenPrivate(file.c_str(), O_WRONLY | O_CREAT | O_EXCL);
        if (direct >= 0)
            ::close(direct);
    }
    return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool VkMakePrivate(const std::filesystem::path& file)
{
    return ::chmod(file.c_str(), 0600) == 0;
}

bool VkCreatePrivateDirectories(const std::filesystem::path& dir)
{
    if (dir.empty())
        return false;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::filesystem::path parent = dir.parent_path();
    if (!parent.empty() && parent != dir && !VkCreatePrivateDirectories(parent))
        return false;
    if (::mkdir(dir.c_str(), 0700) == 0) {
        ::chmod(dir.c_str(), 0700);
        return true;
    }
    return errno == EEXIST && ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
