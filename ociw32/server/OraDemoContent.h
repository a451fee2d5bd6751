#pragma once
// The demo users, schemas, rows and jobs, written as SQL run through the
// engine itself (the job rows go straight into the job table, which
// DBMS_JOB will own).

#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraSessionCore.h"

#include <memory>

namespace VkOracle {

// Loads the demo content unless SCOTT already exists. `sys` is a SYS session.
OraResult LoadDemoSchema(const std::shared_ptr<OraSessionCore>& sys);

} // namespace VkOracle
