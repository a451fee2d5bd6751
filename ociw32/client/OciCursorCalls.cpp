// The cursor-level entry points: oparse, odescr, odefin, obndrv, oexec, ofen.
// Each runs under its session's call lock.

#include "ociw32/client/OciConvert.h"
#include "ociw32/client/OciState.h"

#include "ociw32/functions/OraErrors.h"
#include "platform/VkAscii.h"

#include <algorithm>
#include <cstring>

using namespace VkOracle;

namespace {

constexpr ub1 kFcExec = 4;
constexpr ub1 kFcDefine = 8;
constexpr ub1 kFcFetch = 12;
constexpr ub1 kFcBind = 28;
constexpr ub1 kFcParse = 54;
constexpr ub1 kFcDescribe = 60;
constexpr ub1 kWarnAny = 0x01;
constexpr ub1 kWarnTruncated = 0x02;

std::string Text(const text* s, sb4 len)
{
    if (!s)
        return {};
    const char* p = reinterpret_cast<const char*>(s);
    if (len < 0)
        return std::string(p);
    return std::string(p, strnlen(p, static_cast<size_t>(len)));
}

std::string BindKey(std::string name)
{
    size_t b = 0;
    while (b < name.size() && VkIsAsciiSpace(name[b]))
        ++b;
    if (b < name.size() && name[b] == ':')
        ++b;
    name.erase(0, b);
    while (!name.empty() && VkIsAsciiSpace(name.back()))
        name.pop_back();
    for (char& ch : name)
        ch = VkAsciiToUpper(ch);
    return name;
}

// A cursor call in progress: the cursor found from its area, its session
// locked, the session's health checked.
class CursorCall {
public:
    CursorCall(Cda_Def* area, ub1 fc) : m_area(area)
    {
        if (!area) {
            m_result = -1001;
            return;
        }
        area->fc = fc;
        m_cursor = OciHandleTable::Instance().Cursor(OciAreaHandle(area));
        if (!m_cursor) {
            m_result = OciFail(area, nullptr, 1001);
            return;
        }
        m_lock = std::unique_lock<std::mutex>(m_cursor->session->callMutex);
        if (int code = m_cursor->session->HealthError())
            m_result = OciFail(area, &m_cursor->lastError, code);
        else
            m_ok = true;
    }
    bool Ok() const { return m_ok; }
    sword Result() const { return m_result; }
    OciCursorState& Cursor() { return *m_cursor; }
    OciSessionState& Session() { return *m_cursor->session; }

    sword Fail(int code, const std::string& message = {})
    {
        return OciFail(m_area, &m_cursor->lastError, code, message);
    }
    // A failed server result: the session learns about lost connections.
    sword ServerFail(const OraResult& r)
    {
        const int code = Session().NoteServerResult(r.code);
        return Fail(code, code == r.code ? r.message : std::string());
    }
    sword Succeed() { return OciSucceed(m_area, &m_cursor->lastError); }

    // Parses a deferred statement now. 0, or the call's failure result.
    sword EnsureParsed();
    sword ParseNow(const std::string& sql);

private:
    Cda_Def* m_area;
    std::shared_ptr<OciCursorState> m_cursor;
    std::unique_lock<std::mutex> m_lock;
    bool m_ok = false;
    sword m_result = 0;
};

sword CursorCall::ParseNow(const std::string& sql)
{
    OciCursorState& c = Cursor();
    std::unique_ptr<OraStatement> statement;
    OraResult r = Session().server->Parse(sql, &statement);
    if (!r.Ok() || !statement) {
        m_area->peo = static_cast<ub2>(std::max(0, r.offset));
        return ServerFail(r.Ok() ? OraResult{900, FormatOraError(900), 0} : r);
    }
    c.statement = std::move(statement);
    c.stage = OciCursorState::Stage::Parsed;
    m_area->ft = static_cast<ub2>(c.statement->FunctionCode());
    return 0;
}

sword CursorCall::EnsureParsed()
{
    OciCursorState& c = Cursor();
    if (c.parsePending) {
        c.parsePending = false;
        std::string sql = std::move(c.pendingSql);
        c.pendingSql.clear();
        if (sword rc = ParseNow(sql))
            return rc;
    }
    if (!c.statement)
        return Fail(1003);
    return 0;
}

bool IsQuery(const OciCursorState& c)
{
    return c.statement && c.statement->Kind() == OraStatementKind::Query;
}

int DisplaySize(const OraColumnDesc& d)
{
    switch (d.dbType) {
    case 2: return d.precision > 0 ? d.precision + 2 : 40;
    case 12: return 9;
    default: return d.dbSize;
    }
}

} // namespace

