#pragma once
// What PL/SQL keeps for the life of a session: DBMS_OUTPUT's buffer and the
// packages' variables (each package initialised once per session).

#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlOutputBuffer.h"

#include <map>
#include <memory>
#include <string>

namespace VkOracle {

class OraSessionCore;

struct PlsqlPackageState {
    std::string owner;
    std::string name;
    std::shared_ptr<PlsqlUnit> header;
    std::shared_ptr<PlsqlUnit> body; // null for a package without a body
    PlsqlScope scope;    // the package's variables, header and body, once initialised
    bool initialised = false;
    PlsqlScope declared; // the package header's variables as compile-time checks see them
    bool checked = false;
};

struct PlsqlSessionState {
    PlsqlOutputBuffer output;
    std::map<std::string, std::unique_ptr<PlsqlPackageState>> packages; // by "OWNER.NAME"

    // The session's state, made on first use.
    static PlsqlSessionState& Of(OraSessionCore& core);
};

} // namespace VkOracle
