#include "generic/VkMenuTable.h"

bool VkMenuTableIsBalanced(const VkMenuTable& table)
{
    int depth = 0;
    for (const VkMenuDef& def : table) {
        if (def.kind == VkMenuDef::Popup)
            ++depth;
        else if (def.kind == VkMenuDef::EndPopup && --depth < 0)
            return false;
    }
    return depth == 0;
}

std::vector<UINT> VkMenuTableCommands(const VkMenuTable& table)
{
    std::vector<UINT> ids;
    for (const VkMenuDef& def : table)
        if (def.kind == VkMenuDef::Item && def.id != 0)
            ids.push_back(def.id);
    return ids;
}
