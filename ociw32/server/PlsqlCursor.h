#pragma once
// The run-time state of an explicit cursor: its open query and Oracle's
// attributes (%ISOPEN, %FOUND, %NOTFOUND, %ROWCOUNT).

#include "ociw32/server/OraServer.h"
#include "ociw32/server/PlsqlAst.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace VkOracle {

struct PlsqlCursor {
    const PlsqlVarDecl* decl = nullptr; // CURSOR name [(params)] IS query
    const PlsqlUnit* unit = nullptr;    // where the declaration is
    std::unique_ptr<OraStatement> statement; // set while open
    int64_t rowCount = 0;
    int found = -1; // -1 before the first fetch, else 0 or 1

    bool IsOpen() const { return statement != nullptr; }
};

} // namespace VkOracle
