#include "platform/OleStreamFile.h"

#include <cerrno>
#include <utility>

COleStreamFile::COleStreamFile(IStream* stream) { Attach(stream); }

COleStreamFile::~COleStreamFile() { Abort(); }

void COleStreamFile::Attach(IStream* stream)
{
    if (stream)
        stream->AddRef();
    if (IStream* old = std::exchange(m_stream, stream))
        old->Release();
    m_strFileName.clear();
}

IStream* COleStreamFile::Detach() { return std::exchange(m_stream, nullptr); }

bool COleStreamFile::Open(const char* fileName, UINT, CFileException* error)
{
    if (error)
        *error = CFileException(CFileException::generic, EINVAL, fileName ? fileName : "");
    return false;
}

void COleStreamFile::Throw(int cause, HRESULT hr) const
{
    throw CFileException(cause, static_cast<LONG>(hr), m_strFileName);
}

void COleStreamFile::RequireOpen() const
{
    if (!m_stream)
        throw CFileException(CFileException::invalidFile, EBADF, m_strFileName);
}

UINT COleStreamFile::Read(void* buffer, UINT count)
{
    RequireOpen();
    if (count == 0)
        return 0;
    ULONG read = 0;
    const HRESULT hr = m_stream->Read(buffer, count, &read);
    if (FAILED(hr))
        Throw(CFileException::hardIO, hr);
    return read;
}

void COleStreamFile::Write(const void* buffer, UINT count)
{
    RequireOpen();
    if (count == 0)
        return;
    ULONG written = 0;
    const HRESULT hr = m_stream->Write(buffer, count, &written);
    if (hr == STG_E_MEDIUMFULL || (SUCCEEDED(hr) && written < count))
        Throw(CFileException::diskFull, hr);
    if (FAILED(hr))
        Throw(CFileException::hardIO, hr);
}

ULONGLONG COleStreamFile::Seek(LONGLONG offset, UINT from)
{
    RequireOpen();
    ULARGE_INTEGER position{};
    const HRESULT hr = m_stream->Seek(LARGE_INTEGER{offset}, from, &position);
    if (FAILED(hr))
        Throw(CFileException::badSeek, hr);
    return position.QuadPart;
}

ULONGLONG COleStreamFile::GetLength() const
{
    RequireOpen();
    STATSTG stat{};
    const HRESULT hr = m_stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        Throw(CFileException::generic, hr);
    return stat.cbSize.QuadPart;
}

ULONGLONG COleStreamFile::GetPosition() const
{
    RequireOpen();
    ULARGE_INTEGER position{};
    const HRESULT hr = m_stream->Seek(LARGE_INTEGER{0}, STREAM_SEEK_CUR, &position);
    if (FAILED(hr))
        Throw(CFileException::badSeek, hr);
    return position.QuadPart;
}

void COleStreamFile::SetLength(ULONGLONG length)
{
    RequireOpen();
    const HRESULT hr = m_stream->SetSize(ULARGE_INTEGER{length});
    if (FAILED(hr))
        Throw(hr == STG_E_MEDIUMFULL ? CFileException::diskFull : CFileException::generic, hr);
}

void COleStreamFile::Flush()
{
    RequireOpen();
    const HRESULT hr = m_stream->Commit(0);
    if (FAILED(hr))
        Throw(CFileException::hardIO, hr);
}

void COleStreamFile::Close()
{
    if (IStream* s = std::exchange(m_stream, nullptr))
        s->Release();
}

void COleStreamFile::Abort() { Close(); }
