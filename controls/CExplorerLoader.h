#pragma once
// Loads the children of one explorer node from the data dictionary. Runs on
// the explorer's worker thread with its session; knows nothing of windows.

#include "controls/CExplorerNode.h"

#include <string>
#include <vector>

namespace VkOracle {
class OCISession;
}

struct CExplorerLoadResult {
    std::vector<CExplorerNode> children;
    bool failed = false;
    int oracleError = 0;
    std::string error; // the server's message when failed
};

class CExplorerLoader {
public:
    // The statement that loads the last node of path (root first, the node
    // last), filled in from the node and its ancestors; empty when the node
    // has no query.
    static std::string Statement(const std::vector<CExplorerNode>& path, long majorVersion);
    // The fixed category items of a node of this kind.
    static std::vector<CExplorerNode> FixedChildren(ExplorerKind kind, long majorVersion);
    // Runs the node's statement and turns each row into a child item, each
    // with its own fixed children marked for loading as the tree shows them.
    static CExplorerLoadResult Load(VkOracle::OCISession& session, long majorVersion,
                                    const std::vector<CExplorerNode>& path);
};
