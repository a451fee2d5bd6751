// A stand-in client library for the binding's tests: the 16 call-interface
// entry points over canned sessions and tables, so that sessions, cursors
// and query data can be tested without a server. Built twice: as
// libfakeoci.so and, without the non-blocking pair, as libfakeoci_nonb.so.
//
// Logons: SCOTT/TIGER (any case) on DEMO (version 10.2.0.1.0, also the
// default) or LEGACY (7.3.4.0.0); DOWN is a stopped database; any other
// database is an unknown alias. Statements: see Build().

#include "ociw32/include/oci7.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Cell {
    bool null = true;
    double number = 0;
    std::string text;
    std::array<ub1, 7> date{};
};

Cell Num(double v)
{
    Cell c;
    c.null = false;
    c.number = v;
    return c;
}
Cell Txt(const std::string& v)
{
    Cell c;
    c.null = false;
    c.text = v;
    return c;
}
Cell Dat(std::array<ub1, 7> v)
{
    Cell c;
    c.null = false;
    c.date = v;
    return c;
}
const Cell Null;

struct Column {
    std::string name;
    sb2 type;
    sb4 size;
    sb2 precision = 0;
    sb2 scale = 0;
};

enum class Kind { Query, Dml, Submit, Arithmetic, FetchError };

struct Statement {
    Kind kind = Kind::Query;
    std::string text;
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> rows;
};

struct Session {
    std::string version;
};

struct Bind {
    ub1* value;
    sword length;
    sword type;
    sb2* indicator;
};

struct Define {
    ub1* buffer = nullptr;
    sword length = 0;
    sword type = 0;
    sb2* indicators = nullptr;
    ub2* lengths = nullptr;
    ub2* codes = nullptr;
};

struct Cursor {
    int session;
    std::optional<Statement> statement;
    std::map<std::string, Bind> binds;
    std::map<int, Define> defines;
    bool executed = false;
    std::size_t next = 0;
};

std::mutex s_lock;
std::map<int, Session> s_sessions;
int s_nextSession = 1;
std::atomic<int> s_opinitCalls{0}, s_opinitMode{-1}, s_failOpinit{0}, s_commits{0}, s_breaks{0}, s_nbCalls{0},
    s_cursors{0}, s_nextJob{1000}, s_lastParseFlags{-1};

// By ASCII: names and keywords must not follow the process locale (a
// Turkish one lower-cases I to a dotless i).
std::string Lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

const char* Message(int code)
{
    switch (code) {
    case 900: return "invalid SQL statement";
    case 942: return "table or view does not exist";
    case 1001: return "invalid cursor";
    case 1002: return "fetch out of sequence";
    case 1007: return "variable not in select list";
    case 1008: return "not all variables bound";
    case 1012: return "not logged on";
    case 1017: return "invalid username/password; logon denied";
    case 1034: return "ORACLE not available";
    case 1036: return "illegal variable name/number";
    case 1403: return "no data found";
    case 1722: return "invalid number";
    case 3128: return "connection is in blocking mode";
    case 12154: return "TNS:could not resolve service name";
    default: return nullptr;
    }
}

sword Fail(Cda_Def* area, int code)
{
    if (area)
        area->rc = static_cast<ub2>(code);
    return -code;
}

sword Ok(Cda_Def* area)
{
    area->rc = 0;
    return 0;
}

std::string Arg(const text* value, sword length)
{
    if (!value)
        return {};
    const char* s = reinterpret_cast<const char*>(value);
    return length < 0 ? std::string(s) : std::string(s, static_cast<std::size_t>(length));
}

bool SessionAlive(int id)
{
    std::lock_guard guard(s_lock);
    return s_sessions.count(id) != 0;
}

