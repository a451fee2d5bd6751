#include "framework/TwStrings.h"

const VkStringTable& TwStrings()
{
    static const VkStringTable table{
        {IDS_TW_OLE_INIT_FAILED,
         "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
        {IDS_TW_NOTICE, "Copyright \xC2\xA9 Tarnwick. All rights reserved."},
        {IDS_TW_WEB_ADDRESS, "https://www.tarnwick.example/quorvane"},
        {IDS_TW_PICTURE_DEFEXT, "bmp"},
        {IDS_TW_PICTURE_FILTER,
         "Picture Files (*.bmp; *.gif; *.jpg)|*.bmp;*.gif; *.jpg|Bitmap Files (*.bmp)|*.bmp|GIF Files "
         "(*.gif)|*.gif|JPG Files (*.jpg)|*.jpg|All Files (*.*)|*.*||"},
        {IDS_TW_PALETTE_PATH, "Path: %s"},
        {IDS_TW_NONE_SPECIFIED, "-none specified-"},
        {IDS_TW_AUTO_LOAD_PALETTE, "Auto Load Palette"},
        {IDS_TW_AUTO_SAVE_PALETTE, "Auto Save Palette"},
        {IDS_TW_LAST_PALETTE, "Last Palette"},
        {IDS_TW_NEW_PALETTE_HEADER,
         "Enter settings for new Palette and press Continue.\r\nA Palette is an arrangement of one or more job "
         "queues."},
        {IDS_TW_BAD_PICTURE,
         "The file \"%s\" is not of a supported picture type or the file is corrupt.\nPlease select another file."},
        {IDS_TW_SAVE_PALETTE_FIRST, "Do you want to save the current Palette first (\"%s\")?"},
        {IDS_TW_APPDIMS, "AppDims"},
        {IDS_TW_MAXIMIZED, "Maximized"},
        {IDS_TW_AUTOTILE, "AutoTile"},
        {IDS_TW_BAD_PALETTE_FILE, "The file \"%s\" is not a valid Palette file. File not opened."},
        {IDS_TW_PALETTE_SETTINGS, "Palette Settings"},
        {IDS_TW_NEW_PALETTE_SETTINGS, "NEW Palette Settings"},
        {IDS_TW_CONTINUE, "Continue"},
        {IDS_TW_UNSPECIFIED, "Unspecified"},
        {IDS_TW_NONE, "None"},
        {IDS_TW_SELECT_PICTURE, "Select Picture"},
        {IDS_TW_SELECT, "Select"},
        {IDS_TW_PALETTE_HELP_FILE, "..\\help\\twgen.chm"},
        {IDS_TW_PALETTE_HELP_TOPIC, "text\\PaletteSettings.txt"},
        {IDS_TW_FRAME_TITLE_MANY, "%s - %s (%ld %ss)"},
        {IDS_TW_FRAME_TITLE_ONE, "%s - %s (1 %s)"},
        {IDS_TW_PALETTE_STEM, "Palette"},
        {IDS_TW_RECENT_PALETTES, "Recent Palettes"},
        {IDS_TW_IDLE_MESSAGE, "For Help, press F1"},
        {IDS_TW_DLG_DISPLAY_TITLE, "Display &title:"},
        {IDS_TW_DLG_BACKGROUND, "Background"},
        {IDS_TW_DLG_PICTURE, "&Picture"},
        {IDS_TW_DLG_COLOUR, "&Color"},
        {IDS_TW_DLG_BROWSE, "Browse..."},
        {IDS_TW_DLG_ALL_PALETTES, "Settings for all Palettes"},
        {IDS_TW_DLG_AUTOLOAD, "&Autoload last"},
        {IDS_TW_DLG_AUTOSAVE, "&Autosave on close"},
        {IDS_TW_PALETTE_LOAD_FAILED, "The Palette file \"%s\" could not be opened:\n%s\nThe current Palette is unchanged."},
        {IDS_TW_PALETTE_SAVE_FAILED, "The Palette could not be saved to \"%s\":\n%s"},
        {IDS_TW_PALETTE_SHORT_HEAD, "The file ends before the Palette's settings are complete."},
        {IDS_TW_PALETTE_SHORT_QUEUE, "The file ends inside queue %ld of %ld."},
        {IDS_TW_PALETTE_BAD_WINDOW, "Queue %ld has a window position outside any screen."},
        {IDS_TW_PALETTE_BAD_CHUNK, "Queue %ld holds a data block of %lu bytes; a Palette's blocks hold at most 1024."},
        {IDS_TW_PALETTE_TRAILING, "The file goes on after its last queue."},
        {IDS_TW_PALETTE_TOO_LARGE, "The file is far larger than any Palette."},
        {IDS_TW_PALETTE_QUEUE_FAILED, "Queue %ld: %s"},
        {IDS_TW_PALETTE_QUEUE_NOT_MADE, "The window of queue %ld could not be created."},
        {IDS_TW_RECENT_VALUE, "Palette%ld"},
        {IDS_TW_RECENT_ITEM, "&%ld %s (%s)"},
        {IDS_TW_EXPLORER_TITLE, "Schema Explorer - %s (%s) - %s"},
        {IDS_TW_EXPLORER_NO_HOST, "Schema Explorer - No host specified"},
        {IDS_TW_EXPLORER_CONNECTED, "Connected"},
        {IDS_TW_EXPLORER_NOT_CONNECTED, "NOT Connected"},
        {IDS_TW_EXPLORER_CONNECTING, "Connecting"},
        {IDS_TW_EXPLORER_SECTION, "OrExp"},
        {IDS_TW_EXPLORER_VISIBLE, "Visible"},
        {IDS_TW_EXPLORER_DIMS, "Dims"},
        {IDS_TW_EXPLORER_CONNECT, "Connect"},
        {IDS_TW_REGISTRY_DAMAGED,
         "%s\n\nContinue with default settings? The damaged file is kept as \"%s\"; choose No to end the "
         "program and leave it where it is."},
        {IDS_TW_REGISTRY_UNWRITABLE,
         "%s\n\nContinue with default settings? Settings changed in this session will not be kept; choose No "
         "to end the program."},
        {IDS_TW_REGISTRY_NOT_SET_ASIDE,
         "The file \"%s\" could not be set aside: %s.\nThe program continues with default settings, which will "
         "not be kept."},
    };
    return table;
}

QString TwString(UINT id)
{
    return QString::fromStdString(TwStrings().Load(id));
}
