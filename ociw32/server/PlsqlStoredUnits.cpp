// Stored units as CREATE and their callers see them: the compile-time
// checks of a unit, its status, compiling an INVALID unit again when it is
// referenced, and the table types of parameters.
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlParser.h"
#include "ociw32/server/SqliteUtil.h"

namespace VkOracle {

bool PlsqlInterpreter::IsInvalid(const std::string& owner, const std::string& name, const std::string& type) const
{
    SqliteStmt q(m_core->Db(), "SELECT 1 FROM cat_objects WHERE owner = ? AND object_name = ? AND object_type = ?"
                               " AND status = 'INVALID'");
    q.Bind(1, owner).Bind(2, name).Bind(3, type);
    return q.Step();
}

bool PlsqlInterpreter::SiblingMember(const std::string& name, bool function, OraObjectRef* package) const
{
    const PlsqlUnit& body = *m_frames.back().unit;
    const size_t dot = body.package.find('.');
    if (dot == std::string::npos)
        return false;
    for (const PlsqlSubprogram& s : body.subprograms) {
        if (s.name == name && s.isFunction == function) {
            package->found = true;
            package->owner = body.package.substr(0, dot);
            package->name = body.package.substr(dot + 1);
            package->type = "PACKAGE";
            return true;
        }
    }
    return false;
}

std::vector<PlsqlCompileError> PlsqlInterpreter::CheckStored(const PlsqlUnit& unit, const std::string& owner)
{
    std::vector<PlsqlCompileError> errors;
    // Statements report into `errors` and checking goes on after them.
    struct Collecting {
        std::vector<PlsqlCompileError>*& slot;
        std::vector<PlsqlCompileError>* const outer;
        ~Collecting() { slot = outer; }
    } collecting{m_collected, m_collected};
    m_collected = &errors;
    auto keep = [&](size_t token, auto&& check) {
        try {
            check();
        } catch (const CompileFailure& f) {
            errors.insert(errors.end(), f.entries.begin(), f.entries.end());
        } catch (const PlsqlRaise& e) {
            // What cannot be looked up (another unit that does not parse, say).
            const int pos = token < unit.tokens.size() ? unit.tokens[token].pos : 0;
            errors.push_back({pos, e.message.substr(0, e.message.find('\n'))});
        } catch (const ReturnSignal&) {
        } catch (const LoopExit&) {
        }
    };
    // Names resolve in the owner's schema, as when the unit runs.
    OraCatalog& catalog = m_core->Catalog();
    const std::string schema = catalog.Schema();
    catalog.SetSchema(owner);
    PlsqlScope package;
    if (!unit.package.empty()) {
        const std::string name = unit.package.substr(unit.package.find('.') + 1);
        std::shared_ptr<PlsqlUnit> header = HeaderUnit(owner, name);
        m_frames.push_back(Frame{header.get(), 0, true, 0});
        keep(0, [&] { Declare(header->block, &package); });
        m_frames.pop_back();
        errors.clear(); // the header's own errors are the header's
        m_frames.push_back(Frame{&unit, 0, true, 0});
        keep(0, [&] {
            Declare(unit.block, &package);
            RunList(unit.block.body, &package);
        });
        m_frames.pop_back();
    }
    const std::string packageName = unit.package.empty() ? std::string() : unit.package.substr(unit.package.find('.') + 1);
    for (const PlsqlSubprogram& sub : unit.subprograms) {
        PlsqlScope root;
        root.parent = &package;
        m_frames.push_back(Frame{&unit, sub.token, true, 0});
        keep(sub.token, [&] {
            for (const PlsqlParam& param : sub.params) {
                PlsqlVar v;
                if (!TableParameter(param, owner, packageName, &v))
                    v.base = BaseOfType(param.type);
                v.constant = param.mode == "IN";
                root.vars[param.name] = v;
            }
            if (sub.isFunction) {
                PlsqlVar r;
                r.base = BaseOfType(sub.returnType);
                root.vars["%RESULT"] = r;
            }
            RunBlock(sub.block, &root);
        });
        m_frames.pop_back();
    }
    catalog.SetSchema(schema);
    return errors;
}

bool PlsqlInterpreter::Revalidate(const std::string& owner, const std::string& name, const std::string& type)
{
    const std::string key = owner + "." + name + "." + type;
    if (m_revalidating.count(key))
        return true; // units that call each other compile together
    sqlite3* db = m_core->Db();
    PlsqlUnit unit;
    {
        SqliteStmt q(db, "SELECT text FROM cat_source WHERE owner = ? AND name = ? AND type = ?");
        q.Bind(1, owner).Bind(2, name).Bind(3, type);
        PlsqlCompileError error;
        if (!q.Step() || !PlsqlParser::ParseStored(q.Text(0), &unit, &error))
            return false;
    }
    unit.label = owner + "." + name;
    if (type == "PACKAGE BODY")
        unit.package = unit.label;
    m_revalidating.insert(key);
    const bool compiles = CheckStored(unit, owner).empty();
    m_revalidating.erase(key);
    if (!compiles)
        return false;
    // Kept when the session can write now; otherwise it is compiled again next time.
    m_core->WatchCatalogWrites();
    SqliteStmt valid(db, "UPDATE cat_objects SET status = 'VALID' WHERE owner = ? AND object_name = ? AND object_type = ?");
    valid.Bind(1, owner).Bind(2, name).Bind(3, type);
    if (valid.Run()) {
        SqliteStmt clear(db, "DELETE FROM cat_errors WHERE owner = ? AND name = ? AND type = ?");
        clear.Bind(1, owner).Bind(2, name).Bind(3, type);
        clear.Run();
    }
    return true;
}

bool PlsqlInterpreter::TableParameter(const PlsqlParam& param, const std::string& owner, const std::string& package,
                                      PlsqlVar* var)
{
    PlsqlScope none;
    const PlsqlVar* type = nullptr;
    PlsqlScope found;
    if (param.type.find('.') != std::string::npos) {
        type = TableType(param.type, &none);
    } else if (!package.empty()) {
        // A type of the subprogram's own package, in its header or body.
        std::vector<std::shared_ptr<PlsqlUnit>> units{HeaderUnit(owner, package)};
        try {
            units.push_back(StoredUnit(owner, package, "PACKAGE BODY"));
        } catch (const PlsqlRaise&) {
        }
        for (const std::shared_ptr<PlsqlUnit>& u : units)
            for (size_t k = 0; u && k < u->block.decls.size() && !type; ++k)
                if (u->block.decls[k].type == "TYPE" && u->block.decls[k].name == param.type &&
                    DeclareCollection(u->block.decls[k], &found))
                    type = &found.vars[param.type];
    }
    if (!type)
        return false;
    var->collection = true;
    var->base = type->base;
    var->maxLength = type->maxLength;
    return true;
}

} // namespace VkOracle
