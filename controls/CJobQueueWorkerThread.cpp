// The worker thread's side of CJobQueueWorker: the request loop and the
// handling of each request kind, all on the worker's own session.

#include "controls/CJobListStatusCtrl.h"
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

// The user part of a logon text "user/password@database".
std::string LogonUser(const std::string& logon)
{
    return logon.substr(0, logon.find_first_of("/@"));
}

} // namespace

bool CJobQueueWorker::NeedsConnection(LONG kind) const
{
    // A refresh finds a lost connection again itself.
    return kind >= ReqSubmit && kind <= ReqStopJob;
}

void CJobQueueWorker::OnThreadEnd()
{
    ReapRunThreads(true);
}

void CJobQueueWorker::Handle(TwWorkerRequest& base)
{
    auto& request = static_cast<Request&>(base);
    ReapRunThreads(false);
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
    if (!CheckClient())
        return;
    SetConnectionState(TwConnection::Connecting);
    Report(Texts().Format(IDS_JW_CONNECTING, Host().c_str()), IDB_TW_CONNECTING, false, 5, true, true);
    if (!request.text.empty()) {
        m_sessionConnect = request.text;
        Session().SetUserName(request.text.c_str());
        Session().SetPassword(nullptr);
        Session().SetDatabase(nullptr);
    }
    // A connect while connected starts a fresh server session.
    if (Session().Connected())
        Session().Disconnect();
    const bool connected = Session().Connect();
    ReportLogon(connected);
    if (connected && !m_stop) {
        Session().SetVersion();
        m_majorVersion = Session().MajorVersion();
        Post(JLM_VERSION, 0, std::make_unique<CJobTextRecord>(Session().Version()));
        if (!m_history)
            m_history = std::make_unique<CJobHistoryRecorder>();
        m_history->SetQueue(CJobHistoryStore::QueueKey(Host(), UserName()));
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
    EndLogon(connected);
}

void CJobQueueWorker::HandleRefresh()
{
    if (ConnectionLost(Session().OracleError())) {
        QueueReconnect();
        return;
    }
    if (!Session().Connected())
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
        const DATE serverTime = m_listReadAt != 0 ? m_listReadAt : Session().GetServerDateTime();
        Post(JLM_SERVERTIME, 0, std::make_unique<CJobDateRecord>(serverTime));
        ArmAutoRefresh();
    }
}

LONG CJobQueueWorker::ReadJobList()
{
    m_listReadAt = 0;
    if (!Session().Connected())
        return 1012;
    ReportBusy();
    auto cursor = Session().Cursor();
    const std::string query = Texts().Load(CJobQueryColumns::JobListQuery(m_runningViewVisible, m_adminView));
    std::unique_ptr<QueryData> data(cursor.Sql(query.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_TW_DONE, true);
        return cursor.OracleError() != 0 ? cursor.OracleError() : 1;
    }
    long rows = data->Fetch(kListBatch);
    if (rows <= 0) {
        const int error = cursor.OracleError();
        if (error == OCI_NO_DATA_FOUND || error == 0) {
            Report(Texts().Format(IDS_JW_RETRIEVED, 0L), IDB_TW_DONE, false);
            ObserveList({});
            if (WaitForListAccepted())
                Post(JLM_NEWLIST, 0);
        } else {
            Report(cursor.Error(), IDB_TW_DONE, false);
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
            Report(text, IDB_TW_DONE, false);
            break;
        }
        Report(text, IDB_TW_KEEP, false);
    }
    if (m_stop)
        return 0;
    list->m_changes = ObserveList(list->m_jobs);
    if (m_history) {
        list->m_marks = m_history->Marks();
        list->m_historyProblem = m_history->TakeProblemToTell();
    }
    if (WaitForListAccepted())
        Post(JLM_NEWLIST, 0, std::move(list));
    return 0;
}

std::map<LONG, unsigned> CJobQueueWorker::ObserveList(const std::vector<CJobListData>& jobs)
{
    // The run history's clock is the server's, as the job dates are.
    m_listReadAt = Session().GetServerDateTime();
    const DATE observed = m_listReadAt != 0 ? m_listReadAt : CJobListStatusCtrl::LocalNow();
    if (!m_history)
        return {};
    return m_history->Observe(jobs, observed);
}

bool CJobQueueWorker::WaitForListAccepted()
{
    // Never change the list under an open menu or edit.
    VkWaitForMultiple({&m_listAccepted, &m_stopEvent}, INFINITE);
    return !m_stop;
}

void CJobQueueWorker::ReadSchemaUsers()
{
    std::vector<std::string> users;
    auto cursor = Session().Cursor();
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
    auto cursor = Session().Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(Texts().Load(IDS_JW_SQL_RUNNING_VIEW).c_str()));
    return data && data->Fetch(1) >= 1;
}

