#pragma once
// Job queue processes: while a database's JOB_QUEUE_PROCESSES is above 0
// (ALTER SYSTEM SET JOB_QUEUE_PROCESSES = n), a background thread of this
// process wakes every JOB_QUEUE_INTERVAL seconds and runs the due, unbroken
// jobs in sessions of their owners, listed in DBA_JOBS_RUNNING meanwhile.
// A job being run (by any process) is claimed in the instance's running
// table first, so it never runs twice at once.

#include "ociw32/server/OraServer.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct sqlite3;

namespace VkOracle {

class OraJobQueue {
public:
    static OraJobQueue& Instance();
    ~OraJobQueue();

    // Starts the database's queue thread when its parameter (read on the
    // given connection to it) asks for one.
    void Ensure(const OraDatabaseRef& db, sqlite3* connection);
    // Stops the database's queue thread (shutdown).
    void Stop(const OraDatabaseRef& db);

    // One pass of the queue: runs every job due now once; the number run.
    // `whileEnabled`: stops before the next job once JOB_QUEUE_PROCESSES is 0.
    static int RunDueJobs(const OraDatabaseRef& db, bool whileEnabled = false);

private:
    struct Worker {
        std::thread thread;
        bool stop = false;
    };
    OraJobQueue() = default;
    void Loop(OraDatabaseRef db, Worker* worker);
    static bool Settings(const OraDatabaseRef& db, int* processes, int* interval);
    static void ReadSettings(sqlite3* connection, int* processes, int* interval);

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::map<std::string, std::unique_ptr<Worker>> m_workers;
};

} // namespace VkOracle
