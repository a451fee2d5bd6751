#include "platform/DataRoot.h"

#include <cstdlib>

std::filesystem::path VkDataRoot()
{
    std::filesystem::path root;
    const char* env = std::getenv("QUORVANE_ROOT");
    if (env && *env) {
        root = env;
    } else {
        const char* home = std::getenv("HOME");
        root = std::filesystem::path(home && *home ? home : "/tmp") / ".local/share/quorvane";
    }
    std::error_code ec;
    std::filesystem::create_directories(root, ec);
    return root;
}

std::filesystem::path VkDataRootDir(std::string_view name)
{
    std::filesystem::path dir = VkDataRoot() / std::filesystem::path(name);
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    return dir;
}
