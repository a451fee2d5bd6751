// Job export files.
#include "controls/CJobExportFile.h"
#include "fuzz/FuzzArchive.h"
#include "fuzz/FuzzTarget.h"

std::vector<std::string> QvFuzzSeeds()
{
    CJobListData job;
    job.m_jobNumber = 42;
    job.m_nextDate = 45000.5;
    job.m_what = "begin null; end;";
    job.m_interval = "SYSDATE + 1";
    job.m_logUser = job.m_privUser = job.m_schemaUser = "SCOTT";
    CJobListData broken = job;
    broken.m_jobNumber = 43;
    broken.m_broken = true;
    broken.m_failures = 16;
    std::vector<std::string> seeds;
    for (const auto& jobs : {std::vector<CJobListData>{}, std::vector<CJobListData>{job},
                             std::vector<CJobListData>{job, broken}})
        seeds.push_back(QvArchiveBytes([&](CArchive& ar) { CJobExportFile::Store(ar, jobs); }));
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<CJobListData> jobs;
    std::string error;
    CJobExportFile::Parse(QvFuzzBytes(data, size), jobs, &error);
    return 0;
}
