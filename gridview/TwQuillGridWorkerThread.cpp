// The worker thread's side of TwQuillGridWorker: the request loop, the
// connect and the run of a statement, all on the worker's own session.

#include "framework/VkOCIW32Lib.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridRequest.h"
#include "gridview/TwQuillGridWorker.h"

#include <algorithm>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

const VkStringTable& Texts()
{
    return TwQlVwStrings();
}

bool NeedsConnection(LONG kind)
{
    return kind >= GvReqRefresh && kind <= GvReqEvaluate;
}

// Instance not available, start-up or shut-down in progress, not connected.
bool ConnectionLost(int oracleError)
{
    return oracleError == 1034 || oracleError == 1033 || oracleError == 3114;
}

// Logons of every grid of the process go one at a time.
std::mutex& ConnectLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

void TwQuillGridWorker::Main()
{
    {
        std::lock_guard guard(m_lock);
        m_session = std::make_unique<OCISession>(true);
        m_activeSession = m_session.get();
    }
    m_monitorArmed = true;
    for (;;) {
        DWORD wait = INFINITE;
        const DWORD interval = m_refreshInterval;
        if (m_session->Connected() && m_monitorMode && interval != kManualRefresh)
            wait = static_cast<DWORD>(std::min<unsigned long long>(interval * 1000ull, INFINITE - 1));
        if (m_pending.Wait(wait) == VkWaitResult::TimedOut) {
            if (m_monitorArmed && m_monitorMode && m_session->Connected()) {
                m_monitorArmed = false;
                Post(GVM_QUEUE, GvReqRefresh);
            }
            continue;
        }
        std::unique_ptr<Request> request;
        {
            std::lock_guard guard(m_lock);
            if (m_queue.empty())
                continue;
            request = std::move(m_queue.front());
            m_queue.pop_front();
        }
        Handle(*request);
        if (request->reply) {
            {
                std::lock_guard guard(m_lock);
                request->reply->outcome.failed = m_lastFailed;
                request->reply->outcome.message = m_lastMessage;
            }
            request->reply->done.Set();
        }
        if (request->kind == GvReqShutdown)
            break;
    }
    std::lock_guard guard(m_lock);
    m_activeSession = nullptr;
    m_session.reset();
}

void TwQuillGridWorker::Handle(Request& request)
{
    if (NeedsConnection(request.kind) && !m_session->Connected()) {
        // A lost connection is found again before the next run.
        if (request.kind == GvReqRefresh || request.kind == GvReqRun) {
            if (ConnectionLost(m_session->OracleError()))
                Post(GVM_QUEUE, GvReqConnect);
        }
        SetLast(Texts().Load(IDS_GV_NOT_CONNECTED), true);
        return;
    }
    switch (request.kind) {
    case GvReqShutdown:
        HandleDisconnect(false);
        break;
    case GvReqConnect:
        HandleConnect();
        break;
    case GvReqDisconnect:
        HandleDisconnect(true);
        break;
    case GvReqRefresh:
        HandleRun(SqlText(), std::string());
        break;
    case GvReqRun:
        HandleRun(request.text, request.schema);
        break;
    case GvReqParse:
        HandleParse(request, false);
        break;
    case GvReqEvaluate:
        HandleParse(request, true);
        break;
    default:
        break;
    }
}

