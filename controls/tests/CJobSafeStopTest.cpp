// Stopping a job safely on DEMO: a job that sleeps is marked broken, its
// session killed, and once it no longer runs it gets its broken flag and
// next date back; or it is left broken; or the action is cancelled before
// the kill. The job queue runs the job in this process, as it does for the
// program.

#include "controls/CJobQueueWorker.h"
#include "controls/CJobSafeStop.h"
#include "controls/CJobSaveStatement.h"
#include "generic/VkDateFormat.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/DemoDatabases.h"
#include "testsupport/WaitUntil.h"
#include "testsupport/WorkerReceiver.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using qvtest::WaitUntil;

class JobSafeStop : public qvtest::DemoDatabaseTest {
protected:
    void SetUp() override
    {
        qvtest::DemoDatabaseTest::SetUp();
        if (HasFatalFailure())
            return;
        m_worker = std::make_unique<CJobQueueWorker>(&m_receiver);
        m_receiver.requeue = [this](LONG kind) { m_worker->PostRequest(kind); };
        m_worker->SetLoginHandler([this] { ++m_logins; });
        m_worker->SetLogon("DEMO", "scott", "tiger");
        ASSERT_TRUE(m_worker->Connect());
        ASSERT_TRUE(WaitUntil([this] { return m_logins > 0; }));
        ASSERT_TRUE(m_worker->IsConnected()) << m_worker->LastMessage();
    }
    void TearDown() override
    {
        if (m_worker)
            m_worker->Stop([] { return true; });
        m_receiver.requeue = nullptr;
    }

    CJobSafeStop::Server Server()
    {
        return {[this](const std::string& query, QObject* context, TwReplyCallback reply) {
                    return m_worker->Evaluate(query, context, std::move(reply));
                },
                [this](const std::string& statement, const CJobListData& job, QObject* context, TwReplyCallback reply) {
                    return m_worker->Change(statement, job, context, std::move(reply));
                }};
    }

    // One row of the first column of query, as the worker reads it.
    std::string Value(const std::string& query)
    {
        TwRequestOutcome got = qvtest::AwaitReply([&](QObject* context, TwReplyCallback reply) {
            return m_worker->Evaluate(query, context, reply);
        });
        if (got.failed || !got.evaluation || got.evaluation->Rows() < 1)
            return "<" + got.message + ">";
        return got.evaluation->GetString(0, 0);
    }

    // A job of SCOTT's that sleeps for a minute, next due at next.
    CJobListData Sleeper(DATE next)
    {
        TwRequestOutcome made = qvtest::AwaitReply([&](QObject* context, TwReplyCallback reply) {
            return m_worker->Submit("BEGIN DBMS_JOB.SUBMIT(:jobno, 'DBMS_LOCK.SLEEP(60);', " +
                                        CJobSaveStatement::DateLiteral(next) + ", 'SYSDATE + 1'); COMMIT; END;",
                                    "SCOTT", context, reply);
        });
        EXPECT_FALSE(made.failed) << made.message;
        CJobListData job;
        job.m_jobNumber = static_cast<LONG>(made.number);
        job.m_nextDate = next;
        job.m_interval = "SYSDATE + 1";
        job.m_what = "DBMS_LOCK.SLEEP(60);";
        return job;
    }
    // Runs the job as Jobs > Run does: DBMS_JOB.RUN in a session of its own.
    void RunNow(const CJobListData& job)
    {
        ASSERT_TRUE(m_worker->PostRequest(ReqRun, nullptr, &job));
        ASSERT_TRUE(WaitUntil([&] { return Running(job.m_jobNumber) == "1"; }, 60000)) << Running(job.m_jobNumber);
    }
    std::string Running(LONG job)
    {
        return Value("select to_char(count(*)) from dba_jobs_running where job = " + std::to_string(job));
    }
    std::string State(LONG job)
    {
        return Value("select broken || ' ' || to_char(next_date, 'YYYY-MM-DD HH24:MI:SS') from user_jobs where job = " +
                     std::to_string(job));
    }

    // Runs a safe stop to its end; the messages it showed on the way.
    QStringList Stop(CJobSafeStop& stop, bool* ok)
    {
        QStringList shown;
        bool ended = false;
        QObject::connect(&stop, &CJobSafeStop::progress, [&](const QString& text) { shown << text; });
        QObject::connect(&stop, &CJobSafeStop::finished, [&](bool good, const QString&) {
            *ok = good;
            ended = true;
        });
        EXPECT_TRUE(stop.Start());
        EXPECT_TRUE(WaitUntil([&] { return ended; }, 90000));
        return shown;
    }