std::optional<Statement> Build(const std::string& sql, const Session& session)
{
    const std::string s = Lower(sql);
    Statement st;
    st.text = s;
    if (s.rfind("select n from rows", 0) == 0) {
        const long count = std::strtol(s.c_str() + 18, nullptr, 10);
        st.columns = {{"N", SQLT_NUM, 22, 10, 0}};
        for (long i = 1; i <= count; ++i)
            st.rows.push_back({Num(static_cast<double>(i))});
    } else if (s == "select * from edge_cells") {
        st.columns = {{"NUM", SQLT_NUM, 22, 10, 2}, {"TXT", SQLT_CHR, 10}, {"DAT", SQLT_DAT, 7},
                      {"CNT", SQLT_LNG, 4},         {"CH", SQLT_AFC, 5},   {"RAWC", SQLT_BIN, 4}};
        st.rows = {
            {Null, Null, Null, Null, Null, Null},
            {Num(42.75), Txt("Yes"), Dat({119, 199, 12, 31, 24, 60, 59}), Num(7), Txt("ab"), Txt("wxyz")},
            {Num(-3.9), Txt("N"), Dat({120, 101, 1, 1, 2, 2, 2}), Num(-5), Txt("Y"), Null},
            {Num(0), Txt("0"), Dat({100, 100, 1, 1, 1, 1, 1}), Num(0), Txt("n"), Null},
            {Num(1234567), Txt("42abc"), Dat({120, 100, 2, 29, 13, 31, 1}), Num(1), Txt("12"), Null},
            {Num(0.5), Txt("yes"), Dat({119, 113, 2, 30, 1, 1, 1}), Num(2), Txt(" "), Null},
            {Num(1e300), Txt("  -17 "), Null, Num(3), Txt("yep"), Null},
            {Num(-1e300), Txt("3.75e1x"), Null, Num(4), Txt(""), Null},
        };
    } else if (s == "select * from long_names") {
        st.columns = {{"ABCDEFGHIJKLMNOPQRSTUVWXY", SQLT_NUM, 22},
                      {"  SPACED  ", SQLT_CHR, 5},
                      {"ABCDEFGHIJKLMNOPQRST_SECOND", SQLT_NUM, 22}};
        st.rows = {{Num(1), Txt("a"), Num(2)}};
    } else if (s.find("sys.product_component_version") != std::string::npos) {
        st.columns = {{"VERSION", SQLT_CHR, 64}};
        st.rows = {{Txt(session.version)}};
    } else if (s == "select sysdate from dual") {
        st.columns = {{"SYSDATE", SQLT_DAT, 7}};
        st.rows = {{Dat({120, 126, 12, 7, 11, 31, 16})}};
    } else if (s == "select * from fetch_error") {
        st.kind = Kind::FetchError;
        st.columns = {{"X", SQLT_NUM, 22}};
    } else if (s.rfind("update ", 0) == 0) {
        st.kind = Kind::Dml;
    } else if (s.find("dbms_job.submit(:jobno") != std::string::npos) {
        st.kind = Kind::Submit;
    } else if (s == "begin :a := :a * 10 + :b; end;") {
        st.kind = Kind::Arithmetic;
    } else {
        return std::nullopt;
    }
    return st;
}

double ReadDouble(const Bind& bind)
{
    double value = 0;
    if (bind.type == SQLT_FLT && bind.length == 8)
        std::memcpy(&value, bind.value, 8);
    return value;
}

void WriteDouble(const Bind& bind, double value)
{
    if (bind.type == SQLT_FLT && bind.length == 8)
        std::memcpy(bind.value, &value, 8);
    if (bind.indicator)
        *bind.indicator = 0;
}

std::string NumberText(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.15g", v);
    return text;
}