extern "C" {

sword oparse(Cda_Def* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg)
{
    (void)lngflg;
    CursorCall call(cursor, kFcParse);
    if (!call.Ok())
        return call.Result();
    OciCursorState& c = call.Cursor();
    c.Reset();
    cursor->rpc = 0;
    cursor->ft = 0;
    cursor->peo = 0;
    cursor->wrn = 0;
    const std::string sql = Text(sqlstm, sqllen);
    if (defflg != 0) {
        c.pendingSql = sql;
        c.parsePending = true;
        return call.Succeed();
    }
    if (sword rc = call.ParseNow(sql))
        return rc;
    if (c.statement->Kind() == OraStatementKind::Ddl) {
        // DDL runs when parsed; a later oexec has nothing to do.
        uint64_t rows = 0;
        OraResult r = c.statement->Execute(&rows);
        if (!r.Ok()) {
            c.statement.reset();
            c.stage = OciCursorState::Stage::Open;
            return call.ServerFail(r);
        }
        c.ddlDone = true;
    }
    return call.Succeed();
}

sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl,
             sb4* dsize, sb2* prec, sb2* scale, sb2* nullok)
{
    CursorCall call(cursor, kFcDescribe);
    if (!call.Ok())
        return call.Result();
    if (sword rc = call.EnsureParsed())
        return rc;
    const std::vector<OraColumnDesc>& columns = call.Cursor().statement->Columns();
    if (pos < 1 || static_cast<size_t>(pos) > columns.size())
        return call.Fail(1007);
    const OraColumnDesc& d = columns[static_cast<size_t>(pos - 1)];
    if (dbsize)
        *dbsize = d.dbSize;
    if (dbtype)
        *dbtype = static_cast<sb2>(d.dbType);
    if (cbuf && cbufl) {
        const size_t room = *cbufl > 0 ? static_cast<size_t>(*cbufl) : 0;
        const size_t n = std::min(room, d.name.size());
        std::memcpy(cbuf, d.name.data(), n);
        *cbufl = static_cast<sb4>(n);
    } else if (cbufl) {
        *cbufl = static_cast<sb4>(d.name.size());
    }
    if (dsize)
        *dsize = DisplaySize(d);
    if (prec)
        *prec = static_cast<sb2>(d.precision);
    if (scale)
        *scale = static_cast<sb2>(d.scale);
    if (nullok)
        *nullok = d.nullable ? 1 : 0;
    return call.Succeed();
}

sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword scale, sb2* indp,
             text* fmt, sword fmtl, sword fmtt, ub2* rlen, ub2* rcode)
{
    (void)scale, (void)fmt, (void)fmtl, (void)fmtt;
    CursorCall call(cursor, kFcDefine);
    if (!call.Ok())
        return call.Result();
    if (sword rc = call.EnsureParsed())
        return rc;
    OciCursorState& c = call.Cursor();
    if (!IsQuery(c) || pos < 1 || static_cast<size_t>(pos) > c.statement->Columns().size())
        return call.Fail(1007);
    if (int code = OciCheckExternalType(ftype, bufl, true))
        return call.Fail(code);
    c.defines[pos] = OciDefine{buf, bufl, ftype, indp, rlen, rcode};
    return call.Succeed();
}

sword obndrv(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype,
             sword scale, sb2* indp, text* fmt, sword fmtl, sword fmtt)
{
    (void)scale, (void)fmt, (void)fmtl, (void)fmtt;
    CursorCall call(cursor, kFcBind);
    if (!call.Ok())
        return call.Result();
    if (sword rc = call.EnsureParsed())
        return rc;
    OciCursorState& c = call.Cursor();
    const std::string name = BindKey(Text(sqlvar, sqlvl));
    const std::vector<std::string> names = c.statement->BindNames();
    if (name.empty() || std::find(names.begin(), names.end(), name) == names.end())
        return call.Fail(1036);
    if (int code = OciCheckExternalType(ftype, progvl, false))
        return call.Fail(code);
    OciBind bind{name, progv, progvl, ftype, indp};
    auto it = std::find_if(c.binds.begin(), c.binds.end(),
                           [&](const OciBind& b) { return b.name == name; });
    if (it != c.binds.end())
        *it = bind;
    else
        c.binds.push_back(bind);
    return call.Succeed();
}

