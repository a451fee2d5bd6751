#include "controls/CJobQueueWorker.h"

#include "controls/CJobQueueRequest.h"
#include "controls/QVCtrlStrings.h"
#include "generic/VkModalService.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>

using VkOracle::OCISession;

CJobQueueWorker::CJobQueueWorker(QObject* receiver)
    : TwRequestWorker(receiver,
                      TwWorkerTexts::Load(QVCtrlStrings(), {IDS_JW_TIMED_OUT, IDS_JW_STILL_WAITING, IDS_QV_CAPTION,
                                                            IDS_JW_NOT_CONNECTED, IDS_JW_NO_CLIENT, IDS_JW_CONNECTED,
                                                            IDS_JW_NOT_CONNECTED_TIP, IDS_JW_DISCONNECTED}),
                      ReqParse, ReqEvaluate)
{
}

CJobQueueWorker::~CJobQueueWorker()
{
    Stop([] { return false; });
}

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

void CJobQueueWorker::SetViewWarningHandler(std::function<void(const std::string&)> handler)
{
    std::lock_guard guard(m_lock);
    m_viewWarning = std::move(handler);
}

bool CJobQueueWorker::Connect()
{
    if (!StartThread())
        return false;
    const std::string connect = ConnectString();
    return PostRequest(ReqConnect, &connect);
}

std::unique_ptr<TwWorkerRequest> CJobQueueWorker::NewRequest() const
{
    return std::make_unique<Request>();
}

std::unique_ptr<TwWorkerRequest> CJobQueueWorker::MakeJobRequest(LONG kind, const std::string* text,
                                                                 const CJobListData* job,
                                                                 const std::string* schema) const
{
    std::unique_ptr<TwWorkerRequest> request = MakeRequest(kind, text, schema);
    if (job)
        static_cast<Request&>(*request).job = *job;
    return request;
}

bool CJobQueueWorker::PostRequest(LONG kind, const std::string* text, const CJobListData* job, bool wait,
                                  const std::string* schema, CJobRequestOutcome* outcome)
{
    return Send(MakeJobRequest(kind, text, job, schema), wait, outcome);
}

bool CJobQueueWorker::PostRequest(LONG kind, const std::string& text, const CJobListData* job,
                                  const std::string& schema, QObject* context, TwReplyCallback reply)
{
    return Queue(MakeJobRequest(kind, &text, job, &schema), context, std::move(reply));
}

bool CJobQueueWorker::Submit(const std::string& block, const std::string& schema, QObject* context,
                             TwReplyCallback reply)
{
    return PostRequest(ReqSubmit, block, nullptr, schema, context, std::move(reply));
}

bool CJobQueueWorker::Change(const std::string& block, const CJobListData& job, QObject* context,
                             TwReplyCallback reply)
{
    return PostRequest(ReqChange, block, &job, std::string(), context, std::move(reply));
}

std::vector<std::string> CJobQueueWorker::SchemaUsers() const
{
    std::lock_guard guard(m_lock);
    return m_schemaUsers;
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

bool CJobQueueWorker::WantsAutoRefresh() const
{
    return InstallingCounter() == 0;
}

void CJobQueueWorker::ReportBusy()
{
    Report(QVCtrlStrings().Load(IDS_JW_RETRIEVING), IDB_TW_BUSY, false, 4, true, false);
}

void CJobQueueWorker::Interrupt()
{
    std::lock_guard guard(m_runLock);
    for (const auto& run : m_runThreads)
        if (OCISession* session = run->session.load())
            session->Break();
}
