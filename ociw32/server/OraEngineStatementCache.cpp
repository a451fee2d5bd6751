#include "ociw32/server/OraEngineStatementCache.h"

#include <sqlite3.h>

namespace VkOracle {

OraEngineStatementCache::~OraEngineStatementCache()
{
    Clear();
}

bool OraEngineStatementCache::Keepable(const OraStatementPlan& plan)
{
    const bool dmlOrQuery = plan.kind == OraStatementKind::Query || plan.kind == OraStatementKind::Insert ||
                            plan.kind == OraStatementKind::Update || plan.kind == OraStatementKind::Delete;
    // Fragments live in the session under ids of their own.
    return dmlOrQuery && !plan.sql.empty() && plan.fragmentIds.empty();
}

bool OraEngineStatementCache::Take(const std::string& key, OraStatementPlan* plan, sqlite3_stmt** stmt)
{
    auto it = m_entries.find(key);
    if (it == m_entries.end())
        return false;
    *plan = std::move(it->second.plan);
    *stmt = it->second.stmt;
    m_entries.erase(it);
    return true;
}

void OraEngineStatementCache::Keep(const std::string& key, OraStatementPlan plan, sqlite3_stmt* stmt)
{
    if (m_entries.size() >= kCapacity || !Keepable(plan)) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    m_entries.emplace(key, Entry{std::move(plan), stmt});
}

void OraEngineStatementCache::Clear()
{
    for (auto& [key, entry] : m_entries)
        sqlite3_finalize(entry.stmt);
    m_entries.clear();
}

} // namespace VkOracle
