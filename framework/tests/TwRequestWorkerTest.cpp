// The request worker's mechanism, with a worker that needs no server:
// requests in order, none after a shutdown, answers paired with their own
// caller and delivered on the caller's thread or as a time-out, and a stop
// that asks in rounds and interrupts when given up.

#include "framework/TwRequestWorker.h"
#include "generic/VkModalScript.h"
#include "testsupport/AwaitReply.h"
#include "testsupport/WaitUntil.h"
#include "testsupport/WorkerReceiver.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <atomic>
#include <mutex>
#include <vector>

namespace {

constexpr LONG kEcho = 5; // answers with its text; "fail" fails

class EchoWorker : public TwRequestWorker {
public:
    explicit EchoWorker(QObject* receiver)
        : TwRequestWorker(receiver, {"Timed out waiting for a response.", "Still waiting", "Caption",
                                     "Not connected.", "", "Connected", "", "Disconnected"},
                          kEcho, kEcho)
    {
    }
    ~EchoWorker() { Stop([] { return false; }); }

    bool Start() { return StartThread(); }
    bool Echo(const std::string& text, QObject* context, TwReplyCallback reply)
    {
        return TestSql(text, context, std::move(reply));
    }
    static std::unique_ptr<TwWorkerRequest> Make(LONG kind, const std::string& text = std::string())
    {
        auto request = std::make_unique<TwWorkerRequest>();
        request->kind = kind;
        request->text = text;
        return request;
    }

    std::function<void()> onInterrupt;

private:
    void Handle(TwWorkerRequest& request) override
    {
        if (request.kind == kEcho) {
            SetLast(request.text, request.text == "fail");
            request.outcome.number = static_cast<double>(request.text.size());
        }
    }
    bool NeedsConnection(LONG) const override { return false; }
    bool WantsAutoRefresh() const override { return false; }
    void Interrupt() override
    {
        if (onInterrupt)
            onInterrupt();
    }
};

class RequestWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_worker.SetRequestHook([this](LONG kind) {
            {
                std::lock_guard guard(m_lock);
                m_handled.push_back(kind);
            }
            if (kind == m_holdKind)
                m_gate.Pass();
        });
        ASSERT_TRUE(m_worker.Start());
    }
    void TearDown() override
    {
        m_gate.Release();
        m_worker.Stop([] { return false; });
    }
    std::vector<LONG> Handled()
    {
        std::lock_guard guard(m_lock);
        return m_handled;
    }
    TwRequestOutcome Echo(const std::string& text)
    {
        return qvtest::AwaitReply(
            [&](QObject* context, TwReplyCallback reply) { return m_worker.Echo(text, context, reply); });
    }

    QObject m_receiver;
    EchoWorker m_worker{&m_receiver};
    std::mutex m_lock;
    std::vector<LONG> m_handled;
    std::atomic<LONG> m_holdKind{-1};
    qvtest::WorkerGate m_gate;
};

TEST_F(RequestWorker, AnswersComeToTheirOwnCallerOnTheCallersThread)
{
    QThread* callerThread = QThread::currentThread();
    QThread* answeredOn = nullptr;
    int calls = 0;
    TwRequestOutcome got;
    QObject context;
    ASSERT_TRUE(m_worker.Echo("hello", &context, [&](TwRequestOutcome& outcome) {
        answeredOn = QThread::currentThread();
        ++calls;
        got = std::move(outcome);
    }));
    EXPECT_EQ(calls, 0); // never inside the call that queued it
    ASSERT_TRUE(qvtest::WaitUntil([&] { return calls > 0; }));
    EXPECT_EQ(answeredOn, callerThread);
    EXPECT_FALSE(got.failed);
    EXPECT_EQ(got.message, "hello");
    EXPECT_EQ(got.number, 5);

    const TwRequestOutcome failed = Echo("fail");
    EXPECT_TRUE(failed.failed);
    EXPECT_EQ(failed.message, "fail");
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
}

TEST_F(RequestWorker, TimedOutRequestAnswersOnceAndItsLateAnswerIsNotTheNextOnes)
{
    m_holdKind = kEcho;
    m_gate.Hold();
    m_worker.SetReplyTimeout(100);
    int calls = 0;
    TwRequestOutcome late;
    QObject context;
    ASSERT_TRUE(m_worker.Echo("late", &context, [&](TwRequestOutcome& outcome) {
        ++calls;
        late = std::move(outcome);
    }));
    ASSERT_TRUE(m_gate.Reached());
    ASSERT_TRUE(qvtest::WaitUntil([&] { return calls > 0; }));
    EXPECT_TRUE(late.failed);
    EXPECT_EQ(late.message, "Timed out waiting for a response.");

    m_holdKind = -1;
    m_gate.Release();
    m_worker.SetReplyTimeout(TwRequestWorker::kReplyTimeoutMs);
    const TwRequestOutcome next = Echo("next");
    EXPECT_FALSE(next.failed);
    EXPECT_EQ(next.message, "next");
    EXPECT_EQ(calls, 1);
}

