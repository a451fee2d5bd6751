#include "generic/VkLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <string>
#include <system_error>

namespace {

std::mutex& LogMutex()
{
    static std::mutex mutex;
    return mutex;
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

std::filesystem::path VkLogPath()
{
    const char* dir = std::getenv("QUORVANE_LOG_DIR");
    if (dir && *dir)
        return std::filesystem::path(dir) / "vklog.txt";
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error)
        temp = "/tmp";
    return temp / "vklog.txt";
}

void VkStartLog()
{
    std::lock_guard lock(LogMutex());
    if (std::FILE* file = std::fopen(VkLogPath().c_str(), "w"))
        std::fclose(file);
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
    if (entry.empty())
        return;

    std::lock_guard lock(LogMutex());
    // Opened per entry in append mode, so that each entry lands whole at the
    // end even when another process writes the same file.
    if (std::FILE* file = std::fopen(VkLogPath().c_str(), "a")) {
        std::fwrite(entry.data(), 1, entry.size(), file);
        std::fclose(file);
    }
}
