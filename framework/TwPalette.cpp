#include "framework/TwPalette.h"

#include "framework/TwMainFrame.h"
#include "framework/TwPaletteFile.h"
#include "framework/TwQuillApp.h"
#include "framework/TwStrings.h"
#include "generic/VkBlankingWindow.h"
#include "generic/VkDocTemplate.h"
#include "generic/VkModalService.h"
#include "generic/VkPaths.h"
#include "platform/Archive.h"
#include "platform/ArchiveException.h"
#include "platform/ArchiveFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPalette>
#include <QPointer>

#include <algorithm>

namespace {
const char* const kPaletteExtension = "qvp";
const char* const kPaletteFilter = "Quorvane Palette Files (*.qvp)|*.qvp|All Files (*.*)|*.*||";
} // namespace

QColor VkColorFromRef(COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

COLORREF VkRefFromColor(const QColor& colour)
{
    return VkRGB(colour.red(), colour.green(), colour.blue());
}

TwPalette::TwPalette()
{
    Reset();
}

COLORREF TwPalette::WorkspaceColour()
{
    return VkRefFromColor(QApplication::palette().color(QPalette::Dark));
}

void TwPalette::Reset()
{
    m_defaultExt = QString::fromLatin1(kPaletteExtension);
    m_filter = QString::fromLatin1(kPaletteFilter);
    const auto file = VkFirstFreeNumberedFile(VkPersonalFolder(), TwStrings().Load(IDS_TW_PALETTE_STEM),
                                              std::string(".") + kPaletteExtension);
    m_path = QString::fromStdString(file.string());
    m_title = QString::fromStdString(file.stem().string());
    m_bkColour = WorkspaceColour();
    m_mode = ModeColour;
    m_bkPicturePath.clear();
    m_bkPicture.Unload();
    m_default = true;
    m_loading = 0;
}

void TwPalette::SetBkColour(COLORREF colour)
{
    m_bkColour = colour;
    m_mode = ModeColour;
    m_bkPicture.Unload();
}

void TwPalette::SetBkPicture(const QString& path)
{
    m_mode = ModePicture;
    m_bkPicturePath = path;
    m_bkPicture.Load(QFileInfo(path).absoluteFilePath());
}

void TwPalette::SetPath(const QString& path)
{
    m_path = path;
    m_default = false;
}

QString TwPalette::Path() const
{
    return m_path.isEmpty() ? QString() : QFileInfo(m_path).absoluteFilePath();
}

QString TwPalette::FileName() const
{
    return QFileInfo(m_path).fileName();
}

void TwPalette::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << DWORD(m_bkColour) << LONG(m_mode);
        ar.WriteString(m_title.toStdString());
        ar.WriteString(m_bkPicturePath.toStdString());
        return;
    }
    DWORD colour = 0;
    LONG mode = 0;
    ar >> colour >> mode;
    const QString title = QString::fromStdString(ar.ReadString());
    const QString picture = QString::fromStdString(ar.ReadString());
    m_bkColour = colour;
    m_title = title;
    m_bkPicturePath = picture;
    m_mode = mode == ModePicture ? ModePicture : ModeColour;
    m_bkPicture.Unload();
    if (m_mode == ModePicture)
        m_bkPicture.Load(QFileInfo(picture).absoluteFilePath());
}

TwPaletteRecord TwPalette::Record() const
{
    TwPaletteRecord record;
    record.colour = m_bkColour;
    record.mode = m_mode;
    record.title = m_title.toStdString();
    record.picturePath = m_bkPicturePath.toStdString();
    return record;
}

void TwPalette::ApplyRecord(const TwPaletteRecord& record)
{
    m_bkColour = record.colour;
    m_title = QString::fromStdString(record.title);
    m_bkPicturePath = QString::fromStdString(record.picturePath);
    m_mode = record.mode == ModePicture ? ModePicture : ModeColour;
    m_bkPicture.Unload();
    if (m_mode == ModePicture && !m_bkPicturePath.isEmpty())
        m_bkPicture.Load(QFileInfo(m_bkPicturePath).absoluteFilePath());
}

