#include "ociw32/server/OraJobQueue.h"

#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraJobQueueControl.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/SqliteUtil.h"

#include <cstdlib>
#include <vector>

namespace VkOracle {

void OraJobQueue::ReadParameters(sqlite3* connection, int* processes, int* interval)
{
    *processes = 0;
    *interval = 60;
    SqliteStmt q(connection, "SELECT key, value FROM cat_db WHERE key IN ('job_queue_processes', 'job_queue_interval')");
    while (q.Step()) {
        const int value = std::atoi(q.Text(1).c_str());
        (q.Text(0) == "job_queue_processes" ? *processes : *interval) = value;
    }
}

bool OraJobQueue::StartIfWanted(const OraDatabaseRef& db, sqlite3* connection)
{
    int processes = 0, interval = 60;
    ReadParameters(connection, &processes, &interval);
    return StartIfWanted(db, processes);
}

bool OraJobQueue::StartIfWanted(const OraDatabaseRef& db, int processes)
{
    if (processes <= 0 || OraJobQueueRunning(db))
        return true;
    return OraStartJobQueue(db);
}

bool OraJobQueue::StartIfWanted(const OraDatabaseRef& db)
{
    std::shared_ptr<OraSessionCore> sys;
    // Opening also clears the runs an aborted instance left behind.
    if (!OraSessionCore::OpenInternal(db, "SYS", &sys).Ok())
        return false;
    const bool started = StartIfWanted(db, sys->Db());
    sys->Close();
    return started;
}

int OraJobQueue::RunDueJobs(const OraDatabaseRef& db, bool whileEnabled)
{
    std::shared_ptr<OraSessionCore> sys;
    if (!OraSessionCore::OpenInternal(db, "SYS", &sys).Ok())
        return 0;
    std::vector<std::pair<int64_t, std::string>> due;
    {
        SqliteStmt q(sys->Db(), "SELECT job, priv_user FROM main.cat_jobs WHERE broken = 'N' AND next_date <= ? AND"
                                " job NOT IN (SELECT rid FROM main.cat_undo WHERE tbl = 'cat_jobs') AND"
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
            ReadParameters(sys->Db(), &processes, &interval);
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
