#include "registry/VkRegSourceNode.h"

#include "registry/VkRegLocks.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/VkAscii.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace {

using Guard = std::lock_guard<std::recursive_mutex>;

// Deeper trees than this are not read: a damaged hive must not exhaust the stack.
constexpr int kMaxDepth = 512;

// Root and sub-path for the key named keyName below the home path; false
// when the home path has no "\" or "/" after its first character.
bool Locate(const std::string& home, const std::string& keyName, HKEY* root, std::string* sub)
{
    const std::size_t at = home.find_first_of("\\/");
    if (at == std::string::npos || at == 0)
        return false;
    static const char* const kRoots[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT",
                                         "HKEY_USERS", "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG"};
    const std::string rootName = home.substr(0, at);
    *root = HKEY_CURRENT_USER;
    for (const char* name : kRoots)
        if (VkAsciiEqualNoCase(rootName, name))
            *root = RegRootFromName(name);
    *sub = home.substr(at + 1);
    if (!keyName.empty()) {
        if (sub->empty() || (sub->back() != '\\' && sub->back() != '/'))
            *sub += '\\';
        *sub += keyName;
    }
    return true;
}

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* operator&() { return &m_key; }
    operator HKEY() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

VkRegDataPtr Convert(DWORD type, const BYTE* data, DWORD length, VkRegTypes* dtype)
{
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ: {
        // Up to the first terminator: the rest of a multi-string is dropped.
        const char* text = reinterpret_cast<const char*>(data);
        *dtype = dtypeString;
        return VkRegPlainData::Text(std::string(text, strnlen(text, length)));
    }
    case REG_BINARY:
        *dtype = dtypeBinary;
        return VkRegPlainData::Bytes(std::vector<BYTE>(data, data + length));
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN: {
        DWORD bits = 0;
        std::memcpy(&bits, data, std::min<DWORD>(length, 4));
        *dtype = dtypeInteger;
        return VkRegPlainData::Number(static_cast<LONG>(bits));
    }
    default:
        *dtype = dtypeEmpty;
        return VkRegPlainData::Empty();
    }
}

void ReadValues(HKEY key, VkRegKeyNode& node, DWORD maxName, DWORD maxData)
{
    std::vector<char> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    int retries = 0;
    for (DWORD index = 0;;) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        DWORD dataLen = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        LONG rc = RegEnumValue(key, index, name.data(), &nameLen, &type, data.data(), &dataLen);
        if (rc == ERROR_MORE_DATA && retries++ < 8) {
            // Changed since the sizes were asked for.
            name.resize(name.size() * 2 + 256);
            data.resize(std::max<std::size_t>(data.size() * 2, dataLen + 1));
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        retries = 0;
        data[std::min<std::size_t>(dataLen, data.size() - 1)] = 0;
        VkRegTypes dtype = dtypeEmpty;
        VkRegDataPtr value = Convert(type, data.data(), std::min<DWORD>(dataLen, data.size()), &dtype);
        node.LoadValue(std::string(name.data(), nameLen), std::move(value), dtype);
        ++index;
    }
}

void ReadKey(HKEY key, VkRegKeyNode& node, int depth)
{
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    if (RegQueryInfoKey(key, nullptr, &maxSub, nullptr, &maxName, &maxData) != ERROR_SUCCESS)
        return;
    ReadValues(key, node, maxName, maxData);
    if (depth >= kMaxDepth)
        return;
    std::vector<char> name(maxSub + 1);
    std::vector<std::string> names;
    int retries = 0;
    for (DWORD index = 0;;) {
        DWORD nameLen = static_cast<DWORD>(name.size());
        LONG rc = RegEnumKeyEx(key, index, name.data(), &nameLen);
        if (rc == ERROR_MORE_DATA && retries++ < 8) {
            name.resize(name.size() * 2 + 256);
            continue;
        }
        if (rc != ERROR_SUCCESS)
            break;
        retries = 0;
        names.emplace_back(name.data(), nameLen);
        ++index;
    }
    for (const std::string& subName : names) {
        VkRegKeyPtr child = node.LoadKey(subName);
        KeyHandle sub;
        if (RegOpenKeyEx(key, subName.c_str(), KEY_READ, &sub) == ERROR_SUCCESS)
            ReadKey(sub, *child, depth + 1);
    }
}

