#include "framework/TwPaletteSettings.h"

#include "framework/TwStrings.h"

TwPaletteSettings TwPaletteSettings::From(const TwPalette& palette, bool autoLoad, bool autoSave, bool isNew)
{
    TwPaletteSettings s;
    s.title = palette.Title();
    s.filePath = palette.Path();
    s.picturePath = palette.BkPicturePath();
    s.colour = palette.BkColour();
    s.radio = palette.Mode() == TwPalette::ModePicture ? RadioPicture : RadioColour;
    s.autoLoad = autoLoad;
    s.autoSave = autoSave;
    s.isNew = isNew;
    return s;
}

QString TwPaletteSettings::Caption() const
{
    return TwString(isNew ? IDS_TW_NEW_PALETTE_SETTINGS : IDS_TW_PALETTE_SETTINGS);
}

QString TwPaletteSettings::OkText() const
{
    return isNew ? TwString(IDS_TW_CONTINUE) : QString();
}

QString TwPaletteSettings::Header() const
{
    if (isNew)
        return TwString(IDS_TW_NEW_PALETTE_HEADER);
    const QString path = filePath.isEmpty() ? TwString(IDS_TW_UNSPECIFIED) : filePath;
    return QString::fromStdString(TwStrings().Format(IDS_TW_PALETTE_PATH, path.toUtf8().constData()));
}

QString TwPaletteSettings::PictureLabel() const
{
    return picturePath.isEmpty() ? TwString(IDS_TW_NONE_SPECIFIED) : picturePath;
}

void TwPaletteSettings::Confirm()
{
    if (picturePath.isEmpty())
        radio = RadioColour;
}

void TwPaletteSettings::ApplyTo(TwPalette& palette) const
{
    if (radio == RadioColour)
        palette.SetBkColour(colour);
    else
        palette.SetBkPicture(picturePath);
    palette.SetTitle(title);
}