// Puts one cell into row `row` of a define, converting as the server would.
void Deliver(const Column& column, const Cell& cell, const Define& d, std::size_t row)
{
    ub1* target = d.buffer + row * static_cast<std::size_t>(d.length);
    auto set = [&](sb2 indicator, ub2 length, ub2 code) {
        if (d.indicators)
            d.indicators[row] = indicator;
        if (d.lengths)
            d.lengths[row] = length;
        if (d.codes)
            d.codes[row] = code;
    };
    if (cell.null) {
        // Leave bytes behind that only the returned length tells apart.
        std::memset(target, 0x41, static_cast<std::size_t>(d.length));
        set(-1, 0, OCI_NULL_FETCHED);
        return;
    }
    switch (d.type) {
    case SQLT_FLT: {
        const double v = column.type == SQLT_NUM ? cell.number : std::strtod(cell.text.c_str(), nullptr);
        if (d.length == 4) {
            const float f = static_cast<float>(v);
            std::memcpy(target, &f, 4);
        } else {
            std::memcpy(target, &v, 8);
        }
        set(0, static_cast<ub2>(d.length), 0);
        break;
    }
    case SQLT_INT: {
        const std::int32_t v = static_cast<std::int32_t>(column.type == SQLT_NUM || column.type == SQLT_LNG
                                                              ? cell.number
                                                              : std::strtol(cell.text.c_str(), nullptr, 10));
        std::memcpy(target, &v, 4);
        set(0, 4, 0);
        break;
    }
    case SQLT_DAT:
        std::memcpy(target, cell.date.data(), 7);
        set(0, 7, 0);
        break;
    case SQLT_STR: {
        std::string v = column.type == SQLT_NUM || column.type == SQLT_LNG ? NumberText(cell.number) : cell.text;
        if (column.type == SQLT_AFC && v.size() < static_cast<std::size_t>(column.size))
            v.resize(static_cast<std::size_t>(column.size), ' ');
        const std::size_t room = static_cast<std::size_t>(std::max(d.length - 1, 0));
        const std::size_t n = std::min(v.size(), room);
        std::memcpy(target, v.data(), n);
        target[n] = 0;
        set(n < v.size() ? static_cast<sb2>(v.size()) : 0, static_cast<ub2>(n), n < v.size() ? OCI_TRUNCATED : 0);
        break;
    }
    default: {
        const std::size_t n = std::min(cell.text.size(), static_cast<std::size_t>(d.length));
        std::memcpy(target, cell.text.data(), n);
        set(0, static_cast<ub2>(n), 0);
        break;
    }
    }
}

} // namespace

FAKE_EXPORT int fakeoci_stat(const char* name)
{
    const std::string n = name ? name : "";
    if (n == "opinit_calls")
        return s_opinitCalls;
    if (n == "opinit_mode")
        return s_opinitMode;
    if (n == "commits")
        return s_commits;
    if (n == "breaks")
        return s_breaks;
    if (n == "nb_calls")
        return s_nbCalls;
    if (n == "cursors")
        return s_cursors;
    if (n == "parse_flags")
        return s_lastParseFlags;
    if (n == "sessions") {
        std::lock_guard guard(s_lock);
        return static_cast<int>(s_sessions.size());
    }
    return -1;
}

// Makes the next `count` opinit calls fail.
FAKE_EXPORT void fakeoci_fail_opinit(int count) { s_failOpinit = count; }

FAKE_EXPORT sword opinit(ub4 mode)
{
    ++s_opinitCalls;
    if (s_failOpinit > 0) {
        --s_failOpinit;
        return -1;
    }
    s_opinitMode = static_cast<int>(mode);
    return 0;
}

FAKE_EXPORT sword olog(Lda_Def* lda, ub1* hda, text* uid, sword uidl, text* pswd, sword pswdl, text* conn,
                       sword connl, ub4 mode)
{
    if (!lda || !hda || mode != OCI_LM_DEF)
        return Fail(lda, 1012);
    std::string user = Arg(uid, uidl), password = Arg(pswd, pswdl), database = Arg(conn, connl);
    if (!pswd) {
        if (const auto at = user.find('@'); at != std::string::npos) {
            database = user.substr(at + 1);
            user.erase(at);
        }
        if (const auto slash = user.find('/'); slash != std::string::npos) {
            password = user.substr(slash + 1);
            user.erase(slash);
        }
    }
    database = Lower(database);
    Session session;
    if (database.empty() || database == "demo")
        session.version = "10.2.0.1.0";
    else if (database == "legacy")
        session.version = "7.3.4.0.0";
    else if (database == "down")
        return Fail(lda, 1034);
    else
        return Fail(lda, 12154);
    if (Lower(user) != "scott" || Lower(password) != "tiger")
        return Fail(lda, 1017);
    std::lock_guard guard(s_lock);
    const int id = s_nextSession++;
    s_sessions[id] = session;
    lda->rcs3 = id;
    lda->rcsp = &s_sessions[id];
    return Ok(lda);
}

