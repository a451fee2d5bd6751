#pragma once
// Direct registry access for checking what the key tree reads and writes.

#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace regtest {

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::string Text() const { return std::string(data.begin(), data.end()); }
};

inline void Put(HKEY root, const std::string& path, const std::string& name, DWORD type, const void* data,
                DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyEx(root, path.c_str(), KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueEx(key, name.c_str(), type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

inline void PutText(HKEY root, const std::string& path, const std::string& name, const std::string& text,
                    DWORD type = REG_SZ)
{
    Put(root, path, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

inline void PutNumber(HKEY root, const std::string& path, const std::string& name, DWORD number)
{
    Put(root, path, name, REG_DWORD, &number, 4);
}

inline std::optional<RawValue> Get(HKEY root, const std::string& path, const std::string& name)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG rc = RegQueryValueEx(key, name.c_str(), &value.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        value.data.resize(size);
        rc = RegQueryValueEx(key, name.c_str(), &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    // Text without its terminator, for easy comparison.
    if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && !value.data.empty() && value.data.back() == 0)
        value.data.pop_back();
    return value;
}

inline bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(root, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

} // namespace regtest
