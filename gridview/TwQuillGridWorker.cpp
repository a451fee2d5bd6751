#include "gridview/TwQuillGridWorker.h"

#include "generic/VkModalService.h"
#include "gridview/TwQlVwStrings.h"

TwQuillGridWorker::TwQuillGridWorker(QObject* receiver)
    : TwRequestWorker(receiver, TwWorkerTexts::Load(TwQlVwStrings(),
                                                    {IDS_GV_TIMED_OUT, IDS_GV_STILL_WAITING, IDS_GV_CAPTION,
                                                     IDS_GV_NOT_CONNECTED, IDS_GV_NO_CLIENT, IDS_GV_CONNECTED,
                                                     IDS_GV_NOT_CONNECTED_TIP, IDS_GV_DISCONNECTED}),
                      GvReqParse, GvReqEvaluate),
      m_sqlText(TwQlVwStrings().Load(IDS_GV_DEFAULT_SQL))
{
}

TwQuillGridWorker::~TwQuillGridWorker()
{
    Stop([] { return false; });
}

void TwQuillGridWorker::OnStopping()
{
    // A paused run must wake to see the stop flag.
    m_pauseEvent.Set();
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
    if (!m_monitorMode.exchange(on) && on && Started())
        PostRequest(GvReqNothing);
}

void TwQuillGridWorker::SetRowHook(std::function<void(long)> hook)
{
    std::lock_guard guard(m_lock);
    m_rowHook = std::move(hook);
}

bool TwQuillGridWorker::Connect()
{
    return StartThread() && PostRequest(GvReqConnect);
}

bool TwQuillGridWorker::PostRequest(LONG kind, const std::string* text, bool wait, const std::string* schema,
                                    TwGridRequestOutcome* outcome)
{
    return Send(MakeRequest(kind, text, schema), wait, outcome);
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
        Report(TwQlVwStrings().Load(IDS_GV_PAUSED), IDB_TW_KEEP, false);
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
