#include "tools/qvjobs/QvJobsQueue.h"

#include "controls/CJobQueueMessages.h"
#include "controls/CJobSaveRule.h"
#include "controls/QVCtrlStrings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QPointer>

namespace {

// Long enough for a job run from the command line to end.
constexpr DWORD kReplyTimeoutMs = 3600 * 1000;

} // namespace

QvJobsQueue::QvJobsQueue(QvJobsTarget target, bool administratorView)
    : m_target(std::move(target)), m_worker(std::make_unique<CJobQueueWorker>(this))
{
    m_worker->SetAdministratorView(administratorView);
    m_worker->SetWarnAboutView(false);
    m_worker->SetRefreshInterval(TwRequestWorker::kNeverRefresh);
    m_worker->SetReplyTimeout(kReplyTimeoutMs);
}

QvJobsQueue::~QvJobsQueue()
{
    // Nobody to ask: one round, then the break.
    m_worker->Stop([] { return false; });
}

TwRequestOutcome QvJobsQueue::Await(const std::function<bool(QObject* context, TwReplyCallback reply)>& start)
{
    QEventLoop loop;
    TwRequestOutcome result;
    bool answered = false;
    const bool queued = start(&loop, [&](TwRequestOutcome& outcome) {
        result.failed = outcome.failed;
        result.message = outcome.message;
        result.number = outcome.number;
        result.evaluation = std::move(outcome.evaluation);
        answered = true;
        loop.quit();
    });
    if (!queued) {
        result.failed = true;
        result.message = QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED);
        return result;
    }
    if (!answered)
        loop.exec();
    return result;
}

bool QvJobsQueue::Logon(const std::string& password, std::string& error)
{
    QEventLoop loop;
    QPointer<QEventLoop> guarded(&loop);
    // Raised on the worker thread when the logon has ended either way.
    m_worker->SetLoginHandler([guarded] {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guarded] {
                if (guarded)
                    guarded->quit();
            },
            Qt::QueuedConnection);
    });
    m_worker->SetLogon(m_target.database, m_target.user, password);
    if (!m_worker->Connect()) {
        error = QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED);
        return false;
    }
    loop.exec();
    m_worker->SetLoginHandler(nullptr);
    if (m_worker->IsConnected())
        return true;
    error = m_worker->LastMessage();
    return false;
}

bool QvJobsQueue::event(QEvent* event)
{
    auto* message = dynamic_cast<VkMessageEvent*>(event);
    if (!message)
        return QObject::event(event);
    // The list arrives before the refresh's answer; status, version and
    // requests to queue more work are for windows and are let go.
    if (message->Message() == JLM_NEWLIST) {
        m_lastList.clear();
        if (auto list = message->TakeRecord<CJobNewListRecord>())
            m_lastList = std::move(list->m_jobs);
        m_listArrived = true;
    }
    return true;
}

bool QvJobsQueue::ReadJobs(std::vector<CJobListData>& jobs, std::string& error)
{
    m_listArrived = false;
    const TwRequestOutcome outcome = Await([this](QObject* context, TwReplyCallback reply) {
        return m_worker->PostRequest(ReqRefresh, std::string(), nullptr, std::string(), context, std::move(reply));
    });
    if (outcome.failed || !m_listArrived) {
        error = outcome.message.empty() ? QVCtrlStrings().Load(IDS_JW_NOT_CONNECTED) : outcome.message;
        return false;
    }
    jobs = m_lastList;
    return true;
}

bool QvJobsQueue::Request(LONG kind, const std::string& text, const CJobListData& job, std::string& error)
{
    const TwRequestOutcome outcome = Await([&](QObject* context, TwReplyCallback reply) {
        return m_worker->PostRequest(kind, text, &job, std::string(), context, std::move(reply));
    });
    if (outcome.failed)
        error = outcome.message;
    return !outcome.failed;
}

bool QvJobsQueue::Save(const CJobListData& job, bool forceSubmit, QObject* context, TwReplyCallback reply)
{
    QPointer<QvJobsQueue> self(this);
    auto breakSaved = [self](const CJobListData& saved) {
        std::string ignored;
        if (self)
            self->Request(ReqToggleBroken, std::string(), saved, ignored);
    };
    bool known = false;
    if (!forceSubmit) {
        for (const CJobListData& shown : m_lastList)
            known = known || shown.m_jobNumber == job.m_jobNumber;
    }
    return CJobSaveRule::Save(*m_worker, job, known, context, breakSaved, std::move(reply));
}
