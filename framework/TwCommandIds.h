#pragma once
// Command identifiers of the shell, with the platform's standard ones.

#include "platform/WinTypes.h"

// Palette and queue commands.
constexpr UINT ID_PALETTE_NEW = 32818;
constexpr UINT ID_PALETTE_OPEN = 32816;
constexpr UINT ID_PALETTE_SAVE = 32822;
constexpr UINT ID_PALETTE_SAVEAS = 32817;
constexpr UINT ID_PALETTE_PROPERTIES = 32820;
constexpr UINT ID_RECENT_NONE = 32821;
constexpr UINT ID_RECENT_PALETTE_FIRST = 32824;
constexpr UINT ID_RECENT_PALETTE_LAST = 32827;
constexpr UINT ID_TOOLS_ORACLEEXPLORER = 1067;
constexpr UINT ID_VIEW_SQLGRID = 32790;
constexpr UINT ID_VIEW_REFRESHALL = 141;
constexpr UINT ID_FILE_CLOSEALL = 138;
constexpr UINT ID_WINDOW_AUTOTILE = 32784;

// The platform's standard commands.
constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_CLOSE = 57602;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_PRINT_SETUP = 57606;
constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_CUT = 57635;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_EDIT_UNDO = 57643;
constexpr UINT ID_WINDOW_NEW = 57648;
constexpr UINT ID_WINDOW_ARRANGE = 57649;
constexpr UINT ID_WINDOW_CASCADE = 57650;
constexpr UINT ID_WINDOW_TILE_HORZ = 57651;
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT ID_HELP_FINDER = 57667;
constexpr UINT ID_CONTEXT_HELP = 57669;
constexpr UINT ID_HELP = 57670;
constexpr UINT ID_DEFAULT_HELP = 57671;
constexpr UINT ID_NEXT_PANE = 57680;
constexpr UINT ID_PREV_PANE = 57681;
constexpr UINT ID_VIEW_TOOLBAR = 59392;
constexpr UINT ID_VIEW_STATUS_BAR = 59393;
