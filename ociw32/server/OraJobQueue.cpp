#include "ociw32/server/OraJobQueue.h"

#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/SqliteUtil.h"

#include <chrono>
#include <cstdlib>
#include <vector>

namespace VkOracle {

OraJobQueue& OraJobQueue::Instance()
{
    static OraJobQueue queue;
    return queue;
}

OraJobQueue::~OraJobQueue()
{
    std::map<std::string, std::unique_ptr<Worker>> workers;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (auto& [key, w] : m_workers)
            w->stop = true;
        workers.swap(m_workers);
    }
    m_wake.notify_all();
    for (auto& [key, w] : workers)
        if (w->thread.joinable())
            w->thread.join();
}

bool OraJobQueue::Settings(const OraDatabaseRef& db, int* processes, int* interval)
{
    std::shared_ptr<OraSessionCore> core;
    if (!OraSessionCore::OpenInternal(db, "SYS", &core).Ok())
        return false;
    ReadSettings(core->Db(), processes, interval);
    core->Close();
    return true;
}

void OraJobQueue::ReadSettings(sqlite3* connection, int* processes, int* interval)
{
    *processes = 0;
    *interval = 60;
    SqliteStmt q(connection, "SELECT key, value FROM cat_db WHERE key IN ('job_queue_processes', 'job_queue_interval')");
    while (q.Step()) {
        const int value = std::atoi(q.Text(1).c_str());
        (q.Text(0) == "job_queue_processes" ? *processes : *interval) = value;
    }
}

void OraJobQueue::Ensure(const OraDatabaseRef& db, sqlite3* connection)
{
    int processes = 0, interval = 60;
    ReadSettings(connection, &processes, &interval);
    if (processes <= 0)
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    std::unique_ptr<Worker>& w = m_workers[db.directory + "/" + db.sid];
    if (w)
        return;
    w = std::make_unique<Worker>();
    w->thread = std::thread(&OraJobQueue::Loop, this, db, w.get());
}

void OraJobQueue::Stop(const OraDatabaseRef& db)
{
    std::unique_ptr<Worker> w;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_workers.find(db.directory + "/" + db.sid);
        if (it == m_workers.end())
            return;
        it->second->stop = true;
        w = std::move(it->second);
        m_workers.erase(it);
    }
    m_wake.notify_all();
    if (w->thread.joinable() && w->thread.get_id() != std::this_thread::get_id())
        w->thread.join();
    else if (w->thread.joinable())
        w->thread.detach();
}

void OraJobQueue::Loop(OraDatabaseRef db, Worker* worker)
{
    for (;;) {
        int processes = 0, interval = 60;
        if (Settings(db, &processes, &interval) && processes > 0)
            RunDueJobs(db, true);
        std::unique_lock<std::mutex> lock(m_lock);
        // The queue's own timer: wakes early only to stop.
        m_wake.wait_for(lock, std::chrono::seconds(interval > 0 ? interval : 60), [worker] { return worker->stop; });
        if (worker->stop)
            return;
    }
}

int OraJobQueue::RunDueJobs(const OraDatabaseRef& db, bool whileEnabled)
{
    std::shared_ptr<OraSessionCore> sys;
    if (!OraSessionCore::OpenInternal(db, "SYS", &sys).Ok())
        return 0;
    std::vector<std::pair<int64_t, std::string>> due;
    {
        SqliteStmt q(sys->Db(), "SELECT job, priv_user FROM cat_jobs WHERE broken = 'N' AND next_date <= ? AND"
                                " job NOT IN (SELECT job FROM inst.cat_jobs_running) ORDER BY next_date, job");
        q.Bind(1, OracleSysdate(sys->Db()));
        while (q.Step())
            due.emplace_back(q.Int(0), q.Text(1));
    }
    int ran = 0;
    for (const auto& [job, owner] : due) {
        if (whileEnabled) {
            // ALTER SYSTEM SET JOB_QUEUE_PROCESSES = 0 holds back the rest at once.
            int processes = 0, interval = 60;
            ReadSettings(sys->Db(), &processes, &interval);
            if (processes <= 0)
                break;
        }
        // Claimed first: another process's queue may have taken it meanwhile.
        SqliteStmt claim(sys->Db(), "INSERT INTO inst.cat_jobs_running(job, sid) VALUES (?, ?)");
        claim.Bind(1, job).Bind(2, static_cast<int64_t>(sys->Sid()));
        if (!claim.Run())
            continue;
        std::shared_ptr<OraSessionCore> core;
        if (OraSessionCore::OpenInternal(db, owner, &core).Ok()) {
            PlsqlInterpreter interpreter(core);
            OraDbmsJob jobs(interpreter);
            jobs.RunJob(job); // a failure is kept in the job's own bookkeeping
            core->Close();
            ++ran;
        }
        SqliteStmt release(sys->Db(), "DELETE FROM inst.cat_jobs_running WHERE job = ?");
        release.Bind(1, job);
        release.Run();
    }
    sys->Close();
    return ran;
}

} // namespace VkOracle
