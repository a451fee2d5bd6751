#pragma once
// The session's compiled statements kept by text: a statement parsed again
// (a PL/SQL loop, a job's interval, a program's refresh) takes its plan and
// its prepared SQLite statement back instead of being parsed, compiled and
// prepared anew. The session empties it whenever the catalogue changes.

#include "ociw32/server/OraEngineStatement.h"

#include <cstddef>
#include <map>
#include <string>

struct sqlite3_stmt;

namespace VkOracle {

class OraEngineStatementCache {
public:
    OraEngineStatementCache() = default;
    ~OraEngineStatementCache();
    OraEngineStatementCache(const OraEngineStatementCache&) = delete;
    OraEngineStatementCache& operator=(const OraEngineStatementCache&) = delete;

    // Whether a plan can be kept: DML and queries without fragments.
    static bool Keepable(const OraStatementPlan& plan);
    // Hands out a kept plan for the key (it leaves the cache while in use).
    bool Take(const std::string& key, OraStatementPlan* plan, sqlite3_stmt** stmt);
    // Keeps a plan whose statement ended; finalizes it when the cache is full.
    void Keep(const std::string& key, OraStatementPlan plan, sqlite3_stmt* stmt);
    void Clear();
    size_t Size() const { return m_entries.size(); }

private:
    static constexpr size_t kCapacity = 200;
    struct Entry {
        OraStatementPlan plan;
        sqlite3_stmt* stmt = nullptr;
    };
    std::multimap<std::string, Entry> m_entries;
};

} // namespace VkOracle
