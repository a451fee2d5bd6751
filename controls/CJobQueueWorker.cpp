#include "controls/CJobQueueWorker.h"

#include "controls/CJobQueueRequest.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>

using VkOracle::OCISession;
using QueryData = OCISession::OCIQueryData;

namespace {

const VkStringTable& Texts()
{
    return QVCtrlStrings();
}

} // namespace

CJobQueueWorker::CJobQueueWorker(QObject* receiver) : m_receiver(receiver) {}

void CJobQueueWorker::ShowViewWarning(const std::string& text)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // The box belongs to the user interface thread; the worker waits for it
    // to close, or for the stop flag, since a user interface that is
    // stopping the worker cannot show it.
    auto closed = std::make_shared<VkEvent>(true, false);
    QMetaObject::invokeMethod(
        app,
        [text, closed] {
            VkModalService::MessageBox(nullptr, QString::fromStdString(text), QVCtrlString(IDS_QV_CAPTION),
                                       MB_OK | MB_ICONEXCLAMATION);
            closed->Set();
        },
        Qt::QueuedConnection);
    VkWaitForMultiple({closed.get(), &m_stopEvent}, INFINITE);
}

CJobQueueWorker::~CJobQueueWorker()
{
    Stop([] { return true; });
}

void CJobQueueWorker::SetViewWarningHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard guard(m_lock);
    m_viewWarning = std::move(handler);
}

void CJobQueueWorker::SetRequestHook(std::function<void(LONG)> hook)
{
    std::lock_guard guard(m_lock);
    m_requestHook = std::move(hook);
}

bool CJobQueueWorker::Connect()
{
    if (m_stop)
        return false;
    if (!m_thread.Joinable() && !m_thread.Start([this] { Main(); }))
        return false;
    const std::string connect = ConnectString();
    return PostRequest(ReqConnect, &connect);
}

bool CJobQueueWorker::PostRequest(LONG kind, const std::string* text, const CJobListData* job, bool wait,
                                  const std::string* schema, CJobRequestOutcome* outcome)
{
    auto request = std::make_unique<Request>();
    request->kind = kind;
    if (text)
        request->text = *text;
    if (job)
        request->job = *job;
    if (schema)
        request->schema = *schema;
    std::shared_ptr<Request::Reply> reply;
    if (wait)
        request->reply = reply = std::make_shared<Request::Reply>();
    {
        std::lock_guard guard(m_lock);
        // Nothing may be queued behind a shutdown: no one would take it.
        if (m_stopped || !m_thread.Joinable())
            return false;
        if (kind == ReqShutdown) {
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
        SetLast(Texts().Load(IDS_JW_TIMED_OUT), true);
        if (outcome) {
            outcome->failed = true;
            outcome->message = Texts().Load(IDS_JW_TIMED_OUT);
        }
        return false;
    }
    const bool failed = reply->outcome.failed;
    if (outcome)
        *outcome = std::move(reply->outcome);
    return !failed;
}

bool CJobQueueWorker::TestSql(const std::string& statement, std::string& error)
{
    CJobRequestOutcome outcome;
    if (PostRequest(ReqParse, &statement, nullptr, true, nullptr, &outcome))
        return true;
    error = outcome.message;
    return false;
}

std::unique_ptr<QueryData> CJobQueueWorker::Evaluate(const std::string& query, std::string& error)
{
    CJobRequestOutcome outcome;
    if (PostRequest(ReqEvaluate, &query, nullptr, true, nullptr, &outcome))
        return std::move(outcome.evaluation);
    error = outcome.message;
    return nullptr;
}

LONG CJobQueueWorker::Submit(const std::string& block, const std::string& schema, std::string& error)
{
    CJobRequestOutcome outcome;
    if (PostRequest(ReqSubmit, &block, nullptr, true, &schema, &outcome) && outcome.jobNumber > 0)
        return static_cast<LONG>(outcome.jobNumber);
    error = outcome.message;
    return 0;
}

LONG CJobQueueWorker::Change(const std::string& block, const CJobListData& job, std::string& error)
{
    CJobRequestOutcome outcome;
    if (PostRequest(ReqChange, &block, &job, true, nullptr, &outcome))
        return static_cast<LONG>(outcome.jobNumber);
    error = outcome.message;
    return 0;
}

std::vector<std::string> CJobQueueWorker::SchemaUsers() const
{
    std::lock_guard guard(m_lock);
    return m_schemaUsers;
}

size_t CJobQueueWorker::QueuedRequests() const
{
    std::lock_guard guard(m_lock);
    return m_queue.size();
}

size_t CJobQueueWorker::RunningJobs() const
{
    std::lock_guard guard(m_runLock);
    return static_cast<size_t>(std::count_if(m_runThreads.begin(), m_runThreads.end(),
                                             [](const auto& run) { return !run->thread.HasEnded(); }));
}

void CJobQueueWorker::BeginInteraction()
{
    if (m_interactionHolds++ == 0)
        m_listAccepted.Reset();
}

void CJobQueueWorker::EndInteraction()
{
    if (m_interactionHolds > 0 && --m_interactionHolds == 0)
        m_listAccepted.Set();
}

std::atomic<int>& CJobQueueWorker::InstallingCounter()
{
    static std::atomic<int> counter{0};
    return counter;
}

void CJobQueueWorker::Post(UINT message, WPARAM wParam, std::unique_ptr<VkMessageRecord> record)
{
    VkPostMessage(m_receiver, message, wParam, 0, std::move(record));
}

void CJobQueueWorker::Report(const std::string& text, LONG image, bool failed, LONG frames, bool animate, bool bounce,
                             const std::string& tip)
{
    SetLast(text, failed);
    auto status = std::make_unique<CJobStatusRecord>();
    status->m_animate = animate;
    status->m_bounce = bounce;
    status->m_text = text;
    status->m_image = image;
    status->m_frames = frames;
    status->m_tip = tip;
    Post(JLM_STATUS, 0, std::move(status));
}

void CJobQueueWorker::ReportBusy()
{
    Report(Texts().Load(IDS_JW_RETRIEVING), IDB_JW_BUSY, false, 4, true, false);
}

void CJobQueueWorker::Stop(std::function<bool()> askRetry)
{
    if (m_stop.exchange(true) && !m_thread.Joinable())
        return;
    m_stopEvent.Set();
    PostRequest(ReqShutdown);
    if (m_thread.Joinable()) {
        if (!askRetry) {
            askRetry = [] {
                return VkModalService::MessageBox(nullptr, QVCtrlString(IDS_JW_STILL_WAITING),
                                                  QVCtrlString(IDS_QV_CAPTION),
                                                  MB_RETRYCANCEL | MB_ICONQUESTION) == IDRETRY;
            };
        }
        if (!VkWaitThread(m_thread, m_replyTimeout, askRetry)) {
            // A thread cannot be killed safely; interrupting its server
            // calls makes it end on its own.
            {
                std::lock_guard guard(m_runLock);
                for (const auto& run : m_runThreads)
                    if (OCISession* session = run->session.load())
                        session->Break();
            }
            if (OCISession* session = m_activeSession.load())
                session->Break();
            m_thread.Join();
        }
    }
    std::lock_guard guard(m_lock);
    m_stopped = true;
    m_queue.clear();
}
