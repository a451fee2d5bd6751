#pragma once
// The job list's own items of its context menu and its command numbers,
// decided from the connection state and the selection alone, so that the
// rules can be checked without a menu on screen.

#include "framework/TwWorkerState.h"
#include "platform/WinTypes.h"

#include <QString>

#include <vector>

enum CJobListCommand : UINT {
    ID_JL_NEW = 4109,
    ID_JL_NONE = 4110, // has no effect
    ID_JL_MODIFY = 4111,
    ID_JL_EXPORT = 4112,
    ID_JL_IMPORT = 4113,
    ID_JL_REMOVE = 4115,
    ID_JL_RUN = 4116,
    ID_JL_STOP = 4117,
    ID_JL_STOP_ALL = 4118,
    ID_JL_BREAK = 4119,
    ID_JL_RECONNECT = 4120,
    ID_JL_CHANGE_CONNECTION = 4121,
    ID_JL_PROPERTIES = 4122,
    ID_JL_FORECAST = 4123,
    ID_JL_STOP_SAFELY = 4124,
    ID_JL_COMPARE = 4125,
};

struct CJobListMenuItem {
    bool separator = false;
    UINT command = 0; // 0 for a separator or a sub-menu
    QString text;
    bool enabled = true;
    std::vector<CJobListMenuItem> children; // a sub-menu when not empty
};

struct CJobListMenuState {
    TwConnection connection = TwConnection::NotConnected;
    int rows = 0;
    int selected = 0;
    int selectedRunning = 0;
    int selectedBroken = 0;
};

class CJobListMenu {
public:
    // The items appended after the generic list's own, each group preceded
    // by a separator.
    static std::vector<CJobListMenuItem> Build(const CJobListMenuState& state);
};
