#pragma once
// The diagnostic log: "vklog.txt" in the data root, kept only when asked
// for: QUORVANE_LOG set (to anything but "0"), or QUORVANE_LOG_DIR naming
// another folder (tests point it at their own, so that they never share one
// file). It is emptied when the generic library loads. The file is the
// user's alone (0600) and is never reached through a symbolic link; a file
// of that name that is not the user's own plain file is left untouched and
// nothing is logged.

#include <filesystem>

// Appends one entry: the local time as "%H:%M:%S  " when addTimeStamp, the
// printf-formatted text, and a line end when addLineEnd. Writers are
// serialised; each entry is flushed. Failures are ignored.
void VkWriteLog(bool addLineEnd, bool addTimeStamp, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Creates or empties the log file when logging is asked for (done once as
// the library loads).
void VkStartLog();

// Whether logging is asked for, as the environment stands now.
bool VkLogEnabled();

// The log file's path as it stands now.
std::filesystem::path VkLogPath();
