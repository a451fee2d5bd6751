#include "ociw32/server/OraStackGuard.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>

// Set by the dynamic loader: an address near the top of the main thread's
// stack (only the program's arguments and environment lie above it).
extern "C" void* __libc_stack_end;

namespace VkOracle {
namespace {

struct StackBounds {
    uintptr_t low = 0; // lowest usable address (the stack grows down)
    bool known = false;
};

StackBounds ReadBounds()
{
    StackBounds b;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0)
        return b;
    void* addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0 && addr) {
        // The guard page sits inside the reported range on some systems.
        size_t guard = 0;
        pthread_attr_getguardsize(&attr, &guard);
        b.low = reinterpret_cast<uintptr_t>(addr) + guard;
        b.known = true;
    }
    pthread_attr_destroy(&attr);
    return b;
}

// The main thread's exact bounds cost a read of /proc/self/maps, a large
// part of a short client's logon; most calls are so far from the limit that
// the size limit alone answers them. This is the depth below which the main
// thread has surely `reserve` bytes left, or 0 when that cannot be known
// cheaply: the arguments and environment above the stack end take at most
// a quarter of the limit, and no mapping comes that close under a limit of
// a few dozen megabytes, so half the limit is far on the safe side.
size_t MainThreadSureDepth(size_t reserve)
{
    struct Limit {
        size_t half = 0;
    };
    static const Limit limit = [] {
        Limit l;
        rlimit r{};
        if (::getrlimit(RLIMIT_STACK, &r) == 0 && r.rlim_cur != RLIM_INFINITY &&
            r.rlim_cur <= 64u * 1024 * 1024)
            l.half = static_cast<size_t>(r.rlim_cur) / 2;
        return l;
    }();
    return limit.half > reserve ? limit.half - reserve : 0;
}

} // namespace

bool OraStackLow(size_t reserve)
{
    // The frame address, not a local's: sanitizers may keep locals elsewhere.
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    thread_local const bool mainThread = ::getpid() == ::gettid();
    if (mainThread) {
        const auto top = reinterpret_cast<uintptr_t>(__libc_stack_end);
        if (here <= top && top - here < MainThreadSureDepth(reserve))
            return false;
    }
    thread_local const StackBounds bounds = ReadBounds();
    if (!bounds.known)
        return false;
    return here < bounds.low + reserve;
}

} // namespace VkOracle