bool Gone(LONG rc)
{
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool WriteValue(HKEY key, const std::string& name, const VkRegValueNode& value)
{
    const VkRegDataPtr data = value.Data();
    switch (value.Type()) {
    case dtypeString: {
        std::string text;
        if (!data->ToText(&text))
            return false;
        return RegSetValueEx(key, name.c_str(), REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
    }
    case dtypeInteger: {
        LONG number = 0;
        if (!data->ToInt32(&number))
            return false;
        BYTE bytes[4];
        std::memcpy(bytes, &number, 4);
        return RegSetValueEx(key, name.c_str(), REG_DWORD, bytes, 4) == ERROR_SUCCESS;
    }
    case dtypeBinary: {
        std::vector<BYTE> bytes;
        if (!data->ToBytes(&bytes))
            return false;
        return RegSetValueEx(key, name.c_str(), REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size())) ==
               ERROR_SUCCESS;
    }
    default:
        return RegSetValueEx(key, name.c_str(), REG_NONE, nullptr, 0) == ERROR_SUCCESS;
    }
}

bool WriteKey(HKEY parent, const std::string& subPath, VkRegKeyNode& node, bool force, bool purge)
{
    if (purge && !Gone(RegDeleteTree(parent, subPath.c_str())))
        return false;
    KeyHandle key;
    if (RegCreateKeyEx(parent, subPath.c_str(), KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    auto& values = node.ValueEntries();
    for (auto it = values.begin(); it != values.end();) {
        auto& entry = it->second;
        if (entry.removed) {
            if (Gone(RegDeleteValue(key, it->first.c_str()))) {
                it = values.erase(it);
                continue;
            }
            ok = false;
        } else if (entry.item->TakeChanged() || force || entry.modified) {
            // A failed value stays marked for the next write.
            entry.modified = !WriteValue(key, it->first, *entry.item);
            ok = ok && !entry.modified;
        }
        ++it;
    }
    auto& keys = node.KeyEntries();
    for (auto it = keys.begin(); it != keys.end();) {
        auto& entry = it->second;
        if (entry.removed) {
            if (Gone(RegDeleteTree(key, it->first.c_str()))) {
                it = keys.erase(it);
                continue;
            }
            ok = false;
        } else if (WriteKey(key, it->first, *entry.item, force || entry.purge, entry.purge)) {
            entry.modified = false;
            entry.purge = false;
        } else {
            ok = false;
        }
        ++it;
    }
    return ok;
}

std::string IniText(const VkRegValueNode& value, bool* ok)
{
    const VkRegDataPtr data = value.Data();
    std::string text;
    if (value.Type() == dtypeInteger) {
        LONG number = 0;
        *ok = data->ToInt32(&number);
        return std::to_string(number);
    }
    std::vector<BYTE> bytes;
    if (value.Type() == dtypeBinary && data->ToBytes(&bytes)) {
        // INI files hold text only: bytes as hexadecimal digits.
        static const char kDigits[] = "0123456789ABCDEF";
        for (BYTE b : bytes) {
            text += kDigits[b >> 4];
            text += kDigits[b & 15];
        }
        return text;
    }
    *ok = data->ToText(&text);
    return text;
}

bool WriteIni(const std::string& file, VkRegKeyNode& top, bool force)
{
    bool ok = true;
    auto& sections = top.KeyEntries();
    for (auto it = sections.begin(); it != sections.end();) {
        const std::string& section = it->first;
        auto& entry = it->second;
        if (entry.removed || entry.purge) {
            const bool deleted = WritePrivateProfileString(section.c_str(), nullptr, nullptr, file.c_str()) ||
                                 !std::filesystem::exists(file);
            if (entry.removed && deleted) {
                it = sections.erase(it);
                continue;
            }
            if (!deleted) {
                ok = false;
                ++it;
                continue;
            }
        }
        const bool writeAll = force || entry.purge;
        auto& values = entry.item->ValueEntries();
        for (auto v = values.begin(); v != values.end();) {
            if (v->second.removed) {
                if (WritePrivateProfileString(section.c_str(), v->first.c_str(), nullptr, file.c_str()) ||
                    !std::filesystem::exists(file)) {
                    v = values.erase(v);
                    continue;
                }
                ok = false;
            } else if (v->second.item->TakeChanged() || writeAll || v->second.modified) {
                bool converted = true;
                const std::string text = IniText(*v->second.item, &converted);
                v->second.modified = !(converted && WritePrivateProfileString(section.c_str(), v->first.c_str(),
                                                                               text.c_str(), file.c_str()));
                ok = ok && !v->second.modified;
            }
            ++v;
        }
        entry.modified = false;
        entry.purge = false;
        ++it;
    }
    return ok;
}

} // namespace

int VkRegSourceNode::Source() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_source;
}

HRESULT VkRegSourceNode::SetSource(int source)
{
    if (source != sourceRegistry && source != sourceINIFile)
        return E_FAIL;
    std::lock_guard<std::mutex> lock(m_lock);
    m_source = source;
    return S_OK;
}

std::string VkRegSourceNode::HomePath() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_homePath;
}

