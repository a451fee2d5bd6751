#pragma once
// The diagnostic log: "vklog.txt" in the system's temporary folder, emptied
// when the generic library loads. QUORVANE_LOG_DIR, when set, names another
// folder (tests point it at their own, so that they never share one file).

#include <filesystem>

// Appends one entry: the local time as "%H:%M:%S  " when addTimeStamp, the
// printf-formatted text, and a line end when addLineEnd. Writers are
// serialised; each entry is flushed. Failures are ignored.
void VkWriteLog(bool addLineEnd, bool addTimeStamp, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Creates or empties the log file (done once as the library loads).
void VkStartLog();

// The log file's path as it stands now.
std::filesystem::path VkLogPath();
