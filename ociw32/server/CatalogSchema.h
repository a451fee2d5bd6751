#pragma once
// The catalogue inside a database file: the tables that hold users,
// objects, columns, constraints, privileges and jobs, and the data
// dictionary views Oracle shows over them (described by catalogue rows like
// any other view, their queries kept in code: see DictionaryViewQuery).

#include <string>

struct sqlite3;

namespace VkOracle {

// Creates the catalogue tables, SYS and SYSTEM, the roles, DUAL and the
// dictionary views for a server of the given version ("10.2.0.1.0"). Runs in
// one transaction; returns false with *error on failure.
bool CreateCatalog(sqlite3* db, const std::string& version, std::string* error);
// Gives a database made by an earlier build the tables, dictionary views and
// parameters added since (once: a level kept in cat_db says it is done).
// False, with *error, when the database could not be changed.
bool UpgradeCatalog(sqlite3* db, int major, std::string* error);
// Whether a database whose cat_db says this catalogue level needs
// UpgradeCatalog (a logon that read the level already asks here).
bool CatalogNeedsUpgrade(const std::string& level);

// Attaches the instance file (sessions, running jobs) as "inst"; false,
// with *error, when it cannot be attached or given its tables.
bool AttachInstance(sqlite3* db, const std::string& path, std::string* error);

// The query of a dictionary view ("ALL_OBJECTS", "V_$SESSION") as a server
// of that version shows it; empty when the name is none of them. SQLite
// never reads these at a connection's start: the compiler writes the query
// where a statement names the view.
std::string DictionaryViewQuery(const std::string& name, int major);
// sql with the catalogue's helper queries (cat_visible_objects,
// cat_my_grantees) written in where it names them.
std::string WithCatalogHelpers(std::string sql);

// Major version from a version text ("7.3.4.0.0" -> 7).
int MajorVersionOf(const std::string& version);

} // namespace VkOracle
