#pragma once
// A tolerant reader of tnsnames.ora, with the rules the program's own reader
// follows (entries split by VkTnsEntryScanner, a damaged entry skipped on its
// own), where only the names ADDRESS (PROTOCOL, HOST, KEY, PORT) and
// CONNECT_DATA (SID, SERVICE_NAME) matter, at any nesting.

#include "platform/VkTnsEntryScanner.h"

#include <filesystem>
#include <functional>
#include <istream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace VkOracle {

struct OraTnsAddress {
    enum Protocol { Unknown = 0, Tcp = 1, Ipc = 2 };
    int protocol = Unknown;
    std::string hostOrKey;
    int port = 0;
};

struct OraTnsEntry {
    std::vector<OraTnsAddress> addresses;
    std::string sid;
    std::string serviceName;
};

class OraTnsNames {
public:
    enum class Status {
        NotLoaded = 0,
        Loaded = 1,    // read to its end
        NotFound = 2,  // no file
        Corrupt = 3,   // damaged entries (a parameter without a name, unbalanced) skipped; the others read
        ReadError = 4,
    };

    Status Load(const std::filesystem::path& file);
    Status Load(std::istream& in);
    Status Load(std::string_view text);

    // The entry of a net service name, looked up in upper case; null if none.
    const OraTnsEntry* Find(const std::string& name) const;
    const std::map<std::string, OraTnsEntry>& Entries() const { return m_entries; }

    // Parses one entry's text ("NAME = (DESCRIPTION = ...)"). False when a
    // parameter has an empty name; *name is empty when the text names nothing.
    static bool ParseEntry(const std::string& text, std::string* name, OraTnsEntry* entry);

private:
    using EntrySink = std::function<void(const std::string&)>;
    Status LoadWith(const std::function<VkTnsEntryScanner::Result(const EntrySink&)>& scanner);

    std::map<std::string, OraTnsEntry> m_entries;
};

} // namespace VkOracle
