#pragma once
// The framework library's string table.

#include "generic/VkStringTable.h"

#include <QString>

// Identifiers of the framework's texts.
enum TwStringId : UINT {
    IDS_TW_OLE_INIT_FAILED = 100,
    IDS_TW_NOTICE = 130,
    IDS_TW_WEB_ADDRESS = 134,
    IDS_TW_PICTURE_DEFEXT = 600,
    IDS_TW_PICTURE_FILTER = 601,
    IDS_TW_PALETTE_PATH = 602,
    IDS_TW_NONE_SPECIFIED = 603,
    IDS_TW_AUTO_LOAD_PALETTE = 604,
    IDS_TW_AUTO_SAVE_PALETTE = 605,
    IDS_TW_LAST_PALETTE = 606,
    IDS_TW_NEW_PALETTE_HEADER = 610,
    IDS_TW_BAD_PICTURE = 613,
    IDS_TW_SAVE_PALETTE_FIRST = 1006,
    IDS_TW_APPDIMS = 1040,
    IDS_TW_MAXIMIZED = 1041,
    IDS_TW_AUTOTILE = 1045,
    IDS_TW_BAD_PALETTE_FILE = 32824,
    // Dialog and window texts.
    IDS_TW_PALETTE_SETTINGS = 3000,
    IDS_TW_NEW_PALETTE_SETTINGS,
    IDS_TW_CONTINUE,
    IDS_TW_UNSPECIFIED,
    IDS_TW_NONE,
    IDS_TW_SELECT_PICTURE,
    IDS_TW_SELECT,
    IDS_TW_PALETTE_HELP_FILE,
    IDS_TW_PALETTE_HELP_TOPIC,
    IDS_TW_FRAME_TITLE_MANY,
    IDS_TW_FRAME_TITLE_ONE,
    IDS_TW_PALETTE_STEM,
    IDS_TW_RECENT_PALETTES,
    IDS_TW_IDLE_MESSAGE,
    // Controls of the palette settings dialog (resource 1046).
    IDS_TW_DLG_DISPLAY_TITLE,
    IDS_TW_DLG_BACKGROUND,
    IDS_TW_DLG_PICTURE,
    IDS_TW_DLG_COLOUR,
    IDS_TW_DLG_BROWSE,
    IDS_TW_DLG_ALL_PALETTES,
    IDS_TW_DLG_AUTOLOAD,
    IDS_TW_DLG_AUTOSAVE,
};

const VkStringTable& TwStrings();
// Shorthand for TwStrings().Load(id) as a QString.
QString TwString(UINT id);
