#pragma once
// The catalogue inside a database file: the tables that hold users,
// objects, columns, constraints, privileges and jobs, and the data
// dictionary views Oracle shows over them (as SQLite views named
// "SYS.<VIEW>", described by catalogue rows like any other view).

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

// Attaches the instance file (sessions, running jobs) as "inst" and creates
// the connection's TEMP views over it (V$SESSION, DBA_JOBS_RUNNING).
bool AttachInstance(sqlite3* db, const std::string& path, int major, std::string* error);

// Major version from a version text ("7.3.4.0.0" -> 7).
int MajorVersionOf(const std::string& version);

} // namespace VkOracle