FAKE_EXPORT sword ologof(Lda_Def* lda)
{
    if (!lda || !lda->rcsp)
        return Fail(lda, 1012);
    std::lock_guard guard(s_lock);
    s_sessions.erase(lda->rcs3);
    lda->rcsp = nullptr;
    lda->rcs3 = 0;
    return Ok(lda);
}

FAKE_EXPORT sword oopen(Cda_Def* cursor, Lda_Def* lda, text*, sword, sword, text*, sword)
{
    if (!cursor)
        return -1001;
    if (!lda || !lda->rcsp)
        return Fail(cursor, 1012);
    cursor->rcsp = new Cursor{lda->rcs3, std::nullopt, {}, {}, false, 0};
    ++s_cursors;
    return Ok(cursor);
}

FAKE_EXPORT sword oclose(Cda_Def* cursor)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    delete static_cast<Cursor*>(cursor->rcsp);
    cursor->rcsp = nullptr;
    --s_cursors;
    return Ok(cursor);
}

FAKE_EXPORT sword oparse(Cda_Def* cursor, text* sqlstm, sb4 sqllen, sword defflg, ub4 lngflg)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    Session session;
    {
        std::lock_guard guard(s_lock);
        const auto found = s_sessions.find(c->session);
        if (found == s_sessions.end())
            return Fail(cursor, 1012);
        session = found->second;
    }
    s_lastParseFlags = static_cast<int>(defflg * 10 + lngflg);
    c->statement = Build(Arg(sqlstm, sqllen), session);
    c->binds.clear();
    c->defines.clear();
    c->executed = false;
    c->next = 0;
    cursor->rpc = 0;
    if (!c->statement)
        return Fail(cursor, Lower(Arg(sqlstm, sqllen)).rfind("select", 0) == 0 ? 942 : 900);
    return Ok(cursor);
}

FAKE_EXPORT sword odescr(Cda_Def* cursor, sword pos, sb4* dbsize, sb2* dbtype, sb1* cbuf, sb4* cbufl, sb4* dsize,
                         sb2* prec, sb2* scale, sb2* nullok)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    if (!c->statement || pos < 1 || static_cast<std::size_t>(pos) > c->statement->columns.size())
        return Fail(cursor, OCI_VAR_NOT_IN_LIST);
    const Column& column = c->statement->columns[static_cast<std::size_t>(pos - 1)];
    if (dbsize)
        *dbsize = column.size;
    if (dbtype)
        *dbtype = column.type;
    if (cbuf && cbufl) {
        const auto n = std::min<std::size_t>(column.name.size(), static_cast<std::size_t>(std::max(*cbufl, 0)));
        std::memcpy(cbuf, column.name.data(), n);
        *cbufl = static_cast<sb4>(n);
    }
    if (dsize)
        *dsize = column.size;
    if (prec)
        *prec = column.precision;
    if (scale)
        *scale = column.scale;
    if (nullok)
        *nullok = 1;
    return Ok(cursor);
}

FAKE_EXPORT sword oerhms(Lda_Def*, sb2 rcode, text* buf, sword bufsiz)
{
    if (!buf || bufsiz <= 0)
        return 0;
    const int code = static_cast<ub2>(rcode);
    const char* message = Message(code);
    char text[256];
    if (message)
        std::snprintf(text, sizeof text, "ORA-%05d: %s\n", code, message);
    else
        std::snprintf(text, sizeof text, "ORA-%05d: Message %d not found\n", code, code);
    const std::size_t n = std::min(std::strlen(text), static_cast<std::size_t>(bufsiz - 1));
    std::memcpy(buf, text, n);
    buf[n] = 0;
    return static_cast<sword>(n);
}