    qvtest::WorkerReceiver m_receiver;
    std::unique_ptr<CJobQueueWorker> m_worker;
    int m_logins = 0;
};

DATE At(int year, int month, int day, int hour = 0)
{
    double date = 0;
    EXPECT_TRUE(VkDateFormat::ToAutomationDate({year, month, day, hour, 0, 0}, date));
    return date;
}

TEST_F(JobSafeStop, ARunningJobStopsAndGetsItsFlagAndNextDateBack)
{
    CJobListData job = Sleeper(At(2099, 1, 1));
    RunNow(job);
    // As the list showed it before the run: due at 06:00 one day.
    job.m_nextDate = At(2099, 1, 2, 6);
    CJobSafeStop stop(Server(), job, false);
    bool ok = false;
    const QStringList shown = Stop(stop, &ok);
    EXPECT_TRUE(ok) << stop.Message().toStdString();
    EXPECT_EQ(stop.CurrentStep(), CJobSafeStop::Step::Done);
    EXPECT_EQ(Running(job.m_jobNumber), "0");
    EXPECT_EQ(State(job.m_jobNumber), "N 2099-01-02 06:00:00");
    ASSERT_GE(shown.size(), 5) << shown.join("\n").toStdString();
    EXPECT_TRUE(shown[0].contains("marking it broken"));
    EXPECT_TRUE(shown.join("\n").contains("killing its session"));
    EXPECT_EQ(shown.back().toStdString(),
              "Job " + std::to_string(job.m_jobNumber) + " stopped; its broken flag and next date are as they were.");
}

TEST_F(JobSafeStop, LeftBrokenWhenAskedAndNothingToKillForAJobThatDoesNotRun)
{
    CJobListData running = Sleeper(At(2099, 1, 1));
    RunNow(running);
    CJobSafeStop leave(Server(), running, true);
    bool ok = false;
    Stop(leave, &ok);
    EXPECT_TRUE(ok) << leave.Message().toStdString();
    EXPECT_EQ(Running(running.m_jobNumber), "0");
    EXPECT_EQ(State(running.m_jobNumber).substr(0, 2), "Y ");
    EXPECT_EQ(leave.Message().toStdString(), "Job " + std::to_string(running.m_jobNumber) + " stopped and left broken.");

    // A job due far ahead does not run: no session to kill, and it ends as it was.
    CJobListData idle = Sleeper(At(2099, 3, 4, 5));
    CJobSafeStop stop(Server(), idle, false);
    const QStringList shown = Stop(stop, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(State(idle.m_jobNumber), "N 2099-03-04 05:00:00");
    EXPECT_FALSE(shown.join("\n").contains("killing"));
    EXPECT_EQ(stop.Message().toStdString(), "Job " + std::to_string(idle.m_jobNumber) + " was not running; it is as it was.");
}

TEST_F(JobSafeStop, CancelBeforeTheKillPutsTheJobBackAndAfterItIsRefused)
{
    CJobListData job = Sleeper(At(2099, 5, 6, 7));
    CJobSafeStop stop(Server(), job, false);
    bool ended = false, ok = true;
    QObject::connect(&stop, &CJobSafeStop::finished, [&](bool good, const QString&) {
        ok = good;
        ended = true;
    });
    ASSERT_TRUE(stop.Start());
    EXPECT_FALSE(stop.Start());
    EXPECT_TRUE(stop.Cancel());
    ASSERT_TRUE(WaitUntil([&] { return ended; }, 60000));
    EXPECT_FALSE(ok);
    EXPECT_EQ(stop.CurrentStep(), CJobSafeStop::Step::Cancelled);
    EXPECT_EQ(State(job.m_jobNumber), "N 2099-05-06 07:00:00");
    EXPECT_FALSE(stop.Cancel());
}

// A worker that is gone: the action ends at once with a message.
TEST_F(JobSafeStop, WithoutAWorkerItFailsAtOnce)
{
    CJobListData job;
    job.m_jobNumber = 1;
    CJobSafeStop stop({[](const std::string&, QObject*, TwReplyCallback) { return false; },
                       [](const std::string&, const CJobListData&, QObject*, TwReplyCallback) { return false; }},
                      job, false);
    bool ended = false;
    QObject::connect(&stop, &CJobSafeStop::finished, [&](bool, const QString&) { ended = true; });
    EXPECT_FALSE(stop.Start());
    EXPECT_TRUE(ended);
    EXPECT_EQ(stop.CurrentStep(), CJobSafeStop::Step::Failed);
    EXPECT_EQ(stop.Message(), "The queue is not connected.");
}

} // namespace
