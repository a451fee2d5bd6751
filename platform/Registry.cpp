#include "platform/Registry.h"

#include "platform/DataRoot.h"
#include "platform/RegHive.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

// An open key: the hive file it lives in and its id there. The hive is
// looked up afresh on every call, so a handle survives fork() and a change
// of the hive's connection.
struct HKEY__ {
    std::filesystem::path file;
    VkRegHive::KeyId id = 0;
    bool writable = true;
};

namespace {

constexpr size_t MaxKeyNameLen = 255;
constexpr size_t MaxValueNameLen = 16383;

struct RootInfo {
    HKEY key;
    const char* name;
    const char* shortName;
};

const RootInfo Roots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT", "HKCR"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER", "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", "HKLM"},
    {HKEY_USERS, "HKEY_USERS", "HKU"},
    {HKEY_PERFORMANCE_DATA, "HKEY_PERFORMANCE_DATA", nullptr},
    {HKEY_CURRENT_CONFIG, "HKEY_CURRENT_CONFIG", "HKCC"},
};

const RootInfo* FindRoot(HKEY key)
{
    for (const auto& r : Roots)
        if (r.key == key)
            return &r;
    return nullptr;
}

std::mutex s_handleMutex;
std::unordered_set<HKEY__*>& Handles()
{
    static auto* handles = new std::unordered_set<HKEY__*>;
    return *handles;
}

// What a handle refers to, resolved for one call.
struct KeyRef {
    std::shared_ptr<VkRegHive> hive;
    VkRegHive::KeyId id = 0;
    bool writable = true;
    bool isRoot = false;
};

std::filesystem::path HiveFileOf(const RootInfo& root)
{
    // The classes root lives inside the local machine's hive.
    const bool classes = root.key == HKEY_CLASSES_ROOT;
    return VkDataRootDir("registry") / (std::string(classes ? "HKEY_LOCAL_MACHINE" : root.name) + ".hive");
}

LONG Resolve(HKEY key, KeyRef* ref)
{
    std::filesystem::path file;
    if (const RootInfo* root = FindRoot(key)) {
        const bool classes = key == HKEY_CLASSES_ROOT;
        file = HiveFileOf(*root);
        LONG rc = ERROR_CANTOPEN;
        ref->hive = VkRegHive::Get(file, &rc);
        if (!ref->hive)
            return rc;
        ref->isRoot = true;
        ref->id = VkRegHive::RootId;
        if (classes)
            return ref->hive->Walk(VkRegHive::RootId, {"SOFTWARE", "Classes"}, true, &ref->id);
        return ERROR_SUCCESS;
    }
    {
        std::lock_guard lock(s_handleMutex);
        if (!key || !Handles().count(key))
            return ERROR_INVALID_HANDLE;
        file = key->file;
        ref->id = key->id;
        ref->writable = key->writable;
    }
    LONG rc = ERROR_CANTOPEN;
    ref->hive = VkRegHive::Get(file, &rc);
    return ref->hive ? ERROR_SUCCESS : rc;
}

// Splits a key path at backslashes; empty levels are skipped.
LONG SplitPath(const char* path, std::vector<std::string>* names)
{
    if (!path)
        return ERROR_SUCCESS;
    const char* p = path;
    while (*p) {
        const char* end = std::strchr(p, '\\');
        size_t len = end ? static_cast<size_t>(end - p) : std::strlen(p);
        if (len > MaxKeyNameLen)
            return ERROR_INVALID_PARAMETER;
        if (len)
            names->emplace_back(p, len);
        p += len;
        if (*p)
            ++p;
    }
    return ERROR_SUCCESS;
}

bool WritableAccess(REGSAM sam)
{
    constexpr REGSAM Delete = 0x00010000, CreateLink = 0x0020, GenericWrite = 0x40000000,
                     GenericAll = 0x10000000, MaximumAllowed = 0x02000000;
    return (sam & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | Delete | CreateLink | GenericWrite |
                   GenericAll | MaximumAllowed)) != 0;
}

HKEY NewHandle(const KeyRef& ref, bool writable)
{
    auto* h = new HKEY__{ref.hive->File(), ref.id, writable};
    std::lock_guard lock(s_handleMutex);
    Handles().insert(h);
    return h;
}

std::string_view NameOf(const char* name) { return name ? std::string_view(name) : std::string_view(); }

