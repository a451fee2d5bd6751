#pragma once
// The generic library's string table.

#include "generic/VkStringTable.h"

#include <QString>

enum VkStringId : UINT {
    IDS_VK_ABOUT_CAPTION = 1,
    IDS_VK_HELP_CAPTION,
};

const VkStringTable& VkStrings();
QString VkString(UINT id);
