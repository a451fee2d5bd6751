// The worker thread's side of CJobQueueWorker: the request loop and the
// handling of each request kind, all on the worker's own session.

#include "controls/CJobQueryColumns.h"
#include "controls/CJobQueueRequest.h"
#include "controls/CJobQueueWorker.h"
#include "controls/QVCtrlStrings.h"
#include "framework/VkOCIW32Lib.h"

#include <algorithm>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

const VkStringTable& Texts()
{
    return QVCtrlStrings();
}

constexpr long kListBatch = 50;
constexpr long kUserBatch = 10;

bool NeedsConnection(LONG kind)
{
    return (kind >= ReqRefresh && kind <= ReqRun) || (kind >= ReqToggleBroken && kind <= ReqStopJob);
}

// Instance not available, start-up or shut-down in progress, not connected.
bool ConnectionLost(int oracleError)
{
    return oracleError == 1034 || oracleError == 1033 || oracleError == 3114;
}

// The user part of a logon text "user/password@database".
std::string LogonUser(const std::string& logon)
{
    return logon.substr(0, logon.find_first_of("/@"));
}

} // namespace

void CJobQueueWorker::Main()
{
    m_session = std::make_unique<OCISession>(true);
    {
        std::lock_guard guard(m_runLock);
        m_activeSession = m_session.get();
    }
    m_autoRefreshArmed = true;
    for (;;) {
        ReapRunThreads(false);
        DWORD wait = INFINITE;
        const DWORD interval = m_refreshInterval;
        if (m_session->Connected() && interval != kNeverRefresh)
            wait = static_cast<DWORD>(std::min<unsigned long long>(interval * 1000ull, INFINITE - 1));
        if (m_pending.Wait(wait) == VkWaitResult::TimedOut) {
            if (InstallingCounter() == 0 && m_autoRefreshArmed && m_session->Connected()) {
                m_autoRefreshArmed = false;
                Post(JLM_QUEUE, ReqRefresh);
            }
            continue;
        }
        std::unique_ptr<Request> request;
        std::function<void(LONG)> hook;
        {
            std::lock_guard guard(m_lock);
            if (m_queue.empty())
                continue;
            request = std::move(m_queue.front());
            m_queue.pop_front();
            hook = m_requestHook;
        }
        if (hook)
            hook(request->kind);
        Handle(*request);
        if (request->reply) {
            {
                std::lock_guard guard(m_lock);
                request->reply->outcome.failed = m_lastFailed;
                request->reply->outcome.message = m_lastMessage;
            }
            request->reply->outcome.jobNumber = m_submittedJob;
            request->reply->done.Set();
        }
        if (request->kind == ReqShutdown)
            break;
    }
    {
        std::lock_guard guard(m_runLock);
        m_activeSession = nullptr;
    }
    m_session.reset();
    ReapRunThreads(true);
}

void CJobQueueWorker::Handle(Request& request)
{
    if (NeedsConnection(request.kind) && request.kind != ReqRefresh && !m_session->Connected()) {
        // A caller waiting for an answer learns why nothing happened.
        if (request.reply)
            SetLast(Texts().Load(IDS_JW_NOT_CONNECTED), true);
        return;
    }
    switch (request.kind) {
    case ReqShutdown:
        HandleDisconnect(false);
        break;
    case ReqConnect:
        HandleConnect(request);
        break;
    case ReqDisconnect:
        HandleDisconnect(true);
        break;
    case ReqRefresh:
        HandleRefresh();
        break;
    case ReqSubmit:
        HandleSubmit(request);
        break;
    case ReqRemove:
        HandleRemove(request);
        break;
    case ReqChange:
        HandleChange(request);
        break;
    case ReqRun:
        HandleRun(request);
        break;
    case ReqToggleBroken:
        HandleToggleBroken(request);
        break;
    case ReqParse:
        HandleParse(request);
        break;
    case ReqEvaluate:
        HandleEvaluate(request);
        break;
    case ReqStopJob:
        HandleStopJob(request);
        break;
    default:
        break;
    }
}

