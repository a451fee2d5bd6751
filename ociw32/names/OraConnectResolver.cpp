#include "ociw32/names/OraConnectResolver.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/names/OraHome.h"
#include "ociw32/names/OraTnsNames.h"
#include "platform/VkAscii.h"

#include <unistd.h>

namespace VkOracle {

namespace {

OraResult Fail(int code)
{
    return OraResult{code, FormatOraError(code), 0};
}

std::string FirstLabel(const std::string& host)
{
    return host.substr(0, host.find('.'));
}

OraResult ResolveEntry(const OraTnsEntry& entry, const std::filesystem::path& home, OraDatabaseRef* db)
{
    // Addresses are tried in order; the first on this machine answers.
    if (!entry.addresses.empty()) {
        bool anyKnownProtocol = false;
        bool reachable = false;
        for (const OraTnsAddress& a : entry.addresses) {
            if (a.protocol == OraTnsAddress::Ipc) {
                reachable = true;
            } else if (a.protocol == OraTnsAddress::Tcp) {
                anyKnownProtocol = true;
                reachable = IsThisMachine(a.hostOrKey);
            }
            if (reachable)
                break;
        }
        if (!reachable)
            return Fail(anyKnownProtocol ? 12541 : 12560);
    }
    if (home.empty())
        return Fail(12154);
    // A SID or service that could name a path is one no listener knows:
    // connect strings come from palette files, and must not reach outside
    // the databases folder.
    const int unknown = entry.sid.empty() ? 12514 : 12505;
    if (!entry.sid.empty()) {
        if (!OraIsPlainSid(entry.sid))
            return Fail(unknown);
        db->sid = entry.sid;
    } else if (!entry.serviceName.empty()) {
        if (!OraIsPlainSid(entry.serviceName))
            return Fail(unknown);
        // A service name may carry the database's domain ("DEMO.WORLD").
        std::error_code ec;
        const std::filesystem::path whole = OraDatabaseDir(home, entry.serviceName);
        db->sid = std::filesystem::is_directory(whole, ec) ? entry.serviceName
                                                           : FirstLabel(entry.serviceName);
    } else {
        return Fail(12504);
    }
    const std::filesystem::path dir = OraDatabaseDir(home, db->sid);
    std::error_code ec;
    if (dir.empty() || !std::filesystem::is_directory(dir, ec))
        return Fail(unknown);
    db->sid = dir.filename().string();
    db->directory = dir.string();
    return OraResult{};
}

} // namespace

bool IsThisMachine(const std::string& hostText)
{
    const std::string host = VkAsciiLower(VkAsciiTrim(hostText));
    if (host.empty())
        return false;
    if (host == "localhost" || host == "localhost.localdomain" || host == "::1"
        || host.rfind("127.", 0) == 0)
        return true;
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return false;
    const std::string self = VkAsciiLower(name);
    if (self.empty())
        return false;
    if (host == self)
        return true;
    // "box" and "box.example.com" name the same machine when either is ours.
    if (self.find('.') == std::string::npos)
        return FirstLabel(host) == self;
    return FirstLabel(self) == host;
}

OraResult ResolveOraConnect(const std::string& connectText, OraDatabaseRef* db)
{
    *db = OraDatabaseRef{};
    std::string connect = VkAsciiTrim(connectText);
    if (connect.empty()) {
        connect = VkAsciiTrim(OraRegistryString("", "LOCAL"));
        if (connect.empty())
            return Fail(12560);
    }
    const std::filesystem::path home = OraRegisteredHome();
    OraTnsEntry entry;
    if (connect.front() == '(') {
        std::string name;
        if (!OraTnsNames::ParseEntry("CONNECT=" + connect, &name, &entry))
            return Fail(12154);
        return ResolveEntry(entry, home, db);
    }
    if (home.empty())
        return Fail(12154);
    const std::filesystem::path file = OraTnsNamesFile(home);
    if (file.empty())
        return Fail(12154);
    OraTnsNames names;
    names.Load(file);
    const OraTnsEntry* found = names.Find(connect);
    if (!found)
        return Fail(12154);
    return ResolveEntry(*found, home, db);
}

} // namespace VkOracle
