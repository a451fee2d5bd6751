#include "ociw32/server/OraJobQueueProcess.h"

#include "ociw32/functions/OraFunctions.h"
#include "ociw32/server/OraDatabaseFiles.h"
#include "ociw32/server/OraDbmsJob.h"
#include "ociw32/server/OraJobQueue.h"
#include "ociw32/server/OraJobQueueLog.h"
#include "ociw32/server/OraSessionCore.h"
#include "ociw32/server/PlsqlInterpreter.h"
#include "ociw32/server/SqliteUtil.h"
#include "platform/VkPrivateFiles.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace VkOracle {

const char* OraJobQueueProcess::EndingText(Ending ending)
{
    switch (ending) {
    case Ending::Normal: return "shutdown normal";
    case Ending::Immediate: return "shutdown immediate";
    default: return "the database files are gone";
    }
}

OraJobQueueProcess::~OraJobQueueProcess()
{
    Stop(Ending::FilesGone);
    if (m_notifyFd >= 0)
        ::close(m_notifyFd);
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

bool OraJobQueueProcess::TakeLock(int inheritedLock)
{
    const std::string path = QueueLockFilePath(m_db);
    struct stat mine {}, inherited {};
    // The starter's lock, when the descriptor really is that file.
    if (inheritedLock >= 0 && ::fstat(inheritedLock, &inherited) == 0 && ::stat(path.c_str(), &mine) == 0 &&
        mine.st_ino == inherited.st_ino && mine.st_dev == inherited.st_dev &&
        ::flock(inheritedLock, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = inheritedLock;
    } else {
        m_lockFd = VkOpenPrivate(path.c_str(), O_RDWR | O_CREAT);
        if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0)
            return false;
    }
    // The pid serves shutdown abort only: a failure to write it is no reason to stop.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(m_lockFd, 0) == 0 && ::pwrite(m_lockFd, pid.data(), pid.size(), 0) < 0)
        OraJobQueueLog::Append(m_db, "Cannot write the pid of the job queue process");
    return true;
}

OraJobQueueProcess::Ending OraJobQueueProcess::CheckEnding() const
{
    if (!DatabaseFileExists(m_db))
        return Ending::FilesGone;
    const OraInstanceState state = ReadInstanceState(m_db);
    if (state.open)
        return Ending::None;
    return state.shutdown == OraShutdownMode::Normal ? Ending::Normal : Ending::Immediate;
}

bool OraJobQueueProcess::ReadParameters(int* processes, int* interval)
{
    // Also takes on a clock moved by another process.
    if (m_sys && !m_sys->CheckAlive().Ok())
        m_sys->Close();
    if (!m_sys || m_sys->Closed()) {
        m_sys.reset();
        if (!OraSessionCore::OpenInternal(m_db, "SYS", &m_sys).Ok()) {
            m_sys.reset();
            return false;
        }
    }
    OraJobQueue::ReadParameters(m_sys->Db(), processes, interval);
    return true;
}

int OraJobQueueProcess::Run(int inheritedLock)
{
    if (!TakeLock(inheritedLock))
        return 1; // another queue process serves the database
    if (CheckEnding() != Ending::None)
        return 0;
    m_notifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (m_notifyFd >= 0)
        ::inotify_add_watch(m_notifyFd, m_db.directory.c_str(),
                            IN_MOVED_TO | IN_ATTRIB | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF);
    m_checkpointer = std::make_unique<OraWalCheckpointer>(m_db);
    OraJobQueueLog::Append(m_db, "Job queue process started (pid " + std::to_string(::getpid()) + ")");
    int shownProcesses = -1;
    auto nextScan = std::chrono::steady_clock::now();
    Ending ending = Ending::None;
    for (;;) {
        ending = CheckEnding();
        if (ending != Ending::None)
            break;
        int processes = 0, interval = 60;
        if (!ReadParameters(&processes, &interval)) {
            // Open but not usable (being made, or damaged): try again shortly.
            WaitForChange(1000);
            continue;
        }
        const auto now = std::chrono::steady_clock::now();
        if (processes != shownProcesses) {
            OraJobQueueLog::Append(m_db, "JOB_QUEUE_PROCESSES = " + std::to_string(processes));
            if (shownProcesses <= 0)
                nextScan = now; // enabled: looks at once
            shownProcesses = processes;
        }
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_processes = static_cast<size_t>(processes);
            if (processes <= 0) {
                // Held back at once; queued again once enabled.
                m_due.clear();
                m_queued.clear();
            }
            while (m_runners.size() < m_processes) {
                m_running.emplace_back();
                m_runners.emplace_back(&OraJobQueueProcess::Runner, this, m_runners.size());
            }
        }
        m_wake.notify_all();
        if (processes > 0 && now >= nextScan) {
            Scan();
            nextScan = now + std::chrono::seconds(interval > 0 ? interval : 60);
        }
        const auto untilScan = std::chrono::duration_cast<std::chrono::milliseconds>(nextScan - now).count();
        // A new instance state (a clock moved, say) may make jobs due at once.
        if (WaitForChange(static_cast<int>(std::clamp<long long>(untilScan, 10, 1000))))
            nextScan = std::chrono::steady_clock::now();
    }
    Stop(ending);
    m_checkpointer.reset();
    OraJobQueueLog::Append(m_db, std::string("Job queue process stopped: ") + EndingText(ending));
    return 0;
}

