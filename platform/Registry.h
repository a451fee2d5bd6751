#pragma once
// The registry: the Win32 registry functions with their Windows semantics,
// kept durably in hive files under <data root>/registry. Names are UTF-8 and
// compared without regard to case (ASCII), as Windows does; the spelling a
// key or value was created with is kept. HKEY_CLASSES_ROOT is a view of
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes.
//
// Every call that changes the registry is durable once it returns.

#include "platform/WinTypes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

struct HKEY__;
using HKEY = HKEY__*;
using REGSAM = DWORD;

#define VK_PREDEFINED_HKEY(v) (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(v)))
#define HKEY_CLASSES_ROOT VK_PREDEFINED_HKEY(0x80000000u)
#define HKEY_CURRENT_USER VK_PREDEFINED_HKEY(0x80000001u)
#define HKEY_LOCAL_MACHINE VK_PREDEFINED_HKEY(0x80000002u)
#define HKEY_USERS VK_PREDEFINED_HKEY(0x80000003u)
#define HKEY_PERFORMANCE_DATA VK_PREDEFINED_HKEY(0x80000004u)
#define HKEY_CURRENT_CONFIG VK_PREDEFINED_HKEY(0x80000005u)

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;

// Access rights (kept for the callers' sake; every handle may read, and
// write unless opened with KEY_READ only).
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Dispositions reported by RegCreateKeyEx.
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens subKey below parent, creating every missing level.
LONG RegCreateKeyEx(HKEY parent, const char* subKey, REGSAM sam, HKEY* result,
                    DWORD* disposition = nullptr);
// Opens an existing key; ERROR_FILE_NOT_FOUND when any level is missing.
// A null or empty subKey opens a new handle to parent itself.
LONG RegOpenKeyEx(HKEY parent, const char* subKey, REGSAM sam, HKEY* result);
LONG RegCloseKey(HKEY key);
// Every change is already on disk when its call returns; this only checks
// that the key is still there.
LONG RegFlushKey(HKEY key);

// Counts and the longest names and data in bytes, without terminators.
// Any pointer may be null.
LONG RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values,
                     DWORD* maxValueNameLen, DWORD* maxValueLen);

// Enumeration by index in a stable order; ERROR_NO_MORE_ITEMS past the end.
// nameLen: in, the buffer size in characters including the terminator; out,
// the name's length without it. ERROR_MORE_DATA when a buffer is too small.
LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLen);
LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLen, DWORD* type,
                  BYTE* data, DWORD* dataLen);

// name null or empty means the key's default value. With data null only the
// type and size are reported. ERROR_MORE_DATA (with the needed size) when the
// buffer is too small.
LONG RegQueryValueEx(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* dataLen);
LONG RegSetValueEx(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD dataLen);
LONG RegDeleteValue(HKEY key, const char* name);

// Deletes a key that has no sub-keys (ERROR_ACCESS_DENIED otherwise).
LONG RegDeleteKey(HKEY parent, const char* subKey);
// Deletes subKey with its whole sub-tree; a null subKey empties parent.
LONG RegDeleteTree(HKEY parent, const char* subKey);

// The root handle for "HKEY_CURRENT_USER" etc. (also "HKCU", "HKLM", "HKCR",
// "HKU", "HKCC"); null for any other text.
HKEY RegRootFromName(const char* name);
// "HKEY_CURRENT_USER" etc. for a root handle; null for other handles.
const char* RegRootName(HKEY root);
// The hive file that holds a predefined root in the current data root
// (the classes root lives in the local machine's); empty for other handles.
std::filesystem::path RegHiveFile(HKEY root);

class VkRegHive;

// Makes every change this thread makes to the hives it includes, until
// Commit, one transaction per hive: nothing of it is seen by others before
// Commit, and all of it is undone when the object goes without Commit or the
// process dies. Other threads' calls on those hives wait meanwhile. A
// transaction over two hives commits them one after the other.
class VkRegTransaction {
public:
    VkRegTransaction();
    ~VkRegTransaction();
    VkRegTransaction(const VkRegTransaction&) = delete;
    VkRegTransaction& operator=(const VkRegTransaction&) = delete;

    // Takes the hive of a predefined root into the transaction (once is
    // enough); the hive's error when it cannot be opened or locked.
    LONG Include(HKEY root);
    // Commits every included hive; the first error, the rest rolled back.
    LONG Commit();

private:
    std::vector<std::shared_ptr<VkRegHive>> m_hives;
};