void CJobQueueWorker::HandleConnect(const Request& request)
{
    if (!VkOracle::IsOracleAvailable()) {
        Report(Texts().Load(IDS_JW_NO_CLIENT), IDB_JW_NO_CLIENT, true);
        SetConnectionState(1);
        RaiseLogin();
        return;
    }
    SetConnectionState(-1);
    Report(Texts().Format(IDS_JW_CONNECTING, Host().c_str()), IDB_JW_CONNECTING, false, 5, true, true);
    if (!request.text.empty()) {
        m_sessionConnect = request.text;
        m_session->SetUserName(request.text.c_str());
        m_session->SetPassword(nullptr);
        m_session->SetDatabase(nullptr);
    }
    // A connect while connected starts a fresh server session.
    if (m_session->Connected())
        m_session->Disconnect();
    const bool connected = m_session->Connect();
    const std::string connectedText = Texts().Load(IDS_JW_CONNECTED);
    if (connected)
        Report(connectedText, IDB_JW_DONE, false, 1, false, false, connectedText);
    else
        Report(m_session->Error(), IDB_JW_NOT_CONNECTED, true, 1, false, false,
               Texts().Load(IDS_JW_NOT_CONNECTED_TIP));
    if (connected && !m_stop) {
        m_session->SetVersion();
        m_majorVersion = m_session->MajorVersion();
        Post(JLM_VERSION, 0, std::make_unique<CJobTextRecord>(m_session->Version()));
        ReadSchemaUsers();
        m_runningViewVisible = ProbeRunningView();
        if (!m_runningViewVisible && m_warnAboutView) {
            std::function<void(const std::string&)> warn;
            {
                std::lock_guard guard(m_lock);
                warn = m_viewWarning;
            }
            if (warn)
                warn(Texts().Load(IDS_JW_VIEW_WARNING));
            else
                ShowViewWarning(Texts().Load(IDS_JW_VIEW_WARNING));
        }
        Post(JLM_QUEUE, ReqRefresh);
    }
    SetConnectionState(connected ? 0 : 1);
    RaiseLogin();
}

void CJobQueueWorker::HandleDisconnect(bool report)
{
    if (!m_session->Connected())
        return;
    const bool done = m_session->Disconnect();
    if (report) {
        if (done)
            Report(Texts().Load(IDS_JW_DISCONNECTED), IDB_JW_NOT_CONNECTED, false, 1, false, false,
                   Texts().Load(IDS_JW_NOT_CONNECTED_TIP));
        else
            Report(m_session->Error(), IDB_JW_NOT_CONNECTED, true, 1, false, false,
                   Texts().Load(IDS_JW_NOT_CONNECTED_TIP));
    }
    SetConnectionState(1);
    RaiseLogin();
}

void CJobQueueWorker::QueueReconnect()
{
    if (m_session->Connected())
        Post(JLM_QUEUE, ReqDisconnect);
    Post(JLM_QUEUE, ReqConnect);
}

void CJobQueueWorker::HandleRefresh()
{
    if (ConnectionLost(m_session->OracleError())) {
        QueueReconnect();
        return;
    }
    if (!m_session->Connected())
        return;
    const LONG error = ReadJobList();
    if (error != 0) {
        // A query that keeps failing on a sound connection would reconnect
        // for ever; one fresh session per failure streak is enough.
        if (ConnectionLost(error) || !m_reconnectedAfterFailure) {
            m_reconnectedAfterFailure = !ConnectionLost(error);
            QueueReconnect();
        }
        return;
    }
    m_reconnectedAfterFailure = false;
    if (!m_stop) {
        Post(JLM_SERVERTIME, 0, std::make_unique<CJobDateRecord>(m_session->GetServerDateTime()));
        m_autoRefreshArmed = true;
    }
}

LONG CJobQueueWorker::ReadJobList()
{
    if (!m_session->Connected())
        return 1012;
    ReportBusy();
    auto cursor = m_session->Cursor();
    const std::string query = Texts().Load(CJobQueryColumns::JobListQuery(m_runningViewVisible, m_adminView));
    std::unique_ptr<QueryData> data(cursor.Sql(query.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_JW_DONE, true);
        return cursor.OracleError() != 0 ? cursor.OracleError() : 1;
    }
    long rows = data->Fetch(kListBatch);
    if (rows <= 0) {
        const int error = cursor.OracleError();
        if (error == OCI_NO_DATA_FOUND || error == 0) {
            Report(Texts().Format(IDS_JW_RETRIEVED, 0L), IDB_JW_DONE, false);
            VkWaitable* const waits[] = {&m_listAccepted, &m_stopEvent};
            size_t which = 0;
            VkWaitForMultiple(waits, INFINITE, &which);
            if (!m_stop)
                Post(JLM_NEWLIST, 0);
        } else {
            Report(cursor.Error(), IDB_JW_DONE, false);
        }
        return 0;
    }
    auto list = std::make_unique<CJobNewListRecord>();
    const CJobQueryColumns columns(*data);
    while (!m_stop) {
        for (long row = 0; row < rows && !m_stop; ++row) {
            CJobListData job;
            columns.Fill(*data, static_cast<int>(row), job);
            list->m_jobs.push_back(std::move(job));
        }
        if (m_stop)
            break;
        rows = data->Fetch(kListBatch);
        const std::string text = Texts().Format(IDS_JW_RETRIEVED, data->TotalRows());
        if (rows <= 0) {
            Report(text, IDB_JW_DONE, false);
            break;
        }
        Report(text, IDB_JW_KEEP, false);
    }
    if (m_stop)
        return 0;
    // Never change the list under an open menu or edit.
    VkWaitable* const waits[] = {&m_listAccepted, &m_stopEvent};
    size_t which = 0;
    VkWaitForMultiple(waits, INFINITE, &which);
    if (!m_stop)
        Post(JLM_NEWLIST, 0, std::move(list));
    return 0;
}