namespace {

// The wait cursor for as long as it exists.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Marks a palette and the application as loading for as long as it exists.
class LoadingScope {
public:
    LoadingScope(TwPalette& palette, TwQuillApp& app) : m_palette(palette), m_app(app)
    {
        m_palette.SetLoading(true);
        m_app.SetPaletteLoading(true);
    }
    ~LoadingScope()
    {
        m_palette.SetLoading(false);
        m_app.SetPaletteLoading(false);
    }

private:
    TwPalette& m_palette;
    TwQuillApp& m_app;
};

// A memory file that names the palette in archive messages.
class NamedMemFile : public CMemFile {
public:
    explicit NamedMemFile(const std::string& name) { m_strFileName = name; }
};

QWidget* Owner(TwQuillApp& app)
{
    return app.MainFrame();
}

} // namespace

bool TwPalette::InteractPalettePath(TwQuillApp& app)
{
    VkFileDialogRequest request;
    request.owner = Owner(app);
    request.defaultExt = m_defaultExt;
    request.initialDir = app.FileDialogFolder();
    request.initialFile = QStringLiteral("*.") + m_defaultExt;
    request.filter = m_filter;
    request.mustExist = true;
    if (!VkModalService::FileDialog(request) || request.path.isEmpty())
        return false;
    const QFileInfo chosen(request.path);
    SetPath(chosen.absoluteFilePath());
    app.SetFileDialogFolder(chosen.absolutePath());
    if (chosen.suffix().compare(m_defaultExt, Qt::CaseInsensitive) != 0) {
        const QByteArray path = Path().toUtf8();
        VkModalService::MessageBox(Owner(app), QString::fromStdString(TwStrings().Format(IDS_TW_BAD_PALETTE_FILE, path.constData())),
                                   TwQuillApp::Title(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

bool TwPalette::Load(TwQuillApp& app, bool askForPath, QWidget* blank)
{
    VkMultiDocTemplate* tpl = app.FirstTemplate();
    if (!tpl)
        return false;
    const QString oldPath = m_path;
    const bool oldDefault = m_default;
    const auto restorePath = [&] {
        m_path = oldPath;
        m_default = oldDefault;
    };
    if (askForPath || !QFileInfo(Path()).isFile()) {
        if (!InteractPalettePath(app)) {
            restorePath();
            return false;
        }
    }
    const std::string path = Path().toStdString();
    std::string reason;
    TwPaletteContents contents;
    {
        WaitCursor wait;
        if (TwPaletteFile::Read(path, contents, reason)) {
            VkBlankingWindow blanking(blank, VkColorFromRef(contents.record.colour));
            LoadingScope loading(*this, app);
            std::vector<QPointer<VkDocument>> made;
            for (std::size_t q = 0; q < contents.queues.size() && reason.empty(); ++q) {
                VkDocument* doc = tpl->OpenDocumentFile(true);
                if (!doc) {
                    reason = TwStrings().Format(IDS_TW_PALETTE_QUEUE_NOT_MADE, long(q + 1));
                    break;
                }
                made.push_back(doc);
                try {
                    NamedMemFile file(path);
                    file.Assign(contents.queues[q].data(), contents.queues[q].size());
                    CArchive ar(&file, CArchive::load);
                    doc->Serialize(ar);
                } catch (const CException& e) {
                    reason = TwStrings().Format(IDS_TW_PALETTE_QUEUE_FAILED, long(q + 1), e.GetErrorMessage().c_str());
                } catch (const std::exception& e) {
                    reason = TwStrings().Format(IDS_TW_PALETTE_QUEUE_FAILED, long(q + 1), e.what());
                }
            }
            if (!reason.empty()) {
                for (const QPointer<VkDocument>& doc : made)
                    if (doc)
                        doc->OnCloseDocument();
            }
        }
    }
    if (!reason.empty()) {
        restorePath();
        app.ReportPaletteError(QString::fromStdString(
            TwStrings().Format(IDS_TW_PALETTE_LOAD_FAILED, path.c_str(), reason.c_str())));
        return false;
    }
    ApplyRecord(contents.record);
    SetPath(QString::fromStdString(path));
    return true;
}

bool TwPalette::WriteTo(TwQuillApp& app, const QString& path, std::string& reason,
                        const std::function<void()>& afterWritten)
{
    VkMultiDocTemplate* tpl = app.FirstTemplate();
    if (!tpl)
        return false;
    // The documents from the bottom-most window up; a document shown in
    // several windows is written where its first window lies.
    std::vector<VkDocument*> docs;
    if (QMdiArea* area = tpl->MdiArea()) {
        for (QMdiSubWindow* window : area->subWindowList(QMdiArea::StackingOrder)) {
            VkDocument* doc = tpl->DocumentOfFrame(window);
            if (doc && std::find(docs.begin(), docs.end(), doc) == docs.end())
                docs.push_back(doc);
        }
    }
    for (VkDocument* doc : tpl->Documents())
        if (std::find(docs.begin(), docs.end(), doc) == docs.end())
            docs.push_back(doc);
    // Each document's records are made and checked first, so that the
    // count in front of them is the number that follows.
    std::vector<std::string> records;
    try {
        for (VkDocument* doc : docs) {
            CMemFile file;
            {
                CArchive ar(&file, CArchive::store);
                doc->Serialize(ar);
                ar.Close();
            }
            const std::string bytes(reinterpret_cast<const char*>(file.GetBuffer()),
                                    static_cast<std::size_t>(file.GetLength()));
            if (!TwPaletteFile::SplitQueueRecords(bytes, records, reason))
                return false;
        }
    } catch (const CException& e) {
        reason = e.GetErrorMessage();
        return false;
    }
    const auto fill = [&](CArchive& ar) {
        ar << DWORD(TwPaletteFile::kHeader);
        Serialize(ar);
        ar << static_cast<DWORD>(records.size());
        for (const std::string& record : records)
            ar.Write(record.data(), static_cast<UINT>(record.size()));
    };
    return TwPaletteFile::WriteReplacing(path.toStdString(), fill, reason, afterWritten);
}

bool TwPalette::Save(TwQuillApp& app, bool askForPath, bool)
{
    if (!app.FirstTemplate())
        return false;
    QString target;
    if (!askForPath && !FileName().isEmpty() && !m_default) {
        target = Path();
    } else {
        VkFileDialogRequest request;
        request.owner = Owner(app);
        request.save = true;
        request.defaultExt = m_defaultExt;
        request.filter = m_filter;
        request.overwritePrompt = true;
        request.initialDir = app.FileDialogFolder();
        if (!FileName().isEmpty() && !m_default) {
            request.path = Path();
        } else {
            // The title, made a file name, with the first free number.
            QString stem = m_title;
            stem.replace(QLatin1Char('/'), QLatin1Char('_'));
            const auto proposal = VkFirstFreeNumberedFile(request.initialDir.toStdString(), stem.toStdString(),
                                                          "." + m_defaultExt.toStdString());
            request.path = QString::fromStdString(proposal.string());
        }
        request.initialFile = QFileInfo(request.path).fileName();
        if (!VkModalService::FileDialog(request) || request.path.isEmpty())
            return false;
        QFileInfo chosen(request.path);
        if (chosen.suffix().isEmpty())
            chosen.setFile(request.path + QLatin1Char('.') + m_defaultExt);
        target = chosen.absoluteFilePath();
        app.SetFileDialogFolder(chosen.absolutePath());
    }
    std::string reason;
    bool written = false;
    {
        WaitCursor wait;
        written = WriteTo(app, target, reason);
    }
    if (!written) {
        const QByteArray path = target.toUtf8();
        app.ReportPaletteError(QString::fromStdString(
            TwStrings().Format(IDS_TW_PALETTE_SAVE_FAILED, path.constData(), reason.c_str())));
        return false;
    }
    SetPath(target);
    return true;
}
