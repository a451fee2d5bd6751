#include "ociw32/server/OraJobQueueLog.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraDatabaseFiles.h"
#include "platform/VkPrivateFiles.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <sstream>
#include <unistd.h>

namespace VkOracle {

namespace {

std::string Stamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long millis =
        static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03ld", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, millis);
    return text;
}

} // namespace

bool OraJobQueueLog::Append(const OraDatabaseRef& db, const std::string& text)
{
    const std::string stamp = Stamp();
    std::string lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines += stamp + " " + line + "\n";
    if (lines.empty())
        return true;
    const int fd = VkOpenPrivate(QueueLogFilePath(db).c_str(), O_WRONLY | O_CREAT | O_APPEND);
    if (fd < 0)
        return false;
    ssize_t written;
    do {
        written = ::write(fd, lines.data(), lines.size());
    } while (written < 0 && errno == EINTR);
    ::close(fd);
    return written == static_cast<ssize_t>(lines.size());
}

bool OraJobQueueLog::AppendFailure(const OraDatabaseRef& db, int64_t job, const std::string& errorStack)
{
    return Append(db, FormatOraError(12012, {std::to_string(job)}) + "\n" + errorStack);
}

bool OraJobQueueLog::Read(const OraDatabaseRef& db, std::string* text)
{
    text->clear();
    struct stat st {};
    if (::stat(QueueLogFilePath(db).c_str(), &st) != 0)
        return errno == ENOENT;
    std::ifstream in(QueueLogFilePath(db), std::ios::binary);
    if (!in)
        return false;
    std::ostringstream all;
    all << in.rdbuf();
    *text = all.str();
    return true;
}

} // namespace VkOracle
