#include "ociw32/names/OraHome.h"

#include "platform/Registry.h"
#include "platform/VkAscii.h"

#include <vector>

namespace VkOracle {

namespace {

std::string ReadString(HKEY key, const char* name)
{
    // One read for the usual short value; a longer one is asked again with
    // the size the first answer gave.
    std::vector<char> buf(512, '\0');
    DWORD type = 0;
    DWORD len = static_cast<DWORD>(buf.size() - 1);
    LONG rc = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buf.data()), &len);
    if (rc == ERROR_MORE_DATA) {
        buf.assign(len + 1, '\0');
        rc = RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buf.data()), &len);
    }
    if (rc != ERROR_SUCCESS || len == 0 || (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return std::string(buf.data());
}

bool HasValue(HKEY key, const char* name)
{
    return RegQueryValueEx(key, name, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool SetStringIfMissing(HKEY key, const char* name, const std::string& value)
{
    if (HasValue(key, name))
        return true;
    return RegSetValueEx(key, name, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool Exists(const std::filesystem::path& p)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

} // namespace

std::string OraRegistryString(const std::string& subKey, const std::string& name)
{
    std::string path = kOraRegistryKey;
    if (!subKey.empty())
        path += "\\" + subKey;
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    std::string value = ReadString(key, name.c_str());
    RegCloseKey(key);
    return value;
}

std::filesystem::path OraRegisteredHome()
{
    std::string home = OraRegistryString("", "ORACLE_HOME");
    if (home.empty()) {
        const std::string last = OraRegistryString("ALL_HOMES", "LAST_HOME");
        if (!last.empty())
            home = OraRegistryString("HOME" + last, "ORACLE_HOME");
    }
    return std::filesystem::path(home);
}

std::filesystem::path OraPrimaryTnsNamesFile(const std::filesystem::path& home)
{
    return home / "network" / "ADMIN" / "tnsnames.ora";
}

std::filesystem::path OraTnsNamesFile(const std::filesystem::path& home)
{
    if (home.empty())
        return {};
    const std::filesystem::path primary = OraPrimaryTnsNamesFile(home);
    if (Exists(primary))
        return primary;
    const std::filesystem::path alternative = home / "net80" / "ADMIN" / "tnsnames.ora";
    if (Exists(alternative))
        return alternative;
    return {};
}

std::filesystem::path OraDatabasesDir(const std::filesystem::path& home)
{
    return home / "database";
}

bool OraIsPlainSid(const std::string& sid)
{
    return !sid.empty() && sid != "." && sid.find_first_of(std::string("/\\\0", 3)) == std::string::npos
        && sid.find("..") == std::string::npos;
}

std::filesystem::path OraDatabaseDir(const std::filesystem::path& home, const std::string& sid)
{
    if (!OraIsPlainSid(sid))
        return {};
    const std::filesystem::path dir = OraDatabasesDir(home);
    const std::string wanted = VkAsciiUpper(sid);
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec) && VkAsciiUpper(it->path().filename().string()) == wanted)
            return it->path();
    }
    return dir / wanted;
}

bool OraRegisterHome(const std::filesystem::path& home, const std::string& defaultSid)
{
    const std::string homeText = home.string();
    const std::string homeName = "OraHome";
    bool ok = true;
    HKEY oracle = nullptr;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kOraRegistryKey, KEY_ALL_ACCESS, &oracle) != ERROR_SUCCESS)
        return false;
    ok &= SetStringIfMissing(oracle, "ORACLE_HOME", homeText);
    ok &= SetStringIfMissing(oracle, "ORACLE_HOME_NAME", homeName);
    ok &= SetStringIfMissing(oracle, "NLS_LANG", "AMERICAN_AMERICA.WE8ISO8859P1");

    HKEY all = nullptr;
    if (RegCreateKeyEx(oracle, "ALL_HOMES", KEY_ALL_ACCESS, &all) == ERROR_SUCCESS) {
        ok &= SetStringIfMissing(all, "HOME_COUNTER", "1");
        ok &= SetStringIfMissing(all, "DEFAULT_HOME", homeName);
        ok &= SetStringIfMissing(all, "LAST_HOME", "0");
        HKEY id = nullptr;
        if (RegCreateKeyEx(all, "ID0", KEY_ALL_ACCESS, &id) == ERROR_SUCCESS) {
            ok &= SetStringIfMissing(id, "NAME", homeName);
            ok &= SetStringIfMissing(id, "PATH", homeText);
            RegCloseKey(id);
        } else {
            ok = false;
        }
        RegCloseKey(all);
    } else {
        ok = false;
    }

    HKEY home0 = nullptr;
    if (RegCreateKeyEx(oracle, "HOME0", KEY_ALL_ACCESS, &home0) == ERROR_SUCCESS) {
        ok &= SetStringIfMissing(home0, "ORACLE_HOME", homeText);
        ok &= SetStringIfMissing(home0, "ORACLE_HOME_NAME", homeName);
        ok &= SetStringIfMissing(home0, "ORACLE_SID", defaultSid);
        ok &= SetStringIfMissing(home0, "NLS_LANG", "AMERICAN_AMERICA.WE8ISO8859P1");
        RegCloseKey(home0);
    } else {
        ok = false;
    }
    RegCloseKey(oracle);
    return ok;
}

} // namespace VkOracle
