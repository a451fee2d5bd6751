#include "controls/CJobClipboard.h"

#include "controls/QVCtrlStrings.h"
#include "platform/ArchiveFile.h"

#include <QMimeData>

#include <cstdlib>
#include <exception>

namespace {
constexpr UINT kGrowBytes = 1024;
constexpr int kArchiveBuffer = 4096;
} // namespace

const QString& CJobClipboard::Format()
{
    static const QString format = QVCtrlString(IDS_JA_CLIPBOARD_FORMAT);
    return format;
}

QByteArray CJobClipboard::Write(CJobTransferList& list)
{
    try {
        CMemFile file(kGrowBytes);
        CArchive ar(&file, CArchive::store, kArchiveBuffer);
        list.Serialize(ar);
        ar.Close();
        const BYTE* bytes = file.GetBuffer();
        if (!bytes)
            return QByteArray();
        return QByteArray(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(file.GetLength()));
    } catch (const std::exception&) {
        return QByteArray();
    }
}

bool CJobClipboard::Read(const QByteArray& block, CJobTransferList& list, std::string* error)
{
    CJobTransferList loaded;
    try {
        CMemFile file(kGrowBytes);
        file.Assign(block.constData(), static_cast<std::size_t>(block.size()));
        CArchive ar(&file, CArchive::load, kArchiveBuffer);
        loaded.Serialize(ar);
        ar.Close();
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return false;
    }
    list.m_sourceHost = loaded.m_sourceHost;
    for (auto& item : loaded.m_items)
        list.m_items.push_back(std::move(item));
    loaded.m_items.clear();
    return true;
}

std::unique_ptr<QMimeData> CJobClipboard::Render(const QString& text, const std::string& host,
                                                 const std::vector<CJobListData>& jobs)
{
    auto data = std::make_unique<QMimeData>();
    bool rendered = false;
    if (!text.isEmpty()) {
        data->setText(text);
        rendered = true;
    }
    CJobTransferList list;
    list.m_sourceHost = host;
    for (const CJobListData& job : jobs)
        list.Add(job);
    const QByteArray block = Write(list);
    if (!block.isEmpty()) {
        data->setData(Format(), block);
        rendered = true;
    }
    return rendered ? std::move(data) : nullptr;
}

bool CJobClipboard::HasJobs(const QMimeData* data)
{
    return data && data->hasFormat(Format());
}

QByteArray CJobClipboard::JobsBlock(const QMimeData* data)
{
    return HasJobs(data) ? data->data(Format()) : QByteArray();
}
