#pragma once
// The grid's persisted state: the list's columns and cells, the logon
// details (or three empty strings when the connection is not included),
// the refresh interval, the maximum rows, the monitor mode and the SQL text,
// in the platform framework's binary archive.

#include "platform/WinTypes.h"

#include <string>
#include <vector>

class CArchive;

struct TwQuillGridState {
    std::vector<std::string> columns;
    std::vector<LONG> widths;
    std::vector<std::vector<std::string>> rows;
    std::string host, user, password;
    DWORD refreshInterval = 100;
    LONG maximumRows = -1;
    BYTE monitorMode = 0;
    std::string sqlText;

    // Throw the archive's exceptions; ToBytes and FromBytes catch them.
    void Store(CArchive& ar, bool includeConnection) const;
    void Load(CArchive& ar, bool includeConnection);

    std::vector<BYTE> ToBytes(bool includeConnection) const;
    // False, leaving state untouched and error set, when bytes are not a
    // whole state.
    static bool FromBytes(const std::vector<BYTE>& bytes, bool includeConnection, TwQuillGridState& state,
                          std::string& error);
};
