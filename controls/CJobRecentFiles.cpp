#include "controls/CJobRecentFiles.h"

#include "controls/QVCtrlStrings.h"
#include "framework/TwRememberedUsers.h"
#include "generic/VkAppStore.h"
#include "platform/ComPtr.h"
#include "platform/VkAscii.h"
#include "platform/VkBstr.h"

#include <algorithm>

namespace {

ComPtr<IVkRegKey> RecentKey(const VkAppStore& store)
{
    return store.Section(QVCtrlStrings().Load(IDS_JX_RECENT_SECTION));
}

UINT LastValue(CJobRecentFiles::Kind kind)
{
    return kind == CJobRecentFiles::Export ? IDS_JX_LAST_EXPORT : IDS_JX_LAST_IMPORT;
}

} // namespace

std::vector<std::string> CJobRecentFiles::Load(Kind kind, std::string* last)
{
    const VkStringTable& strings = QVCtrlStrings();
    const std::string section = strings.Load(IDS_JX_RECENT_SECTION);
    const std::string nextId = strings.Load(IDS_JX_NEXT_ID);
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    std::vector<std::string> names;
    for (const std::string& valueName : VkAppStore::ValueNames(RecentKey(store).Get())) {
        // The counter lives beside the names; it is not one of them.
        if (VkAsciiEqualNoCase(valueName, nextId))
            continue;
        const std::string name = store.GetString(section.c_str(), valueName.c_str(), "");
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    if (last)
        *last = store.GetString(strings.Load(IDS_JX_SECTION).c_str(), strings.Load(LastValue(kind)).c_str(), "");
    store.Close(false);
    return names;
}

void CJobRecentFiles::Remember(Kind kind, const std::string& current, const std::vector<std::string>& listed)
{
    const VkStringTable& strings = QVCtrlStrings();
    const std::string section = strings.Load(IDS_JX_RECENT_SECTION);
    const std::string nextIdName = strings.Load(IDS_JX_NEXT_ID);
    VkAppStore store(TwRememberedUsers::CompanyPath, TwRememberedUsers::ApplicationKey);
    LONG nextId = std::max<LONG>(0, store.GetLong(section.c_str(), nextIdName.c_str(), 0));
    if (ComPtr<IVkRegKey> key = RecentKey(store))
        key->RemoveAllValues();
    std::vector<std::string> names;
    if (!current.empty())
        names.push_back(current);
    for (const std::string& name : listed)
        if (!name.empty() && name != current)
            names.push_back(name);
    for (const std::string& name : names)
        store.SetString(section.c_str(), std::to_string(nextId++).c_str(), name.c_str());
    store.SetLong(section.c_str(), nextIdName.c_str(), nextId);
    store.SetString(strings.Load(IDS_JX_SECTION).c_str(), strings.Load(LastValue(kind)).c_str(), current.c_str());
    store.Close(true);
}
