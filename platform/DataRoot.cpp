#include "platform/DataRoot.h"

#include "platform/VkPrivateFiles.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

std::filesystem::path VkDataRoot()
{
    std::filesystem::path root;
    const char* env = std::getenv("QUORVANE_ROOT");
    if (env && *env) {
        root = env;
        VkCreatePrivateDirectories(root);
        return root;
    }
    const char* home = std::getenv("HOME");
    root = std::filesystem::path(home && *home ? home : "/tmp") / ".local/share/quorvane";
    VkCreatePrivateDirectories(root);
    // The default root is ours alone, even when an older version made it open
    // to others; a folder named in the environment keeps what its owner chose.
    struct stat st {};
    if (::stat(root.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077))
        ::chmod(root.c_str(), st.st_mode & 0700);
    return root;
}

std::filesystem::path VkDataRootDir(std::string_view name)
{
    std::filesystem::path dir = VkDataRoot() / std::filesystem::path(name);
    VkCreatePrivateDirectories(dir);
    return dir;
}
