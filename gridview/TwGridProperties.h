#pragma once
// The settings the grid's properties dialog edits.

#include "platform/WinTypes.h"

#include <QString>

struct TwGridProperties {
    static constexpr DWORD kManualRefresh = 0xFFFFFFFF;

    DWORD refreshInterval = 100; // seconds; kManualRefresh for manual
    LONG maximumRows = -1;       // negative: no limit
    QString title;
    bool showStatusBar = true;
    bool showAlerts = true;
};
