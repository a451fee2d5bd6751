#pragma once
// COleStreamFile: a CFile over an IStream, so that archives can be read
// from and written to streams (a control persisting itself into a host's
// stream). The file holds one reference to its stream until Close,
// Detach or destruction. Stream failures throw CFileException, as a disk
// file's would.

#include "platform/ArchiveFile.h"
#include "platform/ComInterfaces.h"

class COleStreamFile : public CFile {
public:
    // stream may be null (attach one later); it is AddRef'd.
    explicit COleStreamFile(IStream* stream = nullptr);
    ~COleStreamFile() override;

    // Replaces the stream (AddRef'd); the previous one is released.
    void Attach(IStream* stream);
    // Hands the stream's reference to the caller; the file is then closed.
    IStream* Detach();
    IStream* GetStream() const { return m_stream; }

    // Streams are attached, not opened by name: always false.
    bool Open(const char* fileName, UINT openFlags, CFileException* error = nullptr) override;
    bool IsOpen() const override { return m_stream != nullptr; }
    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    ULONGLONG GetLength() const override;
    ULONGLONG GetPosition() const override;
    void SetLength(ULONGLONG length) override;
    // Commits the stream.
    void Flush() override;
    // Releases the stream.
    void Close() override;
    void Abort() override;

private:
    [[noreturn]] void Throw(int cause, HRESULT hr) const;
    void RequireOpen() const;

    IStream* m_stream = nullptr;
};
