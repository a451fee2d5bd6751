// The worker thread's side of TwQuillGridWorker: the request loop, the
// connect and the run of a statement, all on the worker's own session.

#include "framework/VkOCIW32Lib.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridWorker.h"

#include <algorithm>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

const VkStringTable& Texts()
{
    return TwQlVwStrings();
}

// Logons of every grid of the process go one at a time.
std::mutex& ConnectLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

bool TwQuillGridWorker::NeedsConnection(LONG kind) const
{
    // A run finds a lost connection again itself.
    return kind == GvReqParse || kind == GvReqEvaluate;
}

void TwQuillGridWorker::Handle(TwWorkerRequest& request)
{
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
    if (!CheckClient())
        return;
    std::string host, user, password;
    {
        std::lock_guard guard(m_lock);
        host = m_host;
        user = m_user;
        password = m_password;
    }
    if (host.empty() && user.empty()) {
        Report(Texts().Load(IDS_GV_NO_DETAILS), IDB_TW_NOT_CONNECTED, true, 1, false, false,
               Texts().Load(IDS_GV_NOT_CONNECTED_TIP));
        EndLogon(false);
        return;
    }
    SetConnectionState(TwConnection::Connecting);
    Report(Texts().Format(IDS_GV_CONNECTING, host.c_str()), IDB_TW_CONNECTING, false, 5, true, true);
    Session().SetUserName(user.c_str());
    Session().SetPassword(password.c_str());
    Session().SetDatabase(host.c_str());
    bool connected = false;
    {
        std::lock_guard guard(ConnectLock());
        if (Session().Connected())
            Session().Disconnect();
        connected = Session().Connect();
    }
    ReportLogon(connected);
    if (connected && !m_stop) {
        Session().SetVersion();
        {
            std::lock_guard guard(m_lock);
            m_version = Session().Version();
        }
        Post(GVM_VERSION, 0, std::make_unique<TwGridTextRecord>(Session().Version()));
        Post(GVM_SERVERTIME, 0, std::make_unique<TwGridDateRecord>(Session().GetServerDateTime()));
        ArmAutoRefresh();
        if (m_monitorMode)
            Post(GVM_QUEUE, GvReqRefresh);
    }
    EndLogon(connected);
}

void TwQuillGridWorker::ReportCursorError(const VkOracle::OCISession::OCICursor& cursor)
{
    Report(cursor.Error(), IDB_TW_DONE, true);
    // A statement that found the connection gone gets it back at once
    // rather than failing again at the next run.
    if (ConnectionLost(cursor.OracleError()))
        QueueReconnect();
}

void TwQuillGridWorker::HandleRun(const std::string& text, const std::string& schema)
{
    if (ConnectionLost(Session().OracleError())) {
        QueueReconnect();
        return;
    }
    if (!Session().Connected()) {
        SetLast(Texts().Load(IDS_GV_NOT_CONNECTED), true);
        return;
    }
    RunStatement(text, schema);
    SetRunState(GvIdle);
    if (!m_stop) {
        Post(GVM_SERVERTIME, 0, std::make_unique<TwGridDateRecord>(Session().GetServerDateTime()));
        ArmAutoRefresh();
    }
}

void TwQuillGridWorker::RunStatement(const std::string& text, const std::string& schema)
{
    Report(Texts().Load(IDS_GV_RUNNING_SQL), IDB_TW_BUSY, false, 4, true, false);
    auto cursor = Session().Cursor();
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
        Report(Texts().Load(IDS_GV_EXECUTED), IDB_TW_DONE, false);
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
        Report(Texts().Format(IDS_GV_RETRIEVED, total), IDB_TW_KEEP, false);
        if (got < ask)
            break;
    }
    if (aborted) {
        Report(Texts().Load(IDS_GV_ABORTED), IDB_TW_DONE, false);
        return;
    }
    std::string end = Texts().Format(IDS_GV_RETRIEVED, total);
    if (limited)
        end += Texts().Format(IDS_GV_FETCH_LIMIT, maximum);
    if (stopped)
        end += Texts().Load(IDS_GV_STOPPED);
    Report(end, IDB_TW_DONE, false);
    if (m_stop)
        return;
    Post(GVM_NEWRESULT, 0, std::move(result));
    if (ProcessCellSql() && !m_stop)
        Report(end, IDB_TW_DONE, false);
}

bool TwQuillGridWorker::ProcessCellSql()
{
    // A copy: the interface may change the items while the server works.
    const std::vector<TwCellSqlItem> items = CellSqlItems();
    if (items.empty())
        return false;
    auto values = std::make_unique<TwGridCellValuesRecord>();
    auto cursor = Session().Cursor();
    for (const TwCellSqlItem& item : items) {
        if (item.sql.empty() || m_stop)
            continue;
        Report(Texts().Format(IDS_GV_PROCESSING_CELL, item.sql.c_str()), IDB_TW_KEEP, false);
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

void TwQuillGridWorker::HandleParse(TwWorkerRequest& request, bool evaluate)
{
    auto cursor = Session().Cursor();
    std::unique_ptr<QueryData> data(cursor.Sql(request.text.c_str()));
    if (!data) {
        SetLast(cursor.Error(), true);
        return;
    }
    if (evaluate) {
        data->Fetch(1);
        if (request.reply)
            request.outcome.evaluation.reset(data->GetCopy());
    }
    SetLast(std::string(), false);
}
