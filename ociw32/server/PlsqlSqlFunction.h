#pragma once
// Stored functions called from SQL: the SQL compiler turns a call of the
// schema's function into ora_plsql_function(owner, name, type tags,
// arguments...), which runs it on the session's PL/SQL interpreter.

#include "ociw32/server/SqlType.h"

#include <string>

struct sqlite3;

namespace VkOracle {

class OraCatalog;
class OraSessionCore;

// Registers ora_plsql_function on the session's connection.
void RegisterPlsqlSqlFunction(sqlite3* db, OraSessionCore* core);

// The SQL type a stored function returns (from its RETURN clause).
SqlType PlsqlFunctionReturnType(const OraCatalog& catalog, const std::string& owner, const std::string& name);

} // namespace VkOracle
