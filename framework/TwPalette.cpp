#include "framework/TwPalette.h"

#include "framework/TwStrings.h"
#include "generic/VkPaths.h"
#include "platform/Archive.h"

#include <QApplication>
#include <QFileInfo>
#include <QPalette>

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
