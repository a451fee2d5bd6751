#include "framework/TwRememberedUsers.h"

#include "generic/VkAppStore.h"
#include "platform/ComPtr.h"
#include "platform/VkBstr.h"

#include <algorithm>

namespace {

// The names of the values of the store's users section (added to the
// store's tree when absent).
std::vector<std::string> UserNames(const VkAppStore& store)
{
    const ComPtr<IVkRegKey> users = store.Section(TwRememberedUsers::UsersSection);
    std::vector<std::string> names = VkAppStore::ValueNames(users.Get());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

std::vector<TwRememberedUser> TwRememberedUsers::Load(std::string* lastUser)
{
    std::vector<TwRememberedUser> users;
    VkAppStore store(CompanyPath, ApplicationKey);
    if (lastUser)
        *lastUser = store.GetString(LoginSection, LastUserValue, "");
    for (const std::string& name : UserNames(store)) {
        const std::string record = store.GetEncryptedString(UsersSection, name.c_str(), "");
        TwRememberedUser user{name, record, {}};
        // A database name never holds a bar; a password may.
        if (const auto bar = record.rfind('|'); bar != std::string::npos) {
            user.password = record.substr(0, bar);
            user.database = record.substr(bar + 1);
        }
        users.push_back(std::move(user));
    }
    store.Close(false);
    return users;
}

void TwRememberedUsers::Remember(const std::string& user, const std::string& password, const std::string& database)
{
    if (user.empty())
        return;
    VkAppStore store(CompanyPath, ApplicationKey);
    store.SetEncryptedString(UsersSection, user.c_str(), (password + "|" + database).c_str());
    store.SetString(LoginSection, LastUserValue, user.c_str());
    store.Close(true);
}
