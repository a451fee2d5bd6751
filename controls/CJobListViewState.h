#pragma once
// The job list's own saved state: its font, its text and background
// colours, the flash-effects switch and the column layout with the sort.
// Kept apart from the window so that the byte layout is testable alone.
//
// Layout: version (32-bit, 1); font (archive string, empty for the
// default); text colour and background colour (32-bit ARGB each, 0 for the
// default); flash effects (byte); column layout length (32-bit, at most
// kMaxLayoutBytes) followed by its bytes.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

class CArchive;

struct CJobListViewState {
    static constexpr DWORD kVersion = 1;
    static constexpr DWORD kMaxLayoutBytes = 64 * 1024;

    QString font;
    DWORD textColour = 0;
    DWORD backColour = 0;
    bool flashEffects = true;
    QByteArray columnLayout;

    // Writes or reads the state. Reading throws CArchiveException
    // (badSchema) for another version or an oversized layout, and for data
    // that ends early (endOfFile); the fields read until then are set.
    void Serialize(CArchive& ar);
};
