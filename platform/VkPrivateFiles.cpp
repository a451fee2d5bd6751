#include "platform/VkPrivateFiles.h"

#include <cerrno>
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
    const int fd = VkOpenPrivate(file.c_str(), O_RDWR | O_CREAT);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
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
