#pragma once
// A database's job queue process (oradmin queue-process SID DIR): a
// coordinator that looks for due jobs every JOB_QUEUE_INTERVAL seconds and
// up to JOB_QUEUE_PROCESSES runners, each keeping its session from job to
// job. It ends when the database shuts down or its files disappear, and
// logs what it does (OraJobQueueLog).

#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraServer.h"
#include "ociw32/server/OraWalCheckpointer.h"

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace VkOracle {

class OraSessionCore;

class OraJobQueueProcess {
public:
    explicit OraJobQueueProcess(OraDatabaseRef db) : m_db(std::move(db)) {}
    ~OraJobQueueProcess();
    OraJobQueueProcess(const OraJobQueueProcess&) = delete;
    OraJobQueueProcess& operator=(const OraJobQueueProcess&) = delete;

    // Runs the queue until the database closes; the exit status (0, or 1
    // when another queue process runs or the database cannot be opened).
    // `inheritedLock`: the lock descriptor its starter took, or -1.
    int Run(int inheritedLock);

private:
    enum class Ending { None, Normal, Immediate, FilesGone };
    struct DueJob {
        int64_t job = 0;
        std::string owner;
    };

    bool TakeLock(int inheritedLock);
    Ending CheckEnding() const;
    // Reads the parameters; false when the coordinator's session is lost.
    bool ReadParameters(int* processes, int* interval);
    // Queues the due jobs not yet queued or running.
    void Scan();
    void Runner(size_t index);
    // One job in the runner's session (opened or switched to the owner);
    // the slot hands over the next job when its claim went with this run.
    void RunOne(size_t index, const DueJob& due, std::shared_ptr<OraSessionCore>* session, OraDbmsJob::QueueSlot* slot);
    void Stop(Ending ending);
    // Waits for a change in the database's folder, at most `ms`
    // milliseconds; true when the instance state was replaced or touched.
    bool WaitForChange(int ms);
    static const char* EndingText(Ending ending);

    OraDatabaseRef m_db;
    int m_lockFd = -1;
    int m_notifyFd = -1;
    std::shared_ptr<OraSessionCore> m_sys;
    std::unique_ptr<OraWalCheckpointer> m_checkpointer; // for the runners' sessions

    std::mutex m_lock; // guards the members below
    std::condition_variable m_wake;
    std::deque<DueJob> m_due;
    std::set<int64_t> m_queued;
    size_t m_processes = 0;
    bool m_stopping = false;
    std::vector<std::shared_ptr<OraSessionCore>> m_running; // per runner, while it runs a job
    std::vector<std::thread> m_runners;
    std::mutex m_writers; // the runners' own write transactions take turns here
};

} // namespace VkOracle
