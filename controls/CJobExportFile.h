#pragma once
// The job export file: version 1, the job count, then each job record as an
// archive object of class "CJobListData". Writing goes to a temporary file
// beside the destination that replaces it only once it is complete, so a
// failure or a crash midway leaves the old file as it was. Reading takes the
// whole file and checks it before handing over any job, so a damaged file
// creates nothing.

#include "controls/CJobListData.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CArchive;

class CJobExportFile {
public:
    static constexpr LONG kVersion = 1;
    // The smallest a stored job can be: a later object's 2-byte class tag
    // and its record with empty strings.
    static constexpr ULONGLONG kMinJobBytes = 2 + 65;

    // Called after each job put into the archive, with the number put so
    // far; it may throw to abandon the export.
    using Progress = std::function<void(size_t written)>;

    // Writes jobs to path (folders made as needed); false, with the reason
    // in error and the destination untouched, when it could not.
    static bool Write(const std::filesystem::path& path, const std::vector<CJobListData>& jobs,
                      std::string* error = nullptr, const Progress& progress = {});
    // Every job of the file at path; false, with the reason in error and
    // jobs unchanged, for a file that cannot be read or is not whole.
    static bool Read(const std::filesystem::path& path, std::vector<CJobListData>& jobs,
                     std::string* error = nullptr);

    // The archive form alone; Store and Load throw the archive's and file's
    // exceptions. Load refuses a count the remaining bytes cannot hold.
    static void Store(CArchive& ar, const std::vector<CJobListData>& jobs, const Progress& progress = {});
    static std::vector<CJobListData> Load(CArchive& ar);
    // Load over bytes in memory; false with the reason for damaged data.
    static bool Parse(const std::string& bytes, std::vector<CJobListData>& jobs, std::string* error = nullptr);
};
