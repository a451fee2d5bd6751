#include "platform/ArchiveException.h"

#include <cerrno>

namespace {

// Puts the file name (or a stand-in) where the message has %1.
std::string WithName(const char* pattern, const std::string& fileName)
{
    std::string text(pattern);
    const std::string name = fileName.empty() ? std::string("an unnamed file") : fileName;
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, name);
    return text;
}

} // namespace

CException::~CException() = default;

const char* CException::what() const noexcept
{
    try {
        m_what = GetErrorMessage();
    } catch (...) {
        return "error";
    }
    return m_what.c_str();
}

CArchiveException::CArchiveException(int cause, std::string fileName)
    : m_cause(cause), m_strFileName(std::move(fileName))
{
}

CArchiveException::~CArchiveException() = default;

std::string CArchiveException::GetErrorMessage() const
{
    switch (m_cause) {
    case readOnly: return WithName("Attempted to write to the read-only %1.", m_strFileName);
    case endOfFile: return WithName("Attempted to access %1 past its end.", m_strFileName);
    case writeOnly: return WithName("Attempted to read from the write-only %1.", m_strFileName);
    case badIndex: return WithName("%1 has a bad format.", m_strFileName);
    case badClass: return WithName("%1 contained an unexpected object.", m_strFileName);
    case badSchema: return WithName("%1 contains an incorrect schema.", m_strFileName);
    default: return WithName("An unknown error occurred while accessing %1.", m_strFileName);
    }
}

CFileException::CFileException(int cause, LONG osError, std::string fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName))
{
}

CFileException::~CFileException() = default;

std::string CFileException::GetErrorMessage() const
{
    switch (m_cause) {
    case none: return "No error occurred.";
    case fileNotFound: return WithName("%1 was not found.", m_strFileName);
    case badPath: return WithName("%1 contains an invalid path.", m_strFileName);
    case tooManyOpenFiles:
        return WithName("%1 could not be opened because there are too many open files.", m_strFileName);
    case accessDenied: return WithName("Access to %1 was denied.", m_strFileName);
    case invalidFile: return WithName("An invalid file handle was associated with %1.", m_strFileName);
    case removeCurrentDir:
        return WithName("%1 could not be removed because it is the current directory.", m_strFileName);
    case directoryFull:
        return WithName("%1 could not be created because the directory is full.", m_strFileName);
    case badSeek: return WithName("Seek failed on %1", m_strFileName);
    case hardIO: return WithName("A hardware I/O error was reported while accessing %1.", m_strFileName);
    case sharingViolation: return WithName("A sharing violation occurred while accessing %1.", m_strFileName);
    case lockViolation: return WithName("A locking violation occurred while accessing %1.", m_strFileName);
    case diskFull: return WithName("Disk full while accessing %1.", m_strFileName);
    case endOfFile: return WithName("An attempt was made to access %1 past its end.", m_strFileName);
    default: return WithName("An unknown error occurred while accessing %1.", m_strFileName);
    }
}

int CFileException::OsErrorToException(int osError)
{
    switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST: return accessDenied;
    case EBADF: return invalidFile;
    case ESPIPE:
    case EINVAL: return badSeek;
    case EIO: return hardIO;
    case ETXTBSY:
    case EBUSY: return sharingViolation;
    case ENOLCK:
    case EDEADLK: return lockViolation;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: return diskFull;
    default: return generic;
    }
}