void OraJobQueueProcess::Scan()
{
    std::vector<DueJob> due;
    {
        SqliteStmt q(m_sys->Db(), "SELECT job, priv_user FROM main.cat_jobs WHERE broken = 'N' AND next_date <= ? AND"
                                  " job NOT IN (SELECT rid FROM main.cat_undo WHERE tbl = 'cat_jobs') AND"
                                  " job NOT IN (SELECT job FROM inst.cat_jobs_running) ORDER BY next_date, job");
        q.Bind(1, OracleSysdate(m_sys->Db()));
        while (q.Step())
            due.push_back(DueJob{q.Int(0), q.Text(1)});
    }
    if (due.empty())
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        for (DueJob& d : due)
            if (m_queued.insert(d.job).second)
                m_due.push_back(std::move(d));
    }
    m_wake.notify_all();
}

void OraJobQueueProcess::Runner(size_t index)
{
    std::shared_ptr<OraSessionCore> session;
    DueJob due, next;
    OraDbmsJob::QueueSlot slot;
    slot.runner = static_cast<int>(index);
    slot.writers = &m_writers;
    // Only a job of the same owner: its claim needs no other environment.
    slot.takeNext = [&]() -> int64_t {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_stopping || index >= m_processes || m_due.empty() || m_due.front().owner != due.owner)
            return 0;
        next = std::move(m_due.front());
        m_due.pop_front();
        return next.job;
    };
    for (bool handedOver = false;;) {
        if (!handedOver) {
            std::unique_lock<std::mutex> lock(m_lock);
            m_wake.wait(lock, [&] { return m_stopping || (!m_due.empty() && index < m_processes); });
            if (m_stopping)
                break;
            due = std::move(m_due.front());
            m_due.pop_front();
        }
        RunOne(index, due, &session, &slot);
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_queued.erase(due.job);
        }
        handedOver = slot.next != 0;
        if (handedOver)
            due = std::move(next);
    }
    if (session)
        session->Close();
}

