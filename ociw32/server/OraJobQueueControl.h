#pragma once
// Starting, finding and waiting for a database's job queue process. The
// process holds an exclusive flock on <SID>.cjq for as long as it runs: a
// caller that can take that lock knows none runs. The starter takes the lock
// itself and hands it to the process it starts, so two starters never make
// two queues.

#include "ociw32/server/OraServer.h"

#include <chrono>
#include <string>

namespace VkOracle {

// The hidden command line word of oradmin that runs a queue process.
constexpr const char* kQueueProcessCommand = "queue-process";

// Whether the database's queue process runs now.
bool OraJobQueueRunning(const OraDatabaseRef& db);
// Starts the database's queue process when none runs; detached, it outlives
// the caller. False when it had to be started and could not (logged).
bool OraStartJobQueue(const OraDatabaseRef& db);
// Waits until no queue process runs, at most `limit`; true when none runs.
bool OraWaitJobQueueEnded(const OraDatabaseRef& db, std::chrono::milliseconds limit);
// The process id the running queue wrote into its lock file; 0 when none runs.
int OraJobQueuePid(const OraDatabaseRef& db);
// Whether a process still runs: it exists and is no zombie (a killed process
// not yet reaped by its parent has ended all the same).
bool OraProcessAlive(int pid);
// Waits until the process has ended (see OraProcessAlive), at most `limit`.
// Its locks are released a little before that, while it exits, and its
// sessions count as live until then.
bool OraWaitProcessEnded(int pid, std::chrono::milliseconds limit);
// The program that runs queue processes: oradmin beside this module or in
// ../bin; empty when there is none.
std::string OraJobQueueProgram();

} // namespace VkOracle
