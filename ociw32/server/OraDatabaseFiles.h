#pragma once
// Where a database keeps its files inside its folder, and the instance state
// every process reads: <dir>/<SID>.db is the SQLite file (WAL), and
// <dir>/<SID>.state holds "OPEN" or "SHUTDOWN" and the clock setting, so a
// shutdown or a pinned clock reaches sessions in every process.

#include "ociw32/functions/OraClock.h"
#include "ociw32/server/OraServer.h"

#include <string>

namespace VkOracle {

struct OraInstanceState {
    bool open = true;
    OraShutdownMode shutdown = OraShutdownMode::Normal; // how it was closed

    OraClockSetting clock;
};

std::string DatabaseFilePath(const OraDatabaseRef& db);
std::string StateFilePath(const OraDatabaseRef& db);
// Sessions and running jobs: <dir>/<SID>.inst, a SQLite file of its own.
std::string InstanceFilePath(const OraDatabaseRef& db);
bool DatabaseFileExists(const OraDatabaseRef& db);
// The job queue process: <dir>/<SID>.cjq holds its lock (and its pid),
// <dir>/<SID>.log is the log it appends to.
std::string QueueLockFilePath(const OraDatabaseRef& db);
std::string QueueLogFilePath(const OraDatabaseRef& db);

// A missing or unreadable state file reads as open with the system clock.
OraInstanceState ReadInstanceState(const OraDatabaseRef& db);
// Written to a temporary file and renamed over the old one.
bool WriteInstanceState(const OraDatabaseRef& db, const OraInstanceState& state);
// Tells the job queue process to look again (at its parameters and for due
// jobs) without changing the state: the file's times are set. False when
// there is no state file to touch.
bool SignalInstanceState(const OraDatabaseRef& db);

} // namespace VkOracle