void TwQuillGridWorker::HandleConnect()
{
    if (!VkOracle::IsOracleAvailable()) {
        Report(Texts().Load(IDS_GV_NO_CLIENT), IDB_GV_NO_CLIENT, true);
        SetConnectionState(1);
        RaiseLogin();
        return;
    }
    std::string host, user, password;
    {
        std::lock_guard guard(m_lock);
        host = m_host;
        user = m_user;
        password = m_password;
    }
    if (host.empty() && user.empty()) {
        Report(Texts().Load(IDS_GV_NO_DETAILS), IDB_GV_NOT_CONNECTED, true, 1, false, false,
               Texts().Load(IDS_GV_NOT_CONNECTED_TIP));
        SetConnectionState(1);
        RaiseLogin();
        return;
    }
    SetConnectionState(-1);
    Report(Texts().Format(IDS_GV_CONNECTING, host.c_str()), IDB_GV_CONNECTING, false, 5, true, true);
    m_session->SetUserName(user.c_str());
    m_session->SetPassword(password.c_str());
    m_session->SetDatabase(host.c_str());
    bool connected = false;
    {
        std::lock_guard guard(ConnectLock());
        if (m_session->Connected())
            m_session->Disconnect();
        connected = m_session->Connect();
    }
    const std::string connectedText = Texts().Load(IDS_GV_CONNECTED);
    if (connected)
        Report(connectedText, IDB_GV_DONE, false, 1, false, false, connectedText);
    else
        Report(m_session->Error(), IDB_GV_NOT_CONNECTED, true, 1, false, false,
               Texts().Load(IDS_GV_NOT_CONNECTED_TIP));
    if (connected && !m_stop) {
        m_session->SetVersion();
        {
            std::lock_guard guard(m_lock);
            m_version = m_session->Version();
        }
        Post(GVM_VERSION, 0, std::make_unique<TwGridTextRecord>(m_session->Version()));
        Post(GVM_SERVERTIME, 0, std::make_unique<TwGridDateRecord>(m_session->GetServerDateTime()));
        m_monitorArmed = true;
        if (m_monitorMode)
            Post(GVM_QUEUE, GvReqRefresh);
    }
    SetConnectionState(connected ? 0 : 1);
    RaiseLogin();
}

void TwQuillGridWorker::HandleDisconnect(bool report)
{
    if (!m_session->Connected())
        return;
    const bool done = m_session->Disconnect();
    if (report) {
        if (done)
            Report(Texts().Load(IDS_GV_DISCONNECTED), IDB_GV_NOT_CONNECTED, false, 1, false, false,
                   Texts().Load(IDS_GV_NOT_CONNECTED_TIP));
        else
            Report(m_session->Error(), IDB_GV_NOT_CONNECTED, true, 1, false, false,
                   Texts().Load(IDS_GV_NOT_CONNECTED_TIP));
    }
    SetConnectionState(1);
    RaiseLogin();
}

void TwQuillGridWorker::QueueReconnect()
{
    if (m_session->Connected())
        Post(GVM_QUEUE, GvReqDisconnect);
    Post(GVM_QUEUE, GvReqConnect);
}

void TwQuillGridWorker::ReportCursorError(const VkOracle::OCISession::OCICursor& cursor)
{
    Report(cursor.Error(), IDB_GV_DONE, true);
    // A statement that found the connection gone gets it back at once
    // rather than failing again at the next run.
    if (ConnectionLost(cursor.OracleError()))
        QueueReconnect();
}

void TwQuillGridWorker::HandleRun(const std::string& text, const std::string& schema)
{
    if (ConnectionLost(m_session->OracleError())) {
        QueueReconnect();
        return;
    }
    RunStatement(text, schema);
    SetRunState(GvIdle);
    if (!m_stop) {
        Post(GVM_SERVERTIME, 0, std::make_unique<TwGridDateRecord>(m_session->GetServerDateTime()));
        m_monitorArmed = true;
    }
}

