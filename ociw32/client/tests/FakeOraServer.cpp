#include "FakeOraServer.h"

#include "ociw32/functions/OraDate.h"
#include "ociw32/functions/OraErrors.h"
#include "platform/VkAscii.h"

#include <algorithm>
#include <map>

using namespace VkOracle;

namespace fake {

namespace {

OraResult Error(int code, int offset = 0)
{
    return OraResult{code, FormatOraError(code), offset};
}

OraValue Num(double d)
{
    OraValue v;
    v.kind = OraValue::Kind::Number;
    v.number = OraNumFromDouble(d);
    return v;
}

OraValue Txt(const std::string& s)
{
    OraValue v;
    v.kind = OraValue::Kind::Text;
    v.text = s;
    return v;
}

OraValue Date(int y, int mo, int d, int h, int mi, int s)
{
    OraValue v;
    v.kind = OraValue::Kind::Date;
    OraDateFromParts(OraDateParts{y, mo, d, h, mi, s}, &v.date);
    return v;
}

OraColumnDesc Col(const char* name, int type, int size, int prec = 0, int scale = 0, bool nullable = true)
{
    return OraColumnDesc{name, type, size, prec, scale, nullable};
}

struct SessionShared {
    FakeOraServer* server;
    std::atomic<bool> breakRequested{false};
};

class FakeStatement final : public OraStatement {
public:
    enum class Mode { Rows, Values, Echo, Dml, Ddl, Block, Slow, Lost, Killed };

    FakeStatement(Mode mode, SessionShared* shared, int count, std::vector<std::string> binds)
        : m_mode(mode), m_shared(shared), m_count(count), m_bindNames(std::move(binds))
    {
        switch (mode) {
        case Mode::Rows:
            m_columns = {Col("ID", 2, 22, 6, 0, false), Col("NAME", 1, 10), Col("NOTE", 1, 20),
                         Col("D", 12, 7)};
            break;
        case Mode::Values:
            m_columns = ValueColumns();
            break;
        case Mode::Echo:
            for (const std::string& b : m_bindNames)
                m_columns.push_back(Col(b.c_str(), 1, 4000));
            break;
        case Mode::Slow:
            m_columns = {Col("X", 2, 22)};
            break;
        default:
            break;
        }
    }

    OraStatementKind Kind() const override
    {
        switch (m_mode) {
        case Mode::Dml: return OraStatementKind::Update;
        case Mode::Ddl: return OraStatementKind::Ddl;
        case Mode::Block: return OraStatementKind::Block;
        case Mode::Lost: case Mode::Killed: return OraStatementKind::Update;
        default: return OraStatementKind::Query;
        }
    }
    int FunctionCode() const override
    {
        switch (Kind()) {
        case OraStatementKind::Query: return 4;
        case OraStatementKind::Update: return 5;
        case OraStatementKind::Ddl: return 1;
        case OraStatementKind::Block: return 34;
        default: return 0;
        }
    }
    const std::vector<OraColumnDesc>& Columns() const override { return m_columns; }
    std::vector<std::string> BindNames() const override { return m_bindNames; }
    OraResult Bind(const std::string& name, const OraValue& value) override
    {
        std::string key = VkAsciiUpper(name);
        if (!key.empty() && key[0] == ':')
            key.erase(0, 1);
        auto it = std::find(m_bindNames.begin(), m_bindNames.end(), key);
        if (it == m_bindNames.end())
            return Error(1036);
        m_bound[key] = value;
        return {};
    }
    OraResult Execute(uint64_t* rowsProcessed) override
    {
        *rowsProcessed = 0;
        m_next = 0;
        switch (m_mode) {
        case Mode::Dml: *rowsProcessed = static_cast<uint64_t>(m_count); return {};
        case Mode::Ddl: ++m_shared->server->ddlRuns; return {};
        case Mode::Lost: return Error(3113);
        case Mode::Killed: return Error(28);
        case Mode::Block:
            for (const std::string& b : m_bindNames) {
                if (b.rfind("OUT", 0) != 0)
                    continue;
                const OraValue& in = m_bound["IN" + b.substr(3)];
                OraValue out;
                if (in.kind == OraValue::Kind::Number)
                    out = Num(in.number.AsDouble() * 2);
                else if (in.kind == OraValue::Kind::Text)
                    out = Txt(in.text + in.text);
                else
                    out = in;
                m_bound[b] = out;
            }
            return {};
        default:
            return {};
        }
    }
    OraResult Fetch(std::vector<OraValue>* row) override
    {
        row->clear();
        switch (m_mode) {
        case Mode::Rows:
            if (m_next >= m_count)
                return Error(1403);
            ++m_next;
            row->push_back(Num(m_next));
            row->push_back(Txt("ROW" + std::to_string(m_next)));
            row->push_back(m_next % 3 == 0 ? OraValue{} : Txt("note " + std::to_string(m_next)));
            {
                OraValue d = Date(2001, 1, 1, 0, 0, 0);
                d.date += (m_next - 1) * kSecondsPerDay;
                row->push_back(d);
            }
            return {};
        case Mode::Values:
            if (m_next++ > 0)
                return Error(1403);
            *row = Values();
            return {};
        case Mode::Echo:
            if (m_next++ > 0)
                return Error(1403);
            for (const std::string& b : m_bindNames)
                row->push_back(m_bound[b]);
            return {};
        case Mode::Slow: {
            FakeOraServer* s = m_shared->server;
            std::unique_lock<std::mutex> lock(s->slowMutex);
            s->slowWaiting = true;
            s->slowStarted.notify_all();
            s->slowStarted.wait(lock, [&] { return m_shared->breakRequested.load(); });
            s->slowWaiting = false;
            m_shared->breakRequested = false;
            return Error(1013);
        }
        default:
            return Error(1002);
        }
    }
    OraResult BoundValue(const std::string& name, OraValue* value) const override
    {
        auto it = m_bound.find(VkAsciiUpper(name));
        if (it == m_bound.end())
            return Error(1036);
        *value = it->second;
        return {};
    }

private:
    Mode m_mode;
    SessionShared* m_shared;
    int m_count = 0;
    int m_next = 0;
    std::vector<std::string> m_bindNames;
    std::vector<OraColumnDesc> m_columns;
    std::map<std::string, OraValue> m_bound;
};

class FakeSession final : public OraSession {
public:
    explicit FakeSession(FakeOraServer* server) : m_shared{server} { ++server->liveSessions; }
    ~FakeSession() override { --m_shared.server->liveSessions; }