TEST_F(RequestWorker, CallbackOfACallerThatWentIsNeverCalled)
{
    bool called = false;
    {
        QObject gone;
        ASSERT_TRUE(m_worker.Echo("x", &gone, [&](TwRequestOutcome&) { called = true; }));
    }
    const TwRequestOutcome after = Echo("after");
    EXPECT_EQ(after.message, "after");
    QCoreApplication::processEvents();
    EXPECT_FALSE(called);
}

TEST_F(RequestWorker, BlockingFormTimesOutAndSaysSo)
{
    m_holdKind = kEcho;
    m_gate.Hold();
    m_worker.SetReplyTimeout(100);
    TwRequestOutcome outcome;
    EXPECT_FALSE(m_worker.QueueAndWait(EchoWorker::Make(kEcho, "held"), &outcome));
    EXPECT_EQ(outcome.message, "Timed out waiting for a response.");
    EXPECT_EQ(m_worker.LastMessage(), "Timed out waiting for a response.");
    EXPECT_TRUE(m_worker.LastFailed());
    m_holdKind = -1;
    m_gate.Release();
    m_worker.SetReplyTimeout(TwRequestWorker::kReplyTimeoutMs);
    EXPECT_TRUE(m_worker.QueueAndWait(EchoWorker::Make(kEcho, "free"), &outcome));
    EXPECT_EQ(outcome.message, "free");
}

TEST_F(RequestWorker, ShutdownDiscardsQueuedRequestsAndRefusesMore)
{
    m_holdKind = kEcho;
    m_gate.Hold();
    ASSERT_TRUE(m_worker.Queue(EchoWorker::Make(kEcho, "first")));
    ASSERT_TRUE(m_gate.Reached());
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(m_worker.Queue(EchoWorker::Make(kEcho + 1)));
    EXPECT_EQ(m_worker.QueuedRequests(), 3u);
    ASSERT_TRUE(m_worker.Queue(EchoWorker::Make(TwRequestWorker::kShutdown)));
    EXPECT_EQ(m_worker.QueuedRequests(), 1u);
    EXPECT_FALSE(m_worker.Queue(EchoWorker::Make(kEcho))); // nothing goes behind a shutdown
    QObject context;
    EXPECT_FALSE(m_worker.Echo("refused", &context, [](TwRequestOutcome&) {}));
    m_gate.Release();
    m_worker.Stop([] { return false; });
    EXPECT_EQ(Handled(), (std::vector<LONG>{kEcho, TwRequestWorker::kShutdown}));
    EXPECT_FALSE(m_worker.Started());
    EXPECT_FALSE(m_worker.Start());
}

TEST_F(RequestWorker, StopAsksInRoundsAndGivingUpInterrupts)
{
    m_holdKind = kEcho;
    m_gate.Hold();
    m_worker.SetReplyTimeout(50);
    ASSERT_TRUE(m_worker.Queue(EchoWorker::Make(kEcho)));
    ASSERT_TRUE(m_gate.Reached());
    bool interrupted = false;
    m_worker.onInterrupt = [&] {
        interrupted = true;
        m_gate.Release();
    };
    int asked = 0;
    m_worker.Stop([&] { return ++asked < 3; });
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(interrupted);
    EXPECT_FALSE(m_worker.Started());
    EXPECT_EQ(Handled().back(), TwRequestWorker::kShutdown);
}

TEST(RequestWorkerLifetime, DestructorOfABusyWorkerNeverAsksAndEnds)
{
    qvtest::WorkerGate gate;
    gate.Hold();
    QObject receiver;
    VkModalScript modal;
    bool interrupted = false;
    {
        EchoWorker worker(&receiver);
        worker.SetReplyTimeout(50);
        worker.SetRequestHook([&](LONG kind) {
            if (kind == kEcho)
                gate.Pass();
        });
        worker.onInterrupt = [&] {
            interrupted = true;
            gate.Release();
        };
        ASSERT_TRUE(worker.Start());
        ASSERT_TRUE(worker.Queue(EchoWorker::Make(kEcho)));
        ASSERT_TRUE(gate.Reached());
    }
    // One bounded round, then the interrupt; no question was asked.
    EXPECT_TRUE(interrupted);
    EXPECT_TRUE(modal.Messages().empty());
    EXPECT_EQ(modal.Unexpected(), 0);
}

} // namespace