void CJobQueueWorker::RereadJob(LONG jobNumber)
{
    auto cursor = Session().Cursor();
    const std::string query = Texts().Format(IDS_JW_SQL_JOB_BY_NUMBER, static_cast<long>(jobNumber));
    std::unique_ptr<QueryData> data(cursor.Sql(query.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_TW_DONE, true);
        return;
    }
    if (data->Fetch(2) != 1)
        return;
    CJobListData job;
    CJobQueryColumns(*data).Fill(*data, 0, job);
    job.m_running = 0;
    Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(job));
}

void CJobQueueWorker::HandleSubmit(Request& request)
{
    ReportBusy();
    auto cursor = Session().Cursor();
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
            double submitted = 0.0;
            const std::string bind = Texts().Load(IDS_JW_SQL_JOBNO_BIND);
            if (data->Execute(bind.c_str(), &submitted)) {
                executed = true;
                request.outcome.number = submitted;
                const long job = static_cast<long>(submitted);
                Report(Texts().Format(IDS_JW_SUBMITTED, job), IDB_TW_DONE, false);
                SetLast(std::string(), false);
                RereadJob(job);
            } else {
                Report(cursor.Error(), IDB_TW_DONE, true);
            }
        }
    }
    if (!request.schema.empty()) {
        const std::string alter =
            Texts().Format(IDS_JW_SQL_SET_SCHEMA, LogonUser(Session().UserName()).c_str());
        std::unique_ptr<QueryData> data(cursor.Sql(alter.c_str()));
        if (data)
            data->Fetch(1);
        else if (failure.empty())
            failure = cursor.Error();
    }
    if (!failure.empty())
        Report(failure, IDB_TW_DONE, true);
    // The job exists once the block ran: the caller must not submit it again.
    if (executed)
        SetLast(LastMessage(), false);
}

void CJobQueueWorker::HandleChange(Request& request)
{
    ReportBusy();
    auto cursor = Session().Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (data && data->Execute()) {
        const long job = request.job.m_jobNumber;
        Report(Texts().Format(IDS_JW_MODIFIED, job), IDB_TW_DONE, false);
        SetLast(std::string(), false);
        request.outcome.number = job;
        RereadJob(job);
        SetLast(LastMessage(), false);
    } else {
        Report(cursor.Error(), IDB_TW_DONE, true);
    }
}

void CJobQueueWorker::HandleRemove(const Request& request)
{
    auto cursor = Session().Cursor();
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
    auto cursor = Session().Cursor();
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
    auto cursor = Session().Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (data)
        SetLast(std::string(), false);
    else
        SetLast(cursor.Error(), true);
}

void CJobQueueWorker::HandleEvaluate(Request& request)
{
    auto cursor = Session().Cursor();
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
        request.outcome.evaluation.reset(data->GetCopy());
    SetLast(std::string(), false);
}

void CJobQueueWorker::HandleStopJob(const Request& request)
{
    ReportBusy();
    auto cursor = Session().Cursor();
    const std::string find = Texts().Format(IDS_JW_SQL_FIND_SESSION, static_cast<long>(request.job.m_jobNumber));
    std::unique_ptr<QueryData> data(cursor.Sql(find.c_str()));
    if (!data) {
        Report(cursor.Error(), IDB_TW_DONE, true);
        return;
    }
    if (!data->Execute() || data->Fetch(1) != 1 || data->Columns() != 2)
        return;
    const long sid = data->GetLong(0, 0);
    const long serial = data->GetLong(0, 1);
    auto killCursor = Session().Cursor();
    const std::string kill = Texts().Format(IDS_JW_SQL_KILL_SESSION, sid, serial);
    std::unique_ptr<QueryData> killData(killCursor.Sql(kill.c_str()));
    if (!killData) {
        Report(killCursor.Error(), IDB_TW_DONE, true);
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
    const std::string connect = m_sessionConnect.empty() ? Session().UserName() : m_sessionConnect;
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
    // A run that cannot start says why, rather than nothing at all.
    if (!session->Connect()) {
        Report(session->Error(), IDB_TW_DONE, true);
    } else {
        auto cursor = session->Cursor();
        const std::string block = Texts().Format(IDS_JW_SQL_RUN, static_cast<long>(job.m_jobNumber));
        std::unique_ptr<QueryData> data(cursor.Sql(block.c_str()));
        if (!data) {
            Report(cursor.Error(), IDB_TW_DONE, true);
        } else {
            CJobListData running = job;
            running.m_running = 1;
            Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(running));
            const bool ran = data->Execute();
            Post(JLM_JOBUPDATE, JLM_ALL_COLUMNS, std::make_unique<CJobUpdateRecord>(job));
            if (!ran)
                Report(Texts().Format(IDS_JW_RUN_FAILED, static_cast<long>(job.m_jobNumber)), IDB_TW_KEEP, false);
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