void OraJobQueueProcess::RunOne(size_t index, const DueJob& due, std::shared_ptr<OraSessionCore>* session,
                                OraDbmsJob::QueueSlot* slot)
{
    std::shared_ptr<OraSessionCore>& core = *session;
    const bool claimed = core && slot->claimed == due.job;
    slot->next = 0;
    if (!claimed) {
        slot->claimed = 0;
        slot->claimedRow.reset();
    }
    // A job claimed with the last run that is not run now is let go uncounted.
    auto letGo = [&] {
        if (!claimed)
            return;
        PlsqlInterpreter interpreter(core);
        OraDbmsJob(interpreter).ReleaseClaim(due.job, &m_writers);
        slot->claimed = 0;
        slot->claimedRow.reset();
    };
    if (core && !core->CheckAlive().Ok()) {
        letGo();
        core->Close();
        core.reset();
    }
    const std::string job = "Job " + std::to_string(due.job);
    if (!core) {
        const OraResult r = OraSessionCore::OpenInternal(m_db, due.owner, &core);
        if (!r.Ok()) {
            core.reset();
            // Closing down, nothing runs: not worth a line each.
            if (CheckEnding() == Ending::None)
                OraJobQueueLog::Append(m_db, job + " not run: no session for " + due.owner + ": " + r.message);
            return;
        }
        m_checkpointer->Watch(core->Db());
    } else if (const OraResult r = core->BecomeUser(due.owner); !r.Ok()) {
        letGo();
        // Every run starts from its owner's environment, not the last job's.
        OraJobQueueLog::Append(m_db, job + " not run: no session for " + due.owner + ": " + r.message);
        return;
    }
    core->SetInBlock(true); // a shutdown immediate breaks the run between statements
    bool starting = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // Not started once the queue is stopping.
        starting = !m_stopping;
        if (starting)
            m_running[index] = core;
    }
    if (!starting) {
        core->SetInBlock(false);
        letGo();
        return;
    }
    OraDbmsJob::QueueRun outcome = OraDbmsJob::QueueRun::NotDue;
    OraResult r;
    {
        PlsqlInterpreter interpreter(core);
        OraDbmsJob jobs(interpreter);
        r = jobs.RunQueued(due.job, slot, &outcome);
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_running[index].reset();
    }
    core->SetInBlock(false);
    if (outcome == OraDbmsJob::QueueRun::Taken)
        OraJobQueueLog::Append(m_db, job + " not claimed: " + r.message);
    if (outcome != OraDbmsJob::QueueRun::Ran)
        return;
    const std::string who = job + " run by session " + std::to_string(core->Sid()) + " (" + due.owner + ")";
    if (r.Ok()) {
        OraJobQueueLog::Append(m_db, who + ": completed");
    } else {
        OraJobQueueLog::Append(m_db, who + ": failed");
        OraJobQueueLog::AppendFailure(m_db, due.job, r.message);
    }
}

void OraJobQueueProcess::Stop(Ending ending)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
        m_due.clear();
        // NORMAL lets the runs under way end; the others break them.
        if (ending != Ending::Normal)
            for (const auto& core : m_running)
                if (core)
                    core->Break();
    }
    m_wake.notify_all();
    for (std::thread& t : m_runners)
        if (t.joinable())
            t.join();
    m_runners.clear();
    if (m_sys) {
        m_sys->Close();
        m_sys.reset();
    }
}

bool OraJobQueueProcess::WaitForChange(int ms)
{
    if (m_notifyFd < 0) {
        ::poll(nullptr, 0, ms);
        return false;
    }
    pollfd p{m_notifyFd, POLLIN, 0};
    if (::poll(&p, 1, ms) <= 0)
        return false;
    const std::string stateName = m_db.sid + ".state";
    bool stateChanged = false;
    alignas(inotify_event) char events[4096];
    ssize_t n;
    while ((n = ::read(m_notifyFd, events, sizeof events)) > 0) {
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events + at);
            // Replaced (shutdown, a moved clock) or touched (a job made due,
            // a parameter changed: SignalInstanceState).
            if ((e->mask & (IN_MOVED_TO | IN_ATTRIB)) && e->len > 0 && stateName == e->name)
                stateChanged = true;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    return stateChanged;
}

} // namespace VkOracle
