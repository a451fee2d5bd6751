#include "gridview/TwQlVwHelp.h"

#include "generic/VkHtmlHelp.h"
#include "generic/VkPaths.h"
#include "gridview/TwQlVwStrings.h"

#include <algorithm>

std::filesystem::path TwQlVwHelpFile()
{
    std::string name = TwQlVwStrings().Load(IDS_GV_HELP_FILE);
    std::replace(name.begin(), name.end(), '\\', '/');
    return (VkProgramFolder() / name).lexically_normal();
}

bool TwQlVwShowHelp(QWidget* owner, UINT topicId)
{
    return VkShowHelpTopic(owner, TwQlVwHelpFile(), TwQlVwStrings().Load(topicId));
}
