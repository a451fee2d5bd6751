#include "gridview/TwQuillGridWorker.h"

#include "generic/VkModalService.h"
#include "gridview/TwQlVwStrings.h"
#include "gridview/TwQuillGridRequest.h"

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

TwQuillGridWorker::TwQuillGridWorker(QObject* receiver)
    : m_receiver(receiver), m_sqlText(TwQlVwStrings().Load(IDS_GV_DEFAULT_SQL))
{
}

TwQuillGridWorker::~TwQuillGridWorker()
{
    Shutdown([] { return true; });
}

void TwQuillGridWorker::SetSqlText(const std::string& text)
{
    std::lock_guard guard(m_lock);
    m_sqlText = text;
}

std::string TwQuillGridWorker::SqlText() const
{
    std::lock_guard guard(m_lock);
    return m_sqlText;
}

void TwQuillGridWorker::SetMonitorMode(bool on)
{
    // A worker waiting without limit must learn that its wait is timed now.
    if (!m_monitorMode.exchange(on) && on && m_thread.Joinable())
        PostRequest(GvReqNothing);
}

void TwQuillGridWorker::SetRowHook(std::function<void(long)> hook)
{
    std::lock_guard guard(m_lock);
    m_rowHook = std::move(hook);
}

bool TwQuillGridWorker::Connect()
{
    if (m_stop)
        return false;
    if (!m_thread.Joinable() && !m_thread.Start([this] { Main(); }))
        return false;
    return PostRequest(GvReqConnect);
}

bool TwQuillGridWorker::PostRequest(LONG kind, const std::string* text, bool wait, const std::string* schema,
                                    TwGridRequestOutcome* outcome)
{
    auto request = std::make_unique<Request>();
    request->kind = kind;
    if (text)
        request->text = *text;
    if (schema)
        request->schema = *schema;
    std::shared_ptr<Request::Reply> reply;
    if (wait)
        request->reply = reply = std::make_shared<Request::Reply>();
    {
        std::lock_guard guard(m_lock);
        if (m_stopped || !m_thread.Joinable())
            return false;
        if (kind == GvReqShutdown) {
            m_stopped = true;
            m_queue.clear();
            while (m_pending.Wait(0) == VkWaitResult::Signalled) {
            }
        }
        if (!m_pending.Release(1))
            return false;
        m_queue.push_back(std::move(request));
    }
    if (!wait)
        return true;
    if (reply->done.Wait(m_replyTimeout) == VkWaitResult::TimedOut) {
        const std::string timedOut = TwQlVwStrings().Load(IDS_GV_TIMED_OUT);
        SetLast(timedOut, true);
        if (outcome) {
            outcome->failed = true;
            outcome->message = timedOut;
        }
        return false;
    }
    const bool failed = reply->outcome.failed;
    if (outcome)
        *outcome = std::move(reply->outcome);
    return !failed;
}

bool TwQuillGridWorker::TestSql(const std::string& statement, std::string& error)
{
    TwGridRequestOutcome outcome;
    if (PostRequest(GvReqParse, &statement, true, nullptr, &outcome))
        return true;
    error = outcome.message;
    return false;
}

std::unique_ptr<QueryData> TwQuillGridWorker::Evaluate(const std::string& query, std::string& error)
{
    TwGridRequestOutcome outcome;
    if (PostRequest(GvReqEvaluate, &query, true, nullptr, &outcome))
        return std::move(outcome.evaluation);
    error = outcome.message;
    return nullptr;
}

LONG TwQuillGridWorker::RunState() const
{
    std::lock_guard guard(m_runStateLock);
    return m_runState;
}

bool TwQuillGridWorker::SetRunState(LONG state)
{
    // Posted under the lock, so that the view learns the changes in the
    // order they were made, whichever thread made them.
    std::lock_guard guard(m_runStateLock);
    if (state == m_runState)
        return false;
    const LONG previous = m_runState;
    m_runState = state;
    if (state == GvPaused)
        m_pauseEvent.Reset();
    else if ((state == GvRunning && previous == GvPaused) || state == GvStopRequested || state == GvAbortRequested
             || state == GvIdle)
        m_pauseEvent.Set();
    if (state == GvPaused)
        Report(TwQlVwStrings().Load(IDS_GV_PAUSED), IDB_GV_KEEP, false);
    Post(GVM_RUNSTATE, static_cast<WPARAM>(state));
    return true;
}

void TwQuillGridWorker::TogglePause()
{
    const LONG state = RunState();
    if (state == GvRunning)
        SetRunState(GvPaused);
    else if (state == GvPaused)
        SetRunState(GvRunning);
}

void TwQuillGridWorker::StopRun()
{
    const LONG state = RunState();
    // Only a run going on can be stopped; an idle grid must stay idle.
    if (state == GvRunning || state == GvPaused)
        SetRunState(GvStopRequested);
}

void TwQuillGridWorker::AbortRun()
{
    const LONG state = RunState();
    if (state != GvIdle)
        SetRunState(GvAbortRequested);
}

void TwQuillGridWorker::SetCellSqlItems(std::vector<TwCellSqlItem> items)
{
    std::lock_guard guard(m_cellLock);
    m_cellItems = std::move(items);
}

std::vector<TwCellSqlItem> TwQuillGridWorker::CellSqlItems() const
{
    std::lock_guard guard(m_cellLock);
    return m_cellItems;
}

std::string TwQuillGridWorker::ServerVersion() const
{
    std::lock_guard guard(m_lock);
    return m_version;
}

void TwQuillGridWorker::Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record)
{
    VkPostMessage(m_receiver, message, wParam, 0, std::move(record));
}

void TwQuillGridWorker::Report(const std::string& text, LONG image, bool failed, LONG frames, bool animate,
                               bool bounce, const std::string& tip)
{
    SetLast(text, failed);
    auto status = std::make_unique<TwGridStatusRecord>();
    status->m_animate = animate;
    status->m_bounce = bounce;
    status->m_text = text;
    status->m_image = image;
    status->m_frames = frames;
    status->m_tip = tip;
    Post(GVM_STATUS, 0, std::move(status));
}

void TwQuillGridWorker::Shutdown(std::function<bool()> askRetry)
{
    if (m_stop.exchange(true) && !m_thread.Joinable())
        return;
    m_stopEvent.Set();
    // A paused run must wake to see the stop flag.
    m_pauseEvent.Set();
    PostRequest(GvReqShutdown);
    if (m_thread.Joinable()) {
        if (!askRetry) {
            askRetry = [] {
                return VkModalService::MessageBox(nullptr, TwQlVwString(IDS_GV_STILL_WAITING),
                                                  TwQlVwString(IDS_GV_CAPTION), MB_RETRYCANCEL | MB_ICONQUESTION)
                    == IDRETRY;
            };
        }
        if (!VkWaitThread(m_thread, m_replyTimeout, askRetry)) {
            // A thread cannot be killed safely; interrupting its server call
            // makes it end on its own.
            {
                std::lock_guard guard(m_lock);
                if (OCISession* session = m_activeSession.load())
                    session->Break();
            }
            m_thread.Join();
        }
    }
    std::lock_guard guard(m_lock);
    m_stopped = true;
    m_queue.clear();
}