void TwQuillGridWorker::RunStatement(const std::string& text, const std::string& schema)
{
    Report(Texts().Load(IDS_GV_RUNNING_SQL), IDB_GV_BUSY, false, 4, true, false);
    auto cursor = m_session->Cursor();
    SetRunState(GvRunning);
    if (!schema.empty()) {
        const std::string alter = Texts().Format(IDS_GV_SQL_SET_SCHEMA, schema.c_str());
        std::unique_ptr<QueryData> switched(cursor.Sql(alter.c_str()));
        if (!switched || !switched->Execute()) {
            ReportCursorError(cursor);
            return;
        }
    }
    std::unique_ptr<QueryData> data(cursor.Sql(text.c_str()));
    if (!data) {
        ReportCursorError(cursor);
        return;
    }
    auto result = std::make_unique<TwGridResultRecord>();
    for (int column = 0; column < data->Columns(); ++column)
        result->m_columns.push_back(data->Column(column).Name());
    if (data->Columns() == 0) {
        // Not a query: run it once (which commits) and show an empty grid.
        if (!data->Execute()) {
            ReportCursorError(cursor);
            return;
        }
        Report(Texts().Load(IDS_GV_EXECUTED), IDB_GV_DONE, false);
        if (!m_stop)
            Post(GVM_NEWRESULT, 0, std::move(result));
        return;
    }
    std::function<void(long)> rowHook;
    {
        std::lock_guard guard(m_lock);
        rowHook = m_rowHook;
    }
    const long maximum = m_maximumRows;
    long total = 0;
    bool stopped = false, aborted = false, limited = false;
    for (;;) {
        long ask = kBatchRows;
        if (maximum >= 0)
            ask = std::min(ask, maximum - total);
        if (ask <= 0) {
            // The limit cut the result only when a row is left over.
            limited = data->Fetch(1) > 0;
            break;
        }
        const long got = data->Fetch(ask);
        if (got <= 0) {
            const int error = cursor.OracleError();
            if (error != 0 && error != OCI_NO_DATA_FOUND) {
                ReportCursorError(cursor);
                return;
            }
            break;
        }
        for (long row = 0; row < got; ++row) {
            std::vector<std::string> cells;
            cells.reserve(static_cast<size_t>(data->Columns()));
            for (int column = 0; column < data->Columns(); ++column)
                cells.push_back(data->GetString(static_cast<int>(row), column));
            result->m_rows.push_back(std::move(cells));
            ++total;
            if (rowHook)
                rowHook(total);
            if (m_stop) {
                aborted = true;
                break;
            }
            m_pauseEvent.Wait();
            const LONG state = RunState();
            if (state == GvStopRequested) {
                stopped = true;
                break;
            }
            if (state == GvAbortRequested || m_stop) {
                aborted = true;
                break;
            }
        }
        if (stopped || aborted)
            break;
        Report(Texts().Format(IDS_GV_RETRIEVED, total), IDB_GV_KEEP, false);
        if (got < ask)
            break;
    }
    if (aborted) {
        Report(Texts().Load(IDS_GV_ABORTED), IDB_GV_DONE, false);
        return;
    }
    std::string end = Texts().Format(IDS_GV_RETRIEVED, total);
    if (limited)
        end += Texts().Format(IDS_GV_FETCH_LIMIT, maximum);
    if (stopped)
        end += Texts().Load(IDS_GV_STOPPED);
    Report(end, IDB_GV_DONE, false);
    if (m_stop)
        return;
    Post(GVM_NEWRESULT, 0, std::move(result));
    if (ProcessCellSql() && !m_stop)
        Report(end, IDB_GV_DONE, false);
}

bool TwQuillGridWorker::ProcessCellSql()
{
    std::lock_guard guard(m_cellLock);
    if (m_cellItems.empty())
        return false;
    auto values = std::make_unique<TwGridCellValuesRecord>();
    auto cursor = m_session->Cursor();
    for (const TwCellSqlItem& item : m_cellItems) {
        if (item.sql.empty() || m_stop)
            continue;
        Report(Texts().Format(IDS_GV_PROCESSING_CELL, item.sql.c_str()), IDB_GV_KEEP, false);
        TwGridCellValuesRecord::Value value{item.row, item.column, {}};
        std::unique_ptr<QueryData> data(cursor.Sql(item.sql.c_str()));
        if (!data)
            value.text = Texts().Load(IDS_GV_CELL_ERROR);
        else if (data->Columns() >= 1 && data->Fetch(1) >= 1)
            value.text = data->GetString(0, 0);
        else
            value.text = Texts().Load(IDS_GV_CELL_EMPTY);
        values->m_values.push_back(std::move(value));
    }
    if (!m_stop)
        Post(GVM_CELLVALUES, 0, std::move(values));
    return true;
}

void TwQuillGridWorker::HandleParse(Request& request, bool evaluate)
{
    auto cursor = m_session->Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (!data) {
        SetLast(cursor.Error(), true);
        return;
    }
    if (evaluate) {
        data->Fetch(1);
        if (request.reply)
            request.reply->outcome.evaluation.reset(data->GetCopy());
    }
    SetLast(std::string(), false);
}
