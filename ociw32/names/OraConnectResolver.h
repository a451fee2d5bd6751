#pragma once
// From a connect string to a database folder, as the client's name layer
// does it: the alias from tnsnames.ora under the registered Oracle home (or a
// descriptor given in parentheses, or for an empty string the registry's
// LOCAL alias), one of its addresses on this machine, its SID or SERVICE_NAME.

#include "ociw32/server/OraServer.h"

#include <string>

namespace VkOracle {

// 0 with *db filled, or ORA-12154 (unknown alias, no home, no tnsnames.ora),
// ORA-12541 (no address on this machine), ORA-12560 (no usable protocol, no
// default database), ORA-12504 (no SID or SERVICE_NAME), ORA-12505/12514
// (the SID or service has no database under the home).
OraResult ResolveOraConnect(const std::string& connect, OraDatabaseRef* db);

// Whether a TCP host names this machine (localhost, loopback addresses, this
// machine's host name with or without its domain).
bool IsThisMachine(const std::string& host);

} // namespace VkOracle
