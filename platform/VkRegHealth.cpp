#include "platform/VkRegHealth.h"

#include "platform/RegHive.h"
#include "platform/VkPrivateFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why a path cannot be opened for writing; empty when it can. A missing
// file is tried for creation and removed again. An existing one is only
// asked about: opening and closing a hive SQLite holds in this process would
// drop the process's locks on it.
std::string WriteProblem(const std::filesystem::path& path)
{
    if (::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0)
        return {};
    if (errno != ENOENT)
        return std::strerror(errno);
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::strerror(errno);
    ::unlink(path.c_str());
    ::close(fd);
    return {};
}

} // namespace

bool VkCheckRegistryHive(HKEY root, VkRegProblem* problem)
{
    const std::filesystem::path file = RegHiveFile(root);
    if (file.empty())
        return false;
    const std::filesystem::path folder = file.parent_path();
    struct stat st {};
    if (!VkCreatePrivateDirectories(folder)) {
        const int cause = ::stat(folder.c_str(), &st) == 0 ? ENOTDIR : errno;
        *problem = {VkRegProblem::NoFolder, folder, std::strerror(cause)};
        return true;
    }
    // Opening the hive is the check: a file that is no hive is refused there
    // (and an open hive is kept for the calls that follow).
    LONG rc = ERROR_SUCCESS;
    if (!VkRegHive::Get(file, &rc) && rc == ERROR_SUCCESS)
        rc = ERROR_CANTOPEN;
    if (rc == ERROR_BADDB) {
        *problem = {VkRegProblem::Damaged, file, {}};
        return true;
    }
    std::string cause = WriteProblem(file);
    if (rc == ERROR_SUCCESS && cause.empty())
        return false;
    if (cause.empty())
        cause = "error " + std::to_string(rc);
    const bool exists = ::stat(file.c_str(), &st) == 0;
    *problem = {exists ? VkRegProblem::Unreadable : VkRegProblem::NoFolder, exists ? file : folder, cause};
    return true;
}

std::vector<VkRegProblem> VkCheckRegistry()
{
    std::vector<VkRegProblem> problems;
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        VkRegProblem problem;
        if (!VkCheckRegistryHive(root, &problem))
            continue;
        bool seen = false;
        for (const VkRegProblem& p : problems)
            seen = seen || p.path == problem.path;
        if (!seen)
            problems.push_back(problem);
    }
    return problems;
}

std::string VkRegProblemText(const VkRegProblem& problem)
{
    const std::string path = problem.path.string();
    switch (problem.kind) {
    case VkRegProblem::Damaged:
        return "The registry file " + path + " is damaged: it is not a registry hive.";
    case VkRegProblem::Unreadable:
        return "The registry file " + path + " cannot be opened for writing: " + problem.cause + ".";
    case VkRegProblem::NoFolder:
        return "The registry folder " + path + " cannot be written: " + problem.cause + ".";
    }
    return {};
}

namespace {

std::filesystem::path AsideName(const std::filesystem::path& file, int n)
{
    return file.string() + ".damaged" + (n == 1 ? std::string() : "-" + std::to_string(n));
}

} // namespace

std::filesystem::path VkHiveAsideName(const std::filesystem::path& file)
{
    for (int n = 1; n < 1000; ++n)
        if (::access(AsideName(file, n).c_str(), F_OK) != 0)
            return AsideName(file, n);
    return {};
}

bool VkSetHiveAside(const std::filesystem::path& file, std::filesystem::path* kept, std::string* error)
{
    for (int n = 1; n < 1000; ++n) {
        const std::filesystem::path target = AsideName(file, n);
        // link() never replaces an existing name; the old name goes after.
        if (::link(file.c_str(), target.c_str()) != 0) {
            if (errno == EEXIST)
                continue;
            *error = std::strerror(errno);
            return false;
        }
        if (::unlink(file.c_str()) != 0) {
            *error = std::strerror(errno);
            ::unlink(target.c_str());
            return false;
        }
        // The log files belong to the damaged hive, not to the fresh one.
        for (const char* suffix : {"-wal", "-shm"}) {
            const std::string log = file.string() + suffix;
            if (::access(log.c_str(), F_OK) == 0)
                std::rename(log.c_str(), (target.string() + suffix).c_str());
        }
        *kept = target;
        return true;
    }
    *error = "too many damaged copies are kept already";
    return false;
}

std::string VkRegErrorText(LONG rc, HKEY root)
{
    if (rc == ERROR_BADDB || rc == ERROR_CANTOPEN || rc == ERROR_CANTREAD || rc == ERROR_CANTWRITE) {
        VkRegProblem problem;
        if (VkCheckRegistryHive(root, &problem))
            return VkRegProblemText(problem);
    }
    return "error " + std::to_string(rc);
}
