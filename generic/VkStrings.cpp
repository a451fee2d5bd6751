#include "generic/VkStrings.h"

const VkStringTable& VkStrings()
{
    static const VkStringTable table{
        {IDS_VK_ABOUT_CAPTION, "About %s"},
        {IDS_VK_HELP_CAPTION, "Help"},
    };
    return table;
}

QString VkString(UINT id)
{
    return QString::fromStdString(VkStrings().Load(id));
}
