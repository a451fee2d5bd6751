#include "app/CQueueStreamChunks.h"

#include "platform/Archive.h"
#include "platform/ArchiveException.h"

namespace {

void Rewind(IStream* stream)
{
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
}

} // namespace

void CQueueStreamChunks::Write(CArchive& ar, IStream* stream)
{
    Rewind(stream);
    BYTE buffer[kChunk];
    for (;;) {
        ULONG read = 0;
        if (FAILED(stream->Read(buffer, kChunk, &read)) || read == 0)
            break;
        ar << static_cast<DWORD>(read);
        ar.Write(buffer, read);
    }
    ar << static_cast<DWORD>(0);
}

void CQueueStreamChunks::Read(CArchive& ar, IStream* stream)
{
    Rewind(stream);
    BYTE buffer[kChunk];
    for (;;) {
        DWORD length = 0;
        ar >> length;
        if (length == 0)
            break;
        if (length > kChunk)
            throw CArchiveException(CArchiveException::badSchema);
        if (ar.Read(buffer, length) != length)
            throw CArchiveException(CArchiveException::endOfFile);
        ULONG written = 0;
        if (FAILED(stream->Write(buffer, length, &written)) || written != length)
            throw CArchiveException(CArchiveException::generic);
    }
    Rewind(stream);
}
