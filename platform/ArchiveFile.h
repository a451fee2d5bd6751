#pragma once
// Files for archives: CFile over a file on disk and CMemFile over memory,
// with the Windows framework's interface. Failures throw CFileException
// (see ArchiveException.h); Open reports them as a result instead.

#include "platform/ArchiveException.h"
#include "platform/WinTypes.h"

#include <cstddef>
#include <string>

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    // Opens the file; throws CFileException on failure.
    CFile(const char* fileName, UINT openFlags);
    virtual ~CFile(); // closes, ignoring errors
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False (and the cause in *error when given) when the file cannot be
    // opened. modeCreate truncates unless modeNoTruncate is given; the share
    // flags are accepted and ignored.
    virtual bool Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    virtual bool IsOpen() const;

    // Bytes read; fewer than asked only at the end of the file.
    virtual UINT Read(void* buffer, UINT count);
    virtual void Write(const void* buffer, UINT count);
    // The new position.
    virtual ULONGLONG Seek(LONGLONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    virtual void SetLength(ULONGLONG length);
    // Commits written data to the disk.
    virtual void Flush();
    virtual void Close();
    // Closes without reporting errors.
    virtual void Abort();

    const std::string& GetFilePath() const { return m_strFileName; }

protected:
    [[noreturn]] void ThrowOsError(int osError) const;

    int m_hFile = -1;
    std::string m_strFileName;
};

// A file in memory. Its buffer grows in steps of the grow size (1024 bytes
// by default) and is freed with the file unless detached.
class CMemFile : public CFile {
public:
    explicit CMemFile(UINT growBytes = 1024);
    // Reads and writes the caller's buffer in place; see Attach.
    CMemFile(BYTE* buffer, UINT size, UINT growBytes = 0);
    ~CMemFile() override;

    // Replaces the contents with the caller's buffer of size bytes. With
    // growBytes 0 the buffer is used in place, never freed and never grown
    // (a write past its end throws diskFull). Otherwise it must come from
    // malloc; the file owns it from now on and may reallocate it.
    void Attach(BYTE* buffer, UINT size, UINT growBytes = 0);
    // Replaces the contents with a copy of size bytes, owned and growing;
    // the position goes to 0.
    void Assign(const void* data, std::size_t size);
    // Hands the buffer to the caller (free() it when the file owned it) and
    // leaves the file empty. Null when the file holds no buffer.
    BYTE* Detach();
    // The contents, GetLength() bytes; null while empty.
    const BYTE* GetBuffer() const { return m_buffer; }

    bool Open(const char* fileName, UINT openFlags, CFileException* error = nullptr) override;
    bool IsOpen() const override { return true; }
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override { return m_size; }
    ULONGLONG GetPosition() const override { return m_position; }
    void SetLength(ULONGLONG length) override;
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

private:
    void Reserve(std::size_t capacity);
    void Free();

    BYTE* m_buffer = nullptr;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
    std::size_t m_position = 0;
    UINT m_growBytes = 1024;
    bool m_owned = true;
};
