#pragma once
// The text a node of the schema explorer gives when dragged out: a SELECT
// for a table, a view or one of their columns, a ready-made PL/SQL block
// calling a procedure, function or package member, nothing otherwise.

#include "controls/CExplorerNode.h"

#include <string>
#include <vector>

class CExplorerDragText {
public:
    // path: the dragged node's ancestors, root first, then the node itself.
    // loaded: for a table or view the names of the loaded items under its
    // "Columns" node; for a callable object the descriptions of its loaded
    // argument items, in order. Empty text: the node cannot be dragged.
    static std::string Build(const std::vector<CExplorerNode>& path, const std::vector<std::string>& loaded);

    static std::string SelectText(const std::string& columns, const std::string& owner, const std::string& table);
    static std::string CallBlock(bool function, const std::string& objectName, const std::string& schema,
                                 const std::string& package, const std::vector<std::string>& arguments);
};
