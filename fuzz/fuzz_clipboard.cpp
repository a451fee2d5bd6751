// The job list's clipboard and drag block.
#include "controls/CJobClipboard.h"
#include "fuzz/FuzzTarget.h"

std::vector<std::string> QvFuzzSeeds()
{
    std::vector<std::string> seeds;
    for (int count : {0, 1, 3}) {
        CJobTransferList list;
        for (int i = 0; i < count; ++i) {
            CJobListData job;
            job.m_jobNumber = 100 + i;
            job.m_what = "dbms_output.put_line('x');";
            job.m_interval = "TRUNC(SYSDATE) + 1";
            job.m_logUser = "SCOTT";
            list.Add(job);
        }
        const QByteArray block = CJobClipboard::Write(list);
        seeds.emplace_back(block.constData(), static_cast<size_t>(block.size()));
    }
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CJobTransferList list;
    std::string error;
    CJobClipboard::Read(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), list, &error);
    return 0;
}
