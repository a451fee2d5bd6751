#pragma once
// One job queue without a window: the program's queue worker on a session
// of its own, answered through the event loop of the calling thread. Each
// call waits in a local event loop until the worker answers (or its reply
// time-out passes), which only a program without windows may do.

#include "controls/CJobListData.h"
#include "controls/CJobQueueWorker.h"
#include "tools/qvjobs/QvJobsArguments.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QvJobsQueue : public QObject {
public:
    // administratorView: every user's jobs rather than the user's own.
    QvJobsQueue(QvJobsTarget target, bool administratorView);
    ~QvJobsQueue() override;

    const QvJobsTarget& Target() const { return m_target; }
    CJobQueueWorker& Worker() { return *m_worker; }

    // Logs on; false with the server's message in error.
    bool Logon(const std::string& password, std::string& error);
    // The queue's jobs in the server's order; false with the reason.
    bool ReadJobs(std::vector<CJobListData>& jobs, std::string& error);
    // Runs a request of the worker's kinds for job and waits for its
    // outcome; false with the server's message.
    bool Request(LONG kind, const std::string& text, const CJobListData& job, std::string& error);
    // Saves job as the program's save path does: a change of the job of
    // that number when the queue has it (and forceSubmit is false), else a
    // new job; a broken record is broken right after. Answers to reply.
    bool Save(const CJobListData& job, bool forceSubmit, QObject* context, TwReplyCallback reply);

    // Waits in a local event loop until start's request has answered.
    // start queues the request with the given context and reply; false
    // when nothing could be queued (then outcome says "not connected").
    static TwRequestOutcome Await(const std::function<bool(QObject* context, TwReplyCallback reply)>& start);

protected:
    bool event(QEvent* event) override;

private:
    QvJobsTarget m_target;
    std::unique_ptr<CJobQueueWorker> m_worker;
    std::vector<CJobListData> m_lastList; // the jobs of the last list read
    bool m_listArrived = false;
};