FAKE_EXPORT sword obndrv(Cda_Def* cursor, text* sqlvar, sword sqlvl, ub1* progv, sword progvl, sword ftype, sword,
                         sb2* indp, text*, sword, sword)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    std::string name = Lower(Arg(sqlvar, sqlvl));
    if (name.empty() || !c->statement)
        return Fail(cursor, 1036);
    if (name[0] != ':')
        name.insert(0, ":");
    if (c->statement->text.find(name) == std::string::npos)
        return Fail(cursor, 1036);
    c->binds[name] = Bind{progv, progvl, ftype, indp};
    return Ok(cursor);
}

FAKE_EXPORT sword oexec(Cda_Def* cursor)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    if (!SessionAlive(c->session))
        return Fail(cursor, 1012);
    if (!c->statement)
        return Fail(cursor, 1003);
    cursor->rpc = 0;
    switch (c->statement->kind) {
    case Kind::Query:
    case Kind::FetchError:
        c->executed = true;
        c->next = 0;
        break;
    case Kind::Dml:
        cursor->rpc = 3;
        break;
    case Kind::Submit: {
        const auto job = c->binds.find(":jobno");
        if (job == c->binds.end())
            return Fail(cursor, 1008);
        WriteDouble(job->second, s_nextJob++);
        cursor->rpc = 1;
        break;
    }
    case Kind::Arithmetic: {
        const auto a = c->binds.find(":a"), b = c->binds.find(":b");
        if (a == c->binds.end() || b == c->binds.end())
            return Fail(cursor, 1008);
        WriteDouble(a->second, ReadDouble(a->second) * 10 + ReadDouble(b->second));
        cursor->rpc = 1;
        break;
    }
    }
    return Ok(cursor);
}

FAKE_EXPORT sword ocom(Lda_Def* lda)
{
    if (!lda || !lda->rcsp)
        return Fail(lda, 1012);
    ++s_commits;
    return Ok(lda);
}

FAKE_EXPORT sword odefin(Cda_Def* cursor, sword pos, ub1* buf, sword bufl, sword ftype, sword, sb2* indp, text*,
                         sword, sword, ub2* rlen, ub2* rcode)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    if (!c->statement || pos < 1 || static_cast<std::size_t>(pos) > c->statement->columns.size() || !buf)
        return Fail(cursor, OCI_VAR_NOT_IN_LIST);
    c->defines[pos] = Define{buf, bufl, ftype, indp, rlen, rcode};
    return Ok(cursor);
}

FAKE_EXPORT sword ofen(Cda_Def* cursor, sword nrows)
{
    if (!cursor || !cursor->rcsp)
        return Fail(cursor, 1001);
    auto* c = static_cast<Cursor*>(cursor->rcsp);
    if (!c->executed || !c->statement)
        return Fail(cursor, 1002);
    if (c->statement->kind == Kind::FetchError)
        return Fail(cursor, 1722);
    const auto& rows = c->statement->rows;
    const std::size_t wanted = static_cast<std::size_t>(std::max(nrows, 0));
    const std::size_t n = std::min(wanted, rows.size() - c->next);
    for (std::size_t r = 0; r < n; ++r)
        for (const auto& [pos, define] : c->defines)
            Deliver(c->statement->columns[static_cast<std::size_t>(pos - 1)],
                    rows[c->next + r][static_cast<std::size_t>(pos - 1)], define, r);
    c->next += n;
    cursor->rpc += static_cast<ub4>(n);
    if (n < wanted)
        return Fail(cursor, OCI_NO_DATA_FOUND);
    return Ok(cursor);
}

#ifndef FAKEOCI_NO_NB
FAKE_EXPORT sword onbtst(Lda_Def* lda)
{
    ++s_nbCalls;
    return Fail(lda, 3128);
}

FAKE_EXPORT sword onbset(Lda_Def* lda)
{
    ++s_nbCalls;
    return Ok(lda);
}
#endif

FAKE_EXPORT sword obreak(Lda_Def* lda)
{
    if (!lda || !lda->rcsp)
        return Fail(lda, 1012);
    ++s_breaks;
    return Ok(lda);
}
