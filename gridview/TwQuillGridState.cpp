#include "gridview/TwQuillGridState.h"

#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"

void TwQuillGridState::Store(CArchive& ar, bool includeConnection) const
{
    ar << static_cast<DWORD>(columns.size());
    for (size_t column = 0; column < columns.size(); ++column)
        ar << columns[column] << (column < widths.size() ? widths[column] : LONG(100));
    ar << static_cast<DWORD>(rows.size());
    for (const auto& row : rows)
        for (size_t column = 0; column < columns.size(); ++column)
            // Without the connection no data of the server is kept.
            ar << (includeConnection && column < row.size() ? row[column] : std::string());
    if (includeConnection)
        ar << host << user << password;
    else
        ar << std::string() << std::string() << std::string();
    ar << refreshInterval << maximumRows << monitorMode << sqlText;
}

void TwQuillGridState::Load(CArchive& ar, bool includeConnection)
{
    TwQuillGridState loaded;
    DWORD columnCount = 0;
    ar >> columnCount;
    for (DWORD column = 0; column < columnCount; ++column) {
        std::string name;
        LONG width = 0;
        ar >> name >> width;
        loaded.columns.push_back(std::move(name));
        loaded.widths.push_back(width);
    }
    DWORD rowCount = 0;
    ar >> rowCount;
    // Rows without columns carry no bytes, so a damaged count would only
    // be caught after billions of empty rows.
    if (rowCount != 0 && columnCount == 0)
        throw CArchiveException(CArchiveException::badSchema);
    for (DWORD row = 0; row < rowCount; ++row) {
        std::vector<std::string> cells;
        for (DWORD column = 0; column < columnCount; ++column)
            cells.push_back(ar.ReadString());
        loaded.rows.push_back(std::move(cells));
    }
    ar >> loaded.host >> loaded.user >> loaded.password;
    if (!includeConnection)
        loaded.host.clear(), loaded.user.clear(), loaded.password.clear();
    ar >> loaded.refreshInterval >> loaded.maximumRows >> loaded.monitorMode >> loaded.sqlText;
    *this = std::move(loaded);
}

std::vector<BYTE> TwQuillGridState::ToBytes(bool includeConnection) const
{
    try {
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            Store(ar, includeConnection);
            ar.Close();
        }
        const BYTE* data = file.GetBuffer();
        return data ? std::vector<BYTE>(data, data + file.GetLength()) : std::vector<BYTE>();
    } catch (const CException&) {
        return {};
    }
}

bool TwQuillGridState::FromBytes(const std::vector<BYTE>& bytes, bool includeConnection, TwQuillGridState& state,
                                 std::string& error)
{
    try {
        CMemFile file;
        file.Assign(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        TwQuillGridState loaded;
        loaded.Load(ar, includeConnection);
        state = std::move(loaded);
        return true;
    } catch (const CException& e) {
        error = e.what();
        return false;
    }
}
