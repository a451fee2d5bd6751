// Window records (in palettes and queue records).
#include "fuzz/FuzzArchive.h"
#include "fuzz/FuzzTarget.h"
#include "generic/VkWndRecord.h"

std::vector<std::string> QvFuzzSeeds()
{
    VkWndRecord normal;
    normal.normalRight = 640;
    normal.normalBottom = 480;
    VkWndRecord maximised = normal;
    maximised.showCmd = SW_SHOWMAXIMIZED;
    return {QvArchiveBytes([&](CArchive& ar) { normal.Write(ar); }),
            QvArchiveBytes([&](CArchive& ar) { maximised.Write(ar); })};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QvArchiveRead(QvFuzzBytes(data, size), [](CArchive& ar) {
        VkWndRecord record;
        record.Read(ar);
    });
    return 0;
}