void CJobQueueWorker::ReadSchemaUsers()
{
    std::vector<std::string> users;
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(Texts().Load(IDS_JW_SQL_SCHEMA_USERS).c_str()));
    if (data) {
        for (long rows = data->Fetch(kUserBatch); rows > 0; rows = data->Fetch(kUserBatch))
            for (long row = 0; row < rows; ++row)
                users.push_back(data->GetString(static_cast<int>(row), 0));
    }
    std::lock_guard guard(m_lock);
    m_schemaUsers = std::move(users);
}

bool CJobQueueWorker::ProbeRunningView()
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(Texts().Load(IDS_JW_SQL_RUNNING_VIEW).c_str()));
    return data && data->Fetch(1) >= 1;
}

void CJobQueueWorker::RereadJob(LONG jobNumber)
{
    auto cursor = m_session->Cursor();
    const std::string query = Texts().Format(IDS_JW_SQL_JOB_BY_NUMBER, static_cast<long>(jobNumber));
    std::unique_ptr<QueryData> data(cursor.Sql(query.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_JW_DONE, true);
        return;
    }
    if (data->Fetch(2) != 1)
        return;
    CJobListData job;
    CJobQueryColumns(*data).Fill(*data, 0, job);
    job.m_running = 0;
    Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(job));
}

void CJobQueueWorker::HandleSubmit(const Request& request)
{
    ReportBusy();
    auto cursor = m_session->Cursor();
    // The first failure's text: switching the schema back reuses the cursor.
    std::string failure;
    bool executed = false;
    if (!request.schema.empty()) {
        const std::string alter = Texts().Format(IDS_JW_SQL_SET_SCHEMA, request.schema.c_str());
        std::unique_ptr<QueryData> data(cursor.Sql(alter.c_str()));
        if (data)
            data->Fetch(1);
        else
            failure = cursor.Error();
    }
    if (failure.empty()) {
        std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
        if (!data) {
            failure = cursor.Error();
        } else {
            m_submittedJob = 0.0;
            const std::string bind = Texts().Load(IDS_JW_SQL_JOBNO_BIND);
            if (data->Execute(bind.c_str(), &m_submittedJob)) {
                executed = true;
                const long job = static_cast<long>(m_submittedJob);
                Report(Texts().Format(IDS_JW_SUBMITTED, job), IDB_JW_DONE, false);
                SetLast(std::string(), false);
                RereadJob(job);
            } else {
                Report(cursor.Error(), IDB_JW_DONE, true);
            }
        }
    }
    if (!request.schema.empty()) {
        const std::string alter =
            Texts().Format(IDS_JW_SQL_SET_SCHEMA, LogonUser(m_session->UserName()).c_str());
        std::unique_ptr<QueryData> data(cursor.Sql(alter.c_str()));
        if (data)
            data->Fetch(1);
        else if (failure.empty())
            failure = cursor.Error();
    }
    if (!failure.empty())
        Report(failure, IDB_JW_DONE, true);
    // The job exists once the block ran: the caller must not submit it again.
    if (executed)
        SetLast(LastMessage(), false);
    else
        m_submittedJob = 0.0;
}

void CJobQueueWorker::HandleChange(const Request& request)
{
    ReportBusy();
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (data && data->Execute()) {
        const long job = request.job.m_jobNumber;
        Report(Texts().Format(IDS_JW_MODIFIED, job), IDB_JW_DONE, false);
        SetLast(std::string(), false);
        m_submittedJob = job;
        RereadJob(job);
        SetLast(LastMessage(), false);
    } else {
        Report(cursor.Error(), IDB_JW_DONE, true);
        m_submittedJob = 0.0;
    }
}

void CJobQueueWorker::HandleRemove(const Request& request)
{
    auto cursor = m_session->Cursor();
    const std::string block = Texts().Format(IDS_JW_SQL_REMOVE, static_cast<long>(request.job.m_jobNumber));
    std::unique_ptr<QueryData> data(cursor.Sql(block.c_str()));
    const bool removed = data && data->Execute();
    if (removed)
        Post(JLM_JOBREMOVED, static_cast<WPARAM>(request.job.m_jobNumber));
    // Not on the status bar, but a waiting caller gets the outcome.
    if (request.reply)
        SetLast(removed ? std::string() : cursor.Error(), !removed);
}

