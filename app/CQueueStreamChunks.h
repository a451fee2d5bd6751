#pragma once
// A queue's control data inside a palette: the bytes of a stream written
// as chunks of at most kChunk bytes, each after its length (32-bit), and a
// length of 0 after the last.

#include "platform/ComInterfaces.h"

class CArchive;

class CQueueStreamChunks {
public:
    static constexpr DWORD kChunk = 1024;

    // Writes the stream's bytes from its start.
    static void Write(CArchive& ar, IStream* stream);
    // Reads chunks into the stream (from its start) up to the 0 length and
    // rewinds it. Throws CArchiveException: badSchema for a length above
    // kChunk (nothing the writer makes), endOfFile when the data ends early.
    static void Read(CArchive& ar, IStream* stream);
};
