#pragma once
// The Oracle home as the client finds it: HKEY_LOCAL_MACHINE\SOFTWARE\ORACLE
// value ORACLE_HOME, or, when that is empty, the home named by
// ALL_HOMES\LAST_HOME (HOME<n>\ORACLE_HOME); and the files below it.

#include <filesystem>
#include <string>

namespace VkOracle {

constexpr const char* kOraRegistryKey = "SOFTWARE\\ORACLE";

// The registered home, empty when there is none.
std::filesystem::path OraRegisteredHome();

// A string value of HKEY_LOCAL_MACHINE\SOFTWARE\ORACLE (or a sub-key of it
// given as "SUB\\NAME"); empty when missing.
std::string OraRegistryString(const std::string& subKey, const std::string& name);

// network/ADMIN/tnsnames.ora, or net80/ADMIN/tnsnames.ora when only that
// exists; empty when neither does.
std::filesystem::path OraTnsNamesFile(const std::filesystem::path& home);
std::filesystem::path OraPrimaryTnsNamesFile(const std::filesystem::path& home);

// Whether a SID can name a folder directly inside the databases folder: not
// empty, no path separator, no "..", no NUL, not ".".
bool OraIsPlainSid(const std::string& sid);

// The folder that holds the databases, and one database's folder: an existing
// folder whose name matches the SID in any case, else <databases>/<SID in
// upper case>; empty for a SID that is not plain, so that nothing outside the
// databases folder can be named.
std::filesystem::path OraDatabasesDir(const std::filesystem::path& home);
std::filesystem::path OraDatabaseDir(const std::filesystem::path& home, const std::string& sid);

// Writes the home's registry keys (ORACLE_HOME, ALL_HOMES, HOME0) where they
// are missing; values already there are kept. False when the registry failed.
bool OraRegisterHome(const std::filesystem::path& home, const std::string& defaultSid);

} // namespace VkOracle
