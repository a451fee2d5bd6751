#pragma once
// A parsed PL/SQL anonymous block as a statement of the call interface:
// checked at parse, run by Execute, its host binds readable afterwards
// (OUT and IN OUT values).

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlAst.h"

#include <map>
#include <memory>

namespace VkOracle {

class PlsqlStatement final : public OraStatement {
public:
    // Parses and checks `sql`; on failure *statement stays empty.
    static OraResult Parse(const std::shared_ptr<OraSessionCore>& core, const std::string& sql,
                           std::unique_ptr<OraStatement>* statement);

    OraStatementKind Kind() const override { return OraStatementKind::Block; }
    int FunctionCode() const override { return 34; }
    const std::vector<OraColumnDesc>& Columns() const override { return m_columns; }
    std::vector<std::string> BindNames() const override { return m_bindNames; }
    OraResult Bind(const std::string& name, const OraValue& value) override;
    OraResult Execute(uint64_t* rowsProcessed) override;
    OraResult Fetch(std::vector<OraValue>* row) override;
    OraResult BoundValue(const std::string& name, OraValue* value) const override;

private:
    PlsqlStatement(std::shared_ptr<OraSessionCore> core, std::shared_ptr<PlsqlUnit> unit);
    std::shared_ptr<OraSessionCore> m_core;
    std::shared_ptr<PlsqlUnit> m_unit;
    std::vector<OraColumnDesc> m_columns;
    std::vector<std::string> m_bindNames;
    std::map<std::string, OraValue> m_values;
    std::map<std::string, bool> m_bound;
};

} // namespace VkOracle
