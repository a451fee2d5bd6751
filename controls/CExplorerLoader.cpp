#include "controls/CExplorerLoader.h"

#include "controls/CSchemaQueries.h"
#include "framework/OCISession.h"
#include "platform/VkAscii.h"

#include <algorithm>
#include <memory>

using VkOracle::OCISession;

namespace {

constexpr long kBatch = 100;

const CExplorerNode* Nearest(const std::vector<CExplorerNode>& path, std::initializer_list<ExplorerKind> kinds)
{
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if (std::find(kinds.begin(), kinds.end(), it->kind) != kinds.end())
            return &*it;
    }
    return nullptr;
}

// Identifiers and overloads go into the text unquoted, so only digits pass.
std::string Number(const std::string& text)
{
    if (text.empty() || !std::all_of(text.begin(), text.end(), VkIsAsciiDigit))
        return "NULL";
    return text;
}

bool SameName(const std::string& a, const char* b)
{
    return a.size() == std::char_traits<char>::length(b)
        && std::equal(a.begin(), a.end(), b, [](char x, char y) { return VkAsciiToUpper(x) == y; });
}

} // namespace

std::string CExplorerLoader::Statement(const std::vector<CExplorerNode>& path, long majorVersion)
{
    using K = ExplorerKind;
    if (path.empty())
        return {};
    const CExplorerNode& node = path.back();
    K kind = node.kind;
    if (kind == K::Constraint && node.type != "P" && node.type != "U" && node.type != "R")
        kind = K::ConstraintCondition;
    const char* text = CSchemaQueries::Text(kind, majorVersion);
    if (!text)
        return {};
    const CExplorerNode* owner = Nearest(path, {K::Schema, K::User});
    const std::string schema = owner ? owner->name : std::string();
    const CExplorerNode* table = Nearest(path, {K::Table, K::View});
    const std::string tableName = table ? table->name : std::string();

    std::vector<std::string> args;
    switch (kind) {
    case K::Schemas:
    case K::Users:
        break;
    case K::TableColumns:
    case K::Constraints:
    case K::TableTriggers:
    case K::TableIndexes:
    case K::ViewColumns:
    case K::ViewTriggers:
        args = {schema, tableName};
        break;
    case K::TableTrigger:
    case K::TableIndex:
        args = {schema, tableName, schema, node.name};
        break;
    case K::Constraint:
    case K::ConstraintCondition:
    case K::Index:
    case K::Sequence:
    case K::Synonym:
        args = {schema, node.name};
        break;
    case K::Procedure:
    case K::Function:
        args = {Number(node.objectId), node.name};
        break;
    case K::Package:
        args = {Number(node.objectId)};
        break;
    case K::PackageMember:
        args = {Number(node.objectId), node.name, Number(node.overload)};
        break;
    case K::LinkUser: {
        const CExplorerNode* link = Nearest(path, {K::DatabaseLink});
        args = {link ? link->name : std::string()};
        break;
    }
    default:
        args = {schema};
        break;
    }
    return CSchemaQueries::Format(text, args);
}

std::vector<CExplorerNode> CExplorerLoader::FixedChildren(ExplorerKind kind, long majorVersion)
{
    std::vector<CExplorerNode> nodes;
    for (ExplorerKind k : CSchemaQueries::FixedChildren(kind, majorVersion)) {
        CExplorerNode node;
        node.kind = k;
        node.name = CSchemaQueries::CategoryName(k);
        nodes.push_back(std::move(node));
    }
    return nodes;
}

CExplorerLoadResult CExplorerLoader::Load(OCISession& session, long majorVersion,
                                          const std::vector<CExplorerNode>& path)
{
    CExplorerLoadResult result;
    const std::string statement = Statement(path, majorVersion);
    if (statement.empty())
        return result;
    auto cursor = session.Cursor();
    std::unique_ptr<OCISession::OCIQueryData> data(cursor.Sql(statement.c_str()));
    auto fail = [&] {
        result.failed = true;
        result.oracleError = cursor.OracleError() != 0 ? cursor.OracleError() : session.OracleError();
        result.error = cursor.OracleError() != 0 ? cursor.Error() : session.Error();
        return result;
    };
    if (!data)
        return fail();

    int descColumn = data->Columns() > 1 ? 1 : -1;
    int idColumn = -1, statusColumn = -1, status2Column = -1, typeColumn = -1, overloadColumn = -1;
    for (int c = 0; c < data->Columns(); ++c) {
        const std::string& name = data->Column(c).Name();
        if (SameName(name, "FDESC"))
            descColumn = c;
        else if (SameName(name, "OBJECT_ID"))
            idColumn = c;
        else if (SameName(name, "STATUS"))
            statusColumn = c;
        else if (SameName(name, "STATUS2"))
            status2Column = c;
        else if (SameName(name, "TYPE") || SameName(name, "CONSTRAINT_TYPE"))
            typeColumn = c;
        else if (SameName(name, "OVERLOAD"))
            overloadColumn = c;
    }
    const ExplorerKind rowKind = CSchemaQueries::RowKind(path.back().kind, path.back());
    const std::string parentId = path.back().objectId;

    for (long rows = data->Fetch(kBatch);; rows = data->Fetch(kBatch)) {
        if (rows <= 0) {
            const int error = cursor.OracleError();
            if (error != 0 && error != OCI_NO_DATA_FOUND)
                return fail();
            break;
        }
        for (int row = 0; row < rows; ++row) {
            CExplorerNode child;
            child.kind = rowKind;
            child.name = data->GetString(row, 0);
            if (descColumn > 0)
                child.description = data->GetString(row, descColumn);
            if (idColumn >= 0)
                child.objectId = data->GetString(row, idColumn);
            if (statusColumn >= 0)
                child.status = data->GetString(row, statusColumn);
            if (status2Column >= 0 && child.status != "INVALID" && child.status != "DISABLED")
                child.status = data->GetString(row, status2Column).empty() ? child.status
                                                                         : data->GetString(row, status2Column);
            if (typeColumn >= 0)
                child.type = data->GetString(row, typeColumn);
            if (overloadColumn >= 0)
                child.overload = data->GetString(row, overloadColumn);
            // A package's members are found by the package's identifier.
            if (rowKind == ExplorerKind::PackageMember && child.objectId.empty())
                child.objectId = parentId;
            child.loaded = !CSchemaQueries::Loads(rowKind) && CSchemaQueries::FixedChildren(rowKind, majorVersion).empty();
            result.children.push_back(std::move(child));
        }
        if (rows < kBatch)
            break;
    }
    return result;
}
