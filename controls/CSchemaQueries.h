#pragma once
// Every statement the schema explorer sends, by node kind and server
// version, and the fixed shape of the tree around them: which categories a
// node holds and which kind a query's rows become.

#include "controls/CExplorerNode.h"

#include <string>
#include <vector>

class CSchemaQueries {
public:
    // The statement template of a kind for a server of this major version;
    // null for a kind that has no query.
    static const char* Text(ExplorerKind kind, long majorVersion);
    // Replaces each "%s" of the template, in order, by the next argument;
    // quotes in an argument are doubled so that a name never ends the
    // literal it is placed in.
    static std::string Format(const char* text, const std::vector<std::string>& args);

    // The fixed child nodes of a kind (categories of a schema, the parts of
    // a table, view, link or user), in display order.
    static std::vector<ExplorerKind> FixedChildren(ExplorerKind kind, long majorVersion);
    // The caption of a category node ("Tables", "Granted Roles", ...).
    static const char* CategoryName(ExplorerKind kind);
    // The kind of the items a query of this kind gives.
    static ExplorerKind RowKind(ExplorerKind kind, const CExplorerNode& node);
    // Whether expanding an item of this kind asks the worker for children.
    static bool Loads(ExplorerKind kind);
    // The image index of an item (open for the expanded or selected
    // variant), or -1.
    static int Image(const CExplorerNode& node, bool open);
};
