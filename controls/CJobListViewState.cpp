#include "controls/CJobListViewState.h"

#include "platform/Archive.h"
#include "platform/ArchiveException.h"

void CJobListViewState::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kVersion;
        ar.WriteString(font.toStdString());
        ar << textColour << backColour;
        ar << static_cast<BYTE>(flashEffects ? 1 : 0);
        ar << static_cast<DWORD>(columnLayout.size());
        ar.Write(columnLayout.constData(), static_cast<UINT>(columnLayout.size()));
        return;
    }
    DWORD version = 0;
    ar >> version;
    if (version != kVersion)
        throw CArchiveException(CArchiveException::badSchema);
    font = QString::fromStdString(ar.ReadString());
    ar >> textColour >> backColour;
    BYTE flash = 1;
    ar >> flash;
    flashEffects = flash != 0;
    DWORD length = 0;
    ar >> length;
    if (length > kMaxLayoutBytes)
        throw CArchiveException(CArchiveException::badSchema);
    const std::string bytes = ar.ReadBytes(length);
    if (bytes.size() != length)
        throw CArchiveException(CArchiveException::endOfFile);
    columnLayout = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
