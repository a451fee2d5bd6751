#include "platform/ComModule.h"

#include "platform/Registry.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string Substitute(const char* value, const std::string& modulePath)
{
    std::string s = value;
    const std::string mark = "%MODULE%";
    for (size_t at = s.find(mark); at != std::string::npos; at = s.find(mark, at + modulePath.size()))
        s.replace(at, mark.size(), modulePath);
    return s;
}

// Sets a string value, creating the key; valueName null is the default.
bool SetText(const std::string& key, const char* valueName, const std::string& value)
{
    HKEY h = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, key.c_str(), KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueEx(h, valueName, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
    return rc == ERROR_SUCCESS;
}

bool CreateKey(const std::string& key)
{
    HKEY h = nullptr;
    if (RegCreateKeyEx(HKEY_CLASSES_ROOT, key.c_str(), KEY_ALL_ACCESS, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

bool WriteEntry(const std::string& base, const VkRegistryEntry& e, const std::string& modulePath)
{
    const std::string key = e.key && *e.key ? (base.empty() ? e.key : base + "\\" + e.key) : base;
    if (!e.value)
        return CreateKey(key);
    return SetText(key, e.valueName, Substitute(e.value, modulePath));
}

// The default text of HKCR\key\sub, or "" when missing.
std::string ReadDefault(const std::string& key)
{
    HKEY h = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, key.c_str(), KEY_READ, &h) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    std::string text;
    if (RegQueryValueEx(h, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::vector<BYTE> data(size + 1);
        if (RegQueryValueEx(h, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
            text.assign(reinterpret_cast<const char*>(data.data()), strnlen(reinterpret_cast<const char*>(data.data()), size));
    }
    RegCloseKey(h);
    return text;
}

// Deletes a key tree; a key already gone is fine.
bool DeleteTree(const std::string& key)
{
    const LONG rc = RegDeleteTree(HKEY_CLASSES_ROOT, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// Removes the now empty parents of key, up to (not including) its first level.
void PruneEmptyParents(std::string key)
{
    for (size_t cut = key.rfind('\\'); cut != std::string::npos && key.find('\\') < cut; cut = key.rfind('\\')) {
        key.erase(cut);
        HKEY h = nullptr;
        if (RegOpenKeyEx(HKEY_CLASSES_ROOT, key.c_str(), KEY_READ, &h) != ERROR_SUCCESS)
            return;
        DWORD subKeys = 0, values = 0;
        const LONG rc = RegQueryInfoKey(h, &subKeys, nullptr, &values, nullptr, nullptr);
        RegCloseKey(h);
        if (rc != ERROR_SUCCESS || subKeys || values || RegDeleteKey(HKEY_CLASSES_ROOT, key.c_str()) != ERROR_SUCCESS)
            return;
    }
}

bool RegisterClass(const VkClassEntry& c, const std::string& modulePath)
{
    const std::string clsid = VkGuidToString(c.clsid);
    const std::string classKey = "CLSID\\" + clsid;
    const std::string description = c.description ? c.description : "";
    const std::string progId = c.progId ? c.progId : "";
    const std::string versioned = progId.empty() || c.version <= 0 ? progId : progId + "." + std::to_string(c.version);

    bool ok = SetText(classKey, nullptr, description) && SetText(classKey + "\\InprocServer32", nullptr, modulePath);
    if (ok && c.threadingModel)
        ok = SetText(classKey + "\\InprocServer32", "ThreadingModel", c.threadingModel);
    if (ok && !progId.empty()) {
        ok = SetText(classKey + "\\ProgID", nullptr, versioned) && SetText(progId, nullptr, description) &&
             SetText(progId + "\\CLSID", nullptr, clsid);
        if (ok && versioned != progId)
            ok = SetText(classKey + "\\VersionIndependentProgID", nullptr, progId) &&
                 SetText(progId + "\\CurVer", nullptr, versioned) && SetText(versioned, nullptr, description) &&
                 SetText(versioned + "\\CLSID", nullptr, clsid);
    }
    for (const VkRegistryEntry& e : c.extraKeys)
        ok = ok && WriteEntry(classKey, e, modulePath);
    return ok;
}

bool UnregisterClass(const VkClassEntry& c)
{
    const std::string clsid = VkGuidToString(c.clsid);
    bool ok = DeleteTree("CLSID\\" + clsid);
    if (c.progId && *c.progId) {
        std::vector<std::string> names{c.progId};
        if (c.version > 0)
            names.push_back(std::string(c.progId) + "." + std::to_string(c.version));
        for (const auto& name : names) {
            // Another module may have taken the name over since.
            GUID named{};
            if (VkGuidFromString(ReadDefault(name + "\\CLSID"), &named) && !IsEqualCLSID(named, c.clsid))
                continue;
            ok = DeleteTree(name) && ok;
        }
    }
    return ok;
}

} // namespace

HRESULT VkRegisterModule(const VkModuleInfo& info, const char* modulePath, bool install)
{
    std::error_code ec;
    std::string path = modulePath ? modulePath : "";
    if (!path.empty()) {
        const auto absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(path, ec), ec);
        if (!ec)
            path = absolute.string();
    }
    bool ok = true;
    if (install) {
        if (path.empty())
            return SELFREG_E_CLASS;
        for (const VkClassEntry& c : info.classes)
            ok = ok && RegisterClass(c, path);
        for (const VkRegistryEntry& e : info.moduleKeys)
            ok = ok && WriteEntry("", e, path);
    } else {
        for (const VkClassEntry& c : info.classes)
            ok = UnregisterClass(c) && ok;
        for (const VkRegistryEntry& e : info.moduleKeys) {
            if (e.key && *e.key) {
                ok = DeleteTree(e.key) && ok;
                PruneEmptyParents(e.key);
            }
        }
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}