    OraResult Parse(const std::string& sqlText, std::unique_ptr<OraStatement>* statement) override
    {
        const std::string sql = VkAsciiUpper(sqlText);
        std::vector<std::string> binds;
        for (size_t i = 0; i < sql.size(); ++i) {
            if (sql[i] != ':')
                continue;
            size_t j = i + 1;
            while (j < sql.size() && (VkIsAsciiAlnum(sql[j]) || sql[j] == '_'))
                ++j;
            std::string name = sql.substr(i + 1, j - i - 1);
            if (!name.empty() && std::find(binds.begin(), binds.end(), name) == binds.end())
                binds.push_back(name);
            i = j;
        }
        using Mode = FakeStatement::Mode;
        auto make = [&](Mode m, int n = 0) {
            statement->reset(new FakeStatement(m, &m_shared, n, binds));
            return OraResult{};
        };
        if (sql.rfind("SELECT * FROM ROWS", 0) == 0)
            return make(Mode::Rows, std::atoi(sql.c_str() + 18));
        if (sql == "SELECT VALUES")
            return make(Mode::Values);
        if (sql == "SELECT SLOW")
            return make(Mode::Slow);
        if (sql.rfind("SELECT :", 0) == 0)
            return make(Mode::Echo);
        if (sql.rfind("SELECT FROM", 0) == 0)
            return Error(936, 7);
        if (sql.rfind("UPDATE ", 0) == 0)
            return make(Mode::Dml, std::atoi(sql.c_str() + 7));
        if (sql.rfind("CREATE ", 0) == 0)
            return make(Mode::Ddl);
        if (sql.rfind("BEGIN ", 0) == 0)
            return make(Mode::Block);
        if (sql == "LOST")
            return make(Mode::Lost);
        if (sql == "KILLED")
            return make(Mode::Killed);
        return Error(900);
    }
    OraResult Commit() override
    {
        ++m_shared.server->commits;
        return {};
    }
    OraResult Rollback() override { return {}; }
    void Break() override
    {
        std::lock_guard<std::mutex> lock(m_shared.server->slowMutex);
        m_shared.breakRequested = true;
        m_shared.server->slowStarted.notify_all();
    }
    std::string ServerVersion() const override { return "10.2.0.1.0"; }

private:
    SessionShared m_shared;
};

} // namespace

std::vector<OraValue> Values()
{
    return {Num(1234.5), Num(42), Txt("hello"), Date(2001, 1, 1, 1, 1, 1), OraValue{}, Txt("123"),
            Num(-0.5), Txt("abc")};
}

std::vector<OraColumnDesc> ValueColumns()
{
    return {Col("AMOUNT", 2, 22, 7, 2), Col("COUNT", 2, 22, 10, 0), Col("WORD", 1, 5),
            Col("WHEN", 12, 7), Col("NOTHING", 1, 10), Col("DIGITS", 96, 3), Col("HALF", 2, 22),
            Col("A_VERY_LONG_COLUMN_NAME_OF_30", 1, 3)};
}

OraResult FakeOraServer::Logon(const OraDatabaseRef& db, const std::string& user,
                               const std::string& password, std::unique_ptr<OraSession>* session)
{
    {
        std::lock_guard<std::mutex> lock(sidMutex);
        lastSid = db.sid;
    }
    if (VkAsciiUpper(db.sid) == "DOWN")
        return Error(1034);
    if (VkAsciiUpper(user) == "LOCKED")
        return Error(28000);
    if (VkAsciiUpper(user) != "SCOTT" || VkAsciiUpper(password) != "TIGER")
        return Error(1017);
    session->reset(new FakeSession(this));
    return {};
}

} // namespace fake
