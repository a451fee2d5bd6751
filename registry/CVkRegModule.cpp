#include "registry/CVkRegModule.h"

#include <atomic>

namespace {
std::atomic<LONG> s_objects{0};
std::atomic<LONG> s_locks{0};
} // namespace

void CVkRegObjectCreated()
{
    ++s_objects;
}

void CVkRegObjectDestroyed()
{
    --s_objects;
}

void CVkRegLockServer(bool lock)
{
    if (lock)
        ++s_locks;
    else
        --s_locks;
}

bool CVkRegCanUnload()
{
    return s_objects == 0 && s_locks == 0;
}
