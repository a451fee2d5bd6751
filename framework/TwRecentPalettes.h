#pragma once
// The Recent palettes list without the menu: values Palette1..Palette4 of
// section "Recent Palettes", each "path|title", newest first.

#include <QString>

#include <vector>

class TwSettings;

struct TwRecentPalette {
    QString path;
    QString title;
};

class TwRecentPalettes {
public:
    static constexpr int kMax = 4;

    // The list with newPath (when not empty) first, then the stored entries
    // in order without empty paths, paths already listed and files that no
    // longer exist; at most four. Writes it back (clearing values beyond
    // it, so a dropped entry cannot come back) and flushes the store.
    static std::vector<TwRecentPalette> Update(TwSettings& settings, const QString& newPath, const QString& newTitle);

    // "&<n> <title> (<path>)" for entry n (from 1).
    static QString MenuText(int n, const TwRecentPalette& entry);
};
