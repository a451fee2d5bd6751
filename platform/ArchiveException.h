#pragma once
// The exceptions of the archive and file classes, with the causes and
// messages callers know from the Windows framework. They are thrown by
// CFile, CMemFile and CArchive and must be caught by the code that uses
// those classes; they never leave a module through its interfaces.

#include "platform/WinTypes.h"

#include <exception>
#include <string>

class CException : public std::exception {
public:
    ~CException() override;
    // The text shown to the user.
    virtual std::string GetErrorMessage() const = 0;
    // GetErrorMessage(), kept alive with the exception.
    const char* what() const noexcept override;

protected:
    mutable std::string m_what;
};

class CArchiveException : public CException {
public:
    enum {
        none,
        generic,
        readOnly,   // writing to an archive opened for loading
        endOfFile,  // reading past the end
        writeOnly,  // reading from an archive opened for storing
        badIndex,   // a tag or back-reference that names nothing valid
        badClass,   // an unknown or unexpected class
        badSchema   // a class stored with another schema than the program's
    };

    explicit CArchiveException(int cause = none, std::string fileName = {});
    ~CArchiveException() override;
    std::string GetErrorMessage() const override;

    int m_cause;
    std::string m_strFileName;
};

class CFileException : public CException {
public:
    enum {
        none,
        generic,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile
    };

    explicit CFileException(int cause = none, LONG osError = -1, std::string fileName = {});
    ~CFileException() override;
    std::string GetErrorMessage() const override;

    // The cause for an errno value.
    static int OsErrorToException(int osError);

    int m_cause;
    LONG m_lOsError;
    std::string m_strFileName;
};
