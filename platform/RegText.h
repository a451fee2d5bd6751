#pragma once
// Registry branches as REGEDIT4 text, the format of .reg files:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Tarnwick]
//   @="default value"
//   "Text"="C:\\path with \"quotes\""
//   "Count"=dword:0000002a
//   "Bytes"=hex:01,02,ff
//   "Other"=hex(7):61,00,00      (any type by number: 0, 2, 5, 6, 7, ...)
//
// "[-KEY]" deletes a branch and "name"=- a value. An export imported again
// reproduces the branch exactly: every value type, the spelling of names and
// the order of values.

#include "platform/Registry.h"

#include <string>
#include <string_view>

class VkRegText {
public:
    // Splits "HKEY_CURRENT_USER\Software\X" (short root names too) into the
    // root and the path below it; false for an unknown root.
    static bool SplitKeyPath(std::string_view path, HKEY* root, std::string* subPath);

    // The REGEDIT4 text of keyPath and its whole sub-tree, down to the
    // deepest level a key may have; *skipped counts the keys below that left
    // out. ERROR_FILE_NOT_FOUND when the key does not exist.
    static LONG Export(std::string_view keyPath, std::string* text, int* skipped = nullptr);

    struct ImportResult {
        LONG status = ERROR_SUCCESS; // ERROR_INVALID_DATA for malformed text
        int line = 0;                // the line that failed, 1-based; 0 on success
        std::string message;         // what was wrong there
        int keys = 0;                // key sections applied
        int values = 0;              // value lines applied
    };
    // Applies the whole text as one transaction: at the first line that is
    // not sound (or a key deeper than the registry allows) it stops and
    // nothing of the text is applied.
    static ImportResult Import(std::string_view text);

    // Deletes keyPath with its sub-tree; a root refuses (ERROR_ACCESS_DENIED).
    static LONG DeleteKey(std::string_view keyPath);

    // The text after "name=" in a .reg file for a value.
    static std::string FormatData(DWORD type, std::string_view data, size_t column = 0);
    // A quoted, escaped name or text as written in a .reg file.
    static std::string Quote(std::string_view text);
};
