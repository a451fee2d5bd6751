#include "ociw32/server/PlsqlStatement.h"
#include "ociw32/server/OraTransaction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraGuard.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkAscii.h"

#include <sqlite3.h>

namespace VkOracle {
namespace {
std::string NormalName(const std::string& name)
{
    std::string out;
    for (char c : name)
        if (c != ':')
            out += VkAsciiToUpper(c);
    return out;
}
} // namespace

OraResult PlsqlStatement::Parse(const std::shared_ptr<OraSessionCore>& core, const std::string& sql,
                                std::unique_ptr<OraStatement>* statement)
{
    auto unit = std::make_shared<PlsqlUnit>();
    PlsqlCompileError error;
    if (!PlsqlParser::ParseBlock(sql, unit.get(), &error))
        return OraResult{6550, PlsqlErrorMessage(sql, error.pos, error.text), error.pos};
    PlsqlInterpreter checker(core);
    OraResult r = checker.Check(*unit);
    if (!r.Ok())
        return r;
    statement->reset(new PlsqlStatement(core, std::move(unit)));
    return OraResult{};
}

PlsqlStatement::PlsqlStatement(std::shared_ptr<OraSessionCore> core, std::shared_ptr<PlsqlUnit> unit)
    : m_core(std::move(core)), m_unit(std::move(unit))
{
    for (const SqlToken& t : m_unit->tokens) {
        if (t.kind == TokKind::Bind && !m_values.count(t.text)) {
            m_values[t.text] = OraValue{};
            m_bound[t.text] = false;
            m_bindNames.push_back(t.text);
        }
    }
}

OraResult PlsqlStatement::Bind(const std::string& name, const OraValue& value)
{
    const std::string key = NormalName(name);
    auto it = m_values.find(key);
    if (it == m_values.end())
        return OraResult{1036, FormatOraError(1036), 0};
    it->second = value;
    m_bound[key] = true;
    return OraResult{};
}

OraResult PlsqlStatement::BoundValue(const std::string& name, OraValue* value) const
{
    auto it = m_values.find(NormalName(name));
    if (it == m_values.end())
        return OraResult{1036, FormatOraError(1036), 0};
    *value = it->second;
    return OraResult{};
}

OraResult PlsqlStatement::Execute(uint64_t* rowsProcessed)
{
    if (rowsProcessed)
        *rowsProcessed = 0;
    return GuardOra([&] {
        OraResult alive = m_core->CheckAlive();
        if (!alive.Ok())
            return alive;
        for (const auto& [name, bound] : m_bound)
            if (!bound)
                return OraResult{1008, FormatOraError(1008), 0};
        // A block is one statement: failing, it undoes its own work (back to
        // its last COMMIT), not the caller's earlier work.
        OraTransaction& transaction = m_core->Transaction();
        const auto mark = transaction.Mark();
        PlsqlInterpreter interpreter(m_core);
        m_core->SetInBlock(true);
        OraResult r = interpreter.Run(*m_unit, &m_values);
        m_core->SetInBlock(false);
        OraResult flushed = transaction.Flush();
        if (r.Ok() && !flushed.Ok())
            r = flushed;
        if (!r.Ok())
            transaction.RollbackToMark(mark);
        else if (rowsProcessed)
            *rowsProcessed = 1; // a block reports one "row" processed
        return r;
    });
}

OraResult PlsqlStatement::Fetch(std::vector<OraValue>*)
{
    return OraResult{1002, FormatOraError(1002), 0};
}

} // namespace VkOracle