sword oexec(Cda_Def* cursor)
{
    CursorCall call(cursor, kFcExec);
    if (!call.Ok())
        return call.Result();
    if (sword rc = call.EnsureParsed())
        return rc;
    OciCursorState& c = call.Cursor();
    cursor->wrn = 0;
    if (c.ddlDone) {
        cursor->rpc = 0;
        return call.Succeed();
    }
    for (const std::string& name : c.statement->BindNames()) {
        if (std::none_of(c.binds.begin(), c.binds.end(),
                         [&](const OciBind& b) { return b.name == name; }))
            return call.Fail(1008);
    }
    // Binds are by reference: the program's variables are read now.
    for (const OciBind& b : c.binds) {
        OraValue value;
        if (!(b.indp && *b.indp < 0)) {
            if (int code = OciLoadValue(b.progv, b.progvl, b.ftype, &value))
                return call.Fail(code);
        }
        OraResult r = c.statement->Bind(b.name, value);
        if (!r.Ok())
            return call.ServerFail(r);
    }
    uint64_t rows = 0;
    c.rowsProcessed = 0;
    cursor->rpc = 0;
    c.stage = OciCursorState::Stage::Parsed;
    OraResult r = c.statement->Execute(&rows);
    if (!r.Ok())
        return call.ServerFail(r);
    if (IsQuery(c)) {
        c.stage = OciCursorState::Stage::Executed;
        return call.Succeed();
    }
    cursor->rpc = static_cast<ub4>(rows);
    if (c.statement->Kind() == OraStatementKind::Block) {
        // OUT and IN OUT values go back into the program's variables.
        for (const OciBind& b : c.binds) {
            OraValue value;
            if (!c.statement->BoundValue(b.name, &value).Ok() || !b.progv)
                continue;
            if (value.kind == OraValue::Kind::Null) {
                if (b.indp)
                    *b.indp = -1;
                if ((b.ftype == 5 || b.ftype == 97) && b.progvl > 0)
                    b.progv[0] = '\0';
                continue;
            }
            const int room = b.progvl >= 0 ? b.progvl
                           : static_cast<int>(std::strlen(reinterpret_cast<char*>(b.progv))) + 1;
            OciCell cell = OciStoreValue(value, b.ftype, b.progv, room);
            if (cell.rcode == 1406)
                return call.Fail(6502, FormatOraError(6502));
            if (cell.rcode != 0)
                return call.Fail(cell.rcode);
            if (b.indp)
                *b.indp = 0;
        }
    }
    return call.Succeed();
}

sword ofen(Cda_Def* cursor, sword nrows)
{
    CursorCall call(cursor, kFcFetch);
    if (!call.Ok())
        return call.Result();
    OciCursorState& c = call.Cursor();
    if (!IsQuery(c) || (c.stage != OciCursorState::Stage::Executed
                        && c.stage != OciCursorState::Stage::Exhausted))
        return call.Fail(1002);
    if (c.stage == OciCursorState::Stage::Exhausted)
        return call.Fail(1403);
    const int wanted = nrows < 1 ? 1 : nrows;
    std::vector<OraValue> row;
    int delivered = 0;
    int rowError = 0;
    bool end = false;
    const OraValue null;
    while (delivered < wanted) {
        OraResult r = c.statement->Fetch(&row);
        if (r.code == 1403) {
            end = true;
            break;
        }
        if (!r.Ok()) {
            c.rowsProcessed += static_cast<uint64_t>(delivered);
            cursor->rpc = static_cast<ub4>(c.rowsProcessed);
            // The result set is gone: fetching again needs a new oexec.
            c.stage = OciCursorState::Stage::Parsed;
            return call.ServerFail(r);
        }
        const size_t i = static_cast<size_t>(delivered);
        for (auto& [pos, d] : c.defines) {
            const size_t col = static_cast<size_t>(pos - 1);
            const OraValue& v = col < row.size() ? row[col] : null;
            unsigned char* cellBuf = d.buf ? d.buf + i * static_cast<size_t>(d.bufl) : nullptr;
            OciCell cell;
            if (cellBuf)
                cell = OciStoreValue(v, d.ftype, cellBuf, d.bufl);
            else if (v.kind == OraValue::Kind::Null)
                cell.rcode = 1405;
            int indicator = 0;
            if (cell.rcode == 1405) {
                indicator = -1;
                if (!d.indp)
                    rowError = 1405;
            } else if (cell.rcode == 1406) {
                indicator = cell.originalLength > 32767 ? -2 : cell.originalLength;
                cursor->wrn |= kWarnAny | kWarnTruncated;
                if (!d.indp)
                    rowError = 1406;
            } else if (cell.rcode != 0) {
                // A value the define cannot take: the row is not delivered.
                c.rowsProcessed += static_cast<uint64_t>(delivered);
                cursor->rpc = static_cast<ub4>(c.rowsProcessed);
                return call.Fail(cell.rcode);
            }
            if (d.indp)
                d.indp[i] = static_cast<sb2>(indicator);
            if (d.rlen)
                d.rlen[i] = static_cast<ub2>(cell.length);
            if (d.rcode)
                d.rcode[i] = static_cast<ub2>(cell.rcode);
        }
        ++delivered;
        if (rowError)
            break;
    }
    c.rowsProcessed += static_cast<uint64_t>(delivered);
    cursor->rpc = static_cast<ub4>(c.rowsProcessed);
    if (rowError)
        return call.Fail(rowError);
    if (end) {
        c.stage = OciCursorState::Stage::Exhausted;
        return call.Fail(1403);
    }
    return call.Succeed();
}

} // extern "C"
