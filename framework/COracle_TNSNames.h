#pragma once
// The database names the local Oracle client knows: its TNSNAMES.ORA,
// found through the Oracle home recorded in the registry, read by a small
// tolerant parser into one record per net service name.

#include "generic/vkpath.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class COracle_TNSNames {
public:
    enum ErrorCode {
        NotLoaded = 0,   // nothing loaded yet
        Loaded = 1,      // the file was read to its end (possibly no names)
        NotFound = 2,    // no TNSNAMES.ORA could be located
        Corrupt = 3,     // damaged entries (a parameter without a name, unbalanced) skipped; the others kept
        ReadFailed = 4,  // an error was raised while reading
    };

    struct COracle_Address {
        enum Protocol { Unknown = 0, TCP = 1, IPC = 2 };
        std::int32_t protocol = Unknown;
        std::string hostOrKey; // HOST of a TCP address, KEY of an IPC one
        std::int32_t port = 0;
    };

    struct COracle_Connect {
        std::string sid;
        std::string serviceName;
    };

    class COracle_NameData {
    public:
        COracle_NameData() = default;
        COracle_NameData(const COracle_NameData& other);
        COracle_NameData& operator=(const COracle_NameData& other);
        ~COracle_NameData();

        const std::vector<COracle_Address*>& Addresses() const { return m_addresses; }
        const COracle_Connect& Connect() const { return m_connect; }

    private:
        friend class COracle_TNSNames;
        void Clear();

        std::vector<COracle_Address*> m_addresses; // owned, in file order
        COracle_Connect m_connect;
    };

    explicit COracle_TNSNames(bool loadNow = false);
    COracle_TNSNames(const COracle_TNSNames& other);
    COracle_TNSNames& operator=(const COracle_TNSNames& other);
    virtual ~COracle_TNSNames();

    ErrorCode Load();
    void ClearData();
    ErrorCode Error() const { return m_error; }
    int Count() const { return static_cast<int>(m_names.size()); }

    void ResetIter();
    // The next name in ascending (upper-case) order; false and empty at the end.
    bool Next(std::string& name);
    // The record of exactly that (upper-case) name, or null.
    const COracle_NameData* GetNameData(const std::string& name) const;

    // Locates the file; path receives the chosen file even when the result
    // is false. Without refresh a remembered file that still exists is kept.
    bool Path(vkpath& path, bool refresh = false) const;
    bool AltPath(vkpath& path) const;
    // The folder of the chosen file.
    std::string Directory() const;

private:
    using NameMap = std::map<std::string, COracle_NameData*>;

    ErrorCode ReadFile(const std::string& fileName);
    // Parses one balanced entry and keeps it; false, keeping nothing, when a
    // parameter has an empty name.
    bool ParseEntry(const std::string& entry);
    void CopyFrom(const COracle_TNSNames& other);

    NameMap m_names; // values owned
    ErrorCode m_error = NotLoaded;
    mutable vkpath m_path;
    mutable vkpath m_altPath;
    NameMap::const_iterator m_iter;
};
