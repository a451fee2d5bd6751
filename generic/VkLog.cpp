#include "generic/VkLog.h"

#include "platform/DataRoot.h"
#include "platform/VkPrivateFiles.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex& LogMutex()
{
    static std::mutex mutex;
    return mutex;
}

// The log opened without following a symbolic link, and only when it is
// this user's own plain file with no other name: -1 otherwise, so that a
// file planted under the log's name is never written or emptied.
int OpenOwnLog(int flags)
{
    const std::filesystem::path path = VkLogPath();
    const int fd = (flags & O_CREAT) ? VkOpenPrivate(path.c_str(), flags | O_NOFOLLOW)
                                     : ::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Emptied as the library loads, before anyone can write.
[[maybe_unused]] const bool s_logStarted = (VkStartLog(), true);

std::string FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed <= 0)
        return {};
    std::string text(static_cast<std::size_t>(needed) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(needed));
    return text;
}

} // namespace

bool VkLogEnabled()
{
    const char* dir = std::getenv("QUORVANE_LOG_DIR");
    if (dir && *dir)
        return true;
    const char* wanted = std::getenv("QUORVANE_LOG");
    return wanted && *wanted && std::string_view(wanted) != "0";
}

std::filesystem::path VkLogPath()
{
    const char* dir = std::getenv("QUORVANE_LOG_DIR");
    if (dir && *dir)
        return std::filesystem::path(dir) / "vklog.txt";
    return VkDataRoot() / "vklog.txt";
}

void VkStartLog()
{
    if (!VkLogEnabled())
        return;
    std::lock_guard lock(LogMutex());
    const int fd = OpenOwnLog(O_WRONLY | O_CREAT);
    if (fd < 0)
        return;
    [[maybe_unused]] const int truncated = ::ftruncate(fd, 0);
    ::close(fd);
}

void VkWriteLog(bool addLineEnd, bool addTimeStamp, const char* format, ...)
{
    std::string entry;
    if (addTimeStamp) {
        const std::time_t now = std::time(nullptr);
        std::tm local {};
        char stamp[32];
        if (localtime_r(&now, &local) && std::strftime(stamp, sizeof stamp, "%H:%M:%S  ", &local))
            entry = stamp;
    }
    if (format) {
        va_list args;
        va_start(args, format);
        entry += FormatV(format, args);
        va_end(args);
    }
    if (addLineEnd)
        entry += '\n';
    if (entry.empty() || !VkLogEnabled())
        return;

    std::lock_guard lock(LogMutex());
    // Opened per entry in append mode, so that each entry lands whole at the
    // end even when another process writes the same file.
    const int fd = OpenOwnLog(O_WRONLY | O_CREAT | O_APPEND);
    if (fd < 0)
        return;
    [[maybe_unused]] const ssize_t written = ::write(fd, entry.data(), entry.size());
    ::close(fd);
}