// Copies name with its terminator when it fits *len characters.
LONG CopyName(const std::string& name, char* buf, DWORD* len)
{
    if (name.size() + 1 > *len) {
        *len = static_cast<DWORD>(name.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(buf, name.c_str(), name.size() + 1);
    *len = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Reports data into the caller's buffer with the ERROR_MORE_DATA rules.
LONG CopyData(const std::string& data, BYTE* buf, DWORD* len)
{
    if (!buf) {
        if (len)
            *len = static_cast<DWORD>(data.size());
        return ERROR_SUCCESS;
    }
    if (!len)
        return ERROR_INVALID_PARAMETER;
    if (data.size() > *len) {
        *len = static_cast<DWORD>(data.size());
        return ERROR_MORE_DATA;
    }
    if (!data.empty())
        std::memcpy(buf, data.data(), data.size());
    *len = static_cast<DWORD>(data.size());
    return ERROR_SUCCESS;
}

// Keeps exceptions (only memory exhaustion can raise one here) from
// crossing the library boundary.
template <class F>
LONG Guard(F body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    } catch (...) {
        return ERROR_INVALID_PARAMETER;
    }
}

} // namespace

static LONG RegCreateKeyExImpl(HKEY parent, const char* subKey, REGSAM sam, HKEY* result, DWORD* disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::vector<std::string> names;
    LONG rc = SplitPath(subKey, &names);
    if (rc != ERROR_SUCCESS)
        return rc;
    KeyRef ref;
    if ((rc = Resolve(parent, &ref)) != ERROR_SUCCESS)
        return rc;
    bool created = false;
    rc = ref.hive->Walk(ref.id, names, true, &ref.id, &created);
    if (rc != ERROR_SUCCESS)
        return rc;
    *result = NewHandle(ref, WritableAccess(sam));
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

static LONG RegOpenKeyExImpl(HKEY parent, const char* subKey, REGSAM sam, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::vector<std::string> names;
    LONG rc = SplitPath(subKey, &names);
    if (rc != ERROR_SUCCESS)
        return rc == ERROR_INVALID_PARAMETER ? ERROR_FILE_NOT_FOUND : rc;
    KeyRef ref;
    if ((rc = Resolve(parent, &ref)) != ERROR_SUCCESS)
        return rc;
    rc = ref.hive->Walk(ref.id, names, false, &ref.id);
    if (rc != ERROR_SUCCESS)
        return rc;
    *result = NewHandle(ref, WritableAccess(sam));
    return ERROR_SUCCESS;
}

static LONG RegCloseKeyImpl(HKEY key)
{
    if (FindRoot(key))
        return ERROR_SUCCESS;
    {
        std::lock_guard lock(s_handleMutex);
        if (!key || !Handles().erase(key))
            return ERROR_INVALID_HANDLE;
    }
    delete key;
    return ERROR_SUCCESS;
}

static LONG RegFlushKeyImpl(HKEY key)
{
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    return rc == ERROR_SUCCESS ? ref.hive->Exists(ref.id) : rc;
}

static LONG RegQueryInfoKeyImpl(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                     DWORD* maxValueNameLen, DWORD* maxValueLen)
{
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    VkRegHive::Info info;
    if ((rc = ref.hive->QueryInfo(ref.id, &info)) != ERROR_SUCCESS)
        return rc;
    if (subKeys)
        *subKeys = info.subKeys;
    if (maxSubKeyLen)
        *maxSubKeyLen = info.maxSubKeyLen;
    if (values)
        *values = info.values;
    if (maxValueNameLen)
        *maxValueNameLen = info.maxValueNameLen;
    if (maxValueLen)
        *maxValueLen = info.maxValueLen;
    return ERROR_SUCCESS;
}

static LONG RegEnumKeyExImpl(HKEY key, DWORD index, char* name, DWORD* nameLen)
{
    if (!name || !nameLen)
        return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string found;
    if ((rc = ref.hive->EnumKey(ref.id, index, &found)) != ERROR_SUCCESS)
        return rc;
    return CopyName(found, name, nameLen);
}

static LONG RegEnumValueImpl(HKEY key, DWORD index, char* name, DWORD* nameLen, DWORD* type, BYTE* data,
                  DWORD* dataLen)
{
    if (!name || !nameLen || (data && !dataLen))
        return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string found, bytes;
    DWORD t = REG_NONE;
    if ((rc = ref.hive->EnumValue(ref.id, index, &found, &t, &bytes)) != ERROR_SUCCESS)
        return rc;
    if ((rc = CopyName(found, name, nameLen)) != ERROR_SUCCESS)
        return rc;
    if (type)
        *type = t;
    return CopyData(bytes, data, dataLen);
}

static LONG RegQueryValueExImpl(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* dataLen)
{
    if (data && !dataLen)
        return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    std::string bytes;
    DWORD t = REG_NONE;
    if ((rc = ref.hive->QueryValue(ref.id, NameOf(name), &t, &bytes)) != ERROR_SUCCESS)
        return rc;
    if (type)
        *type = t;
    return CopyData(bytes, data, dataLen);
}

static LONG RegSetValueExImpl(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD dataLen)
{
    if (!data && dataLen)
        return ERROR_INVALID_PARAMETER;
    if (NameOf(name).size() > MaxValueNameLen)
        return ERROR_INVALID_PARAMETER;
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (!ref.writable)
        return ERROR_ACCESS_DENIED;
    std::string bytes(reinterpret_cast<const char*>(data), dataLen);
    // Strings always keep a terminator, so readers get a C string even from
    // callers that passed strlen() as the size.
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && (bytes.empty() || bytes.back() != '\0'))
        bytes.push_back('\0');
    return ref.hive->SetValue(ref.id, NameOf(name), type, bytes);
}

static LONG RegDeleteValueImpl(HKEY key, const char* name)
{
    KeyRef ref;
    LONG rc = Resolve(key, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    if (!ref.writable)
        return ERROR_ACCESS_DENIED;
    return ref.hive->DeleteValue(ref.id, NameOf(name));
}

static LONG RegDeleteKeyImpl(HKEY parent, const char* subKey)
{
    std::vector<std::string> names;
    LONG rc = SplitPath(subKey, &names);
    if (rc != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    KeyRef ref;
    if ((rc = Resolve(parent, &ref)) != ERROR_SUCCESS)
        return rc;
    if (names.empty() && ref.isRoot)
        return ERROR_ACCESS_DENIED;
    VkRegHive::KeyId id = 0;
    if ((rc = ref.hive->Walk(ref.id, names, false, &id)) != ERROR_SUCCESS)
        return rc;
    return ref.hive->DeleteKey(id, false);
}

static LONG RegDeleteTreeImpl(HKEY parent, const char* subKey)
{
    std::vector<std::string> names;
    LONG rc = SplitPath(subKey, &names);
    if (rc != ERROR_SUCCESS)
        return ERROR_FILE_NOT_FOUND;
    KeyRef ref;
    if ((rc = Resolve(parent, &ref)) != ERROR_SUCCESS)
        return rc;
    if (names.empty())
        return ref.hive->Empty(ref.id);
    VkRegHive::KeyId id = 0;
    if ((rc = ref.hive->Walk(ref.id, names, false, &id)) != ERROR_SUCCESS)
        return rc;
    return ref.hive->DeleteKey(id, true);
}

LONG RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM sam, HKEY* result, DWORD* disposition)
{
    return Guard([&] { return RegCreateKeyExImpl(parent, subKey, sam, result, disposition); });
}

LONG RegOpenKeyEx(HKEY parent, const char* subKey, REGSAM sam, HKEY* result)
{
    return Guard([&] { return RegOpenKeyExImpl(parent, subKey, sam, result); });
}

LONG RegCloseKey(HKEY key)
{
    return Guard([&] { return RegCloseKeyImpl(key); });
}

LONG RegFlushKey(HKEY key)
{
    return Guard([&] { return RegFlushKeyImpl(key); });
}

LONG RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                     DWORD* maxValueNameLen, DWORD* maxValueLen)
{
    return Guard([&] {
        return RegQueryInfoKeyImpl(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen);
    });
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLen)
{
    return Guard([&] { return RegEnumKeyExImpl(key, index, name, nameLen); });
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLen, DWORD* type, BYTE* data,
                  DWORD* dataLen)
{
    return Guard([&] { return RegEnumValueImpl(key, index, name, nameLen, type, data, dataLen); });
}

LONG RegQueryValueEx(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* dataLen)
{
    return Guard([&] { return RegQueryValueExImpl(key, name, type, data, dataLen); });
}

LONG RegSetValueEx(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD dataLen)
{
    return Guard([&] { return RegSetValueExImpl(key, name, type, data, dataLen); });
}

LONG RegDeleteValue(HKEY key, const char* name)
{
    return Guard([&] { return RegDeleteValueImpl(key, name); });
}

LONG RegDeleteKey(HKEY parent, const char* subKey)
{
    return Guard([&] { return RegDeleteKeyImpl(parent, subKey); });
}

LONG RegDeleteTree(HKEY parent, const char* subKey)
{
    return Guard([&] { return RegDeleteTreeImpl(parent, subKey); });
}

HKEY RegRootFromName(const char* name)
{
    if (!name)
        return nullptr;
    const std::string folded = VkRegFoldName(name);
    for (const auto& r : Roots)
        if (folded == r.name || (r.shortName && folded == r.shortName))
            return r.key;
    return nullptr;
}

const char* RegRootName(HKEY root)
{
    const RootInfo* r = FindRoot(root);
    return r ? r->name : nullptr;
}

VkRegTransaction::VkRegTransaction() = default;

VkRegTransaction::~VkRegTransaction()
{
    for (auto it = m_hives.rbegin(); it != m_hives.rend(); ++it)
        (*it)->RollbackBatch();
}

LONG VkRegTransaction::Include(HKEY root)
{
    if (!FindRoot(root))
        return ERROR_INVALID_HANDLE;
    KeyRef ref;
    LONG rc = Resolve(root, &ref);
    if (rc != ERROR_SUCCESS)
        return rc;
    for (const auto& hive : m_hives)
        if (hive == ref.hive)
            return ERROR_SUCCESS;
    if ((rc = ref.hive->BeginBatch()) != ERROR_SUCCESS)
        return rc;
    m_hives.push_back(ref.hive);
    return ERROR_SUCCESS;
}

LONG VkRegTransaction::Commit()
{
    LONG first = ERROR_SUCCESS;
    for (const auto& hive : m_hives) {
        if (first != ERROR_SUCCESS) {
            hive->RollbackBatch();
            continue;
        }
        first = hive->CommitBatch();
    }
    m_hives.clear();
    return first;
}

std::filesystem::path RegHiveFile(HKEY root)
{
    const RootInfo* info = FindRoot(root);
    return info ? HiveFileOf(*info) : std::filesystem::path();
}
