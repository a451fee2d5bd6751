// The logon-level entry points: opinit, olog, ologof, ocom, oerhms, onbset,
// onbtst, obreak, and the cursor lifetime calls oopen and oclose.

#include "ociw32/client/OciState.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/names/OraConnectResolver.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

using namespace VkOracle;

namespace {

std::atomic<int> g_initMode{-1};

// Function codes left in a cursor area's fc.
constexpr ub1 kFcOpen = 14;
constexpr ub1 kFcClose = 16;

std::string Text(const text* s, sword len)
{
    if (!s)
        return {};
    const char* p = reinterpret_cast<const char*>(s);
    if (len < 0)
        return std::string(p);
    return std::string(p, strnlen(p, static_cast<size_t>(len)));
}

int MajorVersion(const std::string& version)
{
    return std::atoi(version.c_str());
}

} // namespace

extern "C" {

sword opinit(ub4 mode)
{
    // Every call is thread-safe whatever the mode; the mode is kept for the
    // client's sake only.
    g_initMode.store(static_cast<int>(mode));
    return 0;
}

sword olog(Lda_Def* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl, text* conn,
           sword connl, ub4 mode)
{
    (void)hda;
    if (!lda)
        return -1012;
    // A data area that still holds a session ends it first.
    if (uint64_t old = OciAreaHandle(lda)) {
        if (auto s = OciHandleTable::Instance().Session(old)) {
            std::lock_guard<std::mutex> lock(s->callMutex);
            if (s->server)
                s->server->Rollback();
            s->Release();
            s->health = OciSessionState::Health::Killed;
        }
        OciHandleTable::Instance().Remove(old);
    }
    OciSetAreaHandle(lda, 0);

    std::string user = Text(uid, uidl);
    std::string password = Text(pswd, pswdl);
    std::string connect = Text(conn, connl);
    if (connect.empty()) {
        if (size_t at = user.rfind('@'); at != std::string::npos) {
            connect = user.substr(at + 1);
            user.erase(at);
        }
    }
    if (password.empty()) {
        if (size_t slash = user.find('/'); slash != std::string::npos) {
            password = user.substr(slash + 1);
            user.erase(slash);
        }
    }
    if (user.empty())
        return OciFail(lda, nullptr, 1017);
    if (password.empty())
        return OciFail(lda, nullptr, 1005);

    OraDatabaseRef db;
    OraResult r = ResolveOraConnect(connect, &db);
    if (!r.Ok())
        return OciFail(lda, nullptr, r.code, r.message);
    std::unique_ptr<OraSession> session;
    r = TheOraServer().Logon(db, user, password, &session);
    if (!r.Ok() || !session)
        return OciFail(lda, nullptr, r.code ? r.code : 1034, r.message);

    auto state = std::make_shared<OciSessionState>();
    state->serverMajor = MajorVersion(session->ServerVersion());
    state->nonBlocking = (mode & OCI_LM_NBL) != 0;
    state->server = std::move(session);
    OciSetAreaHandle(lda, OciHandleTable::Instance().AddSession(std::move(state)));
    return OciSucceed(lda, nullptr);
}

sword ologof(Lda_Def* lda)
{
    if (!lda)
        return -1012;
    const uint64_t id = OciAreaHandle(lda);
    auto s = OciHandleTable::Instance().Session(id);
    if (!s)
        return OciFail(lda, nullptr, 1012);
    int code = 0;
    std::string message;
    {
        std::lock_guard<std::mutex> lock(s->callMutex);
        code = s->HealthError();
        if (code == 0 && s->server) {
            // A normal logoff commits, as Oracle's does.
            OraResult r = s->server->Commit();
            if (!r.Ok()) {
                code = s->NoteServerResult(r.code);
                message = r.message;
            }
        }
        s->Release();
        s->health = OciSessionState::Health::Killed;
    }
    OciHandleTable::Instance().Remove(id);
    OciSetAreaHandle(lda, 0);
    if (code != 0)
        return OciFail(lda, nullptr, code, code == 3113 ? FormatOraError(3113) : message);
    return OciSucceed(lda, nullptr);
}

sword ocom(Lda_Def* lda)
{
    if (!lda)
        return -1012;
    auto s = OciHandleTable::Instance().Session(OciAreaHandle(lda));
    if (!s)
        return OciFail(lda, nullptr, 1012);
    std::lock_guard<std::mutex> lock(s->callMutex);
    if (int code = s->HealthError())
        return OciFail(lda, &s->lastError, code);
    OraResult r = s->server->Commit();
    if (!r.Ok()) {
        const int code = s->NoteServerResult(r.code);
        return OciFail(lda, &s->lastError, code, code == r.code ? r.message : std::string());
    }
    return OciSucceed(lda, &s->lastError);
}

sword oerhms(Lda_Def* lda, sb2 rcode, text* buf, sword bufsiz)
{
    if (!buf || bufsiz <= 0)
        return 0;
    const int code = rcode < 0 ? -rcode : rcode;
    std::string message;
    // The area may be a logon or a cursor data area: its last error carries
    // the arguments and stacked lines the bare template lacks.
    const uint64_t id = OciAreaHandle(lda);
    if (auto s = OciHandleTable::Instance().Session(id)) {
        std::lock_guard<std::mutex> lock(s->callMutex);
        if (s->lastError.code == code)
            message = s->lastError.message;
    } else if (auto c = OciHandleTable::Instance().Cursor(id)) {
        std::lock_guard<std::mutex> lock(c->session->callMutex);
        if (c->lastError.code == code)
            message = c->lastError.message;
    }
    if (message.empty())
        message = FormatOraError(code);
    if (message.empty() || message.back() != '\n')
        message += '\n';
    const size_t n = message.size() < static_cast<size_t>(bufsiz) ? message.size()
                                                                  : static_cast<size_t>(bufsiz) - 1;
    std::memcpy(buf, message.data(), n);
    buf[n] = '\0';
    return static_cast<sword>(n);
}

sword onbset(Lda_Def* lda)
{
    auto s = OciHandleTable::Instance().Session(OciAreaHandle(lda));
    if (!s)
        return lda ? OciFail(lda, nullptr, 1012) : -1012;
    std::lock_guard<std::mutex> lock(s->callMutex);
    s->nonBlocking = true;
    return OciSucceed(lda, nullptr);
}

sword onbtst(Lda_Def* lda)
{
    auto s = OciHandleTable::Instance().Session(OciAreaHandle(lda));
    if (!s)
        return lda ? OciFail(lda, nullptr, 1012) : -1012;
    std::lock_guard<std::mutex> lock(s->callMutex);
    // Calls finish synchronously; the flag only answers this question.
    if (!s->nonBlocking)
        return OciFail(lda, nullptr, 3128);
    return OciSucceed(lda, nullptr);
}

sword obreak(Lda_Def* lda)
{
    // Comes from another thread while a call runs: takes only breakMutex and
    // leaves the data area alone.
    auto s = OciHandleTable::Instance().Session(OciAreaHandle(lda));
    if (!s)
        return -1012;
    std::lock_guard<std::mutex> lock(s->breakMutex);
    if (s->server)
        s->server->Break();
    return 0;
}

sword oopen(Cda_Def* cursor, Lda_Def* lda, text* dbn, sword dbnl, sword arsize, text* uid,
            sword uidl)
{
    (void)dbn, (void)dbnl, (void)arsize, (void)uid, (void)uidl;
    if (!cursor)
        return -1001;
    cursor->fc = kFcOpen;
    // Reopening an area releases what it held.
    if (uint64_t old = OciAreaHandle(cursor)) {
        if (auto c = OciHandleTable::Instance().Cursor(old)) {
            std::lock_guard<std::mutex> lock(c->session->callMutex);
            c->Reset();
        }
        OciHandleTable::Instance().Remove(old);
    }
    OciSetAreaHandle(cursor, 0);
    cursor->rpc = 0;
    cursor->ft = 0;
    cursor->peo = 0;
    auto s = OciHandleTable::Instance().Session(OciAreaHandle(lda));
    if (!s)
        return OciFail(cursor, nullptr, 1012);
    std::lock_guard<std::mutex> lock(s->callMutex);
    if (int code = s->HealthError())
        return OciFail(cursor, nullptr, code);
    auto c = std::make_shared<OciCursorState>();
    c->session = s;
    s->cursors.push_back(c);
    OciSetAreaHandle(cursor, OciHandleTable::Instance().AddCursor(c));
    return OciSucceed(cursor, nullptr);
}

sword oclose(Cda_Def* cursor)
{
    if (!cursor)
        return -1001;
    cursor->fc = kFcClose;
    const uint64_t id = OciAreaHandle(cursor);
    auto c = OciHandleTable::Instance().Cursor(id);
    if (!c)
        return OciFail(cursor, nullptr, 1001);
    {
        std::lock_guard<std::mutex> lock(c->session->callMutex);
        c->Reset();
        auto& list = c->session->cursors;
        for (auto it = list.begin(); it != list.end();) {
            auto p = it->lock();
            it = (!p || p == c) ? list.erase(it) : it + 1;
        }
    }
    OciHandleTable::Instance().Remove(id);
    OciSetAreaHandle(cursor, 0);
    return OciSucceed(cursor, nullptr);
}

} // extern "C"
