#pragma once
// The library's own records behind the logon and cursor data areas. A data
// area holds only a numeric handle (in rcsp), looked up in a process-wide
// table on every call, so a zeroed, closed, copied or overwritten area is
// detected (ORA-01012, ORA-01001) and never dereferenced.

#include "ociw32/include/oci7.h"
#include "ociw32/server/OraServer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace VkOracle {

// The last error of a data area, for oerhms.
struct OciLastError {
    int code = 0;
    std::string message;
};

class OciCursorState;

class OciSessionState {
public:
    enum class Health {
        Open,
        Lost,   // the server went away: every call gets ORA-03114
        Killed, // killed, or logged off: every call gets ORA-01012
    };

    // Held for the whole of every call on the session and its cursors; a
    // session serves one call at a time.
    std::mutex callMutex;
    Health health = Health::Open;
    int serverMajor = 0;
    bool nonBlocking = false;
    OciLastError lastError;
    std::vector<std::weak_ptr<OciCursorState>> cursors;

    // The server session. Break may come from any thread, so the pointer is
    // also guarded by breakMutex, which no call holds while it waits.
    std::unique_ptr<OraSession> server;
    std::mutex breakMutex;

    // 0, or the code every call must fail with because of the session's health.
    int HealthError() const;
    // Records what a server result says about the connection: ORA-03113 and
    // ORA-03114 lose it, ORA-00028 kills it. Returns the code to report.
    int NoteServerResult(int code);
    // Ends the server session (after its cursors' statements).
    void Release();
};

struct OciDefine {
    unsigned char* buf = nullptr;
    int bufl = 0;
    int ftype = 0;
    sb2* indp = nullptr;
    ub2* rlen = nullptr;
    ub2* rcode = nullptr;
};

struct OciBind {
    std::string name; // upper case, no colon
    unsigned char* progv = nullptr;
    int progvl = 0;
    int ftype = 0;
    sb2* indp = nullptr;
};

class OciCursorState {
public:
    enum class Stage { Open, Parsed, Executed, Exhausted };

    std::shared_ptr<OciSessionState> session;
    std::unique_ptr<OraStatement> statement;
    Stage stage = Stage::Open;
    std::string pendingSql; // deferred parse
    bool parsePending = false;
    bool ddlDone = false; // DDL ran at parse time; oexec has nothing left to do
    std::map<int, OciDefine> defines;
    std::vector<OciBind> binds;
    uint64_t rowsProcessed = 0;
    OciLastError lastError;

    void Reset();
};

// The process-wide table of live data areas.
class OciHandleTable {
public:
    static OciHandleTable& Instance();

    uint64_t AddSession(std::shared_ptr<OciSessionState> s);
    uint64_t AddCursor(std::shared_ptr<OciCursorState> c);
    std::shared_ptr<OciSessionState> Session(uint64_t id);
    std::shared_ptr<OciCursorState> Cursor(uint64_t id);
    void Remove(uint64_t id);

private:
    std::mutex m_mutex;
    uint64_t m_next = 0x4F43490000000001ull;
    std::map<uint64_t, std::shared_ptr<OciSessionState>> m_sessions;
    std::map<uint64_t, std::shared_ptr<OciCursorState>> m_cursors;
};

uint64_t OciAreaHandle(const cda_def* area);
void OciSetAreaHandle(cda_def* area, uint64_t id);

// Marks an area's call as failed or successful; returns the call's result
// (the negated code, or 0).
sword OciFail(cda_def* area, OciLastError* last, int code, const std::string& message = {});
sword OciSucceed(cda_def* area, OciLastError* last);

} // namespace VkOracle
