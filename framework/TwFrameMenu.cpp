#include "framework/TwFrameMenu.h"

#include "framework/TwCommandIds.h"

const VkMenuTable& TwFrameMenu()
{
    static const VkMenuTable menu{
        VkMenuPopup("&File"),
        VkMenuItem(ID_PALETTE_NEW, "&New"),
        VkMenuItem(ID_PALETTE_OPEN, "&Open..."),
        VkMenuSeparator(),
        VkMenuItem(ID_PALETTE_SAVE, "&Save"),
        VkMenuItem(ID_PALETTE_SAVEAS, "Save &As..."),
        VkMenuSeparator(),
        VkMenuItem(ID_FILE_NEW, "New &Connection...\tCtrl+N"),
        VkMenuSeparator(),
        VkMenuItem(ID_PALETTE_PROPERTIES, "S&ettings..."),
        VkMenuSeparator(),
        VkMenuPopup("&Recent"),
        VkMenuItem(ID_RECENT_NONE, "None"),
        VkMenuEnd(),
        VkMenuSeparator(),
        VkMenuItem(ID_APP_EXIT, "E&xit"),
        VkMenuEnd(),
        VkMenuPopup("&View"),
        VkMenuItem(ID_VIEW_TOOLBAR, "&Toolbar"),
        VkMenuItem(ID_VIEW_STATUS_BAR, "&Status Bar"),
        VkMenuSeparator(),
        VkMenuItem(ID_TOOLS_ORACLEEXPLORER, "Schema &Explorer"),
        VkMenuItem(ID_VIEW_SQLGRID, "SQL &Grid"),
        VkMenuEnd(),
        VkMenuPopup("&Help"),
        VkMenuItem(ID_HELP_FINDER, "&Help Topics"),
        VkMenuSeparator(),
        VkMenuItem(ID_APP_ABOUT, "&About Quorvane..."),
        VkMenuEnd(),
    };
    return menu;
}
