#pragma once
// The job list's clipboard and drag items: the selected rows as
// tab-separated text and, under "Quorvane JLData", the transfer container of
// their job records in its archive form. Window-free, so that the format can
// be checked byte for byte.

#include "controls/CJobListData.h"
#include "generic/VkCommDataList.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <string>
#include <vector>

class QMimeData;

using CJobTransferList = VkCommDataList<CJobListData>;

class CJobClipboard {
public:
    // The format's name ("Quorvane JLData"), looked up once per process.
    static const QString& Format();

    // The container's archive form, written through a memory file growing
    // in steps of 1024 bytes with a 4096-byte archive buffer; empty when it
    // could not be written.
    static QByteArray Write(CJobTransferList& list);
    // Appends the records of block to list; false, with the reason in error,
    // for a block that is not a whole container (the records read before
    // the fault are dropped too, so nothing half-read is pasted).
    static bool Read(const QByteArray& block, CJobTransferList& list, std::string* error = nullptr);

    // A clipboard or drag item with the text (when not empty) and the jobs
    // of host; null when neither could be produced.
    static std::unique_ptr<QMimeData> Render(const QString& text, const std::string& host,
                                             const std::vector<CJobListData>& jobs);
    // Whether the item carries jobs (null: no).
    static bool HasJobs(const QMimeData* data);
    // The item's jobs block, empty when it has none.
    static QByteArray JobsBlock(const QMimeData* data);
};
