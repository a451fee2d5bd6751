#include "ociw32/server/PlsqlSessionState.h"

#include "ociw32/server/OraSessionCore.h"

namespace VkOracle {

PlsqlSessionState& PlsqlSessionState::Of(OraSessionCore& core)
{
    if (!core.m_plsql)
        core.m_plsql = std::make_shared<PlsqlSessionState>();
    return *core.m_plsql;
}

} // namespace VkOracle
