#include "controls/CExplorerDragText.h"

#include "platform/VkAscii.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kReturnValue[] = "[return value]";

std::vector<std::string> SplitBlanks(const std::string& text)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : text) {
        if (c == ' ' || c == '\t') {
            if (!part.empty())
                parts.push_back(std::move(part));
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(std::move(part));
    return parts;
}

bool IsReturnValue(const std::string& description)
{
    return description.find(kReturnValue) != std::string::npos;
}

const CExplorerNode* Nearest(const std::vector<CExplorerNode>& path, ExplorerKind a, ExplorerKind b)
{
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        if (it->kind == a || it->kind == b)
            return &*it;
    }
    return nullptr;
}

} // namespace

std::string CExplorerDragText::SelectText(const std::string& columns, const std::string& owner, const std::string& table)
{
    return "Select " + columns + " from " + owner + "." + table;
}

std::string CExplorerDragText::CallBlock(bool function, const std::string& objectName, const std::string& schema,
                                         const std::string& package, const std::vector<std::string>& arguments)
{
    std::string text = "/* " + std::string(function ? "FUNCTION" : "PROCEDURE") + ": " + objectName
        + " (from SCHEMA " + schema + ") */\r\n\r\nDECLARE\r\n";
    const std::string shortName = objectName.substr(0, 10);
    std::string returnPrefix;
    std::vector<std::string> callVariables;
    for (const std::string& description : arguments) {
        const auto parts = SplitBlanks(description);
        if (IsReturnValue(description)) {
            if (parts.empty())
                continue;
            const std::string variable = "v_" + shortName + "_return";
            text += "\t" + variable + " " + parts.back() + ";\r\n";
            returnPrefix = variable + "\t:= ";
            continue;
        }
        if (parts.size() < 3)
            continue;
        std::string direction = VkAsciiLower(parts[1]);
        std::replace(direction.begin(), direction.end(), '/', '_');
        const std::string& type = parts[2];
        const std::string variable = direction + "_" + VkAsciiLower(parts[0]).substr(0, 10) + "_" + VkAsciiLower(type.substr(0, type.find('(')));
        if (direction == "out" || direction == "in_out")
            text += "\t" + variable + " " + type + ";\r\n";
        callVariables.push_back(variable);
    }
    std::string argumentList;
    for (size_t i = 0; i < callVariables.size(); ++i)
        argumentList += "\r\n\t\t" + callVariables[i] + (i + 1 < callVariables.size() ? " ," : " ");
    std::string qualifier = VkAsciiLower(schema);
    if (!package.empty())
        qualifier += "." + VkAsciiLower(package);
    text += "BEGIN\r\n\t" + returnPrefix + qualifier + "." + objectName + "(" + argumentList + ");\r\nEND;";
    return text;
}

std::string CExplorerDragText::Build(const std::vector<CExplorerNode>& path, const std::vector<std::string>& loaded)
{
    using K = ExplorerKind;
    if (path.empty())
        return {};
    const CExplorerNode& node = path.back();
    const CExplorerNode* schema = Nearest(path, K::Schema, K::Schema);
    const std::string owner = schema ? schema->name : std::string();
    switch (node.kind) {
    case K::Table:
    case K::View: {
        std::string columns;
        for (const auto& name : loaded)
            columns += (columns.empty() ? "" : ", ") + name;
        return SelectText(columns.empty() ? "*" : columns, owner, node.name);
    }
    case K::Leaf: {
        if (path.size() < 3)
            return {};
        const K parent = path[path.size() - 2].kind;
        if (parent != K::TableColumns && parent != K::ViewColumns)
            return {};
        return SelectText(node.name, owner, path[path.size() - 3].name);
    }
    case K::Procedure:
    case K::Function:
    case K::PackageMember: {
        bool function = node.kind == K::Function || (!node.type.empty() && node.type != "0");
        function = function || std::any_of(loaded.begin(), loaded.end(), IsReturnValue);
        const CExplorerNode* package = node.kind == K::PackageMember ? Nearest(path, K::Package, K::Package) : nullptr;
        return CallBlock(function, node.name, owner, package ? package->name : std::string(), loaded);
    }
    default:
        return {};
    }
}
