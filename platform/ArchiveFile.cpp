#include "platform/ArchiveFile.h"

#include "platform/VkPrivateFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// ---------------------------------------------------------------- CFile

CFile::CFile() = default;

CFile::CFile(const char* fileName, UINT openFlags)
{
    CFileException error;
    if (!Open(fileName, openFlags, &error))
        throw error;
}

CFile::~CFile()
{
    if (m_hFile >= 0)
        ::close(m_hFile);
}

void CFile::ThrowOsError(int osError) const
{
    throw CFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
}

bool CFile::Open(const char* fileName, UINT openFlags, CFileException* error)
{
    Abort();
    m_strFileName = fileName ? fileName : "";
    if (m_strFileName.empty()) {
        if (error)
            *error = CFileException(CFileException::badPath, EINVAL, m_strFileName);
        return false;
    }
    int flags = O_CLOEXEC;
    switch (openFlags & 3) {
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: flags |= O_RDONLY; break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    // A file made here is its owner's alone (palettes, exports).
    const int fd = VkOpenPrivate(m_strFileName.c_str(), flags);
    if (fd < 0) {
        const int osError = errno;
        if (error)
            *error = CFileException(CFileException::OsErrorToException(osError), osError, m_strFileName);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = CFileException(CFileException::accessDenied, EISDIR, m_strFileName);
        return false;
    }
    m_hFile = fd;
    return true;
}

bool CFile::IsOpen() const
{
    return m_hFile >= 0;
}

UINT CFile::Read(void* buffer, UINT count)
{
    if (m_hFile < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    auto* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_hFile, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowOsError(errno);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count)
{
    if (m_hFile < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    const auto* in = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_hFile, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowOsError(errno);
        }
        if (n == 0)
            ThrowOsError(ENOSPC);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG offset, UINT from)
{
    if (m_hFile < 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    const int whence = from == current ? SEEK_CUR : from == end ? SEEK_END : SEEK_SET;
    const off_t pos = ::lseek(m_hFile, static_cast<off_t>(offset), whence);
    if (pos < 0)
        throw CFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const
{
    struct stat st {};
    if (m_hFile < 0 || ::fstat(m_hFile, &st) != 0)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
    return static_cast<ULONGLONG>(st.st_size);
}

ULONGLONG CFile::GetPosition() const
{
    const off_t pos = m_hFile < 0 ? -1 : ::lseek(m_hFile, 0, SEEK_CUR);
    if (pos < 0)
        throw CFileException(CFileException::badSeek, errno, m_strFileName);
    return static_cast<ULONGLONG>(pos);
}

void CFile::SetLength(ULONGLONG length)
{
    if (m_hFile < 0 || ::ftruncate(m_hFile, static_cast<off_t>(length)) != 0)
        ThrowOsError(m_hFile < 0 ? EBADF : errno);
}

void CFile::Flush()
{
    if (m_hFile >= 0 && ::fsync(m_hFile) != 0 && errno != EINVAL)
        ThrowOsError(errno);
}

void CFile::Close()
{
    if (m_hFile < 0)
        return;
    const int fd = m_hFile;
    m_hFile = -1;
    if (::close(fd) != 0 && errno != EINTR)
        ThrowOsError(errno);
}

void CFile::Abort()
{
    if (m_hFile >= 0)
        ::close(m_hFile);
    m_hFile = -1;
}

// ------------------------------------------------------------- CMemFile

CMemFile::CMemFile(UINT growBytes) : m_growBytes(growBytes ? growBytes : 1024) {}

CMemFile::CMemFile(BYTE* buffer, UINT size, UINT growBytes)
{
    Attach(buffer, size, growBytes);
}

void CMemFile::Assign(const void* data, std::size_t size)
{
    Free();
    if (m_growBytes == 0)
        m_growBytes = 1024;
    Reserve(size);
    if (size)
        std::memcpy(m_buffer, data, size);
    m_size = size;
}

CMemFile::~CMemFile()
{
    Free();
}

void CMemFile::Free()
{
    if (m_owned)
        std::free(m_buffer);
    m_buffer = nullptr;
    m_capacity = m_size = m_position = 0;
    m_owned = true;
    if (m_growBytes == 0)
        m_growBytes = 1024;
}

void CMemFile::Attach(BYTE* buffer, UINT size, UINT growBytes)
{
    Free();
    m_buffer = buffer;
    m_capacity = m_size = buffer ? size : 0;
    m_growBytes = growBytes;
    m_owned = growBytes != 0;
}

BYTE* CMemFile::Detach()
{
    BYTE* buffer = m_buffer;
    m_buffer = nullptr;
    m_capacity = m_size = m_position = 0;
    m_owned = true;
    if (m_growBytes == 0)
        m_growBytes = 1024;
    return buffer;
}

void CMemFile::Reserve(std::size_t capacity)
{
    if (capacity <= m_capacity)
        return;
    if (!m_owned || m_growBytes == 0)
        throw CFileException(CFileException::diskFull, ENOSPC, m_strFileName);
    const std::size_t steps = (capacity + m_growBytes - 1) / m_growBytes;
    const std::size_t rounded = steps * m_growBytes;
    void* grown = std::realloc(m_buffer, rounded);
    if (!grown)
        throw CFileException(CFileException::diskFull, ENOMEM, m_strFileName);
    m_buffer = static_cast<BYTE*>(grown);
    m_capacity = rounded;
}

bool CMemFile::Open(const char*, UINT, CFileException* error)
{
    if (error)
        *error = CFileException(CFileException::generic, EINVAL, m_strFileName);
    return false;
}

UINT CMemFile::Read(void* buffer, UINT count)
{
    if (m_position >= m_size)
        return 0;
    const std::size_t n = std::min<std::size_t>(count, m_size - m_position);
    std::memcpy(buffer, m_buffer + m_position, n);
    m_position += n;
    return static_cast<UINT>(n);
}

void CMemFile::Write(const void* buffer, UINT count)
{
    if (count == 0)
        return;
    const std::size_t endPos = m_position + count;
    Reserve(endPos);
    if (m_position > m_size)
        std::memset(m_buffer + m_size, 0, m_position - m_size);
    std::memcpy(m_buffer + m_position, buffer, count);
    m_position = endPos;
    m_size = std::max(m_size, endPos);
}

ULONGLONG CMemFile::Seek(LONGLONG offset, UINT from)
{
    const LONGLONG base = from == current ? static_cast<LONGLONG>(m_position)
                        : from == end     ? static_cast<LONGLONG>(m_size)
                                          : 0;
    if ((offset < 0 && base + offset < 0) || from > end)
        throw CFileException(CFileException::badSeek, EINVAL, m_strFileName);
    m_position = static_cast<std::size_t>(base + offset);
    return m_position;
}

void CMemFile::SetLength(ULONGLONG length)
{
    const auto newSize = static_cast<std::size_t>(length);
    Reserve(newSize);
    if (newSize > m_size)
        std::memset(m_buffer + m_size, 0, newSize - m_size);
    m_size = newSize;
    m_position = std::min(m_position, m_size);
}

void CMemFile::Close()
{
    Free();
}