void VkRegSourceNode::SetHomePath(std::string path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_homePath = std::move(path);
}

std::string VkRegSourceNode::IniFile(const std::string& applicationKey) const
{
    if (m_homePath.empty())
        return applicationKey;
    const char last = m_homePath.back();
    return m_homePath + (last == '/' || last == '\\' ? "" : "/") + applicationKey;
}

VkRegKeyPtr VkRegSourceNode::Read(const std::string& applicationKey)
{
    std::lock_guard<std::mutex> lock(m_lock);
    auto top = std::make_shared<VkRegKeyNode>(applicationKey);
    Guard keyGuard(VkRegKeyLock());
    if (m_source == sourceINIFile) {
        const std::string file = IniFile(applicationKey);
        std::error_code error;
        const auto size = std::filesystem::file_size(file, error);
        if (error || !std::filesystem::is_regular_file(file, error))
            return nullptr;
        std::vector<char> buffer(static_cast<std::size_t>(size) + 2);
        const DWORD bufferSize = static_cast<DWORD>(buffer.size());
        std::vector<std::string> sections;
        GetPrivateProfileSectionNames(buffer.data(), bufferSize, file.c_str());
        for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
            sections.emplace_back(p);
        for (const std::string& section : sections) {
            VkRegKeyPtr key = top->LoadKey(section);
            std::vector<std::string> names;
            GetPrivateProfileString(section.c_str(), nullptr, "", buffer.data(), bufferSize, file.c_str());
            for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1)
                names.emplace_back(p);
            for (const std::string& name : names) {
                GetPrivateProfileString(section.c_str(), name.c_str(), "", buffer.data(), bufferSize, file.c_str());
                key->LoadValue(name, VkRegPlainData::Text(buffer.data()), dtypeString);
            }
        }
        return top;
    }
    HKEY root = nullptr;
    std::string sub;
    if (!Locate(m_homePath, applicationKey, &root, &sub))
        return nullptr;
    KeyHandle key;
    if (RegCreateKeyEx(root, sub.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    ReadKey(key, *top, 0);
    return top;
}

HRESULT VkRegSourceNode::Write(const VkRegKeyPtr& key, bool force)
{
    if (!key)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    Guard keyGuard(VkRegKeyLock());
    const std::string name = key->Name();
    if (m_source == sourceINIFile)
        return WriteIni(IniFile(name), *key, force) ? S_OK : S_FALSE;
    HKEY root = nullptr;
    std::string sub;
    if (!Locate(m_homePath, name, &root, &sub))
        return S_FALSE;
    return WriteKey(root, sub, *key, force, false) ? S_OK : S_FALSE;
}

HRESULT VkRegSourceNode::RemoveKey(const VkRegKeyPtr& key)
{
    if (!key)
        return E_POINTER;
    std::lock_guard<std::mutex> lock(m_lock);
    const std::string name = key->Name();
    if (m_source == sourceINIFile) {
        std::error_code error;
        return std::filesystem::remove(IniFile(name), error) ? S_OK : S_FALSE;
    }
    HKEY root = nullptr;
    std::string sub;
    if (!Locate(m_homePath, name, &root, &sub))
        return S_FALSE;
    // Never a whole root: the path must name at least one key.
    if (sub.find_first_not_of("\\") == std::string::npos)
        return S_FALSE;
    return RegDeleteTree(root, sub.c_str()) == ERROR_SUCCESS ? S_OK : S_FALSE;
}
