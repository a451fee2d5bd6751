#include "platform/SyncObjects.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace {

// Long enough never to expire on a loaded machine; only reached on failure.
constexpr DWORD kGenerous = 10000;

TEST(VkEvent, AutoResetLetsOneWaitThrough)
{
    VkEvent event;
    EXPECT_EQ(event.Wait(0), VkWaitResult::TimedOut);
    event.Set();
    EXPECT_EQ(event.Wait(0), VkWaitResult::Signalled);
    EXPECT_EQ(event.Wait(0), VkWaitResult::TimedOut);
    VkEvent initially(false, true);
    EXPECT_EQ(initially.Wait(0), VkWaitResult::Signalled);
    EXPECT_EQ(initially.Wait(0), VkWaitResult::TimedOut);
}

TEST(VkEvent, ManualResetStaysSetUntilReset)
{
    VkEvent event(true);
    event.Set();
    EXPECT_EQ(event.Wait(0), VkWaitResult::Signalled);
    EXPECT_EQ(event.Wait(INFINITE), VkWaitResult::Signalled);
    event.Reset();
    EXPECT_EQ(event.Wait(0), VkWaitResult::TimedOut);
}

TEST(VkEvent, TimeOutWaitsAtLeastTheTimeGiven)
{
    VkEvent event;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(event.Wait(40), VkWaitResult::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(40));
}

TEST(VkEvent, WakesAWaiterOnAnotherThread)
{
    VkEvent go, done;
    std::atomic<bool> woke{false};
    std::thread waiter([&] {
        woke = go.Wait(INFINITE) == VkWaitResult::Signalled;
        done.Set();
    });
    go.Set();
    EXPECT_EQ(done.Wait(kGenerous), VkWaitResult::Signalled);
    waiter.join();
    EXPECT_TRUE(woke);
}

// One Set of an auto-reset event releases exactly one of two waiters.
TEST(VkEvent, AutoResetReleasesOneOfTwoWaiters)
{
    VkEvent gate;
    VkSemaphore ready(0, 2), passed(0, 2);
    auto body = [&] {
        ready.Release();
        gate.Wait(INFINITE);
        passed.Release();
    };
    std::thread a(body), b(body);
    ASSERT_EQ(ready.Wait(kGenerous), VkWaitResult::Signalled);
    ASSERT_EQ(ready.Wait(kGenerous), VkWaitResult::Signalled);
    gate.Set();
    EXPECT_EQ(passed.Wait(kGenerous), VkWaitResult::Signalled);
    EXPECT_EQ(passed.Wait(50), VkWaitResult::TimedOut);
    gate.Set();
    EXPECT_EQ(passed.Wait(kGenerous), VkWaitResult::Signalled);
    a.join();
    b.join();
}

TEST(VkSemaphore, CountsDownAndRefusesToPassItsMaximum)
{
    VkSemaphore sem(2, 3);
    EXPECT_EQ(sem.Wait(0), VkWaitResult::Signalled);
    EXPECT_EQ(sem.Wait(0), VkWaitResult::Signalled);
    EXPECT_EQ(sem.Wait(0), VkWaitResult::TimedOut);

    struct Step {
        LONG release;
        bool ok;
        LONG previous;
    };
    const Step steps[] = {{2, true, 0}, {2, false, 2}, {0, false, 2}, {-1, false, 2}, {1, true, 2}, {1, false, 3}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.release);
        LONG previous = -5;
        EXPECT_EQ(sem.Release(s.release, &previous), s.ok);
        EXPECT_EQ(previous, s.previous);
    }
    int taken = 0;
    while (sem.Wait(0) == VkWaitResult::Signalled)
        ++taken;
    EXPECT_EQ(taken, 3);

    VkSemaphore clamped(5, 2);
    EXPECT_FALSE(clamped.Release());
}

TEST(VkWaitForMultiple, ReportsWhichObjectAndTakesItsSignal)
{
    VkEvent a, b(true), c;
    VkSemaphore s(0, 1);
    std::size_t which = 99;
    EXPECT_EQ(VkWaitForMultiple({&a, &b, &c, &s}, 0, &which), VkWaitResult::TimedOut);
    c.Set();
    s.Release();
    EXPECT_EQ(VkWaitForMultiple({&a, &b, &c, &s}, 0, &which), VkWaitResult::Signalled);
    EXPECT_EQ(which, 2u);
    EXPECT_EQ(c.Wait(0), VkWaitResult::TimedOut); // auto-reset: taken by the wait
    EXPECT_EQ(VkWaitForMultiple({&a, &b, &c, &s}, 0, &which), VkWaitResult::Signalled);
    EXPECT_EQ(which, 3u);
    EXPECT_EQ(VkWaitForMultiple({}, INFINITE, &which), VkWaitResult::TimedOut);
}

TEST(VkWaitForMultiple, WakesWhenAnotherThreadSignals)
{
    VkEvent a, b, started;
    std::size_t which = 99;
    std::thread setter([&] {
        started.Wait(INFINITE);
        b.Set();
    });
    started.Set();
    EXPECT_EQ(VkWaitForMultiple({&a, &b}, INFINITE, &which), VkWaitResult::Signalled);
    EXPECT_EQ(which, 1u);
    setter.join();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(VkWaitForMultiple({&a, &b}, 30, &which), VkWaitResult::TimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
}

TEST(VkWaitThread, AsksBetweenRoundsUntilTheThreadEnds)
{
    VkEvent go;
    VkThread thread([&] { go.Wait(INFINITE); });
    int asked = 0;
    // The thread cannot end before the second question lets it go.
    EXPECT_TRUE(VkWaitThread(thread, 10, [&] {
        if (++asked == 2)
            go.Set();
        return true;
    }));
    EXPECT_GE(asked, 2);
    EXPECT_FALSE(thread.Joinable());
}

TEST(VkWaitThread, GivingUpLeavesTheThreadRunning)
{
    VkEvent go;
    VkThread thread([&] { go.Wait(INFINITE); });
    int asked = 0;
    EXPECT_FALSE(VkWaitThread(thread, 10, [&] {
        ++asked;
        return false;
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(thread.Joinable());
    EXPECT_FALSE(thread.HasEnded());
    go.Set();
    EXPECT_TRUE(thread.Join(kGenerous));
    // Nothing left to wait for: no question.
    EXPECT_TRUE(VkWaitThread(thread, 10, [&] {
        ++asked;
        return false;
    }));
    EXPECT_EQ(asked, 1);
}

TEST(VkThread, EndsQuietlyWhenItsBodyThrows)
{
    VkThread thread([] { throw std::runtime_error("worker failed"); });
    EXPECT_TRUE(thread.Join(kGenerous));
    EXPECT_TRUE(thread.Start(nullptr)); // joined, so a new start works
    EXPECT_TRUE(thread.Join(kGenerous));
}

TEST(VkThread, StartRefusesWhileAThreadIsAttached)
{
    VkEvent go;
    VkThread thread([&] { go.Wait(INFINITE); });
    EXPECT_FALSE(thread.Start([] {}));
    go.Set();
    EXPECT_TRUE(thread.Join(kGenerous));
}

} // namespace
