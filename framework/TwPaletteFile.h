#pragma once
// The palette file without windows: decoding a whole file into its palette
// record and the raw bytes of each queue record, and writing a file so that
// the target is replaced only once the new contents are complete on disk.
//
// Layout (little-endian): header (DWORD, 1), colour (DWORD), mode (LONG),
// title and picture path (archive strings), queue count (DWORD), then the
// queue records from the bottom-most to the top-most window. A queue record
// is two window records (52 bytes each) and the control's data as chunks:
// a DWORD length n (1..1024) and n bytes, ended by a length of 0.

#include "platform/WinTypes.h"

#include <functional>
#include <string>
#include <vector>

class CArchive;

struct TwPaletteRecord {
    DWORD colour = 0;
    LONG mode = 0;
    std::string title;
    std::string picturePath;
};

struct TwPaletteContents {
    DWORD header = 1;
    TwPaletteRecord record;
    // One entry per queue record, in file order (bottom-most first).
    std::vector<std::string> queues;
};

class TwPaletteFile {
public:
    static constexpr DWORD kHeader = 1;
    static constexpr DWORD kMaxChunk = 1024;
    // No palette comes near this; a larger file is not read into memory.
    static constexpr unsigned long long kMaxFileSize = 64ull << 20;

    // Decodes a whole file. False with a reason for the user when the bytes
    // are not a complete palette (short, a chunk above 1024 bytes, a window
    // outside any screen, bytes after the last queue).
    static bool Decode(const std::string& bytes, TwPaletteContents& contents, std::string& reason);
    // Appends the queue records that bytes (what a document wrote) holds;
    // false with a reason when they are not whole records.
    static bool SplitQueueRecords(const std::string& bytes, std::vector<std::string>& records, std::string& reason);
    // Reads and decodes the file at path; false with a reason.
    static bool Read(const std::string& path, TwPaletteContents& contents, std::string& reason);

    // Writes a file by calling fill with an archive on a temporary file
    // ("shl<n>.tmp" beside target), flushing it to disk and renaming it over
    // target. False with a reason when any step fails; the temporary file
    // is removed then and target is untouched. afterWritten (tests) runs
    // between the flush and the rename.
    static bool WriteReplacing(const std::string& target, const std::function<void(CArchive&)>& fill,
                               std::string& reason, const std::function<void()>& afterWritten = {});
};
