#include "ociw32/server/PlsqlSqlFunction.h"

#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/OraEngineErrors.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/SqliteUtil.h"

#include <sqlite3.h>

namespace VkOracle {
namespace {

OraValue FromSqlite(sqlite3_value* v, bool date)
{
    OraValue out;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        if (date) {
            out.kind = OraValue::Kind::Date;
            out.date = sqlite3_value_int64(v);
        } else {
            out.kind = OraValue::Kind::Number;
            out.number = OraNumFromInt(sqlite3_value_int64(v));
        }
        break;
    case SQLITE_FLOAT:
        out.kind = OraValue::Kind::Number;
        out.number = OraNumFromDouble(sqlite3_value_double(v));
        break;
    case SQLITE_TEXT:
        out.kind = OraValue::Kind::Text;
        out.text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        if (out.text.empty())
            out.kind = OraValue::Kind::Null;
        break;
    default:
        break;
    }
    return out;
}

// ora_plsql_function(owner, name, tags, args...): tags has 'D' for each
// argument that is a DATE (SQLite keeps dates as integers).
void PlsqlFunctionFn(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    OraSessionCore* core = static_cast<OraSessionCore*>(sqlite3_user_data(ctx));
    const std::string owner = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const std::string name = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    const char* tagText = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
    const std::string tags = tagText ? tagText : "";
    if (core->m_recursiveSql >= OraSessionCore::kMaxRecursiveSql) {
        sqlite3_result_error(ctx, EngineErrorMessage(36, core->Major(), {std::to_string(OraSessionCore::kMaxRecursiveSql)}).c_str(), -1);
        return;
    }
    struct Level {
        int& n;
        ~Level() { --n; }
    } level{++core->m_recursiveSql};
    std::string block = "BEGIN :R := " + owner + "." + name;
    std::map<std::string, OraValue> binds;
    binds["R"] = OraValue{};
    for (int i = 3; i < argc; ++i) {
        const std::string bind = "A" + std::to_string(i - 2);
        block += (i == 3 ? "(:" : ", :") + bind;
        const size_t k = static_cast<size_t>(i - 3);
        binds[bind] = FromSqlite(argv[i], k < tags.size() && tags[k] == 'D');
    }
    block += argc > 3 ? "); END;" : "; END;";
    PlsqlUnit unit;
    PlsqlCompileError error;
    if (!PlsqlParser::ParseBlock(block, &unit, &error)) {
        sqlite3_result_error(ctx, "ORA-06575: Package or function is in an invalid state", -1);
        return;
    }
    // The interpreter shares the session without owning it.
    PlsqlInterpreter interpreter(std::shared_ptr<OraSessionCore>(core, [](OraSessionCore*) {}));
    {
        // SQL reports a function that does not compile in its own words.
        SqliteStmt invalid(core->Db(), "SELECT 1 FROM cat_objects WHERE owner = ? AND object_name = ?"
                                       " AND object_type = 'FUNCTION' AND status = 'INVALID'");
        invalid.Bind(1, owner).Bind(2, name);
        if (invalid.Step() && !interpreter.Revalidate(owner, name, "FUNCTION")) {
            sqlite3_result_error(ctx, ("ORA-06575: Package or function " + name + " is in an invalid state").c_str(), -1);
            return;
        }
    }
    OraResult r = interpreter.Check(unit);
    if (r.Ok())
        r = interpreter.Run(unit, &binds);
    if (!r.Ok()) {
        sqlite3_result_error(ctx, r.message.c_str(), -1);
        return;
    }
    const OraValue& v = binds["R"];
    switch (v.kind) {
    case OraValue::Kind::Null: sqlite3_result_null(ctx); break;
    case OraValue::Kind::Number:
        if (v.number.isInt)
            sqlite3_result_int64(ctx, v.number.i);
        else
            sqlite3_result_double(ctx, v.number.d);
        break;
    case OraValue::Kind::Text: sqlite3_result_text(ctx, v.text.c_str(), -1, SQLITE_TRANSIENT); break;
    case OraValue::Kind::Date: sqlite3_result_int64(ctx, v.date); break;
    }
}

} // namespace

void RegisterPlsqlSqlFunction(sqlite3* db, OraSessionCore* core)
{
    sqlite3_create_function_v2(db, "ora_plsql_function", -1, SQLITE_UTF8, core, PlsqlFunctionFn, nullptr, nullptr,
                               nullptr);
}

SqlType PlsqlFunctionReturnType(const OraCatalog& catalog, const std::string& owner, const std::string& name)
{
    SqliteStmt q(catalog.Db(), "SELECT text FROM cat_source WHERE owner = ? AND name = ? AND type = 'FUNCTION'");
    q.Bind(1, owner).Bind(2, name);
    PlsqlUnit unit;
    PlsqlCompileError error;
    if (!q.Step() || !PlsqlParser::ParseStored(q.Text(0), &unit, &error) || unit.subprograms.empty())
        return TextType(4000);
    const std::string& type = unit.subprograms[0].returnType;
    const std::string head = type.substr(0, type.find('('));
    if (head == "DATE")
        return DateType();
    if (head == "VARCHAR2" || head == "VARCHAR" || head == "CHAR" || head == "STRING" || head == "LONG")
        return TextType(4000);
    return NumberType();
}

} // namespace VkOracle