void CJobQueueWorker::HandleToggleBroken(const Request& request)
{
    auto cursor = m_session->Cursor();
    const std::string value = Texts().Load(request.job.m_broken ? IDS_JW_SQL_FALSE : IDS_JW_SQL_TRUE);
    const std::string block =
        Texts().Format(IDS_JW_SQL_BROKEN, static_cast<long>(request.job.m_jobNumber), value.c_str());
    std::unique_ptr<QueryData> data(cursor.Sql(block.c_str()));
    const bool done = data && data->Execute();
    if (done)
        RereadJob(request.job.m_jobNumber);
    if (request.reply)
        SetLast(done ? std::string() : cursor.Error(), !done);
}

void CJobQueueWorker::HandleParse(const Request& request)
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (data)
        SetLast(std::string(), false);
    else
        SetLast(cursor.Error(), true);
}

void CJobQueueWorker::HandleEvaluate(Request& request)
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (!data) {
        SetLast(cursor.Error(), true);
        return;
    }
    // A query that parses can still fail when it runs (a bad date, say);
    // that is a failure too, not an empty answer.
    if (data->Fetch(1) <= 0 && cursor.OracleError() != 0 && cursor.OracleError() != OCI_NO_DATA_FOUND) {
        SetLast(cursor.Error(), true);
        return;
    }
    if (request.reply)
        request.reply->outcome.evaluation.reset(data->GetCopy());
    SetLast(std::string(), false);
}

void CJobQueueWorker::HandleStopJob(const Request& request)
{
    ReportBusy();
    auto cursor = m_session->Cursor();
    const std::string find = Texts().Format(IDS_JW_SQL_FIND_SESSION, static_cast<long>(request.job.m_jobNumber));
    std::unique_ptr<QueryData> data(cursor.Sql(find.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_JW_DONE, true);
        return;
    }
    if (!data->Execute() || data->Fetch(1) != 1 || data->Columns() != 2)
        return;
    const long sid = data->GetLong(0, 0);
    const long serial = data->GetLong(0, 1);
    auto killCursor = m_session->Cursor();
    const std::string kill = Texts().Format(IDS_JW_SQL_KILL_SESSION, sid, serial);
    std::unique_ptr<QueryData> killData(killCursor.Sql(kill.c_str()));
    if (!killData) {
        Report(killCursor.Error(), IDB_JW_DONE, true);
        return;
    }
    killData->Execute();
    RereadJob(request.job.m_jobNumber);
}

void CJobQueueWorker::HandleRun(const Request& request)
{
    auto entry = std::make_shared<RunThread>();
    {
        std::lock_guard guard(m_runLock);
        m_runThreads.push_back(entry);
    }
    const std::string connect = m_sessionConnect.empty() ? m_session->UserName() : m_sessionConnect;
    const CJobListData job = request.job;
    if (!entry->thread.Start([this, connect, job, entry] { RunJob(connect, job, entry); })) {
        std::lock_guard guard(m_runLock);
        m_runThreads.erase(std::remove(m_runThreads.begin(), m_runThreads.end(), entry), m_runThreads.end());
    }
}

void CJobQueueWorker::RunJob(std::string connect, CJobListData job, std::shared_ptr<RunThread> entry)
{
    auto session = std::make_unique<OCISession>(true);
    session->SetUserName(connect.c_str());
    {
        std::lock_guard guard(m_runLock);
        entry->session = session.get();
    }
    if (session->Connect()) {
        auto cursor = session->Cursor();
        const std::string block = Texts().Format(IDS_JW_SQL_RUN, static_cast<long>(job.m_jobNumber));
        std::unique_ptr<QueryData> data(cursor.Sql(block.c_str()));
        if (data) {
            CJobListData running = job;
            running.m_running = 1;
            Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(running));
            const bool ran = data->Execute();
            Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(job));
            if (!ran)
                Report(Texts().Format(IDS_JW_RUN_FAILED, static_cast<long>(job.m_jobNumber)), IDB_JW_KEEP, false);
        }
    }
    {
        std::lock_guard guard(m_runLock);
        entry->session = nullptr;
    }
}

void CJobQueueWorker::ReapRunThreads(bool all)
{
    std::vector<std::shared_ptr<RunThread>> ended;
    {
        std::lock_guard guard(m_runLock);
        auto split = std::stable_partition(m_runThreads.begin(), m_runThreads.end(), [all](const auto& run) {
            return !all && !run->thread.HasEnded();
        });
        ended.assign(split, m_runThreads.end());
        m_runThreads.erase(split, m_runThreads.end());
    }
    for (auto& run : ended)
        run->thread.Join();
}
