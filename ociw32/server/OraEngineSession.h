#pragma once
// One logged-on session of the embedded server: parses Oracle SQL through
// the front end, runs DDL at parse time as Oracle does, and hands out
// statements that share its connection.

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"

#include <memory>

namespace VkOracle {

class OraEngineSession final : public OraSession {
public:
    explicit OraEngineSession(std::shared_ptr<OraSessionCore> core);
    ~OraEngineSession() override;

    OraResult Parse(const std::string& sql, std::unique_ptr<OraStatement>* statement) override;
    OraResult Commit() override;
    OraResult Rollback() override;
    void Break() override;
    std::string ServerVersion() const override;

private:
    OraResult ParseNow(const std::string& sql, std::unique_ptr<OraStatement>* statement);
    std::shared_ptr<OraSessionCore> m_core;
};

// Parses a statement on a session's core: what Parse does, for the PL/SQL
// interpreter's embedded SQL.
OraResult ParseOnCore(const std::shared_ptr<OraSessionCore>& core, const std::string& sql,
                      std::unique_ptr<OraStatement>* statement);

// Runs one SQL statement on a session to completion (DDL, DML, or a query
// whose rows are dropped). For provisioning and tests.
OraResult RunSql(OraSession& session, const std::string& sql, uint64_t* rows = nullptr);

} // namespace VkOracle
