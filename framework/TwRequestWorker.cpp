#include "framework/TwRequestWorker.h"

#include "framework/VkOCIW32Lib.h"
#include "generic/VkModalService.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>

using VkOracle::OCISession;

// Where the answer to one request goes: a blocked caller's event, or a
// callback on the caller's thread that either the answer or the time-out
// calls, whichever comes first.
class TwWorkerReply {
public:
    VkEvent done{true, false};
    TwRequestOutcome outcome;

    QPointer<QObject> context;
    TwReplyCallback callback;
    bool answered = false; // context's thread only

    void Answer(TwRequestOutcome& given)
    {
        if (answered || !context || !callback)
            return;
        answered = true;
        TwReplyCallback call = std::move(callback);
        callback = nullptr;
        call(given);
    }
};

TwWorkerTexts TwWorkerTexts::Load(const VkStringTable& table, const std::array<UINT, 8>& ids)
{
    return {table.Load(ids[0]), table.Load(ids[1]), table.Load(ids[2]), table.Load(ids[3]),
            table.Load(ids[4]), table.Load(ids[5]), table.Load(ids[6]), table.Load(ids[7])};
}

TwRequestWorker::TwRequestWorker(QObject* receiver, TwWorkerTexts texts, LONG parseKind, LONG evaluateKind)
    : m_receiver(receiver), m_texts(std::move(texts)), m_parseKind(parseKind), m_evaluateKind(evaluateKind)
{
}

std::unique_ptr<TwWorkerRequest> TwRequestWorker::MakeRequest(LONG kind, const std::string* text,
                                                              const std::string* schema) const
{
    std::unique_ptr<TwWorkerRequest> request = NewRequest();
    request->kind = kind;
    if (text)
        request->text = *text;
    if (schema)
        request->schema = *schema;
    return request;
}

bool TwRequestWorker::Send(std::unique_ptr<TwWorkerRequest> request, bool wait, TwRequestOutcome* outcome)
{
    return wait ? QueueAndWait(std::move(request), outcome) : Queue(std::move(request));
}

bool TwRequestWorker::TestSql(const std::string& statement, QObject* context, TwReplyCallback reply)
{
    return Queue(MakeRequest(m_parseKind, &statement), context, std::move(reply));
}

bool TwRequestWorker::Evaluate(const std::string& query, QObject* context, TwReplyCallback reply)
{
    return Queue(MakeRequest(m_evaluateKind, &query), context, std::move(reply));
}

TwRequestWorker::~TwRequestWorker()
{
    // Derived workers stop in their own destructors; this only catches a
    // thread that was never asked to (it must not outlive the object).
    if (m_thread.Joinable())
        m_thread.Join();
}

void TwRequestWorker::SetRequestHook(std::function<void(LONG)> hook)
{
    std::lock_guard guard(m_lock);
    m_requestHook = std::move(hook);
}

size_t TwRequestWorker::QueuedRequests() const
{
    std::lock_guard guard(m_lock);
    return m_queue.size();
}

bool TwRequestWorker::StartThread()
{
    if (m_stop)
        return false;
    return m_thread.Joinable() || m_thread.Start([this] { Main(); });
}

bool TwRequestWorker::Queue(std::unique_ptr<TwWorkerRequest> request)
{
    std::lock_guard guard(m_lock);
    // Nothing may be queued behind a shutdown: no one would take it.
    if (m_stopped || !m_thread.Joinable())
        return false;
    if (request->kind == kShutdown) {
        m_stopped = true;
        m_queue.clear();
        while (m_pending.Wait(0) == VkWaitResult::Signalled) {
        }
    }
    if (!m_pending.Release(1))
        return false;
    m_queue.push_back(std::move(request));
    return true;
}

bool TwRequestWorker::Queue(std::unique_ptr<TwWorkerRequest> request, QObject* context, TwReplyCallback callback)
{
    auto reply = std::make_shared<TwWorkerReply>();
    reply->context = context;
    reply->callback = std::move(callback);
    request->reply = reply;
    if (!Queue(std::move(request)))
        return false;
    const std::string timedOut = m_texts.timedOut;
    QTimer::singleShot(static_cast<int>(std::min<DWORD>(m_replyTimeout, 0x7FFFFFFF)), context, [reply, timedOut] {
        if (reply->answered)
            return;
        TwRequestOutcome late;
        late.failed = true;
        late.message = timedOut;
        reply->Answer(late);
    });
    return true;
}

bool TwRequestWorker::QueueAndWait(std::unique_ptr<TwWorkerRequest> request, TwRequestOutcome* outcome)
{
    auto reply = std::make_shared<TwWorkerReply>();
    request->reply = reply;
    if (!Queue(std::move(request))) {
        if (outcome)
            outcome->failed = true;
        return false;
    }
    if (reply->done.Wait(m_replyTimeout) != VkWaitResult::Signalled) {
        SetLast(m_texts.timedOut, true);
        if (outcome) {
            outcome->failed = true;
            outcome->message = m_texts.timedOut;
        }
        return false;
    }
    const bool failed = reply->outcome.failed;
    if (outcome)
        *outcome = std::move(reply->outcome);
    return !failed;
}

