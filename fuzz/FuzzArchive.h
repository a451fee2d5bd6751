#pragma once
// Archives over memory for the fuzz targets' seeds and inputs.

#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"

#include <functional>
#include <string>

// What fill writes into a storing archive.
inline std::string QvArchiveBytes(const std::function<void(CArchive&)>& fill)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        fill(ar);
        ar.Close();
    }
    const BYTE* data = file.GetBuffer();
    return data ? std::string(reinterpret_cast<const char*>(data), file.GetLength()) : std::string();
}

// Runs read on a loading archive over bytes; the archive's own exceptions
// are how readers report damage, anything else escapes and is a finding.
inline void QvArchiveRead(const std::string& bytes, const std::function<void(CArchive&)>& read)
{
    try {
        CMemFile file;
        file.Assign(bytes.data(), bytes.size());
        CArchive ar(&file, CArchive::load);
        read(ar);
    } catch (const CException&) {
    }
}
