// Palette files: the whole-file decoder and the queue record splitter.
#include "framework/TwPaletteFile.h"
#include "fuzz/FuzzArchive.h"
#include "fuzz/FuzzTarget.h"
#include "generic/VkWndRecord.h"

std::vector<std::string> QvFuzzSeeds()
{
    auto queue = [](CArchive& ar, const char* data) {
        VkWndRecord frame;
        frame.normalLeft = 10;
        frame.normalTop = 10;
        frame.normalRight = 410;
        frame.normalBottom = 310;
        frame.Write(ar);
        frame.Write(ar);
        const std::string bytes = data;
        ar << static_cast<DWORD>(bytes.size());
        ar.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        ar << static_cast<DWORD>(0);
    };
    auto palette = [&](int queues) {
        return QvArchiveBytes([&](CArchive& ar) {
            ar << static_cast<DWORD>(1) << static_cast<DWORD>(0x00C0C0C0) << static_cast<LONG>(0);
            ar << std::string("Ops") << std::string("");
            ar << static_cast<DWORD>(queues);
            for (int i = 0; i < queues; ++i)
                queue(ar, "SCOTT@DEMO control state");
        });
    };
    return {palette(0), palette(1), palette(3)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes = QvFuzzBytes(data, size);
    TwPaletteContents contents;
    std::string reason;
    TwPaletteFile::Decode(bytes, contents, reason);
    std::vector<std::string> records;
    TwPaletteFile::SplitQueueRecords(bytes, records, reason);
    return 0;
}
