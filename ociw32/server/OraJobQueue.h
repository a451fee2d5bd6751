#pragma once
// Job queue processes: while a database's JOB_QUEUE_PROCESSES is above 0
// (ALTER SYSTEM SET JOB_QUEUE_PROCESSES = n), a background process of the
// database (OraJobQueueProcess, started here) runs the due, unbroken jobs,
// at most n at once, each in a session of its owner, listed in
// DBA_JOBS_RUNNING meanwhile. A job being run (by any process) is claimed in
// the instance's running table first, so it never runs twice at once.

#include "ociw32/server/OraServer.h"

struct sqlite3;

namespace VkOracle {

class OraJobQueue {
public:
    // Starts the database's queue process when its parameter (read on the
    // given connection to it) asks for one and none runs; never runs a job
    // in the caller. False when it had to be started and could not.
    static bool StartIfWanted(const OraDatabaseRef& db, sqlite3* connection);
    // The same with the parameter already read (a logon reads it with the
    // rest of what it needs).
    static bool StartIfWanted(const OraDatabaseRef& db, int processes);
    // The same for a caller without a connection (startup): opens one.
    static bool StartIfWanted(const OraDatabaseRef& db);

    // JOB_QUEUE_PROCESSES and JOB_QUEUE_INTERVAL as the connection reads
    // them (0 and 60 when unset).
    static void ReadParameters(sqlite3* connection, int* processes, int* interval);

    // One pass of the queue in the calling process (tests): runs every job
    // due now once; the number run.
    // `whileEnabled`: stops before the next job once JOB_QUEUE_PROCESSES is 0.
    static int RunDueJobs(const OraDatabaseRef& db, bool whileEnabled = false);
};

} // namespace VkOracle
