#include "ociw32/client/OciState.h"

#include "ociw32/functions/OraErrors.h"

#include <cstring>

namespace VkOracle {

namespace {

// The version 2 codes older clients test for.
sb2 V2Code(int code)
{
    switch (code) {
    case 0: return 0;
    case 1403: return 4;
    case 1405: return 2;
    case 1406: return 3;
    default: return static_cast<sb2>(code > 32767 ? -32767 : -code);
    }
}

constexpr ub1 kAreaMark = 0xA7;

} // namespace

int OciSessionState::HealthError() const
{
    switch (health) {
    case Health::Open: return 0;
    case Health::Lost: return 3114;
    case Health::Killed: return 1012;
    }
    return 0;
}

int OciSessionState::NoteServerResult(int code)
{
    switch (code) {
    case 3113:
    case 3114:
        health = Health::Lost;
        return code;
    case 1034:
        // The database went down under an open session.
        health = Health::Lost;
        return 3113;
    case 28:
        health = Health::Killed;
        return code;
    default:
        return code;
    }
}

void OciSessionState::Release()
{
    for (auto& weak : cursors) {
        if (auto c = weak.lock()) {
            c->statement.reset();
            c->stage = OciCursorState::Stage::Open;
        }
    }
    cursors.clear();
    std::unique_ptr<OraSession> gone;
    {
        std::lock_guard<std::mutex> lock(breakMutex);
        gone = std::move(server);
    }
    gone.reset();
}

void OciCursorState::Reset()
{
    statement.reset();
    stage = Stage::Open;
    pendingSql.clear();
    parsePending = false;
    ddlDone = false;
    defines.clear();
    binds.clear();
    rowsProcessed = 0;
}

OciHandleTable& OciHandleTable::Instance()
{
    static OciHandleTable* table = new OciHandleTable; // outlives static destruction
    return *table;
}

uint64_t OciHandleTable::AddSession(std::shared_ptr<OciSessionState> s)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t id = m_next++;
    m_sessions[id] = std::move(s);
    return id;
}

uint64_t OciHandleTable::AddCursor(std::shared_ptr<OciCursorState> c)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const uint64_t id = m_next++;
    m_cursors[id] = std::move(c);
    return id;
}

std::shared_ptr<OciSessionState> OciHandleTable::Session(uint64_t id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_sessions.find(id);
    return it == m_sessions.end() ? nullptr : it->second;
}

std::shared_ptr<OciCursorState> OciHandleTable::Cursor(uint64_t id)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_cursors.find(id);
    return it == m_cursors.end() ? nullptr : it->second;
}

void OciHandleTable::Remove(uint64_t id)
{
    std::shared_ptr<OciSessionState> s;
    std::shared_ptr<OciCursorState> c;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (auto it = m_sessions.find(id); it != m_sessions.end()) {
            s = std::move(it->second);
            m_sessions.erase(it);
        }
        if (auto it = m_cursors.find(id); it != m_cursors.end()) {
            c = std::move(it->second);
            m_cursors.erase(it);
        }
    }
    // destroyed outside the lock
}

uint64_t OciAreaHandle(const cda_def* area)
{
    if (!area || area->chk != kAreaMark)
        return 0;
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(area->rcsp));
}

void OciSetAreaHandle(cda_def* area, uint64_t id)
{
    area->rcsp = reinterpret_cast<dvoid*>(static_cast<uintptr_t>(id));
    area->chk = id ? kAreaMark : 0;
}

sword OciFail(cda_def* area, OciLastError* last, int code, const std::string& message)
{
    if (last) {
        last->code = code;
        last->message = message.empty() ? FormatOraError(code) : message;
    }
    if (area) {
        area->rc = static_cast<ub2>(code);
        area->v2_rc = V2Code(code);
    }
    return -code;
}

sword OciSucceed(cda_def* area, OciLastError* last)
{
    if (last) {
        last->code = 0;
        last->message.clear();
    }
    if (area) {
        area->rc = 0;
        area->v2_rc = 0;
    }
    return 0;
}

} // namespace VkOracle
