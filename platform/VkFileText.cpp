#include "platform/VkFileText.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

VkFileRead VkReadFileText(const std::filesystem::path& file, std::string* text)
{
    text->clear();
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return VkFileRead::CannotOpen;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            text->append(buffer, static_cast<size_t>(got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        const int error = got < 0 ? errno : 0;
        ::close(fd);
        if (error == 0)
            return VkFileRead::Ok;
        text->clear();
        errno = error;
        return VkFileRead::ReadFailed;
    }
}
