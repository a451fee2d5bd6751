#pragma once
// What the palette settings dialog shows and edits, and its rules, apart
// from the window.

#include "framework/TwPalette.h"

#include <QString>

struct TwPaletteSettings {
    enum Radio { RadioPicture = 0, RadioColour = 1 };

    QString title;
    QString filePath;    // display only
    QString picturePath;
    COLORREF colour = 0;
    int radio = RadioColour;
    bool autoLoad = true;
    bool autoSave = true;
    bool isNew = false;

    // Filled from a palette and the application's two flags.
    static TwPaletteSettings From(const TwPalette& palette, bool autoLoad, bool autoSave, bool isNew);

    QString Caption() const;
    // The OK button's text; empty keeps the platform's "OK".
    QString OkText() const;
    // The header above the title field.
    QString Header() const;
    // The picture path as the label shows it (before fitting to its width).
    QString PictureLabel() const;
    bool OkEnabled() const { return !title.isEmpty(); }
    // OK pressed: without a picture path the colour is chosen.
    void Confirm();
    // Applies the choice to palette (colour or picture, and the title).
    void ApplyTo(TwPalette& palette) const;
};
