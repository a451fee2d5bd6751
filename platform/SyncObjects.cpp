#include "platform/SyncObjects.h"

#include <algorithm>
#include <chrono>

struct VkMultiWaiter {
    std::mutex mutex;
    std::condition_variable cv;
    bool notified = false;
};

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(DWORD milliseconds)
{
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

} // namespace

// ------------------------------------------------------------ VkWaitable

VkWaitable::~VkWaitable() = default;

VkWaitResult VkWaitable::Wait(DWORD milliseconds)
{
    std::unique_lock lock(m_mutex);
    auto acquired = [this] { return TryAcquireLocked(); };
    if (milliseconds == INFINITE) {
        m_cv.wait(lock, acquired);
        return VkWaitResult::Signalled;
    }
    return m_cv.wait_until(lock, Deadline(milliseconds), acquired) ? VkWaitResult::Signalled
                                                                   : VkWaitResult::TimedOut;
}

void VkWaitable::SignalLocked()
{
    m_cv.notify_all();
    for (VkMultiWaiter* waiter : m_waiters) {
        {
            std::lock_guard guard(waiter->mutex);
            waiter->notified = true;
        }
        waiter->cv.notify_all();
    }
}

VkWaitResult VkWaitForMultiple(std::span<VkWaitable* const> objects, DWORD milliseconds, std::size_t* which)
{
    if (objects.empty())
        return VkWaitResult::TimedOut;
    VkMultiWaiter waiter;
    for (VkWaitable* object : objects) {
        std::lock_guard lock(object->m_mutex);
        object->m_waiters.push_back(&waiter);
    }
    struct Unregister {
        std::span<VkWaitable* const> objects;
        VkMultiWaiter* waiter;
        ~Unregister()
        {
            for (VkWaitable* object : objects) {
                std::lock_guard lock(object->m_mutex);
                auto& list = object->m_waiters;
                list.erase(std::remove(list.begin(), list.end(), waiter), list.end());
            }
        }
    } unregister{objects, &waiter};

    const auto deadline = Deadline(milliseconds == INFINITE ? 0 : milliseconds);
    for (;;) {
        for (std::size_t i = 0; i < objects.size(); ++i) {
            std::lock_guard lock(objects[i]->m_mutex);
            if (objects[i]->TryAcquireLocked()) {
                if (which)
                    *which = i;
                return VkWaitResult::Signalled;
            }
        }
        // A signal after the check above sets notified, so none is lost.
        std::unique_lock lock(waiter.mutex);
        auto notified = [&waiter] { return waiter.notified; };
        if (milliseconds == INFINITE)
            waiter.cv.wait(lock, notified);
        else if (!waiter.cv.wait_until(lock, deadline, notified))
            return VkWaitResult::TimedOut;
        waiter.notified = false;
    }
}

VkWaitResult VkWaitForMultiple(std::initializer_list<VkWaitable*> objects, DWORD milliseconds, std::size_t* which)
{
    return VkWaitForMultiple(std::span<VkWaitable* const>(objects.begin(), objects.size()), milliseconds, which);
}

// --------------------------------------------------------------- VkEvent

VkEvent::VkEvent(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

void VkEvent::Set()
{
    std::lock_guard lock(m_mutex);
    m_set = true;
    SignalLocked();
}

void VkEvent::Reset()
{
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool VkEvent::TryAcquireLocked()
{
    if (!m_set)
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

// ----------------------------------------------------------- VkSemaphore

VkSemaphore::VkSemaphore(LONG initialCount, LONG maximumCount)
    : m_maximum(std::max<LONG>(maximumCount, 1)), m_count(std::clamp<LONG>(initialCount, 0, m_maximum))
{
}

bool VkSemaphore::Release(LONG count, LONG* previous)
{
    std::lock_guard lock(m_mutex);
    if (previous)
        *previous = m_count;
    if (count <= 0 || count > m_maximum - m_count)
        return false;
    m_count += count;
    SignalLocked();
    return true;
}

bool VkSemaphore::TryAcquireLocked()
{
    if (m_count <= 0)
        return false;
    --m_count;
    return true;
}

// -------------------------------------------------------------- VkThread

VkThread::~VkThread()
{
    if (!m_thread.joinable())
        return;
    if (HasEnded())
        m_thread.join();
    else
        m_thread.detach();
}

bool VkThread::Start(std::function<void()> body)
{
    if (m_thread.joinable())
        return false;
    auto ended = std::make_shared<VkEvent>(true, false);
    m_thread = std::thread([ended, body = std::move(body)] {
        try {
            if (body)
                body();
        } catch (...) {
            // Nothing above this thread could handle it.
        }
        ended->Set();
    });
    m_ended = std::move(ended);
    return true;
}

bool VkThread::HasEnded() const
{
    return m_ended && m_ended->Wait(0) == VkWaitResult::Signalled;
}

bool VkThread::Join(DWORD milliseconds)
{
    if (!m_thread.joinable())
        return true;
    if (m_ended->Wait(milliseconds) != VkWaitResult::Signalled)
        return false;
    m_thread.join();
    return true;
}

void VkThread::Detach()
{
    if (m_thread.joinable())
        m_thread.detach();
}

bool VkWaitThread(VkThread& thread, DWORD roundMs, const std::function<bool()>& askRetry)
{
    for (;;) {
        if (thread.Join(roundMs))
            return true;
        if (!askRetry || !askRetry())
            return false;
    }
}
