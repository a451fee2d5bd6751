#pragma once
// The net service names the demo Oracle home ships in tnsnames.ora.

#include <string>
#include <vector>

namespace VkOracle {

struct OraDemoAlias {
    std::string name;
    std::string entry; // the alias's text in tnsnames.ora, with its comment
};

// DEMO, LEGACY, DOWN and REMOTE.
std::vector<OraDemoAlias> OraDemoAliases();
// The comment block at the head of a new tnsnames.ora.
std::string OraTnsNamesHeader(const std::string& file);
// An entry for a database created by "oradmin create".
std::string OraLocalAliasEntry(const std::string& sid, const std::string& version);

} // namespace VkOracle
