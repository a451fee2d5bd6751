#pragma once
// Events, semaphores and thread waits with the Windows semantics the modules
// rely on: waits take a time-out in milliseconds (INFINITE for none) and
// tell a signal from a time-out. No busy waiting.

#include "platform/WinTypes.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

enum class VkWaitResult { Signalled, TimedOut };

struct VkMultiWaiter;

// Something a thread can wait for. A successful wait takes the signal where
// the object says so (an auto-reset event resets, a semaphore counts down).
class VkWaitable {
public:
    virtual ~VkWaitable();
    VkWaitable(const VkWaitable&) = delete;
    VkWaitable& operator=(const VkWaitable&) = delete;

    VkWaitResult Wait(DWORD milliseconds = INFINITE);

protected:
    VkWaitable() = default;
    // Takes the signal when there is one; called with m_mutex held.
    virtual bool TryAcquireLocked() = 0;
    // Wakes every waiter after the state changed; called with m_mutex held.
    void SignalLocked();

    std::mutex m_mutex;

private:
    friend VkWaitResult VkWaitForMultiple(std::span<VkWaitable* const>, DWORD, std::size_t*);

    std::condition_variable m_cv;
    std::vector<VkMultiWaiter*> m_waiters;
};

class VkEvent : public VkWaitable {
public:
    // A manual-reset event stays set until Reset; an auto-reset event lets
    // one wait through and resets.
    explicit VkEvent(bool manualReset = false, bool initiallySet = false);

    void Set();
    void Reset();
    bool IsManualReset() const { return m_manualReset; }

protected:
    bool TryAcquireLocked() override;

private:
    const bool m_manualReset;
    bool m_set;
};

class VkSemaphore : public VkWaitable {
public:
    // The maximum is at least 1; the initial count is kept within 0..maximum.
    VkSemaphore(LONG initialCount, LONG maximumCount);

    // Adds count; false, with the count unchanged, when count is not
    // positive or the result would exceed the maximum. *previous gets the
    // count before the call.
    bool Release(LONG count = 1, LONG* previous = nullptr);

protected:
    bool TryAcquireLocked() override;

private:
    const LONG m_maximum;
    LONG m_count;
};

// Waits until any of the objects is signalled and takes that signal (from
// the first signalled one in list order); *which gets its index. An empty
// list times out at once.
VkWaitResult VkWaitForMultiple(std::span<VkWaitable* const> objects, DWORD milliseconds,
                               std::size_t* which = nullptr);
VkWaitResult VkWaitForMultiple(std::initializer_list<VkWaitable*> objects, DWORD milliseconds,
                               std::size_t* which = nullptr);

// A thread whose end can be waited for with a time-out.
class VkThread {
public:
    VkThread() = default;
    explicit VkThread(std::function<void()> body) { Start(std::move(body)); }
    // Joins a thread that has ended; detaches one still running (it must not
    // use anything the owner frees).
    ~VkThread();
    VkThread(VkThread&&) noexcept = default;
    VkThread& operator=(VkThread&&) = delete;

    // Starts body on a new thread; false when a thread is still attached.
    // An exception leaving body ends the thread quietly.
    bool Start(std::function<void()> body);
    bool Joinable() const { return m_thread.joinable(); }
    // True once body has returned.
    bool HasEnded() const;
    // Waits for the end of body and joins; false on time-out.
    bool Join(DWORD milliseconds = INFINITE);
    // Lets a running thread go on alone.
    void Detach();

private:
    std::thread m_thread;
    std::shared_ptr<VkEvent> m_ended;
};

// Waits for the thread in rounds of roundMs. After each round without the
// thread ending, askRetry decides: true waits another round, false gives up.
// True when the thread ended (and was joined), false when the caller gave up
// (the thread is still attached; the caller decides what to do with it).
bool VkWaitThread(VkThread& thread, DWORD roundMs, const std::function<bool()>& askRetry);
