#pragma once
// The schema explorer's node kinds and the data each tree item carries.
// Kinds below 100 are the ones the worker loads (or the rows they give);
// the numbers are shared with the request queue, where 1 and 2 are the
// connect and disconnect requests.

#include <string>

enum class ExplorerKind : int {
    Leaf = 0,
    Connect = 1,
    Disconnect = 2,
    Schemas = 5,
    Tables = 6,
    TableColumns = 7,
    Constraints = 8,
    Constraint = 9,
    TableTriggers = 10,
    TableTrigger = 11,
    TableIndexes = 12,
    TableIndex = 13,
    Triggers = 14,
    Indexes = 15,
    Index = 16,
    Clusters = 17,
    Views = 18,
    ViewColumns = 19,
    ViewTriggers = 20,
    Sequences = 21,
    Sequence = 22,
    Synonyms = 23,
    Synonym = 24,
    Procedures = 25,
    Procedure = 26,
    Functions = 27,
    Function = 28,
    Packages = 29,
    Package = 30,
    PackageMember = 31,
    Argument = 32,
    PackageBodies = 33,
    Types = 34,
    TypeBodies = 35,
    ObjectTables = 36,
    CollectionTypes = 37,
    JavaClasses = 38,
    JavaSource = 39,
    JavaResources = 40,
    Snapshots = 41,
    DatabaseLinks = 42,
    LinkUser = 43,
    Libraries = 44,
    Users = 45,
    GrantedRoles = 46,
    SystemPrivileges = 47,
    // Items whose children are fixed category nodes, never a query.
    Schema = 100,
    Table = 101,
    View = 102,
    DatabaseLink = 103,
    User = 104,
    // The search-condition variant of a constraint's query (no item has it).
    ConstraintCondition = 109,
    // An "ERROR: ..." item under a node whose query failed.
    Error = 110,
};

struct CExplorerNode {
    ExplorerKind kind = ExplorerKind::Leaf;
    std::string name;
    std::string description;
    std::string objectId;
    std::string status;
    std::string type; // TYPE or CONSTRAINT_TYPE of the row
    std::string overload;
    bool loaded = false;
};
