#include "ociw32/server/OraStackGuard.h"

#include <pthread.h>

#include <cstdint>

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

} // namespace

bool OraStackLow(size_t reserve)
{
    thread_local const StackBounds bounds = ReadBounds();
    if (!bounds.known)
        return false;
    // The frame address, not a local's: sanitizers may keep locals elsewhere.
    const auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    return here < bounds.low + reserve;
}

} // namespace VkOracle