DWORD TwRequestWorker::IdleWait() const
{
    const DWORD interval = m_refreshInterval;
    if (!m_session->Connected() || interval == kNeverRefresh)
        return INFINITE;
    return static_cast<DWORD>(std::min<unsigned long long>(interval * 1000ull, INFINITE - 1));
}

void TwRequestWorker::Main()
{
    m_session = std::make_unique<OCISession>(true);
    {
        std::lock_guard guard(m_sessionLock);
        m_activeSession = m_session.get();
    }
    m_autoRefreshArmed = true;
    for (;;) {
        if (m_pending.Wait(IdleWait()) == VkWaitResult::TimedOut) {
            // At most one automatic refresh is outstanding.
            if (m_autoRefreshArmed && m_session->Connected() && WantsAutoRefresh()) {
                m_autoRefreshArmed = false;
                Post(TWM_QUEUE, kRefresh);
            }
            continue;
        }
        std::unique_ptr<TwWorkerRequest> request;
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
        if (NeedsConnection(request->kind) && !m_session->Connected()) {
            // A caller waiting for an answer learns why nothing happened.
            if (request->reply)
                SetLast(m_texts.notConnected, true);
        } else {
            Handle(*request);
        }
        Complete(*request);
        if (request->kind == kShutdown)
            break;
    }
    {
        std::lock_guard guard(m_sessionLock);
        m_activeSession = nullptr;
    }
    m_session.reset();
    OnThreadEnd();
}

void TwRequestWorker::Complete(TwWorkerRequest& request)
{
    if (!request.reply)
        return;
    std::shared_ptr<TwWorkerReply> reply = request.reply;
    reply->outcome = std::move(request.outcome);
    {
        std::lock_guard guard(m_lock);
        reply->outcome.failed = m_lastFailed;
        reply->outcome.message = m_lastMessage;
    }
    if (!reply->callback) {
        reply->done.Set();
        return;
    }
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [reply] { reply->Answer(reply->outcome); }, Qt::QueuedConnection);
}

void TwRequestWorker::Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record)
{
    VkPostMessage(m_receiver, message, wParam, 0, std::move(record));
}

void TwRequestWorker::Report(const std::string& text, LONG image, bool failed, LONG frames, bool animate,
                             bool bounce, const std::string& tip)
{
    SetLast(text, failed);
    auto status = std::make_unique<TwStatusRecord>();
    status->m_animate = animate;
    status->m_bounce = bounce;
    status->m_text = text;
    status->m_image = image;
    status->m_frames = frames;
    status->m_tip = tip;
    Post(TWM_STATUS, 0, std::move(status));
}

bool TwRequestWorker::CheckClient()
{
    if (VkOracle::IsOracleAvailable())
        return true;
    Report(m_texts.noClient, IDB_TW_NO_CLIENT, true);
    SetConnectionState(TwConnection::NotConnected);
    RaiseLogin();
    return false;
}

void TwRequestWorker::ReportLogon(bool connected)
{
    if (connected)
        Report(m_texts.connected, IDB_TW_DONE, false, 1, false, false, m_texts.connected);
    else
        Report(m_session->Error(), IDB_TW_NOT_CONNECTED, true, 1, false, false, m_texts.notConnectedTip);
}

void TwRequestWorker::EndLogon(bool connected)
{
    SetConnectionState(connected ? TwConnection::Connected : TwConnection::NotConnected);
    RaiseLogin();
}

void TwRequestWorker::HandleDisconnect(bool report)
{
    if (!m_session->Connected())
        return;
    const bool done = m_session->Disconnect();
    if (report)
        Report(done ? m_texts.disconnected : m_session->Error(), IDB_TW_NOT_CONNECTED, !done, 1, false, false,
               m_texts.notConnectedTip);
    EndLogon(false);
}

void TwRequestWorker::QueueReconnect()
{
    if (m_session->Connected())
        Post(TWM_QUEUE, kDisconnect);
    Post(TWM_QUEUE, kConnect);
}

bool TwRequestWorker::ConnectionLost(int oracleError)
{
    return oracleError == 1034 || oracleError == 1033 || oracleError == 3114;
}

void TwRequestWorker::Stop(std::function<bool()> askRetry)
{
    if (m_stop.exchange(true) && !m_thread.Joinable())
        return;
    m_stopEvent.Set();
    OnStopping();
    auto shutdown = std::make_unique<TwWorkerRequest>();
    shutdown->kind = kShutdown;
    Queue(std::move(shutdown));
    if (m_thread.Joinable()) {
        if (!askRetry) {
            askRetry = [this] {
                return VkModalService::MessageBox(nullptr, QString::fromStdString(m_texts.stillWaiting),
                                                  QString::fromStdString(m_texts.caption),
                                                  MB_RETRYCANCEL | MB_ICONQUESTION)
                    == IDRETRY;
            };
        }
        if (!VkWaitThread(m_thread, m_replyTimeout, askRetry)) {
            // A thread cannot be killed safely; interrupting its server
            // calls makes it end on its own.
            Interrupt();
            {
                std::lock_guard guard(m_sessionLock);
                if (m_activeSession)
                    m_activeSession->Break();
            }
            m_thread.Join();
        }
    }
    std::lock_guard guard(m_lock);
    m_stopped = true;
    m_queue.clear();
}
