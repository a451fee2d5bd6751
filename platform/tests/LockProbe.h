#pragma once
// Holds a POSIX read lock on a file and asks another process whether it is
// still there: the lock belongs to this process, so only a child sees it.

#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace qvtest {

class HeldReadLock {
public:
    explicit HeldReadLock(const std::filesystem::path& file) : m_file(file)
    {
        m_fd = ::open(file.c_str(), O_RDWR | O_CLOEXEC);
        struct flock lock = Range(F_RDLCK);
        m_locked = m_fd >= 0 && ::fcntl(m_fd, F_SETLK, &lock) == 0;
    }
    ~HeldReadLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldReadLock(const HeldReadLock&) = delete;
    HeldReadLock& operator=(const HeldReadLock&) = delete;

    bool Locked() const { return m_locked; }

    // True when a child process finds the read lock still in force.
    bool SeenByAnotherProcess() const
    {
        const pid_t child = ::fork();
        if (child < 0)
            return false;
        if (child == 0) {
            const int probe = ::open(m_file.c_str(), O_RDWR);
            struct flock want = Range(F_WRLCK);
            const bool held = probe >= 0 && ::fcntl(probe, F_GETLK, &want) == 0 && want.l_type == F_RDLCK;
            ::_exit(held ? 0 : 1);
        }
        int status = 0;
        return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    static struct flock Range(short type)
    {
        struct flock lock {};
        lock.l_type = type;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 1;
        return lock;
    }

    std::filesystem::path m_file;
    int m_fd = -1;
    bool m_locked = false;
};

} // namespace qvtest
