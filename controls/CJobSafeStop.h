#pragma once
// Stopping a running job so that it stays stopped: a broken flag set while
// a job runs is undone when the run ends, and a killed run is often just
// started again. So: mark the job broken, find its session, kill it, wait
// until the job no longer runs, then put back the broken flag and next date
// the job had (unless asked to leave it broken). Every step is a request to
// the queue's worker; the interface thread only reacts to answers.

#include "controls/CJobListData.h"
#include "framework/TwWorkerRequest.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

class CJobSafeStop : public QObject {
    Q_OBJECT
public:
    // The worker's one-row query and its statement execution.
    struct Server {
        std::function<bool(const std::string& query, QObject* context, TwReplyCallback reply)> evaluate;
        std::function<bool(const std::string& statement, const CJobListData& job, QObject* context,
                           TwReplyCallback reply)>
            execute;
    };
    enum class Step { Idle, MarkBroken, FindSession, Kill, WaitForEnd, Restore, Done, Failed, Cancelled };

    // job as the list last read it (its broken flag and next date are what
    // is put back). The wait for the end gives up after waitMs.
    CJobSafeStop(Server server, const CJobListData& job, bool leaveBroken, int waitMs = 60000,
                 QObject* parent = nullptr);

    // Starts with the first step; false when it could not be queued.
    bool Start();
    // Cancels before the kill: the broken flag goes back at once. False
    // once the session has been killed (or the action is over).
    bool Cancel();

    Step CurrentStep() const { return m_step; }
    bool Finished() const { return m_step == Step::Done || m_step == Step::Failed || m_step == Step::Cancelled; }
    const QString& Message() const { return m_message; }
    LONG JobNumber() const { return m_job.m_jobNumber; }
    // Milliseconds between the checks whether the killed job still runs.
    static constexpr int kPollMs = 200;

signals:
    // Each step as the status bar shows it.
    void progress(const QString& text);
    // Once, at the end; ok false for a failure or a cancel.
    void finished(bool ok, const QString& message);

private:
    void MarkBroken();
    void FindSession();
    void Kill(long sid, long serial);
    void Poll();
    void Restore(Step after);
    void Fail(const QString& message);
    void End(Step step, const QString& message);
    void Report(const QString& text);
    // An answer that belongs to this action's current state.
    TwReplyCallback Answer(std::function<void(TwRequestOutcome&)> handle);

    Server m_server;
    CJobListData m_job;
    bool m_leaveBroken;
    int m_waitMs;
    Step m_step = Step::Idle;
    bool m_cancelRequested = false;
    bool m_notRunning = false;
    QDeadlineTimer m_deadline;
    QString m_message;
};
