// Package state: a package's variables live as long as the session, and
// its body's initialisation runs once, when the package is first used.
#include "ociw32/functions/OraErrors.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/PlsqlSessionState.h"

namespace VkOracle {

std::shared_ptr<PlsqlUnit> PlsqlInterpreter::HeaderUnit(const std::string& owner, const std::string& name)
{
    // A package header with what this interpreter does not run (types, say) still
    // lets its subprograms be called: it just has no variables here.
    try {
        if (std::shared_ptr<PlsqlUnit> header = StoredUnit(owner, name, "PACKAGE"))
            return header;
    } catch (const PlsqlRaise&) {
    }
    auto empty = std::make_shared<PlsqlUnit>();
    empty->label = owner + "." + name;
    empty->tokens.push_back(SqlToken{});
    return empty;
}

PlsqlPackageState& PlsqlInterpreter::Package(const std::string& owner, const std::string& name)
{
    PlsqlSessionState& session = PlsqlSessionState::Of(*m_core);
    std::unique_ptr<PlsqlPackageState>& p = session.packages[owner + "." + name];
    if (!p) {
        p = std::make_unique<PlsqlPackageState>();
        p->owner = owner;
        p->name = name;
    }
    if (!p->header) {
        p->header = HeaderUnit(owner, name);
        p->body = StoredUnit(owner, name, "PACKAGE BODY");
    }
    return *p;
}

void PlsqlInterpreter::InitialisePackage(PlsqlPackageState& p)
{
    if (p.initialised)
        return;
    // The package's own names resolve in its owner's schema.
    OraCatalog& catalog = m_core->Catalog();
    const std::string schema = catalog.Schema();
    catalog.SetSchema(p.owner);
    // A fresh scope (and serial): nothing compiled keeps a variable of a
    // failed earlier attempt.
    p.scope = PlsqlScope();
    try {
        m_frames.push_back(Frame{p.header.get(), 0, false, 0});
        Declare(p.header->block, &p.scope);
        m_frames.pop_back();
        if (p.body) {
            m_frames.push_back(Frame{p.body.get(), 0, false, 0});
            Declare(p.body->block, &p.scope);
            p.initialised = true; // the initialisation may use the package itself
            RunList(p.body->block.body, &p.scope);
            m_frames.pop_back();
        }
    } catch (PlsqlRaise& e) {
        e.message += "\n" + Where();
        m_frames.pop_back();
        catalog.SetSchema(schema);
        p.initialised = false;
        throw;
    } catch (...) {
        m_frames.pop_back();
        catalog.SetSchema(schema);
        p.initialised = false;
        throw;
    }
    catalog.SetSchema(schema);
    p.initialised = true;
}

PlsqlVar* PlsqlInterpreter::PackageVariable(const std::vector<std::string>& name)
{
    if (name.size() < 2 || name.size() > 3)
        return nullptr;
    OraCatalog& catalog = m_core->Catalog();
    const OraObjectRef ref = catalog.Resolve(std::vector<std::string>(name.begin(), name.end() - 1));
    if (!ref.found || ref.type != "PACKAGE")
        return nullptr;
    if (ref.owner != catalog.User() && !catalog.HasObjectPriv(ref, "EXECUTE"))
        return nullptr;
    PlsqlPackageState& p = Package(ref.owner, ref.name);
    bool declared = false;
    for (const PlsqlVarDecl& d : p.header->block.decls)
        declared = declared || (d.name == name.back() && d.type != "CURSOR");
    if (!declared)
        return nullptr;
    if (Checking()) {
        if (!p.checked) {
            const std::string schema = catalog.Schema();
            catalog.SetSchema(p.owner);
            m_frames.push_back(Frame{p.header.get(), 0, true, 0});
            try {
                Declare(p.header->block, &p.declared);
            } catch (...) {
                m_frames.pop_back();
                catalog.SetSchema(schema);
                throw;
            }
            m_frames.pop_back();
            catalog.SetSchema(schema);
            p.checked = true;
        }
        return p.declared.Find(name.back());
    }
    InitialisePackage(p);
    return p.scope.Find(name.back());
}

} // namespace VkOracle
