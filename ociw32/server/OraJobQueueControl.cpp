#include "ociw32/server/OraJobQueueControl.h"

#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraJobQueueLog.h"
#include "platform/VkPrivateFiles.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

namespace VkOracle {

namespace {

// Whether the lock is free: taken and given back at once.
bool LockIsFree(const OraDatabaseRef& db)
{
    const int fd = VkOpenPrivate(QueueLockFilePath(db).c_str(), O_RDONLY);
    if (fd < 0)
        return true; // never started here
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd); // closing lets go of a lock taken here
    return free;
}

// Async-signal-safe: the pid as decimal text, alone in the file.
void WritePid(int fd, pid_t pid)
{
    char text[16];
    int at = sizeof text;
    text[--at] = '\n';
    do {
        text[--at] = static_cast<char>('0' + pid % 10);
        pid /= 10;
    } while (pid > 0 && at > 0);
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text + at, sizeof text - at, 0) < 0)
        return;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecQueueProcess(int lockFd, int nullFd, const char* program, char* const* argv)
{
    // Whatever the caller's thread had blocked must not stay blocked there.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Moved high first so that the dup2 calls below never overwrite them.
    const int lock = ::fcntl(lockFd, F_DUPFD, 10);
    const int null = ::fcntl(nullFd, F_DUPFD, 10);
    if (lock < 0 || null < 0)
        _exit(126);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::dup2(lock, 3); // the queue process keeps the lock taken for it
    // Nothing else of the caller's reaches it: a pipe left open would keep
    // whoever reads the caller's output waiting for the queue to end.
    if (::syscall(SYS_close_range, 4U, ~0U, 0U) != 0) {
        for (int fd = 4; fd < 65536; ++fd)
            ::close(fd);
    }
    ::execv(program, argv);
    _exit(127);
}

} // namespace

std::string OraJobQueueProgram()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&OraJobQueueProgram), &info) == 0 || !info.dli_fname)
        return {};
    std::error_code error;
    const std::filesystem::path module = std::filesystem::canonical(info.dli_fname, error);
    if (error)
        return {};
    for (const std::filesystem::path& candidate :
         {module.parent_path() / "oradmin", module.parent_path().parent_path() / "bin" / "oradmin"}) {
        if (::access(candidate.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(candidate, error))
            return candidate.string();
    }
    return {};
}

bool OraJobQueueRunning(const OraDatabaseRef& db)
{
    return !LockIsFree(db);
}

bool OraStartJobQueue(const OraDatabaseRef& db)
{
    const int lockFd = VkOpenPrivate(QueueLockFilePath(db).c_str(), O_RDWR | O_CREAT);
    if (lockFd < 0)
        return false;
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd);
        return true; // it runs already
    }
    const std::string program = OraJobQueueProgram();
    if (program.empty()) {
        ::close(lockFd);
        OraJobQueueLog::Append(db, "Cannot start the job queue process: oradmin was not found beside the library");
        return false;
    }
    // Everything the child needs is made before fork: it may not allocate.
    std::vector<std::string> args = {program, kQueueProcessCommand, db.sid, db.directory};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int nullFd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (nullFd < 0) {
        ::close(lockFd);
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // A session of its own, and a grandchild, so that nothing of the
        // caller (terminal, process group, zombie) ties the queue to it.
        ::setsid();
        const pid_t queue = ::fork();
        if (queue != 0) {
            // The pid is in the lock file before the starter returns, for a
            // shutdown abort that follows at once.
            if (queue > 0)
                WritePid(lockFd, queue);
            _exit(queue < 0 ? 1 : 0);
        }
        ExecQueueProcess(lockFd, nullFd, program.c_str(), argv.data());
    }
    ::close(nullFd);
    ::close(lockFd); // the queue process holds the lock from here on
    if (child < 0) {
        OraJobQueueLog::Append(db, "Cannot start the job queue process: fork failed");
        return false;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

bool OraWaitJobQueueEnded(const OraDatabaseRef& db, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const int fd = VkOpenPrivate(QueueLockFilePath(db).c_str(), O_RDONLY);
    if (fd < 0)
        return true;
    bool ended = false;
    // A shutdown waits for the process as a server waits for its background
    // processes; the lock is released when it exits.
    while (!(ended = ::flock(fd, LOCK_SH | LOCK_NB) == 0) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::close(fd);
    return ended;
}

int OraJobQueuePid(const OraDatabaseRef& db)
{
    const int fd = VkOpenPrivate(QueueLockFilePath(db).c_str(), O_RDONLY);
    if (fd < 0)
        return 0;
    int pid = 0;
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        char text[32] = {};
        const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
        if (n > 0)
            pid = std::atoi(text);
    }
    ::close(fd);
    return pid;
}

bool OraProcessAlive(int pid)
{
    if (pid <= 0)
        return false;
    if (::kill(pid, 0) != 0 && errno != EPERM)
        return false;
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    std::FILE* f = std::fopen(path, "re");
    if (!f)
        return true;
    char text[512] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    // The state follows the command name in parentheses, which may hold any character.
    const char* close = std::strrchr(text, ')');
    const bool zombie = n > 0 && close && close[1] == ' ' && close[2] == 'Z';
    return !zombie;
}

bool OraWaitProcessEnded(int pid, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (OraProcessAlive(pid)) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

} // namespace VkOracle
