#include "app/CQuorvaneResources.h"

const VkMenuTable& QvQueueMenu()
{
    static const VkMenuTable menu{
        VkMenuPopup("&File"),
        VkMenuItem(32818, "&New"),
        VkMenuItem(32816, "&Open..."),
        VkMenuSeparator(),
        VkMenuItem(32822, "&Save"),
        VkMenuItem(32817, "Save &As..."),
        VkMenuSeparator(),
        VkMenuItem(57600, "Connect New &Queue...\tCtrl+N"),
        VkMenuSeparator(),
        VkMenuItem(32772, "&Import..."),
        VkMenuItem(32771, "E&xport..."),
        VkMenuSeparator(),
        VkMenuItem(32820, "S&ettings..."),
        VkMenuSeparator(),
        VkMenuPopup("&Recent"),
        VkMenuItem(32821, "None"),
        VkMenuEnd(),
        VkMenuSeparator(),
        VkMenuItem(57665, "E&xit"),
        VkMenuEnd(),
        VkMenuPopup("&Edit"),
        VkMenuItem(57634, "&Copy\tCtrl+C"),
        VkMenuItem(57637, "&Paste\tCtrl+V"),
        VkMenuEnd(),
        VkMenuPopup("&View"),
        VkMenuItem(59392, "&Toolbar"),
        VkMenuItem(59393, "&Status Bar"),
        VkMenuSeparator(),
        VkMenuItem(1067, "Schema &Explorer"),
        VkMenuItem(32790, "SQL &Grid"),
        VkMenuSeparator(),
        VkMenuItem(133, "&Refresh\tF5"),
        VkMenuItem(141, "Refresh &All"),
        VkMenuEnd(),
        VkMenuPopup("&Queue"),
        VkMenuItem(57600, "Connect New &Queue...\tCtrl+N"),
        VkMenuSeparator(),
        VkMenuItem(1057, "&Disconnect"),
        VkMenuItem(1058, "&Reconnect"),
        VkMenuItem(1059, "Chan&ge Connection..."),
        VkMenuSeparator(),
        VkMenuItem(57602, "&Close"),
        VkMenuItem(138, "Close &All Queues"),
        VkMenuSeparator(),
        VkMenuItem(32773, "&Properties...\tAlt+Enter"),
        VkMenuEnd(),
        VkMenuPopup("&Jobs"),
        VkMenuItem(32775, "&New..."),
        VkMenuItem(32781, "&View / Modify..."),
        VkMenuItem(32791, "Fore&cast..."),
        VkMenuSeparator(),
        VkMenuItem(32778, "&Run"),
        VkMenuItem(32783, "&Stop"),
        VkMenuItem(32792, "Stop Sa&fely..."),
        VkMenuItem(32774, "Stop &All"),
        VkMenuSeparator(),
        VkMenuItem(32779, "&Break"),
        VkMenuSeparator(),
        VkMenuItem(32793, "Co&mpare With..."),
        VkMenuEnd(),
        VkMenuPopup("&Window"),
        VkMenuItem(57648, "&New Window"),
        VkMenuItem(57650, "&Cascade"),
        VkMenuItem(57651, "&Tile"),
        VkMenuItem(57649, "&Arrange Icons"),
        VkMenuSeparator(),
        VkMenuItem(32784, "A&uto Tile"),
        VkMenuEnd(),
        VkMenuPopup("&Help"),
        VkMenuItem(57667, "&Help Topics"),
        VkMenuSeparator(),
        VkMenuItem(57664, "&About Quorvane..."),
        VkMenuEnd(),
    };
    return menu;
}

const VkAccelTable& QvAccelerators()
{
    static const VkAccelTable accels{
        {"Shift+F1", 57669}, {"Ctrl+C", 57634},        {"Ctrl+Ins", 57634},  {"Shift+Del", 57635},
        {"Ctrl+X", 57635},   {"Ctrl+V", 57637},        {"Shift+Ins", 57637}, {"Alt+Backspace", 57643},
        {"Ctrl+Z", 57643},   {"Ctrl+N", 57600},        {"Ctrl+O", 57601},    {"Ctrl+P", 57607},
        {"Ctrl+S", 57603},   {"F1", 57670},            {"F6", 57680},        {"Shift+F6", 57681},
        {"F5", 133},         {"Alt+Return", 32773},    {"Alt+Enter", 32773},
    };
    return accels;
}

const VkToolBarTable& QvToolBar()
{
    static const VkToolBarTable bar{32818, 32816, 32822, 0,     57600, 0,     57634, 57637, 32782, 0,     1067,
                                    0,     32784, 0,     32771, 32772, 0,     32775, 32781, 32779, 0,     32778,
                                    32783, 32774, 0,     133,   141};
    return bar;
}
