#include "ociw32/functions/OraFunctions.h"

#include "ociw32/functions/OraDateFormat.h"
#include "ociw32/functions/OraSqlValues.h"

#include <atomic>
#include <cstdint>
#include <unordered_map>

namespace VkOracle {

using detail::OraSession;

namespace {

std::mutex s_sessionsLock;
std::unordered_map<sqlite3*, OraSession*> s_sessions;
// Moves whenever a session goes: a connection's address may come back.
std::atomic<uint64_t> s_released{0};

OraSession* Find(sqlite3* db)
{
    // Every statement asks for its connection's session as it starts and
    // ends: the last one a thread found is kept until any session goes.
    struct Found {
        sqlite3* db = nullptr;
        OraSession* session = nullptr;
        uint64_t released = 0;
    };
    thread_local Found last;
    const uint64_t released = s_released.load(std::memory_order_acquire);
    if (db && last.db == db && last.released == released)
        return last.session;
    std::lock_guard<std::mutex> guard(s_sessionsLock);
    const auto it = s_sessions.find(db);
    if (it == s_sessions.end())
        return nullptr;
    last = Found{db, it->second, released};
    return it->second;
}

// Runs when SQLite drops the function that owns the session (connection close).
void ReleaseSession(void* p)
{
    OraSession* session = static_cast<OraSession*>(p);
    {
        std::lock_guard<std::mutex> guard(s_sessionsLock);
        for (auto it = s_sessions.begin(); it != s_sessions.end(); ++it)
            if (it->second == session) {
                s_sessions.erase(it);
                break;
            }
        s_released.fetch_add(1, std::memory_order_acq_rel);
    }
    delete session;
}

void SysdateFunction(sqlite3_context* ctx, int, sqlite3_value**)
{
    sqlite3_result_int64(ctx, detail::SessionNow(detail::SessionOf(ctx)));
}

} // namespace

void RegisterOracleFunctions(sqlite3* db)
{
    if (!db || Find(db))
        return;
    OraSession* session = new OraSession;
    session->dateFormat = kOraDefaultDateFormat;
    {
        std::lock_guard<std::mutex> guard(s_sessionsLock);
        s_sessions[db] = session;
    }
    // ora_sysdate owns the session: SQLite destroys it with the connection.
    if (sqlite3_create_function_v2(db, "ora_sysdate", 0, SQLITE_UTF8, session, SysdateFunction,
                                   nullptr, nullptr, ReleaseSession) != SQLITE_OK) {
        return; // SQLite already called ReleaseSession
    }
    std::vector<detail::OraFunctionDef> defs = detail::TextFunctionDefs();
    for (const auto& list : {detail::NumberFunctionDefs(), detail::DateFunctionDefs()})
        defs.insert(defs.end(), list.begin(), list.end());
    for (const detail::OraFunctionDef& d : defs) {
        const int flags = SQLITE_UTF8 | (d.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, d.name, d.nArg, flags, session, d.fn, nullptr, nullptr,
                                   nullptr);
    }
    detail::RegisterAggregates(db, session);
}

int SetSessionDateFormat(sqlite3* db, const std::string& fmt)
{
    OraSession* s = Find(db);
    if (!s)
        return 0;
    std::string probe;
    int err = 0;
    if (!FormatOracleDate(0, fmt, &probe, &err))
        return err;
    std::lock_guard<std::mutex> guard(s->lock);
    s->dateFormat = fmt;
    return 0;
}

std::string SessionDateFormat(sqlite3* db)
{
    OraSession* s = Find(db);
    return s ? detail::SessionFormat(s) : std::string(kOraDefaultDateFormat);
}

void SetConnectionClock(sqlite3* db, const OraClockSetting& setting)
{
    if (OraSession* s = Find(db)) {
        std::lock_guard<std::mutex> guard(s->lock);
        s->hasClock = true;
        s->clock = setting;
    }
}

void ClearConnectionClock(sqlite3* db)
{
    if (OraSession* s = Find(db)) {
        std::lock_guard<std::mutex> guard(s->lock);
        s->hasClock = false;
    }
}

int64_t BeginOracleStatement(sqlite3* db)
{
    OraSession* s = Find(db);
    if (!s)
        return OracleNow();
    std::lock_guard<std::mutex> guard(s->lock);
    // Statements run inside another statement see the outer statement's time.
    if (s->statementDepth++ == 0) {
        s->statementTime = s->hasClock ? OracleNow(s->clock) : OracleNow();
        s->hasStatementTime = true;
    }
    return s->statementTime;
}

void EndOracleStatement(sqlite3* db)
{
    if (OraSession* s = Find(db)) {
        std::lock_guard<std::mutex> guard(s->lock);
        if (s->statementDepth > 0 && --s->statementDepth == 0)
            s->hasStatementTime = false;
    }
}

int64_t OracleSysdate(sqlite3* db)
{
    OraSession* s = Find(db);
    return s ? detail::SessionNow(s) : OracleNow();
}

} // namespace VkOracle
