#include "controls/CJobSafeStop.h"

#include "controls/CJobSaveStatement.h"
#include "controls/QVCtrlStrings.h"

#include <QPointer>
#include <QTimer>

namespace {

QString Text(UINT id, long job)
{
    return QString::fromStdString(QVCtrlStrings().Format(id, job));
}

} // namespace

CJobSafeStop::CJobSafeStop(Server server, const CJobListData& job, bool leaveBroken, int waitMs, QObject* parent)
    : QObject(parent), m_server(std::move(server)), m_job(job), m_leaveBroken(leaveBroken), m_waitMs(waitMs)
{
}

TwReplyCallback CJobSafeStop::Answer(std::function<void(TwRequestOutcome&)> handle)
{
    QPointer<CJobSafeStop> self(this);
    return [self, handle = std::move(handle)](TwRequestOutcome& outcome) {
        if (self && !self->Finished())
            handle(outcome);
    };
}

bool CJobSafeStop::Start()
{
    if (m_step != Step::Idle)
        return false;
    MarkBroken();
    return m_step == Step::MarkBroken;
}

bool CJobSafeStop::Cancel()
{
    if (Finished() || m_step == Step::Kill || m_step == Step::WaitForEnd || m_step == Step::Restore)
        return false;
    // The step under way finishes first; its answer turns to the restore.
    m_cancelRequested = true;
    Report(Text(IDS_SS_CANCELLING, m_job.m_jobNumber));
    return true;
}

void CJobSafeStop::Report(const QString& text)
{
    m_message = text;
    emit progress(text);
}

void CJobSafeStop::MarkBroken()
{
    m_step = Step::MarkBroken;
    Report(Text(IDS_SS_MARKING, m_job.m_jobNumber));
    const std::string block = QVCtrlStrings().Format(IDS_SS_SQL_BREAK, long(m_job.m_jobNumber));
    if (!m_server.execute(block, m_job, this, Answer([this](TwRequestOutcome& outcome) {
            if (outcome.failed)
                return Fail(QString::fromStdString(outcome.message));
            if (m_cancelRequested)
                return Restore(Step::Cancelled);
            FindSession();
        })))
        Fail(QVCtrlString(IDS_FC_NOT_CONNECTED));
}

void CJobSafeStop::FindSession()
{
    m_step = Step::FindSession;
    Report(Text(IDS_SS_FINDING, m_job.m_jobNumber));
    const std::string query = QVCtrlStrings().Format(IDS_JW_SQL_FIND_SESSION, long(m_job.m_jobNumber));
    if (!m_server.evaluate(query, this, Answer([this](TwRequestOutcome& outcome) {
            if (outcome.failed) {
                m_message = QString::fromStdString(outcome.message);
                return Restore(Step::Failed);
            }
            if (m_cancelRequested)
                return Restore(Step::Cancelled);
            const auto* data = outcome.evaluation.get();
            if (!data || data->Rows() < 1 || data->Columns() < 2) {
                // It ended before we got to it: nothing to kill.
                m_notRunning = true;
                return Restore(Step::Done);
            }
            Kill(data->GetLong(0, 0), data->GetLong(0, 1));
        })))
        Restore(Step::Failed);
}

void CJobSafeStop::Kill(long sid, long serial)
{
    m_step = Step::Kill;
    Report(Text(IDS_SS_KILLING, m_job.m_jobNumber));
    const std::string statement = QVCtrlStrings().Format(IDS_JW_SQL_KILL_SESSION, sid, serial);
    if (!m_server.execute(statement, m_job, this, Answer([this](TwRequestOutcome& outcome) {
            // A session that ended meanwhile cannot be killed; the wait
            // below tells whether the job still runs either way.
            Q_UNUSED(outcome);
            m_step = Step::WaitForEnd;
            m_deadline.setRemainingTime(m_waitMs);
            Report(Text(IDS_SS_WAITING, m_job.m_jobNumber));
            Poll();
        })))
        Restore(Step::Failed);
}

void CJobSafeStop::Poll()
{
    const std::string query = QVCtrlStrings().Format(IDS_SS_SQL_RUNNING, long(m_job.m_jobNumber));
    if (!m_server.evaluate(query, this, Answer([this](TwRequestOutcome& outcome) {
            const auto* data = outcome.evaluation.get();
            const bool running = outcome.failed || !data || data->Rows() < 1 || data->GetLong(0, 0) != 0;
            if (!running)
                return Restore(Step::Done);
            if (m_deadline.hasExpired()) {
                // Left broken on purpose: a run that did not stop must not
                // be scheduled again behind the user's back.
                return End(Step::Failed, QString::fromStdString(QVCtrlStrings().Format(
                                             IDS_SS_TIMEOUT, long(m_job.m_jobNumber), long(m_waitMs / 1000))));
            }
            QTimer::singleShot(kPollMs, this, [this] {
                if (!Finished())
                    Poll();
            });
        })))
        End(Step::Failed, QVCtrlString(IDS_FC_NOT_CONNECTED));
}

void CJobSafeStop::Restore(Step after)
{
    const QString reason = m_message;
    const bool keepBroken = m_job.m_broken || (m_leaveBroken && after == Step::Done);
    if (keepBroken) {
        End(after, after == Step::Done ? Text(m_notRunning ? IDS_SS_NOT_RUNNING_BROKEN : IDS_SS_DONE_BROKEN,
                                              m_job.m_jobNumber)
                                       : reason);
        return;
    }
    m_step = Step::Restore;
    Report(Text(IDS_SS_RESTORING, m_job.m_jobNumber));
    const std::string block = QVCtrlStrings().Format(IDS_SS_SQL_RESTORE, long(m_job.m_jobNumber),
                                                     CJobSaveStatement::DateLiteral(m_job.m_nextDate).c_str());
    if (!m_server.execute(block, m_job, this, Answer([this, after, reason](TwRequestOutcome& outcome) {
            if (outcome.failed)
                return End(Step::Failed, QString::fromStdString(QVCtrlStrings().Format(
                                             IDS_SS_RESTORE_FAILED, long(m_job.m_jobNumber), outcome.message.c_str())));
            if (after == Step::Done)
                return End(Step::Done, Text(m_notRunning ? IDS_SS_NOT_RUNNING : IDS_SS_DONE, m_job.m_jobNumber));
            End(after, after == Step::Cancelled ? Text(IDS_SS_CANCELLED, m_job.m_jobNumber) : reason);
        })))
        End(Step::Failed, QVCtrlString(IDS_FC_NOT_CONNECTED));
}

void CJobSafeStop::Fail(const QString& message)
{
    End(Step::Failed, message);
}

void CJobSafeStop::End(Step step, const QString& message)
{
    if (Finished())
        return;
    m_step = step;
    m_message = message;
    emit progress(message);
    emit finished(step == Step::Done, message);
}
